// Price filling and the deviation table.
#include "tender/Uproyp5Deviation.h"

#include <cmath>
#include <vector>

#include "platform/rtl/Cp1253.h"
#include "tender/N_STR.h"
#include "tender/Uproyp5Search.h"

namespace {

using Real = long double;

enum class TMark { Free, Fixed, Higher, Lower };

TMark MarkOf(const AnsiString& cell) {
  if (cell.empty()) return TMark::Free;
  switch (cell[0]) {
    case '#':
      return TMark::Fixed;
    case '+':
      return TMark::Higher;
    case '-':
      return TMark::Lower;
    default:
      return TMark::Free;
  }
}

AnsiString Coefficient(double f, Byte style) { return FormatNumNoBlanks(12, 5, style, f); }

}  // namespace

double RoundFilledPrice(double x, bool byTable) {
  if (byTable) return RoundByTable(InitialRoundingTable, x);
  if (x < 5) return RoundDec(2, x);
  if (x < 100) return RoundDec(1, x);
  return RoundDec(0, x);
}

void FillPrices(TBudgetSheet& grid, const TFillInput& in) {
  const Real k = 1 - Real(in.DesiredDiscount) / 100;
  for (int i = 1; i <= in.Rows; ++i) {
    const double s = grid.Num(3, i);
    const double x = static_cast<double>(s * k);
    const double p = RoundFilledPrice(x, in.ByTable);
    const int d = std::max<int>(CountDecimals(p), in.CostDecimals);
    grid.SetCell(5, i, s == 0 ? AnsiString() : FormatNumNoBlanks(13, d, in.Style, p));
    if (x != 0)
      grid.SetCell(
          6, i,
          FormatNumNoBlanks(17, in.CostDecimals, in.Style,
                            RoundDec(in.CostDecimals, static_cast<double>(Real(grid.Num(2, i)) * p))));
  }
}

AnsiString UncompensatedMessage() {
  return "Η απόκλιση δεν μπορεί να αντισταθμιστεί από τις τιμές χωρίς σύμβολο !!"_a;
}

TDeviationResult CalcApoklish(TBudgetSheet& grid, const TDeviationInput& in, const TAskReduction& ask) {
  TDeviationResult r;
  const int rows = in.Rows;
  std::vector<TMark> marks(static_cast<size_t>(rows) + 1);
  std::vector<Real> costs(static_cast<size_t>(rows) + 1);
  std::vector<double> f(static_cast<size_t>(rows) + 1, 1);
  Real free = 0, deviation = 0;
  for (int i = 1; i <= rows; ++i) {
    const size_t at = static_cast<size_t>(i);
    marks[at] = MarkOf(grid.Cell(9, i));
    costs[at] = grid.Num(4, i);
    switch (marks[at]) {
      case TMark::Free:
        free += costs[at];
        break;
      case TMark::Fixed:
        break;
      case TMark::Higher:
        deviation += Real(RequestedDeviation) * costs[at];
        f[at] = 1 + RequestedDeviation;
        break;
      case TMark::Lower:
        deviation -= Real(RequestedDeviation) * costs[at];
        f[at] = 1 - RequestedDeviation;
        break;
    }
  }
  // Without free cost nothing compensates: the free rows keep 1.
  double k = free == 0 ? 0 : static_cast<double>(-deviation / free);
  const auto writeCoefficients = [&] {
    for (int i = 1; i <= rows; ++i) {
      const size_t at = static_cast<size_t>(i);
      if (grid.Cell(4, i).empty())
        grid.SetCell(10, i, "");
      else
        grid.SetCell(10, i, Coefficient(marks[at] == TMark::Free ? 1 + k : f[at], in.Style));
    }
  };
  writeCoefficients();
  if ((free == 0 && deviation != 0) || (std::fabs(k) > RequestedDeviation && in.StudySum == 0)) {
    r.Uncompensated = true;
  } else if (std::fabs(k) > RequestedDeviation) {
    r.Asked = true;
    if (ask && ask()) {
      // Each marked row moves towards 1 by its share of the cost.
      std::vector<size_t> moving;
      std::vector<double> steps(static_cast<size_t>(rows) + 1, 0);
      for (int i = 1; i <= rows; ++i) {
        const size_t at = static_cast<size_t>(i);
        if (marks[at] == TMark::Higher || marks[at] == TMark::Lower) {
          moving.push_back(at);
          steps[at] = static_cast<double>(Real(grid.Num(8, i)) * Real(0.001L));
        }
      }
      while (std::fabs(k) > RequestedDeviation) {
        if (r.Iterations == MaxReductionSteps) {
          r.Uncompensated = true;
          break;
        }
        ++r.Iterations;
        Real v = 0;
        bool changed = false;
        for (size_t at : moving) {
          const double before = f[at];
          f[at] = static_cast<double>(f[at] > 1 ? f[at] - Real(steps[at]) : f[at] + Real(steps[at]));
          changed |= f[at] != before;
          v += (Real(f[at]) - 1) * costs[at];
        }
        k = static_cast<double>(-v / free);
        if (!changed) {
          r.Uncompensated = true;
          break;
        }
      }
      writeCoefficients();
    }
  }
  r.Compensation = k;
  // Prices and costs with the deviation.
  for (int i = 1; i <= rows; ++i) {
    const double price = grid.Num(5, i);
    if (price == 0 || grid.Num(4, i) == 0) {
      grid.SetCell(11, i, "");
      grid.SetCell(12, i, "");
      continue;
    }
    const double p = RoundFilledPrice(static_cast<double>(Real(grid.Num(10, i)) * price), in.ByTable);
    grid.SetCell(11, i, FormatNumNoBlanks(13, CountDecimals(p), in.Style, p));
    const double q = grid.Num(2, i);
    const double cost = CheckB54Value(static_cast<double>(Real(q) * p), in.CostDecimals, in.HalfDown);
    grid.SetCell(12, i,
                 cost == 0 && p == 0 && q == 0 ? AnsiString()
                                               : FormatNumNoBlanks(16, CountDecimals(cost), in.Style, cost));
  }
  return r;
}
