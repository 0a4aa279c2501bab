#include <gtest/gtest.h>

#include <filesystem>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/WindowManager.h"
#include "tests/TestOutput.h"

namespace {

class ExtGridCreateTest : public GridFormTest {
 protected:
  void SetUp() override {
    GridFormTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("extgrid_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    SetRegistryStoreRoot((folder_ / "registry").string());
  }
  void TearDown() override {
    GridFormTest::TearDown();
    SetRegistryStoreRoot("");
    std::filesystem::remove_all(folder_);
  }
  std::filesystem::path folder_;
};

// What the program's tables take for granted of a new grid: row height,
// font, number format, check texts and the registry as the size store.
TEST_F(ExtGridCreateTest, ANewGridHasTheDefaultsTheTablesRelyOn) {
  auto& g = MakeGrid<TExtStringGrid>(5, 5);
  EXPECT_EQ(g.DefaultRowHeight(), 21);
  EXPECT_EQ(g.Font().Name, "Tahoma");
  EXPECT_EQ(g.FloatFormat, "%.2f");
  EXPECT_EQ(g.GetCheckTrue(1, 1), "Y");
  EXPECT_EQ(g.GetCheckFalse(1, 1), "N");
  EXPECT_EQ(g.ColumnSize().Location, clRegistry);
  EXPECT_EQ(g.ColumnSize().StretchColumn, -1);
  EXPECT_FALSE(g.Navigation().AdvanceOnEnter || g.Navigation().AllowInsertRow ||
               g.Navigation().AllowDeleteRow);
}

TEST_F(ExtGridCreateTest, ThePrivateClipboardFormatIsRegisteredOnceByName) {
  const UINT format = GridCellsClipboardFormat();
  EXPECT_NE(format, 0u);
  EXPECT_EQ(GridCellsClipboardFormat(), format);
  EXPECT_EQ(RegisterClipboardFormat("TExtStringGrid Cells"), format);
}

TEST_F(ExtGridCreateTest, OptionSettersKeepTheirRules) {
  auto& g = MakeGrid<TExtStringGrid>(5, 5);
  g.SetFixedRows(2);
  g.SortSettings().SetRow(2);
  EXPECT_EQ(g.SortSettings().Row(), 2);
  EXPECT_EQ(ErrorOf<Exception>([&] { g.SortSettings().SetRow(3); }),
            "Sort row should be smaller than number of fixed rows");
  EXPECT_EQ(g.SortSettings().Row(), 2);
  g.Bands().SetPrimaryLength(3);
  EXPECT_EQ(g.Bands().Period(), 4);
  g.Bands().SetSecondaryLength(2);
  EXPECT_EQ(g.Bands().Period(), 5);
  g.Bands().SetPrimaryLength(0);
  g.Bands().SetSecondaryLength(0);
  EXPECT_EQ(g.Bands().RowColor(7), g.Bands().PrimaryColor());  // no division by a zero period
  // Bitmaps are copied.
  {
    TBitmap glyph(4, 3);
    g.SortSettings().SetUpGlyph(glyph);
  }
  EXPECT_EQ(g.SortSettings().UpGlyph().Width(), 4);
}

TEST_F(ExtGridCreateTest, ColumnWidthsGoToAnIniFileAndComeBack) {
  const std::string ini = (folder_ / "grid.ini").string();
  {
    auto& g = MakeGrid<TExtStringGrid>(4, 3);
    g.ColumnSize().Save = true;
    g.ColumnSize().Location = clIniFile;
    g.ColumnSize().Key = ini;
    g.ColumnSize().Section = "Offers";
    for (int c = 0; c < 4; ++c) g.SetColWidths(c, 30 + 10 * c);
    form.reset();  // the grid saves as it goes
  }
  TIniFile file(ini);
  for (int c = 0; c < 4; ++c)
    EXPECT_EQ(file.ReadInteger("Offers", "Col" + std::to_string(c), -1), 30 + 10 * c);
  auto& g = MakeGrid<TExtStringGrid>(4, 3);
  g.ColumnSize().Location = clIniFile;
  g.ColumnSize().Key = ini;
  g.ColumnSize().Section = "Offers";
  g.LoadColumnSizes();
  for (int c = 0; c < 4; ++c) EXPECT_EQ(g.ColWidths(c), 30 + 10 * c);
}

TEST_F(ExtGridCreateTest, ColumnWidthsGoToTheRegistryAndNotWithoutAKey) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.ColumnSize().Key = "Software\\Tender\\Grid";
  g.ColumnSize().Section = "Budget";
  g.SetColWidths(1, 0);  // the budget hides columns with width 0
  g.SetColWidths(2, 77);
  g.SaveColumnSizes();
  TRegistryIniFile reg("Software\\Tender\\Grid");
  EXPECT_EQ(reg.ReadInteger("Budget", "Col1", -1), 0);
  EXPECT_EQ(reg.ReadInteger("Budget", "Col2", -1), 77);
  g.SetColWidths(1, 50);
  g.SetColWidths(2, 50);
  g.LoadColumnSizes();
  EXPECT_EQ(g.ColWidths(1), 0);
  EXPECT_EQ(g.ColWidths(2), 77);
  // Without a section nothing is read or written.
  g.ColumnSize().Section = "";
  g.SetColWidths(2, 10);
  g.SaveColumnSizes();
  g.ColumnSize().Section = "Budget";
  g.LoadColumnSizes();
  EXPECT_EQ(g.ColWidths(2), 77);
}

TEST_F(ExtGridCreateTest, AFailingStoreDoesNotStopTheGridFromGoing) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.ColumnSize().Save = true;
  g.ColumnSize().Location = clIniFile;
  g.ColumnSize().Key = (folder_ / "no" / "such" / "folder" / "x.ini").string();
  g.ColumnSize().Section = "S";
  EXPECT_NO_THROW(form.reset());
}

TEST_F(ExtGridCreateTest, TheWindowTimerTicksEvery500ms) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  const int before = g.TimerTicks();
  backend->Advance(1500);
  EXPECT_EQ(g.TimerTicks() - before, 3);
}

TEST_F(ExtGridCreateTest, IntegralHeightRoundsToWholeRows) {
  auto& g = MakeGrid<TExtStringGrid>(30, 30, 200, 100);
  g.SetIntegralHeight(true);  // sizes the grid at once
  EXPECT_EQ(g.Height(), 100 - 100 % 21 - 1);
  g.SetBounds(0, 0, 200, 150);  // columns do not all fit
  EXPECT_EQ(g.Height(), 150 - 150 % 21 - 1);
}

TEST_F(ExtGridCreateTest, UpdateBracketsNestAndNeverGoBelowZero) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.BeginUpdate();
  g.BeginUpdate();
  g.EndUpdate();
  EXPECT_EQ(g.UpdateCount(), 1);
  g.EndUpdate();
  g.EndUpdate();
  EXPECT_EQ(g.UpdateCount(), 0);
}

// Cells written inside a bracket wait for one repaint of the cells written
// when the last bracket closes, instead of each adding its own.
TEST_F(ExtGridCreateTest, CellsWrittenInAnUpdateBracketRepaintOnceAtItsEnd) {
  auto& g = MakeGrid<TExtStringGrid>(4, 50);
  const auto& dirty = ui::SurfaceOf(form.get())->Dirty;
  ASSERT_TRUE(dirty.empty());
  g.BeginUpdate();
  g.BeginUpdate();
  for (int row = 1; row < 50; ++row) g.SetCellText(1, row, IntToStr(row));
  g.EndUpdate();
  EXPECT_TRUE(dirty.empty());
  g.EndUpdate();
  ASSERT_EQ(dirty.size(), 1u);
  const TRect first = g.CellRect(1, 1);
  EXPECT_EQ(dirty[0].Left, g.Left() + first.Left);
  EXPECT_EQ(dirty[0].Top, g.Top() + first.Top);
  EXPECT_LE(dirty[0].Width(), g.ColWidths(1) + 1);
  EXPECT_EQ(dirty[0].Bottom, g.Top() + g.GridArea().Bottom);
  Application->ProcessMessages();
  // Outside a bracket a cell in view repaints at once.
  g.SetCellText(2, 1, "x");
  ASSERT_EQ(dirty.size(), 1u);
  EXPECT_EQ(dirty[0].Height(), g.CellRect(2, 1).Height());
  EXPECT_EQ(dirty[0].Width(), g.CellRect(2, 1).Width());
}

TEST_F(ExtGridCreateTest, RowCountSetsTheDisplayTextLimit) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetCellText(1, 2, "v");
  g.OnGetDisplText = [](TObject*, int, int, AnsiString& v) { v += "!"; };
  g.SetRowCount(5);
  EXPECT_EQ(g.GetCellText(1, 2), "v!");
  g.FixedRowAlways = true;
  g.SetFixedRows(0);
  g.SetRowCount(4);
  EXPECT_EQ(g.FixedRows(), 1);
}

TEST_F(ExtGridCreateTest, FixedCountsReadOneWhileAlwaysKeptAndStoredZero) {
  struct Case {
    bool always;
    int count, stored, read;
  };
  const Case cases[] = {
      {false, 1, 0, 0}, {true, 1, 0, 1}, {true, 5, 0, 1}, {true, 5, 2, 2}, {false, 5, 2, 2}};
  for (const Case& c : cases) {
    auto& g = MakeGrid<TExtStringGrid>(c.count, c.count);
    g.SetFixedRows(c.stored);
    g.SetFixedCols(c.stored);
    g.FixedRowAlways = g.FixedColAlways = c.always;
    EXPECT_EQ(g.FixedRows(), c.read) << c.always << c.count << c.stored;
    EXPECT_EQ(g.FixedCols(), c.read) << c.always << c.count << c.stored;
    // The plain grid's layout keeps the stored count.
    EXPECT_EQ(static_cast<TStringGrid&>(g).FixedRows(), c.stored);
    EXPECT_EQ(g.CellEditable(c.count - 1, 0), c.read == 0 && c.count > 1);
  }
}

TEST_F(ExtGridCreateTest, SelectionHiddenOnTheLastFixedRowComesBackInsideTheGrownGrid) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.FixedRowAlways = true;
  g.SetRow(2);
  g.RemoveRowRange(1, 2);
  ASSERT_EQ(g.RowCount(), 1);
  g.SetRowCount(1);  // still only the fixed row: nothing to stand on
  EXPECT_GE(g.Row(), g.RowCount());
  g.SetRowCount(4);
  EXPECT_EQ(g.Row(), 1);
  EXPECT_EQ(g.Col(), 1);
  EXPECT_EQ(g.FixedRows(), 1);
}

// The application's three grid shapes, painted: the pictures go to the
// review, and what they must show is checked on the rendered window.
TEST_F(ExtGridCreateTest, GridsOfTheApplicationsShapesPaintWhatTheyHold) {
  struct Shape {
    const char* file;
    int cols, rows, width, height;
  };
  const Shape shapes[] = {
      {"grid_offers_501x5.png", 5, 501, 560, 260},
      {"grid_budget_2500x14.png", 14, 2500, 760, 300},
      {"grid_search_101x20000.png", 101, 20000, 760, 300},
  };
  for (const Shape& s : shapes) {
    SCOPED_TRACE(s.file);
    auto& g = MakeGrid<TExtStringGrid>(s.cols, s.rows, s.width, s.height);
    g.Bands().SetActive(s.cols == 5);
    for (int c = 1; c < s.cols; ++c) g.SetCellText(c, 0, "Στήλη "_a + std::to_string(c));
    for (int r = 1; r < 40; ++r) {
      g.SetCellText(0, r, std::to_string(r));
      for (int c = 1; c < s.cols; ++c) g.SetCellFloat(c, r, r * 1.5 + c);
    }
    if (s.cols == 14) {
      for (int c : {3, 5, 9}) g.SetColWidths(c, 0);  // columns of width 0
      g.SetCellText(1, 1, "Χωματουργικά"_a);
      g.MergeCells(1, 2, 2, 1);
      g.SetCellText(1, 2, "Συγχωνευμένο κελί"_a);
      g.GetCellProperties(4, 7)->SetBrushColor(clYellow);
    }
    g.SetSelection({2, 3, 3, 4});
    Application->ProcessMessages();
    const std::string file = TestOutput(s.file);
    backend->SaveWindowPng(*form, file);
    EXPECT_GT(std::filesystem::file_size(file), 1000u);

    const TImageCanvas* image = backend->Render(*form);
    // A pixel of a cell, just inside its bottom left corner, clear of text.
    auto corner = [&](int c, int r) {
      const TRect cell = g.CellRect(c, r);
      const TPoint p = form->ScreenToClient(g.ClientToScreen(Point(cell.Left + 2, cell.Bottom - 2)));
      return image->Pixel(p.X, p.Y);
    };
    // Ink in the cell: any pixel other than the one at its corner.
    auto inked = [&](int c, int r) {
      const TRect cell = g.CellRect(c, r);
      const TColor ground = corner(c, r);
      for (int y = cell.Top + 1; y < cell.Bottom - 1; ++y)
        for (int x = cell.Left + 1; x < cell.Right - 1; ++x) {
          const TPoint p = form->ScreenToClient(g.ClientToScreen(Point(x, y)));
          if (image->Pixel(p.X, p.Y) != ground) return true;
        }
      return false;
    };
    EXPECT_TRUE(inked(1, 0));  // a heading
    EXPECT_TRUE(inked(0, 5));  // a row number
    EXPECT_TRUE(inked(4, 6));  // a number
    // The selection shows against the cells beside it.
    EXPECT_NE(corner(2, 4), corner(2, 6));
    EXPECT_EQ(corner(2, 6), corner(4, 6));
    if (s.cols == 14) {
      EXPECT_EQ(corner(4, 7), static_cast<TColor>(clYellow));
      // Columns of width 0 take no room: column 4 follows column 2 as
      // column 2 follows column 1.
      EXPECT_EQ(g.CellRect(4, 1).Left - g.CellRect(2, 1).Right,
                g.CellRect(2, 1).Left - g.CellRect(1, 1).Right);
    }
  }
}

}  // namespace

namespace {

class ExtGridFixedSizesTest : public GridFormTest {};

// A grid whose form is being designed when asked.
struct DesignedGrid : TExtStringGrid {
  using TComponent::SetDesigning;
  using TExtStringGrid::TExtStringGrid;
};

// The fixed sizes act on the fixed rows and columns only while a form is
// designed; at run time the width reads the first column and the height
// is kept as set.
TEST_F(ExtGridFixedSizesTest, FixedSizesShapeTheFixedCellsOnlyWhileDesigning) {
  for (bool designing : {false, true}) {
    SCOPED_TRACE(designing);
    auto& g = MakeGrid<DesignedGrid>(4, 4);
    g.SetFixedCols(2);
    g.SetFixedRows(2);
    g.SetDesigning(designing);
    g.SetFixedColWidth(40);
    g.SetFixedRowHeight(30);
    g.SetDesigning(false);
    EXPECT_EQ(g.FixedRowHeight(), 30);
    const int fixedWidth = designing ? 40 : g.DefaultColWidth();
    const int fixedHeight = designing ? 30 : g.DefaultRowHeight();
    EXPECT_EQ(g.FixedColWidth(), fixedWidth);
    EXPECT_EQ(g.ColWidths(1), fixedWidth);
    EXPECT_EQ(g.RowHeights(1), fixedHeight);
    EXPECT_EQ(g.ColWidths(2), g.DefaultColWidth());
    EXPECT_EQ(g.RowHeights(2), g.DefaultRowHeight());
  }
}

// A new default row height reaches the heading rows only on a form being
// designed; at run time they keep the height they were given.
TEST_F(ExtGridFixedSizesTest, ADefaultRowHeightSetWhileDesigningIsTheHeadingsToo) {
  for (bool designing : {false, true}) {
    SCOPED_TRACE(designing);
    auto& g = MakeGrid<DesignedGrid>(4, 4);
    g.SetFixedRows(2);
    g.SetRowHeights(0, 30);
    g.SetDesigning(designing);
    g.SetDefaultRowHeight(25);
    g.SetDesigning(false);
    EXPECT_EQ(g.FixedRowHeight(), designing ? 25 : 0);
    EXPECT_EQ(g.RowHeights(2), 25);
    if (designing) EXPECT_EQ(g.RowHeights(0), 25);
  }
}

TEST_F(ExtGridFixedSizesTest, ScreenPointsAndPasswordCellsAreAskedByCell) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  const TRect cell = g.CellRect(2, 3);
  int c = -9, r = -9;
  g.MouseToCellScreen(g.ClientToScreen(Point(cell.Left + 3, cell.Top + 3)), c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 3);
  g.MouseToCellScreen(g.ClientToScreen(Point(g.ClientWidth() - 1, g.ClientHeight() - 1)), c, r);
  EXPECT_EQ(c, -1);
  EXPECT_EQ(r, -1);
  g.OnIsPasswordCell = [](TObject*, int ARow, int ACol, bool& password) {
    password = ACol == 1 && ARow == 2;
  };
  EXPECT_TRUE(g.IsPasswordCellAt(1, 2));
  EXPECT_FALSE(g.IsPasswordCellAt(2, 1));
}

}  // namespace
