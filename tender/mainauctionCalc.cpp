// The calculate command and what follows it: ranking in the grid, the text
// report in PrMemo, its copy in the calculation preview, the print commands
// and the quick print.
#include "platform/print/Printers.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "printing/Prevunt.h"
#include "printing/Qprint.h"
#include "tender/CalcReport.h"
#include "tender/HelpTopics.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"
#include "tender/mainauction.h"
#include "tender/mainauctionSheet.h"
#include "tender/uabout.h"

void TFrmAXP::docalcClick(TObject*) {
  CommitPendingEdit();
  Screen->SetCursor(crHourGlass);
  try {
    BtnCalcKlick();
  } catch (...) {
    Screen->SetCursor(crDefault);
    throw;
  }
  Screen->SetCursor(crDefault);
}

void TFrmAXP::BtnCalcKlick() {
  ResetCalculation(&PrMemo->Lines());
  // Ranking only puts rows in another order; a calculation that dropped or
  // renumbered rows changed what a save would write, however it ended.
  struct TNoteChanges {
    TFrmAXP& window;
    ~TNoteChanges() { window.NoteOffersDifferFromStored(); }
  } noteChanges{*this};
  try {
    const TWritingOffers writing(*this);
    CalculateAndReport();
  } catch (...) {
    // A guarantee field that is no number stops the calculation with the
    // conversion error and leaves no report; no old one may be printed as
    // if it were this calculation's.
    EnableResultCommands(dopreview->Enabled(), false);
    throw;
  }
}

void TFrmAXP::CalculateAndReport() {
  initgrec();
  TGridSheet sheet(*StGrid);
  const TCalcResult result = ScanOffers(sheet);
  if (result.Outcome != TCalcOutcome::Done) {
    // A refused calculation leaves no report; the one before it is not this
    // grid's and may not be printed as if it were.
    EnableResultCommands(dopreview->Enabled(), false);
  }
  switch (result.Outcome) {
    case TCalcOutcome::MissingDivisor:
      MessageDlg(result.Message, mtInformation, {mbOK});
      if (EditDiair->CanFocus()) EditDiair->SetFocus();
      return;
    case TCalcOutcome::OverHundred:
      MessageDlg(result.Message, mtInformation, {mbOK});
      return;
    case TCalcOutcome::GapInOffers:
      MessageDlg(result.Message, mtInformation, {mbOK});
      // The user is taken to the row that wants an offer or deleting.
      if (result.Row < StGrid->RowCount()) StGrid->SetRow(result.Row);
      return;
    case TCalcOutcome::NoOffers:
      return;
    case TCalcOutcome::Done:
      break;
  }
  Doreset->SetEnabled(true);
  sortBtn->SetEnabled(true);
  StGrid->SetRow(1);
  {
    // The report is written line by line; the control lays its text out
    // once at the end instead of after every line.
    TStrings& report = PrMemo->Lines();
    report.BeginUpdate();
    struct TEndUpdate {
      TStrings& lines;
      ~TEndUpdate() { lines.EndUpdate(); }
    } endUpdate{report};
    RankAndReport(sheet, report, PrintInitaa->Checked(), ProjectType, [this](double firstDiscount) {
      Edit3->SetText(FloatToStr(firstDiscount));
      AccCalcEggKeExecute();
      return Label8->Caption();
    });
  }
  CopyReportToPreview();
  EnableResultCommands(true, true);
}

void TFrmAXP::sortitms(bool ascending, bool byEntryNo, bool display) {
  TGridSheet sheet(*StGrid);
  StGrid->SetRow(1);
  ::sortitms(sheet, ascending, byEntryNo, display, ProjectType);
}

void TFrmAXP::DisplayItems() {
  TGridSheet sheet(*StGrid);
  ::DisplayItems(sheet, ProjectType);
}

void TFrmAXP::doresetClick(TObject*) {
  CommitPendingEdit();
  sortitms(true, true, true);
}

void TFrmAXP::sortBtnClick(TObject*) {
  CommitPendingEdit();
  sortitms(SortAscending, false, true);
  SortAscending = !SortAscending;
}

void TFrmAXP::StGridExit(TObject*) {
  if (!ProjectModified) return;
  TGridSheet sheet(*StGrid);
  RefreshOffersFromGrid(sheet);
}

// ---- the report's copy in the preview --------------------------------------------------

void TFrmAXP::CopyReportToPreview() {
  if (PreviewForm) {
    PreviewForm->CopyReport(*PrMemo);
  } else {
    CreatePreview();
  }
}

void TFrmAXP::CreatePreview() {
  // The editor's "About" is the program's about box.
  Tprevform::ShowAboutBox = [] { ShowAbout(); };
  PreviewForm = NewForm<Tprevform>(this, *PrMemo, PublisherContactLine);
  PreviewForm->HelpContext = HelpPrinting;
}

void TFrmAXP::ForgetResults() {
  {
    const TWritingOffers writing(*this);
    StGrid->ClearColumns(ColRemark, StGrid->ColCount() - ColRemark);
  }
  ForgetReport();
}

void TFrmAXP::ForgetReport() {
  if (PreviewForm) PreviewForm->Prevmemo->Clear();
  // The report in PrMemo is of a tender that is no longer this one: printed,
  // it would rank without the bidder just added, under an old name or on
  // the old divisor.
  EnableResultCommands(dopreview->Enabled(), false);
}

void TFrmAXP::EnableResultCommands(bool preview, bool print) {
  dopreview->SetEnabled(preview);
  doprint->SetEnabled(print);
  doprintq->SetEnabled(print);
  N6->Enabled = print;
  N7->Enabled = print;
}

// ---- showing and printing -----------------------------------------------------------

void TFrmAXP::dopreviewClick(TObject*) {
  CommitPendingEdit();
  if (!PreviewForm) CreatePreview();
  PreviewForm->Show();
  dopreview->SetDown(false);
  PrMemo->SetFont(PreviewForm->Prevmemo->Font());
}

void TFrmAXP::N5Click(TObject* Sender) { dopreviewClick(Sender); }

void TFrmAXP::N6Click(TObject*) {
  CommitPendingEdit();
  if (doprint->Enabled() && ReportForm) {
    ReportForm->Prevform = PreviewForm;
    ReportForm->ShowForKind(1);
  }
}

void TFrmAXP::N7Click(TObject* Sender) {
  if (doprint->Enabled()) doprintqClick(Sender);
}

void TFrmAXP::doprintqClick(TObject*) {
  CommitPendingEdit();
  initgrec();
  const TStrings& report = PrMemo->Lines();
  if (report.Count() == 0) return;
  TStringList lines;
  QuickPrintLines(report, Label8->Caption(), lines);
  // The job is named after the project, or the program when it has none
  // yet; a printer that writes files names its file so.
  const AnsiString project = ChangeFileExt(ExtractFileName(Label24->Caption()), "");
  Printer()->Title = project.empty() ? Title : project;
  TPrnFile prn;
  prn.Rewrite();
  TFont font = PrMemo->Font();
  font.SetSize(10);
  Printer()->Canvas()->Font->Assign(font);
  for (int i = 0; i < lines.Count(); ++i) prn.Writeln(lines[i]);
  prn.CloseFile();
}
