// The look and size events of the grid: the size update of a row sized by
// the mouse, the print colour and border events, the rich-text editor's
// selection event, the footer strip after a stretch, and the repaint of
// the flat look.

#include <gtest/gtest.h>

#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridEditors.h"
#include "grid/ExtGridFooter.h"

namespace {

class ExtGridEventsTest : public GridFormTest {};

TEST_F(ExtGridEventsTest, SizingByTheMouseAsksTheUpdateEventForColumnsAndRows) {
  struct Case {
    const char* what;
    bool row;
  };
  for (const Case& c : {Case{"column", false}, Case{"row", true}}) {
    SCOPED_TRACE(c.what);
    auto& g = MakeGrid<TExtStringGrid>(4, 6);
    g.SetOptions(g.Options() + TGridOptions{goColSizing, goRowSizing});
    std::vector<std::pair<int, int>> asked;  // index, size offered
    g.OnUpdateColumnSize = [&](TObject* Sender, int Index, int& Size) {
      EXPECT_EQ(Sender, &g);
      asked.emplace_back(Index, Size);
      Size = 44;
    };
    if (c.row) {
      const TRect cell = g.CellRect(0, 2);
      backend->PressMouse(g, cell.Left + 5, cell.Bottom);
      ASSERT_EQ(g.GridState(), gsRowSizing);
      backend->MoveMouse(g, cell.Left + 5, cell.Bottom + 9);
      backend->ReleaseMouse(g, cell.Left + 5, cell.Bottom + 9);
      ASSERT_EQ(asked.size(), 1u);
      EXPECT_EQ(asked[0], std::make_pair(2, cell.Height() + 9));
      EXPECT_EQ(g.RowHeights(2), 44);
    } else {
      const TRect cell = g.CellRect(1, 0);
      backend->PressMouse(g, cell.Right, cell.Top + 5);
      ASSERT_EQ(g.GridState(), gsColSizing);
      backend->MoveMouse(g, cell.Right + 9, cell.Top + 5);
      backend->ReleaseMouse(g, cell.Right + 9, cell.Top + 5);
      ASSERT_EQ(asked.size(), 1u);
      EXPECT_EQ(asked[0], std::make_pair(1, cell.Width() + 9));
      EXPECT_EQ(g.ColWidths(1), 44);
    }
  }
}

TEST_F(ExtGridEventsTest, PrintedCellsTakeThePrintEventsAndScreenCellsTheirOwn) {
  auto& g = MakeGrid<TExtStringGrid>(5, 5);
  g.HideColumn(1);  // displayed column 2 is real column 3
  struct Call {
    int row, col;
    TColor brush;
  };
  std::vector<Call> screen, print;
  g.OnGetCellColor = [&](TObject*, int ARow, int ACol, TGridDrawState, TBrush& ABrush, TFont&) {
    screen.push_back({ARow, ACol, ABrush.Color});
    ABrush.Color = clAqua;
  };
  g.OnGetCellPrintColor = [&](TObject* Sender, int ARow, int ACol, TGridDrawState, TBrush& ABrush,
                              TFont& AFont) {
    EXPECT_EQ(Sender, &g);
    print.push_back({ARow, ACol, ABrush.Color});
    ABrush.Color = clYellow;
    AFont.Color = clRed;
  };
  struct Case {
    const char* what;
    bool printing;
    TColor brush;
  };
  for (const Case& c : {Case{"screen", false, clAqua}, Case{"printing", true, clYellow}}) {
    SCOPED_TRACE(c.what);
    screen.clear();
    print.clear();
    TBrush brush;
    TFont font;
    TAlignment h;
    TVAlignment v;
    TGridDrawState state;
    g.GetCellColors(2, 3, state, c.printing, false, true, brush, font, h, v);
    EXPECT_EQ(brush.Color, c.brush);
    const std::vector<Call>& fired = c.printing ? print : screen;
    EXPECT_TRUE((c.printing ? screen : print).empty());
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].row, 3);
    EXPECT_EQ(fired[0].col, 3);
    EXPECT_EQ(fired[0].brush, clWindow);
    if (c.printing) {
      EXPECT_EQ(font.Color, clRed);
    }
  }

  std::vector<std::pair<int, int>> borders;
  g.OnGetCellPrintBorder = [&](TObject* Sender, int ARow, int ACol, TPen& APen, TCellBorders& Borders) {
    EXPECT_EQ(Sender, &g);
    borders.emplace_back(ARow, ACol);
    APen.Color = clBlue;
    Borders << cbTop << cbBottom;
  };
  TPen pen;
  TCellBorders sides;
  g.GetCellPrintBorder(2, 4, pen, sides);
  ASSERT_EQ(borders.size(), 1u);
  EXPECT_EQ(borders[0], std::make_pair(4, 2));
  EXPECT_EQ(pen.Color, clBlue);
  EXPECT_TRUE(sides.Contains(cbTop) && sides.Contains(cbBottom) && !sides.Contains(cbLeft));
  // The screen border event is not the print one.
  bool screenBorder = false;
  g.OnGetCellBorder = [&](TObject*, int, int, TPen&, TCellBorders&) { screenBorder = true; };
  g.GetCellPrintBorder(1, 1, pen, sides);
  EXPECT_FALSE(screenBorder);
}

TEST_F(ExtGridEventsTest, TheRichTextEditorReportsItsSelectionThroughTheGrid) {
  auto& g = MakeGrid<TExtStringGrid>(3, 4);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.OnGetEditorType = [](TObject*, int ACol, int, TEditorType& AEditor) {
    if (ACol == 1) AEditor = edRichEdit;
  };
  g.SetCells(1, 1, "{\\rtf1\\ansi {\\b bold} text}");
  std::vector<TObject*> senders;
  g.OnRichEditSelectionChange = [&](TObject* Sender) { senders.push_back(Sender); };
  g.SetCol(1);
  g.SetRow(1);
  g.ShowInplaceEditor();
  Application->ProcessMessages();
  TExtRichEdit* e = g.RichInplaceEditor();
  ASSERT_TRUE(e && e->Visible());
  e->SetSelStart(0);
  senders.clear();
  backend->PressKey(VK_RIGHT);
  backend->PressKey(VK_RIGHT, TShiftState{ssShift});
  ASSERT_EQ(senders.size(), 2u);
  EXPECT_EQ(senders[0], &g);
  EXPECT_EQ(e->SelStart(), 1);
  EXPECT_EQ(e->SelLength(), 1);
  // Typing into the selection moves it too.
  senders.clear();
  backend->Type("x");
  EXPECT_FALSE(senders.empty());
  g.HideInplaceEditor();
}

TEST_F(ExtGridEventsTest, TheFooterStripKeepsToTheBottomWhenTheGridIsResized) {
  for (bool stretch : {true, false}) {
    SCOPED_TRACE(stretch ? "stretching" : "not stretching");
    auto& g = MakeGrid<TExtStringGrid>(4, 5, 400, 240);
    g.ColumnSize().SetStretch(stretch);
    g.FloatingFooter().SetVisible(true);
    Application->ProcessMessages();
    TFooterPanel* panel = g.FooterPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Top() + panel->Height(), g.ClientHeight());
    g.SetBounds(g.Left(), g.Top(), 360, 300);
    Application->ProcessMessages();
    EXPECT_EQ(panel->Top() + panel->Height(), g.ClientHeight());
    EXPECT_EQ(panel->Width(), g.ClientWidth());
    if (stretch) {
      int total = 0;
      for (int c = 0; c < g.ColCount(); ++c) total += g.ColWidths(c);
      EXPECT_EQ(total, g.ClientWidth() - 1);
    }
  }
}

TEST_F(ExtGridEventsTest, SettingTheFlatLookRepaints) {
  auto& g = MakeGrid<TExtStringGrid>(4, 5);
  g.SetFixedCols(1);
  Application->ProcessMessages();
  int passes = backend->PaintPasses;
  g.SetFlat(true);
  EXPECT_TRUE(g.Flat());
  Application->ProcessMessages();
  EXPECT_EQ(backend->PaintPasses, passes + 1);
  passes = backend->PaintPasses;
  g.SetFlat(true);  // no change, no paint
  Application->ProcessMessages();
  EXPECT_EQ(backend->PaintPasses, passes);
}

}  // namespace

namespace {

// A grid sized with its form keeps following it whatever the form does with
// its own resize handler, before or after the grids were made; the form's
// handler runs once a resize, after the grids took their new size.
TEST(ExtGridOwnerForm, AHandlerTheFormAssignsLaterKeepsTheGridsFollowing) {
  InstallHeadlessBackend();
  std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
  form->SetBounds(0, 0, 600, 400);
  int earlyCalls = 0;
  form->OnResize = [&](TObject*) { ++earlyCalls; };
  auto* first = new TExtStringGrid(form.get());
  first->SetParent(form.get());
  first->SetBounds(10, 10, 200, 150);
  first->SizeWithForm = true;
  auto* second = new TExtStringGrid(form.get());
  second->SetParent(form.get());
  second->SetBounds(220, 10, 100, 100);
  second->SizeWithForm = true;
  form->Show();
  std::vector<int> seen;  // the first grid's width as the form's handler saw it
  form->OnResize = [&](TObject*) { seen.push_back(first->Width()); };
  form->SetBounds(0, 0, 650, 430);
  EXPECT_EQ(first->Width(), 250);
  EXPECT_EQ(first->Height(), 180);
  EXPECT_EQ(second->Width(), 150);
  EXPECT_EQ(second->Height(), 130);
  EXPECT_EQ(seen, std::vector<int>{250});
  EXPECT_EQ(earlyCalls, 0);  // replaced by the form, as it asked
  // A grid that goes leaves the rest of the chain working.
  delete second;
  form->SetBounds(0, 0, 600, 400);
  EXPECT_EQ(first->Width(), 200);
  EXPECT_EQ(seen, (std::vector<int>{250, 200}));
}

// A form made too small for its grid leaves the grid as it was, and growing
// back brings the grid back to its own size, not one grown by the shrink it
// never took; the stretched column fills the grid after every resize.
TEST(ExtGridOwnerForm, AFormTooSmallForTheGridLeavesItAndTheStretchedColumnFills) {
  InstallHeadlessBackend();
  std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
  form->SetBounds(0, 0, 600, 400);
  auto* grid = new TExtStringGrid(form.get());
  grid->SetParent(form.get());
  grid->SetBounds(10, 10, 200, 150);
  grid->SetColCount(3);
  grid->SizeWithForm = true;
  grid->ColumnSize().StretchColumn = 1;
  grid->ColumnSize().SetStretch(true);
  form->Show();
  const auto filled = [&] { return grid->ColWidths(0) + grid->ColWidths(1) + grid->ColWidths(2); };
  const struct {
    int formWidth, gridWidth;
  } steps[] = {{650, 250}, {380, 250}, {650, 250}, {700, 300}, {600, 200}};
  for (const auto& step : steps) {
    form->SetBounds(0, 0, step.formWidth, 400);
    EXPECT_EQ(grid->Width(), step.gridWidth) << step.formWidth;
    EXPECT_EQ(grid->Height(), 150) << step.formWidth;
    EXPECT_EQ(filled(), grid->ClientWidth() - 1) << step.formWidth;
  }
}

}  // namespace
