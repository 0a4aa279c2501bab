// The budget window's reactions to editing: editable cells, editors,
// alignments, hints, colours, key filters, the validation of an edited
// cell, the recalculations, the change of decimals, cell insert and delete
// and the renumbering after a row move.
#include <cmath>

#include "platform/rtl/Cp1253.h"
#include "platform/ui/Forms.h"
#include "tender/N_STR.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"
#include "tender/mainauction.h"

namespace {

Byte Style() { return static_cast<Byte>(NumberStyle); }

// The last key code pressed is kept by the main window.
Word& LastKey() {
  static Word alone = 0;
  return MainForm != nullptr ? MainForm->LastKeyDown : alone;
}

AnsiString RowNumber(int row) { return PadLeft(IntToStr(row), 4); }

bool IsNumberKey(char key) {
  return (key >= '0' && key <= '9') || key == ',' || key == '-' || key == '.' || key == '\b' || key == '\t' ||
         key == '\r' || key == 0x1b;
}

// The hourglass while a long loop runs.
class THourGlass {
 public:
  THourGlass() { Screen->SetCursor(crHourGlass); }
  ~THourGlass() { Screen->SetCursor(crDefault); }
};

}  // namespace

void TUproypFrm::ProypGridCanEditCell(TObject*, int, int ACol, bool& CanEdit) {
  if (Kind() == TBudgetKind::WorkItems)
    CanEdit = ACol == 1 || ACol == 2 || ACol == 3 || ACol == 5 || (ACol >= 9 && ACol <= 12);
  else
    CanEdit = ACol == 1 || ACol == 3 || ACol == 4 || ACol == 5;
}

void TUproypFrm::ProypGridGetEditorType(TObject*, int ACol, int, TEditorType& AEditor) {
  if (ACol != 9) return;
  AEditor = edComboList;
  ProypGrid->ClearEditorComboItems();
  for (const char* mark : {" ", "+", "-", "#"}) ProypGrid->AddEditorComboItem(mark);
}

void TUproypFrm::ProypGridGetAlignment(TObject*, int, int ACol, TAlignment& HAlign, TVAlignment&) {
  if (ACol == 9) HAlign = taLeftJustify;
  if (ACol == 8) HAlign = taRightJustify;
}

void TUproypFrm::ProypGridGridHint(TObject*, int, int ACol, AnsiString& HintStr) {
  switch (ACol) {
    case 8:
      HintStr = "ποσοστό στή συνολική δαπάνη"_a;
      break;
    case 9:
      HintStr = "Επιθημητή απόκλιση :\r +   μεγαλύτερη τιμή\r -   μικρότερη τιμη\r #   αμετάβλητη τιμή"_a;
      break;
    case 10:
      HintStr = "Συνελεστης απόκλισης"_a;
      break;
    case 5:
      HintStr = Kind() == TBudgetKind::Categories ? "ΜΟΝΟ ΑΚΕΡΑΙΑ ΠΟΣΟΣΤΑ"_a : AnsiString();
      break;
    default:
      HintStr.clear();
  }
}

void TUproypFrm::ProypGridGetCellColor(TObject*, int ARow, int ACol, TGridDrawState, TBrush& ABrush, TFont&) {
  if (ARow >= 1) {
    const bool deviations = ApoklBtn->Down();
    if ((!deviations && (ACol == 6 || ACol == 7)) || (deviations && (ACol == 12 || ACol == 13)) ||
        (ACol == 4 && Mode == 0 && Kind() == TBudgetKind::WorkItems))
      ABrush.Color = clAqua;
    if (deviations && (ACol == 6 || ACol == 7)) ABrush.Color = static_cast<TColor>(0xC08080);
  }
  if (ACol == 9 || ACol == 10) {
    const AnsiString mark = ProypGrid->ColCount() > 9 ? ProypGrid->Cells(9, ARow) : AnsiString();
    if (mark == "-") ABrush.Color = clFuchsia;
    if (mark == "+") ABrush.Color = clLime;
  }
}

void TUproypFrm::ProypGridCellChanging(TObject*, int, int, int, int, bool&) {
  if (Mode == 1 && !FirstCategoryText.empty()) ProypGrid->SetCells(3, 1, FirstCategoryText);
}

void TUproypFrm::ProypGridRowMoved(TObject*, int, int) {
  ProypGrid->ClearColumns(0, 1);
  ProypGrid->SetCells(0, 0, "Α/Α"_a);
  for (int row = 1; row <= BudgetRows && row < ProypGrid->RowCount(); ++row)
    if (!ProypGrid->Cells(3, row).empty()) ProypGrid->SetCells(0, row, RowNumber(row));
}

void TUproypFrm::ProypGridKeyPress(TObject*, char& Key) {
  const int col = ProypGrid->Col();
  const bool byWorkItems = Kind() == TBudgetKind::WorkItems;
  const bool numeric = byWorkItems ? col > 1 : col >= 4;
  if (numeric) {
    if (!IsNumberKey(Key)) {
      Key = 0;
      return;
    }
    if (Key == ',' || Key == '.') Key = LastKey() == 110 ? LocaleDecimalChar : DecimalSeparator;
    if (col == 6 || col == 7 || col == 12 || col == 13 || (byWorkItems && col == 4)) {
      Key = 0;
      return;
    }
  }
  BudgetChanged = 1;
  if (Mode == 1 && ProypGrid->Row() > BudgetRows) Key = ' ';
}

void TUproypFrm::Edit3KeyDown(TObject*, Word& Key, TShiftState) { LastKey() = Key; }

void TUproypFrm::Edit2KeyPress(TObject*, char& Key) {
  if (!IsNumberKey(Key)) {
    Key = 0;
    return;
  }
  if ((Key == ',' || Key == '.') && LastKey() == 110) Key = LocaleDecimalChar;
}

void TUproypFrm::ProypGridCellValidate(TObject*, int ACol, int ARow, AnsiString& Value, bool& Valid) {
  Valid = true;
  LabelQ->SetCaption("");
  if (ACol <= 1) return;
  ValidateEdit(ACol, ARow, Value, true);
}

void TUproypFrm::ValidateEdit(int c, int r, AnsiString& t, bool warnDecimals) {
  const bool byCategories = Kind() == TBudgetKind::Categories;
  if (r > 1) {
    const bool aboveEmpty = byCategories
                                ? ProypGrid->Cells(4, r - 1).empty() && ProypGrid->Cells(3, r - 1).empty()
                                : ProypGrid->Cells(2, r - 1).empty() && ProypGrid->Cells(1, r - 1).empty();
    if (aboveEmpty) {
      // A row is filled only below a filled one.
      t.clear();
      return;
    }
  }
  if (Mode == 1) getbtn->SetEnabled(false);
  // With the deviation columns the price is the price with deviation.
  const int p = Mode == 0 ? 3 : (ApoklBtn->Down() ? 11 : 5);
  const int n = CostDecimals;
  if (byCategories) {
    const double cost = StrToNum(ProypGrid->Cells(4, r));
    if (c == 5) {
      const double d = StrToNum(t);
      long double f = 1 - static_cast<long double>(d) / 100;
      if (std::fabs(static_cast<double>(f)) > 2) f = 0;
      if (CountDecimals(d) > 0 && warnDecimals)
        MessageDlg("      Π Ρ Ο Σ Ο Χ Η ...\r ΑΠΟΔΕΚΤΕΣ ΜΟΝΟ ΑΚΕΡΑΙΕΣ ΕΚΠΤΩΣΕΙΣ !!"_a, mtError, {mbOK});
      t = FormatNumNoBlanks(7, 2, Style(), d);
      if (cost > 0)
        Put(*ProypGrid, p + 1, r, FormatNumNoBlanks(17, 2, Style(), CheckB54(static_cast<double>(cost * f))));
      if (r == 2) CalcFirstRowOfferCost();
    } else if (c == 4 && !t.empty()) {
      t = FormatNumNoBlanks(16, 2, Style(), StrToNum(t));
    }
    ProypGrid->SetCells(0, r, RowNumber(r));
    resum(true);
  } else {
    const double q = StrToNum(c == 2 ? t : ProypGrid->Cells(2, r));
    const double price = StrToNum(c == 3 || c == p ? t : ProypGrid->Cells(p, r));
    if (c == 2) t = q == 0 ? AnsiString() : FormatNumNoBlanks(13, 2, Style(), q);
    if (c == p) t = price == 0 ? AnsiString() : FormatNumNoBlanks(15, 2, Style(), price);
    const double cost = CheckB54(static_cast<long double>(q) * price);
    Put(*ProypGrid, p + 1, r,
        cost == 0 && q == 0 && price == 0 ? AnsiString() : FormatNumNoBlanks(17, n, Style(), cost));
    if (r == 2) CalcFirstRowOfferCost();
    ProypGrid->SetCells(0, r, RowNumber(r));
    resum(false);
  }
  BudgetChanged = 1;
  Label1->SetCaption("");
  Label2->SetCaption("");
  if (Mode == 1 && ProypGrid->ColCount() > 7 && !ProypGrid->Cells(7, 0).empty()) {
    // The check's results go; the window stays able to check (the
    // enable flag belongs to the showing for a bidder).
    for (int row = 1; row < ProypGrid->RowCount(); ++row) ProypGrid->SetCells(7, row, "");
  }
  PrintProyp->SetEnabled(false);
  PrintProypq->SetEnabled(false);
  doProPreview->SetEnabled(false);
}

// An edit under way ends before cells move: the editor keeps the text it
// opened with and would show it over the moved cell, and write it back
// there when it closes.
void TUproypFrm::EndCellEdit() {
  if (!ProypGrid->EditorMode() && !ProypGrid->EditorActive()) return;
  ProypGrid->HideCellEditor();
  ProypGrid->CommitCellEdit(ProypGrid->Cells(ProypGrid->Col(), ProypGrid->Row()));
}

void TUproypFrm::celplusClick(TObject*) {
  EndCellEdit();
  const int c = ProypGrid->Col(), r = ProypGrid->Row();
  const int n = std::max<int>(BudgetRows, r);
  for (int row = std::min(n, ProypGrid->RowCount() - 2); row >= r; --row)
    ProypGrid->SetCells(c, row + 1, ProypGrid->Cells(c, row));
  ProypGrid->SetCells(c, r, "");
}

void TUproypFrm::celMinusClick(TObject*) {
  EndCellEdit();
  const int c = ProypGrid->Col(), r = ProypGrid->Row();
  const int n = std::max<int>(BudgetRows, r);
  for (int row = r; row < n && row + 1 < ProypGrid->RowCount(); ++row)
    ProypGrid->SetCells(c, row, ProypGrid->Cells(c, row + 1));
  ProypGrid->SetCells(c, n, "");
}

void TUproypFrm::RecalcClick(TObject*) {
  THourGlass hourGlass;
  OfferCostCol = ApoklBtn->Down() ? 12 : 6;
  // With the deviation columns the price is the price with deviation, and
  // its cost goes into the cost column, not the check column.
  const int p = Mode == 0 ? 3 : (ApoklBtn->Down() ? 11 : 5);
  const int n = CostDecimals;
  const bool byWorkItems = Kind() == TBudgetKind::WorkItems;
  // Every row of the grid: a row typed without text or cost below the last
  // one that has them is a row of the budget too once it costs something.
  const int last = std::min(ProypGrid->RowCount() - 1, static_cast<int>(MaxBudgetRows));
  ProypGrid->BeginUpdate();
  for (int r = 1; r <= last; ++r) {
    double cost = 0;
    if (byWorkItems) {
      const double q = StrToNum(ProypGrid->Cells(2, r));
      const double price = StrToNum(ProypGrid->Cells(p, r));
      cost = CheckB54(static_cast<long double>(q) * price);
      Put(*ProypGrid, p + 1, r,
          cost == 0 && q == 0 && price == 0 ? AnsiString() : FormatNumNoBlanks(16, n, Style(), cost));
    } else if (Mode == 1) {
      const double s = StrToNum(ProypGrid->Cells(4, r));
      const double d = StrToNum(ProypGrid->Cells(5, r));
      long double f = 1 - static_cast<long double>(d) / 100;
      if (std::fabs(static_cast<double>(f)) > 1.99) f = 0;
      // An empty discount is written "0": the category is offered at its cost.
      Put(*ProypGrid, 5, r, FormatNumNoBlanks(7, CountDecimals(d), Style(), d));
      cost = CheckB54(static_cast<double>(s * f));
      if (s == 0) {
        Put(*ProypGrid, p, r, "");
        Put(*ProypGrid, p + 1, r, "");
      } else if (s > 0) {
        Put(*ProypGrid, p + 1, r, FormatNumNoBlanks(16, n, Style(), cost));
      }
    }
    if (cost > 0 && r > BudgetRows) {
      BudgetRows = static_cast<Word>(r);
      ProypGrid->SetCells(0, r, RowNumber(r));
    }
  }
  ProypGrid->EndUpdate();
  BudgetChanged = 1;
  Label1->SetCaption("");
  Label2->SetCaption("");
  if (Mode == 1 && ProypGrid->ColCount() > OfferCostCol + 1 && !ProypGrid->Cells(p + 1, 0).empty()) {
    for (int row = 1; row < ProypGrid->RowCount(); ++row) ProypGrid->SetCells(OfferCostCol + 1, row, "");
  }
  PrintProyp->SetEnabled(false);
  PrintProypq->SetEnabled(false);
  doProPreview->SetEnabled(false);
  if (Mode == 1) getbtn->SetEnabled(false);
  resum(true);
}

void TUproypFrm::gindecEdChange(TObject*) {
  if (gindecEd->Value() == CostDecimals && !fromB54_) return;
  // The tender's amounts are rounded and printed with the cost decimals.
  if (gindecEd->Value() != CostDecimals && MainForm) MainForm->ForgetReport();
  CostDecimals = static_cast<Word>(gindecEd->Value());
  const int p = Mode == 0 ? 3 : (ApoklBtn->Down() ? 11 : 5);
  if (Mode == 1 && ApoklBtn->Down()) OfferCostCol = 12;
  const int n = CostDecimals;
  const bool byWorkItems = Kind() == TBudgetKind::WorkItems;
  THourGlass hourGlass;
  ProypGrid->BeginUpdate();
  for (int r = 1; r <= BudgetRows; ++r) {
    if (byWorkItems) {
      const double cost = CheckB54(static_cast<long double>(StrToNum(ProypGrid->Cells(2, r))) *
                                   StrToNum(ProypGrid->Cells(p, r)));
      Put(*ProypGrid, p + 1, r, cost == 0 ? AnsiString() : FormatNumNoBlanks(16, n, Style(), cost));
    } else if (Mode == 1) {
      const double s = StrToNum(ProypGrid->Cells(4, r));
      const double d = StrToNum(ProypGrid->Cells(5, r));
      long double f = 1 - static_cast<long double>(d) / 100;
      if (std::fabs(static_cast<double>(f)) > 1) f = 0;
      // An empty discount is written "0": the category is offered at its cost.
      Put(*ProypGrid, 5, r, FormatNumNoBlanks(7, CountDecimals(d), Style(), d));
      if (s > 0)
        Put(*ProypGrid, p + 1, r, FormatNumNoBlanks(16, n, Style(), CheckB54(static_cast<double>(s * f))));
    }
    // Each row as an edit of its price; the integer-discount warning once,
    // and the totals once at the end.
    if (Mode == 1) {
      AnsiString text = ProypGrid->Cells(p, r);
      const bool warn = !warnedDecimals_;
      if (!byWorkItems && CountDecimals(StrToNum(text)) > 0) warnedDecimals_ = true;
      const Word rows = BudgetRows;
      resumSuspended_ = true;
      ValidateEdit(5, r, text, warn);
      resumSuspended_ = false;
      BudgetRows = rows;
      if (ProypGrid->ColCount() > p) ProypGrid->SetCells(p, r, text);
    }
  }
  ProypGrid->EndUpdate();
  warnedDecimals_ = false;
  resum(true);
}

void TUproypFrm::B54Click(TObject*) {
  HalfDownSwitch = B54->Down() ? 1 : 0;
  fromB54_ = true;
  gindecEdChange(B54);
  fromB54_ = false;
}
