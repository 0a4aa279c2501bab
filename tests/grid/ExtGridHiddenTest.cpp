#include <gtest/gtest.h>

#include "GridFixture.h"
#include "grid/ExtGrid.h"

namespace {

class ExtGridHiddenTest : public GridFormTest {
 protected:
  TExtStringGrid& Rows(int rows) {
    auto& g = MakeGrid<TExtStringGrid>(3, rows);
    for (int r = 0; r < rows; ++r) {
      g.SetCellText(1, r, "r" + std::to_string(r));
      g.SetCellText(2, r, "s" + std::to_string(r));
    }
    return g;
  }
  static std::string Shown(TExtStringGrid& g) {
    std::string out;
    for (int r = 0; r < g.RowCount(); ++r) out += (r ? " " : "") + g.GetCellText(1, r);
    return out;
  }
};

TEST_F(ExtGridHiddenTest, RealAndDisplayedIndexesStayApart) {
  auto& g = Rows(10);
  EXPECT_EQ(g.RealRowIndex(4), 4);
  g.HideRowRange(3, 5);
  EXPECT_EQ(Shown(g), "r0 r1 r2 r6 r7 r8 r9");
  struct Case {
    int displ, real;
  };
  for (const Case& c : {Case{0, 0}, Case{2, 2}, Case{3, 6}, Case{6, 9}, Case{-1, -1}}) {
    EXPECT_EQ(g.RealRowIndex(c.displ), c.real) << c.displ;
    if (c.displ >= 0) {
      EXPECT_EQ(g.DisplRowIndex(c.real), c.displ) << c.real;
    }
  }
  EXPECT_TRUE(g.IsHiddenRow(4));
  EXPECT_FALSE(g.IsHiddenRow(6));
  EXPECT_EQ(g.HiddenRowCount(), 3);
}

TEST_F(ExtGridHiddenTest, UnhidingPartOfARangeBringsBackExactlyThoseRows) {
  auto& g = Rows(10);
  g.HideRowRange(3, 5);
  g.UnHideRowRange(6, 8);  // row 6 is not hidden: nothing
  EXPECT_EQ(g.HiddenRowCount(), 3);
  g.UnHideRowRange(4, 5);  // row 4 is hidden; 4 and 5 come back, 3 stays hidden
  EXPECT_EQ(Shown(g), "r0 r1 r2 r4 r5 r6 r7 r8 r9");
  EXPECT_EQ(g.DisplRowIndex(4), 3);
  EXPECT_TRUE(g.IsHiddenRow(3));
  g.UnHideRowsAll();
  EXPECT_EQ(Shown(g), "r0 r1 r2 r3 r4 r5 r6 r7 r8 r9");
  for (int r = 0; r < 10; ++r) EXPECT_EQ(g.GetCellText(2, r), "s" + std::to_string(r));
}

TEST_F(ExtGridHiddenTest, HidingARangeWithHiddenRowsKeepsEveryRow) {
  auto& g = Rows(12);
  g.GetCellProperties(2, 5)->FontSize = 14;
  g.SetRowHeights(5, 33);
  g.HideRowRange(4, 5);
  g.HideRowRange(7, 8);
  g.HideRowRange(3, 9);  // holds hidden rows already: the shown ones go
  EXPECT_EQ(Shown(g), "r0 r1 r2 r10 r11");
  EXPECT_EQ(g.HiddenRowCount(), 7);
  g.UnHideRowRange(7, 8);
  EXPECT_EQ(Shown(g), "r0 r1 r2 r7 r8 r10 r11");
  g.UnHideRowsAll();
  EXPECT_EQ(Shown(g), "r0 r1 r2 r3 r4 r5 r6 r7 r8 r9 r10 r11");
  ASSERT_NE(g.FindCellProperties(2, 5), nullptr);
  EXPECT_EQ(g.FindCellProperties(2, 5)->FontSize, 14);
  EXPECT_EQ(g.RowHeights(5), 33);
}

TEST_F(ExtGridHiddenTest, StructureChangesAndHiddenRowsKeepTheirRealIndexes) {
  auto& g = Rows(8);
  g.HideRowRange(5, 5);
  g.InsertRows(2, 1);  // displayed index 2 is real 2: rows from there move down
  g.SetCellText(1, 2, "new");
  EXPECT_EQ(Shown(g), "r0 r1 new r2 r3 r4 r6 r7");
  g.RemoveRows(0, 1);
  EXPECT_EQ(Shown(g), "r1 new r2 r3 r4 r6 r7");
  g.UnHideRowsAll();
  EXPECT_EQ(g.GetCellText(1, 5), "r5");
}

TEST_F(ExtGridHiddenTest, NodesContractAndExpandTheirRows) {
  auto& g = Rows(10);
  g.AddNode(1, 3);  // rows 1..3
  g.AddNode(5, 0);  // up to the end
  EXPECT_TRUE(g.HasNodes());
  EXPECT_EQ(g.NodeCount(), 2);
  EXPECT_EQ(g.GetNodeSpan(1), 3);
  EXPECT_EQ(g.GetNodeSpan(2), -1);
  g.ContractNode(1);
  EXPECT_TRUE(g.GetNodeState(1));
  EXPECT_EQ(Shown(g), "r0 r1 r4 r5 r6 r7 r8 r9");
  g.ContractNode(5);  // span 0: to the end of the grid
  EXPECT_EQ(Shown(g), "r0 r1 r4 r5");
  g.ExpandNode(1);
  EXPECT_EQ(Shown(g), "r0 r1 r2 r3 r4 r5");
  g.ExpandNode(5);
  EXPECT_EQ(Shown(g), "r0 r1 r2 r3 r4 r5 r6 r7 r8 r9");
  g.GetCellProperties(0, 2)->NodeLevel = 1;
  EXPECT_EQ(g.GetCellIndent(2), 16);
  EXPECT_EQ(g.NodePosition(1), 0);
  EXPECT_EQ(g.NodePosition(2), 2);
  EXPECT_EQ(g.NodePosition(3), 1);
  g.RemoveCellGraphic(1, 1);
  g.ClearRect(0, 0, 0, 9);
  EXPECT_EQ(g.NodeCount(), 0);
  EXPECT_FALSE(g.HasNodes());
}

TEST_F(ExtGridHiddenTest, HiddenColumnsStayInTheStoreAtTheirRealIndex) {
  auto& g = MakeGrid<TExtStringGrid>(6, 3);
  for (int c = 0; c < 6; ++c) {
    g.SetCellText(c, 1, "c" + std::to_string(c));
    g.SetColWidths(c, 20 + c);
  }
  EXPECT_EQ(g.RealColIndex(3), 3);  // identity while nothing is hidden
  EXPECT_EQ(g.DisplColIndex(3), 3);
  g.HideColumn(2);
  g.HideColumn(4);
  EXPECT_EQ(g.ColCount(), 4);
  EXPECT_EQ(g.HiddenColCount(), 2);
  struct Case {
    int displ, real;
  };
  for (const Case& c : {Case{0, 0}, Case{1, 1}, Case{2, 3}, Case{3, 5}}) {
    EXPECT_EQ(g.RealColIndex(c.displ), c.real);
    EXPECT_EQ(g.DisplColIndex(c.real), c.displ);
    EXPECT_EQ(g.ColWidths(c.displ), 20 + c.real);
  }
  EXPECT_EQ(g.RealColIndex(600), 600);
  // Text is read and written by real column, also in hidden ones.
  EXPECT_EQ(g.GetCellText(5, 1), "c5");
  g.SetCellText(4, 1, "changed");
  // Rows move with their hidden cells.
  g.InsertRows(0, 1);  // row 1 to 2
  g.RemoveRows(0, 1);  // back to 1
  g.InsertRows(1, 1);  // to 2
  EXPECT_EQ(g.GetCellText(4, 2), "changed");
  g.UnHideColumnsAll();
  EXPECT_EQ(g.ColCount(), 6);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(g.ColWidths(c), 20 + c);
  EXPECT_EQ(g.GetCellText(2, 2), "c2");
  EXPECT_EQ(g.GetCellText(4, 2), "changed");
}

TEST_F(ExtGridHiddenTest, InsertingColumnsKeepsHiddenColumnsHidden) {
  auto& g = MakeGrid<TExtStringGrid>(4, 2);
  for (int c = 0; c < 4; ++c) g.SetCellText(c, 0, "c" + std::to_string(c));
  g.HideColumn(2);
  g.InsertCols(1, 1);
  EXPECT_TRUE(g.IsHiddenColumn(3));
  EXPECT_EQ(g.GetCellText(3, 0), "c2");
  EXPECT_EQ(g.ColCount(), 4);
  g.RemoveCols(0, 1);
  EXPECT_TRUE(g.IsHiddenColumn(2));
  EXPECT_EQ(g.GetCellText(2, 0), "c2");
}

TEST_F(ExtGridHiddenTest, StretchColumnFillsTheClientWidth) {
  auto& g = MakeGrid<TExtStringGrid>(4, 3, 400);
  for (int c = 0; c < 4; ++c) g.SetColWidths(c, 50);
  g.StretchColumn(-1);  // stretching off: nothing
  EXPECT_EQ(g.ColWidths(3), 50);
  // The index is checked before stretching is, and changes nothing.
  for (bool stretch : {false, true}) {
    g.ColumnSize().SetStretch(stretch);
    for (int c = 0; c < 4; ++c) g.SetColWidths(c, 50);
    EXPECT_EQ(ErrorOf<Exception>([&] { g.StretchColumn(4); }), "Stretch column index out of range")
        << stretch;
    EXPECT_EQ(g.ColWidths(3), 50);
  }
  g.StretchColumn(-1);
  EXPECT_EQ(g.ColWidths(3), g.ClientWidth() - 150 - 1);
  for (int c = 0; c < 3; ++c) g.SetColWidths(c, 300);
  g.StretchColumn(-1);
  EXPECT_EQ(g.ColWidths(3), g.DefaultColWidth());
}

// A resize stretches whenever stretching is on: with no room left by the
// other columns the stretch column goes back to the default width.
TEST_F(ExtGridHiddenTest, AResizedGridStretchesAlsoWhenTheOthersFillTheWidth) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3, 400);
  g.SetColWidths(0, 150);
  g.SetColWidths(1, 150);
  g.SetColWidths(2, 30);
  g.ColumnSize().SetStretch(true);
  const int border = g.Width() - g.ClientWidth();
  struct Case {
    int clientWidth, stretched;
  };
  const Case cases[] = {{250, g.DefaultColWidth()}, {500, 500 - 300 - 1}, {300, g.DefaultColWidth()}};
  for (const Case& c : cases) {
    g.SetBounds(g.Left(), g.Top(), c.clientWidth + border, g.Height());
    ASSERT_EQ(g.ClientWidth(), c.clientWidth);
    EXPECT_EQ(g.ColWidths(0), 150) << c.clientWidth;
    EXPECT_EQ(g.ColWidths(2), c.stretched) << c.clientWidth;
  }
}

// The edges of a heading merged over two columns are its own: between the
// columns under it the mouse selects the column instead of sizing.
TEST_F(ExtGridHiddenTest, AMergedHeadingHasItsSizingEdgesWhereItEnds) {
  auto& g = MakeGrid<TExtStringGrid>(5, 4);
  g.SetOptions(g.Options() + TGridOptions{goRangeSelect, goColSizing});
  g.MouseActions().ColSelect = true;
  g.MergeCells(1, 0, 2, 1);
  const TRect first = g.CellRect(1, 0), merged = g.MergedCellRect(1, 0), plain = g.CellRect(3, 0);
  ASSERT_EQ(merged.Right, g.CellRect(2, 0).Right);
  struct Case {
    int x;
    TGridCursorKind kind;
  };
  const Case cases[] = {
      {first.Right - 2, ckColumnSelect},  {first.Right + 2, ckColumnSelect},
      {merged.Left + 20, ckColumnSelect}, {merged.Left + 2, ckNone},
      {merged.Right - 2, ckNone},         {plain.Right - 2, ckNone},
      {plain.Left + 20, ckColumnSelect},
  };
  for (const Case& c : cases) {
    backend->MoveMouse(g, c.x, first.Top + 8);
    EXPECT_EQ(g.CursorKind(), c.kind) << c.x;
  }
}

}  // namespace
