#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"

namespace {

// Remembers what each paste reports.
class NotedGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  void PasteNotify(TPoint Origin, const TGridRect& R, bool Copied) override {
    origin = Origin;
    rect = R;
    copied = Copied;
  }
  TPoint origin{-9, -9};
  TGridRect rect;
  bool copied = false;
};

class ClipboardFormatsTest : public GridFormTest {
 protected:
  void SetUp() override {
    GridFormTest::SetUp();
    ui::ResetClipboard();
    LoadGreekLocale();
  }
  void TearDown() override {
    LoadDefaultLocale();
    ui::ResetClipboard();
    GridFormTest::TearDown();
  }
  NotedGrid& Editable(int cols, int rows) {
    auto& g = MakeGrid<NotedGrid>(cols, rows);
    g.SetOptions(g.Options() + TGridOptions{goEditing, goRangeSelect});
    g.Navigation().AllowSmartClipboard = true;
    return g;
  }
};

TEST_F(ClipboardFormatsTest, TextDimensionsCountALastLineWithoutBreak) {
  struct Case {
    const char* text;
    TPoint dims;
  };
  const Case cases[] = {{"", {0, 0}},        {"a", {1, 1}},          {"a\tb", {2, 1}},
                        {"a\r\nb", {1, 2}},  {"a\r\nb\r\n", {1, 2}}, {"a\tb\tc\r\nd\r\n", {3, 2}},
                        {"\r\n\r\n", {1, 2}}};
  for (const Case& k : cases) EXPECT_EQ(TextDimensions(k.text), k.dims) << k.text;
}

TEST_F(ClipboardFormatsTest, CopyTextOfCheckBoxesHtmlAndRichText) {
  auto& g = Editable(4, 4);
  g.AddCheckBox(1, 1, true, false);
  g.SetCellText(2, 1, "<b>bold</b>");
  g.SetCellText(3, 1, "{\\rtf1 x}");
  g.SetSelection(TGridRect{1, 1, 3, 1});
  g.CopySelection();
  // A rich-text cell gives its plain text.
  EXPECT_EQ(Clipboard()->AsText(), g.GetCheckTrue(1, 1) + "\t<b>bold</b>\tx");
  g.Navigation().CopyHTMLTagsToClipboard = false;
  g.Navigation().AllowRTFClipboard = true;
  g.SetSelection(TGridRect{3, 1, 3, 1});
  g.CopySelection();
  const UINT rtf = RegisterClipboardFormat("Rich Text Format");
  EXPECT_EQ(Clipboard()->GetAsHandle(rtf), std::string("{\\rtf1 x}\0", 10));
  g.SetSelection(TGridRect{2, 1, 2, 1});
  g.CopySelection();
  EXPECT_EQ(Clipboard()->AsText(), "bold");
  // The copy text itself, for whoever copies through it: tags stripped
  // unless the grid keeps them.
  AnsiString copied;
  g.GetCopyText(2, 1, copied);
  EXPECT_EQ(copied, "bold");
  g.Navigation().CopyHTMLTagsToClipboard = true;
  g.GetCopyText(2, 1, copied);
  EXPECT_EQ(copied, "<b>bold</b>");
  g.Navigation().CopyHTMLTagsToClipboard = false;
  EXPECT_FALSE(Clipboard()->HasFormat(rtf));  // a plain top-left cell offers none
  // A rich text on the clipboard lands in the cell whole.
  Clipboard()->SetAsText("plain");
  Clipboard()->SetAsHandle(rtf, std::string("{\\rtf1 y}\0junk", 14));
  EXPECT_EQ(g.PasteAt(1, 2), 0);
  EXPECT_EQ(g.GetCellText(1, 2), "{\\rtf1 y}");
}

TEST_F(ClipboardFormatsTest, SmartPasteVectors) {
  struct Case {
    const char* what;
    const char* text;
    TGridRect sel;
    std::vector<const char*> cells;  // along the selection's axis from its first cell
  };
  const std::vector<Case> cases = {
      {"one cell: a pasted pair stays as pasted", "007\t008", {1, 1, 1, 1}, {"007", "008", ""}},
      {"one cell: decimals stay", "12,345\t1", {1, 1, 1, 1}, {"12,345", "1"}},
      {"the offers row into one cell",
       "ΑΛΦΑ ΑΤΕ\t1234.56\t12.5",
       {1, 1, 1, 1},
       {"ΑΛΦΑ ΑΤΕ", "1234.56", "12.5"}},
      {"a block without last break repeats by its rows",
       "Α\r\nΒ",
       {1, 1, 1, 6},
       {"Α", "Β", "Α", "Β", "Α", "Β"}},
      {"integers beyond 32 bits",
       "2147483646\r\n2147483647\r\n",
       {1, 1, 1, 4},
       {"2147483646", "2147483647", "2147483648", "2147483649"}},
      {"a float series", "1,5\r\n2\r\n", {1, 1, 1, 4}, {"1,50", "2,00", "2,50", "3,00"}},
      {"a month series",
       "31/1/2020\r\n29/2/2020\r\n",
       {1, 1, 1, 4},
       {"31/1/2020", "29/2/2020", "29/3/2020", "29/4/2020"}},
      {"a day series", "1/1/2020\r\n3/1/2020\r\n", {1, 1, 1, 3}, {"1/1/2020", "3/1/2020", "5/1/2020"}},
      {"a time series",
       "10:00:00 πμ\r\n10:30:00 πμ\r\n",
       {1, 1, 1, 3},
       {"10:00:00 πμ", "10:30:00 πμ", "11:00:00 πμ"}},
      {"a row of numbers", "1\t4", {1, 1, 4, 1}, {"1", "4", "7", "10"}},
      {"integers past 32 bits are texts: repeated",
       "2147483647\r\n2147483648\r\n",
       {1, 1, 1, 3},
       {"2147483647", "2147483648", "2147483647"}},
      {"a falling integer series", "5\t-2", {1, 1, 4, 1}, {"5", "-2", "-9", "-16"}},
      {"texts repeat by the cells read: a row's final line break leaves a gap",
       "a\tb\r\n",
       {1, 1, 6, 1},
       {"a", "b", "", "a", "b", ""}},
      {"a column's texts repeat by their rows", "a\r\nb\r\n", {1, 1, 1, 5}, {"a", "b", "a", "b", "a"}},
      {"a block of three rows keeps its period",
       "a\r\nb\r\nc",
       {1, 1, 1, 7},
       {"a", "b", "c", "a", "b", "c", "a"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = Editable(7, 8);
    Clipboard()->SetAsText(cp1253::FromUtf8(k.text));
    g.SetSelection(k.sel);
    EXPECT_NO_THROW(g.PasteAtSelection());
    const bool across = k.sel.Top == k.sel.Bottom;
    for (size_t i = 0; i < k.cells.size(); ++i) {
      const int c = k.sel.Left + (across ? static_cast<int>(i) : 0);
      const int r = k.sel.Top + (across ? 0 : static_cast<int>(i));
      EXPECT_EQ(g.GetCellText(c, r), cp1253::FromUtf8(k.cells[i])) << i;
    }
  }
}

// Two cells that look like dates, times or decimals but are none say so;
// what was pasted stays, and nothing past it changes.
TEST_F(ClipboardFormatsTest, ASeriesOfWhatIsNoDateOrNumberRaisesAndKeepsThePaste) {
  struct Case {
    const char* text;
    TGridRect sel;
    const char* error;
  };
  const Case cases[] = {
      {"1/1/x\r\n2/1/x\r\n", {1, 1, 1, 4}, "'1/1/x' is not a valid date and time"},
      {"10:00:00 πμ\r\n99:99 πμ\r\n", {1, 1, 1, 3}, "'99:99 πμ' is not a valid date and time"},
      {"1,5\r\nx\r\n", {1, 1, 1, 5}, "'x' is not a valid floating point value"},
      {"ΑΛΦΑ ΑΤΕ\t1234,56\t12,5", {1, 1, 5, 1}, "'ΑΛΦΑ ΑΤΕ' is not a valid floating point value"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    auto& g = Editable(7, 8);
    for (int c = 0; c < 7; ++c)
      for (int r = 0; r < 8; ++r) g.SetCellText(c, r, "old");
    Clipboard()->SetAsText(cp1253::FromUtf8(k.text));
    g.SetSelection(k.sel);
    EXPECT_EQ(ErrorOf<EConvertError>([&] { g.PasteAtSelection(); }), k.error);
    const AnsiString text = cp1253::FromUtf8(k.text);
    const bool across = k.sel.Top == k.sel.Bottom;
    const AnsiString firstCell = text.substr(0, text.find_first_of("\t\r"));
    EXPECT_EQ(g.GetCellText(1, 1), firstCell);
    const TPoint last = across ? TPoint{k.sel.Right, 1} : TPoint{1, k.sel.Bottom};
    EXPECT_EQ(g.GetCellText(last.X, last.Y), "old");
  }
}

TEST_F(ClipboardFormatsTest, ADateSeriesPastTheCalendarRaisesNothing) {
  auto& g = Editable(3, 6);
  Clipboard()->SetAsText("1/1/2000\r\n1/1/9000\r\n");
  g.SetSelection(TGridRect{1, 1, 1, 5});
  EXPECT_NO_THROW(g.PasteAtSelection());
  EXPECT_EQ(g.GetCellText(1, 1), "1/1/2000");
  EXPECT_EQ(g.GetCellText(1, 2), "1/1/9000");
}

TEST_F(ClipboardFormatsTest, EdgesOfTheTextExchange) {
  // Without quoting a two-line cell is copied as it is and splits in two rows.
  auto& g = Editable(4, 5);
  g.Multilinecells = true;
  g.SetCellText(1, 1, "one\r\ntwo");
  g.SetSelection(TGridRect{1, 1, 1, 1});
  g.CopySelection();
  EXPECT_EQ(Clipboard()->AsText(), "one\r\ntwo");
  EXPECT_EQ(g.PasteAt(2, 1), 2);
  EXPECT_EQ(g.GetCellText(2, 1), "one");
  EXPECT_EQ(g.GetCellText(2, 2), "two");

  // A rich text (N = 0) lands in the first cell only.
  g.Navigation().AllowRTFClipboard = true;
  Clipboard()->SetAsText("plain");
  Clipboard()->SetAsHandle(RegisterClipboardFormat("Rich Text Format"), std::string("{\\rtf1 \\b r}\0", 13));
  g.SetSelection(TGridRect{3, 1, 3, 4});
  g.PasteAtSelection();
  EXPECT_EQ(g.GetCellText(3, 1), "{\\rtf1 \\b r}");
  for (int r = 2; r <= 4; ++r) EXPECT_EQ(g.GetCellText(3, r), "") << r;
  EXPECT_TRUE(ShowsBoldRun(g, "r"));  // shown formatted
  g.Navigation().AllowRTFClipboard = false;

  // Without column growth a long line writes one cell past the last column,
  // which shows once the grid grows.
  g.Navigation().AllowClipboardColGrow = false;
  EXPECT_EQ(g.PasteText(2, 3, "p\tq\tr\ts"), 4);
  EXPECT_EQ(g.ColCount(), 4);
  EXPECT_EQ(g.GetCellText(3, 3), "q");
  g.SetColCount(6);
  EXPECT_EQ(g.GetCellText(4, 3), "r");
  EXPECT_EQ(g.GetCellText(5, 3), "");
}

TEST_F(ClipboardFormatsTest, PrivateFormatCarriesCellsBetweenGrids) {
  auto& a = Editable(5, 5);
  a.Navigation().AllowFmtClipboard = true;
  a.SetCellText(2, 2, "x");
  a.GetCellProperties(2, 2)->FontSize = 12;
  a.SetCellText(3, 3, "y");
  a.SetSelection(TGridRect{2, 2, 3, 3});
  a.CopySelection();
  EXPECT_EQ(Clipboard()->AsText(), "x\t\r\n\ty\r\n");
  EXPECT_TRUE(Clipboard()->HasFormat(GridCellsClipboardFormat()));

  // Back into the same grid: the origin is known.
  EXPECT_EQ(a.PasteAt(0, 0), 0);
  EXPECT_EQ(a.GetCellText(1, 1), "y");
  EXPECT_EQ(a.FindCellProperties(0, 0)->FontSize, 12);
  EXPECT_EQ(a.origin, (TPoint{2, 2}));
  EXPECT_EQ(a.rect, (TGridRect{0, 0, 1, 1}));
  EXPECT_TRUE(a.copied);

  auto* b = new NotedGrid(form.get());
  b->SetParent(form.get());
  b->SetColCount(3);
  b->SetRowCount(3);
  b->SetOptions(b->Options() + TGridOptions{goEditing});
  b->Navigation().AllowFmtClipboard = true;
  b->SetSelection(TGridRect{2, 2, 2, 2});
  b->PasteAtSelection();  // grows to hold the block
  EXPECT_EQ(b->ColCount(), 4);
  EXPECT_EQ(b->RowCount(), 4);
  EXPECT_EQ(b->GetCellText(3, 3), "y");
  EXPECT_EQ(b->origin, (TPoint{-1, -1}));
  // Without the option the same clipboard pastes as text.
  b->Navigation().AllowFmtClipboard = false;
  EXPECT_EQ(b->PasteAt(0, 0), 5);

  // A damaged block on the clipboard changes nothing and says so once.
  Clipboard()->SetAsHandle(GridCellsClipboardFormat(), std::string("TPF0\x0BTGridPropIO\x00\x08"
                                                                   "Col",
                                                                   21));
  b->Navigation().AllowFmtClipboard = true;
  b->SetCellText(0, 0, "keep");
  EXPECT_THROW(b->PasteAt(0, 0), EReadError);
  EXPECT_EQ(b->GetCellText(0, 0), "keep");
}

TEST_F(ClipboardFormatsTest, ADisjunctCopysBlockHoldsWhatItsTextHolds) {
  auto& a = Editable(3, 5);
  a.Navigation().AllowFmtClipboard = true;
  for (int r = 0; r < 5; ++r) a.SetCellText(1, r, IntToStr(r));
  a.MouseActions().SetDisjunctRowSelect(true);
  a.SetRowSelect(1, true);
  a.SetRowSelect(3, true);
  a.CopySelection();
  EXPECT_EQ(Clipboard()->AsText(), "\t1\t\r\n\t3\t\r\n");
  a.MouseActions().SetDisjunctRowSelect(false);
  a.PasteAt(0, 0);
  EXPECT_EQ(a.GetCellText(1, 0), "1");
  EXPECT_EQ(a.GetCellText(1, 1), "3");
  EXPECT_EQ(a.RowCount(), 5);
}

TEST_F(ClipboardFormatsTest, ACutOfDisjunctColumnsClearsThemWholeAndABlockIsNeverExtended) {
  auto& g = Editable(4, 4);
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) g.SetCellText(c, r, IntToStr(c * 10 + r));
  g.MouseActions().SetDisjunctColSelect(true);
  g.SetColSelect(2, true);
  g.CutSelection();
  EXPECT_EQ(Clipboard()->AsText(), "20\r\n21\r\n22\r\n23\r\n");
  for (int r = 0; r < 4; ++r) EXPECT_EQ(g.GetCellText(2, r), "") << r;
  EXPECT_EQ(g.GetCellText(1, 0), "10");
  g.MouseActions().SetDisjunctColSelect(false);

  // A pasted cell block (N = 0) stays as it landed in a larger selection.
  g.Navigation().AllowFmtClipboard = true;
  g.SetSelection(TGridRect{1, 1, 1, 1});
  g.CopySelection();
  g.SetSelection(TGridRect{3, 1, 3, 3});
  g.PasteAtSelection();
  EXPECT_EQ(g.GetCellText(3, 1), "11");
  EXPECT_EQ(g.GetCellText(3, 2), "32");
}

TEST_F(ClipboardFormatsTest, ManyLinesPasteInOneGrowth) {
  auto& g = Editable(3, 2);
  AnsiString text;
  for (int i = 0; i < 30000; ++i) text += IntToStr(i) + "\tx\r\n";
  EXPECT_EQ(g.PasteText(1, 1, text), 60001);
  EXPECT_EQ(g.RowCount(), 30001);
  EXPECT_EQ(g.GetCellText(1, 30000), "29999");
  // An empty line inside the text does not stop the growth.
  EXPECT_EQ(g.PasteText(1, 30000, "a\r\n\r\nb"), 3);
  EXPECT_EQ(g.GetCellText(1, 30002), "b");
  EXPECT_EQ(g.RowCount(), 30003);
}

}  // namespace
