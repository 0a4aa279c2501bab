#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

#include "UiFixture.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/Grids.h"
#include "platform/ui/WindowManager.h"

namespace {

// ---- the axis -------------------------------------------------------------------

long long NaiveStart(const std::vector<int>& sizes, int line, int index) {
  long long sum = 0;
  for (int i = 0; i < index; ++i)
    sum += sizes[static_cast<size_t>(i)] > 0 ? sizes[static_cast<size_t>(i)] + line : 0;
  return sum;
}

TEST(GridAxis, PrefixSumsMatchAPlainSumThroughEveryChange) {
  std::mt19937 random(7);
  TGridAxis axis;
  std::vector<int> sizes;
  const int line = 1;
  for (int step = 0; step < 400; ++step) {
    const int op = static_cast<int>(random() % 5);
    const int n = axis.Count();
    if (op == 0 || n == 0) {
      const int count = static_cast<int>(random() % 60);
      axis.SetCount(count, 10);
      sizes.resize(static_cast<size_t>(count), 10);
    } else if (op == 1) {
      const int i = static_cast<int>(random() % static_cast<unsigned>(n)),
                size = static_cast<int>(random() % 4) * 7;
      axis.SetSize(i, size);
      sizes[static_cast<size_t>(i)] = size;
    } else if (op == 2) {
      const int from = static_cast<int>(random() % static_cast<unsigned>(n));
      const int to = static_cast<int>(random() % static_cast<unsigned>(n));
      axis.Move(from, to);
      const int size = sizes[static_cast<size_t>(from)];
      sizes.erase(sizes.begin() + from);
      sizes.insert(sizes.begin() + to, size);
    } else {
      const long long total = NaiveStart(sizes, line, n);
      const long long pos = static_cast<long long>(random() % static_cast<unsigned>(total + 5));
      int expected = n;
      for (int i = 0; i < n; ++i)
        if (NaiveStart(sizes, line, i) <= pos && pos < NaiveStart(sizes, line, i + 1)) expected = i;
      ASSERT_EQ(axis.IndexAt(pos), expected) << "pos " << pos;
    }
    for (int i = 0; i <= axis.Count(); ++i)
      ASSERT_EQ(axis.Start(i), NaiveStart(sizes, line, i)) << "step " << step;
  }
}

// ---- a grid that records its drawing -------------------------------------------------

class TRecordingGrid : public TStringGrid {
 public:
  explicit TRecordingGrid(TComponent* owner) : TStringGrid(owner) {}
  struct Drawn {
    int Col, Row;
    TGridDrawState State;
  };
  std::vector<Drawn> Cells_;
  std::vector<std::string> Log;
  bool Veto = false;
  using TCustomGrid::CalcSizingState;
  using TCustomGrid::GridFocused;
  using TStringGrid::PaintWindow;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
    Cells_.push_back({ACol, ARow, AState});
    TStringGrid::DrawCell(ACol, ARow, ARect, AState);
  }
  bool SelectCell(int ACol, int ARow) override {
    if (Veto && ACol == 2 && ARow == 2) return false;
    return TStringGrid::SelectCell(ACol, ARow);
  }
  void KeyDown(Word& Key, TShiftState Shift) override {
    Log.push_back("grid.KeyDown " + std::to_string(Key));
    TStringGrid::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override {
    Log.push_back(std::string("grid.KeyPress ") + Key);
    TStringGrid::KeyPress(Key);
  }
  void TopLeftChanged() override {
    Log.push_back("TopLeftChanged");
    TStringGrid::TopLeftChanged();
  }
};

class GridTest : public UiTest {
 protected:
  TRecordingGrid& MakeGrid(int cols, int rows, int width = 380, int height = 200) {
    TDemoForm& f = ShowDemo();
    grid = f.Add<TRecordingGrid>("Grid", 5, 70, width, height);
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    grid->SetFocus();
    Application->ProcessMessages();
    return *grid;
  }
  // Client point in the middle of a cell.
  TPoint Middle(int col, int row) {
    const TRect r = grid->CellRect(col, row);
    return Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  TRecordingGrid* grid = nullptr;
};

TEST_F(GridTest, CellRectAndMouseToCellAgreeAfterScrolling) {
  TRecordingGrid& g = MakeGrid(101, 20000);
  g.SetColWidths(3, 0);  // hidden
  g.SetRowHeights(5, 40);
  for (int top : {1, 2, 500, 19990}) {
    g.SetTopRow(top);
    for (int row : {0, g.TopRow(), g.TopRow() + 2}) {
      for (int col : {0, 1, 2, 4}) {
        const TRect r = g.CellRect(col, row);
        ASSERT_FALSE(r.IsEmpty()) << col << "," << row;
        int c = -1, rr = -1;
        g.MouseToCell(r.Left, r.Top, c, rr);
        EXPECT_EQ(c, col);
        EXPECT_EQ(rr, row);
        g.MouseToCell(r.Right - 1, r.Bottom - 1, c, rr);
        EXPECT_EQ(c, col);
      }
    }
  }
  EXPECT_TRUE(g.CellRect(3, 5).IsEmpty());  // zero width
  EXPECT_TRUE(g.CellRect(1, 3).IsEmpty());  // scrolled away
  g.SetTopRow(30000);                       // as far as the last row lets it
  EXPECT_EQ(g.TopRow(), 20000 - g.VisibleRowCount());
  int c = 0, r = 0;
  g.MouseToCell(-5, 10, c, r);
  EXPECT_EQ(c, -1);
}

TEST_F(GridTest, KeyboardNavigationScrollsTheCurrentCellIntoView) {
  TRecordingGrid& g = MakeGrid(2500, 14);
  EXPECT_EQ(g.Col(), 1);
  EXPECT_EQ(g.Row(), 1);
  backend->PressKey(VK_RIGHT);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(g.Row(), 2);
  backend->PressKey(VK_END);
  EXPECT_EQ(g.Col(), 2499);
  EXPECT_EQ(g.LeftCol() + g.VisibleColCount() - 1, 2499);
  backend->PressKey(VK_HOME);
  EXPECT_EQ(g.Col(), 1);
  EXPECT_EQ(g.LeftCol(), 1);
  backend->PressKey(VK_END, {ssCtrl});
  EXPECT_EQ(g.Col(), 2499);
  EXPECT_EQ(g.Row(), 13);
  backend->PressKey(VK_HOME, {ssCtrl});
  EXPECT_EQ(g.Col(), 1);
  EXPECT_EQ(g.Row(), 1);
  backend->PressKey(VK_NEXT);
  EXPECT_EQ(g.Row(), 1 + g.VisibleRowCount());
  EXPECT_NE(std::find(g.Log.begin(), g.Log.end(), "TopLeftChanged"), g.Log.end());
}

TEST_F(GridTest, TabWalksCellsOnlyWithGoTabs) {
  TRecordingGrid& g = MakeGrid(4, 4);
  backend->PressKey(VK_TAB);
  EXPECT_EQ(g.Col(), 1);  // Tab left the grid's hands
  g.SetOptions(g.Options() + TGridOptions{goTabs});
  g.SetFocus();
  g.SetTabStops(2, false);
  backend->PressKey(VK_TAB);
  EXPECT_EQ(g.Col(), 3);
  backend->PressKey(VK_TAB);
  EXPECT_EQ(g.Col(), 1);
  EXPECT_EQ(g.Row(), 2);
  backend->PressKey(VK_TAB, {ssShift});
  EXPECT_EQ(g.Col(), 3);
  EXPECT_EQ(g.Row(), 1);
  EXPECT_EQ(g.Selection(), (TGridRect{3, 1, 3, 1}));
}

TEST_F(GridTest, ShiftArrowsAndMouseDragSelectRanges) {
  TRecordingGrid& g = MakeGrid(10, 100);
  backend->PressKey(VK_RIGHT, {ssShift});
  backend->PressKey(VK_DOWN, {ssShift});
  backend->PressKey(VK_DOWN, {ssShift});
  EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 2, 3}));
  backend->PressKey(VK_LEFT);
  EXPECT_EQ(g.Selection(), (TGridRect{1, 3, 1, 3}));

  const TPoint from = Middle(2, 2), to = Middle(4, 5);
  backend->PressMouse(g, from.X, from.Y);
  backend->MoveMouse(g, to.X, to.Y);
  backend->ReleaseMouse(g, to.X, to.Y);
  EXPECT_EQ(g.Selection(), (TGridRect{2, 2, 4, 5}));
  EXPECT_EQ(g.Col(), 2);
  backend->Advance(1000);
  backend->Click(g, Middle(3, 3).X, Middle(3, 3).Y);
  EXPECT_EQ(g.Selection(), (TGridRect{3, 3, 3, 3}));

  g.SetOptions(g.Options() - TGridOptions{goRangeSelect});
  backend->PressKey(VK_DOWN, {ssShift});
  EXPECT_EQ(g.Selection(), (TGridRect{3, 4, 3, 4}));
  g.SetOptions(g.Options() + TGridOptions{goRowSelect});
  EXPECT_EQ(g.Selection(), (TGridRect{1, 4, 9, 4}));
}

TEST_F(GridTest, SelectCellCanRefuseACell) {
  TRecordingGrid& g = MakeGrid(5, 5);
  g.Veto = true;
  g.SetCol(2);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(g.Row(), 1);
  EXPECT_THROW(g.SetRow(50), EInvalidGridOperation);
}

TEST_F(GridTest, DraggingPastTheEdgeScrollsOnTheAutoScrollTimer) {
  TRecordingGrid& g = MakeGrid(10, 100);
  g.SetOptions(g.Options() + TGridOptions{goRowMoving});
  const int visible = g.VisibleRowCount();
  // A selection dragged below the grid grows a row a tick, and stops when
  // the button is up.
  const TPoint from = Middle(1, 2);
  backend->PressMouse(g, from.X, from.Y);
  backend->MoveMouse(g, from.X, g.Height() + 20);
  const int top = g.TopRow();  // at most the row cut by the edge came into view
  EXPECT_LE(top, 2);
  backend->Advance(60 * 5);
  EXPECT_EQ(g.TopRow(), top + 5);
  EXPECT_EQ(g.Selection().Bottom, top + visible - 1 + 5);
  backend->MoveMouse(g, from.X, -20);  // and back up above it
  backend->Advance(60 * 2);
  EXPECT_EQ(g.TopRow(), top + 3);
  backend->ReleaseMouse(g, from.X, -20);
  backend->Advance(600);
  EXPECT_EQ(g.TopRow(), top + 3);

  // A row dragged below the grid travels as far as the timer took it.
  g.SetCells(1, 5, "moved");
  backend->Advance(1000);
  const TPoint header = Middle(0, 5);
  backend->PressMouse(g, header.X, header.Y);
  backend->MoveMouse(g, header.X, g.Height() + 5);
  backend->Advance(60 * 10);
  const int to = g.TopRow() + g.VisibleRowCount() - 1;
  backend->ReleaseMouse(g, header.X, g.Height() + 5);
  EXPECT_GT(to, visible + 3);
  EXPECT_EQ(g.Cells(1, to), "moved");

  // The grid control's dragging shares the timer: killing identifier 1
  // stops the scrolling.
  backend->Advance(1000);
  backend->PressMouse(g, from.X, from.Y);
  backend->MoveMouse(g, from.X, g.Height() + 20);
  const int before = g.TopRow();
  EXPECT_TRUE(KillTimer(g.Handle(), 1));
  backend->Advance(600);
  EXPECT_EQ(g.TopRow(), before);
  backend->ReleaseMouse(g, from.X, g.Height() + 20);
}

TEST_F(GridTest, DraggingAHeaderLineSizesTheColumn) {
  TRecordingGrid& g = MakeGrid(6, 6);
  g.SetOptions(g.Options() + TGridOptions{goColSizing});
  const TRect head = g.CellRect(2, 0);
  const int y = (head.Top + head.Bottom) / 2;
  TGridState state;
  int index = 0, pos = 0, ofs = 0;
  g.CalcSizingState(head.Right + 1, y, state, index, pos, ofs);
  EXPECT_EQ(state, gsColSizing);
  EXPECT_EQ(index, 2);
  g.CalcSizingState(head.Right + 1, Middle(2, 2).Y, state, index, pos, ofs);
  EXPECT_EQ(state, gsNormal);  // only along the fixed row

  backend->PressMouse(g, head.Right, y);
  EXPECT_EQ(g.GridState(), gsColSizing);
  backend->MoveMouse(g, head.Right + 30, y);
  backend->ReleaseMouse(g, head.Right + 30, y);
  EXPECT_EQ(g.ColWidths(2), 64 + 30);
  EXPECT_EQ(g.GridState(), gsNormal);
  EXPECT_EQ(g.CellRect(3, 1).Left, head.Right + 30 + 1);
}

TEST_F(GridTest, DraggingARowHeaderMovesTheRowWithItsCells) {
  TRecordingGrid& g = MakeGrid(4, 2500);
  g.SetOptions(g.Options() + TGridOptions{goRowMoving});
  int movedFrom = -1, movedTo = -1;
  g.OnRowMoved = [&](TObject*, int from, int to) {
    movedFrom = from;
    movedTo = to;
  };
  for (int r = 1; r < 6; ++r) g.SetCells(1, r, AnsiString("r").append(std::to_string(r)));
  g.SetRowHeights(2, 40);
  const TPoint from = Middle(0, 2), to = Middle(0, 4);
  backend->PressMouse(g, from.X, from.Y);
  EXPECT_EQ(g.GridState(), gsRowMoving);
  backend->MoveMouse(g, to.X, to.Y);
  backend->ReleaseMouse(g, to.X, to.Y);
  EXPECT_EQ(movedFrom, 2);
  EXPECT_EQ(movedTo, 4);
  EXPECT_EQ(g.Cells(1, 4), "r2");
  EXPECT_EQ(g.Cells(1, 2), "r3");
  EXPECT_EQ(g.RowHeights(4), 40);  // the height travels with the row

  g.DeleteRow(1);
  EXPECT_EQ(g.RowCount(), 2499);
  EXPECT_EQ(g.Cells(1, 1), "r3");
  g.MoveColumn(1, 3);
  EXPECT_EQ(g.Cells(3, 1), "r3");
  EXPECT_EQ(g.Cells(1, 1), "");
}

TEST_F(GridTest, DraggingAColumnHeaderMovesTheColumnAndRowLinesSizeRows) {
  TRecordingGrid& g = MakeGrid(8, 6);
  g.SetOptions(g.Options() + TGridOptions{goColMoving, goRowSizing});
  int movedFrom = -1, movedTo = -1;
  g.OnColumnMoved = [&](TObject*, int from, int to) {
    movedFrom = from;
    movedTo = to;
  };
  g.SetCells(1, 0, "A");
  g.SetCells(1, 2, "a2");
  g.SetColWidths(1, 30);
  const TPoint from = Middle(1, 0), to = Middle(3, 0);
  backend->PressMouse(g, from.X, from.Y);
  EXPECT_EQ(g.GridState(), gsColMoving);
  backend->MoveMouse(g, to.X, to.Y);
  backend->ReleaseMouse(g, to.X, to.Y);
  EXPECT_EQ(movedFrom, 1);
  EXPECT_EQ(movedTo, 3);
  EXPECT_EQ(g.Cells(3, 0), "A");
  EXPECT_EQ(g.Cells(3, 2), "a2");
  EXPECT_EQ(g.ColWidths(3), 30);

  // The line under row 2 in the fixed column sizes row 2.
  const TRect r = g.CellRect(0, 2);
  backend->Advance(1000);
  backend->PressMouse(g, r.Left + 5, r.Bottom);
  EXPECT_EQ(g.GridState(), gsRowSizing);
  backend->MoveMouse(g, r.Left + 5, r.Bottom - 10);
  backend->ReleaseMouse(g, r.Left + 5, r.Bottom - 10);
  EXPECT_EQ(g.RowHeights(2), 24 - 10);
}

TEST_F(GridTest, ThumbTrackingFollowsTheThumbOnlyWhenAsked) {
  TRecordingGrid& g = MakeGrid(4, 1000);
  const TRect area = g.GridArea();
  const int x = area.Right + 8;
  const int thumbY = area.Top + 16 + 3;  // the thumb sits just below the upper arrow
  backend->PressMouse(g, x, thumbY);
  backend->MoveMouse(g, x, area.Top + area.Height() / 2);
  EXPECT_EQ(g.TopRow(), 1);  // without goThumbTracking only the release scrolls
  backend->ReleaseMouse(g, x, area.Top + area.Height() / 2);
  const int released = g.TopRow();
  EXPECT_GT(released, 300);
  SCROLLINFO info;
  info.fMask = SIF_POS;
  GetScrollInfo(g.Handle(), SB_VERT, &info);
  EXPECT_EQ(info.nPos, released);
  // With goThumbTracking the rows follow while the thumb moves.
  g.SetOptions(g.Options() + TGridOptions{goThumbTracking});
  g.SetTopRow(1);
  backend->Advance(1000);
  backend->PressMouse(g, x, thumbY);
  backend->MoveMouse(g, x, area.Top + area.Height() / 2);
  EXPECT_GT(g.TopRow(), 300);
  backend->ReleaseMouse(g, x, area.Top + area.Height() / 2);
}

TEST_F(GridTest, WheelMovesTheCurrentRow) {
  TRecordingGrid& g = MakeGrid(4, 50);
  backend->Wheel(g, -2, 50, 50);
  EXPECT_EQ(g.Row(), 3);
  backend->Wheel(g, 5, 50, 50);
  EXPECT_EQ(g.Row(), 1);
}

TEST_F(GridTest, VerticalScrollBarScrollsRows) {
  TRecordingGrid& g = MakeGrid(4, 500);
  const TRect area = g.GridArea();
  // The lower arrow of the vertical bar, right of the cells.
  backend->Click(g, area.Right + 8, area.Bottom - 8);
  EXPECT_EQ(g.TopRow(), 2);
  EXPECT_EQ(g.Row(), 1);  // scrolling leaves the current cell
  EXPECT_EQ(GetScrollPos(g.Handle(), SB_VERT), 2);
}

// ---- in-place editing ----

TEST_F(GridTest, TypingOpensTheEditorAndEnterStoresTheText) {
  TRecordingGrid& g = MakeGrid(5, 20000);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.SetCells(1, 1, "old");
  backend->Type("new");
  ASSERT_NE(g.InplaceEditor(), nullptr);
  EXPECT_TRUE(g.EditorMode());
  EXPECT_TRUE(g.InplaceEditor()->Visible());
  EXPECT_TRUE(g.InplaceEditor()->Focused());
  EXPECT_EQ(g.InplaceEditor()->BoundsRect(), g.CellRect(1, 1));
  EXPECT_EQ(g.InplaceEditor()->Text(), "new");
  backend->PressKey(VK_RETURN);
  EXPECT_FALSE(g.EditorMode());
  EXPECT_FALSE(g.InplaceEditor()->Visible());
  EXPECT_TRUE(g.Focused());
  EXPECT_EQ(g.Cells(1, 1), "new");
  // F2 edits the current text with the caret at its end.
  backend->PressKey(VK_F2);
  backend->Type("er");
  backend->PressKey(VK_DOWN);  // leaves the cell and stores it
  EXPECT_EQ(g.Cells(1, 1), "newer");
  EXPECT_EQ(g.Row(), 2);
  EXPECT_EQ(g.StoredRowCount(), 1);
}

TEST_F(GridTest, ClearingCellsNeverWrittenTakesNoRoom) {
  TRecordingGrid& g = MakeGrid(5, 400);
  for (int r = 0; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) g.SetCells(c, r, "");
  EXPECT_EQ(g.StoredRowCount(), 0);
  g.SetCells(2, 7, "x");
  g.SetCells(2, 7, "");
  EXPECT_EQ(g.Cells(2, 7), "");
  EXPECT_EQ(g.StoredRowCount(), 1);
  EXPECT_EQ(g.StoreColCount(7), 3);
  EXPECT_EQ(g.StoreColCount(8), 0);
  // Outside the grid an empty text is refused as any other.
  EXPECT_THROW(g.SetCells(5, 0, ""), EInvalidGridOperation);
  EXPECT_THROW(g.SetCells(0, 400, ""), EInvalidGridOperation);
  EXPECT_THROW(g.SetCells(-1, 0, ""), EInvalidGridOperation);
}

// A written cell repaints just its own rectangle when in view, and nothing
// when scrolled off above or below: a long sheet's writes cost no repaint.
TEST_F(GridTest, AWrittenCellRepaintsOnlyWhereItShows) {
  TRecordingGrid& g = MakeGrid(5, 400);
  const auto& dirty = ui::SurfaceOf(form.get())->Dirty;
  struct Case {
    int top, col, row;
    bool shows;
  } cases[] = {{1, 2, 3, true},     {1, 0, 2, true},   {1, 2, 300, false},  {100, 2, 50, false},
               {100, 2, 101, true}, {100, 3, 0, true}, {100, 0, 399, false}};
  for (const Case& c : cases) {
    g.SetTopRow(c.top);
    Application->ProcessMessages();
    ASSERT_TRUE(dirty.empty());
    g.SetCells(c.col, c.row, "x" + IntToStr(c.row));
    if (!c.shows) {
      EXPECT_TRUE(dirty.empty()) << c.top << " " << c.row;
      continue;
    }
    const TRect cell = g.CellRect(c.col, c.row);
    ASSERT_EQ(dirty.size(), 1u) << c.top << " " << c.row;
    // The cell and the grid line after it.
    EXPECT_EQ(dirty[0].Width(), cell.Width() + g.GridLineWidth());
    EXPECT_EQ(dirty[0].Height(), cell.Height() + g.GridLineWidth());
    Application->ProcessMessages();
  }
}

// Options that tell only what the mouse and keys do leave the cells as
// drawn; the lines and the look of the focus and selection repaint.
TEST_F(GridTest, OnlyOptionsThatChangeTheLookRepaint) {
  TRecordingGrid& g = MakeGrid(5, 5);
  const auto& dirty = ui::SurfaceOf(form.get())->Dirty;
  struct Case {
    TGridOption option;
    bool repaints;
  } cases[] = {{goRangeSelect, false},   {goRowSizing, false},        {goColSizing, false},
               {goRowMoving, false},     {goColMoving, false},        {goTabs, false},
               {goThumbTracking, false}, {goVertLine, true},          {goHorzLine, true},
               {goFixedVertLine, true},  {goDrawFocusSelected, true}, {goRowSelect, true}};
  // Each option is set and cleared, or cleared and set.
  for (const Case& c : cases)
    for (int turn = 0; turn < 2; ++turn) {
      Application->ProcessMessages();
      ASSERT_TRUE(dirty.empty());
      const TGridOptions before = g.Options();
      g.SetOptions(before.Contains(c.option) ? before - TGridOptions{c.option}
                                             : before + TGridOptions{c.option});
      EXPECT_EQ(!dirty.empty(), c.repaints) << c.option << " " << turn;
    }
}

TEST_F(GridTest, TheGridSeesTheEditorsKeysFirst) {
  TRecordingGrid& g = MakeGrid(5, 5);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  std::vector<std::string> seen;
  g.OnKeyDown = [&](TObject* sender, Word& key, TShiftState) {
    seen.push_back("OnKeyDown " + std::to_string(key) + (sender == &g ? " grid" : " other"));
  };
  g.OnKeyPress = [&](TObject*, char& key) {
    seen.push_back(std::string("OnKeyPress ") + key);
    if (key == 'x') key = 'y';  // a key filter of the grid
    if (key == '#') key = 0;
  };
  backend->Type("a");
  ASSERT_TRUE(g.EditorMode());
  seen.clear();
  g.Log.clear();
  backend->Type("x#");
  EXPECT_EQ(g.InplaceEditor()->Text(), "ay");
  ASSERT_GE(g.Log.size(), 2u);
  EXPECT_EQ(g.Log[0], "grid.KeyPress x");
  EXPECT_NE(std::find(seen.begin(), seen.end(), "OnKeyDown 88 grid"), seen.end());
  // Navigation keys typed in the editor go to the grid's KeyDown.
  g.Log.clear();
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(g.Log[0], "grid.KeyDown 40");
  EXPECT_EQ(g.Row(), 2);
  EXPECT_EQ(g.Cells(1, 1), "ay");
}

// A grid whose editor takes the mask its test gives, by row, a limit, and
// refuses the key "q".
class TMaskedGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;
  std::function<AnsiString(int)> Mask;
  int Limit = 0;

 protected:
  AnsiString GetEditMask(int, int ARow) override { return Mask(ARow); }
  int GetEditLimit() override { return Limit; }
  bool CanEditAcceptKey(char Key) override { return Key != 'q'; }
};

TEST_F(GridTest, EditorUsesTheMaskAndLimitOfTheCell) {
  TDemoForm& f = ShowDemo();
  auto* g = f.Add<TMaskedGrid>("Masked", 5, 70, 300, 150);
  g->Mask = [](int row) { return row == 1 ? "00/00;1;_" : ""; };
  g->Limit = 3;
  g->SetOptions(g->Options() + TGridOptions{goEditing});
  g->SetFocus();
  backend->Type("1234");
  EXPECT_EQ(g->InplaceEditor()->EditText(), "12/34");
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(g->Cells(1, 1), "12/34");
  backend->Type("abqcde");
  EXPECT_EQ(g->InplaceEditor()->Text(), "abc");
  EXPECT_FALSE(backend->Beeps.empty());
}

TEST_F(GridTest, AnIncompleteMaskKeepsTheEditorOnItsCell) {
  TDemoForm& f = ShowDemo();
  auto* g = f.Add<TMaskedGrid>("Masked", 5, 70, 300, 150);
  g->Mask = [](int) { return "000;1;_"; };
  g->SetOptions(g->Options() + TGridOptions{goEditing});
  g->SetFocus();
  const char* error = "Invalid input value";
  // Moving to another cell, by key and by mouse, and closing with Enter.
  const std::function<void()> leaves[] = {
      [&] { backend->PressKey(VK_DOWN); },
      [&] {
        const TRect r = g->CellRect(2, 2);
        backend->Click(*g, r.Left + 5, r.Top + 5);
      },
      [&] { backend->PressKey(VK_RETURN); },
  };
  backend->Type("1");
  for (const auto& leave : leaves) {
    backend->ExpectMessageBox(error, IDOK);
    leave();
    ASSERT_EQ(backend->ErrorBoxes.size(), 1u);
    backend->ErrorBoxes.clear();
    EXPECT_EQ(g->Row(), 1);
    EXPECT_EQ(g->Col(), 1);
    EXPECT_TRUE(g->InplaceEditor()->Visible());
    EXPECT_TRUE(g->InplaceEditor()->Focused());
    EXPECT_EQ(g->InplaceEditor()->CaretPos(), 1);  // on the first missing place
    backend->Advance(1000);
  }
  // Leaving the grid (Tab to the next control) is refused the same way.
  backend->ExpectMessageBox(error, IDOK);
  backend->PressKey(VK_TAB);
  EXPECT_EQ(backend->ErrorBoxes.size(), 1u);
  EXPECT_TRUE(g->InplaceEditor()->Focused());
  // Complete, it goes.
  backend->Type("23");
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(g->Cells(1, 1), "123");
  EXPECT_EQ(g->Row(), 2);
}

TEST_F(GridTest, AlwaysShowEditorKeepsItOpenWhileMoving) {
  TRecordingGrid& g = MakeGrid(5, 5);
  g.SetCells(2, 1, "two");
  g.SetOptions(g.Options() + TGridOptions{goEditing, goAlwaysShowEditor});
  g.SetFocus();
  Application->ProcessMessages();
  ASSERT_NE(g.InplaceEditor(), nullptr);
  EXPECT_TRUE(g.InplaceEditor()->Visible());
  backend->PressKey(VK_RIGHT);  // caret at the end of an empty text: the grid moves
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(g.InplaceEditor()->Text(), "two");
  EXPECT_EQ(g.InplaceEditor()->BoundsRect(), g.CellRect(2, 1));
}

TEST_F(GridTest, LeavingTheGridClosesTheEditor) {
  TRecordingGrid& g = MakeGrid(5, 5);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  int exits = 0;
  g.OnExit = [&](TObject*) { ++exits; };
  backend->Type("z");
  EXPECT_EQ(exits, 0);  // the editor taking the focus is no exit
  form->Edit1->SetFocus();
  EXPECT_EQ(exits, 1);
  EXPECT_FALSE(g.EditorMode());
  EXPECT_EQ(g.Cells(1, 1), "z");
}

// ---- painting ----

TEST_F(GridTest, PaintCallsDrawCellWithStateBitsForTheVisibleCellsOnly) {
  TRecordingGrid& g = MakeGrid(101, 20000);
  g.SetOptions(g.Options() + TGridOptions{goDrawFocusSelected});
  g.SetSelection({1, 1, 2, 2});
  g.Cells_.clear();
  g.Invalidate();
  Application->ProcessMessages();
  const int expected = (g.VisibleColCount() + 2) * (g.VisibleRowCount() + 2);
  EXPECT_LE(static_cast<int>(g.Cells_.size()), expected);
  EXPECT_GE(static_cast<int>(g.Cells_.size()), (g.VisibleColCount() + 1) * (g.VisibleRowCount() + 1));
  auto stateOf = [&](int col, int row) {
    for (const auto& d : g.Cells_)
      if (d.Col == col && d.Row == row) return d.State;
    ADD_FAILURE() << "cell not drawn " << col << "," << row;
    return TGridDrawState{};
  };
  EXPECT_EQ(stateOf(0, 0), (TGridDrawState{gdFixed}));
  EXPECT_EQ(stateOf(2, 2), (TGridDrawState{gdSelected, gdFocused}));
  EXPECT_EQ(stateOf(1, 2), (TGridDrawState{gdSelected}));
  EXPECT_EQ(stateOf(3, 3), TGridDrawState{});
  // The highlight and the fixed colour reach the pixels.
  const TImageCanvas* image = backend->Render(*form);
  auto pixel = [&](int col, int row) {
    const TPoint p = form->ScreenToClient(g.ClientToScreen(Middle(col, row)));
    return image->Pixel(p.X, p.Y);
  };
  EXPECT_EQ(pixel(1, 2), ColorToRGB(clHighlight));
  EXPECT_EQ(pixel(0, 3), ColorToRGB(clBtnFace));
  EXPECT_EQ(pixel(3, 3), ColorToRGB(clWindow));
}

TEST_F(GridTest, APaintOfAFewCellsDrawsNeitherTheFrameNorTheBars) {
  TRecordingGrid& g = MakeGrid(8, 30);
  ASSERT_TRUE(g.HandleAllocated());
  const auto paint = [&](const TRect& clip) {
    auto canvas = std::make_unique<TRecordingCanvas>(g.Width(), g.Height());
    canvas->SelectClipRect(clip);
    g.Cells_.clear();
    g.PaintWindow(*canvas);
    return canvas;
  };
  const auto frames = [](const TRecordingCanvas& canvas) {
    return canvas.CallsOf("DrawEdge").size() + canvas.CallsOf("DrawFrameControl").size();
  };
  // The whole window: the sunken frame and both bars' arrows.
  EXPECT_GE(frames(*paint(g.ClientRect())), 5u);
  // One cell: that cell and the lines it owns, nothing of the frame or bars.
  const TRect cell = g.CellRect(2, 3);
  auto one = paint(cell);
  EXPECT_EQ(frames(*one), 0u);
  ASSERT_FALSE(g.Cells_.empty());
  for (const auto& drawn : g.Cells_) {
    EXPECT_GE(drawn.Col, 1);
    EXPECT_LE(drawn.Col, 2);
    EXPECT_GE(drawn.Row, 2);
    EXPECT_LE(drawn.Row, 3);
  }
  // A clip reaching the bottom bar draws it, and only it.
  const TRect bottom = Rect(cell.Left, g.ClientHeight() - 3, cell.Right, g.ClientHeight());
  EXPECT_GE(paint(bottom)->CallsOf("DrawFrameControl").size(), 1u);
  // Nothing to paint: nothing drawn.
  auto none = paint(Rect(0, 0, 0, 0));
  EXPECT_TRUE(none->Calls.empty());
  EXPECT_TRUE(g.Cells_.empty());
}

TEST_F(GridTest, RowsAndColsAreListsOverTheCells) {
  TRecordingGrid& g = MakeGrid(3, 4);
  g.Rows(1).SetCommaText("a,b,c");
  EXPECT_EQ(g.Cells(2, 1), "c");
  EXPECT_EQ(g.Cols(2)[1], "c");
  TObject marker;
  g.Cols(0).SetObjects(3, &marker);
  EXPECT_EQ(g.Objects(0, 3), &marker);
  g.Cols(1).Clear();
  EXPECT_EQ(g.Cols(1).Add("first"), 0);
  EXPECT_EQ(g.Cols(1).Add("second"), 1);
  EXPECT_THROW(g.Rows(1).Add("full"), EInvalidGridOperation);
  EXPECT_THROW(g.Rows(1).Insert(0, "x"), EInvalidGridOperation);
  EXPECT_THROW(g.SetCells(3, 0, "outside"), EInvalidGridOperation);
  EXPECT_EQ(g.Cells(7, 9), "");
  g.SetRowCount(2);
  g.SetRowCount(4);
  EXPECT_EQ(g.Cells(0, 3), "");  // cells of removed rows do not come back
  EXPECT_EQ(g.Objects(0, 3), nullptr);
}

}  // namespace
