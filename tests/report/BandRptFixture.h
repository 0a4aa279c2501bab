#pragma once
// The band report fixture: an A4 report on a form, fed need-data lines,
// and the texts of the pages it records.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/gfx/Metafile.h"
#include "report/RpCtrls.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/platform/ui/ControlsFixture.h"

namespace bandrpt_test {

struct Text {
  AnsiString S;
  int X, Y;
};

// The texts of a recorded page with their reference points, in order.
inline std::vector<Text> PageTexts(TRpPrinter& p, int n) {
  std::vector<Text> out;
  auto page = p.GetPage(n);
  if (!page) return out;
  EnumEnhMetafile(page->Data(), [&](std::uint32_t, std::string_view rec) {
    AnsiString s;
    if (TextOfRecord(rec, s) && rec.size() >= 44) {
      std::int32_t x, y;
      std::memcpy(&x, rec.data() + 36, 4);
      std::memcpy(&y, rec.data() + 40, 4);
      out.push_back({s, x, y});
    }
    return true;
  });
  return out;
}

inline std::vector<AnsiString> Strings(const std::vector<Text>& texts) {
  std::vector<AnsiString> out;
  for (const Text& t : texts) out.push_back(t.S);
  return out;
}

// A report fed Lines need-data lines, each printed by a label on the
// detail band; a page header, a title, a page footer with the page number
// and a summary around them. All lengths in 0.1 mm.
// Back to the system's printers after a run to the PDF printer, and the
// PDF that run wrote into Folder ("" when none, or the reader is missing).
inline std::string PrintedPdf(const TempFolder& folder) {
  printers::UseSystem();
  Printer()->Refresh();
  if (::testing::AssertionResult have = Installed("pdftotext", "poppler-utils"); !have) {
    ADD_FAILURE() << have.message();
    return {};
  }
  std::string file;
  for (const auto& f : std::filesystem::directory_iterator(folder.path()))
    if (f.path().extension() == ".pdf") file = f.path().string();
  return file;
}

class BandRptTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    SetRpMeasureInInches(false);
    rep = new TBandRep(Form.get());
    rep->SetParent(Form.get());
    rep->SetUnits(TRpUnit::Native);
    TRpPage& page = *rep->Page();
    page.SetPaperSize(TRpPaperSize::A4);
    for (int i : {TRpPage::iTopMargin, TRpPage::iBottomMargin, TRpPage::iLeftMargin, TRpPage::iRightMargin})
      page.SetValue(i, 100);
  }
  TRpCustomBand* AddBand(int index, Extended height) {
    rep->Bands()->Set(index, true);
    TRpCustomBand* band = rep->Bands()->Band(index);
    band->Size()->Units = TRpUnit::Native;
    band->Size()->SetValue(TRpBandSize::iHeight, height);
    return band;
  }
  template <class C>
  C* AddControl(TWinControl* parent, Extended left, Extended top, Extended width, Extended height) {
    auto* c = new C(Form.get());
    c->SetParent(parent);
    c->Size()->Units = TRpUnit::Native;
    c->Size()->SetValue(TRpPrintableSize::iLeft, left);
    c->Size()->SetValue(TRpPrintableSize::iTop, top);
    c->Size()->SetValue(TRpPrintableSize::iWidth, width);
    c->Size()->SetValue(TRpPrintableSize::iHeight, height);
    return c;
  }
  TRpLabel* AddLabel(TWinControl* parent, const AnsiString& caption, Extended top = 0) {
    auto* l = AddControl<TRpLabel>(parent, 0, top, 1000, 50);
    l->AutoSize = false;
    l->SetCaption(caption);
    return l;
  }
  // The standard report: Lines detail lines of 50 each.
  void Standard(int lines) {
    AddLabel(AddBand(TBandRepBands::iPageHeader, 60), "Κεφαλίδα"_a);
    AddLabel(AddBand(TBandRepBands::iTitle, 100), "Τίτλος"_a);
    detail = AddLabel(AddBand(TBandRepBands::iDetail, 50), "");
    auto* number = AddControl<TRpSysData>(AddBand(TBandRepBands::iPageFooter, 60), 0, 0, 1000, 50);
    number->AutoSize = false;
    number->SetData(rpsPageNumber);
    number->SetText("Σελίδα "_a);
    AddLabel(AddBand(TBandRepBands::iSummary, 80), "Τέλος"_a);
    Feed(lines);
  }
  void Feed(int lines) {
    total = lines;
    rep->OnNeedData() = [this](TObject*, bool& more) {
      more = fed < total;
      if (more) detail->SetCaption("Γραμμή "_a + IntToStr(++fed));
    };
  }
  void Run() {
    fed = 0;
    printer = std::make_unique<TRpPrinter>(rep);
    rep->RunInto(printer.get());
  }
  // Every text of the run, page after page.
  std::vector<std::vector<Text>> Pages() {
    std::vector<std::vector<Text>> pages;
    for (int n = 1; n <= printer->PageCount(); ++n) pages.push_back(PageTexts(*printer, n));
    return pages;
  }
  TBandRep* rep = nullptr;
  TRpLabel* detail = nullptr;
  std::unique_ptr<TRpPrinter> printer;
  int fed = 0, total = 0;
};

// Bands and controls as the designer holds them.
template <class C>
class TDesigned : public C {
 public:
  using C::C;
  using TComponent::SetDesigning;
};

inline int PxY(Extended tenths) { return static_cast<int>(Round(tenths * 96 / 254)); }

// Calls and shapes an export run hands its filter.
class RecordingFilter : public TRpExportFilter {
 public:
  RecordingFilter() : TRpExportFilter("out") {}
  void Start(int w, int h, TFont* font) override {
    TRpExportFilter::Start(w, h, font);
    calls.push_back("Start " + std::to_string(w) + "x" + std::to_string(h));
  }
  void NewPage() override { calls.push_back("NewPage"); }
  void EndPage() override { calls.push_back("EndPage"); }
  void Finish() override {
    TRpExportFilter::Finish();
    calls.push_back("Finish");
  }
  void TextOut(Extended, Extended y, TFont*, TColor, TAlignment, const AnsiString& text) override {
    calls.push_back("Text " + std::to_string(static_cast<int>(y)) + " " + text);
  }
  void BandOut(TRpCustomBand*, Extended, Extended, Extended y) override {
    calls.push_back("Band " + std::to_string(static_cast<int>(y)));
  }
  void ControlOut(TRpPrintable* control, Extended, Extended) override {
    if (auto* shape = dynamic_cast<TRpShape*>(control))
      shapes.push_back(std::to_string(shape->Shape()) +
                       (shape->Brush()->Style == bsClear ? " clear" : " solid") +
                       (shape->Pen()->Style == psClear ? " nopen" : " pen") + " " +
                       std::to_string(static_cast<int>(shape->NativeValue(TRpPrintableSize::iWidth))));
  }
  std::vector<std::string> calls;
  std::vector<std::string> shapes;
};

}  // namespace bandrpt_test
