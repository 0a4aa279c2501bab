// One bound on budget rows everywhere: a bidder's value in any row the
// budget file holds is kept, saved and read back, up to the last row.
#include <gtest/gtest.h>

#include "tender/BudgetFile.h"

namespace {

TEST(BudgetRows, ABiddersValueInEveryRowTheFileHoldsIsSavedAndReadBack) {
  TBudgetData budget;
  budget.Rows.resize(MaxBudgetRows);
  for (int r = 0; r < MaxBudgetRows; ++r) budget.Rows[r] = {"Α"_a, 1, 2, 0};
  BidderDiscountTable.FreeAll();
  DetailedOffer& offer = BidderDiscountTable.Ensure(1);
  const struct {
    int row;
    DetailEntry entry;
  } typed[] = {{1, {3, 0}}, {2400, {4, '+'}}, {2401, {5, 0}}, {2450, {7, '#'}}, {MaxBudgetRows, {9, '-'}}};
  for (const auto& t : typed) offer.at(t.row - 1) = t.entry;
  const std::vector<TBidderBlock> blocks = BidderBlocksToSave(MaxBudgetRows);
  ASSERT_EQ(blocks.size(), 1u);
  ASSERT_EQ(blocks[0].Values.size(), static_cast<size_t>(MaxBudgetRows));
  const TBudgetLayout layout{false, true, true};
  const TBudgetFileContents back =
      DecodeBudgetFile(EncodeBudgetFile(budget, layout, blocks), TBudgetKind::WorkItems, layout);
  BidderDiscountTable.FreeAll();
  ASSERT_EQ(back.Status, TBudgetReadStatus::Ok);
  ASSERT_EQ(back.Blocks.size(), 1u);
  ASSERT_EQ(back.Blocks[0].Values.size(), static_cast<size_t>(MaxBudgetRows));
  for (const auto& t : typed) {
    SCOPED_TRACE(t.row);
    EXPECT_EQ(back.Blocks[0].Values[t.row - 1].Value, t.entry.Value);
    EXPECT_EQ(back.Blocks[0].Values[t.row - 1].Mark, t.entry.Mark);
  }
}

}  // namespace
