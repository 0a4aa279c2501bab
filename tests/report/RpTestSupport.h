#pragma once
// Pages for the report tests, and the splay-tree coder written literally,
// bit by bit, as the reference the program's coder must equal.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Metafile.h"
#include "platform/print/Printers.h"
#include "platform/rtl/SysUtils.h"
#include "report/RpCtrls.h"

// A report on A4 in tenths of a millimetre with margins of Margin all round.
inline TBandRep* NewA4Report(TComponent* owner, Extended margin = 100) {
  auto* rep = new TBandRep(owner);
  rep->SetUnits(TRpUnit::Native);
  rep->Page()->SetPaperSize(TRpPaperSize::A4);
  for (int i : {TRpPage::iTopMargin, TRpPage::iBottomMargin, TRpPage::iLeftMargin, TRpPage::iRightMargin})
    rep->Page()->SetValue(i, margin);
  return rep;
}

// A detail band of Height (0.1 mm) holding a rich text named Name of Width
// and Height at its top left, under a title band taking Above (none at 0).
template <class TRich = TRpRichText>
TRich* AddRichTextBand(TBandRep* rep, TComponent* owner, const AnsiString& name, Extended above,
                       Extended height, Extended width = 1500) {
  const auto band = [&](int index, Extended h) {
    rep->Bands()->Set(index, true);
    TRpCustomBand* b = rep->Bands()->Band(index);
    b->Size()->Units = TRpUnit::Native;
    b->Size()->SetValue(TRpBandSize::iHeight, h);
    return b;
  };
  if (above > 0) band(TBandRepBands::iTitle, above);
  auto* rich = new TRich(owner);
  rich->SetName(name);
  rich->SetParent(band(TBandRepBands::iDetail, height));
  rich->Size()->Units = TRpUnit::Native;
  rich->Size()->SetValue(TRpPrintableSize::iWidth, width);
  rich->Size()->SetValue(TRpPrintableSize::iHeight, height);
  return rich;
}

// The only printer is a PDF printer writing its files into Folder.
inline void UsePdfPrinterIn(const std::string& folder) {
  TPrinterProfile pdf = printers::PdfPrinterProfile();
  pdf.OutputFolder = folder;
  printers::UseProfiles({pdf}, 0);
  Printer()->Refresh();
  Printer()->SetPrinterIndex(0);
  Printer()->ResetDeviceMode();
}

// The PDF files in Folder.
inline std::vector<std::string> PdfsIn(const std::string& folder) {
  std::vector<std::string> out;
  for (const auto& f : std::filesystem::directory_iterator(folder))
    if (f.path().extension() == ".pdf") out.push_back(f.path().string());
  return out;
}

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
