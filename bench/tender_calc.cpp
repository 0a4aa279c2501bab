// LIBS: tender_logic
// The calculate command's work for a full offers grid: 500 offers read,
// computed, ranked three times, shown in the grid and written as the text
// report with the initial order and the guarantee line; beside it, the
// same arithmetic and ordering as bare C++ on plain arrays.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
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

// The yardstick: the typed texts parsed with strtod, each discount
// computed in extended precision and rounded to three decimals, the offers
// ranked three times by a library sort and written each time into grid
// cells and report lines with snprintf, on plain arrays and strings.
void BareCalculateFiveHundredOffers(benchmark::State& state) {
  TBenchSheet sheet(501);
  TypeOffers(sheet);
  std::vector<std::array<std::string, 5>> typed(501);
  for (int row = 1; row <= 500; ++row)
    for (int col = 0; col < 5; ++col) typed[row][col] = sheet.Cell(col, row);
  struct Offer {
    double amount, discount;
    int entry;
    bool marked;
    const std::string* name;
  };
  const long double divisor = 1000000;
  std::vector<Offer> offers;
  std::vector<std::array<std::string, 5>> grid(501);
  std::vector<std::string> report;
  char text[160];
  auto show = [&] {
    for (size_t i = 0; i < offers.size(); ++i) {
      const Offer& o = offers[i];
      std::array<std::string, 5>& row = grid[i + 1];
      std::snprintf(text, sizeof text, "%3d", o.entry);
      row[0] = text;
      row[1] = *o.name;
      std::snprintf(text, sizeof text, "%.2f", o.amount);
      row[2] = o.amount != 0 ? text : "";
      std::snprintf(text, sizeof text, "%.3f", o.discount);
      row[3] = text;
    }
  };
  auto write = [&] {
    for (const Offer& o : offers) {
      std::snprintf(text, sizeof text, "%4d %-44.44s%15.2f%9.3f", o.entry, o.name->c_str(), o.amount,
                    o.discount);
      report.emplace_back(text);
    }
  };
  for (auto _ : state) {
    offers.clear();
    report.clear();
    for (int row = 1; row <= 500; ++row) {
      const std::array<std::string, 5>& cells = typed[row];
      const char* discount = cells[3].c_str();
      const bool marked = *discount == '*';
      Offer o{std::strtod(cells[2].c_str(), nullptr), std::strtod(discount + marked, nullptr),
              std::atoi(cells[0].c_str()), marked, &cells[1]};
      if (o.amount != 0) {
        long double d = (1 - o.amount / divisor) * 100;
        if (marked) d = std::nearbyint(d);
        o.discount = static_cast<double>(std::round(d * 1000) / 1000);
      }
      offers.push_back(o);
    }
    std::stable_sort(offers.begin(), offers.end(),
                     [](const Offer& a, const Offer& b) { return a.discount < b.discount; });
    show();
    std::stable_sort(offers.begin(), offers.end(),
                     [](const Offer& a, const Offer& b) { return a.entry < b.entry; });
    show();
    write();
    std::stable_sort(offers.begin(), offers.end(),
                     [](const Offer& a, const Offer& b) { return a.discount > b.discount; });
    show();
    write();
    benchmark::DoNotOptimize(report.data());
  }
  state.counters["lines"] = static_cast<double>(report.size());
}
BENCHMARK(BareCalculateFiveHundredOffers)->Unit(benchmark::kMillisecond);

}  // namespace
