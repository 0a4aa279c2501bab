#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/rtl/Classes.h"
#include "tender/OfferCalc.h"
#include "tests/tender/OfferCalcSupport.h"

namespace {

class OfferCalc : public TenderStateTest {
 protected:
  TVectorSheet sheet;

  void SetUp() override {
    TenderStateTest::SetUp();
    sheet.NumberRows();
    ProjectHeader.Divisor = 100000;
  }
  // The calculation's steps that touch the grid: scan, then the two sorts.
  TCalcResult Calculate(int projectType = ProjectNoCheck) {
    ResetCalculation();
    TCalcResult result = ScanOffers(sheet);
    if (result.Outcome == TCalcOutcome::Done) {
      sortitms(sheet, true, false, true, projectType);
      sortitms(sheet, false, false, true, projectType);
    }
    return result;
  }
};

// ---- discounts ------------------------------------------------------------------

struct AmountCase {
  const char* amount;
  double rounded;
};

class CalcRounding : public OfferCalc, public testing::WithParamInterface<AmountCase> {};

// Amounts against a divisor of 100,000 whose discounts are the rounding
// rule's vectors: 12.3450001, 12.3451, 12.3449 and 12.999.
TEST_P(CalcRounding, DiscountFollowsTheTenderRule) {
  sheet.Row(1, 1, "Alpha", GetParam().amount, "");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, GetParam().rounded);
  EXPECT_EQ(OfferTable[1].Discount, GetParam().rounded);
}

INSTANTIATE_TEST_SUITE_P(Vectors, CalcRounding,
                         testing::Values(AmountCase{"87654.9999", 12.345}, AmountCase{"87654.9", 12.35},
                                         AmountCase{"87655.1", 12.34}, AmountCase{"87001", 13}));

TEST_F(OfferCalc, AmountWithManyDecimalsIsRoundedToFourMore) {
  CostDecimals = 0;
  sheet.Row(1, 1, "A", "1000.12345678", "");
  sheet.Row(2, 2, "B", "1000.125", "");
  ASSERT_EQ(ScanOffers(sheet).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].Amount, 1000.1235);
  EXPECT_EQ(OfferTable[2].Amount, 1000.125);
}

TEST_F(OfferCalc, ZeroAfterRoundingIsHeldAsPlusOrMinusOneBillionth) {
  sheet.Row(1, 1, "Equal", "100000", "");
  sheet.Row(2, 2, "Above", "100000.001", "");
  ASSERT_EQ(ScanOffers(sheet).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 1e-9);
  EXPECT_EQ(OfferTable[2].RoundedDiscount, -1e-9);
  EXPECT_EQ(OfferTable[2].Discount, -1e-9);
}

// The exact discount of an offer equal to the divisor is RoundDec(15, 0),
// which the library's nudge makes 1e-14: not zero, so no "!" is added,
// while the "~" mark shows that only rounding kept it from zero.
TEST_F(OfferCalc, OfferEqualToDivisorGetsTildeButNoExclamation) {
  EXPECT_EQ(RoundDec(15, 0.0), 1e-14);
  sheet.Row(1, 1, "Equal", "100000", "");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].ExactDiscount, 1e-14);
  EXPECT_EQ(sheet.Cell(ColDiscount, 1), "~   0.00");
  EXPECT_EQ(sheet.Cell(ColRemark, 1), "");
  EXPECT_EQ(sheet.Cell(ColAmount, 1), "       100,000");
}

// An exact discount of 0.000001 with five discount decimals is below the
// extended 10^-6, though not below that power rounded to a double.
TEST_F(OfferCalc, TildeLimitIsTheExtendedPowerOfTen) {
  DiscountDecimals = 5;
  ProjectHeader.Divisor = 40000.0001;
  sheet.Row(1, 1, "Hair", "39999.9997", "");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  ASSERT_EQ(OfferTable[1].ExactDiscount, 1e-6);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 1e-9);
  EXPECT_EQ(sheet.Cell(ColDiscount, 1).substr(0, 1), "~");
}

TEST_F(OfferCalc, StarredOfferIsMarkedAndRoundedToWholePercentHalfToEven) {
  sheet.Row(1, 1, "A", "87400", "*1");  // 12.6
  sheet.Row(2, 2, "B", "87500", "*");   // 12.5
  sheet.Row(3, 3, "C", "86500", "*");   // 13.5
  sheet.Row(4, 4, "D", "87400", "");
  ASSERT_EQ(ScanOffers(sheet).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 13);
  EXPECT_EQ(OfferTable[2].RoundedDiscount, 12);
  EXPECT_EQ(OfferTable[3].RoundedDiscount, 14);
  EXPECT_EQ(OfferTable[4].RoundedDiscount, 12.6);
  for (int slot = 1; slot <= 3; ++slot) {
    EXPECT_EQ(OfferTable[slot].Marked, 1) << slot;
    EXPECT_EQ(OfferTable[slot].TypedFlag, 0) << slot;
  }
  EXPECT_EQ(OfferTable[4].Marked, 0);
}

TEST_F(OfferCalc, MarkFollowsTheRowNotTheSlot) {
  sheet.Row(1, 1, "A", "90000", "*");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  ASSERT_EQ(OfferTable[1].Marked, 1);
  // The row is retyped without the mark: the slot it fills loses it.
  sheet.Row(1, 1, "B", "80000", "");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].Marked, 0);
}

// The ranking writes the marked discount without its "*": the calculation,
// the save and the refresh keep the mark while the row shows the offer's
// number and amount, and round its discount to a whole percent again.
TEST_F(OfferCalc, MarkStaysWithTheOfferItsRowStillShows) {
  sheet.Row(1, 1, "A", "87400", "*");
  sheet.Row(2, 2, "B", "87300", "");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  ASSERT_EQ(sheet.Cell(ColDiscount, 1), "  13.00");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(sheet.Cell(ColDiscount, 1), "  13.00");
  EXPECT_EQ(OfferTable[1].Marked, 1);
  ASSERT_EQ(ScanOffersForSave(sheet).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].Marked, 1);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 13);
  RefreshOffersFromGrid(sheet);
  EXPECT_EQ(OfferTable[1].Marked, 1);
  EXPECT_EQ(OfferTable[2].Marked, 0);
  // Another amount is another offer.
  sheet.SetCell(ColAmount, 1, "87000");
  ASSERT_EQ(ScanOffersForSave(sheet).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].Marked, 0);
}

TEST_F(OfferCalc, DiscountOnlyOfferKeepsItsTypedDiscount) {
  sheet.Row(1, 1, "Delta", "", "12.3456");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].Amount, 0);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 12.3456);
  EXPECT_EQ(OfferTable[1].ExactDiscount, 12.3456);
  EXPECT_EQ(sheet.Cell(ColAmount, 1), "");
  EXPECT_EQ(sheet.Cell(ColDiscount, 1), "  12.35");
}

TEST_F(OfferCalc, DiscountOnlyOfferInGreekStyle) {
  UseStyle2();
  NumberStyle = 2;
  sheet.Row(1, 1, "Delta", "", "7,5");
  sheet.Row(2, 2, "Eta", "87.654,9", "");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 12.35);
  EXPECT_EQ(OfferTable[2].RoundedDiscount, 7.5);
  EXPECT_EQ(sheet.Cell(ColDiscount, 2), "   7,50");
  EXPECT_EQ(sheet.Cell(ColAmount, 1), "      87.654,9");
}

TEST_F(OfferCalc, VoidOfferIsZeroAndFlaggedOnce) {
  sheet.Row(1, 1, "Void", "", "0");
  sheet.Row(2, 2, "Text", "", "abc");  // no number: held as 1e-9, not void
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  // Descending: the 1e-9 offer ranks first.
  EXPECT_EQ(OfferTable[2].EntryNo, 1);
  EXPECT_EQ(OfferTable[2].RoundedDiscount, 0);
  EXPECT_EQ(OfferTable[2].Amount, 0);
  EXPECT_EQ(sheet.Cell(ColDiscount, 2), "0");
  EXPECT_EQ(sheet.Cell(ColRemark, 2), "!");
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 1e-9);
  EXPECT_EQ(sheet.Cell(ColRemark, 1), "");
  // Each display meets the zero again; the remark is not eaten.
  sortitms(sheet, true, true, true, ProjectNoCheck);
  sortitms(sheet, false, false, true, ProjectNoCheck);
  EXPECT_EQ(sheet.Cell(ColRemark, 2), "!");
}

TEST_F(OfferCalc, RemarkGetsOneExclamationOnly) {
  OfferCount = 2;
  OfferTable[1].EntryNo = 1;
  OfferTable[1].Remark = "abcdef";
  OfferTable[2].EntryNo = 2;
  OfferTable[2].Remark = "!x";
  for (int round = 0; round < 3; ++round) DisplayItems(sheet, ProjectNoCheck);
  EXPECT_EQ(OfferTable[1].Remark, "!abcde");
  EXPECT_EQ(OfferTable[2].Remark, "!x");
  EXPECT_EQ(sheet.Cell(ColRemark, 2), "!x");
}

TEST_F(OfferCalc, ZeroWithoutNameIsSkippedUnlessDetailed) {
  sheet.Row(1, 1, "", "", "0");
  sheet.Row(2, 2, "A", "90000", "");
  sheet.Row(3, 3, "", "", "0");
  BidderDiscountTable.Ensure(3);
  ASSERT_EQ(ScanOffers(sheet).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferCount, 2);
  EXPECT_EQ(OfferTable[1].EntryNo, 2);
  EXPECT_EQ(OfferTable[2].EntryNo, 3);
  EXPECT_EQ(OfferTable[2].BidderName, "*;;");
  EXPECT_EQ(sheet.Cell(ColName, 3), "*;;");
  EXPECT_EQ(sheet.Cell(ColDiscount, 3), "0");
}

TEST_F(OfferCalc, DetailedOfferWithoutDiscountOrAmountTakesASlot) {
  sheet.Row(1, 1, "A", "90000", "");
  BidderDiscountTable.Ensure(2);
  ASSERT_EQ(ScanOffers(sheet).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferCount, 2);
  EXPECT_EQ(OfferTable[2].BidderName, "*;;");
  EXPECT_EQ(OfferTable[2].RoundedDiscount, 1e-9);
  // Its remark column shows the detailed offer.
  sortitms(sheet, true, true, true, ProjectNoCheck);
  EXPECT_EQ(sheet.Cell(ColRemark, 2), "*");
  EXPECT_EQ(sheet.Cell(ColRemark, 1), "");
}

TEST_F(OfferCalc, EmptyFirstRowMeansNoOffers) {
  sheet.Row(2, 2, "A", "", "");  // a name alone is no offer left out
  OfferCount = 4;
  const TCalcResult result = Calculate();
  EXPECT_EQ(result.Outcome, TCalcOutcome::NoOffers);
  EXPECT_TRUE(result.Message.empty());
  EXPECT_EQ(OfferCount, 0);
}

// ---- offers below a row without one ---------------------------------------------

// Rows 1 and 3 of the case hold offers or not; the calculation is refused,
// naming the row that ends the scan, exactly when a row below it holds an
// amount, a discount or a detailed offer that would take a slot.
struct GapCase {
  const char* what;
  std::vector<std::array<const char*, 4>> rows;  // row, name, amount, discount
  int refusedRow;                                // 0: not refused
  int offers;                                    // OfferCount when not refused
  int detailedEntry = 0;                         // a bidder with a detailed offer
};
void PrintTo(const GapCase& c, std::ostream* out) { *out << c.what; }

class GapInOffers : public OfferCalc, public testing::WithParamInterface<GapCase> {};

TEST_P(GapInOffers, RefusedOnlyWhenAnOfferWouldBeLeftOut) {
  const GapCase& c = GetParam();
  for (const auto& r : c.rows) {
    const int row = std::atoi(r[0]);
    sheet.Row(row, row, r[1], r[2], r[3]);
  }
  if (c.detailedEntry != 0) BidderDiscountTable.Ensure(c.detailedEntry);
  OfferCount = 7;
  const TCalcResult result = Calculate();
  if (c.refusedRow != 0) {
    EXPECT_EQ(result.Outcome, TCalcOutcome::GapInOffers) << c.what;
    EXPECT_EQ(result.Row, c.refusedRow) << c.what;
    EXPECT_EQ(result.Message, GapInOffersMessage(c.refusedRow)) << c.what;
    EXPECT_EQ(OfferCount, 7) << c.what;
  } else {
    EXPECT_NE(result.Outcome, TCalcOutcome::GapInOffers) << c.what;
    EXPECT_EQ(OfferCount, c.offers) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    OfferCalc, GapInOffers,
    testing::Values(
        GapCase{"a name-only row above a discount",
                {{"1", "A", "", "10"}, {"2", "B", "", ""}, {"3", "C", "", "5"}},
                2,
                0},
        GapCase{"an empty first row above an amount", {{"2", "A", "90000", ""}}, 1, 0},
        GapCase{"an empty row far above a discount", {{"1", "A", "", "10"}, {"9", "", "", "3"}}, 2, 0},
        GapCase{"names alone below", {{"1", "A", "", "10"}, {"3", "C", "", ""}}, 0, 1},
        GapCase{"a lone zero below takes no slot", {{"1", "A", "", "10"}, {"3", "", "", "0"}}, 0, 1},
        GapCase{"a named void offer below", {{"1", "A", "", "10"}, {"3", "C", "", "0"}}, 2, 0},
        GapCase{"a detailed offer alone below", {{"1", "A", "", "10"}, {"3", "C", "", ""}}, 2, 0, 3},
        GapCase{"an unnamed detailed offer below", {{"1", "A", "", "10"}}, 2, 0, 4},
        GapCase{"no gap", {{"1", "A", "", "10"}, {"2", "B", "90000", ""}}, 0, 2}));

TEST(GapInOffersText, NamesTheRow) {
  EXPECT_EQ(GapInOffersMessage(12),
            "Η γραμμή 12 δεν έχει ποσό ή έκπτωση, ενώ γραμμές κάτω από αυτή έχουν προσφορά: "
            "συμπληρώστε ή διαγράψτε τη γραμμή."_a);
}

TEST_F(OfferCalc, MissingDivisorStopsWithItsMessage) {
  ProjectHeader.Divisor = 0;
  OfferCount = 7;
  sheet.Row(1, 1, "Typed", "", "10");
  sheet.Row(2, 2, "Priced", "5000", "");
  const TCalcResult result = Calculate();
  EXPECT_EQ(result.Outcome, TCalcOutcome::MissingDivisor);
  EXPECT_EQ(result.Slot, 2);
  EXPECT_EQ(result.Message, "Δεν έχει εισαχθεί Διαιρέτης"_a);
  EXPECT_EQ(OfferCount, 7);
}

// The calculation checks each offer as it computes it; the save computes
// every offer first, so a missing divisor is told before a typed discount
// above 100 % that stands before it.
TEST_F(OfferCalc, TheSaveTellsAMissingDivisorBeforeADiscountAboveAHundred) {
  ProjectHeader.Divisor = 0;
  sheet.Row(1, 1, "Typed", "", "150");
  sheet.Row(2, 2, "Priced", "5000", "");
  TCalcResult result = ScanOffersForSave(sheet);
  EXPECT_EQ(result.Outcome, TCalcOutcome::MissingDivisor);
  EXPECT_EQ(result.Slot, 2);
  result = Calculate();
  EXPECT_EQ(result.Outcome, TCalcOutcome::OverHundred);
  EXPECT_EQ(result.Slot, 1);
  ProjectHeader.Divisor = 10000;
  result = ScanOffersForSave(sheet);
  EXPECT_EQ(result.Outcome, TCalcOutcome::OverHundred);
  EXPECT_EQ(result.Message, "Έχει Εισαχθεί Έκπτωση Μεγαλύτερη του 100%. A/A=1"_a);
}

TEST_F(OfferCalc, DiscountOnlyOffersNeedNoDivisor) {
  ProjectHeader.Divisor = 0;
  sheet.Row(1, 1, "Typed", "", "10");
  EXPECT_EQ(Calculate().Outcome, TCalcOutcome::Done);
}

struct OverCase {
  const char* amount;
  const char* discount;
};

class OverHundred : public OfferCalc, public testing::WithParamInterface<OverCase> {};

TEST_P(OverHundred, StopsNamingTheSlot) {
  OfferCount = 3;
  sheet.Row(1, 1, "Fine", "90000", "");
  sheet.Row(2, 2, "Bad", GetParam().amount, GetParam().discount);
  const TCalcResult result = Calculate();
  EXPECT_EQ(result.Outcome, TCalcOutcome::OverHundred);
  EXPECT_EQ(result.Slot, 2);
  EXPECT_EQ(result.Message, "Έχει Εισαχθεί Έκπτωση Μεγαλύτερη του 100%. A/A=2"_a);
  EXPECT_EQ(OfferCount, 3);
}

INSTANTIATE_TEST_SUITE_P(Cases, OverHundred,
                         testing::Values(OverCase{"-100", ""}, OverCase{"", "150"}, OverCase{"", "100.01"}));

TEST_F(OfferCalc, ExactlyHundredIsAllowed) {
  sheet.Row(1, 1, "Free", "", "100");
  EXPECT_EQ(Calculate().Outcome, TCalcOutcome::Done);
}

TEST_F(OfferCalc, ScanStopsAtRowFiveHundred) {
  TVectorSheet big(700);
  big.NumberRows();
  for (int row = 1; row < big.RowCount(); ++row) big.SetCell(ColAmount, row, "90000");
  ResetCalculation();
  ASSERT_EQ(ScanOffers(big).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferCount, 500);
  sortitms(big, false, false, true, ProjectNoCheck);
  EXPECT_EQ(big.Cell(ColAmount, 501), "90000");
  EXPECT_EQ(big.Cell(ColEntryNo, 501), "501");
}

TEST_F(OfferCalc, ShortGridEndsTheScan) {
  TVectorSheet small(4);
  small.NumberRows();
  for (int row = 1; row < 4; ++row) small.SetCell(ColAmount, row, "90000");
  ASSERT_EQ(ScanOffers(small).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferCount, 3);
}

TEST_F(OfferCalc, EntryNumberThatIsNoNumberReadsAsZeroAndIsNotShown) {
  sheet.Row(1, 1, "A", "90000", "");
  sheet.Row(2, 2, "B", "80000", "");
  sheet.SetCell(ColEntryNo, 2, "x");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferCount, 2);
  EXPECT_EQ(sheet.Cell(ColName, 1), "A");
  EXPECT_EQ(sheet.Cell(ColName, 2), "");
}

// ---- ranking ---------------------------------------------------------------------

struct SortCase {
  bool ascending;
  bool byEntryNo;
};

class EqualKeys : public OfferCalc, public testing::WithParamInterface<SortCase> {};

// Strict comparisons: two offers with the same key change places.
TEST_P(EqualKeys, SwapInEverySort) {
  OfferCount = 2;
  OfferTable[1].EntryNo = 4;
  OfferTable[1].BidderName = "First";
  OfferTable[1].RoundedDiscount = 10;
  OfferTable[2].EntryNo = GetParam().byEntryNo ? 4 : 5;
  OfferTable[2].BidderName = "Second";
  OfferTable[2].RoundedDiscount = 10;
  SortOffers(GetParam().ascending, GetParam().byEntryNo);
  EXPECT_EQ(OfferTable[1].BidderName, "Second");
  SortOffers(GetParam().ascending, GetParam().byEntryNo);
  EXPECT_EQ(OfferTable[1].BidderName, "First");
}

INSTANTIATE_TEST_SUITE_P(Sorts, EqualKeys,
                         testing::Values(SortCase{true, false}, SortCase{false, false},
                                         SortCase{true, true}));

TEST_F(OfferCalc, RankingDependsOnTheOrderBefore) {
  const double discounts[] = {10, 5, 10};
  OfferCount = 3;
  for (int slot = 1; slot <= 3; ++slot) {
    OfferTable[slot].EntryNo = static_cast<Word>(slot);
    OfferTable[slot].RoundedDiscount = discounts[slot - 1];
  }
  SortOffers(false, false);
  EXPECT_EQ(OfferTable[1].EntryNo, 3);
  EXPECT_EQ(OfferTable[2].EntryNo, 1);
  EXPECT_EQ(OfferTable[3].EntryNo, 2);
}

TEST_F(OfferCalc, EmptySlotDoesNotMoveItself) {
  OfferCount = 3;
  OfferTable[1].EntryNo = 0;
  OfferTable[1].RoundedDiscount = 50;
  OfferTable[2].EntryNo = 2;
  OfferTable[2].RoundedDiscount = 10;
  OfferTable[3].EntryNo = 3;
  OfferTable[3].RoundedDiscount = 20;
  SortOffers(true, false);
  EXPECT_EQ(OfferTable[1].EntryNo, 0);
  EXPECT_EQ(OfferTable[2].EntryNo, 2);
  EXPECT_EQ(OfferTable[3].EntryNo, 3);
}

// Random offer tables (amounts from a short list so that discounts tie,
// discount-only, void, marked and blank offers, every discount rounding,
// both number styles, empty slots among the offers), each sorted the three
// ways one after another: the fast sort leaves every record where the
// literal one does.
TEST_F(OfferCalc, SortGivesTheExchangeSortsOrder) {
  std::mt19937 random(31);
  const SortCase sorts[] = {{true, false}, {true, true}, {false, false}};
  for (int round = 0; round < 140; ++round) {
    DiscountDecimals = round % 7;
    NumberStyle = static_cast<Byte>(1 + round % 2);
    if (NumberStyle == 1)
      UseStyle1();
    else
      UseStyle2();
    RoundDiscountProc = round % 3 == 0 ? nullptr : RoundDiscount;
    const int rows = 1 + static_cast<int>(random() % (round % 5 == 0 ? 500 : 40));
    sheet = TVectorSheet();
    for (int row = 1; row <= rows; ++row) {
      const AnsiString name = "Ε"_a + IntToStr(row);
      const int kind = static_cast<int>(random() % 10);
      const double amount = 90000 + 250.5 * static_cast<double>(random() % 8);
      const AnsiString amountText = FormatNum(12, 2, NumberStyle, amount);
      if (kind == 0)
        sheet.Row(row, row, name, "", "0");  // void
      else if (kind == 1)
        sheet.Row(row, row, name, "", FormatNum(8, 3, NumberStyle, 0.125 * (random() % 50)));
      else if (kind == 2)
        sheet.Row(row, row, name, amountText, "*");
      else if (kind == 3)
        sheet.Row(row, static_cast<int>(random() % 4), name, amountText, "");  // numbers repeat
      else
        sheet.Row(row, row, name, amountText, "");
    }
    ResetCalculation();
    ASSERT_EQ(ScanOffers(sheet).Outcome, TCalcOutcome::Done) << round;
    for (int slot = 1; slot <= OfferCount; ++slot)
      if (random() % 12 == 0) OfferTable[slot].EntryNo = 0;  // a blank slot
    for (const SortCase& sort : sorts) {
      const std::vector<OfferRecord> literal = LiterallySorted(sort.ascending, sort.byEntryNo);
      SortOffers(sort.ascending, sort.byEntryNo);
      for (int slot = 1; slot <= MaxOffers; ++slot) {
        const OfferRecord& a = OfferTable[slot];
        const OfferRecord& b = literal[slot - 1];
        ASSERT_TRUE(a.BidderName == b.BidderName.View() && a.EntryNo == b.EntryNo &&
                    std::memcmp(&a.RoundedDiscount, &b.RoundedDiscount, sizeof(double)) == 0 &&
                    a.Marked == b.Marked && a.Amount == b.Amount)
            << "round " << round << " slot " << slot << " sort " << sort.ascending << sort.byEntryNo;
      }
    }
  }
}

TEST_F(OfferCalc, DisplayWritesRankedRowsAndNumbersTheRest) {
  sheet.Row(1, 1, "Low", "95000", "");
  sheet.Row(2, 2, "High", "80010.5", "");
  sheet.Row(3, 3, "Mid", "90000", "");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(sheet.Cell(ColName, 0), "ΠΡΟΣΦΕΡΟΥΣΑ ΕΤΑΙΡΕΙΑ"_a);
  EXPECT_EQ(sheet.Cell(ColAmount, 0), "ΠΟΣΟ ΠΡΟΣΦΟΡΑΣ"_a);
  EXPECT_EQ(sheet.Cell(ColDiscount, 0), "ΕΚΠΤΩΣΗ"_a);
  const char* expected[][4] = {{"  2", "High", "      80,010.5", "  19.99"},
                               {"  3", "Mid", "        90,000", "  10.00"},
                               {"  1", "Low", "        95,000", "   5.00"}};
  for (int row = 1; row <= 3; ++row)
    for (int col = 0; col < 4; ++col)
      EXPECT_EQ(sheet.Cell(col, row), expected[row - 1][col]) << row << "," << col;
  EXPECT_EQ(sheet.Cell(ColEntryNo, 4), "  4");
  EXPECT_EQ(sheet.Cell(ColEntryNo, 500), "500");
  // The amount decimals last worked out: 95,000 has none.
  EXPECT_EQ(OfferCalcState.LastAmountDecimals, 0);
}

TEST_F(OfferCalc, RowsBelowAnEmptyRowKeepTheirText) {
  sheet.Row(1, 1, "A", "90000", "");
  sheet.Row(2, 2, "B", "80000", "");
  sheet.Row(3, 3, "Note only", "", "");  // ends the scan
  sheet.Row(4, 4, "Late", "", "");       // with an offer the calculation is refused
  sheet.SetCell(ColRemark, 4, "r");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferCount, 2);
  EXPECT_EQ(sheet.Cell(ColName, 1), "B");
  EXPECT_EQ(sheet.Cell(ColName, 3), "Note only");
  EXPECT_EQ(sheet.Cell(ColEntryNo, 3), "  3");
  EXPECT_EQ(sheet.Cell(ColName, 4), "Late");
  EXPECT_EQ(sheet.Cell(ColRemark, 4), "r");
  EXPECT_EQ(sheet.Cell(ColEntryNo, 4), "  4");
  EXPECT_EQ(sheet.Cell(ColEntryNo, 5), "  5");
}

TEST_F(OfferCalc, RowsOfSkippedOffersAreClearedAndNumbersStayUnique) {
  sheet.Row(1, 1, "A", "90000", "");
  sheet.Row(2, 2, "", "", "0");  // skipped
  sheet.Row(3, 3, "B", "80000", "");
  sheet.Row(5, 9, "Kept", "", "");  // below the end of the scan
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(sheet.Cell(ColName, 2), "A");
  EXPECT_EQ(sheet.Cell(ColName, 3), "");
  EXPECT_EQ(sheet.Cell(ColDiscount, 3), "");
  EXPECT_EQ(sheet.Cell(ColEntryNo, 3), "  4");
  EXPECT_EQ(sheet.Cell(ColEntryNo, 4), "  5");
  EXPECT_EQ(sheet.Cell(ColEntryNo, 5), "  9");
  EXPECT_EQ(sheet.Cell(ColEntryNo, 6), "  6");
  EXPECT_EQ(sheet.Cell(ColEntryNo, 8), "  8");
  EXPECT_EQ(sheet.Cell(ColEntryNo, 9), " 10");
}

TEST_F(OfferCalc, DetailedOfferMovedByTheRankingIsNotNumberedTwice) {
  sheet.Row(1, 1, "", "", "0");  // skipped
  sheet.Row(2, 2, "B", "80000", "");
  sheet.Row(3, 3, "A", "95000", "");
  BidderDiscountTable.Ensure(3);
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(sheet.Cell(ColEntryNo, 2), "  3");
  EXPECT_EQ(sheet.Cell(ColRemark, 2), "*");
  // Row 3 held the offer before the ranking moved it up.
  for (int row = 3; row < 10; ++row) EXPECT_NE(sheet.Cell(ColEntryNo, row), "  3") << row;
}

struct TypeCase {
  int projectType;
  const char* discountCell;
};

class ProjectTypeDisplay : public OfferCalc, public testing::WithParamInterface<TypeCase> {};

// A marked offer equal to the divisor: a category-percentage project keeps
// the text, the others mark it as an approximation.
TEST_P(ProjectTypeDisplay, MarkedEqualOffer) {
  sheet.Row(1, 1, "Equal", "100000", "*");
  ASSERT_EQ(Calculate(GetParam().projectType).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(sheet.Cell(ColDiscount, 1), GetParam().discountCell);
}

INSTANTIATE_TEST_SUITE_P(Types, ProjectTypeDisplay,
                         testing::Values(TypeCase{ProjectNoCheck, "~   0.00"},
                                         TypeCase{ProjectPricedOffer, "~   0.00"},
                                         TypeCase{ProjectCategoryPercentages, "   0.00"}));

TEST_F(OfferCalc, CategoryProjectUnmarkedOfferThatDoesNotGiveBackTheDivisor) {
  sheet.Row(1, 1, "Equal", "100000", "");
  ASSERT_EQ(Calculate(ProjectCategoryPercentages).Outcome, TCalcOutcome::Done);
  EXPECT_EQ(sheet.Cell(ColDiscount, 1), "~   0.00");
}

struct PosoCase {
  int decimals;
  double divisor, discount, amount;
  bool holds;
};

class PosoPososto : public testing::TestWithParam<PosoCase> {};

TEST_P(PosoPososto, Checks) {
  const PosoCase& c = GetParam();
  EXPECT_EQ(CheckPosoPososto(c.decimals, c.divisor, c.discount, c.amount), c.holds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PosoPososto,
    testing::Values(PosoCase{2, 100000, 12, 88000, true}, PosoCase{2, 100000, 12, 0, false},
                    PosoCase{2, 0, 12, 88000, false}, PosoCase{2, 100000, 100, 88000, false},
                    PosoCase{2, 100000, 12.5, 87500, false}, PosoCase{2, 100000, 12, 88000.01, true},
                    PosoCase{2, 100000, 12, 88000.02, false}, PosoCase{0, 100000, 12, 88000.5, true},
                    // A hair from the limit, where only the extended quotient
                    // and power of ten tell which side the amount lies.
                    PosoCase{2, 100, 25, 75.015, false}, PosoCase{2, 100000, 25, 75000.015, true},
                    PosoCase{3, 1000, 3, 970.00194, true}));

// ---- records -------------------------------------------------------------------

TEST(OfferCount, NeverBelowZeroNorAboveTheTable) {
  const Integer saved = OfferCount;
  SetOfferCount(-3);
  EXPECT_EQ(OfferCount, 0);
  SetOfferCount(501);
  EXPECT_EQ(OfferCount, 500);
  SetOfferCount(17);
  EXPECT_EQ(OfferCount, 17);
  OfferCount = saved;
}

TEST_F(OfferCalc, CompactRemovesTypedSlotsWithoutEntryNumber) {
  OfferTable[1].EntryNo = 1;
  OfferTable[2].TypedFlag = 1;
  OfferTable[3].TypedFlag = 2;
  OfferTable[4].EntryNo = 4;
  OfferTable[5].EntryNo = 5;
  OfferTable[5].TypedFlag = 1;
  CompactOffers();
  EXPECT_EQ(OfferTable[1].EntryNo, 1);
  EXPECT_EQ(OfferTable[2].EntryNo, 4);
  EXPECT_EQ(OfferTable[3].EntryNo, 5);
  EXPECT_EQ(OfferTable[3].TypedFlag, 1);
}

TEST_F(OfferCalc, CompactEndsWhenRemovableSlotsReachTheLast) {
  for (int slot = 250; slot <= 500; ++slot) OfferTable[slot].TypedFlag = 1;
  OfferTable[1].EntryNo = 1;
  CompactOffers();
  EXPECT_EQ(OfferTable[1].EntryNo, 1);
  for (int slot = 1; slot <= 500; ++slot) OfferTable[slot].TypedFlag = 1;
  CompactOffers();
  EXPECT_EQ(OfferTable[500].TypedFlag, 1);
}

TEST_F(OfferCalc, ResetKeepsExactDiscountAndMark) {
  OfferTable[3].EntryNo = 3;
  OfferTable[3].Amount = 5;
  OfferTable[3].Remark = "r";
  OfferTable[3].TypedFlag = 1;
  OfferTable[3].ExactDiscount = 7;
  OfferTable[3].Marked = 1;
  OfferCalcState.CurrentRow = 9;
  TStringList report;
  report.Add("old");
  ResetCalculation(&report);
  EXPECT_EQ(report.Count(), 0);
  EXPECT_EQ(OfferCalcState.CurrentRow, 0);
  EXPECT_EQ(OfferTable[3].EntryNo, 0);
  EXPECT_EQ(OfferTable[3].Amount, 0);
  EXPECT_TRUE(OfferTable[3].Remark.Empty());
  EXPECT_EQ(OfferTable[3].TypedFlag, 0);
  EXPECT_EQ(OfferTable[3].ExactDiscount, 7);
  EXPECT_EQ(OfferTable[3].Marked, 1);
}

// ---- refresh from the grid -------------------------------------------------------

// An empty row leaves its slot empty and the rows below it are read on,
// each into the slot of its row.
TEST_F(OfferCalc, RefreshReadsRowsPastAnEmptyOne) {
  OfferTable[9].EntryNo = 9;
  OfferCalcState.LastAmountDecimals = 1;
  sheet.Row(1, 1, "A", "99.1256", "*12");
  sheet.Row(2, 2, "Name only", "", "");
  sheet.Row(3, 3, "C", "", "7.5");
  sheet.Row(5, 5, "Below", "", "3");
  RefreshOffersFromGrid(sheet);
  EXPECT_EQ(OfferCount, 5);
  EXPECT_EQ(OfferCalcState.OfferRowsInGrid, 5);
  EXPECT_EQ(OfferTable[9].EntryNo, 0);
  EXPECT_EQ(OfferTable[1].Amount, 99.126);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 0);  // the "*" is not read past
  EXPECT_EQ(OfferTable[1].Marked, 1);
  EXPECT_EQ(OfferTable[2].BidderName, "Name only");
  EXPECT_EQ(OfferTable[3].RoundedDiscount, 7.5);
  EXPECT_EQ(OfferTable[3].Discount, 7.5);
  EXPECT_EQ(OfferTable[3].EntryNo, 3);
  EXPECT_EQ(OfferTable[4].EntryNo, 0);
  EXPECT_TRUE(OfferTable[4].BidderName.Empty());
  EXPECT_EQ(OfferTable[5].EntryNo, 5);
  EXPECT_EQ(OfferTable[5].BidderName, "Below");
  EXPECT_EQ(OfferTable[5].RoundedDiscount, 3);
}

TEST_F(OfferCalc, RefreshUsesTheAmountDecimalsOfTheLastDisplay) {
  sheet.Row(1, 1, "A", "90000.5", "");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  ASSERT_EQ(OfferCalcState.LastAmountDecimals, 1);
  sheet.SetCell(ColAmount, 1, "99.1256");
  RefreshOffersFromGrid(sheet);
  EXPECT_EQ(OfferTable[1].Amount, 99.126);
  OfferCalcState.LastAmountDecimals = 0;
  RefreshOffersFromGrid(sheet);
  EXPECT_EQ(OfferTable[1].Amount, 99.13);
}

TEST_F(OfferCalc, RefreshNeverLowersTheCount) {
  OfferCount = 6;
  sheet.Row(1, 1, "A", "1", "");
  RefreshOffersFromGrid(sheet);
  EXPECT_EQ(OfferCount, 6);
}

TEST_F(OfferCalc, RefreshNamesUnnamedDetailedOffers) {
  BidderDiscountTable.Ensure(1);
  sheet.Row(2, 2, "B", "", "4");
  RefreshOffersFromGrid(sheet);
  EXPECT_EQ(OfferCount, 2);
  EXPECT_EQ(sheet.Cell(ColName, 1), "*;;");
  EXPECT_EQ(sheet.Cell(ColDiscount, 1), "0");
  EXPECT_EQ(OfferTable[1].BidderName, "*;;");
}

// The mark of a detailed offer goes to the row that shows the bidder's
// number, wherever its slot is, and never over a remark.
TEST_F(OfferCalc, DetailedOfferMarksTheRowOfTheNumber) {
  sheet.NumberRows();
  sheet.Row(1, 1, "A", "", "4");
  sheet.Row(3, 3, "C", "", "5");
  sheet.Row(4, 4, "D", "", "6");
  sheet.SetCell(ColRemark, 4, "!");
  OfferTable[1].EntryNo = 3;
  OfferTable[2].EntryNo = 4;
  OfferTable[3].EntryNo = 1;
  OfferCount = 2;
  BidderDiscountTable.Ensure(1);
  BidderDiscountTable.Ensure(3);
  BidderDiscountTable.Ensure(4);
  MarkDetailedOfferRows(sheet);
  EXPECT_TRUE(sheet.Cell(ColRemark, 1).empty());  // slot 3 lies beyond the count
  EXPECT_TRUE(sheet.Cell(ColRemark, 2).empty());
  EXPECT_EQ(sheet.Cell(ColRemark, 3), "*");
  EXPECT_EQ(sheet.Cell(ColRemark, 4), "!");
}

TEST_F(OfferCalc, RefreshStopsAtRowFiveHundred) {
  TVectorSheet big(600);
  big.NumberRows();
  for (int row = 1; row < big.RowCount(); ++row) big.SetCell(ColName, row, "N");
  RefreshOffersFromGrid(big);
  EXPECT_EQ(OfferCount, 500);
}

}  // namespace

namespace {

// An empty row below the scan whose number has a detailed offer does not
// keep that number when a ranked row shows it already.
TEST_F(OfferCalc, EmptyRowDoesNotRepeatARankedNumber) {
  sheet.Row(1, 1, "A", "90000", "");
  sheet.Row(2, 2, "B", "80000", "");
  sheet.SetCell(ColEntryNo, 4, "  2");  // below the end of the scan, empty
  BidderDiscountTable.Ensure(2);
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  int twos = 0;
  for (int row = 1; row < 20; ++row) twos += sheet.Cell(ColEntryNo, row) == "  2";
  EXPECT_EQ(twos, 1);
}

// The discount is computed in extended precision and rounded once.
TEST_F(OfferCalc, DiscountIsRoundedOnce) {
  ProjectHeader.Divisor = 3;
  sheet.Row(1, 1, "A", "2.96", "");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  const double once = static_cast<double>((1 - static_cast<long double>(2.96) / 3) * 100);
  const double twice = (1 - 2.96 / 3) * 100;
  ASSERT_NE(RoundDec(15, once), RoundDec(15, twice));
  EXPECT_EQ(OfferTable[1].ExactDiscount, RoundDec(15, once));
}

}  // namespace

namespace {

// ---- the renumbering after a calculation ------------------------------------------------

// Rows 1 and 2 hold two offers (entries 1 and 2); the rows below the scan
// hold what the case puts there. After the calculation every row below the
// ranked ones shows the expected number.
struct BelowRow {
  int row;
  int typedNumber;
  const char* name;
  bool detailed;
};
struct RenumberCase {
  const char* rule;
  std::vector<BelowRow> below;
  std::vector<std::pair<int, int>> expected;  // row, number shown
};

class Renumbering : public OfferCalc, public testing::WithParamInterface<RenumberCase> {};

TEST_P(Renumbering, FollowsItsRule) {
  const RenumberCase& c = GetParam();
  sheet.Row(1, 1, "A", "90000", "");
  sheet.Row(2, 2, "B", "80000", "");
  bool detailed = false;
  for (const BelowRow& r : c.below) {
    sheet.SetCell(ColEntryNo, r.row, EntryNoText(r.typedNumber));
    sheet.SetCell(ColName, r.row, r.name);
    if (r.detailed) BidderDiscountTable.Ensure(r.typedNumber);
    detailed |= r.detailed;
  }
  if (detailed) {
    // The calculation refuses to leave a detailed offer out below a gap;
    // the sort buttons show the ranking as it stands.
    OfferTable[1].EntryNo = 1;
    OfferTable[2].EntryNo = 2;
    SetOfferCount(2);
    OfferCalcState.OfferRowsInGrid = 2;
    sortitms(sheet, false, false, true, ProjectNoCheck);
  } else {
    ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done) << c.rule;
  }
  for (const auto& [row, number] : c.expected)
    EXPECT_EQ(sheet.Cell(ColEntryNo, row), EntryNoText(number)) << c.rule << ", row " << row;
}

INSTANTIATE_TEST_SUITE_P(
    OfferCalc, Renumbering,
    testing::Values(RenumberCase{"a kept row keeps its number and takes no place in the sequence",
                                 {{4, 9, "Note", false}},
                                 {{3, 3}, {4, 9}, {5, 4}}},
                    RenumberCase{"the sequence passes over kept numbers",
                                 {{5, 4, "Note", false}},
                                 {{3, 3}, {4, 5}, {5, 4}, {6, 6}}},
                    RenumberCase{"an empty row with a detailed offer keeps its number",
                                 {{4, 7, "", true}},
                                 {{3, 3}, {4, 7}, {5, 4}}},
                    RenumberCase{"the upper of two kept rows with the same typed number keeps it",
                                 {{4, 9, "Upper", false}, {6, 9, "Lower", false}},
                                 {{3, 3}, {4, 9}, {5, 4}, {6, 5}, {7, 6}}},
                    RenumberCase{"a kept row with text is renumbered when a ranked row shows its number",
                                 {{4, 2, "Note", false}},
                                 {{3, 3}, {4, 4}, {5, 5}}},
                    RenumberCase{"entry numbers of four digits are shown whole",
                                 {{4, 1295, "Note", false}},
                                 {{3, 3}, {4, 1295}, {5, 4}}}));

}  // namespace

namespace {

// The calculation and the save compute a discount by one rule with two
// differences: the save keeps 12 decimals of the exact value as the
// discount and holds no stand-in for a zero.
TEST_F(OfferCalc, SaveKeepsTheExactDiscountAndNoZeroStandIn) {
  sheet.Row(1, 1, "Equal", "100000", "");
  sheet.Row(2, 2, "Third", "66666.67", "");
  ASSERT_EQ(Calculate().Outcome, TCalcOutcome::Done);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 33.33);
  EXPECT_EQ(OfferTable[2].RoundedDiscount, 1e-9);
  EXPECT_EQ(OfferTable[2].Discount, 1e-9);

  ASSERT_EQ(ScanOffersForSave(sheet).Outcome, TCalcOutcome::Done);
  const double third = static_cast<double>((1 - static_cast<long double>(66666.67) / 100000) * 100);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 33.33);
  EXPECT_EQ(OfferTable[1].ExactDiscount, RoundDec(12, third));
  EXPECT_EQ(OfferTable[1].Discount, RoundDec(12, third));
  EXPECT_EQ(OfferTable[2].RoundedDiscount, 0);
  EXPECT_EQ(OfferTable[2].Discount, 0);
}

}  // namespace

namespace {

// The save passes over wholly empty rows, wherever they stand, to the last
// row that holds anything; they take no slot and every slot keeps the
// number of its row.
struct SaveGapCase {
  const char* what;
  int emptyRow;
};
void PrintTo(const SaveGapCase& c, std::ostream* out) { *out << c.what; }

class SaveOverEmptyRows : public OfferCalc, public testing::WithParamInterface<SaveGapCase> {};

TEST_P(SaveOverEmptyRows, KeepsEveryRowBelow) {
  const int empty = GetParam().emptyRow;
  const char* bidders[][3] = {{"Priced", "90000", ""}, {"Typed", "", "7"}, {"Named", "", ""}};
  int row = 1;
  for (const auto& b : bidders) {
    if (row == empty) ++row;
    sheet.Row(row, row, b[0], b[1], b[2]);
    ++row;
  }
  sheet.Row(9, 9, "", "", "");
  ASSERT_EQ(ScanOffersForSave(sheet).Outcome, TCalcOutcome::Done) << GetParam().what;
  ASSERT_EQ(OfferCount, 3) << GetParam().what;
  const int entries[] = {empty == 1 ? 2 : 1, empty <= 2 ? 3 : 2, 4};
  for (int slot = 1; slot <= 3; ++slot) {
    EXPECT_EQ(OfferTable[slot].BidderName.Str(), bidders[slot - 1][0]) << GetParam().what;
    EXPECT_EQ(OfferTable[slot].EntryNo, entries[slot - 1]) << GetParam().what;
  }
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 10);
  EXPECT_EQ(OfferTable[2].RoundedDiscount, 7);
  EXPECT_EQ(OfferTable[3].RoundedDiscount, 0);  // a name alone is a void offer
  EXPECT_EQ(sheet.Cell(ColDiscount, entries[2]), "0");
  EXPECT_EQ(sheet.Cell(ColDiscount, empty), "") << "an empty row stays empty";
}

INSTANTIATE_TEST_SUITE_P(OfferCalc, SaveOverEmptyRows,
                         testing::Values(SaveGapCase{"first row empty", 1},
                                         SaveGapCase{"middle row empty", 3}));

}  // namespace
