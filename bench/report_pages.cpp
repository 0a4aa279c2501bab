// LIBS: report platform_backend z
// The page coder against its literal bit-at-a-time form and zlib's fastest
// deflate on the same metafile bytes; a 1,000-page run into the page stream
// plain and coded; a seek from the first page to the last; 1,000 stored
// pages printed to the PDF printer beside a plain cairo and pango program
// drawing the same text.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include "bench/Brief.h"
#include "bench/PlacedText.h"
#include "bench/PlainCairo.h"
#include "platform/backend/headless/Headless.h"
#include "report/RpPrntr.h"
#include "tests/report/RpTestSupport.h"

namespace {

constexpr int kLines = 60;
// The pages of a run (a few in the sanitizer test run).
const int kPages = BenchSize(1000, 10);

AnsiString LineText(int page, int i) {
  return "Σελίδα "_a + IntToStr(page) + " γραμμή "_a + IntToStr(i) + ": Προσφορά με έκπτωση 12,34%"_a;
}

void DrawPage(TCanvas& c, int page, Extended factor) {
  c.Font->Name = "Arial";
  c.Font->SetSize(10);
  c.Brush->Style = bsClear;
  for (int i = 0; i < kLines; ++i)
    c.TextOut(static_cast<int>(200 * factor), static_cast<int>((200 + 45 * i) * factor), LineText(page, i));
}

const std::string& PageBytes() {
  static const std::string bytes = [] {
    TMetafile mf;
    mf.SetWidth(794);
    mf.SetHeight(1123);
    {
      TMetafileCanvas c(&mf);
      DrawPage(c, 1, 96.0L / 254);
    }
    return mf.Data();
  }();
  return bytes;
}

std::string Encoded(const std::string& plain) {
  TStringStream out;
  TRpCompress coder(&out, true);
  coder.Encode(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size());
  coder.Flush();
  return out.DataString();
}

void BM_EncodeFast(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Encoded(PageBytes()));
  state.SetBytesProcessed(state.iterations() * PageBytes().size());
  state.counters["plain"] = static_cast<double>(PageBytes().size());
  state.counters["coded"] = static_cast<double>(Encoded(PageBytes()).size());
}
BENCHMARK(BM_EncodeFast);

void BM_EncodeLiteral(benchmark::State& state) {
  for (auto _ : state) {
    ReferenceCoder coder;
    benchmark::DoNotOptimize(coder.Encode(PageBytes()));
  }
  state.SetBytesProcessed(state.iterations() * PageBytes().size());
}
BENCHMARK(BM_EncodeLiteral);

void BM_DecodeFast(benchmark::State& state) {
  const std::string coded = Encoded(PageBytes());
  std::string out(PageBytes().size(), '\0');
  for (auto _ : state) {
    TStringStream in(coded);
    TRpCompress coder(&in, false);
    coder.Decode(reinterpret_cast<std::uint8_t*>(out.data()), out.size());
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * PageBytes().size());
}
BENCHMARK(BM_DecodeFast);

void BM_DecodeLiteral(benchmark::State& state) {
  const std::string coded = Encoded(PageBytes());
  for (auto _ : state) {
    ReferenceCoder coder;
    benchmark::DoNotOptimize(coder.Decode(coded, PageBytes().size()));
  }
  state.SetBytesProcessed(state.iterations() * PageBytes().size());
}
BENCHMARK(BM_DecodeLiteral);

void BM_ZlibLevel1(benchmark::State& state) {
  const std::string& plain = PageBytes();
  std::string out(compressBound(plain.size()), '\0');
  for (auto _ : state) {
    uLongf size = out.size();
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
              plain.size(), 1);
    benchmark::DoNotOptimize(size);
  }
  state.SetBytesProcessed(state.iterations() * plain.size());
}
BENCHMARK(BM_ZlibLevel1);

// A 1,000-page run into the page stream (arg 1: coded).
void BM_Run1000Pages(benchmark::State& state) {
  InstallHeadlessBackend();
  for (auto _ : state) {
    TRpPrinter p;
    p.SetCompression(state.range(0) != 0);
    p.BeginDoc();
    for (int n = 1; n <= kPages; ++n) {
      p.NewPage();
      DrawPage(*p.Canvas(), n, p.XFactor());
    }
    p.EndDoc();
  }
}
BENCHMARK(BM_Run1000Pages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

std::unique_ptr<TRpPrinter> StoredRun(int pages) {
  auto p = std::make_unique<TRpPrinter>();
  p->BeginDoc();
  for (int n = 1; n <= pages; ++n) {
    p->NewPage();
    DrawPage(*p->Canvas(), n, p->XFactor());
  }
  p->EndDoc();
  return p;
}

void BM_SeekFirstToLast(benchmark::State& state) {
  InstallHeadlessBackend();
  auto p = StoredRun(kPages);
  for (auto _ : state) {
    p->PageList()->SeekToPage(1);
    p->PageList()->SeekToPage(kPages);
  }
}
BENCHMARK(BM_SeekFirstToLast)->Unit(benchmark::kMillisecond);

void BM_Print1000StoredPages(benchmark::State& state) {
  InstallHeadlessBackend();
  printers::UseProfiles({printers::PdfPrinterProfile()}, 0);
  Printer()->Refresh();
  auto p = StoredRun(kPages);
  p->Printer()->FileName = BenchFile("report_pages_bench.pdf");
  for (auto _ : state) p->Print();
  state.counters["bytes"] = FileBytes(BenchFile("report_pages_bench.pdf").c_str());
  printers::UseSystem();
}
BENCHMARK(BM_Print1000StoredPages)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same text straight through cairo and pango at 600 dots per inch.
void BM_PlainCairo1000Pages(benchmark::State& state) {
  for (auto _ : state) {
    PlainPdf pdf(BenchFile("report_pages_cairo.pdf").c_str());
    for (int page = 1; page <= kPages; ++page) {
      for (int i = 0; i < kLines; ++i) pdf.Text(200, 200 + 45 * i, LineText(page, i));
      pdf.EndPage();
    }
  }
}
BENCHMARK(BM_PlainCairo1000Pages)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same glyphs at the same places from a table of the font, unshaped:
// the yardstick of the stored pages' printing.
void BM_PlainGlyphs1000Pages(benchmark::State& state) {
  for (auto _ : state) {
    PlainGlyphPdf pdf(BenchFile("report_pages_glyphs.pdf").c_str());
    for (int page = 1; page <= kPages; ++page) {
      for (int i = 0; i < kLines; ++i) pdf.Text(200, 200 + 45 * i, LineText(page, i));
      pdf.EndPage();
    }
  }
  state.counters["bytes"] = FileBytes(BenchFile("report_pages_glyphs.pdf").c_str());
}
BENCHMARK(BM_PlainGlyphs1000Pages)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

namespace {

// The same glyphs where the printed pages put them, with their records'
// advances: the yardstick of the stored pages' printing. The lines and
// their places are read from the pages before the timed region, as the
// plain program's input.
void BM_PlainGlyphsAtRecordAdvances(benchmark::State& state) {
  InstallHeadlessBackend();
  printers::UseProfiles({printers::PdfPrinterProfile()}, 0);
  Printer()->Refresh();
  auto run = StoredRun(kPages);
  const std::vector<std::vector<PlacedText>> pages = PlacedTexts(*run);
  for (auto _ : state) {
    PlainGlyphPdf pdf(BenchFile("report_pages_placed.pdf").c_str(), pages[0][0].size);
    for (const std::vector<PlacedText>& page : pages) {
      for (const PlacedText& t : page) pdf.Text(t.x, t.y, t.text, t.dx);
      pdf.EndPage();
    }
  }
  state.counters["bytes"] = FileBytes(BenchFile("report_pages_placed.pdf").c_str());
  printers::UseSystem();
}
BENCHMARK(BM_PlainGlyphsAtRecordAdvances)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
