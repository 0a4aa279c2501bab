#include <gtest/gtest.h>

#include "GridFixture.h"
#include "grid/BaseGrid.h"

namespace {

class BaseGridTest : public GridFormTest {};

// A graphic that counts how many of it are alive, so that freeing is seen.
struct TCountedGraphic : TCellGraphicObject {
  static inline int Alive = 0;
  bool Shared = false;
  TCountedGraphic() { ++Alive; }
  ~TCountedGraphic() override { --Alive; }
  bool SharedByCells() const override { return Shared; }
};

TEST_F(BaseGridTest, PropertiesAreMadeOnFirstUseOnlyAndKeepTheirDefaults) {
  auto& g = MakeGrid<TBaseGrid>(5, 6);
  g.SetCellText(1, 1, "x");
  EXPECT_FALSE(g.HasCellProperties(1, 1));
  // Queries never make one.
  EXPECT_TRUE(g.IsBaseCell(2, 2));
  EXPECT_FALSE(g.IsMergedCell(2, 2));
  EXPECT_EQ(g.CellSpan(2, 2), (TPoint{0, 0}));
  EXPECT_EQ(g.GetGraphicObject(2, 2), nullptr);
  EXPECT_FALSE(g.HasCellProperties(2, 2));
  TCellProperties* p = g.GetCellProperties(2, 2);
  EXPECT_EQ(g.GetCellProperties(2, 2), p);
  EXPECT_EQ(p->OwnerCol, 2);
  EXPECT_EQ(p->OwnerRow, 2);
  // A fresh one changes nothing of how the cell reads.
  EXPECT_TRUE(g.IsBaseCell(2, 2));
  EXPECT_FALSE(g.IsMergedCell(2, 2));
}

TEST_F(BaseGridTest, MergedAreasReadAndWriteThroughTheirBase) {
  auto& g = MakeGrid<TBaseGrid>(6, 8);
  for (int c = 0; c < 6; ++c)
    for (int r = 0; r < 8; ++r) g.SetCellText(c, r, std::to_string(c) + "," + std::to_string(r));
  g.MergeCells(1, 2, 3, 2);  // columns 1..3, rows 2..3
  struct Case {
    int col, row;
    bool merged, base;
    TPoint baseCell;
  };
  const Case cases[] = {
      {1, 2, true, true, {1, 2}},  {3, 3, true, false, {1, 2}}, {2, 2, true, false, {1, 2}},
      {1, 3, true, false, {1, 2}}, {4, 2, false, true, {4, 2}}, {1, 4, false, true, {1, 4}},
      {0, 2, false, true, {0, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.col) + "," + std::to_string(c.row));
    EXPECT_EQ(g.IsMergedCell(c.col, c.row), c.merged);
    EXPECT_EQ(g.IsBaseCell(c.col, c.row), c.base);
    EXPECT_EQ(g.BaseCell(c.col, c.row), c.baseCell);
    EXPECT_EQ(g.GetCellText(c.col, c.row), std::to_string(c.baseCell.X) + "," + std::to_string(c.baseCell.Y));
    if (c.merged) {
      EXPECT_EQ(g.CellSpan(c.col, c.row), (TPoint{2, 1}));
      EXPECT_TRUE(g.IsXMergedCell(c.col, c.row));
      EXPECT_TRUE(g.IsYMergedCell(c.col, c.row));
      EXPECT_EQ(g.MergedCellRect(c.col, c.row), g.MergedCellRect(1, 2));
    }
  }
  const TRect whole = g.MergedCellRect(3, 3);
  EXPECT_EQ(whole.Left, g.CellRect(1, 2).Left);
  EXPECT_EQ(whole.Right, g.CellRect(3, 2).Right);
  EXPECT_EQ(whole.Bottom, g.CellRect(1, 3).Bottom);
  EXPECT_EQ(g.MergedCellSize(2, 3), (TPoint{whole.Width(), whole.Height()}));
  // Writing a covered cell changes the base cell only.
  g.SetCellText(3, 3, "area");
  EXPECT_EQ(g.GetCellDirect(1, 2), "area");
  EXPECT_EQ(g.GetCellDirect(3, 3), "3,3");
  EXPECT_EQ(g.GetCellText(2, 3), "area");
  // Split: every cell shows its own text again.
  g.SplitCells(2, 3);
  for (int c = 1; c <= 3; ++c)
    for (int r = 2; r <= 3; ++r) {
      EXPECT_FALSE(g.IsMergedCell(c, r));
      EXPECT_TRUE(g.IsBaseCell(c, r));
      if (c != 1 || r != 2) {
        EXPECT_EQ(g.GetCellText(c, r), std::to_string(c) + "," + std::to_string(r));
      }
    }
  EXPECT_EQ(g.GetCellText(1, 2), "area");
}

TEST_F(BaseGridTest, AOneByOneMergeIsABaseCellWithItsOwnRectangle) {
  auto& g = MakeGrid<TBaseGrid>(4, 4);
  g.MergeCells(2, 1, 1, 1);
  EXPECT_TRUE(g.HasCellProperties(2, 1));
  EXPECT_FALSE(g.IsMergedCell(2, 1));
  EXPECT_EQ(g.MergedCellRect(2, 1), g.CellRectEx(2, 1));
  EXPECT_EQ(g.CellSpan(2, 1), (TPoint{0, 0}));
}

TEST_F(BaseGridTest, CellRectExAgreesWithTheVisibleRectanglesAndGoesOnOutOfView) {
  auto& g = MakeGrid<TBaseGrid>(20, 200);
  g.SetColWidths(3, 0);
  g.SetRowHeights(4, 40);
  g.SetTopRow(50);
  g.SetLeftCol(2);
  for (int c : {0, 2, 4, 5})
    for (int r : {0, 50, 52}) EXPECT_EQ(g.CellRectEx(c, r), g.CellRect(c, r)) << c << "," << r;
  // Rows above the top row lie above the fixed rows, in order.
  const TRect above = g.CellRectEx(2, 49), top = g.CellRectEx(2, 50);
  EXPECT_EQ(above.Bottom, top.Top);
  EXPECT_EQ(above.Height(), g.DefaultRowHeight());
}

TEST_F(BaseGridTest, DisplayTextHookAppliesOnlyBelowTheRowLimit) {
  auto& g = MakeGrid<TBaseGrid>(3, 5);
  g.SetCellText(1, 1, "a");
  g.SetCellText(1, 4, "b");
  g.OnGetDisplText = [](TObject*, int, int, AnsiString& v) { v = "<" + v + ">"; };
  EXPECT_EQ(g.GetCellText(1, 1), "a");  // no row count assigned yet
  g.SetDisplTextRowLimit(3);
  EXPECT_EQ(g.GetCellText(1, 1), "<a>");
  EXPECT_EQ(g.GetCellText(1, 4), "b");
}

TEST_F(BaseGridTest, GraphicsKeepTheTextAndGoWithTheirProperties) {
  auto& g = MakeGrid<TBaseGrid>(4, 4);
  g.SetCellText(1, 1, "keep");
  auto* one = new TCountedGraphic;
  g.SetGraphicObject(1, 1, one);
  auto* two = new TCountedGraphic;
  g.SetGraphicObject(2, 2, two);
  EXPECT_EQ(g.GetCellText(1, 1), "keep");
  EXPECT_EQ(g.GetCellText(2, 2), "");
  EXPECT_EQ(g.GetGraphicObject(2, 2), two);
  EXPECT_EQ(TCountedGraphic::Alive, 2);
  g.ClearPropsRect(0, 0, 1, 1);  // only (1, 1)
  EXPECT_EQ(TCountedGraphic::Alive, 1);
  EXPECT_FALSE(g.HasCellProperties(1, 1));
  // A shared graphic outlives the cells that show it.
  TCountedGraphic shared;
  shared.Shared = true;
  g.SetGraphicObject(3, 3, &shared);
  g.ClearAllProps();
  EXPECT_EQ(TCountedGraphic::Alive, 1);  // only the local one
}

TEST_F(BaseGridTest, ShrinkingTheGridFreesThePropertiesItDrops) {
  auto& g = MakeGrid<TBaseGrid>(4, 10);
  g.SetGraphicObject(2, 8, new TCountedGraphic);
  g.SetGraphicObject(3, 2, new TCountedGraphic);
  ASSERT_EQ(TCountedGraphic::Alive, 2);
  g.SetRowCount(5);  // row 8 goes; one row past the count is kept
  EXPECT_EQ(TCountedGraphic::Alive, 1);
  g.SetColCount(2);
  EXPECT_EQ(TCountedGraphic::Alive, 0);
}

TEST_F(BaseGridTest, TextOnePastTheCountsIsHeldUntilTheGridGrows) {
  auto& g = MakeGrid<TBaseGrid>(3, 3);
  g.SetCellText(3, 3, "later");
  EXPECT_THROW(g.SetCellText(5, 1, "far"), EInvalidGridOperation);
  g.SetColCount(4);
  g.SetRowCount(4);
  EXPECT_EQ(g.GetCellText(3, 3), "later");
}

TEST_F(BaseGridTest, ClearingDetachesWithoutFreeing) {
  auto& g = MakeGrid<TBaseGrid>(3, 3);
  g.SetCellText(1, 1, "a");
  TCellProperties* p = g.GetCellProperties(1, 1);
  g.ClearCell(1, 1);
  EXPECT_EQ(g.GetCellText(1, 1), "");
  EXPECT_FALSE(g.HasCellProperties(1, 1));
  g.SetCellObjectDirect(2, 2, p);  // moved, as a row shift does
  g.SetCellText(0, 2, "b");
  g.ClearRow(2);
  EXPECT_FALSE(g.HasCellProperties(2, 2));
  EXPECT_EQ(g.GetCellText(0, 2), "");
  delete p;
}

TEST_F(BaseGridTest, RowsInSameMergeNeedsASharedVerticalMerge) {
  auto& g = MakeGrid<TBaseGrid>(4, 10);
  g.MergeCells(1, 1, 1, 3);  // rows 1..3 in column 1
  g.MergeCells(2, 1, 1, 2);  // rows 1..2 in column 2
  g.MergeCells(2, 3, 1, 2);  // rows 3..4 in column 2
  struct Case {
    int r1, r2;
    bool same;
  };
  for (const Case& c : {Case{1, 2, true}, Case{2, 3, false}, Case{5, 6, false}, Case{1, 5, false}}) {
    EXPECT_EQ(g.RowsInSameMerge(c.r1, c.r2), c.same) << c.r1 << "," << c.r2;
  }
}

TEST_F(BaseGridTest, ArrowKeysLeaveAMergedAreaWhole) {
  auto& g = MakeGrid<TBaseGrid>(8, 8);
  g.MergeCells(2, 2, 3, 2);
  g.SetFocus();
  g.SetCol(2);
  g.SetRow(2);
  backend->PressKey(VK_RIGHT);
  EXPECT_EQ(g.Col(), 5);
  backend->PressKey(VK_LEFT);  // into the area: lands on its base
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(g.Row(), 2);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(g.Row(), 4);
  EXPECT_EQ(g.Col(), 2);
}

TEST_F(BaseGridTest, PaintingDrawsAMergedAreaOnceWithLinesInsideTheCells) {
  struct TCountingGrid : TBaseGrid {
    using TBaseGrid::TBaseGrid;
    std::vector<std::pair<int, int>> Drawn;
    TRect AreaRect;
    void DrawCellContent(TCanvas& c, int col, int row, const TRect& r, TGridDrawState s) override {
      Drawn.emplace_back(col, row);
      if (col == 1 && row == 1) AreaRect = r;
      TBaseGrid::DrawCellContent(c, col, row, r, s);
    }
  };
  auto& g = MakeGrid<TCountingGrid>(5, 5);
  g.MergeCells(1, 1, 2, 2);
  g.SetCellText(1, 1, "M");
  g.SetGridLineColor(clRed);
  g.Drawn.clear();
  const std::uint32_t paintsBefore = g.PaintCount();
  const TImageCanvas* image = backend->Render(*form);
  ASSERT_NE(image, nullptr);
  const int paints = static_cast<int>(g.PaintCount() - paintsBefore);
  ASSERT_GE(paints, 1);
  // Once per paint, though four cells of the area were painted.
  EXPECT_EQ(std::count(g.Drawn.begin(), g.Drawn.end(), std::make_pair(1, 1)), paints);
  EXPECT_EQ(std::count(g.Drawn.begin(), g.Drawn.end(), std::make_pair(2, 2)), 0);
  // The content rectangle is the whole area less one line width.
  const TRect whole = g.MergedCellRect(1, 1);
  EXPECT_EQ(g.AreaRect, Rect(whole.Left + 1, whole.Top + 1, whole.Right - 1, whole.Bottom - 1));
  // The grid line of a plain cell is drawn in the grid-line colour at its
  // right edge, and none runs through the merged area.
  auto pixel = [&](TPoint client) {
    const TPoint p = form->ScreenToClient(g.ClientToScreen(client));
    return image->Pixel(p.X, p.Y);
  };
  const TRect plain = g.CellRect(3, 3);
  EXPECT_EQ(pixel({plain.Right - 1, plain.Top + 5}), ColorToRGB(clRed));
  const TRect inside = g.CellRect(1, 1);
  EXPECT_NE(pixel({inside.Right - 1, inside.Top + 5}), ColorToRGB(clRed));
}

TEST_F(BaseGridTest, AMirroredCanvasDrawsFromTheRightEdgeOfTheClientArea) {
  struct TBandGrid : TBaseGrid {
    using TBaseGrid::TBaseGrid;
    void Paint() override {
      TBaseGrid::Paint();
      for (bool mirrored : {true, false}) {
        MirrorCanvas(mirrored);
        Canvas().Brush->Color = mirrored ? clRed : clBlue;
        Canvas().FillRect(Rect(0, 0, mirrored ? 6 : 3, ClientHeight()));
      }
    }
  };
  auto& g = MakeGrid<TBandGrid>(3, 3);
  const TImageCanvas* image = backend->Render(*form);
  ASSERT_NE(image, nullptr);
  auto pixel = [&](int x) {
    const TPoint p = form->ScreenToClient(g.ClientToScreen({x, 30}));
    return image->Pixel(p.X, p.Y);
  };
  const int right = g.ClientWidth();
  EXPECT_EQ(pixel(right - 1), ColorToRGB(clRed));
  EXPECT_EQ(pixel(right - 6), ColorToRGB(clRed));
  EXPECT_NE(pixel(right - 7), ColorToRGB(clRed));
  EXPECT_EQ(pixel(0), ColorToRGB(clBlue));  // and back to one to one
}

}  // namespace
