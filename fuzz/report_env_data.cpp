// LIBS: report
// A stored environment: the names ("Strings") then the expressions
// ("DATA"), as list values. Damaged bytes raise EReadError; whatever loads
// prepares, evaluates and unprepares.
#include <cstddef>
#include <cstdint>
#include <string>

#include "report/RpExprLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
  TRpEvEnvironment env;
  try {
    env.ReadStrings(stream);
    env.ReadData(stream);
  } catch (const EReadError&) {
  }
  env.Prepare();
  for (int i = 0; i < env.Count(); ++i) {
    const TRpEvResult r = env.Value(env[i]);
    if (r.Kind > rpvError || r.StrValue.size() > 255) __builtin_trap();
  }
  env.Unprepare();
  TMemoryStream out;
  env.WriteStrings(out);
  env.WriteData(out);
  return 0;
}
