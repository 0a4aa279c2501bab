// LIBS: tender_logic
// A budget file under every layout the project header may claim and both
// kinds of budget: the reader never reads out of bounds, keeps its limits,
// and what it read writes back to bytes that read the same; the blocks at
// the computed start keep the same limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tender/BudgetFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const TBudgetLayout preferred{(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0};
  const TBudgetKind kind = (data[0] & 8) ? TBudgetKind::Categories : TBudgetKind::WorkItems;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  // The blocks where the budget's size and the header's flags put them.
  const int rows =
      bytes.size() >= 2 ? static_cast<std::uint8_t>(bytes[0]) | static_cast<std::uint8_t>(bytes[1]) << 8 : 0;
  if (const auto blocks = BidderBlocksAt(bytes, ComputedBlocksStart(rows, kind, preferred), rows))
    for (const TBidderBlock& block : *blocks)
      if (block.EntryNo < 1 || block.EntryNo > MaxBidders || block.Values.size() > MaxDetailRows)
        std::abort();
  const TBudgetFileContents read = DecodeBudgetFile(bytes, kind, preferred);
  if (read.Status != TBudgetReadStatus::Ok) return 0;
  if (read.Budget.Rows.size() > MaxBudgetRows || read.BudgetEnd > bytes.size()) std::abort();
  for (const TBidderBlock& block : read.Blocks)
    if (block.EntryNo < 1 || block.EntryNo > MaxBidders || block.Values.size() > MaxDetailRows) std::abort();
  if (read.CutBlocks.size() > 1 ||
      (!read.CutBlocks.empty() && (read.CutBlocks[0] < 1 || read.CutBlocks[0] > MaxBidders)))
    std::abort();
  const TBudgetFileContents again =
      DecodeBudgetFile(EncodeBudgetFile(read.Budget, read.Layout, read.Blocks), kind, read.Layout);
  if (again.Status != TBudgetReadStatus::Ok || again.Layout != read.Layout ||
      again.Blocks.size() != read.Blocks.size() || !again.CutBlocks.empty())
    std::abort();
  (void)EncodeBudgetCsv(read.Budget, read.Layout, read.Blocks, 2);
  return 0;
}
