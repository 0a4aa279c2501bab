#pragma once
// Writes small icon files byte by byte for tests, independent of the code
// under test.

#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/ByteOrder.h"

// An icon file with the given images (each 32 bits with alpha or 24 bits
// with an AND mask marking the left column transparent).
inline std::string MakeIco(const std::vector<std::pair<int, int>>& images) {
  std::string dir, data;
  le::Put16(dir, 0);
  le::Put16(dir, 1);
  le::Put16(dir, images.size());
  size_t offset = 6 + 16 * images.size();
  for (auto [size, bpp] : images) {
    std::string image;
    le::Put32(image, 40);
    le::Put32(image, size);
    le::Put32(image, size * 2);
    le::Put16(image, 1);
    le::Put16(image, bpp);
    for (int i = 0; i < 6; ++i) le::Put32(image, 0);
    int stride = ((size * bpp + 31) / 32) * 4;
    for (int row = 0; row < size; ++row) {
      std::string line(stride, '\0');
      for (int x = 0; x < size; ++x) {
        char* p = &line[x * bpp / 8];
        p[0] = static_cast<char>(size);  // blue channel tells the images apart
        p[2] = static_cast<char>(0x80);
        if (bpp == 32) p[3] = static_cast<char>(x == 0 ? 0 : 0xFF);
      }
      image += line;
    }
    int andStride = ((size + 31) / 32) * 4;
    for (int row = 0; row < size; ++row) {
      std::string line(andStride, '\0');
      line[0] = static_cast<char>(0x80);  // leftmost pixel transparent
      image += line;
    }
    dir += static_cast<char>(size);
    dir += static_cast<char>(size);
    dir += '\0';
    dir += '\0';
    le::Put16(dir, 1);
    le::Put16(dir, bpp);
    le::Put32(dir, image.size());
    le::Put32(dir, offset);
    offset += image.size();
    data += image;
  }
  return dir + data;
}
