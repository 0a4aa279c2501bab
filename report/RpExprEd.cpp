#include "report/RpExprEd.h"

#include "report/RpDesign.h"
#include "report/RpExpBld.h"

TRpExprEditorForm::TRpExprEditorForm(TComponent* owner) : TRpLabelEditorForm(owner) {
  SetName("RpExprEditorForm");
  SetCaption("Expression settings");
  SetClientHeight(182);
  ValueLabel->SetCaption("Expression");
  Value->SetWidth(252);
  ExprBuilderBtn = RpPlaceControl<TSpeedButton>(this, this, "ExprBuilderBtn", 329, 8, 23, 23);
  ExprBuilderBtn->SetCaption("...");
  ExprBuilderBtn->OnClick = [this](TObject*) { ShowExprBuilder(); };
  MaskLabel = RpPlaceControl<TLabel>(this, this, "MaskLabel", 8, 108, 60, 16);
  MaskLabel->SetCaption("Mask");
  Mask = RpPlaceControl<TComboBox>(this, this, "Mask", 72, 104, 280, 23);
  OK->SetTop(148);
  Cancel->SetTop(148);
}

void TRpExprEditorForm::ShowExprBuilder() {
  AnsiString expression = Value->Text();
  if (EditExpressionInBuilder("", expression, ControlForm, nullptr, nullptr)) Value->SetText(expression);
}

const std::type_info& TRpExprEditor::GetControlClass() { return typeid(TRpExpr); }
AnsiString TRpExprEditor::GetText() { return Expr()->Expression(); }
AnsiString TRpExprEditor::GetKindName() { return "RPEXPR"; }
AnsiString TRpExprEditor::GetDescription() { return "Expression Control"; }
void TRpExprEditor::SetText(const AnsiString& text) { Expr()->SetExpression(text); }

std::unique_ptr<TRpLabelEditorForm> TRpExprEditor::CreateForm() {
  return std::unique_ptr<TRpLabelEditorForm>(NewForm<TRpExprEditorForm>(nullptr));
}

void TRpExprEditor::LoadForm(TRpLabelEditorForm& form) {
  TRpLabelEditor::LoadForm(form);
  auto& exprForm = static_cast<TRpExprEditorForm&>(form);
  exprForm.Mask->SetText(Expr()->Mask());
  exprForm.ControlForm = nullptr;
  for (TWinControl* parent = Control->Parent(); parent != nullptr; parent = parent->Parent()) {
    if (auto* holder = dynamic_cast<TCustomForm*>(parent)) {
      exprForm.ControlForm = holder;
      break;
    }
  }
}

void TRpExprEditor::StoreForm(TRpLabelEditorForm& form) {
  TRpLabelEditor::StoreForm(form);
  Expr()->SetMask(static_cast<TRpExprEditorForm&>(form).Mask->Text());
}
