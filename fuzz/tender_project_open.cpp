// LIBS: tender_windows platform_backend
// A project opened from disk as the open command does it: the first two
// bytes split the rest into the project file and the budget file beside it
// (none when the split leaves it empty). Whatever the files hold, the open
// ends with at most 500 offers and 2,499 budget rows, no exception reaches
// the error box, and the header's date reads or is refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/DefaultFlags.h"
#include "fuzz/TenderWindows.h"
#include "tender/ProjectFile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return fuzz::HeavyRuns(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 65536) return 0;
  fuzz::TenderWindows& w = fuzz::Windows();
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::size_t split = std::min<std::size_t>(data[0] | (data[1] << 8), bytes.size());
  const AnsiString project = w.Write("fuzz.ddn", bytes.substr(0, split));
  if (split < bytes.size())
    w.Write("fuzz.pry", bytes.substr(split));
  else
    w.Remove("fuzz.pry");
  TDateTime date = 0;
  (void)ReadHeaderDate(AnsiString(bytes.substr(0, std::min<std::size_t>(split, 40))), date);
  BudgetChanged = 0;
  try {
    w.main->OpenProject(project);
  } catch (const Exception&) {
    // Said to the user by the caller's error box; nothing is half-read.
  }
  if (OfferCount > MaxOffers || BudgetRows > MaxBudgetRows) std::abort();
  w.EndRun();
  return 0;
}
