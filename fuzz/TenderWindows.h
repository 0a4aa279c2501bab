#pragma once
// The main window and its budget window on the headless backend, made once
// for every run (their windows are the slow part), in a folder of the
// fuzzer's own under /tmp; the files a run reads are written there.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
    const std::string path = "/tmp/dim-fuzz-tender-" + std::to_string(getpid());
    ForceDirectories(cp1253::FromUtf8(path));
    folder = cp1253::FromUtf8(path) + "/";
    static AnsiString programFolder;
    programFolder = folder;
    ProgramFolderSource = [] { return programFolder; };
    InitNumericLibrary();
    main = NewForm<TFrmAXP>(nullptr);
    main->Show();
    Application->ProcessMessages();
    budget = &EnsureBudgetForm();
  }

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
