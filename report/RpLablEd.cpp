#include "report/RpLablEd.h"

#include "platform/ui/Dialogs.h"
#include "report/RpDesign.h"

namespace {

template <typename T>
T* Place(TCustomForm* form, const char* name, int left, int top, int width, int height) {
  return RpPlaceControl<T>(form, form, name, left, top, width, height);
}

TLabel* PlaceLabel(TCustomForm* parent, const char* name, const AnsiString& caption, int left, int top) {
  TLabel* label = Place<TLabel>(parent, name, left, top, 80, 16);
  label->SetCaption(caption);
  return label;
}

TMaskEdit* PlaceSizeEdit(TCustomForm* parent, const char* name, int left, int top) {
  TMaskEdit* edit = Place<TMaskEdit>(parent, name, left, top, 57, 23);
  edit->SetEditMask("9999");
  edit->SetMaxLength(4);
  return edit;
}

// A size as the four-digit field shows it: whole, within the field.
AnsiString SizeText(Extended value) {
  const Extended whole = Round(value);
  if (whole < 0) return "0";
  if (whole > 9999) return "9999";
  return IntToStr(static_cast<int>(whole));
}

}  // namespace

TRpLabelEditorForm::TRpLabelEditorForm(TComponent* owner) : TForm(owner) {
  RpSetUpDialog(*this, "RpLabelEditorForm", "Text Settings", 360, 150);
  ValueLabel = PlaceLabel(this, "ValueLabel", "Text", 8, 12);
  Value = Place<TEdit>(this, "Value", 72, 8, 280, 23);
  WidthLabel = PlaceLabel(this, "WidthLabel", "Width", 8, 44);
  Width = PlaceSizeEdit(this, "Width", 72, 40);
  HeightLabel = PlaceLabel(this, "HeightLabel", "Height", 8, 76);
  Height = PlaceSizeEdit(this, "Height", 72, 72);
  AutoSize = Place<TCheckBox>(this, "AutoSize", 160, 42, 100, 19);
  AutoSize->SetCaption("Auto size");
  Stretch = Place<TCheckBox>(this, "Stretch", 160, 74, 100, 19);
  Stretch->SetCaption("Stretch");
  Transparent = Place<TCheckBox>(this, "Transparent", 264, 42, 96, 19);
  Transparent->SetCaption("Transparent");
  OK = Place<TButton>(this, "OK", 196, 116, 75, 25);
  OK->SetCaption("OK");
  OK->ModalResult = 1;
  OK->SetDefault(true);
  Cancel = Place<TButton>(this, "Cancel", 277, 116, 75, 25);
  Cancel->SetCaption("Cancel");
  Cancel->ModalResult = 2;
  Cancel->Cancel = true;
  // The button has put its result on the form by the time this runs.
  OK->OnClick = [this](TObject*) {
    if (!SizesValid()) SetModalResult(mrNone);
  };
}

void TRpLabelEditorForm::ShowSize(Extended width, Extended height) {
  Width->SetText(SizeText(width));
  Height->SetText(SizeText(height));
  shownWidth_ = Width->Text();
  shownHeight_ = Height->Text();
}

bool TRpLabelEditorForm::SizesValid() {
  for (TMaskEdit* field : {Width, Height}) {
    Extended unused = 0;
    if (TryStrToFloat(field->Text(), unused)) continue;
    MessageDlg(Format("'%s' is not a valid floating point value", {field->Text()}), mtError, {mbOK}, 0);
    if (field->CanFocus()) field->SetFocus();
    return false;
  }
  return true;
}

// ---- the editor ----------------------------------------------------------------

TColor TRpLabelEditor::GetColor() { return Control->Color(); }
TFont* TRpLabelEditor::GetFont() { return &Control->Font(); }
const std::type_info& TRpLabelEditor::GetControlClass() { return typeid(TRpLabel); }
AnsiString TRpLabelEditor::GetText() { return Label()->Caption(); }
AnsiString TRpLabelEditor::GetKindName() { return "RPLABEL"; }
AnsiString TRpLabelEditor::GetDescription() { return "Text Control"; }
TAlignment TRpLabelEditor::GetAlignment() { return Control->Alignment(); }
void TRpLabelEditor::SetAlignment(TAlignment alignment) { Control->SetAlignment(alignment); }
void TRpLabelEditor::SetColor(TColor color) { Control->SetColor(color); }

void TRpLabelEditor::SetFont(const TFont& font) {
  Control->Font().Assign(font);
  Label()->FontChanged();
}

void TRpLabelEditor::SetText(const AnsiString& text) { Label()->SetCaption(text); }

std::unique_ptr<TRpLabelEditorForm> TRpLabelEditor::CreateForm() {
  return std::unique_ptr<TRpLabelEditorForm>(NewForm<TRpLabelEditorForm>(nullptr));
}

void TRpLabelEditor::LoadForm(TRpLabelEditorForm& form) {
  form.Value->SetText(GetText());
  TRpPrintableSize& size = *Control->Size();
  form.ShowSize(size.GetValue(TRpPrintableSize::iWidth), size.GetValue(TRpPrintableSize::iHeight));
  form.AutoSize->SetChecked(Label()->AutoSize);
  form.Stretch->SetChecked(Label()->AutoStretch());
  form.Transparent->SetChecked(Control->Transparent());
}

void TRpLabelEditor::StoreForm(TRpLabelEditorForm& form) {
  // Both sizes are read before anything is stored: a field that is no
  // number raises with the control untouched.
  const bool widthChanged = form.WidthChanged(), heightChanged = form.HeightChanged();
  const Extended width = widthChanged ? form.WidthValue() : 0;
  const Extended height = heightChanged ? form.HeightValue() : 0;
  SetText(form.Value->Text());
  TRpPrintableSize& size = *Control->Size();
  if (widthChanged) size.SetValue(TRpPrintableSize::iWidth, width);
  if (heightChanged) size.SetValue(TRpPrintableSize::iHeight, height);
  // Stored as it is: the control is not laid out again here.
  Label()->AutoSize = form.AutoSize->Checked();
  Label()->SetAutoStretch(form.Stretch->Checked());
  Control->SetTransparent(form.Transparent->Checked());
}

bool TRpLabelEditor::Edit() {
  std::unique_ptr<TRpLabelEditorForm> form = CreateForm();
  LoadForm(*form);
  const bool confirmed = form->ShowModal() == 1;
  if (confirmed) StoreForm(*form);
  return confirmed;
}
