#include <gtest/gtest.h>

#include "UiFixture.h"
#include "platform/ui/Application.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Input.h"
#include "platform/ui/Panels.h"

namespace {

// A child window that answers the hit-test as told and logs the loop's
// messages; WM_SIZING and WM_MOVING proposals may be changed by Adjust.
class Movable : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int Answer = HTCLIENT;
  std::vector<AnsiString> Log;
  std::function<void(UINT msg, WPARAM edge, TRect& proposed)> Adjust;
  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case WM_NCHITTEST:
        m.Result = Answer;
        return;
      case WM_ENTERSIZEMOVE:
        Log.push_back("enter");
        return;
      case WM_EXITSIZEMOVE:
        Log.push_back("exit");
        return;
      case WM_MOVING:
      case WM_SIZING: {
        auto& r = *reinterpret_cast<TRect*>(m.LParam);
        Log.push_back((m.Msg == WM_MOVING ? "moving " : "sizing ") + IntToStr(static_cast<int>(m.WParam)));
        if (Adjust) Adjust(m.Msg, m.WParam, r);
        return;
      }
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
        Log.push_back("button");
        break;
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
    Application->ProcessMessages();
  }
  // A drag in form coordinates.
  void Drag(int x, int y, int dx, int dy) {
    backend->PressMouse(*form, x, y);
    backend->MoveMouse(*form, x + dx, y + dy);
    backend->ReleaseMouse(*form, x + dx, y + dy);
  }
  Movable* child = nullptr;
};

TEST_F(SizeMoveTest, AWindowIsClientAreaUnlessItSaysOtherwise) {
  TPanel panel(nullptr);
  EXPECT_EQ(panel.Perform(WM_NCHITTEST, 0, 0), HTCLIENT);
  Drag(60, 60, 30, 30);
  EXPECT_EQ(child->BoundsRect(), Bounds(40, 50, 100, 80));
  EXPECT_EQ(child->Log, (std::vector<AnsiString>{"button", "button"}));
}

TEST_F(SizeMoveTest, TheCaptionMovesTheWindowWhereItsProposalEnds) {
  child->Answer = HTCAPTION;
  child->Adjust = [](UINT, WPARAM, TRect& r) { r = Bounds(r.Left, r.Top, r.Width(), r.Height() + 1); };
  Drag(60, 60, 30, 20);
  EXPECT_EQ(child->BoundsRect(), Bounds(70, 70, 100, 81));
  EXPECT_EQ(child->Log, (std::vector<AnsiString>{"enter", "moving 0", "exit"}));
  EXPECT_EQ(GetCapture(), nullptr);
}

struct EdgeCase {
  int Hit, Edge;
  TRect After;  // from (40, 50, 100, 80) after a drag by (10, -5)
};

class SizeEdgeTest : public SizeMoveTest, public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(SizeEdgeTest, SizesAtItsEdge) {
  child->Answer = GetParam().Hit;
  Drag(60, 60, 10, -5);
  EXPECT_EQ(child->BoundsRect(), GetParam().After);
  EXPECT_EQ(child->Log.at(1), "sizing " + IntToStr(GetParam().Edge));
}

INSTANTIATE_TEST_SUITE_P(Edges, SizeEdgeTest,
                         ::testing::Values(EdgeCase{HTBOTTOMRIGHT, WMSZ_BOTTOMRIGHT, Bounds(40, 50, 110, 75)},
                                           EdgeCase{HTTOPLEFT, WMSZ_TOPLEFT, Bounds(50, 45, 90, 85)},
                                           EdgeCase{HTRIGHT, WMSZ_RIGHT, Bounds(40, 50, 110, 80)},
                                           EdgeCase{HTBOTTOM, WMSZ_BOTTOM, Bounds(40, 50, 100, 75)}));

TEST_F(SizeMoveTest, LosingTheCaptureEndsTheLoop) {
  child->Answer = HTBOTTOMRIGHT;
  backend->PressMouse(*form, 60, 60);
  EXPECT_EQ(GetCapture(), child->Handle());
  ReleaseCapture();
  backend->MoveMouse(*form, 90, 90);
  EXPECT_EQ(child->BoundsRect(), Bounds(40, 50, 100, 80));
  EXPECT_EQ(child->Log, (std::vector<AnsiString>{"enter", "exit"}));
  backend->ReleaseMouse(*form, 90, 90);
}

TEST_F(SizeMoveTest, EscapePutsTheWindowBack) {
  child->Answer = HTCAPTION;
  backend->PressMouse(*form, 60, 60);
  backend->MoveMouse(*form, 90, 100);
  EXPECT_EQ(child->Left(), 70);
  ui::input::KeyDown(VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_EQ(child->BoundsRect(), Bounds(40, 50, 100, 80));
  EXPECT_EQ(child->Log, (std::vector<AnsiString>{"enter", "moving 0", "exit"}));
  EXPECT_EQ(GetCapture(), nullptr);
  ui::input::KeyUp(VK_ESCAPE);
  backend->ReleaseMouse(*form, 90, 100);
}

}  // namespace
