#pragma once
// A vector-backed offers grid and a guard that gives each test a fresh
// tender state and puts back what it changed.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"
#include "tests/tender/NumericTestSupport.h"

class TVectorSheet : public TOfferSheet {
 public:
  explicit TVectorSheet(int rows = 501) : cells_(rows, std::vector<AnsiString>(5)) {}
  AnsiString Cell(int col, int row) const override {
    if (row < 0 || row >= RowCount() || col < 0 || col >= 5) return "";
    return cells_[row][col];
  }
  void SetCell(int col, int row, const AnsiString& text) override {
    if (row < 0 || row >= RowCount() || col < 0 || col >= 5) return;
    cells_[row][col] = text;
  }
  int RowCount() const override { return static_cast<int>(cells_.size()); }

  // Number, name, amount and discount of a row, as typed.
  void Row(int row, int entryNo, const AnsiString& name, const AnsiString& amount,
           const AnsiString& discount) {
    SetCell(ColEntryNo, row, Format("%3d", {entryNo}));
    SetCell(ColName, row, name);
    SetCell(ColAmount, row, amount);
    SetCell(ColDiscount, row, discount);
  }
  // Every row numbered 1, 2, ... as the window numbers a new grid.
  void NumberRows() {
    for (int row = 1; row < RowCount(); ++row) SetCell(ColEntryNo, row, Format("%3d", {row}));
  }

 private:
  std::vector<std::vector<AnsiString>> cells_;
};

// The tender state as the main window's creation leaves it, style 1, two
// discount decimals; restored afterwards.
class TenderStateTest : public testing::Test {
 protected:
  void SetUp() override {
    savedDiscountDecimals_ = DiscountDecimals;
    savedCostDecimals_ = CostDecimals;
    savedNumberStyle_ = NumberStyle;
    savedRound_ = RoundDiscountProc;
    savedThousands_ = ThousandSeparator;
    savedDecimal_ = DecimalSeparator;
    OfferTable.Clear();
    OfferCount = 0;
    ProjectHeader.Clear();
    BidderDiscountTable.FreeAll();
    OfferCalcState = TOfferCalcState();
    DiscountDecimals = 2;
    CostDecimals = 0;
    NumberStyle = 1;
    RoundDiscountProc = RoundDiscount;
    UseStyle1();
  }
  void TearDown() override {
    OfferTable.Clear();
    OfferCount = 0;
    ProjectHeader.Clear();
    BidderDiscountTable.FreeAll();
    OfferCalcState = TOfferCalcState();
    DiscountDecimals = savedDiscountDecimals_;
    CostDecimals = savedCostDecimals_;
    NumberStyle = savedNumberStyle_;
    RoundDiscountProc = savedRound_;
    UseLocaleSeparators(savedThousands_, savedDecimal_);
  }

 private:
  Byte savedDiscountDecimals_ = 0;
  Word savedCostDecimals_ = 0;
  Integer savedNumberStyle_ = 0;
  TRoundDiscountProc savedRound_ = nullptr;
  char savedThousands_ = ',';
  char savedDecimal_ = '.';
};

// The exchange sort as the tender rule has it, swap for swap, on the table
// itself: what SortOffers must match.
inline void LiteralExchangeSort(bool ascending, bool byEntryNo) {
  for (int i = 1; i < OfferCount; ++i)
    for (int j = i + 1; j <= OfferCount; ++j)
      if (OfferTable[i].EntryNo != 0 && !OfferInOrder(i, j, ascending, byEntryNo))
        std::swap(OfferTable[i], OfferTable[j]);
}

// The 500 slots as the literal sort leaves them; the table stays as it was.
inline std::vector<OfferRecord> LiterallySorted(bool ascending, bool byEntryNo) {
  std::vector<OfferRecord> before;
  for (int slot = 1; slot <= MaxOffers; ++slot) before.push_back(OfferTable[slot]);
  LiteralExchangeSort(ascending, byEntryNo);
  std::vector<OfferRecord> literal;
  for (int slot = 1; slot <= MaxOffers; ++slot) literal.push_back(OfferTable[slot]);
  for (int slot = 1; slot <= MaxOffers; ++slot) OfferTable[slot] = before[slot - 1];
  return literal;
}
