// LIBS: report platform_backend
// A label breaking a long paragraph of a check report into the lines of
// its box (a category's name and a page-wide memo line), beside the same
// lines found by copying every piece of the paragraph and measuring it
// alone, word after word, through the report's measure.

#include <benchmark/benchmark.h>

#include <vector>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/Cp1253.h"
#include "report/RpCtrls.h"

namespace {

// About 3,000 characters of Greek words and figures, and the same with
// one word changed: the label keeps the lines of a text it broke last.
AnsiString Paragraph(int variant) {
  AnsiString text;
  for (int i = 0; text.size() < 3000; ++i)
    text += "Κατηγορία εργασιών "_a + IntToStr(i + variant) +
            ": οδοποιία-τεχνικά έργα, δαπάνη 1.234.567,89 με έκπτωση 23,45 % "_a;
  return text;
}

struct LabelScene {
  explicit LabelScene(int width) {
    InstallHeadlessBackend();
    SetRpMeasureInInches(false);
    rep = new TBandRep(&owner);
    rep->SetUnits(TRpUnit::Native);
    rep->Bands()->SetHasDetail(true);
    label = new TRpLabel(&owner);
    label->SetParent(rep->Bands()->Band(TBandRepBands::iDetail));
    label->AutoSize = false;
    label->SetWidth(width);
  }
  TComponent owner{nullptr};
  TBandRep* rep;
  TRpLabel* label;
  const AnsiString texts[2] = {Paragraph(0), Paragraph(1)};
};

void BM_LabelBreaksAParagraph(benchmark::State& state) {
  LabelScene scene(static_cast<int>(state.range(0)));
  int flip = 0;
  for (auto _ : state) scene.label->SetCaption(scene.texts[flip ^= 1]);
  state.counters["lines"] = scene.label->FormattedLines()->Count();
}
BENCHMARK(BM_LabelBreaksAParagraph)->Arg(250)->Arg(695)->Unit(benchmark::kMicrosecond);

// The yardstick: the same breaking rules, each piece a copy measured alone.
void BM_PieceByPieceBreaking(benchmark::State& state) {
  LabelScene scene(static_cast<int>(state.range(0)));
  const int width = scene.label->Width(), zoom = scene.label->GetZoom();
  const TFont font = scene.label->Font();
  const auto measure = [&](const AnsiString& piece) {
    return MulDiv(scene.rep->TextWidth(font, piece), zoom, 100);
  };
  int flip = 0;
  std::size_t count = 0;
  for (auto _ : state) {
    const AnsiString& text = scene.texts[flip ^= 1];
    std::vector<AnsiString> lines;
    AnsiString line;
    std::size_t at = 0;
    while (at < text.size()) {
      std::size_t end = text.find_first_of(" -", at);
      end = end == AnsiString::npos ? text.size() : end + 1;
      const AnsiString word = text.substr(at, end - at);
      at = end;
      if (measure(line + word) <= width) {
        line += word;
        continue;
      }
      lines.push_back(line);
      line = word;
    }
    lines.push_back(line);
    benchmark::DoNotOptimize(lines.data());
    count = lines.size();
  }
  state.counters["lines"] = static_cast<double>(count);
}
BENCHMARK(BM_PieceByPieceBreaking)->Arg(250)->Arg(695)->Unit(benchmark::kMicrosecond);

}  // namespace
