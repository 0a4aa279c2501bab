// Message boxes: the calls, their captions and button sets, and the message
// form with its icons.

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/gfx/CairoCanvas.h"
#include "platform/ui/Application.h"
#include "platform/ui/Backend.h"
#include "platform/ui/DialogForm.h"
#include "platform/ui/Dialogs.h"

namespace {

struct ButtonInfo {
  int Result;
  const char* Name;
  const char* Caption;  // UTF-8
};

constexpr ButtonInfo kOk{IDOK, "OK", "OK"};
constexpr ButtonInfo kYes{IDYES, "Yes", "&Ναι"};
constexpr ButtonInfo kNo{IDNO, "No", "&Οχι"};
constexpr ButtonInfo kCancel{IDCANCEL, "Cancel", dialogs::kCancelCaption};

// The buttons of a message-box type, left to right.
std::vector<ButtonInfo> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK:
      return {kOk};
    case MB_OKCANCEL:
      return {kOk, kCancel};
    case MB_YESNO:
      return {kYes, kNo};
    case MB_YESNOCANCEL:
      return {kYes, kNo, kCancel};
    case MB_YESCANCEL:
      return {kYes, kCancel};
    default:
      throw EInvalidOperation("Unsupported message box buttons");
  }
}

// What Escape and closing the window answer: Cancel, else No, else OK.
int CancelResultOf(const std::vector<ButtonInfo>& buttons) {
  for (int wanted : {IDCANCEL, IDNO, IDOK})
    for (const ButtonInfo& b : buttons)
      if (b.Result == wanted) return wanted;
  return IDCANCEL;
}

UINT TypeOfButtons(TMsgDlgButtons buttons) {
  const struct {
    TMsgDlgButtons set;
    UINT type;
  } known[] = {
      {{mbOK}, MB_OK},
      {{mbYes, mbNo}, MB_YESNO},
      {{mbYes, mbCancel}, MB_YESCANCEL},
      {{mbOK, mbCancel}, MB_OKCANCEL},
      {{mbYes, mbNo, mbCancel}, MB_YESNOCANCEL},
  };
  for (const auto& k : known)
    if (k.set == buttons) return k.type;
  throw EInvalidOperation("Unsupported message dialog buttons");
}

// The icon of a message: drawn here, 32 × 32, in the classic colours.
void DrawMessageIcon(TCanvas& c, int x, int y, UINT icon) {
  c.Pen->Width = 1;
  c.Pen->Style = psSolid;
  c.Brush->Style = bsSolid;
  c.Font->Name = "Times New Roman";
  c.Font->Style = fsBold;
  c.Font->SetHeight(-28);
  switch (icon & MB_ICONMASK) {
    case MB_ICONERROR: {
      c.Pen->Color = clMaroon;
      c.Brush->Color = clRed;
      c.Ellipse(x + 1, y + 1, x + 31, y + 31);
      c.Pen->Color = clWhite;
      c.Pen->Width = 3;
      c.MoveTo(x + 10, y + 10);
      c.LineTo(x + 22, y + 22);
      c.MoveTo(x + 22, y + 10);
      c.LineTo(x + 10, y + 22);
      break;
    }
    case MB_ICONWARNING: {
      c.Pen->Color = clBlack;
      c.Brush->Color = clYellow;
      c.Polygon({{x + 16, y + 1}, {x + 31, y + 29}, {x + 1, y + 29}});
      c.Brush->Color = clBlack;
      c.FillRect(Rect(x + 15, y + 10, x + 18, y + 21));
      c.FillRect(Rect(x + 15, y + 23, x + 18, y + 26));
      break;
    }
    case MB_ICONINFORMATION:
    case MB_ICONQUESTION: {
      c.Pen->Color = clBlack;
      c.Brush->Color = clWhite;
      c.Ellipse(x + 1, y + 1, x + 31, y + 31);
      c.Brush->Style = bsClear;
      c.Font->Color = clBlue;
      TRect r = Rect(x + 1, y + 1, x + 31, y + 31);
      c.DrawText((icon & MB_ICONMASK) == MB_ICONQUESTION ? "?" : "i", r,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      break;
    }
    default:
      break;
  }
}

// The message form: the icon and the text drawn on the form itself, the
// buttons centred below.
class TMessageForm : public dialogs::TDialogForm {
 public:
  TMessageForm(const AnsiString& text, const AnsiString& caption, UINT type)
      : TDialogForm(Application, caption), text_(text), icon_(type & MB_ICONMASK) {
    const std::vector<ButtonInfo> buttons = ButtonsOf(type);
    cancelResult_ = CancelResultOf(buttons);
    Layout(buttons, type);
  }

  bool CloseQuery() override {
    // Closing the window answers as Escape does.
    if (ModalResult() == mrCancel && cancelResult_ != IDCANCEL) SetModalResult(cancelResult_);
    return TDialogForm::CloseQuery();
  }

 protected:
  void Paint() override {
    TDialogForm::Paint();
    TCanvas& c = Canvas();
    if (icon_ != 0) DrawMessageIcon(c, iconAt_.X, iconAt_.Y, icon_);
    c.Font->Assign(Font());
    c.Brush->Style = bsClear;
    TRect r = textRect_;
    c.DrawText(shown_, r, kTextFormat);
  }

 private:
  void Layout(const std::vector<ButtonInfo>& buttons, UINT type) {
    // Measured before the window exists, on a canvas of the same fonts.
    TImageCanvas c(1, 1);
    c.Font->Assign(Font());
    const int margin = DX(8), vMargin = DY(8), spacing = DX(10), vSpacing = DY(10);
    const int buttonW = DX(50), buttonH = DY(14), buttonGap = DX(4);

    // The box never grows past the work area: a display refuses a window
    // larger than it can hold, and the message would be lost.
    const TRect work = Screen ? Screen->WorkAreaRect() : Rect(0, 0, 1024, 768);
    const int textLeast = 100;
    const int frameH = Height() - ClientHeight();
    const int textMostH = std::max(DY(8), work.Height() - frameH - (vMargin + vSpacing + buttonH + vMargin));
    shown_ = text_.empty() ? AnsiString(" ") : text_;
    TRect text = Rect(0, 0, std::max(textLeast, work.Width() / 2), 0);
    const auto measure = [&](const AnsiString& s) {
      TRect r = Rect(0, 0, text.Right, 0);
      c.DrawText(s, r, DT_CALCRECT | kTextFormat);
      return r;
    };
    // No more characters than the box could show were each the narrowest:
    // laying out a huge text would take long for what is cut anyway.
    bool cut = false;
    if (shown_.size() > kShortText) {
      int narrowest = text.Right;
      for (int ch = '!'; ch <= 0xFF; ++ch)
        if (const int w = c.TextWidth(AnsiString(1, static_cast<char>(ch))); w > 0)
          narrowest = std::min(narrowest, w);
      const size_t lines = static_cast<size_t>(textMostH / std::max(1, c.TextHeight("Ag")) + 1);
      const size_t most = lines * static_cast<size_t>(text.Right / std::max(1, narrowest) + 1);
      cut = shown_.size() > most;
      if (cut) shown_.resize(most);
    }
    TRect measured = measure(shown_);
    if (cut || measured.Height() > textMostH) {
      // The longest start that fits with the ellipsis, found by halving.
      const AnsiString ellipsis = "\x85";
      size_t fits = 0, over = shown_.size() + 1;
      while (over - fits > 1) {
        const size_t mid = fits + (over - fits) / 2;
        if (measure(shown_.substr(0, mid) + ellipsis).Height() > textMostH)
          over = mid;
        else
          fits = mid;
      }
      shown_ = shown_.substr(0, fits) + ellipsis;
      measured = measure(shown_);
    }
    text = measured;
    const int iconW = icon_ != 0 ? 32 + spacing : 0;
    const int iconH = icon_ != 0 ? 32 : 0;
    const int count = static_cast<int>(buttons.size());
    const int buttonsW = count * buttonW + (count - 1) * buttonGap;
    // As wide as the caption needs, the buttons centred in that width.
    const int contentW = std::max({iconW + text.Width(), buttonsW, CaptionClientWidth() - 2 * margin});
    const int contentH = std::max(iconH, text.Height());
    iconAt_ = Point(margin, vMargin);
    textRect_ = Bounds(margin + iconW, vMargin + std::max(0, (iconH - text.Height()) / 2), text.Width(),
                       text.Height());
    SetClientWidth(contentW + 2 * margin);
    SetClientHeight(vMargin + contentH + vSpacing + buttonH + vMargin);

    size_t defaultIndex = (type & MB_DEFMASK) >> 8;
    if (defaultIndex >= buttons.size()) defaultIndex = 0;
    int x = (ClientWidth() - buttonsW) / 2;
    const int y = vMargin + contentH + vSpacing;
    for (size_t i = 0; i < buttons.size(); ++i) {
      auto* b = new TButton(this);
      b->SetName(buttons[i].Name);
      b->SetCaption(cp1253::FromUtf8(buttons[i].Caption));
      b->ModalResult = buttons[i].Result;
      b->SetDefault(i == defaultIndex);
      b->Cancel = buttons[i].Result == cancelResult_;
      b->SetBounds(x, y, buttonW, buttonH);
      b->SetParent(this);
      if (i == defaultIndex) SetActiveControl(b);
      x += buttonW + buttonGap;
    }
  }

  // Words longer than a line are broken where the line ends.
  static constexpr UINT kTextFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
  // A text this long is laid out at once, whatever it holds.
  static constexpr size_t kShortText = 2000;
  AnsiString text_;
  // The text as the box shows it: cut with an ellipsis where the whole
  // would not fit on the screen.
  AnsiString shown_;
  UINT icon_;
  int cancelResult_ = IDCANCEL;
  TPoint iconAt_;
  TRect textRect_;
};

const char* CaptionOf(TMsgDlgType type) {
  switch (type) {
    case mtWarning:
      return "Προειδοποίηση";
    case mtError:
      return "Σφάλμα";
    case mtInformation:
      return "Πληροφορία";
    case mtConfirmation:
      return "Επιβεβαίωση";
    default:
      return nullptr;
  }
}

UINT IconOf(TMsgDlgType type) {
  switch (type) {
    case mtWarning:
      return MB_ICONWARNING;
    case mtError:
      return MB_ICONERROR;
    case mtInformation:
      return MB_ICONINFORMATION;
    case mtConfirmation:
      return MB_ICONQUESTION;
    default:
      return 0;
  }
}

AnsiString ApplicationTitle() { return Application ? Application->Title : AnsiString(); }

}  // namespace

int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
  const UINT type = TypeOfButtons(Buttons) | IconOf(DlgType);
  const char* caption = CaptionOf(DlgType);
  return Backend().MessageBox(Msg, caption ? cp1253::FromUtf8(caption) : ApplicationTitle(), type);
}

void ShowMessage(const AnsiString& Msg) { Backend().MessageBox(Msg, ApplicationTitle(), MB_OK); }

int MessageBox(HWND, const AnsiString& Text, const AnsiString& Caption, UINT Type) {
  return Backend().MessageBox(Text, Caption, Type);
}

TForm* CreateMessageDialog(const AnsiString& Text, const AnsiString& Caption, UINT Type) {
  return NewForm<TMessageForm>(Text, Caption, Type);
}

int ShowMessageForm(const AnsiString& Text, const AnsiString& Caption, UINT Type) {
  std::unique_ptr<TForm> form(CreateMessageDialog(Text, Caption, Type));
  return form->ShowModal();
}
