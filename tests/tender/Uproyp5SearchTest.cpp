// The target-discount search: its steps on small cases, and the fast search
// against the steps on many small cases (both orders, marks, continued
// searches, the cap and a stop), which must agree in everything.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"
#include "tender/Uproyp5Search.h"
#include "tests/tender/NumericTestSupport.h"

namespace {

struct Recorded {
  std::vector<std::tuple<int, TCombination, double>> solutions;
  std::vector<Int64> points;
  Int64 tries = 0;
  Cardinal seedAfter = 0;
  bool operator==(const Recorded&) const = default;
};

class Search : public testing::Test {
 protected:
  ScopedStyle2 style;

  TSearchInputs in;
  Int64 stopAt = -1;  // the checkpoint at which Stop is pressed
  Cardinal reseeds = 0;

  void Categories(std::vector<double> costs, double desired, double overhead = 18) {
    in.Costs.clear();
    for (double c : costs) in.Costs.push_back(FormatNumNoBlanks(16, 2, 2, c));
    in.Marks.assign(costs.size(), "");
    in.OverheadText = FormatNumNoBlanks(7, CountDecimals(overhead), 2, overhead);
    long double s = 0;
    for (double c : costs) s += c;
    in.StudyTotal = static_cast<double>(s + RoundDec(2, static_cast<double>(s * overhead / 100)));
    in.DesiredDiscount = desired;
  }
  Recorded Run(bool fast, TSearchState& state, Int64 maxTries, int cap = MaxSolutions) {
    Recorded r;
    TSearchHooks hooks;
    hooks.Solution = [&](int n, const TCombination& c, double v) { r.solutions.emplace_back(n, c, v); };
    hooks.Checkpoint = [&](Int64 t) {
      r.points.push_back(t);
      return t == stopAt;
    };
    hooks.Read = [&] { return in; };
    hooks.Reseed = [&] { RandSeed = 7919u * ++reseeds; };
    r.tries = fast ? RunSearch(state, {maxTries, cap}, hooks) : RunSearchSteps(state, {maxTries, cap}, hooks);
    r.seedAfter = RandSeed;
    return r;
  }
  // Both searches from the same start; their records.
  std::pair<Recorded, Recorded> Both(int k, bool add, Int64 maxTries, int cap = MaxSolutions,
                                     TSearchState* start = nullptr) {
    std::pair<Recorded, Recorded> out;
    for (bool fast : {false, true}) {
      TSearchState state = start ? *start : TSearchState{};
      PrepareSearch(state, static_cast<int>(in.Costs.size()), k, in.DesiredDiscount, add);
      RandSeed = 12345;
      reseeds = 0;
      (fast ? out.second : out.first) = Run(fast, state, maxTries, cap);
    }
    return out;
  }
};

TEST_F(Search, CodesAroundTheWantedMean) {
  TSearchState s;
  EXPECT_TRUE(PrepareSearch(s, 3, 6, 12.5, false));
  EXPECT_EQ(s.LowCode, 16);  // 12.5 - 6 = 6.5 rounds to 6
  EXPECT_EQ(s.HighCode, 28);
  EXPECT_EQ(s.Current, TCombination(3, 16));
  EXPECT_EQ(s.Last, TCombination(3, 28));
  s.Solutions.push_back("x");
  s.SolutionCount = 1;
  EXPECT_FALSE(PrepareSearch(s, 3, 6, 12.5, true));  // continued
  EXPECT_EQ(s.SolutionCount, 1);
  EXPECT_TRUE(PrepareSearch(s, 4, 6, 12.5, true));  // another budget: anew
  EXPECT_EQ(s.SolutionCount, 0);
}

TEST_F(Search, OrderedSearchOfTwoCategoriesTestsEightAndStops) {
  Categories({1000, 1000}, 20.4);
  in.RandomOrder = false;
  in.Accuracy = 0;  // within 1 %: every mean from 19.5 to 21 meets 20.4
  TSearchState s;
  PrepareSearch(s, 2, 1, 20.4, false);
  TSearchHooks hooks;
  hooks.Read = [&] { return in; };
  EXPECT_EQ(RunSearchSteps(s, {50000}, hooks), 1000);
  // Discounts 19, 20 and 21 each; the first combination (19, 19) is never
  // tested, and the last is tested again until the point.
  EXPECT_EQ(s.Solutions,
            (std::vector<TCombination>{
                {29, 30}, {29, 31}, {30, 29}, {30, 30}, {30, 31}, {31, 29}, {31, 30}, {31, 31}}));
}

TEST_F(Search, NoDeviationTestsTheRoundedMeanOnly) {
  Categories({500, 700, 300}, 20.4);
  in.Accuracy = 0;
  TSearchState s;
  PrepareSearch(s, 3, 0, 20.4, false);
  TSearchHooks hooks;
  hooks.Read = [&] { return in; };
  RandSeed = 1;
  EXPECT_EQ(RunSearchSteps(s, {5000}, hooks), 5000);
  EXPECT_EQ(s.Solutions, (std::vector<TCombination>{TCombination(3, 30)}));
  EXPECT_EQ(RunSearchSteps(s, {0}, hooks), 0);
}

struct MarkCase {
  const char* mark;
  double desired;
  int d;
  bool allowed;
};

class Marks : public Search, public testing::WithParamInterface<MarkCase> {};

TEST_P(Marks, OfACategory) {
  const MarkCase c = GetParam();
  in.Marks = {c.mark};
  in.DesiredDiscount = c.desired;
  EXPECT_EQ(CombinationAllowed(TCombination(1, static_cast<char>(c.d + 10)), in), c.allowed);
}

INSTANTIATE_TEST_SUITE_P(Search, Marks,
                         testing::Values(MarkCase{"=", 12.5, 12, true}, MarkCase{"=", 12.5, 13, false},
                                         MarkCase{"=", 12.6, 13, true}, MarkCase{"=", 12.6, 12, true},
                                         MarkCase{"+", 12.5, 13, true}, MarkCase{"+", 12.5, 12, false},
                                         MarkCase{"-", 12.5, 12, true}, MarkCase{"-", 12, 12, false},
                                         MarkCase{"x", 12, 40, true}, MarkCase{"", 12, 40, true}));

TEST_F(Search, CombinationsAndTheirCount) {
  EXPECT_EQ(FormatNum(20, 0, 2, CombinationsOf(6, 5)), "             371.293");
  EXPECT_EQ(CombinationsOf(6, 9), 10604499373.0);  // beyond 32 bits
}

TEST_F(Search, DifferenceRowKeepsItsDecimals) {
  EXPECT_EQ(SolutionDifference(10000.125, 10000, 3, 2), "0,1250");
  EXPECT_EQ(SolutionDifference(1234567.5, 1, 2, 2), "1.234.566,500");
}

TEST_F(Search, SortByAbsoluteDifferenceExchangesTies) {
  EXPECT_EQ(SolutionSortOrder({3, -1, 2}), (std::vector<int>{1, 2, 0}));
  // Equal keys are exchanged as the window's sort exchanges them.
  EXPECT_EQ(SolutionSortOrder({-1, 1}), (std::vector<int>{1, 0}));
  EXPECT_EQ(SolutionSortOrder({}), std::vector<int>{});
}

// The window's exchange sort as it reads, against the quick one.
std::vector<int> LiteralSortOrder(const std::vector<double>& differences) {
  const size_t n = differences.size();
  std::vector<int> order(n);
  std::vector<double> keys(n);
  for (size_t i = 0; i < n; ++i) order[i] = static_cast<int>(i), keys[i] = std::fabs(differences[i]);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      if (!(keys[i] < keys[j])) std::swap(keys[i], keys[j]), std::swap(order[i], order[j]);
  return order;
}

TEST_F(Search, SortByAbsoluteDifferenceMatchesTheLiteralExchangeSort) {
  std::mt19937 random(11);
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    int size;
    int distinct;  // keys drawn from this many values (ties when few)
  };
  for (const Case c : {Case{1, 1}, Case{2, 1}, Case{7, 3}, Case{64, 1000}, Case{300, 5}, Case{1000, 2},
                       Case{2000, 1}, Case{1500, 100000}}) {
    std::vector<double> differences(static_cast<size_t>(c.size));
    for (double& d : differences)
      d = (static_cast<int>(random() % static_cast<unsigned>(c.distinct)) - c.distinct / 2) * 0.25;
    SCOPED_TRACE(testing::Message() << c.size << " keys of " << c.distinct << " values");
    EXPECT_EQ(SolutionSortOrder(differences), LiteralSortOrder(differences));
    std::sort(differences.begin(), differences.end());  // negative first: the keys fall, then rise
    EXPECT_EQ(SolutionSortOrder(differences), LiteralSortOrder(differences));
  }
  // Many short rows of few values, where ties meet in every way.
  for (int run = 0; run < 3000; ++run) {
    std::vector<double> differences(1 + random() % 12);
    const unsigned values = 1 + random() % 5;
    for (double& d : differences) d = static_cast<int>(random() % values) - 2.0;
    ASSERT_EQ(SolutionSortOrder(differences), LiteralSortOrder(differences)) << "run " << run;
  }
  // Infinite keys and keys that are no number.
  for (const std::vector<double>& odd : std::vector<std::vector<double>>{
           {inf, 1, -inf, 0, 2}, {1, nan, 0, -2, nan}, {-0.0, 0.0, -0.0}, {inf, inf, 3}})
    EXPECT_EQ(SolutionSortOrder(odd), LiteralSortOrder(odd));
}

// ---- the fast search against the steps ------------------------------------------------

TEST_F(Search, FastAgreesWithTheStepsOnSmallCases) {
  int cases = 0, found = 0;
  for (int n = 1; n <= 6; ++n)
    for (int k = 0; k <= 3; ++k)
      for (bool random : {true, false})
        for (int accuracy : {0, 2, 4}) {
          std::vector<double> costs;
          for (int i = 0; i < n; ++i) costs.push_back(1000 + 137.35 * i * (i % 2 ? 1 : -0.5) + 0.01 * k);
          Categories(costs, 20 + 0.25 * k, n % 3 == 0 ? 0 : 18);
          in.RandomOrder = random;
          in.Accuracy = accuracy;
          in.CostDecimals = 2 + (n % 2);
          in.HalfDown = k % 2 == 1;
          if (n >= 3) in.Marks[1] = "+", in.Marks[2] = n % 2 ? "=" : "-";
          const auto [steps, fast] = Both(k, false, 5000);
          ASSERT_EQ(steps, fast) << "n " << n << " k " << k << " random " << random << " a " << accuracy;
          ++cases;
          found += static_cast<int>(steps.solutions.size());
        }
  EXPECT_EQ(cases, 144);
  EXPECT_GT(found, 200);
}

TEST_F(Search, FastAgreesWhenAddingToThePreviousTheCapAndAStop) {
  Categories({1200, 800, 950, 400}, 21.3);
  in.Accuracy = 1;
  in.RandomOrder = false;
  TSearchState first;
  PrepareSearch(first, 4, 2, 21.3, false);
  TSearchHooks hooks;
  hooks.Read = [&] { return in; };
  RunSearchSteps(first, {300}, hooks);
  ASSERT_GT(first.SolutionCount, 0);
  // Continued from where the first stopped, in order and at random.
  for (bool random : {false, true}) {
    in.RandomOrder = random;
    const auto [steps, fast] = Both(2, true, 4000, MaxSolutions, &first);
    EXPECT_EQ(steps, fast);
  }
  // Only three kept.
  const auto [cappedSteps, cappedFast] = Both(2, false, 4000, 3);
  EXPECT_EQ(cappedSteps.solutions.size(), 3u);
  EXPECT_EQ(cappedSteps, cappedFast);
  // Stop pressed at the second point: the search ends there.
  stopAt = 2000;
  const auto [stoppedSteps, stoppedFast] = Both(2, false, 50000);
  EXPECT_EQ(stoppedSteps.tries, 2000);
  EXPECT_EQ(stoppedSteps.points, (std::vector<Int64>{1000, 2000}));
  EXPECT_EQ(stoppedSteps, stoppedFast);
}

TEST_F(Search, FastAgreesNearTheRoundingOfTheOverhead) {
  // Costs whose GE&OE rounds at a half: the accuracy bound meets the
  // rounding, and the rounded total decides.
  for (int accuracy = 3; accuracy <= 7; ++accuracy) {
    Categories({333.33, 666.67, 1000.05}, 20, 17.5);
    in.Accuracy = accuracy;
    in.RandomOrder = false;
    for (bool halfDown : {false, true}) {
      in.HalfDown = halfDown;
      const auto [steps, fast] = Both(3, false, 2000);
      EXPECT_EQ(steps, fast) << accuracy << halfDown;
    }
  }
}

TEST_F(Search, ChangesAtAPointReachBothSearches) {
  Categories({1000, 2000, 3000}, 15);
  in.Accuracy = 1;
  int reads = 0;
  for (bool fast : {false, true}) {
    TSearchState s;
    PrepareSearch(s, 3, 3, 15, false);
    std::vector<TCombination> found;
    TSearchHooks hooks;
    hooks.Read = [&] {
      TSearchInputs now = in;
      // After the first point the user marks a category and edits a cost.
      if (reads++ % 3 > 0) {
        now.Marks[0] = "+";
        now.Costs[2] = "2.500,00";
      }
      return now;
    };
    hooks.Solution = [&](int, const TCombination& c, double) { found.push_back(c); };
    RandSeed = 99;
    reads = 0;
    RunSearch(s, {3000}, hooks);
    static std::vector<TCombination> steps;
    if (!fast) {
      RandSeed = 99;
      reads = 0;
      TSearchState t;
      PrepareSearch(t, 3, 3, 15, false);
      std::vector<TCombination> literal;
      hooks.Solution = [&](int, const TCombination& c, double) { literal.push_back(c); };
      RunSearchSteps(t, {3000}, hooks);
      steps = literal;
    } else {
      EXPECT_EQ(found, steps);
    }
  }
}

}  // namespace
