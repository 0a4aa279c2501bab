#pragma once
// The main window: the project's description, the divisor, the offers grid,
// the commands that calculate, print and preview, the guarantee panel, and
// the program's start-up settings and shutdown.

#include "grid/ExtGrid.h"
#include "grid/ExtPanel.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Panels.h"
#include "platform/ui/Spin.h"
#include "platform/ui/StdCtrls.h"
#include "tender/DefKnd.h"

// Where the window finds the program's folder (what the program keeps for
// itself), the folder of what ships with it (the default settings) and the
// folder where the user's projects live; tests point them at folders of
// their own.
using TProgramFolderSource = AnsiString (*)();
extern TProgramFolderSource ProgramFolderSource;
extern TProgramFolderSource ShippedFolderSource;
extern TProgramFolderSource ProjectsFolderSource;

class TFrmAXP : public TForm {
 public:
  explicit TFrmAXP(TComponent* AOwner);
  ~TFrmAXP() override;

  // ---- controls (names of the window description) ----
  TMainMenu* MainMenu1;
  TMenuItem* File1;  // "&Αρχείο"
  TMenuItem* N1;     // "&Νέο"
  TMenuItem* Open1;
  TMenuItem* Save1;
  TMenuItem* SaveAs;
  TMenuItem* Indexfrm;
  TMenuItem* N5;  // preview
  TMenuItem* N6;  // print
  TMenuItem* N7;  // quick print
  TMenuItem* N9;  // exit
  TMenuItem* Params1;
  TMenuItem* E10;  // print the initial order too
  TMenuItem* N8;   // help
  TMenuItem* N16;  // about
  TPopupMenu* GridPopup;
  TMenuItem* mouse1;
  TMenuItem* CopyToCliboard;
  TMenuItem* PasteFromCipBoard;

  TPanel* ToolPanel;
  TSpeedButton* BtnOpen;
  TSpeedButton* BtnSave;
  TSpeedButton* docalc;
  TSpeedButton* ClearButton;
  TSpeedButton* Doreset;
  TSpeedButton* sortBtn;
  TSpeedButton* doprintq;
  TSpeedButton* doprint;
  TSpeedButton* dopreview;
  TBitBtn* Button2;
  TBitBtn* BitBtn2;
  TBitBtn* BitBtn1;
  TSpeedButton* ExitButton;
  TCheckBox* PrintInitaa;

  TLabel* Label1;
  TMemo* Memo1;
  TLabel* Label2;
  TMemo* Memo2;
  TLabel* Label3;
  TEdit* Edit1;
  TLabel* Label4;
  TEdit* EditDiair;
  TLabel* Label5;
  TDateTimePicker* EditDate;
  TLabel* Label6;
  TSpinEdit* EkptDgEd;
  TRadioGroup* RadioGroupZephType;
  TButton* ProInputBtn;
  TButton* CheckOmalbtn;
  TLabel* Label24;
  TExtStringGrid* StGrid;
  TPanel* Panel4;
  // The report text, hidden: the calculation writes it, the preview and the
  // quick print take it from here.
  TRichEdit* PrMemo;

  // The guarantee panel and its controls.
  TExtPanel* ExtraKe;
  TLabel* Label9;
  TEdit* Edit4;  // limit for the additional guarantee
  TLabel* Label10;
  TEdit* Edit2;  // initial guarantee
  TLabel* Label11;
  TEdit* Edit3;  // the tender discount
  TCheckBox* CheckBox1;
  TSpeedButton* SpeedButton1;
  TLabel* Label8;  // the result
  TButton* Button1;
  TMemo* Memo4;
  TMemo* Memo3;

  TOpenDialog* OpenDialog1;
  TSaveDialog* SaveDialog1;

  // ---- window state ----
  int ProjectType = 0;
  AnsiString ProgramFolder;
  AnsiString ProjectsFolder;
  AnsiString Title;
  AnsiString VersionDate;
  AnsiString CommandLineProject;
  Word LastKeyDown = 0;
  // The sort button's next direction; it starts descending.
  bool SortAscending = false;

  // ---- start-up and settings ----
  void FormCreate(TObject* Sender);
  // Finds the locale's separators by formatting a number and sets the
  // number style from them.
  void ProbeNumberStyle();
  void ReadDefKind();
  void WriteDefKind();
  void ResetGridHeadings();
  // Builds the project header from the window's fields and the settings.
  void initgrec();

  // ---- the calculation and its report ----
  void docalcClick(TObject* Sender);
  void BtnCalcKlick();
  void sortitms(bool ascending, bool byEntryNo, bool display);
  void DisplayItems();
  // The finished report goes to the calculation preview, which is made
  // on first need.
  void CopyReportToPreview();
  void StGridExit(TObject* Sender);
  void doprintqClick(TObject* Sender);
  void N7Click(TObject* Sender);

  // ---- the guarantee panel ----
  void BitBtn1Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void AccCalcEggKeExecute();
  void Button1Click(TObject* Sender);
  void Edit2KeyPress(TObject* Sender, char& Key);
  // The rate table follows the tender date until the user ticks or unticks
  // the box for the project; clearing a project hands it back to the date.
  bool GuaranteeRatesByUser = false;
  void ResetGuaranteeRates();

  // ---- commands ----
  void doresetClick(TObject* Sender);
  void sortBtnClick(TObject* Sender);
  void N6Click(TObject* Sender);
  void dopreviewClick(TObject* Sender);
  void N5Click(TObject* Sender);
  void N8Click(TObject* Sender);
  void ExitButtonClick(TObject* Sender);
  void N9Click(TObject* Sender);
  void E10Click(TObject* Sender);
  void PrintInitaaClick(TObject* Sender);
  void EkptDgEdChange(TObject* Sender);
  void RadioGroupZephTypeClick(TObject* Sender);
  void mouse1Click(TObject* Sender);
  void CopyToCliboardClick(TObject* Sender);
  void PasteFromCipBoardClick(TObject* Sender);

  // ---- grid and field events ----
  void StGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void StGridKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void EditDiairKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void StGridKeyPress(TObject* Sender, char& Key);
  void Edit2NKeyPress(TObject* Sender, char& Key);
  void EditDateKeyPress(TObject* Sender, char& Key);
  void MemoKeyPress(TObject* Sender, char& Key);
  void EditDateChange(TObject* Sender);
  // A paste, a deletion or a cut in the project's texts and amounts types
  // no character, yet it changes the project as typing does.
  void FieldChanged(TObject* Sender);
  void EditDiairExit(TObject* Sender);
  void Edit1Exit(TObject* Sender);
  void StGridColumnSize(TObject* Sender, int ACol, bool& Allow);

  // ---- the project ----
  void BtnOpenClick(TObject* Sender);
  // Opens a project as the open command does, without its questions and
  // dialog; a name without extension is taken as ".ddn".
  // False when the file could not be read: it is then not the save target.
  bool OpenProject(AnsiString name);
  void DisplayProypdata();
  void BtnSaveClick(TObject* Sender);
  void SaveAsClick(TObject* Sender);
  // False when the dialog was cancelled or the save refused.
  bool DoSave(TObject* Sender);
  // Writes the project, and its budget when it has one; false when a
  // message stopped it.
  bool saverec(const AnsiString& fileName);
  void ClearButtonClick(TObject* Sender);
  // The project back to empty; the open command does it without questions.
  void ClearProject();
  void BitBtn2Click(TObject* Sender);
  void IndexfrmClick(TObject* Sender);
  void ProInputBtnClick(TObject* Sender);
  // Whether the study budget holds rows, counted or not: rows below an
  // empty one are not totalled, yet they are the user's and are asked for.
  bool BudgetHasRows() const;
  void CheckOmalbtnClick(TObject* Sender);
  void Button2Click(TObject* Sender);
  void N16Click(TObject* Sender);

  // ---- shutdown ----
  void FormClose(TObject* Sender, TCloseAction& Action);
  // Asks what the changes' state needs; false keeps the window open.
  bool ToSave();
  // A command given from the tool bar or a menu, which take no focus, acts
  // on what was typed: the focused field's or the grid's pending edit is
  // taken as leaving it would take it.
  void CommitPendingEdit();
  // A study budget still under its temporary name when the user discards
  // it is removed with its .csv: nothing else would ever open it.
  void DiscardTemporaryBudget();

  // ---- changes of the offers ----
  // A change of the offers made otherwise than by typing (a paste, a cut, a
  // moved row) marks the project changed, as typing does; one that touches
  // the amounts or discounts makes the results stale as typing does.
  void OffersChanged(const TRect& area);
  // The preview button, and the print and quick-print commands, buttons
  // and menu items alike: print only while the results are the tender's.
  // The preview's menu item shows the preview at any time.
  void EnableResultCommands(bool preview, bool print);
  // What typing into the amount or discount column makes stale: the marks
  // beside the offers, and the report (ForgetReport).
  void ForgetResults();
  // Whatever changes what the report would print empties the preview's
  // copy and takes back print and quick print until the next calculation.
  void ForgetReport();
  // A change of a bidder's name in the given row: the report names the
  // bidders of the rows that hold an offer; a name alone in a new row is in
  // no report.
  void NameChanged(int row);
  // Marks the project changed when the grid's offers are no longer those
  // last read, written or cleared: a calculation that dropped or
  // renumbered rows changed what a save would write.
  void NoteOffersDifferFromStored();
  // The grid's offers are now those of the stored (or empty) project.
  void RememberStoredOffers();

  // The least window size that keeps every command whole in view: the tool
  // bar, the fields and buttons beside the grid, and the grid's headings
  // with a few offers above the status line.
  TPoint LeastSize() const;

 protected:
  // Tells the least size to whoever sizes the window (the user's drag, the
  // window manager).
  void Dispatch(TMessage& Message) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  void BuildFields();
  void BuildGrid();
  // Lays the project's file name beside the status bar's title.
  void PlaceProjectName();
  void BuildGuaranteePanel();
  void BuildReportText();
  void BuildProjectCommands();
  void MeasureLeastSize();
  // The header's two guarantee percentages from the panel's fields.
  void StoreGuaranteePercents();
  void CreatePreview();
  // The calculation after ResetCalculation: scan, rank, report.
  void CalculateAndReport();
  // Moves the grid's current cell one row down (Enter in the grid).
  void NextGridRow();
  // The field's value in the window's own layout: no change of the user's.
  void RewriteField(TEdit& field, const AnsiString& text);
  bool rewritingField_ = false;
  // Whether a typed character may stay in a number field.
  static bool IsNumberChar(char Key);

  // Ticks the new rate table for a tender after 18/4/2013, unless the user
  // chose the table.
  void ApplyGuaranteeDateRule();

  // Whether the offers grid (or its editor) holds the focus, and held it
  // before the last change of the window's focused control: a button that
  // takes the focus when clicked still acts on the grid's row.
  void TrackFocus();
  bool GridHadFocus() const;
  bool gridFocusedNow_ = false;
  bool gridFocusedBefore_ = false;

  bool applyingGuaranteeRule_ = false;
  // The client area LeastSize keeps, taken from the layout as built:
  // controls that follow the window must not raise it as they move.
  TPoint leastClient_;
  // The offers grid's rows when the project was last read, written or
  // cleared (OfferRowsSnapshot).
  std::vector<AnsiString> storedOffers_;
  // The file the project was opened from or last saved to, as on disk;
  // empty for a cleared project. Only this one is written over unasked.
  AnsiString projectFile_;
  // Above 0 while the window itself rewrites the offers grid: those are
  // not the user's changes.
  int writingOffers_ = 0;
  struct TWritingOffers {
    explicit TWritingOffers(TFrmAXP& w) : window(w) { ++window.writingOffers_; }
    ~TWritingOffers() {
      if (--window.writingOffers_ == 0) window.OffersWritten();
    }
    TFrmAXP& window;
  };
  // What the window wrote into the current cell is no edit of the user's:
  // leaving the cell must not take it for one.
  void OffersWritten();
};
