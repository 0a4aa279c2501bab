#pragma once
// The target-discount search: integer discounts per category whose offer
// total meets a wanted mean discount within a chosen accuracy and respects
// the user's marks ("+" above the mean, "-" below, "=" equal). The search
// draws nothing: it reads what the window's tables hold through a snapshot
// taken at its start and at every 1,000-try point (the only place where the
// window processes messages), and tells the window its solutions and its
// progress through hooks.
//
// Two searches give the same results: RunSearchSteps computes every try as
// the window's steps say (kept to check the other and to measure it), and
// RunSearch, which caches the categories' costs, sums them incrementally as
// a filter and leaves the decision near the accuracy bound to the same
// computation.

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/rtl/System.h"

// One code per category: the category's discount + 10.
using TCombination = std::string;

// What the search reads of the window's tables and controls.
struct TSearchInputs {
  std::vector<AnsiString> Costs;        // study cost texts of the categories (budget column 4)
  std::vector<AnsiString> Marks;        // the result grid's column 1, one per category
  AnsiString OverheadText;              // the totals' GE&OE parameter
  double OverheadExpressionAmount = 0;  // its value, when the text is an expression ("$")
  int CostDecimals = 2;
  bool HalfDown = false;
  double StudyTotal = 0;
  double DesiredDiscount = 0;
  int Accuracy = 4;  // the mean discount must be met within 10^-(a+2)
  bool RandomOrder = true;
};

// The search's state, kept between searches ("add to previous").
struct TSearchState {
  int LowCode = 0, HighCode = 0;
  TCombination Current, Last;
  std::vector<TCombination> Solutions;
  std::unordered_set<TCombination> Known;  // the solutions, for a quick look-up
  int SolutionCount = 0;
  int ShownSolutions = 0;
  // Empties the solutions: a new search.
  void Clear();
};

constexpr int MaxSolutions = 100000;

struct TSearchHooks {
  // A solution stored: its number (1-based), the combination, its total.
  std::function<void(int number, const TCombination& codes, double total)> Solution;
  // A 1,000-try point: the window shows the count and processes its
  // messages; true when the search is to stop.
  std::function<bool(Int64 tries)> Checkpoint;
  // The snapshot of the window's tables, taken again after each checkpoint.
  std::function<TSearchInputs()> Read;
  // Seeds the class library's generator (from the clock in the window).
  std::function<void()> Reseed;
};

struct TSearchRun {
  Int64 MaxTries = 50000;
  int Cap = MaxSolutions;  // solutions kept at most
};

// The steps before the tries: the codes around the wanted mean and, for a
// new search (or one whose combination does not fit the categories), the
// first and last combination and no solutions. True when it started anew.
bool PrepareSearch(TSearchState& state, int categories, int deviation, double desiredDiscount,
                   bool addToPrevious);

// The searches; each gives the number of tries made.
Int64 RunSearchSteps(TSearchState& state, const TSearchRun& run, const TSearchHooks& hooks);
Int64 RunSearch(TSearchState& state, const TSearchRun& run, const TSearchHooks& hooks);

// ---- the steps, also used by the window ----

// A cost rounded to the decimals of costs; with halfDown an exact half of
// the last place rounds down.
double CheckB54Value(double value, int decimals, bool halfDown);
// The offer total of a combination, or 0 when its mean discount misses.
double CalcPoso(const TCombination& codes, const TSearchInputs& inputs);
// The next combination in order (the last category fastest); false, and no
// change, at the last combination.
bool NextItem(TCombination& codes, const TSearchState& state);
// Whether the combination respects every mark.
bool CombinationAllowed(const TCombination& codes, const TSearchInputs& inputs);
// The difference row's text of a solution.
AnsiString SolutionDifference(double total, double desiredAmount, int costDecimals, Byte style);
// The number of combinations: (2k + 1)^N through the formula evaluator; 0
// beyond its limit.
double CombinationsOf(int deviation, int categories);
// The order in which the solution columns end after the sort by absolute
// difference: position p of the result holds the column that was at
// result[p]. The exchange sort of the window, ties exchanged.
std::vector<int> SolutionSortOrder(const std::vector<double>& differences);
