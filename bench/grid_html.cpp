// LIBS: grid_controls
// Mini-HTML cells as the grid paints them (measured, then drawn, on an
// image canvas): a one-line cell with three tags, a five-line wrapped cell,
// a text of 1,000 entities; and the decoding of a 4-frame 256 × 256 GIF.
#include <benchmark/benchmark.h>

#include "grid/EsgHTMLE.h"
#include "grid/PictureContainer.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/Gif.h"
#include "tests/platform/gfx/GifWriter.h"

namespace {

void MeasureAndDraw(benchmark::State& state, const AnsiString& text, TRect bounds) {
  TImageCanvas canvas(600, 400);
  canvas.Font->Name = "Arial";
  canvas.Font->SetSize(9);
  AnsiString hit, plain, href, id, value, type;
  int ex = 0, ey = 0, count = 0, number = 0;
  TRect anchorRect, controlRect;
  for (auto _ : state) {
    for (bool measure : {true, false})
      HTMLDraw(canvas, text, bounds, nullptr, -1, -1, -1, -1, 1, false, measure, false, false, true, false,
               true, false, 1.0, clBlue, clNone, clNone, clGray, hit, plain, href, ex, ey, count, number,
               anchorRect, controlRect, id, value, type, nullptr, nullptr, nullptr);
    benchmark::DoNotOptimize(ey);
  }
}

void BM_OneLineThreeTags(benchmark::State& state) {
  MeasureAndDraw(state, "<B>Προσφορά</B> <I>αναδόχου</I> <FONT COLOR=\"clred\">12.345,67</FONT>",
                 {0, 0, 400, 20});
}
BENCHMARK(BM_OneLineThreeTags)->Unit(benchmark::kMicrosecond);

void BM_FiveWrappedLines(benchmark::State& state) {
  MeasureAndDraw(
      state,
      "<B>Description</B> of the work item with a long text that the cell wraps over several lines "
      "so that <U>every</U> line is laid out twice, measured and drawn, as the grid does it",
      {0, 0, 120, 200});
}
BENCHMARK(BM_FiveWrappedLines)->Unit(benchmark::kMicrosecond);

void BM_ThousandEntities(benchmark::State& state) {
  AnsiString text;
  for (int i = 0; i < 1000; ++i) text += i % 2 ? "&amp;" : "&euro;";
  MeasureAndDraw(state, text, {0, 0, 600, 400});
}
BENCHMARK(BM_ThousandEntities)->Unit(benchmark::kMicrosecond);

// Hostile cells of 64 KB: one word without blanks cut with an ellipsis,
// blanks wrapped into thousands of lines, tags only, entities only, list
// items only (each measured then drawn; the drawing stops at the bounds).
void BM_Hostile64K(benchmark::State& state) {
  static const char* const pieces[] = {"a", "a ", "<B>", "&amp;", "<LI>x", "<IMG SRC=\"http://h/x\">"};
  AnsiString text;
  while (text.size() < 65536) text += pieces[state.range(0)];
  MeasureAndDraw(state, text, {0, 0, 300, 300});
}
BENCHMARK(BM_Hostile64K)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_DecodeGif4x256(benchmark::State& state) {
  std::vector<giftest::Frame> frames(4, giftest::Frame{0, 0, 256, 256});
  for (int f = 0; f < 4; ++f) {
    frames[f].Indices.resize(256 * 256);
    for (size_t i = 0; i < frames[f].Indices.size(); ++i)
      frames[f].Indices[i] = static_cast<unsigned char>((i / 7 + f) % 4);
  }
  const std::string bytes = giftest::MakeGif(256, 256, frames);
  for (auto _ : state) {
    TGIFImage gif;
    gif.LoadFromBytes(bytes);
    benchmark::DoNotOptimize(gif.FrameCount());
  }
}
BENCHMARK(BM_DecodeGif4x256)->Unit(benchmark::kMicrosecond);

void BM_PictureFrame(benchmark::State& state) {
  std::vector<giftest::Frame> frames(4, giftest::Frame{0, 0, 256, 256});
  const std::string bytes = giftest::MakeGif(256, 256, frames);
  THTMLPicture picture;
  TStringStream stream{bytes};
  picture.LoadFromStream(stream);
  int frame = 0;
  for (auto _ : state) picture.SetFrame(frame++ % 4 + 1);
}
BENCHMARK(BM_PictureFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
