#pragma once
// The budget window: the study budget and, for one bidder at a time, the
// bidder's detailed offer against it; the totals with general expenses
// (GE&OE), contingencies, revision and asphalt; the budget file. The window
// exists once and keeps its budget between showings.

#include "grid/ExtGrid.h"
#include "grid/ExtPanel.h"
#include "grid/uestrgrd.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Panels.h"
#include "platform/ui/Spin.h"
#include "platform/ui/StdCtrls.h"
#include "tender/BudgetFile.h"
#include "tender/Uproyp5Check.h"
#include "tender/Uproyp5Search.h"

class TFrmAXP;

class TExcel;

class TUproypFrm : public TForm {
 public:
  explicit TUproypFrm(TComponent* AOwner);
  ~TUproypFrm() override;

  // ---- controls ----
  TPanel* ToolPanel;
  TSpeedButton* ExitButton;
  TSpeedButton* BtnOpen2;
  TSpeedButton* getbtn;
  TBitBtn* DoCheckBtn;  // hidden
  TBitBtn* BitBtn3;
  TSpeedButton* doProPreview;  // toggle
  TSpeedButton* PrintProyp;
  TSpeedButton* PrintProypq;
  TPopupMenu* pumPrint;
  TMenuItem* N1;
  TMenuItem* N3;
  TSpeedButton* SigmaBtn;
  TSpeedButton* B54;  // toggle: an exact half rounds down
  TSpinEdit* gindecEd;
  TSpeedButton* celplus;
  TSpeedButton* celMinus;
  TSpeedButton* btnspdExcel;
  TSpeedButton* Recalc;
  TSpeedButton* ApoklBtn;  // hidden toggle
  TSpeedButton* BtnFont;   // hidden
  TCheckBox* doedit;       // hidden
  TCheckBox* CheckBox2;    // hidden, checked: the check uses the true mean discount
  TCheckBox* checkOlog;    // hidden, checked: amounts in words on the discounts report
  TLabel* LabelQ;
  TLabel* Label1;
  TLabel* Label2;
  TPanel* inEkpt;  // "Συμπλήρωση Τιμών προσφοράς"
  TSpeedButton* EkptBtn;
  TBitBtn* OkBitBtn;
  TBitBtn* BitBtn2;
  TExtPanel* inEkptEpim;
  TExtStringGrid* ProypGrid;
  TEnhStringGrid* SumaGrid;
  TMemo* Memo1;  // the check report
  TOpenDialog* OpenDialog1;
  // A name for a budget that cannot be saved beside its project (below).
  TSaveDialog* BudgetSaveDialog;

  // ---- state ----
  int Mode = 0;  // 0 study, 1 bidder
  DetailedOffer* CurrentOffer = nullptr;
  int BidderNo = 0;
  AnsiString BudgetFileName;
  // The budget file beside the project last opened when it could not be
  // read (unreadable, too large, cut short, of the other kind of budget):
  // a project save never writes over it.
  AnsiString UnreadBudgetName;
  Word TextFieldSize = 0;
  Integer BudgetReadPos = 0;
  double StudySum = 0;
  double StudyTotal = 0;
  double OfferSum = 0;
  double OfferTotal = 0;
  double MeanDiscount = 0;
  int OfferCostCol = 6;
  Byte CheckEnabled = 0;
  AnsiString FirstCategoryText;

  // ---- the window ----
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void ExitButtonClick(TObject* Sender);
  void getbtnClick(TObject* Sender);
  void SigmaBtnClick(TObject* Sender);
  void doProPreviewClick(TObject* Sender);
  void doeditExit(TObject* Sender);
  void BtnFontClick(TObject* Sender);
  void btnspdExcelClick(TObject* Sender);
  // Writes the budget and its totals cell by cell through a connected link.
  void TransferToExcel(TExcel* Excel);
  // Lays the grids out for the mode and the kind.
  void SetStudyLayout();
  void SetBidderLayout();

  // ---- totals ----
  double CheckB54(double value);
  void resum(bool full);
  void ParseGeoeStr(double& amount, AnsiString& display);
  static void ParseRowRange(std::string_view text, int& a, int& b);
  void CalcFirstRowOfferCost();
  // The last budget row holding text in its cost or text column; empty
  // rows above it stay rows of the budget file, so that a save loses none
  // of the rows below them.
  int LastBudgetRow();
  // The rows the totals count: those before the first row whose cost and
  // text columns are both empty.
  int CountedBudgetRows();

  // ---- editing ----
  void ProypGridCanEditCell(TObject* Sender, int ARow, int ACol, bool& CanEdit);
  void ProypGridGetEditorType(TObject* Sender, int ACol, int ARow, TEditorType& AEditor);
  void ProypGridGetAlignment(TObject* Sender, int ARow, int ACol, TAlignment& HAlign, TVAlignment& VAlign);
  void ProypGridGridHint(TObject* Sender, int ARow, int ACol, AnsiString& HintStr);
  void ProypGridGetCellColor(TObject* Sender, int ARow, int ACol, TGridDrawState AState, TBrush& ABrush,
                             TFont& AFont);
  void ProypGridCellChanging(TObject* Sender, int OldRow, int OldCol, int NewRow, int NewCol, bool& Allow);
  void ProypGridRowMoved(TObject* Sender, int FromIndex, int ToIndex);
  void ProypGridKeyPress(TObject* Sender, char& Key);
  void Edit3KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void Edit2KeyPress(TObject* Sender, char& Key);
  // Column C, row R, text T of an edited cell; T comes back as it is kept.
  void ProypGridCellValidate(TObject* Sender, int ACol, int ARow, AnsiString& Value, bool& Valid);
  void celplusClick(TObject* Sender);
  void celMinusClick(TObject* Sender);
  // Closes the budget grid's editor, its text stored and validated.
  void EndCellEdit();
  void RecalcClick(TObject* Sender);
  void gindecEdChange(TObject* Sender);
  void B54Click(TObject* Sender);
  void SumaGridValidate(int ACol, int ARow);
  void SumaGridExit(TObject* Sender);
  void SumaGridKeyPress(TObject* Sender, char& Key);
  void SumaGridDrawCell(TObject* Sender, int ACol, int ARow, const TRect& Rect, TGridDrawState State);
  void N1Click(TObject* Sender);
  void N3Click(TObject* Sender);

  // ---- the budget file ----
  void SaveProyp();
  // The budget file and its text copy as a save writes them.
  std::vector<TFileToWrite> BudgetFilesToWrite();
  void ReadProyp();
  void ReadAAline(int bidderNo);
  void BtnOpen2Click(TObject* Sender);
  // False, with a message, when the file could not be read at all.
  bool ReadDdnFile(TFrmAXP& main, const AnsiString& fileName);
  // Whether a budget file there must not be written over: it could not be
  // read when its project was opened, cannot be read now, or is damaged
  // and is not the budget this window read.
  bool BudgetFileUnreadable(const AnsiString& fileName);
  // The name a project save writes the budget under, Name being the
  // project's ".pry". When a file there must not be written over, the user
  // is told; a budget typed since goes under a name the user gives, and
  // with nothing typed Name becomes empty (no budget is written). False
  // when the user gives no name: the project is not saved.
  bool ChooseBudgetSaveName(AnsiString& name);
  // The budget kind of the project type.
  static TBudgetKind Kind();
  // Column of a row's text: 1 by work items, 3 by categories.
  static int TextCol() { return Kind() == TBudgetKind::WorkItems ? 1 : 3; }

  // ---- the normality check and its report ----
  TLabel* Label5;  // the exceptional tolerance, when the check used it
  // The last check's counts, band and verdict; the report and the update
  // button read them.
  TCheckResult LastCheck;
  void DoCheckBtnClick(TObject* Sender);
  void BitBtn3Click(TObject* Sender);
  // Writes the check report into its file and loads it into Memo1.
  void DoPrintProyp();
  void PrintProypClick(TObject* Sender);

  // ---- price filling and the deviation table ----
  TEdit* Edit1;  // desired mean discount
  TEdit* Edit2;  // desired final amount
  TSpeedButton* SpeedButton2;
  TCheckBox* CheckBox1;  // rounding of the filled prices by the table
  double DesiredDiscount = 0;
  void ekptBtnClick(TObject* Sender);
  // Why the search panel cannot open on this budget by categories (more
  // than 50 categories, or GE&OE given by an expression); "" when it can.
  AnsiString SearchRefusal() const;
  void OkBitBtnClick(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);
  void ApoklBtnClick(TObject* Sender);
  void CalcApoklish();

  // ---- the target-discount search ----
  TEdit* Edit3;  // wanted mean discount
  TEdit* Edit4;  // wanted offer amount
  TSpeedButton* SpeedButton1;
  TSpinEdit* Apokl1;
  TEdit* MaxComp;
  TSpinEdit* MaxTries;
  TSpinEdit* SpinEdit1;
  TCheckBox* RandSeries;
  TCheckBox* CheckBox5;
  TBitBtn* BitBtn5;
  TBitBtn* StopBtn;
  TEdit* STHLES;
  TEdit* Lyseis;
  TSpinEdit* SpinEdit2;
  TBitBtn* BitBtn1;
  TBitBtn* BitBtn4;
  TExtStringGrid* StringGrid1;
  TPopupMenu* SolutionMenu;
  double DesiredAmount = 0;
  Int64 CombinationCount = 0;
  Byte SearchStop = 0;
  TSearchState Search;
  void SpeedButton1Click(TObject* Sender);
  void Apokl1Change(TObject* Sender);
  void MaxTriesDblClick(TObject* Sender);
  void SpeedButton3Click(TObject* Sender);
  void StopBtnClick(TObject* Sender);
  void BitBtn1Click(TObject* Sender);
  void BitBtn4Click(TObject* Sender);
  void StringGrid1DblClick(TObject* Sender);
  // What the search reads of the window's tables and controls.
  TSearchInputs SearchInputs();

 private:
  // The check, its report, the filling, the deviation table and the
  // search panel: their controls and events.
  void BuildAnalysisTools();
  void BuildSearchPanel();
  void BuildToolBar();
  void BuildGrids();
  void BuildPanels();
  // A cell written only when the grid has it.
  void Put(TStringGrid& grid, int col, int row, const AnsiString& text);
  // The layout the project header gives the budget file.
  static TBudgetLayout HeaderLayout();
  // The budget part of the file into the grids; false after a message.
  bool LoadBudget(const TBudgetFileContents& contents);
  TBudgetData BudgetFromGrids();
  // The validation of an edit, shared by the recalculations.
  void ValidateEdit(int col, int row, AnsiString& text, bool warnDecimals);
  bool fromB54_ = false;
  // The change of decimals totals once at its end, not after every row.
  bool resumSuspended_ = false;
  bool warnedDecimals_ = false;
};

// The full name of a new budget file, "~", seven digits and ".TMP" in the
// program's folder, created empty; a name that exists is drawn again.
AnsiString MakeTempBudgetName();

// Creates the budget window on first need.
TUproypFrm& EnsureBudgetForm();
