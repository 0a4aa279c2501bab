#pragma once
// A shown 5 × 6 grid whose cells are painted one at a time onto a
// recording canvas at a fixed rectangle.

#include <memory>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/gfx/RecordingCanvas.h"

class CellPaintTest : public GridFormTest {
 protected:
  explicit CellPaintTest(TRect cell) : cell_(cell) {}
  void SetUp() override {
    GridFormTest::SetUp();
    grid = &MakeGrid<TExtStringGrid>(5, 6);
  }
  // What DrawCellContent draws for one cell.
  TRecordingCanvas& Paint(int col, int row, TGridDrawState state = {}) {
    canvas = std::make_unique<TRecordingCanvas>(400, 300);
    canvas->Font->Name = "Arial";
    grid->DrawCellContent(*canvas, col, row, cell_, state);
    return *canvas;
  }
  TExtStringGrid* grid = nullptr;
  std::unique_ptr<TRecordingCanvas> canvas;

 private:
  TRect cell_;
};
