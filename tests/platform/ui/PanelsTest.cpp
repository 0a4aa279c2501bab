#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/Panels.h"

namespace {

using PanelsTest = ControlsTest;

TEST_F(PanelsTest, PanelDrawsItsBevelsAndCaptionWithTabsExpanded) {
  auto* panel = Add<TPanel>(10, 10, 200, 40);
  panel->SetCaption("Σύνολο\t12"_a);
  ShowForm();
  EXPECT_EQ(PixelOf(*panel, 0, 20), ColorToRGB(clBtnHighlight));  // raised
  EXPECT_EQ(PixelOf(*panel, 199, 20), ColorToRGB(clBtnShadow));
  auto drawn = Record(*panel);
  const auto texts = drawn->CallsOf("DrawText");
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back().Text, "Σύνολο\t12"_a);
  EXPECT_TRUE(texts.back().Flags & DT_EXPANDTABS);
  EXPECT_TRUE(texts.back().Flags & DT_CENTER);
  panel->SetBevelOuter(bvLowered);
  Application->ProcessMessages();
  EXPECT_EQ(PixelOf(*panel, 0, 20), ColorToRGB(clBtnShadow));
}

TEST_F(PanelsTest, AlignedChildrenStayInsideThePanelsBevels) {
  auto* panel = Add<TPanel>(10, 10, 200, 100);
  panel->SetBevelInner(bvLowered);
  panel->SetBorderWidth(3);
  auto* child = Add<TPanel>(0, 0, 10, 10, panel);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), Rect(5, 5, 195, 95));
  panel->SetBevelOuter(bvNone);
  EXPECT_EQ(child->BoundsRect(), Rect(4, 4, 196, 96));
}

TEST_F(PanelsTest, BevelLinesAndShapesDrawWhereTheyShould) {
  auto* bevel = Add<TBevel>(10, 10, 100, 20);
  bevel->SetShape(bsTopLine);
  auto* shape = Add<TShape>(150, 10, 60, 40);
  shape->SetShape(stCircle);
  TBrush red;
  red.Color = clRed;
  shape->SetBrush(red);
  ShowForm();
  EXPECT_EQ(PixelOf(*bevel, 50, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(PixelOf(*bevel, 50, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(PixelOf(*bevel, 50, 10), ColorToRGB(clBtnFace));
  EXPECT_EQ(PixelOf(*shape, 30, 20), ColorToRGB(clRed));
  EXPECT_EQ(PixelOf(*shape, 3, 20), ColorToRGB(clBtnFace));  // a circle of 40 in the middle
  const auto ellipses = Record(*Form)->CallsOf("Ellipse");
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0].Args, (std::vector<int>{160, 10, 200, 50}));
}

TEST_F(PanelsTest, ImageStretchesCentresAndKeepsProportions) {
  auto* image = Add<TImage>(10, 10, 100, 50);
  auto bitmap = std::make_unique<TBitmap>(20, 10);
  image->Picture().SetGraphic(std::move(bitmap));
  image->PictureChanged();
  EXPECT_EQ(image->DestRect(), Rect(0, 0, 20, 10));
  image->SetCenter(true);
  EXPECT_EQ(image->DestRect(), Rect(40, 20, 60, 30));
  image->SetStretch(true);
  EXPECT_EQ(image->DestRect(), Rect(0, 0, 100, 50));
  image->SetProportional(true);
  image->SetHeight(30);
  EXPECT_EQ(image->DestRect(), Rect(20, 0, 80, 30));
  image->SetAutoSize(true);
  EXPECT_EQ(image->Width(), 20);
  EXPECT_EQ(image->Height(), 10);
}

TEST_F(PanelsTest, RadioGroupArrowKeysMoveTheCheckAndRunOnClick) {
  auto* group = Add<TRadioGroup>(10, 10, 200, 110);
  group->SetCaption("Στρογγυλοποίηση"_a);
  for (const char* s : {"Καμία", "Μονάδες", "Δεκάδες", "Εκατοντάδες"})
    group->Items()->Add(cp1253::FromUtf8(s));
  std::vector<int> clicks;
  group->OnClick = [&](TObject*) { clicks.push_back(group->ItemIndex()); };
  group->SetItemIndex(1);  // in code too, as the class library does
  ShowForm();
  ASSERT_TRUE(group->Buttons(1)->Focused());
  backend->PressKey(VK_DOWN);
  backend->PressKey(VK_DOWN);
  backend->PressKey(VK_UP);
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_TRUE(group->Buttons(2)->Checked());
  EXPECT_FALSE(group->Buttons(3)->Checked());
  EXPECT_EQ(clicks, (std::vector<int>{1, 2, 3, 2}));
  backend->Click(*group->Buttons(0), 5, 5);
  EXPECT_EQ(group->ItemIndex(), 0);
  group->SetItemIndex(-1);
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_FALSE(group->Buttons(0)->Checked());
  group->Items()->Delete(3);
  EXPECT_EQ(group->ControlCount(), 3);
}

TEST_F(PanelsTest, RadioGroupColumnsSpreadTheButtons) {
  auto* group = Add<TRadioGroup>(10, 10, 210, 80);
  for (int i = 0; i < 5; ++i) group->Items()->Add("Στήλη "_a + IntToStr(i));
  group->SetColumns(2);
  EXPECT_EQ(group->Buttons(0)->Left(), group->Buttons(2)->Left());
  EXPECT_GT(group->Buttons(3)->Left(), group->Buttons(2)->Left());
  EXPECT_EQ(group->Buttons(3)->Top(), group->Buttons(0)->Top());
}

TEST_F(PanelsTest, DisabledRadioGroupDisablesItsItemsAndTheyLookIt) {
  auto* group = Add<TRadioGroup>(10, 10, 200, 80);
  group->Items()->Add("Πρώτο"_a);
  group->SetItemIndex(0);
  ShowForm();
  group->SetEnabled(false);
  group->Items()->Add("Δεύτερο"_a);  // added while the group is disabled
  Application->ProcessMessages();
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(group->Buttons(i)->Enabled()) << i;
  backend->Click(*group->Buttons(1), 5, 5);
  EXPECT_EQ(group->ItemIndex(), 0);
  // The caption of a disabled item is drawn in the grey of disabled text,
  // its text colour nowhere.
  TRadioButton& item = *group->Buttons(1);
  bool grey = false, black = false;
  for (int y = 0; y < item.Height(); ++y)
    for (int x = 16; x < item.Width() - 2; ++x) {
      const TColor c = PixelOf(item, x, y);
      grey |= c == ColorToRGB(clGrayText) || c == ColorToRGB(clBtnShadow);
      black |= c == ColorToRGB(clBtnText);
    }
  EXPECT_TRUE(grey);
  EXPECT_FALSE(black);
  group->SetEnabled(true);
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(group->Buttons(i)->Enabled()) << i;
}

TEST_F(PanelsTest, SplitterSizesItsNeighbourWithinMinSize) {
  auto* left = Add<TPanel>(0, 0, 100, 100);
  left->SetAlign(alLeft);
  auto* splitter = Add<TSplitter>(100, 0, 4, 100);
  auto* rest = Add<TPanel>(0, 0, 10, 10);
  rest->SetAlign(alClient);
  int moved = 0;
  splitter->OnMoved = [&](TObject*) { ++moved; };
  ShowForm();
  ASSERT_EQ(splitter->Left(), 100);
  EXPECT_EQ(splitter->FindControl(), left);
  backend->PressMouse(*splitter, 1, 50);
  backend->MoveMouse(*splitter, 41, 50);
  EXPECT_EQ(left->Width(), 140);
  EXPECT_EQ(splitter->Left(), 140);
  backend->MoveMouse(*splitter, -500, 50);
  EXPECT_EQ(left->Width(), splitter->MinSize);
  backend->ReleaseMouse(*splitter, -500, 50);
  EXPECT_EQ(moved, 2);
  EXPECT_EQ(rest->Left(), splitter->Left() + splitter->Width());
}

TEST_F(PanelsTest, ScrollBoxScrollsItsChildrenByBarWheelAndScrollInView) {
  auto* box = Add<TScrollBox>(10, 10, 200, 150);
  auto* far = Add<TPanel>(10, 400, 50, 30, box);
  ShowForm();
  EXPECT_TRUE(box->VertScrollBar().IsScrollBarVisible());
  EXPECT_FALSE(box->HorzScrollBar().IsScrollBarVisible());
  box->ScrollInView(far);
  // The contents reach 428 below the border; 146 show.
  EXPECT_EQ(box->VertScrollBar().Position(), 428 - 146);
  EXPECT_EQ(far->Top(), 400 - (428 - 146));
  backend->Wheel(*box, 1, 50, 50);
  EXPECT_EQ(box->VertScrollBar().Position(), 428 - 146 - 24);
  box->VertScrollBar().SetPosition(0);
  EXPECT_EQ(far->Top(), 400);
  // The bar's lower arrow scrolls by the increment.
  backend->Click(*box, 200 - 2 - kScrollBarSize / 2, 150 - 2 - kScrollBarSize / 2);
  EXPECT_EQ(box->VertScrollBar().Position(), 8);
  far->SetLeft(300);
  box->UpdateScrollBars();
  EXPECT_TRUE(box->HorzScrollBar().IsScrollBarVisible());
}

// A picture larger than the box shows inside the view: the bars stay
// visible over it.
TEST_F(PanelsTest, AScrollBoxsBarsStayVisibleOverALargerPicture) {
  auto* box = Add<TScrollBox>(10, 10, 200, 150);
  auto* image = Add<TImage>(0, 0, 400, 300, box);
  auto bitmap = std::make_unique<TBitmap>(400, 300);
  bitmap->Canvas()->Brush->Color = clRed;
  bitmap->Canvas()->FillRect(Rect(0, 0, 400, 300));
  image->Picture().SetGraphic(std::move(bitmap));
  ShowForm();
  ASSERT_TRUE(box->VertScrollBar().IsScrollBarVisible());
  EXPECT_EQ(PixelOf(*box, 50, 50), ColorToRGB(clRed));
  // Inside each bar, half way along it: the bar, not the picture.
  EXPECT_NE(PixelOf(*box, 200 - 2 - kScrollBarSize / 2, 60), ColorToRGB(clRed));
  EXPECT_NE(PixelOf(*box, 90, 150 - 2 - kScrollBarSize / 2), ColorToRGB(clRed));
}

// A box filling its form follows the form's size: narrower and shorter
// than its contents it shows both bars whole, inside the form.
TEST_F(PanelsTest, AScrollBoxFillingItsFormFollowsTheFormsSize) {
  Form->SetBounds(0, 0, 860, 700);
  auto* box = Add<TScrollBox>(0, 0, 10, 10);
  box->SetAlign(alClient);
  auto* page = Add<TPanel>(0, 0, 600, 900, box);
  page->SetColor(clRed);
  ShowForm();
  EXPECT_FALSE(box->HorzScrollBar().IsScrollBarVisible());
  EXPECT_TRUE(box->VertScrollBar().IsScrollBarVisible());
  Form->SetBounds(0, 0, 450, 500);
  Application->ProcessMessages();
  EXPECT_EQ(box->BoundsRect(), Form->ClientRect());
  EXPECT_TRUE(box->HorzScrollBar().IsScrollBarVisible());
  EXPECT_TRUE(box->VertScrollBar().IsScrollBarVisible());
  // Each bar is whole, at the form's edges.
  const TRect client = Form->ClientRect();
  ASSERT_EQ(PixelOf(*box, 60, 60), ColorToRGB(clRed));
  EXPECT_EQ(PixelOf(*box, client.Width() - 2 - kScrollBarSize / 2, 60), ColorToRGB(clBtnFace));
  EXPECT_EQ(PixelOf(*box, 90, client.Height() - 2 - kScrollBarSize / 2), ColorToRGB(clBtnFace));
  box->VertScrollBar().SetPosition(10000);
  EXPECT_EQ(page->Top() + page->Height(), client.Height() - 2 - kScrollBarSize);
  // The bar takes its clicks, though the page lies under it.
  box->VertScrollBar().SetPosition(0);
  int pageClicks = 0;
  page->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++pageClicks; };
  backend->Click(*Form, client.Width() - 2 - kScrollBarSize / 2,
                 client.Height() - 2 - kScrollBarSize - kScrollBarSize / 2);
  EXPECT_EQ(box->VertScrollBar().Position(), box->VertScrollBar().Increment);
  EXPECT_EQ(pageClicks, 0);
}

}  // namespace
