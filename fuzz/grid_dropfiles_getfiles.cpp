// LIBS: grid_controls
// A file list dragged in as any bytes, read the way the grid's drop target
// reads it: names come back whole or not at all, and never crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "grid/EsgDD.h"
#include "tests/platform/ui/BlockDataObject.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The bytes as the one CF_HDROP block, after a CF_TEXT that is listed but
  // never served.
  const TComPtr<TBlockData> object(new TBlockData);
  object->Blocks[CF_HDROP].assign(data, data + size);
  object->Listed = {CF_TEXT, CF_HDROP};
  TEnumFormats formats(object.Get());
  std::vector<AnsiString> names;
  if (!formats.HasFiles()) std::abort();
  formats.GetFiles(names);
  std::size_t total = 0;
  for (const AnsiString& name : names) {
    if (name.empty()) std::abort();
    total += name.size() + 1;
  }
  if (total > size || formats.Text() != "") std::abort();
  return 0;
}
