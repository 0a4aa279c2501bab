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
  for (int i = 0; i < n; ++i) {
    order[static_cast<size_t>(i)] = i;
    keys[static_cast<size_t>(i)] = std::fabs(differences[static_cast<size_t>(i)]);
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
// for every code, the marks as allowed codes, the GE&OE.
class TCostTable {
 public:
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
    percent_ = OverheadPercent(in, p_);
    bound_ = AccuracyBound(in.Accuracy);
    // The GE&OE rounding moves the total by at most one unit of the last
    // decimal; beyond that margin the rounded total cannot meet the mean.
    margin_ = (percent_ ? Real(Pow10(-in.CostDecimals)) / std::fabs(Real(in.StudyTotal)) : 0) + Real(1e-12);
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
  bool Allowed(const TCombination& codes) const {
    for (size_t i = 0; i < codes.size() && i < allowed_.size(); ++i)
      if (!allowed_[i][static_cast<unsigned char>(codes[i])]) return false;
    return true;
  }
  // Whether the sum of the costs can give a total that meets the mean; the
  // rounded computation decides those that can.
  bool MayMeet(double sum, const TSearchInputs& in) const {
    const Real total = percent_ ? Real(sum) + Real(sum) * p_ / 100 : Real(sum) + in.OverheadExpressionAmount;
    const Real deviation = std::fabs(1 - total / in.StudyTotal - Real(in.DesiredDiscount) / 100);
    return deviation < bound_ + margin_;
  }

 private:
  std::vector<AnsiString> costs_;
  int decimals_ = -1;
  bool halfDown_ = false;
  std::vector<double> parsed_;
  std::vector<std::array<double, 256>> values_;
  std::vector<std::array<bool, 256>> known_;
  std::vector<std::array<bool, 256>> allowed_;
  std::vector<AnsiString> marks_;
  double desired_ = 0;
  bool percent_ = true;
  double p_ = 0;
  Real bound_ = 0, margin_ = 0;
};

}  // namespace

Int64 RunSearch(TSearchState& state, const TSearchRun& run, const TSearchHooks& hooks) {
  TSearchInputs in = hooks.Read();
  const size_t categories = state.Current.size();
  TCostTable table;
  table.Load(in, categories);
  TCombination& codes = state.Current;
  // Sums of the costs from the first category: prefix[i + 1] takes the
  // first i + 1, added in the same order as the steps add them.
  std::vector<double> prefix(categories + 1, 0);
  size_t valid = 0;  // prefix[0..valid] are up to date
  const auto sum = [&] {
    for (size_t i = valid; i < categories; ++i)
      prefix[i + 1] = prefix[i] + table.Cost(i, static_cast<unsigned char>(codes[i]));
    valid = categories;
    return prefix[categories];
  };
  const int range = state.HighCode - state.LowCode + 1;
  bool stop = false;
  Int64 t = 1;
  for (; t <= run.MaxTries; ++t) {
    if (in.RandomOrder) {
      if (t % TriesPerSeed == 0 && hooks.Reseed) hooks.Reseed();
      // The generator's steps, as Random takes them.
      Cardinal seed = RandSeed;
      for (size_t i = 0; i < categories; ++i) {
        seed = seed * 134775813u + 1u;
        codes[i] = static_cast<char>(
            state.LowCode +
            static_cast<int>((static_cast<std::uint64_t>(seed) * static_cast<std::uint64_t>(range)) >> 32));
      }
      RandSeed = seed;
      valid = 0;
    } else if (codes == state.Last) {
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
    const double s = sum();
    if (table.MayMeet(s, in) && state.SolutionCount < run.Cap && table.Allowed(codes) &&
        state.Known.find(codes) == state.Known.end()) {
      const double v = CalcPoso(codes, in);
      if (v > 0.01) Store(state, codes, v, hooks);
    }
    if (t % TriesPerPoint == 0) {
      if (hooks.Checkpoint && hooks.Checkpoint(t)) stop = true;
      in = hooks.Read();
      table.Load(in, categories);
      valid = 0;
      if (stop) break;
    }
  }
  return std::min(t, run.MaxTries);
}
