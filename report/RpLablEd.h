#pragma once
// The design-time editor of text controls: its "Text Settings" window
// edits the text, the size and the auto-size, stretch and transparency of
// one control.

#include <memory>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"
#include "report/RpCtrls.h"

class TRpLabelEditorForm : public TForm {
 public:
  explicit TRpLabelEditorForm(TComponent* owner);

  TLabel* ValueLabel;
  TEdit* Value;
  TLabel* WidthLabel;
  TMaskEdit* Width;
  TLabel* HeightLabel;
  TMaskEdit* Height;
  TCheckBox* AutoSize;
  TCheckBox* Stretch;
  TCheckBox* Transparent;
  TButton* OK;
  TButton* Cancel;

  // The size fields show whole numbers (their mask holds four digits); a
  // field left as shown keeps the size it stood for.
  void ShowSize(Extended width, Extended height);
  // The sizes to store: false for a field left as shown. A field that is
  // blank or no number raises EConvertError with its text.
  bool WidthChanged() const { return Width->Text() != shownWidth_; }
  bool HeightChanged() const { return Height->Text() != shownHeight_; }
  Extended WidthValue() const { return StrToFloat(Width->Text()); }
  Extended HeightValue() const { return StrToFloat(Height->Text()); }

 protected:
  // OK with a width or height that is blank or no number tells so and
  // keeps the window open on that field, so nothing is stored half.
  bool SizesValid();

 private:
  AnsiString shownWidth_, shownHeight_;
};

class TRpLabelEditor : public TRpPrintableEditor {
 public:
  explicit TRpLabelEditor(TRpPrintable* control) : TRpPrintableEditor(control) {}

  TColor GetColor() override;
  TFont* GetFont() override;
  const std::type_info& GetControlClass() override;
  AnsiString GetText() override;
  AnsiString GetKindName() override;
  AnsiString GetDescription() override;
  TAlignment GetAlignment() override;
  void SetAlignment(TAlignment alignment) override;
  void SetColor(TColor color) override;
  void SetFont(const TFont& font) override;
  void SetText(const AnsiString& text) override;
  // Shows the window; true when the user confirmed (then the control has
  // taken what the window holds).
  bool Edit() override;

 protected:
  TRpCustomLabel* Label() const { return static_cast<TRpCustomLabel*>(Control); }
  virtual std::unique_ptr<TRpLabelEditorForm> CreateForm();
  // The window from the control and back.
  virtual void LoadForm(TRpLabelEditorForm& form);
  virtual void StoreForm(TRpLabelEditorForm& form);
};
