#pragma once
// A shown form with one grid on it, on the headless backend.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/backend/headless/Headless.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

// The message of the E that Call raises; empty when it raises nothing.
template <typename E, typename F>
std::string ErrorOf(F&& call) {
  try {
    call();
  } catch (const E& e) {
    return e.what();
  }
  return {};
}

// Whether the control, painted, draws Text as a bold run of its own and no
// RTF source: a rich-text cell shown formatted.
inline bool ShowsBoldRun(TWinControl& control, const AnsiString& text) {
  TRecordingCanvas canvas(control.Width(), control.Height());
  control.PaintTo(canvas, 0, 0);
  bool bold = false;
  for (const TDrawCall& c : canvas.Calls) {
    if (c.Text.find("\\rtf") != AnsiString::npos) return false;
    if ((c.Op == "ExtTextOut" || c.Op == "ExtTextOutW") && c.Text == text && (c.Font.Style & fsBold))
      bold = true;
  }
  return bold;
}

class GridFormTest : public ::testing::Test {
 protected:
  void SetUp() override { backend = &InstallHeadlessBackend(); }
  void TearDown() override { form.reset(); }
  // Grid G on a shown form, of the given shape.
  template <typename G>
  G& MakeGrid(int cols, int rows, int width = 400, int height = 240) {
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(50, 50, width + 40, height + 60);
    auto* grid = new G(form.get());
    grid->SetBounds(10, 10, width, height);
    grid->SetParent(form.get());
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    form->Show();
    Application->ProcessMessages();
    return *grid;
  }
  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TForm> form;
};
