// The grid's small objects: arrow windows and their shape, the caption
// button, the reporting integer list and the file picture.

#include <filesystem>

#include "GridFixture.h"
#include "grid/ExtObj.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "tests/TestOutput.h"

namespace {

struct ArrowCase {
  int direction;
  TRect box;
  TPoint inside, outside;
};

TEST(ArrowWindowShape, EachDirectionIsItsPolygon) {
  const ArrowCase cases[] = {
      {0, {0, 0, 10, 9}, {5, 1}, {1, 1}},
      {1, {1, 0, 9, 8}, {5, 6}, {1, 1}},
      {2, {0, 0, 8, 10}, {7, 5}, {1, 1}},  // the tip at (8,5)
      {3, {0, 0, 8, 10}, {1, 5}, {7, 1}},
  };
  for (const ArrowCase& c : cases) {
    const TRegion shape = CreatePolygonRgn(TArrowWindow::ArrowPolygon(c.direction), WINDING);
    EXPECT_EQ(RegionBox(shape), c.box) << c.direction;
    EXPECT_TRUE(PtInRegion(shape, c.inside.X, c.inside.Y)) << c.direction;
    EXPECT_FALSE(PtInRegion(shape, c.outside.X, c.outside.Y)) << c.direction;
  }
}

class ExtObjWindowTest : public GridFormTest {};

TEST_F(ExtObjWindowTest, AnArrowShowsAndTakesTheMouseOnlyInsideItsShape) {
  form.reset(NewForm<TForm>(nullptr));
  form->SetBounds(50, 50, 200, 150);
  form->SetColor(clWhite);
  auto* arrow = new TArrowWindow(form.get(), 2);
  arrow->SetBounds(20, 20, 8, 10);
  form->Show();
  arrow->Show();
  Application->ProcessMessages();
  EXPECT_EQ(form->ControlAtPos({27, 25}, true, true), arrow);
  EXPECT_EQ(form->ControlAtPos({21, 21}, true, true), nullptr);
  const TImageCanvas* image = backend->Render(*form);
  auto at = [&](int x, int y) {
    const TPoint screen = form->ClientToScreen({x, y});
    return image->Pixel(screen.X - form->Left(), screen.Y - form->Top());
  };
  EXPECT_EQ(at(21, 25), clLime);
  EXPECT_NE(at(21, 21), clLime);
  EXPECT_NE(at(27, 21), clLime);
}

TEST_F(ExtObjWindowTest, PopupButtonFrameAndCaption) {
  form.reset(NewForm<TForm>(nullptr));
  form->SetBounds(50, 50, 200, 150);
  auto* button = new TPopupButton(form.get());
  button->SetParent(form.get());
  button->SetBounds(10, 10, 80, 20);
  button->SetCaption("Στήλη"_a);
  form->Show();
  Application->ProcessMessages();
  for (bool flat : {false, true}) {
    button->SetFlat(flat);
    TRecordingCanvas canvas(80, 20);
    button->PaintTo(canvas, 0, 0);
    int texts = 0;
    for (const TDrawCall& c : canvas.CallsOf("DrawText"))
      texts += c.Text == "Στήλη"_a && (c.Flags & DT_CENTER);
    EXPECT_EQ(texts, 1);
    EXPECT_EQ(canvas.CallsOf("Polyline").empty(), flat);
  }
  EXPECT_FALSE(button->Enabled());
}

TEST(IntList, ChangesAndCommaText) {
  TIntList list(7, 9);
  int changes = 0;
  list.OnChange = [&](TObject*, int p1, int p2) {
    EXPECT_EQ(p1, 7);
    EXPECT_EQ(p2, 9);
    ++changes;
  };
  EXPECT_EQ(list.GetCommaText(), "");
  list.Add(1);
  list.Add(22);
  list.Insert(2, -3);  // no report
  EXPECT_EQ(list.GetCommaText(), "1,22,-3");
  EXPECT_EQ(changes, 2);
  list.SetCommaText("4,5");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(changes, 4);
  EXPECT_THROW(list.SetCommaText("1,x,3"), EConvertError);
  EXPECT_EQ(list.GetCommaText(), "1");
  list.SetInteger(0, 8);
  list.Delete(0);
  EXPECT_EQ(changes, 7);
  EXPECT_THROW(list.Delete(0), EListError);
}

TEST(FilePicture, SizeFromTheFileAndNothingDrawnWhenItIsGone) {
  const std::string path = TestOutput("extobj_picture.bmp");
  TBitmap bitmap(12, 7);
  bitmap.SaveToFile(path);
  TFilePicture picture;
  picture.SetFilename(path);
  EXPECT_EQ(picture.Width, 12);
  EXPECT_EQ(picture.Height, 7);
  TRecordingCanvas canvas(50, 50);
  picture.Draw(canvas, {0, 0, 24, 14});
  EXPECT_EQ(canvas.CallsOf("DrawPixels").size(), 1u);
  TFilePicture copy;
  copy.Assign(picture);
  EXPECT_EQ(copy.Filename(), path);
  std::filesystem::remove(path);
  canvas.Calls.clear();
  EXPECT_NO_THROW(copy.Draw(canvas, {0, 0, 24, 14}));
  EXPECT_TRUE(canvas.Calls.empty());
  EXPECT_THROW(copy.SetFilename(path), Exception);
  EXPECT_EQ(copy.Filename(), path);
}

}  // namespace
