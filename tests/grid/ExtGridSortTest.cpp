#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"

namespace {

using Column = std::vector<AnsiString>;

class ExtGridSortTest : public GridFormTest {
 protected:
  void SetUp() override {
    GridFormTest::SetUp();
    LoadGreekLocale();
  }
  void TearDown() override {
    LoadDefaultLocale();
    GridFormTest::TearDown();
  }
  // One heading row, then the values down column 1; column 0 numbers the
  // rows and column 2 holds "k<i>" (the original position).
  TExtStringGrid& Grid(const Column& values) {
    auto& g = MakeGrid<TExtStringGrid>(3, static_cast<int>(values.size()) + 1);
    for (size_t i = 0; i < values.size(); ++i) {
      const int r = static_cast<int>(i) + 1;
      g.SetCellText(0, r, IntToStr(r));
      g.SetCellText(1, r, values[i]);
      g.SetCellText(2, r, "k" + IntToStr(static_cast<int>(i)));
    }
    g.SortSettings().Column = 1;
    return g;
  }
  static Column Read(TExtStringGrid& g, int col) {
    Column out;
    for (int r = 1; r < g.RowCount(); ++r) out.push_back(g.GetCellText(col, r));
    return out;
  }
  static void Style(TExtStringGrid& g, TSortStyle style, AnsiString prefix = "", AnsiString suffix = "") {
    g.OnGetFormat = [=](TObject*, int, TSortStyle& s, AnsiString& p, AnsiString& x) {
      s = style;
      p = prefix;
      x = suffix;
    };
  }
};

TEST_F(ExtGridSortTest, EveryStyleOrdersItsColumn) {
  struct Case {
    const char* what;
    TSortStyle style;
    Column in, out;
    bool autoFormat = true;
  };
  const Case cases[] = {
      {"detect: numbers, not text", ssDetect, {"12", "3", "100"}, {"3", "12", "100"}},
      {"detect: Greek grouped amounts", ssDetect, {"1.234,50", "999,00", "-5"}, {"-5", "999,00", "1.234,50"}},
      {"detect: day/month/year dates",
       ssDetect,
       {"1/2/2003", "10/1/2002", "5/1/2002"},
       {"5/1/2002", "10/1/2002", "1/2/2003"}},
      {"detect: a slash at position 5 is text",
       ssDetect,
       {"2003/1/2", "1999/5/5", "2000/1/1"},
       {"1999/5/5", "2000/1/1", "2003/1/2"}},
      {"AutoFormat off: text", ssDetect, {"12", "3", "100"}, {"100", "12", "3"}, false},
      {"text by codes", ssText, {"b", "B", "a"}, {"B", "a", "b"}},
      {"exact text", ssTextExact, {"β", "Α", "α"}, {"Α", "α", "β"}},
      {"upper-cased text", ssTextUpper, {"b", "C", "a"}, {"a", "b", "C"}},
      {"numbers, decimal comma", ssNumber, {"10,5", "9,75", "", "-1"}, {"-1", "", "9,75", "10,5"}},
      {"grouped numbers", ssNumberGrouped, {"1.000,5", "999", "10.000"}, {"999", "1.000,5", "10.000"}},
      {"date and time, unreadable as empty",
       ssDateTime,
       {"2/1/2020", "zz", "1/1/2020"},
       {"zz", "1/1/2020", "2/1/2020"}},
      {"day/month/year",
       ssDateDMY,
       {"02/01/2020", "01/02/2020", "31/12/2019"},
       {"31/12/2019", "02/01/2020", "01/02/2020"}},
      {"month/day/year",
       ssDateMDY,
       {"02/01/2020", "01/02/2020", "12/31/2019"},
       {"12/31/2019", "01/02/2020", "02/01/2020"}},
      {"locale text: Greek order, lower case first",
       ssLocaleText,
       {"Βήτα", "Άλφα", "άλφα", "γάμμα"},
       {"άλφα", "Άλφα", "Βήτα", "γάμμα"}},
      {"locale text without case", ssLocaleTextNoCase, {"ΓΑΜΜΑ", "άλφα", "Βήτα"}, {"άλφα", "Βήτα", "ΓΑΜΜΑ"}},
      {"plain text without tags", ssPlainText, {"<b>c</b>", "b", "<i>a</i>"}, {"<i>a</i>", "b", "<b>c</b>"}},
      {"wide text", ssWideText, {"ωμέγα", "Άλφα", "βήτα"}, {"Άλφα", "βήτα", "ωμέγα"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Column in, out;
    for (const AnsiString& s : k.in) in.push_back(cp1253::FromUtf8(s));
    for (const AnsiString& s : k.out) out.push_back(cp1253::FromUtf8(s));
    auto& g = Grid(in);
    g.SortSettings().AutoFormat = k.autoFormat;
    if (k.style != ssDetect) Style(g, k.style);
    g.QSort();
    EXPECT_EQ(Read(g, 1), out);
    EXPECT_EQ(g.RowCount(), static_cast<int>(in.size()) + 1);
  }
}

TEST_F(ExtGridSortTest, NumbersLosePrefixAndSuffixAndCompareAsNumbers) {
  auto& g = Grid({"€ 10,5 τμχ"_a, "€ 9 τμχ"_a, "€ 100 τμχ"_a});
  Style(g, ssNumber, "€ "_a, " τμχ"_a);
  g.QSort();
  EXPECT_EQ(Read(g, 1), (Column{"€ 9 τμχ"_a, "€ 10,5 τμχ"_a, "€ 100 τμχ"_a}));
}

TEST_F(ExtGridSortTest, EventsCellKindsAndDescending) {
  auto& g = Grid({"b", "c", "a"});
  Style(g, ssCustomEvent);
  g.OnCustomCompare = [](TObject*, const AnsiString& a, const AnsiString& b, int& res) {
    res = a < b ? 1 : a > b ? -1 : 0;
  };
  g.QSort();
  EXPECT_EQ(Read(g, 1), (Column{"c", "b", "a"}));
  Style(g, ssRawEvent);
  g.OnRawCompare = [&](TObject*, int col, int r1, int r2, int& res) {
    res = g.GetCellText(col, r1).compare(g.GetCellText(col, r2)) > 0 ? 1 : -1;
  };
  g.SortSettings().Direction = sdDescending;
  g.QSort();
  EXPECT_EQ(Read(g, 1), (Column{"c", "b", "a"}));

  auto& h = Grid({"", "", ""});
  h.AddCheckBox(1, 1, true, false);
  h.AddCheckBox(1, 2, false, false);
  h.AddCheckBox(1, 3, true, false);
  h.QSort();  // detected from the check box: unticked first
  EXPECT_EQ(Read(h, 2)[0], "k1");
  bool state = true;
  h.GetCheckBoxState(1, 1, state);
  EXPECT_FALSE(state);
  h.GetCheckBoxState(1, 3, state);
  EXPECT_TRUE(state);

  // Image indexes, a cell without an image first.
  auto& im = Grid({"", "", ""});
  for (int r : {1, 2}) {
    TCellGraphic* graphic = im.CreateCellGraphic(1, r);
    graphic->CellType = ctImageList;
    graphic->CellIndex = r == 1 ? 5 : 2;
  }
  Style(im, ssImageIndex);
  im.QSort();
  EXPECT_EQ(Read(im, 2), (Column{"k2", "k1", "k0"}));
}

TEST_F(ExtGridSortTest, BlanksKeepTheirPlaceInBothDirections) {
  struct Case {
    const char* what;
    TSortBlankPosition pos;
    TSortDirection dir;
    bool indexed;
    Column out;
  };
  const Case cases[] = {
      {"last, ascending", blLast, sdAscending, false, {"1", "2", "3", "", ""}},
      {"last, descending", blLast, sdDescending, false, {"3", "2", "1", "", ""}},
      {"first, ascending", blFirst, sdAscending, false, {"", "", "1", "2", "3"}},
      {"first, descending", blFirst, sdDescending, false, {"", "", "3", "2", "1"}},
      {"indexed, last, descending", blLast, sdDescending, true, {"3", "2", "1", "", ""}},
      {"indexed, first, descending", blFirst, sdDescending, true, {"", "", "3", "2", "1"}},
      {"indexed, last, ascending", blLast, sdAscending, true, {"1", "2", "3", "", ""}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = Grid({"2", "", "3", "1", ""});
    g.SortSettings().IgnoreBlanks = true;
    g.SortSettings().BlankPos = k.pos;
    if (k.indexed) {
      g.SortIndexes().AddIndex(1, k.dir == sdAscending);
      g.QSortIndexed();
    } else {
      g.SortSettings().Direction = k.dir;
      g.QSort();
    }
    EXPECT_EQ(Read(g, 1), k.out);
  }
}

TEST_F(ExtGridSortTest, TiesSingleColumnAndKeptRowNumbers) {
  // Full: equal cells keep the order of the next column.
  auto& g = Grid({"b", "a", "b", "a"});
  g.SetCellText(2, 1, "z");
  g.SetCellText(2, 3, "y");
  g.QSort();
  EXPECT_EQ(Read(g, 2)[2], "y");
  EXPECT_EQ(Read(g, 2)[3], "z");

  // SingleColumn: only the sort column moves.
  auto& s = Grid({"c", "a", "b"});
  s.SortSettings().SingleColumn = true;
  s.QSort();
  EXPECT_EQ(Read(s, 1), (Column{"a", "b", "c"}));
  EXPECT_EQ(Read(s, 2), (Column{"k0", "k1", "k2"}));

  // NormalCellsOnly with a fixed column: the row numbers stay.
  auto& n = Grid({"c", "a", "b"});
  n.SortSettings().NormalCellsOnly = true;
  n.QSort();
  EXPECT_EQ(Read(n, 0), (Column{"1", "2", "3"}));
  EXPECT_EQ(Read(n, 2), (Column{"k1", "k2", "k0"}));
}

TEST_F(ExtGridSortTest, RowsCarryHeightsPropertiesIntegersAndTheCurrentRow) {
  auto& g = Grid({"c", "a", "b"});
  g.SetRowHeights(1, 40);
  g.GetCellProperties(2, 1)->FontSize = 14;
  g.RowIntegers = {0, 10, 20, 30};
  g.Navigation().MoveRowOnSort = true;
  g.SetRow(1);
  const int exchanges = g.SortExchanges();
  g.QSort();
  EXPECT_EQ(Read(g, 2), (Column{"k1", "k2", "k0"}));
  EXPECT_EQ(g.RowHeights(3), 40);
  EXPECT_EQ(g.RowHeights(1), g.DefaultRowHeight());
  ASSERT_NE(g.FindCellProperties(2, 3), nullptr);
  EXPECT_EQ(g.FindCellProperties(2, 3)->FontSize, 14);
  EXPECT_EQ(g.FindCellProperties(2, 3)->OwnerRow, 3);
  EXPECT_EQ(g.RowIntegers, (std::vector<int>{0, 20, 30, 10}));
  EXPECT_EQ(g.Row(), 3);
  EXPECT_GT(g.SortExchanges(), exchanges);
  EXPECT_EQ(g.DisplTextRowLimit(), g.RowCount());
}

TEST_F(ExtGridSortTest, FailuresLeaveTheGridAsItWas) {
  auto& g = Grid({"d", "b", "c", "a", "e"});
  EXPECT_EQ(ErrorOf<EExtGridError>([&] { g.QSortIndexed(); }), "No indexes specified for indexed sort");

  Style(g, ssCustomEvent);
  int calls = 0;
  g.OnCustomCompare = [&](TObject*, const AnsiString& a, const AnsiString& b, int& res) {
    if (++calls == 6) throw Exception("stop");
    res = a < b ? -1 : a > b ? 1 : 0;
  };
  g.SetRow(2);
  EXPECT_EQ(ErrorOf<Exception>([&] { g.QSort(); }), "stop");
  EXPECT_EQ(Read(g, 1), (Column{"d", "b", "c", "a", "e"}));
  EXPECT_EQ(g.RowCount(), 6);
  EXPECT_EQ(g.DisplTextRowLimit(), 6);
  EXPECT_EQ(g.Row(), 2);
  EXPECT_EQ(g.UpdateCount(), 0);

  // Answers at random end without fault and keep every row.
  std::mt19937 random(7);
  const TRawCompareEvent randomAnswers = [&](TObject*, int, int, int, int& res) {
    res = static_cast<int>(random() % 5) - 2;
  };
  for (int n : {2, 3, 10, 200}) {
    Column values;
    for (int i = 0; i < n; ++i) values.push_back(IntToStr(i));
    auto& h = Grid(values);
    Style(h, ssRawEvent);
    h.OnRawCompare = randomAnswers;
    for (int round = 0; round < 20; ++round) h.QSort();
    Column sorted = Read(h, 1);
    std::sort(sorted.begin(), sorted.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ(sorted, values);
  }
}

TEST_F(ExtGridSortTest, HeadingClicksAndGroups) {
  auto& g = Grid({"b", "c", "a"});
  g.SortSettings().Column = 0;
  g.HeadingClickSort(1, false);  // another column: ascending
  EXPECT_EQ(Read(g, 1), (Column{"a", "b", "c"}));
  g.HeadingClickSort(1, false);  // the same again: descending
  EXPECT_EQ(Read(g, 1), (Column{"c", "b", "a"}));
  EXPECT_EQ(g.SortSettings().Direction, sdDescending);
  int clicked = -1;
  g.OnClickSort = [&](TObject*, int col) { clicked = col; };
  g.HeadingClickSort(0, false);  // a fixed column counts only when asked
  EXPECT_EQ(clicked, -1);
  g.SortSettings().FixedCols = true;
  g.HeadingClickSort(0, false);
  EXPECT_EQ(clicked, 0);
  EXPECT_EQ(Read(g, 0), (Column{"1", "2", "3"}));
  g.OnCanSort = [](TObject*, int, bool& doSort) { doSort = false; };
  g.HeadingClickSort(1, false);
  EXPECT_EQ(Read(g, 0), (Column{"1", "2", "3"}));
  g.OnCanSort = nullptr;

  // Index list: a click toggles a lone entry, Shift adds; every entry
  // added or turned is reported.
  int changes = 0;
  g.SortIndexes().OnChange = [&](TObject* sender, int, int) {
    EXPECT_EQ(sender, &g.SortIndexes());
    ++changes;
  };
  g.SortSettings().IndexShow = true;
  g.HeadingClickSort(1, false);
  g.HeadingClickSort(2, true);
  ASSERT_EQ(g.SortIndexes().Count(), 2);
  EXPECT_EQ(g.SortIndexes().FindIndex(2), 1);
  EXPECT_EQ(changes, 2);
  g.HeadingClickSort(2, true);
  EXPECT_FALSE(TSortIndexList::AscendingOf(g.SortIndexes().Items(1)));
  EXPECT_EQ(changes, 3);
  g.SortIndexes().OnChange = nullptr;

  // The project index: sort column 0 at start, so a first click on it
  // sorts it descending.
  auto& index = Grid({"x", "y", "z"});
  index.SortSettings().Column = 0;
  index.SortSettings().FixedCols = true;
  index.HeadingClickSort(0, false);
  EXPECT_EQ(Read(index, 0), (Column{"3", "2", "1"}));

  // Groups: a grid whose row 1 is no node row is left alone.
  auto& h = Grid({"c", "b", "a"});
  h.QSortGroups();
  EXPECT_EQ(Read(h, 1), (Column{"c", "b", "a"}));
  h.AddNode(1, 1);
  h.QSortGroups();
  EXPECT_EQ(Read(h, 1), (Column{"c", "a", "b"}));
}

struct AxisProbe : TStringGrid {
  using TCustomGrid::RowAxis;
  using TStringGrid::TStringGrid;
};

TEST(GridRowStore, RowCopyKeepsBlankCellsAndMovesKeepPositions) {
  InstallHeadlessBackend();
  AxisProbe g(nullptr);
  g.SetColCount(101);
  g.SetRowCount(3);
  for (int c = 0; c < 101; c += 3) g.SetCells(c, 1, IntToStr(c));
  g.Rows(2).Assign(g.Rows(1));
  for (int c = 0; c < 101; ++c) EXPECT_EQ(g.Cells(c, 2), g.Cells(c, 1)) << c;

  g.SetRowCount(50);
  for (int r = 0; r < 50; ++r) g.SetRowHeights(r, 10 + r % 7);
  std::vector<int> heights;
  for (int r = 0; r < 50; ++r) heights.push_back(g.RowHeights(r));
  std::mt19937 random(3);
  for (int k = 0; k < 200; ++k) {
    const int from = static_cast<int>(random() % 50), to = static_cast<int>(random() % 50);
    g.MoveRow(from, to);
    const int h = heights[static_cast<size_t>(from)];
    heights.erase(heights.begin() + from);
    heights.insert(heights.begin() + to, h);
  }
  long long start = 0;
  for (int r = 0; r < 50; ++r) {
    ASSERT_EQ(g.RowHeights(r), heights[static_cast<size_t>(r)]);
    ASSERT_EQ(g.RowAxis().Start(r), start);
    start += g.RowAxis().Extent(r);
  }
}

}  // namespace
