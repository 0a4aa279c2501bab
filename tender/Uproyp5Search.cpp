// The target-discount search: the window's steps, and the fast search that
// gives the same solutions in the same order with the same counts.
#include "tender/Uproyp5Search.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"

namespace {

using Real = long double;

constexpr int TriesPerPoint = 1000;

// The generator's step seed * A + C, and the same step taken n times.
struct TLcgStep {
  Cardinal A, C;
};
constexpr TLcgStep Then(TLcgStep first, TLcgStep second) {
  return {second.A * first.A, second.A * first.C + second.C};
}
constexpr TLcgStep Lcg1{134775813u, 1u};
constexpr TLcgStep Lcg2 = Then(Lcg1, Lcg1);
constexpr TLcgStep Lcg3 = Then(Lcg2, Lcg1);
constexpr TLcgStep Lcg4 = Then(Lcg3, Lcg1);
constexpr int TriesPerSeed = 10000;

// 10^-(a + 2): how near the mean discount must come.
Real AccuracyBound(int accuracy) {
  Real power = 1;
  for (int i = 0; i < accuracy + 2; ++i) power *= 10;
  return 1 / power;
}

// The GE&OE percentage of the parameter text, when it is no expression.
bool OverheadPercent(const TSearchInputs& in, double& p) {
  if (in.OverheadText.find('$') != AnsiString::npos) return false;
  p = StrToNum(in.OverheadText);
  if (p >= 100) p = 0;
  return true;
}

// The total against the wanted mean: T, or 0 when it misses.
double Judge(double total, const TSearchInputs& in) {
  const Real deviation = std::fabs(1 - Real(total) / in.StudyTotal - Real(in.DesiredDiscount) / 100);
  return deviation < AccuracyBound(in.Accuracy) ? total : 0;
}

// Adds a solution found by either search.
void Store(TSearchState& state, const TCombination& codes, double total, const TSearchHooks& hooks) {
  ++state.SolutionCount;
  state.Solutions.push_back(codes);
  state.Known.insert(codes);
  if (hooks.Solution) hooks.Solution(state.SolutionCount, codes, total);
}

// The draw of a random combination: N codes, each LowCode plus 0 to 2k.
void Draw(TCombination& codes, const TSearchState& state, int categories) {
  const int range = state.HighCode - state.LowCode + 1;
  codes.resize(static_cast<size_t>(categories));
  for (int i = 0; i < categories; ++i)
    codes[static_cast<size_t>(i)] = static_cast<char>(state.LowCode + Random(range));
}

}  // namespace

void TSearchState::Clear() {
  Solutions.clear();
  Known.clear();
  SolutionCount = 0;
}

double CheckB54Value(double value, int decimals, bool halfDown) {
  if (halfDown && CountDecimals(value) > decimals) {
    const double h = 5 * Pow10(-(decimals + 1));
    value = value - h;
    if (CountDecimals(value) > decimals) value = value + h;
  }
  return RoundDec(decimals, value);
}

double CalcPoso(const TCombination& codes, const TSearchInputs& in) {
  double sum = 0;
  for (size_t i = 0; i < codes.size(); ++i) {
    const int d = static_cast<unsigned char>(codes[i]) - 10;
    const double cost = i < in.Costs.size() ? StrToNum(in.Costs[i]) : 0;
    sum = sum + CheckB54Value(static_cast<double>(cost * (1 - Real(d) / 100)), in.CostDecimals, in.HalfDown);
  }
  double g = in.OverheadExpressionAmount;
  double p = 0;
  if (OverheadPercent(in, p))
    g = CheckB54Value(static_cast<double>(Real(sum) * p / 100), in.CostDecimals, in.HalfDown);
  const double total = static_cast<double>(Real(sum) + g);
  return Judge(total, in);
}

bool NextItem(TCombination& codes, const TSearchState& state) {
  if (codes == state.Last) return false;
  for (size_t i = codes.size(); i-- > 0;) {
    if (static_cast<unsigned char>(codes[i]) >= state.HighCode) {
      codes[i] = static_cast<char>(state.LowCode);
    } else {
      codes[i] = static_cast<char>(static_cast<unsigned char>(codes[i]) + 1);
      break;
    }
  }
  return true;
}

namespace {

// Whether a category's discount d satisfies its mark.
bool MarkAllows(const AnsiString& mark, int d, double desired) {
  if (mark.empty()) return true;
  switch (mark[0]) {
    case '+':
      return d > desired;
    case '-':
      return d < desired;
    case '=':
      return d == Round(desired) || d == Trunc(desired);
    default:
      return true;
  }
}

}  // namespace

bool CombinationAllowed(const TCombination& codes, const TSearchInputs& in) {
  for (size_t i = 0; i < codes.size() && i < in.Marks.size(); ++i)
    if (!MarkAllows(in.Marks[i], static_cast<unsigned char>(codes[i]) - 10, in.DesiredDiscount)) return false;
  return true;
}

AnsiString SolutionDifference(double total, double desiredAmount, int costDecimals, Byte style) {
  return FormatNumNoBlanks(17, costDecimals + 1, style, static_cast<double>(Real(total) - desiredAmount));
}

double CombinationsOf(int deviation, int categories) {
  Word attribute = 0;
  return EvalFormula(IntToStr(2 * deviation + 1) + "^" + IntToStr(categories), attribute);
}

std::vector<int> SolutionSortOrder(const std::vector<double>& differences) {
  const int n = static_cast<int>(differences.size());
  std::vector<int> order(static_cast<size_t>(n));
  std::vector<double> keys(static_cast<size_t>(n));
  bool comparable = true;
  for (int i = 0; i < n; ++i) {
    order[static_cast<size_t>(i)] = i;
    keys[static_cast<size_t>(i)] = std::fabs(differences[static_cast<size_t>(i)]);
    comparable = comparable && !std::isnan(keys[static_cast<size_t>(i)]);
  }
  // The window's exchange sort leaves the keys ascending and equal keys in
  // the reverse of their order before; a library sort to that order gives
  // its result in n log n instead of its square. A key that is no number is
  // exchanged with everything, and only the exchange sort knows where it
  // ends.
  if (comparable) {
    std::sort(order.begin(), order.end(), [&keys](int a, int b) {
      const double ka = keys[static_cast<size_t>(a)], kb = keys[static_cast<size_t>(b)];
      return ka < kb || (ka == kb && a > b);
    });
    return order;
  }
  // The window's exchange sort: every later column not above is exchanged.
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (!(keys[static_cast<size_t>(i)] < keys[static_cast<size_t>(j)])) {
        std::swap(keys[static_cast<size_t>(i)], keys[static_cast<size_t>(j)]);
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(j)]);
      }
  return order;
}

bool PrepareSearch(TSearchState& state, int categories, int deviation, double desiredDiscount,
                   bool addToPrevious) {
  state.LowCode = static_cast<int>(Round(desiredDiscount - deviation)) + 10;
  state.HighCode = state.LowCode + 2 * deviation;
  // A combination of another budget cannot be continued.
  if (addToPrevious && state.Current.size() == static_cast<size_t>(categories)) return false;
  state.Current.assign(static_cast<size_t>(categories), static_cast<char>(state.LowCode));
  state.Last.assign(static_cast<size_t>(categories), static_cast<char>(state.HighCode));
  state.Clear();
  return true;
}

// ---- the steps as the window takes them ----------------------------------------------

Int64 RunSearchSteps(TSearchState& state, const TSearchRun& run, const TSearchHooks& hooks) {
  TSearchInputs in = hooks.Read();
  const int categories = static_cast<int>(state.Current.size());
  bool stop = false;
  Int64 t = 1;
  for (; t <= run.MaxTries; ++t) {
    if (in.RandomOrder) {
      if (t % TriesPerSeed == 0 && hooks.Reseed) hooks.Reseed();
      Draw(state.Current, state, categories);
    } else if (!NextItem(state.Current, state)) {
      stop = true;
    }
    const double v = CalcPoso(state.Current, in);
    if (v > 0.01 &&
        std::find(state.Solutions.begin(), state.Solutions.end(), state.Current) == state.Solutions.end() &&
        state.SolutionCount < run.Cap && CombinationAllowed(state.Current, in))
      Store(state, state.Current, v, hooks);
    if (t % TriesPerPoint == 0) {
      if (hooks.Checkpoint && hooks.Checkpoint(t)) stop = true;
      in = hooks.Read();
      if (stop) break;
    }
  }
  return std::min(t, run.MaxTries);
}

// ---- the fast search ------------------------------------------------------------------

namespace {

// What the fast search keeps of a snapshot: each category's rounded cost
// for every code, the marks as allowed codes, and the range of cost sums
// that can meet the mean.
class TCostTable {
 public:
  TCostTable(int lowCode, int highCode) : low_(lowCode), range_(highCode - lowCode + 1) {}

  // A category without a cost text costs 0, as in the steps.
  void Load(const TSearchInputs& in, size_t categories) {
    const bool sameCosts = in.Costs == costs_ && in.CostDecimals == decimals_ && in.HalfDown == halfDown_ &&
                           parsed_.size() == categories;
    if (!sameCosts) {
      costs_ = in.Costs;
      decimals_ = in.CostDecimals;
      halfDown_ = in.HalfDown;
      values_.assign(categories, {});
      known_.assign(categories, {});
      parsed_.assign(categories, 0);
      for (size_t i = 0; i < categories && i < costs_.size(); ++i) parsed_[i] = StrToNum(costs_[i]);
      // The codes of the search's range, side by side for the draws.
      dense_.resize(categories * static_cast<size_t>(range_));
      most_ = 0;
      for (size_t i = 0; i < categories; ++i) {
        double largest = 0;
        for (int c = 0; c < range_; ++c) {
          const double cost = Cost(i, static_cast<unsigned char>(low_ + c));
          dense_[i * static_cast<size_t>(range_) + static_cast<size_t>(c)] = cost;
          largest = std::max(largest, std::fabs(cost));
        }
        most_ += largest;
      }
    }
    if (in.Marks != marks_ || in.DesiredDiscount != desired_ || allowed_.size() != categories) {
      marks_ = in.Marks;
      desired_ = in.DesiredDiscount;
      allowed_.assign(categories, {});
      for (size_t i = 0; i < categories; ++i)
        for (int code = 0; code < 256; ++code)
          allowed_[i][static_cast<size_t>(code)] =
              MarkAllows(i < marks_.size() ? marks_[i] : AnsiString(), code - 10, desired_);
    }
    SetWindow(in);
  }
  double Cost(size_t i, unsigned char code) {
    if (!known_[i][code]) {
      const int d = code - 10;
      values_[i][code] =
          CheckB54Value(static_cast<double>(parsed_[i] * (1 - Real(d) / 100)), decimals_, halfDown_);
      known_[i][code] = true;
    }
    return values_[i][code];
  }
  // The cost of category i at the code LowCode + draw.
  double Drawn(size_t i, unsigned draw) const { return dense_[i * static_cast<size_t>(range_) + draw]; }
  bool Allowed(const TCombination& codes) const {
    for (size_t i = 0; i < codes.size() && i < allowed_.size(); ++i)
      if (!allowed_[i][static_cast<unsigned char>(codes[i])]) return false;
    return true;
  }
  // Whether a sum of the costs can give a total that meets the mean; the
  // rounded computation decides those that can.
  bool MayMeet(double sum) const { return all_ || (sum > low_sum_ && sum < high_sum_); }

 private:
  // The total T meets the mean when |T - ST (1 - DD / 100)| < bound x |ST|.
  // T is the sum S with its GE&OE, whose rounding moves it by at most one
  // unit of the last decimal: so S must lie in a window, widened a little
  // against the rounding of this very computation.
  void SetWindow(const TSearchInputs& in) {
    double p = 0;
    const bool percent = OverheadPercent(in, p);
    const Real factor = percent ? 1 + Real(p) / 100 : 1;
    const Real centre = Real(in.StudyTotal) * (1 - Real(in.DesiredDiscount) / 100);
    Real width = AccuracyBound(in.Accuracy) * std::fabs(Real(in.StudyTotal));
    if (percent) width += Pow10(-in.CostDecimals);
    width += (std::fabs(centre) + 1) * Real(1e-9);
    // The filter's sum is added in parts, not in the order of the steps.
    width += most_ * Real(1e-12);
    const Real shift = percent ? 0 : in.OverheadExpressionAmount;
    all_ = !(factor > 0) || !std::isfinite(static_cast<double>(centre)) ||
           !std::isfinite(static_cast<double>(width));
    low_sum_ = static_cast<double>((centre - width - shift) / factor);
    high_sum_ = static_cast<double>((centre + width - shift) / factor);
  }

  int low_, range_;
  std::vector<AnsiString> costs_;
  int decimals_ = -1;
  bool halfDown_ = false;
  std::vector<double> parsed_;
  std::vector<std::array<double, 256>> values_;
  std::vector<std::array<bool, 256>> known_;
  std::vector<double> dense_;
  std::vector<std::array<bool, 256>> allowed_;
  std::vector<AnsiString> marks_;
  double desired_ = 0;
  bool all_ = true;
  double low_sum_ = 0, high_sum_ = 0;
  Real most_ = 0;  // the largest sum of magnitudes the draws can give
};

}  // namespace

Int64 RunSearch(TSearchState& state, const TSearchRun& run, const TSearchHooks& hooks) {
  TSearchInputs in = hooks.Read();
  const size_t categories = state.Current.size();
  TCostTable table(state.LowCode, state.HighCode);
  table.Load(in, categories);
  TCombination& codes = state.Current;
  // Sums of the costs from the first category: prefix[i + 1] takes the
  // first i + 1, added in the same order as the steps add them.
  std::vector<double> prefix(categories + 1, 0);
  size_t valid = 0;  // prefix[0..valid] are up to date
  const std::uint64_t range = static_cast<std::uint64_t>(state.HighCode - state.LowCode + 1);
  bool stop = false;
  Int64 t = 1;
  int toPoint = TriesPerPoint, toSeed = TriesPerSeed;
  std::vector<unsigned char> draws(categories);
  bool drawn = false;  // the last draws are not yet in the combination
  const auto writeDraws = [&] {
    if (!drawn) return;
    for (size_t i = 0; i < categories; ++i) codes[i] = static_cast<char>(state.LowCode + draws[i]);
    drawn = false;
  };
  for (; t <= run.MaxTries; ++t) {
    double s = 0;
    if (in.RandomOrder) {
      if (--toSeed == 0) {
        toSeed = TriesPerSeed;
        if (hooks.Reseed) hooks.Reseed();
      }
      // The generator's steps, as Random takes them, four chains apart so
      // that they run side by side; each draw summed at once (the filter's
      // sum, in four parts), the combination written out only when it may
      // be one.
      Cardinal x = RandSeed;
      double part[4] = {0, 0, 0, 0};
      size_t i = 0;
      const auto take = [&](size_t at, Cardinal seed, double& sum) {
        const unsigned draw = static_cast<unsigned>((static_cast<std::uint64_t>(seed) * range) >> 32);
        draws[at] = static_cast<unsigned char>(draw);
        sum += table.Drawn(at, draw);
      };
      if (categories >= 4) {
        Cardinal q0 = x * Lcg1.A + Lcg1.C, q1 = x * Lcg2.A + Lcg2.C, q2 = x * Lcg3.A + Lcg3.C,
                 q3 = x * Lcg4.A + Lcg4.C;
        for (; i + 4 <= categories; i += 4) {
          take(i, q0, part[0]);
          take(i + 1, q1, part[1]);
          take(i + 2, q2, part[2]);
          take(i + 3, q3, part[3]);
          x = q3;
          q0 = q0 * Lcg4.A + Lcg4.C;
          q1 = q1 * Lcg4.A + Lcg4.C;
          q2 = q2 * Lcg4.A + Lcg4.C;
          q3 = q3 * Lcg4.A + Lcg4.C;
        }
      }
      for (; i < categories; ++i) {
        x = x * Lcg1.A + Lcg1.C;
        take(i, x, part[0]);
      }
      RandSeed = x;
      s = (part[0] + part[1]) + (part[2] + part[3]);
      valid = 0;
      drawn = true;
      if (!table.MayMeet(s)) {
        if (--toPoint != 0) continue;  // nothing more to do in this try
        ++toPoint;                     // the point below counts it
      }
      writeDraws();
    } else {
      if (!codes.empty() && codes.back() == state.Last.back() && codes == state.Last) {
        stop = true;
      } else {
        size_t i = categories;
        while (i-- > 0) {
          if (static_cast<unsigned char>(codes[i]) >= state.HighCode) {
            codes[i] = static_cast<char>(state.LowCode);
          } else {
            codes[i] = static_cast<char>(static_cast<unsigned char>(codes[i]) + 1);
            break;
          }
        }
        valid = std::min(valid, i == static_cast<size_t>(-1) ? 0 : i);
      }
      for (size_t i = valid; i < categories; ++i)
        prefix[i + 1] = prefix[i] + table.Cost(i, static_cast<unsigned char>(codes[i]));
      valid = categories;
      s = prefix[categories];
    }
    if (table.MayMeet(s) && state.SolutionCount < run.Cap && table.Allowed(codes) &&
        state.Known.find(codes) == state.Known.end()) {
      const double v = CalcPoso(codes, in);
      if (v > 0.01) Store(state, codes, v, hooks);
    }
    if (--toPoint == 0) {
      toPoint = TriesPerPoint;
      if (hooks.Checkpoint && hooks.Checkpoint(t)) stop = true;
      in = hooks.Read();
      table.Load(in, categories);
      valid = 0;
      if (stop) break;
    }
  }
  writeDraws();
  return std::min(t, run.MaxTries);
}
