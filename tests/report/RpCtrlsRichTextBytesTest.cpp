// Rich texts of many pages printed and exported: every page's metafile,
// every exported picture and the expanded height are compared, by their
// hashes, with what the report made of them before its pages were kept
// and drawn again from storage shared by all pages.
#include <gtest/gtest.h>

#include <cstdint>
#include <ios>
#include <string>
#include <string_view>

#include "platform/gfx/Metafile.h"
#include "report/RpCtrls.h"
#include "tests/platform/ui/ControlsFixture.h"
#include "tests/report/RpTestSupport.h"

namespace {

// FNV-1a over the bytes given, on from Hash.
std::uint64_t Mix(std::uint64_t hash, std::string_view bytes) {
  for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3ULL;
  return hash;
}
std::uint64_t Mix(std::uint64_t hash, long long value) { return Mix(hash, std::to_string(value)); }
constexpr std::uint64_t kOffset = 0xcbf29ce484222325ULL;

// Hashes every picture that reaches it, with its size and place; the
// names run on from report to report and are left out.
class HashingFilter : public TRpExportFilter {
 public:
  HashingFilter() : TRpExportFilter("hash") {}
  void ControlOut(TRpPrintable* control, Extended x, Extended y) override {
    auto* image = dynamic_cast<TRpImage*>(control);
    if (image == nullptr) return;
    auto* picture = dynamic_cast<TMetafile*>(image->Picture()->Graphic());
    ASSERT_NE(picture, nullptr);
    ++pictures;
    hash = Mix(hash, picture->Data());
    for (long long v : {static_cast<long long>(picture->Width()), static_cast<long long>(picture->Height()),
                        static_cast<long long>(image->Left()), static_cast<long long>(image->Top()),
                        static_cast<long long>(image->Width()), static_cast<long long>(image->Height()),
                        static_cast<long long>(x), static_cast<long long>(y)})
      hash = Mix(hash, v);
  }
  std::uint64_t hash = kOffset;
  int pictures = 0;
};

// Paragraphs of several fonts and sizes, bold and italic runs, a tab, a
// line break, bulleted paragraphs and justified ones, Count times over.
std::string Mixed(int count) {
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}{\\f2 Courier New;}}"
      "{\\colortbl;\\red200\\green0\\blue0;}";
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    rtf += "\\pard\\f0\\fs24 Paragraph " + n +
           " starts plain, \\b bold\\b0 , \\i italic\\i0  and \\f1\\fs32 " +
           "larger in another face\\f0\\fs24 , then goes on long enough to wrap over more than one line of "
           "the box.\\tab After a tab\\line after a break.\\par ";
    rtf +=
        "{\\pard{\\pntext\\'95\\tab}{\\*\\pn\\pnlvlblt\\pnindent360{\\pntxtb\\'95}}\\fi-360\\li720\\f2\\fs20"
        "\\cf1 A bulleted point " +
        n + " in a fixed face and colour\\par}";
    rtf += "\\pard\\qj\\f1\\fs22 A justified paragraph " + n +
           " whose words spread over the width of every line but its last one, which keeps its place as it "
           "is.\\par ";
  }
  return rtf + "}";
}

// Greek from the code page and characters beyond it, in two faces.
std::string Wide(int count) {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\\f0\\fs28 ";
  for (int i = 0; i < count; ++i)
    rtf += "\\'d0\\'f1\\'ef\\'f3\\'f6\\'ef\\'f1\\'dc " + std::to_string(i) +
           " \\u8364? \\u20013?\\u25991? \\f1 \\u1046?\\u1078? mixed\\f0  \\u9731? and more text\\par ";
  return rtf + "}";
}

// A face so large that a page holds a line, over many pages.
std::string Huge(int count) {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0 Arial;}}\\qc\\f0\\fs1600 ";
  for (int i = 0; i < count; ++i) rtf += "W" + std::to_string(i) + (i % 3 == 0 ? "\\u937?" : "") + "\\par ";
  return rtf + "}";
}

struct Case {
  const char* name;
  std::string rtf;
  bool stretch;
  Extended above, height, width;
  int alignment;
  std::uint64_t pages, pictures;  // hashes
  Extended expanded;
};

class RichTextBytesTest : public ControlsTest, public ::testing::WithParamInterface<int> {};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"MixedStretching", Mixed(100), true, 400, 300, 1500, 0, 0x8515a9687c97be7bULL, 0xed361e46ac866c7fULL,
       0xa.807333333333333p+10L},
      {"MixedFixed", Mixed(30), false, 0, 2000, 1200, 1, 0xc02b5b84a7c8bd6bULL, 0x073304449aedcc96ULL,
       0xf.687777777777777p+8L},
      {"MixedNarrowRight", Mixed(30), true, 1200, 150, 600, 2, 0x10c21ee54b14611bULL, 0x4968e1cdf1a619fdULL,
       0xd.7cccccccccccccdp+9L},
      {"WideStretching", Wide(400), true, 100, 500, 1700, 0, 0x946cee03d5c9f29fULL, 0x6dbc62e8a7bdadd3ULL,
       0x8.d81555555555555p+10L},
      {"WideFixed", Wide(40), false, 300, 900, 900, 1, 0xa5a6769bdd460fcfULL, 0x12d70b5e0c64d16dULL,
       0xd.b6p+7L},
      {"HugeStretching", Huge(40), true, 0, 1000, 1400, 1, 0xef1eff824811b9aeULL, 0x29620b195a357771ULL,
       0x9.051d11111111111p+14L},
  };
  return cases;
}

TEST_P(RichTextBytesTest, PagesAndPicturesAreTheBytesTheyWere) {
  const Case& c = Cases()[static_cast<size_t>(GetParam())];
  SCOPED_TRACE(c.name);
  SetRpMeasureInInches(false);
  TComponent owner(nullptr);
  TBandRep* report = NewA4Report(&owner);
  TRpRichText* rich = AddRichTextBand(report, &owner, "Notes", c.above, c.height, c.width);
  rich->AutoStretch = c.stretch;
  rich->SetAlignment(static_cast<TAlignment>(c.alignment));
  rich->RichEdit()->SetRichText(c.rtf);
  Extended expanded = -1;
  rich->GetExpandedHeight(expanded);
  int fed = 0;
  report->OnNeedData() = [&fed](TObject*, bool& more) { more = fed++ < 1; };
  std::uint64_t pages = kOffset;
  int pageCount = 0;
  {
    TRpPrinter printer(report);
    report->RunInto(&printer);
    pageCount = printer.PageCount();
    for (int n = 1; n <= pageCount; ++n) pages = Mix(pages, printer.GetPage(n)->Data());
  }
  fed = 0;
  HashingFilter filter;
  report->ExportToFilter(&filter);
  // Printed and exported a second time from the measures kept, the same.
  fed = 0;
  HashingFilter again;
  report->ExportToFilter(&again);
  EXPECT_GE(pageCount, c.stretch ? 8 : 1);
  EXPECT_EQ(again.hash, filter.hash);
  EXPECT_EQ(pages, c.pages) << std::hex << pages << std::dec << " over " << pageCount;
  EXPECT_EQ(filter.hash, c.pictures) << std::hex << filter.hash << std::dec << " over " << filter.pictures;
  EXPECT_EQ(expanded, c.expanded) << std::hexfloat << expanded;
}

INSTANTIATE_TEST_SUITE_P(Cases, RichTextBytesTest, ::testing::Range(0, 6),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(Cases()[static_cast<size_t>(info.param)].name);
                         });

}  // namespace
