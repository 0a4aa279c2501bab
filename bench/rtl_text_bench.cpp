// LIBS: platform_rtl
// Cost per call of the conversions that fill report columns and grids.
#include <benchmark/benchmark.h>

#include "platform/rtl/SysUtils.h"

namespace {

void BM_FormatFloatGrouped(benchmark::State& state) {
  LoadGreekLocale();
  Extended value = 1234567.891L;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatFloat("#,0.00", value));
    value += 0.01L;
  }
}
BENCHMARK(BM_FormatFloatGrouped);

void BM_FormatFloatSections(benchmark::State& state) {
  LoadDefaultLocale();
  Extended value = -42.125L;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatFloat("0.000;(0.000);'-'", value));
    value += 0.001L;
  }
}
BENCHMARK(BM_FormatFloatSections);

void BM_FloatToStr(benchmark::State& state) {
  LoadDefaultLocale();
  Extended value = 0.1L;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FloatToStr(value));
    value *= 1.0001L;
  }
}
BENCHMARK(BM_FloatToStr);

void BM_StrToFloat(benchmark::State& state) {
  LoadGreekLocale();
  const AnsiString text = "  1234567,891  ";
  for (auto _ : state) benchmark::DoNotOptimize(StrToFloat(text));
}
BENCHMARK(BM_StrToFloat);

void BM_TryStrToFloatRejects(benchmark::State& state) {
  LoadGreekLocale();
  const AnsiString text = "1.234,5";
  Extended value = 0;
  for (auto _ : state) benchmark::DoNotOptimize(TryStrToFloat(text, value));
}
BENCHMARK(BM_TryStrToFloatRejects);

}  // namespace
