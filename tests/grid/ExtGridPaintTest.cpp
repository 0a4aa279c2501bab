// The cell painter on a recording canvas: colours, texts, borders, looks,
// sort glyphs, background tiles, the selection frame and the graphics.

#include <functional>

#include "CellPaintFixture.h"
#include "grid/ExtGrid.h"
#include "grid/GridUtil.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/Application.h"

namespace {

const TRect kCell{100, 50, 164, 74};

class GridPaintTest : public CellPaintTest {
 protected:
  GridPaintTest() : CellPaintTest(kCell) {}
  std::vector<TDrawCall> Lines(TColor color) const {
    std::vector<TDrawCall> lines;
    for (const TDrawCall& c : canvas->CallsOf("Polyline"))
      if (c.Pen.Color == color) lines.push_back(c);
    return lines;
  }
  bool HasLine(TColor color, std::vector<int> args) const {
    for (const TDrawCall& c : Lines(color))
      if (c.Args == args) return true;
    return false;
  }
  std::vector<TDrawCall> Texts() const {
    std::vector<TDrawCall> texts;
    for (const TDrawCall& c : canvas->CallsOf("DrawText"))
      if (!(c.Flags & DT_CALCRECT)) texts.push_back(c);
    return texts;
  }
  TColor BrushOf(int col, int row, bool selectionPass, TGridDrawState state = {}) {
    TBrush brush;
    TFont font;
    TAlignment h;
    TVAlignment v;
    grid->GetCellColors(col, row, state, false, selectionPass, true, brush, font, h, v);
    return brush.Color;
  }
};

struct ColourCase {
  const char* name;
  std::function<void(TExtStringGrid&)> setUp;
  int col, row;
  bool selectionPass;
  TColor expected;
};

TEST_F(GridPaintTest, ColourPrecedence) {
  auto bands = [](TExtStringGrid& g) {
    g.Bands().SetActive(true);
    g.Bands().SetPrimaryColor(clYellow);
    g.Bands().SetSecondaryColor(clAqua);
  };
  const ColourCase cases[] = {
      {"plain cell", [](TExtStringGrid&) {}, 2, 2, false, clWindow},
      {"first data row is primary", bands, 2, 1, false, clYellow},
      {"second data row is secondary", bands, 2, 2, false, clAqua},
      {"third is primary again", bands, 2, 3, false, clYellow},
      {"own colour over the band",
       [&](TExtStringGrid& g) {
         bands(g);
         g.GetCellProperties(2, 1)->SetBrushColor(clLime);
       },
       2, 1, false, clLime},
      {"fixed cell", bands, 0, 2, false, clBtnFace},
      {"footer row has no band",
       [&](TExtStringGrid& g) {
         bands(g);
         g.SetFixedFooters(1);
       },
       2, 5, false, clWindow},
      {"fixed right column has no band",
       [&](TExtStringGrid& g) {
         bands(g);
         g.SetFixedRightCols(1);
       },
       4, 1, false, clWindow},
      {"a hidden column still counts for the right columns",
       [&](TExtStringGrid& g) {
         bands(g);
         g.SetFixedRightCols(1);
         g.HideColumn(4);
       },
       3, 1, false, clYellow},
      {"selection pass colours the selection",
       [](TExtStringGrid& g) {
         g.SetSelectionColor(clRed);
         g.SetSelection({1, 1, 3, 3});
       },
       2, 2, true, clRed},
      {"outside the selection pass it is not",
       [](TExtStringGrid& g) {
         g.SetSelectionColor(clRed);
         g.SetSelection({1, 1, 3, 3});
       },
       2, 2, false, clWindow},
      {"an unset selection colour leaves the brush",
       [](TExtStringGrid& g) {
         g.SetSelectionColor(clNotSet);
         g.SetSelection({1, 1, 3, 3});
       },
       2, 2, true, clWindow},
  };
  for (const ColourCase& c : cases) {
    SCOPED_TRACE(c.name);
    grid = &MakeGrid<TExtStringGrid>(5, 6);
    c.setUp(*grid);
    EXPECT_EQ(BrushOf(c.col, c.row, c.selectionPass), c.expected);
  }
}

TEST_F(GridPaintTest, SelectedUnfocusedCellWithoutSelectionColourIsHighlight) {
  grid->SetSelectionColor(clNotSet);
  Paint(2, 2, {gdSelected});
  EXPECT_EQ(canvas->Brush->Color, clHighlight);
  Paint(2, 2, {gdSelected, gdFocused});
  EXPECT_EQ(canvas->Brush->Color, clWindow);
}

TEST_F(GridPaintTest, MarkupIsDrawnAsHtmlOnlyWhenEnabled) {
  grid->SetCells(1, 1, "a<b>bold</b>");
  Paint(1, 1);
  for (const TDrawCall& c : Texts()) EXPECT_EQ(c.Text.find('<'), AnsiString::npos) << c.Text;
  grid->EnableHTML = false;
  Paint(1, 1);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "a<b>bold</b>");
}

TEST_F(GridPaintTest, AWideCellIsDrawnAndMeasuredAsItsUtf16Text) {
  grid->SetUnicodeCell(1, 1, u"Α\u4E2D");
  const auto wide = Paint(1, 1).CallsOf("DrawTextW");
  ASSERT_EQ(wide.size(), 1u);
  EXPECT_EQ(wide[0].WideText, u"Α\u4E2D");
  TPoint size;
  grid->GetCellTextSize(1, 1, false, size);
  EXPECT_EQ(size.X, grid->Canvas().TextWidthW(u"Α\u4E2D") + 2 * grid->XYOffset.X);
}

TEST_F(GridPaintTest, MultiLineTextShowsItsFirstLineUnlessMultiLineCells) {
  grid->SetCells(1, 1, "one\r\ntwo");
  Paint(1, 1);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "one");
  EXPECT_TRUE(Texts()[0].Flags & DT_SINGLELINE);
  grid->Multilinecells = true;
  Paint(1, 1);
  EXPECT_EQ(Texts()[0].Text, "one\r\ntwo");
  EXPECT_FALSE(Texts()[0].Flags & DT_SINGLELINE);
}

TEST_F(GridPaintTest, DisplayTexts) {
  grid->SetCells(1, 1, "1-2");
  grid->SetCells(1, 2, "3.5");
  grid->OnGetFloatFormat = [](TObject*, int, int, bool&, AnsiString& format) { format = "%.3f"; };
  EXPECT_EQ(grid->GetFloatDisplayText(1, 1), "1-2");
  EXPECT_EQ(grid->GetFloatDisplayText(1, 2), "3.500");
  grid->AddCheckBox(2, 1, true, false);
  EXPECT_EQ(grid->GetCellDisplayText(2, 1), "Y");
  grid->SetCheckBoxState(2, 1, false);
  EXPECT_EQ(grid->GetCellDisplayText(2, 1), "N");
  grid->SetCells(3, 1, "<b>x</b>");
  EXPECT_EQ(grid->GetCellDisplayText(3, 1), "<b>x</b>");
  grid->KeepHTMLTags = false;
  EXPECT_EQ(grid->GetCellDisplayText(3, 1), "x");
}

TEST_F(GridPaintTest, FourPensDrawFourBorders) {
  grid->OnGetCellBorder = [](TObject*, int, int, TPen& pen, TCellBorders& borders) {
    pen.Width = 1;
    borders = {cbLeft, cbTop, cbRight, cbBottom};
  };
  grid->OnGetCellBorderProp = [](TObject*, int, int, TPen& l, TPen& t, TPen& r, TPen& b) {
    l.Color = clRed, t.Color = clLime, r.Color = clBlue, b.Color = clFuchsia;
  };
  Paint(2, 2);
  // The rectangle grows by 1 and shrinks by the half pen width.
  EXPECT_TRUE(HasLine(clRed, {100, 50, 100, 74}));
  EXPECT_TRUE(HasLine(clLime, {100, 50, 164, 50}));
  EXPECT_TRUE(HasLine(clBlue, {163, 50, 163, 74}));
  EXPECT_TRUE(HasLine(clFuchsia, {100, 73, 164, 73}));
}

TEST_F(GridPaintTest, FixedLooks) {
  grid->SetLook(glClassic);
  Paint(0, 2, {gdFixed});
  EXPECT_EQ(canvas->CallsOf("DrawEdge").size(), 3u);
  EXPECT_TRUE(HasLine(clBlack, {164, 49, 164, 74}));
  grid->SetLook(glSoft);
  grid->SetOptions(grid->Options() + TGridOptions{goFixedHorzLine, goFixedVertLine});
  Paint(0, 2, {gdFixed});
  const TColor dark = DarkerColor(grid->FixedColor());
  EXPECT_TRUE(HasLine(dark, {98, 74, 165, 74}));
  EXPECT_TRUE(HasLine(clWhite, {166, 49, 99, 49}));
  EXPECT_TRUE(HasLine(dark, {164, 48, 164, 74}));
  grid->SetLook(glQir);
  Paint(0, 2, {gdFixed});
  EXPECT_EQ(canvas->CallsOf("FillRect").size(), 10u);  // the gradient
}

struct GlyphCase {
  TAlignment align;
  int x;
};

TEST_F(GridPaintTest, SortGlyphFollowsTheAlignment) {
  grid->SortSettings().Show = true;
  grid->SortSettings().Column = 2;
  grid->SetCells(2, 0, "Title");
  const GlyphCase cases[] = {{taLeftJustify, 0}, {taRightJustify, 1}, {taCenter, 2}};
  for (const GlyphCase& c : cases) {
    grid->GetCellProperties(2, 0)->Alignment = c.align;
    Paint(2, 0, {gdFixed});
    const TRect text{102, 52, 162, 74};
    TRect r = text;
    if (c.align == taLeftJustify) r.Right -= 14;
    if (c.align != taLeftJustify) r.Left += 14;
    if (c.align == taCenter) r = {r.Left + 10, r.Top, r.Right + 10, r.Bottom};
    const int w = std::min(canvas->TextWidth("Title"), r.Right - r.Left - 16);
    const int x = c.align == taLeftJustify    ? r.Left + w + 10
                  : c.align == taRightJustify ? r.Right - w - 10
                                              : r.Left + 8;
    EXPECT_TRUE(HasLine(clWhite, {x - 4, r.Top + 8 + 4, x + 4, r.Top + 8 + 4})) << c.x;
  }
  grid->SortSettings().Direction = sdDescending;
  Paint(2, 0, {gdFixed});
  EXPECT_EQ(Lines(clGray).size(), 2u);
}

TEST_F(GridPaintTest, AnIndexedSortNumbersItsColumnsWhenTheIndexShows) {
  grid->SortSettings().Show = true;
  grid->SortSettings().Column = 1;
  grid->SortIndexes().AddIndex(1, true);
  grid->SortIndexes().AddIndex(3, false);
  grid->SetCells(3, 0, "Second");
  Paint(3, 0, {gdFixed});
  EXPECT_TRUE(canvas->CallsOf("Polygon").empty());  // a later column hides its glyph
  grid->SortSettings().IndexShow = true;
  Paint(3, 0, {gdFixed});
  ASSERT_EQ(canvas->CallsOf("Polygon").size(), 1u);
  bool numbered = false;
  for (const TDrawCall& c : canvas->CallsOf("ExtTextOut")) numbered |= c.Text == "2";
  EXPECT_TRUE(numbered);
}

TEST_F(GridPaintTest, SoftAndQirLooksFrameTheWindowFlatUnlessFlatOrUpdating) {
  form->SetColor(static_cast<TColor>(0x00FF00));
  const struct {
    TGridLook look;
    bool flat, updating, framed;
  } cases[] = {{glSoft, false, false, true},
               {glQir, false, false, true},
               {glClassic, false, false, false},
               {glSoft, true, false, false},
               {glSoft, false, true, false}};
  for (const auto& c : cases) {
    grid->SetLook(c.look);
    grid->SetFlat(c.flat);
    if (c.updating) grid->BeginUpdate();
    grid->Invalidate();
    const TImageCanvas* shot = backend->Render(*form);
    if (c.updating) grid->EndUpdate();
    ASSERT_NE(shot, nullptr);
    const int x = grid->Left(), y = grid->Top();
    EXPECT_EQ(shot->Pixel(x + 1, y + 5) == static_cast<TColor>(0x808080), c.framed) << c.look << c.flat;
    EXPECT_EQ(shot->Pixel(x, y + 5) == static_cast<TColor>(0x00FF00), c.framed) << c.look << c.flat;
  }
}

TEST_F(GridPaintTest, TilesRunOnAcrossCells) {
  TBitmap tile(7, 5);
  grid->BackGround().SetBitmap(tile);
  Paint(1, 1);
  const auto first = canvas->CallsOf("DrawPixels");
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first[0].Args[0], kCell.Left - 1);
  Paint(2, 1);
  const auto second = canvas->CallsOf("DrawPixels");
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second[0].Args[0], kCell.Left - 1 - grid->ColWidths(1) % 7);
}

TEST_F(GridPaintTest, SelectionRectangleAndResizer) {
  grid->SetSelectionRectangle(true);
  grid->SetSelectionResizer(true);
  grid->SelectionRectangleColor = clMaroon;
  grid->SetSelection({1, 1, 2, 2});
  Paint(2, 2);
  EXPECT_EQ(Lines(clMaroon).size(), 2u);  // right and bottom
  bool resizer = false;
  for (const TDrawCall& c : canvas->CallsOf("FillRect"))
    resizer = resizer || (c.Brush.Color == clMaroon && c.Args == std::vector<int>{160, 70, 164, 74});
  EXPECT_TRUE(resizer);
  Paint(1, 1);
  EXPECT_EQ(Lines(clMaroon).size(), 2u);  // left and top
}

// A grid whose header cells carry the filter button.
class TFilterGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  bool GetCellStyle(int, int) override { return true; }
};

struct TextCase {
  const char* name;
  std::function<void(TExtStringGrid&)> setUp;
  AnsiString cell, shown;
  TColor colour;
  bool underlined;
};

TEST_F(GridPaintTest, TextTransformations) {
  const TextCase cases[] = {
      {"plain", [](TExtStringGrid&) {}, "abc", "abc", clWindowText, false},
      {"password",
       [](TExtStringGrid& g) { g.OnIsPasswordCell = [](TObject*, int, int, bool& p) { p = true; }; }, "abc",
       "***", clWindowText, false},
      {"link without its scheme", [](TExtStringGrid& g) { g.SetURLShow(true); }, "http://a.gr", "a.gr",
       0xFF0000, true},
      {"full link",
       [](TExtStringGrid& g) {
         g.SetURLShow(true);
         g.SetURLFull(true);
       },
       "http://a.gr", "http://a.gr", 0xFF0000, true},
      {"formula shows its text", [](TExtStringGrid&) {}, "=1+2", "=1+2", clWindowText, false},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    grid = &MakeGrid<TExtStringGrid>(5, 6);
    c.setUp(*grid);
    grid->SetCells(2, 2, c.cell);
    Paint(2, 2);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0].Text, c.shown);
    EXPECT_EQ(Texts()[0].Font.Color, c.colour);
    EXPECT_EQ((Texts()[0].Font.Style & fsUnderline) != 0, c.underlined);
  }
}

TEST_F(GridPaintTest, FilterButtonTakesSixteenPixels) {
  grid = &MakeGrid<TFilterGrid>(5, 6);
  grid->SetCells(2, 0, "Head");
  Paint(2, 0, {gdFixed});
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Args[2], kCell.Right - 2 - 16);
  EXPECT_EQ(canvas->CallsOf("DrawPixels").size(), 1u);  // the filter arrow
}

TEST_F(GridPaintTest, ErrorMarkIsUnderlined) {
  grid->SetCells(2, 2, "abcdef");
  TCellGraphic* g = grid->CreateCellGraphic(2, 2);
  g->CellErrFrom = 1;
  g->CellErrLen = 3;
  Paint(2, 2);
  EXPECT_EQ(Lines(0x0000FF).size(), 1u);
}

TEST_F(GridPaintTest, FocusRectangleOnlyWhereAsked) {
  grid->SetFocus();
  Application->ProcessMessages();
  const TPoint current{grid->Col(), grid->Row()};
  Paint(current.X, current.Y);
  EXPECT_EQ(canvas->CallsOf("DrawFocusRect").size(), 1u);
  Paint(current.X + 1, current.Y);
  EXPECT_EQ(canvas->CallsOf("DrawFocusRect").size(), 0u);
  grid->HideFocusRect = true;
  Paint(current.X, current.Y);
  EXPECT_EQ(canvas->CallsOf("DrawFocusRect").size(), 0u);
  grid->HideFocusRect = false;
  grid->SetOptions(grid->Options() + TGridOptions{goRowSelect});
  Paint(current.X, current.Y);
  EXPECT_EQ(canvas->CallsOf("DrawFocusRect").size(), 0u);
}

TEST_F(GridPaintTest, DisjunctRowSelection) {
  grid->SetSelectionColor(clRed);
  grid->MouseActions().SetDisjunctRowSelect(true);
  grid->SetRowSelect(3, true);
  EXPECT_EQ(BrushOf(2, 3, true), clRed);
  EXPECT_EQ(BrushOf(2, 2, true), clWindow);
  // A plain click on the current row shows it as the click selects it.
  grid->PlainClickSelect = true;
  grid->SetRow(3);
  EXPECT_EQ(BrushOf(2, 3, true), clWindow);
  EXPECT_EQ(BrushOf(2, 3, true, {gdSelected}), clRed);
  grid->PlainClickSelect = false;
  grid->MouseActions().SetDisjunctCellSelect(true);
  grid->SelectedCells.push_back({4, 4});
  EXPECT_EQ(BrushOf(4, 4, false), clRed);
}

TEST_F(GridPaintTest, RowIndicatorAndTreeLines) {
  grid->SetRowIndicator(TBitmap(6, 6));
  Paint(0, grid->Row(), {gdFixed});
  const auto pixels = canvas->CallsOf("DrawPixels");
  ASSERT_EQ(pixels.size(), 1u);
  EXPECT_EQ(pixels[0].Args[0], kCell.Left);
  grid->SetFixedCols(0);
  grid->AddNode(1, 3);
  grid->CellNode().SetShowTree(true);
  Paint(0, 2);
  EXPECT_EQ(Lines(clSilver).size(), 2u);  // across, and down to the next member
  Paint(0, 3);
  ASSERT_EQ(Lines(clSilver).size(), 2u);  // the group's last row: down to the middle
  EXPECT_EQ(Lines(clSilver)[1].Args[3], (kCell.Top - 1 + kCell.Bottom + 1) / 2);
}

TEST_F(GridPaintTest, GradientBandsAndFixedRightColumns) {
  grid->SetLook(glQir);
  Paint(0, 2, {gdFixed});
  const auto bands = canvas->CallsOf("FillRect");
  ASSERT_EQ(bands.size(), 10u);
  EXPECT_EQ(bands[0].Brush.Color, static_cast<TColor>(0xC0C0C0));
  EXPECT_EQ(bands[5].Brush.Color, static_cast<TColor>(0xE0E0E0));  // C0 + round(5 × 63 / 10)
  EXPECT_EQ(bands[5].Args[1], kCell.Top + 12);
  EXPECT_EQ(bands[5].Args[3] - bands[5].Args[1], 3);
  grid->SetFlat(true);
  grid->SetFixedRightCols(1);
  grid->SetOptions(grid->Options() + TGridOptions{goFixedHorzLine, goFixedVertLine});
  Paint(4, 2);
  EXPECT_EQ(Lines(clBlack).size(), 4u);
  EXPECT_TRUE(HasLine(clBlack, {kCell.Left - 2, kCell.Top - 2, kCell.Right + 2, kCell.Top - 2}));
  Paint(3, 2);
  EXPECT_TRUE(Lines(clBlack).empty());
}

}  // namespace
