#include <gtest/gtest.h>

#include "GridFixture.h"
#include "grid/ExtGrid.h"

namespace {

class ExtGridCellsTest : public GridFormTest {
 protected:
  void SetUp() override {
    GridFormTest::SetUp();
    savedDecimal_ = DecimalSeparator;
    savedThousand_ = ThousandSeparator;
    DecimalSeparator = ',';
    ThousandSeparator = '.';
  }
  void TearDown() override {
    DecimalSeparator = savedDecimal_;
    ThousandSeparator = savedThousand_;
    GridFormTest::TearDown();
  }
  char savedDecimal_ = '.', savedThousand_ = ',';
};

TEST_F(ExtGridCellsTest, FloatsReadThroughTheLocaleOrRaise) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const Case cases[] = {
      {"", true, 0},
      {"1.234,50", true, 1234.5},
      {"-12,5", true, -12.5},
      {"(3,25)", true, -3.25},
      {"abc", false, 0},
      {"12,5abc", true, 12.5},
      {"   ", true, 0},
      {"7", true, 7},
      {"€ 1.000,00", true, 1000},
  };
  for (const Case& c : cases) {
    g.SetCellText(1, 1, c.text);
    if (c.ok) {
      EXPECT_DOUBLE_EQ(g.GetCellFloat(1, 1), c.value) << c.text;
    } else {
      EXPECT_EQ(ErrorOf<EExtGridError>([&] { g.GetCellFloat(1, 1); }), "Cell does not contain a float value")
          << c.text;
    }
  }
  g.SetCellFloat(1, 1, 1234.567);
  EXPECT_EQ(g.GetCellText(1, 1), "1234,57");
  g.FloatFormat = "%.3f";
  g.SetCellFloat(1, 1, -2.5);
  EXPECT_EQ(g.GetCellText(1, 1), "-2,500");
}

TEST_F(ExtGridCellsTest, IntegersAreTakenAsWritten) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  struct Case {
    const char* text;
    bool ok;
    int value;
  };
  for (const Case& c : {Case{"", true, 0}, Case{"42", true, 42}, Case{"-7", true, -7}, Case{" 12", false, 0},
                        Case{"12 ", false, 0}, Case{"1,5", false, 0}, Case{"x", false, 0}}) {
    g.SetCellText(2, 2, c.text);
    if (c.ok)
      EXPECT_EQ(g.GetCellInteger(2, 2), c.value) << c.text;
    else
      EXPECT_THROW(g.GetCellInteger(2, 2), EExtGridError) << c.text;
  }
  g.SetCellInteger(2, 2, -15);
  EXPECT_EQ(g.GetCellText(2, 2), "-15");
}

TEST_F(ExtGridCellsTest, DatesUseTheShortFormatAndMayHideZero) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  const AnsiString savedFormat = ShortDateFormat;
  const char savedSeparator = DateSeparator;
  ShortDateFormat = "dd/mm/yyyy";
  DateSeparator = '/';
  g.SetCellDate(1, 1, EncodeDate(2026, 12, 6));
  EXPECT_EQ(g.GetCellText(1, 1), "06/12/2026");
  g.ShowZeroDates = false;
  g.SetCellDate(1, 1, 0);
  EXPECT_EQ(g.GetCellText(1, 1), "");
  ShortDateFormat = savedFormat;
  DateSeparator = savedSeparator;
}

TEST_F(ExtGridCellsTest, MergedCellsReadValuesThroughTheirBase) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  g.MergeCells(1, 1, 2, 2);
  g.SetCellFloat(2, 2, 3.5);
  EXPECT_EQ(g.GetCellDirect(1, 1), "3,50");
  EXPECT_DOUBLE_EQ(g.GetCellFloat(1, 2), 3.5);
}

TEST(FitPictureInCell, SizesByModeInACellOf100x50WithMargin10) {
  struct Case {
    int mode;
    TPoint picture, expected;
  };
  const Case cases[] = {
      {1, {30, 20}, {90, 40}},  {2, {45, 10}, {90, 20}}, {2, {30, 80}, {15, 40}},     {2, {0, 20}, {90, 20}},
      {3, {120, 10}, {90, 40}}, {3, {30, 20}, {30, 20}}, {3, {30, 60}, {90, 40}},     {4, {30, 20}, {30, 20}},
      {4, {180, 20}, {90, 10}}, {4, {30, 80}, {15, 40}}, {0, {300, 200}, {300, 200}}, {7, {5, 6}, {5, 6}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FitPictureInCell(c.mode, 10, {100, 50}, c.picture), c.expected)
        << c.mode << " " << c.picture.X << "x" << c.picture.Y;
}

// A one-image 32-bit icon file of the given side.
std::string IconFile(int side) {
  auto put = [](std::string& out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  std::string image;
  put(image, 40, 4), put(image, side, 4), put(image, side * 2, 4), put(image, 1, 2), put(image, 32, 2);
  image.append(24, '\0');
  image.append(static_cast<size_t>(side * side * 4), '\x7F');
  image.append(static_cast<size_t>(side * ((side + 31) / 32) * 4), '\0');
  std::string file;
  put(file, 0, 2), put(file, 1, 2), put(file, 1, 2);
  file += static_cast<char>(side), file += static_cast<char>(side), file.append(2, '\0');
  put(file, 1, 2), put(file, 32, 2), put(file, static_cast<unsigned>(image.size()), 4), put(file, 22, 4);
  return file + image;
}

TEST_F(ExtGridCellsTest, PicturesIconsAndImageListsTakeTheirSizesBesideTheText) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  auto* images = new TImageList(form.get());
  images->SetSize(16, 12);
  for (int i = 0; i < 3; ++i) images->Add(TBitmap(16, 12));
  g.SetGridImages(images);
  g.SetColWidths(1, 100);
  g.SetRowHeights(1, 50);

  struct Case {
    TCellType type;
    const char* text;
    TCellHAlign align;
    bool boolean;
    TPoint screen, printed;  // printed for a cell of 200 × 100 at scale 2
  };
  const Case cases[] = {
      {ctBitmap, "", haLeft, false, {20, 10}, {20, 10}},
      {ctBitmap, "x", haLeft, false, {0, 10}, {20, 10}},  // drawn over the text
      {ctBitmap, "x", haBeforeText, false, {20, 10}, {20, 10}},
      {ctIcon, "x", haAfterText, false, {32, 32}, {32, 32}},
      {ctIcon, "x", haCenter, false, {0, 32}, {32, 32}},
      {ctImageList, "", haLeft, false, {16, 12}, {16, 12}},
      {ctImageList, "x", haLeft, false, {0, 12}, {0, 12}},
      {ctDataImage, "1", haLeft, false, {0, 12}, {16, 12}},
      {ctImages, "x", haLeft, true, {32, 12}, {32, 12}},
      {ctImages, "x", haLeft, false, {16, 24}, {16, 24}},
      // 60 × 30 fitted into 90 × 40 (height limits), printed into 190 × 90 / 2
      {ctPicture, "x", haLeft, false, {80, 40}, {90, 45}},
  };
  for (const Case& c : cases) {
    g.SetCellText(1, 1, c.text);
    TCellGraphic* graphic = g.CreateCellGraphic(1, 1);
    graphic->CellType = c.type;
    graphic->CellHAlign = c.align;
    graphic->CellBoolean = c.boolean;
    graphic->CellCreated = true;
    if (c.type == ctBitmap) graphic->CellBitmap = new TBitmap(20, 10);
    if (c.type == ctIcon) {
      graphic->CellIcon = new TIcon;
      graphic->CellIcon->LoadFromBytes(IconFile(32));
    }
    if (c.type == ctImages) {
      auto* list = new TCellIntList;
      list->List = {0, 2};
      graphic->CellObject1 = list;
    }
    if (c.type == ctPicture) {
      graphic->CellPicture = new TPicture;
      graphic->CellPicture->SetGraphic(std::make_unique<TBitmap>(60, 30));
      graphic->CellAngle = 2;
      graphic->CellIndex = 10;
    }
    EXPECT_EQ(g.GetCellGraphicSize(1, 1), c.screen) << c.type << " " << c.text << " " << c.align;
    TPoint printed;
    g.GetCellGraphicPrintSize(1, 1, printed, 2.0, 200, 100);
    if (c.type != ctPicture) g.GetCellGraphicPrintSize(1, 1, printed, 1.0, 200, 100);
    EXPECT_EQ(printed, c.printed) << c.type << " " << c.text << " " << c.align;
  }
  // Freeing the list leaves the grid without images, not with a dangling one.
  g.CreateCellGraphic(1, 1)->CellType = ctImageList;
  g.SetCellText(1, 1, "");
  delete images;
  EXPECT_EQ(g.GridImages(), nullptr);
  EXPECT_EQ(g.GetCellGraphicSize(1, 1), (TPoint{0, 0}));
}

TEST_F(ExtGridCellsTest, CheckBoxesAndRadiosToggle) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  g.AddCheckBox(1, 1, false, false);
  g.AddCheckBox(2, 1, true, true);  // data check box: its text is the state
  bool state = true;
  ASSERT_TRUE(g.GetCheckBoxState(1, 1, state));
  EXPECT_FALSE(state);
  ASSERT_TRUE(g.GetCheckBoxState(2, 1, state));
  EXPECT_TRUE(state);
  EXPECT_EQ(g.GetCellText(2, 1), "Y");
  EXPECT_TRUE(g.ToggleCheckBox(2, 1, false));
  EXPECT_EQ(g.GetCellText(2, 1), "N");
  EXPECT_TRUE(g.ToggleCheckBox(1, 1, false));
  ASSERT_TRUE(g.GetCheckBoxState(1, 1, state));
  EXPECT_TRUE(state);
  g.OnCanEditCell = [](TObject*, int, int, bool& can) { can = false; };
  EXPECT_FALSE(g.ToggleCheckBox(1, 1, true));
  g.OnCanEditCell = nullptr;
  EXPECT_FALSE(g.GetCheckBoxState(3, 3, state));  // no graphic
  EXPECT_EQ(g.GetCellType(3, 3), ctEmpty);
  EXPECT_TRUE(g.HasCheckBox(2, 1));
  EXPECT_EQ(g.GetCellGraphicSize(1, 1), (TPoint{15, 15}));

  TStringList choices;
  choices.Add("a");
  choices.Add("b");
  choices.Add("c");
  g.AddRadio(1, 2, false, choices, -1);  // a data radio: the text is the choice
  g.SetCellText(1, 2, "c");
  EXPECT_TRUE(g.ToggleRadio(1, 2, false));
  EXPECT_EQ(g.GetCellText(1, 2), "a");
  g.AddRadio(2, 2, true, choices, 1);
  EXPECT_TRUE(g.ToggleRadio(2, 2, false));
  int idx = -1;
  EXPECT_TRUE(g.GetRadioIdx(2, 2, idx));
  EXPECT_EQ(idx, 2);
  EXPECT_EQ(g.GetCellText(2, 2), "c");
  EXPECT_TRUE(g.HasCheckBoxOrRadio(2, 2));
  EXPECT_TRUE(g.RemoveCellGraphic(2, 2));
  EXPECT_FALSE(g.RemoveCellGraphic(2, 2));
}

TEST_F(ExtGridCellsTest, AGraphicLeavesTheCellTextAsItWas) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  g.SetCellText(1, 1, "text");
  g.AddComment(1, 1, "note");
  g.AddComment(2, 2, "empty cell");
  EXPECT_EQ(g.GetCellText(1, 1), "text");
  EXPECT_EQ(g.GetCellText(2, 2), "");
  AnsiString comment;
  EXPECT_TRUE(g.IsComment(2, 2, comment));
  EXPECT_EQ(comment, "empty cell");
  int from = -1, len = -1;
  g.GetCellError(3, 3, from, len);
  EXPECT_EQ(from, 0);
  EXPECT_EQ(len, 0);
}

TEST_F(ExtGridCellsTest, SelectionListsCheckTheirIndexAndGrowOnDemand) {
  auto& g = MakeGrid<TExtStringGrid>(4, 6);
  EXPECT_FALSE(g.RowSelect(5));
  EXPECT_EQ(g.RowSelectCount(), 6);
  EXPECT_EQ(ErrorOf<EExtGridError>([&] { g.RowSelect(6); }), "Invalid row accessed");
  EXPECT_EQ(ErrorOf<EExtGridError>([&] { g.SetColSelect(-1, true); }), "Invalid column accessed");
  g.SetSelection({1, 2, 2, 3});
  g.SetRowSelect(5, true);
  g.SelectToRowSelect(false);
  EXPECT_TRUE(g.RowSelect(2));
  EXPECT_TRUE(g.RowSelect(3));
  EXPECT_TRUE(g.RowSelect(5));
  g.SelectToRowSelect(true);
  EXPECT_FALSE(g.RowSelect(5));
  g.SelectToColSelect(true);
  EXPECT_TRUE(g.ColSelect(1));
  EXPECT_FALSE(g.ColSelect(3));
  g.ClearRowSelect();
  g.ClearColSelect();
  EXPECT_FALSE(g.RowSelect(2));
  EXPECT_FALSE(g.ColSelect(1));
}

TEST_F(ExtGridCellsTest, CellSelectionFollowsTheDisjunctListsWhenOn) {
  auto& g = MakeGrid<TExtStringGrid>(5, 5);
  g.SetSelection({1, 1, 2, 2});
  struct Case {
    bool rows, cols;
    int col, row;
    bool selected;
  };
  g.SetRowSelect(4, true);
  g.SetColSelect(3, true);
  const Case cases[] = {
      {false, false, 2, 2, true}, {false, false, 3, 3, false}, {false, false, 0, 1, false},
      {true, false, 1, 4, true},  {true, false, 1, 1, false},  {false, true, 3, 1, true},
      {true, true, 3, 1, false},  {true, true, 2, 4, true},
  };
  for (const Case& c : cases) {
    g.MouseActions().SetDisjunctRowSelect(c.rows);
    g.MouseActions().SetDisjunctColSelect(c.cols);
    EXPECT_EQ(g.IsCellSelected(c.col, c.row), c.selected) << c.rows << c.cols << " " << c.col << "," << c.row;
  }
}

TEST_F(ExtGridCellsTest, FilterHidesFailingRowsAndRestoresThemInOrder) {
  auto& g = MakeGrid<TExtStringGrid>(3, 8);
  const char* names[] = {"name", "alpha", "beta", "gamma", "alpaca", "delta", "alps", "omega"};
  for (int r = 0; r < 8; ++r) g.SetCellText(1, r, names[r]);
  TFilterData& f = g.Filter().Add();
  f.Column = 1;
  f.Condition = "al*";
  std::vector<int> progress;
  g.OnFilterProgress = [&](TObject*, SmallInt p) { progress.push_back(p); };
  g.SetFilterActive(true);
  ASSERT_EQ(g.RowCount(), 4);
  EXPECT_EQ(g.GetCellText(1, 1), "alpha");
  EXPECT_EQ(g.GetCellText(1, 2), "alpaca");
  EXPECT_EQ(g.GetCellText(1, 3), "alps");
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 100);
  g.SetFilterActive(false);
  ASSERT_EQ(g.RowCount(), 8);
  for (int r = 0; r < 8; ++r) EXPECT_EQ(g.GetCellText(1, r), names[r]);
}

TEST_F(ExtGridCellsTest, FilteringAwayEveryRowLeavesOneEmptyRow) {
  auto& g = MakeGrid<TExtStringGrid>(3, 5);
  for (int r = 1; r < 5; ++r) g.SetCellText(1, r, "x" + std::to_string(r));
  TFilterData& f = g.Filter().Add();
  f.Column = 1;
  f.Condition = "nothing";
  g.SetFilterActive(true);
  EXPECT_EQ(g.RowCount(), 2);
  EXPECT_EQ(g.FixedRows(), 1);
  EXPECT_EQ(g.GetCellText(1, 1), "");
  g.SetFilterActive(false);
  ASSERT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.FixedRows(), 1);
  for (int r = 1; r < 5; ++r) EXPECT_EQ(g.GetCellText(1, r), "x" + std::to_string(r));
}

TEST_F(ExtGridCellsTest, APlaceholderRowWithTextIsKeptWhenTheFilterGoesOff) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetCellText(1, 1, "a");
  g.SetCellText(1, 2, "b");
  TFilterData& f = g.Filter().Add();
  f.Column = 1;
  f.Condition = "z";
  g.SetFilterActive(true);
  g.SetCellText(1, 1, "typed");  // the user wrote into the placeholder
  g.SetFilterActive(false);
  ASSERT_EQ(g.RowCount(), 4);
  EXPECT_EQ(g.GetCellText(1, 1), "a");
  EXPECT_EQ(g.GetCellText(1, 2), "b");
  EXPECT_EQ(g.GetCellText(1, 3), "typed");
}

TEST_F(ExtGridCellsTest, HeadersAreWrittenIntoTheFixedCells) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  TStringList heads;
  heads.Add("Α/Α"_a);
  heads.Add("two\\nlines");
  g.SetColumnHeaders(heads);
  EXPECT_EQ(g.GetCellText(0, 0), "Α/Α"_a);
  EXPECT_EQ(g.GetCellText(1, 0), "two\rlines");
  g.RowHeaders().Add("r0");
  g.RowHeaders().Add("r1");
  EXPECT_EQ(g.GetCellText(0, 1), "r1");
}

TEST_F(ExtGridCellsTest, EditingRulesFollowOptionsMergesAndEvents) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  EXPECT_FALSE(g.CellEditable(1, 1));
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  EXPECT_TRUE(g.CellEditable(1, 1));
  EXPECT_FALSE(g.CellEditable(0, 1));  // fixed
  g.MergeCells(1, 1, 2, 1);
  EXPECT_FALSE(g.CellEditable(2, 1));  // covered
  std::vector<std::pair<int, int>> asked;
  g.OnCanEditCell = [&](TObject*, int row, int col, bool& can) {
    asked.emplace_back(col, row);
    can = false;
  };
  EXPECT_FALSE(g.CellEditable(1, 1));
  EXPECT_FALSE(g.CanEditCell(2, 1));
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1], std::make_pair(1, 1));  // asked for the base cell
  g.FixedRowAlways = true;
  bool fixed = false;
  g.IsFixedCell(2, 2, fixed);
  EXPECT_FALSE(fixed);
  g.OnIsFixedCell = [](TObject*, int row, int, bool& f) { f = row == 3; };
  fixed = false;
  g.IsFixedCell(2, 3, fixed);
  EXPECT_TRUE(fixed);
}

TEST_F(ExtGridCellsTest, AlignmentComesFromNumbersPropertiesAndTheEvent) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  g.SetCellText(1, 1, "12,5");
  g.SetCellText(2, 1, "text");
  TAlignment h;
  TVAlignment v;
  g.CellAlignment(1, 1, h, v);
  EXPECT_EQ(h, taLeftJustify);
  g.AutoNumAlign = true;
  g.CellAlignment(1, 1, h, v);
  EXPECT_EQ(h, taRightJustify);
  g.CellAlignment(2, 1, h, v);
  EXPECT_EQ(h, taLeftJustify);
  g.GetCellProperties(1, 1)->Alignment = taCenter;
  g.CellAlignment(1, 1, h, v);
  EXPECT_EQ(h, taCenter);
  g.OnGetAlignment = [](TObject*, int, int, TAlignment& ha, TVAlignment& va) {
    ha = taRightJustify;
    va = vtaBottom;
  };
  g.CellAlignment(2, 1, h, v);
  EXPECT_EQ(h, taRightJustify);
  EXPECT_EQ(v, vtaBottom);
}

}  // namespace
