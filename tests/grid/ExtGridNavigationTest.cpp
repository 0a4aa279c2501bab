#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"

namespace {

class ExtGridNavigationTest : public GridFormTest {};

TEST_F(ExtGridNavigationTest, ChangingEventsShareOneAllow) {
  auto& g = MakeGrid<TExtStringGrid>(5, 5);
  std::vector<std::string> log;
  bool veto = false;
  g.OnRowChanging = [&](TObject*, int from, int to, bool& allow) {
    log.push_back("row " + std::to_string(from) + ">" + std::to_string(to));
    allow = !veto;
  };
  g.OnColChanging = [&](TObject*, int from, int to, bool&) {
    log.push_back("col " + std::to_string(from) + ">" + std::to_string(to));
  };
  g.OnCellChanging = [&](TObject*, int, int, int, int, bool& allow) {
    log.push_back(allow ? "cell allowed" : "cell refused");
  };
  g.SetCol(2);
  EXPECT_EQ(log, (std::vector<std::string>{"col 1>2", "cell allowed"}));
  log.clear();
  veto = true;
  g.SetRow(3);
  EXPECT_EQ(log, (std::vector<std::string>{"row 1>3", "cell refused"}));
  EXPECT_EQ(g.Row(), 1);
}

TEST_F(ExtGridNavigationTest, AdvanceSkipsCellsThatCannotBeEdited) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.OnCanEditCell = [](TObject*, int row, int col, bool& can) { can = !(row == 1 && col == 2); };
  struct Case {
    TAdvanceDirection dir;
    bool forward;
    TGridCoord from, to;
  };
  const Case cases[] = {
      {adLeftRight, true, {1, 1}, {3, 1}},   // skips (2, 1)
      {adLeftRight, true, {3, 1}, {1, 2}},   // next row
      {adLeftRight, true, {3, 3}, {1, 1}},   // wraps round
      {adLeftRight, false, {1, 2}, {3, 1}},  // back to the previous row's end
      {adTopBottom, true, {1, 3}, {2, 2}},   // next column, (2, 1) skipped
      {adTopBottom, false, {1, 1}, {3, 3}},
  };
  for (const Case& c : cases) {
    g.Navigation().AdvanceDirection = c.dir;
    g.SetCol(c.from.X);
    g.SetRow(c.from.Y);
    EXPECT_TRUE(g.AdvanceCell(c.from.X, c.from.Y, c.forward, false, true));
    EXPECT_EQ(g.Col(), c.to.X) << c.from.X << "," << c.from.Y;
    EXPECT_EQ(g.Row(), c.to.Y) << c.from.X << "," << c.from.Y;
  }
  // Off unless asked for or forced.
  EXPECT_FALSE(g.AdvanceCell(g.Col(), g.Row(), true, false, false));
}

TEST_F(ExtGridNavigationTest, AdvanceStopsWhenNoCellCanBeEdited) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.OnCanEditCell = [](TObject*, int, int, bool& can) { can = false; };
  g.Navigation().AdvanceOnEnter = true;
  EXPECT_FALSE(g.AdvanceCell(1, 1, true, false, false));
  EXPECT_EQ(g.Col(), 1);
  EXPECT_EQ(g.Row(), 1);
}

TEST_F(ExtGridNavigationTest, AdvancePastTheLastCellAddsARowWhenAllowed) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.Navigation().AdvanceInsert = true;
  int added = -1;
  g.OnAutoAddRow = [&](TObject*, int row) { added = row; };
  g.SetCol(2);
  g.SetRow(2);
  EXPECT_TRUE(g.AdvanceCell(2, 2, true, false, true));
  EXPECT_EQ(g.RowCount(), 4);
  EXPECT_EQ(added, 3);
  EXPECT_EQ(g.Row(), 3);
  EXPECT_EQ(g.Col(), 1);
}

TEST_F(ExtGridNavigationTest, FooterRowCalculatesItsColumns) {
  auto& g = MakeGrid<TExtStringGrid>(4, 6);
  const char* values[] = {"", "1,5", "2,5", "x", "4"};
  const char savedDecimal = DecimalSeparator, savedThousand = ThousandSeparator;
  DecimalSeparator = ',';
  ThousandSeparator = '.';
  for (int r = 1; r < 5; ++r) {
    g.SetCellText(1, r, values[r]);
    g.SetCellText(2, r, values[r]);
    g.SetCellText(3, r, values[r]);
  }
  g.FloatingFooter().SetVisible(true);
  g.GetCellProperties(1, 5)->FooterCalc = 1;         // sum
  g.GetCellProperties(2, 5)->FooterCalc = 0x80 | 5;  // maximum; the top bit is ignored
  g.GetCellProperties(3, 5)->FooterCalc = 3;         // count
  g.RecalcAllFooters();
  EXPECT_EQ(g.GetCellText(1, 5), "8,00");
  EXPECT_EQ(g.GetCellText(2, 5), "4,00");
  EXPECT_EQ(g.GetCellText(3, 5), "4,00");
  // The footer row cannot be selected.
  g.SetRow(5);
  EXPECT_NE(g.Row(), 5);
  DecimalSeparator = savedDecimal;
  ThousandSeparator = savedThousand;
}

// Delete removes the current row; the only data row (fixed rows and
// footers apart) stays, emptied, and the deletion is told either way.
TEST_F(ExtGridNavigationTest, KeyboardRowsKeepTheLastDataRowEmptied) {
  struct Case {
    const char* name;
    int rows, footers;
  };
  const Case cases[] = {{"no footer", 3, 0}, {"a footer row", 4, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto& g = MakeGrid<TExtStringGrid>(3, c.rows);
    g.SetFixedFooters(c.footers);
    g.Navigation().AllowDeleteRow = true;
    g.Navigation().AllowInsertRow = true;
    std::vector<int> inserted, deleted;
    g.OnAutoInsertRow = [&](TObject*, int r) { inserted.push_back(r); };
    g.OnAutoDeleteRow = [&](TObject*, int r) { deleted.push_back(r); };
    for (int r = 1; r < c.rows; ++r)
      for (int col = 0; col < 3; ++col) g.SetCellText(col, r, "r" + std::to_string(r));
    g.SetFocus();
    g.SetRow(1);
    backend->PressKey(VK_INSERT);
    EXPECT_EQ(inserted, std::vector<int>{1});
    EXPECT_EQ(g.RowCount(), c.rows + 1);
    backend->PressKey(VK_DELETE);
    backend->PressKey(VK_DELETE);
    EXPECT_EQ(g.RowCount(), 2 + c.footers);
    EXPECT_EQ(g.GetCellText(1, 1), "r2");
    backend->PressKey(VK_DELETE);
    EXPECT_EQ(g.RowCount(), 2 + c.footers);
    EXPECT_EQ(deleted, (std::vector<int>{1, 1, 1}));
    for (int col = 0; col < 3; ++col) EXPECT_EQ(g.GetCellText(col, 1), "") << col;
    if (c.footers) EXPECT_EQ(g.GetCellText(1, 2), "r3");
  }
}

}  // namespace
