// Moving the cursor onto rows and check boxes, the graphic handles and
// sizes of cells, and the grid properties that reach the text editor.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../TestOutput.h"
#include "GridFixture.h"
#include "grid/ExtGridFooter.h"
#include "grid/ExtInplaceEdit.h"
#include "grid/ExtObj.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/ImgList.h"

namespace {

class ExtGridCellAccessTest : public GridFormTest {
 protected:
  // Whether the row indicator's red shows in column 0 of ARow.
  static bool IndicatorOn(const TImageCanvas& shot, TExtStringGrid& g, int ARow) {
    const TRect cell = g.CellRect(0, ARow);
    for (int y = cell.Top; y < cell.Bottom; ++y)
      for (int x = cell.Left; x < cell.Right; ++x)
        if (shot.Pixel(10 + x, 10 + y) == clRed) return true;
    return false;
  }
};

TEST_F(ExtGridCellAccessTest, RowIndicatorFollowsTheCursor) {
  auto& g = MakeGrid<TExtStringGrid>(4, 6);
  TBitmap marker(6, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) marker.SetPixel(x, y, clRed);
  marker.SetPixel(0, 0, clWhite);  // the transparent colour
  g.SetRowIndicator(marker);
  g.Invalidate();
  const TImageCanvas* shot = backend->Render(*form);
  ASSERT_NE(shot, nullptr);
  backend->SaveWindowPng(*form, (TestOutputFolder() / "indicator.png").string());
  EXPECT_TRUE(IndicatorOn(*shot, g, 1));
  // By key and by code: the old row loses the mark, the new one gets it.
  backend->PressKey(VK_DOWN);
  shot = backend->Render(*form);
  EXPECT_FALSE(IndicatorOn(*shot, g, 1));
  EXPECT_TRUE(IndicatorOn(*shot, g, 2));
  g.SetRow(4);
  shot = backend->Render(*form);
  EXPECT_FALSE(IndicatorOn(*shot, g, 2));
  EXPECT_TRUE(IndicatorOn(*shot, g, 4));
}

TEST_F(ExtGridCellAccessTest, EnterIntoACheckBoxTogglesIt) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.Navigation().AdvanceOnEnter = true;
  g.AddCheckBox(2, 1, false, false);
  g.AddCheckBox(3, 1, false, false);
  std::vector<std::string> changes;
  g.OnCellChanging = [&](TObject*, int oldRow, int oldCol, int newRow, int newCol, bool&) {
    changes.push_back(std::to_string(oldCol) + "," + std::to_string(oldRow) + ">" + std::to_string(newCol) +
                      "," + std::to_string(newRow));
  };
  g.SetFocus();
  g.SetCol(1);
  changes.clear();
  backend->PressKey(VK_F2);
  backend->Type("s");
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(g.Col(), 2);
  bool state = false;
  ASSERT_TRUE(g.GetCheckBoxState(2, 1, state));
  EXPECT_TRUE(state);
  EXPECT_EQ(g.GetCellText(1, 1), "s");
  // Asked before the move, and again for where the cursor ended.
  EXPECT_EQ(changes, (std::vector<std::string>{"1,1>2,1", "1,1>2,1"}));
  // From one check box on to the next: the box left behind had one, so
  // the next is not pressed.
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(g.Col(), 3);
  ASSERT_TRUE(g.GetCheckBoxState(3, 1, state));
  EXPECT_FALSE(state);
  ASSERT_TRUE(g.GetCheckBoxState(2, 1, state));
  EXPECT_TRUE(state);
}

TEST_F(ExtGridCellAccessTest, RadioTargetTakesThePressToo) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.Navigation().AdvanceOnEnter = true;
  TStringList choices;
  choices.Add("a");
  choices.Add("b");
  g.AddRadio(2, 1, true, choices, 1);
  ASSERT_TRUE(g.IsRadio(2, 1));
  g.SetFocus();
  g.SetCol(1);
  EXPECT_TRUE(g.AdvanceCell(1, 1, true, false, false));
  int after = -2;
  g.GetRadioIdx(2, 1, after);
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(after, 0);  // the press lands on the first choice
}

TEST_F(ExtGridCellAccessTest, GraphicHandleByKind) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  TBitmap bitmap(4, 4);
  TIcon icon;
  TCellGraphic* withBitmap = g.CreateCellGraphic(1, 1);
  withBitmap->CellType = ctBitmap;
  withBitmap->CellBitmap = &bitmap;
  TCellGraphic* withIcon = g.CreateCellGraphic(2, 1);
  withIcon->CellType = ctIcon;
  withIcon->CellIcon = &icon;
  TCellGraphic* withImage = g.CreateCellGraphic(3, 1);
  withImage->CellType = ctImageList;
  withImage->CellIndex = 7;
  g.AddCheckBox(1, 2, false, false);
  EXPECT_EQ(g.GetGraphicHandle(1, 1), reinterpret_cast<std::intptr_t>(&bitmap));
  EXPECT_EQ(g.GetGraphicHandle(2, 1), reinterpret_cast<std::intptr_t>(&icon));
  EXPECT_EQ(g.GetGraphicHandle(3, 1), 7);
  EXPECT_EQ(g.GetGraphicHandle(1, 2), -1);  // another kind
  EXPECT_EQ(g.GetGraphicHandle(2, 2), -1);  // no graphic
}

TEST_F(ExtGridCellAccessTest, FilePicturesCountWhenSizing) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  const std::string path = (TestOutputFolder() / "cell.bmp").string();
  TBitmap(90, 40).SaveToFile(path);
  auto* picture = new TFilePicture;
  picture->SetFilename(path);
  TCellGraphic* cell = g.CreateCellGraphic(1, 1);
  cell->CellType = ctFilePicture;
  cell->CellObject1 = picture;
  cell->CellCreated = true;
  EXPECT_EQ(g.GetCellGraphicSize(1, 1), (TPoint{90, 40}));
  TPoint printed;
  g.GetCellGraphicPrintSize(1, 1, printed, 2.0, 300, 300);
  EXPECT_EQ(printed, (TPoint{45, 20}));
  const TPoint own = g.CellPictureSize(1, 1);
  EXPECT_EQ(own, (TPoint{90, 40}));
  g.AutoSizeCol(1);
  g.AutoSizeRow(1);
  EXPECT_GE(g.ColWidths(1), 90);
  EXPECT_GE(g.RowHeights(1), 40);
}

TEST_F(ExtGridCellAccessTest, AutoSizeSizesTheColumnsWithAMargin) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetCellText(1, 1, "a rather long text for its column");
  g.SetCellText(2, 1, "x");
  EXPECT_FALSE(g.AutoSize());
  const int fixedBefore = g.ColWidths(0);
  g.SetAutoSize(true);
  EXPECT_TRUE(g.AutoSize());
  g.AutoSizeCol(1);
  const int fitted = g.ColWidths(1);
  g.SetAutoSize(false);
  g.SetAutoSize(true);
  EXPECT_EQ(g.ColWidths(1), fitted + 10);
  EXPECT_GT(g.ColWidths(1), 64);
  EXPECT_EQ(g.ColWidths(0), fixedBefore);  // fixed columns keep their width
}

TEST_F(ExtGridCellAccessTest, MaxEditLengthReachesAShownEditor) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.SetMaxEditLength(3);
  g.SetFocus();
  backend->PressKey(VK_F2);
  ASSERT_NE(g.ExtInplaceEditor(), nullptr);
  EXPECT_EQ(g.ExtInplaceEditor()->LengthLimit, 3);
  g.SetMaxEditLength(5);
  EXPECT_EQ(g.ExtInplaceEditor()->LengthLimit, 5);
  backend->Type("abcdefg");
  EXPECT_EQ(g.ExtInplaceEditor()->Text(), "abcde");
}

TEST_F(ExtGridCellAccessTest, RowUnderTheFloatingFooterScrollsUp) {
  auto& g = MakeGrid<TExtStringGrid>(3, 30, 300, 200);
  g.FloatingFooter().SetFooterStyle(fsColumnPreview);
  g.FloatingFooter().SetVisible(true);
  Application->ProcessMessages();
  g.SetFocus();
  // The last row the footer leaves fully visible, then one row further.
  int row = g.TopRow();
  while (g.CellRect(0, row + 1).Bottom <= g.ClientHeight() - g.FloatingFooter().FooterHeight + 2) ++row;
  g.SetRow(row);
  EXPECT_EQ(g.TopRow(), 1);
  g.SetRow(row + 1);
  EXPECT_EQ(g.Row(), row + 1);
  const TRect target = g.CellRect(0, row + 1);
  EXPECT_GT(g.TopRow(), 1);
  EXPECT_LE(target.Bottom, g.ClientHeight() - g.FloatingFooter().FooterHeight + 2);
}

}  // namespace
