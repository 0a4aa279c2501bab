#pragma once
// Menus: items with "&" captions, check marks, shortcuts, separators and
// sub-menus; the main menu drawn as a bar along the top of its form and
// opened with the mouse or Alt and the accelerator; popup menus opened at a
// screen point. An open menu takes the keyboard (arrows, Enter, Escape,
// accelerators) until it closes; a press outside closes it.

#include <memory>
#include <vector>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

DIM_EXCEPTION(EMenuError, Exception)

// Key code in the low byte, with these bits for the modifiers.
using TShortCut = Word;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+F5", "Del"; empty for none.
AnsiString ShortCutToText(TShortCut ShortCut);
// The reverse; 0 for text that names no shortcut.
TShortCut TextToShortCut(const AnsiString& Text);
// Caption without its accelerator mark ("&&" becomes "&").
AnsiString StripHotkey(const AnsiString& Text);

class TMenu;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& s) { caption_ = s; }
  // A caption of "-" makes a separator line.
  bool IsLine() const { return caption_ == "-"; }
  bool Checked = false;
  // Checked as a round mark; checking one unchecks the other radio items
  // of the same GroupIndex among its siblings.
  bool RadioItem = false;
  int GroupIndex = 0;
  void SetChecked(bool v);
  bool Enabled = true;
  bool Visible = true;
  bool Default = false;
  TShortCut ShortCut = 0;
  AnsiString Hint;
  int ImageIndex = -1;
  TNotifyEvent OnClick;

  // The sub-items.
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Takes Item out without freeing it.
  void Remove(TMenuItem* Item);
  // Frees sub-item Index.
  void Delete(int Index);
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  TMenuItem* Parent() const { return parent_; }
  // The number WM_COMMAND carries for this item, unique in the program.
  int Command() const { return command_; }
  // The item whose Command is Command, here or below; nullptr when none.
  TMenuItem* Find(int Command);
  // Runs OnClick (the menu closes first).
  virtual void Click();

 private:
  AnsiString caption_;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  int command_;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  // The root item; the menu's items are its sub-items.
  TMenuItem* Items() const { return items_.get(); }
  // Runs the enabled, visible item with this shortcut (sub-menus included,
  // disabled branches skipped); true when one ran.
  bool IsShortCut(Word Key, TShiftState Shift);
  TMenuItem* FindItem(int Command) { return items_->Find(Command); }

 private:
  std::unique_ptr<TMenuItem> items_;
};

class TMenuBar;

// The main menu of a form. Created with a form as its owner, it becomes
// that form's menu when the form has none; its bar takes the top strip of
// the form's client area.
class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;
  // Puts the bar on Form (nullptr takes it away).
  void AttachTo(TCustomForm* Form);
  TCustomForm* Form() const { return form_; }
  TMenuBar* Bar() const { return bar_; }

 private:
  friend class TMenuBar;
  TCustomForm* form_ = nullptr;
  TMenuBar* bar_ = nullptr;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  // Opens the menu with its top-left corner at X, Y (screen coordinates);
  // it moves to stay on the screen. OnPopup runs first.
  virtual void Popup(int X, int Y);
  // The control the menu was opened for.
  TComponent* PopupComponent = nullptr;
  TPopupAlignment Alignment = paLeft;
  // The choice goes as WM_COMMAND with the item's Command to Window
  // instead of running the item's OnClick.
  void TrackFor(TWinControl* Window, int X, int Y);
  // Opens the menu at X, Y and waits until it closes, as the system's
  // popup menus that return the command: the result is the Command of the
  // chosen item (its OnClick does not run), 0 when the menu closed with no
  // choice.
  int TrackReturnCmd(int X, int Y);
  TNotifyEvent OnPopup;
  // The menu is showing now.
  bool IsOpen() const;

 private:
  friend class TMenuWindow;
  TWinControl* commandTarget_ = nullptr;
  bool returnCmd_ = false;
  int chosenCmd_ = 0;
};

// The bar of a main menu: top-level items side by side.
class TMenuBar : public TCustomControl {
 public:
  TMenuBar(TComponent* AOwner, TMainMenu& menu);
  ~TMenuBar() override;
  // Where top-level item Index lies (client coordinates).
  TRect ItemRect(int Index);
  // Opens top-level item Index (its sub-menu, or runs it when it has none).
  void OpenItem(int Index, bool selectFirst);
  int OpenIndex() const { return openIndex_; }
  void Dispatch(TMessage& Message) override;

  // Keyboard mode, entered by F10 or a lone Alt: an item of the bar is
  // highlighted without being open; Left and Right move the highlight,
  // Enter, Down or Up open its menu, an accelerator opens that one, Escape,
  // Alt, F10 or a mouse press leave. The bar takes the keys from the
  // focused control without taking the focus.
  void EnterKeyboardMode(int Index = 0);
  void LeaveKeyboardMode();
  int HotIndex() const { return hotIndex_; }
  // The bar in keyboard mode, if any.
  static TMenuBar* InKeyboardMode();

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  friend class TMenuWindow;
  friend bool MenuKeyboardHook(const TMsg& msg);
  int ItemAt(int X);
  void SubMenuClosed();
  // A key or character message while in keyboard mode; true: it was the
  // bar's.
  bool KeyboardMessage(const TMsg& msg);
  // The next usable top-level item from Index in direction Step.
  int StepItem(int Index, int Step) const;
  TMainMenu& menu_;
  int openIndex_ = -1;
  int hotIndex_ = -1;
};

// Run by the message loop for each message before it goes to its window:
// F10 and a lone Alt (pressed and released with nothing between) put the
// focused form's menu bar into keyboard mode, whose keys it then takes.
// True when the message was the menus'.
bool MenuKeyboardHook(const TMsg& msg);

// The window of an open (sub-)menu.
class TMenuWindow : public TPopupWindow {
 public:
  // Parent: the window of the menu above (nullptr for the first one).
  TMenuWindow(TMenuItem& items, TPopupMenu* popup, TMenuBar* bar, TMenuWindow* parent);
  ~TMenuWindow() override;
  // The items shown.
  TMenuItem& MenuItems() const { return items_; }
  // The size the items need.
  TSize MeasureSize();
  // Shows the window at a screen point, kept on the screen, and takes the
  // keyboard.
  void OpenAt(TPoint at, int alignedRight);
  // The highlighted item, -1 for none.
  int Selected() const { return selected_; }
  void Select(int index);
  TRect ItemRect(int index);
  // The window of the open sub-menu, if any.
  TMenuWindow* Child() const { return child_; }
  void Dispatch(TMessage& Message) override;
  // Closes this window and those above it; with Restore, the focus goes
  // back where it was before the menu opened.
  void CloseAll();

 protected:
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  void OpenChild(bool selectFirst);
  void CloseChild();
  void Choose(int index);
  int ItemAt(TPoint p);
  int Step(int from, int direction);
  bool Usable(int index) const;

  TMenuItem& items_;
  TPopupMenu* popup_;
  TMenuBar* bar_;
  TMenuWindow* parent_;
  TMenuWindow* child_ = nullptr;
  int selected_ = -1;
  HWND focusBefore_ = nullptr;
  bool closing_ = false;
};

// The menu window open now at the top (the deepest sub-menu), if any.
TMenuWindow* OpenMenuWindow();
