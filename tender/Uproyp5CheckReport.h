#pragma once
// The check report: the fixed-width text that documents a bidder's offer
// budget and the result of the normality check. The report form reads it
// back by fixed columns (5-44 the category, 46-61 the study cost, 63-70 the
// discount, 72-87 the offer cost) and by the leading words of its summary
// lines, so those places are a format.

#include <vector>

#include "tender/Uproyp5Check.h"

struct TCheckReportInput {
  TBudgetKind Kind = TBudgetKind::WorkItems;
  // The check ran for a bidder: band line, check marks and closing notes.
  bool Checked = true;
  int OfferCostCol = 6;
  int CostDecimals = 2;
  int DiscountDecimals = 2;
  Byte Style = 2;
  double MeanDiscount = 0;  // E, a fraction
  // The check's counts, band and verdict.
  TCheckResult Check;
  int Rows = 0;
  AnsiString ProjectText, ServiceText, Date, IndicativeTotal;
  AnsiString BidderLabel;  // entry number and name, up to 30 characters
  // The totals grid's GE&OE parameter, and the display text of its
  // expression when it holds "$".
  AnsiString OverheadText, OverheadDisplay;
  bool WithWords = true;  // section A, the discounts in words
  // The tender's discount rounding.
  double (*RoundDiscount)(int decimals, double value) = nullptr;
};

// The report's lines, without line ends; the budget table and the totals
// table as the window holds them.
std::vector<AnsiString> CheckReportLines(const TCheckReportInput& input, const TBudgetSheet& grid,
                                         const TBudgetSheet& totals);

// The lines as the file holds them: each ended by CR LF.
AnsiString CheckReportText(const std::vector<AnsiString>& lines);

// The report's file name, in the current folder.
extern const char* const CheckReportFileName;
