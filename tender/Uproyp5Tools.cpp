// The controls of the budget window's offer tools: the check's label and
// buttons, the price-filling panel's fields and the search panel.
#include "platform/rtl/Cp1253.h"
#include "tender/Uproyp5.h"

void TUproypFrm::BuildAnalysisTools() {
  // The check's two labels and the subtotal side by side, not over each other.
  Label2->SetLeft(430);
  LabelQ->SetLeft(580);
  Label5 = new TLabel(this);
  Label5->SetName("Label5");
  Label5->SetBounds(8, 534, 420, 13);
  Label5->SetParent(this);
  Label5->SetCaption("");
  Label5->SetHint("Ισχύει εφόσον η συνολική δαπάνη τους δεν υπερβαίνει το 5% του προϋπολογισμού μελέτης"_a);
  Label5->Anchors = {akLeft, akBottom};
  // The report is fixed-width text.
  TFont font = Memo1->Font();
  font.Name = "Courier New";
  font.SetSize(9);
  Memo1->SetFont(font);
  // The filling panel's fields.
  auto place = [&](auto* control, const char* name, int left, int top, int width, int height) {
    control->SetName(name);
    control->SetBounds(left, top, width, height);
    control->SetParent(inEkpt);
    return control;
  };
  inEkpt->SetBounds(60, 120, 330, 112);
  auto* label = place(new TLabel(this), "inEkptLabel1", 8, 26, 120, 13);
  label->SetCaption("Μέση έκπτωση %"_a);
  Edit1 = place(new TEdit(this), "Edit1", 8, 42, 90, 21);
  Edit1->SetHint("Βάλε επιθυμητή μέση έκπτωση"_a);
  SpeedButton2 = place(new TSpeedButton(this), "SpeedButton2", 102, 42, 22, 21);
  SpeedButton2->SetCaption("=");
  label = place(new TLabel(this), "inEkptLabel2", 128, 26, 120, 13);
  label->SetCaption("Τελικό ποσό"_a);
  Edit2 = place(new TEdit(this), "Edit2", 128, 42, 130, 21);
  for (TEdit* edit : {Edit1, Edit2}) {
    edit->SetText("");
    edit->OnKeyPress = [this](TObject* s, char& k) { Edit2KeyPress(s, k); };
    edit->OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { Edit3KeyDown(s, k, sh); };
  }
  CheckBox1 = place(new TCheckBox(this), "CheckBox1", 190, 80, 135, 17);
  CheckBox1->SetCaption("Στρογγυλοποίηση τιμών "_a);
  OkBitBtn->OnClick = [this](TObject* s) { OkBitBtnClick(s); };
  SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
  // The check has a button of its own beside the calculation without it,
  // which says what it does.
  BitBtn3->SetCaption("Υπολογισμός"_a);
  BitBtn3->SetWidth(78);
  EkptBtn->SetGroupIndex(9);
  EkptBtn->SetAllowAllUp(true);
  EkptBtn->SetHint("Εισαγωγή μέσης έκπτωσης\rγια συμπλήρωση τιμών"_a);
  EkptBtn->OnClick = [this](TObject* s) { ekptBtnClick(s); };
  ApoklBtn->SetHint("Πίνακας τιμών με αποκλίσεις"_a);
  ApoklBtn->OnClick = [this](TObject* s) { ApoklBtnClick(s); };
  BuildSearchPanel();

  DoCheckBtn->OnClick = [this](TObject* s) { DoCheckBtnClick(s); };
  BitBtn3->OnClick = [this](TObject* s) { BitBtn3Click(s); };
  PrintProyp->OnClick = [this](TObject* s) { PrintProypClick(s); };
}
