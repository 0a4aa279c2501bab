// A scroll moves the pixels the grid already drew and paints only what the
// move uncovers: after every kind of scroll, over every kind of grid, the
// window shows exactly what painting the whole window again shows.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WindowManager.h"
#include "tests/TestOutput.h"

namespace {

struct GridKind;

class ExtGridScrollPixelsTest : public GridFormTest {
 protected:
  TPixelBlock Pixels() { return backend->Render(*form)->Snapshot(); }

  // A grid of the kind, its view able to move every way, with the current
  // cell in it, where the wheel and the keys start.
  TExtStringGrid& GridInView(const GridKind& kind);

  // How much of the grid the window's update region covers now.
  long long PaintedInGrid(const TExtStringGrid& g) {
    const TRect area = OffsetRect(g.GridArea(), g.Left(), g.Top());
    long long sum = 0;
    for (const TRect& r : ui::SurfaceOf(form.get())->Dirty) {
      const TRect inGrid = IntersectRect(r, area);
      sum += static_cast<long long>(inGrid.Width()) * inGrid.Height();
    }
    return sum;
  }

  // Fails with where the two pictures differ, and keeps both.
  void ExpectSame(const TPixelBlock& moved, const TPixelBlock& whole, const std::string& what) {
    ASSERT_EQ(moved.Pixels.size(), whole.Pixels.size());
    int differ = 0;
    TRect box{};
    std::string first;
    for (int y = 0; y < moved.Height; ++y)
      for (int x = 0; x < moved.Width; ++x)
        if (moved.At(x, y) != whole.At(x, y)) {
          if (differ < 8) {
            char at[64];
            std::snprintf(at, sizeof at, " (%d,%d) %06X/%06X", x, y, moved.At(x, y) & 0xFFFFFFu,
                          whole.At(x, y) & 0xFFFFFFu);
            first += at;
          }
          box = differ++ == 0 ? Rect(x, y, x + 1, y + 1)
                              : Rect(std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                                     std::max(box.Bottom, y + 1));
        }
    if (differ == 0) return;
    std::string name = what;
    for (char& c : name)
      if (c == ' ' || c == '/') c = '_';
    TImageCanvas a(moved.Width, moved.Height), b(whole.Width, whole.Height);
    a.PutPixels(moved);
    b.PutPixels(whole);
    a.SaveToPng(TestOutput(name + "-scrolled.png"));
    b.SaveToPng(TestOutput(name + "-whole.png"));
    ADD_FAILURE() << what << ": " << differ << " pixels differ within (" << box.Left << "," << box.Top
                  << ")-(" << box.Right << "," << box.Bottom << "):" << first;
  }
};

using TGridStep = std::function<void(TExtStringGrid&, THeadlessBackend&)>;

struct GridKind {
  const char* name;
  TGridStep prepare;
  // Just before the scroll, without painting.
  TGridStep pending;
};

TExtStringGrid& ExtGridScrollPixelsTest::GridInView(const GridKind& kind) {
  auto& g = MakeGrid<TExtStringGrid>(14, 40, 300, 200);
  for (int c = 0; c < g.ColCount(); ++c)
    for (int r = 0; r < g.RowCount(); ++r) g.SetCells(c, r, IntToStr(c) + "," + IntToStr(r) + " kg");
  kind.prepare(g, *backend);
  if (g.Selection().Top == g.Selection().Bottom) {
    if (g.Selection().Left == g.Selection().Right) g.SetCol(g.FixedCols() + 4);
    g.SetRow(g.FixedRows() + 6);
  }
  g.SetTopRow(g.FixedRows() + 4);
  g.SetLeftCol(g.FixedCols() + 3);
  return g;
}

struct ScrollKind {
  const char* name;
  TGridStep scroll;
  // After the paint that follows the scroll, and again after the whole
  // window was painted anew: what the grid draws on the clock.
  TGridStep settle;
};

void Nothing(TExtStringGrid&, THeadlessBackend&) {}

void Checkers(TBitmap& b, int size) {
  b.SetSize(size, size);
  TCanvas& c = *b.Canvas();
  for (int y = 0; y < size; y += 4)
    for (int x = 0; x < size; x += 4) {
      c.Brush->Color = ((x + y) / 4) % 2 ? clYellow : clAqua;
      c.FillRect(Rect(x, y, x + 4, y + 4));
    }
}

const GridKind kGrids[] = {
    {"plain", Nothing, Nothing},
    {"frozen rows and columns",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetFixedRows(2);
       g.SetFixedCols(2);
     },
     Nothing},
    {"nothing fixed",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetFixedRows(0);
       g.SetFixedCols(0);
     },
     Nothing},
    {"text editor open",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetOptions(g.Options() + TGridOptions{goEditing});
       g.SetFocus();
       g.ShowInplaceEditor();
     },
     Nothing},
    {"combo editor open",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetOptions(g.Options() + TGridOptions{goEditing});
       g.OnGetEditorType = [](TObject*, int, int, TEditorType& e) { e = edComboList; };
       g.SetFocus();
       g.ShowInplaceEditor();
     },
     Nothing},
    {"background fixed",
     [](TExtStringGrid& g, THeadlessBackend&) {
       TBitmap b;
       Checkers(b, 40);
       g.BackGround().SetBitmap(b);
       g.BackGround().SetDisplay(bdFixed);
       g.BackGround().SetLeft(30);
       g.BackGround().SetTop(20);
     },
     Nothing},
    {"background tiled",
     [](TExtStringGrid& g, THeadlessBackend&) {
       TBitmap b;
       Checkers(b, 24);
       g.BackGround().SetBitmap(b);
       g.BackGround().SetDisplay(bdTile);
     },
     Nothing},
    {"merged cells",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.MergeCells(3, 4, 3, 3);
       g.MergeCells(0, 5, 1, 4);
       g.MergeCells(5, 0, 2, 1);
     },
     Nothing},
    {"merged current cell, odd sizes",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetDefaultColWidth(75);
       g.SetDefaultRowHeight(23);
       g.MergeCells(5, 7, 1, 1);
       g.SetFocus();
     },
     Nothing},
    {"pending updates", Nothing,
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetCells(4, 6, "new text");
       g.SetCells(5, 8, "other");
       g.GetCellProperties(6, 7)->SetBrushColor(clLime);
     }},
    {"partial last column and row",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetDefaultColWidth(77);
       g.SetDefaultRowHeight(29);
     },
     Nothing},
    {"footer", [](TExtStringGrid& g, THeadlessBackend&) { g.FloatingFooter().SetVisible(true); }, Nothing},
    {"cell control",
     [](TExtStringGrid& g, THeadlessBackend&) {
       auto* button = new TButton(&g);
       button->SetParent(&g);
       g.GetCellProperties(5, 7)->Control = button;
       g.SetTopRow(g.TopRow() + 1);
     },
     Nothing},
    {"range selected in a frame",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetSelectionRectangle(true);
       g.SetSelectionColor(clNotSet);
       g.SetSelection({4, 5, 6, 9});
     },
     Nothing},
    {"whole rows selected",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetOptions(g.Options() + TGridOptions{goRowSelect});
       g.Navigation().KeepHorizScroll = true;
     },
     Nothing},
    {"banded rows", [](TExtStringGrid& g, THeadlessBackend&) { g.Bands().SetActive(true); }, Nothing},
};

const ScrollKind kScrolls[] = {
    {"row down", [](TExtStringGrid& g, THeadlessBackend&) { g.SetTopRow(g.TopRow() + 1); }, Nothing},
    {"row up", [](TExtStringGrid& g, THeadlessBackend&) { g.SetTopRow(g.TopRow() - 1); }, Nothing},
    {"column right", [](TExtStringGrid& g, THeadlessBackend&) { g.SetLeftCol(g.LeftCol() + 1); }, Nothing},
    {"column left", [](TExtStringGrid& g, THeadlessBackend&) { g.SetLeftCol(g.LeftCol() - 1); }, Nothing},
    {"three rows and two columns",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetTopRow(g.TopRow() + 3);
       g.SetLeftCol(g.LeftCol() + 2);
     },
     Nothing},
    {"down key past the view",
     [](TExtStringGrid& g, THeadlessBackend& b) {
       for (int i = 0; i < g.VisibleRowCount() + 1; ++i) b.PressKey(VK_DOWN);
     },
     Nothing},
    {"right key past the view",
     [](TExtStringGrid& g, THeadlessBackend& b) {
       for (int i = 0; i < g.VisibleColCount() + 1; ++i) b.PressKey(VK_RIGHT);
     },
     Nothing},
    {"page down", [](TExtStringGrid&, THeadlessBackend& b) { b.PressKey(VK_NEXT); }, Nothing},
    {"page up", [](TExtStringGrid&, THeadlessBackend& b) { b.PressKey(VK_PRIOR); }, Nothing},
    {"to the first cell",
     [](TExtStringGrid&, THeadlessBackend& b) { b.PressKey(VK_HOME, TShiftState{ssCtrl}); }, Nothing},
    {"wheel down",
     [](TExtStringGrid& g, THeadlessBackend& b) {
       const TRect r = g.CellRect(g.Col(), g.Row());
       b.Wheel(g, -3, r.Left + 3, r.Top + 3);
     },
     Nothing},
    {"wheel up",
     [](TExtStringGrid& g, THeadlessBackend& b) {
       const TRect r = g.CellRect(g.Col(), g.Row());
       b.Wheel(g, 2, r.Left + 3, r.Top + 3);
     },
     Nothing},
    {"scroll bar line down",
     [](TExtStringGrid& g, THeadlessBackend&) { g.Perform(WM_VSCROLL, SB_LINEDOWN, 0); }, Nothing},
    {"scroll bar page right",
     [](TExtStringGrid& g, THeadlessBackend&) { g.Perform(WM_HSCROLL, SB_PAGEDOWN, 0); }, Nothing},
    {"panning",
     [](TExtStringGrid& g, THeadlessBackend& b) {
       g.IntelliPan = ipBoth;
       const TRect r = g.CellRect(g.LeftCol() + 1, g.TopRow() + 1);
       b.Click(g, r.Left + 2, r.Top + 2, 2);
       b.MoveMouse(g, r.Left + 40, r.Top + 40);
       b.Advance(40);
       // Back over the mark: the panning stays and moves no further.
       b.MoveMouse(g, r.Left + 2, r.Top + 2);
     },
     [](TExtStringGrid&, THeadlessBackend& b) { b.Advance(TExtStringGrid::PanInterval + 1); }},
};

TEST_F(ExtGridScrollPixelsTest, EveryScrollShowsWhatAWholePaintShows) {
  for (const GridKind& kind : kGrids)
    for (const ScrollKind& scroll : kScrolls) {
      const std::string what = std::string(kind.name) + " / " + scroll.name;
      SCOPED_TRACE(what);
      auto& g = GridInView(kind);
      if (g.EditorMode() || g.EditorActive()) g.ShowInplaceEditor();
      Pixels();
      const TGridCoord before{g.LeftCol(), g.TopRow()};
      kind.pending(g, *backend);
      scroll.scroll(g, *backend);
      if (before == (TGridCoord{g.LeftCol(), g.TopRow()})) {
        ADD_FAILURE() << what << ": nothing scrolled from " << before.X << "," << before.Y << " at "
                      << g.Col() << "," << g.Row();
        continue;
      }
      Pixels();
      scroll.settle(g, *backend);
      const TPixelBlock moved = Pixels();
      form->Invalidate();
      Pixels();
      scroll.settle(g, *backend);
      ExpectSame(moved, Pixels(), what);
    }
}

// The grid's part of the update region after a scroll by one row: the row
// uncovered and the bar, not the grid.
TEST_F(ExtGridScrollPixelsTest, AScrollByOneRowPaintsLittleMoreThanTheRowUncovered) {
  auto& g = MakeGrid<TExtStringGrid>(14, 40, 300, 200);
  Pixels();
  const auto& dirty = ui::SurfaceOf(form.get())->Dirty;
  ASSERT_TRUE(dirty.empty());
  g.SetTopRow(g.TopRow() + 1);
  const TRect area = g.GridArea();
  const long long painted = PaintedInGrid(g);
  EXPECT_GT(painted, 0);
  EXPECT_LE(painted, static_cast<long long>(area.Width()) * (g.RowHeights(1) + 1) * 2);
}

// A change of the column or row count, or an update bracket, repaints only
// what it can alter; the window still shows what a whole paint shows.
struct ReshapeKind {
  const char* name;
  TGridStep reshape;
  // Before the grid is first shown.
  TGridStep setup = Nothing;
};

const ReshapeKind kReshapes[] = {
    {"rows added", [](TExtStringGrid& g, THeadlessBackend&) { g.SetRowCount(g.RowCount() + 3); }},
    {"rows removed past the view",
     [](TExtStringGrid& g, THeadlessBackend&) { g.SetRowCount(g.RowCount() - 5); }},
    {"rows removed into the view",
     [](TExtStringGrid& g, THeadlessBackend&) { g.SetRowCount(g.TopRow() + 3); }},
    {"columns added", [](TExtStringGrid& g, THeadlessBackend&) { g.SetColCount(g.ColCount() + 2); }},
    {"rows added to a short grid",
     [](TExtStringGrid& g, THeadlessBackend&) { g.SetRowCount(g.RowCount() + 2); },
     [](TExtStringGrid& g, THeadlessBackend&) { g.SetRowCount(5); }},
    {"columns added to a narrow grid",
     [](TExtStringGrid& g, THeadlessBackend&) { g.SetColCount(g.ColCount() + 1); },
     [](TExtStringGrid& g, THeadlessBackend&) { g.SetColCount(3); }},
    {"rows and columns cut in a small grid",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetColCount(g.ColCount() - 1);
       g.SetRowCount(g.RowCount() - 1);
     },
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetColCount(4);
       g.SetRowCount(6);
     }},
    {"columns removed into the view", [](TExtStringGrid& g, THeadlessBackend&) { g.SetColCount(3); }},
    {"current cell cut off",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetColCount(g.Col());
       g.SetRowCount(g.Row());
     }},
    {"merged area cut",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetColCount(g.ColCount() - 1);
       g.SetRowCount(g.RowCount() - 1);
     },
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetColCount(6);
       g.SetRowCount(7);
     }},
    {"paste growing the grid",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SetOptions(g.Options() + TGridOptions{goEditing});
       g.Navigation().AllowClipboardColGrow = true;
       g.Navigation().AllowClipboardRowGrow = true;
       g.PasteText(g.ColCount() - 1, g.RowCount() - 2, "a\tb\tc\r\nd\te\r\nf\r\ng");
     }},
    {"empty update",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.BeginUpdate();
       g.EndUpdate();
     }},
    {"cells written in an update",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.BeginUpdate();
       g.SetCells(g.LeftCol() + 1, g.TopRow() + 1, "first");
       g.BeginUpdate();
       g.SetCells(g.LeftCol() + 2, g.TopRow() + 3, "second");
       g.EndUpdate();
       g.SetCells(0, 0, "corner");
       g.EndUpdate();
     }},
    {"sort by a heading click",
     [](TExtStringGrid& g, THeadlessBackend& b) {
       g.SortSettings().Show = true;
       const TRect r = g.CellRect(g.LeftCol() + 1, 0);
       b.Click(g, r.Left + r.Width() / 2, r.Top + 2);
     }},
    {"sorts both ways by a double click",
     [](TExtStringGrid& g, THeadlessBackend& b) {
       g.SortSettings().Show = true;
       const TRect r = g.CellRect(g.LeftCol() + 2, 0);
       b.DoubleClick(g, r.Left + r.Width() / 2, r.Top + 2);
     }},
    {"sort of rows in order",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SortSettings().Column = g.LeftCol();
       g.QSort();
     },
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.SortSettings().Show = true;
       for (int r = 0; r < g.RowCount(); ++r) g.SetCells(g.LeftCol(), r, Format("%03d", {r}));
     }},
    {"rows grown and taken off in an update",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.BeginUpdate();
       g.SetRowCount(g.RowCount() + 3);
       g.SetCells(g.LeftCol(), g.RowCount() - 1, "scratch");
       g.SetRowCount(g.RowCount() - 3);
       g.EndUpdate();
     }},
    {"rows cut and grown back in an update",
     [](TExtStringGrid& g, THeadlessBackend&) {
       const int rows = g.RowCount();
       g.BeginUpdate();
       g.SetRowCount(g.TopRow() + 2);
       g.SetRowCount(rows);
       g.EndUpdate();
     }},
    {"widths and counts in an update",
     [](TExtStringGrid& g, THeadlessBackend&) {
       g.BeginUpdate();
       g.SetColWidths(g.LeftCol(), 30);
       g.SetRowCount(g.RowCount() + 1);
       g.SetWordWrap(true);
       g.EndUpdate();
     }},
};

TEST_F(ExtGridScrollPixelsTest, EveryReshapeShowsWhatAWholePaintShows) {
  for (const GridKind& kind : kGrids)
    for (const ReshapeKind& reshape : kReshapes) {
      const std::string what = std::string(kind.name) + " / " + reshape.name;
      SCOPED_TRACE(what);
      auto& g = GridInView(kind);
      reshape.setup(g, *backend);
      if (g.EditorMode() || g.EditorActive()) g.ShowInplaceEditor();
      Pixels();
      // The pending writes need the cells they write.
      if (g.ColCount() > 7 && g.RowCount() > 9) kind.pending(g, *backend);
      reshape.reshape(g, *backend);
      const TPixelBlock changed = Pixels();
      form->Invalidate();
      ExpectSame(changed, Pixels(), what);
    }
}

// The grid's part of the update region: for rows added, the rows that came
// (none in view here) and the bar; for an update bracket that changed
// nothing, nothing.
TEST_F(ExtGridScrollPixelsTest, ReshapesPaintLittleOfTheGrid) {
  auto& g = MakeGrid<TExtStringGrid>(14, 40, 300, 200);
  Pixels();
  const auto& dirty = ui::SurfaceOf(form.get())->Dirty;
  auto painted = [&] { return PaintedInGrid(g); };
  ASSERT_TRUE(dirty.empty());
  g.SetRowCount(g.RowCount() + 5);
  EXPECT_EQ(painted(), 0);
  Pixels();
  g.BeginUpdate();
  g.SetCells(2, 2, "");
  g.SetCells(3, 3, g.Cells(3, 3));
  g.EndUpdate();
  EXPECT_EQ(painted(), 0);
  g.SetColCount(g.ColCount() - 1);
  EXPECT_EQ(painted(), 0);
  Pixels();
  // Scratch rows a bracket adds and takes off again.
  g.BeginUpdate();
  g.SetRowCount(g.RowCount() + 3);
  g.SetRowCount(g.RowCount() - 3);
  g.EndUpdate();
  EXPECT_EQ(painted(), 0);
  // A sort that moves no row repaints the heading.
  for (int r = 0; r < g.RowCount(); ++r) g.SetCells(1, r, Format("%03d", {r}));
  Pixels();
  g.SortSettings().Column = 1;
  g.QSort();
  EXPECT_GT(painted(), 0);
  EXPECT_LE(painted(), static_cast<long long>(g.GridArea().Width()) * (g.RowHeights(0) + 1));
  Pixels();
  g.BeginUpdate();
  g.SetCells(2, 2, "text");
  g.EndUpdate();
  EXPECT_GT(painted(), 0);
  EXPECT_LE(painted(), static_cast<long long>(g.ColWidths(2) + 1) * (g.RowHeights(2) + 1));
}

}  // namespace
