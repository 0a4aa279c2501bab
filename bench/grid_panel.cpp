// LIBS: grid_controls platform_ui platform_backend
// The captioned panel: building a 1000 x 40 caption shade of every type;
// painting a 700 x 360 panel with a shaded caption, buttons, the grip and a
// mini-HTML body of 2 KB; one anchor hit-test over that text.

#include <benchmark/benchmark.h>

#include <memory>

#include "grid/ExtPanel.h"
#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

void BM_BuildShade(benchmark::State& state) {
  const auto type = static_cast<TShadeType>(state.range(0));
  TPixelBlock block;
  for (auto _ : state) {
    block.Width = 1000;
    block.Height = 40;
    BuildShadePixels(type, static_cast<TColor>(0xFF8000), 200, 40, block);
    benchmark::DoNotOptimize(block.Pixels.data());
  }
}
BENCHMARK(BM_BuildShade)->DenseRange(stNormal, stBitmapLStretch)->Unit(benchmark::kMicrosecond);

struct PanelScene {
  THeadlessBackend* backend;
  std::unique_ptr<TForm> form;
  TExtPanel* panel;

  PanelScene() {
    backend = &InstallHeadlessBackend();
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(0, 0, 720, 380);
    panel = new TExtPanel(form.get());
    panel->SetBounds(5, 5, 700, 360);
    panel->SetParent(form.get());
    panel->Caption().SetVisible(true);
    panel->Caption().SetText("ΥΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΘΕΤΗΣ ΚΑΙ ΣΥΝΟΛΙΚΗΣ ΕΓΓΥΗΣΗΣ ΚΑΛΗΣ ΕΚΤΕΛΕΣΗΣ "_a);
    panel->Caption().SetHeight(25);
    panel->Caption().SetShadeType(stDiagShade);
    panel->Caption().SetCloseButton(true);
    panel->Caption().SetMinMaxButton(true);
    panel->SetCanSize(true);
    // 2 KB of the panel's mini-HTML: styles, colours and anchors.
    AnsiString body;
    for (int n = 0; body.size() < 2048; ++n)
      body += "Η <B>εγγύηση</B> καλής εκτέλεσης υπολογίζεται επί της <I>προσφοράς</I> "_a +
              "(<A HREF=\"rule" + IntToStr(n) + "\">κανόνας</A>, <FONT COLOR=\"clRed\">όριο</FONT>). "_a;
    panel->SetText(body);
    form->Show();
    Application->ProcessMessages();
  }
};

void BM_PaintPanel(benchmark::State& state) {
  PanelScene scene;
  for (auto _ : state) {
    scene.panel->Invalidate();
    benchmark::DoNotOptimize(scene.backend->Render(*scene.form));
  }
}
BENCHMARK(BM_PaintPanel)->Unit(benchmark::kMicrosecond);

void BM_AnchorHitTest(benchmark::State& state) {
  PanelScene scene;
  int x = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(scene.panel->AnchorAt(x, 200));
    x = (x + 37) % 690;
  }
}
BENCHMARK(BM_AnchorHitTest)->Unit(benchmark::kMicrosecond);

}  // namespace
