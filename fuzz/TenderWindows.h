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
#include <typeinfo>
#include <unordered_set>

#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Panels.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"
#include "platform/ui/WindowManager.h"
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
  // The pictures of the main window painted so far (ShownState).
  std::unordered_set<std::uint64_t> painted;

  TenderWindows() {
    backend = &InstallHeadlessBackend();
    const std::string base = access("/dev/shm", W_OK | X_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string path = base + "/dim-fuzz-tender-" + std::to_string(getpid());
    ForceDirectories(cp1253::FromUtf8(path));
    folder = cp1253::FromUtf8(path) + "/";
    static AnsiString programFolder;
    programFolder = folder;
    ProgramFolderSource = [] { return programFolder; };
    ShippedFolderSource = [] { return programFolder; };
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

  // What the main window shows, folded into one number: every control's
  // kind, place, visibility, enabled state and text, the marks, dates and
  // selections, and the texts of the grid's rows in view.
  std::uint64_t ShownState() const {
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](std::string_view bytes) {
      for (const char ch : bytes) hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
      hash = (hash ^ 0xff) * 1099511628211ull;
    };
    const auto mixNumber = [&mix](double value) {
      mix(std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
    };
    const auto walk = [&](const auto& self, TControl* control) -> void {
      mix(typeid(*control).name());
      mixNumber(control->Visible());
      if (!control->Visible()) return;
      const TRect r = control->BoundsRect();
      for (const int v : {int(control->Enabled()), r.Left, r.Top, r.Right, r.Bottom}) mixNumber(v);
      mix(control->Text());
      if (auto* edit = dynamic_cast<TCustomEdit*>(control))
        for (const int v : {edit->SelStart(), edit->SelLength(), edit->TopLine()}) mixNumber(v);
      if (auto* memo = dynamic_cast<TCustomMemo*>(control)) mix(memo->Lines().Text());
      if (auto* date = dynamic_cast<TDateTimePicker*>(control))
        mixNumber(date->Date()), mixNumber(date->Checked());
      if (auto* box = dynamic_cast<TCheckBox*>(control)) mixNumber(box->Checked());
      if (auto* radio = dynamic_cast<TRadioButton*>(control)) mixNumber(radio->Checked());
      if (auto* group = dynamic_cast<TCustomRadioGroup*>(control)) mixNumber(group->ItemIndex());
      if (auto* grid = dynamic_cast<TExtStringGrid*>(control)) {
        for (const int v :
             {grid->TopRow(), grid->LeftCol(), grid->Row(), grid->Col(), grid->RowCount(), grid->ColCount()})
          mixNumber(v);
        const int lastRow = std::min(grid->RowCount() - 1, grid->TopRow() + grid->VisibleRowCount());
        for (int col = 0; col < grid->ColCount(); ++col) {
          mixNumber(grid->ColWidths(col));
          for (int row = 0; row <= lastRow; ++row) mix(grid->GetCellText(col, row));
        }
      }
      if (auto* parent = dynamic_cast<TWinControl*>(control)) {
        mixNumber(parent->Focused());
        for (int i = 0; i < parent->ControlCount(); ++i) self(self, parent->Controls(i));
      }
    };
    walk(walk, main);
    return hash;
  }

  // Boxes a run may show are answered and forgotten. A damaged file is said
  // in the class library's error box, which must name the file; any other
  // exception that reached the error box is a fault.
  //
  // The main window is painted when it shows what no run before showed:
  // painting a picture already painted reaches nothing new, and the paint
  // was half of each run.
  void EndRun() {
    if (!painted.insert(ShownState()).second)
      if (ui::TWindowSurface* surface = ui::SurfaceOf(main)) surface->Dirty.clear();
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
