#include <gtest/gtest.h>

#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/ui/Clipbrd.h"

namespace {

class ExtGridClipboardTest : public GridFormTest {
 protected:
  void SetUp() override {
    GridFormTest::SetUp();
    ui::ResetClipboard();
  }
  void TearDown() override {
    ui::ResetClipboard();
    GridFormTest::TearDown();
  }
  // An editable grid whose cells hold "c<col><row>".
  TExtStringGrid& Filled(int cols, int rows) {
    auto& g = MakeGrid<TExtStringGrid>(cols, rows);
    g.SetOptions(g.Options() + TGridOptions{goEditing, goRangeSelect});
    for (int c = 0; c < cols; ++c)
      for (int r = 0; r < rows; ++r)
        g.SetCellText(c, r, {'c', static_cast<char>('0' + c), static_cast<char>('0' + r)});
    return g;
  }
  static void Select(TExtStringGrid& g, int left, int top, int right, int bottom) {
    g.SetSelection(TGridRect{left, top, right, bottom});
  }
};

TEST_F(ExtGridClipboardTest, CopyPutsTheSelectionOnTheClipboardAsText) {
  struct Case {
    const char* what;
    TGridRect sel;
    int hiddenCol;  // -1: none
    const char* text;
  };
  const Case cases[] = {
      {"two columns, three rows: every row ends", {1, 1, 2, 3}, -1, "c11\tc21\r\nc12\tc22\r\nc13\tc23\r\n"},
      {"one row: no line break", {1, 2, 3, 2}, -1, "c12\tc22\tc32"},
      {"one cell", {2, 2, 2, 2}, -1, "c22"},
      {"a hidden column is passed over", {1, 1, 2, 1}, 2, "c11\tc31"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = Filled(4, 4);
    if (k.hiddenCol >= 0) g.HideColumn(k.hiddenCol);
    Select(g, k.sel.Left, k.sel.Top, k.sel.Right, k.sel.Bottom);
    g.CopySelection();
    EXPECT_EQ(Clipboard()->AsText(), k.text);
    EXPECT_EQ(g.CopyOrigin(), (TPoint{k.sel.Left, k.sel.Top}));
    EXPECT_TRUE(g.CopiedByCopy());
  }
}

TEST_F(ExtGridClipboardTest, MultiLineCellIsQuotedOnlyWhenAskedAndComesBackWhole) {
  auto& g = Filled(4, 4);
  g.Multilinecells = true;
  g.SetCellText(1, 1, "one\r\nsaid \"two\"");
  Select(g, 1, 1, 1, 1);
  g.CopySelection();
  EXPECT_EQ(Clipboard()->AsText(), "one\r\nsaid \"two\"");

  g.ClipboardQuoteMultiLine = true;
  g.CopySelection();
  EXPECT_EQ(Clipboard()->AsText(), "\"one\nsaid \"\"two\"\"\"");
  // Into the last column, where the cell is the line's last.
  Select(g, 3, 2, 3, 2);
  g.PasteAtSelection();
  EXPECT_EQ(g.GetCellText(3, 2), "one\r\nsaid \"two\"");
  EXPECT_EQ(g.RowCount(), 4);
}

TEST_F(ExtGridClipboardTest, TextPasteWritesFromTheCellAndGrowsTheGrid) {
  struct Case {
    const char* what;
    const char* text;
    int col, row;
    bool colGrow, editing;
    int count, colCount, rowCount;
    std::vector<std::pair<TPoint, const char*>> cells;
  };
  const std::vector<Case> cases = {
      {"past the last row and column",
       "x\ty\r\nz\tw",
       2,
       2,
       true,
       true,
       4,
       4,
       4,
       {{{2, 2}, "x"}, {{3, 2}, "y"}, {{2, 3}, "z"}, {{3, 3}, "w"}, {{1, 2}, "c12"}}},
      {"a column ending in a line break adds no row",
       "a\r\nb\r\n",
       1,
       1,
       true,
       true,
       3,
       3,
       3,
       {{{1, 1}, "a"}, {{1, 2}, "b"}}},
      {"no column growth: the rest of the line is dropped",
       "p\tq\tr",
       2,
       1,
       false,
       true,
       3,
       3,
       3,
       {{{2, 1}, "p"}, {{2, 2}, "c22"}}},
      {"a grid that is not edited takes nothing", "p\tq", 1, 1, true, false, 0, 3, 3, {{{1, 1}, "c11"}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = Filled(3, 3);
    g.Navigation().AllowClipboardColGrow = k.colGrow;
    if (!k.editing) g.SetOptions(g.Options() - TGridOptions{goEditing});
    TRect changed{};
    g.OnCellsChanged = [&](TObject*, const TRect& r) { changed = r; };
    EXPECT_EQ(g.PasteText(k.col, k.row, k.text), k.count);
    EXPECT_EQ(g.ColCount(), k.colCount);
    EXPECT_EQ(g.RowCount(), k.rowCount);
    for (const auto& [at, text] : k.cells) EXPECT_EQ(g.GetCellText(at.X, at.Y), text) << at.X << "," << at.Y;
    if (k.count > 0) {
      EXPECT_EQ(changed.Left, k.col);
    }
  }
}

TEST_F(ExtGridClipboardTest, PasteEventMayChangeOrRefuseACell) {
  auto& g = Filled(4, 3);
  g.OnClipboardBeforePasteCell = [](TObject*, int ACol, int, AnsiString& Value, bool& Allow) {
    if (ACol == 2) Allow = false;
    Value += "!";
  };
  EXPECT_EQ(g.PasteText(1, 1, "a\tb\tc"), 3);
  EXPECT_EQ(g.GetCellText(1, 1), "a!");
  EXPECT_EQ(g.GetCellText(2, 1), "c21");
  EXPECT_EQ(g.GetCellText(3, 1), "c!");
}

TEST_F(ExtGridClipboardTest, SmartPasteFillsTheSelection) {
  struct Case {
    const char* what;
    const char* text;
    bool smart;
    std::vector<const char*> column;  // rows 1..6 of column 1 after the paste
  };
  const std::vector<Case> cases = {
      {"one cell lands everywhere", "v", true, {"v", "v", "v", "v", "v", "v"}},
      {"without smart paste only the first cell", "v", false, {"v", "c12", "c13", "c14", "c15", "c16"}},
      {"a block of texts repeats", "a\r\nb\r\n", true, {"a", "b", "a", "b", "a", "b"}},
      {"two integers make a series", "1\r\n3\r\n", true, {"1", "3", "5", "7", "9", "11"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = Filled(3, 8);
    g.Navigation().AllowSmartClipboard = k.smart;
    Clipboard()->SetAsText(k.text);
    Select(g, 1, 1, 1, 6);
    g.PasteAtSelection();
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(g.GetCellText(1, r), k.column[static_cast<size_t>(r - 1)]) << r;
    EXPECT_EQ(g.GetCellText(1, 7), "c17");
  }
}

TEST_F(ExtGridClipboardTest, SmartPasteOfOneCellSkipsCellsThatCannotBeEdited) {
  auto& g = Filled(4, 4);
  g.Navigation().AllowSmartClipboard = true;
  g.OnCanEditCell = [](TObject*, int ARow, int ACol, bool& CanEdit) { CanEdit = !(ACol == 2 && ARow == 2); };
  Clipboard()->SetAsText("v");
  Select(g, 1, 1, 2, 2);
  g.PasteAtSelection();
  EXPECT_EQ(g.GetCellText(1, 1), "v");
  EXPECT_EQ(g.GetCellText(2, 1), "v");
  EXPECT_EQ(g.GetCellText(1, 2), "v");
  EXPECT_EQ(g.GetCellText(2, 2), "c22");
}

TEST_F(ExtGridClipboardTest, CutCopiesThenEmptiesTheEditableCells) {
  struct Case {
    const char* what;
    bool always;
    const char* lockedCell;  // what the cell that cannot be edited holds after
  };
  const Case cases[] = {{"editable cells only", false, "c22"}, {"every cell when always", true, ""}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = Filled(4, 4);
    g.Navigation().AllowClipboardAlways = k.always;
    g.OnCanEditCell = [](TObject*, int ARow, int ACol, bool& CanEdit) {
      CanEdit = !(ACol == 2 && ARow == 2);
    };
    Select(g, 1, 1, 2, 2);
    g.CutSelection();
    EXPECT_EQ(Clipboard()->AsText(), "c11\tc21\r\nc12\tc22\r\n");
    EXPECT_FALSE(g.CopiedByCopy());
    EXPECT_EQ(g.GetCellText(1, 1), "");
    EXPECT_EQ(g.GetCellText(2, 1), "");
    EXPECT_EQ(g.GetCellText(1, 2), "");
    EXPECT_EQ(g.GetCellText(2, 2), k.lockedCell);
    EXPECT_EQ(g.GetCellText(3, 1), "c31");
  }
}

}  // namespace
