#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/backend/screen/Screen.h"
#include "platform/ui/Application.h"
#include "report/RpEnvEd.h"
#include "report/RpExpBld.h"
#include "report/RpExprEd.h"
#include "tests/TestOutput.h"
#include "tests/platform/backend/XvfbDisplay.h"

namespace {

// The design-time dialogs on a real display: each is pictured once it has
// painted, then closed from the loop's idle time.
class RpDesignOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    screen = OpenScreenForTest(display);
    ASSERT_NE(screen, nullptr);
    RpExprEnsureStarted();
  }
  void TearDown() override {
    Application->OnIdle = nullptr;
    SetBackend(nullptr);
    unsetenv("DIM_BACKEND");
  }
  // Once the active window shows Caption and has painted (and Ready says
  // so), it is pictured as Name and Then acts; a window that never comes
  // fails the test after a bound instead of hanging it.
  void WhenShown(const AnsiString& caption, const std::string& name, std::function<void(TCustomForm&)> then,
                 std::function<bool(TCustomForm&)> ready = nullptr) {
    const DWORD start = GetTickCount();
    Application->OnIdle = [=, this](TObject*, bool& done) {
      done = false;
      Backend().WaitForInput(10);
      TCustomForm* active = Screen->ActiveForm();
      const bool shown = active != nullptr && active->Caption() == caption &&
                         screen->WindowOf(*active) != nullptr && (!ready || ready(*active));
      if (!shown) {
        if (GetTickCount() - start < 30000) return;
        ADD_FAILURE() << "window not shown in time: " << caption;
        Application->OnIdle = nullptr;
        if (active != nullptr) active->Close();
        return;
      }
      Application->ProcessMessages();
      const std::string file = TestOutput(name + ".png");
      screen->SaveScreenshot(*active, file);
      pictured.push_back(file);
      const std::function<void(TCustomForm&)> act = then;
      Application->OnIdle = nullptr;
      act(*active);
    };
  }
  // The builder embedded in Form, if one shows.
  static TRpExpressionBuilder* Builder(TCustomForm& form) {
    for (int i = 0; i < form.ControlCount(); ++i)
      if (auto* builder = dynamic_cast<TRpExpressionBuilder*>(form.Controls(i));
          builder && builder->Visible())
        return builder;
    return nullptr;
  }
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = nullptr;
  std::vector<std::string> pictured;
};

TEST_F(RpDesignOnScreen, EachDialogPictured) {
  TForm holder(nullptr);
  auto* label = new TRpLabel(&holder);
  label->SetParent(&holder);
  label->SetCaption("Σύνολο"_a);
  auto* expr = new TRpExpr(&holder);
  expr->SetParent(&holder);
  expr->SetExpression("PAGENUMBER");
  for (TRpPrintable* control : {static_cast<TRpPrintable*>(label), static_cast<TRpPrintable*>(expr)}) {
    std::unique_ptr<TRpPrintableEditor> editor = control->GetEditorClass()(control);
    const AnsiString caption = control == label ? "Text Settings" : "Expression settings";
    WhenShown(caption, editor->GetKindName(), [](TCustomForm& f) { f.SetModalResult(mrCancel); });
    EXPECT_FALSE(editor->Edit());
  }

  TRpEvEnvironment local;
  local.AddFunction("rate", "0.24");
  local.AddFunction("net", "100*RATE");
  // The list, the builder embedded for Edit, the list again once the
  // builder has gone, then the new entry.
  const AnsiString editor = "User Defined Functions Edtor";
  auto env = [](TCustomForm& f) -> TRpEnvironmentEditor& { return dynamic_cast<TRpEnvironmentEditor&>(f); };
  auto newEntry = [&](TCustomForm& f) {
    WhenShown(
        editor, "environment_new_entry",
        [&](TCustomForm& g) {
          env(g).NewCancelBtn->Click();
          env(g).VariableOKBtn->Click();
        },
        [&](TCustomForm& g) { return !env(g).AddBtn->Visible(); });
    env(f).AddBtn->Click();
  };
  auto afterEdit = [&](TCustomForm& f) {
    WhenShown(editor, "environment_after_edit", newEntry,
              [](TCustomForm& g) { return Builder(g) == nullptr; });
    Builder(f)->Cancel->Click();
  };
  WhenShown(editor, "environment_list", [&](TCustomForm& f) {
    WhenShown(editor, "environment_edit_builder", afterEdit,
              [](TCustomForm& g) { return Builder(g) != nullptr; });
    env(f).EditBtn->Click();
  });
  ShowEnvironmentEditor(&local, true);
  ASSERT_EQ(pictured.size(), 6u);
  for (const std::string& file : pictured) EXPECT_GT(std::filesystem::file_size(file), 1000u) << file;
}

}  // namespace
