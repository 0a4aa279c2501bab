#include <gtest/gtest.h>

#include <memory>

#include "UiFixture.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"

namespace {

class InputQueryTest : public UiTest {};

TEST_F(InputQueryTest, TypedTextReplacesTheSelectedValueOnOk) {
  backend->ExpectModal("Επιλογή σελίδας απο 1 έως 7"_a, [&](TCustomForm& f) {
    auto* edit = Named<TEdit>(f, "Edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Text(), "3");
    EXPECT_EQ(edit->SelLength(), 1);
    EXPECT_TRUE(edit->Focused());
    backend->Type("12");
    backend->PressKey(VK_RETURN);
  });
  AnsiString value = "3";
  EXPECT_TRUE(InputQuery("Επιλογή σελίδας απο 1 έως 7"_a, "Εισάγετε τον αριθμό σελίδας"_a, value));
  EXPECT_EQ(value, "12");
}

TEST_F(InputQueryTest, CancelKeepsTheValue) {
  AnsiString value = "3";
  backend->ExpectModal("", [&](TCustomForm&) {
    backend->Type("9");
    backend->PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(InputQuery("c", "p", value));
  EXPECT_EQ(value, "3");
  backend->ExpectModal("", [&](TCustomForm& f) { backend->Click(*Named<TButton>(f, "CancelButton"), 3, 3); });
  EXPECT_EQ(InputBox("c", "p", "default"), "default");
  backend->ExpectModal("", [&](TCustomForm& f) {
    backend->Type("Νέο"_a);
    backend->Click(*Named<TButton>(f, "OkButton"), 3, 3);
  });
  EXPECT_EQ(InputBox("c", "p", "default"), "Νέο"_a);
}

// A long prompt widens the box, and so does a long caption, which must show
// whole in a window manager's title bar beside its buttons.
TEST_F(InputQueryTest, ALongPromptOrCaptionWidensTheBox) {
  const struct {
    const char* what;
    AnsiString caption, prompt;
  } cases[] = {{"prompt", "c", AnsiString(120, 'W')}, {"caption", AnsiString(60, 'W'), "p"}};
  for (const auto& k : cases) {
    int shortWidth = 0, longWidth = 0;
    backend->ExpectModal("", [&](TCustomForm& f) {
      shortWidth = f.ClientWidth();
      f.SetModalResult(mrCancel);
    });
    backend->ExpectModal("", [&](TCustomForm& f) {
      longWidth = f.ClientWidth();
      f.SetModalResult(mrCancel);
    });
    AnsiString v;
    InputQuery("c", "p", v);
    InputQuery(k.caption, k.prompt, v);
    EXPECT_GT(longWidth, shortWidth) << k.what;
  }
}

class FindDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    dialog = std::make_unique<TFindDialog>(nullptr);
    dialog->OnFind = [this](TObject*) {
      found.push_back(dialog->FindText);
      options.push_back(dialog->Options);
    };
  }
  void TearDown() override {
    dialog.reset();
    UiTest::TearDown();
  }
  std::unique_ptr<TFindDialog> dialog;
  std::vector<AnsiString> found;
  std::vector<TFindOptions> options;
};

TEST_F(FindDialogTest, ShowsWithoutWaitingAndReportsEachSearch) {
  dialog->FindText = "δημο"_a;
  EXPECT_TRUE(dialog->Execute());
  TCustomForm* f = dialog->Form();
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->Visible());
  EXPECT_FALSE(f->FormState.Contains(fsModal));
  EXPECT_EQ(Named<TEdit>(*f, "FindEdit")->Text(), "δημο"_a);

  backend->Type("πρασία"_a);  // the text was selected: typing replaces it
  backend->PressKey(VK_RETURN);
  backend->PressKey(VK_RETURN);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], "πρασία"_a);
  EXPECT_TRUE(options[0].Contains(frFindNext));
  EXPECT_TRUE(options[0].Contains(frDown));
  EXPECT_FALSE(options[0].Contains(frMatchCase));
  EXPECT_TRUE(f->Visible());  // stays open for the next search
}

TEST_F(FindDialogTest, ChoicesBecomeOptions) {
  dialog->Execute();
  TCustomForm& f = *dialog->Form();
  backend->Type("x");
  backend->Click(*Named<TCheckBox>(f, "MatchCase"), 3, 3);
  backend->Click(*Named<TCheckBox>(f, "WholeWord"), 3, 3);
  backend->Click(*Named<TRadioButton>(f, "Up"), 3, 3);
  backend->Click(*Named<TButton>(f, "FindNext"), 3, 3);
  ASSERT_EQ(options.size(), 1u);
  EXPECT_TRUE(options[0].Contains(frMatchCase));
  EXPECT_TRUE(options[0].Contains(frWholeWord));
  EXPECT_FALSE(options[0].Contains(frDown));
}

TEST_F(FindDialogTest, NothingToFindNothingReported) {
  dialog->Execute();
  TButton* next = Named<TButton>(*dialog->Form(), "FindNext");
  EXPECT_FALSE(next->Enabled());
  backend->PressKey(VK_RETURN);
  EXPECT_TRUE(found.empty());
  backend->Type("a");
  EXPECT_TRUE(next->Enabled());
}

TEST_F(FindDialogTest, EscapeClosesAndTheDialogShowsAgainWhereAsked) {
  int closed = 0;
  dialog->OnClose = [&](TObject*) { ++closed; };
  dialog->Execute();
  backend->PressKey(VK_ESCAPE);
  EXPECT_FALSE(dialog->Form()->Visible());
  EXPECT_EQ(closed, 1);
  dialog->SetPosition(Point(300, 120));
  dialog->Options = {frHideWholeWord, frHideUpDown, frMatchCase};
  dialog->Execute();
  EXPECT_EQ(dialog->Form()->Left(), 300);
  EXPECT_EQ(dialog->Form()->Top(), 120);
  EXPECT_FALSE(Named<TCheckBox>(*dialog->Form(), "WholeWord")->Visible());
  EXPECT_TRUE(Named<TCheckBox>(*dialog->Form(), "MatchCase")->Checked());
  EXPECT_TRUE(Named<TRadioButton>(*dialog->Form(), "Up")->Checked());
  dialog->CloseDialog();
  EXPECT_FALSE(dialog->Form()->Visible());
}

}  // namespace
