// The budget window's budget file: save with its text copy, read into the
// grids, the bidders' detailed offers, the open button, the temporary name;
// and the project file's reading, which fills both windows.
#include <chrono>
#include <random>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/ProjectFile.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"
#include "tender/mainauction.h"

namespace {

Byte Style() { return static_cast<Byte>(NumberStyle); }

AnsiString Own(int width, double value) {
  return FormatNumNoBlanks(width, CountDecimals(value), Style(), value);
}

// Blocks read with the budget, waiting for the caller that wants them, and
// the entry numbers of blocks the end of the file cut short.
std::vector<TBidderBlock> PendingBlocks;
std::vector<int> PendingCutBlocks;
// The rows the file holds, empty rows among them, and whether bytes follow
// its budget part: the detailed offers are asked for by these, not by the
// rows the totals count.
size_t PendingFileRows = 0;
bool PendingBytesAfterBudget = false;

// One message for the bidders whose detailed offers the file lost.
void ReportCutBlocks(const AnsiString& fileName) {
  if (PendingCutBlocks.empty()) return;
  AnsiString numbers;
  for (int entry : PendingCutBlocks) numbers += (numbers.empty() ? "" : ", ") + IntToStr(entry);
  MessageDlg(fileName + "\rΤο αρχείο τελειώνει πριν από το τέλος της αναλυτικής προσφοράς των Α/Α: "_a +
                 numbers + "\rΟι αναλυτικές προσφορές αυτές δεν διαβάστηκαν· οι υπόλοιπες διαβάστηκαν."_a,
             mtWarning, {mbOK});
}

// A budget that cannot be read at all is reported as the open command's
// errors are, by the application, with the file's name.
void ReportUnreadableBudget(const AnsiString& fileName, const Exception& error) {
  try {
    const bool named = error.Message.find(fileName) != AnsiString::npos;
    throw EInOutError(named ? error.Message : fileName + "\r\n" + error.Message);
  } catch (const EInOutError&) {
    Application->HandleException(nullptr);
  }
}

}  // namespace

AnsiString MakeTempBudgetName() {
  // The generator starts again from the clock before each draw.
  const auto draw = [] {
    std::mt19937_64 generator(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
  };
  // The program's own folder, not whatever folder a dialog left current:
  // a temporary budget is found again by its full name.
  const AnsiString folder = ProgramFolderSource();
  for (;;) {
    const long double first = draw();
    const AnsiString fixed = FixedNotation(first * draw(), 8);
    AnsiString name = folder + "~";
    name += fixed.substr(fixed.find('.') + 1, 7);
    name += ".TMP";
    // A name in use is drawn again: the old budget is never overwritten.
    if (FileEntryExists(name)) continue;
    SafeWriteFile(name, "");
    return name;
  }
}

TBudgetLayout TUproypFrm::HeaderLayout() {
  return {OverheadIsExpression != 0, ContingencyFlag != 0, AsphaltFlag != 0};
}

TBudgetData TUproypFrm::BudgetFromGrids() {
  TBudgetData budget;
  budget.Kind = Kind();
  budget.TextFieldSize = budget.Kind == TBudgetKind::WorkItems ? WorkItemsTextSize : CategoriesTextSize;
  const int rows = LastBudgetRow();
  const int x = TextCol();
  budget.Rows.resize(rows);
  for (int row = 1; row <= rows; ++row) {
    TBudgetRowData& data = budget.Rows[row - 1];
    data.Text = ProypGrid->Cells(x, row).substr(0, budget.TextFieldSize - 1);
    if (budget.Kind == TBudgetKind::WorkItems) {
      data.Quantity = StrToNum(ProypGrid->Cells(2, row));
      data.Price = StrToNum(ProypGrid->Cells(3, row));
    } else {
      data.Cost = StrToNum(ProypGrid->Cells(4, row));
    }
  }
  if (OverheadIsExpression) {
    OverheadExpression = std::string_view(SumaGrid->Cells(3, 2)).substr(0, 40);
    budget.OverheadExpression = OverheadExpression.Str();
  } else {
    budget.OverheadPercent = StrToNum(SumaGrid->Cells(3, 2));
  }
  budget.ContingencyPercent = StrToNum(SumaGrid->Cells(3, 4));
  budget.RevisionAmount = StrToNum(SumaGrid->Cells(3, 6));
  budget.AsphaltAmount = StrToNum(SumaGrid->Cells(3, 7));
  budget.AsphaltOverheadPercent = StrToNum(SumaGrid->Cells(3, 8));
  return budget;
}

std::vector<TFileToWrite> TUproypFrm::BudgetFilesToWrite() {
  if (BudgetFileName.empty()) BudgetFileName = MakeTempBudgetName();
  const TBudgetData budget = BudgetFromGrids();
  // Every budget file written holds the contingency and asphalt parts.
  ContingencyFlag = 1;
  AsphaltFlag = 1;
  const TBudgetLayout layout{OverheadIsExpression != 0, true, true};
  const std::vector<TBidderBlock> blocks = BidderBlocksToSave(static_cast<int>(budget.Rows.size()));
  // Another project's budget whose name differs only in case stays as it is.
  const bool exact = BudgetOfAnotherProject(BudgetFileName);
  return {{BudgetCsvName(BudgetFileName), EncodeBudgetCsv(budget, layout, blocks, Style()), exact},
          {BudgetFileName, EncodeBudgetFile(budget, layout, blocks), exact}};
}

void TUproypFrm::SaveProyp() { SafeWriteFiles(BudgetFilesToWrite()); }

bool TUproypFrm::LoadBudget(const TBudgetFileContents& contents) {
  if (contents.Status == TBudgetReadStatus::WrongType) {
    BudgetRows = 0;
    MessageDlg("«"_a + BudgetFileName + "»\r"_a + BudgetWrongTypeMessage, mtError, {mbOK});
    BudgetFileName.clear();
    return false;
  }
  if (contents.Status == TBudgetReadStatus::Damaged)
    throw EInOutError("Το αρχείο «"_a + BudgetFileName +
                      "» δεν διαβάζεται: τελειώνει πριν από το τέλος του προϋπολογισμού που περιγράφει."_a);
  const TBudgetData& budget = contents.Budget;
  const int rows = static_cast<int>(budget.Rows.size());
  BudgetRows = static_cast<Word>(rows);
  TextFieldSize = static_cast<Word>(budget.TextFieldSize);
  BudgetReadPos = static_cast<Integer>(contents.BudgetEnd);
  const int n = CostDecimals;
  ProypGrid->BeginUpdate();
  for (int row = 1; row <= rows; ++row) {
    const TBudgetRowData& data = budget.Rows[row - 1];
    if (budget.Kind == TBudgetKind::Categories) {
      ProypGrid->SetCells(3, row, data.Text);
      // An empty row the save kept among the others stays empty: a cost of
      // 0 written into it would make the totals count the rows below it.
      const int d = std::min(CountDecimals(data.Cost), 2);
      ProypGrid->SetCells(4, row,
                          data.Text.empty() && data.Cost == 0
                              ? AnsiString()
                              : FormatNumNoBlanks(16, n, Style(), RoundDec(d, data.Cost)));
    } else {
      ProypGrid->SetCells(1, row, data.Text);
      ProypGrid->SetCells(2, row, data.Quantity != 0 ? Own(15, data.Quantity) : AnsiString());
      const int d = std::max<int>(CountDecimals(data.Price), n);
      ProypGrid->SetCells(3, row,
                          data.Price != 0 ? FormatNumNoBlanks(15, d, Style(), data.Price) : AnsiString());
      if (data.Quantity > 0)
        ProypGrid->SetCells(
            4, row,
            FormatNumNoBlanks(16, n, Style(),
                              RoundDec(n, static_cast<long double>(data.Quantity) * data.Price)));
    }
  }
  ProypGrid->EndUpdate();
  // The flags follow what the file holds.
  OverheadIsExpression = contents.Layout.OverheadExpression;
  ContingencyFlag = contents.Layout.Contingency;
  AsphaltFlag = contents.Layout.Asphalt;
  if (contents.Layout.OverheadExpression) {
    OverheadExpression = budget.OverheadExpression;
    SumaGrid->SetCells(3, 2, OverheadExpression.Str());
  } else {
    SumaGrid->SetCells(3, 2, Own(10, budget.OverheadPercent));
  }
  if (contents.Layout.Contingency) {
    SumaGrid->SetCells(3, 4, Own(10, budget.ContingencyPercent));
    SumaGrid->SetCells(3, 6, Own(16, budget.RevisionAmount));
  }
  if (contents.Layout.Asphalt) {
    SumaGrid->SetCells(3, 7, Own(16, budget.AsphaltAmount));
    SumaGrid->SetCells(3, 8, Own(16, budget.AsphaltOverheadPercent));
    SumaGrid->SetCells(4, 7, SumaGrid->Cells(3, 7));
    AsphaltAmount = StrToNum(SumaGrid->Cells(3, 7));
    AsphaltOverheadPercent = StrToNum(SumaGrid->Cells(3, 8));
    AsphaltOverheadAmount = static_cast<long double>(AsphaltAmount) * AsphaltOverheadPercent / 100;
    SumaGrid->SetCells(4, 8, FormatNumNoBlanks(17, n, Style(), AsphaltOverheadAmount));
  }
  return true;
}

void TUproypFrm::ReadProyp() {
  PendingBlocks.clear();
  PendingCutBlocks.clear();
  PendingFileRows = 0;
  PendingBytesAfterBudget = false;
  std::string bytes;
  TBudgetFileContents contents = ReadingFile(BudgetFileName, [&] {
    bytes = ReadWholeFile(BudgetFileName, MaxBudgetFileSize);
    return DecodeBudgetFile(bytes, Kind(), HeaderLayout());
  });
  if (!LoadBudget(contents)) return;
  PendingBlocks = std::move(contents.Blocks);
  PendingCutBlocks = std::move(contents.CutBlocks);
  PendingFileRows = contents.Budget.Rows.size();
  PendingBytesAfterBudget = bytes.size() > static_cast<size_t>(BudgetReadPos);
  if (BudgetRows != 0) resum(false);
}

void TUproypFrm::ReadAAline(int bidderNo) {
  std::string bytes;
  const TBudgetFileContents contents = ReadingFile(BudgetFileName, [&] {
    bytes = ReadWholeFile(BudgetFileName, MaxBudgetFileSize);
    return DecodeBudgetFile(bytes, Kind(), HeaderLayout());
  });
  if (ProypGrid->ColCount() > 9) ProypGrid->ClearColumns(9, 1);
  if (contents.Status != TBudgetReadStatus::Ok) return;
  // The blocks start where the budget's size and the flags put them, when
  // the file has its blocks there. A file whose flags went stale, or that
  // holds more rows than the totals count, has them elsewhere: there the
  // blocks are those the budget's reading found.
  const std::optional<std::vector<TBidderBlock>> computed =
      BidderBlocksAt(bytes, ComputedBlocksStart(BudgetRows, Kind(), HeaderLayout()), BudgetRows);
  // A bidder whose offer was dropped since the file was written keeps none.
  std::vector<TBidderBlock> blocks;
  for (const TBidderBlock& block : computed ? *computed : contents.Blocks)
    if (!BidderDiscountTable.Dropped(block.EntryNo)) blocks.push_back(block);
  for (int entry : StoreBidderBlocks(blocks, TUnmarkedRows::KeepMark))
    if (MayTakeOfferSlot(entry)) OfferTable[entry].EntryNo = static_cast<Word>(entry);
  for (const TBidderBlock& block : blocks) {
    if (block.EntryNo != bidderNo) continue;
    for (size_t r = 0; r < block.Values.size(); ++r)
      if (block.Values[r].Mark != 0)
        Put(*ProypGrid, 9, static_cast<int>(r) + 1, AnsiString(1, block.Values[r].Mark));
  }
}

void TUproypFrm::BtnOpen2Click(TObject*) {
  if (!OpenDialog1->Execute()) return;
  std::vector<AnsiString> headings;
  for (int col = 0; col < ProypGrid->ColCount(); ++col) headings.push_back(ProypGrid->Cells(col, 0));
  ProypGrid->ClearAllCells();
  for (int col = 0; col < ProypGrid->ColCount(); ++col) ProypGrid->SetCells(col, 0, headings[col]);
  BudgetFileName = OpenDialog1->FileName;
  try {
    ReadProyp();
  } catch (...) {
    // The window's next save goes to a file of its own, never over the
    // file that could not be read.
    BudgetFileName.clear();
    throw;
  }
  if (PendingFileRows != 0 && PendingBytesAfterBudget &&
      MessageDlg("Να φορτωθούν και προσφορές ; "_a, mtConfirmation, {mbYes, mbNo}) == mrYes) {
    BidderDiscountTable.FreeAll();
    for (int entry : StoreBidderBlocks(PendingBlocks, TUnmarkedRows::ClearMark)) {
      if (!MayTakeOfferSlot(entry)) continue;
      OfferTable[entry].EntryNo = static_cast<Word>(entry);
      if (MainForm && MainForm->StGrid->Cells(1, entry).empty())
        MainForm->StGrid->SetCells(1, entry, IntToStr(entry));
    }
    ReportCutBlocks(BudgetFileName);
  }
  PendingBlocks.clear();
  PendingCutBlocks.clear();
  PendingFileRows = 0;
  PendingBytesAfterBudget = false;
  // The next save goes to a new file, never over the one opened.
  BudgetFileName = MakeTempBudgetName();
}

// ---- the project file ---------------------------------------------------------------

namespace {

void SetMemoText(TMemo& memo, std::string_view text) {
  memo.Lines().Clear();
  while (true) {
    const size_t end = text.find("\r\n");
    memo.Lines().Add(AnsiString(text.substr(0, end)));
    if (end == std::string_view::npos) break;
    text = text.substr(end + 2);
  }
}

}  // namespace

bool TUproypFrm::ReadDdnFile(TFrmAXP& main, const AnsiString& fileName) {
  UnreadBudgetName.clear();
  TProjectFileData data;
  try {
    data = ReadingFile(fileName, [&] {
      return DecodeProjectFile(ReadWholeFile(fileName, MaxProjectFileSize), IsOldProjectFileName(fileName));
    });
  } catch (const EStreamError& error) {
    // Nothing is read, and the user is told which file and why: an empty
    // project in its place would be saved over it.
    MessageDlg(error.Message, mtError, {mbOK});
    return false;
  }
  if (data.Status == TProjectReadStatus::Damaged) {
    MessageDlg(ProjectReadMessage(fileName, data), mtError, {mbOK});
    return false;
  }
  ProjectHeader = data.Header;
  if (data.HasHeader) {
    SetMemoText(*main.Memo1, ProjectHeader.ProjectText.View());
    SetMemoText(*main.Memo2, ProjectHeader.ServiceText.View());
    main.Edit1->SetText(ProjectHeader.IndicativeTotal.Str());
    TDateTime date = 0;
    if (ReadHeaderDate(ProjectHeader.Date.Str(), date)) {
      main.EditDate->SetDate(date);
    } else {
      main.EditDate->SetDate(Date());
      MessageDlg(
          "Η ημερομηνία του έργου δεν διαβάζεται: "_a + ProjectHeader.Date.Str() + "\rΤέθηκε η σημερινή."_a,
          mtWarning, {mbOK});
    }
    const double divisor = ProjectHeader.Divisor;
    if (divisor != 0) main.EditDiair->SetText(FormatNum(17, CountDecimals(divisor), Style(), divisor));
  }

  const TProjectOptions options = ReadProjectOptions(ProjectHeader);
  CalcMode = options.CalcMode;
  main.ProjectType = options.ProjectType;
  if (options.DiscountDecimals) DiscountDecimals = *options.DiscountDecimals;
  main.EkptDgEd->SetValue(DiscountDecimals);
  if (options.ExtraDecimalsA) ExtraDecimalsA = *options.ExtraDecimalsA;
  if (options.ExtraDecimalsB) ExtraDecimalsB = *options.ExtraDecimalsB;
  if (options.HalfDown) {
    HalfDownSwitch = *options.HalfDown != 0;
    B54->SetDown(HalfDownSwitch != 0);
  }
  if (options.CostDecimals) CostDecimals = *options.CostDecimals;
  main.RadioGroupZephType->SetItemIndex(main.ProjectType);
  main.RadioGroupZephType->SetEnabled(true);
  OverheadIsExpression = 0;
  main.ProInputBtn->SetEnabled(main.ProjectType > 0);
  if (options.OverheadIsExpression) OverheadIsExpression = *options.OverheadIsExpression;
  if (options.ContingencyFlag) ContingencyFlag = *options.ContingencyFlag;
  if (options.AsphaltFlag) AsphaltFlag = *options.AsphaltFlag;
  if (options.InitialGuarantee) {
    main.Edit2->SetText(FloatToStr(*options.InitialGuarantee));
    main.Edit4->SetText(FloatToStr(*options.GuaranteeLimit));
  }
  ProjectModified = 0;
  main.Label24->SetCaption(fileName);

  BidderDiscountTable.FreeAll();
  OfferTable.Clear();
  MaxEntryNo = 0;
  int n = 0;
  for (OfferRecord& record : data.Offers) {
    ++n;
    OfferRecord& offer = OfferTable[n];
    offer = record;
    main.StGrid->SetCells(ColEntryNo, n, EntryNoText(offer.EntryNo));
    if (offer.EntryNo > MaxEntryNo) MaxEntryNo = offer.EntryNo;
    main.StGrid->SetCells(ColName, n, offer.BidderName.Str());
    main.StGrid->SetCells(ColDiscount, n, StoredDiscountText(offer, DiscountDecimals, Style()));
    offer.Discount = offer.RoundedDiscount;
    if (offer.Amount != 0) main.StGrid->SetCells(ColAmount, n, Own(16, offer.Amount));
  }
  SetOfferCount(n);
  if (data.Status == TProjectReadStatus::Cut)
    MessageDlg(ProjectReadMessage(fileName, data), mtWarning, {mbOK});

  doProPreview->Hide();
  doProPreview->SetEnabled(false);
  BtnFont->Hide();
  main.EnableResultCommands(main.dopreview->Enabled(), false);

  const AnsiString budgetName = ChangeFileExt(ChangeFileExt(fileName, ".ddn"), ".pry");
  if (FileExists(budgetName) && !BudgetOfAnotherProject(budgetName)) {
    BudgetFileName = budgetName;
    try {
      ReadProyp();
      // A budget of the other kind was refused, and its name forgotten.
      if (BudgetFileName.empty()) UnreadBudgetName = budgetName;
      if (main.BudgetHasRows()) main.RadioGroupZephType->SetEnabled(false);
      StoreBidderBlocks(PendingBlocks, TUnmarkedRows::ClearMark);
      ReportCutBlocks(budgetName);
    } catch (const Exception& error) {
      // The offers stay; the budget stays empty, and its saves go to a file
      // of its own rather than over the one that could not be read.
      BudgetRows = 0;
      BudgetFileName.clear();
      UnreadBudgetName = budgetName;
      ReportUnreadableBudget(budgetName, error);
    }
    PendingBlocks.clear();
    PendingCutBlocks.clear();
  }
  main.CheckOmalbtn->SetEnabled(BudgetRows > 0);
  getbtn->SetEnabled(main.CheckOmalbtn->Enabled());
  return true;
}

bool TUproypFrm::BudgetFileUnreadable(const AnsiString& fileName) {
  // Another project's budget is not read, nor written over.
  if (!FileEntryExists(fileName) || BudgetOfAnotherProject(fileName)) return false;
  if (!UnreadBudgetName.empty() && fileName == UnreadBudgetName) return true;
  std::string bytes;
  try {
    bytes = ReadWholeFile(fileName, MaxBudgetFileSize);
  } catch (const EStreamError&) {
    return true;
  }
  // The budget this window read is written over as ever, even where the
  // flags have changed since: they are what the save writes.
  if (!BudgetFileName.empty() && fileName == BudgetFileName) return false;
  return DecodeBudgetFile(bytes, Kind(), HeaderLayout()).Status == TBudgetReadStatus::Damaged;
}

bool TUproypFrm::ChooseBudgetSaveName(AnsiString& name) {
  if (!BudgetFileUnreadable(name)) return true;
  // A name given at an earlier save of this project is taken again.
  const AnsiString given = BudgetSaveDialog->FileName;
  if (!given.empty() && BudgetFileName == given && !BudgetFileUnreadable(given)) {
    name = given;
    return true;
  }
  const AnsiString kept = "Το αρχείο προϋπολογισμού «"_a + name + "» δεν διαβάστηκε και μένει όπως είναι."_a;
  if (LastBudgetRow() == 0 && BidderDiscountTable.AllocatedCount() == 0) {
    MessageDlg(kept + "\rΤο έργο αποθηκεύεται χωρίς προϋπολογισμό."_a, mtWarning, {mbOK});
    name.clear();
    return true;
  }
  AnsiString message = kept + "\rΔώστε όνομα για τον προϋπολογισμό που καταχωρίστηκε."_a;
  for (;;) {
    MessageDlg(message, mtWarning, {mbOK});
    if (!BudgetSaveDialog->Execute()) return false;
    const AnsiString chosen = ChangeFileExt(BudgetSaveDialog->FileName, ".pry");
    if (!BudgetFileUnreadable(chosen)) {
      BudgetSaveDialog->FileName = chosen;
      name = chosen;
      return true;
    }
    message = "Το αρχείο «"_a + chosen + "» δεν διαβάζεται και δεν γράφεται από πάνω· δώστε άλλο όνομα."_a;
  }
}
