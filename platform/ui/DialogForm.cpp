#include "platform/ui/DialogForm.h"

#include <algorithm>

#include "platform/gfx/CairoCanvas.h"
#include "platform/ui/Application.h"

namespace dialogs {

namespace {
// Measured before any window exists, on a canvas with the same fonts.
TSize Measure(const TFont& font, const AnsiString& text) {
  TImageCanvas canvas(1, 1);
  canvas.Font->Assign(font);
  return canvas.TextExtent(text);
}
}  // namespace

TDialogForm::TDialogForm(TComponent* owner, const AnsiString& caption) : TForm(owner ? owner : Application) {
  SetCaption(caption);
  BorderStyle = bsDialog;
  Position = poScreenCenter;
  const TSize sample = Measure(Font(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  unitX_ = std::max(1, (sample.cx + 26) / 52);
  unitY_ = std::max(1, sample.cy);
}

void TDialogForm::SetClientSizeDU(int width, int height) {
  SetClientWidth(DX(width));
  SetClientHeight(DY(height));
}

TButton* TDialogForm::AddButton(const char* utf8Caption, TModalResult result, int x, int y, int w, int h) {
  auto* b = Add<TButton>(utf8Caption, x, y, w, h);
  b->ModalResult = result;
  b->SetDefault(result == mrOk);
  b->Cancel = result == mrCancel;
  return b;
}

TButton* TDialogForm::OkButton(int x, int y, int w) {
  TButton* b = AddButton("OK", mrOk, x, y, w);
  b->SetName("OkButton");
  return b;
}

TButton* TDialogForm::CancelButton(int x, int y, int w) {
  TButton* b = AddButton(kCancelCaption, mrCancel, x, y, w);
  b->SetName("CancelButton");
  return b;
}

int TDialogForm::TextWidth(const AnsiString& s) const { return Measure(Font(), s).cx; }

int TDialogForm::CaptionClientWidth() const {
  // A window manager draws the title in a bolder, larger face than the
  // form's and shares its bar with an icon and three buttons.
  const int wanted = TextWidth(Caption()) * 3 / 2 + 110;
  const int frame = Width() - ClientWidth();
  const int most = (Screen ? Screen->WorkAreaRect().Width() : 1024) - frame;
  return std::min(wanted, most);
}

void TDialogForm::SetVisible(bool v) {
  if (v && !Visible()) {
    const int least = CaptionClientWidth();
    if (ClientWidth() < least) SetClientWidth(least);
  }
  TForm::SetVisible(v);
}

}  // namespace dialogs
