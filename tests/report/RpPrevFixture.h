#pragma once
// A report of labelled lines previewed in the standard window, its printer
// the PDF printer writing into a folder of the test's own.

#include <functional>

#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "report/BandRpt.h"
#include "report/RpCtrls.h"
#include "report/RpPrev.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/platform/ui/ControlsFixture.h"
#include "tests/report/RpTestSupport.h"

class RpPrevTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    SetRpMeasureInInches(false);
    UsePdfPrinterIn(folder.path());
    rep = new TBandRep(Form.get());
    rep->SetParent(Form.get());
    rep->SetUnits(TRpUnit::Native);
    rep->Page()->SetPaperSize(TRpPaperSize::A4);
    rep->Bands()->Set(TBandRepBands::iDetail, true);
    TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
    band->Size()->Units = TRpUnit::Native;
    band->Size()->SetValue(TRpBandSize::iHeight, 50);
    detail = new TRpLabel(Form.get());
    detail->SetParent(band);
    detail->Size()->Units = TRpUnit::Native;
    detail->Size()->SetValue(TRpPrintableSize::iWidth, 1500);
    detail->Size()->SetValue(TRpPrintableSize::iHeight, 50);
    detail->AutoSize = false;
    cwd = GetCurrentDir();
    rep->OnNeedData() = [this](TObject*, bool& more) {
      more = fed < lines;
      if (!more) return;
      ++fed;
      detail->SetCaption((fed % 10 == 0 ? "Ασφαλτος γραμμή "_a : "Line "_a) + IntToStr(fed));
      if (during) during(fed);
    };
  }
  void TearDown() override {
    if (TRpStandardPreview* w = Window()) w->Release();
    RpPreviewPrintsPages = true;
    Application->ProcessMessages();
    printers::UseSystem();
    Printer()->Refresh();
    SetCurrentDir(cwd);  // the file dialogs move it
    ControlsTest::TearDown();
  }
  // The preview window showing now.
  static TRpStandardPreview* Window() {
    for (int i = Screen->FormCount() - 1; i >= 0; --i)
      if (auto* w = dynamic_cast<TRpStandardPreview*>(Screen->Forms(i))) return w;
    return nullptr;
  }
  // Runs Lines lines (53 a page) into the preview; the window stays open.
  TRpStandardPreview& Preview(int count) {
    lines = count;
    fed = 0;
    rep->Preview();
    TRpStandardPreview* w = Window();
    if (w == nullptr) throw Exception("no preview window");
    return *w;
  }
  TBandRep* rep = nullptr;
  TRpLabel* detail = nullptr;
  int lines = 0, fed = 0;
  std::function<void(int)> during;
  AnsiString cwd;
  TempFolder folder;
};
