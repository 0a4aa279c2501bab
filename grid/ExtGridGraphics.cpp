// The graphics a cell may carry: their room in the cell, their place beside
// the text, and their drawing, check boxes and radio buttons in every
// control style among them. The painter never raises: a cell whose value
// does not read draws its graphic as for 0, or not at all.

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

#include "grid/ExtGrid.h"
#include "grid/ExtObj.h"
#include "grid/ExtXPVS.h"
#include "grid/GridUtil.h"
#include "platform/gfx/FrameControls.h"

namespace {

// Our own drawings of the check, radio, leaf and filter bitmaps; the key
// colour of the corner pixel is what shows the cell through.
constexpr TColor kKey = clFuchsia;

void Fill(TBitmap& b, TColor c) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, c);
}
void Box(TBitmap& b, int l, int t, int r, int bt, TColor c) {
  for (int x = l; x <= r; ++x) b.SetPixel(x, t, c), b.SetPixel(x, bt, c);
  for (int y = t; y <= bt; ++y) b.SetPixel(l, y, c), b.SetPixel(r, y, c);
}
void Tick(TBitmap& b, TColor c) {
  for (int i = 0; i < 3; ++i) b.SetPixel(3 + i, 6 + i, c), b.SetPixel(3 + i, 7 + i, c);
  for (int i = 0; i < 6; ++i) b.SetPixel(6 + i, 7 - i, c), b.SetPixel(6 + i, 8 - i, c);
}
void Disc(TBitmap& b, int cx, int cy, int radius, TColor c) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) b.SetPixel(x, y, c);
}

void RegisterGridBitmaps() {
  // Odd numbers checked, even unchecked; 1-4 the Qir look, 5-8 the XP
  // look; the second pair of each look disabled.
  for (int n = 1; n <= 8; ++n) {
    const bool on = n % 2 == 1, enabled = (n - 1) % 4 < 2, qir = n <= 4;
    const TColor frame = enabled ? (qir ? TColor(0x8B4513) : TColor(0x7A5A1C)) : clGray;
    const TColor face = enabled ? clWhite : TColor(0xE0E0E0);
    const TColor mark = enabled ? (qir ? TColor(0x2E8B57) : TColor(0x21A121)) : clGray;
    char name[16];
    std::snprintf(name, sizeof name, "ESGCHK%02d", n);
    RegisterBitmapResource(name, 15, 15, [=](TBitmap& b) {
      Fill(b, kKey);
      for (int y = 1; y < 14; ++y)
        for (int x = 1; x < 14; ++x) b.SetPixel(x, y, face);
      Box(b, 0, 0, 14, 14, frame);
      // Rounded corners; the top-left one is also the key colour that
      // transparent drawing takes, so the frame shows.
      for (int corner : {0, 14}) b.SetPixel(corner, 0, kKey), b.SetPixel(corner, 14, kKey);
      if (on) Tick(b, mark);
    });
    std::snprintf(name, sizeof name, "ESGRAD%02d", n);
    RegisterBitmapResource(name, 15, 15, [=](TBitmap& b) {
      Fill(b, kKey);
      Disc(b, 7, 7, 7, frame);
      Disc(b, 7, 7, 6, face);
      if (on) Disc(b, 7, 7, 3, mark);
    });
  }
  auto leaf = [](bool open) {
    return [open](TBitmap& b) {
      Fill(b, kKey);
      Box(b, 1, 3, 13, 12, TColor(0x0080C0));
      for (int y = 4; y < 12; ++y)
        for (int x = 2; x < 13; ++x) b.SetPixel(x, y, TColor(0x80E0FF));
      if (open)
        for (int x = 3; x < 15; ++x) b.SetPixel(x, 7, TColor(0x0080C0));
      for (int x = 1; x < 6; ++x) b.SetPixel(x, 2, TColor(0x0080C0));
    };
  };
  RegisterBitmapResource("ESGLEAFOPEN", 16, 14, leaf(true));
  RegisterBitmapResource("ESGLEAFCLOSE", 16, 14, leaf(false));
  RegisterBitmapResource("ESGFILT", 12, 12, [](TBitmap& b) {
    Fill(b, kKey);
    for (int y = 0; y < 5; ++y)
      for (int x = 1 + y; x <= 10 - y; ++x) b.SetPixel(x, 3 + y, clBlack);
  });
}

// The cell's integer value, 0 for a text that is none.
int IntegerOr(TExtStringGrid& grid, int ACol, int ARow, int Fallback) {
  try {
    return grid.GetCellInteger(ACol, ARow);
  } catch (const Exception&) {
    return Fallback;
  }
}

// The looks check boxes and radio buttons share; false for csDunmare, which
// each draws its own way. The bitmaps are numbered 01-04 for the Qir look and
// 05-08 for the XP look: on, off, on disabled, off disabled.
bool DrawSharedLook(TCanvas& Canvas, TRect Box, const TRect& At, unsigned Kind, const char* Prefix, bool On,
                    bool Enabled, TCellControlStyle Style, TBitmap& OnGlyph, TBitmap& OffGlyph,
                    HWND ThemedWindow) {
  TExtStringGrid::EnsureGridBitmaps();
  const TColor back = Canvas.Brush->Color;
  if (Style == csTheme) {
    const int part = Kind == DFCS_BUTTONCHECK ? 3 : 2;
    const int state = On ? (Enabled ? 5 : 8) : (Enabled ? 1 : 4);
    const TRect square = Bounds(At.Left, At.Top, Box.Right - Box.Left, Box.Bottom - Box.Top);
    if (ThemedWindow && DrawThemedPart(ThemedWindow, u"button", Canvas, part, state, square)) return true;
    // No theme to draw with: the XP pictures show the same states.
    Style = csWinXP;
  }
  switch (Style) {
    case csClassic:
    case csFlat: {
      unsigned state = Kind;
      if (On) state |= DFCS_CHECKED;
      if (Style == csFlat) state |= DFCS_FLAT;
      if (!Enabled) state |= DFCS_INACTIVE;
      DrawFrameControl(Canvas, Box, DFC_BUTTON, state);
      return true;
    }
    case csWinXP:
    case csQir: {
      char name[16];
      std::snprintf(name, sizeof name, "%s%02d", Prefix,
                    (Style == csQir ? 1 : 5) + (On ? 0 : 1) + (Enabled ? 0 : 2));
      DrawResourceBitmap(Canvas, back, At, name);
      return true;
    }
    case csGlyph: {
      TBitmap& glyph = On ? OnGlyph : OffGlyph;
      if (!glyph.Empty()) DrawBitmapTransparent(Canvas, glyph, back, At);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

void TExtStringGrid::EnsureGridBitmaps() {
  static std::once_flag once;
  std::call_once(once, RegisterGridBitmaps);
}

TCellGraphic* TExtStringGrid::GetCellGraphicInfo(int ACol, int ARow, int& Width, int& Height, bool& TextShown,
                                                 TCellHAlign& HAlign, TCellVAlign& VAlign) {
  Width = Height = 0;
  TextShown = true;
  HAlign = haLeft;
  VAlign = vaTop;
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return nullptr;
  HAlign = g->CellHAlign;
  VAlign = g->CellVAlign;
  auto size = [&](const TGraphic* graphic) {
    if (graphic && !graphic->Empty()) Width = graphic->Width(), Height = graphic->Height();
  };
  switch (g->CellType) {
    case ctBitmap:
      size(g->CellBitmap);
      break;
    case ctIcon:
      size(g->CellIcon);
      break;
    case ctDataImage:
      TextShown = false;
      [[fallthrough]];
    case ctImageList:
      if (gridImages_) Width = gridImages_->Width(), Height = gridImages_->Height();
      break;
    case ctDataCheckBox:
    case ctVirtCheckBox:
      TextShown = false;
      [[fallthrough]];
    case ctCheckBox:
      Width = Height = controlLook_->CheckSize();
      break;
    case ctRotated:
    case ctRadio:
    case ctProgress:
      TextShown = false;
      break;
    case ctImages:
      if (gridImages_) {
        const std::vector<int>* list = GetImageIndexList(ACol, ARow);
        const int count = list ? static_cast<int>(list->size()) : 0;
        Width = gridImages_->Width() * (g->CellBoolean ? count : 1);
        Height = gridImages_->Height() * (g->CellBoolean ? 1 : count);
      }
      break;
    case ctPicture:
    case ctFilePicture: {
      const TPoint own = CellPictureSize(ACol, ARow);
      if (own.X <= 0 || own.Y <= 0) break;
      const TRect cell = CellRectEx(DisplColIndex(ACol), ARow);
      const TPoint fitted =
          FitPictureInCell(g->CellAngle, g->CellIndex, {cell.Right - cell.Left, cell.Bottom - cell.Top}, own);
      Width = fitted.X, Height = fitted.Y;
      break;
    }
    case ctButton:
    case ctBitButton:
      Width = g->CellIndex & 0xFFFF;
      Height = static_cast<int>(static_cast<unsigned>(g->CellIndex) >> 16);
      break;
    case ctProgressPie:
      Width = Height = 20;
      break;
    default:
      break;
  }
  return g;
}

void TExtStringGrid::DrawCellGraphic(TCanvas& ACanvas, int ACol, int ARow, TCellGraphic& G, TRect R,
                                     int TextWidth, TAlignment HAlign, TGridDrawState AState) {
  TExtStringGrid::EnsureGridBitmaps();
  const int realCol = RealColIndex(ACol);
  int w = 0, h = 0;
  bool textShown = true;
  TCellHAlign gh;
  TCellVAlign gv;
  GetCellGraphicInfo(realCol, ARow, w, h, textShown, gh, gv);
  const int width = R.Right - R.Left, height = R.Bottom - R.Top;
  auto placeX = [&](int itemWidth) {
    switch (G.CellHAlign) {
      case haRight:
        return R.Right - 1 - itemWidth;
      case haCenter:
        return itemWidth <= width ? R.Left + (width - itemWidth) / 2 : R.Left + 1;
      case haBeforeText:
        if (HAlign == taLeftJustify) return R.Left + 1;
        if (HAlign == taRightJustify) return R.Right - XYOffset.X - TextWidth - itemWidth;
        return R.Left + (width - TextWidth) / 2 - itemWidth;
      case haAfterText:
        if (HAlign == taRightJustify) return R.Right - 1 - itemWidth;
        if (HAlign == taLeftJustify) return R.Left + XYOffset.X + TextWidth;
        return R.Left + (width + TextWidth) / 2;
      case haFull:
        return R.Left;
      default:
        return R.Left + 1;
    }
  };
  auto placeY = [&](int itemHeight) {
    switch (G.CellVAlign) {
      case vaBottom:
        return R.Bottom - 1 - itemHeight;
      case vaCenter:
        return itemHeight <= height ? R.Top + (height - itemHeight) / 2 : R.Top + 1;
      case vaUnderText:
        return R.Bottom - itemHeight;
      case vaFull:
        return R.Top;
      default:
        return R.Top + 1;
    }
  };
  const int x = placeX(w), y = placeY(h);
  const bool enabled = CanEditCell(realCol, ARow);
  const TColor back = ACanvas.Brush->Color;
  switch (G.CellType) {
    case ctBitmap:
      if (!G.CellBitmap || G.CellBitmap->Empty()) break;
      if (G.CellTransparent)
        DrawBitmapTransparent(ACanvas, *G.CellBitmap, back, Bounds(x, y, w, h));
      else
        ACanvas.Draw(x, y, G.CellBitmap);
      break;
    case ctIcon:
      if (G.CellIcon && !G.CellIcon->Empty()) ACanvas.Draw(x, y, G.CellIcon);
      break;
    case ctImageList:
      if (gridImages_ && G.CellIndex >= 0 && G.CellIndex < gridImages_->Count())
        gridImages_->Draw(ACanvas, x, y, G.CellIndex);
      break;
    case ctDataImage: {
      if (!gridImages_) break;
      // A value that is no integer shows no image.
      const int value = IntegerOr(*this, realCol, ARow, -1);
      const int index = value + G.CellIndex;
      if (value >= 0 && index >= 0 && index < gridImages_->Count()) gridImages_->Draw(ACanvas, x, y, index);
      break;
    }
    case ctImages: {
      const std::vector<int>* list = GetImageIndexList(realCol, ARow);
      if (!gridImages_ || !list) break;
      int ix = x, iy = y;
      for (int index : *list) {
        if (index >= 0 && index < gridImages_->Count()) gridImages_->Draw(ACanvas, ix, iy, index);
        (G.CellBoolean ? ix : iy) += G.CellBoolean ? gridImages_->Width() : gridImages_->Height();
      }
      break;
    }
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox: {
      const int size = controlLook_->CheckSize();
      int cx = R.Left + 1;
      if (HAlign == taRightJustify)
        cx = std::max(R.Left + 1, R.Right - size - 1 - (G.CellType == ctCheckBox ? TextWidth : 0));
      else if (HAlign == taCenter)
        cx = R.Left + (width - size) / 2;
      const bool checked = G.CellType == ctCheckBox
                               ? G.CellBoolean
                               : GetCellText(realCol, ARow) == GetCheckTrue(realCol, ARow);
      DrawCheck(ACanvas, Bounds(cx, y, size, size), checked, enabled, controlLook_->ControlStyle());
      break;
    }
    case ctRadio:
      DrawRadioGroup(ACanvas, R, GetRadioChoices(realCol, ARow), G.CellIndex, GetCellText(realCol, ARow),
                     !enabled, G.CellBoolean, AState.Contains(gdSelected));
      break;
    case ctRotated: {
      const AnsiString text = GetCellText(realCol, ARow);
      const int saved = ACanvas.SaveDC();
      ACanvas.Font->Orientation = G.CellAngle * 10;
      ACanvas.Brush->Style = bsClear;
      // The text's middle on the cell's middle, along its rotated base line.
      const long double a = G.CellAngle * std::numbers::pi_v<long double> / 180;
      const TSize extent = ACanvas.TextExtent(text);
      const long double cx = (R.Left + R.Right) / 2.0L, cy = (R.Top + R.Bottom) / 2.0L;
      const long double ox = cx - extent.cx / 2.0L * std::cos(a) - extent.cy / 2.0L * std::sin(a);
      const long double oy = cy + extent.cx / 2.0L * std::sin(a) - extent.cy / 2.0L * std::cos(a);
      ACanvas.IntersectClipRect(R);
      ACanvas.TextOut(static_cast<int>(std::lround(ox)), static_cast<int>(std::lround(oy)), text);
      ACanvas.RestoreDC(saved);
      break;
    }
    case ctNode: {
      const TRect nodeRect = Rect(R.Left - GetCellIndent(ARow), R.Top, R.Right, R.Bottom);
      const bool contracted = G.CellBoolean;
      TCellNode& node = *cellNode_;
      const int middle = (nodeRect.Top + nodeRect.Bottom) / 2;
      if (node.NodeType() == cnLeaf) {
        DrawResourceBitmap(ACanvas, back, Rect(nodeRect.Left + 1, middle - 7, nodeRect.Left + 17, middle + 7),
                           contracted ? "ESGLEAFCLOSE" : "ESGLEAFOPEN");
        break;
      }
      if (node.NodeType() == cnGlyph && !node.ExpandGlyph().Empty() && !node.ContractGlyph().Empty()) {
        TBitmap& glyph = contracted ? node.ContractGlyph() : node.ExpandGlyph();
        DrawBitmapTransparent(
            ACanvas, glyph, back,
            Bounds(nodeRect.Left + 1, middle - glyph.Height() / 2, glyph.Width(), glyph.Height()));
        break;
      }
      TRect box = Rect(nodeRect.Left + 4, middle - 4, nodeRect.Left + 12, middle + 4);
      if (node.NodeType() == cn3D) {
        DrawEdge(ACanvas, box, contracted ? EDGE_RAISED : EDGE_SUNKEN, BF_RECT | BF_SOFT);
        break;
      }
      ACanvas.Pen->Color = node.NodeColor;
      ACanvas.Pen->Width = 1;
      ACanvas.Brush->Color = node.Color;
      ACanvas.Brush->Style = bsSolid;
      ACanvas.Rectangle(box);
      ACanvas.MoveTo(box.Left + 2, middle);
      ACanvas.LineTo(box.Right - 2, middle);
      if (contracted) {
        ACanvas.MoveTo(box.Left + 4, box.Top + 2);
        ACanvas.LineTo(box.Left + 4, box.Bottom - 2);
      }
      ACanvas.Brush->Color = back;
      break;
    }
    case ctPicture:
      if (G.CellPicture && G.CellPicture->Graphic())
        ACanvas.StretchDraw(Bounds(x, y, w, h), G.CellPicture->Graphic());
      break;
    case ctFilePicture:
      if (const auto* file = dynamic_cast<const TFilePicture*>(G.CellObject1))
        file->Draw(ACanvas, Bounds(x, y, w, h));
      break;
    case ctProgress: {
      const TRect bar = Rect(R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2);
      const int barWidth = bar.Right - bar.Left;
      // A value that is no integer shows as 0 %.
      const int value = IntegerOr(*this, realCol, ARow, 0);
      const int done = std::clamp(
          static_cast<int>(std::lround(static_cast<long double>(value) * barWidth / 100)), 0, barWidth);
      const TColor doneText =
          G.CellBoolean ? static_cast<TColor>(G.CellIndex) : ColorToRGB(G.ProgressColor) ^ 0xFFFFFF;
      const TColor restText =
          G.CellBoolean ? static_cast<TColor>(G.CellAngle) : ColorToRGB(G.ProgressBackColor) ^ 0xFFFFFF;
      const AnsiString text = GetCellText(realCol, ARow) + "%";
      const int tx = bar.Left + (barWidth - ACanvas.TextWidth(text)) / 2;
      const int ty = bar.Top + (bar.Bottom - bar.Top - ACanvas.TextHeight(text)) / 2;
      const int saved = ACanvas.SaveDC();
      auto part = [&](const TRect& pr, TColor fill, TColor ink) {
        ACanvas.Brush->Style = bsSolid;
        ACanvas.Brush->Color = fill;
        ACanvas.Font->Color = ink;
        ACanvas.FillRect(pr);
        ACanvas.TextRect(pr, tx, ty, text);
      };
      part(Rect(bar.Left, bar.Top, bar.Left + done, bar.Bottom), G.ProgressColor, doneText);
      part(Rect(bar.Left + done, bar.Top, bar.Right, bar.Bottom), G.ProgressBackColor, restText);
      ACanvas.RestoreDC(saved);
      ACanvas.Brush->Color = clBlack;
      ACanvas.FrameRect(Rect(bar.Left - 1, bar.Top - 1, bar.Right + 1, bar.Bottom + 1));
      ACanvas.Brush->Color = back;
      ACanvas.FrameRect(Rect(bar.Left - 2, bar.Top - 2, bar.Right + 2, bar.Bottom + 2));
      break;
    }
    case ctProgressPie:
      DrawProgressPie(ACanvas, Bounds(x, y, 20, 20), controlLook_->Color(), G.CellAngle);
      break;
    case ctComment:
      if (CommentColor == clNotSet) break;
      ACanvas.Pen->Color = CommentColor;
      ACanvas.Brush->Color = CommentColor;
      ACanvas.Brush->Style = bsSolid;
      ACanvas.Polygon({{R.Right - 7, R.Top}, {R.Right - 2, R.Top}, {R.Right - 2, R.Top + 6}});
      ACanvas.Brush->Color = back;
      break;
    case ctButton:
    case ctBitButton: {
      // The hit test reads the button's place back from CellValue.
      const TRect cell = MergedCellRect(realCol, ARow);
      G.CellValue = static_cast<double>((static_cast<unsigned>(y - cell.Top) << 16) |
                                        (static_cast<unsigned>(x - cell.Left) & 0xFFFF));
      TRect button = Bounds(x, y, w, h);
      // The theme's push button, normal or pressed; the frame control
      // without a theme, or when the theme draws nothing.
      const HWND themed = ThemedWindow();
      if (!themed || !DrawThemedPart(themed, u"button", ACanvas, 1, G.CellBoolean ? 3 : 1, button)) {
        unsigned state = DFCS_BUTTONPUSH;
        if (controlLook_->FlatButton()) state |= DFCS_FLAT;
        if (G.CellBoolean) state |= DFCS_PUSHED;
        TRect frame = button;
        DrawFrameControl(ACanvas, frame, DFC_BUTTON, state);
      }
      const int inset = G.CellBoolean ? 3 : 2;
      TRect content =
          Rect(button.Left + inset, button.Top + inset, button.Right - inset, button.Bottom - inset);
      if (G.CellType == ctBitButton && G.CellBitmap && !G.CellBitmap->Empty()) {
        DrawBitmapTransparent(ACanvas, *G.CellBitmap, clBtnFace, content);
        content.Left += G.CellBitmap->Width() + 2;
      }
      const TBrushStyle style = ACanvas.Brush->Style;
      ACanvas.Brush->Style = bsClear;
      ACanvas.DrawText(G.CellText, content, DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS | DT_SINGLELINE);
      ACanvas.Brush->Style = style;
      break;
    }
    default:
      break;
  }
}

void TExtStringGrid::DrawCheck(TCanvas& ACanvas, const TRect& R, bool Checked, bool Enabled,
                               TCellControlStyle Style) {
  const int size = controlLook_->CheckSize();
  const TRect box =
      Bounds(R.Left + (R.Right - R.Left - size) / 2, R.Top + (R.Bottom - R.Top - size) / 2, size, size);
  if (DrawSharedLook(ACanvas, box, R, DFCS_BUTTONCHECK, "ESGCHK", Checked, Enabled, Style,
                     controlLook_->CheckedGlyph(), controlLook_->UnCheckedGlyph(), ThemedWindow()))
    return;
  const TBrush savedBrush = *ACanvas.Brush;
  const TPen savedPen = *ACanvas.Pen;
  ACanvas.Brush->Style = bsSolid;
  ACanvas.Brush->Color = Enabled ? clBtnFace : clBtnShadow;
  ACanvas.FillRect(R);
  ACanvas.Brush->Color = clBtnFace;
  ACanvas.FrameRect(R);
  ACanvas.Pen->Width = 1;
  auto line = [&](TColor c, int x1, int y1, int x2, int y2) {
    ACanvas.Pen->Color = c;
    ACanvas.MoveTo(x1, y1);
    ACanvas.LineTo(x2, y2);
  };
  line(clBtnHighlight, R.Left, R.Bottom - 1, R.Left, R.Top);
  line(clBtnHighlight, R.Left, R.Top, R.Right - 1, R.Top);
  line(clBtnShadow, R.Right - 1, R.Top, R.Right - 1, R.Bottom - 1);
  line(clBtnShadow, R.Right - 1, R.Bottom - 1, R.Left, R.Bottom - 1);
  if (Checked) {
    const TColor ink = Enabled ? controlLook_->Color() : clGray;
    const int top = R.Top - 1, bottom = R.Bottom - 1;
    line(ink, R.Left + 2, top + size / 2 + 1, R.Left + 2, bottom - 1);
    line(ink, R.Left + 3, top + size / 2, R.Left + 3, bottom - 2);
    line(ink, R.Left + 2, bottom - 1, R.Right - 2, top + 3);
    line(ink, R.Left + 3, bottom - 1, R.Right - 1, top + 3);
  }
  *ACanvas.Brush = savedBrush;
  *ACanvas.Pen = savedPen;
}

void TExtStringGrid::DrawRadio(TCanvas& ACanvas, int X, int Y, bool On, bool Enabled,
                               TCellControlStyle Style) {
  const int size = controlLook_->RadioSize();
  const TRect at = Bounds(X, Y, size, size);
  if (DrawSharedLook(ACanvas, at, at, DFCS_BUTTONRADIO, "ESGRAD", On, Enabled, Style,
                     controlLook_->RadioOnGlyph(), controlLook_->RadioOffGlyph(), ThemedWindow()))
    return;
  const TBrush savedBrush = *ACanvas.Brush;
  const TPen savedPen = *ACanvas.Pen;
  ACanvas.Brush->Style = bsSolid;
  ACanvas.Brush->Color = clBtnFace;
  ACanvas.Pen->Color = clBtnFace;
  ACanvas.Pen->Width = 1;
  ACanvas.Polygon({{X + 2, Y + 8}, {X + 8, Y + 2}, {X + 14, Y + 8}, {X + 8, Y + 14}});
  ACanvas.Pen->Color = On ? clGray : clWhite;
  ACanvas.MoveTo(X + 8, Y + 14);
  ACanvas.LineTo(X + 2, Y + 8);
  ACanvas.LineTo(X + 8, Y + 2);
  ACanvas.Pen->Color = On ? clWhite : clGray;
  ACanvas.LineTo(X + 14, Y + 8);
  ACanvas.LineTo(X + 8, Y + 14);
  if (On) {
    ACanvas.Brush->Color = controlLook_->Color();
    ACanvas.Pen->Color = controlLook_->Color();
    ACanvas.Polygon({{X + 6, Y + 8}, {X + 8, Y + 6}, {X + 10, Y + 8}, {X + 8, Y + 10}});
  }
  *ACanvas.Brush = savedBrush;
  *ACanvas.Pen = savedPen;
}

void TExtStringGrid::DrawRadioGroup(TCanvas& ACanvas, const TRect& R, const TStrings* Captions, int Index,
                                    const AnsiString& Text, bool Disabled, bool Horizontal, bool Selected) {
  if (!Captions) return;
  const int count = Captions->Count();
  const int size = controlLook_->RadioSize();
  const int line = ACanvas.TextHeight("gh");
  const TCellControlStyle style = controlLook_->ControlStyle();
  const TFont savedFont = *ACanvas.Font;
  const TBrushStyle savedStyle = ACanvas.Brush->Style;
  if (Selected && selectionTextColor_ != clNotSet) ACanvas.Font->Color = selectionTextColor_;
  int captionsBefore = 0;
  bool anyCaption = false;
  for (int i = 0; i < count; ++i) anyCaption = anyCaption || !Captions->Strings(i).empty();
  for (int i = 0; i < count; ++i) {
    const AnsiString caption = Captions->Strings(i);
    const bool on = Index >= 0 ? i == Index : caption == Text;
    int x = 0, y = 0;
    if (Horizontal) {
      x = R.Left + 2 + i * size + captionsBefore;
      y = R.Top + (R.Bottom - R.Top - size) / 2;
    } else {
      x = anyCaption ? R.Left + 2 : R.Left + (R.Right - R.Left - size) / 2;
      y = R.Top + 2 + i * line;
    }
    DrawRadio(ACanvas, x, y, on, !Disabled, style);
    ACanvas.Brush->Style = bsClear;
    const int captionX = Horizontal ? x + size : x + size + 4;
    if (!caption.empty()) ACanvas.TextOut(captionX, y - 2, caption);
    captionsBefore += ACanvas.TextWidth(caption);
  }
  *ACanvas.Font = savedFont;
  ACanvas.Brush->Style = savedStyle;
}
