#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ControlPaint.h"

namespace {

// A strip of Count 16 × 16 pictures: a filled square of a colour each on
// a magenta key.
std::unique_ptr<TBitmap> Strip(std::initializer_list<TColor> colors) {
  auto strip = std::make_unique<TBitmap>(16 * static_cast<int>(colors.size()), 16);
  TCanvas& c = *strip->Canvas();
  ui::paint::Fill(c, Rect(0, 0, strip->Width(), 16), clFuchsia);
  int x = 0;
  for (TColor color : colors) {
    ui::paint::Fill(c, Rect(x + 4, 4, x + 12, 12), color);
    x += 16;
  }
  return strip;
}

using BarsTest = ControlsTest;

TEST_F(BarsTest, ImageListCutsAStripAndKeepsTheKeyColourTransparent) {
  TImageList images(nullptr);
  int changes = 0;
  images.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(images.AddMasked(*Strip({clRed, clGreen, clBlue}), clFuchsia), 0);
  EXPECT_EQ(images.Count(), 3);
  EXPECT_EQ(images.Image(1).At(8, 8), 0xFF008000u);  // green, opaque
  EXPECT_EQ(images.Image(1).At(0, 0) >> 24, 0u);     // the key: see-through
  EXPECT_EQ(images.Add(*Strip({clYellow})), 3);
  images.Delete(0);
  EXPECT_EQ(images.Count(), 3);
  EXPECT_THROW(images.Delete(5), EListError);
  EXPECT_EQ(changes, 3);
  TRecordingCanvas canvas;
  images.Draw(canvas, 0, 0, 7);  // outside the list: nothing
  EXPECT_TRUE(canvas.Calls.empty());
}

class ToolBarTest : public ControlsTest {
 protected:
  void MakeBar() {
    images = new TImageList(Form.get());
    images->AddMasked(*Strip({clRed, clGreen, clBlue, clYellow}), clFuchsia);
    bar = Add<TToolBar>(0, 0, 10, 29);
    bar->SetImages(images);
    bar->SetFlat(true);
    for (int i = 0; i < 5; ++i) {
      auto* b = new TToolButton(Form.get());
      b->SetParent(bar);
      b->SetImageIndex(i);
      b->SetHint("Κουμπί "_a + IntToStr(i));
      b->OnClick = [this, i](TObject*) { clicks.push_back(i); };
      buttons.push_back(b);
    }
    buttons[2]->SetStyle(tbsSeparator);
    for (int i : {3, 4}) {
      buttons[static_cast<size_t>(i)]->SetStyle(tbsCheck);
      buttons[static_cast<size_t>(i)]->Grouped = true;
    }
    bar->ArrangeButtons();
    ShowForm();
  }
  TImageList* images = nullptr;
  TToolBar* bar = nullptr;
  std::vector<TToolButton*> buttons;
  std::vector<int> clicks;
};

TEST_F(ToolBarTest, ButtonsSitInARowWithNarrowSeparators) {
  MakeBar();
  EXPECT_EQ(bar->Top(), 0);
  EXPECT_EQ(bar->Width(), Form->ClientWidth());
  EXPECT_EQ(buttons[1]->Left(), 23);
  EXPECT_EQ(buttons[2]->Width(), 8);
  EXPECT_EQ(buttons[3]->Left(), 54);
  // Each picture of the list is drawn on its button.
  EXPECT_EQ(PixelOf(*buttons[0], 11, 10), ColorToRGB(clRed));
  EXPECT_EQ(PixelOf(*buttons[1], 11, 10), ColorToRGB(clGreen));
}

TEST_F(ToolBarTest, CheckButtonsOfAGroupStayDownOneAtATime) {
  MakeBar();
  backend->Click(*buttons[3], 5, 5);
  EXPECT_TRUE(buttons[3]->Down());
  backend->Click(*buttons[4], 5, 5);
  EXPECT_TRUE(buttons[4]->Down());
  EXPECT_FALSE(buttons[3]->Down());
  backend->Click(*buttons[4], 5, 5);  // the only one down stays down
  EXPECT_TRUE(buttons[4]->Down());
  backend->Click(*buttons[2], 3, 5);  // a separator does nothing
  backend->Click(*buttons[0], 5, 5);
  EXPECT_FALSE(buttons[0]->Down());
  EXPECT_EQ(clicks, (std::vector<int>{3, 4, 4, 0}));
}

TEST_F(ToolBarTest, FlatButtonsRaiseUnderTheMouseAndShowTheirHint) {
  MakeBar();
  Form->SetShowHint(true);
  EXPECT_EQ(PixelOf(*buttons[0], 0, 0), ColorToRGB(clBtnFace));
  backend->MoveMouse(*buttons[0], 5, 5);
  EXPECT_EQ(PixelOf(*buttons[0], 0, 0), ColorToRGB(clBtnHighlight));
  backend->Advance(Application->HintPause + 10);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_EQ(Application->HintWindow()->Text(), "Κουμπί 0"_a);
}

class PageControlTest : public ControlsTest {
 protected:
  void MakePages() {
    pages = Add<TPageControl>(10, 10, 300, 200);
    for (const char* caption : {"Γενικά", "Εκτύπωση", "Κρυφή", "Σχετικά"}) {
      auto* sheet = new TTabSheet(Form.get());
      sheet->SetCaption(cp1253::FromUtf8(caption));
      sheet->SetPageControl(pages);
      sheets.push_back(sheet);
    }
    sheets[2]->SetTabVisible(false);
    inside = Add<TButton>(10, 10, 75, 25, sheets[0]);
    pages->OnChange = [this](TObject*) { ++changes; };
    ShowForm();
  }
  TPageControl* pages = nullptr;
  std::vector<TTabSheet*> sheets;
  TButton* inside = nullptr;
  int changes = 0;
};

TEST_F(PageControlTest, TheFirstPageShowsAndTabsTurnThePages) {
  MakePages();
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_TRUE(sheets[0]->Visible());
  EXPECT_FALSE(sheets[1]->Visible());
  EXPECT_EQ(sheets[0]->BoundsRect(), pages->DisplayRect());
  const TRect tab = pages->TabRect(1);
  backend->Click(*pages, tab.Left + 4, tab.Top + 4);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_FALSE(sheets[0]->Visible());
  EXPECT_EQ(changes, 1);
  pages->OnChanging = [](TObject*, bool& allow) { allow = false; };
  const TRect first = pages->TabRect(0);
  backend->Click(*pages, first.Left + 4, first.Top + 4);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  pages->SetActivePageIndex(3);  // in code: no events
  EXPECT_EQ(pages->ActivePage(), sheets[3]);
  EXPECT_EQ(changes, 1);
}

TEST_F(PageControlTest, CtrlTabCyclesThePagesSkippingHiddenTabs) {
  MakePages();
  inside->SetFocus();
  backend->PressKey(VK_TAB, {ssCtrl});
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  backend->PressKey(VK_TAB, {ssCtrl});
  EXPECT_EQ(pages->ActivePage(), sheets[3]);  // the hidden tab is passed
  backend->PressKey(VK_TAB, {ssCtrl, ssShift});
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  pages->SetFocus();
  backend->PressKey(VK_LEFT);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  delete sheets[0];
  EXPECT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  const auto texts = DrawnTexts(*Record(*pages));
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Εκτύπωση"_a), 1);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Κρυφή"_a), 0);
}

}  // namespace
