#include <gtest/gtest.h>

#include <map>

#include "platform/gfx/Metafile.h"
#include "report/RpCtrls.h"
#include "tests/platform/ui/ControlsFixture.h"

namespace {

class RichTextTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    SetRpMeasureInInches(false);
    rep = new TBandRep(Form.get());
    rep->SetParent(Form.get());
    rep->SetUnits(TRpUnit::Native);
    rep->Page()->SetPaperSize(TRpPaperSize::A4);
    for (int i : {TRpPage::iTopMargin, TRpPage::iBottomMargin, TRpPage::iLeftMargin, TRpPage::iRightMargin})
      rep->Page()->SetValue(i, 100);
  }
  // A detail band of Height printed once, Above 0.1 mm taken by a band before it.
  TRpRichText* AddRich(Extended above, Extended height, int lines) {
    if (above > 0) {
      rep->Bands()->Set(TBandRepBands::iTitle, true);
      TRpCustomBand* title = rep->Bands()->Band(TBandRepBands::iTitle);
      title->Size()->Units = TRpUnit::Native;
      title->Size()->SetValue(TRpBandSize::iHeight, above);
    }
    rep->Bands()->Set(TBandRepBands::iDetail, true);
    TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
    band->Size()->Units = TRpUnit::Native;
    band->Size()->SetValue(TRpBandSize::iHeight, height);
    auto* rich = new TRpRichText(Form.get());
    rich->SetName("Notes");
    rich->SetParent(band);
    rich->Size()->Units = TRpUnit::Native;
    rich->Size()->SetValue(TRpPrintableSize::iWidth, 1500);
    rich->Size()->SetValue(TRpPrintableSize::iHeight, height);
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (int i = 1; i <= lines; ++i) rtf += "Line " + std::to_string(i) + (i < lines ? "\\par " : "");
    rtf += "}";
    rich->RichEdit()->SetRichText(rtf);
    int fed = 0;
    rep->OnNeedData() = [fed](TObject*, bool& more) mutable { more = fed++ < 1; };
    return rich;
  }
  // How many times each text was drawn, over every page.
  std::map<AnsiString, int> Drawn() {
    std::map<AnsiString, int> out;
    for (int n = 1; n <= printer->PageCount(); ++n) {
      auto page = printer->GetPage(n);
      EnumEnhMetafile(page->Data(), [&](std::uint32_t, std::string_view rec) {
        AnsiString s;
        if (TextOfRecord(rec, s)) ++out[s];
        return true;
      });
    }
    return out;
  }
  void Run() {
    printer = std::make_unique<TRpPrinter>(rep);
    rep->RunInto(printer.get());
  }
  TBandRep* rep = nullptr;
  std::unique_ptr<TRpPrinter> printer;
};

TEST_F(RichTextTest, AShortTextPrintsOnceAndFinishes) {
  TRpRichText* rich = AddRich(0, 300, 2);
  Run();
  EXPECT_TRUE(rich->PrintFinished);
  EXPECT_EQ(printer->PageCount(), 1);
  const auto drawn = Drawn();
  EXPECT_EQ(drawn.count("Line 1"), 1u);
  for (const auto& [text, times] : drawn) EXPECT_EQ(times, 1) << text;
}

TEST_F(RichTextTest, ALongTextGrowsItsBandAndContinuesOnTheNextPage) {
  // 20 mm of room are left under the band on the first page.
  TRpRichText* rich = AddRich(2970 - 200 - 100 - 200, 100, 60);
  rich->AutoStretch = true;
  Run();
  EXPECT_TRUE(rich->PrintFinished);
  EXPECT_GE(printer->PageCount(), 2);
  const auto drawn = Drawn();
  for (int i = 1; i <= 60; ++i) {
    const AnsiString line = "Line " + IntToStr(i);
    EXPECT_EQ(drawn.count(line) ? drawn.at(line) : 0, 1) << line;
  }
}

TEST_F(RichTextTest, TheExpandedHeightCoversTheWholeText) {
  TRpRichText* rich = AddRich(0, 100, 40);
  Extended height = 0;
  rich->GetExpandedHeight(height);
  // Forty lines of 12 points are well over 400 screen pixels.
  EXPECT_GT(height, 400);
  Extended again = 0;
  rich->GetExpandedHeight(again);
  EXPECT_EQ(height, again);
}

class PictureFilter : public TRpExportFilter {
 public:
  PictureFilter() : TRpExportFilter("out") {}
  void ControlOut(TRpPrintable* control, Extended, Extended) override {
    if (auto* image = dynamic_cast<TRpImage*>(control))
      names.push_back(image->Name() + (image->Picture()->Graphic() != nullptr ? " picture" : ""));
  }
  std::vector<AnsiString> names;
};

TEST_F(RichTextTest, ExportedTextReachesTheFilterAsAPictureNamedAfterTheControl) {
  AddRich(0, 300, 2);
  PictureFilter filter;
  rep->ExportToFilter(&filter);
  ASSERT_EQ(filter.names.size(), 1u);
  EXPECT_EQ(filter.names[0].rfind("Notes_", 0), 0u) << filter.names[0];
  EXPECT_NE(filter.names[0].find(" picture"), std::string::npos);
}

}  // namespace
