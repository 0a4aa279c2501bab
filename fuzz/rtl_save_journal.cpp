// LIBS: platform_rtl
// A save's journal is read from the user's folder, where anything may lie
// under its name: it reads as a whole journal of plain names or as nothing,
// and what is written reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/rtl/SaveJournal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto entries = DecodeSaveJournal(bytes);
  if (!entries) return 0;
  if (entries->empty() || entries->size() > MaxSaveJournalEntries) std::abort();
  for (const TSaveJournalEntry& entry : *entries)
    if (entry.Name.empty() || entry.Name == "." || entry.Name == ".." ||
        entry.Name.find('/') != std::string::npos || entry.Name.find('\0') != std::string::npos)
      std::abort();
  const auto again = DecodeSaveJournal(EncodeSaveJournal(*entries));
  if (!again || again->size() != entries->size()) std::abort();
  for (size_t i = 0; i < again->size(); ++i)
    if ((*again)[i].Name != (*entries)[i].Name || (*again)[i].Size != (*entries)[i].Size ||
        (*again)[i].Sum != (*entries)[i].Sum)
      std::abort();
  return 0;
}
