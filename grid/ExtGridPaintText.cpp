// What a cell shows inside its borders: the selected look, the background
// bitmap, the selection frame, the text (plain or mini-HTML) beside the
// cell's graphic, and the sort glyph of a sorted column's header.

#include <algorithm>

#include "grid/EsgHTMLE.h"
#include "grid/EsgUni.h"
#include "grid/ExtGrid.h"
#include "grid/GridUtil.h"
#include "grid/PictureContainer.h"
#include "platform/ui/Windows.h"

namespace {

unsigned HAlignFlags(TAlignment a) {
  return a == taRightJustify ? DT_RIGHT : a == taCenter ? DT_CENTER : DT_LEFT;
}
unsigned VAlignFlags(TVAlignment a) {
  return a == vtaBottom ? DT_BOTTOM : a == vtaCenter ? DT_VCENTER : DT_TOP;
}

bool IsCheckKind(TCellType t) { return t == ctCheckBox || t == ctDataCheckBox || t == ctVirtCheckBox; }

}  // namespace

bool TExtStringGrid::WrapsText(int ACol, int ARow) const {
  const TCellProperties* props = FindCellProperties(ACol, ARow);
  return wordWrap_ || (props && props->WordWrap());
}

void TExtStringGrid::DrawCellText(TCanvas& ACanvas, int ACol, int ARow, TRect ARect, TGridDrawState AState,
                                  TAlignment HAlign, TVAlignment VAlign, int GraphicW, int GraphicH,
                                  bool TextShown, TCellHAlign GHAlign, TCellVAlign GVAlign, TColor SavedBrush,
                                  TColor SavedFont, int& TextWidth) {
  const int realCol = RealColIndex(ACol);
  const bool fixed = AState.Contains(gdFixed);
  const TGridOptions options = Options();
  TColor link = URLColor();

  bool inSelectionColour = false;
  bool selectionText = false;  // the text takes the selection's text colour
  const bool selectedLook = AState.Contains(gdSelected) ||
                            (RowSelect(ARow) && options.Contains(goRowSelect) && ACol >= FixedCols());
  if (selectedLook && (!AState.Contains(gdFocused) || options.Contains(goDrawFocusSelected))) {
    if (showSelection_) {
      if (selectionColor_ != clNotSet) ACanvas.Brush->Color = selectionColor_;
      if (selectionTextColor_ != clNotSet) ACanvas.Font->Color = selectionTextColor_;
      link = selectionTextColor_;
      inSelectionColour = true;
      selectionText = selectionTextColor_ != clNotSet;
    } else if (!GridFocused() || IsCheckKind(GetCellType(realCol, ARow))) {
      ACanvas.Brush->Color = SavedBrush;
      ACanvas.Font->Color = SavedFont;
      link = URLColor();
    }
  } else if (selectedLook && showSelection_ && !fixed && selectionColor_ != clNotSet &&
             selectionTextColor_ != clNotSet) {
    // The focused cell lies on the selection's background, painted in the
    // selection pass: its text takes the selection's text colour too, or it
    // would stand dark on dark.
    ACanvas.Font->Color = selectionTextColor_;
    link = selectionTextColor_;
    selectionText = true;
  }

  AnsiString text = GetFloatDisplayText(realCol, ARow);
  int kind = ClassifyCellText(text, EnableHTML);
  if (kind == ctkFormula) {
    text = GetCellTextForSort(realCol, ARow);
    kind = ctkPlain;
  }
  if (kind != ctkHTML && kind != ctkUnicode && kind != ctkRTF) kind = ctkPlain;
  if (IsPasswordCell(realCol, ARow)) FillStringChar(text, PasswordChar);

  const bool filterButton = ARow == 0 && GetCellStyle(realCol, ARow);
  if (filterButton) {
    EnsureGridBitmaps();
    DrawResourceBitmap(ACanvas, ACanvas.Brush->Color,
                       Rect(ARect.Right - 16, ARect.Top, ARect.Right, ARect.Bottom), "ESGFILT");
  }

  if (!PlainClickSelect && !fixed &&
      ((mouseActions_->DisjunctRowSelect() && !RowSelect(ARow)) ||
       (mouseActions_->DisjunctColSelect() && !ColSelect(ACol)))) {
    ACanvas.Brush->Color = SavedBrush;
    ACanvas.Font->Color = SavedFont;
    link = URLColor();
    inSelectionColour = false;
    selectionText = false;
    GetCellColor(realCol, ARow, AState, *ACanvas.Brush, *ACanvas.Font);
  }

  const TBackGroundCells cells = backGround_->Cells();
  if (!backGround_->Bitmap().Empty() && !inSelectionColour &&
      (fixed ? cells != bcNormal : cells != bcFixed)) {
    if (backGround_->Display() == bdFixed)
      DrawBackgroundFixed(ACanvas, ARect);
    else
      DrawBackgroundTiled(ACanvas, ACol, ARow, ARect, fixed);
  }
  DrawSelectionFrame(ACanvas, ACol, ARow, ARect);

  if (!TextShown) return;
  TRect r = Rect(ARect.Left + XYOffset.X, ARect.Top + XYOffset.Y, ARect.Right - 2, ARect.Bottom);
  int indent = 0;
  if (GraphicW > 0 || GraphicH > 0) {
    if (HAlign != taCenter) {
      if (GHAlign == haBeforeText) r.Left += GraphicW;
      if (GHAlign == haAfterText) r.Right -= GraphicW;
    }
    if (GVAlign == vaAboveText) r.Top += GraphicH;
    if (GVAlign == vaUnderText) r.Bottom -= GraphicH;
    if (GHAlign == haLeft || (GHAlign == haBeforeText && HAlign == taLeftJustify)) indent = GraphicW;
  }

  TSortSettings& sort = *sortSettings_;
  // The sort column, or a column of the index of a sort by several.
  const int indexPos = sortIndexes_.FindIndex(ACol);
  const bool sortRowCell = sort.Show && ARow == sort.Row() && RowCount() > 2 && FixedRows() >= 1 &&
                           (ACol == sort.Column || indexPos >= 0) &&
                           (ACol >= FixedCols() || sort.FixedCols) && (indexPos < 1 || sort.IndexShow);

  if (kind == ctkHTML) {
    if (filterButton) r.Right -= 18;
    if (sortRowCell) r.Right -= 10;
    AnsiString hitAnchor, plainText, focusedHref, controlID, controlValue, controlType;
    int extentX = 0, extentY = 0, anchorCount = 0, mouseAnchor = 0;
    TRect anchorRect, controlRect;
    // A pressed "BUTTON" control is drawn down: the renderer is given the
    // point pressed on it with the button held.
    const bool buttonDown = mouse_.ButtonControlDown.X == ACol && mouse_.ButtonControlDown.Y == ARow;
    const TPoint at = buttonDown ? mouse_.ButtonControlPoint : Point(r.Left, r.Top);
    const bool mouseDown =
        buttonDown || (GetKeyState(VK_LBUTTON) & 0x8000) != 0 || (GetKeyState(VK_RBUTTON) & 0x8000) != 0;
    HTMLDraw(ACanvas, text, r, gridImages_, at.X, at.Y, -1, 0, 1, false, false, false, false, !BlinkPhase(),
             false, !EnhTextSize, mouseDown, 0, link, clNotSet, clNotSet, clGray, hitAnchor, plainText,
             focusedHref, extentX, extentY, anchorCount, mouseAnchor, anchorRect, controlRect, controlID,
             controlValue, controlType, &PictureCache(), pictureContainer_, Handle());
    TextWidth = extentX;
  } else if (kind == ctkRTF || kind == ctkUnicode) {
    // A selected cell that is not focused keeps the highlight the cell
    // painter gave it.
    if (!(AState.Contains(gdSelected) && !AState.Contains(gdFocused) && selectionColor_ == clNotSet))
      ACanvas.FillRect(r);
    if (kind == ctkRTF) {
      // The rich text keeps its own margin inside the cell.
      const TRect cell = Rect(r.Left - XYOffset.X, r.Top - XYOffset.Y, r.Right + 2, r.Bottom);
      DrawRTFCell(realCol, ARow, ACanvas, cell, selectionText);
    } else {
      const TBrushStyle style = ACanvas.Brush->Style;
      ACanvas.Brush->Style = bsClear;
      WideString wide = WideFromCellText(text);
      unsigned flags = DT_NOPREFIX | HAlignFlags(HAlign) | VAlignFlags(VAlign);
      if (WrapsText(realCol, ARow)) {
        flags |= DT_WORDBREAK | DT_EDITCONTROL;
      } else if (Multilinecells) {
        flags |= DT_EDITCONTROL;
      } else {
        // One line, cut short with an ellipsis where the cell ends.
        wide = FirstWideLine(wide);
        flags |= DT_SINGLELINE | DT_END_ELLIPSIS;
      }
      TextWidth = ACanvas.TextWidthW(wide) + 2;
      ACanvas.DrawTextW(wide, r, flags);
      ACanvas.Brush->Style = style;
    }
  } else {
    if (sortRowCell && HAlign == taCenter) r = Rect(r.Left + 10, r.Top, r.Right + 10, r.Bottom);
    if (ARow == 0 && sort.Show && ACol == sort.Column) {
      if (HAlign == taLeftJustify)
        r.Right -= 14;
      else
        r.Left += 14;
    }
    if (URLShow() && IsURL(text)) {
      if (!URLFull()) StripURLScheme(text);
      ACanvas.Font->Style = ACanvas.Font->Style | fsUnderline;
      ACanvas.Font->Color = link;
    }
    const bool wrap = WrapsText(realCol, ARow);
    unsigned flags = DT_NOPREFIX | DT_EXPANDTABS | HAlignFlags(HAlign) | VAlignFlags(VAlign);
    if (wrap) {
      flags |= DT_WORDBREAK | DT_EDITCONTROL;
    } else if (LineCount(text, Multilinecells) == 1) {
      AnsiString rest = text, line;
      ExtractFirstLine(rest, false, line);
      text = line;
      flags |= DT_SINGLELINE;
      if (EnhTextSize) flags |= DT_END_ELLIPSIS;
    } else {
      flags |= DT_EDITCONTROL;
    }
    if (filterButton) r.Right -= 16;
    const TBrushStyle style = ACanvas.Brush->Style;
    ACanvas.Brush->Style = bsClear;
    if (GraphicW > 0 && !text.empty()) {
      TRect calc = r;
      ACanvas.DrawText(text, calc, flags | DT_CALCRECT);
      TextWidth = calc.Right - calc.Left + 2;
    }
    ACanvas.DrawText(text, r, flags);
    ACanvas.Brush->Style = style;
    int errFrom = 0, errLen = 0;
    GetCellError(realCol, ARow, errFrom, errLen);
    if (errLen > 0) DrawErrorUnderline(ACanvas, text, errLen, errFrom, ACanvas.TextHeight("gh"), r);
  }

  if (sortRowCell) {
    const int room = std::max(0, r.Right - r.Left - 16);
    const int w =
        std::clamp(kind == ctkHTML || kind == ctkUnicode ? TextWidth : ACanvas.TextWidth(text), 0, room);
    int x = r.Left + 8;
    if (HAlign == taLeftJustify) x = r.Left + w + 10 + indent;
    if (HAlign == taRightJustify) x = r.Right - w - 10;
    int y = (r.Top + r.Bottom) / 2;
    if (VAlign == vtaTop) y = r.Top + 8;
    if (VAlign == vtaBottom) y = r.Bottom - 8;
    DrawSortGlyph(ACanvas, ACol, x, y);
  }
}

void TExtStringGrid::DrawSortGlyph(TCanvas& ACanvas, int ACol, int X, int Y) {
  TSortSettings& sort = *sortSettings_;
  const int indexPos = sortIndexes_.FindIndex(ACol);
  if (sort.IndexShow && indexPos >= 0) {
    const bool up = TSortIndexList::AscendingOf(sortIndexes_.Items(indexPos));
    ACanvas.Brush->Color = sort.IndexColor;
    if (!sort.IndexUpGlyph().Empty() && !sort.IndexDownGlyph().Empty()) {
      TBitmap& glyph = up ? sort.IndexDownGlyph() : sort.IndexUpGlyph();
      DrawBitmapTransparent(ACanvas, glyph, ACanvas.Brush->Color,
                            Rect(X - 7, Y - 7, X - 7 + glyph.Width(), Y - 7 + glyph.Height()));
    } else {
      ACanvas.Pen->Color = clBlack;
      ACanvas.Brush->Style = bsSolid;
      if (up)
        ACanvas.Polygon({Point(X - 6, Y + 8), Point(X + 6, Y + 8), Point(X, Y - 4)});
      else
        ACanvas.Polygon({Point(X - 7, Y - 5), Point(X + 7, Y - 5), Point(X, Y + 8)});
    }
    const TBrushStyle style = ACanvas.Brush->Style;
    ACanvas.Brush->Style = bsClear;
    ACanvas.Font->Color = clBlack;
    ACanvas.Font->SetSize(6);
    ACanvas.TextOut(X - 2, up ? Y - 2 : Y - 4, IntToStr(indexPos + 1));
    ACanvas.Brush->Style = style;
    return;
  }
  const bool ascending = sort.Direction == sdAscending;
  if (!sort.UpGlyph().Empty() && !sort.DownGlyph().Empty()) {
    DrawBitmapTransparent(ACanvas, ascending ? sort.UpGlyph() : sort.DownGlyph(), ACanvas.Brush->Color,
                          Rect(X - 4, Y - 4, X + 4, Y + 4));
    return;
  }
  ACanvas.Pen->Width = 1;
  ACanvas.Pen->Color = clWhite;
  if (ascending) {
    ACanvas.MoveTo(X - 4, Y + 4);
    ACanvas.LineTo(X + 4, Y + 4);
    ACanvas.LineTo(X, Y - 4);
    ACanvas.Pen->Color = clGray;
    ACanvas.LineTo(X - 4, Y + 4);
  } else {
    ACanvas.MoveTo(X + 4, Y - 4);
    ACanvas.LineTo(X, Y + 4);
    ACanvas.Pen->Color = clGray;
    ACanvas.LineTo(X - 4, Y - 4);
    ACanvas.LineTo(X + 4, Y - 4);
  }
  ACanvas.Pen->Color = clBlack;
}

// The tile phase is the cell's offset from where the pattern starts; the
// axes keep prefix sums, so no walk over the columns or rows is needed.
void TExtStringGrid::DrawBackgroundTiled(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect,
                                         bool Fixed) {
  TBitmap& bitmap = backGround_->Bitmap();
  const int saved = ACanvas.SaveDC();
  ACanvas.IntersectClipRect(ARect);
  ACanvas.Brush->Style = bsClear;
  const bool fromFirstData = backGround_->Cells() == bcNormal && !Fixed;
  const long long startX = ColAxis().Start(ACol) - (fromFirstData ? ColAxis().Start(FixedCols()) : 0);
  const long long startY = RowAxis().Start(ARow) - (fromFirstData ? RowAxis().Start(FixedRows()) : 0);
  const int bw = bitmap.Width(), bh = bitmap.Height();
  const int phaseX = static_cast<int>(((startX % bw) + bw) % bw);
  const int phaseY = static_cast<int>(((startY % bh) + bh) % bh);
  for (int y = ARect.Top - 1 - phaseY; y < ARect.Bottom; y += bh)
    for (int x = ARect.Left - 1 - phaseX; x < ARect.Right; x += bw) ACanvas.Draw(x, y, &bitmap);
  ACanvas.RestoreDC(saved);
}

// The one picture stands where the grid's background places it; each cell
// shows the part of it that falls inside.
void TExtStringGrid::DrawBackgroundFixed(TCanvas& ACanvas, const TRect& ARect) {
  const int saved = ACanvas.SaveDC();
  ACanvas.IntersectClipRect(ARect);
  ACanvas.Brush->Style = bsClear;
  ACanvas.Draw(backGround_->Left(), backGround_->Top(), &backGround_->Bitmap());
  ACanvas.RestoreDC(saved);
}

void TExtStringGrid::DrawSelectionFrame(TCanvas& ACanvas, int ACol, int ARow, const TRect& R) {
  const TGridRect sel = Selection();
  const bool inside = ACol >= sel.Left && ACol <= sel.Right && ARow >= sel.Top && ARow <= sel.Bottom &&
                      ACol >= FixedCols() && ARow >= FixedRows();
  if (!inside) return;
  const TPen savedPen = *ACanvas.Pen;
  const TBrush savedBrush = *ACanvas.Brush;
  if (SelectionRectangle()) {
    ACanvas.Pen->Color = SelectionRectangleColor;
    ACanvas.Pen->Width = 2;
    auto line = [&](int x1, int y1, int x2, int y2) {
      ACanvas.MoveTo(x1, y1);
      ACanvas.LineTo(x2, y2);
    };
    if (ACol == sel.Left) line(R.Left, R.Top, R.Left, R.Bottom);
    if (ACol == sel.Right) line(R.Right - 1, R.Top, R.Right - 1, R.Bottom);
    if (ARow == sel.Top) line(R.Left, R.Top, R.Right, R.Top);
    if (ARow == sel.Bottom) line(R.Left, R.Bottom - 1, R.Right, R.Bottom - 1);
  }
  if (SelectionResizer() && ACol == sel.Right && ARow == sel.Bottom) {
    ACanvas.Brush->Style = bsSolid;
    ACanvas.Brush->Color = SelectionRectangleColor;
    ACanvas.FillRect(Rect(R.Right - 4, R.Bottom - 4, R.Right, R.Bottom));
  }
  *ACanvas.Pen = savedPen;
  *ACanvas.Brush = savedBrush;
}
