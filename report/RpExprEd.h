#pragma once
// The design-time editor of expression controls: its "Expression
// settings" window adds the display mask and the expression builder to
// what the text editor offers.

#include "platform/ui/Buttons.h"
#include "report/RpLablEd.h"

class TRpExprEditorForm : public TRpLabelEditorForm {
 public:
  explicit TRpExprEditorForm(TComponent* owner);

  TLabel* MaskLabel;
  TComboBox* Mask;
  TSpeedButton* ExprBuilderBtn;
  // The form that holds the control: its data sets are offered in the
  // builder (nullptr when the control stands on none).
  TCustomForm* ControlForm = nullptr;

  // The builder on the expression, with the data sets of ControlForm; a
  // confirmed one replaces it.
  void ShowExprBuilder();
};

class TRpExprEditor : public TRpLabelEditor {
 public:
  explicit TRpExprEditor(TRpPrintable* control) : TRpLabelEditor(control) {}

  const std::type_info& GetControlClass() override;
  AnsiString GetText() override;
  AnsiString GetKindName() override;
  AnsiString GetDescription() override;
  void SetText(const AnsiString& text) override;

 protected:
  TRpExpr* Expr() const { return static_cast<TRpExpr*>(Control); }
  std::unique_ptr<TRpLabelEditorForm> CreateForm() override;
  void LoadForm(TRpLabelEditorForm& form) override;
  void StoreForm(TRpLabelEditorForm& form) override;
};
