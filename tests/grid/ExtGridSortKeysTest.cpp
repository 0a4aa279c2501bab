// The sort on keys against the row-by-row sort: random grids with ties,
// blanks, every style, hidden rows, fixed rows and columns, check boxes
// and index lists give the same rows, current row, row integers, counts
// and custom comparisons either way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridSortRead.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"

namespace {

const char* const kTexts[] = {"12",       "3",         "100",      "1.234,50", "999,00", "-5",  "",    "",
                              "1/2/2003", "10/1/2002", "2003/1/2", "b",        "B",      "a",   "β",   "Α",
                              "α",        "<b>x</b>",  "x",        "10,5",     "zz",     "€ 7", "7 €", "12"};

// Every one a number, so that a column of them orders totally.
const char* const kAmounts[] = {"12",
                                "3",
                                "100",
                                "1.234,50",
                                "999,00",
                                "-5",
                                "-0",
                                "0",
                                "0,00",
                                "12,50",
                                "-1.234,50",
                                "1000",
                                "12",
                                "12,5",
                                "123456789012345678901234",
                                "123456789012345678901235"};

// Texts alike in their first eight bytes or more, and shorter ones.
const AnsiString kLongTexts[] = {"abcdefgh",
                                 "abcdefghi",
                                 "abcdefghij",
                                 "abcdefgha",
                                 "ABCDEFGHIJ",
                                 "abcdefg",
                                 "",
                                 "abcdefghij",
                                 "αβγδεζηθικ",
                                 "αβγδ",
                                 AnsiString("abcdefgh\0", 9),
                                 AnsiString("abc\0", 4),
                                 AnsiString("abc\0\0\0\0\0x", 9),
                                 AnsiString("abc\0\0\0\0\0\0\0", 10),
                                 "abc",
                                 "abcdefghijklmnopqrstuvwxyz",
                                 "abcdefghijklmnopqrstuvwxyZ"};

struct Outcome {
  std::vector<AnsiString> cells;
  std::vector<int> integers, owners;
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
    const int words = pick(4);
    auto word = [&]() -> AnsiString {
      if (words == 0) return kTexts[pick(std::size(kTexts))];
      if (words == 1) return kAmounts[pick(std::size(kAmounts))];
      if (words == 2) return pick(4) == 0 ? AnsiString() : AnsiString(kAmounts[pick(std::size(kAmounts))]);
      return kLongTexts[pick(std::size(kLongTexts))];
    };
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) g.SetCellText(c, r, word());
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
    // CompareStr answers the difference of the first unequal bytes, so
    // results other than -1 and 1 reach the sort, the same on every
    // machine; std::string::compare would hand on memcmp's magnitude, which
    // depends on the processor and on where the texts lie.
    g.OnCustomCompare = [&](TObject*, const AnsiString& a, const AnsiString& b, int& res) {
      ++out.custom;
      res = CompareStr(a, b);
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
    for (int r = 0; r < g.RowCount(); ++r)
      for (int c = 0; c < g.ColCount(); ++c)
        if (const TCellProperties* props = g.FindCellProperties(c, r)) out.owners.push_back(props->OwnerRow);
    out.integers = g.RowIntegers;
    out.compares = g.SortCompares();
    out.exchanges = g.SortExchanges();
    out.row = g.Row();
    return out;
  }

  void ExpectSameOutcome(unsigned seed) {
    Outcome rows, keys;
    ASSERT_NO_THROW(rows = Run(seed, false)) << "seed " << seed;
    ASSERT_NO_THROW(keys = Run(seed, true)) << "seed " << seed;
    ASSERT_EQ(rows.cells, keys.cells) << "seed " << seed;
    ASSERT_EQ(rows.integers, keys.integers) << "seed " << seed;
    ASSERT_EQ(rows.owners, keys.owners) << "seed " << seed;
    ASSERT_EQ(rows.compares, keys.compares) << "seed " << seed;
    ASSERT_EQ(rows.exchanges, keys.exchanges) << "seed " << seed;
    ASSERT_EQ(rows.row, keys.row) << "seed " << seed;
    ASSERT_EQ(rows.custom, keys.custom) << "seed " << seed;
  }
};

TEST_F(ExtGridSortKeysTest, SameRowsAndCountsAsTheRowByRowSort) {
  for (unsigned seed = 1; seed <= 1200 && !HasFatalFailure(); ++seed) ExpectSameOutcome(seed);
}

// Each grid's sort depends on that grid alone, not on the grids before it.
TEST_F(ExtGridSortKeysTest, SameOutcomeWithTheSeedsInReverse) {
  for (unsigned seed = 1200; seed >= 1 && !HasFatalFailure(); --seed) ExpectSameOutcome(seed);
}

// Columns of one kind each: amounts with ties, letters, texts alike in
// their first sixteen bytes, amounts with blanks; by one column or on to the
// next ones, either way, blanks in place or not.
TEST_F(ExtGridSortKeysTest, LargeGridsByAmountAndText) {
  struct Case {
    int col;
    bool full, descending, ignoreBlanks;
    int index = 0;         // by an index entry: 1 ascending, -1 descending
    bool numbers = false;  // the column's style says numbers, so blanks read as zeros
  };
  const Case cases[] = {{1, false, false, false},         {1, true, true, false},
                        {2, false, true, false},          {2, true, false, true},
                        {3, false, false, false},         {3, true, true, true},
                        {4, false, false, true},          {4, true, true, true},
                        {4, false, true, false},          {4, false, true, true, 1, true},
                        {4, false, true, true, -1, true}, {4, true, false, true, -1, true},
                        {1, false, true, false, -1},      {4, false, false, true, 0, true}};
  for (const Case& k : cases)
    for (unsigned seed : {7u, 8u}) {
      Outcome expected;
      for (bool onKeys : {false, true}) {
        auto& g = MakeGrid<TExtStringGrid>(5, 3001);
        g.SetSortOnKeys(onKeys);
        std::mt19937 random(seed);
        for (int r = 1; r < g.RowCount(); ++r) {
          g.SetCellText(0, r, IntToStr(r));
          g.SetCellText(1, r, IntToStr(static_cast<int>(random() % 300)) + ",50");
          g.SetCellText(2, r, AnsiString(1, static_cast<char>('a' + random() % 5)));
          g.SetCellText(
              3, r, "common prefix " + AnsiString(1 + random() % 3, static_cast<char>('a' + random() % 3)));
          g.SetCellText(4, r,
                        random() % 4 == 0 ? AnsiString() : IntToStr(static_cast<int>(random() % 50) - 25));
        }
        TSortSettings& settings = g.SortSettings();
        settings.Column = k.col;
        settings.Full = k.full;
        settings.Direction = k.descending ? sdDescending : sdAscending;
        settings.IgnoreBlanks = k.ignoreBlanks;
        if (k.numbers)
          g.OnGetFormat = [](TObject*, int, TSortStyle& style, AnsiString&, AnsiString&) {
            style = ssNumber;
          };
        if (k.index != 0) {
          g.SortIndexes().AddIndex(k.col, k.index > 0);
          g.QSortIndexed();
        } else {
          g.QSort();
        }
        Outcome got;
        for (int r = 1; r < g.RowCount(); ++r) got.cells.push_back(g.GetCellText(0, r));
        got.compares = g.SortCompares();
        got.exchanges = g.SortExchanges();
        got.row = g.Row();
        if (!onKeys)
          expected = got;
        else
          EXPECT_EQ(expected, got) << "column " << k.col << " full " << k.full << " index " << k.index
                                   << " seed " << seed;
      }
    }
}

// The reading of a number cell written out plainly: the prefix, the
// suffix and the thousands separators taken out, the first decimal separator
// made a point, the longest leading number converted by the library.
bool ReadNumberPlainly(AnsiString S, const AnsiString& Prefix, const AnsiString& Suffix, bool Grouped,
                       Extended& Value) {
  if (!Prefix.empty())
    if (size_t p = S.find(Prefix); p != AnsiString::npos) S.erase(p, Prefix.size());
  if (!Suffix.empty())
    if (size_t p = S.find(Suffix); p != AnsiString::npos) S.erase(p, Suffix.size());
  if (Grouped) S.erase(std::remove(S.begin(), S.end(), ThousandSeparator), S.end());
  if (DecimalSeparator != '.')
    if (size_t p = S.find(DecimalSeparator); p != AnsiString::npos) S[p] = '.';
  Value = 0;
  if (S.empty()) return true;
  size_t i = S.find_first_not_of(' ');
  if (i == AnsiString::npos) i = S.size();
  const size_t start = i;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) ++i;
  size_t digits = 0, end = start;
  auto takeDigits = [&] {
    for (; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i) ++digits;
  };
  takeDigits();
  if (i < S.size() && S[i] == '.') {
    ++i;
    takeDigits();
  }
  if (digits > 0) end = i;
  if (digits > 0 && i < S.size() && (S[i] == 'e' || S[i] == 'E')) {
    size_t k = i + 1;
    if (k < S.size() && (S[k] == '+' || S[k] == '-')) ++k;
    if (k < S.size() && S[k] >= '0' && S[k] <= '9') {
      while (k < S.size() && S[k] >= '0' && S[k] <= '9') ++k;
      end = k;
    }
  }
  if (end > start) Value = std::strtold(S.substr(start, end - start).c_str(), nullptr);
  return end == S.size() && digits > 0;
}

// The number read from a cell is what the plain reading gives, bit for bit,
// in both locales, grouped or not, with and without prefix and suffix, also
// where the reading takes a shorter way.
TEST(ExtGridSortReadNumber, SameValueAsThePlainReading) {
  std::vector<std::string> texts = {"0",
                                    "-0",
                                    "",
                                    ",",
                                    ".",
                                    "-",
                                    "+",
                                    "0.1",
                                    "12.345",
                                    "1.234,50",
                                    "1,234.50",
                                    "9999999999999999999",
                                    "18446744073709551615",
                                    "0.0000000000000000001",
                                    "1234567890.123456789",
                                    "123456789012345678901234567890",
                                    "1e308",
                                    "1e5000",
                                    "-2.5e-3",
                                    "5.",
                                    ".5",
                                    "+7.25",
                                    "  42",
                                    "42 ",
                                    "€ 7",
                                    "7 €",
                                    "1,2,3",
                                    "1.2.3",
                                    "-1.234,5-",
                                    "3.14159265358979323846264338327950288"};
  std::mt19937_64 random(11);
  const char alphabet[] = "0123456789012345678901234567890123456789.,.,-+ e€";
  for (int k = 0; k < 40000; ++k) {
    std::string t;
    if (k % 2 == 0) {
      // Digits with separators and a sign, as cells hold them.
      t = random() % 4 == 0 ? "-" : "";
      const int digits = 1 + static_cast<int>(random() % 22),
                point = static_cast<int>(random() % (digits + 2));
      for (int d = 0; d < digits; ++d) {
        if (d == point) t += random() % 2 ? '.' : ',';
        if (random() % 6 == 0) t += random() % 2 ? ',' : '.';
        t += static_cast<char>('0' + random() % 10);
      }
    } else {
      for (int n = static_cast<int>(random() % 12); n > 0; --n)
        t += alphabet[random() % (sizeof alphabet - 1)];
    }
    texts.push_back(t);
  }
  for (bool greek : {false, true}) {
    greek ? LoadGreekLocale() : LoadDefaultLocale();
    for (const std::string& t : texts)
      for (int how = 0; how < 4; ++how) {
        const bool grouped = how % 2 == 1;
        const AnsiString prefix = how >= 2 ? "€ " : "", suffix = how >= 2 ? " €" : "";
        Extended value = 1, expected = 1;
        const bool ok = gridsort::ReadSortNumber(t, prefix, suffix, grouped, value);
        ASSERT_EQ(ReadNumberPlainly(t, prefix, suffix, grouped, expected), ok)
            << t << " " << how << " " << greek;
        ASSERT_EQ(0, std::memcmp(&expected, &value, 10)) << t << " " << how << " " << greek;
      }
  }
  LoadDefaultLocale();
}

}  // namespace
