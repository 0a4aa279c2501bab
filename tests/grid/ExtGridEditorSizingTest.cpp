// The text editor's cell growing with what is typed into it.

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "grid/ExtInplaceEdit.h"
#include "platform/ui/Input.h"

namespace {

class ExtGridEditorSizingTest : public GridFormTest {
 protected:
  TExtStringGrid& Editing(bool width, bool height) {
    auto& g = MakeGrid<TExtStringGrid>(4, 4, 500, 300);
    g.SetOptions(g.Options() + TGridOptions{goEditing});
    g.SizeWhileTyping().Width = width;
    g.SizeWhileTyping().Height = height;
    g.SetFocus();
    g.SetCol(1);
    g.SetRow(1);
    backend->PressKey(VK_F2);
    Application->ProcessMessages();
    return g;
  }
};

TEST_F(ExtGridEditorSizingTest, TypedLongTextWidensTheColumn) {
  for (bool on : {false, true}) {
    auto& g = Editing(on, false);
    const int before = g.ColWidths(1);
    backend->Type("a text far longer than the column it is typed in");
    EXPECT_EQ(g.ColWidths(1) > before, on) << on;
    if (!on) continue;
    // The column fits the text and the editor follows the column.
    g.Canvas().Font->Assign(g.Font());
    EXPECT_GE(g.ColWidths(1), g.Canvas().TextWidth(g.GetCellText(1, 1)));
    EXPECT_GE(g.ExtInplaceEditor()->Width(), g.ColWidths(1) - 2);
  }
}

// Keys in the editor never narrow a column wider than its content: the
// width the program gave it stays, and typing past it still widens it.
TEST_F(ExtGridEditorSizingTest, KeysInTheEditorNeverNarrowAWideColumn) {
  const struct {
    const char* what;
    const char* typed;
    bool wider;
  } cases[] = {{"opened only", "", false},
               {"a short word", "ab", false},
               {"past the width", "a text far longer than the two hundred pixels of the column", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto& g = MakeGrid<TExtStringGrid>(4, 4, 500, 300);
    g.SetOptions(g.Options() + TGridOptions{goEditing});
    g.SizeWhileTyping().Width = true;
    g.SetColWidths(1, 200);
    g.SetCellText(1, 1, "x");
    g.SetCellText(1, 2, "y");
    g.SetFocus();
    g.SetCol(1);
    g.SetRow(1);
    backend->PressKey(VK_F2);
    Application->ProcessMessages();
    backend->Type(c.typed);
    Application->ProcessMessages();
    EXPECT_EQ(g.ColWidths(1) > 200, c.wider) << g.ColWidths(1);
    EXPECT_GE(g.ColWidths(1), 200);
  }
}

TEST_F(ExtGridEditorSizingTest, WrappedTextHeightensTheRow) {
  for (bool on : {false, true}) {
    auto& g = Editing(false, on);
    g.SetWordWrap(true);
    int ended = -1;
    g.OnEndRowSize = [&](TObject*, int row) { ended = row; };
    const int before = g.RowHeights(1);
    backend->Type("words that wrap over several lines of this narrow column");
    EXPECT_EQ(g.RowHeights(1) > before, on) << on;
    EXPECT_EQ(ended, on ? 1 : -1);
  }
}

TEST_F(ExtGridEditorSizingTest, CtrlEnterGrowsTheRowByALine) {
  auto& g = Editing(false, true);
  g.Multilinecells = true;
  int ended = -1;
  g.OnEndRowSize = [&](TObject*, int row) { ended = row; };
  backend->Type("one");
  const int before = g.RowHeights(1);
  backend->PressKey(VK_RETURN, TShiftState{ssCtrl});
  const int twoLines = g.RowHeights(1);
  EXPECT_GT(twoLines, before);
  EXPECT_EQ(ended, 1);
}

TEST_F(ExtGridEditorSizingTest, CtrlEnterFitsATallerNeighbour) {
  auto& g = Editing(false, true);
  g.Multilinecells = true;
  g.SetCellText(2, 1, "a\r\nb\r\nc\r\nd");
  backend->Type("one");
  backend->PressKey(VK_RETURN, TShiftState{ssCtrl});
  g.Canvas().Font->Assign(g.Font());
  EXPECT_GE(g.RowHeights(1), 4 * g.Canvas().TextHeight("gh"));
}

// The line break goes into the text typed so far, whether the row grows
// with it or not, once for each press, and the cell keeps both lines.
TEST_F(ExtGridEditorSizingTest, CtrlEnterKeepsTheTypedText) {
  for (bool grow : {false, true})
    for (bool lineFeedOnEnter : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "grow " << grow << ", LineFeedOnEnter " << lineFeedOnEnter);
      auto& g = Editing(false, grow);
      g.Multilinecells = true;
      g.Navigation().LineFeedOnEnter = lineFeedOnEnter;
      const int before = g.RowHeights(1);
      backend->Type("one");
      backend->PressKey(VK_RETURN, TShiftState{ssCtrl});
      Application->ProcessMessages();
      ASSERT_NE(g.ExtInplaceEditor(), nullptr);
      EXPECT_TRUE(g.ExtInplaceEditor()->Visible());
      EXPECT_EQ(g.ExtInplaceEditor()->Text(), "one\r\n");
      // The row grows for the break where the key reaches the editor's own
      // key handling; with LineFeedOnEnter the break is typed at once.
      EXPECT_EQ(g.RowHeights(1) > before, grow && !lineFeedOnEnter);
      backend->Type("two");
      EXPECT_EQ(g.ExtInplaceEditor()->Text(), "one\r\ntwo");
      // Down from the last line leaves the cell with what was typed.
      backend->PressKey(VK_DOWN);
      Application->ProcessMessages();
      EXPECT_EQ(g.Row(), 2);
      EXPECT_EQ(g.GetCellText(1, 1), "one\r\ntwo");
    }
}
}  // namespace
