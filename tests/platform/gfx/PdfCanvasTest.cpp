// The PDF canvas: device units are dots at the given resolution, and the
// printable area starts at the physical offset on the sheet.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <regex>

#include "../OtherPrograms.h"
#include "../rtl/TempFolder.h"
#include "platform/gfx/PdfCanvas.h"
#include "platform/gfx/TextEngine.h"
#include "platform/rtl/Cp1253.h"

namespace {

class PdfCanvasTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Installed("pdftoppm", "poppler-utils")); }
  // The first page rendered at 72 dots per inch: one pixel per point.
  cairo_surface_t* Render(const std::string& pdf) {
    const std::string page = folder.path() + "/page";
    WriteBytes(page + ".pdf", pdf);
    int status = -1;
    RunCommand("pdftoppm -r 72 -png -singlefile '" + page + ".pdf' '" + page + "' 2>/dev/null", &status);
    return status == 0 ? cairo_image_surface_create_from_png((page + ".png").c_str()) : nullptr;
  }
  static std::uint32_t At(cairo_surface_t* s, int x, int y) {
    cairo_surface_flush(s);
    auto* d = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s));
    return d[y * (cairo_image_surface_get_stride(s) / 4) + x] & 0xFFFFFF;
  }
  TempFolder folder;
};

TEST_F(PdfCanvasTest, DotsAndTheUnprintableMargin) {
  TDeviceCaps caps;
  caps.LogPixelsX = caps.LogPixelsY = 144;  // two dots per point
  caps.PhysicalWidth = caps.PhysicalHeight = 200;
  caps.PhysicalOffsetX = 20;
  caps.PhysicalOffsetY = 40;
  caps.HorzRes = 160;
  caps.VertRes = 120;
  TPdfCanvas pdf(caps);
  EXPECT_EQ(pdf.GetDeviceCaps(PHYSICALOFFSETY), 40);
  EXPECT_EQ(pdf.GetDeviceCaps(LOGPIXELSX), 144);
  pdf.Brush->Color = clBlack;
  pdf.FillRect(Rect(0, 0, 20, 20));
  pdf.NewPage();
  EXPECT_EQ(pdf.PageCount(), 2);
  cairo_surface_t* page = Render(pdf.Finish());
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(cairo_surface_status(page), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(page), 100);  // 200 dots at 144 per inch
  // Device (0, 0) is the sheet's (20, 40) dots, points (10, 20); the
  // square covers 10 points from there.
  EXPECT_EQ(At(page, 15, 25), 0u);
  EXPECT_EQ(At(page, 11, 21), 0u);
  EXPECT_EQ(At(page, 8, 25), 0xFFFFFFu);
  EXPECT_EQ(At(page, 15, 18), 0xFFFFFFu);
  EXPECT_EQ(At(page, 21, 25), 0xFFFFFFu);
  cairo_surface_destroy(page);
}

// The words of two pdftotext -bbox readings: the same texts in boxes a
// thousandth of a point apart at most.
bool SameWords(const std::string& a, const std::string& b) {
  static const std::regex word(
      R"re(<word xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">([^<]*)</word>)re");
  std::sregex_iterator i(a.begin(), a.end(), word), j(b.begin(), b.end(), word), end;
  int words = 0;
  for (; i != end && j != end; ++i, ++j, ++words) {
    if ((*i)[5] != (*j)[5]) return false;
    for (int k = 1; k <= 4; ++k)
      if (std::abs(std::stod((*i)[k]) - std::stod((*j)[k])) > 1e-3) return false;
  }
  return i == end && j == end && words > 0;
}

// The words of a PDF's first page as pdftotext -bbox reads them, and the
// pixels of the page at Dpi (4 bytes each, Stride a row); Path names the
// files, without extension.
bool WordsAndPixels(const std::string& path, const std::string& pdf, int dpi, std::string& words,
                    std::string& pixels, int* stride = nullptr) {
  WriteBytes(path + ".pdf", pdf);
  int status = -1;
  words = RunCommand("pdftotext -enc UTF-8 -bbox '" + path + ".pdf' - 2>/dev/null", &status);
  if (status != 0) return false;
  RunCommand("pdftoppm -r " + std::to_string(dpi) + " -png -singlefile '" + path + ".pdf' '" + path +
                 "' 2>/dev/null",
             &status);
  if (status != 0) return false;
  cairo_surface_t* image = cairo_image_surface_create_from_png((path + ".png").c_str());
  const bool read = cairo_surface_status(image) == CAIRO_STATUS_SUCCESS;
  if (read) {
    const auto* data = reinterpret_cast<const char*>(cairo_image_surface_get_data(image));
    pixels.assign(data, cairo_image_surface_get_stride(image) * cairo_image_surface_get_height(image));
    if (stride != nullptr) *stride = cairo_image_surface_get_stride(image);
  }
  cairo_surface_destroy(image);
  return read;
}

// The page's drawing as qpdf gives it uncompressed.
std::string PageContent(const std::string& folder, const std::string& pdf) {
  const std::string in = folder + "/content.pdf", out = folder + "/content-qdf.pdf";
  WriteBytes(in, pdf);
  RunCommand("qpdf --qdf --object-streams=disable --stream-data=uncompress '" + in + "' '" + out + "' 2>&1");
  return ReadBytes(out);
}
int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TDeviceCaps A4At600() {
  TDeviceCaps caps;
  caps.LogPixelsX = caps.LogPixelsY = 600;
  caps.PhysicalWidth = caps.HorzRes = 4960;
  caps.PhysicalHeight = caps.VertRes = 7016;
  return caps;
}

// The same canvas drawing every fill and every clip it is given.
class LiteralPdfCanvas : public TPdfCanvas {
 public:
  explicit LiteralPdfCanvas(const TDeviceCaps& caps) : TPdfCanvas(caps) { KeepTrackOfInk(false); }
};

// What shows nothing is left out of the document: white laid on paper
// still blank, and the clip of a text that cuts none of its ink. White
// over ink, colour, and a clip that cuts stay.
TEST_F(PdfCanvasTest, WhatShowsNothingIsLeftOut) {
  ASSERT_TRUE(Installed("qpdf", "qpdf"));
  const AnsiString line = "Γραμμή 17: Προσφορά με έκπτωση 12,34%"_a;
  struct Case {
    const char* name;
    std::function<void(TPdfCanvas&)> draw;
    int fills, clips;
  };
  const auto white = [](TPdfCanvas& c, TRect r) {
    c.Brush->Style = bsSolid;
    c.Brush->Color = clWhite;
    c.FillRect(r);
  };
  const auto text = [&](TPdfCanvas& c, int y) {
    c.Brush->Style = bsClear;
    c.ExtTextOut(300, y, 0, nullptr, line);
  };
  const auto clipped = [&](TPdfCanvas& c, int y, TRect clip) {
    c.Brush->Style = bsClear;
    c.ExtTextOut(300, y, ETO_CLIPPED, &clip, line);
  };
  const Case cases[] = {
      {"white band and label, then their line",
       [&](TPdfCanvas& c) {
         white(c, Rect(236, 236, 4724, 354));
         white(c, Rect(300, 240, 3843, 346));
         text(c, 240);
       },
       0, 0},
      {"white over a line", [&](TPdfCanvas& c) { text(c, 240), white(c, Rect(250, 300, 900, 320)); }, 1, 0},
      {"white beside a line", [&](TPdfCanvas& c) { text(c, 240), white(c, Rect(300, 400, 4000, 500)); }, 0,
       0},
      {"colour, then white over it",
       [&](TPdfCanvas& c) {
         c.Brush->Color = clYellow;
         c.FillRect(Rect(100, 100, 200, 200));
         white(c, Rect(150, 150, 300, 300));
         white(c, Rect(300, 300, 400, 400));
       },
       2, 0},
      {"a frame line, then white across it",
       [&](TPdfCanvas& c) {
         c.Pen->Width = 6;
         c.Polyline({TPoint{100, 1000}, TPoint{2000, 1000}});
         white(c, Rect(500, 1004, 600, 1100));
         white(c, Rect(700, 1020, 800, 1100));
       },
       1, 0},
      {"a picture, then white on it",
       [&](TPdfCanvas& c) {
         TPixelBlock pixels{2, 2, {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFF000000u}};
         c.DrawPixels(Rect(100, 100, 300, 300), pixels, false, clNone);
         white(c, Rect(290, 290, 400, 400));
       },
       1, 0},
      {"a turned text, then white anywhere",
       [&](TPdfCanvas& c) {
         c.Font->Orientation = 900;
         text(c, 3000);
         white(c, Rect(4000, 6000, 4100, 6100));
       },
       1, 0},
      {"a new page is blank again",
       [&](TPdfCanvas& c) {
         text(c, 240);
         c.NewPage();
         white(c, Rect(250, 300, 900, 320));
       },
       0, 0},
      {"a line inside its clip",
       [&](TPdfCanvas& c) {
         clipped(c, 240, TRect{300, 240, 3843, 346});
       },
       0, 0},
      {"a tall font over a short label",
       [&](TPdfCanvas& c) {
         c.Font->SetSize(24);
         clipped(c, 240, TRect{300, 240, 3843, 300});
       },
       0, 1},
      {"a line wider than its clip",
       [&](TPdfCanvas& c) {
         clipped(c, 240, TRect{300, 240, 1000, 346});
       },
       0, 1},
  };
  for (const Case& k : cases) {
    TPdfCanvas pdf(A4At600());
    pdf.Font->Name = "Arial";
    pdf.Font->SetSize(10);
    k.draw(pdf);
    const std::string content = PageContent(folder.path(), pdf.Finish());
    EXPECT_EQ(Count(content, " re f"), k.fills) << k.name;
    EXPECT_EQ(Count(content, " re W n"), k.clips) << k.name;
  }
}

// Code-page text drawn on a document from the glyph table, with no layout
// made, reads and looks as the same text drawn through a layout (the
// UTF-16 calls always lay text out): an independent reader finds the same
// words in the same boxes, and the rendered pages are the same pixels, for
// every face, style and size and for any characters; with advances of
// the caller's own (a played metafile's) too.
TEST_F(PdfCanvasTest, TableDrawnTextIsLaidOutText) {
  ASSERT_TRUE(Installed("pdftotext", "poppler-utils"));
  TDeviceCaps caps;
  caps.LogPixelsX = caps.LogPixelsY = 600;
  caps.PhysicalWidth = caps.HorzRes = 4960;
  caps.PhysicalHeight = caps.VertRes = 7016;
  std::mt19937 random(31);
  std::vector<AnsiString> lines = {"Γραμμή 17: Προσφορά με έκπτωση 12,34%"_a,
                                   "ΑΝΑΔΟΧΟΣ Α.Τ.Ε. - «Ωμέγα» & Σια"_a, "Total 1.234.567,89 € (final)"_a};
  for (int i = 0; i < 40; ++i) {
    AnsiString text(1 + random() % 40, ' ');
    for (char& ch : text) ch = static_cast<char>(0x20 + random() % 224);
    lines.push_back(text);
  }
  const unsigned styles[] = {0, fsBold, fsItalic, fsBold | fsItalic};
  std::string read[6], pixels[6];
  const TRect page{0, 0, caps.HorzRes, caps.VertRes};
  for (int way = 0; way < 6; ++way) {
    TPdfCanvas pdf(caps);
    pdf.Brush->Style = bsClear;
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::vector<AnsiString>& faces = gfx::FontFaceNames();
      pdf.Font->Name = faces[i % faces.size()] == "Symbol" ? "Arial" : faces[i % faces.size()];
      pdf.Font->Style = styles[i / 7 % 4];
      pdf.Font->SetSize(8 + static_cast<int>(i % 5));
      pdf.Font->Color = i % 3 ? clBlack : clNavy;
      const int y = 200 + 150 * static_cast<int>(i);
      // Advances of their own: wider, narrower and zero by turns.
      std::vector<int> dx;
      for (size_t k = 0; k < lines[i].size(); ++k) dx.push_back(static_cast<int>((k * 7 + i) % 90));
      if (way == 0)
        pdf.TextOut(200, y, lines[i]);
      else if (way == 1)
        pdf.ExtTextOutW(200, y, 0, nullptr, cp1253::ToWide(lines[i]));
      else if (way == 2)
        pdf.ExtTextOut(200, y, 0, nullptr, lines[i], dx.data());
      else if (way == 3)
        pdf.ExtTextOutW(200, y, 0, nullptr, cp1253::ToWide(lines[i]), dx.data());
      else if (way == 4)  // clipped: the text keeps its state apart
        pdf.ExtTextOut(200, y, ETO_CLIPPED, &page, lines[i]);
      else
        pdf.ExtTextOut(200, y, ETO_CLIPPED, &page, lines[i], dx.data());
    }
    ASSERT_TRUE(WordsAndPixels(folder.path() + "/text" + std::to_string(way), pdf.Finish(), 150, read[way],
                               pixels[way]));
  }
  // The words only: the head carries the time of writing.
  for (std::string& r : read) r.erase(0, r.find("<page"));
  EXPECT_TRUE(read[0] == read[1]);
  EXPECT_TRUE(pixels[0] == pixels[1]);
  EXPECT_TRUE(read[2] == read[3]);
  EXPECT_TRUE(pixels[2] == pixels[3]);
  // Drawn in its own state, a text lands within float rounding of the same
  // place.
  EXPECT_TRUE(SameWords(read[0], read[4]));
  EXPECT_TRUE(pixels[0] == pixels[4]);
  EXPECT_TRUE(SameWords(read[2], read[5]));
  EXPECT_TRUE(pixels[2] == pixels[5]);
  EXPECT_FALSE(read[0] == read[2]);
  for (const char* word : {"Γραμμή", "έκπτωση", "«Ωμέγα»", "1.234.567,89", "€"})
    EXPECT_NE(read[0].find(word), std::string::npos) << word;
}

// Pages of fills, frames, pictures and lines, clipped or not, some of
// them turned, read and look the same with what shows nothing left out
// as with every fill and clip drawn: the same words in the same boxes
// and the same pixels.
TEST_F(PdfCanvasTest, LeavingOutWhatShowsNothingKeepsThePage) {
  ASSERT_TRUE(Installed("pdftotext", "poppler-utils"));
  const std::vector<AnsiString> lines = {"Γραμμή 17: Προσφορά με έκπτωση 12,34%"_a,
                                         "ΑΝΑΔΟΧΟΣ Α.Τ.Ε. - «Ωμέγα»"_a, "jQ(y)|gÅ", "Σελίδα 3"_a, "   "};
  const TColor colours[] = {clWhite, clWhite, clWhite, clYellow, clSilver, clNavy};
  for (unsigned seed : {3u, 5u, 11u, 17u, 29u}) {
    std::string read[2], pixels[2];
    int stride = 4;
    for (int way = 0; way < 2; ++way) {
      std::mt19937 random(seed);
      const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
      std::unique_ptr<TPdfCanvas> pdf =
          way == 0 ? std::make_unique<TPdfCanvas>(A4At600()) : std::make_unique<LiteralPdfCanvas>(A4At600());
      TPdfCanvas& c = *pdf;
      for (int op = 0; op < 160; ++op) {
        const int x = pick(4400);
        const int y = pick(6600);
        // One pick a statement: the same scene whatever order a compiler
        // evaluates arguments in.
        const int w = 50 + pick(1500), h = 20 + pick(300);
        const TRect box = Rect(x, y, x + w, y + h);
        switch (pick(7)) {
          case 0:
          case 1:
            c.Brush->Style = bsSolid;
            c.Brush->Color = colours[pick(6)];
            c.FillRect(box);
            break;
          case 2:
            c.Pen->Width = 1 + pick(8);
            c.Pen->Color = clBlack;
            c.Brush->Style = pick(2) ? bsClear : bsSolid;
            c.Brush->Color = colours[pick(6)];
            if (pick(2))
              c.Rectangle(box.Left, box.Top, box.Right, box.Bottom);
            else
              c.Polyline({TPoint{box.Left, box.Top}, TPoint{box.Right, box.Bottom}});
            break;
          case 3: {
            TPixelBlock block{2, 1, {0xFF336699u, 0xFFCC9933u}};
            c.DrawPixels(box, block, false, clNone);
            break;
          }
          default: {
            c.Font->Name = pick(2) ? "Arial" : "Times New Roman";
            c.Font->SetSize(6 + pick(30));
            c.Font->Style = pick(3) == 0 ? TFontStyles{fsItalic} : TFontStyles{0};
            c.Font->Orientation = pick(12) == 0 ? 900 : 0;
            c.Font->Color = pick(2) ? clBlack : clMaroon;
            c.Brush->Style = pick(4) == 0 ? bsSolid : bsClear;
            c.Brush->Color = colours[pick(6)];
            const unsigned options = pick(3) == 0 ? 0 : pick(8) == 0 ? ETO_CLIPPED | ETO_OPAQUE : ETO_CLIPPED;
            // Clips as tall as the line, shorter, and cutting its start.
            const int cutLeft = pick(3) * 20, cutTop = pick(2) * 40, height = 40 + pick(300);
            const TRect clip = Rect(x - cutLeft, y + cutTop, box.Right, y + height);
            c.ExtTextOut(x, y, options, &clip, lines[pick(static_cast<int>(lines.size()))]);
          }
        }
      }
      ASSERT_TRUE(WordsAndPixels(folder.path() + "/scene" + std::to_string(way), pdf->Finish(), 100,
                                 read[way], pixels[way], &stride));
    }
    for (std::string& r : read) r.erase(0, r.find("<page"));
    EXPECT_TRUE(SameWords(read[0], read[1])) << seed;
    // The same pixels but for a glyph's edge: a clip that cuts nothing
    // still changes the reader's blending there by a level, and cairo
    // narrows every clip it writes to its own reckoning of the glyphs'
    // ink, which a reader placing glyphs on whole pixels overshoots by a
    // row: the literal page loses that row, this one not. A fill or a clip
    // wrongly left out shows as whole glyphs or boxes: pixels apart in
    // more than two rows one above the other.
    ASSERT_EQ(pixels[0].size(), pixels[1].size());
    const auto apart = [&](size_t at) {
      for (size_t k = at; k < at + 3; ++k)
        if (std::abs(static_cast<unsigned char>(pixels[0][k]) - static_cast<unsigned char>(pixels[1][k])) > 1)
          return true;
      return false;
    };
    int tallest = 0;
    const size_t rows = pixels[0].size() / static_cast<size_t>(stride);
    for (size_t x = 0; x < static_cast<size_t>(stride); x += 4)
      for (size_t y = 0, run = 0; y < rows; ++y) {
        run = apart(y * stride + x) ? run + 1 : 0;
        tallest = std::max(tallest, static_cast<int>(run));
      }
    EXPECT_LE(tallest, 2) << seed;
  }
}

}  // namespace
