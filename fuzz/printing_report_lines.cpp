// LIBS: printing_forms platform_backend
// The report form reading a check report back: any text in the memo, read
// by fixed columns and leading words into the offer budget (kind 3) and
// the discounts offer (kind 4), with the budget's cells and the offer's
// total taken from the same bytes (numbers in words from any text). No
// input may crash, hang or leak; every line makes one record; the row and
// the summary line stay in their ranges; a run over the whole text
// through the report engine ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "fuzz/DefaultFlags.h"
#include "platform/backend/headless/Headless.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/StdCtrls.h"
#include "printing/Qprint.h"

namespace {

// A report of more lines adds nothing a shorter one does not reach.
constexpr std::size_t kMaxBytes = 4096;

struct Scene {
  std::unique_ptr<TForm> owner;
  TMemo* memo = nullptr;
  std::unique_ptr<TrpForm> form;
  AnsiString cell;

  Scene() {
    InstallHeadlessBackend();
    owner.reset(NewForm<TForm>(nullptr));
    memo = new TMemo(owner.get());
    memo->SetParent(owner.get());
    form.reset(NewForm<TrpForm>(nullptr));
    form->CheckReport = memo;
    form->BudgetCell = [this](int, int) { return cell; };
    form->TotalsCell = [this](int, int) { return cell; };
    form->BandRep1->OnPreview = [](TObject*) {};
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return fuzz::HeavyRuns(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxBytes) return 0;
  Scene& s = TheScene();
  const AnsiString text(reinterpret_cast<const char*>(data), size);
  s.memo->Lines().SetText(text);
  // The cells read as the first line's figures.
  const std::size_t end = text.find_first_of("\r\n");
  s.cell = text.substr(0, end == AnsiString::npos ? text.size() : end).substr(0, 40);
  TrpForm& f = *s.form;
  for (int kind : {3, 4}) {
    f.ReportKind = kind;
    f.FormShow(&f);
    bool print = true;
    f.BandRep1BeforePrint(f.BandRep1, print);
    const int lines = s.memo->Lines().Count();
    int records = 0;
    for (bool more = true; more;) {
      f.BandRep1NeedData(f.BandRep1, more);
      if (more) ++records;
      if (f.GroupNo < -1 || f.LineKind < 0 || f.LineKind > 13) std::abort();
      bool band = false;
      f.ChildBand1BeforePrint(f.ChildBand1, band);
      f.ChildBand8BeforePrint(f.ChildBand8, band);
      f.ChildBand2BeforePrint(f.ChildBand2, band);
      f.ClosingBandBeforePrint(f.ChildBand6, band);
      f.SumsBandAfterPrint(f.ChildBand6, band);
      if (records > lines) std::abort();
    }
    if (records != lines) std::abort();
  }
  // The whole text through the engine, short ones only: a run lays out
  // every page.
  if (size <= 256) s.form->BandRep1->Preview();
  return 0;
}
