#include <gtest/gtest.h>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridMouse.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Windows.h"

namespace {

class ExtGridWindowTest : public GridFormTest {
 protected:
  // A grid of 8 columns and 30 rows with a footer row and a fixed right
  // column; the current cell is (3, 5).
  TExtStringGrid& PanGrid(TIntelliPan pan) {
    auto& g = MakeGrid<TExtStringGrid>(8, 30, 300, 200);
    g.SetFixedFooters(1);
    g.SetFixedRightCols(1);
    g.IntelliPan = pan;
    g.SetCol(3);
    g.SetRow(5);
    return g;
  }
};

TEST_F(ExtGridWindowTest, PanningHoldsTheMouseAndSilencesHintsUntilItEnds) {
  auto& g = PanGrid(ipBoth);
  g.SetShowHint(true);
  backend->Click(g, 100, 100, 2);
  ASSERT_TRUE(g.Panning());
  EXPECT_EQ(GetCapture(), g.Handle());
  EXPECT_FALSE(g.ShowHint());
  backend->PressKey(VK_ESCAPE);
  EXPECT_FALSE(g.Panning());
  EXPECT_NE(GetCapture(), g.Handle());
  EXPECT_TRUE(g.ShowHint());
  // The timer is gone with the panning: the cell stays.
  backend->MoveMouse(g, 160, 160);
  backend->Advance(100);
  EXPECT_EQ(g.Row(), 5);
  EXPECT_EQ(g.Col(), 3);
}

// The mark at the pressed point shows the ways the grid pans, on the
// white the grid's key colour turns into, from the first tick on.
TEST_F(ExtGridWindowTest, ThePanMarkShowsTheWaysOfItsKindAtEveryTick) {
  struct Case {
    TIntelliPan pan;
    bool vertical, horizontal;
  } cases[] = {{ipBoth, true, true}, {ipHorizontal, false, true}, {ipVertical, true, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.pan);
    auto& g = PanGrid(k.pan);
    backend->Click(g, 100, 100, 2);
    ASSERT_TRUE(g.Panning());
    for (int ticks : {1, 3, 20}) {
      backend->Advance(10 * ticks);
      const TImageCanvas* shot = backend->Render(*form);
      ASSERT_NE(shot, nullptr);
      const TPoint on = g.ClientToScreen(Point(100, 100)), origin = form->ClientToScreen(Point(0, 0));
      const TPoint at = Point(on.X - origin.X, on.Y - origin.Y);
      const auto pixel = [&](int x, int y) { return ColorToRGB(shot->Pixel(at.X + x, at.Y + y)); };
      EXPECT_EQ(pixel(0, 0), clWhite) << ticks;    // the key colour
      EXPECT_EQ(pixel(16, 16), clWhite) << ticks;  // the dot's middle
      EXPECT_EQ(pixel(13, 16), clBlack) << ticks;  // its ring
      EXPECT_EQ(pixel(16, 4) == clBlack, k.vertical) << ticks;
      EXPECT_EQ(pixel(16, 27) == clBlack, k.vertical) << ticks;
      EXPECT_EQ(pixel(4, 16) == clBlack, k.horizontal) << ticks;
      EXPECT_EQ(pixel(27, 16) == clBlack, k.horizontal) << ticks;
    }
    backend->PressKey(VK_ESCAPE);
    EXPECT_FALSE(g.Panning());
  }
}

// Ticks that find the mark as it was drawn leave the window alone; a paint
// over it brings it back at the next tick.
TEST_F(ExtGridWindowTest, ThePanMarkIsDrawnAgainOnlyAfterTheWindowWasDrawnOver) {
  auto& g = PanGrid(ipBoth);
  backend->Click(g, 100, 100, 2);
  ASSERT_TRUE(g.Panning());
  backend->Advance(10);
  Application->ProcessMessages();
  const int shown = backend->PaintPasses;
  backend->Advance(200);
  EXPECT_EQ(backend->PaintPasses, shown);

  const TPoint on = g.ClientToScreen(Point(100, 100)), origin = form->ClientToScreen(Point(0, 0));
  const TPoint at = Point(on.X - origin.X, on.Y - origin.Y);
  const auto arrowTip = [&] { return ColorToRGB(backend->Render(*form)->Pixel(at.X + 16, at.Y + 4)); };
  ASSERT_EQ(arrowTip(), clBlack);
  g.Invalidate();
  EXPECT_NE(arrowTip(), clBlack);  // painted over
  backend->Advance(10);
  EXPECT_EQ(arrowTip(), clBlack);
  EXPECT_GT(backend->PaintPasses, shown);
  backend->PressKey(VK_ESCAPE);
}

// A tick that scrolls the cells under the mark leaves the mark to the next
// tick, as the paint after the scroll covers its place: the window shows
// what a whole paint shows, and the mark again once the cells stay.
TEST_F(ExtGridWindowTest, AScrollUnderTheMarkLeavesItToTheNextTick) {
  auto& g = PanGrid(ipVertical);
  g.SetRow(g.TopRow() + g.VisibleRowCount() - 1);
  backend->Click(g, 100, 100, 2);
  ASSERT_TRUE(g.Panning());
  backend->Advance(TExtStringGrid::PanInterval);
  const TPoint on = g.ClientToScreen(Point(100, 100)), origin = form->ClientToScreen(Point(0, 0));
  const TPoint at = Point(on.X - origin.X, on.Y - origin.Y);
  const auto arrowTip = [&] { return ColorToRGB(backend->Render(*form)->Pixel(at.X + 16, at.Y + 4)); };
  ASSERT_EQ(arrowTip(), clBlack);

  backend->MoveMouse(g, 100, 140);
  const int top = g.TopRow();
  g.Perform(WM_TIMER, TExtStringGrid::PanTimerId, 0);
  ASSERT_GT(g.TopRow(), top);
  EXPECT_TRUE(ui::paint::PaintPendingOver(&g, Bounds(100, 100, 32, 32)));
  const TPixelBlock scrolled = backend->Render(*form)->Snapshot();
  form->Invalidate();
  const TPixelBlock whole = backend->Render(*form)->Snapshot();
  EXPECT_TRUE(scrolled.Pixels == whole.Pixels);

  backend->MoveMouse(g, 100, 100);
  backend->Advance(TExtStringGrid::PanInterval);
  EXPECT_EQ(arrowTip(), clBlack);
  backend->PressKey(VK_ESCAPE);
}

TEST_F(ExtGridWindowTest, NoPanningWhenItIsOff) {
  auto& g = PanGrid(ipNone);
  backend->Click(g, 100, 100, 2);
  EXPECT_FALSE(g.Panning());
  EXPECT_EQ(g.Cursor(), crDefault);
  EXPECT_NE(GetCapture(), g.Handle());
}

TEST_F(ExtGridWindowTest, EachPanKindMovesAlongItsOwnAxesAndStopsAtTheFixedEdges) {
  struct Case {
    const char* what;
    TIntelliPan pan;
    int dx, dy;  // mouse offset from the origin
    int ticks;
    int col, row;
    TCursor cursor;
  };
  const Case cases[] = {
      {"both, down right", ipBoth, 20, 20, 2, 5, 7, crGridPanDownRight},
      {"both, up left", ipBoth, -20, -20, 2, 1, 3, crGridPanUpLeft},
      {"horizontal ignores the vertical", ipHorizontal, 20, 20, 2, 5, 5, crGridPanRight},
      {"vertical ignores the horizontal", ipVertical, -20, 20, 2, 3, 7, crGridPanDown},
      {"five pixels are no move", ipBoth, 5, -5, 3, 3, 5, crGridPan},
      {"never into the right fixed column", ipBoth, 20, 0, 20, 6, 5, crGridPanRight},
      {"never into the footer", ipVertical, 0, 20, 40, 3, 28, crGridPanDown},
      {"never into the headings", ipBoth, -20, -20, 40, 1, 1, crGridPanUpLeft},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = PanGrid(k.pan);
    backend->Click(g, 100, 100, 2);
    ASSERT_TRUE(g.Panning());
    backend->MoveMouse(g, 100 + k.dx, 100 + k.dy);
    backend->Advance(10 * k.ticks);
    EXPECT_EQ(g.Col(), k.col);
    EXPECT_EQ(g.Row(), k.row);
    EXPECT_EQ(g.MouseState().PanCursor, k.cursor);
    backend->PressMouse(g, 100, 100, 0);
    EXPECT_FALSE(g.Panning());
    backend->ReleaseMouse(g, 100, 100, 0);
    backend->Advance(1000);
  }
}

}  // namespace
