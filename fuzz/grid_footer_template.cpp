// LIBS: grid_controls platform_backend
// Footer templates filled from the current row: the first byte picks the
// current row, the rest is the template, which is then drawn by the
// footer. Every input ends without a crash, a hang or an exception.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "grid/ExtGridFooter.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/Application.h"

namespace {

struct Stage {
  Stage() {
    InstallHeadlessBackend();
    form = NewForm<TForm>(nullptr);
    form->SetBounds(20, 20, 500, 300);
    grid = new TExtStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 460, 240);
    grid->SetColCount(5);
    grid->SetRowCount(6);
    for (int c = 0; c < 5; ++c)
      for (int r = 0; r < 6; ++r) grid->SetCells(c, r, "c" + std::to_string(c) + "<b>r" + std::to_string(r));
    grid->FloatingFooter().SetFooterStyle(fsCustomPreview);
    grid->FloatingFooter().SetVisible(true);
    form->Show();
    Application->ProcessMessages();
  }
  // Kept for the life of the process: the windows must not outlive the
  // message queue at exit.
  TForm* form = nullptr;
  TExtStringGrid* grid = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Stage& stage = *new Stage;
  if (size < 1 || size > 2048) return 0;
  TExtStringGrid& g = *stage.grid;
  g.SetRow(1 + data[0] % 5);
  const AnsiString tmpl(reinterpret_cast<const char*>(data + 1), size - 1);
  TFooterPanel* panel = g.FooterPanel();
  if (!panel) return 0;
  (void)panel->FooterTemplateExpand(tmpl);
  g.FloatingFooter().SetCustomTemplate(tmpl);
  TRecordingCanvas canvas(panel->Width(), panel->Height());
  panel->PaintTo(canvas, 0, 0);
  return 0;
}
