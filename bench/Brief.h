#pragma once
// The sanitizer tree's test run sets DIM_BENCH_BRIEF: a bench then does a
// small part of its fixed work, enough to take each of its paths once in a
// few seconds, instead of the sizes its figures are measured at.

#include <cstdlib>

inline bool BenchBrief() {
  static const bool brief = std::getenv("DIM_BENCH_BRIEF") != nullptr;
  return brief;
}

// Full, or Brief under the sanitizer test run.
inline int BenchSize(int full, int brief) { return BenchBrief() ? brief : full; }
