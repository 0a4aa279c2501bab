// The grid as a drop target and a drag source: drops through the target's
// interface, whole drags between and within grids through the layer's
// loop with the user's mouse and keys, the markers and the floating label.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGridDragDrop.h"
#include "grid/ExtGridEvents.h"
#include "grid/ExtGridFooter.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Panels.h"
#include "platform/ui/StdCtrls.h"
#include "tests/TestOutput.h"
#include "tests/platform/rtl/ScopedEnv.h"

namespace {

class GridDragDropTest : public GridFormTest {
 protected:
  void SetUp() override {
    GridFormTest::SetUp();
    ui::dragdrop::Reset();
    SetDropRTF(false);
    TEnumFormats registering(nullptr);  // the named formats get their ids
  }
  void TearDown() override {
    ui::dragdrop::Reset();
    SetDropRTF(false);
    GridFormTest::TearDown();
  }
  // The two grids and, below them, a panel that takes drops through Target.
  TPanel* TwoGridsAndAPanelBelow(IDropTarget* Target) {
    MakeTwoGrids();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(360, 260, 200, 30);
    form->SetBounds(40, 40, 720, 320);
    Application->ProcessMessages();
    EXPECT_EQ(RegisterDragDrop(panel->Handle(), Target), S_OK);
    return panel;
  }
  // Two grids side by side on one form: A at the left, B at the right.
  void MakeTwoGrids() {
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(40, 40, 720, 300);
    for (TExtStringGrid** g : {&a, &b}) {
      *g = new TExtStringGrid(form.get());
      (*g)->SetParent(form.get());
      (*g)->SetColCount(4);
      (*g)->SetRowCount(8);
      (*g)->SetDefaultColWidth(64);
      (*g)->Navigation().AllowClipboardAlways = true;  // drops paste without editing
    }
    a->SetBounds(10, 10, 330, 240);
    b->SetBounds(360, 10, 330, 240);
    form->Show();
    Application->ProcessMessages();
    for (int r = 1; r < 8; ++r)
      for (int c = 1; c < 4; ++c) a->SetCells(c, r, std::to_string(c) + "," + std::to_string(r));
    a->DragDropSettings().OleDropSource = true;
    b->DragDropSettings().SetOleDropTarget(true);
  }
  // The screen point in the middle of a cell.
  static TPoint CellPoint(TExtStringGrid& g, int c, int r) {
    const TRect cell = g.CellRect(c, r);
    return g.ClientToScreen(Point((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2));
  }
  static TPoint ClientPoint(TExtStringGrid& g, int c, int r) {
    const TRect cell = g.CellRect(c, r);
    return Point((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  }
  // The user's steps while the drag runs, one per call of the loop; each
  // gives the loop input, or the drag ends for want of it.
  void Script(std::vector<std::function<void()>> steps) {
    steps_ = std::move(steps);
    next_ = 0;
    ui::dragdrop::SetInputSource([this] {
      if (next_ < steps_.size()) steps_[next_++]();
    });
  }
  // Presses on (c, r) of G and moves the mouse away far enough to drag.
  void DragFrom(TExtStringGrid& g, int c, int r) {
    const TPoint p = ClientPoint(g, c, r);
    backend->PressMouse(g, p.X, p.Y);
    backend->MoveMouse(g, p.X + 8, p.Y);
  }
  void MoveTo(TExtStringGrid& g, int c, int r) {
    const TPoint p = ClientPoint(g, c, r);
    backend->MoveMouse(g, p.X, p.Y);
  }
  void ReleaseOn(TExtStringGrid& g, int c, int r) {
    const TPoint p = ClientPoint(g, c, r);
    backend->ReleaseMouse(g, p.X, p.Y);
  }
  // Enters B over a cell with Data and drops it there.
  DWORD DropOn(TExtStringGrid& g, IDataObject* data, int c, int r, DWORD keys = 0) {
    TGridDropTarget& t = *g.DropTarget();
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    const TPoint at = CellPoint(g, c, r);
    t.DragEnter(data, keys | MK_LBUTTON_STATE, at, effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    t.DragOver(keys | MK_LBUTTON_STATE, at, effect);
    if (effect == DROPEFFECT_NONE) {
      t.DragLeave();
      return effect;
    }
    t.Drop(data, keys, at, effect);
    return effect;
  }
  static std::string Column(TExtStringGrid& g, int c) {
    std::string s;
    for (int r = 1; r < g.RowCount(); ++r) s += g.Cells(c, r) + "|";
    return s;
  }
  TExtStringGrid* a = nullptr;
  TExtStringGrid* b = nullptr;
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
};

// ---- drops through the target -----------------------------------------------------------------

struct TextDropCase {
  const char* name;
  bool rowSelect, insertRows, entireRows;
  TGridRect selection;  // after a drop of two rows of two cells on (2, 3)
  TGridRect reported;
  const char* column2;  // column 2 of B afterwards
};

class GridTextDropTest : public GridDragDropTest, public testing::WithParamInterface<TextDropCase> {};

TEST_P(GridTextDropTest, PastesSelectsAndReports) {
  const TextDropCase& k = GetParam();
  MakeTwoGrids();
  for (int r = 1; r < 8; ++r) b->SetCells(2, r, "b" + std::to_string(r));
  if (k.rowSelect) b->SetOptions(b->Options() + TGridOptions{goRowSelect});
  b->DragDropSettings().OleInsertRows = k.insertRows;
  b->DragDropSettings().OleEntireRows = k.entireRows;
  TGridRect reported{-1, -1, -1, -1};
  b->OnOleDropped = [&](TObject*, const TGridRect& r) { reported = r; };
  const TComPtr<IDataObject> data(new TSourceDataObject("x\ty\r\nz\tw", -1, ""));
  EXPECT_EQ(DropOn(*b, data.Get(), 2, 3), DROPEFFECT_MOVE);
  EXPECT_EQ(b->Selection(), k.selection);
  EXPECT_EQ(reported, k.reported);
  EXPECT_EQ(Column(*b, 2), k.column2);
}

INSTANTIATE_TEST_SUITE_P(
    Drops, GridTextDropTest,
    testing::Values(
        TextDropCase{"Overwrite", false, false, false, {2, 3, 3, 4}, {2, 3, 3, 4}, "b1|b2|x|z|b5|b6|b7|"},
        TextDropCase{"Insert", false, true, false, {2, 3, 3, 4}, {2, 3, 3, 4}, "b1|b2|x|z|b3|b4|b5|b6|b7|"},
        // A row-select drop starts at the first normal column (or at
        // column 0 with whole rows); the whole rows are selected.
        TextDropCase{"RowSelect", true, false, false, {1, 3, 3, 4}, {1, 3, 2, 4}, "b1|b2|y|w|b5|b6|b7|"},
        TextDropCase{"EntireRows", true, true, true, {1, 3, 3, 4}, {1, 3, 2, 4}, "b1|b2|||b3|b4|b5|b6|b7|"}),
    [](const testing::TestParamInfo<TextDropCase>& i) { return i.param.name; });

TEST_F(GridDragDropTest, AGridThatTakesNoPasteRefusesText) {
  MakeTwoGrids();
  b->Navigation().AllowClipboardAlways = false;
  const TComPtr<IDataObject> data(new TSourceDataObject("x", -1, ""));
  EXPECT_EQ(DropOn(*b, data.Get(), 2, 3), DROPEFFECT_NONE);
  EXPECT_FALSE(b->DropMarkers().RowMarker().Visible());
  b->SetOptions(b->Options() + TGridOptions{goEditing});
  EXPECT_EQ(DropOn(*b, data.Get(), 2, 3), DROPEFFECT_MOVE);
  EXPECT_EQ(b->Cells(2, 3), "x");
}

TEST_F(GridDragDropTest, ARefusedDropChangesNothingAndReportsNoEffect) {
  MakeTwoGrids();
  bool dropped = false;
  b->OnOleDrop = [](TObject*, int, int, const AnsiString&, bool& allow) { allow = false; };
  b->OnOleDropped = [&](TObject*, const TGridRect&) { dropped = true; };
  const TComPtr<IDataObject> data(new TSourceDataObject("x", -1, ""));
  EXPECT_EQ(DropOn(*b, data.Get(), 2, 3), DROPEFFECT_NONE);
  EXPECT_EQ(b->Cells(2, 3), "");
  EXPECT_FALSE(dropped);
}

struct AcceptCase {
  const char* name;
  bool column;  // a column drag, else text
  int c, r;
  bool rowSelect, oneRowAlways;
  bool accepted;
};

class GridAcceptTest : public GridDragDropTest, public testing::WithParamInterface<AcceptCase> {};

TEST_P(GridAcceptTest, FollowsTheCellUnderTheMouse) {
  const AcceptCase& k = GetParam();
  MakeTwoGrids();
  b->DragDropSettings().OleColumnDragDrop = true;
  if (k.rowSelect) b->SetOptions(b->Options() + TGridOptions{goRowSelect});
  if (k.oneRowAlways) {
    b->FixedRowAlways = true;
    b->SetRowCount(1);
  }
  const TComPtr<IDataObject> data(k.column ? new TSourceDataObject("", 2, "")
                                           : new TSourceDataObject("t", -1, ""));
  TGridDropTarget& t = *b->DropTarget();
  DWORD effect = DROPEFFECT_MOVE;
  const TPoint at = k.c < 0 ? b->ClientToScreen(Point(320, 230)) : CellPoint(*b, k.c, k.r);
  t.DragEnter(data.Get(), MK_LBUTTON_STATE, at, effect);
  effect = DROPEFFECT_MOVE;
  t.DragOver(MK_LBUTTON_STATE, at, effect);
  EXPECT_EQ(effect != DROPEFFECT_NONE, k.accepted);
  TDropMarkers& m = b->DropMarkers();
  EXPECT_EQ(m.RowMarker().Visible(), k.accepted && !k.column);
  EXPECT_EQ(m.ColMarker1().Visible(), k.accepted && k.column);
  EXPECT_EQ(m.ColMarker2().Visible(), k.accepted && k.column);
  t.DragLeave();
  EXPECT_FALSE(m.RowMarker().Visible() || m.ColMarker1().Visible() || m.ColMarker2().Visible());
}

INSTANTIATE_TEST_SUITE_P(Rules, GridAcceptTest,
                         testing::Values(AcceptCase{"TextOnACell", false, 2, 3, false, false, true},
                                         AcceptCase{"TextOnAHeading", false, 2, 0, false, false, false},
                                         AcceptCase{"TextOnARowHeading", false, 0, 3, false, false, false},
                                         AcceptCase{"RowsOnARowHeading", false, 0, 3, true, false, true},
                                         AcceptCase{"TextOnTheOnlyRow", false, 2, 0, false, true, true},
                                         AcceptCase{"TextOutsideTheCells", false, -1, -1, false, false,
                                                    false},
                                         AcceptCase{"ColumnOnAHeading", true, 2, 0, false, false, true},
                                         AcceptCase{"ColumnOnTheCorner", true, 0, 0, false, false, false},
                                         AcceptCase{"ColumnOnACell", true, 2, 3, false, false, false}),
                         [](const testing::TestParamInfo<AcceptCase>& i) { return i.param.name; });

TEST_F(GridDragDropTest, MarkersStandBesideTheCell) {
  MakeTwoGrids();
  b->DragDropSettings().OleColumnDragDrop = true;
  TGridDropTarget& t = *b->DropTarget();
  const TComPtr<IDataObject> text(new TSourceDataObject("t", -1, ""));
  DWORD effect = DROPEFFECT_MOVE;
  t.DragEnter(text.Get(), MK_LBUTTON_STATE, CellPoint(*b, 2, 3), effect);
  t.DragOver(MK_LBUTTON_STATE, CellPoint(*b, 2, 3), effect);
  const TRect cell = b->CellRect(2, 3);
  const TPoint corner = b->ClientToScreen(Point(cell.Left, cell.Top));
  TDropMarkers& m = b->DropMarkers();
  EXPECT_EQ(Point(m.RowMarker().Left(), m.RowMarker().Top()), Point(corner.X - 10, corner.Y));
  // With whole rows the marker stands at the first normal column.
  b->DragDropSettings().OleEntireRows = true;
  t.DragOver(MK_LBUTTON_STATE, CellPoint(*b, 2, 3), effect);
  const TPoint rowStart = b->ClientToScreen(Point(b->CellRect(1, 3).Left, cell.Top));
  EXPECT_EQ(Point(m.RowMarker().Left(), m.RowMarker().Top()), Point(rowStart.X - 10, rowStart.Y));
  t.DragLeave();

  const TComPtr<IDataObject> column(new TSourceDataObject("", 1, ""));
  t.DragEnter(column.Get(), MK_LBUTTON_STATE, CellPoint(*b, 3, 0), effect);
  t.DragOver(MK_LBUTTON_STATE, CellPoint(*b, 3, 0), effect);
  const TRect heading = b->CellRect(3, 0);
  const TPoint top = b->ClientToScreen(Point(heading.Left, heading.Top));
  const TPoint bottom = b->ClientToScreen(Point(heading.Left, heading.Bottom));
  EXPECT_EQ(Point(m.ColMarker1().Left(), m.ColMarker1().Top()), Point(top.X, top.Y - 8));
  EXPECT_EQ(Point(m.ColMarker2().Left(), m.ColMarker2().Top()), bottom);
  EXPECT_EQ(m.ColMarker1().Direction(), 1);  // pointing down at the heading
  EXPECT_EQ(m.ColMarker2().Direction(), 0);
  // Markers are windows above all others that never take the input.
  EXPECT_FALSE(m.ColMarker1().Enabled());
  EXPECT_EQ(ui::dragdrop::WindowAt(Point(m.ColMarker2().Left() + 5, m.ColMarker2().Top() + 5)), b->Handle());
  int row = -1, col = -1, dropped = -1;
  b->OnOleDropCol = [&](TObject*, int r, int c, int d) { row = r, col = c, dropped = d; };
  t.Drop(column.Get(), 0, CellPoint(*b, 3, 0), effect);
  EXPECT_EQ(std::vector<int>({row, col, dropped}), std::vector<int>({0, 3, 1}));
  EXPECT_FALSE(m.ColMarker1().Visible() || m.ColMarker2().Visible());
}

TEST_F(GridDragDropTest, DraggingNearTheEdgesScrollsARowAtATime) {
  MakeTwoGrids();
  b->SetRowCount(40);
  const TComPtr<IDataObject> data(new TSourceDataObject("t", -1, ""));
  TGridDropTarget& t = *b->DropTarget();
  DWORD effect = DROPEFFECT_MOVE;
  t.DragEnter(data.Get(), MK_LBUTTON_STATE, CellPoint(*b, 2, 3), effect);
  const int bottom = b->TopRow() + b->VisibleRowCount();
  const TRect last = b->CellRect(2, bottom - 1);
  const TPoint below = b->ClientToScreen(Point(last.Left + 5, last.Bottom + 3));
  for (int expected : {2, 3}) {
    t.DragOver(MK_LBUTTON_STATE, below, effect);
    EXPECT_EQ(b->TopRow(), expected);
  }
  for (int expected : {2, 1, 1}) {
    t.DragOver(MK_LBUTTON_STATE, CellPoint(*b, 2, 0), effect);
    EXPECT_EQ(b->TopRow(), expected);
  }
  t.DragLeave();
}

TEST_F(GridDragDropTest, RichTextGoesIntoOneCell) {
  MakeTwoGrids();
  b->DragDropSettings().SetOleDropRTF(true);
  EXPECT_TRUE(DropRTFEnabled());
  const AnsiString rtf = "{\\rtf1 \\b bold\\b0}";
  const TComPtr<IDataObject> data(new TSourceDataObject("bold", -1, rtf));
  EXPECT_EQ(DropOn(*b, data.Get(), 2, 2), DROPEFFECT_MOVE);
  EXPECT_EQ(b->Cells(2, 2), rtf);
  EXPECT_TRUE(ShowsBoldRun(*b, "bold"));  // shown formatted
  b->DragDropSettings().SetOleDropRTF(false);
  EXPECT_EQ(DropOn(*b, data.Get(), 3, 2), DROPEFFECT_MOVE);
  EXPECT_EQ(b->Cells(3, 2), "bold");
}

// ---- files ---------------------------------------------------------------------------------

TEST_F(GridDragDropTest, OneDroppedCsvFileIsImported) {
  MakeTwoGrids();
  const std::string dir = TestOutputFolder().string();
  const std::string csv = TestOutput("drop.csv");
  FILE* f = fopen(csv.c_str(), "wb");
  fputs("p;q\r\nr;s\r\n", f);
  fclose(f);
  std::vector<AnsiString> asked;
  b->OnOleDrop = [&](TObject*, int r, int c, const AnsiString& data, bool&) {
    asked.push_back(data + "@" + std::to_string(c) + "," + std::to_string(r));
  };
  // Two files, or a name that is neither kind: nothing.
  EXPECT_TRUE(ui::dragdrop::DeliverFiles(b->Handle(), CellPoint(*b, 1, 1), {csv, csv}));
  EXPECT_TRUE(ui::dragdrop::DeliverFiles(b->Handle(), CellPoint(*b, 1, 1), {dir + "/notes.txt"}));
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(b->Cells(1, 1), "");
  EXPECT_TRUE(ui::dragdrop::DeliverFiles(b->Handle(), CellPoint(*b, 1, 1), {csv}));
  EXPECT_EQ(asked, std::vector<AnsiString>({csv + "@-1,-1"}));
  EXPECT_EQ(b->Cells(0, 0), "p");  // the fixed cells too (IncludeFixedCells)
  EXPECT_EQ(b->Cells(1, 1), "s");
}

TEST_F(GridDragDropTest, AWorksheetDropShowsTheErrorAndEndsCleanly) {
  MakeTwoGrids();
  b->SetCells(1, 1, "kept");
  // A machine without the office suite: nothing on the path finds it.
  ScopedEnv path("PATH", TestOutputFolder().string());
  backend->ExpectMessageBox("Excel OLE server not found", IDOK);
  EXPECT_TRUE(ui::dragdrop::DeliverFiles(b->Handle(), CellPoint(*b, 1, 1), {"/tmp/book.xls"}));
  EXPECT_EQ(backend->ErrorBoxes.size(), 1u);
  EXPECT_TRUE(backend->UnexpectedDialogs.empty());
  EXPECT_EQ(b->Cells(1, 1), "kept");
  EXPECT_FALSE(b->DropMarkers().RowMarker().Visible());
}

// ---- whole drags -------------------------------------------------------------------------------

struct BetweenCase {
  const char* name;
  bool ctrl;
  DWORD effect;
  const char* sourceAfter;  // column 2 of A
};

class GridDragBetweenTest : public GridDragDropTest, public testing::WithParamInterface<BetweenCase> {};

TEST_P(GridDragBetweenTest, CopiesOrMovesTheSelection) {
  const BetweenCase& k = GetParam();
  MakeTwoGrids();
  a->SetSelection({1, 2, 2, 3});
  std::vector<std::string> log;
  a->OnOleDragStart = [&](TObject*, int r, int c) {
    log.push_back("start " + std::to_string(c) + "," + std::to_string(r));
  };
  a->OnOleDragStop = [&](TObject*, int e) { log.push_back("stop " + std::to_string(e)); };
  b->OnOleDropped = [&](TObject*, const TGridRect& r) {
    log.push_back("dropped " + std::to_string(r.Left) + "," + std::to_string(r.Top) + "-" +
                  std::to_string(r.Right) + "," + std::to_string(r.Bottom));
  };
  bool labelShown = false;
  Script({[&] { MoveTo(*b, 2, 4); },
          [&] {
            labelShown = a->DropMarkers().DragIndicator().Visible() &&
                         a->DropMarkers().DragIndicator().Caption() == "1,2";
            if (k.ctrl) backend->KeyDown(VK_CONTROL);
            MoveTo(*b, 2, 4);
          },
          [&] { ReleaseOn(*b, 2, 4); }});
  DragFrom(*a, 1, 2);
  if (k.ctrl) backend->KeyUp(VK_CONTROL);
  EXPECT_TRUE(labelShown);
  EXPECT_FALSE(a->DropMarkers().DragIndicator().Visible());
  EXPECT_FALSE(b->DropMarkers().RowMarker().Visible());
  EXPECT_EQ(Column(*b, 2), "|||1,2|1,3|||");
  EXPECT_EQ(Column(*b, 3), "|||2,2|2,3|||");
  EXPECT_EQ(Column(*a, 2), k.sourceAfter);
  EXPECT_EQ(log,
            std::vector<std::string>({"start 1,2", "dropped 2,4-3,5", "stop " + std::to_string(k.effect)}));
  EXPECT_FALSE(ui::dragdrop::Dragging());
  EXPECT_FALSE(a->MouseState().MouseDown);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, GridDragBetweenTest,
    testing::Values(BetweenCase{"Copy", true, DROPEFFECT_COPY, "2,1|2,2|2,3|2,4|2,5|2,6|2,7|"},
                    BetweenCase{"Move", false, DROPEFFECT_MOVE, "2,1|||2,4|2,5|2,6|2,7|"}),
    [](const testing::TestParamInfo<BetweenCase>& i) { return i.param.name; });

TEST_F(GridDragDropTest, EscapeCancelsAndNothingChanges) {
  MakeTwoGrids();
  a->SetSelection({1, 2, 1, 2});
  bool stopped = false;
  a->OnOleDragStop = [&](TObject*, int) { stopped = true; };
  Script({[&] { MoveTo(*b, 2, 4); }, [&] { backend->KeyDown(VK_ESCAPE); }});
  DragFrom(*a, 1, 2);
  backend->KeyUp(VK_ESCAPE);
  EXPECT_FALSE(stopped);
  EXPECT_EQ(a->Cells(1, 2), "1,2");
  EXPECT_EQ(b->Cells(2, 4), "");
  EXPECT_FALSE(b->DropMarkers().RowMarker().Visible());
}

TEST_F(GridDragDropTest, CtrlHeldBeforeTheDragCopies) {
  MakeTwoGrids();
  a->SetSelection({1, 2, 1, 2});
  int stop = -1;
  a->OnOleDragStop = [&](TObject*, int e) { stop = e; };
  backend->KeyDown(VK_CONTROL);
  Script({[&] { MoveTo(*b, 2, 4); }, [&] { ReleaseOn(*b, 2, 4); }});
  DragFrom(*a, 1, 2);
  backend->KeyUp(VK_CONTROL);
  EXPECT_EQ(stop, static_cast<int>(DROPEFFECT_COPY));
  EXPECT_EQ(a->Cells(1, 2), "1,2");
  EXPECT_EQ(b->Cells(2, 4), "1,2");
}

TEST_F(GridDragDropTest, WithoutAUserTheDragEndsWhereItBegan) {
  MakeTwoGrids();
  a->SetSelection({1, 2, 1, 2});
  bool stopped = false;
  a->OnOleDragStop = [&](TObject*, int) { stopped = true; };
  // No input can come in memory: the loop waits for none and cancels.
  DragFrom(*a, 1, 2);
  EXPECT_FALSE(ui::dragdrop::Dragging());
  EXPECT_FALSE(stopped);
  EXPECT_EQ(a->Cells(1, 2), "1,2");
  EXPECT_FALSE(a->DropMarkers().DragIndicator().Visible());
  // The mouse and keys go to the windows again.
  backend->Click(*b, ClientPoint(*b, 2, 5).X, ClientPoint(*b, 2, 5).Y);
  EXPECT_EQ(b->Row(), 5);
}

TEST_F(GridDragDropTest, AMoveTheTargetRefusedKeepsTheSourceCells) {
  MakeTwoGrids();
  a->SetSelection({1, 2, 1, 2});
  b->OnOleDrop = [](TObject*, int, int, const AnsiString&, bool& allow) { allow = false; };
  Script({[&] { MoveTo(*b, 2, 4); }, [&] { ReleaseOn(*b, 2, 4); }});
  DragFrom(*a, 1, 2);
  EXPECT_EQ(a->Cells(1, 2), "1,2");
  EXPECT_EQ(b->Cells(2, 4), "");
}

// A window of another kind that shows a copy while the drag is over it,
// yet reports a move when dropped on; it keeps what it was given.
class TCopyShowingTarget : public IDropTarget {
 public:
  HRESULT DragEnter(IDataObject* data, DWORD, TPoint, DWORD& effect) override {
    TEnumFormats formats(data);
    while (formats.Next()) offered.push_back(formats.Format());
    FORMATETC f;
    f.cfFormat = GridCellsClipboardFormat();
    STGMEDIUM m;
    if (data->GetData(f, m) == S_OK) cells.assign(m.Block.begin(), m.Block.end());
    effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragOver(DWORD, TPoint, DWORD& effect) override {
    effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragLeave() override { return S_OK; }
  HRESULT Drop(IDataObject*, DWORD, TPoint, DWORD& effect) override {
    effect = DROPEFFECT_MOVE;
    ++drops;
    return S_OK;
  }
  std::vector<UINT> offered;
  std::string cells;
  int drops = 0;
};

// The source's last effect is the one the user saw: a drop shown as a copy
// keeps the cells whatever the target reports afterwards.
TEST_F(GridDragDropTest, ADropTheUserSawAsACopyKeepsTheSourceCells) {
  const TComPtr<TCopyShowingTarget> target(new TCopyShowingTarget);
  TPanel* other = TwoGridsAndAPanelBelow(target.Get());
  a->SetSelection({1, 2, 1, 2});
  int stop = -1;
  a->OnOleDragStop = [&](TObject*, int e) { stop = e; };
  Script({[&] { backend->MoveMouse(*other, 100, 15); }, [&] { backend->ReleaseMouse(*other, 100, 15); }});
  DragFrom(*a, 1, 2);
  EXPECT_EQ(target->drops, 1);
  EXPECT_EQ(stop, DROPEFFECT_MOVE);
  EXPECT_EQ(a->Cells(1, 2), "1,2");
  // Without the grid's own clipboard format the drag carries none.
  EXPECT_EQ(target->offered, (std::vector<UINT>{CF_TEXT, CF_UNICODETEXT, RichTextFormatId()}));
  EXPECT_TRUE(target->cells.empty());
}

// Where the grid's clipboard carries its cells, so does a drag of them.
TEST_F(GridDragDropTest, ADragCarriesTheCellsWithTheirPropertiesWhereTheClipboardDoes) {
  const TComPtr<TCopyShowingTarget> target(new TCopyShowingTarget);
  TPanel* other = TwoGridsAndAPanelBelow(target.Get());
  a->Navigation().AllowFmtClipboard = true;
  a->GetCellProperties(2, 3)->FontSize = 15;
  a->SetSelection({1, 2, 2, 3});
  Script({[&] { backend->MoveMouse(*other, 100, 15); }, [&] { backend->ReleaseMouse(*other, 100, 15); }});
  DragFrom(*a, 1, 2);
  EXPECT_EQ(target->offered,
            (std::vector<UINT>{CF_TEXT, CF_UNICODETEXT, RichTextFormatId(), GridCellsClipboardFormat()}));
  ASSERT_FALSE(target->cells.empty());
  TStringStream block{AnsiString(target->cells)};
  b->LoadCellBlock(TPoint{1, 5}, block);
  EXPECT_EQ(b->Cells(1, 5), "1,2");
  EXPECT_EQ(b->Cells(2, 6), "2,3");
  ASSERT_NE(b->FindCellProperties(2, 6), nullptr);
  EXPECT_EQ(b->FindCellProperties(2, 6)->FontSize, 15);
}

// A click on the selection of a grid that drags waits to see whether a
// drag starts, and still takes the keys.
TEST_F(GridDragDropTest, AClickOnTheSelectionOfAnotherGridFocusesIt) {
  MakeTwoGrids();
  a->SetSelection({1, 2, 1, 2});
  b->SetFocus();
  ASSERT_TRUE(b->Focused());
  backend->Click(*a, ClientPoint(*a, 1, 2).X, ClientPoint(*a, 1, 2).Y);
  EXPECT_TRUE(a->Focused());
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(a->Selection(), (TGridRect{1, 3, 1, 3}));
}

TEST_F(GridDragDropTest, ARefusedDragStartsARangeSelection) {
  MakeTwoGrids();
  a->SetSelection({1, 2, 1, 2});
  AnsiString asked;
  a->OnOleDrag = [&](TObject*, int, int, const AnsiString& data, bool& allow) {
    asked = data;
    allow = false;
  };
  DragFrom(*a, 1, 2);
  EXPECT_FALSE(ui::dragdrop::Dragging());
  MoveTo(*a, 2, 4);
  ReleaseOn(*a, 2, 4);
  EXPECT_EQ(asked, "1,2");
  EXPECT_EQ(a->Selection(), (TGridRect{1, 2, 2, 4}));
}

struct WithinCase {
  const char* name;
  bool insert;
  int from, to;       // dragged rows
  int dropRow;        // where they are dropped
  const char* after;  // column 1 afterwards
};

class GridDragWithinTest : public GridDragDropTest, public testing::WithParamInterface<WithinCase> {};

// Rows moved within one grid: the rows dragged go, wherever the drop put
// the new ones, and nothing the drop wrote is lost.
TEST_P(GridDragWithinTest, RemovesExactlyTheRowsDragged) {
  const WithinCase& k = GetParam();
  MakeTwoGrids();
  a->SetOptions(a->Options() + TGridOptions{goRowSelect});
  a->DragDropSettings().SetOleDropTarget(true);
  a->DragDropSettings().OleRemoveRows = true;
  a->DragDropSettings().OleInsertRows = k.insert;
  a->SetSelection({1, k.from, 3, k.to});
  Script({[&] { MoveTo(*a, 2, k.dropRow); }, [&] { ReleaseOn(*a, 2, k.dropRow); }});
  DragFrom(*a, 1, k.from);
  EXPECT_EQ(Column(*a, 1), k.after);
  // The rows dropped stay selected where they are now.
  const TGridRect s = a->Selection();
  EXPECT_EQ(a->Cells(1, s.Top), "1," + std::to_string(k.from));
  EXPECT_EQ(s.Bottom - s.Top, k.to - k.from);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GridDragWithinTest,
    testing::Values(WithinCase{"InsertAbove", true, 4, 5, 2, "1,1|1,4|1,5|1,2|1,3|1,6|1,7|"},
                    WithinCase{"InsertBelow", true, 2, 3, 6, "1,1|1,4|1,5|1,2|1,3|1,6|1,7|"},
                    WithinCase{"InsertInside", true, 2, 4, 3, "1,1|1,2|1,3|1,4|1,5|1,6|1,7|"},
                    WithinCase{"OverwriteAbove", false, 4, 5, 1, "1,4|1,5|1,3|1,6|1,7|"},
                    WithinCase{"OverwriteOverlapping", false, 2, 3, 3, "1,1|1,2|1,3|1,5|1,6|1,7|"}),
    [](const testing::TestParamInfo<WithinCase>& i) { return i.param.name; });

TEST_F(GridDragDropTest, AColumnDragCarriesItsHeading) {
  MakeTwoGrids();
  a->SetCells(2, 0, "Τιμή"_a);
  a->DragDropSettings().OleColumnDragDrop = true;
  b->DragDropSettings().OleColumnDragDrop = true;
  int dropped = -1;
  b->OnOleDropCol = [&](TObject*, int, int, int d) { dropped = d; };
  AnsiString shown;
  TSize size{0, 0};
  Script({[&] { MoveTo(*b, 3, 0); },
          [&] {
            const TFloatingLabel& label = a->DropMarkers().DragIndicator();
            shown = label.Visible() ? label.Caption() : "";
            size = {label.Width(), label.Height()};
            MoveTo(*b, 3, 0);
          },
          [&] { ReleaseOn(*b, 3, 0); }});
  DragFrom(*a, 2, 0);
  EXPECT_EQ(shown, "Τιμή"_a);
  EXPECT_EQ(size.cx, a->ColWidths(2));
  EXPECT_EQ(size.cy, a->RowHeights(0));
  EXPECT_EQ(dropped, 2);
}

TEST_F(GridDragDropTest, AMovedColumnShowsItsHeadingBesideTheMouse) {
  MakeTwoGrids();
  a->EnhRowColMove = true;
  a->SetOptions(a->Options() + TGridOptions{goColMoving});
  a->SetCells(2, 0, "Ποσό"_a);
  const TPoint p = ClientPoint(*a, 2, 0);
  backend->PressMouse(*a, p.X, p.Y);
  backend->MoveMouse(*a, p.X + 30, p.Y + 2);
  backend->MoveMouse(*a, p.X + 40, p.Y + 2);
  const TFloatingLabel& label = a->DropMarkers().DragIndicator();
  ASSERT_TRUE(label.Visible());
  EXPECT_EQ(label.Caption(), "Ποσό"_a);
  const TPoint at = a->ClientToScreen(Point(p.X + 40, p.Y + 2));
  EXPECT_EQ(label.BoundsRect(), Bounds(at.X, at.Y - a->RowHeights(0), a->ColWidths(2), a->RowHeights(0)));
  backend->ReleaseMouse(*a, p.X + 40, p.Y + 2);
  EXPECT_FALSE(label.Visible());
}

TEST_F(GridDragDropTest, AChildWindowOfTheGridDropsOnTheGrid) {
  MakeTwoGrids();
  b->FloatingFooter().SetVisible(true);
  Application->ProcessMessages();
  ASSERT_NE(b->FooterPanel(), nullptr);
  const TPoint footer = b->FooterPanel()->ClientToScreen(Point(5, 5));
  EXPECT_EQ(ui::dragdrop::WindowAt(footer), b->Handle());
  b->DragDropSettings().SetOleDropTarget(false);
  EXPECT_EQ(ui::dragdrop::WindowAt(footer), b->FooterPanel()->Handle());
}

TEST_F(GridDragDropTest, AMovedRowShowsItsHeadingAndScrollsAtTheEdge) {
  MakeTwoGrids();
  a->SetRowCount(30);
  a->SetCells(0, 3, "Τρίτη"_a);
  a->EnhRowColMove = true;
  a->SetOptions(a->Options() + TGridOptions{goRowMoving});
  const TPoint p = ClientPoint(*a, 0, 3);
  backend->PressMouse(*a, p.X, p.Y);
  backend->MoveMouse(*a, p.X + 2, p.Y + 30);
  const TFloatingLabel& label = a->DropMarkers().DragIndicator();
  ASSERT_TRUE(label.Visible());
  EXPECT_EQ(label.Caption(), "Τρίτη"_a);
  EXPECT_EQ(label.Width(), a->ColWidths(0));
  EXPECT_EQ(label.Height(), a->RowHeights(3));
  const int top = a->TopRow();
  backend->MoveMouse(*a, p.X + 2, a->ClientHeight() + 5);
  EXPECT_EQ(a->TopRow(), top + 1);
  // A move the handler refuses ends, and its label goes.
  a->OnRowMove = [](TObject*, int, bool& allow) { allow = false; };
  backend->MoveMouse(*a, p.X + 2, p.Y + 40);
  EXPECT_FALSE(label.Visible());
  backend->ReleaseMouse(*a, p.X + 2, p.Y + 40);
}

TEST_F(GridDragDropTest, SwitchingTheTargetOffRevokesIt) {
  MakeTwoGrids();
  const HWND h = b->Handle();
  b->DragDropSettings().SetOleDropTarget(false);
  EXPECT_FALSE(ui::dragdrop::DeliverFiles(h, CellPoint(*b, 1, 1), {"x.csv"}));
  b->DragDropSettings().SetOleDropTarget(true);
  EXPECT_TRUE(ui::dragdrop::DeliverFiles(h, CellPoint(*b, 1, 1), {"x.txt"}));
  // A grid that goes takes its registration with it.
  delete b;
  b = nullptr;
  EXPECT_FALSE(ui::dragdrop::DeliverFiles(h, Point(0, 0), {"x.txt"}));
}

// A grid whose form is being designed when asked.
struct DesignedGrid : TExtStringGrid {
  using TComponent::SetDesigning;
  using TExtStringGrid::TExtStringGrid;
};

// On a form being designed the setting is only kept: no drop reaches the
// grid, even once its window is made again.
TEST_F(GridDragDropTest, WhileDesigningTheTargetSettingIsOnlyKept) {
  for (bool designing : {true, false}) {
    SCOPED_TRACE(designing ? "designing" : "running");
    auto& g = MakeGrid<DesignedGrid>(3, 3);
    g.SetDesigning(designing);
    g.DragDropSettings().SetOleDropTarget(true);
    EXPECT_TRUE(g.DragDropSettings().OleDropTarget());
    EXPECT_EQ(ui::dragdrop::DeliverFiles(g.Handle(), CellPoint(g, 1, 1), {"x.txt"}), !designing);
    g.RecreateWnd();
    Application->ProcessMessages();
    EXPECT_EQ(ui::dragdrop::DeliverFiles(g.Handle(), CellPoint(g, 1, 1), {"x.txt"}), !designing);
    g.SetDesigning(false);
  }
}

TEST_F(GridDragDropTest, EnterInACellComboEndsItsEdit) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetCells(1, 1, R"(<CONTROL TYPE="COMBO" ID="c" VALUE="one" WIDTH="70"><B></B>)");
  std::string done;
  g.OnControlEditDone = [&](TObject*, int, int, const AnsiString& id, const AnsiString&,
                            const AnsiString& v) { done = id + "=" + v; };
  const TRect cell = g.CellRect(1, 1);
  backend->Click(g, cell.Left + 10, cell.Top + 8);
  ASSERT_NE(g.ControlCombo(), nullptr);
  ASSERT_TRUE(g.ControlCombo()->Visible());
  g.ControlCombo()->SetText("two");
  char key = '\r';
  ASSERT_TRUE(g.ControlCombo()->OnKeyPress);
  g.ControlCombo()->OnKeyPress(g.ControlCombo(), key);
  EXPECT_EQ(done, "c=two");
  EXPECT_FALSE(g.ControlCombo()->Visible());
}

}  // namespace
