// LIBS: report
// Any text parses and evaluates to a value of one of the five kinds, with
// strings within 255 characters: errors are values, never crashes. The same
// list is aggregated, reset and evaluated again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "report/RpExprLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TRpEvEnvironment* env = [] {
    auto* e = new TRpEvEnvironment();
    e->AddFunction("PAGENUMBER", "1");
    e->AddFunction("TITLE", "'Report'");
    e->AddFunction("LOOP", "LOOP+1");
    e->AddFunction("TOTAL", "SUM(PAGENUMBER)");
    e->Prepare();
    return e;
  }();
  const std::string text(reinterpret_cast<const char*>(data), size);
  TRpEvaluator ev;
  ev.Environment = env;
  ev.Prepare(text);
  for (int round = 0; round < 2; ++round) {
    ev.DoAggregate();
    const TRpEvResult r = ev.Value();
    if (r.Kind > rpvError || r.StrValue.size() > 255) __builtin_trap();
    ev.Reset();
  }
  ev.Unprepare();
  return 0;
}
