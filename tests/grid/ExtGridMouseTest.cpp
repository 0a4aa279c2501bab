#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/gfx/FrameControls.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Input.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Windows.h"
#include "tests/TestOutput.h"

namespace {

class ExtGridMouseTest : public GridFormTest {
 protected:
  // A heading row and five data rows; column c holds "<c><value>" with
  // the values 3, 1, 5, 2, 4 down the rows.
  TExtStringGrid& SortGrid() {
    auto& g = MakeGrid<TExtStringGrid>(4, 6, 400, 200);
    const int values[] = {3, 1, 5, 2, 4};
    for (int r = 1; r <= 5; ++r)
      for (int c = 1; c < 4; ++c) g.SetCellText(c, r, IntToStr(c == 3 ? 6 - values[r - 1] : values[r - 1]));
    g.SortSettings().Show = true;
    g.SortSettings().AutoColumnMerge = true;
    g.SetOptions(g.Options() + TGridOptions{goColSizing});
    return g;
  }
  static std::vector<AnsiString> Column(TExtStringGrid& g, int c) {
    std::vector<AnsiString> out;
    for (int r = 1; r < g.RowCount(); ++r) out.push_back(g.GetCellText(c, r));
    return out;
  }
  void ClickHeading(TExtStringGrid& g, int c, int fromLeft = 20) {
    const TRect r = g.CellRect(c, 0);
    backend->Click(g, r.Left + fromLeft, r.Top + 5);
  }
  // A grid whose selection (two cells holding 1 and 2) has its corner
  // handle grabbed: open for editing, else editing a range.
  TExtStringGrid& GrabResizer(int cols, int rows, bool editing, const TGridRect& selection) {
    auto& g = MakeGrid<TExtStringGrid>(cols, rows);
    g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
    if (editing)
      g.SetOptions(g.Options() + TGridOptions{goEditing});
    else
      g.MouseActions().RangeSelectAndEdit = true;
    g.Navigation().AllowSmartClipboard = true;
    g.SetSelectionResizer(true);
    g.SetSelectionRectangle(true);
    g.SetCellText(selection.Left, selection.Top, "1");
    g.SetCellText(selection.Right, selection.Bottom, "2");
    g.SetSelection(selection);
    g.SetFocus();
    Application->ProcessMessages();
    const TRect handle = g.CellRect(selection.Right, selection.Bottom);
    backend->MoveMouse(g, handle.Right - 2, handle.Bottom - 2);
    backend->PressMouse(g, handle.Right - 2, handle.Bottom - 2);
    return g;
  }
  THintInfo HintAt(TExtStringGrid& g, int c, int r) {
    const TRect cell = g.CellRect(c, r);
    THintInfo info;
    info.CursorPos = Point(cell.Left + 5, cell.Top + 5);
    info.HintStr = "grid";
    g.Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info;
  }
};

using V = std::vector<AnsiString>;

TEST_F(ExtGridMouseTest, HeadingClicksSortUpDownAndUpAgainOnAnotherColumn) {
  auto& g = SortGrid();
  int clickSorts = 0;
  g.OnClickSort = [&](TObject*, int) { ++clickSorts; };
  ClickHeading(g, 2);
  EXPECT_EQ(Column(g, 2), (V{"1", "2", "3", "4", "5"}));
  ClickHeading(g, 2);
  EXPECT_EQ(Column(g, 2), (V{"5", "4", "3", "2", "1"}));
  ClickHeading(g, 3);
  EXPECT_EQ(Column(g, 3), (V{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(g.SortSettings().Direction, sdAscending);
  EXPECT_EQ(clickSorts, 3);
}

TEST_F(ExtGridMouseTest, WhatAReleaseOnAHeadingSorts) {
  struct Case {
    const char* what;
    int rows;
    int fromRight;  // pixels from the heading's right edge
    bool canSort;
    bool sorts;
  };
  const Case cases[] = {
      {"3 pixels from the border", 6, 3, true, false},
      {"4 pixels from the border", 6, 4, true, true},
      {"the middle", 6, 30, true, true},
      {"a grid of two rows", 2, 30, true, false},
      {"OnCanSort refuses", 6, 30, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto& g = SortGrid();
    g.SetRowCount(c.rows);
    const V before = Column(g, 1);
    int clickSorts = 0;
    g.OnCanSort = [&](TObject*, int, bool& doSort) { doSort = c.canSort; };
    g.OnClickSort = [&](TObject*, int) { ++clickSorts; };
    const TRect r = g.CellRect(1, 0);
    backend->Click(g, r.Right - c.fromRight, r.Top + 5);
    EXPECT_EQ(clickSorts, c.sorts ? 1 : 0);
    if (!c.sorts) {
      EXPECT_EQ(Column(g, 1), before);
    }
  }
}

TEST_F(ExtGridMouseTest, DoubleClickOnAHeadingBorderSizesTheColumnAndDoesNotSort) {
  auto& g = SortGrid();
  g.SetCellText(1, 2, "a long text that needs a wide column");
  g.SetColWidths(1, 40);
  int ended = -1, clickSorts = 0;
  g.OnEndColumnSize = [&](TObject*, int c) { ended = c; };
  g.OnClickSort = [&](TObject*, int) { ++clickSorts; };
  const TRect r = g.CellRect(1, 0);
  backend->DoubleClick(g, r.Right - 1, r.Top + 5);
  EXPECT_GT(g.ColWidths(1), 100);
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(clickSorts, 0);

  // A refusing OnColumnSize leaves the width.
  g.SetColWidths(1, 40);
  ended = -1;
  g.OnColumnSize = [](TObject*, int, bool& allow) { allow = false; };
  backend->Advance(1000);
  backend->DoubleClick(g, g.CellRect(1, 0).Right - 1, r.Top + 5);
  EXPECT_EQ(g.ColWidths(1), 40);
  EXPECT_EQ(ended, -1);
}

TEST_F(ExtGridMouseTest, CheckControlsFlipBetweenTrueAndFalse) {
  const std::pair<const char*, const char*> cases[] = {
      {"TRUE", "FALSE"}, {"FALSE", "TRUE"}, {"", "TRUE"}, {"maybe", "TRUE"}};
  for (const auto& [from, to] : cases) {
    SCOPED_TRACE(from);
    auto& g = MakeGrid<TExtStringGrid>(3, 3);
    // A control alone is no HTML to the classifier: a closing tag makes it one.
    g.SetCellText(1, 1, AnsiString("<CONTROL TYPE=\"CHECK\" ID=\"c1\" VALUE=\"") + from + "\"><B></B>");
    AnsiString clickedValue;
    g.OnControlClick = [&](TObject*, int, int, const AnsiString& id, const AnsiString&, const AnsiString& v) {
      EXPECT_EQ(id, "c1");
      clickedValue = v;
    };
    const TRect r = g.CellRect(1, 1);
    backend->Click(g, r.Left + 8, r.Top + 8);
    EXPECT_EQ(clickedValue, to);
    EXPECT_NE(g.GetCellText(1, 1).find(AnsiString("VALUE=\"") + to + "\""), AnsiString::npos)
        << g.GetCellText(1, 1);
  }
}

TEST_F(ExtGridMouseTest, LinksGoToTheirCellOrToTheDesktop) {
  auto& g = MakeGrid<TExtStringGrid>(4, 6);
  g.SetCellText(1, 1, "<A HREF=\"cell://R4C3\">go</A>");
  g.SetCellText(2, 1, "<A HREF=\"https://example.org/\">web</A>");
  g.SetCellText(3, 1, "<A HREF=\"javascript:alert(1)\">bad</A>");
  g.SetURLShow(true);
  g.SetCellText(1, 2, "https://example.org/plain");
  auto clickText = [&](int c, int r) {
    const TRect cell = g.CellRect(c, r);
    backend->Click(g, cell.Left + 6, cell.Top + 8);
    backend->Advance(1000);
  };
  clickText(1, 1);
  EXPECT_EQ(g.Col(), 3);
  EXPECT_EQ(g.Row(), 4);
  clickText(2, 1);
  clickText(3, 1);
  clickText(1, 2);
  ASSERT_EQ(backend->ShellRequests.size(), 2u);
  EXPECT_EQ(backend->ShellRequests[0].File, "https://example.org/");
  EXPECT_EQ(backend->ShellRequests[1].File, "https://example.org/plain");

  // The application may handle a link itself.
  g.OnAnchorClick = [](TObject*, int, int, const AnsiString&, bool& autoHandle) { autoHandle = false; };
  clickText(2, 1);
  EXPECT_EQ(backend->ShellRequests.size(), 2u);
}

// A document or a folder named by its path leaves as its file:// link
// does: as its full name. Programs, missing files and other schemes stay.
TEST_F(ExtGridMouseTest, LinksNamingADocumentOrFolderByItsPathGoToTheDesktop) {
  const std::filesystem::path folder = TestOutputFolder();
  for (const char* sub : {"sub", "see:"}) std::filesystem::create_directories(folder / sub);
  for (const char* name : {"Προσφορά 1.pdf", "sub/b.txt", "see:/b.txt", "run.sh"})
    std::ofstream(folder / name) << "x";
  ::chmod((folder / "run.sh").c_str(), 0755);
  const AnsiString here = cp1253::FromUtf8(folder.string());
  const AnsiString document = here + "/" + "Προσφορά 1.pdf"_a;
  const AnsiString previous = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(here));
  const struct {
    AnsiString link;
    AnsiString handed;  // "" when nothing leaves
  } cases[] = {
      {"file://" + document, document},
      {document, document},
      {"Προσφορά 1.pdf"_a, document},
      {"sub/b.txt", here + "/sub/b.txt"},
      {"./sub/../sub/b.txt", here + "/sub/b.txt"},
      {here + "/run.sh", ""},
      {"run.sh", ""},
      {"sub", here + "/sub"},
      {"./sub/../sub", here + "/sub"},
      {here + "/sub", here + "/sub"},
      {"file://" + here + "/sub", here + "/sub"},
      {"missing.pdf", ""},
      {"see:/b.txt", ""},  // a scheme of no use, though a folder bears its name
      {"javascript:alert(1)", ""},
  };
  auto& g = MakeGrid<TExtStringGrid>(2, 2);
  for (const auto& c : cases) {
    SCOPED_TRACE(cp1253::ToUtf8(c.link));
    g.SetCellText(1, 1, "<A HREF=\"" + c.link + "\">link</A>");
    backend->ShellRequests.clear();
    const TRect cell = g.CellRect(1, 1);
    backend->Click(g, cell.Left + 6, cell.Top + 8);
    backend->Advance(1000);
    if (c.handed.empty()) {
      EXPECT_TRUE(backend->ShellRequests.empty());
    } else {
      ASSERT_EQ(backend->ShellRequests.size(), 1u);
      EXPECT_EQ(backend->ShellRequests[0].File, c.handed);
    }
  }
  SetCurrentDir(previous);
}

TEST_F(ExtGridMouseTest, CheckBoxRadioButtonAndNodeCellsAnswerAPress) {
  auto& g = MakeGrid<TExtStringGrid>(4, 8);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.AddCheckBox(1, 1, false, false);
  TStringList choices;
  choices.Add("one");
  choices.Add("two");
  g.AddRadio(2, 2, true, choices, 0);
  TCellGraphic* button = g.CreateCellGraphic(3, 3);
  button->CellType = ctButton;
  button->CellIndex = 40 | (16 << 16);
  button->CellText = "ok";
  backend->Render(*form);  // the painter places the button
  std::vector<AnsiString> log;
  g.OnCheckBoxClick = [&](TObject*, int c, int r, bool s) {
    log.push_back(Format("check %d %d %d", {c, r, s ? 1 : 0}));
  };
  g.OnCheckBoxMouseUp = [&](TObject*, int c, int r, bool s) {
    log.push_back(Format("checkup %d %d %d", {c, r, s ? 1 : 0}));
  };
  g.OnRadioClick = [&](TObject*, int c, int r, int i) { log.push_back(Format("radio %d %d %d", {c, r, i})); };
  g.OnButtonClick = [&](TObject*, int c, int r) { log.push_back(Format("button %d %d", {c, r})); };

  TRect r = g.CellRect(1, 1);
  backend->Click(g, r.Left + 5, r.Top + 5);
  bool state = false;
  g.GetCheckBoxState(1, 1, state);
  EXPECT_TRUE(state);
  backend->Advance(1000);

  r = g.CellRect(2, 2);
  g.Canvas().Font->Assign(g.Font());
  const int second = g.Canvas().TextWidth("one") + g.ControlLook().RadioSize() + 2 + 3;
  backend->Click(g, r.Left + second, r.Top + 5);
  int index = -1;
  g.GetRadioIdx(2, 2, index);
  EXPECT_EQ(index, 1);
  backend->Advance(1000);

  const TRect place = g.GetButtonRect(3, 3);
  ASSERT_FALSE(place.IsEmpty());
  backend->Click(g, place.Left + 3, place.Top + 3);
  EXPECT_EQ(log, (std::vector<AnsiString>{"check 1 1 1", "checkup 1 1 1", "radio 2 2 1", "button 3 3"}));
}

TEST_F(ExtGridMouseTest, ACheckBoxInTheHeadingTellsItsReleaseAndStaysAsItIs) {
  auto& g = MakeGrid<TExtStringGrid>(4, 6);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.AddCheckBox(2, 0, true, false);
  g.AddCheckBox(0, 3, false, false);
  std::vector<AnsiString> log;
  g.OnCheckBoxMouseUp = [&](TObject*, int c, int r, bool s) {
    log.push_back(Format("checkup %d %d %d", {c, r, s ? 1 : 0}));
  };
  // The program answers a heading's check box itself, say by ticking the
  // whole column; the grid leaves the box as it is.
  const TRect heading = g.CellRect(2, 0);
  backend->Click(g, heading.Left + 8, heading.Top + 5);
  bool state = false;
  g.GetCheckBoxState(2, 0, state);
  EXPECT_TRUE(state);
  backend->Advance(1000);
  // A fixed column's only when its releases count.
  const TRect side = g.CellRect(0, 3);
  backend->Click(g, side.Left + 8, side.Top + 5);
  backend->Advance(1000);
  g.SortSettings().FixedCols = true;
  backend->Click(g, side.Left + 8, side.Top + 5);
  EXPECT_EQ(log, (std::vector<AnsiString>{"checkup 2 0 1", "checkup 0 3 0"}));
}

TEST_F(ExtGridMouseTest, TheSelectionResizerGrowsTheSelectionFromItsTopLeftAndFillsTheSeries) {
  struct Case {
    TGridRect selection;  // two cells holding 1 and 2
    TGridCoord dragTo;
    V filled;
    bool editing;  // goEditing, else editing a range
  };
  const Case cases[] = {{{1, 1, 1, 2}, {1, 5}, {"1", "2", "3", "4", "5"}, false},
                        {{1, 1, 2, 1}, {4, 1}, {"1", "2", "3", "4"}, false},
                        {{1, 1, 1, 2}, {1, 5}, {"1", "2", "3", "4", "5"}, true},
                        {{1, 1, 2, 1}, {4, 1}, {"1", "2", "3", "4"}, true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.dragTo.X + (k.editing ? 10 : 0));
    auto& g = GrabResizer(6, 8, k.editing, k.selection);
    const TRect to = g.CellRect(k.dragTo.X, k.dragTo.Y);
    backend->MoveMouse(g, to.Left + 5, to.Top + 5);
    backend->ReleaseMouse(g, to.Left + 5, to.Top + 5);
    const TGridRect grown = g.Selection();
    EXPECT_EQ(grown.Left, 1);
    EXPECT_EQ(grown.Top, 1);
    EXPECT_EQ(grown.Right, k.dragTo.X);
    EXPECT_EQ(grown.Bottom, k.dragTo.Y);
    // The cells grabbed keep their values and the series goes on from them.
    V filled;
    for (int c = 1; c <= k.dragTo.X; ++c)
      for (int r = 1; r <= k.dragTo.Y; ++r) filled.push_back(g.GetCellText(c, r));
    EXPECT_EQ(filled, k.filled);
  }
}

TEST_F(ExtGridMouseTest, TheSelectionResizerDraggedPastTheEdgeScrollsAndGrowsTheSelection) {
  struct Case {
    bool editing;  // goEditing, else editing a range
    bool down;     // past the bottom edge, else past the right one
  };
  const Case cases[] = {{false, true}, {true, true}, {false, false}, {true, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "editing " << k.editing << " down " << k.down);
    const TGridRect grabbed = k.down ? TGridRect{1, 1, 1, 2} : TGridRect{1, 1, 2, 1};
    auto& g = k.down ? GrabResizer(4, 60, k.editing, grabbed) : GrabResizer(40, 4, k.editing, grabbed);
    const int lastShown =
        k.down ? g.TopRow() + g.VisibleRowCount() - 1 : g.LeftCol() + g.VisibleColCount() - 1;
    const TRect handle = g.CellRect(grabbed.Right, grabbed.Bottom);
    const TPoint past =
        k.down ? Point(handle.Left + 5, g.Height() + 20) : Point(g.Width() + 20, handle.Top + 5);
    backend->MoveMouse(g, past.X, past.Y);
    const int first = k.down ? g.TopRow() : g.LeftCol();
    backend->Advance(60 * 5);
    const int scrolled = k.down ? g.TopRow() : g.LeftCol();
    EXPECT_EQ(scrolled, first + 5);
    // The release shows at most the cell the edge cuts, and the scrolling
    // stops with it.
    backend->ReleaseMouse(g, past.X, past.Y);
    const int settled = k.down ? g.TopRow() : g.LeftCol();
    EXPECT_LE(settled - scrolled, 1);
    EXPECT_EQ(GetCapture(), nullptr);
    backend->Advance(600);
    EXPECT_EQ(k.down ? g.TopRow() : g.LeftCol(), settled);
    // The selection reaches the last cell now shown, which was off screen,
    // and the series fills it from the grabbed cells.
    const TGridRect grown = g.Selection();
    const int reached = k.down ? g.TopRow() + g.VisibleRowCount() - 1 : g.LeftCol() + g.VisibleColCount() - 1;
    EXPECT_GT(reached, lastShown + 4);
    EXPECT_EQ(grown.Left, 1);
    EXPECT_EQ(grown.Top, 1);
    EXPECT_EQ(k.down ? grown.Bottom : grown.Right, reached);
    EXPECT_EQ(k.down ? grown.Right : grown.Bottom, 1);
    EXPECT_EQ(k.down ? g.GetCellText(1, reached) : g.GetCellText(reached, 1), IntToStr(reached));
  }
}

TEST_F(ExtGridMouseTest, OneClickAndOneDoubleClickEventEach) {
  auto& g = MakeGrid<TExtStringGrid>(4, 6);
  int clicks = 0, doubles = 0, cellDoubles = 0;
  g.OnClick = [&](TObject*) { ++clicks; };
  g.OnDblClick = [&](TObject*) { ++doubles; };
  g.OnDblClickCell = [&](TObject*, int r, int c) { cellDoubles += r == 2 && c == 1 ? 1 : 100; };
  const TRect r = g.CellRect(1, 2);
  backend->Click(g, r.Left + 5, r.Top + 5);
  EXPECT_EQ(clicks, 1);
  backend->Advance(1000);
  backend->DoubleClick(g, r.Left + 5, r.Top + 5);
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(cellDoubles, 1);
}

TEST_F(ExtGridMouseTest, AFixedHeadingDrawnAsAButtonIsSunkenWhilePressed) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  g.FixedAsButtons = true;
  const TRect r = g.CellRect(1, 0);
  backend->PressMouse(g, r.Left + 10, r.Top + 5);
  EXPECT_TRUE(g.MouseState().FixedPressed);
  backend->ReleaseMouse(g, r.Left + 10, r.Top + 5);
  EXPECT_FALSE(g.MouseState().FixedPressed);
}

TEST_F(ExtGridMouseTest, CtrlClicksMarkAndUnmarkDisjunctRows) {
  auto& g = MakeGrid<TExtStringGrid>(3, 8);
  g.MouseActions().SetDisjunctRowSelect(true);
  auto clickRow = [&](int row, bool ctrl) {
    const TRect r = g.CellRect(1, row);
    if (ctrl) backend->KeyDown(VK_CONTROL);
    backend->Click(g, r.Left + 5, r.Top + 5);
    if (ctrl) backend->KeyUp(VK_CONTROL);
    backend->Advance(1000);
  };
  clickRow(2, false);
  clickRow(4, true);
  clickRow(5, true);
  int marked = 0;
  for (int r = 1; r < g.RowCount(); ++r) marked += g.RowSelect(r) ? 1 : 0;
  EXPECT_EQ(marked, 3);
  clickRow(4, true);
  EXPECT_TRUE(g.RowSelect(2));
  EXPECT_FALSE(g.RowSelect(4));
  EXPECT_TRUE(g.RowSelect(5));
  clickRow(3, false);
  EXPECT_FALSE(g.RowSelect(2));
  EXPECT_TRUE(g.RowSelect(3));
}

TEST_F(ExtGridMouseTest, ARangeStartedOnThePartlyShownRowScrollsOnlyWhenAllowed) {
  for (const bool noScroll : {false, true}) {
    SCOPED_TRACE(noScroll);
    auto& g = MakeGrid<TExtStringGrid>(3, 30, 300, 118);
    g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
    g.MouseActions().NoAutoRangeScroll = noScroll;
    const int partial = g.TopRow() + g.VisibleRowCount();
    const TRect above = g.CellRect(1, partial - 1);
    const int x = above.Left + 5, y = above.Bottom + 3;  // below the line under the last whole row
    ASSERT_LT(y, g.ClientHeight());
    ASSERT_GT(above.Bottom + 1 + g.RowHeights(partial), g.ClientHeight());  // partly shown
    backend->PressMouse(g, x, y);
    backend->ReleaseMouse(g, x, y);
    EXPECT_EQ(g.Row(), partial);
    EXPECT_EQ(g.TopRow() == 1, noScroll);
    backend->Advance(1000);
  }
}

// ---- cell controls ----

TEST_F(ExtGridMouseTest, ACellButtonLooksPressedUntilReleasedOrTheFocusGoes) {
  auto& g = MakeGrid<TExtStringGrid>(3, 4);
  g.SetColWidths(1, 120);
  g.SetRowHeights(1, 32);
  g.SetCellText(1, 1, R"(<CONTROL TYPE="BUTTON" ID="ok" VALUE="OK" WIDTH="80"><B></B>)");
  int clicks = 0;
  g.OnControlClick = [&](TObject*, int, int, const AnsiString& id, const AnsiString&, const AnsiString&) {
    clicks += id == "ok";
  };
  // Whether the cell's button is drawn pushed.
  auto pushed = [&] {
    TRecordingCanvas canvas(600, 400);
    g.DrawCellContent(canvas, 1, 1, g.CellRect(1, 1), {});
    for (const TDrawCall& call : canvas.CallsOf("DrawFrameControl")) {
      const auto state = static_cast<unsigned>(call.Args[5]);
      if (state & DFCS_BUTTONPUSH) return (state & DFCS_PUSHED) != 0;
    }
    ADD_FAILURE() << "no button drawn";
    return false;
  };
  const TRect cell = g.CellRect(1, 1);
  const int x = cell.Left + 30, y = cell.Bottom - 12;
  EXPECT_FALSE(pushed());
  backend->PressMouse(g, x, y);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(pushed());
  backend->ReleaseMouse(g, x, y);
  EXPECT_FALSE(pushed());

  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(0, 300, 50, 20);
  g.SetFocus();
  backend->Advance(1000);  // not a double click
  backend->PressMouse(g, x, y);
  ASSERT_TRUE(pushed());
  other->SetFocus();
  Application->ProcessMessages();
  EXPECT_FALSE(pushed());
  backend->ReleaseMouse(*other, 5, 5);
}

// ---- wheel and panning ----

TEST_F(ExtGridMouseTest, AWheelNotchMovesTheRowByTheSystemsLines) {
  ui::input::SetWheelScrollLines(3);
  auto& g = MakeGrid<TExtStringGrid>(3, 20);
  g.SetFixedFooters(1);
  struct Step {
    int notches;  // positive away from the user
    int row;
  };
  const Step steps[] = {{-1, 4}, {-1, 7}, {1, 4}, {2, 1}, {-10, 18}};
  for (const Step& s : steps) {
    backend->Wheel(g, s.notches, 50, 50);
    EXPECT_EQ(g.Row(), s.row) << s.notches;
  }
}

TEST_F(ExtGridMouseTest, TheWheelEventsFireAndTheRowMovesOnce) {
  ui::input::SetWheelScrollLines(3);
  auto& g = MakeGrid<TExtStringGrid>(3, 20);
  int wheels = 0, downs = 0, ups = 0;
  g.OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) { ++wheels; };
  g.OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool&) { ++downs; };
  g.OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool&) { ++ups; };
  backend->Wheel(g, -1, 50, 50);
  EXPECT_EQ(g.Row(), 4);
  EXPECT_EQ(wheels, 1);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 0);
  backend->Wheel(g, 2, 50, 50);
  EXPECT_EQ(g.Row(), 1);
  EXPECT_EQ(wheels, 2);
  EXPECT_EQ(ups, 2);
  // A handler that takes the turn leaves the Down/Up events out, not the move.
  g.OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool& handled) { handled = true; };
  backend->Wheel(g, -1, 50, 50);
  EXPECT_EQ(g.Row(), 4);
  EXPECT_EQ(downs, 1);
}

TEST_F(ExtGridMouseTest, CtrlWheelZoomsAndTheFourthNotchDoesNothing) {
  ui::input::SetWheelScrollLines(3);
  auto& g = MakeGrid<TExtStringGrid>(3, 10);
  const int width = g.ColWidths(1);
  backend->KeyDown(VK_CONTROL);
  for (int n = 1; n <= 4; ++n) {
    backend->Wheel(g, -1, 50, 50);
    EXPECT_EQ(g.ZoomStep(), std::min(n * 3, 9)) << n;
  }
  backend->KeyUp(VK_CONTROL);
  EXPECT_EQ(g.ColWidths(1), width + 9);
  EXPECT_EQ(g.Row(), 1);
}

TEST_F(ExtGridMouseTest, CtrlWheelZoomFiresTheWheelEventsWithCtrlHeld) {
  ui::input::SetWheelScrollLines(3);
  auto& g = MakeGrid<TExtStringGrid>(3, 10);
  std::vector<AnsiString> log;
  auto ctrl = [](TShiftState s) { return s.Contains(ssCtrl) ? AnsiString(" ctrl") : AnsiString(); };
  g.OnMouseWheel = [&](TObject*, TShiftState s, int delta, TPoint, bool&) {
    log.push_back("wheel " + IntToStr(delta) + ctrl(s));
  };
  g.OnMouseWheelDown = [&](TObject*, TShiftState s, TPoint, bool&) { log.push_back("down" + ctrl(s)); };
  g.OnMouseWheelUp = [&](TObject*, TShiftState s, TPoint, bool&) { log.push_back("up" + ctrl(s)); };
  backend->KeyDown(VK_CONTROL);
  backend->Wheel(g, -1, 50, 50);
  backend->Wheel(g, 1, 50, 50);
  backend->KeyUp(VK_CONTROL);
  EXPECT_EQ(log, (std::vector<AnsiString>{"wheel -120 ctrl", "down ctrl", "wheel 120 ctrl", "up ctrl"}));
  EXPECT_EQ(g.ZoomStep(), 0);
  EXPECT_EQ(g.Row(), 1);  // the zoom's turn moves no row
}

TEST_F(ExtGridMouseTest, AOneRowGridWithFixedRowAlwaysSwallowsTheWheel) {
  auto& g = MakeGrid<TExtStringGrid>(3, 1);
  g.FixedRowAlways = true;
  bool reached = false;
  g.OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) { reached = true; };
  backend->Wheel(g, -1, 30, 10);
  EXPECT_FALSE(reached);
}

TEST_F(ExtGridMouseTest, MiddleButtonPansRowByRowWithTheDirectionCursor) {
  auto& g = MakeGrid<TExtStringGrid>(3, 30);
  g.IntelliPan = ipVertical;
  backend->PressMouse(g, 100, 100, 2);
  backend->ReleaseMouse(g, 100, 100, 2);
  ASSERT_TRUE(g.Panning());
  EXPECT_EQ(g.Cursor(), crGridPan);
  backend->MoveMouse(g, 100, 106);
  backend->Advance(30);
  EXPECT_EQ(g.Row(), 4);
  EXPECT_EQ(g.MouseState().PanCursor, crGridPanDown);
  backend->MoveMouse(g, 180, 100);  // sideways does nothing vertically
  const int row = g.Row();
  backend->Advance(30);
  EXPECT_EQ(g.Row(), row);
  EXPECT_EQ(g.MouseState().PanCursor, crGridPan);
  backend->PressKey(VK_SHIFT);
  EXPECT_FALSE(g.Panning());
  EXPECT_EQ(g.Cursor(), crDefault);
}

TEST_F(ExtGridMouseTest, PanCursorsFollowTheDirection) {
  struct Case {
    int dx, dy;
    TCursor cursor;
  };
  const Case cases[] = {{0, 0, 8000},  {0, 1, 8001},   {-1, 0, 8002}, {1, 0, 8003}, {0, -1, 8004},
                        {1, -1, 8005}, {-1, -1, 8006}, {1, 1, 8007},  {-1, 1, 8008}};
  for (const Case& c : cases) EXPECT_EQ(PanCursorFor(c.dx, c.dy), c.cursor) << c.dx << "," << c.dy;
  EnsureGridCursors();
  for (int id : {8000, 8004, 8008, 8010, 8011, 8012}) EXPECT_TRUE(HasCursorResource(IntToStr(id))) << id;
  for (const char* mark : {"INTLI1", "INTLI2", "INTLI3"}) EXPECT_TRUE(HasBitmapResource(mark)) << mark;
}

// ---- hints, cursors and sizing ----

TEST_F(ExtGridMouseTest, EachCellHasItsOwnHint) {
  auto& g = MakeGrid<TExtStringGrid>(4, 6);
  g.SetCellText(1, 1, "<B>bold</B> text");
  g.AddComment(2, 2, "a remark");
  std::vector<std::pair<int, int>> asked;
  g.OnGridHint = [&](TObject*, int r, int c, AnsiString& h) {
    asked.emplace_back(c, r);
    h += "!";
  };
  THintInfo plain = HintAt(g, 3, 3);
  EXPECT_EQ(plain.HintStr, "grid!");
  EXPECT_EQ(plain.HintPos, g.ClientToScreen(Point(g.CellRect(3, 3).Left, g.CellRect(3, 3).Bottom + 6)));

  THintInfo comment = HintAt(g, 2, 2);
  EXPECT_EQ(comment.HintStr, "a remark!");
  EXPECT_EQ(comment.HintPos, g.ClientToScreen(Point(g.CellRect(2, 2).Right, g.CellRect(2, 2).Top)));

  g.HintShowCells = true;
  EXPECT_EQ(HintAt(g, 1, 1).HintStr, "bold text!");
  g.HTMLHint = true;
  EXPECT_EQ(HintAt(g, 1, 1).HintStr, "<B>bold</B> text!");
  EXPECT_EQ(asked.back(), std::make_pair(1, 1));
  EXPECT_EQ(g.MouseState().HintCell, (TGridCoord{1, 1}));

  // Moving to another cell forgets the hint cell's hint.
  const TRect next = g.CellRect(2, 1);
  backend->MoveMouse(g, next.Left + 3, next.Top + 3);
  EXPECT_EQ(g.MouseState().HintCell, (TGridCoord{2, 1}));
}

TEST_F(ExtGridMouseTest, HeadingCursorsChooseWhatAPressSelects) {
  auto& g = MakeGrid<TExtStringGrid>(5, 6);
  g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
  g.MouseActions().RowSelect = true;
  g.MouseActions().ColSelect = true;
  g.MouseActions().AllSelect = true;
  struct Case {
    int c, r;
    TGridCursorKind kind;
    TGridRect selected;
  };
  const Case cases[] = {
      {2, 0, ckColumnSelect, {2, 1, 2, 5}},
      {0, 3, ckRowSelect, {1, 3, 4, 3}},
      {0, 0, ckSelectAll, {1, 1, 4, 5}},
  };
  for (const Case& c : cases) {
    const TRect r = g.CellRect(c.c, c.r);
    backend->MoveMouse(g, r.Left + 10, r.Top + 8);
    EXPECT_EQ(g.CursorKind(), c.kind);
    backend->Click(g, r.Left + 10, r.Top + 8);
    backend->Advance(1000);
    EXPECT_EQ(g.Selection(), c.selected);
  }
}

TEST_F(ExtGridMouseTest, SelectingFromAHeadingLeavesOutTheFootersAndTheRightFixedColumns) {
  auto& g = MakeGrid<TExtStringGrid>(6, 8);
  g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
  g.MouseActions().RowSelect = true;
  g.MouseActions().ColSelect = true;
  g.MouseActions().AllSelect = true;
  g.SetFixedFooters(1);
  g.SetFixedRightCols(1);
  struct Case {
    TGridCoord press, dragTo;
    TGridRect selected;
  };
  // Data columns 1 to 4 and rows 1 to 6; a drag onto the fixed end stops
  // at the last data row or column.
  const Case cases[] = {
      {{0, 0}, {0, 0}, {1, 1, 4, 6}}, {{0, 2}, {0, 2}, {1, 2, 4, 2}}, {{2, 0}, {2, 0}, {2, 1, 2, 6}},
      {{0, 5}, {0, 7}, {1, 5, 4, 6}}, {{3, 0}, {5, 0}, {3, 1, 4, 6}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.press.X * 10 + k.press.Y);
    const TRect from = g.CellRect(k.press.X, k.press.Y), to = g.CellRect(k.dragTo.X, k.dragTo.Y);
    backend->MoveMouse(g, from.Left + 10, from.Top + 8);
    backend->PressMouse(g, from.Left + 10, from.Top + 8);
    backend->MoveMouse(g, to.Left + 10, to.Top + 8);
    backend->ReleaseMouse(g, to.Left + 10, to.Top + 8);
    backend->Advance(1000);
    EXPECT_EQ(g.Selection(), k.selected);
  }
}

// A cursor the program gives the grid wins over the heading's selection
// cursor; the next move over a heading chooses that cursor again, and the
// hand over a link leaves the chosen kind alone.
TEST_F(ExtGridMouseTest, ACursorSetByTheProgramEndsTheHeadingCursor) {
  auto& g = MakeGrid<TExtStringGrid>(5, 6);
  g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
  g.MouseActions().ColSelect = true;
  // The shape the window shows when it is asked for its cursor.
  auto shown = [&] {
    SendMessage(g.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(g.Handle()),
                MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return Screen->ShownCursor();
  };
  const TRect heading = g.CellRect(2, 0);
  backend->MoveMouse(g, heading.Left + 10, heading.Top + 8);
  ASSERT_EQ(g.CursorKind(), ckColumnSelect);
  EXPECT_EQ(shown(), crGridColSelect);
  g.SetCursor(crHourGlass);
  EXPECT_EQ(g.CursorKind(), ckNone);
  EXPECT_EQ(shown(), crHourGlass);
  g.SetCursor(crDefault);
  backend->MoveMouse(g, heading.Left + 12, heading.Top + 8);
  EXPECT_EQ(g.CursorKind(), ckColumnSelect);
  // The grid's own hand over a link in a heading keeps the kind.
  g.SetCells(3, 0, R"(<A href="cell://1,1">go</A>)");
  const TRect link = g.CellRect(3, 0);
  backend->MoveMouse(g, link.Left + 6, link.Top + 8);
  EXPECT_EQ(g.Cursor(), crHandPoint);
  EXPECT_EQ(g.CursorKind(), ckColumnSelect);
}

// A selection from a heading leaves the cell as the grid's exit does:
// OnExit fires and the open editor's text is kept, the editor closed unless
// it always shows.
TEST_F(ExtGridMouseTest, SelectingFromAHeadingRunsTheExit) {
  for (const bool alwaysShow : {false, true}) {
    SCOPED_TRACE(alwaysShow);
    auto& g = MakeGrid<TExtStringGrid>(5, 6);
    g.SetOptions(g.Options() + TGridOptions{goRangeSelect, goEditing});
    if (alwaysShow) g.SetOptions(g.Options() + TGridOptions{goAlwaysShowEditor});
    g.MouseActions().RowSelect = true;
    int exits = 0;
    g.OnExit = [&](TObject*) { ++exits; };
    g.SetFocus();
    g.SetCol(2);
    g.SetRow(2);
    backend->PressKey(VK_F2);
    backend->Type("x");
    Application->ProcessMessages();
    ASSERT_TRUE(g.InplaceEditor() && g.InplaceEditor()->Visible());
    const TRect r = g.CellRect(0, 4);
    backend->MoveMouse(g, r.Left + 10, r.Top + 8);
    ASSERT_EQ(g.CursorKind(), ckRowSelect);
    backend->Click(g, r.Left + 10, r.Top + 8);
    backend->Advance(1000);
    EXPECT_EQ(g.Selection(), (TGridRect{1, 4, 4, 4}));
    EXPECT_EQ(exits, 1);
    if (!alwaysShow) {
      EXPECT_FALSE(g.InplaceEditor()->Visible());
    }
    EXPECT_EQ(g.GetCellText(2, 2), "x");
  }
}

TEST_F(ExtGridMouseTest, ColumnSizingShowsItsWidthInTheHintWindow) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  g.SetOptions(g.Options() + TGridOptions{goColSizing});
  g.HintShowSizing = true;
  const TRect r = g.CellRect(1, 0);
  backend->PressMouse(g, r.Right, r.Top + 5);
  ASSERT_EQ(g.GridState(), gsColSizing);
  backend->MoveMouse(g, r.Right + 20, r.Top + 5);
  ASSERT_NE(g.SizingHintWindow(), nullptr);
  EXPECT_EQ(g.SizingHintWindow()->Caption(), "cw=<b>" + IntToStr(g.ColWidths(1) + 20) + "</b>");
  EXPECT_TRUE(g.SizingHintWindow()->Visible());
  backend->ReleaseMouse(g, r.Right + 20, r.Top + 5);
  EXPECT_FALSE(g.SizingHintWindow()->Visible());
}

TEST_F(ExtGridMouseTest, TheHintWindowKeepsInsideTheScreen) {
  auto& g = MakeGrid<TExtStringGrid>(2, 2);
  THTMLHintWindow hint(&g);
  const AnsiString text(40, 'W');
  const int width = hint.CalcHintRect(1008, text, nullptr).Width() + 16;
  const int left = backend->ScreenW - 100;
  hint.ActivateHint(Bounds(left, 10, 10, 10), text);
  EXPECT_EQ(hint.Left() + hint.Width(), backend->ScreenW - 2);
  EXPECT_EQ(hint.Width(), width);
}

TEST_F(ExtGridMouseTest, VersionAndOwnCursor) {
  auto& g = MakeGrid<TExtStringGrid>(2, 2);
  EXPECT_EQ(g.GetVersionNr(), 0x02040001);
  EXPECT_EQ(g.GetVersionString(), "2.4.0.1 Nov, 2002");
  g.SetCursor(crCross);
  EXPECT_EQ(g.OwnCursor(), crCross);
}

}  // namespace

namespace {

TEST_F(ExtGridMouseTest, TheHintShowsAfterThePauseAndFollowsTheCell) {
  auto& g = MakeGrid<TExtStringGrid>(4, 6);
  form->SetShowHint(true);
  g.SetHint("heading hint|");
  std::vector<std::pair<int, int>> asked;
  g.OnGridHint = [&](TObject*, int r, int c, AnsiString&) { asked.emplace_back(c, r); };
  const TRect a = g.CellRect(1, 1), b = g.CellRect(2, 2);
  backend->MoveMouse(g, a.Left + 3, a.Top + 3);
  backend->MoveMouse(g, a.Left + 4, a.Top + 4);
  backend->Advance(600);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_TRUE(Application->HintWindow()->Visible());
  EXPECT_EQ(Application->HintWindow()->Caption(), "heading hint");
  backend->MoveMouse(g, b.Left + 3, b.Top + 3);
  backend->MoveMouse(g, b.Left + 4, b.Top + 4);
  backend->Advance(600);
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 1}, {2, 2}}));
}

}  // namespace

namespace {

TEST_F(ExtGridMouseTest, AColumnDraggedPastAHiddenOneMovesByRealColumns) {
  auto& g = MakeGrid<TExtStringGrid>(5, 4, 460, 200);
  for (int c = 0; c < 5; ++c)
    for (int r = 0; r < 4; ++r) g.SetCellText(c, r, AnsiString(1, static_cast<char>('A' + c)) + IntToStr(r));
  g.SetOptions(g.Options() + TGridOptions{goColMoving});
  g.SortSettings().Show = true;
  g.SortSettings().Column = 4;
  g.EnhRowColMove = true;
  g.HideColumn(2);  // shown: A B D E
  int clickSorts = 0;
  g.OnClickSort = [&](TObject*, int) { ++clickSorts; };
  const TRect from = g.CellRect(1, 0), to = g.CellRect(3, 0);
  backend->PressMouse(g, from.Left + 10, from.Top + 5);
  ASSERT_EQ(g.GridState(), gsColMoving);
  backend->MoveMouse(g, to.Left + 10, to.Top + 5);
  backend->ReleaseMouse(g, to.Left + 10, to.Top + 5);
  std::vector<AnsiString> shown;
  for (int c = 0; c < g.ColCount(); ++c) shown.push_back(g.GetCellText(g.RealColIndex(c), 1));
  EXPECT_EQ(shown, (std::vector<AnsiString>{"A1", "D1", "E1", "B1"}));
  EXPECT_EQ(g.HiddenColCount(), 1);
  EXPECT_TRUE(g.IsHiddenColumn(1));  // C shifted down by one, still hidden
  EXPECT_EQ(g.GetCellText(1, 2), "C2");
  EXPECT_EQ(g.ColumnOrder(), (std::vector<int>{0, 2, 3, 4, 1}));
  EXPECT_EQ(g.SortSettings().Column, 3);  // E followed
  EXPECT_EQ(clickSorts, 0);               // the release after a move does not sort
  g.UnHideColumn(1);
  EXPECT_EQ(g.GetCellText(1, 3), "C3");
}

}  // namespace

namespace {

TEST_F(ExtGridMouseTest, KeyUpOfHomeKeepsTheLookupTextAndEndClearsIt) {
  auto& g = MakeGrid<TExtStringGrid>(3, 6);
  g.SortSettings().Show = true;
  g.SortSettings().Column = 1;
  g.Navigation().AutoGotoWhenSorted = true;
  g.Navigation().AutoGotoIncremental = true;
  g.SetCellText(1, 3, "ALPHA");
  g.SetFocus();
  backend->Type("al");
  EXPECT_EQ(g.LookupText(), "al");
  EXPECT_EQ(g.Row(), 3);
  backend->PressKey(VK_HOME);
  EXPECT_EQ(g.LookupText(), "al");
  backend->PressKey(VK_END);
  EXPECT_EQ(g.LookupText(), "");
}

TEST_F(ExtGridMouseTest, OnlyHeadingEdgesAskOnColumnSize) {
  auto& g = MakeGrid<TExtStringGrid>(4, 5);
  g.SetOptions(g.Options() + TGridOptions{goColSizing, goRowSizing});
  std::vector<int> asked;
  bool allow = false;
  g.OnColumnSize = [&](TObject*, int c, bool& a) {
    asked.push_back(c);
    a = allow;
  };
  const TRect heading = g.CellRect(1, 0);
  backend->PressMouse(g, heading.Right, heading.Top + 5);
  EXPECT_EQ(g.GridState(), gsNormal);  // refused: no sizing
  backend->ReleaseMouse(g, heading.Right, heading.Top + 5);
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(std::count(asked.begin(), asked.end(), 1), static_cast<long>(asked.size()));
  // A column edge below the headings is not asked about.
  asked.clear();
  backend->Advance(1000);
  const TRect data = g.CellRect(1, 2);
  backend->MoveMouse(g, data.Right, data.Top + 5);
  EXPECT_TRUE(asked.empty());
  allow = true;
  backend->PressMouse(g, heading.Right, heading.Top + 5);
  EXPECT_EQ(g.GridState(), gsColSizing);
  backend->MoveMouse(g, heading.Right + 15, heading.Top + 5);
  backend->ReleaseMouse(g, heading.Right + 15, heading.Top + 5);
  EXPECT_EQ(g.ColWidths(1), heading.Width() + 15);
}

TEST_F(ExtGridMouseTest, AnyButtonEndsPanning) {
  for (int button : {0, 1, 2}) {
    auto& g = MakeGrid<TExtStringGrid>(3, 30);
    backend->Click(g, 100, 100, 2);
    ASSERT_TRUE(g.Panning());
    backend->Advance(1000);
    backend->PressMouse(g, 100, 100, button);
    EXPECT_FALSE(g.Panning()) << button;
    backend->ReleaseMouse(g, 100, 100, button);
  }
}

TEST_F(ExtGridMouseTest, CellControlsFollowTheScrolledCells) {
  auto& g = MakeGrid<TExtStringGrid>(3, 40, 300, 200);
  auto* button = new TButton(&g);
  button->SetParent(&g);
  g.GetCellProperties(1, 3)->Control = button;
  g.SetTopRow(2);
  EXPECT_EQ(button->BoundsRect(), g.CellRect(1, 3));
  g.SetTopRow(20);
  EXPECT_EQ(button->Width(), 0);
  EXPECT_EQ(button->Height(), 0);
  EXPECT_EQ(g.GetCellControl(1, 3), button);
  EXPECT_EQ(g.GetCellControl(2, 3), nullptr);
  EXPECT_EQ(g.GetCellBrushColor(2, 3), clNotSet);
}

// The combo put over a COMBO control keeps a closed combo's height inside
// its row; the lines the handler asks for show in its open list.
TEST_F(ExtGridMouseTest, ACellComboStaysInItsRowAndItsListShowsTheLinesAskedFor) {
  auto& g = MakeGrid<TExtStringGrid>(3, 4);
  g.SetDefaultRowHeight(34);
  g.SetCells(1, 1, R"(<P><CONTROL TYPE="COMBO" ID="c" VALUE="b" WIDTH="90"></P>)");
  g.OnControlComboList = [](TObject*, int, int, const AnsiString&, const AnsiString&, const AnsiString&,
                            TStrings& values, bool& edit, int& dropCount) {
    for (const char* v : {"a", "b", "c", "d", "e"}) values.Add(v);
    edit = false;
    dropCount = 3;
  };
  const TRect cell = g.CellRect(1, 1);
  backend->Click(g, cell.Left + 10, cell.Top + 10);
  TComboBox* combo = g.ControlCombo();
  ASSERT_NE(combo, nullptr);
  ASSERT_TRUE(combo->Visible());
  EXPECT_LE(combo->Top() + combo->Height(), cell.Bottom + 1);
  EXPECT_EQ(combo->Text(), "b");
  EXPECT_TRUE(combo->DroppedDown());
  EXPECT_EQ(combo->DropDownCount, 3);
}

// A list-style cell combo ends with its list: what the user chose there,
// by keys or by the mouse, is the control's value; Escape keeps the old.
TEST_F(ExtGridMouseTest, AListStyleCellComboKeepsTheLineChosenInItsList) {
  struct Case {
    const char* what;
    bool editable;
    std::function<void(TComboBox&)> choose;
    const char* value;
  };
  const Case cases[] = {
      {"down and enter", false,
       [&](TComboBox&) {
         backend->PressKey(VK_DOWN);
         backend->PressKey(VK_DOWN);
         backend->PressKey(VK_RETURN);
       },
       "d"},
      {"up and enter", false,
       [&](TComboBox&) {
         backend->PressKey(VK_UP);
         backend->PressKey(VK_RETURN);
       },
       "a"},
      {"a click on a line", false,
       [&](TComboBox& c) {
         TComboListWindow* list = c.ListWindow();
         backend->Click(*list, 10, list->ItemRect(4).Top + 2);
       },
       "e"},
      {"down and escape", false,
       [&](TComboBox&) {
         backend->PressKey(VK_DOWN);
         backend->PressKey(VK_ESCAPE);
       },
       "b"},
      {"an editable one: down, enter and enter again", true,
       [&](TComboBox&) {
         backend->PressKey(VK_DOWN);
         backend->PressKey(VK_RETURN);  // closes the list
         backend->PressKey(VK_RETURN);  // ends the edit
       },
       "c"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = MakeGrid<TExtStringGrid>(3, 4);
    g.SetDefaultRowHeight(34);
    g.SetCells(1, 1, R"(<P><CONTROL TYPE="COMBO" ID="c" VALUE="b" WIDTH="90"></P>)");
    g.OnControlComboList = [&](TObject*, int, int, const AnsiString&, const AnsiString&, const AnsiString&,
                               TStrings& values, bool& edit, int&) {
      for (const char* v : {"a", "b", "c", "d", "e"}) values.Add(v);
      edit = k.editable;
    };
    std::vector<AnsiString> done;
    g.OnControlEditDone = [&](TObject*, int r, int c, const AnsiString& id, const AnsiString& type,
                              const AnsiString& value) {
      EXPECT_EQ(r, 1);
      EXPECT_EQ(c, 1);
      EXPECT_EQ(id, "c");
      EXPECT_EQ(type, "COMBO");
      done.push_back(value);
    };
    const TRect cell = g.CellRect(1, 1);
    backend->Click(g, cell.Left + 10, cell.Top + 10);
    TComboBox* combo = g.ControlCombo();
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(combo->DroppedDown());
    k.choose(*combo);
    Application->ProcessMessages();
    EXPECT_FALSE(combo->Visible());
    EXPECT_EQ(done, std::vector<AnsiString>{k.value});
    EXPECT_EQ(g.Cells(1, 1),
              "<P><CONTROL ID=\"c\" VALUE=\""_a + k.value + "\" WIDTH=\"90\" TYPE=\"COMBO\"></P>");
  }
}

}  // namespace
