#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace {

TEST(ShortCuts, TextAndKeysGoBothWays) {
  struct Case {
    TShortCut shortCut;
    const char* text;
  } cases[] = {{ShortCut('S', {ssCtrl}), "Ctrl+S"},
               {ShortCut(VK_F5, {ssShift}), "Shift+F5"},
               {ShortCut(VK_DELETE, {}), "Del"},
               {ShortCut(VK_INSERT, {ssShift, ssCtrl}), "Shift+Ctrl+Ins"},
               {ShortCut('1', {ssAlt}), "Alt+1"}};
  for (const auto& c : cases) {
    EXPECT_EQ(ShortCutToText(c.shortCut), c.text);
    EXPECT_EQ(TextToShortCut(c.text), c.shortCut) << c.text;
  }
  EXPECT_EQ(TextToShortCut("ctrl+s"), ShortCut('S', {ssCtrl}));
  EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut("Nonsense"), 0);
  EXPECT_EQ(ShortCutToText(0), "");
  Word key;
  TShiftState shift;
  ShortCutToKey(ShortCut('C', {ssCtrl, ssShift}), key, shift);
  EXPECT_EQ(key, 'C');
  EXPECT_EQ(shift, (TShiftState{ssCtrl, ssShift}));
  EXPECT_EQ(StripHotkey("Ε&ξοδος"_a), "Εξοδος"_a);
  EXPECT_EQ(StripHotkey("R&&D"), "R&D");
}

TEST(MenuItems, TreeKeepsParentsAndFreesSubItems) {
  TMenuItem root(nullptr);
  auto* file = new TMenuItem(nullptr);
  auto* open = new TMenuItem(nullptr);
  root.Add(file);
  file->Add(open);
  EXPECT_EQ(open->Parent(), file);
  EXPECT_EQ(root.Find(open->Command()), open);
  EXPECT_NE(file->Command(), open->Command());
  EXPECT_THROW(root.Add(open), EMenuError);
  EXPECT_THROW(root.Delete(3), EMenuError);
  delete open;
  EXPECT_EQ(file->Count(), 0);
  root.Clear();
  EXPECT_EQ(root.Count(), 0);
}

TEST(MenuItems, RadioItemsOfAGroupExcludeEachOther) {
  TMenuItem root(nullptr);
  TMenuItem* items[3];
  for (auto*& item : items) {
    item = new TMenuItem(nullptr);
    item->RadioItem = true;
    item->GroupIndex = 1;
    root.Add(item);
  }
  items[0]->SetChecked(true);
  items[2]->SetChecked(true);
  EXPECT_FALSE(items[0]->Checked);
  EXPECT_TRUE(items[2]->Checked);
}

class MenusTest : public ControlsTest {
 protected:
  TMenuItem* AddItem(TMenuItem* parent, const char* caption, std::vector<std::string>* log = nullptr) {
    auto* item = new TMenuItem(Form.get());
    item->SetCaption(cp1253::FromUtf8(caption));
    if (log) item->OnClick = [log, caption](TObject*) { log->push_back(caption); };
    parent->Add(item);
    return item;
  }
  void MakeMainMenu() {
    menu = new TMainMenu(Form.get());
    file = AddItem(menu->Items(), "&Αρχείο");
    AddItem(file, "&Νέο", &log);
    save = AddItem(file, "&Σώσιμο", &log);
    save->ShortCut = ShortCut('S', {ssCtrl});
    AddItem(file, "-");
    auto* disabled = AddItem(file, "&Ανοιγμα", &log);
    disabled->Enabled = false;
    AddItem(file, "Ε&ξοδος", &log);
    params = AddItem(menu->Items(), "&Παράμετροι");
    auto* sub = AddItem(params, "Εκτύπωση");
    AddItem(sub, "&Αρχικής σειράς", &log);
    AddItem(menu->Items(), "περί", &log);
    edit = Add<TButton>(10, 40, 75, 25);
  }
  TMainMenu* menu = nullptr;
  TMenuItem* file = nullptr;
  TMenuItem* save = nullptr;
  TMenuItem* params = nullptr;
  TButton* edit = nullptr;
  std::vector<std::string> log;
};

TEST_F(MenusTest, MainMenuBarLiesAboveTheClientArea) {
  auto* whole = Add<TButton>(0, 0, 10, 10);
  whole->SetAlign(alClient);
  const int height = Form->Height(), clientHeight = Form->ClientHeight();
  MakeMainMenu();
  EXPECT_EQ(Form->Menu(), menu);
  ShowForm();
  TMenuBar* bar = menu->Bar();
  ASSERT_NE(bar, nullptr);
  // The window keeps its size; the client area starts below the bar.
  EXPECT_EQ(Form->Height(), height);
  EXPECT_EQ(Form->ClientHeight(), clientHeight - bar->Height());
  EXPECT_EQ(whole->BoundsRect(), Form->ClientRect());
  EXPECT_EQ(bar->ClientToScreen(Point(0, bar->Height())), Form->ClientToScreen(Point(0, 0)));
  EXPECT_EQ(Form->ClientToScreen(Point(0, 0)).Y - Form->Top(), bar->Height());
  // A click in the strip reaches the bar, one just below it the client.
  backend->Click(*bar, 10, 5);
  ASSERT_NE(OpenMenuWindow(), nullptr);
  EXPECT_EQ(&OpenMenuWindow()->MenuItems(), file);
  backend->PressKey(VK_ESCAPE);
  backend->PressKey(VK_ESCAPE);
  int clicks = 0;
  whole->OnClick = [&](TObject*) { ++clicks; };
  backend->Advance(1000);
  backend->Click(*Form, 300, 2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(PixelOf(*bar, 1, 1), ColorToRGB(clMenu));
  EXPECT_EQ(bar->Width(), Form->Width());
  const auto texts = DrawnTexts(*Record(*bar));
  EXPECT_EQ(texts, (std::vector<AnsiString>{"&Αρχείο"_a, "&Παράμετροι"_a, "περί"_a}));
  Form->SetMenu(nullptr);
  EXPECT_EQ(menu->Bar(), nullptr);
  EXPECT_EQ(Form->ClientHeight(), clientHeight);
  EXPECT_EQ(whole->Height(), clientHeight);
}

TEST_F(MenusTest, AltAndAcceleratorsChooseAnItem) {
  MakeMainMenu();
  ShowForm();
  ui::input::KeyDown(VK_MENU);
  backend->Type("α"_a);
  ui::input::KeyUp(VK_MENU);
  ui::PumpMessages();
  TMenuWindow* open = OpenMenuWindow();
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(&open->MenuItems(), file);
  EXPECT_EQ(open->Selected(), 0);
  backend->Type("σ"_a);
  EXPECT_EQ(log, std::vector<std::string>{"&Σώσιμο"});
  EXPECT_EQ(OpenMenuWindow(), nullptr);
  EXPECT_TRUE(edit->Focused());  // the focus is back
}

TEST_F(MenusTest, AltWithTheLatinKeyOfAGreekAcceleratorOpensItsMenu) {
  MakeMainMenu();
  ShowForm();
  // "a" and "p" lie on the keys of "Α" and "Π" in the Greek layout.
  for (const auto& [typed, expected] : std::vector<std::pair<char, TMenuItem*>>{{'a', file}, {'P', params}}) {
    ui::input::KeyDown(VK_MENU);
    ui::input::Char(typed, 0);
    ui::input::KeyUp(VK_MENU);
    ui::PumpMessages();
    ASSERT_NE(OpenMenuWindow(), nullptr) << typed;
    EXPECT_EQ(&OpenMenuWindow()->MenuItems(), expected) << typed;
    backend->PressKey(VK_ESCAPE);
    EXPECT_EQ(OpenMenuWindow(), nullptr);
  }
  EXPECT_TRUE(IsAccel('n', "&Νέο"_a));
  EXPECT_TRUE(IsAccel('N', "&Νέο"_a));
  EXPECT_FALSE(IsAccel('q', "&Νέο"_a));
  EXPECT_FALSE(IsAccel('b', "&Νέο"_a));
}

TEST_F(MenusTest, F10AndALoneAltHighlightTheBarAndTheArrowsAndEnterOpen) {
  MakeMainMenu();
  ShowForm();
  TMenuBar* bar = menu->Bar();
  for (const Word enter : {VK_F10, VK_MENU}) {
    backend->PressKey(enter);
    ASSERT_EQ(TMenuBar::InKeyboardMode(), bar) << enter;
    EXPECT_EQ(bar->HotIndex(), 0);
    EXPECT_EQ(OpenMenuWindow(), nullptr);
    EXPECT_TRUE(edit->Focused());  // the focus stays where it was
    backend->PressKey(VK_RIGHT);
    EXPECT_EQ(bar->HotIndex(), 1);
    backend->PressKey(VK_LEFT);
    backend->PressKey(VK_LEFT);
    EXPECT_EQ(bar->HotIndex(), 2);  // round to the last
    backend->PressKey(VK_ESCAPE);
    EXPECT_EQ(TMenuBar::InKeyboardMode(), nullptr);
    EXPECT_EQ(bar->HotIndex(), -1);
  }
  // Enter opens the highlighted menu with its first item selected.
  backend->PressKey(VK_F10);
  backend->PressKey(VK_RETURN);
  ASSERT_NE(OpenMenuWindow(), nullptr);
  EXPECT_EQ(&OpenMenuWindow()->MenuItems(), file);
  EXPECT_EQ(OpenMenuWindow()->Selected(), 0);
  EXPECT_EQ(TMenuBar::InKeyboardMode(), nullptr);
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(log, std::vector<std::string>{"&Νέο"});
  // In keyboard mode an accelerator alone opens its menu; the lone Alt
  // that leaves does not come back on its release.
  backend->PressKey(VK_MENU);
  backend->Type("π"_a);
  ASSERT_NE(OpenMenuWindow(), nullptr);
  EXPECT_EQ(&OpenMenuWindow()->MenuItems(), params);
  backend->PressKey(VK_ESCAPE);
  backend->PressKey(VK_MENU);
  backend->PressKey(VK_MENU);
  EXPECT_EQ(TMenuBar::InKeyboardMode(), nullptr);
  // Alt with another key between is no lone Alt; a mouse press leaves.
  ui::input::KeyDown(VK_MENU);
  backend->PressKey(VK_SHIFT);
  ui::input::KeyUp(VK_MENU);
  ui::PumpMessages();
  EXPECT_EQ(TMenuBar::InKeyboardMode(), nullptr);
  backend->PressKey(VK_F10);
  backend->Click(*edit, 5, 5);
  EXPECT_EQ(TMenuBar::InKeyboardMode(), nullptr);
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(MenusTest, ArrowsWalkTheMenuSkippingSeparatorsAndDisabledItemsCannotRun) {
  MakeMainMenu();
  ShowForm();
  backend->PressKey(VK_MENU);
  menu->Bar()->OpenItem(0, true);
  TMenuWindow* open = OpenMenuWindow();
  ASSERT_NE(open, nullptr);
  backend->PressKey(VK_DOWN);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(open->Selected(), 3);  // past the separator
  backend->PressKey(VK_RETURN);    // disabled: nothing
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(OpenMenuWindow(), open);
  backend->PressKey(VK_UP);
  backend->PressKey(VK_UP);
  backend->PressKey(VK_UP);  // wraps to the last
  EXPECT_EQ(open->Selected(), 4);
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(log, std::vector<std::string>{"Ε&ξοδος"});
}

TEST_F(MenusTest, RightOpensSubMenusAndTheNextMenuOfTheBar) {
  MakeMainMenu();
  ShowForm();
  menu->Bar()->OpenItem(0, true);
  backend->PressKey(VK_RIGHT);  // "Νέο" has no sub-menu: the next menu
  TMenuWindow* params_window = OpenMenuWindow();
  ASSERT_NE(params_window, nullptr);
  EXPECT_EQ(&params_window->MenuItems(), params);
  EXPECT_EQ(menu->Bar()->OpenIndex(), 1);
  backend->PressKey(VK_RIGHT);  // into the sub-menu
  ASSERT_NE(params_window->Child(), nullptr);
  EXPECT_EQ(OpenMenuWindow(), params_window->Child());
  backend->PressKey(VK_ESCAPE);  // back one level
  EXPECT_EQ(OpenMenuWindow(), params_window);
  backend->PressKey(VK_ESCAPE);
  EXPECT_EQ(OpenMenuWindow(), nullptr);
  EXPECT_EQ(menu->Bar()->OpenIndex(), -1);
  EXPECT_TRUE(log.empty());
}

TEST_F(MenusTest, ShortcutsRunTheirItemFromAnyControl) {
  MakeMainMenu();
  ShowForm();
  backend->PressKey('S', {ssCtrl});
  EXPECT_EQ(log, std::vector<std::string>{"&Σώσιμο"});
  save->Enabled = false;
  backend->PressKey('S', {ssCtrl});
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(MenusTest, MouseOpensTheBarMenuAndChoosesAnItem) {
  MakeMainMenu();
  ShowForm();
  const TRect r = menu->Bar()->ItemRect(0);
  backend->Click(*menu->Bar(), r.Left + 5, 5);
  TMenuWindow* open = OpenMenuWindow();
  ASSERT_NE(open, nullptr);
  const TRect item = open->ItemRect(1);
  backend->MoveMouse(*open, 20, item.Top + 3);
  EXPECT_EQ(open->Selected(), 1);
  backend->Click(*open, 20, item.Top + 3);
  EXPECT_EQ(log, std::vector<std::string>{"&Σώσιμο"});
  // A press outside an open menu closes it without a choice.
  backend->Click(*menu->Bar(), r.Left + 5, 5);
  ASSERT_NE(OpenMenuWindow(), nullptr);
  backend->Click(*Form, 300, 300);
  EXPECT_EQ(OpenMenuWindow(), nullptr);
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(MenusTest, PopupMenuOpensAtThePointOnTheScreenAndSendsCommands) {
  auto* popup = new TPopupMenu(Form.get());
  auto* first = AddItem(popup->Items(), "Συλλογή με το mouse", &log);
  first->Checked = true;
  auto* copy = AddItem(popup->Items(), "&Αντιγραφή", &log);
  auto* target = Add<TButton>(10, 10, 75, 25);
  target->PopupMenu = popup;
  int popups = 0;
  popup->OnPopup = [&](TObject*) { ++popups; };
  ShowForm();
  // The right button opens the control's menu where it was released.
  backend->Click(*target, 20, 10, 1);
  TMenuWindow* open = OpenMenuWindow();
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->Left(), target->ClientToScreen(Point(20, 10)).X);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(popup->PopupComponent, target);
  EXPECT_TRUE(popup->IsOpen());
  backend->PressKey(VK_ESCAPE);
  EXPECT_FALSE(popup->IsOpen());
  // Tracked for a window, the choice arrives as WM_COMMAND.
  struct TCommandTaker : TCustomControl {
    using TCustomControl::TCustomControl;
    int command = 0;
    void Dispatch(TMessage& m) override {
      if (m.Msg == WM_COMMAND) command = static_cast<int>(m.WParam);
      TCustomControl::Dispatch(m);
    }
  };
  auto* taker = Add<TCommandTaker>(100, 100, 20, 20);
  popup->TrackFor(taker, 1270, 1020);  // kept on the screen
  open = OpenMenuWindow();
  ASSERT_NE(open, nullptr);
  EXPECT_LE(open->Left() + open->Width(), backend->ScreenW);
  EXPECT_LE(open->Top() + open->Height(), backend->ScreenH);
  backend->Type("α"_a);
  EXPECT_EQ(taker->command, copy->Command());
  EXPECT_TRUE(log.empty());
}

TEST_F(MenusTest, ABlockingPopupReturnsTheChosenCommand) {
  auto* popup = new TPopupMenu(Form.get());
  auto* first = AddItem(popup->Items(), "&Πρώτο", &log);
  auto* disabled = AddItem(popup->Items(), "&Ανενεργό", &log);
  disabled->Enabled = false;
  auto* last = AddItem(popup->Items(), "&Τελευταίο", &log);
  auto* button = Add<TButton>(10, 10, 75, 25);
  ShowForm();
  const struct {
    std::function<void(TWinControl&)> drive;
    int command;
  } cases[] = {
      {[&](TWinControl&) { backend->Type("τ"_a); }, last->Command()},
      {[&](TWinControl&) {
         backend->PressKey(VK_DOWN);
         backend->PressKey(VK_RETURN);
       },
       first->Command()},
      {[&](TWinControl& w) {
         const TRect r = static_cast<TMenuWindow&>(w).ItemRect(0);
         backend->Click(w, r.Left + 5, r.Top + 3);
       },
       first->Command()},
      {[&](TWinControl&) { backend->Type("α"_a); }, 0},  // disabled: nothing, then Escape
      {[&](TWinControl&) { backend->Click(*Form, 300, 300); }, 0},
  };
  for (const auto& c : cases) {
    backend->ExpectMenu([&](TWinControl& w) {
      c.drive(w);
      if (popup->IsOpen()) backend->PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(popup->TrackReturnCmd(100, 100), c.command);
    EXPECT_FALSE(popup->IsOpen());
    EXPECT_TRUE(button->Focused());  // the focus is back
    backend->Advance(1000);
  }
  EXPECT_TRUE(log.empty());  // the items' OnClick did not run
  // With no input coming the menu closes unchosen and is reported.
  EXPECT_EQ(popup->TrackReturnCmd(100, 100), 0);
  EXPECT_EQ(backend->UnexpectedDialogs, std::vector<AnsiString>{"popup menu left open"});
  backend->UnexpectedDialogs.clear();
}

TEST_F(MenusTest, MenuWindowDrawsChecksShortcutsAndSubMenuArrows) {
  MakeMainMenu();
  ShowForm();
  menu->Bar()->OpenItem(0, true);
  TMenuWindow* open = OpenMenuWindow();
  ASSERT_NE(open, nullptr);
  const auto texts = DrawnTexts(*Record(*open));
  EXPECT_NE(std::find(texts.begin(), texts.end(), AnsiString("Ctrl+S")), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "&Σώσιμο"_a), texts.end());
  EXPECT_EQ(PixelOf(*open, 10, open->ItemRect(0).Top + 5), ColorToRGB(clHighlight));
}

}  // namespace
