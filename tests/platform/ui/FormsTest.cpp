#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>
#include <utility>

#include "UiFixture.h"
#include "platform/ui/Input.h"
#include "platform/ui/WindowManager.h"

namespace {

TEST_F(UiTest, ShowGivesTheFocusToTheFirstTabStop) {
  TDemoForm& f = ShowDemo();
  EXPECT_TRUE(f.Active());
  EXPECT_EQ(Screen->ActiveForm(), &f);
  EXPECT_EQ(f.ActiveControl(), f.Edit1);
  EXPECT_TRUE(f.Edit1->Focused());
}

TEST_F(UiTest, TabWalksTheTabOrderSkippingWhatCannotTakeTheFocus) {
  TDemoForm& f = ShowDemo();
  f.CancelButton->SetEnabled(false);
  std::vector<TWinControl*> seen;
  for (int i = 0; i < 4; ++i) {
    backend->PressKey(VK_TAB);
    seen.push_back(f.ActiveControl());
  }
  EXPECT_EQ(seen, (std::vector<TWinControl*>{f.Edit2, f.OkButton, f.StopButton, f.Edit1}));
  backend->PressKey(VK_TAB, {ssShift});
  EXPECT_EQ(f.ActiveControl(), f.StopButton);
  f.Edit2->SetTabOrder(0);
  f.Edit1->SetFocus();
  backend->PressKey(VK_TAB, {ssShift});
  EXPECT_EQ(f.ActiveControl(), f.Edit2);
  f.OkButton->SetTabStop(false);
  f.Edit1->SetFocus();
  backend->PressKey(VK_TAB);
  EXPECT_EQ(f.ActiveControl(), f.StopButton);
}

TEST_F(UiTest, FocusChangeRunsExitThenEnterAroundTheWindowMessages) {
  TDemoForm& f = ShowDemo();
  EventLog log;
  f.Edit1->Log = &log;
  f.Edit2->Log = &log;
  f.Edit2->SetFocus();
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Edit1.WM_KILLFOCUS", "Edit1.OnExit", "Edit2.OnEnter",
                                                 "Edit2.WM_SETFOCUS"}));
}

TEST_F(UiTest, ScreenHearsOfEachChangeOfTheActiveControlBeforeTheExits) {
  TDemoForm& f = ShowDemo();
  EventLog log;
  f.Edit1->Log = &log;
  std::vector<TWinControl*> seen;
  Screen->OnActiveControlChange = [&](TObject*) {
    seen.push_back(Screen->ActiveControl());
    log.lines.push_back("change");
  };
  f.Edit2->SetFocus();
  f.Edit2->SetFocus();  // no change, no event
  f.Edit1->SetFocus();
  Screen->OnActiveControlChange = nullptr;
  EXPECT_EQ(seen, (std::vector<TWinControl*>{f.Edit2, f.Edit1}));
  // The exit handler already finds the new control in place.
  const auto change = std::find(log.lines.begin(), log.lines.end(), "change");
  const auto exit = std::find(log.lines.begin(), log.lines.end(), "Edit1.OnExit");
  ASSERT_NE(exit, log.lines.end());
  EXPECT_LT(change, exit);
}

TEST_F(UiTest, ExitHandlerThatTakesTheFocusBackWins) {
  TDemoForm& f = ShowDemo();
  f.Edit1->OnExit = [&](TObject*) { f.Edit1->SetFocus(); };
  f.Edit2->SetFocus();
  EXPECT_EQ(f.ActiveControl(), f.Edit1);
  EXPECT_TRUE(f.Edit1->Focused());
}

TEST_F(UiTest, FocusOnAHiddenOrDisabledControlIsRefused) {
  TDemoForm& f = ShowDemo();
  f.Edit2->SetVisible(false);
  EXPECT_THROW(f.Edit2->SetFocus(), EInvalidOperation);
  f.Edit2->SetVisible(true);
  f.Edit2->SetEnabled(false);
  EXPECT_FALSE(f.Edit2->CanFocus());
}

TEST_F(UiTest, HidingTheFocusedControlLeavesTheFocusWithTheForm) {
  TDemoForm& f = ShowDemo();
  f.Edit1->SetVisible(false);
  EXPECT_EQ(f.ActiveControl(), nullptr);
  EXPECT_EQ(GetFocus(), f.Handle());
  backend->Type("x");  // goes nowhere, breaks nothing
  EXPECT_EQ(f.Edit1->Text(), "");
}

TEST_F(UiTest, TypedCharactersReachTheFocusedControlGreekIncluded) {
  TDemoForm& f = ShowDemo();
  backend->Type("Ab1 " + "Δήμος"_a);
  EXPECT_EQ(f.Edit1->Text(), "Ab1 " + "Δήμος"_a);
  backend->PressKey(VK_BACK);
  EXPECT_EQ(f.Edit1->Text(), "Ab1 " + "Δήμο"_a);
}

TEST_F(UiTest, KeyPreviewLetsTheFormSeeAndEatKeysFirst) {
  TDemoForm& f = ShowDemo();
  std::vector<std::string> order;
  f.KeyPreview = true;
  f.OnKeyDown = [&](TObject*, Word& key, TShiftState) {
    order.push_back("form");
    if (key == VK_F2) key = 0;
  };
  f.Edit1->OnKeyDown = [&](TObject*, Word&, TShiftState) { order.push_back("edit"); };
  f.OnKeyPress = [&](TObject*, char& ch) {
    if (ch == 'z') ch = 0;
  };
  backend->PressKey(VK_F3);
  backend->PressKey(VK_F2);
  EXPECT_EQ(order, (std::vector<std::string>{"form", "edit", "form"}));
  backend->Type("yz");
  EXPECT_EQ(f.Edit1->Text(), "y");
}

TEST_F(UiTest, ModifiersAndTheKeypadAreSeenAsTheyWere) {
  TDemoForm& f = ShowDemo();
  std::vector<std::pair<Word, bool>> keys;
  bool ctrlSeen = false;
  f.Edit1->OnKeyDown = [&](TObject*, Word& key, TShiftState shift) {
    keys.emplace_back(key, shift.Contains(ssCtrl));
    if (key == 'C') ctrlSeen = GetKeyState(VK_CONTROL) < 0;
  };
  backend->PressKey(VK_DECIMAL);
  backend->PressKey(VK_OEM_PERIOD);
  backend->PressKey('C', {ssCtrl});
  ASSERT_EQ(keys.size(), 4u);  // the Ctrl key itself comes first
  EXPECT_EQ(keys[0], std::make_pair(VK_DECIMAL, false));
  EXPECT_EQ(keys[0].first, 110);
  EXPECT_EQ(keys[1], std::make_pair(VK_OEM_PERIOD, false));
  EXPECT_EQ(keys[3], std::make_pair(Word{'C'}, true));
  EXPECT_TRUE(ctrlSeen);
}

TEST_F(UiTest, AcceleratorsFireOnlyWhereTheControlDoesNotTakeCharacters) {
  TDemoForm& f = ShowDemo();
  backend->Type("s");  // the edit takes it
  EXPECT_FALSE(f.StopRequested);
  EXPECT_EQ(f.Edit1->Text(), "s");
  backend->PressKey('S', {ssAlt});
  EXPECT_TRUE(f.StopRequested);
  // A control that clears the character keeps the later ones from seeing it.
  f.StopRequested = false;
  f.OkButton->SetFocus();
  f.Edit1->OnKeyPress = nullptr;
  class Eater : public TDemoEdit {
   public:
    using TDemoEdit::TDemoEdit;
    void Dispatch(TMessage& m) override {
      if (m.Msg == CM_DIALOGCHAR) {
        m.WParam = 0;
        return;
      }
      TDemoEdit::Dispatch(m);
    }
  };
  auto* eater = new Eater(&f);
  eater->SetParent(&f);
  eater->SendToBack();
  backend->Type("s");
  EXPECT_FALSE(f.StopRequested);
}

TEST_F(UiTest, ShowModalReturnsTheResultOfTheButtonTheScriptPresses) {
  auto* dialog = NewForm<TDemoForm>(nullptr);
  dialog->SetCaption("Ρυθμίσεις"_a);
  backend->ExpectModal("Ρυθμίσεις"_a, [&](TCustomForm& shown) {
    EXPECT_TRUE(shown.Visible());
    backend->Type("42");
    backend->Click(*dialog->OkButton, 5, 5);
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_FALSE(dialog->Visible());
  EXPECT_EQ(dialog->Edit1->Text(), "42");
  backend->ExpectModal("", [&](TCustomForm&) { backend->PressKey(VK_ESCAPE); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  backend->ExpectModal("", mrYes);
  EXPECT_EQ(dialog->ShowModal(), mrYes);
  delete dialog;
}

TEST_F(UiTest, ModalFormBlocksInputToTheFormsBelow) {
  TDemoForm& main = ShowDemo();
  auto* dialog = NewForm<TDemoForm>(nullptr);
  dialog->SetBounds(500, 500, 200, 200);
  int clicks = 0;
  main.StopButton->OnClick = [&](TObject*) { ++clicks; };
  backend->ExpectModal("", [&](TCustomForm& d) {
    backend->Click(*main.StopButton, 5, 5);
    d.SetModalResult(mrOk);
  });
  dialog->ShowModal();
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(backend->Beeps.size(), 1u);
  EXPECT_EQ(Screen->ActiveForm(), &main);  // the focus comes back
  backend->Click(*main.StopButton, 5, 5);
  EXPECT_EQ(clicks, 1);
  delete dialog;
}

// A window opened from a modal dialog (a preview started by one of its
// buttons) takes input beside the dialog whichever of the two a window
// manager puts on top; the windows the dialog shut off stay shut off, a
// dialog of the window shuts off both, and the one that was active before
// the dialog gets the keyboard back only when the dialog's window is gone.
TEST_F(UiTest, AWindowOpenedFromAModalDialogKeepsItsInputWhateverIsRaised) {
  TDemoForm& main = ShowDemo();
  auto* dialog = NewForm<TDemoForm>(nullptr);
  dialog->SetBounds(500, 500, 200, 200);
  auto* preview = NewForm<TDemoForm>(nullptr);
  preview->SetBounds(0, 0, 300, 300);
  auto* nested = NewForm<TDemoForm>(nullptr);
  nested->SetBounds(100, 100, 100, 100);
  int previewClicks = 0, mainClicks = 0;
  preview->StopButton->OnClick = [&](TObject*) { ++previewClicks; };
  main.StopButton->OnClick = [&](TObject*) { ++mainClicks; };
  backend->ExpectModal("", [&](TCustomForm& d) {
    preview->Show();
    EXPECT_EQ(Screen->ActiveForm(), preview);
    // The window manager focuses and raises the dialog over the preview.
    backend->ActivateWindow(d);
    EXPECT_EQ(Screen->ActiveForm(), &d);
    EXPECT_TRUE(ui::InputAllowed(preview));
    backend->Click(*preview->StopButton, 5, 5);
    EXPECT_EQ(previewClicks, 1);
    EXPECT_EQ(Screen->ActiveForm(), preview);  // the click activated it
    backend->ActivateWindow(main);             // shut off: nothing happens
    EXPECT_EQ(Screen->ActiveForm(), preview);
    backend->Click(*main.StopButton, 5, 5);
    EXPECT_EQ(mainClicks, 0);
    // A dialog of the preview shuts off the preview and the first dialog.
    backend->ExpectModal("", [&](TCustomForm& n) {
      n.SetModalResult(mrOk);
      EXPECT_FALSE(ui::InputAllowed(preview));
      EXPECT_FALSE(ui::InputAllowed(&d));
      backend->Click(*preview->StopButton, 5, 5);
      EXPECT_EQ(previewClicks, 1);
    });
    nested->ShowModal();
    EXPECT_TRUE(ui::InputAllowed(preview));
    backend->ActivateWindow(d);
    d.SetModalResult(mrOk);
  });
  dialog->ShowModal();
  EXPECT_EQ(ui::TopModal(), nullptr);
  // The dialog closed while its preview is open: the preview has the
  // keyboard, and the main window takes input again.
  EXPECT_EQ(Screen->ActiveForm(), preview);
  backend->Click(*main.StopButton, 5, 5);
  EXPECT_EQ(mainClicks, 1);
  EXPECT_EQ(Screen->ActiveForm(), &main);
  delete preview;
  delete nested;
  delete dialog;
}

TEST_F(UiTest, CloseQueryCanKeepAModalFormOpen) {
  auto* dialog = NewForm<TDemoForm>(nullptr);
  int asked = 0;
  dialog->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
  backend->ExpectModal("", [&](TCustomForm&) {
    backend->Click(*dialog->OkButton, 5, 5);  // refused
    EXPECT_EQ(dialog->ModalResult(), mrNone);
    EXPECT_TRUE(dialog->Visible());
    backend->Click(*dialog->CancelButton, 5, 5);
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
  delete dialog;
}

TEST_F(UiTest, UnscriptedModalFormIsReportedAndCancelled) {
  auto* dialog = NewForm<TDemoForm>(nullptr);
  dialog->SetCaption("Surprise");
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  ASSERT_EQ(backend->UnexpectedDialogs.size(), 1u);
  EXPECT_EQ(backend->UnexpectedDialogs[0], "Surprise");
  backend->UnexpectedDialogs.clear();
  // A script that leaves the form open does not hang the test either.
  backend->ExpectModal("", [](TCustomForm&) {});
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(backend->UnexpectedDialogs.size(), 1u);
  backend->UnexpectedDialogs.clear();
  delete dialog;
}

TEST_F(UiTest, ShowModalOfAShowingFormIsRefused) {
  TDemoForm& f = ShowDemo();
  EXPECT_THROW(f.ShowModal(), EInvalidOperation);
}

TEST_F(UiTest, ScriptedMessageBoxAnswerDecidesTheBranch) {
  TDemoForm& f = ShowDemo();
  std::string branch;
  f.OkButton->OnClick = [&](TObject*) {
    if (Application->MessageBox("Να αγνοηθούν οι αλλαγές;"_a, "", MB_YESNOCANCEL) == IDYES)
      branch = "discard";
    else
      branch = "keep";
  };
  backend->ExpectMessageBox("αγνοηθούν"_a, IDYES);
  backend->Click(*f.OkButton, 3, 3);
  EXPECT_EQ(branch, "discard");
  backend->ExpectMessageBox("αγνοηθούν"_a, IDCANCEL);
  backend->Click(*f.OkButton, 3, 3);
  EXPECT_EQ(branch, "keep");
}

TEST_F(UiTest, ProcessMessagesInsideALongHandlerLetsStopSetItsFlag) {
  TDemoForm& f = ShowDemo();
  int steps = 0;
  f.OkButton->ModalResult = mrNone;
  f.OkButton->OnClick = [&](TObject*) {
    f.StopRequested = false;
    for (steps = 0; steps < 1000 && !f.StopRequested; ++steps) {
      if (steps == 5) {
        // The user clicks Stop while the work runs.
        TPoint at = f.ScreenToClient(f.StopButton->ClientToScreen(Point(4, 4)));
        ui::input::MouseButton(&f, 0, true, at.X, at.Y);
        ui::input::MouseButton(&f, 0, false, at.X, at.Y);
      }
      Application->ProcessMessages();
    }
  };
  backend->Click(*f.OkButton, 3, 3);
  EXPECT_TRUE(f.StopRequested);
  EXPECT_EQ(steps, 6);
}

TEST_F(UiTest, TimerComponentFiresAsTheClockAdvances) {
  TDemoForm& f = ShowDemo();
  f.Ticker->SetEnabled(true);
  backend->Advance(1499);
  EXPECT_EQ(f.Ticks, 2);
  backend->Advance(1);
  EXPECT_EQ(f.Ticks, 3);
  f.Ticker->SetEnabled(false);
  backend->Advance(5000);
  EXPECT_EQ(f.Ticks, 3);
  f.Ticker->SetInterval(100);
  f.Ticker->SetEnabled(true);
  backend->Advance(250);
  EXPECT_EQ(f.Ticks, 5);
}

TEST_F(UiTest, CloseHidesAPlainFormAndFreesOneThatAsksForIt) {
  TDemoForm& f = ShowDemo();
  std::vector<std::string> order;
  f.OnCloseQuery = [&](TObject*, bool&) { order.push_back("query"); };
  f.OnClose = [&](TObject*, TCloseAction& a) { order.push_back(a == caHide ? "close caHide" : "close ?"); };
  f.OnHide = [&](TObject*) { order.push_back("hide"); };
  f.Close();
  EXPECT_EQ(order, (std::vector<std::string>{"query", "close caHide", "hide"}));
  EXPECT_FALSE(f.Visible());

  bool freed = false;
  auto* other = NewForm<TDemoForm>(nullptr);
  other->OnDestroy = [&](TObject*) { freed = true; };
  other->Show();
  other->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  other->Close();
  EXPECT_FALSE(freed);  // freed once the queued messages ran
  Application->ProcessMessages();
  EXPECT_TRUE(freed);

  f.Show();
  f.OnClose = [](TObject*, TCloseAction& a) { a = caNone; };
  f.Close();
  EXPECT_TRUE(f.Visible());
}

TEST_F(UiTest, AFormFreedWhileActiveLeavesTheKeyboardToTheFormBelow) {
  TDemoForm& main = ShowDemo();
  main.Edit2->SetFocus();
  auto* other = NewForm<TDemoForm>(nullptr);
  other->Show();
  ASSERT_EQ(Screen->ActiveForm(), other);
  other->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  other->Close();
  Application->ProcessMessages();
  EXPECT_EQ(Screen->ActiveForm(), &main);
  EXPECT_TRUE(main.Active());
  EXPECT_TRUE(main.Edit2->Focused());
  backend->Type("x");
  EXPECT_EQ(main.Edit2->Text(), "x");
}

TEST_F(UiTest, AControlFocusedByOnShowHasTheKeyboardOnceTheFormIsUp) {
  form.reset(NewForm<TDemoForm>(nullptr));
  bool visibleInOnShow = false;
  form->OnShow = [&](TObject*) {
    visibleInOnShow = form->Visible();
    if (form->Edit2->CanFocus()) form->Edit2->SetFocus();
  };
  form->Show();
  Application->ProcessMessages();
  EXPECT_TRUE(visibleInOnShow);
  EXPECT_TRUE(form->Edit2->Focused());
  EXPECT_EQ(form->ActiveControl(), form->Edit2);

  // A failing OnShow leaves the form hidden.
  auto* broken = NewForm<TDemoForm>(nullptr);
  broken->OnShow = [](TObject*) { throw Exception("no"); };
  EXPECT_THROW(broken->Show(), Exception);
  EXPECT_FALSE(broken->Visible());
  delete broken;
}

TEST_F(UiTest, ClosingTheMainFormEndsTheApplication) {
  TDemoForm* main = nullptr;
  Application->CreateForm(main);
  EXPECT_EQ(Application->MainForm(), main);
  main->OnShow = [&](TObject*) { PostMessage(main->Handle(), WM_CLOSE, 0, 0); };
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  delete main;
  EXPECT_EQ(Application->MainForm(), nullptr);
}

struct TCreating : TForm {
  static inline TCreating* slot = nullptr;
  explicit TCreating(TComponent* o) : TForm(o) {
    OnCreate = [this](TObject*) { seenSelf = slot == this; };
  }
  bool seenSelf = false;
};

TEST_F(UiTest, CreateFormAssignsTheVariableBeforeOnCreate) {
  Application->CreateForm(TCreating::slot);
  EXPECT_TRUE(TCreating::slot->seenSelf);
  delete TCreating::slot;
}

TEST_F(UiTest, EventExceptionsGoToTheErrorBoxAndTheLoopGoesOn) {
  TDemoForm& f = ShowDemo();
  Application->Title = "Dim";
  f.OkButton->OnClick = [](TObject*) { throw EConvertError("'abc' is not a valid floating point value"); };
  backend->ExpectMessageBox("'abc' is not a valid", IDOK);
  backend->Click(*f.OkButton, 3, 3);
  ASSERT_EQ(backend->ErrorBoxes.size(), 1u);
  EXPECT_EQ(backend->ErrorBoxes[0].Text, "'abc' is not a valid floating point value.");
  EXPECT_EQ(backend->ErrorBoxes[0].Caption, "Dim");
  f.OkButton->OnClick = [](TObject*) { throw EAbort(); };
  backend->Click(*f.OkButton, 3, 3);
  EXPECT_EQ(backend->ErrorBoxes.size(), 1u);
  std::string seen;
  Application->OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
  f.OkButton->OnClick = [](TObject*) { throw Exception("Λάθος"_a); };
  backend->Click(*f.OkButton, 3, 3);
  EXPECT_EQ(seen, "Λάθος");
  Application->OnException = nullptr;
}

// The system's own failures reach the user in words, never as a
// programmer's English ("std::bad_alloc").
TEST_F(UiTest, TheSystemsOwnFailuresAreToldInWords) {
  TDemoForm& f = ShowDemo();
  const std::pair<std::function<void()>, const char*> failures[] = {
      {[] { throw std::bad_alloc(); }, "Η μνήμη του υπολογιστή δεν φτάνει"},
      {[] { throw std::out_of_range("vector::_M_range_check"); }, "εσωτερικό σφάλμα"},
  };
  for (const auto& [failure, words] : failures) {
    f.OkButton->OnClick = [fail = failure](TObject*) { fail(); };
    backend->ExpectMessageBox("", IDOK);
    backend->Click(*f.OkButton, 3, 3);
    ASSERT_FALSE(backend->ErrorBoxes.empty());
    const AnsiString text = backend->ErrorBoxes.back().Text;
    EXPECT_NE(text.find(cp1253::FromUtf8(words)), AnsiString::npos) << cp1253::ToUtf8(text);
    EXPECT_EQ(text.find("std::"), AnsiString::npos);
    EXPECT_EQ(text.find("_M_"), AnsiString::npos);
  }
}

TEST_F(UiTest, OwnerFreesTheFormsControlsAndTimers) {
  auto* f = NewForm<TDemoForm>(nullptr);
  f->Ticker->SetEnabled(true);
  f->Show();
  EXPECT_EQ(ui::RunningTimerCount(), 1);
  delete f;
  EXPECT_EQ(ui::RunningTimerCount(), 0);
  EXPECT_TRUE(backend->Windows.empty());
  EXPECT_EQ(Screen->ActiveForm(), nullptr);
}

TEST_F(UiTest, RecreatedWindowGetsANewHandleAndTheOldOneIsDead) {
  TDemoForm& f = ShowDemo();
  EventLog log;
  TDemoEdit* w = f.Edit2;
  w->Log = &log;
  const HWND old = w->Handle();
  SetTimer(old, 5, 100, nullptr);
  w->RecreateWnd();
  EXPECT_EQ(log.Count("Edit2.WM_DESTROY"), 1);
  EXPECT_TRUE(w->HandleAllocated());
  EXPECT_NE(w->Handle(), old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(ui::RunningTimerCount(), 0);
}

TEST_F(UiTest, TextMessagesReadAndWriteTheCaption) {
  TDemoForm& f = ShowDemo();
  SendMessage(f.Edit1->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  EXPECT_EQ(f.Edit1->Text(), "abc");
  char buffer[3];
  EXPECT_EQ(SendMessage(f.Edit1->Handle(), WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 2);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(SendMessage(f.Edit1->Handle(), WM_GETTEXTLENGTH, 0, 0), 3);
}

TEST_F(UiTest, UserMessagesPostedToAControlArriveThroughItsWindowProcedure) {
  TDemoForm& f = ShowDemo();
  std::vector<WPARAM> progress;
  class Client : public TDemoEdit {
   public:
    using TDemoEdit::TDemoEdit;
    std::vector<WPARAM>* out = nullptr;
    void Dispatch(TMessage& m) override {
      if (m.Msg == WM_USER) {
        out->push_back(m.WParam);
        return;
      }
      TDemoEdit::Dispatch(m);
    }
  };
  auto* c = new Client(&f);
  c->out = &progress;
  c->SetParent(&f);
  for (WPARAM p : {5, 10, 15}) PostMessage(c->Handle(), WM_USER, p, 0);
  EXPECT_TRUE(progress.empty());
  Application->ProcessMessages();
  EXPECT_EQ(progress, (std::vector<WPARAM>{5, 10, 15}));
}

TEST_F(UiTest, ScreenCenterPlacesTheFormInTheMiddle) {
  auto* f = NewForm<TDemoForm>(nullptr);
  f->Position = poScreenCenter;
  f->Show();
  EXPECT_EQ(f->Left(), (backend->ScreenW - 400) / 2);
  EXPECT_EQ(f->Top(), (backend->ScreenH - 300) / 2);
  delete f;
}

TEST_F(UiTest, ACentredFormLargerThanTheScreenKeepsItsTopLeftOnIt) {
  auto* f = NewForm<TDemoForm>(nullptr);
  f->Position = poScreenCenter;
  f->SetBounds(0, 0, backend->ScreenW + 100, backend->ScreenH + 50);
  f->Show();
  EXPECT_EQ(f->Left(), 0);
  EXPECT_EQ(f->Top(), 0);
  EXPECT_EQ(f->Height(), backend->ScreenH + 50);
  delete f;
}

TEST_F(UiTest, AMaximisedFormCoversTheScreenWhateverItsPosition) {
  for (TPosition position : {poDesigned, poScreenCenter, poMainFormCenter}) {
    auto* f = NewForm<TDemoForm>(nullptr);
    f->Position = position;
    f->WindowState = wsMaximized;
    f->SetBounds(30, 40, 400, 300);
    f->Show();
    EXPECT_EQ(f->BoundsRect(), Rect(0, 0, backend->ScreenW, backend->ScreenH)) << position;
    delete f;
  }
}

TEST_F(UiTest, ActivationEventsFollowTheActiveForm) {
  TDemoForm& a = ShowDemo();
  std::vector<std::string> log;
  a.OnDeactivate = [&](TObject*) { log.push_back("a off"); };
  a.OnActivate = [&](TObject*) { log.push_back("a on"); };
  auto* b = NewForm<TDemoForm>(nullptr);
  b->OnActivate = [&](TObject*) { log.push_back("b on"); };
  b->Show();
  b->Hide();
  EXPECT_EQ(log, (std::vector<std::string>{"a off", "b on", "a on"}));
  delete b;
}

}  // namespace

namespace {

TEST_F(UiTest, ContainersHearEnterAndExitOfTheirChildren) {
  TDemoForm& f = ShowDemo();
  EventLog log;
  auto* group = f.Add<TDemoEdit>("Group", 10, 120, 200, 100);
  group->SetTabStop(false);
  auto* inner = new TDemoEdit(&f);
  inner->SetName("Inner");
  inner->SetBounds(5, 5, 50, 20);
  inner->SetParent(group);
  auto* inner2 = new TDemoEdit(&f);
  inner2->SetName("Inner2");
  inner2->SetBounds(5, 40, 50, 20);
  inner2->SetParent(group);
  for (TDemoEdit* e : {f.Edit1, group, inner, inner2}) e->Log = &log;
  inner->SetFocus();
  inner2->SetFocus();
  f.Edit1->SetFocus();
  std::vector<std::string> enterExit;
  for (const auto& line : log.lines)
    if (line.find("WM_") == std::string::npos) enterExit.push_back(line);
  EXPECT_EQ(enterExit,
            (std::vector<std::string>{"Edit1.OnExit", "Group.OnEnter", "Inner.OnEnter", "Inner.OnExit",
                                      "Inner2.OnEnter", "Inner2.OnExit", "Group.OnExit", "Edit1.OnEnter"}));
}

TEST_F(UiTest, AnchorsDoNotMoveControlsWhileTheFormIsBeingBuilt) {
  struct TBuilt : TForm {
    explicit TBuilt(TComponent* o) : TForm(o) {
      Edge = new TDemoEdit(this);
      Edge->SetBounds(300, 10, 50, 20);
      Edge->Anchors = {akTop, akRight};
      Edge->SetParent(this);
      SetBounds(0, 0, 600, 400);  // as a form description sets its size last
    }
    TDemoEdit* Edge;
  };
  std::unique_ptr<TBuilt> built(NewForm<TBuilt>(nullptr));
  EXPECT_EQ(built->Edge->Left(), 300);
  built->SetWidth(700);
  EXPECT_EQ(built->Edge->Left(), 400);
}

}  // namespace

namespace {

TEST_F(UiTest, StayOnTopFormsStayAboveTheOthers) {
  std::unique_ptr<TDemoForm> tools(NewForm<TDemoForm>(nullptr));
  tools->FormStyle = fsStayOnTop;
  tools->Show();
  TDemoForm& main = ShowDemo();
  const auto& order = ui::TopLevels();
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order.back(), tools.get());
  main.BringToFront();
  EXPECT_EQ(order.back(), tools.get());
}

TEST_F(UiTest, RunEndsWhenHeadlessInputRunsOut) {
  TDemoForm* main = nullptr;
  Application->CreateForm(main);
  int handled = 0;
  main->OnShow = [&](TObject*) { PostMessage(main->Handle(), WM_USER, 0, 0); };
  Application->OnMessage = [&](TMsg& msg, bool&) {
    if (msg.message == WM_USER) ++handled;
  };
  Application->Run();  // returns: nothing more can arrive
  EXPECT_EQ(handled, 1);
  EXPECT_FALSE(Application->Terminated());
  EXPECT_FALSE(Application->HandleMessage());
  Application->OnMessage = nullptr;
  delete main;
}

}  // namespace

namespace {

TEST_F(UiTest, HandlersMayUnassignTheirOwnEvent) {
  TDemoForm& f = ShowDemo();
  int idles = 0, clicks = 0, ticks = 0;
  std::string tag = "kept";
  Application->OnIdle = [&idles, tag](TObject*, bool&) {
    Application->OnIdle = nullptr;  // the running handler stays whole
    idles += tag == "kept" ? 1 : 100;
  };
  EXPECT_FALSE(Application->HandleMessage());
  EXPECT_EQ(idles, 1);
  f.StopButton->OnClick = [&clicks, &f, tag](TObject*) {
    f.StopButton->OnClick = nullptr;
    clicks += tag == "kept" ? 1 : 100;
  };
  backend->Click(*f.StopButton, 3, 3);
  backend->Click(*f.StopButton, 3, 3);
  EXPECT_EQ(clicks, 1);
  f.Ticker->SetEnabled(true);
  f.Ticker->OnTimer = [&ticks, &f, tag](TObject*) {
    f.Ticker->OnTimer = nullptr;
    ticks += tag == "kept" ? 1 : 100;
  };
  backend->Advance(2000);
  EXPECT_EQ(ticks, 1);
}

TEST_F(UiTest, FormWithAParentLivesInsideItAsAChild) {
  TDemoForm& host = ShowDemo();
  const std::size_t windows = backend->Windows.size();
  auto* inner = NewForm<TForm>(&host);
  inner->SetParent(&host);
  inner->SetBounds(0, 0, 100, 80);
  auto* edit = new TEdit(inner);
  edit->SetParent(inner);
  edit->SetBounds(4, 4, 60, 21);
  int shown = 0;
  inner->OnShow = [&](TObject*) { ++shown; };
  inner->Show();
  Application->ProcessMessages();
  // No window of its own, and the host stays the active form.
  EXPECT_EQ(backend->Windows.size(), windows);
  EXPECT_FALSE(ui::IsShownTopLevel(inner));
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(inner->Showing());
  EXPECT_EQ(Screen->ActiveForm(), &host);
  edit->SetFocus();
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(host.ActiveControl(), edit);
  inner->Hide();
  EXPECT_FALSE(inner->Showing());
  EXPECT_TRUE(host.Visible());
  inner->Show();
  Application->ProcessMessages();
  delete inner;
  // The area it covered is painted again.
  ASSERT_NE(ui::SurfaceOf(&host), nullptr);
  const auto& dirty = ui::SurfaceOf(&host)->Dirty;
  EXPECT_TRUE(std::any_of(dirty.begin(), dirty.end(), [](const TRect& r) {
    return r.Left <= 0 && r.Top <= 0 && r.Right >= 100 && r.Bottom >= 80;
  }));
  EXPECT_EQ(backend->Windows.size(), windows);
}

}  // namespace
