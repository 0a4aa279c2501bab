// LIBS: tender_logic
// The calculate command's work for a full offers grid: 500 offers read,
// computed, ranked three times, shown in the grid and written as the text
// report with the initial order and the guarantee line.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "tender/CalcReport.h"
#include "tender/Guarantee.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"

namespace {

class TBenchSheet : public TOfferSheet {
 public:
  explicit TBenchSheet(int rows) : cells_(rows, std::vector<AnsiString>(5)) {}
  AnsiString Cell(int col, int row) const override {
    if (row < 0 || row >= RowCount() || col < 0 || col >= 5) return "";
    return cells_[row][col];
  }
  void SetCell(int col, int row, const AnsiString& text) override {
    if (row >= 0 && row < RowCount() && col >= 0 && col < 5) cells_[row][col] = text;
  }
  int RowCount() const override { return static_cast<int>(cells_.size()); }

 private:
  std::vector<std::vector<AnsiString>> cells_;
};

// As typed: amounts with many equal discounts, some marked, discount-only
// and void offers.
void TypeOffers(TBenchSheet& sheet) {
  for (int row = 1; row <= 500; ++row) {
    sheet.SetCell(ColEntryNo, row, Format("%3d", {row}));
    sheet.SetCell(ColName, row, Format("ΕΤΑΙΡΕΙΑ ΤΕΧΝΙΚΩΝ ΕΡΓΩΝ %d Α.Τ.Ε."_a, {row}));
    sheet.SetCell(ColAmount, row, "");
    sheet.SetCell(ColDiscount, row, "");
    if (row % 50 == 0) {
      sheet.SetCell(ColDiscount, row, "0");
    } else if (row % 7 == 0) {
      sheet.SetCell(ColDiscount, row, Format("%d.5", {row % 40}));
    } else {
      sheet.SetCell(ColAmount, row, Format("%d.%d", {600000 + (row * 7919) % 400000, row % 100}));
      if (row % 11 == 0) sheet.SetCell(ColDiscount, row, "*");
    }
  }
}

void CalculateFiveHundredOffers(benchmark::State& state) {
  RoundDiscountProc = RoundDiscount;
  DiscountDecimals = 3;
  CostDecimals = 2;
  NumberStyle = 1;
  ProjectHeader.Divisor = 1000000;
  ProjectHeader.ProjectText = "ΑΝΑΠΛΑΣΗ ΚΕΝΤΡΙΚΗΣ ΠΛΑΤΕΙΑΣ\r\nΔΗΜΟΣ"_a;
  ProjectHeader.ServiceText = "ΤΕΧΝΙΚΗ ΥΠΗΡΕΣΙΑ"_a;
  ProjectHeader.Date = "19/4/2013";
  TBenchSheet sheet(501);
  TStringList report;
  for (auto _ : state) {
    state.PauseTiming();
    TypeOffers(sheet);
    state.ResumeTiming();
    ResetCalculation(&report);
    if (ScanOffers(sheet).Outcome != TCalcOutcome::Done) state.SkipWithError("no offers");
    RankAndReport(sheet, report, true, ProjectNoCheck,
                  [](double discount) { return CalcGuaranteeText("12", "5", FloatToStr(discount), true); });
    benchmark::DoNotOptimize(report.Count());
  }
  state.counters["lines"] = report.Count();
}
BENCHMARK(CalculateFiveHundredOffers)->Unit(benchmark::kMillisecond);

}  // namespace
