#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"

namespace {

TEST(Accelerators, HotkeyIsTheCharacterAfterASingleAmpersand) {
  struct Case {
    const char* text;
    char hot;
  } cases[] = {{"&File", 'F'}, {"Fi&le", 'l'}, {"R&&D", 0}, {"R&&D &go", 'g'}, {"end&", 0}, {"", 0}};
  for (const auto& c : cases) EXPECT_EQ(GetHotkey(c.text), c.hot) << c.text;
  EXPECT_TRUE(IsAccel('L', "Fi&le"));
  EXPECT_TRUE(IsAccel('l', "Fi&le"));
  EXPECT_FALSE(IsAccel('F', "Fi&le"));
  EXPECT_FALSE(IsAccel('D', "R&&D"));
  EXPECT_TRUE(IsAccel(static_cast<unsigned char>("Ν"_a[0]), "&Ναι"_a));
}

using StdCtrlsTest = ControlsTest;

TEST_F(StdCtrlsTest, LabelAcceleratorFocusesItsControl) {
  auto* first = Add<TButton>(10, 10, 75, 25);
  auto* edit = Add<TButton>(100, 50, 75, 25);
  auto* label = Add<TLabel>(10, 50, 80, 17);
  label->SetCaption("&Name");
  label->SetFocusControl(edit);
  ShowForm();
  ASSERT_TRUE(first->Focused());
  backend->PressKey('N', {ssAlt});
  EXPECT_TRUE(edit->Focused());
  // A label whose control went away forgets it.
  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr);
  first->SetFocus();
  backend->PressKey('N', {ssAlt});
  EXPECT_TRUE(first->Focused());
}

TEST_F(StdCtrlsTest, LabelSizesItselfToItsText) {
  auto* label = Add<TLabel>(200, 10, 10, 10);
  label->SetCaption("Μια πρόταση"_a);
  const int oneLine = label->Height();
  EXPECT_GT(label->Width(), 40);
  EXPECT_GT(oneLine, 8);
  label->SetAlignment(taRightJustify);
  const int right = label->Left() + label->Width();
  label->SetCaption("Μια πολύ μεγαλύτερη πρόταση"_a);
  EXPECT_EQ(label->Left() + label->Width(), right);  // grows to the left
  label->SetWidth(60);
  label->SetWordWrap(true);
  EXPECT_EQ(label->Width(), 60);
  EXPECT_GE(label->Height(), 3 * oneLine);
  label->SetAutoSize(false);
  label->SetCaption("x");
  EXPECT_EQ(label->Width(), 60);
}

TEST_F(StdCtrlsTest, LabelShortensALongPathOrItsEndToItsWidth) {
  auto* label = Add<TLabel>(10, 10, 120, 13);
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 120, 13);
  label->SetEllipsisPosition(epPathEllipsis);
  struct Case {
    const char* caption;
    const char* drawn;
  } cases[] = {
      {"/home/ΕΠΙΤΡΟΠΗ/ΔΙΑΓΩΝΙΣΜΟΙ/2026/ΟΔΟΠΟΙΙΑ.DDN", ".../ΟΔΟΠΟΙΙΑ.DDN"},
      {"/a/b/Ε.DDN", "/a/b/Ε.DDN"},  // fits: drawn whole
      {"/work/ΠΟΛΥ_ΜΑΚΡΥ_ΟΝΟΜΑ_ΑΡΧΕΙΟΥ_ΕΡΓΟΥ.DDN", ".../ΠΟΛΥ_ΜΑΚΡΥ_ΟΝΟΜΑ_ΑΡΧΕΙΟΥ_ΕΡΓΟΥ.DDN"},
  };
  ShowForm();
  for (const auto& c : cases) {
    label->SetCaption(cp1253::FromUtf8(c.caption));
    auto drawn = Record(*Form);
    const auto texts = DrawnTexts(*drawn);
    ASSERT_EQ(texts.size(), 1u) << c.caption;
    EXPECT_EQ(cp1253::ToUtf8(texts[0]), c.drawn);
    EXPECT_EQ(label->Caption(), cp1253::FromUtf8(c.caption));  // the caption itself stays whole
  }
  // A path whose folders fit in part keeps the last of them.
  label->SetWidth(200);
  label->SetCaption("/home/ΕΠΙΤΡΟΠΗ/ΔΙΑΓΩΝΙΣΜΟΙ/2026/ΟΔΟΠΟΙΙΑ.DDN"_a);
  const auto texts = DrawnTexts(*Record(*Form));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].substr(0, 4), ".../");
  EXPECT_GT(texts[0].size(), ".../ΟΔΟΠΟΙΙΑ.DDN"_a.size());
  label->SetEllipsisPosition(epEndEllipsis);
  const auto end = Record(*Form)->CallsOf("DrawText").back();
  EXPECT_TRUE(end.Flags & DT_END_ELLIPSIS);
}

TEST_F(StdCtrlsTest, LabelDrawsAlignedTextAndItsBackgroundUnlessTransparent) {
  auto* label = Add<TLabel>(10, 10, 100, 20);
  label->SetAutoSize(false);
  label->SetCaption("&Σύνολο"_a);
  label->SetAlignment(taCenter);
  label->SetColor(clYellow);
  ShowForm();
  auto drawn = Record(*Form);
  const auto texts = DrawnTexts(*drawn);
  ASSERT_EQ(texts, std::vector<AnsiString>{"&Σύνολο"_a});
  const auto call = drawn->CallsOf("DrawText").back();
  EXPECT_TRUE(call.Flags & DT_CENTER);
  EXPECT_FALSE(call.Flags & DT_NOPREFIX);
  EXPECT_EQ(PixelOf(*label, 2, 2), ColorToRGB(clYellow));
  label->SetTransparent(true);
  Application->ProcessMessages();
  EXPECT_EQ(PixelOf(*label, 2, 2), ColorToRGB(clBtnFace));
  // Disabled text is embossed: drawn twice, highlight first.
  label->SetEnabled(false);
  drawn = Record(*Form);
  const auto calls = drawn->CallsOf("DrawText");
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2].Font.Color, clBtnHighlight);
  EXPECT_EQ(calls.back().Font.Color, clBtnShadow);
}

struct ButtonForm {
  TButton* ok;
  TButton* cancel;
  TButton* other;
  int okClicks = 0, cancelClicks = 0, otherClicks = 0;
};

TEST_F(StdCtrlsTest, EnterPressesTheDefaultButtonAndEscapeTheCancelButton) {
  ButtonForm b;
  auto* check = Add<TCheckBox>(10, 10, 100, 17);
  b.other = Add<TButton>(10, 100, 75, 25);
  b.ok = Add<TButton>(10, 140, 75, 25);
  b.cancel = Add<TButton>(100, 140, 75, 25);
  b.ok->SetDefault(true);
  b.cancel->Cancel = true;
  b.ok->OnClick = [&](TObject*) { ++b.okClicks; };
  b.cancel->OnClick = [&](TObject*) { ++b.cancelClicks; };
  b.other->OnClick = [&](TObject*) { ++b.otherClicks; };
  ShowForm();
  ASSERT_TRUE(check->Focused());
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(b.okClicks, 1);
  backend->PressKey(VK_ESCAPE);
  EXPECT_EQ(b.cancelClicks, 1);
  // A focused button takes Enter itself.
  b.other->SetFocus();
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(b.otherClicks, 1);
  EXPECT_EQ(b.okClicks, 1);
  // Space clicks the focused button when released.
  ui::input::KeyDown(VK_SPACE);
  ui::PumpMessages();
  EXPECT_EQ(b.otherClicks, 1);
  ui::input::KeyUp(VK_SPACE);
  ui::PumpMessages();
  EXPECT_EQ(b.otherClicks, 2);
  // A disabled default button is not pressed.
  check->SetFocus();
  b.ok->SetEnabled(false);
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(b.okClicks, 1);
}

TEST_F(StdCtrlsTest, TheActiveDefaultButtonDrawsTheThickFrame) {
  auto* edit = Add<TCheckBox>(10, 10, 100, 17);
  auto* ok = Add<TButton>(10, 140, 75, 25);
  auto* other = Add<TButton>(100, 140, 75, 25);
  ok->SetDefault(true);
  ShowForm();
  ASSERT_TRUE(edit->Focused());
  auto framed = [&](TButton* b) {
    // The frame's top edge: one pixel line across the whole button.
    for (const auto& call : Record(*Form)->CallsOf("FillRect"))
      if (call.Brush.Color == clWindowFrame &&
          call.Args == std::vector<int>{b->Left(), b->Top(), b->Left() + b->Width(), b->Top() + 1})
        return true;
    return false;
  };
  EXPECT_TRUE(framed(ok));
  EXPECT_FALSE(framed(other));
  other->SetFocus();
  EXPECT_FALSE(framed(ok));
  EXPECT_TRUE(framed(other));
}

// Enter and Escape with a modifier press neither the default nor the
// cancel button; Ctrl+Enter breaks the line of a memo that leaves Enter
// to the form.
TEST_F(StdCtrlsTest, OnlyPlainEnterAndEscapePressTheDialogButtons) {
  auto* memo = Add<TMemo>(10, 10, 150, 60);
  memo->WantReturns = false;
  auto* ok = Add<TButton>(10, 140, 75, 25);
  auto* cancel = Add<TButton>(100, 140, 75, 25);
  ok->SetDefault(true);
  cancel->Cancel = true;
  int okClicks = 0, cancelClicks = 0;
  ok->OnClick = [&](TObject*) { ++okClicks; };
  cancel->OnClick = [&](TObject*) { ++cancelClicks; };
  ShowForm();
  memo->SetFocus();
  backend->Type("ab");
  backend->PressKey(VK_RETURN, {ssCtrl});
  backend->PressKey(VK_ESCAPE, {ssShift});
  backend->Type("cd");
  EXPECT_EQ(okClicks, 0);
  EXPECT_EQ(cancelClicks, 0);
  EXPECT_EQ(memo->Text(), "ab\r\ncd");
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(okClicks, 1);
  backend->PressKey(VK_ESCAPE);
  EXPECT_EQ(cancelClicks, 1);
}

TEST_F(StdCtrlsTest, MouseClickNeedsPressAndReleaseOverTheButton) {
  auto* button = Add<TButton>(10, 10, 75, 25);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  ShowForm();
  backend->Click(*button, 20, 10);
  EXPECT_EQ(clicks, 1);
  backend->PressMouse(*button, 20, 10);
  backend->MoveMouse(*button, 200, 10);
  backend->ReleaseMouse(*button, 200, 10);
  EXPECT_EQ(clicks, 1);
}

TEST_F(StdCtrlsTest, ButtonAcceleratorClicksWithoutTakingTheFocus) {
  auto* first = Add<TButton>(10, 10, 75, 25);
  auto* save = Add<TButton>(10, 50, 75, 25);
  save->SetCaption("&Αποθήκευση"_a);
  int clicks = 0;
  save->OnClick = [&](TObject*) { ++clicks; };
  ShowForm();
  backend->PressKey(VK_MENU);  // Alt alone does nothing
  backend->Type("Α"_a);        // a button does not take characters
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(first->Focused());
}

TEST_F(StdCtrlsTest, CheckBoxTogglesByMouseSpaceAndAccelerator) {
  auto* box = Add<TCheckBox>(10, 10, 120, 17);
  box->SetCaption("&Τελικό"_a);
  auto* button = Add<TButton>(10, 50, 75, 25);
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  ShowForm();
  backend->Click(*box, 5, 8);
  EXPECT_TRUE(box->Checked());
  backend->PressKey(VK_SPACE);
  EXPECT_FALSE(box->Checked());
  button->SetFocus();
  backend->Type("τ"_a);  // the accelerator matches either case
  EXPECT_TRUE(box->Checked());
  EXPECT_TRUE(box->Focused());
  EXPECT_EQ(clicks, 3);
  box->SetChecked(true);  // no change, no event
  EXPECT_EQ(clicks, 3);
  box->SetChecked(false);  // a change in code runs OnClick too
  EXPECT_EQ(clicks, 4);
}

TEST_F(StdCtrlsTest, CheckBoxWithAllowGrayedCyclesThroughThreeStates) {
  auto* box = Add<TCheckBox>(10, 10, 120, 17);
  box->AllowGrayed = true;
  ShowForm();
  std::vector<TCheckBoxState> seen;
  for (int i = 0; i < 3; ++i) {
    backend->PressKey(VK_SPACE);
    seen.push_back(box->State());
  }
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbGrayed, cbUnchecked}));
}

TEST_F(StdCtrlsTest, CheckMarkIsDrawnWhereTheAlignmentPutsIt) {
  auto* box = Add<TCheckBox>(10, 10, 120, 17);
  box->SetCaption("Επιλογή"_a);
  ShowForm();
  const TColor window = ColorToRGB(clWindow);
  EXPECT_EQ(PixelOf(*box, 4, 6), window);  // inside the mark, left
  box->SetAlignment(taLeftJustify);
  Application->ProcessMessages();
  EXPECT_EQ(PixelOf(*box, 120 - 9, 6), window);
  EXPECT_NE(PixelOf(*box, 4, 6), window);
  const auto texts = DrawnTexts(*Record(*Form));
  EXPECT_EQ(texts, std::vector<AnsiString>{"Επιλογή"_a});
}

TEST_F(StdCtrlsTest, RadioButtonsOfOneParentExcludeEachOtherAndArrowsCheck) {
  auto* group = Add<TGroupBox>(10, 10, 200, 120);
  group->SetCaption("&Kind");
  auto* before = Add<TButton>(250, 10, 75, 25);
  TRadioButton* radios[3];
  for (int i = 0; i < 3; ++i) {
    radios[i] = Add<TRadioButton>(10, 20 + 25 * i, 150, 17, group);
    radios[i]->SetCaption("Επιλογή "_a + IntToStr(i + 1));
  }
  auto* outside = Add<TRadioButton>(250, 60, 100, 17);
  outside->SetChecked(true);
  EXPECT_TRUE(radios[0]->TabStop());  // until a check passes it by
  for (auto* r : radios) r->SetChecked(true);
  radios[1]->SetChecked(true);
  EXPECT_TRUE(outside->Checked());  // another parent, another group
  EXPECT_FALSE(radios[0]->TabStop());
  EXPECT_TRUE(radios[1]->TabStop());
  before->SetTabOrder(0);
  ShowForm();
  ASSERT_TRUE(before->Focused());
  backend->PressKey(VK_TAB, {ssShift});
  backend->PressKey(VK_TAB, {ssShift});
  EXPECT_TRUE(radios[1]->Focused());  // the tab stops at the checked one
  backend->PressKey(VK_DOWN);
  EXPECT_TRUE(radios[2]->Focused());
  EXPECT_TRUE(radios[2]->Checked());
  EXPECT_FALSE(radios[1]->Checked());
  backend->PressKey(VK_DOWN);  // wraps inside the group
  EXPECT_TRUE(radios[0]->Checked());
  backend->Click(*radios[1], 5, 5);
  EXPECT_TRUE(radios[1]->Checked());
  EXPECT_FALSE(radios[0]->Checked());
  before->SetFocus();
  backend->PressKey('K', {ssAlt});  // the group's accelerator: its first tab stop
  EXPECT_TRUE(radios[1]->Focused());
}

TEST_F(StdCtrlsTest, GroupBoxLaysOutAlignedChildrenInsideItsFrame) {
  auto* group = Add<TGroupBox>(10, 10, 200, 120);
  group->SetCaption("Ομάδα"_a);
  auto* inside = Add<TButton>(0, 0, 10, 10, group);
  inside->SetAlign(alClient);
  EXPECT_GT(inside->Top(), 8);
  EXPECT_GT(inside->Left(), 0);
  EXPECT_LT(inside->Left() + inside->Width(), 200);
  ShowForm();
  const auto texts = DrawnTexts(*Record(*group));
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(), "Ομάδα"_a);
}

class ListBoxTest : public ControlsTest {
 protected:
  TListBox* MakeList(int lines) {
    list = Add<TListBox>(10, 10, 150, 0);
    for (int i = 0; i < lines; ++i) list->Items()->Add("Γραμμή "_a + IntToStr(i));
    list->SetHeight(list->ItemHeight() * 5 + 4);  // five lines show
    list->OnClick = [this](TObject*) { ++clicks; };
    ShowForm();
    return list;
  }
  TListBox* list = nullptr;
  int clicks = 0;
};

TEST_F(ListBoxTest, KeyboardMovesTheSelectionAndScrolls) {
  MakeList(20);
  ASSERT_TRUE(list->Focused());
  EXPECT_EQ(list->VisibleCount(), 5);
  struct Step {
    Word key;
    int index;
    int top;
  } steps[] = {{VK_DOWN, 0, 0}, {VK_DOWN, 1, 0},    {VK_NEXT, 5, 1}, {VK_END, 19, 15},
               {VK_UP, 18, 15}, {VK_PRIOR, 14, 14}, {VK_HOME, 0, 0}, {VK_UP, 0, 0}};
  int expectedClicks = 0;
  for (const auto& s : steps) {
    const int before = list->ItemIndex();
    backend->PressKey(s.key);
    if (list->ItemIndex() != before) ++expectedClicks;
    EXPECT_EQ(list->ItemIndex(), s.index) << s.key;
    EXPECT_EQ(list->TopIndex(), s.top) << s.key;
  }
  EXPECT_EQ(clicks, expectedClicks);
}

TEST_F(ListBoxTest, TypingALetterFindsTheNextLineStartingWithIt) {
  list = Add<TListBox>(10, 10, 150, 100);
  for (const char* s : {"Άλφα", "Βήτα", "βάση", "Γάμμα"}) list->Items()->Add(cp1253::FromUtf8(s));
  ShowForm();
  backend->Type("β"_a);
  EXPECT_EQ(list->ItemIndex(), 1);
  backend->Type("Β"_a);
  EXPECT_EQ(list->ItemIndex(), 2);
  backend->Type("β"_a);
  EXPECT_EQ(list->ItemIndex(), 1);  // wraps
  backend->Type("z");
  EXPECT_EQ(list->ItemIndex(), 1);
}

TEST_F(ListBoxTest, MouseSelectsAndTheWheelScrolls) {
  MakeList(20);
  const int h = list->ItemHeight();
  backend->Click(*list, 20, 2 + h * 2 + 1);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(clicks, 1);
  backend->Click(*list, 20, 2 + h * 2 + 1);  // the same line again: no change
  EXPECT_EQ(clicks, 1);
  backend->Wheel(*list, -1, 20, 20);
  EXPECT_EQ(list->TopIndex(), 3);
  EXPECT_EQ(list->ItemIndex(), 2);
  backend->Wheel(*list, -10, 20, 20);
  EXPECT_EQ(list->TopIndex(), 15);
  EXPECT_EQ(list->ItemAtPos(Point(20, 3), true), 15);
  EXPECT_EQ(list->ItemAtPos(Point(20, 2 + h * 10), true), -1);
  // The scroll bar's arrows scroll by a line, its track by a page.
  const int barX = list->Width() - 2 - kScrollBarSize / 2;
  backend->Click(*list, barX, 2 + kScrollBarSize / 2);
  EXPECT_EQ(list->TopIndex(), 14);
  backend->Click(*list, barX, list->Height() - 2 - kScrollBarSize - 2);
  EXPECT_EQ(list->TopIndex(), 15);
  backend->Click(*list, barX, 2 + kScrollBarSize + 2);
  EXPECT_EQ(list->TopIndex(), 11);
  EXPECT_EQ(list->ItemIndex(), 2);  // the bar selects nothing
}

TEST_F(ListBoxTest, TheScrollBarShowsOnlyWhenTheLinesDoNotFit) {
  MakeList(5);
  const TRect full = list->ItemRect(0);
  EXPECT_EQ(full.Right, list->Width() - 2);
  list->Items()->Add("έκτη"_a);
  EXPECT_EQ(list->ItemRect(0).Right, list->Width() - 2 - kScrollBarSize);
  list->Items()->Delete(0);
  EXPECT_EQ(list->ItemRect(0).Right, list->Width() - 2);
}

TEST_F(ListBoxTest, ExtendedMultiSelectTakesShiftRangesAndCtrlToggles) {
  MakeList(10);
  list->SetMultiSelect(true);
  const int h = list->ItemHeight();
  auto lineY = [&](int i) { return 2 + h * i + 1; };
  backend->Click(*list, 20, lineY(1));
  ui::input::KeyDown(VK_SHIFT);
  backend->Click(*list, 20, lineY(3));
  ui::input::KeyUp(VK_SHIFT);
  EXPECT_EQ(list->SelCount(), 3);
  ui::input::KeyDown(VK_CONTROL);
  backend->Click(*list, 20, lineY(2));
  ui::input::KeyUp(VK_CONTROL);
  EXPECT_FALSE(list->Selected(2));
  EXPECT_TRUE(list->Selected(1));
  EXPECT_TRUE(list->Selected(3));
  backend->PressKey(VK_DOWN, {ssShift});
  EXPECT_EQ(list->ItemIndex(), 3);
  EXPECT_EQ(list->SelCount(), 2);  // the range from the anchor (2) to 3
  EXPECT_THROW(list->Selected(10), EListError);
}

TEST_F(ListBoxTest, ItemsChangesKeepTheSelectionInRange) {
  MakeList(5);
  list->SetItemIndex(4);
  list->Items()->Delete(4);
  EXPECT_EQ(list->ItemIndex(), -1);
  list->SetItemIndex(2);
  list->Items()->Clear();
  EXPECT_EQ(list->ItemIndex(), -1);
  list->SetItemIndex(7);
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ListBoxTest, OwnerDrawnLinesAreDrawnByTheEventWithTheirState) {
  MakeList(3);
  list->Style = lbOwnerDrawFixed;
  list->SetItemIndex(1);
  std::vector<std::pair<int, bool>> drawn;
  list->OnDrawItem = [&](TWinControl*, int index, const TRect& r, TOwnerDrawState state) {
    drawn.emplace_back(index, state.Contains(odSelected));
    EXPECT_EQ(r, list->ItemRect(index));
  };
  list->Invalidate();
  Application->ProcessMessages();
  EXPECT_EQ(drawn, (std::vector<std::pair<int, bool>>{{0, false}, {1, true}, {2, false}}));
  list->Style = lbStandard;
  const auto texts = DrawnTexts(*Record(*list));
  EXPECT_EQ(texts, (std::vector<AnsiString>{"Γραμμή 0"_a, "Γραμμή 1"_a, "Γραμμή 2"_a}));
}

}  // namespace

namespace {

TEST_F(StdCtrlsTest, TheFocusFrameOfAMarkButtonStandsOffItsCaption) {
  for (const char* caption : {"Παλαιά Εργα", "Αρχική σειρά", "Wide WWW"}) {
    SCOPED_TRACE(caption);
    // The rightmost column of the box that holds a pixel other than Face.
    auto rightmostInk = [&](TControl& c, TColor face) {
      int right = -1;
      for (int x = 0; x < c.Width(); ++x)
        for (int y = 0; y < c.Height(); ++y)
          if (PixelOf(c, x, y) != face) right = x;
      return right;
    };
    auto* box = Add<TCheckBox>(10, 10, 140, 18);
    box->SetCaption(cp1253::FromUtf8(caption));
    auto* other = Add<TButton>(10, 50, 75, 25);
    ShowForm();
    other->SetFocus();
    Application->ProcessMessages();
    const TColor face = PixelOf(*box, box->Width() - 1, 0);
    const int ink = rightmostInk(*box, face);
    box->SetFocus();
    Application->ProcessMessages();
    const int frame = rightmostInk(*box, face);
    // A blank column between the last letter and the dotted line, so the
    // letter does not look cut by it.
    EXPECT_GE(frame, ink + 2);
    delete box;
    delete other;
  }
}

}  // namespace
