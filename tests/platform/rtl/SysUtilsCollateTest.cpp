#include <gtest/gtest.h>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"

namespace {

TEST(SysUtilsCollate, WideTextAgreesWithTheCodePageComparison) {
  const char* const words[] = {"άλφα",  "Άλφα",  "αλφα", "βήτα", "ωμέγα", "Zeta",
                               "ΣΟΦΙΑ", "σοφία", "",     "abc",  "ς",     "Σ"};
  for (const char* a : words)
    for (const char* b : words) {
      SCOPED_TRACE(std::string(a) + " / " + b);
      const AnsiString x = cp1253::FromUtf8(a), y = cp1253::FromUtf8(b);
      EXPECT_EQ(WideCompareText(cp1253::ToWide(x), cp1253::ToWide(y)), AnsiCompareText(x, y));
    }
  // Beyond the code page: Cyrillic after Greek, CJK last.
  EXPECT_LT(WideCompareText(u"ωμέγα", u"жук"), 0);
  EXPECT_EQ(WideCompareText(u"ΑΒΓ", u"αβγ"), 0);
}

}  // namespace
