// LIBS: grid_controls platform_backend
// Delimited text files read into a grid: the first byte picks the
// delimiter (found by the reader or one of the five given), the OEM
// conversion, tilde breaks, appending and the fixed cells; the rest is the
// file. Every input ends without a crash, a hang or an exception.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "fuzz/DefaultFlags.h"
#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return fuzz::PlainSchedule(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool started = (InstallHeadlessBackend(), true);
  static const std::string path = "/tmp/dim-fuzz-csv-" + std::to_string(getpid()) + ".csv";
  (void)started;
  if (size == 0 || size > 16384) return 0;
  const std::uint8_t mode = data[0];
  // A new file each run: truncating the last one made the file system
  // write it out first, and the run waited on the disk.
  std::remove(path.c_str());
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  auto grid = std::make_unique<TExtStringGrid>(nullptr);
  grid->SetColCount(3);
  grid->SetRowCount(4);
  static constexpr char kDelimiters[] = {0, ',', ';', '#', '\t', '|', 0, 0};
  grid->Delimiter = kDelimiters[mode & 7];
  grid->OemConvert = mode & 8;
  grid->TildeLineBreaks = mode & 16;
  grid->IncludeFixedCells = mode & 32;
  grid->FloatingFooter().SetVisible(mode & 64);
  if (mode & 128) grid->OnFileProgress = [](TObject*, SmallInt) {};
  grid->LoadFromCSVFile(path, mode & 64);
  grid->LoadFromCSVFile(path, true);
  return 0;
}
