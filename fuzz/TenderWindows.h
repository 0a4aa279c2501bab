#pragma once
// The main window and its budget window on the headless backend, made once
// for every run (their windows are the slow part), in a folder of the
// fuzzer's own in memory (/dev/shm, else /tmp); the files a run reads are
// written there. A disk's file system spends more on creating and deleting
// the run's files than the open spends reading them.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"
#include "tender/mainauction.h"

namespace fuzz {

struct TenderWindows {
  THeadlessBackend* backend = nullptr;
  TFrmAXP* main = nullptr;
  TUproypFrm* budget = nullptr;
  AnsiString folder;

  TenderWindows() {
    backend = &InstallHeadlessBackend();
    const std::string base = access("/dev/shm", W_OK | X_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string path = base + "/dim-fuzz-tender-" + std::to_string(getpid());
    ForceDirectories(cp1253::FromUtf8(path));
    folder = cp1253::FromUtf8(path) + "/";
    static AnsiString programFolder;
    programFolder = folder;
    ProgramFolderSource = [] { return programFolder; };
    InitNumericLibrary();
    main = NewForm<TFrmAXP>(nullptr);
    // The offers grid grows with the window: at this height it shows its
    // headings and three offers, which paint as every other row would,
    // instead of twenty that made painting a third of each run.
    main->SetHeight(330);
    main->Show();
    Application->ProcessMessages();
    budget = &EnsureBudgetForm();
  }

  // The folder goes with the process (it is in memory); the windows stay
  // to the end, as in the program.
  ~TenderWindows() {
    std::error_code ignored;
    std::filesystem::remove_all(cp1253::ToUtf8(folder), ignored);
  }
  TenderWindows(const TenderWindows&) = delete;
  TenderWindows& operator=(const TenderWindows&) = delete;

  // Writes Bytes under Name in the folder, as a new file (truncating the
  // last one makes the file system write it out first); gives the full name.
  AnsiString Write(const char* name, std::string_view bytes) const {
    const AnsiString file = folder + name;
    DeleteFile(file);
    std::ofstream(cp1253::ToUtf8(file), std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
  }
  void Remove(const char* name) const { DeleteFile(folder + name); }

  // Boxes a run may show are answered and forgotten. A damaged file is said
  // in the class library's error box, which must name the file; any other
  // exception that reached the error box is a fault.
  void EndRun() const {
    Application->ProcessMessages();
    for (const THeadlessBackend::ShownBox& box : backend->ErrorBoxes)
      if (box.Text.find(folder) == AnsiString::npos) {
        std::fprintf(stderr, "error box: %s\n", cp1253::ToUtf8(box.Text).c_str());
        std::abort();
      }
    backend->ErrorBoxes.clear();
    backend->UnexpectedDialogs.clear();
    backend->MessageBoxes.clear();
  }
};

inline TenderWindows& Windows() {
  static TenderWindows windows;
  return windows;
}

}  // namespace fuzz
