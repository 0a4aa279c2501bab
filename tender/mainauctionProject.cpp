// The commands that act on the project as a whole: open, save and save as,
// new and clear, the project index, the study budget and a bidder's offer
// budget, the deletion of an offer row, and the command-line project.
#include <algorithm>
#include <cmath>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "printing/Prevunt.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/ProjectFile.h"
#include "tender/Uglo.h"
#include "tender/Uindex.h"
#include "tender/Uproyp5.h"
#include "tender/mainauction.h"
#include "tender/mainauctionSheet.h"
#include "tender/uabout.h"

namespace {

const char* const DiscardChanges = "Να αγνοηθούν οι αλλαγές;";
const char* const DiscardBudget = "Nα αγνοηθούν τα στοιχεία προϋπολογισμού μελέτης;";

// The budget window laid out for the study budget.
TUproypFrm& StudyBudgetForm() {
  TUproypFrm& budget = EnsureBudgetForm();
  budget.SetStudyLayout();
  budget.BtnOpen2->Show();
  budget.BitBtn3->Hide();
  budget.CheckBox2->Hide();
  budget.checkOlog->Hide();
  budget.EkptBtn->Hide();
  return budget;
}

// The entry number a row shows when no project numbered it otherwise.
AnsiString PlainEntryNoText(int row) {
  static const std::vector<AnsiString> texts = [] {
    std::vector<AnsiString> all(LastOfferRow + 1);
    for (int r = 0; r <= LastOfferRow; ++r) all[static_cast<size_t>(r)] = EntryNoText(r);
    return all;
  }();
  return row >= 0 && row <= LastOfferRow ? texts[static_cast<size_t>(row)] : EntryNoText(row);
}

// The files that exist and that a save of the project under ProjectFile
// replaces: the project file, and the budget file and text copy of that
// name, which a project without a budget leaves out (they would be read as
// its own). A budget file that cannot be read is never written over (the
// save asks for another name), nor is another project's whose name differs
// only in case.
std::vector<AnsiString> FilesToReplace(const AnsiString& projectFile, TUproypFrm& budget) {
  std::vector<AnsiString> names;
  if (FileEntryExists(projectFile)) names.push_back(ResolveFileName(projectFile));
  const AnsiString budgetName = ChangeFileExt(projectFile, ".pry");
  if (budget.BudgetFileUnreadable(budgetName) || BudgetOfAnotherProject(budgetName)) return names;
  for (const AnsiString& name : {budgetName, BudgetCsvName(budgetName)})
    if (FileEntryExists(name)) names.push_back(ResolveFileName(name));
  return names;
}

}  // namespace

void TFrmAXP::BuildProjectCommands() {
  BtnOpen->OnClick = [this](TObject* s) { BtnOpenClick(s); };
  Open1->OnClick = [this](TObject* s) { BtnOpenClick(s); };
  BtnSave->OnClick = [this](TObject* s) { BtnSaveClick(s); };
  Save1->OnClick = [this](TObject* s) { BtnSaveClick(s); };
  SaveAs->OnClick = [this](TObject* s) { SaveAsClick(s); };
  ClearButton->OnClick = [this](TObject* s) { ClearButtonClick(s); };
  N1->OnClick = [this](TObject* s) { ClearButtonClick(s); };
  BitBtn2->OnClick = [this](TObject* s) { BitBtn2Click(s); };
  Indexfrm->OnClick = [this](TObject* s) { IndexfrmClick(s); };
  ProInputBtn->OnClick = [this](TObject* s) { ProInputBtnClick(s); };
  CheckOmalbtn->OnClick = [this](TObject* s) { CheckOmalbtnClick(s); };
  Button2->OnClick = [this](TObject* s) { Button2Click(s); };
  N16->OnClick = [this](TObject* s) { N16Click(s); };
}

// ---- open ---------------------------------------------------------------------------

void TFrmAXP::BtnOpenClick(TObject*) {
  if (ProjectModified && MessageDlg(cp1253::FromUtf8(DiscardChanges), mtWarning, {mbYes, mbCancel}) != mrYes)
    return;
  if (BudgetChanged && BudgetHasRows() &&
      MessageDlg(cp1253::FromUtf8(DiscardBudget), mtWarning, {mbOK, mbCancel}) != mrOk)
    return;
  AnsiString name = CommandLineProject;
  if (name.empty()) {
    if (!OpenDialog1->Execute()) return;
    name = OpenDialog1->FileName;
  }
  if (!OpenProject(name)) CommandLineProject.clear();
}

bool TFrmAXP::OpenProject(AnsiString name) {
  const TWritingOffers writing(*this);
  if (ExtractFileExt(name).empty()) name += ".ddn";
  // As on disk, so that its budget is found by the name it really has.
  name = ExpandFileName(ResolveFileName(name));
  ProjectModified = 0;
  ClearProject();
  SaveDialog1->FileName = name;
  TUproypFrm& budget = StudyBudgetForm();
  ProjectHeader.Clear();
  const AnsiString stopped = RemoveProjectLeftovers(name);
  if (!stopped.empty()) MessageDlg(stopped, mtWarning, {mbOK});
  if (!budget.ReadDdnFile(*this, name)) {
    // The save asks for a name, rather than offer the file that could not
    // be read.
    SaveDialog1->FileName.clear();
    ProjectModified = 0;
    return false;
  }
  if (MaxEntryNo > OfferCount) {
    int next = MaxEntryNo;
    for (int row = OfferCount + 1; row <= LastOfferRow; ++row)
      StGrid->SetCellText(ColEntryNo, row, EntryNoText(++next));
  }
  // Marked once the free rows no longer repeat the numbers of the offers.
  DisplayProypdata();
  SaveDialog1->FileName = ChangeFileExt(name, ".ddn");
  projectFile_ = name;
  // Reading set the fields: the project is as stored.
  ProjectModified = 0;
  RememberStoredOffers();
  return true;
}

void TFrmAXP::DisplayProypdata() {
  TGridSheet sheet(*StGrid);
  MarkDetailedOfferRows(sheet);
}

// ---- save ---------------------------------------------------------------------------

void TFrmAXP::BtnSaveClick(TObject* Sender) {
  if (ProjectModified || BudgetChanged) DoSave(Sender);
}

void TFrmAXP::SaveAsClick(TObject* Sender) { DoSave(Sender); }

bool TFrmAXP::DoSave(TObject*) {
  CommitPendingEdit();
  if (EditDate->Date() == 0) EditDate->SetDate(Date());
  if (!CommandLineProject.empty() && SaveDialog1->FileName.empty())
    SaveDialog1->FileName = CommandLineProject;
  AnsiString name;
  std::vector<AnsiString> replaced;
  for (;;) {
    if (!SaveDialog1->Execute()) return false;
    name = ExpandFileName(ResolveFileName(ChangeFileExt(SaveDialog1->FileName, ".ddn")));
    // The project's own file is written over as ever; any other file that
    // is there only when the user says so, and No goes back to the dialog.
    if (name == projectFile_) break;
    replaced = FilesToReplace(name, EnsureBudgetForm());
    if (replaced.empty() || MessageDlg(dialogs::ReplaceQuestion(replaced), mtWarning, {mbYes, mbNo}) == mrYes)
      break;
  }
  Doreset->SetEnabled(false);
  sortBtn->SetEnabled(false);
  if (!saverec(name)) return false;
  // A project without a budget replaced one with: the budget replaced goes.
  if (ProjectType == 0)
    for (const AnsiString& file : replaced)
      if (UpperCase(ExtractFileExt(file)) != ".DDN") DeleteFile(file);
  return true;
}

bool TFrmAXP::saverec(const AnsiString& givenName) {
  // As on disk, so that its budget is found by the name it really has.
  const AnsiString fileName = ExpandFileName(ResolveFileName(givenName));
  CompactOffers();
  if (ProjectType != 0) {
    ContingencyFlag = 1;
    AsphaltFlag = 1;
  }
  initgrec();
  TGridSheet sheet(*StGrid);
  const TCalcResult result = ScanOffersForSave(sheet);
  if (result.Outcome == TCalcOutcome::MissingDivisor) {
    MessageDlg(result.Message, mtInformation, {mbOK});
    if (EditDiair->CanFocus()) EditDiair->SetFocus();
    return false;
  }
  if (result.Outcome == TCalcOutcome::OverHundred) {
    MessageDlg(result.Message, mtInformation, {mbOK});
    return false;
  }
  // The records written end before the first empty slot.
  std::vector<OfferRecord> offers;
  for (int slot = 1; slot <= OfferCount; ++slot) {
    const OfferRecord& offer = OfferTable[slot];
    if (offer.RoundedDiscount == 0 && offer.Amount == 0 && offer.BidderName.Empty() &&
        !BidderDiscountTable.Has(offer.EntryNo))
      break;
    offers.push_back(offer);
  }
  // The header counts the records the file holds.
  ProjectHeader.StoreOfferCount(static_cast<int>(offers.size()));
  // A file that is there but cannot be read is never written over: it may
  // be a project this program could not open.
  if (FileEntryExists(fileName)) {
    try {
      ReadWholeFile(fileName, MaxProjectFileSize);
    } catch (const EStreamError& error) {
      MessageDlg(error.Message + "\rΤο έργο δεν αποθηκεύτηκε· δώστε άλλο όνομα."_a, mtError, {mbOK});
      return false;
    }
  }
  // Nor is a budget file that could not be read.
  TUproypFrm* budget = ProjectType != 0 ? &EnsureBudgetForm() : nullptr;
  AnsiString budgetName = budget ? ChangeFileExt(fileName, ".pry") : AnsiString();
  if (budget && !budget->ChooseBudgetSaveName(budgetName)) return false;
  if (budgetName.empty()) budget = nullptr;
  // A save of these files that was stopped is completed first: this one's
  // temporaries take the same names.
  RemoveProjectLeftovers(fileName);
  // The project and its budget are saved together or not at all.
  std::vector<TFileToWrite> files{{fileName, EncodeProjectFile(ProjectHeader, offers)}};
  const AnsiString previous = budget ? budget->BudgetFileName : AnsiString();
  if (budget) {
    budget->BudgetFileName = budgetName;
    for (TFileToWrite& file : budget->BudgetFilesToWrite()) files.push_back(std::move(file));
  }
  try {
    SafeWriteFiles(files);
  } catch (...) {
    if (budget) budget->BudgetFileName = previous;
    throw;
  }
  Label24->SetCaption(fileName);
  projectFile_ = fileName;
  if (budget) {
    // A temporary budget has found its project: it is not needed any more.
    if (previous != budget->BudgetFileName && previous.size() > 3 &&
        UpperCase(previous.substr(previous.size() - 3)) == "TMP")
      DeleteFile(previous), DeleteFile(BudgetCsvName(previous));
    BudgetChanged = 0;
  }
  ProjectModified = 0;
  RememberStoredOffers();
  return true;
}

// ---- clear ----------------------------------------------------------------------------

void TFrmAXP::ClearButtonClick(TObject*) {
  if (ProjectModified &&
      MessageDlg("Nα μηδενιστούν όλα τα στοιχεία ;"_a, mtWarning, {mbYes, mbCancel}) != mrYes)
    return;
  if (BudgetChanged && BudgetHasRows() &&
      MessageDlg("Nα μηδενιστούν τα στοιχεία προϋπολογισμού μελέτης;"_a, mtWarning, {mbYes, mbCancel}) !=
          mrYes)
    return;
  ClearProject();
}

void TFrmAXP::ClearProject() {
  const TWritingOffers writing(*this);
  if (PreviewForm) PreviewForm->Prevmemo->Lines().Clear();
  // A cleared project has no files: a save asks for a name, and the budget
  // typed next, empty before or not, never goes into the old project's.
  SaveDialog1->FileName.clear();
  projectFile_.clear();
  if (BudgetForm) {
    DiscardTemporaryBudget();
    BudgetForm->BudgetFileName.clear();
  }
  if (BudgetHasRows()) {
    BudgetRows = 0;
    RadioGroupZephType->SetEnabled(true);
    BudgetChanged = 0;
    if (BudgetForm) {
      BudgetForm->ProypGrid->SetRow(1);
      // Only the cells ever written: the rest of the 2,499 rows read empty.
      TExtStringGrid& rows = *BudgetForm->ProypGrid;
      for (int row = 1; row < rows.RowCount(); ++row) {
        const int written = std::min({6, rows.ColCount(), rows.StoreColCount(row)});
        for (int col = 0; col < written; ++col) rows.SetCells(col, row, "");
      }
    }
  }
  EnableResultCommands(false, false);
  RadioGroupZephType->SetEnabled(true);
  ProjectHeader.Clear();
  BidderDiscountTable.FreeAll();
  OfferTable.Clear();
  OfferCount = 0;
  Doreset->SetEnabled(false);
  sortBtn->SetEnabled(false);

  // No update bracket: its end repaints the whole grid, where only the
  // cells that change in view need it (headings and numbering mostly stay).
  for (int row = 1; row < StGrid->RowCount(); ++row) {
    // Most rows never held an offer: only the cells written are cleared.
    // The offers grid merges no cells and shows its texts as stored: the
    // stored text tells what is there.
    const int written = std::min(StGrid->ColCount(), StGrid->StoreColCount(row));
    for (int col = 1; col < written; ++col)
      if (!StGrid->GetCellDirect(col, row).empty()) StGrid->SetCellText(col, row, "");
    // A numbering a project changed is put back; the rest already reads so.
    const AnsiString entry = PlainEntryNoText(row);
    if (StGrid->GetCellDirect(ColEntryNo, row) != entry) StGrid->SetCellText(ColEntryNo, row, entry);
  }
  ResetGridHeadings();
  StGrid->SetRow(1);
  OfferCalcState = TOfferCalcState();

  Edit1->SetText("");
  EditDiair->SetText("");
  Memo1->Lines().Clear();
  Memo2->Lines().Clear();
  EditDate->SetDate(Date());
  CostDecimals = 2;
  Label24->SetCaption("");
  RadioGroupZephType->SetItemIndex(0);
  ProjectType = 0;
  ResetGuaranteeRates();
  ProjectModified = 0;
  // Every name, amount and discount was cleared above: nothing is stored.
  storedOffers_.clear();
  if (BudgetForm)
    for (int row = 1; row <= 3; ++row) BudgetForm->SumaGrid->SetCells(4, row, "");
}

// ---- index -----------------------------------------------------------------------------

void TFrmAXP::BitBtn2Click(TObject*) {
  {
    TindexForm index(this);
    index.ShowModal();
  }
  if (CommandLineProject.empty()) return;
  // As the open command, with its questions about unsaved work, but
  // without its dialog.
  BtnOpenClick(this);
  CommandLineProject.clear();
}

void TFrmAXP::IndexfrmClick(TObject* Sender) { BitBtn2Click(Sender); }

// ---- the budget window ----------------------------------------------------------------------

void TFrmAXP::ProInputBtnClick(TObject*) {
  TUproypFrm& budget = StudyBudgetForm();
  budget.SetCaption("Προϋπολογισμός Μελέτης"_a);
  budget.ProypGrid->SetRow(1);
  if (budget.ProypGrid->Col() > 4) budget.ProypGrid->SetCol(3);
  budget.ShowModal();
  if (BudgetHasRows()) RadioGroupZephType->SetEnabled(false);
  CheckOmalbtn->SetEnabled(BudgetRows > 0);
}

bool TFrmAXP::BudgetHasRows() const {
  return BudgetRows > 0 || (BudgetForm != nullptr && BudgetForm->LastBudgetRow() > 0);
}

void TFrmAXP::CheckOmalbtnClick(TObject*) {
  if (BudgetForm == nullptr || BudgetRows == 0) {
    MessageDlg("Δεν έχει εισαχθεί Προϋπολογισμός μελέτης"_a, mtInformation, {mbOK});
    return;
  }
  const int row = StGrid->Row();
  if (StGrid->GetCellText(ColName, row).empty()) {
    MessageDlg("Πρέπει να εισάγετε όνομα ΠΡΟΣΦΕΡΟΥΣΑΣ ΕΤΑΙΡΕΙΑΣ"_a, mtInformation, {mbOK});
    StGrid->SetCol(ColName);
    if (StGrid->CanFocus()) StGrid->SetFocus();
    return;
  }
  // The heading keeps the number as the grid shows it, right-aligned: the
  // check report lines its bidders up by it.
  const AnsiString number = StGrid->GetCellText(ColEntryNo, row);
  CurrentBidderLabel = number + ":" + StGrid->GetCellText(ColName, row);
  CurrentBidderNo = StrToInt(Trim(number));
  TUproypFrm& budget = *BudgetForm;
  budget.SetCaption("Προϋπολογισμός προσφοράς "_a + CurrentBidderLabel.Str().substr(0, 55));
  DetailedOffer& offer = BidderDiscountTable.Ensure(CurrentBidderNo);
  budget.BidderNo = CurrentBidderNo;
  budget.CurrentOffer = &offer;
  budget.SetBidderLayout();

  TExtStringGrid& grid = *budget.ProypGrid;
  for (int col = 5; col <= 7; ++col)
    for (int r = 1; r < grid.RowCount(); ++r) grid.SetCells(col, r, "");
  budget.SetWidth(640);
  grid.SetColWidths(4, 105);
  grid.SetColWidths(5, 100);
  grid.SetColWidths(6, 105);
  grid.SetColWidths(7, 100);
  grid.SetCells(5, 0, "Τιμή Προσφοράς"_a);
  grid.SetCells(6, 0, "Δαπάνη προσφοράς"_a);
  grid.SetCells(7, 0, "  Ελεγχος"_a);
  grid.SetRow(1);
  grid.SetCol(5);
  budget.BtnOpen2->Hide();

  const Byte style = static_cast<Byte>(NumberStyle);
  for (int r = 1; r <= BudgetRows && r <= MaxDetailRows; ++r) {
    const DetailEntry& entry = offer[r - 1];
    if (entry.Value == 0) continue;
    long double cost;
    if (ProjectType == ProjectPricedOffer) {
      const int decimals = std::max<int>(CountDecimals(entry.Value), CostDecimals);
      grid.SetCells(5, r, FormatNumNoBlanks(20, decimals, style, entry.Value));
      if (entry.Mark > ' ' && grid.ColCount() > 9) grid.SetCells(9, r, AnsiString(1, entry.Mark));
      cost = static_cast<long double>(StrToNum(grid.Cells(2, r))) * entry.Value;
    } else {
      grid.SetCells(5, r, FormatNumNoBlanks(7, CountDecimals(entry.Value), style, entry.Value));
      cost = StrToNum(grid.Cells(4, r)) * (1 - static_cast<long double>(entry.Value) / 100);
    }
    const double rounded = budget.CheckB54(static_cast<double>(cost));
    if (rounded != 0) grid.SetCells(6, r, FormatNumNoBlanks(20, CostDecimals, style, rounded));
  }
  budget.BitBtn3->Show();
  budget.CheckBox2->Show();
  budget.checkOlog->Show();
  budget.EkptBtn->SetVisible(ProjectType == ProjectPricedOffer);
  budget.ShowModal();
  DisplayProypdata();
}

// ---- delete a row ---------------------------------------------------------------------

void TFrmAXP::Button2Click(TObject*) {
  if (!GridHadFocus()) return;
  // The row stays in view with the focus back on the grid.
  if (StGrid->CanFocus() && !StGrid->Focused()) StGrid->SetFocus();
  if (MessageDlg("Να διαγραφεί η γραμμή;"_a, mtConfirmation, {mbYes, mbCancel}) != mrYes) return;
  ProjectModified = 1;
  const TWritingOffers writing(*this);
  SetOfferCount(OfferCount - 1);
  const int current = StGrid->Row();
  // The ranking shown and printed still holds the bidder of the row.
  for (int col : {ColName, ColAmount, ColDiscount})
    if (!StGrid->GetCellText(col, current).empty()) {
      ForgetResults();
      break;
    }
  const long double number =
      std::fabs(static_cast<long double>(StrToNum(StGrid->GetCellText(ColEntryNo, current))));
  BidderDiscountTable.Free(static_cast<int>(std::nearbyint(number)));
  StGrid->BeginUpdate();
  for (int row = current; row < LastOfferRow; ++row)
    for (int col = 0; col < StGrid->ColCount(); ++col)
      StGrid->SetCellText(col, row, StGrid->GetCellText(col, row + 1));
  const int previous = StrToIntDef(Trim(StGrid->GetCellText(ColEntryNo, LastOfferRow - 1)), 0);
  for (int col = 1; col < StGrid->ColCount(); ++col) StGrid->SetCellText(col, LastOfferRow, "");
  StGrid->SetCellText(ColEntryNo, LastOfferRow, EntryNoText(previous + 1));
  StGrid->EndUpdate();
}

void TFrmAXP::N16Click(TObject*) { ShowAbout(); }
