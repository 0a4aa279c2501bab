// The find dialog: a modeless window that reports each search request.

#include "platform/ui/DialogForm.h"
#include "platform/ui/Dialogs.h"

namespace dialogs {

class TFindForm : public TDialogForm {
 public:
  explicit TFindForm(TFindDialog& dialog) : TDialogForm(&dialog, "Εύρεση"_a), dialog_(dialog) {
    Position = poDesigned;
    SetClientSizeDU(274, 62);
    auto* label = Add<TLabel>("Εύρεση &του:", 5, 9, 42, 8);
    Text = Add<TEdit>(49, 7, 152, 12);
    Text->SetName("FindEdit");
    label->SetFocusControl(Text);
    WholeWord = Add<TCheckBox>("Μόνο ολόκληρες &λέξεις", 5, 26, 124, 12);
    WholeWord->SetName("WholeWord");
    MatchCase = Add<TCheckBox>("&Διάκριση πεζών/κεφαλαίων", 5, 42, 124, 12);
    MatchCase->SetName("MatchCase");
    auto* direction = Add<TGroupBox>("Κατεύθυνση", 131, 26, 70, 28);
    Up = Add<TRadioButton>("&Πάνω", 4, 11, 32, 12, direction);
    Up->SetName("Up");
    Down = Add<TRadioButton>("&Κάτω", 37, 11, 32, 12, direction);
    Down->SetName("Down");
    FindNext = AddButton("Εύρεση &επομένου", mrNone, 207, 5, 62, 14);
    FindNext->SetName("FindNext");
    FindNext->SetDefault(true);
    FindNext->OnClick = [this](TObject*) { Find(); };
    TButton* cancel = AddButton(kCancelCaption, mrNone, 207, 23, 62, 14);
    cancel->SetName("CancelButton");
    cancel->Cancel = true;
    cancel->OnClick = [this](TObject*) { dialog_.CloseDialog(); };
    Text->OnChange = [this](TObject*) { FindNext->SetEnabled(!Text->Text().empty()); };
    OnClose = [this](TObject*, TCloseAction& action) {
      action = caHide;
      if (dialog_.OnClose) dialog_.OnClose(&dialog_);
    };
  }

  // Takes the dialog's text and options into the controls.
  void Load() {
    const TFindOptions& o = dialog_.Options;
    Text->SetText(dialog_.FindText);
    Text->SelectAll();
    FindNext->SetEnabled(!dialog_.FindText.empty());
    MatchCase->SetChecked(o.Contains(frMatchCase));
    WholeWord->SetChecked(o.Contains(frWholeWord));
    (o.Contains(frDown) ? Down : Up)->SetChecked(true);
    MatchCase->SetVisible(!o.Contains(frHideMatchCase));
    WholeWord->SetVisible(!o.Contains(frHideWholeWord));
    Up->Parent()->SetVisible(!o.Contains(frHideUpDown));
    MatchCase->SetEnabled(!o.Contains(frDisableMatchCase));
    WholeWord->SetEnabled(!o.Contains(frDisableWholeWord));
    Up->SetEnabled(!o.Contains(frDisableUpDown));
    Down->SetEnabled(!o.Contains(frDisableUpDown));
    SetActiveControl(Text);
  }

  TEdit* Text;
  TCheckBox* WholeWord;
  TCheckBox* MatchCase;
  TRadioButton* Up;
  TRadioButton* Down;
  TButton* FindNext;

 private:
  void Find() {
    if (Text->Text().empty()) return;
    TFindOptions& o = dialog_.Options;
    dialog_.FindText = Text->Text();
    o << frFindNext;
    if (Down->Checked())
      o << frDown;
    else
      o >> frDown;
    if (MatchCase->Checked())
      o << frMatchCase;
    else
      o >> frMatchCase;
    if (WholeWord->Checked())
      o << frWholeWord;
    else
      o >> frWholeWord;
    if (dialog_.OnFind) dialog_.OnFind(&dialog_);
  }

  TFindDialog& dialog_;
};

}  // namespace dialogs

// The form, made on the first Execute, is owned (and freed) as a component
// of the dialog.
TFindDialog::TFindDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

TCustomForm* TFindDialog::Form() const { return form_; }

bool TFindDialog::Execute() {
  if (!form_) {
    form_ = new dialogs::TFindForm(*this);
    form_->AfterConstruction();
  }
  if (!form_->Visible()) {
    form_->Load();
    if (Left >= 0 && Top >= 0) {
      form_->SetBounds(Left, Top, form_->Width(), form_->Height());
    } else {
      const int sw = Screen ? Screen->Width() : 1024, sh = Screen ? Screen->Height() : 768;
      form_->SetBounds((sw - form_->Width()) / 2, (sh - form_->Height()) / 3, form_->Width(),
                       form_->Height());
    }
    if (OnShow) OnShow(this);
  }
  form_->Show();
  return true;
}

void TFindDialog::CloseDialog() {
  if (form_ && form_->Visible()) form_->Close();
}
