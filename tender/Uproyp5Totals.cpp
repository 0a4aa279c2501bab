// The budget window's totals: the cost rounding with the half-down switch,
// partial totals, the GE&OE expression, the study and offer totals and the
// mean discount, the subtotal button and the totals grid's own input.
#include <algorithm>
#include <cctype>

#include "platform/rtl/Cp1253.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"

namespace {

Byte Style() { return static_cast<Byte>(NumberStyle); }

AnsiString Result(double value) { return FormatNumNoBlanks(17, CostDecimals, Style(), value); }

// The budget rows the grid holds.
int GridBudgetRows(const TStringGrid& grid) {
  return std::min(grid.RowCount() - 1, static_cast<int>(MaxBudgetRows));
}

// Whether a budget row has nothing in its cost and text columns. The budget
// grid merges no cells and shows its texts as stored.
bool BudgetRowEmpty(const TBaseGrid& grid, int textCol, int row) {
  return grid.GetCellDirect(4, row).empty() && grid.GetCellDirect(textCol, row).empty();
}

}  // namespace

double TUproypFrm::CheckB54(double value) { return CheckB54Value(value, CostDecimals, B54->Down()); }

void TUproypFrm::ParseRowRange(std::string_view text, int& a, int& b) {
  const auto digitsAfter = [&](char mark) {
    const size_t at = text.find(mark);
    int value = 0;
    if (at == std::string_view::npos) return 0;
    for (size_t i = at + 1;
         i < text.size() && i <= at + 4 && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
      value = value * 10 + (text[i] - '0');
    return value;
  };
  a = digitsAfter('=');
  b = digitsAfter(':');
}

int TUproypFrm::LastBudgetRow() {
  const int x = TextCol();
  for (int row = GridBudgetRows(*ProypGrid); row >= 1; --row)
    if (!BudgetRowEmpty(*ProypGrid, x, row)) return row;
  return 0;
}

int TUproypFrm::CountedBudgetRows() {
  const int x = TextCol();
  const int last = GridBudgetRows(*ProypGrid);
  for (int row = 1; row <= last; ++row)
    if (BudgetRowEmpty(*ProypGrid, x, row)) return row - 1;
  return last;
}

void TUproypFrm::ParseGeoeStr(double& amount, AnsiString& display) {
  AnsiString expression = OverheadExpression.Str();
  // By work items "$n" reads the column before the cost, where a partial
  // total shows its sum; by categories that column holds the category's
  // name (study) or discount (offer), so "$n" reads the row's amount, and a
  // partial total's sum beside its range when the amount is empty.
  const bool byCategories = Kind() == TBudgetKind::Categories;
  const int amountCol = Mode == 0 ? 4 : OfferCostCol;
  const int col = byCategories ? amountCol : amountCol - 1;
  size_t at = 0;
  while ((at = expression.find('$', at)) != AnsiString::npos) {
    size_t end = at + 1;
    int n = 0;
    // More than four digits name no row; the rest still leaves the text.
    while (end < expression.size() && std::isdigit(static_cast<unsigned char>(expression[end]))) {
      if (n < 100000) n = n * 10 + (expression[end] - '0');
      ++end;
    }
    AnsiString cell = n < ProypGrid->RowCount() ? ProypGrid->Cells(col, n).substr(0, 40) : AnsiString();
    if (byCategories && Trim(cell).empty() && n < ProypGrid->RowCount()) {
      const AnsiString beside = ProypGrid->Cells(amountCol - 1, n).substr(0, 40);
      if (beside.find('(') != AnsiString::npos) cell = beside;
    }
    if (const size_t open = cell.find('('); open != AnsiString::npos) {
      const size_t close = cell.find(')', open + 1);
      cell = cell.substr(open + 1, close == AnsiString::npos ? AnsiString::npos : close - open - 1);
    }
    const AnsiString number = FixedNotation(StrToNum(cell), CostDecimals);
    expression.replace(at, end - at, number);
    at += number.size();
  }
  DotDecimals(expression);
  display = "(" + expression + ")";
  AnsiString formula;
  for (char c : expression) {
    if (c == '%')
      formula += "/100";
    else
      formula += c;
  }
  Word attribute = 0;
  amount = CheckB54(EvalFormula(formula, attribute));
}

void TUproypFrm::resum(bool full) {
  if ((Mode == 1 && !full) || resumSuspended_) return;
  const int k = Mode == 0 ? 4 : OfferCostCol;
  const int r = Mode == 0 ? 4 : 6;
  const int x = TextCol();
  const int last = CountedBudgetRows();
  ProypGrid->BeginUpdate();
  // Partial totals.
  for (int row = 1; row <= last; ++row) {
    const AnsiString text = ProypGrid->Cells(x, row);
    if (text.find('=') == AnsiString::npos) continue;
    const size_t open = text.find('(');
    int a = 0, b = 0;
    ParseRowRange(std::string_view(text).substr(0, open == AnsiString::npos ? 20 : open), a, b);
    if (b < a) continue;
    long double sum = 0;
    for (int i = std::max(a, 1); i <= b && i < ProypGrid->RowCount(); ++i)
      sum += StrToNum(ProypGrid->Cells(k, i));
    AnsiString before = ProypGrid->Cells(k - 1, row);
    before = before.substr(0, before.find('('));
    Put(*ProypGrid, k - 1, row, before + "(" + FloatToStr(sum) + ")");
    Put(*ProypGrid, 2, row, "ΜΕΡΙΚΟ ΣΥΝΟΛΟ"_a);
  }
  long double s = 0;
  for (int row = 1; row <= last; ++row) {
    s += StrToNum(ProypGrid->Cells(k, row));
    ProypGrid->SetCells(0, row, PadLeft(IntToStr(row), 4));
  }
  ProypGrid->EndUpdate();
  BudgetRows = static_cast<Word>(last);
  const double sum = static_cast<double>(s);
  Put(*SumaGrid, r, 1, Result(sum));
  if (Mode == 0)
    StudySum = sum;
  else
    OfferSum = sum;

  OverheadIsExpression = 0;
  double g = 0;
  const AnsiString overhead = SumaGrid->Cells(3, 2);
  if (overhead.find('$') == AnsiString::npos) {
    double p = StrToNum(overhead);
    if (p > 100) p = 0;
    g = CheckB54(static_cast<long double>(sum) * p / 100);
  } else {
    OverheadIsExpression = 1;
    OverheadExpression = std::string_view(overhead).substr(0, 40);
    AnsiString display;
    ParseGeoeStr(g, display);
  }
  const double t = static_cast<long double>(sum) + g;
  Put(*SumaGrid, r, 2, Result(g));
  Put(*SumaGrid, r, 3, Result(t));
  ContingencyPercent = StrToNum(SumaGrid->Cells(3, 4));
  const long double c = static_cast<long double>(t) * ContingencyPercent / 100;
  Put(*SumaGrid, r, 4, Result(static_cast<double>(c)));
  Put(*SumaGrid, r, 5, Result(static_cast<double>(t + c)));

  double revision = StrToNum(SumaGrid->Cells(3, 6));
  AsphaltAmount = StrToNum(SumaGrid->Cells(3, 7));
  SumaGrid->SetCells(3, 7, Result(AsphaltAmount));
  Put(*SumaGrid, r, 7, SumaGrid->Cells(3, 7));
  AsphaltOverheadPercent = StrToNum(SumaGrid->Cells(3, 8));
  AsphaltOverheadAmount = static_cast<long double>(AsphaltAmount) * AsphaltOverheadPercent / 100;
  RevisionAmount = revision;

  if (Mode == 0) {
    StudyTotal = t;
  } else {
    for (int row = 1; row <= last; ++row) Put(*ProypGrid, 7, row, "");
    OfferTotal = t;
    if (StudyTotal == 0) {
      // Without a study total there is no discount to speak of.
      MeanDiscount = 0;
    } else {
      const long double discount = (1 - static_cast<long double>(OfferTotal) / StudyTotal) * 100;
      MeanDiscount = static_cast<double>(discount);
      if (!CheckBox2->Checked()) MeanDiscount = RoundDiscount(DiscountDecimals, MeanDiscount);
      Put(*SumaGrid, r - 1, 2, "ΕΚΠΤΩΣΗ\\/ε%"_a);
      Put(*SumaGrid, r - 1, 3, FormatNumNoBlanks(12, 8, Style(), static_cast<double>(discount)));
      MeanDiscount = MeanDiscount / 100;
    }
    revision = static_cast<double>((1 - static_cast<long double>(MeanDiscount)) * revision);
    AsphaltOverheadAmount = static_cast<long double>(AsphaltAmount) * AsphaltOverheadPercent / 100 *
                            (1 - static_cast<long double>(MeanDiscount));
    Put(*SumaGrid, r, 8, Result(AsphaltOverheadAmount));
  }
  Put(*SumaGrid, r, 6, Result(revision));
  Put(*SumaGrid, r, 9,
      Result(static_cast<double>(static_cast<long double>(t) + c + revision + AsphaltAmount +
                                 AsphaltOverheadAmount)));
}

void TUproypFrm::CalcFirstRowOfferCost() {
  long double q, f;
  if (Kind() == TBudgetKind::WorkItems) {
    q = StrToNum(ProypGrid->Cells(2, 1));
    f = StrToNum(ProypGrid->Cells(5, 1));
  } else {
    q = StrToNum(ProypGrid->Cells(4, 1));
    f = 1 - static_cast<long double>(StrToNum(ProypGrid->Cells(5, 1))) / 100;
  }
  if (q == 0)
    Put(*ProypGrid, 5, 1, "");
  else if (q > 0)
    Put(*ProypGrid, OfferCostCol, 1, FormatNumNoBlanks(17, 2, Style(), CheckB54(static_cast<double>(q * f))));
}

void TUproypFrm::SigmaBtnClick(TObject*) {
  const int col = Mode == 0 ? 4 : 6;
  long double sum = 0;
  for (int row = ProypGrid->Row(); row >= 1; --row) {
    const AnsiString cell = ProypGrid->Cells(col, row);
    if (cell.empty()) break;
    sum += StrToNum(cell);
  }
  LabelQ->SetCaption(FormatNum(17, CostDecimals, Style(), static_cast<double>(sum)));
}

// ---- the totals grid -------------------------------------------------------------------

void TUproypFrm::SumaGridValidate(int ACol, int ARow) {
  const double s = StrToNum(SumaGrid->Cells(4, 1));
  double p = StrToNum(SumaGrid->Cells(3, 2));
  if (p >= 100) p = 0;
  if (ACol == 3 && ARow == 2 && p >= 0 && SumaGrid->Cells(3, 8).empty()) SumaGrid->SetCells(3, 8, Result(p));
  const double g = CheckB54(static_cast<long double>(s) * p / 100);
  SumaGrid->SetCells(4, 2, Result(g));
  SumaGrid->SetCells(4, 3, Result(static_cast<long double>(s) + g));
  const double a = StrToNum(SumaGrid->Cells(3, 7));
  SumaGrid->SetCells(3, 7, Result(a));
  SumaGrid->SetCells(4, 7, SumaGrid->Cells(3, 7));
  const double q = StrToNum(SumaGrid->Cells(3, 8));
  AsphaltAmount = a;
  AsphaltOverheadPercent = q;
  AsphaltOverheadAmount = static_cast<long double>(a) * q / 100;
  SumaGrid->SetCells(4, 8, Result(AsphaltOverheadAmount));
}

void TUproypFrm::SumaGridExit(TObject*) { resum(true); }

void TUproypFrm::SumaGridKeyPress(TObject*, char& Key) {
  const int row = SumaGrid->Row();
  const bool open = SumaGrid->Col() == 3 && (row == 2 || row == 4 || row == 6 || row == 7 || row == 8);
  static const std::string_view allowed =
      "\b\t\r\x1b"
      "0123456789$%()*+,-./:";
  if (!open || allowed.find(Key) == std::string_view::npos) Key = 0;
}

void TUproypFrm::SumaGridDrawCell(TObject*, int ACol, int ARow, const TRect& Rect, TGridDrawState State) {
  TCanvas& canvas = SumaGrid->Canvas();
  // The font colour goes with the brush, so that no text stands dark on the
  // highlight.
  if (State.Contains(gdSelected) && !State.Contains(gdFixed)) {
    canvas.Brush->Color = clHighlight;
    canvas.Font->Color = clHighlightText;
  } else {
    canvas.Brush->Color = State.Contains(gdFixed) ? SumaGrid->FixedColor() : SumaGrid->Color();
    canvas.Font->Color = SumaGrid->Font().Color;
  }
  if (ACol == 4 && ARow >= 1) {
    canvas.Brush->Color = clSilver;
    canvas.Font->Color = SumaGrid->Font().Color;
  }
  canvas.FillRect(Rect);
  canvas.Brush->Style = bsClear;
  const AnsiString text = SumaGrid->Cells(ACol, ARow);
  if (ACol >= 3 && ACol <= 6)
    canvas.TextOut(Rect.Right - 2 - canvas.TextWidth(text), Rect.Top + 2, text);
  else
    canvas.TextOut(Rect.Left + 2, Rect.Top + 2, text);
  canvas.Brush->Style = bsSolid;
}
