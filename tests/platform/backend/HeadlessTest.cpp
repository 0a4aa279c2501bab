#include <gtest/gtest.h>

#include "platform/backend/headless/Headless.h"
#include "platform/ui/MessageLoop.h"

namespace {

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override { backend = &InstallHeadlessBackend(); }
  THeadlessBackend* backend = nullptr;
};

TEST_F(HeadlessTest, ScriptedAnswersDecideMessageBoxesInTurn) {
  backend->ExpectMessageBox("αγνοηθούν"_a, IDYES);
  backend->ExpectMessageBox("", IDCANCEL);
  EXPECT_EQ(Backend().MessageBox("Να αγνοηθούν οι αλλαγές;"_a, "Επιβεβαίωση"_a, MB_YESNOCANCEL), IDYES);
  EXPECT_EQ(Backend().MessageBox("Anything", "", MB_OKCANCEL), IDCANCEL);
  EXPECT_TRUE(backend->UnexpectedDialogs.empty());
  ASSERT_EQ(backend->MessageBoxes.size(), 2u);
  EXPECT_EQ(backend->MessageBoxes[0].Caption, "Επιβεβαίωση"_a);
  EXPECT_EQ(backend->PendingAnswers(), 0);
}

TEST_F(HeadlessTest, UnexpectedBoxIsNamedAndAnsweredCarefully) {
  EXPECT_EQ(Backend().MessageBox("Διαγραφή;"_a, "", MB_YESNO), IDNO);
  EXPECT_EQ(Backend().MessageBox("Σφάλμα"_a, "", MB_OK), IDOK);
  EXPECT_EQ(Backend().MessageBox("x", "", MB_YESNOCANCEL), IDCANCEL);
  ASSERT_EQ(backend->UnexpectedDialogs.size(), 3u);
  EXPECT_EQ(backend->UnexpectedDialogs[0], "Διαγραφή;"_a);
}

TEST_F(HeadlessTest, ScriptForAnotherTextIsNotConsumedByTheWrongBox) {
  backend->ExpectMessageBox("Αποθήκευση"_a, IDYES);
  EXPECT_EQ(Backend().MessageBox("Κάτι άλλο"_a, "", MB_YESNO), IDNO);
  EXPECT_EQ(backend->UnexpectedDialogs.size(), 1u);
  EXPECT_EQ(backend->PendingAnswers(), 1);
}

TEST_F(HeadlessTest, DesktopRequestsAreRecorded) {
  Backend().SetClipboardText("abc");
  EXPECT_EQ(Backend().ClipboardText(), "abc");
  EXPECT_TRUE(Backend().ShellOpen("open", "http://example.org", ""));
  EXPECT_TRUE(Backend().StartProcess("soffice"));
  backend->ExpectMessageBox("Invalid", IDOK);
  Backend().ShowErrorBox("Invalid", "App");
  EXPECT_TRUE(backend->UnexpectedDialogs.empty());
  Backend().ShowErrorBox("Not foreseen", "App");
  EXPECT_EQ(backend->UnexpectedDialogs, std::vector<AnsiString>{"Not foreseen"});
  backend->UnexpectedDialogs.clear();
  ASSERT_EQ(backend->ShellRequests.size(), 1u);
  EXPECT_EQ(backend->ShellRequests[0].File, "http://example.org");
  EXPECT_EQ(backend->ProcessRequests, std::vector<AnsiString>{"soffice"});
  EXPECT_EQ(backend->ErrorBoxes.at(0).Text, "Invalid");
}

TEST_F(HeadlessTest, ClockMovesOnlyWhenAdvanced) {
  const DWORD t0 = Backend().TickCount();
  EXPECT_EQ(Backend().TickCount(), t0);
  EXPECT_FALSE(Backend().WaitForInput(1000));
  EXPECT_EQ(Backend().TickCount(), t0);
  backend->Advance(250);
  EXPECT_EQ(Backend().TickCount(), t0 + 250);
}

}  // namespace
