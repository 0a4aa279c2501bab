// Pictures of painted grids for the review, and hostile cells that must
// paint without raising.

#include <filesystem>
#include <fstream>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "grid/ExtObj.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/ImgList.h"
#include "tests/TestOutput.h"

namespace {

void SavePng(TWinControl& control, const char* name) {
  TImageCanvas image(control.Width(), control.Height());
  control.PaintTo(image, 0, 0);
  const std::filesystem::path path = TestOutputFolder() / name;
  image.SaveToPng(path.string());
  EXPECT_GT(std::filesystem::file_size(path), 1000u) << path;
}

class GridGalleryTest : public GridFormTest {};

TEST_F(GridGalleryTest, GalleryOfEveryLook) {
  TExtStringGrid& g = MakeGrid<TExtStringGrid>(9, 16, 900, 560);
  g.SetDefaultRowHeight(30);
  for (int c = 0; c < 9; ++c) g.SetColWidths(c, 96);
  const AnsiString heads[] = {
      "Κόμβοι"_a, "Έλεγχος"_a,    "Επιλογή"_a, "Πρόοδος"_a, "<b>HTML</b> <i>κείμενο</i>"_a,
      "Κουμπί"_a, "Ταξινόμηση"_a, "Γωνία"_a,   "Σχόλιο"_a};
  for (int c = 0; c < 9; ++c) g.SetCells(c, 0, heads[c]);
  g.SortSettings().Show = true;
  g.SortSettings().Column = 6;
  g.Bands().SetActive(true);
  g.CellNode().SetShowTree(true);
  g.AddNode(1, 4);
  g.AddNode(5, 3);
  g.CommentColor = clRed;
  TStringList choices;
  choices.Add("Ναι"_a);
  choices.Add("Όχι"_a);
  for (int r = 1; r < 16; ++r) {
    g.SetCells(0, r, "Γραμμή "_a + IntToStr(r));
    g.SetCells(6, r, IntToStr(1000 - r * 37));
    g.SetCells(8, r, "σημείωση"_a);
    g.AddComment(8, r, "σχόλιο"_a);
  }
  const TCellControlStyle styles[] = {csClassic, csFlat, csWinXP, csDunmare, csQir, csGlyph, csTheme};
  for (int r = 1; r <= 7; ++r) {
    g.AddCheckBox(1, r, r % 2 == 1, false);
    g.SetCells(1, r, "στυλ "_a + IntToStr(r - 1));
  }
  g.ControlLook().SetControlStyle(csDunmare);
  (void)styles;
  g.AddRadio(2, 1, false, choices, 0);
  g.AddRadio(2, 3, true, choices, -1);
  g.SetCells(2, 3, "Όχι"_a);
  for (int r = 1; r <= 4; ++r) {
    g.SetCells(3, r, IntToStr(r * 25 - 10));
    TCellGraphic* p = g.CreateCellGraphic(3, r);
    p->CellType = ctProgress;
    p->ProgressColor = clNavy;
  }
  TCellGraphic* pie = g.CreateCellGraphic(3, 5);
  pie->CellType = ctProgressPie;
  pie->CellAngle = 70;
  g.SetCells(4, 1, "<font color=\"clRed\">κόκκινο</font> και <u>υπογράμμιση</u>"_a);
  g.SetCells(4, 2, "<b>Σύνολο:</b> 1.234,56 €"_a);
  TCellGraphic* button = g.CreateCellGraphic(5, 2);
  button->CellType = ctButton;
  button->CellIndex = (20 << 16) | 70;
  button->CellText = "Άνοιγμα"_a;
  button->CellHAlign = haCenter;
  button->CellVAlign = vaCenter;
  for (int r = 1; r <= 3; ++r) {
    g.SetCells(7, r, "Κλίση"_a);
    TCellGraphic* rot = g.CreateCellGraphic(7, r);
    rot->CellType = ctRotated;
    rot->CellAngle = r * 30;
  }
  // Image list pictures, data images, a row of images and a bitmap.
  TImageList images(nullptr);
  TBitmap strip(48, 16);
  const TColor colours[] = {clRed, clGreen, clBlue};
  for (int x = 0; x < 48; ++x)
    for (int y = 2; y < 14; ++y) strip.SetPixel(x, y, colours[x / 16]);
  images.Add(strip);
  g.SetGridImages(&images);
  for (int r = 4; r <= 6; ++r) {
    TCellGraphic* image = g.CreateCellGraphic(5, r);
    image->CellType = r == 6 ? ctImages : ctImageList;
    image->CellIndex = r - 4;
    if (r == 6) {
      auto* list = new TCellIntList;
      list->List = {0, 1, 2};
      image->CellObject1 = list;
      image->CellBoolean = true;
    }
    g.SetCells(5, r, "εικόνα"_a);
  }
  g.SetCells(5, 7, "2");
  g.CreateCellGraphic(5, 7)->CellType = ctDataImage;
  TCellGraphic* bitmap = g.CreateCellGraphic(7, 5);
  bitmap->CellType = ctBitmap;
  bitmap->CellBitmap = new TBitmap(24, 12);
  bitmap->CellCreated = true;
  bitmap->CellHAlign = haCenter;
  bitmap->CellVAlign = vaCenter;
  g.SetSelectionRectangle(true);
  g.SetSelectionResizer(true);
  g.SetSelection({4, 8, 6, 11});
  SavePng(g, "grid_gallery.png");
  g.SetGridImages(nullptr);

  // The check styles, checked and not, enabled and not, side by side.
  TImageCanvas checks(7 * 40, 4 * 24);
  checks.Brush->Color = clWhite;
  checks.FillRect({0, 0, checks.Width(), checks.Height()});
  for (int s = 0; s < 7; ++s)
    for (int v = 0; v < 4; ++v)
      g.DrawCheck(checks, Bounds(s * 40 + 10, v * 24 + 4, 15, 15), v % 2 == 1, v < 2, styles[s]);
  checks.SaveToPng((TestOutputFolder() / "grid_check_styles.png").string());

  for (TGridLook look : {glClassic, glSoft, glQir}) {
    TExtStringGrid& l = MakeGrid<TExtStringGrid>(4, 5, 300, 120);
    l.SetLook(look);
    l.SetOptions(l.Options() + TGridOptions{goFixedHorzLine, goFixedVertLine});
    for (int c = 0; c < 4; ++c) l.SetCells(c, 0, "Στήλη "_a + IntToStr(c));
    const char* names[] = {"grid_look_classic.png", "grid_look_soft.png", "grid_look_qir.png"};
    SavePng(l, names[look == glClassic ? 0 : look == glSoft ? 1 : 2]);
  }
}

TEST_F(GridGalleryTest, BudgetLikeGrid) {
  TExtStringGrid& g = MakeGrid<TExtStringGrid>(10, 40, 980, 600);
  g.Bands().SetActive(true);
  g.SetFixedFooters(1);
  for (int r = 1; r < 40; ++r) {
    g.SetCells(0, r, IntToStr(r));
    g.SetCells(1, r, "Εργασία κατηγορίας "_a + IntToStr(r % 7 + 1));
    for (int c = 2; c < 10; ++c) g.SetCells(c, r, "1.234,5" + IntToStr(c));
  }
  g.SetCells(1, 39, "Σύνολο"_a);
  g.SetSelection({2, 4, 4, 7});
  SavePng(g, "grid_budget.png");
}

// Cells whose texts or graphics are damaged paint without an exception.
TEST_F(GridGalleryTest, HostileCells) {
  TExtStringGrid& g = MakeGrid<TExtStringGrid>(4, 8);
  g.SetCells(1, 1, "abc");
  g.CreateCellGraphic(1, 1)->CellType = ctProgress;
  g.SetCells(2, 1, "x");
  g.CreateCellGraphic(2, 1)->CellType = ctDataImage;
  g.SetCells(3, 1, "1-2");
  g.OnGetFloatFormat = [](TObject*, int, int, bool& isFloat, AnsiString&) { isFloat = true; };
  // A file picture whose file went away, and one whose file no longer reads.
  const std::filesystem::path gone = TestOutputFolder() / "hostile_gone.bmp";
  const std::filesystem::path broken = TestOutputFolder() / "hostile_broken.bmp";
  for (const auto& path : {gone, broken}) {
    TBitmap(5, 5).SaveToFile(path.string());
    auto* picture = new TFilePicture;
    picture->SetFilename(path.string());
    TCellGraphic* cell = g.CreateCellGraphic(path == gone ? 1 : 2, 2);
    cell->CellType = ctFilePicture;
    cell->CellObject1 = picture;
    cell->CellCreated = true;
  }
  std::filesystem::remove(gone);
  std::ofstream(broken, std::ios::binary | std::ios::trunc) << "BM not a bitmap";
  // The mini-HTML fuzz corpus, one input per cell.
  std::vector<AnsiString> inputs;
  for (const char* corpus : {"grid_htmldraw", "grid_html_text"})
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(DIM_TEST_DATA) + "/../../fuzz/corpus/" + corpus)) {
      std::ifstream in(entry.path(), std::ios::binary);
      inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  ASSERT_FALSE(inputs.empty());
  TRecordingCanvas canvas(400, 300);
  for (const AnsiString& text : inputs) {
    g.SetCells(1, 3, text);
    for (int c = 1; c < 4; ++c)
      for (int r = 1; r < 4; ++r) EXPECT_NO_THROW(g.DrawCellContent(canvas, c, r, g.CellRect(c, r), {}));
    TPoint size;
    EXPECT_NO_THROW(g.GetCellTextSize(1, 3, false, size));
  }
  std::filesystem::remove(broken);
}

}  // namespace
