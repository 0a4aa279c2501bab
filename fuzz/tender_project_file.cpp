// LIBS: tender_logic
// A project file as the open command and the index read it: whatever the
// bytes, the reader gives at most 500 records and options within range, a
// damaged file gives none, a cut one fewer than its header promised, each
// told in a message; and what it read writes back the same records, whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tender/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (bool old : {false, true}) {
    TProjectFileData read = DecodeProjectFile(bytes, old);
    if (read.Offers.size() > MaxOffers) std::abort();
    if (read.Status == TProjectReadStatus::Damaged && (!read.Offers.empty() || read.HasHeader)) std::abort();
    if (read.Status == TProjectReadStatus::Cut && read.PromisedOffers >= 0 &&
        static_cast<int>(read.Offers.size()) >= read.PromisedOffers)
      std::abort();
    if (ProjectReadMessage("f.ddn", read).empty() != (read.Status == TProjectReadStatus::Ok)) std::abort();
    const TProjectOptions options = ReadProjectOptions(read.Header);
    if (options.ProjectType > 2 || options.DiscountDecimals.value_or(0) > 6) std::abort();
    for (OfferRecord& offer : read.Offers)
      (void)StoredDiscountText(offer, options.DiscountDecimals.value_or(0), 2);
    if (!old && read.HasHeader) {
      read.Header.StoreOfferCount(static_cast<int>(read.Offers.size()));
      const TProjectFileData again = DecodeProjectFile(EncodeProjectFile(read.Header, read.Offers), false);
      if (again.Offers.size() != read.Offers.size() || again.Status != TProjectReadStatus::Ok) std::abort();
    }
  }
  return 0;
}
