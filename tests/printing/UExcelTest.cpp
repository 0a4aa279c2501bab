#include <gtest/gtest.h>

#include <chrono>

#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageLoop.h"
#include "printing/UExcel.h"
#include "tests/platform/ipc/DdeTestServer.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

using Lines = std::vector<std::string>;

class UExcelTest : public ::testing::Test {
 protected:
  void SetUp() override { backend = &InstallHeadlessBackend(); }
  void TearDown() override {
    for (const auto& text : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(text);
    EXPECT_EQ(backend->PendingAnswers(), 0);
  }

  // Shows the dialog, presses the transfer button Presses times (choosing
  // the worksheet item first) and closes it.
  // Boxes the presses are expected to show, in order.
  void RunDialog(const TExcelTransferEvent& transfer, int worksheet = 0, int presses = 1,
                 const std::vector<AnsiString>& boxes = {}) {
    backend->ExpectModal("Σύνδεση με EXCEL"_a, [&](TCustomForm& f) {
      auto& form = static_cast<TFrmExcel&>(f);
      dialog = &form;
      form.radgrpWorkSheet->SetItemIndex(worksheet);
      for (int i = 0; i < presses; ++i) {
        backend->Click(*form.btnspdRunExcel, 5, 5);
        infoAfterPress.push_back(cp1253::ToUtf8(form.pnlInfo->Caption()));
      }
      form.Close();
    });
    for (const AnsiString& box : boxes) backend->ExpectMessageBox(box, IDOK);
    ShowExcelDialog(transfer);
  }

  TempFolder folder;
  ScopedEnv runtime{"XDG_RUNTIME_DIR", folder.path()};
  ScopedEnv config{"XDG_CONFIG_HOME", folder.path()};
  THeadlessBackend* backend = nullptr;
  TFrmExcel* dialog = nullptr;
  Lines infoAfterPress;
};

TExcelTransferEvent ThreeCells() {
  return [](TExcel* x) {
    x->PutCell(1, 1, "Α/Α"_a);
    x->PutCell(1, 2, "say \"yes\"");
    x->PutCell(2, 1, "1.234,56");
  };
}

TEST_F(UExcelTest, ANewWorksheetTranscript) {
  DdeTestServer server;
  RunDialog(ThreeCells());
  const Lines expected = {"[SELECT(\"R1C1\")]",
                          "[APP.MINIMIZE()]",
                          "[NEW(1)]",
                          "[SELECT(\"R1C1\")]",
                          cp1253::FromUtf8("[FORMULA(\"Α/Α\")]"),
                          "[SELECT(\"R1C2\")]",
                          "[FORMULA(\"say 'yes'\")]",
                          "[SELECT(\"R2C1\")]",
                          "[FORMULA(\"1.234,56\")]",
                          "[SELECT(\"R1C1\")]",
                          "[APP.RESTORE()]"};
  EXPECT_EQ(server.Transcript(), expected);
  EXPECT_EQ(infoAfterPress, Lines{" Ενεργή σύνδεση με EXCEL"});
}

TEST_F(UExcelTest, TheExistingWorksheetGetsNoNewDocument) {
  DdeTestServer server;
  RunDialog([](TExcel*) {}, 1);
  EXPECT_EQ(server.Transcript(),
            (Lines{"[SELECT(\"R1C1\")]", "[APP.MINIMIZE()]", "[SELECT(\"R1C1\")]", "[APP.RESTORE()]"}));
}

TEST_F(UExcelTest, ARefusalInsideAFrameLosesNothingAndRunsNothingTwice) {
  DdeTestServer server;
  int refusals = 0;
  server.Accept = [&](const std::string& c) { return c != "[FORMULA(\"say 'yes'\")]" || refusals++ > 0; };
  RunDialog(ThreeCells());
  Lines ran;
  for (const std::string& line : server.Transcript())
    if (line.rfind("refused ", 0) != 0) ran.push_back(line);
  EXPECT_EQ(refusals, 2);
  ASSERT_EQ(ran.size(), 11u);
  EXPECT_EQ(ran[6], "[FORMULA(\"say 'yes'\")]");
  EXPECT_EQ(ran[7], "[SELECT(\"R2C1\")]");
}

TEST_F(UExcelTest, ACommandRefusedTwiceEndsTheTransferWithItsName) {
  DdeTestServer server;
  server.Accept = [](const std::string& c) { return c != "[FORMULA(\"x\")]"; };
  RunDialog(
      [](TExcel* x) {
        x->PutCell(1, 1, "a");
        x->PutCell(1, 2, "x");
        x->PutCell(1, 3, "never");
      },
      0, 1, {"[FORMULA(\"x\")] not excepted by Excel"});
  ASSERT_EQ(backend->ErrorBoxes.size(), 1u);
  const Lines t = server.Transcript();
  EXPECT_EQ(std::count(t.begin(), t.end(), "[FORMULA(\"a\")]"), 1);
  EXPECT_EQ(std::count(t.begin(), t.end(), "[FORMULA(\"never\")]"), 0);
}

TEST_F(UExcelTest, WithoutAProgramTheFirstPressInformsAndALaterOneRaises) {
  const auto start = std::chrono::steady_clock::now();
  RunDialog(ThreeCells(), 0, 2,
            {"Δεν έχει φορτωθεί το \"EXCEL\""_a,
             "Ανεπιτυχής η σύνδεση με το Excel ΦΟΡΤΩΣΤΕ στα WINDOWS το \"EXCEL\""_a});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_EQ(backend->MessageBoxes.size(), 1u);
  EXPECT_EQ(backend->ErrorBoxes.size(), 1u);
  EXPECT_EQ(infoAfterPress, (Lines{" Ανενεργή σύνδεση με EXCEL", " Ανενεργή σύνδεση με EXCEL"}));
}

TEST_F(UExcelTest, ALinkThatClosesShowsInTheInfoPanelAndThePathIsWrittenOnClose) {
  {
    DdeTestServer server("Excel", DdeTestServer::CloseMidFrame);
    RunDialog([](TExcel*) {}, 0, 1, {"not excepted by Excel"});
  }
  EXPECT_EQ(infoAfterPress, Lines{" Ανενεργή σύνδεση με EXCEL"});
  EXPECT_EQ(ReadBytes(folder.path() + "/dimoprasia/TOLVICOR.INI"), "[Excel]\r\nPath=\r\n");
}

TEST_F(UExcelTest, AMessagePostedDuringATransferIsHandledBeforeItEnds) {
  DdeTestServer server;
  bool handledInside = false;
  struct Listener : TWindowTarget {
    bool handled = false;
    LRESULT WindowMessage(UINT msg, WPARAM, LPARAM) override {
      handled |= msg == WM_USER + 7;
      return 0;
    }
  } listener;
  const HWND wnd = ui::RegisterWindow(&listener);
  RunDialog([&](TExcel* x) {
    PostMessage(wnd, WM_USER + 7, 0, 0);
    for (int r = 1; r <= 300; ++r) x->PutCell(r, 1, "v");
    handledInside = listener.handled;
  });
  ui::UnregisterWindow(wnd);
  EXPECT_TRUE(handledInside);
}

}  // namespace
