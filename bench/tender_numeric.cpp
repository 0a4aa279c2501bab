// LIBS: tender_logic platform_rtl
// The numeric library's hot paths, per call, with the heap allocations each
// call makes ("allocs" per iteration; RoundDec and StrToNum must make none).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"

namespace {
std::atomic<long> allocations{0};
}

// Every allocation of the program goes through here and is counted.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

void Setup() {
  ThousandSeparator = '.';
  DecimalSeparator = ',';
  InitNumericLibrary();
}

// Reports allocations per iteration over the timed loop.
class AllocationCounter {
 public:
  explicit AllocationCounter(benchmark::State& state) : state_(state), start_(allocations.load()) {}
  ~AllocationCounter() {
    state_.counters["allocs"] = benchmark::Counter(static_cast<double>(allocations.load() - start_),
                                                   benchmark::Counter::kAvgIterations);
  }

 private:
  benchmark::State& state_;
  long start_;
};

void BM_RoundDec(benchmark::State& state) {
  Setup();
  const double values[] = {2.675, 1234567.891, -2.345, 0.4999995, 12.3450001, 98765.4321};
  size_t i = 0;
  AllocationCounter counter(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(RoundDec(2, values[i++ % 6]));
  }
}
BENCHMARK(BM_RoundDec);

void BM_RoundDecNegative(benchmark::State& state) {
  Setup();
  double value = 1250;
  AllocationCounter counter(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(RoundDec(-2, value));
  }
}
BENCHMARK(BM_RoundDecNegative);

void BM_RoundDiscount(benchmark::State& state) {
  Setup();
  double value = 12.3451;
  AllocationCounter counter(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(RoundDiscount(2, value));
  }
}
BENCHMARK(BM_RoundDiscount);

void BM_FormatNum(benchmark::State& state) {
  Setup();
  double value = 1234567.891;
  AllocationCounter counter(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(FormatNum(17, 2, 2, value));
  }
}
BENCHMARK(BM_FormatNum);

void BM_FormatNumShort(benchmark::State& state) {
  Setup();
  double value = 12.35;
  AllocationCounter counter(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(FormatNum(8, 2, 2, value));
  }
}
BENCHMARK(BM_FormatNumShort);

void BM_StrToNum(benchmark::State& state) {
  Setup();
  const std::string_view texts[] = {"1.234.567,89", " 12 345 ", "12,5", "-0,25", "98765", "1e3"};
  size_t i = 0;
  AllocationCounter counter(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(StrToNum(texts[i++ % 6]));
  }
}
BENCHMARK(BM_StrToNum);

void BM_CountDecimals(benchmark::State& state) {
  Setup();
  double value = 1234.5678;
  AllocationCounter counter(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(CountDecimals(value));
  }
}
BENCHMARK(BM_CountDecimals);

void BM_EvalFormula(benchmark::State& state) {
  Setup();
  // A GE&OE expression of 40 characters, as typed in the budget window.
  const AnsiString expression = "(18,5+ROUND(2,675, 2))*1,07-MOD(25, 7)/4";
  Word attribute = 0;
  AllocationCounter counter(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(EvalFormula(expression, attribute));
  }
  if (attribute != FormulaValid || expression.size() != 40)
    state.SkipWithError("the expression does not evaluate");
}
BENCHMARK(BM_EvalFormula);

void BM_AmountToWords(benchmark::State& state) {
  Setup();
  const AnsiString cents = " λεπτά"_a;
  double value = 1234567.89;
  AllocationCounter counter(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(AmountToWords(1, 1, cents, value));
  }
}
BENCHMARK(BM_AmountToWords);

}  // namespace
