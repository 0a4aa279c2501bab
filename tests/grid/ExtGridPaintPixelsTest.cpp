// The cells' texts on the window's pixels are drawn from the fonts' tables
// and clipped only where they reach past their boxes: every kind of grid
// shows the very pixels it shows with every text laid out and clipped.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/gfx/TextEngine.h"
#include "platform/rtl/Cp1253.h"

namespace {

class ExtGridPaintPixelsTest : public GridFormTest {
 protected:
  void TearDown() override {
    gfx::DrawPixelsFromTables(true);
    GridFormTest::TearDown();
  }
  // The window painted whole, the texts drawn the one way or the other.
  TPixelBlock Painted(bool fromTables) {
    gfx::DrawPixelsFromTables(fromTables);
    form->Invalidate();
    TPixelBlock pixels = backend->Render(*form)->Snapshot();
    gfx::DrawPixelsFromTables(true);
    return pixels;
  }
};

struct GridKind {
  const char* name;
  std::function<void(TExtStringGrid&)> prepare;
};

const char* const kTexts[] = {"12 kg",     "Σύνολο",  "Σύνολο 1.234,56 €",
                              "abc (αβγ)", "",        "A text much longer than the cell it stands in",
                              "§ 3 × 4",   "Ωραία ἀ", "tab\there",
                              "two\nlines"};

const GridKind kKinds[] = {
    {"plain", [](TExtStringGrid&) {}},
    {"frozen rows and columns",
     [](TExtStringGrid& g) {
       g.SetFixedRows(2);
       g.SetFixedCols(2);
     }},
    {"selection and focus",
     [](TExtStringGrid& g) {
       g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
       g.SetSelection({1, 1, 3, 4});
       g.SetFocus();
     }},
    {"bands", [](TExtStringGrid& g) { g.Bands().SetActive(true); }},
    {"aligned right and centred",
     [](TExtStringGrid& g) {
       g.OnGetAlignment = [](TObject*, int row, int col, TAlignment& h, TVAlignment& v) {
         h = col % 2 ? taRightJustify : taCenter;
         v = row % 2 ? vtaBottom : vtaCenter;
       };
     }},
    {"bold, italic and large cells",
     [](TExtStringGrid& g) {
       g.OnGetCellColor = [](TObject*, int row, int col, TGridDrawState, TBrush& brush, TFont& font) {
         font.Style = (row + col) % 3 == 0 ? fsItalic : (row + col) % 3 == 1 ? fsBold | fsItalic : 0;
         if (col == 2) font.SetSize(14);
         if (row == 3) font.Name = "Times New Roman";
         if (row == 4) brush.Color = clYellow;
       };
     }},
    {"narrow columns, short rows",
     [](TExtStringGrid& g) {
       g.SetDefaultColWidth(23);
       g.SetDefaultRowHeight(11);
     }},
    {"word wrap", [](TExtStringGrid& g) { g.SetWordWrap(true); }},
    {"zoomed", [](TExtStringGrid& g) { g.Zoom(3); }},
};

TEST_F(ExtGridPaintPixelsTest, TextsFromTheTablesShowAsLaidOutAndClipped) {
  for (const GridKind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    auto& g = MakeGrid<TExtStringGrid>(6, 8, 300, 200);
    int i = 0;
    for (int c = 0; c < g.ColCount(); ++c)
      for (int r = 0; r < g.RowCount(); ++r)
        g.SetCells(c, r, cp1253::FromUtf8(kTexts[i++ % std::size(kTexts)]));
    kind.prepare(g);
    const TPixelBlock fromTables = Painted(true);
    const TPixelBlock laidOut = Painted(false);
    ASSERT_EQ(fromTables.Pixels.size(), laidOut.Pixels.size());
    int differ = 0;
    for (size_t p = 0; p < laidOut.Pixels.size(); ++p) differ += fromTables.Pixels[p] != laidOut.Pixels[p];
    EXPECT_EQ(differ, 0);
  }
}

}  // namespace
