// LIBS: report
// Evaluating a prepared expression once per record, and preparing a long one.
#include <benchmark/benchmark.h>

#include "report/RpExprLibrary.h"

namespace {

struct Variables {
  Variables() {
    env.AddFunction("X", "7");
    env.AddFunction("Y", "2.5");
    env.Prepare();
  }
  ~Variables() { env.Unprepare(); }
  TRpEvEnvironment env;
};

// Eleven elements: five operators, three variables and three constants.
void BM_EvaluateTenElementExpression(benchmark::State& state) {
  Variables vars;
  TRpEvaluator ev;
  ev.Environment = &vars.env;
  ev.Prepare("X*2+Y-3*X+1");
  TRpEvElement* x = vars.env.GetConstant("X");
  Integer i = 0;
  for (auto _ : state) {
    vars.env.SetIntegerConstant(x, ++i);
    benchmark::DoNotOptimize(ev.Value());
  }
  state.counters["elements"] = static_cast<double>(ev.FiFo()->Elements.size());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateTenElementExpression);

void BM_AggregateSumPerRecord(benchmark::State& state) {
  Variables vars;
  TRpEvaluator ev;
  ev.Environment = &vars.env;
  ev.Prepare("SUM(X*Y) + COUNT");
  for (auto _ : state) ev.DoAggregate();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AggregateSumPerRecord);

AnsiString kilobyteExpression() {
  AnsiString text;
  while (text.size() < 1000) text += "IF(X > 3, X*2+1, (Y-4)/2) + COPY('abc,def', 1, X) + ";
  return text + "0";
}

void BM_PrepareOneKilobyteExpression(benchmark::State& state) {
  Variables vars;
  const AnsiString text = kilobyteExpression();
  TRpEvaluator ev;
  ev.Environment = &vars.env;
  for (auto _ : state) ev.Prepare(text);
  state.counters["bytes"] = static_cast<double>(text.size());
  state.counters["elements"] = static_cast<double>(ev.FiFo()->Elements.size());
}
BENCHMARK(BM_PrepareOneKilobyteExpression)->Unit(benchmark::kMicrosecond);

}  // namespace
