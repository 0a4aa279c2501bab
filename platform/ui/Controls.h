#pragma once
// Controls: TControl (bounds, visibility, text, font, colour, hints, mouse),
// TWinControl (children, handle, focus, tab order, keys, window procedure),
// TCustomControl and TGraphicControl (a Paint with a Canvas). Messages reach
// a control through WndProc, which hands them to Dispatch, the switch of
// message handlers each class extends (a handler that calls the base class's
// Dispatch is the class library's "inherited"); what nobody handles ends in
// DefaultHandler.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gfx/Graphics.h"
#include "platform/gfx/Types.h"
#include "platform/ui/Component.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/Messages.h"

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
// Text placement shared by labels, edits, check boxes and panels.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
using TLeftRight = TAlignment;
enum TTextLayout { tlTop, tlCenter, tlBottom };

enum TControlStyleMember {
  csAcceptsControls,
  csCaptureMouse,
  csClickEvents,
  csOpaque,
  csDoubleClicks,
  csSetCaption,
  csReplicatable,
  csNoStdEvents,
};
using TControlStyle = TSet<TControlStyleMember>;
enum TControlStateMember { csLButtonDown, csClicked, csFocusing, csCreating, csAlignmentNeeded };
using TControlState = TSet<TControlStateMember>;

// Cursor numbers: the class library's stock cursors are negative; the
// program's own cursors (its resources) have positive numbers.
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                  crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16,
                  crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                  crSizeAll = -22, crSize = -22;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
// Dragging one control onto another inside the program: the control under
// the pointer is asked whether it takes the source, takes the drop, and the
// source hears where it ended (Target nullptr when nothing took it).
enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

// What CM_HINTSHOW carries (its LParam points here). The handler may change
// the text, position (screen coordinates), colour and width, and answers 0
// to let the hint show.
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint HintPos;
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;
  TPoint CursorPos;
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  AnsiString HintStr;
  void* HintData = nullptr;
};

// The parts of "short|long": the short hint is the text before the first
// "|", the long one the text after it (the whole text when there is none).
AnsiString GetShortHint(const AnsiString& hint);
AnsiString GetLongHint(const AnsiString& hint);

// The shift state as the keyboard reports it at the message being handled.
TShiftState KeyboardStateToShiftState();
TShiftState KeysToShiftState(UINT keys);
TShiftState KeyDataToShiftState(LPARAM keyData);

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // ---- place ----
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* AParent);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  virtual TRect ClientRect() const { return Rect(0, 0, width_, height_); }
  // Where the client area's origin lies in the control's own window: below
  // a form's menu bar, which is outside the client area as on the system.
  virtual TPoint ClientOffset() const { return {0, 0}; }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  void SetClientWidth(int v) { SetWidth(width_ - ClientWidth() + v); }
  void SetClientHeight(int v) { SetHeight(height_ - ClientHeight() + v); }
  // Where the client area's origin lies in screen coordinates.
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;
  TAlign Align() const { return align_; }
  void SetAlign(TAlign a);
  TAnchors Anchors = {akLeft, akTop};

  // ---- looks ----
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and all parents visible and the top-level window shown.
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);
  const AnsiString& Caption() const { return text_; }
  void SetCaption(const AnsiString& s) { SetText(s); }
  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& s);
  // SetText(Text() + Tail) without copying the text: a long text written
  // piece by piece costs its length, not its square.
  void AppendText(const AnsiString& tail);
  // SetText with Count characters from Start replaced by S, in place: a
  // keystroke in a long text costs the move of what follows it.
  void ReplaceText(size_t start, size_t count, const AnsiString& s);
  // Right-to-left text: a control follows its parent's mode while
  // ParentBiDiMode holds; setting a mode of its own ends that.
  TBiDiMode BiDiMode() const;
  void SetBiDiMode(TBiDiMode mode);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool value);
  // Mirrored alignment (right-to-left mode) and right-to-left reading (any
  // right-to-left mode), both only on a Middle East system.
  bool UseRightToLeftAlignment() const;
  bool UseRightToLeftReading() const;
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  // Copies F and tells the control (CM_FONTCHANGED) and the children that
  // take their parent's font.
  void SetFont(const TFont& f);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& h) { hint_ = h; }
  bool ShowHint() const;
  void SetShowHint(bool v);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v) { parentShowHint_ = v; }
  TCursor Cursor() const { return cursor_; }
  virtual void SetCursor(TCursor c);
  TPopupMenu* PopupMenu = nullptr;
  // The help topic F1 shows for the control; 0: its parent's.
  int HelpContext = 0;
  TControlStyle ControlStyle;
  TControlState ControlState;

  // ---- messages ----
  // Sends a message straight to the control's window procedure.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  virtual void WndProc(TMessage& Message);
  // The message handlers; what a class does not handle goes to the base
  // class's Dispatch and finally to DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // ---- painting ----
  // Marks the control's area for painting at the next paint pass.
  virtual void Invalidate();
  void InvalidateRect(const TRect& r);
  // Paints now what is marked.
  virtual void Update();
  void Repaint();
  void Refresh() { Repaint(); }

  TCustomForm* GetParentForm() const;
  // The outermost window this control lives in.
  TWinControl* TopLevel() const;
  bool MouseCapture() const;
  void SetMouseCapture(bool capture);
  // Starts dragging this control: at once, or once the pointer has moved
  // Threshold pixels (the system's 5 when negative) with the button down.
  void BeginDrag(bool Immediate, int Threshold = -1);
  // Ends the drag this control started: dropped on the control under the
  // pointer when Drop and that control takes it.
  void EndDrag(bool Drop);
  bool Dragging() const;
  // With dmAutomatic, a press of the left button starts a drag.
  TDragMode DragMode = dmManual;
  void BringToFront();
  void SendToBack();

  // ---- events ----
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;

  // The control under a point of the parent's client area among this
  // control's children (none for a graphic control).
  virtual bool IsWindowed() const { return false; }

 protected:
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  // True when handled; the default asks OnMouseWheel, then the Down/Up pair.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void Resize();
  // Called after the bounds changed.
  virtual void BoundsChanged() {}
  virtual void VisibleChanging() {}
  void SetTextSilently(const AnsiString& s) { text_ = s; }
  // Top-level windows start hidden.
  void SetVisibleFlag(bool v) { visible_ = v; }
  // Lets children that follow the parent's font and colour catch up.
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  void SetZOrder(bool topMost);
  int wheelAccumulator_ = 0;

  friend class TWinControl;

 private:
  void HandleMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl);
  void HandleWheel(TMessage& m);
  // Marks a rectangle of this control (client coordinates) on the top-level
  // window's update region.
  void InvalidateControl(const TRect& r);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  bool visible_ = true;
  bool enabled_ = true;
  AnsiString text_;
  TFont font_;
  bool parentFont_ = true;
  TBiDiMode bidiMode_ = bdLeftToRight;
  bool parentBiDiMode_ = true;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  AnsiString hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TCursor cursor_ = crDefault;
};

// What a window is created with; CreateParams lets a class change it.
struct TCreateParams {
  AnsiString Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
};

class TWinControl : public TControl, public TWindowTarget {
 public:
  // Whether the control takes characters beyond the code page as UTF-16
  // (WM_CHAR with a code unit above 255).
  virtual bool WantsWideChars() const { return false; }
  explicit TWinControl(TComponent* AOwner);
  // Frees the child controls first, then lets the window go (WM_DESTROY).
  ~TWinControl() override;
  bool IsWindowed() const override { return true; }

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(const TControl* c) const;
  // The visible, enabled child under a client point; graphic controls too
  // when AllowDisabled / windowed ones only as asked.
  TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false) const;
  // Where the children show and take the mouse, in client coordinates;
  // none: anywhere in the window. A scroll box keeps its bars to itself.
  virtual std::optional<TRect> ChildrenArea() const { return std::nullopt; }
  // The deepest control (of any kind) under a client point.
  TControl* DeepestControlAt(TPoint pos);

  // ---- the window ----
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys the window (WM_DESTROY to it and its children); a later Handle
  // makes a new one.
  void DestroyHandle();
  // A new window in place of the old one, as after a style change.
  void RecreateWnd();
  LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Tells the form about focus arriving, and hands mouse messages over a
  // graphic child (or captured by one) to that child.
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  // Offers Message to every child in turn until one answers non-zero.
  void Broadcast(TMessage& Message);

  // ---- focus and tab order ----
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v) { tabStop_ = v; }
  int TabOrder() const;
  void SetTabOrder(int order);
  // The focusable windowed controls in tab order, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& list);
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  // The next (or previous) control after CurControl that can take the focus
  // (and has TabStop when asked), wrapping around; nullptr when none.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  // ---- window region ----
  // The part of the window that shows and takes the mouse, in window
  // coordinates; null (the default) is the whole window. Redraw repaints
  // where the window lies.
  void SetWindowRgn(const TRegion* region, bool redraw);
  const TRegion* WindowRgn() const { return windowRgn_ ? &*windowRgn_ : nullptr; }
  // A point of the window (its own coordinates) inside its region.
  bool InWindowRgn(TPoint p) const { return !windowRgn_ || PtInRegion(*windowRgn_, p.X, p.Y); }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  // Draws the control and its children onto Canvas with its top-left
  // corner at X, Y (a picture of the window, or a recording for tests).
  void PaintTo(TCanvas& canvas, int X, int Y);
  // Lays out the children by Align and Anchors.
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  void Realign();
  void DisableAlign() { ++alignDisabled_; }
  void EnableAlign();

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  friend class TControl;
  friend class TCustomForm;
  friend class TPaintPass;

 protected:
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  // True when the form's key preview or OnKeyDown consumed the key.
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  // What the three share: the form's key preview (Preview on the form)
  // first, then, unless the control takes no standard events, Handle, whose
  // key goes back into the message. True when the key was used up (0).
  bool DoKey(TMessage& Message, bool (TWinControl::*Preview)(TMessage&),
             const std::function<WPARAM()>& Handle);
  // Paints the window: background (WM_ERASEBKGND), its own Paint, then the
  // graphic children; PaintWindow is what a windowed control draws itself.
  virtual void PaintWindow(TCanvas& canvas);
  void PaintControls(TCanvas& canvas, const TRect& clip);
  // The canvas of the paint in progress, set by the paint pass.
  TCanvas* paintCanvas_ = nullptr;
  TRect paintClip_;

 private:
  std::optional<TRegion> windowRgn_;
  void CreateHandle();
  bool IsControlMouseMsg(TMessage& m);
  void DestroyChildHandles();
  void AlignChildren();
  void ChildVisibleChanged();
  void WMPaint(TMessage& m);
  void SetCursorAt(TMessage& m);

  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tabList_;
  HWND handle_ = nullptr;
  bool tabStop_ = false;
  int alignDisabled_ = 0;
  bool aligning_ = false;
  // Anchor distances remembered when a child was placed.
  friend class TAnchorKeeper;
};

// A windowed control that draws itself on its Canvas in Paint.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  // The canvas of the paint in progress; outside Paint a canvas over the
  // window's current pixels.
  TCanvas& Canvas();
  TNotifyEvent OnPaint;

 protected:
  virtual void Paint();
  void PaintWindow(TCanvas& canvas) override;

 private:
  TCanvas* canvas_ = nullptr;
  std::unique_ptr<TCanvas> outside_;
};

// A control without a window of its own, drawn by its parent.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas& Canvas();
  TNotifyEvent OnPaint;
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint();

 private:
  friend class TWinControl;
  TCanvas* canvas_ = nullptr;
  std::unique_ptr<TCanvas> outside_;
};

// The control that last received the mouse (CM_MOUSEENTER went to it).
TControl* MouseControl();
// Ends the drag of a control under way without a drop, as Escape does:
// the control under the pointer is left and the source hears of no
// target. False when no control is being dragged.
bool CancelDrag();
// Where the mouse is, in screen coordinates.
BOOL GetCursorPos(TPoint* point);
