// LIBS: tender_windows platform_backend
// A budget file read into the budget window after decoding: the first byte
// chooses the kind of budget and the header's flags, the second the bidder
// whose marks are shown; the rest is the file. The window's reads, the
// detailed offers stored from it and the marks read by computed start end
// within their bounds, and no exception reaches the error box.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/TenderWindows.h"
#include "tender/BudgetFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 65536) return 0;
  fuzz::TenderWindows& w = fuzz::Windows();
  const std::uint8_t mode = data[0];
  w.main->ProjectType = (mode & 8) ? ProjectCategoryPercentages : 1;
  OverheadIsExpression = mode & 1;
  ContingencyFlag = (mode >> 1) & 1;
  AsphaltFlag = (mode >> 2) & 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  TUproypFrm& budget = *w.budget;
  budget.BudgetFileName = w.Write("fuzz.pry", bytes);
  BidderDiscountTable.FreeAll();
  try {
    budget.ReadProyp();
    const TBudgetFileContents contents = DecodeBudgetFile(
        bytes, TUproypFrm::Kind(), {OverheadIsExpression != 0, ContingencyFlag != 0, AsphaltFlag != 0});
    for (int entry :
         StoreBidderBlocks(contents.Blocks, (mode & 16) ? TUnmarkedRows::KeepMark : TUnmarkedRows::ClearMark))
      if (entry < 1 || entry > MaxBidders) std::abort();
    budget.ReadAAline(data[1] % 8 + 1);
  } catch (const Exception&) {
    // A damaged file is said to the user by the caller's error box.
  }
  if (BudgetRows > MaxBudgetRows) std::abort();
  w.EndRun();
  return 0;
}
