// The main window's creation, the settings file, the project header built
// from the window, and shutdown.
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "tender/BudgetFile.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"
#include "tender/mainauction.h"

namespace {

const char* const SettingsFileName = "def.knd";

// The first line of a memo, then each of its second and third lines that is
// not empty, after a line end.
AnsiString HeaderText(const TMemo& memo) {
  const TStrings& lines = memo.Lines();
  AnsiString text = lines.Count() > 0 ? lines[0] : AnsiString();
  for (int i = 1; i < 3 && i < lines.Count(); ++i)
    if (!lines[i].empty()) text += "\r\n" + lines[i];
  return text;
}

}  // namespace

void TFrmAXP::FormCreate(TObject*) {
  MainForm = this;
  OfferTable.Clear();
  OfferCount = 0;
  for (int row = 1; row <= MaxOffers; ++row) StGrid->SetCellText(0, row, EntryNoText(row));
  ResetGridHeadings();

  DiscountDecimals = 3;
  ExtraDecimalsA = 4;
  ExtraDecimalsB = 4;
  RoundDiscountProc = &RoundDiscount;
  ProjectModified = 0;

  ProbeNumberStyle();

  CalcMode = 0;
  // A relative name on the command line is the start-up folder's.
  AnsiString commandLineName;
  if (ParamCount() >= 1 && UpperCase(ParamStr(1)).find(".DDN") != AnsiString::npos) {
    std::string full;
    // A name the code page cannot hold is refused: taken with "?" it would
    // open nothing and save under another name.
    if (!ExpandHeldFileName(ParamStrUtf8(1), commandLineName, full))
      MessageDlg(UnheldNameMessage(full), mtError, {mbOK});
  }
  ProgramFolder = ProgramFolderSource();
  // The folder the user works in is the projects' folder, in sight among
  // the documents: the dialogs start there, wherever another dialog has
  // left the current folder since.
  ProjectsFolder = ProjectsFolderSource();
  SetCurrentDir(ProjectsFolder);
  OpenDialog1->InitialDir = ProjectsFolder;
  SaveDialog1->InitialDir = ProjectsFolder;

  ReadDefKind();
  EkptDgEd->SetValue(DiscountDecimals);

  Title = "Zeph-ΟΜΑΛΟΤΗΤΑ 1.46"_a;
  VersionDate = "9-5-2014";
  EditDate->SetDate(Date());
  Panel4->SetCaption(Title);
  PlaceProjectName();
  // Message and error boxes, and windows named after a document, carry the
  // program's name.
  Application->Title = Title;
  // Only the user's changes of the date count as changes of the project.
  EditDate->OnChange = [this](TObject* s) { EditDateChange(s); };
  for (TCustomEdit* field : {static_cast<TCustomEdit*>(Memo1), static_cast<TCustomEdit*>(Memo2),
                             static_cast<TCustomEdit*>(Edit1), static_cast<TCustomEdit*>(EditDiair)})
    field->OnChange = [this](TObject* s) { FieldChanged(s); };
  if (!commandLineName.empty()) {
    CommandLineProject = commandLineName;
    if (OpenProject(commandLineName)) SaveDialog1->FileName = ChangeFileExt(commandLineName, ".ddn");
    CommandLineProject.clear();
  }
}

void TFrmAXP::ProbeNumberStyle() {
  const NumberStyleProbe probe = ::ProbeNumberStyle();
  LocaleDecimalChar = probe.Decimal;
  NumberStyle = probe.Style;
}

void TFrmAXP::ResetGridHeadings() {
  StGrid->SetCellText(1, 0, "ΠΡΟΣΦΕΡΟΥΣΑ ΕΤΑΙΡΕΙΑ"_a);
  StGrid->SetCellText(2, 0, "ΠΟΣΟ ΠΡΟΣΦΟΡΑΣ"_a);
  StGrid->SetCellText(3, 0, "ΕΚΠΤΩΣΗ"_a);
}

// A missing or unreadable file leaves every setting as it is; a damaged
// line leaves its own setting. A user who has no settings yet starts from
// those that ship beside the executable, when there are any.
void TFrmAXP::ReadDefKind() {
  AnsiString fileName = ProgramFolder + SettingsFileName;
  if (!FileExists(fileName)) fileName = ShippedFolderSource() + SettingsFileName;
  if (!FileExists(fileName)) return;
  std::string text;
  try {
    text = ReadWholeFile(fileName, MaxDefKndSize);
  } catch (const EStreamError&) {
    return;
  }
  TDefKndSettings settings{CalcMode,       CostDecimals,   DiscountDecimals,
                           ExtraDecimalsA, ExtraDecimalsB, HalfDownSwitch};
  ReadDefKndText(text, settings);
  CalcMode = settings.CalcMode;
  CostDecimals = settings.CostDecimals;
  DiscountDecimals = settings.DiscountDecimals;
  ExtraDecimalsA = settings.ExtraDecimalsA;
  ExtraDecimalsB = settings.ExtraDecimalsB;
  HalfDownSwitch = settings.HalfDown;
}

void TFrmAXP::WriteDefKind() {
  const TDefKndSettings settings{CalcMode,       CostDecimals,   DiscountDecimals,
                                 ExtraDecimalsA, ExtraDecimalsB, HalfDownSwitch};
  SafeWriteFile(ProgramFolder + SettingsFileName, DefKndText(settings));
}

void TFrmAXP::initgrec() {
  ProjectHeader.ProjectText = HeaderText(*Memo1);
  ProjectHeader.ServiceText = HeaderText(*Memo2);
  ProjectHeader.Date = DateToStr(EditDate->Date());
  ProjectHeader.IndicativeTotal = Edit1->Text();
  ProjectHeader.ResetOptions();
  ProjectHeader.SetOption(TProjectHeader::CalcModeByte, static_cast<Byte>(CalcMode));
  ProjectHeader.SetOption(TProjectHeader::ProjectTypeByte, static_cast<Byte>(ProjectType));
  ProjectHeader.SetOption(555, 0);
  ProjectHeader.StoreOfferCount(OfferCount);
  ProjectHeader.SetOption(TProjectHeader::CostDecimalsByte, static_cast<Byte>(CostDecimals));
  ProjectHeader.SetOption(TProjectHeader::DiscountDecimalsByte, DiscountDecimals);
  ProjectHeader.SetOption(TProjectHeader::ExtraDecimalsAByte, ExtraDecimalsA);
  ProjectHeader.SetOption(TProjectHeader::ExtraDecimalsBByte, ExtraDecimalsB);
  ProjectHeader.SetOption(562, 0);
  ProjectHeader.SetOption(TProjectHeader::HalfDownByte, HalfDownSwitch ? 1 : 0);
  ProjectHeader.SetOption(TProjectHeader::OverheadIsExpressionByte, OverheadIsExpression);
  ProjectHeader.SetOption(TProjectHeader::AlwaysOneByte, 1);
  ProjectHeader.SetOption(TProjectHeader::ContingencyByte, ContingencyFlag);
  StoreGuaranteePercents();
}

// ---- shutdown ---------------------------------------------------------------------

void TFrmAXP::FormClose(TObject*, TCloseAction& Action) {
  if (!ToSave()) Action = caNone;
}

bool TFrmAXP::ToSave() {
  if (ProjectModified && MessageDlg("Να αγνοηθούν οι αλλαγές;"_a, mtError, {mbYes, mbCancel}) != mrYes)
    return false;
  // Cancel keeps the budget by saving the project with it; a save the user
  // cancels keeps the window open, so nothing is lost either way.
  bool keepBudget = false;
  if (BudgetChanged && BudgetHasRows() &&
      MessageDlg("Nα αγνοηθούν τα στοιχεία προϋπολογισμού μελέτης;"_a, mtWarning, {mbYes, mbCancel}) !=
          mrYes) {
    if (!DoSave(this)) return false;
    keepBudget = true;
  }
  // A budget the user keeps that the save did not write under the project's
  // name (a project without a budget type writes none) stays in its
  // temporary file: it is the only copy.
  if (!keepBudget) DiscardTemporaryBudget();
  try {
    WriteDefKind();
  } catch (const Exception& e) {
    // The settings are lost for the next run, the work is not: say so and
    // let the program end.
    Application->ShowException(e);
  }
  return true;
}

void TFrmAXP::DiscardTemporaryBudget() {
  if (!BudgetForm) return;
  AnsiString& name = BudgetForm->BudgetFileName;
  if (name.size() < 4 || UpperCase(name.substr(name.size() - 4)) != ".TMP") return;
  DeleteFile(name);
  DeleteFile(BudgetCsvName(name));
  name.clear();
}
