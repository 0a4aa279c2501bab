#include <gtest/gtest.h>

#include "report/RpBasePanel.h"
#include "tests/platform/ui/ControlsFixture.h"

namespace {

class RpBasePanelTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    SetRpMeasureInInches(false);
  }
};

TEST_F(RpBasePanelTest, RulerGridFollowsUnitsAndZoom) {
  TRpPage page;
  auto* report = Add<TRpBasePanel>(0, 0, 200, 100);
  report->RulerPage = &page;
  report->NumberRuler = true;
  auto* band = new TRpBasePanel(Form.get());
  band->SetParent(report);
  band->SetBounds(0, 50, 200, 40);
  ShowForm();
  auto numbers = [](const TRecordingCanvas& canvas) {
    std::vector<AnsiString> out;
    for (const auto& call : canvas.CallsOf("ExtTextOut")) out.push_back(call.Text);
    return out;
  };
  auto texts = [&](TRpBasePanel& panel) { return numbers(*Record(panel)); };
  // Millimetres: a line every 5 mm, centimetres numbered.
  EXPECT_EQ(texts(*report), (std::vector<AnsiString>{"1", "2", "3", "4", "5", "1", "2"}));
  EXPECT_TRUE(texts(*band).empty());  // bands carry no numbers
  // Zoomed out, neither minor lines nor numbers; the band zooms too.
  report->SetZoom(50);
  EXPECT_EQ(band->Zoom(), 50);
  auto drawn = Record(*report);
  EXPECT_TRUE(numbers(*drawn).empty());
  for (const auto& line : drawn->CallsOf("Polyline")) EXPECT_EQ(line.Pen.Color, RpDesignPalette().Major);
  report->SetZoom(100);
  page.Units = TRpUnit::Inches;
  EXPECT_EQ(texts(*report), (std::vector<AnsiString>{"1", "2", "1"}));
  page.Units = TRpUnit::Native;
  EXPECT_TRUE(Record(*report)->CallsOf("Polyline").empty());
  page.SetRuler(false);
  page.Units = TRpUnit::MM;
  EXPECT_TRUE(texts(*report).empty());
}

// A frame given to a report or band takes every side, colour, style and
// width of the one given, while later changes still repaint the panel and
// not the frame it was taken from.
TEST_F(RpBasePanelTest, AGivenFrameIsTakenWholeAndStaysThePanelsOwn) {
  auto* panel = Add<TRpBasePanel>(0, 0, 200, 100);
  int sourceChanges = 0, panelChanges = 0;
  panel->Frame()->OnChange = [&] { ++panelChanges; };
  TRpFrame source;
  source.SetColor(clRed);
  source.SetDrawTop(true);
  source.SetDrawRight(true);
  source.SetStyle(psDash);
  source.SetWidth(3);
  source.OnChange = [&] { ++sourceChanges; };
  panel->SetFrame(source);
  const TRpFrame& f = *panel->Frame();
  EXPECT_EQ(f.Color(), clRed);
  EXPECT_TRUE(f.DrawTop() && f.DrawRight());
  EXPECT_FALSE(f.DrawBottom() || f.DrawLeft());
  EXPECT_EQ(f.Style(), psDash);
  EXPECT_EQ(f.Width(), 3);
  EXPECT_EQ(panelChanges, 1);
  panel->Frame()->SetWidth(1);
  EXPECT_EQ(panelChanges, 2);
  EXPECT_EQ(sourceChanges, 0);
}

TEST(RpDesignPaletteTest, TheScreenTakesTheFullPaletteAndFewColoursTheReducedOne) {
  // As the unit's start-up left it: every screen here shows more colours.
  EXPECT_EQ(RpDesignPalette().MarginStyle, psDot);
  EXPECT_EQ(RpDesignPalette().Margin, 0xFF8080);
  const struct {
    int colours;
    TPenStyle margin;
  } cases[] = {{0, psDash}, {16, psDash}, {256, psDash}, {257, psDot}, {kRpScreenColours, psDot}};
  for (const auto& c : cases) {
    ChooseRpDesignPalette(c.colours);
    EXPECT_EQ(RpDesignPalette().MarginStyle, c.margin) << c.colours;
  }
  ChooseRpDesignPalette(kRpScreenColours);
}

}  // namespace
