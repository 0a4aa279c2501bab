// Opens the report designer's dialogs one after the other on a text
// control, an expression control and a local environment, and prints what
// each left behind, so the dialogs can be tried by hand or by a script
// driving a display: report_designer_demo [label|expr|env]...
#include <cstdio>
#include <cstring>

#include "platform/backend/Backends.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "report/RpEnvEd.h"
#include "report/RpExprEd.h"

namespace {

void Report(const char* what, TRpCustomLabel& control, bool confirmed) {
  std::printf("%s confirmed=%d text=%s width=%s height=%s autosize=%d stretch=%d transparent=%d\n", what,
              confirmed ? 1 : 0, cp1253::ToUtf8(control.Caption()).c_str(),
              FloatToStr(control.Size()->GetValue(TRpPrintableSize::iWidth)).c_str(),
              FloatToStr(control.Size()->GetValue(TRpPrintableSize::iHeight)).c_str(),
              control.AutoSize ? 1 : 0, control.AutoStretch() ? 1 : 0, control.Transparent() ? 1 : 0);
}

}  // namespace

int main(int argc, char** argv) {
  InstallDefaultBackend();
  Application->Initialize();
  RpExprEnsureStarted();
  SetRpMeasureInInches(false);
  TForm holder(nullptr);
  holder.SetCaption("Report");
  auto* label = new TRpLabel(&holder);
  label->SetParent(&holder);
  label->SetCaption("Total");
  auto* expr = new TRpExpr(&holder);
  expr->SetParent(&holder);
  expr->SetExpression("2+3");
  TRpEvEnvironment local;
  local.AddFunction("rate", "0.24");
  local.AddFunction("net", "100*RATE");

  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "label") == 0 || std::strcmp(argv[i], "expr") == 0) {
      TRpCustomLabel* control = argv[i][0] == 'l' ? static_cast<TRpCustomLabel*>(label) : expr;
      const bool confirmed = control->GetEditorClass()(control)->Edit();
      Report(argv[i], *control, confirmed);
      if (control == expr)
        std::printf("expr expression=%s mask=%s\n", expr->Expression().c_str(), expr->Mask().c_str());
    } else if (std::strcmp(argv[i], "env") == 0) {
      ShowEnvironmentEditor(&local, true);
      for (int k = 0; k < local.Count(); ++k)
        std::printf("env %s=%s\n", cp1253::ToUtf8(local.Get(k)).c_str(),
                    cp1253::ToUtf8(local.Entry(k)->Expression).c_str());
    }
    std::fflush(stdout);
  }
  return 0;
}
