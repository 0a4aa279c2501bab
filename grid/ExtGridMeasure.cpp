// The size a cell's content needs when drawn: plain lines, mini-HTML, text
// wrapped to the column, and rotated text's bounding box. Draws nothing.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "grid/EsgHTMLE.h"
#include "grid/EsgUni.h"
#include "grid/ExtGrid.h"
#include "grid/GridUtil.h"
#include "grid/PictureContainer.h"

namespace {

// The box a w × h rectangle turned by Angle degrees takes, plus the margin
// of rotated text; each product is cut to whole pixels first.
TPoint RotatedBox(int Angle, TPoint Size) {
  const long double a = Angle * std::numbers::pi_v<long double> / 180;
  const long double s = std::fabs(std::sin(a)), c = std::fabs(std::cos(a));
  auto whole = [](long double v) { return static_cast<int>(v); };
  return {whole(s * Size.Y) + whole(c * Size.X) + 12, whole(c * Size.Y) + whole(s * Size.X) + 12};
}

}  // namespace

void TExtStringGrid::GetCellTextSize(int ACol, int ARow, bool FitToColumn, TPoint& Size) {
  const int realCol = RealColIndex(ACol);
  AnsiString text = GetCellText(realCol, ARow);
  int kind = ClassifyCellText(text, EnableHTML);
  TCanvas& canvas = Canvas();
  TGridDrawState state;
  TAlignment hAlign;
  TVAlignment vAlign;
  GetCellColors(ACol, ARow, state, false, true, true, *canvas.Brush, *canvas.Font, hAlign, vAlign);
  if (zoomStep_ != 0) canvas.Font->SetSize(canvas.Font->Size() + zoomStep_);
  if (kind == ctkFormula) text = GetCellTextForSort(realCol, ARow);
  const int h = XYOffset.X, v = XYOffset.Y;

  if (kind == ctkHTML) {
    const TRect bounds = Rect(0, 0, FitToColumn ? ColWidths(ACol) - 4 : 65535, 65535);
    AnsiString hitAnchor, plainText, focusedHref, controlID, controlValue, controlType;
    int extentX = 0, extentY = 0, anchorCount = 0, mouseAnchor = 0;
    TRect anchorRect, controlRect;
    HTMLDraw(canvas, text, bounds, gridImages_, 0, 0, -1, 0, 1, false, true, false, true, true, false,
             !EnhTextSize, false, 0, URLColor(), clNotSet, clNotSet, clGray, hitAnchor, plainText,
             focusedHref, extentX, extentY, anchorCount, mouseAnchor, anchorRect, controlRect, controlID,
             controlValue, controlType, &PictureCache(), pictureContainer_,
             HandleAllocated() ? Handle() : nullptr);
    Size = {extentX + 2 + 2 * h, extentY + 2 + 2 * v};
    return;
  }

  if (kind == ctkRTF) {
    Size = RichCellSize(realCol, ARow, FitToColumn ? CellRectEx(ACol, ARow).Width() : 0);
    return;
  }
  if (kind == ctkUnicode) {
    // As the painter lays it out: wrapped, on its lines, or its first line.
    unsigned flags = DT_CALCRECT | DT_NOPREFIX;
    WideString wide = WideFromCellText(text);
    if (FitToColumn && WrapsText(realCol, ARow))
      flags |= DT_WORDBREAK | DT_EDITCONTROL;
    else if (!Multilinecells)
      flags |= DT_SINGLELINE;
    if (!Multilinecells && !(flags & DT_WORDBREAK)) wide = FirstWideLine(wide);
    const TRect cell = CellRectEx(ACol, ARow);
    TRect r = FitToColumn ? Rect(cell.Left + h + 1, cell.Top + v + 1, cell.Right - h - 1, cell.Bottom - v - 1)
                          : Rect(0, 0, 0, 0);
    const int width = r.Right - r.Left;
    canvas.DrawTextW(wide, r, flags);
    Size = {(FitToColumn ? width : r.Right - r.Left) + 2 * h, r.Bottom - r.Top + 2 * v};
    return;
  }
  if (FitToColumn) {
    const TRect cell = CellRectEx(ACol, ARow);
    TRect r = Rect(cell.Left + h + 1, cell.Top + v + 1, cell.Right - h - 1, cell.Bottom - v - 1);
    const int width = r.Right - r.Left;
    // While the cell is edited a final line feed opens a line that counts.
    if (EditorMode() && ACol == Col() && ARow == Row() && !text.empty() && text.back() == '\n') text += "w";
    canvas.DrawText(text, r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
    Size = {width + 2 * h, r.Bottom - r.Top + 2 * v};
  } else {
    int lines = 0, widest = 0;
    AnsiString rest = text, line;
    bool last = false;
    do {
      last = rest.find('\r') == AnsiString::npos;
      ExtractFirstLine(rest, Multilinecells, line);
      if (URLShow() && !URLFull()) StripURLScheme(line);
      widest = std::max(widest, canvas.TextWidth(line) + 2 * h);
      ++lines;
    } while (Multilinecells && !last && !rest.empty());
    Size = {widest, lines * canvas.TextHeight("gh") + 2 * v};
  }
  int angle = 0;
  if (GetRotated(realCol, ARow, angle)) Size = RotatedBox(angle, Size);
}
