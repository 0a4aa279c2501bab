#pragma once
// Pages for the report tests, and the splay-tree coder written literally,
// bit by bit, as the reference the program's coder must equal.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Metafile.h"
#include "platform/rtl/SysUtils.h"

// A page of Width x Height screen pixels with its texts drawn one under the
// other from (X, Y).
inline std::unique_ptr<TMetafile> MakePage(const std::vector<AnsiString>& texts, int width = 794,
                                           int height = 1123, int x = 100, int y = 100) {
  auto page = std::make_unique<TMetafile>();
  page->SetWidth(width);
  page->SetHeight(height);
  {
    TMetafileCanvas canvas(page.get());
    canvas.Font->Name = "Arial";
    canvas.Font->SetSize(12);
    for (const AnsiString& t : texts) {
      canvas.TextOut(x, y, t);
      y += 30;
    }
  }
  return page;
}

// The coder's steps as they read, one bit at a time, one byte per stream call.
class ReferenceCoder {
 public:
  ReferenceCoder() {
    for (int j = 1; j <= 512; ++j) up[j] = (j - 1) / 2;
    for (int i = 0; i < 256; ++i) left[i] = 2 * i + 1, right[i] = 2 * i + 2;
  }
  std::string Encode(const std::string& plain) {
    std::string out;
    int bitCount = 0;
    unsigned pending = 0;
    for (unsigned char b : plain) {
      std::vector<int> bits;
      for (int n = b + 256; n != 0; n = up[n]) bits.push_back(right[up[n]] == n ? 1 : 0);
      for (size_t k = bits.size(); k-- > 0;) {
        if (bits[k]) pending |= 1u << bitCount;
        if (bitCount == 7) {
          out += static_cast<char>(pending);
          pending = 0;
          bitCount = 0;
        } else {
          ++bitCount;
        }
      }
      Splay(b);
    }
    if (bitCount != 0) out += static_cast<char>(pending);
    return out;
  }
  // -1 entries mark a short read or the leaf no byte has.
  std::vector<int> Decode(const std::string& coded, size_t count) {
    std::vector<int> out;
    int bitCount = 7;
    unsigned input = 0;
    size_t at = 0;
    while (out.size() < count) {
      int n = 0;
      while (n < 256) {
        if (bitCount == 7) {
          if (at >= coded.size()) return out.push_back(-1), out;
          input = static_cast<unsigned char>(coded[at++]);
          bitCount = 0;
        } else {
          ++bitCount;
        }
        n = (input & (1u << bitCount)) ? right[n] : left[n];
      }
      if (n == 512) return out.push_back(-1), out;
      Splay(n - 256);
      out.push_back(n - 256);
    }
    return out;
  }

 private:
  void Splay(int b) {
    int n = b + 256;
    do {
      int p = up[n];
      if (p != 0) {
        int g = up[p];
        int u = left[g];
        if (u == p) {
          u = right[g];
          right[g] = n;
        } else {
          left[g] = n;
        }
        if (n == left[p])
          left[p] = u;
        else
          right[p] = u;
        up[n] = g;
        up[u] = p;
        n = g;
      } else {
        n = p;
      }
    } while (n != 0);
  }
  int left[256], right[256], up[513] = {};
};
