// The grid's cell painter: the colours and font of a cell, its fixed look,
// borders, tree lines and focus frame, and the grid-wide steps around it
// (the outline of the cell being edited, the column-sizing line, zoom).

#include <algorithm>
#include <cmath>

#include "grid/EsgHTMLE.h"
#include "grid/ExtGrid.h"
#include "grid/GridUtil.h"
#include "grid/PictureContainer.h"
#include "platform/gfx/FrameControls.h"

namespace {

void Line(TCanvas& c, int x1, int y1, int x2, int y2) {
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

}  // namespace

THTMLPictureCache& TExtStringGrid::PictureCache() {
  if (!pictureCache_) pictureCache_ = std::make_unique<THTMLPictureCache>();
  return *pictureCache_;
}

void TExtStringGrid::SetRowIndicator(const TBitmap& v) {
  AssignBitmap(rowIndicator_, v);
  if (ColCount() > 0 && RowCount() > 0) RepaintCell(0, Row());
}

// ---- colours ------------------------------------------------------------------------

void TExtStringGrid::ApplyCellLook(int ACol, int ARow, TBrush& ABrush, TFont& AFont) {
  const TCellProperties* props = FindCellProperties(ACol, ARow);
  if (!props) return;
  if (props->BrushColor() != clNotSet) ABrush.Color = props->BrushColor();
  if (props->FontColor != clNotSet) AFont.Color = props->FontColor;
  if (props->FontStyle != 0) AFont.Style = props->FontStyle;
  if (props->FontSize != 0) AFont.SetSize(props->FontSize);
  if (!props->FontName.empty()) AFont.Name = props->FontName;
}

void TExtStringGrid::GetCellColors(int ACol, int ARow, TGridDrawState AState, bool Printing, bool Option1,
                                   bool Option2, TBrush& ABrush, TFont& AFont) {
  TAlignment hAlign;
  TVAlignment vAlign;
  GetCellColors(ACol, ARow, AState, Printing, Option1, Option2, ABrush, AFont, hAlign, vAlign);
}

void TExtStringGrid::GetCellColors(int ACol, int ARow, TGridDrawState& AState, bool Printing,
                                   bool SelectionPass, bool MapColumn, TBrush& ABrush, TFont& AFont,
                                   TAlignment& HAlign, TVAlignment& VAlign) {
  const int realCol = MapColumn ? RealColIndex(ACol) : ACol;
  const int displCol = MapColumn ? ACol : DisplColIndex(ACol);
  const bool inFixedArea = displCol < FixedCols() || ARow < FixedRows();
  AFont.Assign(Printing ? printSettings_->Font : inFixedArea ? fixedFont_ : Font());

  ABrush.Color = clNotSet;
  ApplyCellLook(realCol, ARow, ABrush, AFont);
  if (ABrush.Color == clNotSet) {
    ABrush.Color = Color();
    if (bands_->Active() && (!Printing || bands_->Print) && realCol >= FixedCols() &&
        realCol < StoreCols() - fixedRightCols_ && ARow >= FixedRows() && ARow < RowCount() - fixedFooters_)
      ABrush.Color = bands_->RowColor(ARow - FixedRows());
  }

  bool fixed = inFixedArea;
  if (!fixed) IsFixedCell(realCol, ARow, fixed);
  if (fixed && !Printing) {
    ABrush.Color = FixedColor();
    AFont.Color = fixedFont_.Color;
    AState << gdFixed;
  }
  if (Printing)
    GetCellPrintColor(realCol, ARow, AState, ABrush, AFont);
  else
    GetCellColor(realCol, ARow, AState, ABrush, AFont);

  auto applySelection = [&] {
    if (selectionColor_ != clNotSet) ABrush.Color = selectionColor_;
    if (selectionTextColor_ != clNotSet) AFont.Color = selectionTextColor_;
    AState << gdSelected;
  };
  const bool selected = AState.Contains(gdSelected);
  if (SelectionPass && !Printing && showSelection_ && !fixed) {
    // During a plain click that restarts the disjunct selection the clicked
    // line shows as the click selects it, not as the list holds it.
    auto disjunct = [&](bool inList, bool current) {
      if (PlainClickSelect && current) {
        if (!inList && selected) applySelection();
      } else if (inList) {
        applySelection();
      }
    };
    if (mouseActions_->DisjunctRowSelect())
      disjunct(RowSelect(ARow), ARow == Row());
    else if (mouseActions_->DisjunctColSelect())
      disjunct(ColSelect(displCol), displCol == Col());
    else if (IsCellSelected(displCol, ARow))
      applySelection();
  }
  if (PlainClickSelect && AState.Contains(gdSelected)) applySelection();
  if (mouseActions_->DisjunctCellSelect() &&
      std::find(SelectedCells.begin(), SelectedCells.end(), TGridCoord{realCol, ARow}) != SelectedCells.end())
    applySelection();
  CellAlignment(realCol, ARow, HAlign, VAlign);
}

// ---- display texts -------------------------------------------------------------------

AnsiString TExtStringGrid::GetFloatDisplayText(int ACol, int ARow) {
  const AnsiString text = GetCellText(ACol, ARow);
  if (!OnGetFloatFormat) return text;
  bool isFloat = ClassifyNumberText(text) <= 1;
  AnsiString format = FloatFormat;
  OnGetFloatFormat(this, ACol, ARow, isFloat, format);
  if (!isFloat) return text;
  // A text the event calls a number but that reads as none stays as it is:
  // painting never raises.
  try {
    return Format(format, {GetCellFloat(ACol, ARow)});
  } catch (const Exception&) {
    return text;
  }
}

AnsiString TExtStringGrid::GetCellDisplayText(int ACol, int ARow) {
  AnsiString text = GetCellText(ACol, ARow);
  bool state = false;
  if (text.empty() && GetCellType(ACol, ARow) == ctCheckBox && GetCheckBoxState(ACol, ARow, state))
    text = state ? GetCheckTrue(ACol, ARow) : GetCheckFalse(ACol, ARow);
  if (!KeepHTMLTags) text = StripHTML(text);
  return text;
}

// ---- the cell painter ---------------------------------------------------------------

void TExtStringGrid::DrawCellContent(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect,
                                     TGridDrawState AState) {
  const int realCol = RealColIndex(ACol);
  TAlignment hAlign;
  TVAlignment vAlign;
  GetCellColors(ACol, ARow, AState, false, false, true, *ACanvas.Brush, *ACanvas.Font, hAlign, vAlign);
  int gw = 0, gh = 0;
  bool textShown = true;
  TCellHAlign gHAlign = haLeft;
  TCellVAlign gVAlign = vaTop;
  TCellGraphic* graphic = GetCellGraphicInfo(realCol, ARow, gw, gh, textShown, gHAlign, gVAlign);
  const bool fixed = AState.Contains(gdFixed);
  if (AState.Contains(gdSelected) && !AState.Contains(gdFocused) && selectionColor_ == clNotSet)
    ACanvas.Brush->Color = clHighlight;
  if (zoomStep_ != 0) ACanvas.Font->SetSize(ACanvas.Font->Size() + zoomStep_);

  TRect r = ARect;
  int indicatorWidth = 0;
  if (realCol == 0 && ARow == Row() && FixedCols() > 0 && !rowIndicator_.Empty()) {
    DrawBitmapTransparent(ACanvas, rowIndicator_, FixedColor(), r);
    indicatorWidth = rowIndicator_.Width();
    r.Left += indicatorWidth;
  }
  const TColor savedBrush = ACanvas.Brush->Color, savedFont = ACanvas.Font->Color;
  if (fixed && look_ == glQir && !flat_) DrawGradient(ACanvas, GradientFrom, GradientTo, 10, r, false);

  int textWidth = 0;
  DrawCellText(ACanvas, ACol, ARow, r, AState, hAlign, vAlign, gw, gh, textShown, gHAlign, gVAlign,
               savedBrush, savedFont, textWidth);

  ACanvas.Brush->Color = savedBrush;
  ACanvas.Font->Color = savedFont;
  r = Rect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
  DrawCellBorders(ACanvas, realCol, ARow, r);
  r.Left -= indicatorWidth;

  if (fixed && !flat_) DrawFixedLook(ACanvas, ACol, ARow, r);
  if (flat_ && realCol >= StoreCols() - fixedRightCols_ && look_ != glClassic) {
    ACanvas.Pen->Color = clBlack;
    ACanvas.Pen->Width = 1;
    const TGridOptions options = Options();
    if (options.Contains(goFixedHorzLine)) {
      Line(ACanvas, r.Left - 1, r.Top - 1, r.Right + 1, r.Top - 1);
      Line(ACanvas, r.Left - 1, r.Bottom + 1, r.Right + 1, r.Bottom + 1);
    }
    if (options.Contains(goFixedVertLine)) {
      Line(ACanvas, r.Left - 1, r.Top - 1, r.Left - 1, r.Bottom + 1);
      Line(ACanvas, r.Right + 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
    }
  }
  if (HasNodes() && cellNode_->ShowTree() && realCol == 0 && ARow >= FixedRows())
    DrawTreeLines(ACanvas, ARow, r);
  if (graphic) DrawCellGraphic(ACanvas, ACol, ARow, *graphic, r, textWidth, hAlign, AState);

  if (OnDrawCell)
    OnDrawCell(this, realCol, ARow,
               Rect(r.Left + 1, r.Top + 1, r.Right - GridLineWidth(), r.Bottom - GridLineWidth()), AState);
  if (OnCustomCellDraw) OnCustomCellDraw(this, ACanvas, realCol, ARow, AState, r, false);

  if (!HideFocusRect && BaseCell(ACol, ARow) == TPoint{Col(), Row()} && GridFocused() &&
      !Options().Contains(goRowSelect)) {
    const int grow = GridLineWidth() - 1;
    TRect focus = Rect(r.Left - grow, r.Top - grow, r.Right + grow - 1, r.Bottom + grow - 1);
    ACanvas.DrawFocusRect(focus);
  }
}

void TExtStringGrid::DrawGradient(TCanvas& ACanvas, TColor From, TColor To, int Count, const TRect& R,
                                  bool Horizontal) {
  if (Count <= 0) return;
  const TColor from = ColorToRGB(From), to = ColorToRGB(To);
  auto mix = [&](int component, int i) {
    const int a = (from >> component) & 0xFF, b = (to >> component) & 0xFF;
    return static_cast<TColor>(a + static_cast<int>(std::lround(i * (b - a) / static_cast<double>(Count))))
           << component;
  };
  const int length = Horizontal ? R.Right - R.Left : R.Bottom - R.Top;
  const int band = static_cast<int>(std::lround(length / static_cast<double>(Count))) + 1;
  const TBrush saved = *ACanvas.Brush;
  ACanvas.Brush->Style = bsSolid;
  for (int i = 0; i < Count; ++i) {
    ACanvas.Brush->Color = mix(0, i) | mix(8, i) | mix(16, i);
    const int start = static_cast<int>(std::lround(i * length / static_cast<double>(Count)));
    ACanvas.FillRect(Horizontal ? Rect(R.Left + start, R.Top, R.Left + start + band, R.Bottom)
                                : Rect(R.Left, R.Top + start, R.Right, R.Top + start + band));
  }
  *ACanvas.Brush = saved;
}

void TExtStringGrid::GetCellBorder(int ACol, int ARow, TPen& APen, TCellBorders& Borders) {
  if (OnGetCellBorder) OnGetCellBorder(this, ARow, ACol, APen, Borders);
}

void TExtStringGrid::GetCellPrintColor(int ACol, int ARow, TGridDrawState AState, TBrush& ABrush,
                                       TFont& AFont) {
  if (OnGetCellPrintColor) OnGetCellPrintColor(this, ARow, ACol, AState, ABrush, AFont);
}

void TExtStringGrid::GetCellPrintBorder(int ACol, int ARow, TPen& APen, TCellBorders& Borders) {
  if (OnGetCellPrintBorder) OnGetCellPrintBorder(this, ARow, ACol, APen, Borders);
}

void TExtStringGrid::DrawCellBorders(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect) {
  const TPen saved = *ACanvas.Pen;
  TCellBorders borders;
  GetCellBorder(ACol, ARow, *ACanvas.Pen, borders);
  if (!borders.Empty()) {
    TPen left = *ACanvas.Pen, top = left, right = left, bottom = left;
    if (OnGetCellBorderProp) OnGetCellBorderProp(this, ARow, ACol, left, top, right, bottom);
    const int inset = (ACanvas.Pen->Width + 1) / 2;
    const TRect r = Rect(ARect.Left + inset, ARect.Top + inset, ARect.Right - inset, ARect.Bottom - inset);
    auto side = [&](TCellBorder which, const TPen& pen, int x1, int y1, int x2, int y2) {
      if (!borders.Contains(which)) return;
      *ACanvas.Pen = pen;
      Line(ACanvas, x1, y1, x2, y2);
    };
    side(cbLeft, left, r.Left, r.Top, r.Left, r.Bottom);
    side(cbRight, right, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
    side(cbTop, top, r.Left, r.Top, r.Right, r.Top);
    side(cbBottom, bottom, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
  }
  *ACanvas.Pen = saved;
}

void TExtStringGrid::DrawFixedLook(TCanvas& ACanvas, int, int, TRect R) {
  ACanvas.Pen->Width = 1;
  if (look_ == glClassic) {
    TRect edge = R;
    DrawEdge(ACanvas, edge, BDR_RAISEDINNER, BF_LEFT);
    edge = R;
    DrawEdge(ACanvas, edge, BDR_RAISEDINNER, BF_TOP);
    edge = R;
    DrawEdge(ACanvas, edge, EDGE_RAISED, BF_RIGHT | BF_BOTTOM);
    ACanvas.Pen->Color = clBlack;
    ACanvas.MoveTo(R.Right - 1, R.Top);
    ACanvas.LineTo(R.Right - 1, R.Bottom - 1);
    ACanvas.LineTo(R.Left - 1, R.Bottom - 1);
    return;
  }
  if (look_ != glQir && look_ != glSoft) return;
  R = Rect(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom);
  const TColor dark = DarkerColor(FixedColor());
  const TGridOptions options = Options();
  if (look_ == glQir || options.Contains(goFixedHorzLine)) {
    ACanvas.Pen->Color = dark;
    Line(ACanvas, R.Left, R.Bottom - 1, R.Right - 1, R.Bottom - 1);
    ACanvas.Pen->Color = clWhite;
    ACanvas.MoveTo(R.Right, R.Top + 1);
    ACanvas.LineTo(R.Left + 1, R.Top + 1);
    ACanvas.LineTo(R.Left + 1, R.Bottom - 1);
  }
  if (look_ == glSoft && options.Contains(goFixedVertLine)) {
    ACanvas.Pen->Color = dark;
    Line(ACanvas, R.Right - 2, R.Top, R.Right - 2, R.Bottom - 1);
    ACanvas.Pen->Color = clWhite;
    Line(ACanvas, R.Right - 1, R.Top, R.Right - 1, R.Bottom - 1);
  }
}

// The row's place in its node group comes from the node above it, not from
// a walk over the grid.
void TExtStringGrid::DrawTreeLines(TCanvas& ACanvas, int ARow, const TRect& R) {
  ACanvas.Pen->Color = clSilver;
  ACanvas.Pen->Width = 1;
  const int middle = (R.Top + R.Bottom) / 2;
  Line(ACanvas, R.Left - 8, middle, R.Left, middle);
  switch (NodePosition(ARow)) {
    case 1:
      Line(ACanvas, R.Left - 8, R.Top, R.Left - 8, middle);
      break;
    case 2:
      Line(ACanvas, R.Left - 8, R.Top, R.Left - 8, R.Bottom + 4);
      break;
    default:
      break;
  }
}

// ---- grid-wide ------------------------------------------------------------------------

void TExtStringGrid::Paint() {
  TCanvas& canvas = Canvas();
  canvas.Pen->Style = psSolid;
  TBaseGrid::Paint();
  // The spin, combo, date and other editors of a cell are outlined as the
  // text editor is.
  const TWinControl* special = editorActive_ ? EditorControl() : nullptr;
  if (EditorMode() || (special && special->Visible())) {
    const TGridOptions options = Options();
    const bool lines = GridLineWidth() >= 1 && (options.Contains(goVertLine) || options.Contains(goHorzLine));
    canvas.Pen->Color = lines ? GridLineColor() : Color();
    canvas.Pen->Width = 1;
    const TBrushStyle style = canvas.Brush->Style;
    canvas.Brush->Style = bsClear;
    canvas.Rectangle(CellRect(Col(), Row()));
    canvas.Brush->Style = style;
  }
  canvas.Pen->Color = clBlack;
  if (updateCount_ == 0) PaintFlatBorder();
}

void TExtStringGrid::PaintFlatBorder() {
  if ((look_ != glSoft && look_ != glQir) || BorderStyle() == bsNone || flat_) return;
  // The frame stands where the system draws the window's edge: a grey line
  // one pixel in, and the edge itself in the colour around the grid.
  TCanvas& canvas = Canvas();
  const TRect clip = canvas.ClipRect(), inside = Rect(2, 2, Width() - 2, Height() - 2);
  if (IntersectRect(clip, inside) == clip) return;
  const TPen saved = *canvas.Pen;
  const TBrushStyle style = canvas.Brush->Style;
  canvas.Brush->Style = bsClear;
  canvas.Pen->Style = psSolid;
  canvas.Pen->Width = 1;
  canvas.Pen->Mode = pmCopy;
  if (Parent()) {
    canvas.Pen->Color = Parent()->Color();
    canvas.Rectangle(Rect(0, 0, Width(), Height()));
  }
  canvas.Pen->Color = static_cast<TColor>(0x808080);
  canvas.Rectangle(Rect(1, 1, Width() - 1, Height() - 1));
  canvas.Brush->Style = style;
  *canvas.Pen = saved;
}

void TExtStringGrid::DrawSizingLine(int X) {
  TCanvas& canvas = Canvas();
  const TPen saved = *canvas.Pen;
  canvas.Pen->Style = psDot;
  canvas.Pen->Mode = pmXor;
  canvas.Pen->Width = 1;
  canvas.Pen->Color = clBlack;
  int bottom = ClientHeight();
  if (RowCount() > 0 && ColCount() > 0) bottom = std::min<int>(bottom, CellRectEx(0, RowCount() - 1).Bottom);
  canvas.MoveTo(X, 0);
  canvas.LineTo(X, bottom);
  *canvas.Pen = saved;
}
