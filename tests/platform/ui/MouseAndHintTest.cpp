#include <gtest/gtest.h>

#include "UiFixture.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Picture.h"
#include "platform/ui/Input.h"
#include "platform/ui/WindowManager.h"

namespace {

TEST_F(UiTest, MouseMessagesArriveInOrderAndAClickFollowsTheRelease) {
  TDemoForm& f = ShowDemo();
  std::vector<std::string> log;
  f.StopButton->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
    log.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  f.StopButton->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
  f.StopButton->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
    log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  };
  f.StopButton->OnClick = [&](TObject*) { log.push_back("click"); };
  backend->Click(*f.StopButton, 7, 9);
  EXPECT_EQ(log, (std::vector<std::string>{"move 7,9", "down 0 7,9", "click", "up"}));
}

TEST_F(UiTest, ReleaseOutsideAfterAPressIsCapturedAndMakesNoClick) {
  TDemoForm& f = ShowDemo();
  int clicks = 0, ups = 0;
  TPoint upAt;
  f.StopButton->OnClick = [&](TObject*) { ++clicks; };
  f.StopButton->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    ++ups;
    upAt = Point(x, y);
  };
  backend->PressMouse(*f.StopButton, 5, 5);
  EXPECT_TRUE(f.StopButton->MouseCapture());
  backend->MoveMouse(f, 10, 10);  // far away, over the form
  backend->ReleaseMouse(f, 10, 10);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(upAt, Point(10 - 190, 10 - 250));  // in the button's coordinates
  EXPECT_FALSE(f.StopButton->MouseCapture());
}

TEST_F(UiTest, SecondPressSoonAndNearIsADoubleClick) {
  TDemoForm& f = ShowDemo();
  int doubles = 0;
  std::vector<bool> doubleFlags;
  f.Edit2->OnDblClick = [&](TObject*) { ++doubles; };
  f.Edit2->OnMouseDown = [&](TObject*, TMouseButton, TShiftState s, int, int) {
    doubleFlags.push_back(s.Contains(ssDouble));
  };
  backend->DoubleClick(*f.Edit2, 5, 5);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(doubleFlags, (std::vector<bool>{false, true}));
  backend->Click(*f.Edit2, 5, 5);  // a third press starts over
  EXPECT_EQ(doubles, 1);
  backend->Advance(1000);
  backend->Click(*f.Edit2, 5, 5);
  backend->Advance(501);
  backend->Click(*f.Edit2, 5, 5);
  EXPECT_EQ(doubles, 1);
  backend->Click(*f.Edit2, 9, 5);  // too far from the last press
  EXPECT_EQ(doubles, 1);
}

TEST_F(UiTest, WheelGoesToTheControlAndUnclaimedTurnsReachTheParent) {
  TDemoForm& f = ShowDemo();
  int delta = 0;
  f.Edit1->OnMouseWheel = [&](TObject*, TShiftState s, int d, TPoint pos, bool& handled) {
    delta += d;
    handled = s.Contains(ssCtrl);
    EXPECT_EQ(pos, f.Edit1->ClientToScreen(Point(3, 4)));  // screen coordinates
  };
  int formDelta = 0;
  f.OnMouseWheel = [&](TObject*, TShiftState, int d, TPoint, bool& handled) {
    formDelta += d;
    handled = true;
  };
  backend->Wheel(*f.Edit1, -1, 3, 4);
  EXPECT_EQ(delta, -120);
  EXPECT_EQ(formDelta, -120);
  backend->KeyDown(VK_CONTROL);
  backend->Wheel(*f.Edit1, 2, 3, 4);
  backend->KeyUp(VK_CONTROL);
  EXPECT_EQ(delta, 120);
  EXPECT_EQ(formDelta, -120);
  EXPECT_EQ(ui::input::WheelScrollLines(), 3u);
}

TEST_F(UiTest, GraphicControlsGetTheMouseThroughTheirParent) {
  TDemoForm& f = ShowDemo();
  std::vector<std::string> log;
  f.Swatch->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  };
  f.Swatch->OnClick = [&](TObject*) { log.push_back("click"); };
  f.Swatch->OnMouseEnter = [&](TObject*) { log.push_back("enter"); };
  f.Swatch->OnMouseLeave = [&](TObject*) { log.push_back("leave"); };
  backend->Click(*f.Swatch, 4, 6);
  backend->MoveMouse(f, 5, 150);
  EXPECT_EQ(log, (std::vector<std::string>{"enter", "down 4,6", "click", "leave"}));
}

TEST_F(UiTest, DisabledControlsGetNoMouseInput) {
  TDemoForm& f = ShowDemo();
  int clicks = 0;
  f.StopButton->OnClick = [&](TObject*) { ++clicks; };
  f.StopButton->SetEnabled(false);
  backend->Click(*f.StopButton, 5, 5);
  EXPECT_EQ(clicks, 0);
}

TEST_F(UiTest, HintShowsAfterThePauseWithItsShortPartAndHides) {
  TDemoForm& f = ShowDemo();
  f.StopButton->SetHint("Διακοπή|Σταματά την αναζήτηση"_a);
  f.StopButton->SetShowHint(true);
  std::vector<AnsiString> longHints;
  Application->OnHint = [&](TObject*) { longHints.push_back(Application->Hint()); };
  Application->HintPause = 500;
  Application->HintHidePause = 8000;
  backend->MoveMouse(*f.StopButton, 5, 5);
  ASSERT_EQ(longHints.size(), 1u);
  EXPECT_EQ(longHints[0], "Σταματά την αναζήτηση"_a);
  backend->Advance(499);
  EXPECT_TRUE(Application->HintWindow() == nullptr || !Application->HintWindow()->Visible());
  backend->Advance(1);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_TRUE(Application->HintWindow()->Visible());
  EXPECT_EQ(Application->HintWindow()->Caption(), "Διακοπή"_a);
  const TPoint cursor = f.StopButton->ClientToScreen(Point(5, 5));
  EXPECT_EQ(Application->HintWindow()->Left(), cursor.X);
  EXPECT_GT(Application->HintWindow()->Top(), cursor.Y);
  backend->Advance(7999);
  EXPECT_TRUE(Application->HintWindow()->Visible());
  backend->Advance(1);
  EXPECT_FALSE(Application->HintWindow()->Visible());
  Application->OnHint = nullptr;
}

TEST_F(UiTest, HintShowHandlerChangesTextPositionAndColourOrVetoes) {
  TDemoForm& f = ShowDemo();
  class Cells : public TDemoEdit {
   public:
    using TDemoEdit::TDemoEdit;
    bool veto = false;
    void Dispatch(TMessage& m) override {
      if (m.Msg == CM_HINTSHOW) {
        auto* info = reinterpret_cast<THintInfo*>(m.LParam);
        info->HintStr = "cell " + std::to_string(info->CursorPos.X / 10);
        info->HintColor = clYellow;
        info->HintPos = ClientToScreen(Point(0, Height() + 6));
        m.Result = veto ? 1 : 0;
        return;
      }
      TDemoEdit::Dispatch(m);
    }
  };
  auto* grid = new Cells(&f);
  grid->SetBounds(10, 100, 200, 20);
  grid->SetParent(&f);
  grid->SetShowHint(true);  // no Hint text: the handler supplies it
  backend->MoveMouse(*grid, 25, 5);
  backend->Advance(Application->HintPause);
  THintWindow* hint = Application->HintWindow();
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(hint->Visible());
  EXPECT_EQ(hint->Caption(), "cell 2");
  EXPECT_EQ(hint->Color(), clYellow);
  EXPECT_EQ(Point(hint->Left(), hint->Top()), grid->ClientToScreen(Point(0, 26)));
  // The grid's way to give each cell its own hint: cancel, and the next
  // move starts over.
  Application->CancelHint();
  EXPECT_FALSE(hint->Visible());
  backend->MoveMouse(*grid, 55, 5);
  backend->Advance(Application->HintPause);
  EXPECT_EQ(hint->Caption(), "cell 5");
  Application->CancelHint();
  grid->veto = true;
  backend->MoveMouse(*grid, 75, 5);
  backend->Advance(Application->HintPause);
  EXPECT_FALSE(hint->Visible());
}

TEST_F(UiTest, PressingAButtonHidesTheHint) {
  TDemoForm& f = ShowDemo();
  f.StopButton->SetHint("Stop");
  f.StopButton->SetShowHint(true);
  backend->MoveMouse(*f.StopButton, 5, 5);
  backend->Advance(Application->HintPause);
  ASSERT_TRUE(Application->HintWindow()->Visible());
  backend->PressMouse(*f.StopButton, 5, 5);
  EXPECT_FALSE(Application->HintWindow()->Visible());
  backend->ReleaseMouse(*f.StopButton, 5, 5);
}

TEST_F(UiTest, HintOffTheRightEdgeMovesBackOnScreen) {
  auto* hint = new THintWindow(nullptr);
  hint->ActivateHint(Rect(backend->ScreenW - 100, 10, backend->ScreenW + 200, 30), "wide");
  EXPECT_EQ(hint->Left() + hint->Width(), backend->ScreenW);
  EXPECT_EQ(hint->Width(), 300);
  delete hint;
}

TEST_F(UiTest, PopupClosesOnAPressElsewhereButNotOnItself) {
  TDemoForm& f = ShowDemo();
  auto* popup = new TPopupWindow(&f);
  int closed = 0, clicks = 0;
  popup->OnCloseUp = [&](TObject*) { ++closed; };
  popup->OnClick = [&](TObject*) { ++clicks; };
  popup->Popup(Bounds(f.Left() + 10, f.Top() + 40, 150, 100));
  EXPECT_TRUE(popup->Visible());
  EXPECT_EQ(Screen->ActiveForm(), &f);  // the form keeps the focus
  EXPECT_TRUE(f.Edit1->Focused());
  backend->Click(*popup, 20, 20);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(popup->Visible());
  backend->Click(*f.StopButton, 5, 5);
  EXPECT_FALSE(popup->Visible());
  EXPECT_EQ(closed, 1);
}

TEST_F(UiTest, CursorFollowsTheControlUnderTheMouseAndTheScreen) {
  TDemoForm& f = ShowDemo();
  f.Edit2->SetCursor(crIBeam);
  backend->MoveMouse(*f.Edit2, 3, 3);
  EXPECT_EQ(backend->Cursor, crIBeam);
  backend->MoveMouse(f, 300, 150);
  EXPECT_EQ(backend->Cursor, crArrow);
  Screen->SetCursor(crHourGlass);
  backend->MoveMouse(*f.Edit2, 3, 3);
  EXPECT_EQ(backend->Cursor, crHourGlass);
  Screen->SetCursor(crDefault);
  EXPECT_EQ(backend->Cursor, crIBeam);
  Screen->RegisterCursor(8011, "column select");
  f.Edit2->SetCursor(8011);
  EXPECT_EQ(backend->Cursor, 8011);
  f.Edit2->SetCursor(8999);  // none of ours: the arrow
  EXPECT_EQ(backend->Cursor, crArrow);
  RegisterCursorResource("8999", 32, 32, Point(0, 0), [](TBitmap&) {});  // drawn by the program
  f.Edit2->SetCursor(crDefault);
  f.Edit2->SetCursor(8999);
  EXPECT_EQ(backend->Cursor, 8999);
}

TEST_F(UiTest, AlignAndAnchorsFollowTheParentsSize) {
  TDemoForm& f = ShowDemo();
  auto* top = f.Add<TDemoEdit>("Top", 0, 0, 10, 30);
  top->SetAlign(alTop);
  auto* rest = f.Add<TDemoEdit>("Rest", 0, 0, 10, 10);
  rest->SetAlign(alClient);
  auto* corner = f.Add<TDemoEdit>("Corner", 300, 200, 50, 20);
  corner->Anchors = {akRight, akBottom};
  auto* wide = f.Add<TDemoEdit>("Wide", 10, 100, 380, 20);
  wide->Anchors = {akLeft, akTop, akRight};
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 400, 30));
  EXPECT_EQ(rest->BoundsRect(), Rect(0, 30, 400, 300));
  int resized = 0;
  f.OnResize = [&](TObject*) { ++resized; };
  backend->ResizeWindow(f, 500, 350);
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 500, 30));
  EXPECT_EQ(rest->BoundsRect(), Rect(0, 30, 500, 350));
  EXPECT_EQ(corner->BoundsRect(), Rect(400, 250, 450, 270));
  EXPECT_EQ(wide->BoundsRect(), Rect(10, 100, 490, 120));
}

TEST_F(UiTest, ParentFontAndColourReachChildrenThatFollowThem) {
  TDemoForm& f = ShowDemo();
  EventLog log;
  TDemoEdit* w = f.Edit2;
  w->Log = &log;
  TFont big = f.Font();
  big.SetSize(12);
  f.SetFont(big);
  EXPECT_EQ(w->Font().Size(), 12);
  EXPECT_EQ(log.Count("Edit2.CM_FONTCHANGED"), 1);
  TFont own = w->Font();
  own.Name = "Courier New";
  w->SetFont(own);
  big.SetSize(14);
  f.SetFont(big);
  EXPECT_EQ(w->Font().Size(), 12);  // it has its own font now
  EXPECT_EQ(w->Font().Name, "Courier New");
}

TEST_F(UiTest, ShortAndLongHintParts) {
  EXPECT_EQ(GetShortHint("Άνοιγμα|Ανοίγει αρχείο"_a), "Άνοιγμα"_a);
  EXPECT_EQ(GetLongHint("Άνοιγμα|Ανοίγει αρχείο"_a), "Ανοίγει αρχείο"_a);
  EXPECT_EQ(GetShortHint("Επιλογή|"_a), "Επιλογή"_a);
  EXPECT_EQ(GetLongHint("Επιλογή|"_a), "");
  EXPECT_EQ(GetShortHint("plain"), "plain");
  EXPECT_EQ(GetLongHint("plain"), "plain");
}

}  // namespace

namespace {

TEST_F(UiTest, DroppedFilesReachTheNearestWindowThatAcceptsThem) {
  TDemoForm& f = ShowDemo();
  std::vector<AnsiString> names;
  TPoint point;
  class Target : public TDemoEdit {
   public:
    using TDemoEdit::TDemoEdit;
    std::function<void(HDROP)> onDrop;
    void Dispatch(TMessage& m) override {
      if (m.Msg == WM_DROPFILES) {
        onDrop(reinterpret_cast<HDROP>(m.WParam));
        return;
      }
      TDemoEdit::Dispatch(m);
    }
  };
  auto* panel = new Target(&f);
  panel->SetBounds(10, 100, 200, 100);
  panel->SetParent(&f);
  auto* child = new TDemoEdit(&f);
  child->SetBounds(10, 10, 50, 20);
  child->SetParent(panel);
  panel->onDrop = [&](HDROP drop) {
    const UINT count = DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      char buffer[260];
      DragQueryFile(drop, i, buffer, sizeof buffer);
      names.push_back(buffer);
    }
    DragQueryPoint(drop, &point);
    DragFinish(drop);
    EXPECT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 0u);  // gone
  };
  const std::vector<AnsiString> files = {"/tmp/Προϋπολογισμός.pry"_a, "/tmp/a.ddn"};
  backend->DropFiles(*child, 5, 5, files);
  EXPECT_TRUE(names.empty());  // nobody accepts files yet
  DragAcceptFiles(panel->Handle(), 1);
  backend->DropFiles(*child, 5, 5, files);
  EXPECT_EQ(names, files);
  EXPECT_EQ(point, Point(15, 15));  // in the receiving window
}

TEST_F(UiTest, UserActivatesAnotherFormUnlessAModalOneIsUp) {
  TDemoForm& a = ShowDemo();
  std::unique_ptr<TDemoForm> b(NewForm<TDemoForm>(nullptr));
  b->SetBounds(500, 400, 300, 200);
  b->Show();
  EXPECT_EQ(Screen->ActiveForm(), b.get());
  backend->ActivateWindow(a);
  EXPECT_EQ(Screen->ActiveForm(), &a);
  EXPECT_TRUE(a.Edit1->Focused());
  backend->ExpectModal("", [&](TCustomForm& modal) {
    backend->ActivateWindow(a);
    EXPECT_EQ(Screen->ActiveForm(), &modal);
    modal.SetModalResult(mrOk);
  });
  std::unique_ptr<TDemoForm> dialog(NewForm<TDemoForm>(nullptr));
  EXPECT_EQ(dialog->ShowModal(), mrOk);
}

}  // namespace
