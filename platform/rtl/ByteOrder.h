#pragma once
// Fixed-width integers in byte strings. The file formats of the graphics
// device interface (bitmaps, icons, metafiles) store them little-endian;
// PNG stores them big-endian. Readers check the bounds before they call.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace le {

inline std::uint16_t Get16(std::string_view s, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                    (static_cast<unsigned char>(s[at + 1]) << 8));
}
inline std::uint32_t Get32(std::string_view s, std::size_t at) {
  return static_cast<std::uint32_t>(Get16(s, at)) | (static_cast<std::uint32_t>(Get16(s, at + 2)) << 16);
}
inline void Put16(std::string& s, std::uint16_t v) {
  const char bytes[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
  s.append(bytes, 2);
}
inline void Put32(std::string& s, std::uint32_t v) {
  const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                         static_cast<char>(v >> 24)};
  s.append(bytes, 4);
}
inline std::uint64_t Get64(std::string_view s, std::size_t at) {
  return static_cast<std::uint64_t>(Get32(s, at)) | (static_cast<std::uint64_t>(Get32(s, at + 4)) << 32);
}
inline void Put64(std::string& s, std::uint64_t v) {
  Put32(s, static_cast<std::uint32_t>(v));
  Put32(s, static_cast<std::uint32_t>(v >> 32));
}
// IEEE 754 doubles, as the program's binary files store them.
inline double GetDouble(std::string_view s, std::size_t at) { return std::bit_cast<double>(Get64(s, at)); }
inline void PutDouble(std::string& s, double v) { Put64(s, std::bit_cast<std::uint64_t>(v)); }
// Overwrites four bytes already in the string.
inline void Patch32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

}  // namespace le

namespace be {

inline std::uint32_t Get32(std::string_view s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

}  // namespace be
