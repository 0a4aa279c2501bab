#include <gtest/gtest.h>

#include "platform/rtl/Cp1253.h"
#include "report/RpExport.h"

namespace {

class XlsLike : public TRpExportFilter {
 public:
  using TRpExportFilter::TRpExportFilter;
  AnsiString Extension() override { return "XLS"; }
  AnsiString FilterName() override { return "Spreadsheet"; }
};
class RtfLike : public TRpExportFilter {
 public:
  using TRpExportFilter::TRpExportFilter;
  AnsiString Extension() override { return "RTF"; }
  AnsiString FilterName() override { return "Rich text"; }
};

TEST(RpExportTest, BaseFilterDefaults) {
  TRpExportFilter filter("out.x");
  EXPECT_EQ(filter.Description(), "Abstract non-working export filter");
  EXPECT_EQ(filter.FilterName(), "Abstract filter");
  EXPECT_EQ(filter.Extension(), "");
  EXPECT_FALSE(filter.IsContinuous());
  filter.Start(2100, 2970, nullptr);
  EXPECT_TRUE(filter.Active);
  filter.Finish();
  EXPECT_FALSE(filter.Active);
}

TEST(RpExportTest, LibraryRegistersOnceFindsAndLists) {
  TRpExportFilterLibrary library;
  const AnsiString rpp = RpPageFileDescription() + "(*.RPP)|*.RPP";
  EXPECT_EQ(library.SaveDialogFilterString(), rpp);
  library.AddFilter(RpFilterClass<XlsLike>("TRpXLSFilter"));
  library.AddFilter(RpFilterClass<XlsLike>("TRpXLSFilter"));
  library.AddFilter(RpFilterClass<RtfLike>("TRpRTFExportFilter"));
  ASSERT_EQ(library.Filters().size(), 2u);
  ASSERT_NE(library.FindByExtension("xls"), nullptr);
  EXPECT_EQ(library.FindByExtension("xls")->FilterName, "Spreadsheet");
  EXPECT_EQ(library.FindByExtension("pdf"), nullptr);
  EXPECT_EQ(library.SaveDialogFilterString(), rpp + "|Spreadsheet (*.XLS)|*.XLS|Rich text (*.RTF)|*.RTF");
  library.RemoveFilter(RpFilterClass<XlsLike>("Other"));
  ASSERT_EQ(library.Filters().size(), 1u);
  EXPECT_EQ(library.Filters()[0]->Extension, "RTF");
  EXPECT_EQ(SaveTypeExtension(stASCII), ".TXT");
}

TEST(RpExportTest, AFilterComponentOffersItsFormatWhileItExists) {
  const size_t before = RpExportFilterLibrary().Filters().size();
  {
    TRpFilterComponent excel(nullptr, RpFilterClass<XlsLike>("TRpXLSFilter"));
    EXPECT_NE(RpExportFilterLibrary().FindByExtension("XLS"), nullptr);
  }
  EXPECT_EQ(RpExportFilterLibrary().FindByExtension("XLS"), nullptr);
  EXPECT_EQ(RpExportFilterLibrary().Filters().size(), before);
}

}  // namespace
