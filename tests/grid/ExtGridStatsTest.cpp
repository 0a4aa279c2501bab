#include <gtest/gtest.h>

#include <cmath>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/ui/Clipbrd.h"

namespace {

class ExtGridStatsTest : public GridFormTest {};

TEST_F(ExtGridStatsTest, ColumnStatistics) {
  auto& g = MakeGrid<TExtStringGrid>(2, 5);
  const char* values[] = {"1", "", "2.5", "3", "1"};
  for (int r = 0; r < 5; ++r) g.SetCellText(1, r, values[r]);
  EXPECT_DOUBLE_EQ(g.ColumnSum(1, 0, 2), 3.5);
  EXPECT_DOUBLE_EQ(g.ColumnAvg(1, 0, 3), 6.5 / 4);
  EXPECT_DOUBLE_EQ(g.ColumnAvg(1, 3, 2), 0);  // an empty range
  EXPECT_DOUBLE_EQ(g.ColumnSum(1, 3, 2), 0);
  EXPECT_DOUBLE_EQ(g.ColumnMin(1, 2, 4), 1);
  EXPECT_DOUBLE_EQ(g.ColumnMax(1, 0, 4), 3);
  g.SetCellText(1, 1, "x");
  for (auto call : {&TExtStringGrid::ColumnSum, &TExtStringGrid::ColumnMin, &TExtStringGrid::ColumnMax})
    EXPECT_EQ(ErrorOf<EExtGridError>([&] { (g.*call)(1, 0, 2); }), "Cell does not contain a float value");
}

TEST_F(ExtGridStatsTest, SelectionTextHasNoLastLineBreakUnlikeTheCopy) {
  auto& g = MakeGrid<TExtStringGrid>(3, 4);
  g.SetCellText(1, 1, "a");
  g.SetCellText(2, 1, "b");
  g.SetCellText(1, 2, "c");
  g.SetCellText(2, 2, "<b>d</b>");
  g.SetSelection(TGridRect{1, 1, 2, 2});
  AnsiString s;
  g.GetSelectionAsText(s);
  EXPECT_EQ(s, "a\tb\r\nc\t<b>d</b>");
  ui::ResetClipboard();
  g.CopySelection();
  EXPECT_EQ(Clipboard()->AsText(), s + "\r\n");
  g.GetCellPlainText(2, 2, s);
  EXPECT_EQ(s, "d");
  // Disjunct rows: a last selected row above the bottom keeps its break.
  g.MouseActions().SetDisjunctRowSelect(true);
  g.SetRowSelect(1, true);
  g.GetSelectionAsText(s);
  EXPECT_EQ(s, "a\tb\r\n");
  EXPECT_TRUE(g.IsSelected(1, 1));
  EXPECT_FALSE(g.IsSelected(1, 2));
  EXPECT_FALSE(g.IsSelected(0, 1));  // fixed
  EXPECT_EQ(ErrorOf<EExtGridError>([&] { g.IsSelected(1, 9); }), "Invalid row accessed");
}

TEST_F(ExtGridStatsTest, SelectionTextAndCopyDifferOnlyByTheLastLineBreak) {
  struct Case {
    const char* what;
    TGridRect sel;
    bool copyEndsLine;  // the copy of several rows ends every row
  };
  const Case cases[] = {
      {"one cell", {1, 1, 1, 1}, false},
      {"one row", {1, 2, 3, 2}, false},
      {"one column", {2, 1, 2, 4}, true},
      {"a block", {1, 1, 3, 4}, true},
      {"down to the last row", {1, 3, 3, 5}, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = MakeGrid<TExtStringGrid>(4, 6);
    for (int c = 0; c < 4; ++c)
      for (int r = 0; r < 6; ++r) g.SetCellText(c, r, IntToStr(c) + "." + IntToStr(r));
    g.SetSelection(k.sel);
    AnsiString s;
    g.GetSelectionAsText(s);
    EXPECT_NE(s.substr(s.size() < 2 ? 0 : s.size() - 2), "\r\n");
    ui::ResetClipboard();
    g.CopySelection();
    EXPECT_EQ(Clipboard()->AsText(), k.copyEndsLine ? s + "\r\n" : s);
  }
}

TEST_F(ExtGridStatsTest, ZoomStopsAtTenAndSizesFollow) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  const int w = g.ColWidths(1), h = g.RowHeights(1);
  for (int i = 0; i < 10; ++i) g.Zoom(1);
  EXPECT_EQ(g.ZoomStep(), 10);
  EXPECT_EQ(g.ColWidths(1), w + 10);
  g.Zoom(1);
  EXPECT_EQ(g.ZoomStep(), 10);
  EXPECT_EQ(g.RowHeights(1), h + 10);
  g.SetColWidths(2, 3);
  g.Zoom(-21);  // beyond -10: nothing
  g.Zoom(-5);
  EXPECT_EQ(g.ColWidths(2), 3);  // would not stay positive
  EXPECT_EQ(g.ColWidths(1), w + 5);
}

TEST_F(ExtGridStatsTest, AutoSizingAndLines) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.AutoSizeCol(1);
  EXPECT_EQ(g.ColWidths(1), 2 * (g.GridLineWidth() + 1) + 2);  // empty column
  g.MinColWidth = 40;
  g.AutoSizeCol(1);
  EXPECT_EQ(g.ColWidths(1), 40);
  g.SetCellText(1, 1, "a rather long text");
  g.AutoSizeCol(1);
  const int wide = g.ColWidths(1);
  EXPECT_GT(wide, 80);
  g.OnUpdateColumnSize = [](TObject*, int, int& w) { w += 7; };
  g.AutoSizeCol(1);
  EXPECT_EQ(g.ColWidths(1), wide + 7);
  g.OnUpdateColumnSize = nullptr;
  g.MaxColWidth = 50;
  g.AutoSizeColumns(false, 4);
  EXPECT_EQ(g.ColWidths(1), 50);

  g.SetCellText(2, 2, "one\r\ntwo\r\nthree");
  EXPECT_EQ(g.MaxLinesInRow(2), 1);
  g.Multilinecells = true;
  EXPECT_EQ(g.MaxLinesInRow(2), 3);
  g.AutoSizeRow(2);
  const int tall = g.RowHeights(2);
  g.SetRowHeightByLines(2, 3, 0);
  EXPECT_NEAR(g.RowHeights(2), tall, 10);
  g.MaxRowHeight = 20;
  g.SetRowHeightByLines(2, 3, 0);
  EXPECT_EQ(g.RowHeights(2), 20);
}

TEST_F(ExtGridStatsTest, RotatedTextOriginTable) {
  auto& g = MakeGrid<TExtStringGrid>(2, 2);
  const AnsiString text = "Rotated";
  g.Canvas().Font->Assign(g.Font());
  const TSize t = g.Canvas().TextExtent(text);
  // Each quadrant inside and at its closing edge, where the quadrant ends.
  for (int angle : {0, 30, 90, 120, 180, 210, 270, 300, 360}) {
    const long double a = angle * 3.14159265358979323846L / 180;
    auto part = [](long double v) { return static_cast<int>(std::fabs(std::nearbyint(v))); };
    const int A = part(std::cos(a) * t.cx), B = part(std::sin(a) * t.cy);
    const int C = part(std::sin(a) * t.cx), D = part(std::cos(a) * t.cy);
    const int L = 10, T = 20, Rt = 210 - 2, Bt = 120 - 2, W = Rt - L, H = Bt - T, m = (H - D - C) / 2;
    const int q = angle <= 90 ? 0 : angle <= 180 ? 1 : angle <= 270 ? 2 : 3;
    const int left[4][3] = {{L, Rt - A - B, L + (W - B - A) / 2},
                            {L + A, Rt - B, Rt - (W + B - A) / 2},
                            {L + B + A, Rt, Rt - (W - B - A) / 2},
                            {L + B, Rt - A, L + (W + B - A) / 2}};
    const int top[4][3] = {{T + C, T + m + C, Bt - D},
                           {T + C + D, T + m + C + D, Bt},
                           {T + D, T + m + D, Bt - C},
                           {T, T + m, Bt - D - C}};
    for (int h = 0; h < 3; ++h)
      for (int v = 0; v < 3; ++v) {
        SCOPED_TRACE(testing::Message() << angle << " " << h << " " << v);
        TRect r = Rect(10, 20, 210, 120);
        g.RotatedTextOrigin(r, angle, static_cast<Byte>(v), static_cast<Byte>(h), text);
        EXPECT_EQ(r.Left, left[q][h] - 2);
        EXPECT_EQ(r.Top, top[q][v] - 2);
      }
  }
  // Level text at the top left: only the margins move it.
  TRect r = Rect(10, 20, 210, 120);
  g.RotatedTextOrigin(r, 0, 0, 0, text);
  EXPECT_EQ(r.Left, 8);
  EXPECT_EQ(r.Top, 18);
}

}  // namespace
