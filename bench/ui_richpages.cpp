// LIBS: platform_ui platform_gfx
// A long rich text printed over many pages, as format-range lays it out
// page by page: a paragraph of twelve pages at 12 points on A4, and a
// short text at 200 points in a box 30 mm wide and 100 mm high, which
// takes a page for every word or two. Each page either goes on from the
// lines the pages before it laid (as printing does) or is laid out afresh
// from its own start (as every page was before). The yardstick is pango
// called the plain way: a layout of the rest of the text at each page,
// wrapped at the width, cut where the page ends.

#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <string>

#include "bench/Brief.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/ComCtrlsRichText.h"

namespace {

struct Pages {
  int halfPoints;
  int width, height;  // of a page, in twips
  int sentences, brief;
};

std::string Words(int sentences) {
  std::string words;
  for (int i = 1; i <= sentences; ++i)
    words += "\\'d0\\'f1\\'ef\\'f3\\'f6\\'ef\\'f1\\'dc " + std::to_string(i) +
             ": the offer of the bidder with its discount, the amount in words and the remarks of the "
             "committee on the documents it handed in, {\\b in bold} and plain again. ";
  return words;
}

// Twelve A4 pages of 10 mm margins.
const Pages kLong{24, 10773, 15591, 330, 10};
// A page for every word or two, hundreds of them.
const Pages kHuge{400, 1701, 5669, 2, 1};

TRichContent ContentOf(const Pages& pages) {
  TRichContent content;
  content.SetDocument(richtext::ReadRtf(
      "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0\\fnil\\fcharset161 Arial;}}\\f0\\fs" +
      std::to_string(pages.halfPoints) + " " + Words(BenchSize(pages.sentences, pages.brief)) + "}"));
  return content;
}

// Every page from the start to the end of the text; Lay gives the lines of
// the page from a character.
template <typename Lay>
int PrintPages(const TRichContent& content, Lay lay) {
  int pages = 0;
  for (int from = 0; from < content.Length(); ++pages) {
    const std::vector<TRichLine> lines = lay(from);
    if (lines.back().Next <= from) break;
    from = lines.back().Next;
  }
  return pages;
}

void Count(benchmark::State& state, int pages) {
  state.counters["pages"] = pages;
  state.counters["us/page"] = benchmark::Counter(
      static_cast<double>(pages) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

// As printing lays its pages out (GoingOn): each goes on from the lines the
// ones before it laid, with the measures kept from page to page. Afresh,
// each page is laid out from its own start with the same kept measures:
// what every page cost before pages went on from the last.
void LaidPages(benchmark::State& state, const Pages& p, bool goingOn) {
  const TRichContent content = ContentOf(p);
  int pages = 0;
  for (auto _ : state) {
    TRichMeasures kept;
    kept.Follow(content, 1440);
    TRichLayout layout(content, 1440);
    layout.Measures = &kept;
    pages = PrintPages(content, [&](int from) {
      return goingOn ? layout.LayPage(from, p.width, p.height) : layout.Lay(from, p.width, p.height);
    });
  }
  Count(state, pages);
}
void GoingOn(benchmark::State& state, const Pages& p) { LaidPages(state, p, true); }
void Afresh(benchmark::State& state, const Pages& p) { LaidPages(state, p, false); }

// Pango the plain way: the rest of the text laid out at every page, in
// twips, its lines taken down to the page's foot (at least one).
void PlainPango(benchmark::State& state, const Pages& p) {
  const TRichContent content = ContentOf(p);
  const std::string utf8 = cp1253::ToUtf8(content.Text());
  PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
  PangoFontDescription* font = pango_font_description_from_string("Arial");
  pango_font_description_set_absolute_size(font, p.halfPoints * 10.0 * PANGO_SCALE);
  int pages = 0;
  for (auto _ : state) {
    pages = 0;
    for (size_t from = 0; from < utf8.size(); ++pages) {
      PangoLayout* layout = pango_layout_new(context);
      pango_layout_set_font_description(layout, font);
      pango_layout_set_width(layout, p.width * PANGO_SCALE);
      pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
      pango_layout_set_text(layout, utf8.c_str() + from, static_cast<int>(utf8.size() - from));
      PangoLayoutIter* line = pango_layout_get_iter(layout);
      size_t next = utf8.size();
      bool first = true;
      do {
        int top = 0, foot = 0;
        pango_layout_iter_get_line_yrange(line, &top, &foot);
        if (!first && foot > p.height * PANGO_SCALE) {
          next = from + static_cast<size_t>(pango_layout_iter_get_index(line));
          break;
        }
        first = false;
      } while (pango_layout_iter_next_line(line));
      pango_layout_iter_free(line);
      g_object_unref(layout);
      from = next;
    }
  }
  pango_font_description_free(font);
  g_object_unref(context);
  Count(state, pages);
}

void BM_LongTextPagesGoingOn(benchmark::State& state) { GoingOn(state, kLong); }
BENCHMARK(BM_LongTextPagesGoingOn)->Unit(benchmark::kMillisecond);
void BM_LongTextPagesAfresh(benchmark::State& state) { Afresh(state, kLong); }
BENCHMARK(BM_LongTextPagesAfresh)->Unit(benchmark::kMillisecond);
void BM_LongTextPagesPlainPango(benchmark::State& state) { PlainPango(state, kLong); }
BENCHMARK(BM_LongTextPagesPlainPango)->Unit(benchmark::kMillisecond);

void BM_HugeTextPagesGoingOn(benchmark::State& state) { GoingOn(state, kHuge); }
BENCHMARK(BM_HugeTextPagesGoingOn)->Unit(benchmark::kMillisecond);
void BM_HugeTextPagesAfresh(benchmark::State& state) { Afresh(state, kHuge); }
BENCHMARK(BM_HugeTextPagesAfresh)->Unit(benchmark::kMillisecond);
void BM_HugeTextPagesPlainPango(benchmark::State& state) { PlainPango(state, kHuge); }
BENCHMARK(BM_HugeTextPagesPlainPango)->Unit(benchmark::kMillisecond);

}  // namespace
