#include <gtest/gtest.h>

#include "tender/Guarantee.h"

namespace {

// The locale's separators for one test, put back afterwards.
class LocaleScope {
 public:
  explicit LocaleScope(bool greek) : decimal_(DecimalSeparator), thousands_(ThousandSeparator) {
    DecimalSeparator = greek ? ',' : '.';
    ThousandSeparator = greek ? '.' : ',';
  }
  ~LocaleScope() {
    DecimalSeparator = decimal_;
    ThousandSeparator = thousands_;
  }

 private:
  char decimal_, thousands_;
};

struct GuaranteeCase {
  const char* limit;
  const char* initial;
  const char* discount;
  bool newRates;
  bool greek;
  const char* result;
};

class Guarantee : public testing::TestWithParam<GuaranteeCase> {};

TEST_P(Guarantee, Total) {
  const GuaranteeCase& c = GetParam();
  LocaleScope locale(c.greek);
  EXPECT_EQ(CalcGuaranteeText(c.limit, c.initial, c.discount, c.newRates), c.result);
}

INSTANTIATE_TEST_SUITE_P(Vectors, Guarantee,
                         testing::Values(
                             // The defaults: no additional guarantee.
                             GuaranteeCase{"12", "5", "12", false, false, "5%"},
                             // D is 25: 10 points at 0.5, 3 at 1.
                             GuaranteeCase{"12", "5", "25.9", false, false, "13%"},
                             GuaranteeCase{"12", "0", "25,9", false, true, "8%"},
                             // 10 x 0.25 + 10 x 0.5 + 13 x 0.75.
                             GuaranteeCase{"12", "5", "45", true, true, "22,25%"},
                             GuaranteeCase{"12", "5", "45", true, false, "22.25%"},
                             // 5 + 10 + 45 capped at 35.
                             GuaranteeCase{"10", "5", "60", false, false, "40%"},
                             // 2.5 + 5 + 37.5 capped at 22.
                             GuaranteeCase{"10", "5", "80", true, false, "27%"},
                             // Below the limit, and a fractional limit.
                             GuaranteeCase{"12", "5", "11.99", false, false, "5%"},
                             GuaranteeCase{"12,5", "5", "14", true, true, "5,375%"},
                             // The integer part goes toward zero.
                             GuaranteeCase{"-10", "0", "-5.9", false, false, "2.5%"},
                             GuaranteeCase{"12", "4,5", "13", false, true, "5%"}));

TEST(GuaranteeText, NoNumberRaisesTheConversionError) {
  LocaleScope locale(true);
  EXPECT_THROW(CalcGuaranteeText("", "5", "12", false), EConvertError);
  EXPECT_THROW(CalcGuaranteeText("12", "abc", "12", false), EConvertError);
  EXPECT_THROW(CalcGuaranteeText("12", "5", "12.5", false), EConvertError);  // "." is not the Greek decimal
}

TEST(GuaranteeText, FirstRankedDiscountWrittenByTheShortestConversionReadsBack) {
  LocaleScope locale(true);
  // The calculation writes the first-ranked discount as FloatToStr does.
  EXPECT_EQ(CalcGuaranteeText("12", "5", FloatToStr(45.678), true), "22,25%");
  EXPECT_EQ(CalcGuaranteeText("12", "5", FloatToStr(1e-9), true), "5%");
}

struct DateCase {
  Word year, month, day, hour, minute;
  bool newRates;
};

class RatesDate : public testing::TestWithParam<DateCase> {};

TEST_P(RatesDate, LaterThanEighteenthOfApril2013) {
  const DateCase& c = GetParam();
  const TDateTime date = EncodeDate(c.year, c.month, c.day) + EncodeTime(c.hour, c.minute, 0, 0);
  EXPECT_EQ(NewGuaranteeRatesApply(date), c.newRates);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, RatesDate,
    testing::Values(DateCase{2013, 4, 18, 0, 0, false}, DateCase{2013, 4, 18, 23, 59, false},
                    DateCase{2013, 4, 19, 0, 0, true}, DateCase{2013, 4, 19, 12, 0, true},
                    DateCase{2012, 12, 31, 0, 0, false}, DateCase{2014, 1, 1, 0, 0, true},
                    DateCase{1899, 12, 29, 6, 0, false}));

TEST(GuaranteeTexts, FirstLines) {
  EXPECT_EQ(GuaranteeArticleText.substr(0, GuaranteeArticleText.find("\r\n")),
            "ΑΡΘΡΟ 4   Νόμου 3263/2004 (5 του Νόμου. 3669/2008 ΦΕΚ116Α/18-6-2008)"_a);
  EXPECT_EQ(GuaranteeDecisionText.substr(0, GuaranteeDecisionText.find("\r\n")),
            "ΑΠΟΦΑΣΗ  Αριθμ. Πρωτ: Δ17α/03/101/ΦΝ. 437 /18-10-2004"_a);
}

}  // namespace
