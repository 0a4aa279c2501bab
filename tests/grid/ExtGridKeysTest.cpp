// The grid's keyboard and its commit of an edited cell, driven through
// injected keys: linked objects told of changed cells, the selection frames
// redrawn by keys, disjunct marks of rows and columns together, typing into
// a range, a refused value, and the width followed after a stretch.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../TestOutput.h"
#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "grid/ExtInplaceEdit.h"
#include "grid/esgcheck.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/StdCtrls.h"

namespace {

// Keeps what it hears and, at that moment, the text of the cell (1, 1).
struct RecordingLink : TGridCellsLink {
  struct Heard {
    TRect R;
    AnsiString Cell;
  };
  std::vector<Heard> heard;
  std::vector<std::string>* log = nullptr;
  void CellsChanged(TExtStringGrid& g, const TRect& R) override {
    heard.push_back({R, g.GetCellText(1, 1)});
    if (log) log->push_back("link");
  }
};

class ExtGridKeysTest : public GridFormTest {
 protected:
  TExtStringGrid& Editable(int cols = 4, int rows = 5) {
    auto& g = MakeGrid<TExtStringGrid>(cols, rows);
    g.SetOptions(g.Options() + TGridOptions{goEditing});
    g.SetFocus();
    Application->ProcessMessages();
    return g;
  }
  void Key(Word vk, TShiftState shift = {}) {
    backend->PressKey(vk, shift);
    Application->ProcessMessages();
  }
  void Open(TExtStringGrid& g, int c, int r) {
    g.SetCol(c);
    g.SetRow(r);
    Key(VK_F2);
  }
  // The form as the last paints left it, and as a full paint draws it.
  std::pair<TPixelBlock, TPixelBlock> PaintedAndFresh(TExtStringGrid& g) {
    const TPixelBlock painted = backend->Render(*form)->Snapshot();
    g.Invalidate();
    const TPixelBlock fresh = backend->Render(*form)->Snapshot();
    return {painted, fresh};
  }
};

// ---- linked objects ----

TEST_F(ExtGridKeysTest, LinkedObjectsHearTheCellTheCheckerCorrected) {
  struct Checker : TExtStringGridCheck {
    using TExtStringGridCheck::TExtStringGridCheck;
    AnsiString CheckCorrect(int, int, const AnsiString& t) override { return t + "0"; }
  };
  auto& g = Editable();
  Checker checker(nullptr);
  checker.AutoCorrect = true;
  g.SetCellChecker(&checker);
  std::vector<std::string> log;
  RecordingLink first, second;
  first.log = second.log = &log;
  first.SetGrid(&g);
  second.SetGrid(&g);
  EXPECT_EQ(g.CellsLinkCount(), 2);
  g.OnCellsChanged = [&](TObject*, const TRect&) { log.push_back("event"); };
  Open(g, 1, 1);
  backend->Type("7");
  Key(VK_RETURN);
  EXPECT_EQ(g.GetCellText(1, 1), "70");
  ASSERT_EQ(first.heard.size(), 1u);
  EXPECT_EQ(first.heard[0].R, Rect(1, 1, 1, 1));
  EXPECT_EQ(first.heard[0].Cell, "70");  // the corrected value, already in the cell
  EXPECT_EQ(second.heard.size(), 1u);
  EXPECT_EQ(log, (std::vector<std::string>{"event", "link", "link"}));
  g.SetCellChecker(nullptr);

  // A handler's own value reaches them too; an unlinked object hears nothing.
  second.SetGrid(nullptr);
  g.OnCellValidate = [](TObject*, int, int, AnsiString& v, bool&) { v = "handled"; };
  Open(g, 1, 1);
  backend->Type("8");
  Key(VK_RETURN);
  ASSERT_EQ(first.heard.size(), 2u);
  EXPECT_EQ(first.heard[1].Cell, "handled");
  EXPECT_EQ(second.heard.size(), 1u);
  EXPECT_EQ(g.CellsLinkCount(), 1);
}

// Whatever the cell keeps after a commit (the checker's marked text, the
// handler's value, the old text of a refusal) is in the cell when the
// handler, the links and the footers hear of it.
TEST_F(ExtGridKeysTest, TheChangeIsToldWithTheValueTheCellKeeps) {
  struct Marker : TExtStringGridCheck {
    using TExtStringGridCheck::TExtStringGridCheck;
    AnsiString CheckMarkError(int, int, const AnsiString& t) override { return t + "5"; }
  };
  struct Case {
    const char* what;
    bool marker;
    std::function<void(AnsiString&, bool&)> validate;
    const char* kept;
  };
  const Case cases[] = {
      {"the checker's mark", true, nullptr, "275"},
      {"the handler's value", false, [](AnsiString& v, bool&) { v = "40"; }, "40"},
      {"refused with a value of the handler's", false,
       [](AnsiString& v, bool& valid) {
         v = "30";
         valid = false;
       },
       "30"},
      {"refused as typed", false, [](AnsiString&, bool& valid) { valid = false; }, "2"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = Editable();
    g.FloatingFooter().SetVisible(true);
    g.GetCellProperties(1, 4)->FooterCalc = 1;  // the sum of the column
    g.SetCellText(1, 1, "2");
    g.SetCellText(1, 2, "1");
    g.RecalcAllFooters();
    Marker marker(nullptr);
    marker.AutoMarkError = true;
    if (k.marker) g.SetCellChecker(&marker);
    if (k.validate)
      g.OnCellValidate = [&](TObject*, int, int, AnsiString& v, bool& valid) { k.validate(v, valid); };
    RecordingLink link;
    link.SetGrid(&g);
    std::vector<AnsiString> told;
    g.OnCellsChanged = [&](TObject*, const TRect&) { told.push_back(g.GetCellText(1, 1)); };
    Open(g, 1, 1);
    backend->Type("7");
    Key(VK_RETURN);
    if (g.EditorMode()) Key(VK_ESCAPE);  // a refusal opened the editor again
    EXPECT_EQ(g.GetCellText(1, 1), k.kept);
    ASSERT_EQ(told, std::vector<AnsiString>{k.kept});
    ASSERT_EQ(link.heard.size(), 1u);
    EXPECT_EQ(link.heard[0].Cell, k.kept);
    EXPECT_EQ(StrToFloat(g.GetCellText(1, 4)), StrToFloat(k.kept) + 1);
    g.SetCellChecker(nullptr);
    link.SetGrid(nullptr);
  }
}

TEST_F(ExtGridKeysTest, LinksHearPastesAndStructureAndSurviveEitherSideGoingFirst) {
  auto& g = MakeGrid<TExtStringGrid>(4, 5);
  RecordingLink stays;
  stays.SetGrid(&g);
  {
    // One that unlinks the other while it is told.
    struct Unlinker : TGridCellsLink {
      TGridCellsLink* other = nullptr;
      int told = 0;
      void CellsChanged(TExtStringGrid&, const TRect&) override {
        ++told;
        if (other) other->SetGrid(nullptr);
      }
    } unlinker;
    RecordingLink later;
    unlinker.SetGrid(&g);
    later.SetGrid(&g);
    unlinker.other = &later;
    g.RemoveRows(2, 1);
    EXPECT_EQ(unlinker.told, 1);
    EXPECT_TRUE(later.heard.empty());
    EXPECT_EQ(g.CellsLinkCount(), 2);
  }
  // Freed links left the grid.
  EXPECT_EQ(g.CellsLinkCount(), 1);
  ASSERT_EQ(stays.heard.size(), 1u);
  EXPECT_EQ(stays.heard[0].R.Top, 2);

  // The grid freed first lets go of its link.
  form.reset();
  EXPECT_EQ(stays.Grid(), nullptr);
  stays.SetGrid(nullptr);
}

// ---- the selection frames ----

TEST_F(ExtGridKeysTest, KeysRedrawTheSelectionFramesTheyMove) {
  auto& g = MakeGrid<TExtStringGrid>(6, 8);
  g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
  g.SetSelectionRectangle(true);
  g.SelectionRectangleColor = clRed;
  g.SetFocus();
  Application->ProcessMessages();
  backend->Render(*form);
  struct Step {
    Word key;
    TShiftState shift;
  };
  // A merged area on the way: its frame spans the whole area.
  g.MergeCells(2, 4, 2, 2);
  const Step steps[] = {{VK_DOWN, {ssShift}}, {VK_RIGHT, {ssShift}}, {VK_DOWN, {ssShift}}, {VK_UP, {ssShift}},
                        {VK_LEFT, {ssShift}}, {VK_DOWN, {}},         {VK_DOWN, {}},        {VK_RIGHT, {}},
                        {VK_RIGHT, {}},       {VK_UP, {}},           {VK_DOWN, {}},        {VK_DOWN, {}}};
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(i++);
    Key(s.key, s.shift);
    const auto [painted, fresh] = PaintedAndFresh(g);
    int stale = 0;
    for (size_t p = 0; p < painted.Pixels.size(); ++p) stale += painted.Pixels[p] != fresh.Pixels[p];
    EXPECT_EQ(stale, 0);
  }
  backend->SaveWindowPng(*form, TestOutput("grid_keys_selection_frame.png"));
  // The frame is where the selection is, and nowhere else.
  const TGridRect sel = g.Selection();
  EXPECT_EQ(sel.Top, sel.Bottom);
  const TImageCanvas* shown = backend->Render(*form);
  auto red = [&](int c, int r) {
    const TRect cell = g.CellRect(c, r);
    int count = 0;
    for (int x = cell.Left; x < cell.Right; ++x)
      for (int y = cell.Top; y < cell.Bottom; ++y) {
        const TPoint p = form->ScreenToClient(g.ClientToScreen(Point(x, y)));
        count += shown->Pixel(p.X, p.Y) == ColorToRGB(clRed);
      }
    return count;
  };
  EXPECT_GT(red(sel.Left, sel.Top), 0);
  EXPECT_EQ(red(2, 2), 0);
  EXPECT_EQ(red(1, 2), 0);
}

// ---- disjunct marks ----

TEST_F(ExtGridKeysTest, RowAndColumnMarksFollowTheKeysTogether) {
  auto& g = MakeGrid<TExtStringGrid>(6, 8);
  g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
  g.MouseActions().SetDisjunctRowSelect(true);
  g.MouseActions().SetDisjunctColSelect(true);
  g.SetFocus();
  Application->ProcessMessages();
  Key(VK_DOWN);
  EXPECT_TRUE(g.RowSelect(2));
  EXPECT_TRUE(g.ColSelect(1));
  EXPECT_FALSE(g.RowSelect(1));
  Key(VK_RIGHT, {ssShift});
  Key(VK_DOWN, {ssShift});
  for (int r = 1; r < 8; ++r) EXPECT_EQ(g.RowSelect(r), r == 2 || r == 3) << r;
  for (int c = 1; c < 6; ++c) EXPECT_EQ(g.ColSelect(c), c == 1 || c == 2) << c;
  // Space flips both marks of the current cell.
  Key(VK_SPACE);
  EXPECT_FALSE(g.RowSelect(3));
  EXPECT_FALSE(g.ColSelect(2));
  // A plain move starts the marks afresh, in both.
  Key(VK_RIGHT);
  for (int r = 1; r < 8; ++r) EXPECT_EQ(g.RowSelect(r), r == 3) << r;
  for (int c = 1; c < 6; ++c) EXPECT_EQ(g.ColSelect(c), c == 3) << c;
}

// ---- typing into a range ----

// With editing on or off, the character is a press on the current cell:
// its click events fire once, the editor opens with it and the range stays
// selected, to be copied whole once the edit is let go.
TEST_F(ExtGridKeysTest, TypingIntoARangeActsAsAPressOnTheCell) {
  for (bool editing : {false, true}) {
    SCOPED_TRACE(editing ? "editing on" : "editing off");
    ui::ResetClipboard();
    auto& g = MakeGrid<TExtStringGrid>(5, 6);
    for (int c = 1; c < 3; ++c)
      for (int r = 1; r < 3; ++r) g.SetCellText(c, r, Format("c%d%d", {c, r}));
    g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
    if (editing) g.SetOptions(g.Options() + TGridOptions{goEditing});
    g.MouseActions().RangeSelectAndEdit = true;
    g.Navigation().AllowClipboardShortCuts = true;
    g.SetFocus();
    Application->ProcessMessages();
    int clicks = 0;
    std::vector<TGridCoord> cellClicks;
    g.OnClick = [&](TObject*) { ++clicks; };
    g.OnClickCell = [&](TObject*, int r, int c) { cellClicks.push_back({c, r}); };
    Key(VK_RIGHT, {ssShift});
    Key(VK_DOWN, {ssShift});
    ASSERT_EQ(g.Selection(), (TGridRect{1, 1, 2, 2}));
    const int clicksBefore = clicks;
    backend->Type("x");
    EXPECT_TRUE(g.Options().Contains(goEditing));
    EXPECT_EQ(clicks, clicksBefore + 1);
    ASSERT_EQ(cellClicks.size(), 1u);
    EXPECT_EQ(cellClicks[0].X, 2);
    EXPECT_EQ(cellClicks[0].Y, 2);
    EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 2, 2}));
    ASSERT_NE(g.InplaceEditor(), nullptr);
    EXPECT_TRUE(g.InplaceEditor()->Visible());
    EXPECT_EQ(g.InplaceEditor()->Text(), "x");
    Key(VK_ESCAPE);
    Key('C', {ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "c11\tc21\r\nc12\tc22\r\n");
    EXPECT_EQ(g.GetCellText(2, 2), "c22");
    backend->Type("x");
    EXPECT_EQ(clicks, clicksBefore + 2);
    // No button is held after it: the mouse moving over the grid selects
    // nothing and holds no capture.
    EXPECT_FALSE(g.MouseCapture());
    const TGridRect sel = g.Selection();
    const TRect far = g.CellRect(4, 5);
    backend->MoveMouse(g, far.Left + 3, far.Top + 3);
    EXPECT_EQ(g.Selection().Bottom, sel.Bottom);
    EXPECT_EQ(g.Selection().Right, sel.Right);
    // The next characters go on into the editor, with no press of their own.
    backend->Type("y");
    EXPECT_EQ(clicks, clicksBefore + 2);
    Key(VK_RETURN);
    EXPECT_EQ(g.GetCellText(2, 2), "xy");
    // The arrows still move, the grid's click counting each move.
    Key(VK_DOWN);
    EXPECT_EQ(g.Row(), 3);
    EXPECT_EQ(clicks, clicksBefore + 3);
  }
}

// A grid that is only its heading row or column shows no current cell on
// it when it takes the focus: no focus frame, no selection.
TEST_F(ExtGridKeysTest, AGridOfOnlyItsHeadingShowsNoCurrentCellWhenFocused) {
  struct Case {
    const char* name;
    int cols, rows;
    bool rowAlways;
  };
  const Case cases[] = {{"one heading row", 4, 1, true}, {"one heading column", 1, 4, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto& g = MakeGrid<TExtStringGrid>(c.cols, c.rows);
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(0, 0, 8, 8);
    other->SetFocus();
    g.SetFixedRows(0);
    g.SetFixedCols(0);
    g.FixedRowAlways = c.rowAlways;
    g.FixedColAlways = !c.rowAlways;
    for (int i = 0; i < 4; ++i) g.SetCellText(c.rowAlways ? i : 0, c.rowAlways ? 0 : i, "Head");
    Application->ProcessMessages();
    // The grid's pixels on the form, painted whole.
    auto gridPixels = [&] {
      form->Invalidate();
      const TImageCanvas* shot = backend->Render(*form);
      std::vector<TColor> pixels;
      for (int y = 0; y < g.Height(); ++y)
        for (int x = 0; x < g.Width(); ++x) pixels.push_back(shot->Pixel(g.Left() + x, g.Top() + y));
      return pixels;
    };
    // What the grid shows, focused, with nothing of it current.
    g.SetFocus();
    Application->ProcessMessages();
    ASSERT_TRUE(g.Focused());
    g.HideSelection();
    const std::vector<TColor> nothingCurrent = gridPixels();
    // Focused afresh it shows the same.
    other->SetFocus();
    g.UnHideSelection();
    Application->ProcessMessages();
    ASSERT_LT(g.Row(), g.RowCount());
    ASSERT_LT(g.Col(), g.ColCount());
    g.SetFocus();
    Application->ProcessMessages();
    EXPECT_TRUE(c.rowAlways ? g.Row() >= g.RowCount() : g.Col() >= g.ColCount());
    EXPECT_EQ(gridPixels(), nothingCurrent);
    backend->SaveWindowPng(*form, (TestOutputFolder() / (std::string("grid_heading_only_") +
                                                         (c.rowAlways ? "row" : "column") + ".png"))
                                      .string());
    // Grown, the grid has a current cell again, among its data cells.
    if (c.rowAlways)
      g.SetRowCount(3);
    else
      g.SetColCount(3);
    EXPECT_GE(g.Col(), g.FixedCols());
    EXPECT_LT(g.Col(), g.ColCount());
    EXPECT_GE(g.Row(), g.FixedRows());
    EXPECT_LT(g.Row(), g.RowCount());
  }
}

// Grown by the Insert key, a grid that was only its heading has a current
// cell on its new row: what is typed goes into it at once.
TEST_F(ExtGridKeysTest, AHeadingOnlyGridGrownByInsertTakesTypingAtOnce) {
  for (TInsertPosition at : {pInsertBefore, pInsertAfter}) {
    SCOPED_TRACE(at == pInsertBefore ? "before" : "after");
    auto& g = MakeGrid<TExtStringGrid>(4, 1);
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(0, 0, 8, 8);
    other->SetFocus();
    g.FixedRowAlways = true;
    g.SetOptions(g.Options() + TGridOptions{goEditing});
    g.Navigation().AllowInsertRow = true;
    g.Navigation().InsertPosition = at;
    g.SetFocus();
    Application->ProcessMessages();
    ASSERT_GE(g.Row(), g.RowCount());
    Key(VK_INSERT);
    ASSERT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Col(), g.FixedCols());
    backend->Type("x");
    Key(VK_RETURN);
    EXPECT_EQ(g.GetCellText(g.FixedCols(), 1), "x");
  }
}

// ---- a refused value ----

TEST_F(ExtGridKeysTest, ARefusedValueEndsEditorModeBeforeTheCellIsWritten) {
  const struct {
    const char* what;
    const char* replacement;  // nullptr: the handler leaves the value
    const char* stored;
  } cases[] = {{"old text back", nullptr, "old"}, {"the handler's text", "0", "0"}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = Editable();
    g.SetCellText(1, 1, "old");
    std::vector<std::string> log;
    g.OnCellValidate = [&](TObject*, int, int, AnsiString& v, bool& valid) {
      log.push_back(std::string("validate, editing ") + (g.EditorMode() ? "on" : "off"));
      if (k.replacement) v = k.replacement;
      valid = false;
    };
    g.OnCellsChanged = [&](TObject*, const TRect&) {
      log.push_back(std::string("changed, editing ") + (g.EditorMode() ? "on" : "off") + ", cell " +
                    g.GetCellText(1, 1));
    };
    Open(g, 1, 1);
    backend->Type("7");
    Key(VK_DOWN);
    EXPECT_EQ(log, (std::vector<std::string>{"validate, editing on",
                                             std::string("changed, editing off, cell ") + k.stored}));
    // Editing goes on afresh on the same cell.
    EXPECT_EQ(g.Row(), 1);
    EXPECT_TRUE(g.EditorMode());
    ASSERT_TRUE(g.InplaceEditor()->Visible());
    EXPECT_EQ(g.InplaceEditor()->Text(), k.stored);
    EXPECT_FALSE(g.InplaceEditor()->Modified);
    EXPECT_EQ(g.GetCellText(1, 1), k.stored);
  }
}

// A typed character is no click on what the cell holds: its link stays
// closed and its button up.
TEST_F(ExtGridKeysTest, TypingIntoALinkOrButtonCellOpensNothing) {
  auto& g = MakeGrid<TExtStringGrid>(5, 6);
  g.MouseActions().RangeSelectAndEdit = true;
  g.SetURLShow(true);
  g.SetCellText(1, 1, "https://example.org");
  g.SetCellText(2, 1, R"(<A href="https://example.org">site</A> text)");
  TCellGraphic* button = g.CreateCellGraphic(3, 1);
  button->CellType = ctButton;
  button->CellIndex = 40 | (16 << 16);
  button->CellText = "ok";
  backend->Render(*form);  // the painter places the button
  ASSERT_TRUE(PtInRect(g.GetButtonRect(3, 1), Point(g.CellRect(3, 1).Left + 2, g.CellRect(3, 1).Top + 2)));
  g.SetFocus();
  Application->ProcessMessages();
  for (int c = 1; c <= 3; ++c) {
    SCOPED_TRACE(c);
    g.SetOptions(g.Options() - TGridOptions{goEditing});
    g.SetCol(c);
    g.SetRow(1);
    backend->Type("x");
    Key(VK_ESCAPE);
    EXPECT_TRUE(backend->ShellRequests.empty());
    EXPECT_FALSE(g.MouseCapture());
    EXPECT_FALSE(button->CellBoolean);  // not drawn pressed
  }
}

// ---- the form's accelerators ----

TEST_F(ExtGridKeysTest, TypingIntoTheGridFiresNoAcceleratorOfTheForm) {
  auto& g = MakeGrid<TExtStringGrid>(3, 6);
  for (int r = 1; r < 6; ++r) g.SetCellText(1, r, r == 4 ? "Sam" : "abc");
  g.Navigation().AutoGotoWhenSorted = true;
  auto* save = new TButton(form.get());
  save->SetParent(form.get());
  save->SetBounds(0, 0, 40, 10);
  save->SetCaption("&Save");
  int clicks = 0;
  save->OnClick = [&](TObject*) { ++clicks; };
  g.SetFocus();
  Application->ProcessMessages();
  // The character finds its row and stays from the button.
  backend->Type("s");
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(g.Row(), 4);
  // With Alt it is the form's.
  Key('S', {ssAlt});
  EXPECT_EQ(clicks, 1);
  // The painter fills every pixel: the background is never erased first.
  EXPECT_EQ(g.Perform(WM_ERASEBKGND, 0, 0), 0);
}

// ---- the width ----

TEST_F(ExtGridKeysTest, AStretchedGridKeepsItsOtherColumnsWhenItFollowsTheWidth) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3, 300);
  for (int c = 0; c < 3; ++c) g.SetColWidths(c, 60);
  g.ColumnSize().SynchWithGrid = true;
  g.ColumnSize().SetStretch(true);
  const int border = g.Width() - g.ClientWidth();
  g.SetBounds(g.Left(), g.Top(), 300, 200);
  g.SetBounds(g.Left(), g.Top(), 400 + border, 200);
  EXPECT_EQ(g.ColWidths(0), 60);
  EXPECT_EQ(g.ColWidths(1), 60);
  EXPECT_EQ(g.ColWidths(2), 400 - 120 - 1);
  // Without room for a stretch every column follows the width.
  g.SetBounds(g.Left(), g.Top(), 100 + border, 200);
  EXPECT_EQ(g.ColWidths(0), 15);  // 60 x 100 / 400
  EXPECT_EQ(g.ColWidths(1), 15);
}

}  // namespace
