// LIBS: report platform_backend
// RTF handed to the report's rich-text control: measured, printed across
// pages with and without stretching, and exported as a picture. The first
// bytes choose the control's size, the room left on its page and the
// stretching; the rest is the RTF. Damaged RTF is refused; any text must
// print to its end, never crash or hang, and measure no taller than
// it prints.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/DefaultFlags.h"
#include "platform/backend/headless/Headless.h"
#include "report/RpCtrls.h"
#include "tests/report/RpTestSupport.h"

namespace {

// Longer texts add nothing a shorter one does not reach, and each costs
// pages of layout.
constexpr std::size_t kMaxRtf = 512;

class NullFilter : public TRpExportFilter {
 public:
  NullFilter() : TRpExportFilter("fuzz") {}
  // The text goes out as pictures; the band's background and frame as
  // shapes.
  void ControlOut(TRpPrintable* control, Extended, Extended) override {
    if (dynamic_cast<TRpImage*>(control) != nullptr)
      ++pictures;
    else if (dynamic_cast<TRpShape*>(control) == nullptr)
      std::abort();
  }
  int pictures = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return fuzz::HeavyRuns(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static THeadlessBackend& backend = InstallHeadlessBackend();
  (void)backend;
  if (size < 4 || size - 4 > kMaxRtf) return 0;
  SetRpMeasureInInches(false);
  const Extended height = 100 + data[0] * 10;    // 10 to 265 mm
  const Extended width = 300 + data[1] * 6;      // 30 to 183 mm
  const Extended above = (data[2] & 0x7f) * 20;  // what a band before it takes
  const bool stretch = (data[2] & 0x80) != 0;
  const int alignment = data[3] % 3;
  const std::string_view rtf(reinterpret_cast<const char*>(data + 4), size - 4);

  // One report for every run, as a user prints the same report again with
  // another text: making and freeing a report, its bands and its hidden
  // editor took a tenth of a run, and each run sets all the input decides.
  static TComponent owner(nullptr);
  static TBandRep* const rep = NewA4Report(&owner);
  static TRpRichText* const rich = AddRichTextBand(rep, &owner, "Fuzz", 0, height, width);
  rep->Bands()->Set(TBandRepBands::iTitle, above > 0);
  if (above > 0) {
    TRpCustomBand* title = rep->Bands()->Band(TBandRepBands::iTitle);
    title->Size()->Units = TRpUnit::Native;
    title->Size()->SetValue(TRpBandSize::iHeight, above);
  }
  rep->Bands()->Band(TBandRepBands::iDetail)->Size()->SetValue(TRpBandSize::iHeight, height);
  rich->Size()->SetValue(TRpPrintableSize::iWidth, width);
  rich->Size()->SetValue(TRpPrintableSize::iHeight, height);
  rich->AutoStretch = stretch;
  rich->SetAlignment(static_cast<TAlignment>(alignment));
  try {
    rich->RichEdit()->SetRichText(rtf);
  } catch (const ERichTextError&) {
    return 0;
  }
  Extended expanded = -1;
  rich->GetExpandedHeight(expanded);
  if (!std::isfinite(static_cast<double>(expanded)) || expanded < 0) std::abort();

  int fed = 0;
  rep->OnNeedData() = [&fed](TObject*, bool& more) { more = fed++ < 1; };
  {
    TRpPrinter printer(rep);
    rep->RunInto(&printer);
    if (!rich->PrintFinished || rich->NextChar() != 0) std::abort();
    // Every page a character or more: never more pages than characters.
    if (printer.PageCount() > rich->RichEdit()->Content().Length() + 2) std::abort();
  }
  fed = 0;
  NullFilter filter;
  rep->ExportToFilter(&filter);
  if (filter.pictures < 1) std::abort();
  return 0;
}
