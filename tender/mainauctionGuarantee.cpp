// The guarantee panel ExtraKe: the initial percentage, the limit and the
// tender discount give the total performance guarantee the winner owes.
#include <algorithm>

#include "platform/gfx/CairoCanvas.h"
#include "platform/rtl/Cp1253.h"
#include "tender/Guarantee.h"
#include "tender/HelpTopics.h"
#include "tender/Uglo.h"
#include "tender/mainauction.h"
#include "tender/mainauctionPanel.h"

namespace {

template <typename T>
T* PlaceOn(TComponent* owner, const char* name, TWinControl* parent, int left, int top, int width,
           int height) {
  auto* control = new T(owner);
  control->SetName(name);
  control->SetBounds(left, top, width, height);
  control->SetParent(parent);
  return control;
}

}  // namespace

void TFrmAXP::BuildGuaranteePanel() {
  ExtraKe = PlaceOn<TExtPanel>(this, "ExtraKe", this, 50, 192, 690, 360);
  ExtraKe->HelpContext = HelpCalculation;
  StyleApplicationPanel(*ExtraKe, "ΥΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΘΕΤΗΣ ΚΑΙ ΣΥΝΟΛΙΚΗΣ ΕΓΓΥΗΣΗΣ ΚΑΛΗΣ ΕΚΤΕΛΕΣΗΣ "_a,
                        stDiagShade, 25, 40);
  ExtraKe->Hide();

  auto label = [&](const char* name, int top, const AnsiString& caption) {
    auto* l = PlaceOn<TLabel>(this, name, ExtraKe, 12, top + 3, 10, 13);
    l->SetCaption(caption);
    return l;
  };
  auto edit = [&](const char* name, int top, const AnsiString& text) {
    auto* e = PlaceOn<TEdit>(this, name, ExtraKe, 280, top, 60, 21);
    e->SetText(text);
    e->OnKeyPress = [this](TObject* s, char& k) { Edit2KeyPress(s, k); };
    return e;
  };
  Label9 = label("Label9", 32, "ΟΡΙΟ ΓΙΑ ΕΠΙΒΟΛΗ ΠΡΟΣΘΕΤΗΣ ΕΓΓΥΗΣΗΣ"_a);
  Edit4 = edit("Edit4", 32, "12");
  Label10 = label("Label10", 58, "ΠΟΣΟΣΤΟ ΑΡΧΙΚΗΣ ΕΓΓΥΗΣΗΣ"_a);
  Edit2 = edit("Edit2", 58, "5");
  Label11 = label("Label11", 84, "ΕΚΠΤΩΣΗ ΔΗΜΟΠΡΑΣΙΑΣ"_a);
  Edit3 = edit("Edit3", 84, "12");

  CheckBox1 = PlaceOn<TCheckBox>(this, "CheckBox1", ExtraKe, 360, 32, 220, 18);
  CheckBox1->SetCaption("Νέα Ποσοστά από 19/4/2013"_a);
  SpeedButton1 = PlaceOn<TSpeedButton>(this, "SpeedButton1", ExtraKe, 360, 56, 250, 25);
  SpeedButton1->SetCaption("ΥΠΟΛΟΓΙΣΜΟΣ ΣΥΝΟΛΙΚΗΣ ΕΓΓΥΗΣΗΣ"_a);
  Label8 = PlaceOn<TLabel>(this, "Label8", ExtraKe, 360, 88, 10, 20);
  TFont resultFont = Label8->Font();
  resultFont.SetSize(12);
  resultFont.Style = fsBold;
  Label8->SetFont(resultFont);
  Label8->SetCaption("=");
  Button1 = PlaceOn<TButton>(this, "Button1", ExtraKe, 616, 84, 60, 25);
  Button1->SetCaption("O.K.");

  Memo4 = PlaceOn<TMemo>(this, "Memo4", ExtraKe, 12, 116, 330, 232);
  Memo4->SetText(GuaranteeArticleText);
  Memo3 = PlaceOn<TMemo>(this, "Memo3", ExtraKe, 348, 116, 330, 232);
  Memo3->SetText(GuaranteeDecisionText);
  for (TMemo* memo : {Memo3, Memo4}) {
    memo->SetReadOnly(true);
    memo->SetScrollBars(ssVertical);
    memo->SetWordWrap(true);
  }

  BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
  SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
  Button1->OnClick = [this](TObject* s) { Button1Click(s); };
  CheckBox1->OnClick = [this](TObject*) {
    if (applyingGuaranteeRule_) return;
    GuaranteeRatesByUser = true;
    ForgetReport();
  };
  // The percentages give the guarantee line the report ends with.
  for (TEdit* percent : {Edit2, Edit4}) percent->OnChange = [this](TObject*) { ForgetReport(); };
}

void TFrmAXP::BitBtn1Click(TObject*) {
  ApplyGuaranteeDateRule();
  ExtraKe->Show();
  ExtraKe->BringToFront();
}

void TFrmAXP::ApplyGuaranteeDateRule() {
  if (GuaranteeRatesByUser || !NewGuaranteeRatesApply(EditDate->Date())) return;
  applyingGuaranteeRule_ = true;
  CheckBox1->SetChecked(true);
  applyingGuaranteeRule_ = false;
}

void TFrmAXP::ResetGuaranteeRates() {
  GuaranteeRatesByUser = false;
  applyingGuaranteeRule_ = true;
  CheckBox1->SetChecked(false);
  applyingGuaranteeRule_ = false;
}

void TFrmAXP::SpeedButton1Click(TObject*) { AccCalcEggKeExecute(); }

void TFrmAXP::AccCalcEggKeExecute() {
  // A calculation made without opening the panel uses the rates of the
  // tender's date, not those of a box nobody looked at.
  ApplyGuaranteeDateRule();
  Label8->SetCaption(CalcGuaranteeText(Edit4->Text(), Edit2->Text(), Edit3->Text(), CheckBox1->Checked()));
}

void TFrmAXP::Button1Click(TObject*) {
  ExtraKe->Hide();
  initgrec();
}

void TFrmAXP::Edit2KeyPress(TObject*, char& Key) {
  const bool digit = Key >= '0' && Key <= '9';
  if (!digit && Key != '\b' && Key != DecimalSeparator) Key = 0;
}

void TFrmAXP::StoreGuaranteePercents() {
  ProjectHeader.StorePercent(TProjectHeader::GuaranteePercent, StrToFloat(Edit2->Text()));
  ProjectHeader.StorePercent(TProjectHeader::LimitPercent, StrToFloat(Edit4->Text()));
}
