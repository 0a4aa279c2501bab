// The date and time picker: fields typed or stepped one at a time, a check
// box, up-down buttons or a drop-down month calendar.

#include <algorithm>
#include <cmath>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/ControlPaint.h"

namespace paint = ui::paint;

namespace {
constexpr int kButtonWidth = 17, kCheckSize = 13, kCellW = 24, kCellH = 17, kHeaderH = 22;

TDateTime DayOf(TDateTime v) { return std::floor(v); }
TDateTime TimeOf(TDateTime v) { return v - std::floor(v); }

int DaysIn(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(static_cast<Word>(year)) ? 29 : days[month - 1];
}
}  // namespace

// ---- TCalendarWindow -------------------------------------------------------------------

TCalendarWindow::TCalendarWindow(TDateTimePicker& picker) : TPopupWindow(nullptr), picker_(picker) {
  ControlStyle >> csClickEvents;
  SetFont(picker.Font());
}

TSize TCalendarWindow::PreferredSize() { return {7 * kCellW + 8, kHeaderH + 7 * kCellH + 8}; }

void TCalendarWindow::SetMarked(TDateTime day) {
  marked_ = DayOf(day);
  Invalidate();
}

TDateTime TCalendarWindow::GridStart() const {
  Word y, m, d;
  DecodeDate(marked_, y, m, d);
  const TDateTime first = EncodeDate(y, m, 1);
  const int fromMonday = (DayOfWeek(first) + 5) % 7;  // Monday 0 ... Sunday 6
  return first - fromMonday;
}

TRect TCalendarWindow::DayRect(TDateTime day) const {
  const int index = static_cast<int>(DayOf(day) - GridStart());
  const int row = index / 7, column = index % 7;
  return Bounds(4 + column * kCellW, 4 + kHeaderH + kCellH * (row + 1), kCellW, kCellH);
}

bool TCalendarWindow::DayAt(TPoint p, TDateTime& day) const {
  const int column = (p.X - 4) / kCellW, row = (p.Y - 4 - kHeaderH) / kCellH - 1;
  if (p.X < 4 || p.Y < 4 + kHeaderH + kCellH || column > 6 || row > 5 || row < 0) return false;
  day = GridStart() + row * 7 + column;
  return true;
}

TRect TCalendarWindow::PrevMonthRect() const { return Bounds(4, 4, 20, kHeaderH - 4); }
TRect TCalendarWindow::NextMonthRect() const { return Bounds(Width() - 24, 4, 20, kHeaderH - 4); }

void TCalendarWindow::MouseUp(TMouseButton button, TShiftState shift, int X, int Y) {
  TPopupWindow::MouseUp(button, shift, X, Y);
  if (button != mbLeft) return;
  const TPoint p = Point(X, Y);
  if (PtInRect(PrevMonthRect(), p)) {
    SetMarked(IncMonth(marked_, -1));
    return;
  }
  if (PtInRect(NextMonthRect(), p)) {
    SetMarked(IncMonth(marked_, 1));
    return;
  }
  TDateTime day;
  if (!DayAt(p, day)) return;
  TDateTimePicker& picker = picker_;
  picker.SetDroppedDown(false);  // frees this window
  picker.ChangeValue(day + TimeOf(picker.DateTime()));
}

void TCalendarWindow::Dispatch(TMessage& m) {
  if (m.Msg == CM_CANCELMODE) {
    picker_.SetDroppedDown(false);
    return;
  }
  if (m.Msg == CM_RELEASE) {
    delete this;  // closed earlier; nothing of it is touched after this
    return;
  }
  TPopupWindow::Dispatch(m);
}

void TCalendarWindow::Paint() {
  TCanvas& c = Canvas();
  paint::Fill(c, ClientRect(), clWindow);
  paint::Frame(c, ClientRect(), clWindowFrame);
  c.Font->Assign(Font());
  Word y, m, d;
  DecodeDate(marked_, y, m, d);
  TRect header = Rect(2, 2, Width() - 2, 2 + kHeaderH);
  paint::Fill(c, header, clBtnFace);
  TRect prev = PrevMonthRect(), next = NextMonthRect();
  DrawFrameControl(c, prev, DFC_SCROLL, DFCS_SCROLLLEFT);
  DrawFrameControl(c, next, DFC_SCROLL, DFCS_SCROLLRIGHT);
  c.Font->Color = clBtnText;
  paint::Caption(c, LongMonthNames[m - 1] + " " + IntToStr(y), header,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, true);
  // Weekday names, Monday first.
  for (int i = 0; i < 7; ++i) {
    TRect cell = Bounds(4 + i * kCellW, 4 + kHeaderH, kCellW, kCellH);
    c.Font->Color = clGrayText;
    paint::Caption(c, ShortDayNames[(i + 1) % 7], cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
                   true);
  }
  const TDateTime start = GridStart();
  for (int i = 0; i < 42; ++i) {
    const TDateTime day = start + i;
    Word dy, dm, dd;
    DecodeDate(day, dy, dm, dd);
    const TRect cell = DayRect(day);
    const bool marked = DayOf(day) == marked_;
    if (marked) paint::Fill(c, cell, clHighlight);
    c.Font->Color = marked ? clHighlightText : dm == m ? clWindowText : clGrayText;
    paint::Caption(c, IntToStr(dd), cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE, true);
  }
}

// ---- TDateTimePicker -------------------------------------------------------------------

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TCustomControl(AOwner), value_(::Date()) {
  SetTabStop(true);
  SetColor(clWindow);
  ControlStyle >> csClickEvents >> csDoubleClicks;
  SetBounds(0, 0, 186, 21);
  BuildFields();
}

TDateTimePicker::~TDateTimePicker() {
  Destroying();
  delete calendar_;
  calendar_ = nullptr;
}

void TDateTimePicker::BuildFields() {
  fields_.clear();
  const AnsiString format = kind_ == dtkTime ? LongTimeFormat : ShortDateFormat;
  size_t i = 0;
  while (i < format.size()) {
    // The picker shows hours from 0 to 23: a morning/afternoon designator
    // of the format is left out with the blank before it.
    bool designator = false;
    for (const char* token : {"am/pm", "ampm", "a/p"}) {
      const size_t n = std::char_traits<char>::length(token);
      if (AnsiCompareText(format.substr(i, n), token) == 0) {
        if (!fields_.empty() && fields_.back().part == Part::Literal) {
          AnsiString& text = fields_.back().literal;
          while (!text.empty() && text.back() == ' ') text.pop_back();
          if (text.empty()) fields_.pop_back();
        }
        i += n;
        designator = true;
        break;
      }
    }
    if (designator) continue;
    const char ch = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
    size_t run = 1;
    while (i + run < format.size() && std::tolower(static_cast<unsigned char>(format[i + run])) == ch) ++run;
    Part part = Part::Literal;
    switch (ch) {
      case 'd':
        part = Part::Day;
        break;
      case 'm':
        part = Part::Month;
        break;
      case 'y':
        part = Part::Year;
        break;
      case 'h':
        part = Part::Hour;
        break;
      case 'n':
        part = Part::Minute;
        break;
      case 's':
        part = Part::Second;
        break;
      default:
        break;
    }
    if (part == Part::Literal) {
      AnsiString text = ch == '/'   ? AnsiString(1, DateSeparator)
                        : ch == ':' ? AnsiString(1, TimeSeparator)
                                    : format.substr(i, run);
      if (!fields_.empty() && fields_.back().part == Part::Literal)
        fields_.back().literal += text;
      else
        fields_.push_back({Part::Literal, 0, text});
    } else {
      const int width = part == Part::Year ? (run <= 2 ? 2 : 4) : static_cast<int>(std::min<size_t>(run, 2));
      fields_.push_back({part, width, {}});
    }
    i += run;
  }
  selected_ = 0;
  while (selected_ < FieldCount() && fields_[static_cast<size_t>(selected_)].part == Part::Literal)
    ++selected_;
  typed_.clear();
  Invalidate();
}

void TDateTimePicker::SetKind(TDateTimeKind k) {
  kind_ = k;
  if (k == dtkTime) SetDroppedDown(false);
  SetDateMode(dateMode_);
  BuildFields();
}

void TDateTimePicker::SetDateMode(TDTDateMode m) {
  dateMode_ = m;
  // The time kind always steps with its up-down buttons.
  const bool wantsUpDown = m == dmUpDown || kind_ == dtkTime;
  if (wantsUpDown && !upDown_) {
    upDown_ = new TUpDown(nullptr);
    upDown_->SetParent(this);
    upDown_->SetMin(-1);
    upDown_->SetMax(1);
    upDown_->OnClick = [this](TObject*, TUDBtnType b) {
      StepField(b == btNext ? 1 : -1);
      upDown_->SetPosition(0);
    };
    BoundsChanged();
  } else if (!wantsUpDown && upDown_) {
    TUpDown* u = upDown_;
    upDown_ = nullptr;
    delete u;
  }
  Invalidate();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat f) {
  dateFormat_ = f;
  BuildFields();
}

void TDateTimePicker::BoundsChanged() {
  TCustomControl::BoundsChanged();
  if (upDown_) upDown_->SetBounds(Width() - 2 - kButtonWidth, 2, kButtonWidth, std::max(0, Height() - 4));
}

TRect TDateTimePicker::ButtonRect() const {
  return Rect(Width() - 2 - kButtonWidth, 2, Width() - 2, Height() - 2);
}

TDateTime TDateTimePicker::Date() const { return DayOf(value_); }
TDateTime TDateTimePicker::Time() const { return TimeOf(value_); }
void TDateTimePicker::SetDate(TDateTime d) { SetDateTime(DayOf(d) + TimeOf(value_)); }
void TDateTimePicker::SetTime(TDateTime t) { SetDateTime(DayOf(value_) + TimeOf(t)); }

void TDateTimePicker::SetDateTime(TDateTime v) {
  value_ = v;
  typed_.clear();
  if (calendar_) calendar_->SetMarked(v);
  Invalidate();
}

void TDateTimePicker::SetShowCheckbox(bool v) {
  showCheckbox_ = v;
  Invalidate();
}

void TDateTimePicker::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Invalidate();
  Change();
}

void TDateTimePicker::Change() {
  if (OnChange) OnChange(this);
}

void TDateTimePicker::ChangeValue(TDateTime v) {
  if (MinDate != 0 && DayOf(v) < DayOf(MinDate)) v = DayOf(MinDate) + TimeOf(v);
  if (MaxDate != 0 && DayOf(v) > DayOf(MaxDate)) v = DayOf(MaxDate) + TimeOf(v);
  if (v == value_) return;
  value_ = v;
  if (calendar_) calendar_->SetMarked(v);
  Invalidate();
  Change();
}

int TDateTimePicker::FieldValue(Part part) const {
  Word y, m, d, h, n, s, ms;
  DecodeDate(value_, y, m, d);
  DecodeTime(value_, h, n, s, ms);
  switch (part) {
    case Part::Day:
      return d;
    case Part::Month:
      return m;
    case Part::Year:
      return y;
    case Part::Hour:
      return h;
    case Part::Minute:
      return n;
    case Part::Second:
      return s;
    case Part::Literal:
      break;
  }
  return 0;
}

int TDateTimePicker::FieldMin(Part part) const {
  // Years before 1900 lie before the day count's origin: not offered.
  return part == Part::Year ? 1900 : part == Part::Day || part == Part::Month ? 1 : 0;
}

int TDateTimePicker::FieldMax(Part part) const {
  switch (part) {
    case Part::Day:
      return DaysIn(FieldValue(Part::Year), FieldValue(Part::Month));
    case Part::Month:
      return 12;
    case Part::Year:
      return 9999;
    case Part::Hour:
      return 23;
    case Part::Minute:
    case Part::Second:
      return 59;
    case Part::Literal:
      break;
  }
  return 0;
}

void TDateTimePicker::SetPart(Part part, int v) {
  Word y, m, d, h, n, s, ms;
  DecodeDate(value_, y, m, d);
  DecodeTime(value_, h, n, s, ms);
  switch (part) {
    case Part::Day:
      d = static_cast<Word>(v);
      break;
    case Part::Month:
      m = static_cast<Word>(v);
      break;
    case Part::Year:
      y = static_cast<Word>(v);
      break;
    case Part::Hour:
      h = static_cast<Word>(v);
      break;
    case Part::Minute:
      n = static_cast<Word>(v);
      break;
    case Part::Second:
      s = static_cast<Word>(v);
      break;
    case Part::Literal:
      return;
  }
  // A day past the end of the new month becomes its last day.
  d = static_cast<Word>(std::min<int>(d, DaysIn(y, m)));
  ChangeValue(EncodeDate(y, m, d) + EncodeTime(h, n, s, ms));
}

void TDateTimePicker::StepField(int delta) {
  if (selected_ >= FieldCount() || !checked_) return;
  const Part part = fields_[static_cast<size_t>(selected_)].part;
  const int lo = FieldMin(part), hi = FieldMax(part);
  int v = FieldValue(part) + delta;
  // Each field goes round within its own range.
  if (v > hi) v = lo;
  if (v < lo) v = hi;
  typed_.clear();
  SetPart(part, v);
}

void TDateTimePicker::MoveField(int direction) {
  typed_.clear();
  int i = selected_;
  for (int n = 0; n < FieldCount(); ++n) {
    i += direction;
    if (i < 0 || i >= FieldCount()) return;
    if (fields_[static_cast<size_t>(i)].part != Part::Literal) {
      selected_ = i;
      Invalidate();
      return;
    }
  }
}

AnsiString TDateTimePicker::Text() const {
  AnsiString text;
  for (const Field& f : fields_) {
    if (f.part == Part::Literal) {
      text += f.literal;
      continue;
    }
    AnsiString digits =
        IntToStr(f.part == Part::Year && f.width == 2 ? FieldValue(f.part) % 100 : FieldValue(f.part));
    while (static_cast<int>(digits.size()) < f.width) digits = "0" + digits;
    text += digits;
  }
  return text;
}

TRect TDateTimePicker::TextArea() const {
  TRect r = InflateRect(ClientRect(), -2, -2);
  r.Left += 2;
  if (showCheckbox_) r.Left += kCheckSize + 4;
  r.Right = ButtonRect().Left - 1;
  return r;
}

std::vector<TRect> TDateTimePicker::FieldRects() {
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  std::vector<TRect> rects;
  const TRect area = TextArea();
  int x = area.Left;
  const AnsiString text = Text();
  size_t at = 0;
  for (const Field& f : fields_) {
    size_t length = f.part == Part::Literal ? f.literal.size() : 0;
    if (f.part != Part::Literal) {
      length = 0;
      while (at + length < text.size() && std::isdigit(static_cast<unsigned char>(text[at + length])))
        ++length;
    }
    const int w = measure.TextWidth(text.substr(at, length));
    rects.push_back(Rect(x, area.Top, x + w, area.Bottom));
    x += w;
    at += length;
  }
  return rects;
}

void TDateTimePicker::SetDroppedDown(bool v) {
  if (v == DroppedDown()) return;
  if (v) {
    if (kind_ == dtkTime || dateMode_ == dmUpDown) return;
    DropDown();
    calendar_ = new TCalendarWindow(*this);
    calendar_->SetMarked(value_);
    const TSize size = TCalendarWindow::PreferredSize();
    TPoint at = ClientToScreen(Point(Width() - size.cx, Height()));
    const int sh = Screen ? Screen->Height() : 768;
    if (at.Y + size.cy > sh) at.Y = ClientToScreen(Point(0, 0)).Y - size.cy;
    at.X = std::max(at.X, 0);
    calendar_->Popup(Bounds(at.X, at.Y, size.cx, size.cy));
    Invalidate();
    return;
  }
  TCalendarWindow* calendar = calendar_;
  calendar_ = nullptr;
  calendar->SetVisible(false);
  PostMessage(calendar->Handle(), CM_RELEASE, 0, 0);
  Invalidate();
  CloseUp();
}

void TDateTimePicker::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TDateTimePicker::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TDateTimePicker::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  if ((key == VK_DOWN && shift.Contains(ssAlt)) || key == VK_F4) {
    SetDroppedDown(!DroppedDown());
    key = 0;
    return;
  }
  if (DroppedDown()) {
    // The calendar's keys: days, weeks and months.
    TDateTime marked = calendar_->Marked();
    switch (key) {
      case VK_LEFT:
        marked -= 1;
        break;
      case VK_RIGHT:
        marked += 1;
        break;
      case VK_UP:
        marked -= 7;
        break;
      case VK_DOWN:
        marked += 7;
        break;
      case VK_PRIOR:
        marked = IncMonth(marked, -1);
        break;
      case VK_NEXT:
        marked = IncMonth(marked, 1);
        break;
      case VK_RETURN: {
        const TDateTime chosen = marked + TimeOf(value_);
        SetDroppedDown(false);
        ChangeValue(chosen);
        key = 0;
        return;
      }
      case VK_ESCAPE:
        SetDroppedDown(false);
        key = 0;
        return;
      default:
        return;
    }
    calendar_->SetMarked(marked);
    key = 0;
    return;
  }
  switch (key) {
    case VK_LEFT:
      MoveField(-1);
      break;
    case VK_RIGHT:
      MoveField(1);
      break;
    case VK_UP:
    case VK_ADD:
      StepField(1);
      break;
    case VK_DOWN:
    case VK_SUBTRACT:
      StepField(-1);
      break;
    case VK_HOME:
      if (selected_ < FieldCount())
        SetPart(fields_[static_cast<size_t>(selected_)].part,
                FieldMin(fields_[static_cast<size_t>(selected_)].part));
      break;
    case VK_END:
      if (selected_ < FieldCount())
        SetPart(fields_[static_cast<size_t>(selected_)].part,
                FieldMax(fields_[static_cast<size_t>(selected_)].part));
      break;
    default:
      return;
  }
  key = 0;
}

void TDateTimePicker::KeyPress(char& key) {
  TCustomControl::KeyPress(key);
  if (key == 0) return;
  if (key == ' ' && showCheckbox_) {
    SetChecked(!checked_);
    key = 0;
    return;
  }
  if (!checked_ || selected_ >= FieldCount()) return;
  const Field& field = fields_[static_cast<size_t>(selected_)];
  if (key >= '0' && key <= '9') {
    // Digits fill the field; it is full at its width, or when another digit
    // could only pass its largest value.
    typed_ += key;
    int v = StrToInt(typed_);
    const int hi = FieldMax(field.part), lo = FieldMin(field.part);
    if (v > hi) {
      typed_ = AnsiString(1, key);
      v = key - '0';
    }
    const int maxDigits = field.part == Part::Year ? 4 : 2;
    const bool full = static_cast<int>(typed_.size()) >= maxDigits || v * 10 > hi;
    int shown = v;
    if (field.part == Part::Year && full && typed_.size() <= 2) shown = v + (v < 50 ? 2000 : 1900);
    // A year takes effect once whole (or on leaving the field), not at
    // each of its digits.
    const bool partialYear = field.part == Part::Year && !full;
    if (shown >= lo && !partialYear) {
      const AnsiString keep = typed_;
      SetPart(field.part, shown);
      typed_ = keep;
    }
    if (full) MoveField(1);
    key = 0;
    return;
  }
  // A separator moves on, as typing a whole date does.
  if (key == DateSeparator || key == TimeSeparator || key == '/' || key == '.' || key == ':' || key == '-') {
    key = 0;
    // After a field that filled itself the separator is already passed.
    if (typed_.empty()) return;
    if (field.part == Part::Year && !typed_.empty() && typed_.size() <= 2) {
      const int v = StrToInt(typed_);
      SetPart(Part::Year, v + (v < 50 ? 2000 : 1900));
    }
    MoveField(1);
  }
}

void TDateTimePicker::DoExit() {
  // A year left at two digits counts in the nearest century window.
  if (selected_ < FieldCount() && fields_[static_cast<size_t>(selected_)].part == Part::Year &&
      !typed_.empty() && typed_.size() <= 2) {
    const int v = StrToInt(typed_);
    SetPart(Part::Year, v + (v < 50 ? 2000 : 1900));
  }
  typed_.clear();
  SetDroppedDown(false);
  TCustomControl::DoExit();
}

void TDateTimePicker::MouseDown(TMouseButton button, TShiftState shift, int X, int Y) {
  TCustomControl::MouseDown(button, shift, X, Y);
  if (button != mbLeft) return;
  if (CanFocus() && !Focused()) SetFocus();
  const TPoint p = Point(X, Y);
  if (showCheckbox_ && X < TextArea().Left) {
    SetChecked(!checked_);
    return;
  }
  if (!upDown_ && PtInRect(ButtonRect(), p)) {
    SetDroppedDown(!DroppedDown());
    return;
  }
  const auto rects = FieldRects();
  for (int i = 0; i < FieldCount(); ++i)
    if (fields_[static_cast<size_t>(i)].part != Part::Literal && X >= rects[static_cast<size_t>(i)].Left &&
        X < rects[static_cast<size_t>(i)].Right + 2) {
      selected_ = i;
      typed_.clear();
      Invalidate();
      return;
    }
}

void TDateTimePicker::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (DroppedDown() ? DLGC_WANTALLKEYS : 0);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    case CM_ENABLEDCHANGED:
      if (upDown_) upDown_->SetEnabled(Enabled());
      if (!Enabled()) SetDroppedDown(false);
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(m);
}

void TDateTimePicker::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  paint::Fill(c, r, Enabled() ? Color() : clBtnFace);
  if (showCheckbox_) {
    TRect box = Bounds(r.Left + 2, (Height() - kCheckSize) / 2, kCheckSize, kCheckSize);
    DrawFrameControl(c, box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | (checked_ ? DFCS_CHECKED : 0) | (Enabled() ? 0 : DFCS_INACTIVE));
  }
  if (!upDown_) {
    TRect button = ButtonRect();
    DrawFrameControl(c, button, DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | (DroppedDown() ? DFCS_PUSHED | DFCS_FLAT : 0) |
                         (Enabled() ? 0 : DFCS_INACTIVE));
  }
  c.Font->Assign(Font());
  const bool active = Enabled() && checked_;
  const auto rects = FieldRects();
  const AnsiString text = Text();
  // A value wider than the field stops at the button, as the common
  // control's does, rather than running under it.
  const int textRight = TextArea().Right;
  size_t at = 0;
  for (int i = 0; i < FieldCount(); ++i) {
    const Field& f = fields_[static_cast<size_t>(i)];
    TRect fr = rects[static_cast<size_t>(i)];
    fr.Right = std::min(fr.Right, textRight);
    size_t length = f.part == Part::Literal ? f.literal.size() : 0;
    if (f.part != Part::Literal)
      while (at + length < text.size() && std::isdigit(static_cast<unsigned char>(text[at + length])))
        ++length;
    if (fr.Right <= fr.Left) break;
    const bool selected = i == selected_ && Focused() && active && !DroppedDown();
    if (selected) paint::Fill(c, fr, clHighlight);
    c.Font->Color = selected ? clHighlightText : active ? clWindowText : clGrayText;
    TRect cell = fr;
    c.Brush->Style = bsClear;
    c.DrawText(text.substr(at, length), cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    at += length;
  }
}
