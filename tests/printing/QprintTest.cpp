#include <gtest/gtest.h>

#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "printing/Qprint.h"

namespace {

class QprintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = &InstallHeadlessBackend();
    form.reset(NewForm<TrpForm>(nullptr));
  }
  void TearDown() override {
    for (const auto& text : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(text);
    EXPECT_EQ(backend->PendingAnswers(), 0);
    form.reset();
  }
  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TrpForm> form;
};

TEST_F(QprintTest, TheDialogShowsOnlyItsButtonPanel) {
  EXPECT_EQ(form->Caption(), "Εκτυπώσεις"_a);
  EXPECT_EQ(form->BitBtn1->Caption(), "ΕΞΟΔΟΣ"_a);
  EXPECT_EQ(form->BitBtn1->Parent(), form->Panel1);
  EXPECT_EQ(form->ShowGuard, 0);
  backend->ExpectModal("Εκτυπώσεις"_a, [&](TCustomForm&) {
    EXPECT_EQ(form->Width(), 409);
    EXPECT_EQ(form->Height(), 105);
    EXPECT_TRUE(form->BitBtn1->Showing());
    backend->Click(*form->BitBtn1, 10, 10);
  });
  form->SetBounds(0, 0, 800, 600);  // shown again at its own size
  EXPECT_TRUE(form->ShowForKind(1));
}

TEST_F(QprintTest, GuardIsTenWhileShownAndZeroAfterTheExitButton) {
  int seen = -1;
  backend->ExpectModal("", [&](TCustomForm&) {
    seen = form->ShowGuard;
    backend->Click(*form->BitBtn1, 10, 10);
  });
  EXPECT_TRUE(form->ShowForKind(2));
  EXPECT_EQ(seen, 10);
  EXPECT_EQ(form->ReportKind, 2);
  EXPECT_EQ(form->ShowGuard, 0);
  EXPECT_FALSE(form->Visible());
}

TEST_F(QprintTest, ClosingTheWindowOrEscapeAlsoClearsTheGuard) {
  backend->ExpectModal("", [&](TCustomForm& f) { f.Close(); });
  form->ShowForKind(3);
  EXPECT_EQ(form->ShowGuard, 0);
  backend->ExpectModal("", [&](TCustomForm&) {
    EXPECT_EQ(form->ShowGuard, 10);
    backend->PressKey(VK_ESCAPE);
  });
  form->ShowForKind(4);
  EXPECT_EQ(form->ShowGuard, 0);
  EXPECT_EQ(form->ReportKind, 4);
}

TEST_F(QprintTest, ASecondShowDuringAShowingIsRefused) {
  bool again = true;
  backend->ExpectModal("", [&](TCustomForm&) {
    // A print command reaching the form while it is up does nothing.
    again = form->ShowForKind(2);
    EXPECT_EQ(form->ReportKind, 1);
    backend->Click(*form->BitBtn1, 10, 10);
  });
  EXPECT_TRUE(form->ShowForKind(1));
  EXPECT_FALSE(again);
  // Once closed it shows again.
  backend->ExpectModal("", [&](TCustomForm&) { backend->Click(*form->BitBtn1, 10, 10); });
  EXPECT_TRUE(form->ShowForKind(2));
  EXPECT_EQ(form->ReportKind, 2);
}

TEST_F(QprintTest, AGuardLeftAboveFiveKeepsTheFormShut) {
  form->ShowGuard = 6;
  EXPECT_FALSE(form->ShowForKind(1));
  EXPECT_EQ(form->ReportKind, 0);
  form->ShowGuard = 5;
  backend->ExpectModal("", [&](TCustomForm&) { backend->Click(*form->BitBtn1, 10, 10); });
  EXPECT_TRUE(form->ShowForKind(1));
}

}  // namespace

namespace {

TEST(QprintFilters, TheFormOffersTheSpreadsheetAndRtfFormatsWhileItExists) {
  InstallHeadlessBackend();
  const AnsiString pageFile = RpExportFilterLibrary().SaveDialogFilterString();
  {
    std::unique_ptr<TrpForm> form(NewForm<TrpForm>(nullptr));
    EXPECT_EQ(form->FindComponent("rpExcelFilter1"), form->rpExcelFilter1);
    EXPECT_EQ(RpExportFilterLibrary().SaveDialogFilterString(),
              pageFile + "|Excel spreadsheet (*.XLS)|*.XLS|RTF File (*.RTF)|*.RTF");
  }
  EXPECT_EQ(RpExportFilterLibrary().SaveDialogFilterString(), pageFile);
}

}  // namespace
