#include <gtest/gtest.h>

#include "GridFixture.h"
#include "grid/ExtGrid.h"

namespace {

class ExtGridStructureTest : public GridFormTest {
 protected:
  // One column of row texts: "A", "B", ... from row 0.
  TExtStringGrid& Letters(int rows, int cols = 3) {
    auto& g = MakeGrid<TExtStringGrid>(cols, rows);
    for (int r = 0; r < rows; ++r) g.SetCellText(1, r, std::string(1, static_cast<char>('A' + r)));
    return g;
  }
  static std::string Column(TExtStringGrid& g, int col) {
    std::string out;
    for (int r = 0; r < g.RowCount(); ++r) out += g.GetCellText(col, r).empty() ? "." : g.GetCellText(col, r);
    return out;
  }
};

TEST_F(ExtGridStructureTest, InsertRowsShiftsTextsHeightsAndProperties) {
  auto& g = Letters(3);
  g.SetRowHeights(1, 40);
  g.SetRowHeights(2, 30);
  TCellProperties* bProps = g.GetCellProperties(1, 1);
  g.InsertRows(1, 2);
  EXPECT_EQ(Column(g, 1), "A..BC");
  EXPECT_EQ(g.RowHeights(1), g.DefaultRowHeight());
  EXPECT_EQ(g.RowHeights(2), g.DefaultRowHeight());
  EXPECT_EQ(g.RowHeights(3), 40);
  EXPECT_EQ(g.RowHeights(4), 30);
  EXPECT_EQ(g.FindCellProperties(1, 3), bProps);
  EXPECT_FALSE(g.HasCellProperties(1, 1));
  EXPECT_FALSE(g.HasCellProperties(1, 2));
}

TEST_F(ExtGridStructureTest, RemovingRowsFreesTheirPropertiesAndKeepsTheRest) {
  struct Case {
    const char* name;
    int from, count;
    const char* expected;
  };
  const Case cases[] = {
      {"middle", 1, 2, "ADE"},
      {"start", 0, 1, "BCDE"},
      {"end", 3, 2, "ABC"},
      {"past the end is cut", 4, 9, "ABCD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto& g = Letters(5);
    for (int r = 0; r < 5; ++r) g.AddComment(0, r, std::to_string(r));
    g.RemoveRows(c.from, c.count);
    EXPECT_EQ(Column(g, 1), c.expected);
    // The comments stayed with their rows; no cell shares properties.
    for (int r = 0; r < g.RowCount(); ++r) {
      AnsiString comment;
      ASSERT_TRUE(g.IsComment(0, r, comment));
      EXPECT_EQ(comment, std::to_string(static_cast<int>(g.GetCellText(1, r)[0] - 'A')));
    }
    g.SetRowCount(g.RowCount() + 1);  // the row past the end was emptied
    EXPECT_EQ(g.GetCellText(1, g.RowCount() - 1), "");
    EXPECT_FALSE(g.HasCellProperties(0, g.RowCount() - 1));
  }
}

TEST_F(ExtGridStructureTest, BadIndexesRaiseTheGridsError) {
  auto& g = Letters(4);
  EXPECT_THROW(g.RemoveRows(4, 1), EExtGridError);
  EXPECT_THROW(g.RemoveRows(-1, 1), EExtGridError);
  EXPECT_THROW(g.InsertRows(5, 1), EExtGridError);
  EXPECT_THROW(g.InsertCols(4, 1), EExtGridError);
  EXPECT_THROW(g.RemoveCols(3, 1), EExtGridError);
  g.RemoveRows(1, 0);  // nothing to do
  EXPECT_EQ(Column(g, 1), "ABCD");
}

TEST_F(ExtGridStructureTest, DeleteRowsAtTheEndMovesTheCurrentRowUp) {
  auto& g = Letters(6);
  g.SetRow(5);
  g.DeleteRows(4, 2);
  EXPECT_EQ(g.RowCount(), 4);
  EXPECT_EQ(g.Row(), 3);
  EXPECT_EQ(Column(g, 1), "ABCD");
}

TEST_F(ExtGridStructureTest, InsertingAndRemovingRowsSplitsCrossedMergedAreas) {
  auto& g = Letters(8);
  g.MergeCells(1, 2, 1, 3);  // rows 2..4
  g.InsertRows(3, 1);
  // No covered cell names a base that moved away.
  for (int r = 0; r < g.RowCount(); ++r) {
    EXPECT_FALSE(g.IsMergedCell(1, r)) << r;
    EXPECT_TRUE(g.IsBaseCell(1, r)) << r;
  }
  EXPECT_EQ(Column(g, 1), "ABC.DEFGH");
  g.MergeCells(1, 5, 1, 3);  // rows 5..7
  g.RemoveRows(6, 1);
  for (int r = 0; r < g.RowCount(); ++r) EXPECT_TRUE(g.IsBaseCell(1, r)) << r;
  EXPECT_EQ(Column(g, 1), "ABC.DEGH");
  // An area wholly outside the change moves with its rows.
  g.MergeCells(1, 5, 1, 2);
  g.InsertRows(1, 1);
  EXPECT_TRUE(g.IsMergedCell(1, 6));
  EXPECT_EQ(g.BaseCell(1, 7), (TPoint{1, 6}));
}

TEST_F(ExtGridStructureTest, DisjunctRowSelectionFollowsItsRows) {
  auto& g = Letters(6);
  g.MouseActions().SetDisjunctRowSelect(true);
  g.SetRowSelect(2, true);
  g.SetRowSelect(4, true);
  g.InsertRows(1, 1);
  EXPECT_FALSE(g.RowSelect(2));
  EXPECT_TRUE(g.RowSelect(3));
  EXPECT_TRUE(g.RowSelect(5));
  g.RemoveSelectedRows();
  EXPECT_EQ(Column(g, 1), "A.BDF");
}

TEST_F(ExtGridStructureTest, ColumnsInsertAndRemoveWithTheirWidths) {
  auto& g = MakeGrid<TExtStringGrid>(4, 3);
  for (int c = 0; c < 4; ++c) {
    g.SetCellText(c, 1, std::string(1, static_cast<char>('a' + c)));
    g.SetColWidths(c, 30 + c);
  }
  g.InsertCols(0, 1);
  EXPECT_EQ(g.ColWidths(0), g.DefaultColWidth());
  EXPECT_EQ(g.ColWidths(1), 30);
  EXPECT_EQ(g.GetCellText(0, 1), "");
  EXPECT_EQ(g.GetCellText(1, 1), "a");
  g.AddComment(3, 1, "c");
  g.RemoveCols(1, 2);
  EXPECT_EQ(g.ColCount(), 3);
  EXPECT_EQ(g.GetCellText(1, 1), "c");
  EXPECT_EQ(g.ColWidths(1), 32);
  AnsiString comment;
  EXPECT_TRUE(g.IsComment(1, 1, comment));
}

TEST_F(ExtGridStructureTest, ClearingOperationsEmptyTheirCellsAndFreeTheirProperties) {
  struct Case {
    const char* name;
    std::function<void(TExtStringGrid&)> clear;
    std::vector<std::pair<int, int>> cleared;
  };
  const std::vector<Case> cases = {
      {"ClearRows", [](TExtStringGrid& g) { g.ClearRows(1, 2); }, {{0, 1}, {3, 1}, {0, 2}, {3, 2}}},
      {"ClearColumns", [](TExtStringGrid& g) { g.ClearColumns(2, 2); }, {{2, 0}, {3, 0}, {2, 3}, {3, 3}}},
      {"ClearAllCells", [](TExtStringGrid& g) { g.ClearAllCells(); }, {{0, 0}, {3, 3}, {1, 2}}},
      {"ClearColumns none", [](TExtStringGrid& g) { g.ClearColumns(1, 0); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto& g = MakeGrid<TExtStringGrid>(4, 4);
    for (int col = 0; col < 4; ++col)
      for (int row = 0; row < 4; ++row) {
        g.SetCellText(col, row, "x");
        g.GetCellProperties(col, row);
      }
    std::vector<TRect> changed;
    g.OnCellsChanged = [&](TObject*, const TRect& r) { changed.push_back(r); };
    c.clear(g);
    int empty = 0;
    for (int col = 0; col < 4; ++col)
      for (int row = 0; row < 4; ++row) {
        const bool expected =
            std::find(c.cleared.begin(), c.cleared.end(), std::make_pair(col, row)) != c.cleared.end();
        if (expected) {
          EXPECT_EQ(g.GetCellText(col, row), "") << col << "," << row;
          EXPECT_FALSE(g.HasCellProperties(col, row)) << col << "," << row;
        }
        if (g.GetCellText(col, row).empty()) ++empty;
      }
    if (std::string(c.name) == "ClearAllCells") {
      EXPECT_EQ(empty, 16);
    }
    if (std::string(c.name) == "ClearRows") {
      EXPECT_EQ(empty, 8);
    }
    if (c.cleared.empty()) {
      EXPECT_EQ(empty, 0);
      EXPECT_TRUE(changed.empty());
    }
  }
}

TEST_F(ExtGridStructureTest, ClearAllCellsReachesHiddenColumnsAndFixedRows) {
  auto& g = MakeGrid<TExtStringGrid>(5, 4);
  for (int c = 0; c < 5; ++c) g.SetCellText(c, 0, "h" + std::to_string(c));
  g.SetCellText(3, 2, "hidden");
  g.AddComment(3, 2, "note");
  g.HideColumn(3);
  g.ClearAllCells();
  g.UnHideColumn(3);
  for (int c = 0; c < 5; ++c) EXPECT_EQ(g.GetCellText(c, 0), "") << c;
  EXPECT_EQ(g.GetCellText(3, 2), "");
  EXPECT_FALSE(g.HasCellProperties(3, 2));
}

TEST_F(ExtGridStructureTest, MergeColumnCellsMergesRunsOfEqualTexts) {
  auto& g = MakeGrid<TExtStringGrid>(3, 6);
  const char* texts[] = {"head", "x", "x", "y", "y", "y"};
  for (int r = 0; r < 6; ++r) g.SetCellText(1, r, texts[r]);
  g.MergeColumnCells(1, true);
  EXPECT_EQ(g.CellSpan(1, 2), (TPoint{0, 1}));
  EXPECT_EQ(g.BaseCell(1, 2), (TPoint{1, 1}));
  EXPECT_EQ(g.CellSpan(1, 5), (TPoint{0, 2}));
  EXPECT_EQ(g.BaseCell(1, 5), (TPoint{1, 3}));
  g.SplitColumnCells(1);
  for (int r = 0; r < 6; ++r) EXPECT_FALSE(g.IsMergedCell(1, r)) << r;
  // A later column merges only inside the groups of the first.
  const char* second[] = {"h", "p", "p", "p", "p", "q"};
  for (int r = 0; r < 6; ++r) g.SetCellText(2, r, second[r]);
  g.SetMergeColumns({1, 2});
  EXPECT_EQ(g.BaseCell(2, 2), (TPoint{2, 1}));
  EXPECT_EQ(g.BaseCell(2, 3), (TPoint{2, 3}));  // a new group starts at row 3
  EXPECT_EQ(g.BaseCell(2, 4), (TPoint{2, 3}));
}

TEST_F(ExtGridStructureTest, AddRowGoesBeforeAVisibleFooter) {
  auto& g = Letters(4);
  g.AddRow();
  EXPECT_EQ(Column(g, 1), "ABCD.");
  g.FloatingFooter().SetVisible(true);
  EXPECT_EQ(g.FixedFooters(), 1);
  EXPECT_TRUE(g.FooterRowFlag());
  g.SetCellText(1, 4, "S");
  g.AddRow();
  EXPECT_EQ(Column(g, 1), "ABCD.S");
  g.FloatingFooter().SetVisible(false);
  EXPECT_EQ(g.FixedFooters(), 0);
}

}  // namespace
