#include <gtest/gtest.h>

#include "UiFixture.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/WindowManager.h"

namespace {

class PaintTest : public UiTest {
 protected:
  // The pixel at a point of Control (its client coordinates), as RGB.
  TColor PixelOf(TControl& control, int x, int y) {
    const TImageCanvas* image = backend->Render(*control.TopLevel());
    const TPoint screen = control.ClientToScreen(Point(x, y));
    const TPoint at = Point(screen.X - control.TopLevel()->Left(), screen.Y - control.TopLevel()->Top());
    return image->Pixel(at.X, at.Y);
  }
  void ResetCounts(TDemoForm& f) {
    f.Edit1->PaintCount = f.Edit2->PaintCount = f.Swatch->PaintCount = 0;
    f.OkButton->PaintCount = f.CancelButton->PaintCount = f.StopButton->PaintCount = 0;
  }
};

TEST_F(PaintTest, FirstPassPaintsEveryControlParentsFirst) {
  TDemoForm& f = ShowDemo();
  EXPECT_EQ(f.Edit1->PaintCount, 1);
  EXPECT_EQ(f.Swatch->PaintCount, 1);
  EXPECT_EQ(f.OkButton->PaintCount, 1);
  EXPECT_EQ(PixelOf(*f.Swatch, 20, 20), ColorToRGB(clRed));
  EXPECT_EQ(PixelOf(*f.Edit2, 100, 20), ColorToRGB(clWindow));
  EXPECT_EQ(PixelOf(f, 300, 150), ColorToRGB(clBtnFace));
}

TEST_F(PaintTest, InvalidationPaintsOnlyWhatChanged) {
  TDemoForm& f = ShowDemo();
  ResetCounts(f);
  const int passes = backend->PaintPasses;
  f.Swatch->SetColor(clBlue);          // invalidates
  f.Swatch->Invalidate();              // twice: still one paint
  EXPECT_EQ(f.Swatch->PaintCount, 0);  // nothing until the loop runs
  Application->ProcessMessages();
  EXPECT_EQ(f.Swatch->PaintCount, 1);
  EXPECT_EQ(f.Edit1->PaintCount + f.Edit2->PaintCount, 0);
  EXPECT_EQ(f.OkButton->PaintCount + f.CancelButton->PaintCount + f.StopButton->PaintCount, 0);
  EXPECT_EQ(backend->PaintPasses, passes + 1);
  EXPECT_EQ(PixelOf(*f.Swatch, 20, 20), ColorToRGB(clBlue));

  f.Edit1->InvalidateRect(Rect(5, 5, 15, 12));
  Application->ProcessMessages();
  EXPECT_EQ(f.Edit1->PaintCount, 1);
  EXPECT_EQ(f.Edit1->LastPaintClip, Rect(5, 5, 15, 12));
  EXPECT_EQ(f.Swatch->PaintCount, 1);
}

TEST_F(PaintTest, ChildrenAreClippedToTheirParent) {
  TDemoForm& f = ShowDemo();
  auto* panel = f.Add<TDemoLockable>("Panel", 50, 120, 100, 50);
  panel->SetColor(clGreen);
  auto* inner = new TDemoSwatch(&f);
  inner->SetBounds(80, 10, 60, 20);  // sticks out 40 pixels to the right
  inner->SetParent(panel);
  Application->ProcessMessages();
  EXPECT_EQ(PixelOf(*inner, 10, 10), ColorToRGB(clRed));
  EXPECT_EQ(PixelOf(f, 155, 135), ColorToRGB(clBtnFace));  // beyond the panel
  EXPECT_EQ(inner->LastPaintClip, Rect(0, 0, 20, 20));
}

TEST_F(PaintTest, ControlThatSwallowsPaintKeepsItsPixelsUntilUnlocked) {
  TDemoForm& f = ShowDemo();
  auto* grid = f.Add<TDemoLockable>("Grid", 250, 100, 100, 80);
  grid->SetColor(clWhite);
  Application->ProcessMessages();
  ASSERT_EQ(PixelOf(*grid, 50, 40), ColorToRGB(clWhite));
  grid->UpdateCount = 1;
  grid->SetColor(clNavy);
  Application->ProcessMessages();
  EXPECT_EQ(PixelOf(*grid, 50, 40), ColorToRGB(clWhite));
  grid->UpdateCount = 0;
  grid->Invalidate();
  Application->ProcessMessages();
  EXPECT_EQ(PixelOf(*grid, 50, 40), ColorToRGB(clNavy));
}

TEST_F(PaintTest, PaintThatFailsLeavesTheRestPainted) {
  TDemoForm& f = ShowDemo();
  f.Swatch->OnPaint = nullptr;
  class Broken : public TDemoSwatch {
   public:
    using TDemoSwatch::TDemoSwatch;

   protected:
    void Paint() override { throw Exception("cannot draw"); }
  };
  auto* broken = new Broken(&f);
  broken->SetBounds(300, 10, 20, 20);
  broken->SetParent(&f);
  f.Swatch->SetColor(clLime);
  Application->ProcessMessages();
  EXPECT_EQ(PixelOf(*f.Swatch, 5, 5), ColorToRGB(clLime));
  EXPECT_TRUE(backend->ErrorBoxes.empty());
}

TEST_F(PaintTest, TypedTextIsDrawn) {
  TDemoForm& f = ShowDemo();
  auto inkIn = [&](TControl& c) {
    int ink = 0;
    for (int y = 0; y < c.Height(); ++y)
      for (int x = 0; x < c.Width(); ++x)
        if (PixelOf(c, x, y) != ColorToRGB(clWindow)) ++ink;
    return ink;
  };
  EXPECT_EQ(inkIn(*f.Edit1), 0);
  backend->Type("Δοκιμή"_a);
  EXPECT_GT(inkIn(*f.Edit1), 20);
}

TEST_F(PaintTest, PaintToRecordsWhatTheControlsDraw) {
  TDemoForm& f = ShowDemo();
  f.Edit2->SetText("abc");
  TRecordingCanvas recording(800, 600);
  f.PaintTo(recording, 0, 0);
  EXPECT_NE(recording.TextDrawn().find("abc"), AnsiString::npos);
  bool swatchFilled = false;
  for (const TDrawCall& call : recording.CallsOf("FillRect"))
    if (call.Args == std::vector<int>{200, 10, 240, 50} && call.Brush.Color == clRed) swatchFilled = true;
  EXPECT_TRUE(swatchFilled);
}

TEST_F(PaintTest, AWindowNotShowingHasNoPixelsToSave) {
  TDemoForm& f = ShowDemo();
  EXPECT_THROW(backend->SaveWindowPng(*NewForm<TDemoForm>(&f), "never.png"), EInvalidOperation);
}

TEST_F(PaintTest, ResizingTheWindowRepaintsAtTheNewSize) {
  TDemoForm& f = ShowDemo();
  backend->ResizeWindow(f, 600, 400);
  const TImageCanvas* image = backend->Render(f);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width(), 600);
  EXPECT_EQ(image->Pixel(550, 350), ColorToRGB(clBtnFace));
}

TEST_F(PaintTest, DrawingOutsidePaintShowsAtTheNextIdleMoment) {
  TDemoForm& f = ShowDemo();
  const int passes = backend->PaintPasses;
  TCanvas& c = f.Edit2->Canvas();
  c.Brush->Color = clBlack;
  c.FillRect(Rect(0, 0, 4, 4));
  Application->ProcessMessages();
  EXPECT_EQ(backend->PaintPasses, passes + 1);
  EXPECT_EQ(PixelOf(*f.Edit2, 1, 1), ColorToRGB(clBlack));
  EXPECT_EQ(PixelOf(*f.Edit1, 1, 1), ColorToRGB(clWindow));  // nothing beyond the control
}

// A control can tell whether anything was drawn on its window since it
// last looked: the serial moves on with every paint pass and every canvas
// handed out outside one, and stands still otherwise.
TEST_F(PaintTest, TheDrawSerialMovesOnOnlyWhenTheWindowMayBeDrawnOn) {
  TDemoForm& f = ShowDemo();
  const std::uint64_t first = ui::paint::DrawSerialOf(f.Edit1);
  EXPECT_NE(first, 0u);
  EXPECT_EQ(ui::paint::DrawSerialOf(f.Edit2), first);  // one window, one serial
  Application->ProcessMessages();
  EXPECT_EQ(ui::paint::DrawSerialOf(f.Edit1), first);  // nothing to paint
  f.Swatch->Invalidate();
  EXPECT_EQ(ui::paint::DrawSerialOf(f.Edit1), first);  // not painted yet
  Application->ProcessMessages();
  const std::uint64_t painted = ui::paint::DrawSerialOf(f.Edit1);
  EXPECT_NE(painted, first);
  f.Edit2->Canvas();
  EXPECT_NE(ui::paint::DrawSerialOf(f.Edit1), painted);
  f.Edit1->SetVisible(false);
  EXPECT_EQ(ui::paint::DrawSerialOf(f.Edit1), 0u);
}

}  // namespace
