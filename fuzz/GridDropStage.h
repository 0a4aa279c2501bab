#pragma once
// A shown form with one grid that takes drops, made once per fuzzing
// process for the targets that drop on a grid.
#include "grid/ExtGridDragDrop.h"
#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"

namespace fuzz {

struct GridDropStage {
  GridDropStage() {
    InstallHeadlessBackend();
    form = NewForm<TForm>(nullptr);
    form->SetBounds(20, 20, 500, 360);
    grid = new TExtStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 460, 300);
    form->Show();
    Application->ProcessMessages();
    grid->DragDropSettings().SetOleDropTarget(true);
    grid->Navigation().AllowClipboardAlways = true;
  }
  // Kept for the life of the process: the windows must not outlive the
  // message queue at exit.
  TForm* form = nullptr;
  TExtStringGrid* grid = nullptr;
};

}  // namespace fuzz
