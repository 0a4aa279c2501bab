#include <gtest/gtest.h>

#include <functional>

#include "platform/gfx/RecordingCanvas.h"
#include "report/RpTypes.h"

namespace {

class RpTypesTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRpMeasureInInches(false); }
};

TEST_F(RpTypesTest, PaperTableHasTheTellingRows) {
  struct Row {
    TRpPaperSize size;
    double w, l;
    int code;
  } rows[] = {{TRpPaperSize::Default, 0, 0, 0},        {TRpPaperSize::Letter, 215.9, 279.4, 1},
              {TRpPaperSize::Legal, 215.9, 355.6, 5},  {TRpPaperSize::A3, 297, 420, 8},
              {TRpPaperSize::A4, 210, 297, 9},         {TRpPaperSize::A5, 148, 210, 11},
              {TRpPaperSize::B4, 250, 354, 12},        {TRpPaperSize::B5, 182, 257, 13},
              {TRpPaperSize::Env10, 104.8, 241.3, 20}, {TRpPaperSize::EnvDL, 110, 220, 27},
              {TRpPaperSize::EnvB6, 176, 125, 35},     {TRpPaperSize::FanfoldUSStd, 377.8, 279.4, 39},
              {TRpPaperSize::EnvInvite, 220, 220, 47}, {TRpPaperSize::Reserved1, 100, 100, 48},
              {TRpPaperSize::Reserved2, 100, 100, 49}, {TRpPaperSize::A4Trans, 297, 210, 55},
              {TRpPaperSize::A2, 420, 594, 66},        {TRpPaperSize::A3ExtraTrans, 445, 322, 68},
              {TRpPaperSize::Custom, 0, 0, 256}};
  for (const Row& r : rows) {
    const TRpPaperInfo& info = RpPaperInfo(r.size);
    EXPECT_DOUBLE_EQ(static_cast<double>(info.Width), r.w) << static_cast<int>(r.size);
    EXPECT_DOUBLE_EQ(static_cast<double>(info.Length), r.l) << static_cast<int>(r.size);
    EXPECT_EQ(info.Code, r.code);
  }
  const int bins[] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14};
  for (int i = 0; i < kRpBinCount; ++i) EXPECT_EQ(RpBinCode(static_cast<TRpBin>(i)), bins[i]);
}

TEST_F(RpTypesTest, PageDefaultsFollowTheMeasurementFlag) {
  TRpPage metric;
  metric.Units = TRpUnit::Native;
  EXPECT_EQ(metric.PaperSize(), TRpPaperSize::A4);
  EXPECT_EQ(metric.Values(), (std::vector<Extended>{100, 2970, 100, 2100, 100, 100, 0}));
  SetRpMeasureInInches(true);
  TRpPage inch;
  EXPECT_EQ(inch.Units, TRpUnit::Inches);
  EXPECT_EQ(inch.PaperSize(), TRpPaperSize::Letter);
  EXPECT_NEAR(static_cast<double>(inch.TopMargin()), 0.5, 1e-12);
  EXPECT_NEAR(static_cast<double>(inch.Width()), 8.5, 1e-12);
}

TEST_F(RpTypesTest, LengthIsSetOnlyForCustomPaper) {
  TRpPage page;
  page.SetValue(TRpPage::iLength, 100);
  EXPECT_EQ(page.Length(), 297);
  page.SetPaperSize(TRpPaperSize::Custom);
  page.SetValue(TRpPage::iLength, 100);
  EXPECT_EQ(page.Length(), 100);
}

TEST_F(RpTypesTest, LandscapeSwapsAListedPaper) {
  TRpPage page;
  page.SetOrientation(poLandscape);
  EXPECT_EQ(page.Width(), 297);
  EXPECT_EQ(page.Length(), 210);
}

// A page set the way it lies already tells its report nothing, so the
// report is not laid out again; a turn, a paper restored to its size and
// every paper change are told.
TEST_F(RpTypesTest, OnlyAnOrientationThatChangesThePageIsTold) {
  TRpPage page;
  int told = 0;
  page.OnChange = [&] { ++told; };
  struct Step {
    const char* what;
    std::function<void()> act;
    int told;
    double width, length;
  } steps[] = {
      {"portrait again", [&] { page.SetOrientation(poPortrait); }, 0, 210, 297},
      {"turned", [&] { page.SetOrientation(poLandscape); }, 1, 297, 210},
      {"landscape again", [&] { page.SetOrientation(poLandscape); }, 0, 297, 210},
      {"stored sizes",
       [&] {
         page.ReadValues({100, 500, 100, 400, 100, 100, 0});
       },
       1, 40, 50},
      {"restored by the paper", [&] { page.SetOrientation(poLandscape); }, 1, 297, 210},
      {"same paper", [&] { page.SetPaperSize(TRpPaperSize::A4); }, 1, 297, 210},
      {"custom", [&] { page.SetPaperSize(TRpPaperSize::Custom); }, 1, 297, 210},
      {"custom turned", [&] { page.SetOrientation(poPortrait); }, 1, 297, 210},
      {"custom again", [&] { page.SetOrientation(poPortrait); }, 0, 297, 210},
  };
  for (const Step& s : steps) {
    told = 0;
    s.act();
    EXPECT_EQ(told, s.told) << s.what;
    EXPECT_EQ(page.Width(), s.width) << s.what;
    EXPECT_EQ(page.Length(), s.length) << s.what;
  }
}

TEST_F(RpTypesTest, UnitConversionsBothWays) {
  TRpBandSize size;
  size.FontSize = -10;  // the absolute size counts
  size.PixelsPerInch = 96;
  size.Zoom = 200;
  struct Case {
    TRpUnit unit;
    int index;
    long double units;
  } cases[] = {{TRpUnit::MM, TRpBandSize::iHeight, 25.4L},
               {TRpUnit::Inches, TRpBandSize::iHeight, 1},
               {TRpUnit::Pixels, TRpBandSize::iHeight, 192},
               {TRpUnit::Native, TRpBandSize::iWidth, 254},
               {TRpUnit::Characters, TRpBandSize::iWidth, 254 / (80.0L / 10 / 2.54L) / 10},
               {TRpUnit::Characters, TRpBandSize::iHeight, 254 / (145.3L / 10 / 2.54L) / 10}};
  for (const Case& c : cases) {
    size.Units = TRpUnit::Native;
    size.SetValue(c.index, 254);
    size.Units = c.unit;
    EXPECT_NEAR(static_cast<double>(size.GetValue(c.index)), static_cast<double>(c.units), 1e-9);
    size.SetValue(c.index, c.units);
    size.Units = TRpUnit::Native;
    EXPECT_NEAR(static_cast<double>(size.GetValue(c.index)), 254, 1e-9);
  }
  TRpPage page;
  page.Units = TRpUnit::Inches;
  EXPECT_NEAR(static_cast<double>(page.LeftMargin()), 0.3937007874, 1e-9);
}

TEST_F(RpTypesTest, ValuesStreamInOrderAndRefreshTheParent) {
  TRpPage page;
  int refreshed = 0;
  page.OnChange = [&] { ++refreshed; };
  page.ReadValues({1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(page.Values(), (std::vector<Extended>{1, 2, 3, 4, 5, 6, 7}));
  page.SetColumns(0);
  page.SetColumns(1);
  EXPECT_EQ(refreshed, 1);
  TRpPrintableSize printable;
  EXPECT_EQ(printable.Values(), (std::vector<Extended>{20, 20, 20, 20}));
}

TEST_F(RpTypesTest, FrameThicknessAndSides) {
  TRpFrame frame;
  const Extended f600 = 600.0L / 254;
  EXPECT_EQ(frame.VerticalThickness(f600), 4);
  frame.SetWidth(0);
  EXPECT_EQ(frame.VerticalThickness(f600), 1);
  frame.SetWidth(1);
  frame.SetDrawTop(true);
  frame.SetDrawBottom(true);
  frame.SetDrawLeft(true);
  frame.SetDrawRight(true);
  TRecordingCanvas canvas;
  frame.PaintFrame(canvas, {10, 20, 110, 500}, f600, f600, 300);
  const auto fills = canvas.CallsOf("FillRect");
  ASSERT_EQ(fills.size(), 4u);
  EXPECT_EQ(fills[0].Args, (std::vector<int>{10, 20, 110, 24}));
  EXPECT_EQ(fills[1].Args, (std::vector<int>{10, 295, 110, 299}));  // cut at the printable bottom
  EXPECT_EQ(fills[2].Args, (std::vector<int>{10, 20, 14, 300}));
  EXPECT_EQ(fills[3].Args, (std::vector<int>{106, 20, 110, 300}));
  EXPECT_EQ(fills[0].Brush.Color, clBlack);
  canvas.Calls.clear();
  frame.PaintFrame(canvas, {10, 20, 110, 200}, f600, f600, -1, {0.25L});
  const auto lines = canvas.CallsOf("Polyline");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].Args, (std::vector<int>{35, 20, 35, 200}));
  EXPECT_EQ(lines[0].Pen.Width, 4);
}

// A frame of width 0 still draws each of its sides a pixel thick, and a
// band's frame lines a pixel wide.
TEST_F(RpTypesTest, FrameOfNoWidthDrawsAPixel) {
  TRpFrame frame;
  frame.SetDrawTop(true);
  frame.SetDrawBottom(true);
  frame.SetDrawLeft(true);
  frame.SetDrawRight(true);
  frame.SetWidth(0);
  const Extended f600 = 600.0L / 254;
  TRecordingCanvas canvas;
  frame.PaintFrame(canvas, {10, 20, 110, 500}, f600, f600, 300);
  const auto fills = canvas.CallsOf("FillRect");
  ASSERT_EQ(fills.size(), 4u);
  EXPECT_EQ(fills[0].Args, (std::vector<int>{10, 20, 110, 21}));
  EXPECT_EQ(fills[1].Args, (std::vector<int>{10, 298, 110, 299}));
  EXPECT_EQ(fills[2].Args, (std::vector<int>{10, 20, 11, 300}));
  EXPECT_EQ(fills[3].Args, (std::vector<int>{109, 20, 110, 300}));
  canvas.Calls.clear();
  frame.PaintFrame(canvas, {10, 20, 110, 200}, f600, f600, -1, {0.25L});
  ASSERT_EQ(canvas.CallsOf("Polyline").size(), 1u);
  EXPECT_EQ(canvas.CallsOf("Polyline")[0].Pen.Width, 1);
}

// Native values are read and set in 0.1 mm whatever the units, and the units
// stay as they were: a size shared with its control is never switched.
TEST_F(RpTypesTest, NativeValuesLeaveTheUnitsAlone) {
  for (TRpUnit unit : {TRpUnit::MM, TRpUnit::Inches, TRpUnit::Pixels, TRpUnit::Characters, TRpUnit::Native}) {
    TRpPrintableSize size;
    int changes = 0;
    size.OnChange = [&] { ++changes; };
    size.Units = unit;
    size.SetNativeValue(TRpPrintableSize::iLeft, 254);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(size.Units, unit);
    EXPECT_EQ(size.NativeValue(TRpPrintableSize::iLeft), 254);
    EXPECT_EQ(size.GetValue(TRpPrintableSize::iLeft), size.ToUnits(254, true));
    size.SetValue(TRpPrintableSize::iTop, size.ToUnits(127, false));
    EXPECT_NEAR(static_cast<double>(size.NativeValue(TRpPrintableSize::iTop)), 127, 1e-9);
  }
  TRpBandSize band;
  band.SetNativeValue(TRpBandSize::iWidth, 1900);
  EXPECT_EQ(band.NativeValue(TRpBandSize::iWidth), 1900);
  EXPECT_EQ(band.GetValue(TRpBandSize::iWidth), 190);
  EXPECT_EQ(band.NativeValue(7), 0);
  band.SetNativeValue(-1, 5);
  EXPECT_EQ(band.Values(), (std::vector<Extended>{0, 1900}));
  // A listed paper keeps its size; margins take any value.
  const TRpPage page;
  TRpPage a4;
  a4.Units = TRpUnit::Inches;
  a4.SetNativeValue(TRpPage::iWidth, 1000);
  a4.SetNativeValue(TRpPage::iLeftMargin, 0);
  EXPECT_EQ(a4.NativeValue(TRpPage::iWidth), 2100);
  EXPECT_EQ(a4.NativeValue(TRpPage::iLeftMargin), 0);
  EXPECT_EQ(page.NativeValue(TRpPage::iLength), 2970);
}

}  // namespace
