#pragma once
// A shown, empty form for driving the standard controls, and a recording of
// what a control draws.

#include <gtest/gtest.h>

#include <memory>

#include "UiFixture.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/Input.h"
#include "platform/ui/MessageLoop.h"

class ControlsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Form.reset(NewForm<TForm>(nullptr));
    Form->SetBounds(50, 40, 480, 360);
    Form->SetCaption("Controls");
  }
  void TearDown() override {
    Form.reset();
    // Closed drop-downs and menus go once their messages are handled.
    Application->ProcessMessages();
    UiTest::TearDown();
  }
  template <typename C>
  C* Add(int x, int y, int w, int h, TWinControl* parent = nullptr) {
    auto* c = new C(Form.get());
    c->SetBounds(x, y, w, h);
    c->SetParent(parent ? parent : Form.get());
    return c;
  }
  void ShowForm() {
    Form->Show();
    Application->ProcessMessages();
  }
  // What Control draws, in its own coordinates (a windowed control with its
  // children).
  static std::unique_ptr<TRecordingCanvas> Record(TWinControl& control) {
    auto canvas = std::make_unique<TRecordingCanvas>(control.Width(), control.Height());
    control.PaintTo(*canvas, 0, 0);
    return canvas;
  }
  // The texts drawn by DrawText calls (measuring calls left out), in order.
  static std::vector<AnsiString> DrawnTexts(const TRecordingCanvas& canvas) {
    std::vector<AnsiString> texts;
    for (const auto& call : canvas.CallsOf("DrawText"))
      if (!(call.Flags & DT_CALCRECT)) texts.push_back(call.Text);
    return texts;
  }
  // The pixel at a point of Control (its client coordinates), as RGB.
  TColor PixelOf(TControl& control, int x, int y) {
    const TImageCanvas* image = backend->Render(*control.TopLevel());
    const TPoint screen = control.ClientToScreen(Point(x, y));
    const TPoint at = Point(screen.X - control.TopLevel()->Left(), screen.Y - control.TopLevel()->Top());
    return image->Pixel(at.X, at.Y);
  }
  std::unique_ptr<TForm> Form;
};
