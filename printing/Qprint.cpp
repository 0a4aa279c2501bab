#include "printing/Qprint.h"

#include "platform/rtl/Cp1253.h"
#include "printing/Prevunt.h"
#include "tender/HelpTopics.h"
#include "tender/N_STR.h"

TrpForm::TrpForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Εκτυπώσεις"_a);
  HelpContext = HelpPrinting;
  BorderStyle = bsDialog;
  Position = poScreenCenter;
  SetBounds(Left(), Top(), 409, 105);

  Panel1 = new TPanel(this);
  Panel1->SetParent(this);
  Panel1->SetAlign(alClient);

  BitBtn1 = new TBitBtn(this);
  BitBtn1->SetParent(Panel1);
  BitBtn1->SetBounds(296, 24, 97, 33);
  BitBtn1->SetCaption("ΕΞΟΔΟΣ"_a);
  BitBtn1->Cancel = true;
  BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };

  BitBtn2 = new TBitBtn(this);
  BitBtn2->SetParent(Panel1);
  BitBtn2->SetBounds(184, 24, 105, 33);
  BitBtn2->SetCaption("ΠΡΟΕΠΙΣΚΟΠΙΣΗ"_a);
  // Enter previews: what the dialog is opened for.
  BitBtn2->SetDefault(true);
  BitBtn2->OnClick = [this](TObject* s) { BitBtn2Click(s); };

  RadioGroup1 = new TRadioGroup(this);
  RadioGroup1->SetParent(Panel1);
  RadioGroup1->SetBounds(8, 4, 169, 53);
  RadioGroup1->SetCaption("Προσανατολισμός σελίδας"_a);
  RadioGroup1->Items()->Add(" Κατακόρυφος"_a);
  RadioGroup1->Items()->Add(" Οριζόντιος"_a);
  RadioGroup1->SetItemIndex(0);
  RadioGroup1->OnClick = [this](TObject* s) { RadioGroup1Click(s); };

  CheckBox1 = new TCheckBox(this);
  CheckBox1->SetParent(Panel1);
  CheckBox1->SetBounds(184, 4, 140, 17);
  CheckBox1->SetCaption("Εκτύπωση πλαισίου"_a);

  temp_font = new TLabel(this);
  temp_font->SetParent(Panel1);
  temp_font->SetCaption("temp_font");
  temp_font->Hide();

  BtnFont = new TButton(this);
  BtnFont->SetParent(Panel1);
  BtnFont->SetBounds(184, 64, 209, 22);
  BtnFont->SetCaption("Αλλαγή γραμματοσειράς (Fonts)"_a);
  BtnFont->OnClick = [this](TObject* s) { BtnFontClick(s); };
  FontDialog1 = new TFontDialog(this);

  CreateReport();

  rpExcelFilter1 = new TRpExcelFilter(this);
  rpExcelFilter1->SetName("rpExcelFilter1");
  rpRTFFilter1 = new TRpRTFFilter(this);
  rpRTFFilter1->SetName("rpRTFFilter1");

  BitBtn2->SetEnabled(true);
  SetOrientationForKind();

  OnShow = [this](TObject* s) { FormShow(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

bool TrpForm::ShowForKind(std::int32_t Kind) {
  if (ShowGuard > 5) return false;
  ReportKind = Kind;
  // The dialog opens on ΠΡΟΕΠΙΣΚΟΠΙΣΗ, whatever was left focused the last
  // time: a focused button takes Enter before the default one does.
  SetActiveControl(BitBtn2);
  ShowModal();
  return true;
}

namespace {

// A font set anew goes through every label on the control and lays each
// caption out again: shown again in the font it has, the report keeps
// them. What Assign would make of the font is compared, as the size in
// points is kept across resolutions.
void ChangeFont(TControl* control, const TFont& font) {
  TFont assigned = control->Font();
  assigned.Assign(font);
  if (!control->ParentFont() && assigned == control->Font()) return;
  control->SetFont(font);
}

}  // namespace

void TrpForm::FormShow(TObject*) {
  // Only the button panel shows; the report itself is never on screen.
  SetBounds(Left(), Top(), 409, 105);
  BitBtn2->SetEnabled(true);
  ShowGuard = 10;
  const bool portrait = ReportKind == 1 || ReportKind == 3 || ReportKind == 4;
  BandRep1->Page()->SetOrientation(portrait ? poPortrait : poLandscape);
  RadioGroup1->SetItemIndex(portrait ? 0 : 1);
  if (ReportKind == 1 && Prevform != nullptr) ChangeFont(BandRep1, Prevform->Prevmemo->Font());
  if (ReportKind == 2 && CheckReport != nullptr) ChangeFont(BandRep1, CheckReport->Font());
  BtnFont->SetVisible(ReportKind == 3 || ReportKind == 4);
  RpBand4->SetEnabled(ReportKind == 4);
  ChildBand4->SetEnabled(ReportKind == 3);
  if (ReportKind == 3 || ReportKind == 4) {
    ChangeFont(BandRep1, temp_font->Font());
    Fixbold();
  }
  OfferTotal = TotalsCell ? StrToNum(TotalsCell(6, 3)) : 0;
  // In the report's code page, made once.
  static const AnsiString words = " Συνολική Δαπάνη κατά την Προσφορά (ΣΔΕ) ολογράφως:\r Ευρώ: "_a,
                          cents = " λεπτά"_a;
  RpLabel21->SetCaption(words + AmountToWords(1, 1, cents, OfferTotal));
}

std::vector<TRpLabel*> TrpForm::BoldLabels() {
  if (boldLabels_.empty())
    for (const char* name : {"RpLabel9", "RpLabel13", "RpLabel17", "RpLabel21", "RpLabel23", "RpLabel29",
                             "RpLabel42", "RpLabel44", "RpLabel2", "RpLabel2a"})
      boldLabels_.push_back(static_cast<TRpLabel*>(FindComponent(name)));
  return boldLabels_;
}

void TrpForm::Fixbold() {
  for (TRpLabel* label : BoldLabels()) {
    TFont font = label->Font();
    font.Style = font.Style | fsBold;
    if (label == RpLabel2 || label == RpLabel2a) font.SetSize(13);
    ChangeFont(label, font);
  }
}

void TrpForm::BtnFontClick(TObject*) {
  FontDialog1->Font.Assign(BandRep1->Font());
  if (!FontDialog1->Execute()) return;
  // The bold captions take the new font too, then stand out again.
  for (TRpLabel* label : BoldLabels()) label->SetParentFont(true);
  BandRep1->SetFont(FontDialog1->Font);
  temp_font->SetFont(FontDialog1->Font);
  Fixbold();
}

void TrpForm::SetOrientationForKind() {
  if (ReportKind == 1 || ReportKind == 3 || ReportKind == 4)
    BandRep1->Page()->SetOrientation(poPortrait);
  else if (ReportKind == 2)
    BandRep1->Page()->SetOrientation(poLandscape);
}

void TrpForm::RadioGroup1Click(TObject*) {
  BandRep1->Page()->SetOrientation(RadioGroup1->ItemIndex() == 1 ? poLandscape : poPortrait);
}

void TrpForm::BitBtn2Click(TObject*) {
  LineIndex = 0;
  BitBtn2->SetEnabled(false);
  Close();
  // A frame of width 0 still draws a pixel: unticked, the report has no
  // side to draw on screen, on paper or in a file.
  BandRep1->Frame()->SetWidth(CheckBox1->Checked() ? 1 : 0);
  DrawSides(*BandRep1->Frame(), CheckBox1->Checked());
  // The bands take the width of the page as it now lies, not as it lay at
  // the last run: a landscape check report keeps its long lines whole.
  BandRep1->RebuildBandList();
  const Extended width = RpBand2->NativeWidth();
  RpSysData1->Size()->SetValue(TRpPrintableSize::iLeft, width - 60 * 254.0 / 96.0);
  RpMemo1->Size()->SetValue(TRpPrintableSize::iWidth, width - 5 * 254.0 / 96.0);
  PlaceSignature();
  // The report's name: the preview's caption, the name its file is
  // offered under and the name of the PDF printer's file.
  BandRep1->ReportTitle = KindTitle(ReportKind);
  BandRep1->Preview();
}

AnsiString TrpForm::KindTitle(std::int32_t Kind) {
  switch (Kind) {
    case 1:
      return "Υπολογισμοί διαγωνισμού"_a;
    case 2:
      return "Έλεγχος ομαλότητας προσφοράς"_a;
    case 3:
      return "Β. Προϋπολογισμός προσφοράς"_a;
    case 4:
      return "Α. Προσφορά ποσοστών έκπτωσης"_a;
  }
  return "Εκτύπωση"_a;
}

void TrpForm::FormClose(TObject*, TCloseAction&) { ShowGuard = 0; }

void TrpForm::BitBtn1Click(TObject*) {
  ShowGuard = 0;
  Close();
}
