#pragma once
// A shown form with one 980 × 650 grid on the headless backend, for the
// grid benchmarks.

#include <memory>

#include "bench/Brief.h"
#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

struct Screen {
  Screen() {
    backend = &InstallHeadlessBackend();
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(0, 0, 1000, 700);
    form->Show();
  }
  // A grid on the form, replacing the last one.
  TExtStringGrid& Grid(int cols, int rows) {
    delete grid;
    grid = new TExtStringGrid(form.get());
    grid->SetBounds(5, 5, 980, 650);
    grid->SetParent(form.get());
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    Application->ProcessMessages();
    return *grid;
  }
  THeadlessBackend* backend;
  std::unique_ptr<TForm> form;
  TExtStringGrid* grid = nullptr;
};

// Kept to the end of the program: the window layer goes first.
Screen& TheScreen() {
  static Screen* screen = new Screen;
  return *screen;
}

}  // namespace
