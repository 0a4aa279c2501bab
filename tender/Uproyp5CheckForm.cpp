// The budget window's normality check and check report: the buttons, the
// labels, the messages in their order, the report file and its showing.
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Shell.h"
#include "printing/Qprint.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"
#include "tender/Uproyp5CheckReport.h"
#include "tender/mainauction.h"

namespace {

double RoundDiscountOfTender(int decimals, double value) {
  return RoundDiscountProc != nullptr ? RoundDiscountProc(decimals, value) : RoundDiscount(decimals, value);
}

}  // namespace

void TUproypFrm::DoCheckBtnClick(TObject*) {
  OfferCostCol = ApoklBtn->Down() ? 12 : 6;
  CalcFirstRowOfferCost();
  Label1->SetCaption("");
  LastCheck = TCheckResult{};
  TBudgetGridSheet sheet(*ProypGrid);
  const TCheckInput input{Kind(),           CheckEnabled != 0, OfferCostCol,
                          DiscountDecimals, CostDecimals,      static_cast<Byte>(NumberStyle),
                          NormalHigh,       NormalLow};
  sheet.ClearColumn(CheckColumn(input));
  resum(true);
  Label5->SetCaption("");
  Label5->SetShowHint(false);
  const auto totals = [this] {
    resum(true);
    return TCheckTotals{MeanDiscount, StudySum, BudgetRows};
  };
  ProypGrid->BeginUpdate();
  LastCheck = RunNormalityCheck(sheet, input, {MeanDiscount, StudySum, BudgetRows}, totals);
  ProypGrid->EndUpdate();
  const TCheckResult& r = LastCheck;
  Label1->SetCaption(r.Label1);
  Label2->SetCaption(r.Label2);
  Label5->SetCaption(r.Label5);
  Label5->SetShowHint(!r.Label5.empty());
  for (const TCheckMessage& message : r.Messages)
    MessageDlg(message.Text, message.Error ? mtError : mtInformation, {mbOK});
  if (r.Getbtn) getbtn->SetEnabled(*r.Getbtn);
  if (r.Stopped) return;
  PrintProyp->SetEnabled(true);
  PrintProypq->SetEnabled(PrintProyp->Enabled());
  doProPreview->Show();
  doProPreview->SetEnabled(true);
  BtnFont->Show();
  DoPrintProyp();
}

void TUproypFrm::BitBtn3Click(TObject*) {
  CheckEnabled = 0;
  DoCheckBtnClick(BitBtn3);
  CheckEnabled = 1;
}

void TUproypFrm::DoPrintProyp() {
  if (MainForm != nullptr) MainForm->initgrec();
  OfferCostCol = ApoklBtn->Down() ? 12 : 6;
  TCheckReportInput in;
  in.Kind = Kind();
  in.Checked = CheckEnabled != 0 && Mode == 1;
  in.OfferCostCol = OfferCostCol;
  in.CostDecimals = CostDecimals;
  in.DiscountDecimals = DiscountDecimals;
  in.Style = static_cast<Byte>(NumberStyle);
  in.MeanDiscount = MeanDiscount;
  in.Check = LastCheck;
  in.Rows = BudgetRows;
  in.ProjectText = ProjectHeader.ProjectText.Str();
  in.ServiceText = ProjectHeader.ServiceText.Str();
  in.Date = ProjectHeader.Date.Str();
  in.IndicativeTotal = ProjectHeader.IndicativeTotal.Str();
  in.BidderLabel = CurrentBidderLabel.Str();
  in.OverheadText = SumaGrid->Cells(3, 2);
  if (in.OverheadText.find('$') != AnsiString::npos) {
    OverheadExpression = std::string_view(in.OverheadText).substr(0, 40);
    double amount = 0;
    ParseGeoeStr(amount, in.OverheadDisplay);
  }
  in.WithWords = checkOlog->Checked();
  in.RoundDiscount = &RoundDiscountOfTender;
  const TBudgetGridSheet grid(*ProypGrid);
  const TBudgetGridSheet totals(*SumaGrid);
  // A failure to write reaches the user and nothing is shown. Named in
  // full, the report stays in the program's folder when a file dialog has
  // moved the current folder into the user's own.
  const AnsiString report = ProgramFolderSource() + CheckReportFileName;
  try {
    SafeWriteFile(report, CheckReportText(CheckReportLines(in, grid, totals)));
  } catch (...) {
    // The memo still holds the report of the check before; printed now it
    // would pass for this one's.
    Memo1->Lines().Clear();
    PrintProyp->SetEnabled(false);
    PrintProypq->SetEnabled(false);
    doProPreview->SetEnabled(false);
    throw;
  }
  try {
    Memo1->Lines().LoadFromFile(report);
  } catch (const Exception&) {
    WinExec("write.exe \"" + report + "\"", SW_SHOWNORMAL);
    throw;
  }
}

void TUproypFrm::PrintProypClick(TObject*) {
  if (ReportForm == nullptr) return;
  ReportForm->CheckReport = Memo1;
  ReportForm->BudgetCell = [this](int c, int r) { return ProypGrid->Cells(c, r); };
  ReportForm->TotalsCell = [this](int c, int r) { return SumaGrid->Cells(c, r); };
  ReportForm->ShowForKind(2);
}
