#pragma once
// The offer normality check: whether every unit price (budget by work
// items) or category discount (budget by categories) of a bidder's offer
// lies inside the band around the offer's mean discount, with the tolerance
// for rows whose study cost together stays below 5 % of the study budget.
// It marks the check column of the budget table, counts, and says what the
// window must show; the window shows the messages in their order.

#include <functional>
#include <optional>
#include <vector>

#include "tender/BudgetFile.h"
#include "tender/Uproyp5Sheet.h"

// The totals the check starts from, and takes again after it emptied an
// offer value on a row without study price or cost.
struct TCheckTotals {
  double MeanDiscount = 0;  // E, a fraction
  double StudySum = 0;
  int Rows = 0;  // the budget's row count
};

struct TCheckInput {
  TBudgetKind Kind = TBudgetKind::WorkItems;
  // The window was shown for a bidder: only then the band and the verdict.
  bool CheckEnabled = true;
  int OfferCostCol = 6;  // 12 while the deviation columns show
  int DiscountDecimals = 2;
  int CostDecimals = 2;
  Byte Style = 2;
  double NormalHigh = 1.1;  // band factors of the work-items check
  double NormalLow = 0.9;
};

// A message box: an error box, or the information box of a normal offer.
struct TCheckMessage {
  AnsiString Text;
  bool Error = true;
};

struct TCheckResult {
  int AnomalyCount = 0;
  int LowToleratedCount = 0;
  int HighToleratedCount = 0;
  Byte HasHardAnomaly = 0;
  Byte AcceptedByException = 0;
  double UniformDiscount = -1000;
  double BandLow = 0;
  double BandHigh = 0;
  double ExceptionTolerance = 0;
  double ToleratedCost = 0;
  TCheckTotals Totals;                // as the check ended
  AnsiString Label1, Label2, Label5;  // Label5 empty: its hint stays off
  std::vector<TCheckMessage> Messages;
  // Set when the check enables or disables the window's update button.
  std::optional<bool> Getbtn;
  // A non-whole category discount stopped the check: no verdict, no report.
  bool Stopped = false;
};

// Computes the totals again after the check emptied an offer value.
using TCheckRecompute = std::function<TCheckTotals()>;

// The check column of the kind: OfferCostCol + 1 by work items, 7 by
// categories.
int CheckColumn(const TCheckInput& input);

// Runs the check on the budget table. The caller has emptied the check
// column and computed the totals; Recompute is called after a row without
// study price or cost lost its offer value, and the check starts again from
// row 1 with the counters cleared and the band of the new mean.
TCheckResult RunNormalityCheck(TBudgetSheet& grid, const TCheckInput& input, const TCheckTotals& totals,
                               const TCheckRecompute& recompute);
