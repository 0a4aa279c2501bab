// A second running copy of the program for the exchange tests: it opens a
// grid on the display named by DISPLAY and either copies cells with their
// properties ("copy") and holds the clipboard until its input closes, or
// pastes what the clipboard holds ("paste") and prints each cell as
// "col row text fontsize", one a line, in UTF-8; or pastes and prints only
// the copy origin its grid was told of ("origin N", its grid numbered N
// among the grids of the process that copied: "-1 -1" for cells that came
// from another grid).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "grid/ExtGrid.h"
#include "platform/backend/Backends.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"

namespace {

class TNotedGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  void PasteNotify(TPoint Origin, const TGridRect&, bool) override { origin = Origin; }
  TPoint origin{-9, -9};
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  setenv("DIM_BACKEND", "screen", 1);
  InstallDefaultBackend();
  Application->Initialize();
  TForm* form = nullptr;
  Application->CreateForm(form);
  auto* grid = new TNotedGrid(form);
  grid->SetParent(form);
  grid->SetColCount(5);
  grid->SetRowCount(5);
  grid->SetOptions(grid->Options() + TGridOptions{goEditing, goRangeSelect});
  grid->Navigation().AllowFmtClipboard = true;
  form->Show();
  Application->ProcessMessages();
  if (mode == "copy") {
    grid->SetCellText(1, 1, cp1253::FromUtf8("Προσφορά"));
    grid->GetCellProperties(1, 1)->FontSize = 14;
    grid->SetCellText(2, 2, "12,50");
    grid->GetCellProperties(2, 2)->FontSize = 9;
    grid->SetSelection(TGridRect{1, 1, 2, 2});
    grid->CopySelection();
    // The copy outlives the window that made it.
    delete form;
    std::printf("ready\n");
    std::fflush(stdout);
    char buffer[64];
    while (read(0, buffer, sizeof buffer) > 0) {
    }
    return 0;
  }
  if (mode == "origin") {
    const int number = argc > 2 ? std::atoi(argv[2]) : 1;
    while (grid->GridID() < number) {
      delete grid;
      grid = new TNotedGrid(form);
      grid->SetParent(form);
      grid->Navigation().AllowFmtClipboard = true;
    }
    grid->PasteAt(0, 0);
    std::printf("%d %d\n", grid->origin.X, grid->origin.Y);
    return 0;
  }
  if (mode == "paste") {
    try {
      grid->PasteAt(0, 0);
    } catch (const Exception& e) {
      std::printf("error %s\n", e.what());
      return 1;
    }
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) {
        const AnsiString text = grid->GetCellText(c, r);
        if (text.empty()) continue;
        TCellProperties* props = grid->FindCellProperties(c, r);
        std::printf("%d %d %s %d\n", c, r, cp1253::ToUtf8(text).c_str(), props ? props->FontSize : 0);
      }
    return 0;
  }
  return 2;
}
