#pragma once
// Price filling and the deviation table of a bidder's offer by work items:
// every offered price from the study price less a wanted mean discount, and
// the prices spread by the rows' marks ("+" higher, "-" lower, "#" kept)
// with the free rows compensating, so that the offer's total stays.

#include <functional>

#include "tender/Uproyp5Sheet.h"

// A filled price rounded: by the rounding table, or to 2 decimals below 5,
// 1 below 100 and none from 100 on.
double RoundFilledPrice(double x, bool byTable);

struct TFillInput {
  double DesiredDiscount = 0;  // percent
  bool ByTable = false;
  int CostDecimals = 2;
  Byte Style = 2;
  int Rows = 0;
};

// Offered prices (column 5) and offer costs (column 6) from the study
// prices (column 3) and quantities (column 2).
void FillPrices(TBudgetSheet& grid, const TFillInput& input);

struct TDeviationInput {
  int Rows = 0;
  bool ByTable = false;
  int CostDecimals = 2;
  bool HalfDown = false;
  Byte Style = 2;
  double StudySum = 0;  // the study's sum, against which column 8 gives shares
};

// Asks whether the requested deviations are to be reduced.
using TAskReduction = std::function<bool()>;

struct TDeviationResult {
  double Compensation = 0;  // k of the free rows
  bool Asked = false;
  // The deviation cannot be compensated by the free rows: no free cost, no
  // study sum, or a reduction that does not come within the limit.
  bool Uncompensated = false;
  int Iterations = 0;
};

constexpr double RequestedDeviation = 0.098;
constexpr int MaxReductionSteps = 100000;

// The deviation table: coefficients (column 10), prices with deviation
// (column 11) and their costs (column 12), from the marks (column 9), the
// study costs (column 4), the shares (column 8), the offered prices
// (column 5) and the quantities (column 2).
TDeviationResult CalcApoklish(TBudgetSheet& grid, const TDeviationInput& input, const TAskReduction& ask);

// The message when the deviation cannot be compensated.
AnsiString UncompensatedMessage();
