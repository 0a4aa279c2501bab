#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "grid/ExtObj.h"
#include "platform/rtl/ClassesReader.h"
#include "platform/ui/Clipbrd.h"
#include "tests/TestOutput.h"

namespace {

std::string Bytes(TMemoryStream& m) {
  return std::string(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

std::string FromHex(const char* hex) {
  std::string out;
  for (const char* p = hex; p[0] && p[1]; p += 2)
    out += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
  return out;
}

// A 4 × 4 icon of 24 bits per pixel.
const char* const kIcon =
    "00000100010004040000010018006800000016000000280000000400000008000000010018000000000000000000000000000000"
    "000000000000000000000a141e0a141e0a141e0a141e0a141e0a141e0a141e0a141e0a141e0a141e0a141e0a141e0a141e0a141e"
    "0a141e0a141e80000000800000008000000080000000";

class GridCellStreamTest : public GridFormTest {
 protected:
  void SetUp() override {
    GridFormTest::SetUp();
    ui::ResetClipboard();
  }
  // Two grids on one form.
  TExtStringGrid& Second(int cols, int rows) {
    auto* g = new TExtStringGrid(form.get());
    g->SetBounds(10, 260, 400, 200);
    g->SetParent(form.get());
    g->SetColCount(cols);
    g->SetRowCount(rows);
    return *g;
  }
};

TEST_F(GridCellStreamTest, GoldenBytesOfTheRectangleAndACell) {
  auto& g = MakeGrid<TExtStringGrid>(6, 8);
  g.SetColWidths(3, 64);
  g.SetColWidths(4, 100);
  g.SetRowHeights(5, 24);
  g.SetCellText(3, 5, "ab");
  TMemoryStream m;
  g.SaveCellBlock(TGridRect{3, 5, 4, 5}, m);
  // The grid number depends on how many grids copied before: its value
  // type follows its size.
  const int gridId = g.GridID();
  // Who wrote it: this process, told apart from any other running copy.
  const std::string writer = TExtStringGrid::BlockWriter();
  ASSERT_LT(writer.size(), 256u);
  const std::string id =
      gridId < 128 ? std::string{'\x02', static_cast<char>(gridId)}
                   : std::string{'\x03', static_cast<char>(gridId & 0xFF), static_cast<char>(gridId >> 8)};
  // Each record: "TPF0", class, empty name, properties (name, value type,
  // value), end of properties, end of children.
  const std::string prop = std::string("TPF0\x0BTGridPropIO\x00", 17) +
                           std::string(
                               "\x08"
                               "ColCount\x02\x02",
                               11) +
                           std::string(
                               "\x08"
                               "RowCount\x02\x01",
                               11) +
                           std::string(
                               "\x09"
                               "ColWidths\x06\x06"
                               "64,100",
                               18) +
                           std::string(
                               "\x0A"
                               "RowHeights\x06\x02"
                               "24",
                               15) +
                           std::string(
                               "\x08"
                               "FullGrid\x08",
                               10) +
                           std::string(
                               "\x02"
                               "ID",
                               3) +
                           id +
                           std::string(
                               "\x04"
                               "Left\x02\x03",
                               7) +
                           std::string(
                               "\x03"
                               "Top\x02\x05",
                               6) +
                           std::string("\x06Writer\x06", 8) + static_cast<char>(writer.size()) + writer +
                           std::string("\x00\x00", 2);
  const std::string cell = std::string("TPF0\x0BTGridCellIO\x00", 17) +
                           std::string(
                               "\x03"
                               "Col\x02\x03",
                               6) +
                           std::string(
                               "\x03"
                               "Row\x02\x05",
                               6) +
                           std::string(
                               "\x04"
                               "Cell\x06\x02"
                               "ab",
                               9) +
                           std::string(
                               "\x07"
                               "HasProp\x08",
                               9) +
                           std::string("\x00\x00", 2);
  EXPECT_EQ(Bytes(m), prop + cell);

  // Rows past 32767 keep their number (a 32-bit value).
  g.SetRowCount(70001);
  g.SetCellText(1, 70000, "far");
  TMemoryStream far;
  g.SaveCellBlock(TGridRect{1, 70000, 1, 70000}, far);
  EXPECT_NE(Bytes(far).find(std::string("\x03"
                                        "Row\x04\x70\x11\x01\x00",
                                        8)),
            std::string::npos);
}

TEST_F(GridCellStreamTest, RoundTripCarriesPropertiesAndGraphics) {
  auto& a = MakeGrid<TExtStringGrid>(8, 8);
  auto& b = Second(4, 4);
  a.SetCellText(3, 5, "τρία"_a);
  TCellProperties* p = a.GetCellProperties(3, 5);
  p->FontSize = 14;
  p->SetBrushColor(clYellow);
  p->FontName = "Arial";
  p->Alignment = taRightJustify;
  auto* bmp = new TBitmap(3, 2);
  bmp->SetPixel(1, 1, clRed);
  TCellGraphic* g = a.CreateCellGraphic(4, 5);
  g->CellType = ctBitmap;
  g->CellBitmap = bmp;
  g->CellCreated = true;
  g->CellValue = 2.5;
  auto* icon = new TIcon;
  icon->LoadFromBytes(FromHex(kIcon));
  TCellGraphic* gi = a.CreateCellGraphic(3, 6);
  gi->CellType = ctIcon;
  gi->CellIcon = icon;
  gi->CellCreated = true;
  TStringList choices;
  choices.Add("ναι"_a);
  choices.Add("όχι"_a);
  a.AddRadio(4, 6, true, choices, 1);
  TCellGraphic* gs = a.CreateCellGraphic(5, 5);
  gs->CellType = ctImages;
  auto* images = new TCellIntList;
  images->List = {3, 1, 4};
  gs->CellObject1 = images;
  TCellGraphic* gp = a.CreateCellGraphic(5, 6);
  gp->CellType = ctPicture;
  gp->CellPicture = new TPicture;
  gp->CellPicture->Bitmap()->SetSize(2, 2);
  gp->CellCreated = true;
  // Not made by the grid: travels without its graphic.
  TBitmap foreign(1, 1);
  TCellGraphic* gf = a.CreateCellGraphic(3, 5);
  gf->CellType = ctBitmap;
  gf->CellBitmap = &foreign;

  TMemoryStream m;
  a.SaveCellBlock(TGridRect{3, 5, 5, 6}, m);
  m.SetPosition(0);
  const auto head = b.LoadCellBlock(TPoint{0, 0}, m);
  EXPECT_EQ(head.ColCount, 3);
  EXPECT_EQ(head.RowCount, 2);
  EXPECT_EQ(b.GetCellText(0, 0), "τρία"_a);
  ASSERT_NE(b.FindCellProperties(0, 0), nullptr);
  EXPECT_EQ(b.FindCellProperties(0, 0)->FontSize, 14);
  EXPECT_EQ(b.FindCellProperties(0, 0)->BrushColor(), clYellow);
  EXPECT_EQ(b.FindCellProperties(0, 0)->FontName, "Arial");
  EXPECT_EQ(b.FindCellProperties(0, 0)->Alignment, taRightJustify);
  EXPECT_EQ(b.GetCellGraphic(0, 0), nullptr);
  ASSERT_NE(b.GetCellGraphic(1, 0), nullptr);
  EXPECT_EQ(b.GetCellGraphic(1, 0)->CellBitmap->Pixel(1, 1), clRed);
  EXPECT_DOUBLE_EQ(b.GetCellGraphic(1, 0)->CellValue, 2.5);
  EXPECT_EQ(b.GetCellGraphic(0, 1)->CellIcon->Width(), 4);
  ASSERT_NE(b.GetRadioChoices(1, 1), nullptr);
  EXPECT_EQ(b.GetRadioChoices(1, 1)->Get(1), "όχι"_a);
  EXPECT_EQ(*b.GetImageIndexList(2, 0), (std::vector<int>{3, 1, 4}));
  EXPECT_EQ(b.GetCellGraphic(2, 1)->CellPicture->Width(), 2);
  a.RemoveCellGraphic(3, 5);
}

TEST_F(GridCellStreamTest, BlocksLandWhereTheyShould) {
  auto& a = MakeGrid<TExtStringGrid>(3, 40001);
  auto& b = Second(3, 3);
  for (int r = 1; r <= 40000; ++r) a.SetCellText(1, r, IntToStr(r));
  TMemoryStream m;
  a.SaveCellBlock(TGridRect{1, 1, 2, 40000}, m);
  m.SetPosition(0);
  b.LoadCellBlock(TPoint{1, 1}, m);
  EXPECT_EQ(b.RowCount(), 40001);
  EXPECT_EQ(b.GetCellText(1, 1), "1");
  EXPECT_EQ(b.GetCellText(1, 40000), "40000");

  // An empty top-left cell: the block still lands by its rectangle.
  auto& c = Second(4, 4);
  a.SetCellText(1, 1, "");
  TMemoryStream e;
  a.SaveCellBlock(TGridRect{1, 1, 1, 3}, e);
  e.SetPosition(0);
  c.LoadCellBlock(TPoint{2, 1}, e);
  EXPECT_EQ(c.GetCellText(2, 1), "");
  EXPECT_EQ(c.GetCellText(2, 2), "2");
  EXPECT_EQ(c.GetCellText(2, 3), "3");

  // A whole grid replaces the other grid, sizes and all.
  auto& w = Second(2, 2);
  w.SetColWidths(1, 33);
  w.SetCellText(1, 1, "w");
  TMemoryStream whole;
  w.SaveCellBlock(TGridRect{0, 0, 1, 1}, whole);
  whole.SetPosition(0);
  c.LoadCellBlock(TPoint{3, 3}, whole);
  EXPECT_EQ(c.ColCount(), 2);
  EXPECT_EQ(c.RowCount(), 2);
  EXPECT_EQ(c.ColWidths(1), 33);
  EXPECT_EQ(c.GetCellText(1, 1), "w");
}

TEST_F(GridCellStreamTest, ADamagedBlockChangesNothing) {
  auto& a = MakeGrid<TExtStringGrid>(4, 4);
  a.SetCellText(1, 1, "x");
  a.SetCellText(1, 2, "y");
  a.GetCellProperties(1, 2)->FontSize = 9;
  TMemoryStream m;
  a.SaveCellBlock(TGridRect{1, 1, 1, 2}, m);
  const std::string good = Bytes(m);
  auto& b = Second(3, 3);
  b.SetCellText(0, 0, "keep");
  for (size_t cut = 0; cut < good.size(); cut += 7) {
    std::string bad = good;
    if (cut % 2)
      bad.resize(cut);
    else
      bad[cut] = static_cast<char>(bad[cut] ^ 0x5A);
    TStringStream s{AnsiString(bad)};
    try {
      b.LoadCellBlock(TPoint{0, 0}, s);
    } catch (const EReadError&) {
      EXPECT_EQ(b.GetCellText(0, 0), "keep") << cut;
      EXPECT_EQ(b.RowCount(), 3) << cut;
    }
    b.SetCellText(0, 0, "keep");
  }
  // Trailing zero bytes end the block.
  TStringStream padded{AnsiString(good + std::string(16, '\0'))};
  b.LoadCellBlock(TPoint{0, 0}, padded);
  EXPECT_EQ(b.GetCellText(0, 1), "y");
  // A cell outside the rectangle it claims is refused.
  std::string outside = good;
  const size_t at =
      outside.find(std::string("\x03"
                               "Row\x02\x02",
                               6));
  ASSERT_NE(at, std::string::npos);
  outside[at + 5] = 9;
  TStringStream o{AnsiString(outside)};
  b.SetCellText(0, 0, "keep");
  EXPECT_THROW(b.LoadCellBlock(TPoint{0, 0}, o), EReadError);
  EXPECT_EQ(b.GetCellText(0, 0), "keep");
}

TEST_F(GridCellStreamTest, CountsAreBoundedAndNeverNegative) {
  MakeGrid<TExtStringGrid>(2, 2);  // the form that owns the grids below
  struct Case {
    const char* what;
    int cols, rows, left, top;
    bool good;
  };
  const Case cases[] = {
      {"a million rows", 1, 1000000, 0, 0, true},
      {"one row more", 1, 1000001, 0, 0, false},
      {"32767 columns", 32767, 1, 0, 0, true},
      {"one column more", 32768, 1, 0, 0, false},
      {"negative columns", -1, 1, 0, 0, false},
      {"negative rows", 1, -1, 0, 0, false},
      {"a negative left", 1, 1, -1, 0, false},
      {"a negative top", 1, 1, 0, -5, false},
      {"no rows", 1, 0, 0, 0, false},  // its one cell lies outside
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TMemoryStream m;
    {
      TComponentWriter w(m, "TGridPropIO");
      w.WriteInteger("ColCount", k.cols);
      w.WriteInteger("RowCount", k.rows);
      w.WriteBoolean("FullGrid", false);
      w.WriteInteger("ID", 0);
      w.WriteInteger("Left", k.left);
      w.WriteInteger("Top", k.top);
      w.End();
    }
    {
      TComponentWriter w(m, "TGridCellIO");
      w.WriteInteger("Col", k.left);
      w.WriteInteger("Row", k.top);
      w.WriteString("Cell", "v");
      w.WriteBoolean("HasProp", false);
      w.End();
    }
    m.SetPosition(0);
    auto& b = Second(3, 3);
    b.Navigation().AllowClipboardColGrow = false;
    b.Navigation().AllowClipboardRowGrow = false;
    if (k.good) {
      b.LoadCellBlock(TPoint{1, 1}, m);
      EXPECT_EQ(b.GetCellText(1, 1), "v");
    } else {
      EXPECT_THROW(b.LoadCellBlock(TPoint{1, 1}, m), EReadError);
      EXPECT_EQ(b.GetCellText(1, 1), "");
    }
    EXPECT_EQ(b.RowCount(), 3);
    EXPECT_EQ(b.ColCount(), 3);
  }
}

TEST_F(GridCellStreamTest, CellsPastAGridThatMayNotGrowAreDropped) {
  auto& a = MakeGrid<TExtStringGrid>(4, 4);
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 3; ++r) a.SetCellText(c, r, IntToStr(c * 10 + r));
  TMemoryStream m;
  a.SaveCellBlock(TGridRect{1, 1, 3, 3}, m);
  struct Case {
    bool colGrow, rowGrow;
    int cols, rows;
  };
  for (const Case& k : {Case{false, false, 3, 3}, Case{true, false, 4, 3}, Case{false, true, 3, 4}}) {
    SCOPED_TRACE(testing::Message() << k.colGrow << k.rowGrow);
    auto& b = Second(3, 3);
    b.Navigation().AllowClipboardColGrow = k.colGrow;
    b.Navigation().AllowClipboardRowGrow = k.rowGrow;
    m.SetPosition(0);
    b.LoadCellBlock(TPoint{1, 1}, m);
    EXPECT_EQ(b.ColCount(), k.cols);
    EXPECT_EQ(b.RowCount(), k.rows);
    EXPECT_EQ(b.GetCellText(1, 1), "11");
    EXPECT_EQ(b.GetCellText(2, 2), "22");
    if (k.colGrow) {
      EXPECT_EQ(b.GetCellText(3, 2), "32");
    }
    if (k.rowGrow) {
      EXPECT_EQ(b.GetCellText(2, 3), "23");
    }
  }
}

}  // namespace

TEST_F(GridCellStreamTest, AFilePictureTravelsByItsNameAndSize) {
  const std::filesystem::path file = TestOutputFolder() / "cellblock_file_picture.bmp";
  TBitmap red(6, 4);
  red.Canvas()->Brush->Color = clRed;
  red.Canvas()->FillRect(TRect{0, 0, 6, 4});
  red.SaveToFile(file.string());
  auto& a = MakeGrid<TExtStringGrid>(5, 5);
  auto attach = [&](int col, int row, TFilePicture* picture, bool created) {
    TCellGraphic* g = a.CreateCellGraphic(col, row);
    g->CellType = ctFilePicture;
    g->CellObject1 = picture;
    g->CellCreated = created;
    g->CellHAlign = haCenter;
  };
  auto* made = new TFilePicture;
  made->SetFilename(file.string());
  attach(1, 1, made, true);
  auto* gone = new TFilePicture;
  gone->Restore((TestOutputFolder() / "cellblock_gone.bmp").string(), 7, 9);
  attach(2, 1, gone, true);
  TFilePicture foreign;  // not the grid's: the cell travels without it
  foreign.SetFilename(file.string());
  attach(3, 1, &foreign, false);

  TMemoryStream m;
  a.SaveCellBlock(TGridRect{1, 1, 3, 1}, m);
  a.RemoveCellGraphic(3, 1);
  m.SetPosition(0);
  auto& b = Second(4, 4);
  b.LoadCellBlock(TPoint{0, 0}, m);

  const TCellGraphic* g = b.GetCellGraphic(0, 0);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->CellType, ctFilePicture);
  EXPECT_EQ(g->CellHAlign, haCenter);
  EXPECT_TRUE(g->CellCreated);
  const auto* pasted = dynamic_cast<const TFilePicture*>(g->CellObject1);
  ASSERT_NE(pasted, nullptr);
  ASSERT_NE(pasted, made);
  EXPECT_EQ(pasted->Filename(), file.string());
  EXPECT_EQ(pasted->Width, 6);
  EXPECT_EQ(pasted->Height, 4);
  TBitmap drawn(6, 4);
  pasted->Draw(*drawn.Canvas(), TRect{0, 0, 6, 4});
  EXPECT_EQ(drawn.Pixel(3, 2), clRed);
  // The file went away before the copy: the reference still lands.
  const auto* kept = dynamic_cast<const TFilePicture*>(b.GetCellGraphic(1, 0)->CellObject1);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->Width, 7);
  EXPECT_EQ(kept->Height, 9);
  EXPECT_EQ(b.GetCellGraphic(2, 0), nullptr);
}

TEST_F(GridCellStreamTest, AFilePictureNamingNoPlainFileIsRefused) {
  MakeGrid<TExtStringGrid>(2, 2);
  // A folder and a pipe of the test's own under picture names.
  const std::filesystem::path folder = TestOutputFolder() / "cellblock_folder.bmp";
  const std::filesystem::path pipe = TestOutputFolder() / "cellblock_pipe.bmp";
  std::filesystem::create_directories(folder);
  std::filesystem::remove(pipe);
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& name : {folder.string(), pipe.string()}) {
    SCOPED_TRACE(name);
    TMemoryStream m;
    {
      TComponentWriter w(m, "TGridPropIO");
      w.WriteInteger("ColCount", 1);
      w.WriteInteger("RowCount", 1);
      w.WriteBoolean("FullGrid", false);
      w.WriteInteger("ID", 0);
      w.End();
    }
    {
      TComponentWriter w(m, "TGridCellIO");
      w.WriteInteger("Col", 0);
      w.WriteInteger("Row", 0);
      w.WriteBoolean("HasProp", true);
      w.End();
    }
    {
      TComponentWriter w(m, "TGridCellPropIO");
      w.WriteBoolean("HasGraphic", true);
      w.End();
    }
    {
      TComponentWriter w(m, "TGridGraphicIO");
      w.WriteInteger("CellGraphic.CellType", ctFilePicture);
      w.End();
    }
    {
      TComponentWriter w(m, "TGridFilePicIO");
      w.WriteString("Picture.Filename", name);
      w.WriteInteger("Picture.Width", 1);
      w.WriteInteger("Picture.Height", 1);
      w.End();
    }
    m.SetPosition(0);
    auto& b = Second(3, 3);
    EXPECT_THROW(b.LoadCellBlock(TPoint{0, 0}, m), EReadError);
    EXPECT_EQ(b.GetCellGraphic(0, 0), nullptr);
  }
}
