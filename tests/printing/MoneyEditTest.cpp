#include <gtest/gtest.h>

#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "printing/MoneyEdit.h"

namespace {

class MoneyEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = &InstallHeadlessBackend();
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(100, 100, 300, 200);
    edit = new TMoneyEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 150, 21);
    form->Show();
    edit->SetFocus();
    Application->ProcessMessages();
  }
  void TearDown() override {
    for (const auto& text : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(text);
    form.reset();
  }
  // Clicks the keypad key with Tag.
  void ClickKey(int tag) {
    for (const TCalcKeySpec& k : edit->Keypad()->Layout().Keys)
      if (k.Tag == tag) backend->Click(*edit->Keypad(), k.Bounds.Left + 3, k.Bounds.Top + 3);
  }
  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TForm> form;
  TMoneyEdit* edit = nullptr;
};

TEST_F(MoneyEditTest, TypingKeepsNumbersAndCalculates) {
  const struct {
    const char* typed;
    const char* shown;
  } cases[] = {
      {"12a,3.4.5", "123.45"},
      {"1234567=", "1234567"},
      {"8/0=", "0"},
      {"5+3%", "0.15"},
      {"7\b", "0"},
      {"2*21\r", "42"},
      {"9c5", "5"},
  };
  for (const auto& c : cases) {
    edit->SetText("0");
    edit->PressKey(ckClear);
    backend->Type(c.typed);
    EXPECT_EQ(edit->Text(), c.shown) << c.typed;
  }
  EXPECT_EQ(edit->CaretPos(), 1);
}

TEST_F(MoneyEditTest, DeletingEverythingLeavesZero) {
  backend->Type("123");
  edit->SelectAll();
  backend->PressKey(VK_DELETE);
  EXPECT_EQ(edit->Text(), "0");
  // Backspace on a one-character text leaves "0" with the caret before it
  // too; on a longer one it deletes as usual.
  const struct {
    const char* text;
    int caret;
    const char* shown;
  } cases[] = {{"7", 0, "0"}, {"7", 1, "0"}, {"-", 1, "0"}, {"75", 1, "5"}, {"75", 0, "75"}};
  for (const auto& c : cases) {
    edit->SetText(c.text);
    edit->SetSelStart(c.caret);
    backend->Type("\b");
    EXPECT_EQ(edit->Text(), c.shown) << c.text << " " << c.caret;
  }
}

TEST_F(MoneyEditTest, TheKeypadDropsByF4OrTheButtonAndItsKeysCalculate) {
  backend->PressKey(VK_F4);
  ASSERT_TRUE(edit->Dropped());
  EXPECT_EQ(edit->Keypad()->Width(), 26 * 5 + 4);
  EXPECT_EQ(edit->Keypad()->Top(), edit->ClientToScreen(Point(0, 0)).Y + edit->Height());
  for (int tag : {1, 2, int(ckAdd), 3, int(ckEquals)}) ClickKey(tag);
  EXPECT_EQ(edit->Text(), "15");
  backend->PressKey(VK_ESCAPE);
  EXPECT_FALSE(edit->Dropped());
  backend->Click(*edit->Button(), 5, 5);
  EXPECT_TRUE(edit->Dropped());
  backend->Type("\r");
  EXPECT_FALSE(edit->Dropped());
}

// While the keypad is down the keys are its own: Backspace takes the last
// character and digits append, whatever the edit has selected; Enter
// closes it, Delete and other characters do nothing.
TEST_F(MoneyEditTest, KeysTypedWhileTheKeypadIsDownGoToTheKeypad) {
  const struct {
    const char* typed;
    const char* shown;
    bool stays;  // the keypad is still down
  } cases[] = {
      {"\b", "12", true},     {"7", "1257", true},   {"\b\b\b", "0", true},
      {"\b\b\b4", "4", true}, {".5", "125.5", true}, {"+5=", "130", true},
      {"+5\r", "130", false}, {"x", "125", true},    {"c9", "9", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    edit->PressKey(ckClear);
    backend->Type("125");
    edit->SelectAll();
    backend->PressKey(VK_F4);
    ASSERT_TRUE(edit->Dropped());
    backend->PressKey(VK_DELETE);
    backend->Type(c.typed);
    EXPECT_EQ(edit->Text(), c.shown);
    EXPECT_EQ(edit->Dropped(), c.stays);
    edit->CloseUp();
  }
}

// Each press of the drop button drops the keypad or, when it is down,
// closes it; a press anywhere else closes it too.
TEST_F(MoneyEditTest, TheDropButtonClosesTheKeypadItDropped) {
  for (int round = 0; round < 2; ++round) {
    backend->Click(*edit->Button(), 5, 5);
    EXPECT_TRUE(edit->Dropped()) << round;
    backend->Click(*edit->Button(), 5, 5);
    EXPECT_FALSE(edit->Dropped()) << round;
  }
  backend->Click(*edit->Button(), 5, 5);
  ASSERT_TRUE(edit->Dropped());
  backend->Click(*form, 250, 150);
  EXPECT_FALSE(edit->Dropped());
}

// A larger font makes the edit tall enough for it, the button staying
// inside its right edge and the text clear of it.
TEST_F(MoneyEditTest, ALargerFontMakesTheEditTallEnough) {
  TFont font = edit->Font();
  font.SetSize(30);
  edit->SetFont(font);
  const int line = edit->LineHeight();
  TRect format{};
  edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  EXPECT_GE(format.Height(), line + std::min(16, line) / 4);
  EXPECT_GE(edit->Height(), format.Height());
  EXPECT_EQ(format.Right, edit->Button()->Left() - 3);
  EXPECT_LE(edit->Button()->Left() + edit->Button()->Width(), edit->Width());
}

TEST_F(MoneyEditTest, ExtraKeysWidenTheKeypadAndNearTheBottomItOpensAbove) {
  edit->ExtraButtons().Extra2 = "ΦΠΑ"_a;
  edit->OnExtraButtonClick = [](TObject*, int index, long double& v) {
    if (index == 2) v = v * 124 / 100;
  };
  backend->Type("100");
  edit->DropDown();
  EXPECT_EQ(edit->Keypad()->Width(), 26 * 6 + 4);
  ClickKey(20);
  EXPECT_EQ(edit->Text(), "124");
  edit->CloseUp();
  form->SetBounds(100, backend->ScreenH - 60, 300, 200);
  edit->DropDown();
  EXPECT_EQ(edit->Keypad()->Top() + edit->Keypad()->Height(), edit->ClientToScreen(Point(0, 0)).Y);
}

TEST_F(MoneyEditTest, TheTextStandsRightAndNeverUnderTheButton) {
  backend->Type("12");
  TRect format{};
  edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  EXPECT_EQ(format.Right, edit->Button()->Left() - 3);
  EXPECT_EQ(edit->Button()->Width(), 15);
  EXPECT_LE(edit->PosFromChar(2).X, format.Right);
  EXPECT_GT(edit->PosFromChar(0).X, format.Left + 50);
  edit->SetHeight(5);
  EXPECT_GE(edit->Height(), edit->LineHeight() + edit->LineHeight() / 4);
}

// Greek number style on the machine: the comma is the decimal separator
// ("1,5" is one and a half, never 15), the point (the thousands
// separator) is dropped, the keypad's point key and the numeric keypad's
// decimal key both type the comma, and results show with it; a read-only
// edit takes no keys.
TEST_F(MoneyEditTest, TheGreekNumberStyleTakesTheCommaAsTheDecimalSeparatorAndAReadOnlyEditTakesNothing) {
  const char thousands = ThousandSeparator, decimal = DecimalSeparator;
  ThousandSeparator = '.', DecimalSeparator = ',';
  const struct {
    const char* typed;
    const char* shown;
  } cases[] = {{"1,5", "1,5"},    {"1.5", "15"},     {"2,5*2=", "5"},
               {"1,2,3", "1,23"}, {"2,5+1=", "3,5"}, {"1/4=", "0,25"}};
  for (const auto& c : cases) {
    edit->PressKey(ckClear);
    backend->Type(c.typed);
    EXPECT_EQ(edit->Text(), c.shown) << c.typed;
  }
  edit->PressKey(ckClear);
  backend->Type("7");
  backend->PressKey(VK_DECIMAL);
  backend->Type("5*2=");
  EXPECT_EQ(edit->Text(), "15");
  edit->PressKey(ckClear);
  backend->PressKey(VK_F4);
  ASSERT_TRUE(edit->Dropped());
  for (int tag : std::initializer_list<int>{1, ckPoint, 5, ckPoint, ckAdd, 1, ckEquals}) ClickKey(tag);
  EXPECT_EQ(edit->Text(), "2,5");
  backend->PressKey(VK_ESCAPE);
  ThousandSeparator = thousands, DecimalSeparator = decimal;
  edit->SetEditorEnabled(false);
  EXPECT_TRUE(edit->ReadOnly());
  backend->Type("7+");
  EXPECT_EQ(edit->Text(), "2,5");
}

// The keypad closes by Tab and F4 as by Esc, and when the edit loses the
// focus.
TEST_F(MoneyEditTest, TheKeypadClosesByTabF4AndLeavingTheEdit) {
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(10, 60, 100, 21);
  for (const Word key : {Word(VK_TAB), Word(VK_F4), Word(VK_ESCAPE)}) {
    edit->SetFocus();
    edit->DropDown();
    ASSERT_TRUE(edit->Dropped());
    backend->PressKey(key);
    EXPECT_FALSE(edit->Dropped()) << key;
  }
  edit->SetFocus();
  edit->DropDown();
  other->SetFocus();
  Application->ProcessMessages();
  EXPECT_FALSE(edit->Dropped());
}

}  // namespace
