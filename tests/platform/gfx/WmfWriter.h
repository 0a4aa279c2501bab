#pragma once
// Builds Windows metafiles record by record for tests: the placeable
// header with its box and resolution, the standard header, and records of
// 16-bit words, as the older drawing programs wrote them.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/rtl/ByteOrder.h"

namespace wmftest {

class WmfWriter {
 public:
  // Words in the order the record stores them (y before x, as the format has it).
  WmfWriter& Record(std::uint16_t function, std::initializer_list<int> words, const std::string& tail = {}) {
    std::string r;
    for (int w : words) le::Put16(r, static_cast<std::uint16_t>(w));
    r += tail;
    if (r.size() % 2) r += '\0';
    std::string head;
    le::Put32(head, static_cast<std::uint32_t>(3 + r.size() / 2));
    le::Put16(head, function);
    records_ += head + r;
    maxRecord_ = std::max<std::uint32_t>(maxRecord_, static_cast<std::uint32_t>(3 + r.size() / 2));
    return *this;
  }

  // Placeable: a box of Right × Bottom units at Inch units to the inch.
  std::string Build(int objects, bool placeable = true, int right = 1440, int bottom = 720,
                    int inch = 1440) const {
    std::string out;
    if (placeable) {
      le::Put32(out, 0x9AC6CDD7);
      le::Put16(out, 0);
      for (int v : {0, 0, right, bottom, inch}) le::Put16(out, static_cast<std::uint16_t>(v));
      le::Put32(out, 0);
      std::uint16_t sum = 0;
      for (size_t i = 0; i < 20; i += 2) sum ^= le::Get16(out, i);
      le::Put16(out, sum);
    }
    const std::string body = records_ + std::string("\x03\0\0\0\0\0", 6);
    le::Put16(out, 1);
    le::Put16(out, 9);
    le::Put16(out, 0x0300);
    le::Put32(out, static_cast<std::uint32_t>(9 + body.size() / 2));
    le::Put16(out, static_cast<std::uint16_t>(objects));
    le::Put32(out, maxRecord_);
    le::Put16(out, 0);
    return out + body;
  }

 private:
  std::string records_;
  std::uint32_t maxRecord_ = 3;
};

// The low and high words of a colour.
inline int Lo(std::uint32_t colour) { return static_cast<int>(colour & 0xFFFF); }
inline int Hi(std::uint32_t colour) { return static_cast<int>(colour >> 16); }

}  // namespace wmftest
