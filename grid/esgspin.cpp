// The spin edit: reading and writing the four kinds of value, stepping the
// part under the caret, the typing filter, and the repeating buttons.

#include "grid/esgspin.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "grid/ExtXPVS.h"
#include "grid/GridUtil.h"
#include "platform/gfx/FrameControls.h"
#include "platform/gfx/Picture.h"
#include "platform/ui/Windows.h"

// ---- the repeating button ----

namespace {
constexpr Cardinal kFirstRepeatMs = 400;
constexpr Cardinal kRepeatMs = 100;
}  // namespace

TExtTimerSpeedButton::~TExtTimerSpeedButton() { delete timer_; }

void TExtTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && OnPress) OnPress(this);
  TSpeedButton::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !AllowTimer) return;
  if (!timer_) {
    timer_ = new TTimer(nullptr);
    timer_->OnTimer = [this](TObject*) { Tick(); };
  }
  timer_->SetEnabled(false);
  timer_->SetInterval(kFirstRepeatMs);
  timer_->SetEnabled(true);
}

void TExtTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (timer_) timer_->SetEnabled(false);
  TSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TExtTimerSpeedButton::Tick() {
  timer_->SetInterval(kRepeatMs);
  if (ButtonState() == bsDown && MouseCapture()) {
    Click();
  } else {
    timer_->SetEnabled(false);
  }
}

void TExtTimerSpeedButton::Dispatch(TMessage& m) {
  if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) {
    hover_ = m.Msg == CM_MOUSEENTER;
    Invalidate();
  }
  TSpeedButton::Dispatch(m);
}

void TExtTimerSpeedButton::Paint() {
  // Our drawing of the arrows: a scroll-bar button pointing the button's way.
  static constexpr unsigned kArrow[] = {DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT, DFCS_SCROLLUP, DFCS_SCROLLDOWN};
  TRect r = ClientRect();
  if (IsWinXP) {
    // The theme's spin parts: up, down, up-horizontal, down-horizontal.
    static constexpr int kPart[] = {4, 3, 1, 2};
    const int themeState = ButtonState() == bsDown ? 3 : hover_ ? 2 : 1;
    if (DrawThemedPart(nullptr, u"spin", Canvas(), kPart[std::clamp(Kind, 0, 3)], themeState, r)) return;
    // No theme draws it: the themed face by hand, and on it the themed
    // arrow, or the picture the button was given in place of the arrow.
    TCanvas& c = Canvas();
    DrawOwnThemedButton(c, r, Enabled() ? themeState : 1, Enabled());
    if (DefaultGlyph) {
      DrawOwnThemedArrow(c, OffsetRect(r, 0, ButtonState() == bsDown ? 1 : 0), kArrow[std::clamp(Kind, 0, 3)],
                         Enabled());
    } else if (!Glyph().Empty()) {
      TButtonGlyph picture;
      picture.NumGlyphs = NumGlyphs();
      c.Brush->Style = bsClear;
      picture.Draw(c, InflateRect(r, -1, -1), &Glyph(), "", Enabled() ? ButtonState() : bsDisabled, DT_LEFT);
    }
    if (FocusRect) c.DrawFocusRect(InflateRect(r, -2, -2));
    return;
  }
  if (!Glyph().Empty()) {
    // A picture of the arrow on a plain button face.
    TSpeedButton::Paint();
    if (FocusRect) Canvas().DrawFocusRect(InflateRect(ClientRect(), -2, -2));
    return;
  }
  unsigned state = kArrow[std::clamp(Kind, 0, 3)];
  if (ButtonState() == bsDown) state |= DFCS_PUSHED;
  if (!Enabled()) state |= DFCS_INACTIVE;
  if (Flat() && !hover_ && ButtonState() != bsDown) state |= DFCS_FLAT;
  DrawFrameControl(Canvas(), r, DFC_SCROLL, state);
  if (FocusRect) {
    TRect f = InflateRect(ClientRect(), -2, -2);
    Canvas().DrawFocusRect(f);
  }
}

// ---- the pair of buttons ----

namespace {
// The default arrows: a small black triangle pointing up or down on the
// key colour of the bottom-left corner.
void RegisterSpinGlyphs() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (bool up : {true, false})
      RegisterBitmapResource(up ? "EsgSpinUp" : "EsgSpinDown", 7, 4, [up](TBitmap& b) {
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < 7; ++x) {
            const int row = up ? y : 3 - y;
            b.SetPixel(x, y, x >= 3 - row && x <= 3 + row ? clBlack : clOlive);
          }
        b.SetPixel(0, 3, clOlive);
        b.SetPixel(0, 0, clOlive);
      });
  });
}

void SetGlyphOrDefault(TExtTimerSpeedButton& button, const TBitmap& glyph, const char* fallback) {
  button.DefaultGlyph = glyph.Empty();
  if (!button.DefaultGlyph) {
    button.SetGlyph(glyph);
    return;
  }
  RegisterSpinGlyphs();
  button.SetGlyph(*LoadBitmapResource(fallback));
}
}  // namespace

TEsgSpinButton::TEsgSpinButton(TComponent* AOwner) : TWinControl(AOwner) {
  ControlStyle >> csAcceptsControls;
  up_ = new TExtTimerSpeedButton(this);
  down_ = new TExtTimerSpeedButton(this);
  for (TExtTimerSpeedButton* b : {up_, down_}) {
    b->SetParent(this);
    b->OnClick = [this, b](TObject*) { Clicked(b); };
    b->OnPress = [this, b](TObject*) { Pressed(b); };
  }
  up_->Kind = 2;
  down_->Kind = 3;
  up_->FocusRect = true;
  SetUpGlyph(TBitmap());
  SetDownGlyph(TBitmap());
  SetBounds(0, 0, 15, 25);
}

void TEsgSpinButton::SetUpGlyph(const TBitmap& v) { SetGlyphOrDefault(*up_, v, "EsgSpinUp"); }

void TEsgSpinButton::SetDownGlyph(const TBitmap& v) { SetGlyphOrDefault(*down_, v, "EsgSpinDown"); }

void TEsgSpinButton::SetDirection(TSpinDirection v) {
  direction_ = v;
  up_->Kind = v == spVertical ? 2 : 1;
  down_->Kind = v == spVertical ? 3 : 0;
  SetWidth(v == spVertical ? 15 : 20);
  Layout();
}

void TEsgSpinButton::SetIsWinXP(bool v) {
  for (TExtTimerSpeedButton* b : {up_, down_}) {
    if (b->IsWinXP == v) continue;
    b->IsWinXP = v;
    b->Invalidate();
  }
}

void TEsgSpinButton::SetFlat(bool v) {
  up_->SetFlat(v);
  down_->SetFlat(v);
}

void TEsgSpinButton::SetTransparent(bool v) {
  up_->SetTransparent(v);
  down_->SetTransparent(v);
}

void TEsgSpinButton::BoundsChanged() {
  TWinControl::BoundsChanged();
  Layout();
}

void TEsgSpinButton::Layout() {
  const int w = Width(), h = Height();
  if (direction_ == spVertical) {
    const int half = h / 2;
    up_->SetBounds(0, 0, w, half);
    down_->SetBounds(0, std::max(0, half - 1), w, h - std::max(0, half - 1));
  } else {
    const int half = w / 2;
    down_->SetBounds(0, 0, half, h);
    up_->SetBounds(half, 0, w - half, h);
  }
}

void TEsgSpinButton::MoveFocusRect(TExtTimerSpeedButton* to) {
  up_->FocusRect = to == up_;
  down_->FocusRect = to == down_;
  up_->Invalidate();
  down_->Invalidate();
}

void TEsgSpinButton::Pressed(TExtTimerSpeedButton* button) {
  MoveFocusRect(button);
  TWinControl* focus = FocusControl ? FocusControl : this;
  if (focus->CanFocus() && !focus->Focused()) focus->SetFocus();
}

void TEsgSpinButton::Clicked(TExtTimerSpeedButton* button) {
  // A click by the mouse was pressed first; Space and the arrow keys come
  // here straight.
  Pressed(button);
  const TNotifyEvent& event = button == up_ ? OnUpClick : OnDownClick;
  if (event) event(this);
}

void TEsgSpinButton::Dispatch(TMessage& m) {
  if (m.Msg == WM_GETDLGCODE) {
    m.Result = DLGC_WANTARROWS;
    return;
  }
  TWinControl::Dispatch(m);
}

void TEsgSpinButton::KeyDown(Word& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    Clicked(up_->FocusRect ? up_ : down_);
  } else if (Key == VK_UP || Key == VK_DOWN) {
    Clicked(Key == VK_UP ? up_ : down_);
    Key = 0;
  }
}

// ---- the spin edit ----

TEsgSpinEdit::TEsgSpinEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  button_ = new TEsgSpinButton(this);
  button_->SetBounds(0, 0, 15, 17);
  button_->SetParent(this);
  button_->FocusControl = this;
  button_->OnUpClick = [this](TObject*) { UpClick(); };
  button_->OnDownClick = [this](TObject*) { DownClick(); };
  SetText("0");
}

void TEsgSpinEdit::SetIsWinXP(bool v) { button_->SetIsWinXP(v); }

void TEsgSpinEdit::SetSpinFlat(bool v) {
  spinFlat_ = v;
  button_->SetFlat(v);
}

void TEsgSpinEdit::SetSpinTransparent(bool v) {
  spinTransparent_ = v;
  button_->SetTransparent(v);
}

int TEsgSpinEdit::Value() const {
  int v = 0;
  return TryStrToInt(Text(), v) ? v : MinValue;
}

void TEsgSpinEdit::SetValue(int v) {
  if (MinValue != MaxValue) v = std::clamp(v, std::min(MinValue, MaxValue), std::max(MinValue, MaxValue));
  SetText(IntToStr(v));
  if (!EditorEnabled) SelectAll();
}

double TEsgSpinEdit::FloatValue() const {
  // A number past a double's range is no value the editor can hold: taken as
  // the infinity it rounds to, it would go into the cell as "INF", which no
  // later reading takes for a number.
  Extended v = 0;
  if (!TryStrToFloat(Text(), v) || !std::isfinite(static_cast<double>(v))) return MinValue;
  return static_cast<double>(v);
}

void TEsgSpinEdit::SetFloatValue(double v) {
  if (MinFloatValue != MaxFloatValue)
    v = std::clamp(v, std::min(MinFloatValue, MaxFloatValue), std::max(MinFloatValue, MaxFloatValue));
  SetText(precision_ > 0 ? FloatToStrF(v, ffFixed, 15, precision_) : FloatToStr(v));
}

TDateTime TEsgSpinEdit::DateValue() const {
  if (Text().empty() || Text() == "0") return Now();
  TDateTime d = 0;
  return TryStrToDate(Text(), d) ? d : MinDateValue;
}

void TEsgSpinEdit::SetDateValue(TDateTime v) {
  date_ = v;
  if (ComponentState().Contains(csLoading)) return;
  if (MinDateValue != MaxDateValue)
    v = std::clamp(v, std::min(MinDateValue, MaxDateValue), std::max(MinDateValue, MaxDateValue));
  SetTextKeepCaret(DateToStr(v));
}

TDateTime TEsgSpinEdit::TimeValue() const {
  TDateTime t = 0;
  return TryStrToTime(Text(), t) ? t : 0;
}

void TEsgSpinEdit::SetTimeValue(TDateTime v) {
  time_ = v;
  if (ComponentState().Contains(csLoading)) return;
  SetTextKeepCaret(TimeToStr(v));
}

void TEsgSpinEdit::SetTextKeepCaret(const AnsiString& S) {
  const int caret = SelStart();
  SetText(S);
  SetSelStart(std::min(caret, static_cast<int>(S.size())));
}

void TEsgSpinEdit::Loaded() {
  TCustomMaskEdit::Loaded();
  if (spinType_ == sptDate) SetTextKeepCaret(DateToStr(date_));
  if (spinType_ == sptTime) SetTextKeepCaret(TimeToStr(time_));
  SetSpinType(spinType_);
}

void TEsgSpinEdit::SetSpinType(TEsgSpinType v) {
  spinType_ = v;
  switch (v) {
    case sptNormal:
      SetValue(Value());
      break;
    case sptFloat:
      SetFloatValue(FloatValue());
      break;
    case sptDate:
      SetDateValue(DateValue());
      break;
    case sptTime:
      SetTimeValue(TimeValue());
      break;
  }
}

void TEsgSpinEdit::SetPrecision(int v) {
  precision_ = v;
  if (spinType_ == sptFloat) SetFloatValue(FloatValue());
}

// ---- stepping ----

void TEsgSpinEdit::UpClick() { Step(1); }
void TEsgSpinEdit::DownClick() { Step(-1); }

void TEsgSpinEdit::Step(int sign) {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  // The part under the caret: how many separators lie before it.
  auto partAtCaret = [this](char separator) {
    const AnsiString before = Text().substr(0, static_cast<size_t>(SelStart()));
    return static_cast<int>(std::count(before.begin(), before.end(), separator));
  };
  switch (spinType_) {
    case sptNormal:
      SetValue(Value() + sign * Increment);
      break;
    case sptFloat:
      SetFloatValue(FloatValue() + sign * IncrementFloat);
      break;
    case sptDate: {
      const TDateTime d = DateValue();
      const int part = partAtCaret(DateSeparator);
      SetDateValue(part == 0 ? d + sign : IncMonth(d, part == 1 ? sign : 12 * sign));
      break;
    }
    case sptTime: {
      static constexpr double kPart[] = {1.0 / 24, 1.0 / (24 * 60), 1.0 / (24 * 60 * 60)};
      const double t = TimeValue() + sign * kPart[std::min(2, partAtCaret(TimeSeparator))];
      // Stepping past midnight comes round within the day.
      SetTimeValue(t - std::floor(t));
      break;
    }
  }
}

// ---- typing ----

bool TEsgSpinEdit::IsValidChar(char& Key) {
  const auto code = static_cast<unsigned char>(Key);
  const bool control = code < 32 && Key != '\r';
  if (!EditorEnabled) return control && Key != '\b';
  if (control) return true;
  const AnsiString text = Text();
  const bool selected = SelLength() > 0;
  if (spinType_ == sptFloat && Key == ThousandSeparator) Key = DecimalSeparator;
  if (Key == TimeSeparator && Key != '-' && spinType_ != sptTime) return false;
  if (Key == DateSeparator && spinType_ != sptDate) return false;
  const bool valid = (Key >= '0' && Key <= '9') || Key == '+' || Key == '-' || Key == DecimalSeparator ||
                     Key == ThousandSeparator || Key == TimeSeparator || Key == DateSeparator;
  if (!valid) return false;
  if (spinType_ == sptFloat) {
    const size_t point = text.find(DecimalSeparator);
    if (Key == DecimalSeparator && point != AnsiString::npos && !selected) return false;
    if (precision_ >= 1 && !selected && point != AnsiString::npos && SelStart() > static_cast<int>(point) &&
        static_cast<int>(text.size() - point - 1) >= precision_)
      return false;
  }
  if (spinType_ == sptTime && Key == TimeSeparator &&
      std::count(text.begin(), text.end(), TimeSeparator) >= 2)
    return false;
  return true;
}

void TEsgSpinEdit::KeyPress(char& Key) {
  if (Key != 0 && !IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if (Key != 0) TCustomMaskEdit::KeyPress(Key);
}

void TEsgSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_RETURN && ReturnIsTab) {
    Key = VK_TAB;
    PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
  }
  if (Key == VK_DELETE && !EditorEnabled) Key = 0;
  TCustomMaskEdit::KeyDown(Key, Shift);
}

void TEsgSpinEdit::DoEnter() {
  if (AutoSelect && !(ControlState.Contains(csLButtonDown) && EditorEnabled)) SelectAll();
  TCustomMaskEdit::DoEnter();
}

void TEsgSpinEdit::DoExit() {
  // A value outside the bounds is brought back within them.
  switch (spinType_) {
    case sptNormal:
      if (MinValue != MaxValue && (Value() < MinValue || Value() > MaxValue)) SetValue(Value());
      break;
    case sptFloat:
      if (MinFloatValue != MaxFloatValue && (FloatValue() < MinFloatValue || FloatValue() > MaxFloatValue))
        SetFloatValue(FloatValue());
      break;
    case sptDate:
      if (MinDateValue != MaxDateValue && (DateValue() < MinDateValue || DateValue() > MaxDateValue))
        SetDateValue(DateValue());
      break;
    case sptTime:
      break;
  }
  TCustomMaskEdit::DoExit();
}

void TEsgSpinEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
      if (MsgCharCode(m) == VK_UP || MsgCharCode(m) == VK_DOWN) {
        MsgCharCode(m) == VK_UP ? UpClick() : DownClick();
        return;
      }
      break;
    case WM_PASTE:
    case WM_CUT:
      if (!EditorEnabled || ReadOnly()) return;
      break;
    default:
      break;
  }
  TCustomMaskEdit::Dispatch(m);
}

int TEsgSpinEdit::MinHeight() const {
  const int h = FontCharHeight(Font());
  return (BorderStyle() != bsNone ? 4 : 0) + h + h / 4 + 2;
}

void TEsgSpinEdit::BoundsChanged() {
  if (const int least = MinHeight(); Height() < least) {
    SetHeight(least);
    return;
  }
  TCustomMaskEdit::BoundsChanged();
  const bool border = BorderStyle() != bsNone;
  const int b = border ? 5 : 1;
  const int w = button_->Width();
  button_->SetBounds(std::max(0, ClientWidth() - w - (border ? b - 1 : 0)), 0, w,
                     std::max(1, ClientHeight() - (border ? b - 1 : 0)));
}

TRect TEsgSpinEdit::TextArea() const {
  TRect r = TCustomMaskEdit::TextArea();
  if (BorderStyle() == bsNone) r.Top = std::min(r.Bottom, r.Top + 1);
  r.Right = std::max(r.Left, std::min(r.Right, ClientWidth() - button_->Width() - 2));
  return r;
}
