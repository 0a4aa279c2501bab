// LIBS: report platform_backend
// A stored report form read into a new report: damaged bytes raise
// EReadError (or a name the form already holds EComponentError, a data set
// of its own that does not open EDatabaseError) and leave nothing behind;
// a report that loads runs two records, and what it writes reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/backend/headless/Headless.h"
#include "platform/db/Db.h"
#include "report/RpCtrls.h"

namespace {

// Larger forms add nothing a smaller one does not reach.
constexpr std::size_t kMaxForm = 8192;

std::string Written(TCustomBandRep& report) {
  TMemoryStream out;
  report.WriteForm(out);
  return std::string(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static THeadlessBackend& backend = InstallHeadlessBackend();
  (void)backend;
  if (size > kMaxForm) return 0;
  TComponent owner(nullptr);
  TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
  std::unique_ptr<TBandRep> report;
  try {
    report.reset(TCustomBandRep::ReadForm(stream, &owner));
  } catch (const EReadError&) {
  } catch (const EComponentError&) {
  } catch (const EDatabaseError&) {
  }
  if (!report) {
    if (owner.ComponentCount() != 0) std::abort();
    return 0;
  }
  const std::string first = Written(*report);
  int fed = 0;
  report->OnNeedData() = [&fed](TObject*, bool& more) { more = fed++ < 2; };
  try {
    TRpPrinter printer(report.get());
    report->RunInto(&printer);
  } catch (const Exception&) {
  }
  TComponent again(nullptr);
  TStringStream in(first);
  std::unique_ptr<TBandRep> copy(TCustomBandRep::ReadForm(in, &again));
  if (!copy) std::abort();
  return 0;
}
