#pragma once
// Forms (top-level windows with the show, modal and close protocol), the
// screen object, hint windows and popup windows.

#include <functional>
#include <map>
#include <vector>

#include "platform/ui/Controls.h"

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// The border of edits, list boxes, panels and scroll boxes: none or single.
using TBorderStyle = TFormBorderStyle;
// The buttons of a form's title bar; a dialog's border never has minimise
// or maximise, nor a tool window's.
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStateMember { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateMember>;

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = 8, mrNoToAll = 9,
                       mrYesToAll = 10;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TMainMenu;

class TCustomForm : public TCustomControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // Runs OnCreate; Application->CreateForm and NewForm call it once the
  // form's own constructor has built its controls.
  virtual void AfterConstruction();

  void Show();
  void Hide();
  // Components that follow the form's size (a grid sized with its form)
  // hook its resize here instead of taking OnResize, which the form's own
  // code may assign at any time. A hook runs the rest of the chain (the
  // hooks added before it, then OnResize) through FormHandler, when it
  // chooses; the last hook added runs first.
  using TResizeHook = std::function<void(TObject* Sender, const std::function<void()>& FormHandler)>;
  void AddResizeHook(const void* key, TResizeHook hook);
  void RemoveResizeHook(const void* key);
  // A form given a parent lives inside that control as one of its
  // children (no window of its own, no activation); otherwise it is a
  // top-level window.
  void SetVisible(bool v) override;
  bool Showing() const override { return Parent() ? TCustomControl::Showing() : Visible(); }
  // Shows the form and runs the loop until ModalResult is set; the other
  // forms take no input meanwhile. Raises EInvalidOperation for a form that
  // is already showing.
  virtual TModalResult ShowModal();
  // Asks OnCloseQuery, then OnClose with the action (caHide for a plain
  // form), and does what the action says. A modal form just gets
  // ModalResult mrCancel; the main form ends the application.
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages already queued for it are handled.
  void Release();

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) {
    modalResult_ = r;
    closeApproved_ = false;
  }
  // While modal: true once ModalResult is set and the close query and
  // OnClose let the form close (a refusal puts ModalResult back to mrNone).
  bool ModalCheckClose();
  TFormState FormState;
  bool KeyPreview = false;
  TFormBorderStyle BorderStyle = bsSizeable;
  TBorderIcons BorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition Position = poDesigned;
  TFormStyle FormStyle = fsNormal;
  TWindowState WindowState = wsNormal;
  TColor HintColorDefault = clInfoBk;

  // The main menu: its bar along the top and its shortcuts.
  TMainMenu* Menu() const { return menu_; }
  // The menu bar lies above the client area.
  TRect ClientRect() const override;
  TPoint ClientOffset() const override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void SetMenu(TMainMenu* menu);
  // Runs the menu item of this shortcut: of the main menu, or of the popup
  // menu of the focused control or one of its parents. True when one ran.
  virtual bool IsShortCut(Word Key, TShiftState Shift);

  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* c);
  // The control that has the keyboard now (nullptr when the form itself has).
  // Moves the focus to Control: CM_EXIT to the one that had it,
  // WM_KILLFOCUS/WM_SETFOCUS, then CM_ENTER to the new one.
  void FocusControl(TWinControl* Control);
  bool Active() const { return active_; }

  TNotifyEvent OnCreate;
  // Fired once, by DoDestroy. A form whose OnDestroy reaches members of its
  // own class calls DoDestroy first in its destructor: by the time this
  // class's destructor runs, those members are gone.
  TNotifyEvent OnDestroy;
  void DoDestroy();
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  void Dispatch(TMessage& Message) override;

  // For controls: a control that had the focus is going or hidden.
  void ControlGoing(TControl* c);
  void ControlHidden(TControl* c);
  // WM_SETFOCUS arrived at Control; false refuses it.
  bool SetFocusedControl(TWinControl* Control);

  bool DoKeyDown(TMessage& m) { return TWinControl::DoKeyDown(m); }
  bool DoKeyUp(TMessage& m) { return TWinControl::DoKeyUp(m); }
  bool DoKeyPress(TMessage& m) { return TWinControl::DoKeyPress(m); }

 protected:
  virtual void DoCreate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  void Paint() override;
  void Resize() override;
  friend class TScreen;
  friend class TApplication;

 private:
  void PlaceOnShow();
  void SetActive(bool active);
  // Activates the topmost other form that takes input.
  void ActivateFormBelow();
  void CloseModal();

  void RunResizeChain(size_t hooksLeft);

  std::vector<std::pair<const void*, TResizeHook>> resizeHooks_;
  TModalResult modalResult_ = mrNone;
  TMainMenu* menu_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  // The control CM_ENTER last went to.
  TWinControl* focusedControl_ = nullptr;
  bool active_ = false;
  bool constructed_ = false;
  bool closeApproved_ = false;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// Builds a form and runs its OnCreate, for forms not made by
// Application->CreateForm.
template <typename F, typename... Args>
F* NewForm(Args&&... args) {
  F* form = new F(std::forward<Args>(args)...);
  form->AfterConstruction();
  return form;
}

// The screen: its size, the cursor shown over all windows, the active form
// and control, and the program's cursors by number.
class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner) : TComponent(AOwner) {}
  int Width() const;
  int Height() const;
  // Where maximised windows go: the screen less the desktop's panels.
  TRect WorkAreaRect() const;
  int WorkAreaLeft() const { return WorkAreaRect().Left; }
  int WorkAreaTop() const { return WorkAreaRect().Top; }
  int WorkAreaWidth() const { return WorkAreaRect().Width(); }
  int WorkAreaHeight() const { return WorkAreaRect().Height(); }
  // Anything but crDefault wins over every control's own cursor (an
  // hourglass during long work).
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c);
  TCustomForm* ActiveForm() const { return activeForm_; }
  TWinControl* ActiveControl() const;
  // After a form's focused control changes, the new one already in place.
  std::function<void(TObject* Sender)> OnActiveControlChange;
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int index) const { return forms_.at(static_cast<size_t>(index)); }
  // The program's own cursors, by number: a cursor resource of that number
  // (platform/gfx/Picture.h), or one registered here by name. Unknown
  // numbers show the arrow.
  void RegisterCursor(TCursor id, const AnsiString& name) { cursors_[id] = name; }
  bool HasCursor(TCursor id) const;
  // The cursor shape shown now: the screen's when set, else Shape.
  TCursor EffectiveCursor(TCursor shape) const { return cursor_ != crDefault ? cursor_ : shape; }
  TCursor ShownCursor() const { return shown_; }
  void ShowCursorShape(TCursor shape);

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* f) { forms_.push_back(f); }
  void RemoveForm(TCustomForm* f);
  TCursor cursor_ = crDefault;
  TCursor shown_ = crDefault;
  TCustomForm* activeForm_ = nullptr;
  std::vector<TCustomForm*> forms_;
  std::map<TCursor, AnsiString> cursors_;
};

extern TScreen* Screen;

// A borderless window that stays above the others: hint windows, drop-down
// lists and editors. It does not take the focus from the form, and a mouse
// press anywhere else closes it (CM_CANCELMODE, then OnCloseUp).
class TPopupWindow : public TCustomControl {
 public:
  explicit TPopupWindow(TComponent* AOwner);
  ~TPopupWindow() override;
  bool Showing() const override { return Visible(); }
  // Shows the window at a screen rectangle.
  void Popup(const TRect& screenRect);
  void CloseUp();
  TNotifyEvent OnCloseUp;
  void Dispatch(TMessage& Message) override;
  void SetVisible(bool v) override;

 protected:
  void Paint() override;
};

// The window that shows a hint: text on the hint colour with a thin frame.
class THintWindow : public TPopupWindow {
 public:
  explicit THintWindow(TComponent* AOwner);
  // Places the window at Rect (screen coordinates) with Hint as its text.
  virtual void ActivateHint(TRect Rect, const AnsiString& AHint);
  // The size the text needs, at most MaxWidth wide.
  virtual TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData);
  void ReleaseHandle();

 protected:
  void Paint() override;
};

// The popup windows showing now, bottom first.
const std::vector<TPopupWindow*>& OpenPopups();
