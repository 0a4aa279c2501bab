// Dragging one control onto another with the mouse: the controls under the
// pointer are asked, the one that takes it gets the drop, and the source
// hears where it ended.

#include <gtest/gtest.h>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "tests/platform/ui/ControlsFixture.h"

namespace {

class ControlDragTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    source = Add<TPanel>(10, 10, 100, 60);
    source->DragMode = dmAutomatic;
    taker = Add<TPanel>(200, 10, 150, 150);
    // A graphic control inside the taker: it answers for itself.
    inner = Add<TLabel>(20, 100, 80, 20, taker);
    inner->SetAutoSize(false);
    inner->SetCaption("Σύνολο"_a);
    inner->SetBounds(20, 100, 80, 20);
    refuser = Add<TPanel>(10, 200, 100, 60);
    for (TControl* c : std::initializer_list<TControl*>{taker, inner, refuser}) {
      c->OnDragOver = [this, c](TObject* sender, TObject* from, int x, int y, TDragState state,
                                bool& accept) {
        overs.push_back({sender, from, x, y, state});
        accept = c != refuser;
      };
      c->OnDragDrop = [this](TObject* sender, TObject* from, int x, int y) {
        drops.push_back({sender, from, x, y});
      };
    }
    source->OnEndDrag = [this](TObject* sender, TObject* target, int x, int y) {
      ends.push_back({sender, target, x, y});
    };
    source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++sourcePresses; };
    ShowForm();
  }
  struct Over {
    TObject *Sender, *Source;
    int X, Y;
    TDragState State;
  };
  struct Call {
    TObject *Sender, *Other;
    int X, Y;
  };
  TPanel* source = nullptr;
  TPanel* taker = nullptr;
  TLabel* inner = nullptr;
  TPanel* refuser = nullptr;
  std::vector<Over> overs;
  std::vector<Call> drops, ends;
  int sourcePresses = 0;
};

TEST_F(ControlDragTest, ADropOnAControlThatTakesItReachesItAndTheSource) {
  backend->PressMouse(*source, 20, 20);
  EXPECT_TRUE(source->Dragging());
  EXPECT_EQ(sourcePresses, 0);  // the press starts the drag instead
  // Within the threshold nothing is asked yet.
  backend->MoveMouse(*source, 22, 22);
  EXPECT_TRUE(overs.empty());
  backend->MoveMouse(*taker, 30, 40);
  backend->MoveMouse(*taker, 31, 41);
  backend->ReleaseMouse(*taker, 31, 41);
  EXPECT_FALSE(source->Dragging());
  ASSERT_EQ(overs.size(), 2u);
  EXPECT_EQ(overs[0].Sender, taker);
  EXPECT_EQ(overs[0].Source, source);
  EXPECT_EQ(overs[0].State, dsDragEnter);
  EXPECT_EQ(overs[1].State, dsDragMove);
  EXPECT_EQ(overs[1].X, 31);
  EXPECT_EQ(overs[1].Y, 41);
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].Sender, taker);
  EXPECT_EQ(drops[0].Other, source);
  EXPECT_EQ(drops[0].X, 31);
  EXPECT_EQ(drops[0].Y, 41);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Other, taker);
  EXPECT_EQ(ends[0].X, 31);
}

TEST_F(ControlDragTest, TheControlUnderThePointerIsAskedAndLeftInTurn) {
  backend->PressMouse(*source, 20, 20);
  backend->MoveMouse(*taker, 10, 10);
  backend->MoveMouse(*inner, 5, 5);
  backend->MoveMouse(*refuser, 5, 5);
  backend->ReleaseMouse(*refuser, 5, 5);
  std::vector<std::pair<TObject*, TDragState>> asked;
  for (const Over& o : overs) asked.push_back({o.Sender, o.State});
  const std::vector<std::pair<TObject*, TDragState>> expected = {
      {taker, dsDragEnter}, {taker, dsDragLeave},   {inner, dsDragEnter},
      {inner, dsDragLeave}, {refuser, dsDragEnter}, {refuser, dsDragLeave}};
  EXPECT_EQ(asked, expected);
  EXPECT_EQ(overs[2].X, 5);  // in the graphic control's own coordinates
  // A control that refuses gets no drop; the source hears of none.
  EXPECT_TRUE(drops.empty());
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Other, nullptr);
}

TEST_F(ControlDragTest, AClickThatDoesNotMoveDropsNothingAndAManualControlIsNotDragged) {
  backend->Click(*source, 20, 20);
  EXPECT_FALSE(source->Dragging());
  EXPECT_TRUE(overs.empty());
  EXPECT_TRUE(drops.empty());
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Other, nullptr);
  source->DragMode = dmManual;
  backend->PressMouse(*source, 20, 20);
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(sourcePresses, 1);
  backend->ReleaseMouse(*source, 20, 20);
  // A drag begun by the program at once asks the control under the pointer.
  backend->MoveMouse(*taker, 50, 50);
  source->BeginDrag(true);
  ASSERT_FALSE(overs.empty());
  EXPECT_EQ(overs.back().Sender, taker);
  source->EndDrag(true);
  EXPECT_EQ(drops.size(), 1u);
}

TEST_F(ControlDragTest, ATargetFreedDuringTheDragIsForgotten) {
  backend->PressMouse(*source, 20, 20);
  backend->MoveMouse(*refuser, 5, 5);
  delete refuser;
  refuser = nullptr;
  backend->MoveMouse(*taker, 5, 5);
  backend->ReleaseMouse(*taker, 5, 5);
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].Sender, taker);
}

TEST_F(ControlDragTest, EscapeEndsTheDragWhereItIsWithoutADrop) {
  // A control with the keyboard that wants Escape for itself still does
  // not see it while a drag runs.
  TEdit* edit = Add<TEdit>(10, 300, 100, 20);
  int editKeys = 0;
  edit->OnKeyDown = [&](TObject*, Word&, TShiftState) { ++editKeys; };
  edit->SetFocus();
  backend->PressMouse(*source, 20, 20);
  backend->MoveMouse(*taker, 30, 40);
  ASSERT_TRUE(source->Dragging());
  ASSERT_EQ(Screen->Cursor(), crDrag);
  backend->PressKey(VK_ESCAPE);
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(editKeys, 0);
  ASSERT_FALSE(overs.empty());
  EXPECT_EQ(overs.back().Sender, taker);
  EXPECT_EQ(overs.back().State, dsDragLeave);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Other, nullptr);
  // The release that follows is a plain one: nothing is dropped.
  const size_t asked = overs.size();
  backend->ReleaseMouse(*taker, 30, 40);
  EXPECT_TRUE(drops.empty());
  EXPECT_EQ(overs.size(), asked);
  EXPECT_EQ(ends.size(), 1u);
  // Without a drag Escape is the control's again.
  backend->PressKey(VK_ESCAPE);
  EXPECT_EQ(editKeys, 1);
  EXPECT_FALSE(CancelDrag());
}

}  // namespace
