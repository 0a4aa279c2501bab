// Opens the report designer's dialogs one after the other on a text
// control, an expression control and a local environment, and prints what
// each left behind, so the dialogs can be tried by hand or by a script
// driving a display: report_designer_demo [label|expr|env|design]...
// "design" shows a two-column report in its design view (ruler grid,
// margins, column gaps, bands with their controls, and the picture of its
// first page behind them once it has run) until its window closes;
// "design-chars" shows it measured in characters of a 14-point font.
#include <cstdio>
#include <cstring>

#include "platform/backend/Backends.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/Panels.h"
#include "report/RpCtrls.h"
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

// A report in its design view, shown until its window is closed.
void ShowDesign(bool characters) {
  TForm form(nullptr);
  form.SetCaption("Σχέδιο εκτύπωσης"_a);
  form.SetBounds(0, 0, 860, 700);
  // A page is larger than the window: the view scrolls over it.
  auto* view = new TScrollBox(&form);
  view->SetParent(&form);
  view->SetAlign(alClient);
  view->HorzScrollBar().Increment = 16;
  view->VertScrollBar().Increment = 16;
  TBandRep* report = new TBandRep(&form);
  report->SetParent(view);
  report->SetUnits(TRpUnit::MM);
  report->Frame()->SetDrawLeft(true);
  report->Frame()->SetDrawRight(true);
  report->Page()->SetValue(TRpPage::iColumnSpace, 10);
  report->Page()->SetColumns(2);
  const auto band = [&](int index, Extended mm) {
    report->Bands()->Set(index, true);
    TRpCustomBand* b = report->Bands()->Band(index);
    b->Size()->SetValue(TRpBandSize::iHeight, mm);
    return b;
  };
  const auto label = [&](TRpCustomBand* on, const AnsiString& text, Extended left) {
    auto* l = new TRpLabel(&form);
    l->SetParent(on);
    l->Size()->Units = TRpUnit::MM;
    l->Size()->SetValue(TRpPrintableSize::iLeft, left);
    l->Size()->SetValue(TRpPrintableSize::iTop, 2);
    l->SetCaption(text);
    return l;
  };
  label(band(TBandRepBands::iPageHeader, 12), "Κεφαλίδα σελίδας"_a, 5);
  TRpCustomBand* title = band(TBandRepBands::iTitle, 20);
  label(title, "Πίνακας προσφορών"_a, 60)->Font().SetSize(14);
  title->Frame()->SetDrawBottom(true);
  TRpCustomBand* detail = band(TBandRepBands::iDetail, 10);
  TRpLabel* bidder = label(detail, "Προσφέρων"_a, 2);
  TRpLabel* amount = label(detail, "Ποσό"_a, 55);
  auto* rule = new TRpShape(&form);
  rule->SetParent(detail);
  rule->SetShape(rpsVertLine);
  rule->Size()->Units = TRpUnit::MM;
  rule->Size()->SetValue(TRpPrintableSize::iLeft, 50);
  rule->Size()->SetValue(TRpPrintableSize::iWidth, 2);
  rule->Size()->SetValue(TRpPrintableSize::iHeight, 10);
  label(band(TBandRepBands::iPageFooter, 10), "Σελίδα"_a, 5);
  label(band(TBandRepBands::iSummary, 15), "Σύνολο"_a, 5);
  report->SetZoom(75);
  form.Show();
  // A run in the design view: its first page shows behind the bands.
  int fed = 0;
  report->OnNeedData() = [&](TObject*, bool& more) {
    more = fed < 6;
    if (!more) return;
    ++fed;
    bidder->SetCaption("Προσφέρων "_a + IntToStr(fed));
    amount->SetCaption(FormatFloat("#,##0.00", 1000.0L * fed));
  };
  report->DesignRun();
  bidder->SetCaption("Προσφέρων"_a);
  amount->SetCaption("Ποσό"_a);
  if (characters) {
    report->Font().SetSize(14);
    report->SetUnits(TRpUnit::Characters);
    report->Invalidate();
  }
  while (form.Visible() && !Application->Terminated())
    if (!Application->HandleMessage()) break;
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
    } else if (std::strcmp(argv[i], "design") == 0 || std::strcmp(argv[i], "design-chars") == 0) {
      ShowDesign(argv[i][6] == '-');
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
