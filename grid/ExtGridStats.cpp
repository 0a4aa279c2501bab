// Operations that read many cells at once or size cells to their contents:
// column statistics, the selection as text, automatic column and row sizes,
// zooming and the origin of rotated cell text.

#include <algorithm>
#include <cmath>

#include "grid/EsgHTMLE.h"
#include "grid/EsgUni.h"
#include "grid/ExtGrid.h"
#include "grid/GridUtil.h"
#include "platform/rtl/SysUtils.h"

// ---- statistics ------------------------------------------------------------------------------

double TExtStringGrid::ColumnSum(int ACol, int FromRow, int ToRow) {
  double sum = 0;
  for (int r = FromRow; r <= ToRow; ++r)
    sum = static_cast<double>(static_cast<Extended>(sum) + GetCellFloat(ACol, r));
  return sum;
}

double TExtStringGrid::ColumnAvg(int ACol, int FromRow, int ToRow) {
  if (ToRow < FromRow) return 0;
  return static_cast<double>(static_cast<Extended>(ColumnSum(ACol, FromRow, ToRow)) / (ToRow - FromRow + 1));
}

double TExtStringGrid::ColumnMin(int ACol, int FromRow, int ToRow) {
  double result = GetCellFloat(ACol, FromRow);
  for (int r = FromRow + 1; r <= ToRow; ++r) result = std::min(result, GetCellFloat(ACol, r));
  return result;
}

double TExtStringGrid::ColumnMax(int ACol, int FromRow, int ToRow) {
  double result = GetCellFloat(ACol, FromRow);
  for (int r = FromRow + 1; r <= ToRow; ++r) result = std::max(result, GetCellFloat(ACol, r));
  return result;
}

// ---- text ----------------------------------------------------------------------------------------

void TExtStringGrid::GetCellPlainText(int ACol, int ARow, AnsiString& S) {
  S = StripHTML(GetCellText(ACol, ARow));
}

bool TExtStringGrid::IsSelected(int ACol, int ARow) {
  if (ACol >= FixedCols() && ARow >= RowCount() && mouseActions_->DisjunctRowSelect())
    throw EExtGridError("Invalid row accessed");
  return IsCellSelected(ACol, ARow);
}

void TExtStringGrid::GetSelectionAsText(AnsiString& S) {
  TGridRect sel = Selection();
  if (Options().Contains(goRowSelect) && dragDropSettings_->OleEntireRows) {
    sel.Left = 0;
    sel.Right = ColCount() - 1;
  }
  S.clear();
  auto addRow = [&](int r) {
    for (int c = sel.Left; c <= sel.Right; ++c) {
      const int realCol = RealColIndex(c);
      S += CellPlainText(realCol, r, GetCellText(realCol, r));
      if (c < sel.Right) S += '\t';
    }
    if (r != sel.Bottom) S += "\r\n";
  };
  if (mouseActions_->DisjunctRowSelect()) {
    for (int r = FixedRows(); r < RowCount(); ++r)
      if (RowSelect(r)) addRow(r);
  } else {
    for (int r = sel.Top; r <= sel.Bottom; ++r) addRow(r);
  }
}

// ---- sizing ----------------------------------------------------------------------------------------

TSize TExtStringGrid::CellTextExtent(int ACol, int ARow, bool WordWrap) {
  AnsiString text = GetCellText(ACol, ARow);
  if (EnableHTML && ClassifyCellText(text, true) == ctkHTML) GetCellPlainText(ACol, ARow, text);
  if (text.empty()) return TSize{0, 0};
  const int displCol = DisplColIndex(ACol);
  const int room = displCol >= 0 && displCol < ColCount()
                       ? ColWidths(displCol) - 2 * (GridLineWidth() + 1) - XYOffset.X
                       : DefaultColWidth();
  const int width = WordWrap ? std::max(1, room) : 0x3FFFFFFF;
  const int kind = ClassifyCellText(text, false);
  // Rich text takes the room its formatted lines need with the margin it
  // keeps inside the cell; wide text is measured as the characters it holds.
  if (kind == ctkRTF) {
    const TPoint size = RichCellSize(ACol, ARow, WordWrap ? width : 0);
    return TSize{size.X, size.Y};
  }
  TRect r = Rect(0, 0, width, 0);
  const unsigned flags = DT_CALCRECT | DT_NOPREFIX | (WordWrap ? DT_WORDBREAK : 0);
  if (kind == ctkUnicode)
    Canvas().DrawTextW(WideFromCellText(text), r, flags);
  else
    Canvas().DrawText(text, r, flags);
  return TSize{r.Right - r.Left, r.Bottom - r.Top};
}

namespace {
// The canvas font of a cell being measured: fixed or normal, as the
// colour hook leaves it, grown by the zoom step.
void MeasureFont(TExtStringGrid& g, int ACol, int ARow) {
  TCanvas& canvas = g.Canvas();
  const bool fixed = ACol < g.FixedCols() || ARow < g.FixedRows();
  canvas.Font->Assign(fixed ? g.FixedFont() : g.Font());
  g.GetCellColor(ACol, ARow, fixed ? TGridDrawState{gdFixed} : TGridDrawState{}, *canvas.Brush, *canvas.Font);
  canvas.Font->SetSize(canvas.Font->Size() + g.ZoomStep());
}
}  // namespace

void TExtStringGrid::AutoSizeCol(int ACol, bool OnlyWider) {
  const int frame = 2 * (GridLineWidth() + 1);
  int need = 0;
  for (int r = 0; r < RowCount(); ++r) {
    if (IsXMergedCell(ACol, r)) continue;
    MeasureFont(*this, ACol, r);
    const TCellGraphic* graphic = GetCellGraphic(ACol, r);
    const int graphicWidth = graphic ? GetCellGraphicSize(ACol, r).X : 0;
    int w = graphicWidth + CellTextExtent(ACol, r, false).cx;
    if (graphic && graphic->CellVAlign == vaFull) w = graphicWidth - (frame + XYOffset.X);
    need = std::max(need, w);
  }
  int width = frame + need + XYOffset.X;
  DoUpdateColumnSize(ACol, width);
  width = LimitValue(width, MinColWidth, MaxColWidth);
  if (OnlyWider && width <= ColWidths(ACol)) return;
  SetColWidths(ACol, width);
}

void TExtStringGrid::AutoSizeRow(int ARow) {
  const int frame = 2 * (GridLineWidth() + 1);
  int need = 0;
  for (int c = 0; c < ColCount(); ++c) {
    if (IsYMergedCell(c, ARow) || !IsBaseCell(c, ARow)) continue;
    MeasureFont(*this, c, ARow);
    const TCellGraphic* graphic = GetCellGraphic(c, ARow);
    const int graphicHeight = graphic ? GetCellGraphicSize(c, ARow).Y : 0;
    int h = graphicHeight + CellTextExtent(c, ARow, WordWrap()).cy;
    if (graphic && graphic->CellVAlign == vaFull) h = graphicHeight - (frame + XYOffset.Y);
    need = std::max(need, h);
  }
  SetRowHeights(ARow, LimitValue(2 * GridLineWidth() + need + XYOffset.Y, MinRowHeight, MaxRowHeight));
}

void TExtStringGrid::AutoSizeColumns(bool DoFixedCols, int Extra) {
  BeginUpdate();
  for (int c = DoFixedCols ? 0 : FixedCols(); c < ColCount(); ++c) {
    AutoSizeCol(c);
    if (Extra != 0) SetColWidths(c, LimitValue(ColWidths(c) + Extra, MinColWidth, MaxColWidth));
  }
  EndUpdate();
}

void TExtStringGrid::SetRowHeightByLines(int ARow, int Lines, int Extra) {
  Canvas().Font->Assign(Font());
  const int h = Canvas().TextHeight("gh");
  SetRowHeights(ARow, LimitValue(Lines * (h + h / 8) + Extra, MinRowHeight, MaxRowHeight));
}

int TExtStringGrid::MaxLinesInRow(int ARow) {
  if (!Multilinecells || ColCount() < 1) return 1;
  int lines = 1;
  for (int c = 0; c < ColCount(); ++c) lines = std::max(lines, LineCount(GetCellText(c, ARow), true));
  return lines;
}

void TExtStringGrid::Zoom(int Delta) {
  const int step = zoomStep_ + Delta;
  if (step < -10 || step > 10) return;
  zoomStep_ = step;
  BeginUpdate();
  for (int c = 0; c < ColCount(); ++c)
    if (ColWidths(c) + Delta > 0) SetColWidths(c, ColWidths(c) + Delta);
  for (int r = 0; r < RowCount(); ++r)
    if (RowHeights(r) + Delta > 0) SetRowHeights(r, RowHeights(r) + Delta);
  EndUpdate();
}

void TExtStringGrid::RotatedTextOrigin(TRect& R, int Angle, Byte VAlign, Byte HAlign,
                                       const AnsiString& Text) {
  Canvas().Font->Assign(Font());
  const TSize size = Canvas().TextExtent(Text);
  R.Right -= 2;
  R.Bottom -= 2;
  const Extended a = Angle * 3.14159265358979323846L / 180;
  // Halves to even, as the run-time rounds.
  auto part = [](Extended v) { return static_cast<int>(std::fabs(std::nearbyint(v))); };
  const int A = part(std::cos(a) * size.cx), B = part(std::sin(a) * size.cy);
  const int C = part(std::sin(a) * size.cx), D = part(std::cos(a) * size.cy);
  const int q = Angle <= 90 ? 1 : Angle <= 180 ? 2 : Angle <= 270 ? 3 : 4;
  const int W = R.Right - R.Left, H = R.Bottom - R.Top;
  const int vmid = (H - D - C) / 2;
  switch (HAlign) {
    case 0:
      R.Left += q == 1 ? 0 : q == 2 ? A : q == 3 ? B + A : B;
      break;
    case 1:
      R.Left = q == 1 ? R.Right - A - B : q == 2 ? R.Right - B : q == 3 ? R.Right : R.Right - A;
      break;
    case 2:
      R.Left = q == 1   ? R.Left + (W - B - A) / 2
               : q == 2 ? R.Right - (W + B - A) / 2
               : q == 3 ? R.Right - (W - B - A) / 2
                        : R.Left + (W + B - A) / 2;
      break;
    default:
      break;
  }
  switch (VAlign) {
    case 0:
      R.Top += q == 1 ? C : q == 2 ? C + D : q == 3 ? D : 0;
      break;
    case 1:
      R.Top += vmid + (q == 1 ? C : q == 2 ? C + D : q == 3 ? D : 0);
      break;
    case 2:
      R.Top = q == 1 ? R.Bottom - D : q == 2 ? R.Bottom : q == 3 ? R.Bottom - C : R.Bottom - D - C;
      break;
    default:
      break;
  }
  R.Left -= XYOffset.X;
  R.Top -= XYOffset.Y;
}

void TExtStringGrid::InvalidateCellRange(const TRect& R) {
  const TRect a = MergedCellRect(R.Left, R.Top), b = MergedCellRect(R.Right, R.Bottom);
  InvalidateRect(Rect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                      std::max(a.Bottom, b.Bottom)));
}
