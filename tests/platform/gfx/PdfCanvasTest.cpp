// The PDF canvas: device units are dots at the given resolution, and the
// printable area starts at the physical offset on the sheet.

#include <gtest/gtest.h>

#include <cmath>
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
    const std::string page = folder.path() + "/text" + std::to_string(way);
    WriteBytes(page + ".pdf", pdf.Finish());
    int status = -1;
    read[way] = RunCommand("pdftotext -enc UTF-8 -bbox '" + page + ".pdf' - 2>/dev/null", &status);
    ASSERT_EQ(status, 0);
    RunCommand("pdftoppm -r 150 -png -singlefile '" + page + ".pdf' '" + page + "' 2>/dev/null", &status);
    ASSERT_EQ(status, 0);
    cairo_surface_t* image = cairo_image_surface_create_from_png((page + ".png").c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    const auto* data = reinterpret_cast<const char*>(cairo_image_surface_get_data(image));
    pixels[way].assign(data, cairo_image_surface_get_stride(image) * cairo_image_surface_get_height(image));
    cairo_surface_destroy(image);
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

}  // namespace
