// The program's two captioned panels as the program builds them: the main
// window's guarantee panel and the budget window's discount search, each
// with its shade, bar height, grain, hover and shadow, drawn for review.
#include "platform/rtl/Cp1253.h"
#include "tests/TestOutput.h"
#include "tests/tender/MainWindowFixture.h"

namespace {

class ApplicationPanels : public MainWindowTest {
 protected:
  void TearDown() override {
    delete BudgetForm;
    MainWindowTest::TearDown();
  }
};

TEST_F(ApplicationPanels, BothPanelsHaveTheirShadedBarsAndReadableCaptions) {
  TFrmAXP& w = Start();
  w.BitBtn1Click(nullptr);
  ASSERT_TRUE(w.ExtraKe->Visible());
  TUproypFrm& b = EnsureBudgetForm();
  b.Show();
  b.inEkptEpim->Show();
  Application->ProcessMessages();
  const struct {
    TWinControl* window;
    TExtPanel* panel;
    TShadeType shade;
    int height;
    int grain;
    const char* picture;
  } panels[] = {{&w, w.ExtraKe, stDiagShade, 25, 40, "guarantee_panel.png"},
                {&b, b.inEkptEpim, stHShade, 40, 60, "search_panel.png"}};
  for (const auto& p : panels) {
    SCOPED_TRACE(p.picture);
    const TPanelCaption& c = p.panel->Caption();
    EXPECT_TRUE(c.Visible());
    EXPECT_EQ(c.ShadeType(), p.shade);
    EXPECT_EQ(c.Height(), p.height);
    EXPECT_EQ(c.ShadeGrain(), p.grain);
    EXPECT_EQ(c.ShadeLight(), 200);
    EXPECT_EQ(c.Color(), static_cast<TColor>(0xFF8000));
    EXPECT_TRUE(c.Flat());
    EXPECT_FALSE(c.CloseButton());
    EXPECT_FALSE(c.MinMaxButton());
    EXPECT_TRUE(p.panel->Hover());
    EXPECT_EQ(p.panel->ShadowOffset(), 2);
    EXPECT_FALSE(p.panel->Position().Save);
    EXPECT_TRUE(p.panel->CanMove);
    EXPECT_TRUE(p.panel->CanSize());
    // The text stands in the middle of the bar, white on the shade.
    EXPECT_GT(c.TopIndent(), 0);
    EXPECT_EQ(c.Font().Color, clWhite);
    backend->SaveWindowPng(*p.window, TestOutput(p.picture));
    const TImageCanvas* image = backend->Render(*p.window);
    ASSERT_NE(image, nullptr);
    const TPoint bar =
        p.window->ScreenToClient(p.panel->ClientToScreen(Point(p.panel->Width() - 4, p.height / 2)));
    const TColor shade = image->Pixel(bar.X, bar.Y);
    EXPECT_NE(shade, clWhite);
    EXPECT_NE(shade, clBtnFace);
    // The horizontal shade runs dark to light from left to right.
    if (p.shade == stHShade) {
      const TPoint left = p.window->ScreenToClient(p.panel->ClientToScreen(Point(1, p.height / 2)));
      EXPECT_LT(GetBValue(ColorToRGB(image->Pixel(left.X, left.Y))), GetBValue(ColorToRGB(shade)));
    }
  }
}

}  // namespace
