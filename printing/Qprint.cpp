#include "printing/Qprint.h"

#include "platform/rtl/Cp1253.h"

TrpForm::TrpForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Εκτυπώσεις"_a);
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

  rpExcelFilter1 = new TRpExcelFilter(this);
  rpExcelFilter1->SetName("rpExcelFilter1");
  rpRTFFilter1 = new TRpRTFFilter(this);
  rpRTFFilter1->SetName("rpRTFFilter1");

  OnShow = [this](TObject* s) { FormShow(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

bool TrpForm::ShowForKind(std::int32_t Kind) {
  if (ShowGuard > 5) return false;
  ReportKind = Kind;
  ShowModal();
  return true;
}

void TrpForm::FormShow(TObject*) {
  // Only the button panel shows; the report itself is never on screen.
  SetBounds(Left(), Top(), 409, 105);
  ShowGuard = 10;
}

void TrpForm::FormClose(TObject*, TCloseAction&) { ShowGuard = 0; }

void TrpForm::BitBtn1Click(TObject*) {
  ShowGuard = 0;
  Close();
}
