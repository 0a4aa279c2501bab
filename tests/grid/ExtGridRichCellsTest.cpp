// Rich-text and wide (UTF-16) cells as the painter draws and the measurer
// sizes them: formatted runs rather than the RTF source, heights the rich
// edit's own layout agrees with, damaged RTF, and wide text wrapped, cut
// with an ellipsis and measured over its lines.

#include <algorithm>
#include <string>
#include <vector>

#include "CellPaintFixture.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridFooter.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComCtrls.h"
#include "tests/TestOutput.h"

namespace {

const TRect kWideCell{100, 50, 400, 130};

// "Plain", bold "Bold" and italic "Italic" in 10-point Arial, then a
// second paragraph of "Last" in 16 points.
const char* const kRuns =
    "{\\rtf1\\ansi\\ansicpg1253\\deff0{\\fonttbl{\\f0\\fcharset161 Arial;}}\\f0\\fs20 "
    "Plain {\\b Bold} {\\i Italic}\\par {\\fs32 Last}\\par}";

class RichCellsTest : public CellPaintTest {
 protected:
  RichCellsTest() : CellPaintTest(kWideCell) {}
  // The text runs drawn, code-page and wide alike.
  std::vector<TDrawCall> Runs() const {
    std::vector<TDrawCall> runs;
    for (const TDrawCall& c : canvas->Calls)
      if (c.Op == "ExtTextOut" || c.Op == "ExtTextOutW") runs.push_back(c);
    return runs;
  }
  const TDrawCall* Run(const AnsiString& text) const {
    for (const TDrawCall& c : canvas->Calls)
      if ((c.Op == "ExtTextOut" || c.Op == "ExtTextOutW") && c.Text == text) return &c;
    return nullptr;
  }
  bool SourceShown() const {
    return std::any_of(canvas->Calls.begin(), canvas->Calls.end(),
                       [](const TDrawCall& c) { return c.Text.find("rtf1") != AnsiString::npos; });
  }
  // The rich edit's own size of the text at a width (0: unwrapped).
  TSize OwnLayout(const AnsiString& rtf, int width) {
    TRichEdit edit(grid);
    edit.SetParent(grid);
    edit.SetRichText(rtf);
    TRect r = Rect(0, 0, std::max(1, width), 2);
    edit.Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    edit.SetWordWrap(width > 0);
    return edit.RequiredSize();
  }
};

TEST_F(RichCellsTest, RunsAreDrawnInTheirOwnStylesNotAsSource) {
  grid->SetCells(1, 1, kRuns);
  Paint(1, 1);
  EXPECT_FALSE(SourceShown());
  const struct {
    const char* text;
    TFontStyles style;
    int points;
  } runs[] = {{"Plain ", 0, 10}, {"Bold", fsBold, 10}, {"Italic", fsItalic, 10}, {"Last", 0, 16}};
  int lastY = 0;
  for (const auto& r : runs) {
    const TDrawCall* run = Run(r.text);
    ASSERT_NE(run, nullptr) << r.text;
    EXPECT_EQ(run->Font.Style, r.style) << r.text;
    EXPECT_EQ(run->Font.Size(), r.points) << r.text;
    EXPECT_EQ(run->Font.Name, "Arial") << r.text;
    // Inside the cell less its margin.
    EXPECT_GE(run->Args[0], kWideCell.Left + grid->XYOffset.X) << r.text;
    EXPECT_LT(run->Args[1], kWideCell.Bottom) << r.text;
    lastY = std::max(lastY, run->Args[1]);
  }
  EXPECT_GT(Run("Last")->Args[1], Run("Bold")->Args[1]);  // the second paragraph lies below
  EXPECT_EQ(Run("Last")->Args[1], lastY);
  // The cell keeps its own font for what it draws after the text.
  EXPECT_EQ(canvas->Font->Name, grid->Font().Name);
}

TEST_F(RichCellsTest, ASelectedCellTakesTheSelectionTextColourUnlessKept) {
  grid->SetCells(1, 1, "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 red}");
  grid->SetSelectionColor(clNavy);
  grid->SetSelectionTextColor(clYellow);
  const struct {
    bool keep;
    TColor expected;
  } cases[] = {{false, clYellow}, {true, clRed}};
  for (const auto& c : cases) {
    grid->SelectionRTFKeep = c.keep;
    Paint(1, 1, TGridDrawState{gdSelected});
    ASSERT_NE(Run("red"), nullptr) << c.keep;
    EXPECT_EQ(Run("red")->Font.Color, c.expected) << c.keep;
  }
  // Not selected, the run keeps its colour.
  grid->SelectionRTFKeep = false;
  Paint(1, 1);
  EXPECT_EQ(Run("red")->Font.Color, clRed);
}

TEST_F(RichCellsTest, MeasuredAsTheRichEditLaysItOut) {
  grid->SetCells(1, 1, kRuns);
  const int m = grid->XYOffset.X;
  TPoint natural;
  grid->GetCellTextSize(1, 1, false, natural);
  const TSize own = OwnLayout(kRuns, 0);
  EXPECT_EQ(natural, (TPoint{own.cx + 2 * m, own.cy + 2 * m}));
  // Two lines of different heights: more than twice the first.
  TRecordingCanvas probe;
  probe.Font->Name = "Arial";
  probe.Font->SetSize(10);
  EXPECT_GT(natural.Y, 2 * probe.TextHeight("gh"));
  EXPECT_GE(natural.X, probe.TextWidth("Plain Bold Italic"));

  // Wrapped to a narrow column: as many lines as the rich edit makes of it.
  grid->SetColWidths(1, 60);
  TPoint fitted;
  grid->GetCellTextSize(1, 1, true, fitted);
  const int inner = grid->CellRect(1, 1).Width() - 2 * m;
  EXPECT_EQ(fitted, (TPoint{grid->CellRect(1, 1).Width(), OwnLayout(kRuns, inner).cy + 2 * m}));
  EXPECT_GT(fitted.Y, natural.Y);
}

TEST_F(RichCellsTest, ACellOfTheMeasuredSizeShowsEveryLine) {
  // A row sized to the measure draws the last line too, wrapped or not.
  grid->SetCells(1, 1, kRuns);
  for (int width : {0, 60}) {
    SCOPED_TRACE(width);
    TPoint size;
    if (width > 0) grid->SetColWidths(1, width);
    grid->GetCellTextSize(1, 1, width > 0, size);
    canvas = std::make_unique<TRecordingCanvas>(400, 300);
    const TRect cell = Bounds(10, 10, width > 0 ? grid->CellRect(1, 1).Width() : size.X, size.Y);
    grid->DrawCellContent(*canvas, 1, 1, cell, {});
    const TDrawCall* last = Run("Last");
    ASSERT_NE(last, nullptr);
    EXPECT_LE(last->Args[1], cell.Bottom);
  }
}

TEST_F(RichCellsTest, ACellPaintedAgainShowsWhatItHoldsNow) {
  grid->SetCells(1, 1, "{\\rtf1 one two three four five six}");
  grid->SetCells(1, 2, "{\\rtf1 {\\b moved}}");
  Paint(1, 1);
  ASSERT_EQ(Runs().size(), 1u);
  // A new text.
  grid->SetCells(1, 1, "{\\rtf1 {\\i other}}");
  Paint(1, 1);
  ASSERT_NE(Run("other"), nullptr);
  EXPECT_EQ(Run("other")->Font.Style, fsItalic);
  EXPECT_EQ(canvas->TextDrawn().find("one"), AnsiString::npos);
  // Another row's text moved into the cell.
  grid->RemoveRows(1, 1);
  Paint(1, 1);
  ASSERT_NE(Run("moved"), nullptr);
  EXPECT_EQ(Run("moved")->Font.Style, fsBold);
  // Another size: the text wraps anew.
  grid->SetCells(1, 1, "{\\rtf1 one two three four five six}");
  canvas = std::make_unique<TRecordingCanvas>(400, 300);
  grid->DrawCellContent(*canvas, 1, 1, Bounds(10, 10, 60, 120), {});
  EXPECT_GT(Runs().size(), 2u);
  // Selected, the same text takes the selection's colour, and leaves it.
  grid->SetSelectionTextColor(clYellow);
  for (bool selected : {true, false}) {
    Paint(1, 1, selected ? TGridDrawState{gdSelected} : TGridDrawState{});
    ASSERT_EQ(Runs().size(), 1u);
    EXPECT_EQ(Runs()[0].Font.Color == clYellow, selected);
  }
}

TEST_F(RichCellsTest, RowsAndColumnsSizedToTheirContentShowIt) {
  grid->SetCells(1, 1, kRuns);
  grid->SetUnicodeCell(2, 1, u"Ωμέγα Жизнь");
  grid->AutoSizeCol(1);
  grid->AutoSizeCol(2);
  grid->AutoSizeRow(1);
  // Sized by what is drawn, not by the RTF source or the bytes of the
  // wide text.
  TRecordingCanvas probe;
  probe.Font->Assign(grid->Font());
  EXPECT_LT(grid->ColWidths(1), probe.TextWidth(kRuns) / 2);
  EXPECT_LT(grid->ColWidths(2), probe.TextWidthW(u"Ωμέγα Жизнь") + 20);
  EXPECT_GE(grid->ColWidths(2), probe.TextWidthW(u"Ωμέγα Жизнь"));
  // The painted cell shows both paragraphs, unwrapped, and the whole wide
  // text.
  canvas = std::make_unique<TRecordingCanvas>(1000, 300);
  grid->DrawCellContent(*canvas, 1, 1, grid->CellRect(1, 1), {});
  ASSERT_NE(Run("Last"), nullptr);
  ASSERT_NE(Run("Plain "), nullptr);
  EXPECT_EQ(Run("Bold")->Args[1], Run("Plain ")->Args[1]);
  canvas = std::make_unique<TRecordingCanvas>(1000, 300);
  grid->DrawCellContent(*canvas, 2, 1, grid->CellRect(2, 1), {});
  ASSERT_EQ(canvas->CallsOf("ExtTextOutW").size(), 1u);
  EXPECT_EQ(canvas->CallsOf("ExtTextOutW")[0].WideText, u"Ωμέγα Жизнь");
}

TEST_F(RichCellsTest, DamagedRichTextDrawsAsTextOrNothing) {
  const char* const damaged[] = {
      "{\\rtf1 {\\b unclosed",
      "{\\rtf1 \\'",
      "{\\rtf1 \\bin99999999 x}",
      "{\\",
      "{\\rtf1 {{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{",
      "{\\rtf1 \\u-99999999999 x}",
      "{\\rtf1 \\fs-40 \\fs999999 big}",
      "{\\rtf1 \\par\\par\\par\\par\\par\\par\\par\\par\\par\\par\\par\\par\\par\\par\\par\\par}",
  };
  for (const char* text : damaged) {
    SCOPED_TRACE(text);
    grid->SetCells(1, 1, text);
    Paint(1, 1);
    // Whatever shows is clipped to the cell.
    for (const TDrawCall& run : Runs()) {
      ASSERT_TRUE(run.Clip.has_value());
      for (const TRect& r : *run.Clip) {
        EXPECT_GE(r.Left, kWideCell.Left);
        EXPECT_LE(r.Bottom, kWideCell.Bottom);
      }
    }
    TPoint size;
    grid->GetCellTextSize(1, 1, false, size);
    EXPECT_GE(size.Y, 0);
    grid->GetCellTextSize(1, 1, true, size);
    EXPECT_GE(size.Y, 0);
  }
  // Unreadable RTF shows the text it holds.
  grid->SetCells(1, 1, "{\\rtf1 {\\b unclosed");
  Paint(1, 1);
  EXPECT_NE(canvas->TextDrawn().find("unclosed"), AnsiString::npos);
}

TEST_F(RichCellsTest, WideTextWrapsOrEndsInAnEllipsisAsPlainTextDoes) {
  const WideString words = u"Ωμέγα 東京 Ωμέγα 東京 Ωμέγα 東京 Ωμέγα 東京 Ωμέγα 東京 Ωμέγα 東京 Ωμέγα 東京";
  grid->SetUnicodeCell(1, 1, words);
  // One line, cut with an ellipsis.
  Paint(1, 1);
  std::vector<TDrawCall> lines = canvas->CallsOf("ExtTextOutW");
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_GE(lines[0].WideText.size(), 3u);
  EXPECT_EQ(lines[0].WideText.substr(lines[0].WideText.size() - 3), u"...");
  EXPECT_LE(canvas->TextWidthW(lines[0].WideText), kWideCell.Width());
  ASSERT_EQ(canvas->CallsOf("DrawTextW").size(), 1u);
  EXPECT_TRUE(canvas->CallsOf("DrawTextW")[0].Flags & DT_END_ELLIPSIS);

  // Wrapped: every word is drawn, on lines one below the other.
  grid->SetWordWrap(true);
  Paint(1, 1);
  lines = canvas->CallsOf("ExtTextOutW");
  ASSERT_GT(lines.size(), 1u);
  WideString drawn;
  for (size_t i = 0; i < lines.size(); ++i) {
    drawn += lines[i].WideText;
    if (i > 0) {
      EXPECT_GT(lines[i].Args[1], lines[i - 1].Args[1]);
    }
  }
  drawn.erase(std::remove(drawn.begin(), drawn.end(), u' '), drawn.end());
  WideString expected = words;
  expected.erase(std::remove(expected.begin(), expected.end(), u' '), expected.end());
  EXPECT_EQ(drawn, expected);

  // Its measure, wrapped to the column: as many lines as drawn.
  grid->SetColWidths(1, kWideCell.Width());
  TPoint fitted;
  grid->GetCellTextSize(1, 1, true, fitted);
  const int v = grid->XYOffset.Y;
  EXPECT_GE(fitted.Y - 2 * v, static_cast<int>(lines.size()) * grid->Canvas().TextHeight("gh") - 2);
}

TEST_F(RichCellsTest, WideLinesAreDrawnAndMeasuredOverTheirLines) {
  grid->SetUnicodeCell(1, 1, u"Ω\r\n東京東京");
  TRecordingCanvas c;
  c.Font->Assign(grid->Font());
  const int h = grid->XYOffset.X, v = grid->XYOffset.Y, line = c.TextHeight("gh");
  // One line without Multilinecells: its first.
  Paint(1, 1);
  ASSERT_EQ(canvas->CallsOf("ExtTextOutW").size(), 1u);
  EXPECT_EQ(canvas->CallsOf("ExtTextOutW")[0].WideText, u"Ω");
  TPoint size;
  grid->GetCellTextSize(1, 1, false, size);
  EXPECT_EQ(size, (TPoint{c.TextWidthW(u"Ω") + 2 * h, line + 2 * v}));

  grid->Multilinecells = true;
  Paint(1, 1);
  const auto lines = canvas->CallsOf("ExtTextOutW");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].WideText, u"東京東京");
  grid->GetCellTextSize(1, 1, false, size);
  EXPECT_EQ(size, (TPoint{c.TextWidthW(u"東京東京") + 2 * h, 2 * line + 2 * v}));

  // Turned text does not turn wide or rich cells.
  TCellGraphic* g = grid->CreateCellGraphic(1, 1);
  g->CellType = ctRotated;
  g->CellAngle = 90;
  TPoint turned;
  grid->GetCellTextSize(1, 1, false, turned);
  EXPECT_EQ(turned, size);
  grid->SetCells(1, 1, kRuns);
  grid->GetCellTextSize(1, 1, false, turned);
  const TSize own = OwnLayout(kRuns, 0);
  EXPECT_EQ(turned, (TPoint{own.cx + 2 * h, own.cy + 2 * h}));
}

// The picture of a grid of rich and wide cells: Greek runs in bold, italic
// and red, a selected rich cell in the selection's colours, wide text cut
// with an ellipsis and wrapped.
class RichCellsPictureTest : public GridFormTest {
 protected:
  // Pixels of a colour inside a rectangle of the picture.
  static int Count(const TImageCanvas& image, const TRect& r, TColor colour) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(image.Height(), r.Bottom); ++y)
      for (int x = std::max(0, r.Left); x < std::min(image.Width(), r.Right); ++x)
        if (image.Pixel(x, y) == colour) ++n;
    return n;
  }
  // Rows of a rectangle with ink: pixels other than the paper colour.
  static int InkedRows(const TImageCanvas& image, const TRect& r, TColor paper) {
    int rows = 0;
    // The edges apart, where grid lines may run.
    for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
      for (int x = r.Left + 2; x < r.Right - 2; ++x)
        if (image.Pixel(x, y) != paper) {
          ++rows;
          break;
        }
    return rows;
  }
};

TEST_F(RichCellsPictureTest, RichAndWideCellsShowFormatted) {
  auto& g = MakeGrid<TExtStringGrid>(3, 5, 500, 260);
  g.SetColWidths(1, 220);
  g.SetColWidths(2, 200);
  g.SetRowHeights(1, 44);
  g.SetRowHeights(3, 60);
  const AnsiString greek = cp1253::FromUtf8(
      "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0\\fcharset161 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
      "\\f0\\fs20 {\\b \\'d0\\'f1\\'ef\\'f3\\'f6\\'ef\\'f1\\'dc} {\\i "
      "\\'ec\\'e5\\'e9\\'ef\\'e4\\'fc\\'f4\\'e7}"
      "\\par {\\cf1\\fs28 12,50%}}");
  g.SetCells(1, 1, greek);
  g.SetCells(1, 2, greek);
  g.SetUnicodeCell(2, 1, u"Ωμέγα Жизнь Ωμέγα Жизнь Ωμέγα Жизнь Ωμέγα Жизнь");
  g.SetUnicodeCell(2, 3, u"Ωμέγα Жизнь Ωμέγα Жизнь Ωμέγα Жизнь Ωμέγα Жизнь");
  g.GetCellProperties(2, 3)->SetWordWrap(true);
  g.SetSelectionColor(clNavy);
  g.SetSelectionTextColor(clYellow);
  g.SetCol(2);
  g.SetRow(4);
  g.SetSelection({1, 2, 1, 2});
  TImageCanvas image(g.Width(), g.Height());
  g.PaintTo(image, 0, 0);
  image.SaveToPng((TestOutputFolder() / "grid_rich_cells.png").string());

  const TColor paper = ColorToRGB(g.Color());
  // Cells where the picture has them: the client area lies inside the
  // border.
  const TPoint client = g.ClientToScreen(Point(0, 0));
  const TPoint window = g.Parent()->ClientToScreen(Point(g.Left(), g.Top()));
  const TPoint origin{client.X - window.X, client.Y - window.Y};
  auto at = [&](int c, int r) {
    const TRect cell = g.CellRect(c, r);
    return Rect(cell.Left + origin.X, cell.Top + origin.Y, cell.Right + origin.X, cell.Bottom + origin.Y);
  };
  const TRect plain = at(1, 1), selected = at(1, 2);
  EXPECT_GT(Count(image, plain, clRed), 10);  // the red run
  EXPECT_EQ(Count(image, plain, clYellow), 0);
  EXPECT_GT(Count(image, selected, clYellow), 30);  // every run in the selection's text colour
  EXPECT_EQ(Count(image, selected, clRed), 0);
  EXPECT_GT(InkedRows(image, plain, paper),
            InkedRows(image, selected, clNavy) + 8);  // two lines, the cell below one
  // The wide text: one line cut short, and the wrapped one on several.
  const TRect cut = at(2, 1), wrapped = at(2, 3);
  EXPECT_GT(InkedRows(image, wrapped, paper), InkedRows(image, cut, paper) * 3 / 2);
}

}  // namespace
