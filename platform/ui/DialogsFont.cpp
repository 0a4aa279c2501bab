// The font dialog: face, style and size lists with their fields, effects,
// and a sample of the result.

#include <algorithm>
#include <memory>

#include "platform/gfx/TextEngine.h"
#include "platform/ui/Backend.h"
#include "platform/ui/DialogForm.h"
#include "platform/ui/Dialogs.h"

namespace dialogs {

namespace {

constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
// The largest size the system's font dialog accepts.
constexpr int kLargestSize = 1638;

const char* const kStyles[] = {"Κανονικά", "Πλάγια", "Έντονα", "Έντονα πλάγια"};

struct NamedColor {
  TColor Color;
  const char* Name;
};
const NamedColor kColors[] = {
    {clBlack, "Μαύρο"},      {clMaroon, "Βυσσινί"}, {clGreen, "Πράσινο"}, {clOlive, "Λαδί"},
    {clNavy, "Μπλε σκούρο"}, {clPurple, "Μωβ"},     {clTeal, "Πετρόλ"},   {clGray, "Γκρι"},
    {clSilver, "Ασημί"},     {clRed, "Κόκκινο"},    {clLime, "Λαχανί"},   {clYellow, "Κίτρινο"},
    {clBlue, "Μπλε"},        {clFuchsia, "Φούξια"}, {clAqua, "Γαλάζιο"},  {clWhite, "Λευκό"},
};

// The first line of List starting with Prefix (ignoring case), or -1.
int FindPrefix(const TStrings& list, const AnsiString& prefix) {
  if (prefix.empty()) return -1;
  for (int i = 0; i < list.Count(); ++i)
    if (AnsiCompareText(list.Strings(i).substr(0, prefix.size()), prefix) == 0) return i;
  return -1;
}

// A sample of the chosen font, framed, centred.
class TFontSample : public TGraphicControl {
 public:
  explicit TFontSample(TComponent* owner) : TGraphicControl(owner) {}
  TFont Sample;

 protected:
  void Paint() override {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush->Color = clBtnFace;
    c.FillRect(r);
    c.Font->Assign(Sample);
    c.Brush->Style = bsClear;
    c.DrawText("AaBbΑαΒβ"_a, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  }
};

class TFontForm : public TDialogForm {
 public:
  TFontForm(TFontDialog& dialog)
      : TDialogForm(&dialog, "Γραμματοσειρά"_a), dialog_(dialog), font_(dialog.Font) {
    const bool effects = dialog.Options.Contains(fdEffects);
    SetClientSizeDU(276, effects ? 166 : 136);
    FaceEdit = PickList("&Γραμματοσειρά:", 6, 94, "Face", FaceList);
    StyleEdit = PickList("&Στυλ γραμματοσειράς:", 108, 66, "Style", StyleList);
    SizeEdit = PickList("&Μέγεθος:", 182, 32, "Size", SizeList);
    for (const AnsiString& face : gfx::FontFaceNames()) FaceList->Items()->Add(face);
    // A face the program uses but does not offer is still the font's own.
    if (!font_.Name.empty() && FaceList->Items()->IndexOf(font_.Name) < 0) FaceList->Items()->Add(font_.Name);
    for (const char* style : kStyles) StyleList->Items()->Add(cp1253::FromUtf8(style));
    for (int size : kSizes)
      if (SizeAllowed(size)) SizeList->Items()->Add(IntToStr(size));
    StyleEdit->SetReadOnly(true);

    TButton* ok = OkButton(222, 13, 48);
    ok->ModalResult = mrNone;  // the choices are checked first
    ok->OnClick = [this](TObject*) { OkPressed(); };
    CancelButton(222, 31, 48);

    if (effects) {
      auto* group = Add<TGroupBox>("Εφέ", 6, 94, 94, 66);
      StrikeOut = Add<TCheckBox>("&Διακριτή διαγραφή", 8, 11, 80, 10, group);
      StrikeOut->SetName("StrikeOut");
      Underline = Add<TCheckBox>("&Υπογράμμιση", 8, 24, 80, 10, group);
      Underline->SetName("Underline");
      auto* colorLabel = Add<TLabel>("&Χρώμα:", 8, 38, 60, 9, group);
      Colors = AddChooser(8, 48, 78, group);
      Colors->SetName("ColorList");
      colorLabel->SetFocusControl(Colors);
      for (const NamedColor& c : kColors) Colors->Items()->Add(cp1253::FromUtf8(c.Name));
      StrikeOut->OnClick = Underline->OnClick = Colors->OnClick = [this](TObject*) { ReadChoices(); };
    }
    auto* sampleGroup = Add<TGroupBox>("Δείγμα", effects ? 108 : 6, 94, effects ? 162 : 264, 36);
    Sample = Add<TFontSample>(6, 11, effects ? 150 : 252, 21, sampleGroup);
    Sample->SetName("Sample");

    FaceList->OnClick = [this](TObject*) { Take(FaceList, FaceEdit); };
    StyleList->OnClick = [this](TObject*) { Take(StyleList, StyleEdit); };
    SizeList->OnClick = [this](TObject*) { Take(SizeList, SizeEdit); };
    FaceEdit->OnChange = [this](TObject*) { Follow(FaceEdit, FaceList); };
    SizeEdit->OnChange = [this](TObject*) { Follow(SizeEdit, SizeList); };
    Load();
    SetActiveControl(FaceEdit);
  }

  TFont Chosen() const { return font_; }

  TEdit* FaceEdit;
  TEdit* StyleEdit;
  TEdit* SizeEdit;
  TListBox* FaceList = nullptr;
  TListBox* StyleList = nullptr;
  TListBox* SizeList = nullptr;
  TCheckBox* StrikeOut = nullptr;
  TCheckBox* Underline = nullptr;
  TChooser* Colors = nullptr;
  TFontSample* Sample = nullptr;

 private:
  // A label, a field and the list below it, as the system's "simple combo".
  TEdit* PickList(const char* caption, int x, int w, const char* name, TListBox*& list) {
    auto* label = Add<TLabel>(caption, x, 3, w, 9);
    auto* edit = Add<TEdit>(x, 13, w, 12);
    edit->SetName(AnsiString(name) + "Edit");
    list = Add<TListBox>(x, 26, w, 62);
    list->SetName(AnsiString(name) + "List");
    label->SetFocusControl(edit);
    return edit;
  }

  bool SizeAllowed(int size) const {
    if (!dialog_.Options.Contains(fdLimitSize)) return true;
    return (dialog_.MinFontSize <= 0 || size >= dialog_.MinFontSize) &&
           (dialog_.MaxFontSize <= 0 || size <= dialog_.MaxFontSize);
  }

  void Load() {
    loading_ = true;
    FaceEdit->SetText(font_.Name);
    FaceList->SetItemIndex(FaceList->Items()->IndexOf(font_.Name));
    const int style = ((font_.Style & fsBold) ? 2 : 0) + ((font_.Style & fsItalic) ? 1 : 0);
    StyleList->SetItemIndex(style);
    StyleEdit->SetText(StyleList->Items()->Strings(style));
    SizeEdit->SetText(IntToStr(font_.Size()));
    if (StrikeOut) {
      StrikeOut->SetChecked(font_.Style & fsStrikeOut);
      Underline->SetChecked(font_.Style & fsUnderline);
      for (size_t i = 0; i < std::size(kColors); ++i)
        if (ColorToRGB(kColors[i].Color) == ColorToRGB(font_.Color))
          Colors->SetItemIndex(static_cast<int>(i));
    }
    loading_ = false;
    ShowSample();
  }

  void Take(TListBox* list, TEdit* edit) {
    if (list->ItemIndex() < 0) return;
    edit->SetText(list->Items()->Strings(list->ItemIndex()));
    ReadChoices();
  }

  void Follow(TEdit* edit, TListBox* list) {
    const int found = FindPrefix(*list->Items(), edit->Text());
    if (found >= 0) list->SetItemIndex(found);
    ReadChoices();
  }

  // The font as the controls say now, as far as they hold sound values.
  void ReadChoices() {
    if (loading_) return;
    const int face = FaceList->Items()->IndexOf(FaceEdit->Text());
    if (face >= 0) font_.Name = FaceList->Items()->Strings(face);
    TFontStyles style = 0;
    const int s = std::max(0, StyleList->ItemIndex());
    if (s & 1) style |= fsItalic;
    if (s & 2) style |= fsBold;
    if (StrikeOut) {
      if (StrikeOut->Checked()) style |= fsStrikeOut;
      if (Underline->Checked()) style |= fsUnderline;
      if (Colors->ItemIndex() >= 0) font_.Color = kColors[Colors->ItemIndex()].Color;
    } else {
      style |= font_.Style & (fsStrikeOut | fsUnderline);
    }
    font_.Style = style;
    int size = 0;
    if (TryStrToInt(Trim(SizeEdit->Text()), size) && size > 0 && size <= kLargestSize && SizeAllowed(size))
      font_.SetSize(size);
    ShowSample();
  }

  void ShowSample() {
    Sample->Sample.Assign(font_);
    Sample->Invalidate();
  }

  void OkPressed() {
    if (FaceList->Items()->IndexOf(FaceEdit->Text()) < 0) {
      Refuse("Δεν υπάρχει γραμματοσειρά με αυτό το όνομα.\r\nΔιαλέξτε μια γραμματοσειρά από τον κατάλογο."_a,
             FaceEdit);
      return;
    }
    int size = 0;
    const int low =
        dialog_.Options.Contains(fdLimitSize) && dialog_.MinFontSize > 0 ? dialog_.MinFontSize : 1;
    const int high =
        dialog_.Options.Contains(fdLimitSize) && dialog_.MaxFontSize > 0 ? dialog_.MaxFontSize : kLargestSize;
    if (!TryStrToInt(Trim(SizeEdit->Text()), size) || size < low || size > high) {
      Refuse(Format("Το μέγεθος πρέπει να είναι αριθμός από %d έως %d."_a, {low, high}), SizeEdit);
      return;
    }
    ReadChoices();
    SetModalResult(mrOk);
  }

  void Refuse(const AnsiString& message, TEdit* field) {
    Backend().MessageBox(message, Caption(), MB_OK | MB_ICONWARNING);
    field->SetFocus();
    field->SelectAll();
  }

  TFontDialog& dialog_;
  TFont font_;
  bool loading_ = false;
};

}  // namespace
}  // namespace dialogs

bool TFontDialog::Execute() {
  std::unique_ptr<dialogs::TFontForm> form(new dialogs::TFontForm(*this));
  form->AfterConstruction();
  if (OnShow) OnShow(this);
  const bool ok = form->ShowModal() == mrOk;
  if (OnClose) OnClose(this);
  if (ok) Font.Assign(form->Chosen());
  return ok;
}
