#pragma once
// What the program's dialogs are built on: a form laid out in dialog units
// (a quarter of the average character width, an eighth of the character
// height of the form's font), as the system lays out its dialogs, so that
// the controls keep their proportions with the font.

#include "platform/rtl/Cp1253.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"

namespace dialogs {

// The one-line choosers of the dialogs (filters, printers, papers,
// colours): drop-down lists; OnClick runs when the user chose a line.
using TChooser = TComboBox;

class TDialogForm : public TForm {
 public:
  TDialogForm(TComponent* owner, const AnsiString& caption);

  // Dialog units to pixels.
  int DX(int units) const { return (units * unitX_ + 2) / 4; }
  int DY(int units) const { return (units * unitY_ + 4) / 8; }
  // The client area in dialog units.
  void SetClientSizeDU(int width, int height);

  // A control of class C at X, Y with size W × H in dialog units, on Parent
  // (the form when null).
  template <typename C>
  C* Add(int x, int y, int w, int h, TWinControl* parent = nullptr) {
    auto* c = new C(this);
    c->SetBounds(DX(x), DY(y), DX(w), DY(h));
    c->SetParent(parent ? parent : this);
    return c;
  }
  template <typename C>
  C* Add(const char* utf8Caption, int x, int y, int w, int h, TWinControl* parent = nullptr) {
    C* c = Add<C>(x, y, w, h, parent);
    c->SetCaption(cp1253::FromUtf8(utf8Caption));
    return c;
  }
  TChooser* AddChooser(int x, int y, int w, TWinControl* parent = nullptr) {
    auto* chooser = Add<TChooser>(x, y, w, 12, parent);
    chooser->SetStyle(csDropDownList);
    return chooser;
  }
  // A push button that ends the dialog with Result.
  TButton* AddButton(const char* utf8Caption, TModalResult result, int x, int y, int w = 50, int h = 14);
  // OK (default, named OkButton) and Cancel (named CancelButton).
  TButton* OkButton(int x, int y, int w = 50);
  TButton* CancelButton(int x, int y, int w = 50);

  // The text width of S in the form's font, in pixels.
  int TextWidth(const AnsiString& s) const;
  // The least client width that leaves the whole caption in sight in the
  // window manager's title bar, beside its buttons; never past the work
  // area. A dialog shows at least this wide.
  int CaptionClientWidth() const;
  void SetVisible(bool v) override;

 private:
  int unitX_ = 6, unitY_ = 13;
};

// The words of the dialogs' own buttons.
inline constexpr const char* kCancelCaption = "Ακυρο";

}  // namespace dialogs
