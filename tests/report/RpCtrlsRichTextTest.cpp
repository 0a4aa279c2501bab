#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <numeric>
#include <regex>
#include <set>
#include <tuple>

#include "platform/gfx/Metafile.h"
#include "report/RpCtrls.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/platform/ui/ControlsFixture.h"
#include "tests/report/RpTestSupport.h"

namespace {

class RichTextTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    SetRpMeasureInInches(false);
    rep = NewA4Report(Form.get());
    rep->SetParent(Form.get());
  }
  // A detail band of Height printed once, Above 0.1 mm taken by a band before it.
  TRpRichText* AddRich(Extended above, Extended height, int lines) {
    TRpRichText* rich = AddRichTextBand(rep, Form.get(), "Notes", above, height);
    rich->RichEdit()->SetRichText(Lines(lines));
    int fed = 0;
    rep->OnNeedData() = [fed](TObject*, bool& more) mutable { more = fed++ < 1; };
    return rich;
  }
  // Lines of 12 points, "Line 1" to "Line <count>".
  static std::string Lines(int count) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (int i = 1; i <= count; ++i) rtf += "Line " + std::to_string(i) + (i < count ? "\\par " : "");
    return rtf + "}";
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
  void TearDown() override {
    printers::UseSystem();
    Printer()->Refresh();
    ControlsTest::TearDown();
  }
  // Prints the report to the PDF printer; the file's name.
  std::string PrintToPdf() {
    UsePdfPrinterIn(folder.path());
    rep->Print();
    const std::vector<std::string> files = PdfsIn(folder.path());
    return files.empty() ? "" : files[0];
  }
  void Run() {
    printer = std::make_unique<TRpPrinter>(rep);
    rep->RunInto(printer.get());
  }
  TBandRep* rep = nullptr;
  std::unique_ptr<TRpPrinter> printer;
  TempFolder folder;
};

// The line numbers of "Line <n>" in Text, in order.
std::vector<int> LineNumbers(const std::string& text) {
  std::vector<int> out;
  static const std::regex line("Line ([0-9]+)");
  for (auto i = std::sregex_iterator(text.begin(), text.end(), line); i != std::sregex_iterator(); ++i)
    out.push_back(std::stoi((*i)[1]));
  return out;
}

// Records where the text stood after each print.
class RecordingRichText : public TRpRichText {
 public:
  using TRpRichText::TRpRichText;
  void Print(int ofsX, int ofsY) override {
    TRpRichText::Print(ofsX, ofsY);
    Nexts.push_back(NextChar());
  }
  std::vector<int> Nexts;
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

TEST_F(RichTextTest, TheExpandedHeightIsTheFewestStepsThatHoldTheText) {
  // Heights as stepping 5 mm at a time finds them, for texts from one line
  // (which fits the control as it is) to a few pages.
  const struct {
    int lines;
    Extended height, expanded;
  } cases[] = {
      {1, 100, 38},           {3, 100, 56.86666667}, {4, 100, 75.73333333},   {9, 100, 170.0666667},
      {40, 100, 736.0666667}, {40, 300, 735.6},      {250, 100, 4490.533333}, {250, 2000, 4491.6},
  };
  TRpRichText* rich = AddRich(0, 100, 1);
  for (const auto& c : cases) {
    rich->Size()->SetValue(TRpPrintableSize::iHeight, c.height);
    rich->RichEdit()->SetRichText(Lines(c.lines));
    Extended height = 0;
    rich->GetExpandedHeight(height);
    EXPECT_NEAR(height, c.expanded, 1e-6) << c.lines << " lines in " << c.height;
  }
}

TEST_F(RichTextTest, AnEmptyParagraphEndingTheTextTakesNoStep) {
  // The text is held once the line before its last break fits: the empty
  // paragraph after the break needs no room, though its line is laid and
  // mostly takes a step more; two such need the line of the first, as tall
  // as a line of text.
  TRpRichText* rich = AddRich(0, 100, 1);
  for (const int lines : {1, 3, 9, 40, 250}) {
    const auto expanded = [&](const std::string& tail) {
      std::string rtf = Lines(lines);
      rtf.insert(rtf.size() - 1, tail);
      rich->RichEdit()->SetRichText(rtf);
      Extended height = 0;
      rich->GetExpandedHeight(height);
      return height;
    };
    const Extended plain = expanded("");
    // The reader takes a break right before the end as none.
    EXPECT_EQ(expanded("\\par \\par "), plain) << lines;
    EXPECT_EQ(expanded("\\par \\par \\par "), expanded("\\par Line\\par \\par ")) << lines;
  }
}

TEST_F(RichTextTest, TheBandGrowsByTheStepsTheTextNeedsAndNoMore) {
  // Nine lines need 45 mm: the 10 mm band grows seven steps of 5 mm.
  TRpRichText* rich = AddRich(0, 100, 9);
  rich->AutoStretch = true;
  Run();
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  EXPECT_EQ(band->Expanded, 350);
  Extended expanded = 0;
  rich->GetExpandedHeight(expanded);
  EXPECT_NEAR(expanded * 254 / 96, 100 + band->Expanded, 1);
  EXPECT_TRUE(rich->PrintFinished);
  EXPECT_EQ(printer->PageCount(), 1);
  for (const auto& [text, times] : Drawn()) EXPECT_EQ(times, 1) << text;
}

TEST_F(RichTextTest, OnThePdfPrinterEveryLinePrintsOnceAndTheRestOnTheNextPage) {
  // 20 mm of room under the 10 mm band: six lines on the first page.
  TRpRichText* rich = AddRich(2970 - 200 - 100 - 200, 100, 60);
  rich->AutoStretch = true;
  const std::string pdf = PrintToPdf();
  ASSERT_FALSE(pdf.empty());
  EXPECT_TRUE(PdfIsSound(pdf));
  std::string all;
  ASSERT_TRUE(PdfText(pdf, all));
  std::vector<int> expected(60);
  std::iota(expected.begin(), expected.end(), 1);
  EXPECT_EQ(LineNumbers(all), expected) << all;
  const std::string first = RunCommand("pdftotext -enc UTF-8 -f 1 -l 1 '" + pdf + "' - 2>/dev/null");
  const std::string second = RunCommand("pdftotext -enc UTF-8 -f 2 -l 2 '" + pdf + "' - 2>/dev/null");
  EXPECT_EQ(LineNumbers(first), (std::vector<int>{1, 2, 3, 4, 5, 6})) << first;
  ASSERT_FALSE(LineNumbers(second).empty()) << second;
  EXPECT_EQ(LineNumbers(second).front(), 7) << second;
}

TEST_F(RichTextTest, PagesContinueAtFixedCharacters) {
  // Where the text stands after each page, for fixed text and heights.
  const struct {
    int lines;
    Extended above, height;
    bool stretch;
    std::vector<int> nexts;
    int pages;
  } cases[] = {
      // A box that does not stretch holds ten of the lines and is done.
      {60, 0, 500, false, {0}, 1},
      {8, 0, 2000, false, {0}, 1},
      // Grown until the page is full, the rest on the next pages; a
      // paragraph's end counts two characters.
      {60, 0, 100, true, {504, 0}, 2},
      {150, 0, 100, true, {504, 1032, 0}, 3},
      // 20 mm of room under the band: six lines on the first page.
      {60, 2470, 100, true, {48, 0}, 2},
  };
  int n = 0;
  for (const auto& c : cases) {
    rep = NewA4Report(Form.get());
    rep->SetParent(Form.get());
    auto* rich =
        AddRichTextBand<RecordingRichText>(rep, Form.get(), "Fixed" + IntToStr(++n), c.above, c.height);
    rich->AutoStretch = c.stretch;
    rich->RichEdit()->SetRichText(Lines(c.lines));
    int fed = 0;
    rep->OnNeedData() = [fed](TObject*, bool& more) mutable { more = fed++ < 1; };
    Run();
    EXPECT_EQ(rich->Nexts, c.nexts) << c.lines << " lines in " << c.height;
    EXPECT_EQ(printer->PageCount(), c.pages) << c.lines << " lines in " << c.height;
    EXPECT_TRUE(rich->PrintFinished);
  }
}

// Keeps what reaches it of each picture: name, place, size and texts.
class PictureFilter : public TRpExportFilter {
 public:
  PictureFilter() : TRpExportFilter("out") {}
  struct TSeen {
    AnsiString name;
    Extended x, y, width, height;
    std::vector<AnsiString> texts;
  };
  void ControlOut(TRpPrintable* control, Extended x, Extended y) override {
    // A frame is drawn with a pen; the band's background has none.
    if (auto* shape = dynamic_cast<TRpShape*>(control); shape != nullptr && shape->Pen()->Style != psClear)
      ++frames;
    auto* image = dynamic_cast<TRpImage*>(control);
    if (image == nullptr) return;
    TSeen seen{image->Name(),
               x,
               y,
               image->NativeValue(TRpPrintableSize::iWidth),
               image->NativeValue(TRpPrintableSize::iHeight),
               {}};
    if (auto* picture = dynamic_cast<TMetafile*>(image->Picture()->Graphic()))
      EnumEnhMetafile(picture->Data(), [&](std::uint32_t, std::string_view rec) {
        AnsiString text;
        if (TextOfRecord(rec, text)) seen.texts.push_back(text);
        return true;
      });
    pictures.push_back(seen);
  }
  std::vector<TSeen> pictures;
  int frames = 0;
};

TEST_F(RichTextTest, ExportedTextReachesTheFilterAsAPictureNamedAfterTheControl) {
  AddRich(0, 300, 2);
  PictureFilter filter;
  rep->ExportToFilter(&filter);
  int fed = 0;
  rep->OnNeedData() = [&fed](TObject*, bool& more) { more = fed++ < 1; };
  rep->ExportToFilter(&filter);
  ASSERT_EQ(filter.pictures.size(), 2u);
  const auto& first = filter.pictures[0];
  ASSERT_EQ(first.name.rfind("Notes_", 0), 0u) << first.name;
  // The running number goes on from export to export.
  EXPECT_EQ(filter.pictures[1].name, "Notes_"_a + IntToStr(StrToInt(first.name.substr(6)) + 1));
  // The picture holds the text once, in the control's place and size.
  EXPECT_EQ(first.texts, (std::vector<AnsiString>{"Line 1", "Line 2"}));
  EXPECT_EQ(first.width, 1500);
  EXPECT_EQ(first.height, 300);
  EXPECT_EQ(first.x, RpNearest(100 * 96 / 254.0L));
  EXPECT_EQ(first.y, RpNearest(100 * 96 / 254.0L));
}

// One picture control carries every page's picture to the filter: what
// reaches the filter is what a picture control made afresh for the page
// would be, in name, place, size and picture, with or without stretching.
class FreshPictureFilter : public TRpExportFilter {
 public:
  explicit FreshPictureFilter(TRpPrintable* box) : TRpExportFilter("out"), box_(box) {}
  void ControlOut(TRpPrintable* control, Extended, Extended) override {
    auto* image = dynamic_cast<TRpImage*>(control);
    if (image == nullptr) return;
    auto* picture = dynamic_cast<TMetafile*>(image->Picture()->Graphic());
    ASSERT_NE(picture, nullptr);
    TRpImage fresh(nullptr);
    fresh.SetAutoSize(true);
    fresh.SetName(image->Name());
    auto copy = std::make_unique<TMetafile>();
    copy->SetData(picture->Data());
    copy->SetWidth(picture->Width());
    copy->SetHeight(picture->Height());
    fresh.Picture()->SetGraphic(std::move(copy));
    fresh.Size()->Units = TRpUnit::Native;
    fresh.Size()->ReadValues(box_->Size()->Values());
    const auto state = [](TRpImage& i) {
      return std::make_tuple(i.Left(), i.Top(), i.Width(), i.Height(), i.NativeValue(TRpPrintableSize::iLeft),
                             i.NativeValue(TRpPrintableSize::iTop), i.NativeValue(TRpPrintableSize::iWidth),
                             i.NativeValue(TRpPrintableSize::iHeight), i.Transparent(), i.AutoSize(),
                             i.Stretch(), i.Center(), i.Picture()->Width(), i.Picture()->Height());
    };
    EXPECT_EQ(state(*image), state(fresh)) << image->Name();
    names.push_back(image->Name());
    heights.insert(picture->Height());
  }
  std::vector<AnsiString> names;
  std::set<int> heights;

 private:
  TRpPrintable* box_;
};

TEST_F(RichTextTest, EveryPagesPictureReachesTheFilterAsAFreshPictureControlWould) {
  for (bool stretch : {true, false}) {
    SCOPED_TRACE(stretch);
    TComponent owner(nullptr);
    TBandRep* report = NewA4Report(&owner);
    TRpRichText* rich = AddRichTextBand(report, &owner, "Notes", 2970 - 200 - 100 - 200, 100);
    rich->RichEdit()->SetRichText(Lines(90));
    rich->AutoStretch = stretch;
    int fed = 0;
    report->OnNeedData() = [&fed](TObject*, bool& more) { more = fed++ < 1; };
    FreshPictureFilter filter(rich);
    report->ExportToFilter(&filter);
    ASSERT_EQ(filter.names.size(), stretch ? 3u : 1u);
    for (size_t i = 1; i < filter.names.size(); ++i)
      EXPECT_EQ(filter.names[i], "Notes_"_a + IntToStr(StrToInt(filter.names[0].substr(6)) + int(i)));
    // The grown boxes of the middle pages and the last one's differ.
    EXPECT_EQ(filter.heights.size(), stretch ? 3u : 1u);
  }
}

TEST_F(RichTextTest, OnlyABoxOfItsOwnSizeIsFramedAndShowsWhatFitsInIt) {
  TRpRichText* rich = AddRich(0, 500, 15);
  for (auto side :
       {&TRpFrame::SetDrawTop, &TRpFrame::SetDrawBottom, &TRpFrame::SetDrawLeft, &TRpFrame::SetDrawRight})
    (rich->Frame()->*side)(true);
  const auto numbers = [](const std::vector<AnsiString>& texts) {
    std::string all;
    for (const AnsiString& t : texts) all += t + " ";
    return LineNumbers(all);
  };
  std::vector<int> fifteen(15);
  std::iota(fifteen.begin(), fifteen.end(), 1);
  const std::vector<int> ten(fifteen.begin(), fifteen.begin() + 10);
  // 50 mm hold ten lines of the fifteen, in a frame.
  PictureFilter fixed;
  rep->ExportToFilter(&fixed);
  ASSERT_EQ(fixed.pictures.size(), 1u);
  EXPECT_EQ(numbers(fixed.pictures[0].texts), ten);
  EXPECT_EQ(fixed.frames, 1);
  EXPECT_TRUE(rich->PrintFinished);
  // Stretched, the whole text shows, and no frame of the first size cuts it.
  rich->AutoStretch = true;
  int fed = 0;
  rep->OnNeedData() = [&fed](TObject*, bool& more) { more = fed++ < 1; };
  PictureFilter grown;
  rep->ExportToFilter(&grown);
  ASSERT_EQ(grown.pictures.size(), 1u);
  EXPECT_EQ(numbers(grown.pictures[0].texts), fifteen);
  EXPECT_EQ(grown.frames, 0);
}

}  // namespace
