// The program's grids as it sets them: the offers grid's alternate row
// colours, the budget grid following the window's size and exchanging cell
// ranges with the clipboard by the Ctrl keys, with smart paste.
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Clipbrd.h"
#include "tests/TestOutput.h"
#include "tests/tender/MainWindowFixture.h"

namespace {

class ApplicationGrids : public MainWindowTest {
 protected:
  void TearDown() override {
    delete BudgetForm;
    MainWindowTest::TearDown();
  }
};

TEST_F(ApplicationGrids, TheOffersGridBandsItsRowsInTheTwoColours) {
  TFrmAXP& w = Start();
  EXPECT_TRUE(w.StGrid->Bands().Active());
  EXPECT_EQ(w.StGrid->Bands().PrimaryColor(), clInfoBk);
  EXPECT_EQ(w.StGrid->Bands().SecondaryColor(), clWindow);
  backend->SaveWindowPng(w, TestOutput("offers_grid_bands.png"));
  const TImageCanvas* image = backend->Render(w);
  ASSERT_NE(image, nullptr);
  // An empty cell of the name column in two rows running: the two colours.
  auto background = [&](int row) {
    const TRect cell = w.StGrid->CellRect(1, row);
    const TPoint at =
        w.ScreenToClient(w.StGrid->ClientToScreen(Point(cell.Right - 10, (cell.Top + cell.Bottom) / 2)));
    return ColorToRGB(image->Pixel(at.X, at.Y));
  };
  const TColor first = background(3), second = background(4);
  EXPECT_NE(first, second);
  for (TColor c : {first, second}) EXPECT_TRUE(c == ColorToRGB(clInfoBk) || c == ColorToRGB(clWindow)) << c;
}

TEST_F(ApplicationGrids, TheBudgetGridFollowsTheWindowsSizeOnce) {
  TUproypFrm& b = StudyBudget(1);
  b.Show();
  Application->ProcessMessages();
  const int width = b.ProypGrid->Width(), height = b.ProypGrid->Height();
  b.SetBounds(b.Left(), b.Top(), b.Width() + 120, b.Height() + 60);
  EXPECT_EQ(b.ProypGrid->Width(), width + 120);
  EXPECT_EQ(b.ProypGrid->Height(), height + 60);
  b.SetBounds(b.Left(), b.Top(), b.Width() - 120, b.Height() - 60);
  EXPECT_EQ(b.ProypGrid->Width(), width);
  EXPECT_EQ(b.ProypGrid->Height(), height);
}

TEST_F(ApplicationGrids, TheBudgetGridCopiesCutsAndPastesRangesByTheCtrlKeys) {
  TUproypFrm& b = StudyBudget(1);
  b.Show();
  TExtStringGrid& g = *b.ProypGrid;
  g.SetCells(1, 1, "Α-1"_a);
  g.SetCells(2, 1, "2");
  g.SetCells(1, 2, "Α-2"_a);
  g.SetCells(2, 2, "3");
  g.SetFocus();
  g.SetSelection(TGridRect{1, 1, 2, 2});
  backend->PressKey('C', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "Α-1\t2\r\nΑ-2\t3\r\n"_a);
  // Pasted at another row: the range lands whole.
  g.SetSelection(TGridRect{1, 5, 1, 5});
  backend->PressKey('V', {ssCtrl});
  EXPECT_EQ(g.Cells(1, 5), "Α-1"_a);
  EXPECT_EQ(g.Cells(2, 6), "3");
  // Cut: the cells empty, their text on the clipboard.
  g.SetSelection(TGridRect{1, 5, 2, 6});
  backend->PressKey('X', {ssCtrl});
  EXPECT_EQ(g.Cells(1, 5), "");
  EXPECT_EQ(g.Cells(2, 6), "");
  EXPECT_EQ(Clipboard()->AsText(), "Α-1\t2\r\nΑ-2\t3\r\n"_a);
  // Smart paste: a series of two quantities carried on down a selection.
  Clipboard()->SetAsText("1\r\n3\r\n");
  g.SetSelection(TGridRect{2, 10, 2, 14});
  backend->PressKey('V', {ssCtrl});
  const char* series[] = {"1", "3", "5", "7", "9"};
  for (int r = 10; r <= 14; ++r) EXPECT_EQ(g.Cells(2, r), series[r - 10]) << r;
}

}  // namespace
