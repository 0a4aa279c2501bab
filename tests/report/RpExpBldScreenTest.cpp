// The expression builder on a real display: each page is shown as the user
// reaches it and captured as a PNG (into the build tree) for review.

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>

#include "platform/backend/screen/Screen.h"
#include "platform/db/Db.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageLoop.h"
#include "report/RpExpBld.h"
#include "tests/TestOutput.h"
#include "tests/platform/backend/XvfbDisplay.h"
#include "tests/platform/db/TestDatabase.h"

namespace {

// Past this bound a builder still open is closed and the test fails, so a
// step that never comes cannot leave the loop waiting for the display.
constexpr DWORD kBoundMs = 60000;
DWORD watchdogStart = 0;
TRpExpressionBuilder* running = nullptr;

void Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  if (GetTickCount() - watchdogStart < kBoundMs || running == nullptr) return;
  ADD_FAILURE() << "the builder was still open after the last step";
  running->Close();
  running = nullptr;
}

class RpExpBldOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    screen = OpenScreenForTest(display);
    ASSERT_NE(screen, nullptr);
    watchdogStart = GetTickCount();
    watchdog = SetTimer(nullptr, 0, 100, Watchdog);
    // One step per idle moment of whichever page is waiting.
    Application->OnIdle = [this](TObject*, bool& done) {
      if (steps.empty()) return;
      const std::function<void()> step = std::move(steps.front());
      steps.pop_front();
      step();
      done = false;
    };
  }
  void TearDown() override {
    if (watchdog) KillTimer(nullptr, watchdog);
    Application->OnIdle = nullptr;
    running = nullptr;
    SetBackend(nullptr);
    unsetenv("DIM_BACKEND");
  }
  void Then(std::function<void()> step) { steps.push_back(std::move(step)); }
  // The builder's window as it is on the screen now.
  void Capture(TRpExpressionBuilder& b, const std::string& name) {
    const std::string file = TestOutput("report_expression_builder_" + name + ".png");
    screen->SaveScreenshot(b, file);
    EXPECT_GT(std::filesystem::file_size(file), 1000u) << name;
    files.push_back(name);
  }

  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = nullptr;
  UINT_PTR watchdog = 0;
  std::deque<std::function<void()>> steps;
  std::vector<std::string> files;
};

TEST_F(RpExpBldOnScreen, EveryPageCaptured) {
  std::unique_ptr<TForm> data(NewForm<TForm>(nullptr));
  TTable items(data.get());
  items.SetDatabaseName(MakeTestDatabase("builder_screen", ItemsScript()));
  items.SetTableName("items");
  items.SetName("Items");
  items.Open();
  TRpEvEnvironment local;
  local.AddFunction("TAXRATE", "0.24");

  TRpExpressionBuilder* b = nullptr;
  Then([&] {
    b = dynamic_cast<TRpExpressionBuilder*>(Screen->ActiveForm());
    ASSERT_NE(b, nullptr);
    running = b;
    b->Expression->SetText("IF(Items.qty > 1,\r\n'many', 'one')");
  });
  // What a step changes is painted by the next idle moment: each picture
  // is taken one step after its page was set up.
  Then([&] {
    Capture(*b, "main");
    b->InsertDataFieldBtn->Click();
  });
  Then([&] { b->AvailableFields->SetItemIndex(1); });
  Then([&] {
    Capture(*b, "datafield");
    b->DataFieldCancelBtn->Click();
  });
  Then([&] { b->InsertFunctionBtn->Click(); });
  Then([&] {
    b->Categories->SetItemIndex(7);
    b->SelectCategory(7);
    b->AvailableFunc->SetItemIndex(b->AvailableFunc->Items()->IndexOf("COPY"));
    b->ShowFunction(b->AvailableFunc->ItemIndex());
  });
  Then([&] {
    Capture(*b, "function");
    b->Expression->SelectAll();
    b->FunctionOKBtn->Click();
  });
  Then([&] { b->FuncParamSB->Controls(1)->SetText("'abcdef'"); });
  Then([&] {
    Capture(*b, "arguments");
    static_cast<TButton*>(b->FuncParamSB->Controls(5))->Click();
  });
  TRpExpressionBuilder* nested = nullptr;
  Then([&] {
    nested = dynamic_cast<TRpExpressionBuilder*>(b->Controls(b->ControlCount() - 1));
    ASSERT_NE(nested, nullptr);
    nested->Expression->SetText("2");
  });
  Then([&] {
    Capture(*b, "nested");
    nested->OK->Click();
  });
  Then([&] {
    b->FuncParamSB->Controls(7)->SetText("3");
    b->FuncParamOkBtn->Click();
  });
  Then([&] { b->InsertVariableBtn->Click(); });
  Then([] {});
  Then([&] {
    Capture(*b, "variable");
    b->VariableCancelBtn->Click();
  });
  Then([&] { b->OK->Click(); });

  AnsiString expression;
  EXPECT_TRUE(EditExpressionInBuilder("", expression, data.get(), &local, nullptr));
  EXPECT_EQ(expression, "COPY('abcdef',2,3)");
  EXPECT_EQ(files,
            (std::vector<std::string>{"main", "datafield", "function", "arguments", "nested", "variable"}));
}

}  // namespace
