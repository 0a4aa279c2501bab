// The sort on keys against the row-by-row sort: random grids with ties,
// blanks, every style, hidden rows, fixed rows and columns, check boxes
// and index lists give the same rows, current row, row integers, counts
// and custom comparisons either way.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"

namespace {

const char* const kTexts[] = {"12",       "3",         "100",      "1.234,50", "999,00", "-5",  "",    "",
                              "1/2/2003", "10/1/2002", "2003/1/2", "b",        "B",      "a",   "β",   "Α",
                              "α",        "<b>x</b>",  "x",        "10,5",     "zz",     "€ 7", "7 €", "12"};

struct Outcome {
  std::vector<AnsiString> cells;
  std::vector<int> integers;
  int compares = 0, exchanges = 0, row = 0, custom = 0;
  std::string error;
  bool operator==(const Outcome&) const = default;
};

class ExtGridSortKeysTest : public GridFormTest {
 protected:
  void SetUp() override {
    GridFormTest::SetUp();
    LoadGreekLocale();
  }
  void TearDown() override {
    LoadDefaultLocale();
    GridFormTest::TearDown();
  }

  template <typename Pick>
  static void Sort(TExtStringGrid& g, int how, Pick& pick, int cols) {
    switch (how) {
      case 0:
        g.QSort();
        break;
      case 1: {
        for (int k = 1 + pick(3); k > 0; --k) g.SortIndexes().AddIndex(pick(cols), pick(2) == 1);
        g.QSortIndexed();
        break;
      }
      default:
        g.HeadingClickSort(pick(cols), false);
        break;
    }
  }

  // One random grid sorted one random way, by keys or row by row.
  Outcome Run(unsigned seed, bool onKeys) {
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const int cols = 2 + pick(5), rows = 3 + pick(40);
    auto& g = MakeGrid<TExtStringGrid>(cols, rows);
    g.SetFixedRows(std::min(1 + pick(2), rows - 1));
    g.SetFixedCols(pick(2));
    g.SetSortOnKeys(onKeys);
    g.RowIntegers.resize(static_cast<size_t>(rows - pick(3)));
    for (size_t i = 0; i < g.RowIntegers.size(); ++i) g.RowIntegers[i] = static_cast<int>(i);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) g.SetCellText(c, r, kTexts[pick(std::size(kTexts))]);
    if (pick(3) == 0)
      for (int k = 0; k < 3; ++k) g.AddCheckBox(pick(cols), 1 + pick(rows - 1), pick(2) == 1, pick(2) == 1);
    if (pick(3) == 0) g.HideRow(1 + pick(rows - 1));
    TSortSettings& s = g.SortSettings();
    s.Column = pick(cols);
    s.Direction = pick(2) ? sdAscending : sdDescending;
    s.Full = pick(2) == 1;
    s.IgnoreBlanks = pick(2) == 1;
    s.BlankPos = pick(2) ? blFirst : blLast;
    s.AutoFormat = pick(4) != 0;
    s.NormalCellsOnly = pick(2) == 1;
    g.Navigation().MoveRowOnSort = pick(2) == 1;
    if (g.FixedRows() < g.RowCount() - 1) g.SetRow(g.FixedRows() + pick(g.RowCount() - g.FixedRows()));
    std::vector<TSortStyle> styles(static_cast<size_t>(cols));
    for (auto& st : styles) st = pick(2) ? ssDetect : static_cast<TSortStyle>(pick(18));
    const AnsiString prefix = pick(2) ? "€ " : "", suffix = pick(2) ? " €" : "";
    if (pick(4) != 0)
      g.OnGetFormat = [&, styles](TObject*, int c, TSortStyle& st, AnsiString& p, AnsiString& x) {
        if (st == ssDetect || c % 2 == 0) st = styles[static_cast<size_t>(c) % styles.size()];
        p = prefix;
        x = suffix;
      };
    Outcome out;
    g.OnCustomCompare = [&](TObject*, const AnsiString& a, const AnsiString& b, int& res) {
      ++out.custom;
      res = a.compare(b);
    };
    g.OnRawCompare = [&](TObject*, int c, int r1, int r2, int& res) {
      ++out.custom;
      res = g.GetCellText(c, r1).size() < g.GetCellText(c, r2).size() ? -1 : 0;
    };
    try {
      Sort(g, pick(3), pick, cols);
    } catch (const std::exception& e) {
      out.error = e.what();
    }
    for (int r = 0; r < g.RowCount(); ++r)
      for (int c = 0; c < g.ColCount(); ++c) out.cells.push_back(g.GetCellText(c, r));
    out.integers = g.RowIntegers;
    out.compares = g.SortCompares();
    out.exchanges = g.SortExchanges();
    out.row = g.Row();
    return out;
  }
};

TEST_F(ExtGridSortKeysTest, SameRowsAndCountsAsTheRowByRowSort) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    Outcome rows, keys;
    ASSERT_NO_THROW(rows = Run(seed, false)) << "seed " << seed;
    ASSERT_NO_THROW(keys = Run(seed, true)) << "seed " << seed;
    ASSERT_EQ(rows.cells, keys.cells) << "seed " << seed;
    ASSERT_EQ(rows.integers, keys.integers) << "seed " << seed;
    ASSERT_EQ(rows.compares, keys.compares) << "seed " << seed;
    ASSERT_EQ(rows.exchanges, keys.exchanges) << "seed " << seed;
    ASSERT_EQ(rows.row, keys.row) << "seed " << seed;
    ASSERT_EQ(rows.custom, keys.custom) << "seed " << seed;
  }
}

TEST_F(ExtGridSortKeysTest, LargeGridsByAmountAndText) {
  for (int col : {1, 2})
    for (unsigned seed : {7u, 8u}) {
      auto fill = [&](TExtStringGrid& g) {
        std::mt19937 random(seed);
        for (int r = 1; r < g.RowCount(); ++r) {
          g.SetCellText(0, r, IntToStr(r));
          g.SetCellText(1, r, IntToStr(static_cast<int>(random() % 300)) + ",50");
          g.SetCellText(2, r, AnsiString(1, static_cast<char>('a' + random() % 5)));
        }
        g.SortSettings().Column = col;
      };
      std::vector<AnsiString> expected;
      for (bool onKeys : {false, true}) {
        auto& g = MakeGrid<TExtStringGrid>(3, 3001);
        g.SetSortOnKeys(onKeys);
        fill(g);
        g.QSort();
        std::vector<AnsiString> got;
        for (int r = 1; r < g.RowCount(); ++r) got.push_back(g.GetCellText(0, r));
        if (!onKeys)
          expected = got;
        else
          EXPECT_EQ(expected, got) << "column " << col;
      }
    }
}

}  // namespace
