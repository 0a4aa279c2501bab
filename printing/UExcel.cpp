#include "printing/UExcel.h"

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/IniFiles.h"
#include "platform/ui/Application.h"

namespace {

const AnsiString kIniName = "TOLVICOR.INI";
constexpr auto kFrameGap = std::chrono::milliseconds(10);

// The bridge reads numbers in the program's number style, which the
// locale's thousands separator decides.
std::string NumberStyleEntry() {
  return ThousandSeparator == '.' ? "DIM_NUMBER_STYLE=2" : "DIM_NUMBER_STYLE=1";
}

}  // namespace

TExcel::TExcel(TComponent* AOwner) : TComponent(AOwner) {
  conv_.ConnectMode = ddeManual;
  // Calc that the user quit is started again by the command that needs it:
  // its start, not a hung service, is what the answer then waits for.
  conv_.StartTimeout = 60000;
  conv_.ReplyTimeout = 60000;
  conv_.SetLink("Excel", "System");
  conv_.OnOpen = [this](TDdeClientConv*) {
    if (OnOpen) OnOpen(this);
  };
  conv_.OnClose = [this](TDdeClientConv*) {
    if (OnClose) OnClose(this);
  };
  SetExeName("Excel");
}

TExcel::~TExcel() {
  // A link closing with the component gone reaches no one.
  conv_.OnClose = nullptr;
  conv_.OnOpen = nullptr;
}

void TExcel::SetExeName(const AnsiString& name) {
  exeName_ = name;
  conv_.ServiceApplication = ChangeFileExt(name, "");
}

void TExcel::Connect() {
  if (Connected()) return;
  conv_.ServiceEnvironment = {NumberStyleEntry()};
  if (!conv_.OpenLink())
    throw Exception("Ανεπιτυχής η σύνδεση με το Excel ΦΟΡΤΩΣΤΕ στα WINDOWS το \"EXCEL\""_a);
}

AnsiString TExcel::SelectCommand(int Row, int Col) {
  return "[SELECT(\"R" + std::to_string(Row) + "C" + std::to_string(Col) + "\")]";
}

AnsiString TExcel::FormulaCommand(const AnsiString& Text) {
  AnsiString text = Text;
  for (char& c : text)
    if (c == '"') c = '\'';
  return "[FORMULA(\"" + text + "\")]";
}

void TExcel::RunWithRetry(const AnsiString& cmd) {
  if (conv_.ExecuteMacro(cmd, false)) return;
  for (int i = 0; i < 4; ++i) Application->ProcessMessages();
  if (!conv_.ExecuteMacro(cmd, true)) throw Exception(cmd + " not excepted by Excel");
}

void TExcel::Flush() {
  std::size_t first = 0;
  try {
    while (first < queue_.size()) {
      const std::size_t count = std::min(dde::kMaxCommandsPerFrame, queue_.size() - first);
      std::vector<AnsiString> frame(queue_.begin() + first, queue_.begin() + first + count);
      const bool all = conv_.ExecuteMacroLines(frame, false);
      lastSend_ = std::chrono::steady_clock::now();
      first += conv_.LastExecutedCount();
      if (!all) {
        // The refused command gets the refusal protocol; the rest of the
        // frame goes again after it, so none is lost and none runs twice.
        RunWithRetry(queue_[first]);
        ++first;
      }
      Application->ProcessMessages();
    }
  } catch (...) {
    queue_.clear();
    throw;
  }
  queue_.clear();
}

void TExcel::Queue(AnsiString cmd) {
  queue_.push_back(std::move(cmd));
  if (queue_.size() >= dde::kMaxCommandsPerFrame || std::chrono::steady_clock::now() - lastSend_ >= kFrameGap)
    Flush();
}

void TExcel::Exec(const AnsiString& Cmd) {
  Flush();
  RunWithRetry(Cmd);
  lastSend_ = std::chrono::steady_clock::now();
}

void TExcel::Select(int Row, int Col) { Exec(SelectCommand(Row, Col)); }

void TExcel::Formula(const AnsiString& Text) { Exec(FormulaCommand(Text)); }

void TExcel::PutCell(int Row, int Col, const AnsiString& Text) {
  queue_.push_back(SelectCommand(Row, Col));
  Queue(FormulaCommand(Text));
}

void TExcel::Minimize() { Exec("[APP.MINIMIZE()]"); }

void TExcel::MinimizeAndNew() {
  Exec("[APP.MINIMIZE()]");
  Exec("[NEW(1)]");
}

void TExcel::Restore() {
  Select(1, 1);
  Exec("[APP.RESTORE()]");
}

// ---- the dialog ---------------------------------------------------------

TFrmExcel::TFrmExcel(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Σύνδεση με EXCEL"_a);
  BorderStyle = bsDialog;
  Position = poScreenCenter;
  SetBounds(Left(), Top(), 345, 186);

  pnlInfo = new TPanel(this);
  pnlInfo->SetParent(this);
  pnlInfo->SetBounds(8, 8, 321, 25);
  pnlInfo->SetAlignment(taLeftJustify);

  radgrpWorkSheet = new TRadioGroup(this);
  radgrpWorkSheet->SetParent(this);
  radgrpWorkSheet->SetBounds(8, 40, 185, 65);
  radgrpWorkSheet->SetCaption("Φύλλο εργασίας"_a);
  radgrpWorkSheet->Items()->Add("Ανοιγμα νέου "_a);
  radgrpWorkSheet->Items()->Add("Χρήση υπάρχοντος"_a);
  radgrpWorkSheet->SetItemIndex(0);

  btnspdRunExcel = new TSpeedButton(this);
  btnspdRunExcel->SetParent(this);
  btnspdRunExcel->SetBounds(200, 46, 129, 25);
  btnspdRunExcel->SetCaption("Μεταφορά σε EXCEL"_a);
  btnspdRunExcel->OnClick = [this](TObject* s) { btnspdRunExcelClick(s); };

  btnspdClose = new TSpeedButton(this);
  btnspdClose->SetParent(this);
  btnspdClose->SetBounds(200, 80, 129, 25);
  btnspdClose->SetCaption("Κλείσιμο"_a);
  btnspdClose->OnClick = [this](TObject* s) { btnspdCloseClick(s); };

  // The program's location is kept but never used to start anything, so
  // its row stays hidden.
  Label1 = new TLabel(this);
  Label1->SetParent(this);
  Label1->SetBounds(8, 120, 90, 13);
  Label1->SetCaption("Θέση του Excel"_a);
  Label1->SetVisible(false);

  edtExcelPos = new TEdit(this);
  edtExcelPos->SetParent(this);
  edtExcelPos->SetBounds(8, 136, 289, 21);
  edtExcelPos->SetVisible(false);

  btnspdLocateExcel = new TSpeedButton(this);
  btnspdLocateExcel->SetParent(this);
  btnspdLocateExcel->SetBounds(304, 134, 25, 25);
  btnspdLocateExcel->SetCaption("...");
  btnspdLocateExcel->SetVisible(false);
  btnspdLocateExcel->OnClick = [this](TObject* s) { btnspdLocateExcelClick(s); };

  odLocateExcel = new TOpenDialog(this);
  odLocateExcel->Title = "Ανεύρεση της θέσης του Excel"_a;
  odLocateExcel->Filter = "Εφαρμογές (*.EXE)|*.EXE"_a;
  odLocateExcel->DefaultExt = "EXE";

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnCloseQuery = [this](TObject* s, bool& c) { FormCloseQuery(s, c); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

void TFrmExcel::FormCreate(TObject*) {
  pnlInfo->SetCaption(" Ανενεργή σύνδεση με EXCEL"_a);
  TIniFile ini(kIniName);
  edtExcelPos->SetText(ini.ReadString("Excel", "Path", ""));
}

void TFrmExcel::FormCloseQuery(TObject*, bool&) {
  TIniFile ini(kIniName);
  ini.WriteString("Excel", "Path", edtExcelPos->Text());
}

void TFrmExcel::FormClose(TObject*, TCloseAction&) {
  if (Excel) Excel->OnClose = nullptr;
}

void TFrmExcel::btnspdRunExcelClick(TObject*) {
  if (!Excel) {
    Excel = new TExcel(this);
    Excel->OnOpen = [this](TObject*) { pnlInfo->SetCaption(" Ενεργή σύνδεση με EXCEL"_a); };
    Excel->OnClose = [this](TObject*) { pnlInfo->SetCaption(" Ανενεργή σύνδεση με EXCEL"_a); };
    try {
      Excel->Connect();
    } catch (const Exception&) {
      MessageDlg("Δεν έχει φορτωθεί το \"EXCEL\""_a, mtInformation, TMsgDlgButtons{mbOK}, 0);
      return;
    }
  } else {
    Excel->Connect();
  }
  // The first cell: the program's R1C1 references start at 1.
  Excel->Select(1, 1);
  if (radgrpWorkSheet->ItemIndex() == 0)
    Excel->MinimizeAndNew();
  else
    Excel->Minimize();
  if (Transfer) Transfer(Excel);
  Excel->Restore();
}

void TFrmExcel::btnspdCloseClick(TObject*) { Close(); }

void TFrmExcel::btnspdLocateExcelClick(TObject*) {
  if (odLocateExcel->Execute()) edtExcelPos->SetText(odLocateExcel->FileName);
}

void ShowExcelDialog(const TExcelTransferEvent& Transfer) {
  std::unique_ptr<TFrmExcel> form(NewForm<TFrmExcel>(Application));
  form->Transfer = Transfer;
  form->ShowModal();
}
