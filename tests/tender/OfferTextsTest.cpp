// The calculation's number texts worked out once and its exchange sort on
// ranked words give what formatting every text afresh and the sort swap for
// swap on the table give: the same rows, report lines, records and counters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "platform/rtl/Classes.h"
#include "tender/CalcReport.h"
#include "tests/tender/OfferCalcSupport.h"

namespace {

std::vector<AnsiString> LinesOf(const TStrings& lines) {
  std::vector<AnsiString> out;
  for (int i = 0; i < lines.Count(); ++i) out.push_back(lines[i]);
  return out;
}

std::vector<AnsiString> CellsOf(const TVectorSheet& sheet) {
  std::vector<AnsiString> cells;
  for (int row = 0; row < sheet.RowCount(); ++row)
    for (int col = ColEntryNo; col <= ColRemark; ++col) cells.push_back(sheet.Cell(col, row));
  return cells;
}

bool SameRecord(const OfferRecord& a, const OfferRecord& b) {
  return std::memcmp(&a.RoundedDiscount, &b.RoundedDiscount, sizeof(double)) == 0 &&
         std::memcmp(&a.Discount, &b.Discount, sizeof(double)) == 0 && a.Amount == b.Amount &&
         a.BidderName == b.BidderName.View() && a.EntryNo == b.EntryNo && a.Remark == b.Remark.View() &&
         a.TypedFlag == b.TypedFlag && a.ExactDiscount == b.ExactDiscount && a.Marked == b.Marked;
}

class OfferTexts : public TenderStateTest {
 protected:
  // A random grid of offers with tied amounts, discount-only, void, marked
  // and detailed-looking rows.
  static void TypeRandomOffers(TVectorSheet& sheet, std::mt19937& random, int rows) {
    for (int row = 1; row <= rows; ++row) {
      const AnsiString name = "ΕΤΑΙΡΕΙΑ "_a + IntToStr(row);
      const int kind = static_cast<int>(random() % 10);
      const double amount = 90000 + 250.125 * static_cast<double>(random() % 9);
      const AnsiString amountText = FormatNum(12, 3, NumberStyle, amount);
      const int number = kind == 3 ? static_cast<int>(random() % 5) : row;
      if (kind == 0)
        sheet.Row(row, number, name, "", "0");
      else if (kind == 1)
        sheet.Row(row, number, name, "", FormatNum(8, 3, NumberStyle, 0.125 * (random() % 50)));
      else if (kind == 2)
        sheet.Row(row, number, name, amountText, "*");
      else
        sheet.Row(row, number, name, amountText, "");
    }
  }
};

// Tables of every size, both number styles, every discount rounding and
// the three project types, with and without the initial order: the
// calculation's ranking and report against the same steps with every text
// formatted afresh and every sort made swap for swap.
TEST_F(OfferTexts, RankAndReportMatchesTheLiteralSteps) {
  std::mt19937 random(42);
  for (int round = 0; round < 60; ++round) {
    DiscountDecimals = round % 7;
    CostDecimals = round % 3;
    NumberStyle = static_cast<Byte>(round % 3);
    RoundDiscountProc = round % 4 == 0 ? nullptr : RoundDiscount;
    const int projectType = round % 3;
    const bool initialOrder = round % 2 == 0;
    ProjectHeader.Divisor = 100000;
    const int rows = 1 + static_cast<int>(random() % (round % 6 == 0 ? 500 : 60));
    TVectorSheet typed;
    typed.NumberRows();
    TypeRandomOffers(typed, random, rows);

    // The literal steps first, from the same typed grid and records.
    const auto scan = [&](TVectorSheet& sheet) {
      OfferTable.Clear();
      OfferCount = 0;
      OfferCalcState = TOfferCalcState();
      ResetCalculation();
      return ScanOffers(sheet).Outcome;
    };
    TVectorSheet literalSheet = typed;
    TStringList literalReport;
    if (scan(literalSheet) != TCalcOutcome::Done) continue;
    // The grid is cleared as sortitms clears it, the table takes the
    // literal sort's order and is shown with every text made afresh.
    const auto literalSort = [&](bool ascending, bool byEntryNo) {
      const std::vector<OfferRecord> literal = LiterallySorted(ascending, byEntryNo);
      sortitms(literalSheet, ascending, byEntryNo, false, projectType);
      for (int slot = 1; slot <= MaxOffers; ++slot) OfferTable[slot] = literal[slot - 1];
      DisplayItems(literalSheet, projectType);
    };
    literalSort(true, false);
    PrintHeader(literalReport);
    if (initialOrder) {
      literalSort(true, true);
      printArxika(literalReport);
    }
    literalSort(false, false);
    PrintFooter(literalReport, AnsiString("5%"));
    std::vector<OfferRecord> literalTable;
    for (int slot = 1; slot <= MaxOffers; ++slot) literalTable.push_back(OfferTable[slot]);
    const TOfferCalcState literalState = OfferCalcState;
    const int literalCount = OfferCount;

    TVectorSheet fastSheet = typed;
    TStringList fastReport;
    ASSERT_EQ(scan(fastSheet), TCalcOutcome::Done);
    RankAndReport(fastSheet, fastReport, initialOrder, projectType, [](double) { return AnsiString("5%"); });

    ASSERT_EQ(CellsOf(fastSheet), CellsOf(literalSheet)) << "round " << round;
    ASSERT_EQ(LinesOf(fastReport), LinesOf(literalReport)) << "round " << round;
    ASSERT_EQ(OfferCount, literalCount);
    ASSERT_EQ(OfferCalcState.CurrentRow, literalState.CurrentRow);
    ASSERT_EQ(OfferCalcState.SlotCount, literalState.SlotCount);
    ASSERT_EQ(OfferCalcState.OfferRowsInGrid, literalState.OfferRowsInGrid);
    ASSERT_EQ(OfferCalcState.LastAmountDecimals, literalState.LastAmountDecimals);
    for (int slot = 1; slot <= MaxOffers; ++slot)
      ASSERT_TRUE(SameRecord(OfferTable[slot], literalTable[slot - 1]))
          << "round " << round << " slot " << slot;
  }
}

// Keys the ranked words must order as the doubles compare: zero of both
// signs, infinities, a NaN (in order with nothing), ties, entry numbers at
// the word's top, empty slots anywhere.
struct KeyCase {
  const char* name;
  std::vector<double> discounts;
  std::vector<int> entries;
};

class OfferSortKeys : public TenderStateTest, public testing::WithParamInterface<KeyCase> {};

TEST_P(OfferSortKeys, SameSwapsAsTheLiteralSort) {
  const KeyCase& c = GetParam();
  const struct { bool ascending, byEntryNo; } sorts[] = {{true, false}, {false, false}, {true, true}};
  for (const auto& sort : sorts) {
    OfferTable.Clear();
    OfferCount = static_cast<int>(c.discounts.size());
    for (int slot = 1; slot <= OfferCount; ++slot) {
      OfferTable[slot].RoundedDiscount = c.discounts[slot - 1];
      OfferTable[slot].EntryNo = static_cast<Word>(c.entries[slot - 1]);
      OfferTable[slot].BidderName = IntToStr(slot);
    }
    const std::vector<OfferRecord> literal = LiterallySorted(sort.ascending, sort.byEntryNo);
    SortOffers(sort.ascending, sort.byEntryNo);
    for (int slot = 1; slot <= OfferCount; ++slot)
      EXPECT_TRUE(SameRecord(OfferTable[slot], literal[slot - 1]))
          << c.name << " slot " << slot << " sort " << sort.ascending << sort.byEntryNo;
  }
}

const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Keys, OfferSortKeys,
    testing::Values(KeyCase{"signed zeros", {0.0, -0.0, 1e-9, -1e-9, 0.0, -0.0}, {1, 2, 3, 4, 5, 6}},
                    KeyCase{"infinities", {Inf, 5, -Inf, Inf, -Inf, 5}, {6, 5, 4, 3, 2, 1}},
                    KeyCase{"a NaN", {3, NaN, 1, 2, NaN, 1}, {1, 2, 3, 4, 5, 6}},
                    KeyCase{"all tied", {7, 7, 7, 7, 7, 7, 7}, {7, 6, 5, 4, 3, 2, 1}},
                    KeyCase{"reversed", {1, 2, 3, 4, 5, 6, 7, 8}, {65535, 65534, 9, 8, 7, 6, 5, 4}},
                    KeyCase{"empty slots", {4, 1, 3, 1, 2, 0.5, 4}, {3, 0, 7, 0, 2, 65535, 0}},
                    KeyCase{"empty first and last", {9, 1, 5, 5, 2}, {0, 4, 4, 4, 0}}),
    [](const testing::TestParamInfo<KeyCase>& info) {
      std::string name;
      for (const char* p = info.param.name; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

// Tables of every length up to 40 and the longest ones, with many ties and
// no empty slot (the passes then go four together) or with one.
TEST_F(OfferTexts, EveryLengthSortsAsTheLiteralSort) {
  std::mt19937 random(7);
  const struct { bool ascending, byEntryNo; } sorts[] = {{true, false}, {false, false}, {true, true}};
  std::vector<int> lengths;
  for (int n = 1; n <= 40; ++n) lengths.push_back(n);
  for (int n = 495; n <= MaxOffers; ++n) lengths.push_back(n);
  for (int n : lengths)
    for (bool withEmpty : {false, true}) {
      OfferTable.Clear();
      OfferCount = n;
      for (int slot = 1; slot <= n; ++slot) {
        OfferTable[slot].RoundedDiscount = 0.5 * static_cast<double>(random() % 9) - 1;
        OfferTable[slot].EntryNo = static_cast<Word>(1 + random() % 600);
        OfferTable[slot].BidderName = IntToStr(slot);
      }
      if (withEmpty) OfferTable[1 + static_cast<int>(random() % n)].EntryNo = 0;
      for (const auto& sort : sorts) {
        const std::vector<OfferRecord> literal = LiterallySorted(sort.ascending, sort.byEntryNo);
        SortOffers(sort.ascending, sort.byEntryNo);
        for (int slot = 1; slot <= n; ++slot)
          ASSERT_TRUE(SameRecord(OfferTable[slot], literal[slot - 1]))
              << n << " offers, empty " << withEmpty << ", slot " << slot << ", sort " << sort.ascending
              << sort.byEntryNo;
      }
    }
}

// A number right-aligned as "%<width>d" writes it.
TEST(RightAlignedInt, AsTheFormatWritesIt) {
  const int values[] = {0,
                        7,
                        -7,
                        99,
                        100,
                        999,
                        1000,
                        65535,
                        -100,
                        std::numeric_limits<int>::min(),
                        std::numeric_limits<int>::max()};
  for (int width : {0, 1, 3, 4, 12})
    for (int value : values)
      EXPECT_EQ(RightAlignedInt(value, width), Format("%*d", {width, value})) << value << " in " << width;
  EXPECT_EQ(EntryNoText(5), "  5");
  EXPECT_EQ(EntryNoText(1234), "1234");
}

// The remembered texts are FormatNum's, whatever the style or the value,
// and a change of style or cost decimals is never answered from memory.
TEST_F(OfferTexts, RememberedTextsAreFormatNums) {
  TOfferTexts texts;
  const double values[] = {0.0, -0.0, 1e-9, 12.345, -12.345, 1234567.891, 99999999999.5, Inf, -Inf, NaN};
  for (Byte style : {Byte{0}, Byte{1}, Byte{2}, Byte{1}}) {
    NumberStyle = style;
    for (int pass = 0; pass < 2; ++pass)
      for (double value : values)
        for (int width : {8, 9, 14, 15})
          for (int decimals : {0, 2, 3}) {
            const AnsiString expected = FormatNum(width, decimals, style, value);
            EXPECT_EQ(texts.Num(width, decimals, value), expected)
                << value << " " << width << " " << decimals;
          }
  }
  for (int cost : {0, 2, 3, 0}) {
    CostDecimals = cost;
    for (double amount : {90000.0, 90000.5, 90000.125, 90000.00001, 1e-7})
      EXPECT_EQ(texts.AmountDecimals(amount), AmountDecimals(amount)) << amount << " " << cost;
  }
}

}  // namespace
