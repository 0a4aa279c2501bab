#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/StdCtrls.h"

namespace {

class ComboBoxTest : public ControlsTest {
 protected:
  TComboBox* MakeCombo(TComboBoxStyle style, int lines = 12) {
    before = Add<TButton>(10, 10, 75, 25);
    combo = Add<TComboBox>(10, 50, 150, 21);
    combo->SetStyle(style);
    for (int i = 0; i < lines; ++i) combo->Items()->Add("Επιλογή "_a + IntToStr(i));
    combo->OnChange = [this](TObject*) { events.push_back("change"); };
    combo->OnSelect = [this](TObject*) { events.push_back("select"); };
    combo->OnDropDown = [this](TObject*) { events.push_back("drop"); };
    combo->OnCloseUp = [this](TObject*) { events.push_back("close"); };
    ok = Add<TButton>(200, 10, 75, 25);
    ok->SetDefault(true);
    ok->OnClick = [this](TObject*) { events.push_back("ok"); };
    ShowForm();
    combo->SetFocus();
    return combo;
  }
  TButton* before = nullptr;
  TButton* ok = nullptr;
  TComboBox* combo = nullptr;
  std::vector<std::string> events;
};

TEST_F(ComboBoxTest, ListStyleStepsWithArrowsWhileClosed) {
  MakeCombo(csDropDownList);
  ASSERT_TRUE(combo->Focused());
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(combo->ItemIndex(), 0);
  backend->PressKey(VK_DOWN);
  backend->PressKey(VK_END);
  EXPECT_EQ(combo->ItemIndex(), 11);
  EXPECT_EQ(combo->Text(), "Επιλογή 11"_a);
  backend->PressKey(VK_DOWN);  // stays at the last
  backend->PressKey(VK_HOME);
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(events, (std::vector<std::string>{"change", "select", "change", "select", "change", "select",
                                              "change", "select"}));
  combo->SetItemIndex(3);  // in code: no event
  EXPECT_EQ(events.size(), 8u);
}

TEST_F(ComboBoxTest, KeyboardDropsTheListChoosesWithEnterAndEscapeKeepsTheOld) {
  MakeCombo(csDropDownList);
  combo->SetItemIndex(2);
  backend->PressKey(VK_DOWN, {ssAlt});
  ASSERT_TRUE(combo->DroppedDown());
  ASSERT_NE(combo->ListWindow(), nullptr);
  EXPECT_EQ(combo->ListWindow()->Highlighted(), 2);
  backend->PressKey(VK_DOWN);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(combo->ItemIndex(), 2);  // only the highlight moves
  backend->PressKey(VK_RETURN);      // the list's, not the default button's
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 4);
  EXPECT_EQ(events, (std::vector<std::string>{"drop", "close", "change", "select"}));
  events.clear();
  backend->PressKey(VK_F4);
  backend->PressKey(VK_UP);
  backend->PressKey(VK_ESCAPE);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 4);
  EXPECT_EQ(events, (std::vector<std::string>{"drop", "close"}));
  backend->PressKey(VK_RETURN);  // closed: the default button's again
  EXPECT_EQ(events.back(), "ok");
}

// Whoever hears of the close-up reads the box: the line chosen from the
// list is already there, by keys and by the mouse, in both styles; the
// choice is told after the close-up.
TEST_F(ComboBoxTest, TheCloseUpFindsTheLineChosenAlreadyInTheBox) {
  struct Case {
    const char* what;
    TComboBoxStyle style;
    bool byMouse;
  };
  for (const Case& k : {Case{"list, keys", csDropDownList, false}, Case{"list, mouse", csDropDownList, true},
                        Case{"edit, keys", csDropDown, false}, Case{"edit, mouse", csDropDown, true}}) {
    SCOPED_TRACE(k.what);
    events.clear();
    MakeCombo(k.style);
    combo->SetItemIndex(2);
    combo->OnCloseUp = [this](TObject*) {
      events.push_back("close " + std::to_string(combo->ItemIndex()) + " " + combo->Text().c_str());
    };
    backend->PressKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(combo->DroppedDown());
    if (k.byMouse) {
      TComboListWindow* list = combo->ListWindow();
      backend->Click(*list, 20, list->ItemRect(4).Top + 2);
    } else {
      backend->PressKey(VK_DOWN);
      backend->PressKey(VK_DOWN);
      backend->PressKey(VK_RETURN);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"drop", "close 4 " + std::string("Επιλογή 4"_a.c_str()),
                                                "change", "select"}));
    if (k.style == csDropDown) {
      EXPECT_EQ(combo->EditControl()->Text(), "Επιλογή 4"_a);
    }
    // Escape and a press elsewhere close it on the line it had.
    for (bool escape : {true, false}) {
      SCOPED_TRACE(escape ? "escape" : "a press elsewhere");
      events.clear();
      backend->PressKey(VK_F4);
      backend->PressKey(VK_UP);
      if (escape)
        backend->PressKey(VK_ESCAPE);
      else
        backend->Click(*Form, 300, 300);
      EXPECT_EQ(events, (std::vector<std::string>{"drop", "close 4 " + std::string("Επιλογή 4"_a.c_str())}));
      if (!combo->Focused()) combo->SetFocus();
    }
    Form.reset(NewForm<TForm>(nullptr));
    Form->SetBounds(50, 40, 480, 360);
    Application->ProcessMessages();
  }
}

// The edit is part of the box: the mouse over it is over the box.
TEST_F(ComboBoxTest, TheMouseOverTheEditPartIsOverTheBox) {
  MakeCombo(csDropDown);
  combo->OnMouseEnter = [this](TObject*) { events.push_back("enter"); };
  combo->OnMouseLeave = [this](TObject*) { events.push_back("leave"); };
  backend->MoveMouse(*Form, 300, 300);
  events.clear();
  const TPoint inEdit = combo->ScreenToClient(combo->EditControl()->ClientToScreen(Point(5, 5)));
  backend->MoveMouse(*combo, inEdit.X, inEdit.Y);
  EXPECT_EQ(events, std::vector<std::string>{"enter"});
  backend->MoveMouse(*Form, 300, 300);
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));
}

TEST_F(ComboBoxTest, TypingALetterFindsTheNextLine) {
  MakeCombo(csDropDownList, 0);
  for (const char* s : {"Άλφα", "Βήτα", "Βάση", "Γάμμα"}) combo->Items()->Add(cp1253::FromUtf8(s));
  backend->Type("β"_a);
  EXPECT_EQ(combo->ItemIndex(), 1);
  backend->Type("β"_a);
  EXPECT_EQ(combo->ItemIndex(), 2);
  backend->Type("γ"_a);
  EXPECT_EQ(combo->Text(), "Γάμμα"_a);
}

TEST_F(ComboBoxTest, MouseDropsTheListAndChoosesALine) {
  MakeCombo(csDropDownList);
  combo->DropDownCount = 5;
  backend->Click(*combo, 20, 10);
  ASSERT_TRUE(combo->DroppedDown());
  TComboListWindow* list = combo->ListWindow();
  EXPECT_EQ(list->Height(), 5 * combo->ItemHeight() + 2);
  EXPECT_EQ(list->Width(), combo->Width());
  EXPECT_EQ(list->Top(), combo->ClientToScreen(Point(0, combo->Height())).Y);
  const TRect third = list->ItemRect(2);
  backend->MoveMouse(*list, 20, third.Top + 2);
  EXPECT_EQ(list->Highlighted(), 2);
  backend->Wheel(*list, -1, 20, third.Top + 2);
  EXPECT_EQ(list->TopIndex(), 3);
  backend->Click(*list, 20, third.Top + 2);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 5);
  // A press outside closes the list without a choice.
  backend->Click(*combo, 20, 10);
  ASSERT_TRUE(combo->DroppedDown());
  backend->Click(*Form, 300, 300);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 5);
}

TEST_F(ComboBoxTest, DropDownWidthAndTheListOpeningUpwardsNearTheScreenBottom) {
  MakeCombo(csDropDownList);
  combo->DropDownWidth = 300;
  Form->SetTop(backend->ScreenH - 100);
  combo->SetDroppedDown(true);
  TComboListWindow* list = combo->ListWindow();
  EXPECT_EQ(list->Width(), 300);
  EXPECT_EQ(list->Top() + list->Height(), combo->ClientToScreen(Point(0, 0)).Y);
}

TEST_F(ComboBoxTest, FocusingTheBoxWhileItsEditHasTheFocusKeepsIt) {
  MakeCombo(csDropDown);
  ASSERT_TRUE(combo->EditControl()->Focused());
  backend->Type("Ε"_a);
  combo->SetFocus();  // a form that focuses the box it is already in
  EXPECT_TRUE(combo->EditControl()->Focused());
  EXPECT_FALSE(ok->Focused());
  backend->Type("Λ"_a);
  EXPECT_EQ(combo->Text(), "ΕΛ"_a);
}

TEST_F(ComboBoxTest, DropDownStyleTypesIntoItsEditAndMatchesLines) {
  MakeCombo(csDropDown);
  ASSERT_NE(combo->EditControl(), nullptr);
  EXPECT_TRUE(combo->EditControl()->Focused());
  backend->Type("Επιλογή 7"_a);
  EXPECT_EQ(combo->Text(), "Επιλογή 7"_a);
  EXPECT_EQ(combo->ItemIndex(), 7);
  backend->PressKey(VK_BACK);
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), "Επιλογή "_a);
  backend->PressKey(VK_DOWN);  // the arrows choose lines
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->Text(), "Επιλογή 0"_a);
  // The button drops the list; the field does not.
  backend->Click(*combo, combo->ButtonRect().Left + 3, 10);
  EXPECT_TRUE(combo->DroppedDown());
  backend->PressKey(VK_ESCAPE);
  EXPECT_FALSE(combo->DroppedDown());
  // Tab and Shift+Tab pass over the box as one control.
  backend->PressKey(VK_TAB);
  EXPECT_TRUE(ok->Focused());
  backend->PressKey(VK_TAB, {ssShift});
  EXPECT_TRUE(combo->EditControl()->Focused());
  backend->PressKey(VK_TAB, {ssShift});
  EXPECT_TRUE(before->Focused());
}

TEST_F(ComboBoxTest, ListStyleDrawsItsLineHighlightedWhenFocused) {
  MakeCombo(csDropDownList);
  combo->SetItemIndex(1);
  Application->ProcessMessages();
  const auto texts = DrawnTexts(*Record(*combo));
  EXPECT_EQ(texts, std::vector<AnsiString>{"Επιλογή 1"_a});
  EXPECT_EQ(PixelOf(*combo, 4, 4), ColorToRGB(clHighlight));
  before->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(PixelOf(*combo, 4, 4), ColorToRGB(clWindow));
}

}  // namespace

namespace {

// A parent that logs the combo box's notifications among its events.
class TNotifiedPanel : public TPanel {
 public:
  explicit TNotifiedPanel(TComponent* owner) : TPanel(owner) {}
  std::vector<std::string>* Log = nullptr;
  HWND From = nullptr;
  void Dispatch(TMessage& m) override {
    static const char* const names[] = {"",           "SELCHANGE",  "DBLCLK",   "SETFOCUS", "KILLFOCUS",
                                        "EDITCHANGE", "EDITUPDATE", "DROPDOWN", "CLOSEUP"};
    if (m.Msg == WM_COMMAND && Log && m.WParamHi() < 9) {
      Log->push_back(std::string("CBN_") + names[m.WParamHi()]);
      From = reinterpret_cast<HWND>(m.LParam);
    }
    TPanel::Dispatch(m);
  }
};

class ComboNotifyTest : public ComboBoxTest {
 protected:
  void MakeNotifying(TComboBoxStyle style) {
    panel = Add<TNotifiedPanel>(5, 5, 400, 300);
    before = Add<TButton>(10, 10, 75, 25, panel);
    combo = Add<TComboBox>(10, 50, 150, 21, panel);
    combo->SetStyle(style);
    for (int i = 0; i < 12; ++i) combo->Items()->Add("Επιλογή "_a + IntToStr(i));
    combo->OnChange = [this](TObject*) { events.push_back("change"); };
    combo->OnSelect = [this](TObject*) { events.push_back("select"); };
    combo->OnDropDown = [this](TObject*) { events.push_back("drop"); };
    combo->OnCloseUp = [this](TObject*) { events.push_back("close"); };
    ok = Add<TButton>(200, 10, 75, 25, panel);
    ShowForm();
    before->SetFocus();
    panel->Log = &events;
  }
  TNotifiedPanel* panel = nullptr;
};

TEST_F(ComboNotifyTest, KeysSendEveryNotificationBeforeTheBoxsOwnEvents) {
  MakeNotifying(csDropDownList);
  combo->SetFocus();
  backend->PressKey(VK_DOWN, {ssAlt});
  backend->PressKey(VK_DOWN);
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(panel->From, combo->Handle());
  backend->PressKey(VK_F4);
  backend->PressKey(VK_ESCAPE);  // closed without a choice
  backend->PressKey(VK_DOWN);    // closed: a step is a choice
  combo->SetItemIndex(5);        // in code: nothing
  backend->PressKey(VK_TAB);
  EXPECT_TRUE(ok->Focused());
  EXPECT_EQ(events, (std::vector<std::string>{"CBN_SETFOCUS", "CBN_DROPDOWN", "drop", "CBN_CLOSEUP", "close",
                                              "CBN_SELCHANGE", "change", "select", "CBN_DROPDOWN", "drop",
                                              "CBN_CLOSEUP", "close", "CBN_SELCHANGE", "change", "select",
                                              "CBN_KILLFOCUS"}));
}

TEST_F(ComboNotifyTest, TheEditPartCountsAsTheBoxForFocusAndTypingIsAnEditChange) {
  MakeNotifying(csDropDown);
  backend->PressKey(VK_TAB);  // into the box, which hands the focus to its edit
  ASSERT_TRUE(combo->EditControl()->Focused());
  backend->Type("Ε"_a);
  backend->Click(*combo, combo->ButtonRect().Left + 3, 10);
  ASSERT_TRUE(combo->DroppedDown());
  TComboListWindow* list = combo->ListWindow();
  const TRect third = list->ItemRect(2);
  backend->Click(*list, 20, third.Top + 2);
  EXPECT_EQ(combo->ItemIndex(), 2);
  backend->PressKey(VK_TAB, {ssShift});  // over the box to the control before it
  EXPECT_TRUE(before->Focused());
  EXPECT_EQ(events, (std::vector<std::string>{"CBN_SETFOCUS", "CBN_EDITCHANGE", "change", "CBN_DROPDOWN",
                                              "drop", "CBN_CLOSEUP", "close", "CBN_SELCHANGE", "change",
                                              "select", "CBN_KILLFOCUS"}));
}

}  // namespace
