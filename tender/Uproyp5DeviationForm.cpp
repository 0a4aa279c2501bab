// The budget window's price filling, deviation columns and deviation
// table, and the mean-discount button that opens the filling panel or,
// for a budget by categories, the search panel.
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "tender/N_STR.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"
#include "tender/Uproyp5Deviation.h"

namespace {

Byte Style() { return static_cast<Byte>(NumberStyle); }

}  // namespace

void TUproypFrm::ekptBtnClick(TObject*) {
  const bool byWorkItems = Kind() == TBudgetKind::WorkItems;
  if (EkptBtn->Down()) {
    if (byWorkItems) {
      if (!ApoklBtn->Down()) {
        inEkpt->Show();
        inEkpt->BringToFront();
        if (DesiredDiscount != 0) Edit1->SetText(FormatNum(7, 4, Style(), DesiredDiscount));
        if (Edit1->CanFocus()) Edit1->SetFocus();
      } else {
        CalcApoklish();
      }
    } else if (const AnsiString refusal = SearchRefusal(); !refusal.empty()) {
      // The search cannot run on this budget: say why, and the button does
      // not stay down over a panel that never came.
      EkptBtn->SetDown(false);
      MessageDlg(refusal, mtInformation, {mbOK});
    } else {
      inEkptEpim->Caption().SetTopIndent(14);
      inEkptEpim->Show();
      inEkptEpim->BringToFront();
      StringGrid1->SetColWidths(1, 18);
      Lyseis->SetText("");
      if (DesiredDiscount != 0) Edit3->SetText(FloatToStr(DesiredDiscount));
      Apokl1Change(EkptBtn);
      if (Edit3->CanFocus()) Edit3->SetFocus();
    }
  } else if (byWorkItems) {
    OkBitBtnClick(EkptBtn);
  } else {
    BitBtn4Click(EkptBtn);
  }
}

AnsiString TUproypFrm::SearchRefusal() const {
  if (BudgetRows >= 51)
    return "Η αναζήτηση ποσοστών γίνεται σε προϋπολογισμό έως 50 κατηγοριών. Αυτός έχει "_a +
           IntToStr(BudgetRows) + ".";
  const AnsiString overhead = SumaGrid->Cells(3, 2);
  if (overhead.find('$') != AnsiString::npos)
    return "Η αναζήτηση ποσοστών γίνεται όταν τα Γ.Ε.& Ο.Ε. δίνονται ως ποσοστό. Εδώ δίνονται με τον τύπο «"_a +
           overhead + "»."_a;
  return {};
}

void TUproypFrm::OkBitBtnClick(TObject*) {
  inEkpt->Hide();
  inEkptEpim->Hide();
  // The prices are filled once: the button comes up, and its next press
  // opens the panel again instead of filling over the user's later edits.
  EkptBtn->SetDown(false);
  DesiredDiscount = StrToNum(Edit1->Text());
  TBudgetGridSheet grid(*ProypGrid);
  ProypGrid->BeginUpdate();
  FillPrices(grid, {DesiredDiscount, CheckBox1->Checked(), CostDecimals, Style(), BudgetRows});
  ProypGrid->EndUpdate();
  resum(true);
}

void TUproypFrm::SpeedButton2Click(TObject*) {
  const int d = CostDecimals;
  if (!Edit1->Text().empty()) {
    DesiredDiscount = StrToNum(Edit1->Text());
    // Without a study total no amount follows from a discount.
    Edit2->SetText(StudyTotal == 0
                       ? AnsiString()
                       : FloatToStr(RoundDec(
                             d, static_cast<double>(StudyTotal *
                                                    (1 - static_cast<long double>(DesiredDiscount) / 100)))));
  } else if (StudyTotal == 0) {
    Edit1->SetText("");
  } else {
    DesiredDiscount = RoundDec(
        6, static_cast<double>(100 - static_cast<long double>(StrToNum(Edit2->Text())) / StudyTotal * 100));
    Edit1->SetText(FloatToStr(DesiredDiscount));
  }
}

void TUproypFrm::ApoklBtnClick(TObject*) {
  getbtn->SetEnabled(false);
  if (ProypGrid->ColCount() < 14) return;
  if (ApoklBtn->Down()) {
    SetWidth(892);
    const int widths[] = {1, 1, 55, 30, 50, 80, 90, 95};
    for (int col = 6; col <= 13; ++col) ProypGrid->SetColWidths(col, widths[col - 6]);
    const char* const headings[] = {"Ποσοστό δαπάνης", "Απόκλιση", "Συντ.Απόκλισης", "Τιμή με Απόκλιση",
                                    "Δαπάνη με απόκλιση"};
    for (int col = 8; col <= 12; ++col) ProypGrid->SetCells(col, 0, cp1253::FromUtf8(headings[col - 8]));
    ProypGrid->BeginUpdate();
    for (int row = 1; row < ProypGrid->RowCount(); ++row) ProypGrid->SetCells(13, row, "");
    const long double s = StrToNum(SumaGrid->Cells(4, 1));
    for (int row = 1; row < ProypGrid->RowCount() && row <= 2499; ++row) {
      const double price = StrToNum(ProypGrid->Cells(5, row));
      if (!ProypGrid->Cells(5, row).empty() && !ProypGrid->Cells(4, row).empty() && price != 0 && s != 0)
        ProypGrid->SetCells(
            8, row,
            FormatNum(7, 4, Style(), static_cast<double>(StrToNum(ProypGrid->Cells(4, row)) / s * 100)));
      else
        ProypGrid->SetCells(8, row, "");
    }
    ProypGrid->EndUpdate();
    CalcApoklish();
  } else {
    SetWidth(680);
    ProypGrid->SetColWidths(6, 100);
    ProypGrid->SetColWidths(7, 95);
    for (int col = 8; col <= 13; ++col) ProypGrid->SetColWidths(col, 0);
    OfferCostCol = 6;
    resum(true);
    BudgetChanged = 1;
  }
}

void TUproypFrm::CalcApoklish() {
  TBudgetGridSheet grid(*ProypGrid);
  const TDeviationInput input{BudgetRows, CheckBox1->Checked(),           CostDecimals, B54->Down(),
                              Style(),    StrToNum(SumaGrid->Cells(4, 1))};
  ProypGrid->BeginUpdate();
  const TDeviationResult r = ::CalcApoklish(grid, input, [] {
    return MessageDlg("Υπερβολική απόκλιση..  Να γίνει μείωση των αιτουμένων αποκλίσεων;"_a, mtError,
                      {mbYes, mbNo}) == mrYes;
  });
  ProypGrid->EndUpdate();
  if (r.Uncompensated) MessageDlg(UncompensatedMessage(), mtError, {mbOK});
  OfferCostCol = ApoklBtn->Down() ? 12 : 6;
  resum(true);
}
