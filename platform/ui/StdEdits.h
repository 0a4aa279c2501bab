#pragma once
// The text controls: TCustomEdit/TEdit (one line), TCustomMaskEdit/
// TMaskEdit (text held to an edit mask, Mask.h), TCustomMemo/TMemo (lines,
// word wrap, scroll bars). They answer the system's edit messages (EM_*)
// with its numbers. The edit's own key handling runs after KeyDown and
// KeyPress (and so after OnKeyDown / OnKeyPress and after whatever a
// derived class does first), in the default handler, as the system's edit
// window does it: a handler that clears Key keeps the edit from acting.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Mask.h"
#include "platform/ui/ScrollBars.h"

using TBorderStyle = TFormBorderStyle;

// Where cut, copy and paste of the edits go. Text only, in 1253 with CR LF
// line ends. The default reaches the backend's clipboard; the clipboard unit
// installs its own so that the edits share its formats and notifications.
struct TEditClipboard {
  std::function<AnsiString()> GetText;
  std::function<void(const AnsiString&)> SetText;
};
TEditClipboard& EditClipboard();

// ---- the edit messages -----------------------------------------------------
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_GETRECT = 0x00B2;
constexpr UINT EM_SETRECT = 0x00B3;
constexpr UINT EM_SETRECTNP = 0x00B4;
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_LINEINDEX = 0x00BB;
constexpr UINT EM_LINELENGTH = 0x00C1;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_LINEFROMCHAR = 0x00C9;
constexpr UINT EM_SETPASSWORDCHAR = 0x00CC;
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_POSFROMCHAR = 0x00D6;
constexpr UINT EM_CHARFROMPOS = 0x00D7;

class TCustomEdit : public TCustomControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  // ---- selection; positions are byte offsets into the text ----
  int SelStart() const { return std::min(anchor_, caret_); }
  void SetSelStart(int v);
  int SelLength() const { return std::abs(caret_ - anchor_); }
  void SetSelLength(int v);
  AnsiString SelText() const;
  // Replaces the selection (ReadOnly does not stop a program's change).
  void SetSelText(const AnsiString& s);
  void SelectAll();
  void ClearSelection();
  void Clear();
  // Where the caret is (the moving end of the selection).
  int CaretPos() const { return caret_; }

  virtual void CopyToClipboard();
  virtual void CutToClipboard();
  virtual void PasteFromClipboard();
  // One level, as the system's edit: a second Undo takes the first back.
  virtual void Undo();
  bool CanUndo() const { return hasUndo_; }
  void ClearUndo() { hasUndo_ = false; }

  // ---- properties ----
  int MaxLength() const { return maxLength_; }
  // 0: no limit. Text already longer stays.
  void SetMaxLength(int v) { maxLength_ = std::max(0, v); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle s);
  // Where a one-line text that is shorter than the formatting rectangle
  // stands in it; a longer one scrolls as a left-aligned text does.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  bool AutoSelect = true;
  bool HideSelection = true;
  bool Modified = false;
  TNotifyEvent OnChange;

  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  // ---- layout, for the edit messages and for tests ----
  // The formatting rectangle the text lies in (client coordinates).
  TRect EditRect() const;
  int LineCount() const;
  int LineFromChar(int index) const;
  int LineIndex(int line) const;
  // Top-left of the character's cell in client coordinates.
  TPoint PosFromChar(int index) const;
  // The character nearest a client point (its offset; the end for points
  // past it).
  int CharFromPos(TPoint p) const;
  int TopLine() const { return topLine_; }
  int LineHeight() const;

  // UTF-16 text mode: the edit holds WideText, one caret position per code
  // unit, drawn as UTF-16; Text reads it in the code page ("?" for what the
  // code page lacks). Characters beyond the code page arrive as UTF-16.
  bool WideMode() const { return wideMode_; }
  void SetWideMode(bool v);
  const WideString& WideText() const { return wide_; }
  void SetWideText(const WideString& w);
  bool WantsWideChars() const override { return wideMode_; }

 protected:
  struct TEditLine {
    int Start = 0;
    int Length = 0;  // without the line break
  };
  virtual void Change();
  void Paint() override;
  void DoEnter() override;
  void DoExit() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void BoundsChanged() override;

  // The edit's own handling of a key (after KeyDown) and of a typed
  // character (after KeyPress); true when used.
  virtual bool EditKey(Word key, TShiftState shift);
  virtual bool EditChar(char ch);
  // Multi-line controls break lines at CR LF and wrap.
  virtual bool MultiLine() const { return false; }
  virtual bool WrapLines() const { return false; }
  // The area inside the border; the formatting rectangle lies within it.
  TRect InnerRect() const;
  // What is left for text once the control took its strips (scroll bars).
  virtual TRect TextArea() const;
  // Called after the layout changed (lines or their scroll position).
  virtual void LayoutChanged() {}
  // LayoutChanged, then the caret follows the character it stands at.
  void LayoutMoved();
  // Replaces the selection as the user does: limited by MaxLength, kept
  // for Undo, sets Modified, fires OnChange. False when ReadOnly.
  bool UserReplace(const AnsiString& s);
  void ReplaceRange(int start, int end, const AnsiString& s, int newCaret);
  void SetSelection(int anchor, int caret);
  void MoveCaret(int pos, bool extend);
  void ScrollCaretIntoView();
  // The caret stands at the start of a text not scrolled, where scrolling
  // it into view leaves the view as it is.
  bool CaretShowsUnscrolled() const;
  // Scrolls the caret into view from the lines laid out, wherever it is.
  void PlaceCaretInView();
  void SetTopLine(int line);
  int VisibleLineCount() const;
  const std::vector<TEditLine>& Lines() const;
  // A word boundary left or right of Pos, as Ctrl+arrows move.
  int WordStart(int pos) const;
  int WordEnd(int pos) const;
  AnsiString DisplayText() const;
  // The text changed behind the engine's back (SetText): keep the
  // selection in range and redo the layout.
  void TextReplaced();
  void InvalidateLayout() {
    layoutValid_ = false;
    layoutTailFrom_ = -1;
  }
  // Adds Tail at the end as SetText would; the lines laid out before the
  // last one stay.
  void AppendEditText(const AnsiString& tail);
  // False for a control whose LayoutLines does not break the text at its
  // hard line breaks alone (the lines before an addition would change).
  virtual bool LaysOutHardLines() const { return true; }
  // Breaks the text into lines of one height; controls that lay their
  // text out themselves (the rich edit) give their own lines.
  virtual void LayoutLines(std::vector<TEditLine>& lines, int& lineHeight) const;
  // The right edge of each character of Line from the line's start, and
  // where the line starts right of the formatting rectangle's left edge.
  // The ends are the control's own measure, good until another line is
  // measured: the caret is placed several times for each key.
  virtual const std::vector<int>& LineEnds(int line) const;
  // A one-line edit puts a text shorter than the rectangle where its
  // alignment says.
  virtual int LineLeft(int line) const;
  // The width of a line that is not empty.
  virtual int LineWidth(int line) const;
  // Where a line starts below the first line's top, and how high it is;
  // lines of one height unless a control lays out lines of its own.
  virtual int LineTop(int line) const { return line * LineHeight(); }
  virtual int LineHeightAt(int line) const {
    (void)line;
    return LineHeight();
  }
  // The line at Y below the first line's top (-1 above it, the last one
  // below the last line).
  virtual int LineAtY(int y) const;
  // The formatting rectangle's y of a line's top, as scrolled now.
  int LineY(int line) const { return EditRect().Top + LineTop(line) - LineTop(topLine_); }
  // Repaints what an edit replacing from Start changed; the whole control
  // unless a control knows which of its lines changed.
  virtual void InvalidateEdited(int start) {
    (void)start;
    Invalidate();
  }
  // Repaints the lines that hold characters [Start, End].
  void InvalidateChars(int start, int end);
  // Draws the visible lines, clipped to the formatting rectangle.
  virtual void PaintLines(TCanvas& canvas);
  // Keeps what Undo gives back; called before each change it can undo.
  virtual void SaveUndo();
  // Called with the range and its replacement just before the text
  // changes by an edit (not by SetText).
  virtual void RangeReplacing(int start, int end, const AnsiString& s) { (void)start, (void)end, (void)s; }
  // The widest line after a layout that replaced a few lines, from the
  // widest before it, or -1 when every line is to be measured again.
  virtual int WidestAfterEdit(int widest) const {
    (void)widest;
    return -1;
  }
  // Width in pixels of the widest line as it is drawn in the control's
  // font, measured once per layout.
  int WidestLine() const;
  int scrollX_ = 0;
  int goalX_ = -1;  // the x that up/down try to keep

 private:
  void BuildLayout() const;
  // Lays the lines of Text out from Start, a hard line's start.
  void LayOutHardLines(std::vector<TEditLine>& lines, const AnsiString& text, int start) const;
  // Lays out again what follows the last hard line laid out whole.
  void LayOutTail() const;
  // The focused edit owns the caret, a line as high as its text.
  void CreateEditCaret();
  void SyncCaret();
  int XOfChar(int line, int index) const;

  // The code page bytes that stand for UTF-16 text, one per code unit.
  static AnsiString WideBytes(const WideString& w);
  static WideString Drawable(WideString w);
  bool wideMode_ = false;
  WideString wide_;
  const WideString* pendingWide_ = nullptr;  // what a replacement inserts
  int anchor_ = 0, caret_ = 0;
  int maxLength_ = 0;
  bool readOnly_ = false;
  char passwordChar_ = 0;
  TBorderStyle borderStyle_ = bsSingle;
  TAlignment alignment_ = taLeftJustify;
  bool hasUndo_ = false;
  // What Undo gives back, kept as a difference: the text as it was is the
  // text now with the UndoLength characters from UndoStart replaced by
  // UndoPiece (its wide form too in wide mode), so that a keystroke in a
  // long text does not copy the text.
  int undoStart_ = 0, undoLength_ = 0;
  AnsiString undoPiece_;
  WideString undoWidePiece_;
  bool undoWide_ = false;  // the wide piece was kept
  int undoAnchor_ = 0, undoCaret_ = 0;
  // Widens the difference over a replacement of [Start, End) by Inserted
  // characters about to be made.
  void NoteUndoReplace(int start, int end, int inserted);
  std::optional<TRect> formatRect_;
  int topLine_ = 0;
  bool selecting_ = false;
  bool settingText_ = false;
  bool replacing_ = false;  // within ReplaceRange
  mutable bool layoutValid_ = false;
  mutable std::vector<TEditLine> lines_;
  mutable int lineHeight_ = 0;
  mutable int widestLine_ = -1;
  mutable size_t widestCount_ = 0;  // the lines WidestLine was taken from
  int appendedFrom_ = -1;           // where AppendEditText's tail starts
  // Set while the lines before it are still good (text only added after it).
  mutable int layoutTailFrom_ = -1;
  int caretHeight_ = 0;
  // The line LineEnds measured last and what it gave: keeping the caret in
  // view, placing a click and moving or sizing the control measure the
  // same line again and again.
  struct TMeasuredLine {
    bool Valid = false;
    bool Wide = false;
    AnsiString Text;
    WideString WideText;
    TFont Font;
    std::vector<int> Ends;
  };
  mutable TMeasuredLine measured_;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// ---- masked edit -------------------------------------------------------------

// The mask's validation failed when leaving the control.
DIM_EXCEPTION(EDBEditError, Exception)

class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* AOwner);
  const AnsiString& EditMask() const { return mask_.Source(); }
  // The current value is kept as far as it fits the new mask.
  void SetEditMask(const AnsiString& mask);
  bool IsMasked() const { return !mask_.Empty(); }
  // What is shown: literals in place, the blank character in empty places.
  const AnsiString& EditText() const { return TControl::Text(); }
  void SetEditText(const AnsiString& s);
  // The value: literals dropped unless the mask keeps them (";1"), blanks
  // of empty places trimmed. Without a mask the same as EditText.
  AnsiString Text() const;
  void SetText(const AnsiString& value);
  // Raises EDBEditError, with the caret on the first missing place, when a
  // required place is empty; an untouched empty text passes.
  virtual void ValidateEdit();
  const TEditMask& Mask() const { return mask_; }
  void Dispatch(TMessage& Message) override;

 protected:
  bool EditKey(Word key, TShiftState shift) override;
  bool EditChar(char ch) override;
  void DoExit() override;
  void DoEnter() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  void ClearPlaces(int start, int end);
  TEditMask mask_;
  AnsiString enterText_;
};

class TMaskEdit : public TCustomMaskEdit {
 public:
  explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};

// ---- memo ------------------------------------------------------------------------

class TCustomMemo;

// A memo's text seen as lines. Outside a batch every change goes to the
// memo at once; between BeginUpdate and EndUpdate the lines are kept here
// and the memo gets the whole text once at the end, so that writing a long
// report line by line does not copy the text once per line. Reading through
// these lines during a batch sees the batch; the memo's own Text catches up
// at EndUpdate.
class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TCustomMemo& memo) : memo_(memo) {}
  int Count() const override;
  AnsiString Get(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void Insert(int index, const AnsiString& s) override;
  void Delete(int index) override;
  void Clear() override;
  AnsiString Text() const override;
  void SetText(const AnsiString& text) override;

 protected:
  void SetUpdateState(bool updating) override;

 private:
  // Byte range of line Index in the memo's text (without its break) and
  // where the next line starts.
  void Range(int index, size_t& start, size_t& end, size_t& next) const;
  void CheckIndex(int index, bool allowEnd) const;
  // Adds a line after the last without copying the text.
  void Append(const AnsiString& s);
  // Where each line starts, kept until the memo's text changes, so that
  // walking the lines costs one pass over the text.
  const std::vector<size_t>& Starts() const;
  TCustomMemo& memo_;
  mutable std::vector<size_t> starts_;
  mutable unsigned long long startsVersion_ = ~0ull;
  bool batching_ = false;
  bool changed_ = false;
  std::vector<AnsiString> batch_;
};

class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;
  TStrings& Lines() { return *lines_; }
  const TStrings& Lines() const { return *lines_; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  TScrollStyle ScrollBars() const { return scrollBars_.Style(); }
  void SetScrollBars(TScrollStyle s);
  bool WantReturns = true;
  bool WantTabs = false;
  // The caret as line and column.
  TPoint CaretPosXY() const;
  void Dispatch(TMessage& Message) override;

 protected:
  bool MultiLine() const override { return true; }
  bool WrapLines() const override { return wordWrap_; }
  TRect TextArea() const override;
  bool EditChar(char ch) override;
  void Paint() override;
  void LayoutChanged() override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  // A derived memo whose lines load and save in their own way.
  void ReplaceLines(std::unique_ptr<TMemoStrings> lines) { lines_ = std::move(lines); }

 private:
  friend class TMemoStrings;
  void Scroll(int bar, int code, int pos);
  // The bars follow the layout lazily: a change only marks them stale, and
  // they are set when next painted or read. Setting them measures every
  // line, so doing it after each line a program adds would make writing a
  // long text cost the square of its length.
  void UpdateBars();
  void FlushBars();
  bool barsStale_ = false;
  unsigned long long textVersion_ = 0;
  std::unique_ptr<TMemoStrings> lines_;
  TWindowScrollBars scrollBars_;
  bool wordWrap_ = true;
};

class TMemo : public TCustomMemo {
 public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};
