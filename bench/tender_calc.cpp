// LIBS: tender_logic
// The calculate command's work for a full offers grid: 500 offers read,
// computed, ranked three times, shown in the grid and written as the text
// report with the initial order and the guarantee line; beside it, the
// same arithmetic and ordering as bare C++ on plain arrays.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
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

// The yardstick: the typed texts parsed with std::from_chars, each
// discount computed in extended precision and rounded to three decimals,
// the offers ranked three times by the same exchange sort on plain key and
// index arrays (strict comparisons, so equal offers change places as the
// calculation's ranking has them) and written each time into grid cells and
// report lines with std::to_chars, on plain arrays and strings.
struct BareOffer {
  double amount, discount;
  int entry;
  bool marked;
  const std::string* name;
};

// Appends the number right-aligned in width characters.
void AppendInt(std::string& out, int value, int width) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const int length = static_cast<int>(end - digits);
  if (length < width) out.append(static_cast<size_t>(width - length), ' ');
  out.append(digits, end);
}

// Appends the value with fixed decimals right-aligned in width characters.
void AppendFixed(std::string& out, double value, int decimals, int width) {
  char digits[64];
  const auto end =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals).ptr;
  const int length = static_cast<int>(end - digits);
  if (length < width) out.append(static_cast<size_t>(width - length), ' ');
  out.append(digits, end);
}

template <typename InOrder>
void BareExchangeSort(std::vector<double>& keys, std::vector<int>& order, InOrder inOrder) {
  const size_t n = keys.size();
  for (size_t i = 0; i + 1 < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      if (!inOrder(keys[i], keys[j])) {
        std::swap(keys[i], keys[j]);
        std::swap(order[i], order[j]);
      }
}

void BareCalculateFiveHundredOffers(benchmark::State& state) {
  TBenchSheet sheet(501);
  TypeOffers(sheet);
  std::vector<std::array<std::string, 5>> typed(501);
  for (int row = 1; row <= 500; ++row)
    for (int col = 0; col < 5; ++col) typed[row][col] = sheet.Cell(col, row);
  const long double divisor = 1000000;
  std::vector<BareOffer> offers;
  std::vector<int> order;
  std::vector<double> keys;
  std::vector<std::array<std::string, 5>> grid(501);
  std::vector<std::string> report;
  const auto parse = [](const std::string& text, size_t from) {
    double value = 0;
    std::from_chars(text.data() + from, text.data() + text.size(), value);
    return value;
  };
  // The order of offers after a sort on the key the function gives.
  const auto rank = [&](auto key, auto inOrder) {
    keys.clear();
    for (int index : order) keys.push_back(key(offers[index]));
    BareExchangeSort(keys, order, inOrder);
  };
  const auto show = [&] {
    for (size_t i = 0; i < order.size(); ++i) {
      const BareOffer& o = offers[order[i]];
      std::array<std::string, 5>& row = grid[i + 1];
      row[0].clear();
      AppendInt(row[0], o.entry, 3);
      row[1] = *o.name;
      row[2].clear();
      if (o.amount != 0) AppendFixed(row[2], o.amount, 2, 14);
      row[3].clear();
      AppendFixed(row[3], o.discount, 3, 8);
    }
  };
  const auto write = [&] {
    for (int index : order) {
      const BareOffer& o = offers[index];
      std::string line;
      line.reserve(80);
      AppendInt(line, o.entry, 4);
      line += ' ';
      line.append(*o.name, 0, 44);
      if (o.name->size() < 44) line.append(44 - o.name->size(), ' ');
      AppendFixed(line, o.amount, 2, 15);
      AppendFixed(line, o.discount, 3, 9);
      report.push_back(std::move(line));
    }
  };
  for (auto _ : state) {
    offers.clear();
    order.clear();
    report.clear();
    for (int row = 1; row <= 500; ++row) {
      const std::array<std::string, 5>& cells = typed[row];
      const bool marked = !cells[3].empty() && cells[3][0] == '*';
      int entry = 0;
      const char* number = cells[0].data();
      while (*number == ' ') ++number;
      std::from_chars(number, cells[0].data() + cells[0].size(), entry);
      BareOffer o{parse(cells[2], 0), parse(cells[3], marked), entry, marked, &cells[1]};
      if (o.amount != 0) {
        long double d = (1 - o.amount / divisor) * 100;
        if (marked) d = std::nearbyint(d);
        o.discount = static_cast<double>(std::round(d * 1000) / 1000);
      }
      order.push_back(static_cast<int>(offers.size()));
      offers.push_back(o);
    }
    const auto byDiscount = [](const BareOffer& o) { return o.discount; };
    const auto byEntry = [](const BareOffer& o) { return static_cast<double>(o.entry); };
    const auto less = [](double a, double b) { return a < b; };
    const auto greater = [](double a, double b) { return a > b; };
    rank(byDiscount, less);
    show();
    rank(byEntry, less);
    show();
    write();
    rank(byDiscount, greater);
    show();
    write();
    benchmark::DoNotOptimize(report.data());
    benchmark::DoNotOptimize(grid.data());
  }
  state.counters["lines"] = static_cast<double>(report.size());
}
BENCHMARK(BareCalculateFiveHundredOffers)->Unit(benchmark::kMillisecond);

}  // namespace
