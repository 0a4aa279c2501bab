// The PDF canvas: device units are dots at the given resolution, and the
// printable area starts at the physical offset on the sheet.

#include <gtest/gtest.h>

#include "../OtherPrograms.h"
#include "../rtl/TempFolder.h"
#include "platform/gfx/PdfCanvas.h"

namespace {

class PdfCanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Installed("pdftoppm", "poppler-utils"));
  }
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

}  // namespace
