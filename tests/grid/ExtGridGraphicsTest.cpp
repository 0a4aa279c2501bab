// Cell graphics on a recording canvas and the measured size of cells.

#include <cmath>

#include "CellPaintFixture.h"
#include "grid/ExtGrid.h"
#include "platform/gfx/FrameControls.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/ImgList.h"

namespace {

const TRect kCell{100, 50, 180, 90};
// Graphics are placed in the cell grown by the 1 pixel its borders take.
const TRect kOuter{99, 49, 181, 91};

class GridGraphicsTest : public CellPaintTest {
 protected:
  GridGraphicsTest() : CellPaintTest(kCell) {}
  size_t Count(const char* op) const { return canvas->CallsOf(op).size(); }
  TPoint SizeOf(int col, int row, bool fit = false) {
    TPoint size;
    grid->GetCellTextSize(col, row, fit, size);
    return size;
  }
};

struct CheckCase {
  TCellControlStyle style;
  const char* op;  // the call that draws the box; null: nothing
};

TEST_F(GridGraphicsTest, CheckStylesCheckedAndEnabled) {
  TBitmap glyph(8, 8);
  grid->ControlLook().SetCheckedGlyph(glyph);
  grid->ControlLook().SetUnCheckedGlyph(glyph);
  const CheckCase cases[] = {{csClassic, "DrawFrameControl"}, {csFlat, "DrawFrameControl"},
                             {csWinXP, "DrawPixels"},         {csQir, "DrawPixels"},
                             {csDunmare, "FillRect"},         {csGlyph, "DrawPixels"},
                             {csTheme, "DrawPixels"}};  // the XP pictures without a theme
  for (const CheckCase& c : cases)
    for (bool checked : {false, true})
      for (bool enabled : {false, true}) {
        SCOPED_TRACE(testing::Message() << c.style << checked << enabled);
        canvas = std::make_unique<TRecordingCanvas>(100, 100);
        canvas->Brush->Color = clWhite;
        grid->DrawCheck(*canvas, Rect(10, 10, 25, 25), checked, enabled, c.style);
        if (!c.op) {
          EXPECT_TRUE(canvas->Calls.empty());
          continue;
        }
        ASSERT_FALSE(canvas->CallsOf(c.op).empty());
        if (c.style == csClassic || c.style == csFlat) {
          const unsigned state = static_cast<unsigned>(canvas->CallsOf(c.op)[0].Args[5]);
          EXPECT_EQ((state & DFCS_CHECKED) != 0, checked);
          EXPECT_EQ((state & DFCS_INACTIVE) != 0, !enabled);
          EXPECT_EQ((state & DFCS_FLAT) != 0, c.style == csFlat);
        }
        if (c.style == csDunmare) {
          EXPECT_EQ(Count("Polyline"), checked ? 8u : 4u);
        }
      }
}

TEST_F(GridGraphicsTest, CheckBoxRefusedByCanEditIsDisabled) {
  grid->AddCheckBox(1, 1, true, false);
  grid->OnCanEditCell = [](TObject*, int, int, bool& can) { can = false; };
  Paint(1, 1);
  const auto frames = canvas->CallsOf("DrawFrameControl");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_TRUE(frames[0].Args[5] & DFCS_INACTIVE);
  EXPECT_TRUE(frames[0].Args[5] & DFCS_CHECKED);
}

TEST_F(GridGraphicsTest, RadioGroups) {
  TStringList choices;
  choices.Add("one");
  choices.Add("two");
  choices.Add("three");
  grid->SetCells(1, 1, "two");
  grid->AddRadio(1, 1, false, choices, -1);
  Paint(1, 1);
  auto frames = canvas->CallsOf("DrawFrameControl");
  ASSERT_EQ(frames.size(), 3u);
  const int line = canvas->TextHeight("gh");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(frames[i].Args[0], kOuter.Left + 2);
    EXPECT_EQ(frames[i].Args[1], kOuter.Top + 2 + i * line);
    EXPECT_EQ((frames[i].Args[5] & DFCS_CHECKED) != 0, i == 1);  // index -1: the cell text
  }
  grid->AddRadio(2, 1, true, choices, 2);
  Paint(2, 1);
  frames = canvas->CallsOf("DrawFrameControl");
  ASSERT_EQ(frames.size(), 3u);
  const int size = grid->ControlLook().RadioSize();
  EXPECT_EQ(frames[1].Args[0], kOuter.Left + 2 + size + canvas->TextWidth("one"));
  EXPECT_EQ(frames[0].Args[1], frames[2].Args[1]);
  EXPECT_TRUE(frames[2].Args[5] & DFCS_CHECKED);
}

TEST_F(GridGraphicsTest, ProgressSplitsItsText) {
  grid->SetCells(1, 1, "25");
  TCellGraphic* g = grid->CreateCellGraphic(1, 1);
  g->CellType = ctProgress;
  g->ProgressColor = clBlue;
  g->ProgressBackColor = clWhite;
  Paint(1, 1);
  const auto texts = canvas->CallsOf("ExtTextOut");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Text, "25%");
  EXPECT_EQ(texts[0].Font.Color, static_cast<TColor>(0x00FFFF));  // blue inverted
  EXPECT_EQ(texts[1].Font.Color, clBlack);
  const int bar = kOuter.Right - kOuter.Left - 4;
  bool done = false;
  for (const TDrawCall& c : canvas->CallsOf("FillRect"))
    done = done || (c.Brush.Color == clBlue &&
                    c.Args[2] - c.Args[0] == static_cast<int>(std::lround(25.0 * bar / 100)));
  EXPECT_TRUE(done);
}

TEST_F(GridGraphicsTest, ButtonPlaceIsReadBack) {
  TCellGraphic* g = grid->CreateCellGraphic(2, 2);
  g->CellType = ctButton;
  g->CellIndex = (16 << 16) | 30;
  g->CellHAlign = haRight;
  g->CellVAlign = vaCenter;
  g->CellText = "Go";
  const TRect cell = grid->CellRect(2, 2);
  canvas = std::make_unique<TRecordingCanvas>(400, 300);
  grid->DrawCellContent(*canvas, 2, 2, cell, {});
  const auto frames = canvas->CallsOf("DrawFrameControl");
  ASSERT_EQ(frames.size(), 1u);
  const TRect read = grid->GetButtonRect(2, 2);
  EXPECT_EQ(read, Rect(frames[0].Args[0], frames[0].Args[1], frames[0].Args[2], frames[0].Args[3]));
  EXPECT_EQ(read.Right, cell.Right + 1 - 1);
}

TEST_F(GridGraphicsTest, NodesInFourStyles) {
  grid->SetFixedCols(0);
  grid->AddNode(1, 2);
  const struct {
    TNodeType type;
    const char* op;
  } cases[] = {{cnFlat, "Rectangle"}, {cn3D, "DrawEdge"}, {cnGlyph, "Rectangle"}, {cnLeaf, "DrawPixels"}};
  for (const auto& c : cases) {
    grid->CellNode().SetNodeType(c.type);
    Paint(0, 1);
    EXPECT_EQ(Count(c.op), 1u) << c.type;
  }
  grid->CellNode().SetNodeType(cnFlat);
  Paint(0, 1);
  EXPECT_EQ(Count("Polyline"), 1u);  // expanded: a minus
  grid->ContractNode(1);
  Paint(0, 1);
  EXPECT_EQ(Count("Polyline"), 2u);  // contracted: a plus
}

struct PlaceCase {
  TCellHAlign h;
  TCellVAlign v;
  int x, y;
};

// A 10 × 10 bitmap in the 82 × 42 cell (kOuter), the text left-aligned.
TEST_F(GridGraphicsTest, EveryPlacement) {
  grid->SetCells(1, 1, "ab");
  TCellGraphic* g = grid->CreateCellGraphic(1, 1);
  g->CellType = ctBitmap;
  g->CellBitmap = new TBitmap(10, 10);
  g->CellCreated = true;
  const PlaceCase cases[] = {
      {haLeft, vaTop, kOuter.Left + 1, kOuter.Top + 1},
      {haRight, vaBottom, kOuter.Right - 11, kOuter.Bottom - 11},
      {haCenter, vaCenter, kOuter.Left + 36, kOuter.Top + 16},
      {haBeforeText, vaAboveText, kOuter.Left + 1, kOuter.Top + 1},
      {haLeft, vaUnderText, kOuter.Left + 1, kOuter.Bottom - 10},
      {haFull, vaFull, kOuter.Left, kOuter.Top},
  };
  for (const PlaceCase& c : cases) {
    g->CellHAlign = c.h;
    g->CellVAlign = c.v;
    Paint(1, 1);
    const auto pixels = canvas->CallsOf("DrawPixels");
    ASSERT_EQ(pixels.size(), 1u);
    EXPECT_EQ(pixels[0].Args[0], c.x) << c.h << "," << c.v;
    EXPECT_EQ(pixels[0].Args[1], c.y) << c.h << "," << c.v;
  }
  // Wider than the cell, centred: at the left.
  g->CellBitmap->SetSize(200, 10);
  g->CellHAlign = haCenter;
  Paint(1, 1);
  EXPECT_EQ(canvas->CallsOf("DrawPixels")[0].Args[0], kOuter.Left + 1);
  g->CellBitmap->SetSize(10, 10);
  // After the text: right after the measured text (its width + 2) and the margin.
  g->CellHAlign = haAfterText;
  Paint(1, 1);
  const auto measured = canvas->CallsOf("DrawText");
  ASSERT_FALSE(measured.empty());
  TRecordingCanvas c;
  c.Font->Assign(measured[0].Font);
  const int width = c.TextWidth("ab") + 2;
  EXPECT_EQ(canvas->CallsOf("DrawPixels")[0].Args[0], kOuter.Left + grid->XYOffset.X + width);
}

TEST_F(GridGraphicsTest, ImageKinds) {
  TImageList images(nullptr);
  images.SetSize(8, 8);
  images.Add(TBitmap(24, 8));  // three pictures
  grid->SetGridImages(&images);
  const struct {
    TCellType type;
    AnsiString text;
    int index;
    size_t drawn;
  } cases[] = {
      {ctImageList, "", 2, 1},  {ctImageList, "", 3, 0},  {ctDataImage, "1", 1, 1},
      {ctDataImage, "2", 1, 0}, {ctDataImage, "x", 0, 0}, {ctImages, "", 0, 3},
  };
  for (const auto& c : cases) {
    grid->SetCells(1, 1, c.text);
    TCellGraphic* g = grid->CreateCellGraphic(1, 1);
    g->CellType = c.type;
    g->CellIndex = c.index;
    if (c.type == ctImages) {
      auto* list = new TCellIntList;
      list->List = {0, 1, 2};
      g->CellObject1 = list;
      g->CellBoolean = true;
    }
    Paint(1, 1);
    EXPECT_EQ(Count("DrawPixels"), c.drawn) << c.type << " " << c.index;
    grid->RemoveCellGraphic(1, 1);
  }
  grid->SetGridImages(nullptr);
}

// ---- measuring ----

TEST_F(GridGraphicsTest, NaturalSizes) {
  TRecordingCanvas c;
  c.Font->Assign(grid->Font());
  const int gh = c.TextHeight("gh"), h = grid->XYOffset.X, v = grid->XYOffset.Y;
  EXPECT_EQ(SizeOf(1, 1), (TPoint{2 * h, gh + 2 * v}));
  grid->SetCells(1, 1, "a\r\nbb");
  EXPECT_EQ(SizeOf(1, 1), (TPoint{c.TextWidth("a") + 2 * h, gh + 2 * v}));
  grid->Multilinecells = true;
  EXPECT_EQ(SizeOf(1, 1), (TPoint{c.TextWidth("bb") + 2 * h, 2 * gh + 2 * v}));
  grid->SetURLShow(true);
  grid->SetCells(2, 1, "http://x.gr");
  EXPECT_EQ(SizeOf(2, 1).X, c.TextWidth("x.gr") + 2 * h);
}

TEST_F(GridGraphicsTest, RotatedSizes) {
  grid->SetCells(1, 1, "rotated");
  const TPoint plain = SizeOf(1, 1);
  TCellGraphic* g = grid->CreateCellGraphic(1, 1);
  g->CellType = ctRotated;
  const struct {
    int angle;
    TPoint expected;
  } cases[] = {
      {0, {plain.X + 12, plain.Y + 12}},
      {90, {plain.Y + 12, plain.X + 12}},
      {45,
       {static_cast<int>(plain.Y * std::sqrt(0.5L)) + static_cast<int>(plain.X * std::sqrt(0.5L)) + 12,
        static_cast<int>(plain.Y * std::sqrt(0.5L)) + static_cast<int>(plain.X * std::sqrt(0.5L)) + 12}},
  };
  for (const auto& c : cases) {
    g->CellAngle = c.angle;
    EXPECT_EQ(SizeOf(1, 1), c.expected) << c.angle;
  }
}

TEST_F(GridGraphicsTest, FittedAndHtmlSizes) {
  grid->SetColWidths(1, 40);
  grid->SetCells(1, 1, "a long text that wraps over several lines");
  const TPoint fitted = SizeOf(1, 1, true);
  EXPECT_EQ(fitted.X, 40 - 2);
  TRecordingCanvas c;
  c.Font->Assign(grid->Font());
  EXPECT_GT(fitted.Y, 3 * c.TextHeight("gh"));
  grid->SetCells(2, 1, "<b>bold</b>");
  const TPoint html = SizeOf(2, 1);
  c.Font->Style = fsBold;
  EXPECT_NEAR(html.X, c.TextWidth("bold") + 2 + 2 * grid->XYOffset.X, 2);
}

}  // namespace
