// LIBS: platform_ui
// A window's two scroll bars painted through its control canvas onto its
// pixels, as every paint of a scrolling grid that reaches them draws them:
// again in the same look, and with the thumbs moved on at each paint. The
// yardstick draws the same bars in place, fill by fill, as each paint did
// before the bars kept their pictures.
#include <benchmark/benchmark.h>

#include "platform/gfx/CairoCanvas.h"
#include "platform/ui/ControlCanvas.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/StdCtrls.h"

namespace {

constexpr int kWidth = 400, kHeight = 300;
const TRect kInner = Rect(2, 2, kWidth - 2, kHeight - 2);

void SetBars(TWindowScrollBars& bars, int pos) {
  for (int bar : {SB_HORZ, SB_VERT}) {
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    info.nMin = 0;
    info.nMax = 999;
    info.nPage = 50;
    info.nPos = pos;
    bars.SetInfo(bar, info, false);
  }
}

// Moved: the thumbs move on at every paint, so that each look is new.
void PaintWindowBars(benchmark::State& state, bool moved) {
  TImageCanvas window(kWidth + 20, kHeight + 20);
  TButton owner(nullptr);
  TWindowScrollBars bars(&owner);
  bars.SetStyle(ssBoth);
  int pos = 0;
  SetBars(bars, pos);
  for (auto _ : state) {
    if (moved) SetBars(bars, pos = (pos + 7) % 900);
    TControlCanvas canvas(window, Point(10, 10), Rect(10, 10, kWidth + 10, kHeight + 10),
                          TSize{kWidth, kHeight});
    canvas.SelectClipRect(Rect(0, 0, kWidth, kHeight));
    bars.Paint(canvas, kInner);
  }
  benchmark::DoNotOptimize(window.Pixel(kWidth, kHeight));
  state.SetItemsProcessed(state.iterations() * 2);
}

void PaintBarsInPlace(benchmark::State& state, bool moved) {
  TImageCanvas window(kWidth + 20, kHeight + 20);
  TButton owner(nullptr);
  TWindowScrollBars bars(&owner);
  bars.SetStyle(ssBoth);
  int pos = 0;
  for (auto _ : state) {
    if (moved) pos = (pos + 7) % 900;
    TControlCanvas canvas(window, Point(10, 10), Rect(10, 10, kWidth + 10, kHeight + 10),
                          TSize{kWidth, kHeight});
    canvas.SelectClipRect(Rect(0, 0, kWidth, kHeight));
    for (int bar : {SB_HORZ, SB_VERT}) {
      TScrollBarGeometry g;
      g.Max = 999;
      g.Page = 50;
      g.Pos = pos;
      g.Horizontal = bar == SB_HORZ;
      PaintScrollBar(canvas, bars.BarRect(kInner, bar), g, true, TScrollPart::None);
    }
  }
  benchmark::DoNotOptimize(window.Pixel(kWidth, kHeight));
  state.SetItemsProcessed(state.iterations() * 2);
}

void BM_WindowBarsSameLook(benchmark::State& state) { PaintWindowBars(state, false); }
void BM_WindowBarsMoved(benchmark::State& state) { PaintWindowBars(state, true); }
void BM_YardstickBarsDrawnInPlace(benchmark::State& state) { PaintBarsInPlace(state, false); }
void BM_YardstickBarsDrawnInPlaceMoved(benchmark::State& state) { PaintBarsInPlace(state, true); }

BENCHMARK(BM_WindowBarsSameLook);
BENCHMARK(BM_WindowBarsMoved);
BENCHMARK(BM_YardstickBarsDrawnInPlace);
BENCHMARK(BM_YardstickBarsDrawnInPlaceMoved);

}  // namespace
