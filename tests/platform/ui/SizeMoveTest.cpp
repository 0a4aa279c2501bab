#include <gtest/gtest.h>

#include "UiFixture.h"
#include "platform/ui/Application.h"
#include "platform/ui/Input.h"

namespace {

// A child window that answers the hit-test as told and logs the loop's
// messages; it lengthens every proposed rectangle by a pixel.
class Movable : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int Answer = HTCLIENT;
  std::vector<AnsiString> Log;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_NCHITTEST) {
      m.Result = Answer;
      return;
    }
    if (m.Msg == WM_ENTERSIZEMOVE || m.Msg == WM_EXITSIZEMOVE)
      Log.push_back(m.Msg == WM_ENTERSIZEMOVE ? "enter" : "exit");
    if (m.Msg == WM_LBUTTONDOWN) Log.push_back("button");
    if (m.Msg == WM_MOVING || m.Msg == WM_SIZING) {
      auto& r = *reinterpret_cast<TRect*>(m.LParam);
      Log.push_back((m.Msg == WM_MOVING ? "moving " : "sizing ") + IntToStr(static_cast<int>(m.WParam)));
      r.Bottom += 1;
      return;
    }
    TCustomControl::Dispatch(m);
  }
};

class SizeMoveTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ShowDemo();
    child = new Movable(form.get());
    child->SetBounds(40, 50, 100, 80);
    child->SetParent(form.get());
  }
  // A drag in form coordinates.
  void Drag(int dx, int dy) {
    backend->PressMouse(*form, 60, 60);
    backend->MoveMouse(*form, 60 + dx, 60 + dy);
    backend->ReleaseMouse(*form, 60 + dx, 60 + dy);
  }
  Movable* child = nullptr;
};

struct LoopCase {
  int Hit;
  AnsiString Message;
  TRect After;  // from (40, 50, 100, 80) after a drag by (10, -5)
};

class SizeMoveLoopTest : public SizeMoveTest, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(SizeMoveLoopTest, TheAnswerDecidesWhatADragDoes) {
  child->Answer = GetParam().Hit;
  Drag(10, -5);
  EXPECT_EQ(child->BoundsRect(), GetParam().After);
  const auto loop = std::vector<AnsiString>{"enter", GetParam().Message, "exit"};
  EXPECT_EQ(child->Log, GetParam().Hit == HTCLIENT ? std::vector<AnsiString>{"button"} : loop);
  EXPECT_EQ(GetCapture(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Answers, SizeMoveLoopTest,
                         ::testing::Values(LoopCase{HTCLIENT, "", Bounds(40, 50, 100, 80)},
                                           LoopCase{HTCAPTION, "moving 0", Bounds(50, 45, 100, 81)},
                                           LoopCase{HTBOTTOMRIGHT, "sizing 8", Bounds(40, 50, 110, 76)},
                                           LoopCase{HTTOPLEFT, "sizing 4", Bounds(50, 45, 90, 86)},
                                           LoopCase{HTRIGHT, "sizing 2", Bounds(40, 50, 110, 81)}));

TEST_F(SizeMoveTest, EscapeOrALostCapturePutsAnEnd) {
  child->Answer = HTCAPTION;
  backend->PressMouse(*form, 60, 60);
  backend->MoveMouse(*form, 90, 100);
  ui::input::KeyDown(VK_ESCAPE);
  EXPECT_EQ(child->BoundsRect(), Bounds(40, 50, 100, 80));
  EXPECT_EQ(child->Log, (std::vector<AnsiString>{"enter", "moving 0", "exit"}));
  ui::input::KeyUp(VK_ESCAPE);
  backend->ReleaseMouse(*form, 90, 100);
  child->Log.clear();
  backend->PressMouse(*form, 60, 60);
  ReleaseCapture();
  backend->MoveMouse(*form, 90, 90);
  EXPECT_EQ(child->Log, (std::vector<AnsiString>{"enter", "exit"}));
  EXPECT_EQ(child->Left(), 40);
  backend->ReleaseMouse(*form, 90, 90);
}

}  // namespace
