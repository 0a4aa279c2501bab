// The bytes of the pages long runs record: reports of many pages, with
// page furniture, frames, columns, a stretching rich text and compressed
// pages, hashed against what their page streams have always held, and
// read back page by page.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/report/BandRptFixture.h"
#include "tests/report/RpTestSupport.h"

namespace {

using namespace bandrpt_test;

std::uint64_t Fnv(std::string_view bytes) {
  std::uint64_t h = 1469598103934665603u;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211u;
  }
  return h;
}

struct Layout {
  const char* name;
  int lines;        // need-data lines
  int columns;      // columns across the page
  bool framed;      // the detail band framed all round, with a frameline
  bool rich;        // a stretching rich text on the detail band
  bool compressed;  // pages stored compressed
  int pages;        // pages the run records
  std::uint64_t hash;
};

class BandRptPageBytesTest : public BandRptTest, public ::testing::WithParamInterface<Layout> {
 protected:
  void Build(const Layout& l) {
    if (l.rich) {
      TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 300);
      auto* rich = AddControl<TRpRichText>(band, 0, 0, 1500, 300);
      rich->AutoStretch = true;
      std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
      for (int i = 1; i <= 2000; ++i)
        rtf += "Line " + std::to_string(i) + (i % 7 == 0 ? " \\b bold\\b0 " : "") + "\\par ";
      rich->RichEdit()->SetRichText(rtf + "}");
      AddLabel(AddBand(TBandRepBands::iPageHeader, 60), "Κεφαλίδα"_a);
      Feed(l.lines);
      detail = AddLabel(AddBand(TBandRepBands::iSummary, 60), "Τέλος"_a);
    } else {
      Standard(l.lines);
    }
    rep->Page()->SetColumns(l.columns);
    if (l.framed) {
      TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
      TRpFrame& frame = *band->Frame();
      frame.SetDrawTop(true);
      frame.SetDrawBottom(true);
      frame.SetDrawLeft(true);
      frame.SetDrawRight(true);
      frame.SetWidth(2);
      AddControl<TRpFrameline>(band, 400, 0, 10, 50);
    }
    if (l.compressed) rep->Options = {FirstPageHeader, LastPageFooter, Compression};
  }
};

TEST_P(BandRptPageBytesTest, PageStreamKeepsItsBytes) {
  const Layout& l = GetParam();
  Build(l);
  fed = 0;
  printer = std::make_unique<TRpPrinter>(rep);
  printer->PageList()->Clock = [] { return TDateTime(45000.5); };
  rep->RunInto(printer.get());
  ASSERT_EQ(printer->PageCount(), l.pages);
  TRpStream& stream = *printer->Stream();
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  stream.Seek(0, soFromBeginning);
  ASSERT_EQ(stream.Read(bytes.data(), static_cast<int>(bytes.size())), static_cast<int>(bytes.size()));
  EXPECT_EQ(Fnv(bytes), l.hash) << std::hex << "0x" << Fnv(bytes) << " of " << std::dec << bytes.size()
                                << " bytes";
  // Every page reads back, from either end of the chain.
  for (int n = printer->PageCount(); n >= 1; n -= 7) EXPECT_NE(printer->GetPage(n), nullptr) << n;
  for (int n = 1; n <= printer->PageCount(); n += 5) EXPECT_NE(printer->GetPage(n), nullptr) << n;
}

// The same report run again into another printer records the same bytes.
TEST_F(BandRptTest, ARunAgainRecordsTheSameBytes) {
  Standard(300);
  std::string first;
  for (int run = 0; run < 3; ++run) {
    fed = 0;
    printer = std::make_unique<TRpPrinter>(rep);
    printer->PageList()->Clock = [] { return TDateTime(45000.5); };
    rep->RunInto(printer.get());
    TRpStream& stream = *printer->Stream();
    std::string bytes(static_cast<size_t>(stream.Size()), '\0');
    stream.Seek(0, soFromBeginning);
    stream.Read(bytes.data(), static_cast<int>(bytes.size()));
    if (run == 0)
      first = bytes;
    else
      EXPECT_EQ(bytes, first) << run;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BandRptPageBytesTest,
    ::testing::Values(Layout{"Lines", 3000, 1, false, false, false, 57, 0x5d6b28110032327cu},
                      Layout{"FramedColumns", 6000, 3, true, false, false, 39, 0xb8f93dbaaed53d7fu},
                      Layout{"Compressed", 1500, 1, true, false, true, 29, 0x19c659c487134e4du},
                      Layout{"Rich", 1, 1, false, true, false, 36, 0xcdb0d4004cb14363u},
                      Layout{"RichColumns", 2, 2, false, true, true, 36, 0x944cb8a119e9ad5eu}),
    [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

}  // namespace
