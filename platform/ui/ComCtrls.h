#pragma once
// The common controls: up-down buttons, progress bars, status bars, tool
// bars, page controls, the date and time picker and the rich edit.

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/ComCtrlsRichText.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"

// ---- up-down ----------------------------------------------------------------------

enum TUDBtnType { btNext, btPrev };
enum TUDOrientation { udHorizontal, udVertical };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// Two arrow buttons. A press steps once; held, it steps again after 400 ms
// and then every 100 ms. The associated control shows the position.
class TUpDown : public TCustomControl {
 public:
  explicit TUpDown(TComponent* AOwner);
  ~TUpDown() override;
  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const { return position_; }
  void SetPosition(int v);
  int Increment = 1;
  // Past one end the position goes round to the other.
  bool Wrap = false;
  // The Up and Down keys of the associated control step too.
  bool ArrowKeys = true;
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation o);
  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* c);
  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;
  // Steps as a press of Button does.
  void Step(TUDBtnType Button);
  // The button under a client point.
  TUDBtnType ButtonAt(TPoint p) const;
  TRect ButtonRect(TUDBtnType Button) const;
  void Dispatch(TMessage& Message) override;

  static constexpr int kFirstRepeatMs = 400;
  static constexpr int kRepeatMs = 100;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // A step by the user: OnChanging may refuse, then OnClick runs.
  using TCustomControl::Click;
  virtual void Click(TUDBtnType Button);

 private:
  void StopRepeat();
  int min_ = 0, max_ = 100, position_ = 0;
  TUDOrientation orientation_ = udVertical;
  TWinControl* associate_ = nullptr;
  int pressed_ = -1;  // the button held, as a TUDBtnType
  bool repeating_ = false;
};

// ---- progress bar -------------------------------------------------------------------

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TCustomControl {
 public:
  explicit TProgressBar(TComponent* AOwner);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int v) { SetRange(v, std::max(v, max_)); }
  void SetMax(int v) { SetRange(std::min(min_, v), v); }
  void SetRange(int AMin, int AMax);
  // Kept between Min and Max.
  void SetPosition(int v);
  int Step = 10;
  void StepIt();
  void StepBy(int Delta);
  bool Smooth = false;
  TProgressBarOrientation Orientation = pbHorizontal;
  // The filled part (client coordinates).
  TRect FilledRect() const;

 protected:
  void Paint() override;

 private:
  int min_ = 0, max_ = 100, position_ = 0;
};

// ---- status bar ----------------------------------------------------------------------

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
enum TStatusPanelStyle { psText, psOwnerDraw };

class TStatusBar;

struct TStatusPanel {
  AnsiString Text;
  int Width = 50;
  TAlignment Alignment = taLeftJustify;
  TStatusPanelBevel Bevel = pbLowered;
  TStatusPanelStyle Style = psText;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel& Panel, const TRect& Rect)>;

class TStatusBar : public TCustomControl {
 public:
  explicit TStatusBar(TComponent* AOwner);
  // The panels; after changing them, call PanelsChanged (or use SetPanelText).
  std::vector<TStatusPanel> Panels;
  TStatusPanel& AddPanel(int Width, const AnsiString& Text = {});
  void SetPanelText(int Index, const AnsiString& Text);
  void PanelsChanged() { Invalidate(); }
  // One panel of SimpleText over the whole bar.
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool v);
  const AnsiString& SimpleText() const { return simpleText_; }
  void SetSimpleText(const AnsiString& s);
  bool SizeGrip = true;
  TDrawPanelEvent OnDrawPanel;
  // Where panel Index lies; the last panel takes what is left.
  TRect PanelRect(int Index) const;

 protected:
  void Paint() override;

 private:
  bool simplePanel_ = false;
  AnsiString simpleText_;
};

// ---- date and time picker ----------------------------------------------------------

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateMode { dmComboBox, dmUpDown };
enum TDTDateFormat { dfShort, dfLong };

class TDateTimePicker;

// The month calendar that drops down from a date picker.
class TCalendarWindow : public TPopupWindow {
 public:
  explicit TCalendarWindow(TDateTimePicker& picker);
  // The month shown and the day marked.
  TDateTime Marked() const { return marked_; }
  void SetMarked(TDateTime day);
  // The day drawn at a client point; false outside the days.
  bool DayAt(TPoint p, TDateTime& day) const;
  // Where the day lies (it must be in the month shown).
  TRect DayRect(TDateTime day) const;
  TRect PrevMonthRect() const;
  TRect NextMonthRect() const;
  static TSize PreferredSize();
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  // The first cell of the grid: the Monday on or before the 1st.
  TDateTime GridStart() const;
  TDateTimePicker& picker_;
  TDateTime marked_ = 0;
};

class TDateTimePicker : public TCustomControl {
 public:
  explicit TDateTimePicker(TComponent* AOwner);
  ~TDateTimePicker() override;

  TDateTimeKind Kind() const { return kind_; }
  void SetKind(TDateTimeKind k);
  TDTDateMode DateMode() const { return dateMode_; }
  void SetDateMode(TDTDateMode m);
  TDTDateFormat DateFormat() const { return dateFormat_; }
  void SetDateFormat(TDTDateFormat f);
  // The whole value; Date keeps the time and Time the date.
  TDateTime DateTime() const { return value_; }
  void SetDateTime(TDateTime v);
  TDateTime Date() const;
  void SetDate(TDateTime d);
  TDateTime Time() const;
  void SetTime(TDateTime t);
  // A check box before the value; unchecked, the value is shown grey.
  bool ShowCheckbox() const { return showCheckbox_; }
  void SetShowCheckbox(bool v);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  // 0: no bound.
  TDateTime MinDate = 0;
  TDateTime MaxDate = 0;
  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

  bool DroppedDown() const { return calendar_ && calendar_->Visible(); }
  void SetDroppedDown(bool v);
  TCalendarWindow* Calendar() const { return calendar_; }
  // The text shown, field by field.
  AnsiString Text() const;
  // The field the keys change (0 the first).
  int SelectedField() const { return selected_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TRect ButtonRect() const;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoExit() override;
  virtual void Change();
  // The calendar's drop-down and close-up notifications: OnDropDown and
  // OnCloseUp.
  virtual void DropDown();
  virtual void CloseUp();
  void BoundsChanged() override;

 private:
  friend class TCalendarWindow;
  enum class Part { Day, Month, Year, Hour, Minute, Second, Literal };
  struct Field {
    Part part;
    int width;  // digits shown at least (2 for "dd"), 4 for "yyyy"
    AnsiString literal;
  };
  void BuildFields();
  int FieldValue(Part part) const;
  int FieldMin(Part part) const;
  int FieldMax(Part part) const;
  // Sets one part, keeping the day within its month and the value within
  // MinDate and MaxDate; runs OnChange when the value changed.
  void SetPart(Part part, int value);
  void ChangeValue(TDateTime v);
  void StepField(int delta);
  void MoveField(int direction);
  // Field rectangles as laid out in the last paint or measure.
  std::vector<TRect> FieldRects();
  TRect TextArea() const;

  TDateTimeKind kind_ = dtkDate;
  TDTDateMode dateMode_ = dmComboBox;
  TDTDateFormat dateFormat_ = dfShort;
  TDateTime value_;
  bool showCheckbox_ = false;
  bool checked_ = true;
  std::vector<Field> fields_;
  int selected_ = 0;
  AnsiString typed_;
  TCalendarWindow* calendar_ = nullptr;
  TUpDown* upDown_ = nullptr;
};

// ---- tool bar ------------------------------------------------------------------------

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolBar;

// A button of a tool bar: a picture of the bar's image list (and its
// caption when the bar shows captions); a check button stays down.
class TToolButton : public TGraphicControl {
 public:
  explicit TToolButton(TComponent* AOwner);
  TToolButtonStyle Style() const { return style_; }
  void SetStyle(TToolButtonStyle s);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int i);
  bool Down() const { return down_; }
  // A grouped check button going down puts up its grouped neighbours.
  void SetDown(bool v);
  bool Grouped = false;
  bool AllowAllUp = false;
  TToolBar* ToolBar() const;
  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TToolButtonStyle style_ = tbsButton;
  int imageIndex_ = -1;
  bool down_ = false;
  bool pressed_ = false;
  bool hot_ = false;
};

class TToolBar : public TCustomControl {
 public:
  explicit TToolBar(TComponent* AOwner);
  ~TToolBar() override;
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* list);
  int ButtonWidth() const { return buttonWidth_; }
  int ButtonHeight() const { return buttonHeight_; }
  void SetButtonSize(int width, int height);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  bool ShowCaptions() const { return showCaptions_; }
  void SetShowCaptions(bool v);
  int ButtonCount() const;
  TToolButton* Buttons(int index) const;
  // Places the buttons and other controls left to right in the order they
  // were added.
  void ArrangeButtons();
  void AlignControls(TControl* AControl, TRect& Rect) override;

 protected:
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TCustomImageList* images_ = nullptr;
  int buttonWidth_ = 23, buttonHeight_ = 22;
  bool flat_ = false;
  bool showCaptions_ = false;
  bool arranging_ = false;
};

// ---- page control ----------------------------------------------------------------------

class TPageControl;

class TTabSheet : public TCustomControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* p);
  int PageIndex() const;
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);

 protected:
  void Paint() override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TPageControl : public TCustomControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const { return pages_.at(static_cast<size_t>(index)); }
  TTabSheet* ActivePage() const { return active_; }
  // Shows Page (in code: no events).
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  // The next (or previous) page with a visible tab, wrapping, as the
  // user's Ctrl+Tab does: OnChanging may refuse, then OnChange runs.
  void SelectNextPage(bool GoForward);
  TRect TabRect(int index);
  // The page at a client point's tab, nullptr when none.
  TTabSheet* PageAtTab(TPoint p);
  // Where the pages lie.
  TRect DisplayRect() const;
  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  // The user's change of page; false when OnChanging refused.
  bool ChangeByUser(TTabSheet* page);
  int TabHeight() const;
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};

// ---- rich edit ------------------------------------------------------------------------

// The rich edit's messages, with the system's numbers.
constexpr UINT EM_EXGETSEL = WM_USER + 52;
constexpr UINT EM_EXLINEFROMCHAR = WM_USER + 54;
constexpr UINT EM_EXSETSEL = WM_USER + 55;
constexpr UINT EM_FINDTEXT = WM_USER + 56;
constexpr UINT EM_FORMATRANGE = WM_USER + 57;
constexpr UINT FR_DOWN = 1, FR_WHOLEWORD = 2, FR_MATCHCASE = 4;

struct CHARRANGE {
  int cpMin = 0;
  int cpMax = -1;  // -1: to the end
};
// A page of text to render or measure: the canvases stand in for the
// device contexts; the rectangles are in twips of the target.
struct FORMATRANGE {
  TCanvas* hdc = nullptr;
  TCanvas* hdcTarget = nullptr;
  TRect rc;
  TRect rcPage;
  CHARRANGE chrg;
};
struct FINDTEXTA {
  CHARRANGE chrg;
  const char* lpstrText = nullptr;
};

// What a format-range lays out of a text and draws: the lines of the page
// a range describes (from its first character, within its rectangle), and
// their drawing, for a user that keeps a page to draw it again. The
// character ends of the lines are measured on the first drawing and kept.
// The text must outlive the page.
class TRichPage {
 public:
  // Measures, when given, are kept by the caller for this content (the
  // control keeps them from one format-range call to the next).
  TRichPage(const TRichContent& Content, const FORMATRANGE& Range, TRichMeasures* Measures = nullptr);
  // Lays the page Range describes instead, in the storage of this one: a
  // report asks for a page or more at every band it prints.
  void Lay(const FORMATRANGE& Range);
  // The first character that did not fit.
  int Next() const { return lines_.back().Next; }
  // The least height that may hold the rest of the text from the page's
  // start (see TRichLayout::LayPage).
  int Room() const { return room_; }
  // On Range.hdc in Range.rc, cut at the rectangle.
  void Draw(const FORMATRANGE& Range) const;

 private:
  const TRichContent& content_;
  TRichMeasures* measures_;
  std::vector<TRichLine> lines_;
  int room_ = 0;
  mutable std::map<int, std::vector<int>> ends_;
};

enum TSearchType : unsigned { stWholeWord = 1, stMatchCase = 2 };
using TSearchTypes = unsigned;
enum TNumberingStyle { nsNone, nsBullet };

class TCustomRichEdit;

// The character formats of the selection (the first selected character's,
// or what typing would give) or the control's default ones. Setting one
// changes that property alone, over the whole selection.
class TTextAttributes {
 public:
  enum TAttributeType { atSelected, atDefaultText };
  TTextAttributes(TCustomRichEdit& edit, TAttributeType type) : edit_(edit), type_(type) {}
  AnsiString Name() const { return Get().Name; }
  void SetName(const AnsiString& v);
  // Points.
  int Size() const { return Get().HalfPoints / 2; }
  void SetSize(int v);
  // Pixels at the screen's resolution, negative as the font's.
  int Height() const;
  void SetHeight(int v);
  TFontStyles Style() const { return Get().Style; }
  void SetStyle(TFontStyles v);
  TColor Color() const { return Get().Color; }
  void SetColor(TColor v);
  int Charset() const { return Get().Charset; }
  void SetCharset(int v);
  void Assign(const TFont& font);
  void AssignTo(TFont& font) const;

 private:
  TRichCharFormat Get() const;
  void Change(const std::function<void(TRichCharFormat&)>& change);
  TCustomRichEdit& edit_;
  TAttributeType type_;
};

// The paragraph formats of the paragraphs the selection touches (read from
// the first). Indents are in points.
class TParaAttributes {
 public:
  explicit TParaAttributes(TCustomRichEdit& edit) : edit_(edit) {}
  TAlignment Alignment() const { return Get().Alignment; }
  void SetAlignment(TAlignment v);
  int FirstIndent() const { return Get().FirstIndent / 20; }
  void SetFirstIndent(int v);
  int LeftIndent() const { return Get().LeftIndent / 20; }
  void SetLeftIndent(int v);
  int RightIndent() const { return Get().RightIndent / 20; }
  void SetRightIndent(int v);
  TNumberingStyle Numbering() const { return Get().Bullet ? nsBullet : nsNone; }
  void SetNumbering(TNumberingStyle v);
  int TabCount() const { return static_cast<int>(Get().Tabs.size()); }
  void SetTabCount(int v);
  int Tab(int index) const;
  void SetTab(int index, int v);

 private:
  TRichParaFormat Get() const;
  void Change(const std::function<void(TRichParaFormat&)>& change);
  TCustomRichEdit& edit_;
};

// The largest file the rich-text control's lines load. A line break costs
// the control some hundred and ten bytes (its paragraph's format, its place
// in the layout, the formats of its two characters), and so does each
// character of a line as long as the file while it is measured; ordinary
// text takes some nine times its size. The bound keeps the worst of them
// within about half a gigabyte.
constexpr Int64 MaxRichEditFileSize = Int64{4} << 20;

// The rich-text control: runs of fonts and colours in paragraphs with
// alignment, indents, bullets and tab stops, over the memo's editing,
// scroll bars and batched lines. Positions count a line break as two
// characters everywhere (selection, lines, find and format-range). Lines
// load RTF or code-page-1253 text and save RTF (plain text with
// PlainText); lines and plain text show characters beyond the code page as
// "?", while the control keeps them.
class TCustomRichEdit : public TCustomMemo {
 public:
  explicit TCustomRichEdit(TComponent* AOwner);
  ~TCustomRichEdit() override;
  bool PlainText() const { return plainText_; }
  void SetPlainText(bool v) { plainText_ = v; }
  TTextAttributes& SelAttributes() { return selAttributes_; }
  TTextAttributes& DefAttributes() { return defAttributes_; }
  TParaAttributes& Paragraph() { return paragraph_; }
  // Where SearchStr is in [StartPos, StartPos + Length), or -1.
  int FindText(const AnsiString& SearchStr, int StartPos, int Length, TSearchTypes Options) const;
  // Renders (or only measures) from Range->chrg.cpMin into Range->rc on
  // Range->hdc and gives the first character that did not fit; each call
  // takes at least one line. A null range ends a job; what was measured
  // is kept while the text stays as it is, since a report that prints a
  // text lays it out again for its export.
  int FormatRange(const FORMATRANGE* Range, bool Render);
  // The same, and into Room the least height (in twips) of Range->rc that
  // may hold the whole rest of the text: a rectangle less tall does not,
  // so a band growing a step at a time need not ask again below it.
  int FormatRange(const FORMATRANGE* Range, bool Render, int& Room);
  // The size the formatted text needs at the formatting rectangle's width
  // (wrapped when WordWrap is on): the widest line with its indent, and the
  // lines' heights, in pixels (what the class library's resize request
  // reports).
  TSize RequiredSize() const;
  TNotifyEvent OnSelectionChange;

  // The text with its formats (the codec's model), and whole-text RTF.
  const TRichContent& Content() const;
  AnsiString RichText() const { return richtext::WriteRtf(Content().Document()); }
  // Raises ERichTextError for damaged RTF and keeps what it held.
  void SetRichText(std::string_view rtf);
  // Replaces the selection by a document as the user does (undo,
  // Modified, OnChange); false when read-only.
  bool ReplaceSelection(const TRichDocument& doc);

  void CopyToClipboard() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  void Undo() override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // Characters beyond the code page are typed into the text as they are.
  bool WantsWideChars() const override { return true; }

 protected:
  void PaintLines(TCanvas& canvas) override;
  int LineTop(int line) const override;
  int LineHeightAt(int line) const override;
  int LineAtY(int y) const override;
  void InvalidateEdited(int start) override;
  void LayoutChanged() override;
  void LayoutLines(std::vector<TEditLine>& lines, int& lineHeight) const override;
  bool LaysOutHardLines() const override { return false; }
  const std::vector<int>& LineEnds(int line) const override;
  int LineWidth(int line) const override;
  int LineLeft(int line) const override;
  void SaveUndo() override;
  int WidestAfterEdit(int widest) const override;
  void RangeReplacing(int start, int end, const AnsiString& s) override;

 private:
  friend class TTextAttributes;
  friend class TParaAttributes;
  friend class TRichEditStrings;
  // Brings the formats in line with a text the memo changed itself.
  void SyncContent() const;
  // Puts the content's text in the control (the caret goes to the start).
  void ContentReplaced();
  void ChangeFormat(int start, int end, const std::function<void(TRichCharFormat&)>& change);
  void ChangePara(const std::function<void(TRichParaFormat&)>& change);
  TRichCharFormat FontFormat() const;
  TRichLayout ScreenLayout() const;
  int InsertFormat() const;
  bool plainText_ = false;
  mutable TRichContent content_;
  // What Undo puts back of the content: the paragraphs an edit touched as
  // they were (the memo keeps the text's own difference), and the default
  // format. Count paragraphs from First stand for them now; none while
  // nothing changed.
  struct TRichUndo {
    int First = 0, Count = 0;
    bool Empty = true;
    TRichContent::TParagraphs Old;
    TRichCharFormat Default;
  };
  mutable TRichUndo undo_;
  // Widens the undo record over the paragraphs [Start, End] touches,
  // before they change.
  void WidenUndo(int start, int end) const;
  // Whether the content is known to hold the control's text: set once they
  // were compared, and kept through an edit that changes both in step.
  mutable bool synced_ = false;
  bool editInStep_ = false;
  // Kept by format-range from call to call until released.
  TRichMeasures printMeasures_;
  // The page the last format-range laid out and what it was asked for: a
  // report measures a page and then draws that same page, on the printer's
  // page and again into its exported picture. Dropped when a job ends;
  // its storage stays for the next page laid.
  struct TPageAsked {
    std::uint64_t Revision;
    int From, Width, Height, Last;
    friend bool operator==(const TPageAsked&, const TPageAsked&) = default;
  };
  TPageAsked lastAsked_{};
  std::optional<TRichPage> lastPage_;
  bool pageKept_ = false;
  int FormatRange(const FORMATRANGE* range, bool render, int* room);
  TRichCharFormat fontFormat_;
  std::unique_ptr<TRichDocument> pendingDoc_;
  int insertFormat_ = -1;  // set by SelAttributes with nothing selected
  int notifiedStart_ = -1, notifiedLength_ = -1;
  // The control's lines; after one edit only its paragraphs are laid out
  // again, so that typing in a long text stays quick.
  struct TPendingEdit {
    int Start, End, Inserted;
  };
  void Relayout();
  bool RelayoutEdit(const TPendingEdit& edit, int width, bool wrap) const;
  mutable std::vector<TRichLine> screenLines_;
  // Character ends of lines measured since the last layout, by first
  // character (the caret and painting ask for the same lines again).
  mutable std::map<int, std::vector<int>> endsCache_;
  const std::vector<int>& CachedEnds(const TRichLine& line) const;
  mutable std::unique_ptr<TPendingEdit> pendingEdit_;
  // The lines the last layout after an edit laid out again [first, last),
  // and whether the lines below them moved; First < 0 after a whole layout.
  mutable int editedFirst_ = -1, editedLast_ = -1;
  // The widest of the lines the edit replaced, -1 when one was never
  // measured.
  mutable int editedWidest_ = -1;
  int MeasuredWidth(TRichLine& line) const;
  mutable bool editedMoved_ = true;
  mutable bool fullLayout_ = true;
  mutable int laidWidth_ = -1;
  mutable bool laidWrap_ = false;
  TTextAttributes selAttributes_{*this, TTextAttributes::atSelected};
  TTextAttributes defAttributes_{*this, TTextAttributes::atDefaultText};
  TParaAttributes paragraph_{*this};
};

class TRichEdit : public TCustomRichEdit {
 public:
  explicit TRichEdit(TComponent* AOwner) : TCustomRichEdit(AOwner) {}
};

// The tree view, a common control as the rest of this unit.
#include "platform/ui/ComCtrlsTree.h"
