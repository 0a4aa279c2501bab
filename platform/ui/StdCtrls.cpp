#include "platform/ui/StdCtrls.h"

#include <algorithm>

#include "platform/rtl/Cp1253.h"
#include "platform/ui/ControlPaint.h"

namespace paint = ui::paint;

// ---- accelerators -----------------------------------------------------------------

char GetHotkey(const AnsiString& Str) {
  for (size_t i = 0; i + 1 < Str.size(); ++i) {
    if (Str[i] != '&') continue;
    if (Str[i + 1] != '&') return Str[i + 1];
    ++i;  // "&&" is a plain ampersand
  }
  return 0;
}

namespace {
// The capital Greek letter on the key of a Latin letter in the Greek
// keyboard layout ("q" carries no letter there): with the Latin layout
// active, Alt and the key of "Α" still reach "&Αρχείο".
char GreekOfLatinKey(char latin) {
  static const AnsiString keys = cp1253::FromUtf8("ΑΒΨΔΕΦΓΗΙΞΚΛΜΝΟΠ;ΡΣΤΘΩΣΧΥΖ");
  const char lower = latin >= 'A' && latin <= 'Z' ? static_cast<char>(latin + 32) : latin;
  if (lower < 'a' || lower > 'z') return 0;
  const char greek = keys[static_cast<size_t>(lower - 'a')];
  return greek == ';' ? 0 : greek;
}
}  // namespace

bool IsAccel(Word VK, const AnsiString& Str) {
  const char hot = GetHotkey(Str);
  if (hot == 0 || VK > 0xFF) return false;
  const AnsiString upperHot = AnsiUpperCase(AnsiString(1, hot));
  if (upperHot == AnsiUpperCase(AnsiString(1, static_cast<char>(VK)))) return true;
  const char greek = GreekOfLatinKey(static_cast<char>(VK));
  return greek != 0 && upperHot == AnsiString(1, greek);
}

namespace {
bool ShowingAndEnabled(const TControl* c) { return c->Visible() && c->Enabled() && c->Showing(); }
}  // namespace

// ---- TCustomLabel -------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  ControlStyle << csReplicatable << csOpaque;
  SetBounds(0, 0, 65, 17);
}

TCustomLabel::~TCustomLabel() { Destroying(); }

void TCustomLabel::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout l) {
  if (l == layout_) return;
  layout_ = l;
  Invalidate();
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition e) {
  if (e == ellipsis_) return;
  ellipsis_ = e;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  if (v)
    ControlStyle >> csOpaque;
  else
    ControlStyle << csOpaque;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool v) {
  if (v == autoSize_) return;
  autoSize_ = v;
  AdjustBounds();
}

void TCustomLabel::SetShowAccelChar(bool v) {
  if (v == showAccelChar_) return;
  showAccelChar_ = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* c) {
  if (c == focusControl_) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = c;
  if (c) c->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

unsigned TCustomLabel::TextFormat() const {
  unsigned format = DT_EXPANDTABS;
  if (wordWrap_) format |= DT_WORDBREAK;
  if (!showAccelChar_) format |= DT_NOPREFIX;
  if (alignment_ == taCenter) format |= DT_CENTER;
  if (alignment_ == taRightJustify) format |= DT_RIGHT;
  return format;
}

void TCustomLabel::AdjustBounds() {
  if (!autoSize_ || ComponentState().Contains(csLoading)) return;
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  const AnsiString text = Caption().empty() ? AnsiString(" ") : Caption();
  TRect r = Rect(0, 0, wordWrap_ ? std::max(Width(), 1) : 0, 0);
  measure.DrawText(text, r, TextFormat() | DT_CALCRECT);
  int left = Left();
  // A right-aligned label grows to the left, a centred one both ways.
  if (!wordWrap_ && alignment_ == taRightJustify) left += Width() - r.Width();
  if (!wordWrap_ && alignment_ == taCenter) left += (Width() - r.Width()) / 2;
  SetBounds(left, Top(), wordWrap_ ? Width() : r.Width(), r.Height());
}

void TCustomLabel::Paint() {
  TCanvas& c = Canvas();
  if (!transparent_) paint::Fill(c, ClientRect(), Color());
  c.Font->Assign(Font());
  unsigned format = TextFormat();
  TRect r = ClientRect();
  AnsiString text = Caption();
  if (ellipsis_ == epEndEllipsis && !wordWrap_) format |= DT_END_ELLIPSIS | DT_SINGLELINE;
  if (ellipsis_ == epPathEllipsis && !wordWrap_) text = ShortenPath(c, text, format, r.Width());
  if (layout_ != tlTop) {
    const TSize size = paint::CaptionExtent(c, text, format, r.Width());
    const int spare = r.Height() - size.cy;
    r.Top += layout_ == tlCenter ? spare / 2 : spare;
  }
  paint::Caption(c, text, r, format, Enabled());
}

// A path too wide keeps its last part and as much before it as fits, after
// "...": the file's name matters most, the start of its folder least.
AnsiString TCustomLabel::ShortenPath(TCanvas& c, const AnsiString& path, unsigned format, int width) {
  if (paint::CaptionExtent(c, path, format).cx <= width) return path;
  const size_t name = path.find_last_of("/\\");
  AnsiString best = "..." + path.substr(name == AnsiString::npos ? 0 : name);
  // From the whole folder down to none: the first that fits, cut at a
  // separator when there is one.
  for (size_t from = 1; name != AnsiString::npos && from < name; ++from) {
    if (path[from - 1] != '/' && path[from - 1] != '\\') continue;
    const AnsiString candidate = "..." + path.substr(from - 1);
    if (paint::CaptionExtent(c, candidate, format).cx <= width) return candidate;
  }
  return best;
}

void TCustomLabel::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGCHAR:
      if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(MsgCharCode(m), Caption()) &&
          focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        m.Result = 1;
      }
      return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      AdjustBounds();
      Invalidate();
      return;
    default:
      TGraphicControl::Dispatch(m);
  }
}

// ---- TButtonControl -----------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  // The click comes from Pressed, on release over the control or of Space.
  ControlStyle >> csDoubleClicks >> csClickEvents;
}

void TButtonControl::AcceleratorTyped() { Click(); }

void TButtonControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (m.Msg == WM_KILLFOCUS && spaceDown_) spaceDown_ = false;
      Invalidate();
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(MsgCharCode(m), Caption()) && ShowingAndEnabled(this) && CanFocus()) {
        AcceleratorTyped();
        m.Result = 1;
      }
      return;
    case CM_DIALOGKEY:
      // Only a plain Enter or Escape presses the default or cancel button:
      // Ctrl+Enter stays a line break for the memo that has the focus.
      if (ShowingAndEnabled(this) && KeyDataToShiftState(m.LParam).Empty() && DialogKey(MsgCharCode(m)))
        m.Result = 1;
      return;
    case CM_ENABLEDCHANGED:
      if (!Enabled()) mouseDown_ = spaceDown_ = false;
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(m);
}

void TButtonControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Enabled()) {
    if (CanFocus() && !Focused()) SetFocus();
    mouseDown_ = true;
    mouseInside_ = true;
    Invalidate();
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TButtonControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (mouseDown_) {
    const bool inside = PtInRect(ClientRect(), Point(X, Y));
    if (inside != mouseInside_) {
      mouseInside_ = inside;
      Invalidate();
    }
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TButtonControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool released = Button == mbLeft && mouseDown_;
  if (released) {
    mouseDown_ = false;
    Invalidate();
  }
  if (released && PtInRect(ClientRect(), Point(X, Y))) Pressed();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TButtonControl::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE && !spaceDown_) {
    spaceDown_ = true;
    Invalidate();
  }
}

void TButtonControl::KeyUp(Word& Key, TShiftState Shift) {
  TCustomControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE && spaceDown_) {
    spaceDown_ = false;
    Invalidate();
    Pressed();
  }
}

// ---- TButton --------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 75, 25); }

void TButton::SetDefault(bool v) {
  if (v == default_) return;
  default_ = v;
  Invalidate();
}

void TButton::Click() {
  if (ModalResult != mrNone)
    if (TCustomForm* form = GetParentForm()) form->SetModalResult(ModalResult);
  TButtonControl::Click();
}

bool TButton::IsActiveDefault() const {
  if (Focused()) return true;
  if (!default_) return false;
  TCustomForm* form = GetParentForm();
  auto* focused = form ? dynamic_cast<TButton*>(form->ActiveControl()) : nullptr;
  return !focused;
}

bool TButton::DialogKey(Word key) {
  if (key == VK_ESCAPE && Cancel) {
    Click();
    return true;
  }
  if (key == VK_RETURN && IsActiveDefault()) {
    Click();
    return true;
  }
  return false;
}

void TButton::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  const bool pushed = PushedLook();
  if (IsActiveDefault() && Enabled()) {
    paint::Frame(c, r, clWindowFrame);
    r = InflateRect(r, -1, -1);
  }
  if (pushed) {
    // A pushed button is flat with a shadow line, as the classic desktop draws it.
    paint::Frame(c, r, clBtnShadow);
    paint::Fill(c, InflateRect(r, -1, -1), clBtnFace);
  } else {
    TRect face = r;
    DrawFrameControl(c, face, DFC_BUTTON, DFCS_BUTTONPUSH);
  }
  PaintFace(c, InflateRect(r, -2, -2), pushed);
  if (Focused()) {
    c.Brush->Color = clBtnFace;
    c.Font->Color = clBtnText;
    paint::FocusRect(c, InflateRect(r, -3, -3));
  }
}

void TButton::PaintFace(TCanvas& c, const TRect& face, bool pushed) {
  c.Font->Assign(Font());
  const TRect r = pushed ? OffsetRect(face, 1, 1) : face;
  paint::Caption(c, Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Enabled());
}

// ---- check boxes and radio buttons ------------------------------------------------

namespace {
constexpr int kMarkSize = 13;
}

TMarkButton::TMarkButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 97, 17); }

void TMarkButton::SetAlignment(TLeftRight a) {
  if (a == alignment_) return;
  alignment_ = a;
  Invalidate();
}

void TMarkButton::Paint() {
  TCanvas& c = Canvas();
  const TRect client = ClientRect();
  paint::Fill(c, client, Color());
  const bool markLeft = alignment_ == taRightJustify;
  const int markTop = (client.Height() - kMarkSize) / 2;
  TRect mark = Bounds(markLeft ? 0 : client.Width() - kMarkSize, markTop, kMarkSize, kMarkSize);
  unsigned state = MarkState();
  if (PushedLook()) state |= DFCS_PUSHED;
  if (!Enabled()) state |= DFCS_INACTIVE;
  DrawFrameControl(c, mark, DFC_BUTTON, MarkKind() | state);

  c.Font->Assign(Font());
  const unsigned format = (WordWrap ? DT_WORDBREAK : DT_SINGLELINE) | DT_LEFT;
  const int textLeft = markLeft ? kMarkSize + 4 : 1;
  const int textRight = markLeft ? client.Width() - 1 : client.Width() - kMarkSize - 4;
  const TSize size = paint::CaptionExtent(c, Caption(), format, textRight - textLeft);
  const int top = std::max(0, (client.Height() - size.cy) / 2);
  TRect text = Rect(textLeft, top, std::min(textRight, textLeft + size.cx), top + size.cy);
  paint::Caption(c, Caption(), text, format, Enabled());
  if (Focused()) {
    c.Brush->Color = Color();
    c.Font->Color = clBtnText;
    // Our faces fill their letters' advance to the last column: one column
    // more keeps the dotted line off the last letter.
    paint::FocusRect(c, IntersectRect(InflateRect(text, 2, 1), client));
  }
}

TCheckBox::TCheckBox(TComponent* AOwner) : TMarkButton(AOwner) {}

void TCheckBox::SetState(TCheckBoxState s) {
  if (s == state_) return;
  state_ = s;
  Invalidate();
  TButtonControl::Click();
}

void TCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked:
      SetState(cbChecked);
      break;
    case cbChecked:
      SetState(AllowGrayed ? cbGrayed : cbUnchecked);
      break;
    case cbGrayed:
      SetState(cbUnchecked);
      break;
  }
}

void TCheckBox::AcceleratorTyped() {
  SetFocus();
  Toggle();
}

unsigned TCheckBox::MarkState() const {
  return state_ == cbChecked ? DFCS_CHECKED : state_ == cbGrayed ? DFCS_CHECKED | DFCS_BUTTON3STATE : 0;
}

unsigned TCheckBox::MarkKind() const { return DFCS_BUTTONCHECK; }

TRadioButton::TRadioButton(TComponent* AOwner) : TMarkButton(AOwner) {}

void TRadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  SetTabStop(v);
  Invalidate();
  if (!v) return;
  if (TWinControl* parent = Parent())
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i)); other && other != this)
        other->SetChecked(false);
  TButtonControl::Click();
}

void TRadioButton::AcceleratorTyped() {
  SetFocus();
  SetChecked(true);
}

void TRadioButton::DoEnter() {
  // Arrow keys move through the group checking as they go; a mouse press
  // checks on release instead.
  if (GetKeyState(VK_LBUTTON) >= 0) SetChecked(true);
  TMarkButton::DoEnter();
}

unsigned TRadioButton::MarkState() const { return checked_ ? DFCS_CHECKED : 0; }

unsigned TRadioButton::MarkKind() const { return DFCS_BUTTONRADIO; }

// ---- TCustomGroupBox ----------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle << csAcceptsControls;
  SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AlignControls(TControl* AControl, TRect& r) {
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  r.Top += measure.TextHeight("0");
  r = InflateRect(r, -2, -2);
  TCustomControl::AlignControls(AControl, r);
}

void TCustomGroupBox::Paint() {
  TCanvas& c = Canvas();
  c.Font->Assign(Font());
  const int textHeight = c.TextHeight("0");
  TRect frame = ClientRect();
  frame.Top += textHeight / 2;
  DrawEdge(c, frame, EDGE_ETCHED, BF_RECT);
  if (Caption().empty()) return;
  const TSize size = paint::CaptionExtent(c, Caption(), DT_SINGLELINE);
  TRect text = Bounds(8, 0, std::min(size.cx, std::max(Width() - 16, 0)), textHeight);
  paint::Fill(c, InflateRect(text, 1, 0), Color());
  paint::Caption(c, Caption(), text, DT_SINGLELINE | DT_LEFT, Enabled());
}

void TCustomGroupBox::Dispatch(TMessage& m) {
  if (m.Msg == CM_DIALOGCHAR && IsAccel(MsgCharCode(m), Caption()) && CanFocus() && Showing()) {
    // The accelerator of a group takes the focus to its first control.
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) {
      first->SetFocus();
      m.Result = 1;
      return;
    }
  }
  if (m.Msg == CM_TEXTCHANGED || m.Msg == CM_FONTCHANGED) Realign();
  TCustomControl::Dispatch(m);
}
