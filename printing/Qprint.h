#pragma once
// The report form: the one dialog through which the windows print their
// reports. A caller sets ReportKind and shows the form modally, unless a
// showing is already under way (ShowGuard above 5).
//
// The dialog chooses orientation and frame; "ΠΡΟΕΠΙΣΚΟΠΙΣΗ" runs BandRep1
// into the report engine's preview. BandRep1 has no data set: its detail
// band is fed one line of the source text per need-data call.

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/Buttons.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Panels.h"
#include "platform/ui/StdCtrls.h"
#include "report/RpCtrls.h"
#include "report/RpExport.h"

class Tprevform;

// Where the closing signature lines stand on the summary band (pixels):
// the place and date line, "Ο Προσφέρων" and the bidder's name below it.
struct TSignatureLayout {
  int DateLeft = 24, DateWidth = 430;
  // The place and date line as printed: whole on one line when it fits
  // beside the bidder's block, else its writing line above its caption.
  AnsiString DateCaption;
  int DateLines = 1;
  int TitleLeft = 500, TitleWidth = 120;  // "Ο Προσφέρων"
  int NameLeft = 460, NameWidth = 230;    // the bidder's name
};

// The signature lines on a band BandWidth wide, with Measure giving a
// text's width in the report's font. The place and date line keeps its
// designed box when it fits there; else it widens, moving the bidder's
// block right as far as the band allows; only when it cannot fit beside
// that block does its caption go below its writing line, starting where
// the line began.
TSignatureLayout LayOutSignature(int BandWidth, const std::function<int(const AnsiString&)>& Measure,
                                 const AnsiString& DateLine, const AnsiString& Title);

class TrpForm : public TForm {
 public:
  explicit TrpForm(TComponent* AOwner);

  // The report to run: 1 the calculation preview's text, 2 the budget
  // window's check report, 3 the offer budget, 4 the offer of category
  // discounts. Set by the caller before showing the form.
  std::int32_t ReportKind = 0;
  // 10 while the dialog is shown, 0 once it is left; callers do not show
  // the form while it is above 5.
  std::int32_t ShowGuard = 0;

  // What a caller does: nothing while a showing is under way (false);
  // else sets ReportKind to Kind and shows the form modally (true once it
  // has been shown and closed).
  bool ShowForKind(std::int32_t Kind);
  // The report's title for a kind: the name its files are given.
  static AnsiString KindTitle(std::int32_t Kind);

  // The calculation preview whose editor's lines kind 1 prints; set by
  // the main window once it has made it.
  Tprevform* Prevform = nullptr;
  // The budget window's check report whose lines kinds 2 to 4 print; set
  // by the budget window before it shows the form.
  TCustomMemo* CheckReport = nullptr;
  // The text of the budget window's budget grid cell (column, row): the
  // category's offered discount that kind 4 writes in words.
  std::function<AnsiString(int ACol, int ARow)> BudgetCell;
  // The text of the budget window's totals grid cell: the offer's total.
  std::function<AnsiString(int ACol, int ARow)> TotalsCell;
  // The offer's total, read when the form is shown.
  double OfferTotal = 0;
  // Index of the next line to feed, the line being fed, the category of
  // the row being fed (0 none, -1 a block of totals), the summary line
  // recognised last.
  std::int32_t LineIndex = 0;
  AnsiString CurLine;
  std::int32_t GroupNo = 0;
  std::int32_t LineKind = 0;

  TPanel* Panel1;
  TBitBtn* BitBtn1;  // "ΕΞΟΔΟΣ"
  TBitBtn* BitBtn2;  // "ΠΡΟΕΠΙΣΚΟΠΙΣΗ"
  TRadioGroup* RadioGroup1;
  TCheckBox* CheckBox1;
  // Never shown: its font is the font of kinds 3 and 4.
  TLabel* temp_font;
  TButton* BtnFont;  // the font of kinds 3 and 4
  TFontDialog* FontDialog1;

  TBandRep* BandRep1;
  TRpBand* RpBand2;  // page header
  TRpSysData* RpSysData1;
  // The headings of kind 4 (title band) and of kind 3 (its child).
  TRpBand* RpBand4;
  TRpLabel* RpLabel2a;
  TRpChildBand* ChildBand4;
  TRpLabel* RpLabel2;
  TRpBand* RpBand1;  // detail
  TRpMemo* RpMemo1;
  // The category row of kind 3 and that of kind 4.
  TRpChildBand* ChildBand1;
  TRpLabel *RpOmadaNmr, *RpOmadaPer, *RpOmadaPro, *RpOmadaEkpt, *RpOmadaPoso;
  // The sums, the mean discount, and the closing block of kind 3.
  TRpChildBand* ChildBand2;
  TRpLabel *RpLabel10, *RpLabel12, *RpLabel13, *RpLabel14, *RpLabel15, *RpLabel16, *RpLabel18, *RpLabel20,
      *RpLabel21, *RpLabel27, *RpLabel28, *RpLabel29;
  TRpChildBand* ChildBand3;
  TRpLabel *RpLabel30, *RpLabel31, *RpLabel33;
  TRpChildBand* ChildBand3a;  // revision, only when its line occurs
  TRpLabel *RpLabel35, *RpLabel37, *RpLabel39, *RpLabel41;
  TRpChildBand* ChildBand5;  // asphalt, only when its line occurs
  TRpLabel *RpLabel55, *RpLabel57, *RpLabel59, *RpLabel61, *RpLabel63, *RpLabel65;
  TRpChildBand* ChildBand6;
  TRpLabel *RpLabel43, *RpLabel45;
  TRpChildBand* ChildBand8;
  TRpLabel *RpOmadaNmr_P, *RpOmadaPer_p, *RpOmadaPro_olo, *RpOmadaEkpt_P;
  TRpBand* RpBand3;  // summary
  TRpLabel* RpLabel50;
  TRpLabel* RpLabel51;
  TRpLabel* RpLabel53;  // the bidder's name
  // The maker's credit: a picture and one line of contact text.
  TRpChildBand* ChildBand7;
  TRpImage* RpImage1;
  // While the form exists the preview's save dialog offers the
  // spreadsheet and RTF formats after the page file.
  TRpExcelFilter* rpExcelFilter1;
  TRpRTFFilter* rpRTFFilter1;

  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void BitBtn1Click(TObject* Sender);
  void BitBtn2Click(TObject* Sender);
  void RadioGroup1Click(TObject* Sender);
  // The headings and the captions that stand out get the bold style.
  void Fixbold();
  void BtnFontClick(TObject* Sender);
  void BandRep1BeforePrint(TObject* Sender, bool& PrintReport);
  void BandRep1NeedData(TObject* Sender, bool& MoreData);
  // Form B of an offer by work items prints its table of items as the
  // check report writes it; other kinds print every detail record.
  void RpBand1BeforePrint(TObject* Sender, bool& PrintBand);
  void ChildBand1BeforePrint(TObject* Sender, bool& PrintBand);
  void ChildBand8BeforePrint(TObject* Sender, bool& PrintBand);
  void ChildBand2BeforePrint(TObject* Sender, bool& PrintBand);
  // The closing block: ChildBand3, 3a, 5 and 6.
  void ClosingBandBeforePrint(TObject* Sender, bool& PrintBand);
  // Once its block has printed the summary line is spent.
  void SumsBandAfterPrint(TObject* Sender, bool BandPrinted);
  // The signature lines placed for the page's width and the report's font.
  void PlaceSignature();

 private:
  // The lines the current kind prints; nil when its window is missing.
  TStrings* SourceLines() const;
  // Kinds 2 landscape, 1, 3 and 4 portrait; any other leaves it.
  void SetOrientationForKind();
  // BandRep1 with its bands and labels.
  void CreateReport();
  // All four sides of a frame drawn, or none.
  static void DrawSides(TRpFrame& Frame, bool Drawn);
  // Kinds 3 and 4: the row of a category, and which summary line CurLine
  // is, with the bidder's name from the heading.
  void ReadCategoryRow();
  void RecogniseSummaryLine();
  // The labels of the summary line recognised last.
  void ReadSummaryValues(std::string_view Trimmed);
  // Where a caption is put together before a label takes it.
  AnsiString caption_;
  // The discount of the category row read last, and its caption in words.
  AnsiString discount_, discountWords_;
  // The labels a run fills, with the captions the form gives them.
  std::vector<std::pair<TRpLabel*, AnsiString>> formCaptions_;
  // The captions that stand out in bold, found by name once.
  std::vector<TRpLabel*> BoldLabels();
  std::vector<TRpLabel*> boldLabels_;
  // The column heads of form B by categories, which a table of work items
  // brings its own heading for.
  std::vector<TRpLabel*> categoryHeads_;
  // Form B of an offer by work items: the lines (0-based) of the check
  // report's table of items, from its heading to its last total; -1 when
  // the report holds none.
  int itemsFirst_ = -1, itemsLast_ = -1;
  void FindItemsTable();
};
