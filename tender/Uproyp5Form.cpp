// The budget window's controls, its layouts by mode and kind, showing,
// closing and the return of its result to the main window.
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "printing/Qprint.h"
#include "tender/HelpTopics.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"
#include "tender/mainauction.h"

namespace {

template <typename T>
T* Place(TComponent* owner, const char* name, TWinControl* parent, int left, int top, int width, int height) {
  auto* control = new T(owner);
  control->SetName(name);
  control->SetBounds(left, top, width, height);
  control->SetParent(parent);
  return control;
}

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const char* name, const AnsiString& caption) {
  auto* item = new TMenuItem(owner);
  item->SetName(name);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

// Labels of the totals grid, rows 1 to 9.
const char* const TotalLabels[] = {
    "Αθροισμα",           "Γ.Ε.& Ο.Ε.(%)", "Σ Υ Ν Ο Λ Ο",       "ΑΠΡΟΒΛΕΠΤΑ 9 ή 15%", "ΣΥΝΟΛΟ",
    "ΠΟΣΟ ΓΙΑ ΑΝΑΘ/ΡΗΣΗ", "ΑΣΦΑΛΤΟΣ",      "ΟΦΕΛΟΣ ΑΣΦΑΛΤΟΥ %", "ΣΥΝΟΛΟ ΧΩΡΙΣ ΦΠΑ"};

// The tool bar lays its shown buttons out left to right in the order they
// were put on it, so that a button shown or hidden for a mode moves the
// others instead of covering them.
class TFlowToolPanel : public TPanel {
 public:
  using TPanel::TPanel;
  void AlignControls(TControl* AControl, TRect& Rect) override {
    TPanel::AlignControls(AControl, Rect);
    int x = 2;
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (!c->Visible() || c->Align() != alNone) continue;
      // The spin edit stands a little apart from the buttons on both sides.
      const int margin = dynamic_cast<TSpinEdit*>(c) ? 2 : 0;
      if (c->Left() != x + margin) c->SetLeft(x + margin);
      x += margin + c->Width() + margin + 1;
    }
  }
};

}  // namespace

TUproypFrm& EnsureBudgetForm() {
  // Owned by the application, never its main form.
  if (BudgetForm == nullptr) BudgetForm = NewForm<TUproypFrm>(Application);
  return *BudgetForm;
}

TUproypFrm::TUproypFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName("UproypFrm");
  SetCaption("Προϋπολογισμός Μελέτης"_a);
  HelpContext = HelpBudgetWindow;
  SetBounds(60, 40, 442, 610);
  Position = poScreenCenter;
  SetShowHint(true);
  BuildToolBar();
  BuildGrids();
  BuildPanels();
  BuildAnalysisTools();
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

TUproypFrm::~TUproypFrm() {
  if (BudgetForm == this) BudgetForm = nullptr;
}

void TUproypFrm::BuildToolBar() {
  ToolPanel = Place<TFlowToolPanel>(this, "ToolPanel", this, 0, 0, 442, 32);
  ToolPanel->SetAlign(alTop);
  ToolPanel->SetCaption("");
  int x = 2;
  auto button = [&](const char* name, const AnsiString& caption, const AnsiString& hint, int width) {
    auto* b = Place<TSpeedButton>(this, name, ToolPanel, x, 3, width, 26);
    b->SetCaption(caption);
    b->SetHint(hint);
    b->SetFlat(true);
    x += width + 1;
    return b;
  };
  ExitButton = button("ExitButton", "Εξοδος"_a, "Eπιστροφή"_a, 44);
  BtnOpen2 = button("BtnOpen2", "Ανοιγμα"_a, "Ανοιγμα"_a, 52);
  getbtn = button("getbtn", "Ενημ."_a, "Ενημέρωση ποσού-διαιρέτη"_a, 40);
  SigmaBtn = button("SigmaBtn", "Σ"_a, "Συνολικό άθροισμα κατηγορίας\r μέχρι την γραμμή"_a, 22);
  B54 = button("B54", "5½"_a,
               "Το επόμενο ψηφίο αν είναι ακριβως 5 θα\r στρογγυλοπείται προς τα πάνω ή κάτω"_a, 24);
  B54->SetGroupIndex(54);
  B54->SetAllowAllUp(true);
  celplus = button("celplus", "+", "Εισαγωγή (παρεμβολή) κελιού"_a, 20);
  celMinus = button("celMinus", "-", "διαγραφή κελιού"_a, 20);
  Recalc = button("Recalc", "=", "Επανυπολογισμός"_a, 20);
  btnspdExcel = button("btnspdExcel", "XL", "Σύνδεση και μεταφορά\rδεδομένων στο Excel"_a, 24);
  gindecEd = Place<TSpinEdit>(this, "gindecEd", ToolPanel, x + 2, 5, 40, 22);
  gindecEd->SetMinValue(0);
  gindecEd->SetMaxValue(6);
  x += 44;
  doProPreview = button("doProPreview", "Προβολή"_a,
                        "Προεπισκόπιση προϋπολογισμού \rπροσφοράς με έλεγχο ομαλότητας "_a, 56);
  doProPreview->SetGroupIndex(7);
  doProPreview->SetAllowAllUp(true);
  PrintProyp =
      button("PrintProyp", "Εκτ."_a,
             "Προεπισκόπιση και Εκτύπωση \rπροϋπολογισμού προσφοράς με \rέλεγχο ομαλότητας τιμών"_a, 36);
  PrintProypq = button("PrintProypq", "Εντυπο"_a,
                       "Εκτύπωση προσφοράς με βαση \rτο  ΥΠΟΔΕΙΓΜΑ ΕΝΤΥΟΥ \rΟΙΚΟΝΟΜΙΚΗΣ ΠΡΟΣΦΟΡΑΣ"_a, 48);
  EkptBtn = button("EkptBtn", "Τιμές"_a, "", 36);
  EkptBtn->Hide();
  ApoklBtn = button("ApoklBtn", "Απόκλ."_a, "", 44);
  ApoklBtn->SetGroupIndex(8);
  ApoklBtn->SetAllowAllUp(true);
  ApoklBtn->Hide();
  BtnFont = button("BtnFont", "Fonts", "Αλλαγή γραμματοσειράς (Fonts)"_a, 40);
  BtnFont->Hide();
  BitBtn3 = Place<TBitBtn>(this, "BitBtn3", ToolPanel, x, 3, 60, 26);
  BitBtn3->SetCaption("Ελεγχος"_a);
  BitBtn3->SetHint("Υπολογισμός γινομένων και αθροιισμάτων \r(χωρίς έλεγχο ομαλότητας προσφοράς)"_a);
  DoCheckBtn = Place<TBitBtn>(this, "DoCheckBtn", ToolPanel, x, 3, 60, 26);
  DoCheckBtn->SetCaption("Ελεγχος"_a);
  DoCheckBtn->SetHint("Ελεγχος ομαλότητας \rπροσφοράς"_a);
  DoCheckBtn->Hide();
  doedit = Place<TCheckBox>(this, "doedit", ToolPanel, 0, 0, 10, 10);
  doedit->SetHint("Δηνατότητα επεξεργασίας"_a);
  doedit->Hide();
  // The check boxes stand below the totals grid and follow it as it follows
  // the window's bottom.
  CheckBox2 = Place<TCheckBox>(this, "CheckBox2", this, 8, 534, 160, 18);
  CheckBox2->Anchors = {akLeft, akBottom};
  CheckBox2->SetCaption("Πραγματική μέση έκπτωση"_a);
  CheckBox2->SetHint("Ελεγχος Ομαλότητας με την\rπραγματική μέση έκπτωση"_a);
  CheckBox2->SetChecked(true);
  CheckBox2->Hide();
  checkOlog = Place<TCheckBox>(this, "checkOlog", this, 170, 534, 160, 18);
  checkOlog->Anchors = {akLeft, akBottom};
  checkOlog->SetCaption("Ολογράφως"_a);
  checkOlog->SetHint("Εκτύπωση και ΟΛΟΓΡΑΦΩΣ \rτων ποσοτών προσφοράς"_a);
  checkOlog->SetChecked(true);
  checkOlog->Hide();

  pumPrint = new TPopupMenu(this);
  pumPrint->SetName("pumPrint");
  N1 = AddItem(this, pumPrint->Items(), "N1", "Α. Εκτύπωση προσφοράς ποσοστών έκπτωσης"_a);
  N3 = AddItem(this, pumPrint->Items(), "N3", "Β. Εκτύπωση Προυπολογισμού Προσφοράς"_a);

  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->SetName("OpenDialog1");
  OpenDialog1->Filter = "ΠΡΟΠΟΛΟΓΙΣΜΟΥ *.pry|*.pry|ΠΡΟΣΩΡΙΝΑ  *.TMP|*.TMP"_a;
  BudgetSaveDialog = new TSaveDialog(this);
  BudgetSaveDialog->SetName("BudgetSaveDialog");
  BudgetSaveDialog->Filter = "ΠΡΟΠΟΛΟΓΙΣΜΟΥ *.pry|*.pry"_a;
  BudgetSaveDialog->DefaultExt = "pry";
  BudgetSaveDialog->Options << ofOverwritePrompt;
  // A budget lives beside its project.
  OpenDialog1->InitialDir = ProjectsFolderSource();
  BudgetSaveDialog->InitialDir = OpenDialog1->InitialDir;

  ExitButton->OnClick = [this](TObject* s) { ExitButtonClick(s); };
  BtnOpen2->OnClick = [this](TObject* s) { BtnOpen2Click(s); };
  getbtn->OnClick = [this](TObject* s) { getbtnClick(s); };
  SigmaBtn->OnClick = [this](TObject* s) { SigmaBtnClick(s); };
  B54->OnClick = [this](TObject* s) { B54Click(s); };
  btnspdExcel->OnClick = [this](TObject* s) { btnspdExcelClick(s); };
  celplus->OnClick = [this](TObject* s) { celplusClick(s); };
  celMinus->OnClick = [this](TObject* s) { celMinusClick(s); };
  Recalc->OnClick = [this](TObject* s) { RecalcClick(s); };
  gindecEd->OnChange = [this](TObject* s) { gindecEdChange(s); };
  doProPreview->OnClick = [this](TObject* s) { doProPreviewClick(s); };
  BtnFont->OnClick = [this](TObject* s) { BtnFontClick(s); };
  doedit->OnExit = [this](TObject* s) { doeditExit(s); };
  PrintProypq->OnClick = [this](TObject*) {
    TPoint at{};
    GetCursorPos(&at);
    pumPrint->Popup(at.X, at.Y);
  };
  N1->OnClick = [this](TObject* s) { N1Click(s); };
  N3->OnClick = [this](TObject* s) { N3Click(s); };
}

void TUproypFrm::BuildGrids() {
  LabelQ = Place<TLabel>(this, "LabelQ", this, 250, 36, 120, 13);
  Label1 = Place<TLabel>(this, "Label1", this, 8, 36, 120, 13);
  Label2 = Place<TLabel>(this, "Label2", this, 130, 36, 120, 13);
  LabelQ->SetCaption("");
  Label1->SetCaption("");
  Label2->SetCaption("");

  ProypGrid = Place<TExtStringGrid>(this, "ProypGrid", this, 4, 52, 430, 300);
  // The grid follows the window's size itself, and copies, cuts and
  // pastes cell ranges by the Ctrl keys, a value or series pasted over a
  // larger selection carried on through it.
  ProypGrid->SizeWithForm = true;
  ProypGrid->Navigation().AllowClipboardShortCuts = true;
  ProypGrid->Navigation().AllowSmartClipboard = true;
  ProypGrid->SetColCount(5);
  ProypGrid->SetRowCount(2500);
  ProypGrid->SetFixedRows(1);
  ProypGrid->SetFixedCols(1);
  // Headings wider than their column ("Ποσοστό δαπάνης") take two lines.
  ProypGrid->SetRowHeights(0, 32);
  ProypGrid->SetWordWrap(true);
  ProypGrid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goColSizing,
                         goRowMoving, goEditing});
  ProypGrid->SetColWidths(0, 34);
  ProypGrid->OnCanEditCell = [this](TObject* s, int r, int c, bool& e) { ProypGridCanEditCell(s, r, c, e); };
  ProypGrid->OnGetEditorType = [this](TObject* s, int c, int r, TEditorType& e) {
    ProypGridGetEditorType(s, c, r, e);
  };
  ProypGrid->OnCellValidate = [this](TObject* s, int c, int r, AnsiString& v, bool& ok) {
    ProypGridCellValidate(s, c, r, v, ok);
  };
  ProypGrid->OnGetAlignment = [this](TObject* s, int r, int c, TAlignment& h, TVAlignment& v) {
    ProypGridGetAlignment(s, r, c, h, v);
  };
  ProypGrid->OnGridHint = [this](TObject* s, int r, int c, AnsiString& h) { ProypGridGridHint(s, r, c, h); };
  ProypGrid->OnGetCellColor = [this](TObject* s, int r, int c, TGridDrawState st, TBrush& b, TFont& f) {
    ProypGridGetCellColor(s, r, c, st, b, f);
  };
  ProypGrid->OnCellChanging = [this](TObject* s, int orow, int ocol, int nrow, int ncol, bool& a) {
    ProypGridCellChanging(s, orow, ocol, nrow, ncol, a);
  };
  ProypGrid->OnRowMoved = [this](TObject* s, int f, int t) { ProypGridRowMoved(s, f, t); };
  ProypGrid->OnKeyPress = [this](TObject* s, char& k) { ProypGridKeyPress(s, k); };
  ProypGrid->OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { Edit3KeyDown(s, k, sh); };
  ProypGrid->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { LabelQ->SetCaption(""); };
  ProypGrid->OnGetEditText = [this](TObject*, int c, int, AnsiString&) {
    if (c == 5) getbtn->SetEnabled(false);
  };

  // Ten rows of 15 pixels between lines of 2, without a scroll bar.
  SumaGrid = Place<TEnhStringGrid>(this, "SumaGrid", this, 4, 356, 430, 174);
  SumaGrid->Anchors = {akLeft, akRight, akBottom};
  SumaGrid->SetColCount(5);
  SumaGrid->SetRowCount(10);
  SumaGrid->SetFixedRows(2);
  SumaGrid->SetFixedCols(3);
  SumaGrid->SetGridLineWidth(2);
  SumaGrid->SetDefaultColWidth(33);
  SumaGrid->SetDefaultRowHeight(15);
  TFont font = SumaGrid->Font();
  font.Name = "Courier New Greek";
  SumaGrid->SetFont(font);
  SumaGrid->SetParentFont(false);
  SumaGrid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goDrawFocusSelected,
                        goColSizing, goRowMoving, goEditing});
  // Its current cell looks the same with the focus and without: reached by
  // Tab from the budget grid, a number typed for the next budget cell would
  // replace a parameter unseen. The user clicks the parameter to change.
  SumaGrid->SetTabStop(false);
  SumaGrid->SetColWidths(0, 1);
  SumaGrid->SetColWidths(1, 1);
  SumaGrid->SetColWidths(2, 135);
  SumaGrid->SetColWidths(3, 95);
  SumaGrid->SetColWidths(4, 100);
  for (int row = 1; row <= 9; ++row) SumaGrid->SetCells(2, row, cp1253::FromUtf8(TotalLabels[row - 1]));
  SumaGrid->DefaultDrawing = false;
  SumaGrid->OnDrawCell = [this](TObject* s, int c, int r, const TRect& rect, TGridDrawState st) {
    SumaGridDrawCell(s, c, r, rect, st);
  };
  SumaGrid->OnKeyPress = [this](TObject* s, char& k) { SumaGridKeyPress(s, k); };
  SumaGrid->OnExit = [this](TObject* s) { SumaGridExit(s); };
  SumaGrid->OnValidate = [this](TObject*, int c, int r, const TCellValue&) { SumaGridValidate(c, r); };

  Memo1 = Place<TMemo>(this, "Memo1", this, 0, 32, 442, 500);
  Memo1->SetAlign(alClient);
  Memo1->SetScrollBars(ssBoth);
  Memo1->SetWordWrap(false);
  Memo1->HelpContext = HelpNormalityCheck;
  Memo1->Hide();
}

void TUproypFrm::BuildPanels() {
  inEkpt = Place<TPanel>(this, "inEkpt", this, 60, 120, 300, 110);
  inEkpt->SetCaption("");
  auto* title = Place<TLabel>(this, "inEkptTitle", inEkpt, 8, 6, 200, 13);
  title->SetCaption("Συμπλήρωση Τιμών προσφοράς"_a);
  OkBitBtn = Place<TBitBtn>(this, "OkBitBtn", inEkpt, 8, 76, 80, 25);
  OkBitBtn->SetCaption("OK");
  BitBtn2 = Place<TBitBtn>(this, "BitBtn2", inEkpt, 96, 76, 80, 25);
  BitBtn2->SetCaption("Ακυρο"_a);
  // Cancelled, the filling is over: the mean-discount button comes up, so
  // that its next press opens the panel again instead of filling.
  BitBtn2->OnClick = [this](TObject*) {
    inEkpt->Hide();
    EkptBtn->SetDown(false);
  };
  inEkpt->Hide();
  inEkptEpim = Place<TExtPanel>(this, "inEkptEpim", this, 40, 100, 360, 200);
  inEkptEpim->HelpContext = HelpDiscountSearch;
  inEkptEpim->Hide();
}

void TUproypFrm::Put(TStringGrid& grid, int col, int row, const AnsiString& text) {
  if (col >= 0 && row >= 0 && col < grid.ColCount() && row < grid.RowCount()) grid.SetCells(col, row, text);
}

TBudgetKind TUproypFrm::Kind() {
  return MainForm != nullptr && MainForm->ProjectType == ProjectCategoryPercentages ? TBudgetKind::Categories
                                                                                    : TBudgetKind::WorkItems;
}

// ---- layouts ----------------------------------------------------------------------

void TUproypFrm::SetStudyLayout() {
  Mode = 0;
  ProypGrid->SetColCount(5);
  ProypGrid->SetFixedCols(1);
  ProypGrid->SetColWidths(4, 100);
  SetWidth(442);
  SumaGrid->SetColCount(5);
}

void TUproypFrm::SetBidderLayout() {
  Mode = 1;
  const bool byWorkItems = Kind() == TBudgetKind::WorkItems;
  ProypGrid->SetColCount(byWorkItems ? 14 : 8);
  ProypGrid->SetFixedCols(5);
  // The marks and deviations of the offer shown before are not this
  // bidder's: left in place, closing would store them into this offer.
  if (byWorkItems) ProypGrid->ClearColumns(9, ProypGrid->ColCount() - 8);
  SumaGrid->SetColCount(7);
  SumaGrid->SetColWidths(5, 90);
  SumaGrid->SetColWidths(6, 100);
}

void TUproypFrm::FormCreate(TObject*) {
  BudgetForm = this;
  const char* const headings[] = {"Α/Α", "Α.Τ.", "Ποσότητα", "Τιμή Μονάδας", "Δαπάνη"};
  for (int col = 0; col < 5; ++col) ProypGrid->SetCells(col, 0, cp1253::FromUtf8(headings[col]));
  BudgetRows = 0;
  LastCheck = TCheckResult{};
  B54->SetDown(HalfDownSwitch != 0);
  LabelQ->SetCaption("");
  if (!BudgetFileName.empty()) ReadProyp();
}

void TUproypFrm::FormShow(TObject*) {
  const bool byWorkItems = Kind() == TBudgetKind::WorkItems;
  if (byWorkItems) {
    const char* const headings[] = {"Α/Α", "Α.Τ.", "Ποσότητα", "Τιμή Μονάδας", "Δαπάνη"};
    for (int col = 0; col < 5; ++col) ProypGrid->SetCells(col, 0, cp1253::FromUtf8(headings[col]));
    ProypGrid->SetColWidths(1, 70);
    ProypGrid->SetColWidths(2, 90);
    ProypGrid->SetColWidths(3, 80);
  } else {
    ProypGrid->SetCells(1, 0, "   ");
    ProypGrid->SetCells(2, 0, "");
    ProypGrid->SetCells(3, 0, "ΚΑΤΗΓΟΡΙΑ"_a);
    ProypGrid->SetCells(4, 0, "Δαπάνη "_a);
    ProypGrid->SetColWidths(1, 1);
    ProypGrid->SetColWidths(2, 1);
    ProypGrid->SetColWidths(3, 238);
  }
  if (Mode == 0) {
    ProypGrid->SetFixedCols(byWorkItems ? 1 : 3);
    doProPreview->Hide();
    PrintProyp->Hide();
    PrintProypq->Hide();
    BitBtn3->Hide();
    BtnOpen2->Show();
    getbtn->SetHint("Ενημέρωση ποσού-διαιρέτη"_a);
  } else {
    ProypGrid->SetColWidths(4, 105);
    if (byWorkItems) {
      ProypGrid->SetCells(5, 0, "Τιμή Προσφοράς"_a);
      ProypGrid->SetColWidths(5, 90);
      ProypGrid->SetColWidths(6, 100);
      for (int col = 8; col <= 13; ++col) ProypGrid->SetColWidths(col, 0);
      SetWidth(702);
      getbtn->SetHint("Ενημέρωση ποσού & ποσοστού προσφοράς"_a);
    } else {
      ProypGrid->SetCells(5, 0, " έκπτωση "_a);
      ProypGrid->SetColWidths(5, 70);
      ProypGrid->SetColWidths(6, 125);
      SetWidth(682);
      getbtn->SetHint("Ενημέρωση ποσοστού προσφοράς"_a);
    }
    ProypGrid->SetCells(6, 0, "Δαπάνη προσφοράς"_a);
    ProypGrid->SetCells(7, 0, "  Ελεγχος"_a);
    ProypGrid->SetColWidths(7, 95);
    doProPreview->Show();
    PrintProyp->Show();
    PrintProypq->Show();
    BitBtn3->Show();
    BtnOpen2->Hide();
    checkOlog->SetVisible(!byWorkItems);
  }
  // The offer tools: the mean-discount button for every offer, the
  // deviation columns for one by work items.
  EkptBtn->SetVisible(Mode == 1);
  DoCheckBtn->SetVisible(Mode == 1);
  EkptBtn->SetDown(false);
  ApoklBtn->SetVisible(Mode == 1 && byWorkItems);
  ApoklBtn->SetDown(false);
  gindecEd->SetValue(CostDecimals);
  OfferCostCol = 6;
  inEkpt->Hide();
  inEkptEpim->Hide();
  BtnFont->Hide();
  getbtn->SetEnabled(Mode == 0);
  // The defaults go in before the first totals, so that those use them.
  if (SumaGrid->Cells(3, 2).empty()) SumaGrid->SetCells(3, 2, "18");
  if (SumaGrid->Cells(3, 4).empty()) SumaGrid->SetCells(3, 4, "15");
  if (Mode == 1) {
    CheckEnabled = 1;
    resum(true);
  }
  if (!BudgetFileName.empty() && FileExists(BudgetFileName)) ReadAAline(CurrentBidderNo);
  RecalcClick(nullptr);
  FirstCategoryText = ProypGrid->Cells(3, 1);
  BudgetChanged = 0;
  if (ProypGrid->CanFocus()) ProypGrid->SetFocus();
}

void TUproypFrm::FormClose(TObject*, TCloseAction&) {
  if (Mode == 0) {
    try {
      SaveProyp();
    } catch (const Exception& e) {
      Application->ShowException(e);
    }
  }
  Label1->SetCaption("");
  Label2->SetCaption("");
  LabelQ->SetCaption("");
  if (BudgetFileName.size() >= 3 && UpperCase(BudgetFileName.substr(BudgetFileName.size() - 3)) == "TMP")
    BudgetChanged = 1;
  if (Mode == 1 && CurrentOffer != nullptr) {
    bool any = false;
    for (int row = 1; row < ProypGrid->RowCount() && row <= MaxDetailRows; ++row) {
      DetailEntry& entry = (*CurrentOffer)[row - 1];
      const AnsiString cell = ProypGrid->Cells(5, row);
      // A price or mark the user emptied is emptied in the offer too, or it
      // would come back at the next showing and go into the file.
      if (ProypGrid->ColCount() > 8) {
        const AnsiString mark = ProypGrid->Cells(9, row);
        entry.Mark = mark.empty() ? char(0) : mark[0];
      }
      if (cell.empty()) {
        entry.Value = 0;
        continue;
      }
      entry.Value = StrToNum(cell);
      if (cell != "0") any = true;
    }
    if (!any) {
      BidderDiscountTable.Free(BidderNo);
      CurrentOffer = nullptr;
    }
    try {
      SaveProyp();
    } catch (const Exception& e) {
      Application->ShowException(e);
    }
  }
  doProPreview->SetDown(false);
  Memo1->Hide();
}

void TUproypFrm::ExitButtonClick(TObject*) {
  doProPreview->SetDown(false);
  Memo1->Hide();
  Close();
}

void TUproypFrm::doProPreviewClick(TObject*) {
  Memo1->SetVisible(doProPreview->Down());
  if (doProPreview->Down() && ProypGrid->ColCount() > 12 && ProypGrid->ColWidths(12) > 0)
    ApoklBtn->SetDown(true);
}

void TUproypFrm::doeditExit(TObject*) {
  TGridOptions options = ProypGrid->Options();
  if (doedit->Checked())
    options << goEditing;
  else
    options >> goEditing;
  ProypGrid->SetOptions(options);
}

void TUproypFrm::BtnFontClick(TObject*) {
  TFontDialog dialog(this);
  dialog.Font = Memo1->Font();
  if (dialog.Execute()) Memo1->SetFont(dialog.Font);
}

void TUproypFrm::getbtnClick(TObject*) {
  TFrmAXP* main = MainForm;
  if (Mode == 0) {
    ProjectHeader.Divisor = StudyTotal;
    if (main)
      main->EditDiair->SetText(FormatNum(17, CostDecimals, static_cast<Byte>(NumberStyle), StudyTotal));
  } else if (!(OfferTotal == 0 && MeanDiscount == 0) && StudyTotal != 0 && main != nullptr) {
    // Without a study total there is no discount: nothing is taken over.
    bool take = true;
    if (LastCheck.AnomalyCount >= 1 && LastCheck.AcceptedByException == 0)
      take = MessageDlg("Υπάρχει περίπτωση ανωμαλίας.... Να γίνει η ενημέρωση;!"_a, mtInformation,
                        {mbYes, mbNo}) == mrYes;
    const int row = main->StGrid->Row();
    const Byte style = static_cast<Byte>(NumberStyle);
    if (take) {
      const double a = (1 - static_cast<long double>(MeanDiscount)) * StudyTotal;
      bool asAuxiliary = false;
      if (LastCheck.UniformDiscount > -1000) {
        asAuxiliary = CountDecimals(a) <= CostDecimals ||
                      MessageDlg(
                          " Η έκπτωση είναι ίδια σε όλες τις ομάδες (ενιαία).!\r Να ενημερωθεί το ποσό "
                          "προσφοράς σαν ίσο με την Β.Π.; \r    (Β.Π=ΒΟΗΘΗΤΙΚΗ ΠΡΟΣΦΟΡΑ ΣΤΗ ΑΚΕΡΑΙΑ "
                          "ΕΚΠΤΩΣΗ)"_a,
                          mtInformation, {mbYes, mbNo}) == mrYes;
      }
      if (asAuxiliary) {
        OfferTotal = a;
        main->StGrid->SetCells(ColAmount, row, FormatNum(17, CostDecimals + 3, style, a));
      } else {
        main->StGrid->SetCells(ColAmount, row, FormatNum(17, CostDecimals, style, OfferTotal));
      }
      const int d = DiscountDecimals;
      AnsiString text = FormatNum(d + 4, d + 1, style, RoundDiscount(d, MeanDiscount * 100));
      if (!text.empty() && text.back() == '0') text.pop_back();
      main->StGrid->SetCells(ColDiscount, row, text);
    } else {
      main->StGrid->SetCells(ColAmount, row, "");
      main->StGrid->SetCells(ColDiscount, row, "0");
    }
    // The bidder's new amount and discount, as if typed.
    main->ForgetResults();
  }
  ProjectModified = 1;
  Close();
}

void TUproypFrm::N1Click(TObject*) {
  if (!ReportForm) return;
  ReportForm->CheckReport = Memo1;
  ReportForm->BudgetCell = [this](int c, int r) { return ProypGrid->Cells(c, r); };
  ReportForm->TotalsCell = [this](int c, int r) { return SumaGrid->Cells(c, r); };
  ReportForm->ShowForKind(4);
}

void TUproypFrm::N3Click(TObject*) {
  if (!ReportForm) return;
  ReportForm->CheckReport = Memo1;
  ReportForm->BudgetCell = [this](int c, int r) { return ProypGrid->Cells(c, r); };
  ReportForm->TotalsCell = [this](int c, int r) { return SumaGrid->Cells(c, r); };
  ReportForm->ShowForKind(3);
}
