// What the look's setters and the fonts the grid hands out change shows at
// once: the window painted after the change is the window painted whole.

#include <gtest/gtest.h>

#include <functional>

#include "../TestOutput.h"
#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "grid/ExtInplaceEdit.h"

namespace {

class ExtGridRepaintTest : public GridFormTest {
 protected:
  // The grid with a link in a data cell, headings and a range selected.
  TExtStringGrid& Shown() {
    auto& g = MakeGrid<TExtStringGrid>(4, 5);
    g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
    g.SetColWidths(1, 140);
    g.SetCellText(1, 1, "http://a.gr/b");
    for (int c = 1; c < 4; ++c) g.SetCellText(c, 0, "Head");
    for (int r = 1; r < 5; ++r) g.SetCellText(0, r, "Row");
    g.SetSelection({2, 2, 3, 3});
    return g;
  }
  // What the window shows after painting only what is pending.
  TPixelBlock Pending() { return backend->Render(*form)->Snapshot(); }
  TPixelBlock Whole() {
    form->Invalidate();
    return backend->Render(*form)->Snapshot();
  }
};

TEST_F(ExtGridRepaintTest, ChangesOfTheLookShowAtOnce) {
  struct Case {
    const char* name;
    std::function<void(TExtStringGrid&)> prepare, change;
  };
  const auto nothing = [](TExtStringGrid&) {};
  const auto links = [](TExtStringGrid& g) { g.SetURLShow(true); };
  const Case cases[] = {
      {"links shown", nothing, [](TExtStringGrid& g) { g.SetURLShow(true); }},
      {"links hidden", links, [](TExtStringGrid& g) { g.SetURLShow(false); }},
      {"link colour", links, [](TExtStringGrid& g) { g.SetURLColor(clRed); }},
      {"link scheme", links, [](TExtStringGrid& g) { g.SetURLFull(true); }},
      {"selection frame", nothing, [](TExtStringGrid& g) { g.SetSelectionRectangle(true); }},
      {"selection handle", [](TExtStringGrid& g) { g.SetSelectionRectangle(true); },
       [](TExtStringGrid& g) { g.SetSelectionResizer(true); }},
      {"heading colour", nothing, [](TExtStringGrid& g) { g.FixedFont().Color = clRed; }},
      {"heading size", nothing, [](TExtStringGrid& g) { g.FixedFont().SetSize(14); }},
      {"heading font assigned", nothing,
       [](TExtStringGrid& g) {
         TFont font;
         font.Assign(g.FixedFont());
         font.Style = fsItalic;
         g.SetFixedFont(font);
       }},
      {"active heading colour", [](TExtStringGrid& g) { g.SetActiveCellShow(true); },
       [](TExtStringGrid& g) { g.ActiveCellFont().Color = clRed; }},
      {"active heading style", [](TExtStringGrid& g) { g.SetActiveCellShow(true); },
       [](TExtStringGrid& g) { g.ActiveCellFont().Style |= fsItalic; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TExtStringGrid& g = Shown();
    c.prepare(g);
    const TPixelBlock before = Whole();
    c.change(g);
    const TPixelBlock after = Pending();
    EXPECT_NE(after.Pixels, before.Pixels);
    EXPECT_EQ(after.Pixels, Whole().Pixels);
  }
}

// The link's colour and scheme wait for the links to be shown.
TEST_F(ExtGridRepaintTest, LinkLookRepaintsNothingWhileLinksAreHidden) {
  TExtStringGrid& g = Shown();
  backend->Render(*form);
  const int passes = backend->PaintPasses;
  g.SetURLColor(clRed);
  g.SetURLFull(true);
  backend->Render(*form);
  EXPECT_EQ(backend->PaintPasses, passes);
  g.SetURLShow(true);
  const TImageCanvas* shot = backend->Render(*form);
  ASSERT_NE(shot, nullptr);
  backend->SaveWindowPng(*form, (TestOutputFolder() / "grid_links_shown.png").string());
  int red = 0;
  const TRect cell = g.CellRect(1, 1);
  for (int y = cell.Top; y < cell.Bottom; ++y)
    for (int x = cell.Left; x < cell.Right; ++x) red += shot->Pixel(g.Left() + x, g.Top() + y) == clRed;
  EXPECT_GT(red, 10);
}

// Word wrap set while the text editor is open wraps the text it shows.
TEST_F(ExtGridRepaintTest, WordWrapReachesTheOpenTextEditor) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.SetColWidths(1, 90);
  g.SetRowHeights(1, 60);
  g.SetCellText(1, 1, "one two three four five six");
  g.SetFocus();
  Application->ProcessMessages();
  g.SetCol(1);
  g.SetRow(1);
  backend->PressKey(VK_F2);
  Application->ProcessMessages();
  ASSERT_TRUE(g.EditorMode());
  auto* editor = dynamic_cast<TExtInplaceEdit*>(g.InplaceEditor());
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(editor->Visible());
  // No text selected: the lines are told by their letters alone.
  editor->SetSelStart(0);
  editor->SetSelLength(0);
  // Rows of the editor with dark pixels on them: the lines of text shown.
  auto linesShown = [&] {
    const TImageCanvas* shot = backend->Render(*form);
    const TPoint at = form->ScreenToClient(editor->ClientToScreen(Point(0, 0)));
    int rows = 0;
    bool inLine = false;
    for (int y = 0; y < editor->Height(); ++y) {
      bool dark = false;
      for (int x = 0; x < editor->Width(); ++x) {
        const TColor c = shot->Pixel(at.X + x, at.Y + y);
        dark = dark || (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF) < 3 * 100;
      }
      rows += dark && !inLine;
      inLine = dark;
    }
    return rows;
  };
  EXPECT_EQ(linesShown(), 1);
  g.SetWordWrap(true);
  EXPECT_TRUE(editor->WordWrap());
  EXPECT_GE(linesShown(), 2);
  backend->SaveWindowPng(*form, (TestOutputFolder() / "grid_editor_wrapped.png").string());
  g.SetWordWrap(false);
  EXPECT_EQ(linesShown(), 1);
}

}  // namespace
