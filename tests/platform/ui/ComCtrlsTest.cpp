#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Spin.h"

namespace {

using ComCtrlsTest = ControlsTest;

TEST_F(ComCtrlsTest, SpinEditKeepsItsValueWithinTheLimits) {
  auto* spin = Add<TSpinEdit>(10, 10, 100, 22);
  spin->SetMinValue(1);
  spin->SetMaxValue(10);
  EXPECT_EQ(spin->Value(), 1);  // "0" was below the limits
  spin->Increment = 4;
  ShowForm();
  backend->PressKey(VK_UP);
  backend->PressKey(VK_UP);
  EXPECT_EQ(spin->Value(), 9);
  backend->PressKey(VK_UP);
  EXPECT_EQ(spin->Value(), 10);
  EXPECT_EQ(spin->Text(), "10");
  spin->SelectAll();
  backend->Type("x-5");  // letters are refused
  EXPECT_EQ(spin->Text(), "-5");
  EXPECT_EQ(spin->Value(), 1);
  EXPECT_FALSE(backend->Beeps.empty());
  auto* other = Add<TButton>(10, 50, 75, 25);
  other->SetFocus();  // leaving puts the text within the limits
  EXPECT_EQ(spin->Text(), "1");
  spin->SetText("abc");
  EXPECT_EQ(spin->Value(), 1);
}

TEST_F(ComCtrlsTest, SpinButtonsStepAndRepeatWhileHeld) {
  auto* spin = Add<TSpinEdit>(10, 10, 100, 22);
  spin->SetMaxValue(100);
  ShowForm();
  TUpDown* button = spin->Button();
  const TRect up = button->ButtonRect(btNext);
  backend->PressMouse(*button, up.Left + 3, up.Top + 3);
  EXPECT_EQ(spin->Value(), 1);
  backend->Advance(399);
  EXPECT_EQ(spin->Value(), 1);
  backend->Advance(1);  // the first repeat after 400 ms
  EXPECT_EQ(spin->Value(), 2);
  backend->Advance(300);  // then every 100 ms
  EXPECT_EQ(spin->Value(), 5);
  backend->ReleaseMouse(*button, up.Left + 3, up.Top + 3);
  backend->Advance(1000);
  EXPECT_EQ(spin->Value(), 5);
  const TRect down = button->ButtonRect(btPrev);
  backend->Click(*button, down.Left + 3, down.Top + 3);
  EXPECT_EQ(spin->Value(), 4);
}

TEST_F(ComCtrlsTest, UpDownStepsItsAssociateAndWraps) {
  auto* edit = Add<TEdit>(10, 10, 60, 22);
  auto* updown = Add<TUpDown>(70, 10, 16, 22);
  updown->SetMin(0);
  updown->SetMax(3);
  updown->SetAssociate(edit);
  std::vector<TUDBtnType> clicks;
  updown->OnClick = [&](TObject*, TUDBtnType b) { clicks.push_back(b); };
  ShowForm();
  for (int i = 0; i < 4; ++i) updown->Step(btNext);
  EXPECT_EQ(updown->Position(), 3);
  EXPECT_EQ(edit->Text(), "3");
  updown->Wrap = true;
  updown->Step(btNext);
  EXPECT_EQ(updown->Position(), 0);
  updown->Step(btPrev);
  EXPECT_EQ(updown->Position(), 3);
  updown->OnChanging = [](TObject*, bool& allow) { allow = false; };
  updown->Step(btPrev);
  EXPECT_EQ(updown->Position(), 3);
  EXPECT_EQ(clicks.size(), 6u);
  // A number put in the associate is where the next step starts; a text
  // that is no number leaves the position as it was.
  updown->OnChanging = nullptr;
  updown->Wrap = false;
  edit->SetText("1");
  updown->Step(btNext);
  EXPECT_EQ(edit->Text(), "2");
  edit->SetText("x");
  updown->Step(btPrev);
  EXPECT_EQ(edit->Text(), "1");
  delete edit;
  EXPECT_EQ(updown->Associate(), nullptr);
}

TEST_F(ComCtrlsTest, ProgressBarFillsInProportion) {
  auto* bar = Add<TProgressBar>(10, 10, 104, 16);
  bar->SetRange(0, 50);
  bar->SetPosition(25);
  EXPECT_EQ(bar->FilledRect(), Rect(2, 2, 52, 14));
  bar->SetPosition(80);
  EXPECT_EQ(bar->Position(), 50);
  bar->Step = 20;
  bar->StepIt();  // past the end it starts again
  EXPECT_EQ(bar->Position(), 20);
  bar->Smooth = true;
  ShowForm();
  EXPECT_EQ(PixelOf(*bar, 20, 8), ColorToRGB(clHighlight));
  EXPECT_EQ(PixelOf(*bar, 60, 8), ColorToRGB(clBtnFace));
}

TEST_F(ComCtrlsTest, StatusBarPanelsSitSideBySideAndTheLastTakesTheRest) {
  auto* status = Add<TStatusBar>(0, 0, 10, 10);
  status->AddPanel(150, "Γραμμή 1"_a);
  status->AddPanel(100, "Κέντρο"_a).Alignment = taCenter;
  status->AddPanel(50);
  ShowForm();
  EXPECT_EQ(status->Top() + status->Height(), Form->ClientHeight());
  EXPECT_EQ(status->PanelRect(1).Left, 150);
  EXPECT_EQ(status->PanelRect(2).Right, status->Width() - 2);
  status->SetPanelText(2, "τέλος"_a);
  const auto drawn = Record(*status);
  EXPECT_EQ(DrawnTexts(*drawn), (std::vector<AnsiString>{"Γραμμή 1"_a, "Κέντρο"_a, "τέλος"_a}));
  EXPECT_TRUE(drawn->CallsOf("DrawText")[1].Flags & DT_CENTER);
  status->SetSimpleText("Απλό"_a);
  status->SetSimplePanel(true);
  EXPECT_EQ(DrawnTexts(*Record(*status)), std::vector<AnsiString>{"Απλό"_a});
}

}  // namespace
