#include "tender/Guarantee.h"

#include <cmath>
#include <tuple>

namespace {

// Percent of additional guarantee per point of discount above the limit,
// for the first 10 points, the next 10 and beyond, and the cap.
struct TRateTable {
  long double First, Second, Beyond, Cap;
};
constexpr TRateTable RatesBefore19April2013{0.5L, 1, 1.5L, 35};
constexpr TRateTable RatesFrom19April2013{0.25L, 0.5L, 0.75L, 22};

}  // namespace

long double AdditionalGuarantee(long double limit, long double discount, bool newRates) {
  const long double d = std::trunc(discount);
  long double x = d > limit ? d - limit : 0;
  long double y = 0;
  long double z = 0;
  if (x > 10) {
    y = x - 10;
    x = 10;
  }
  if (y > 10) {
    z = y - 10;
    y = 10;
  }
  const TRateTable& rates = newRates ? RatesFrom19April2013 : RatesBefore19April2013;
  const long double additional = rates.First * x + rates.Second * y + rates.Beyond * z;
  return additional > rates.Cap ? rates.Cap : additional;
}

AnsiString CalcGuaranteeText(const AnsiString& limitText, const AnsiString& initialText,
                             const AnsiString& discountText, bool newRates) {
  const Extended limit = StrToFloat(limitText);
  const Extended discount = StrToFloat(discountText);
  const Extended initial = StrToFloat(initialText);
  return FloatToStr(initial + AdditionalGuarantee(limit, discount, newRates)) + "%";
}

bool NewGuaranteeRatesApply(TDateTime tenderDate) {
  // Calendar dates: a tender on 18 April 2013 at any hour keeps the old rates.
  Word year = 0, month = 0, day = 0;
  DecodeDate(tenderDate, year, month, day);
  return std::tuple(year, month, day) > std::tuple(Word(2013), Word(4), Word(18));
}

const AnsiString GuaranteeArticleText =
    "ΑΡΘΡΟ 4   Νόμου 3263/2004 (5 του Νόμου. 3669/2008 ΦΕΚ116Α/18-6-2008)\r\n"
    "Εγγύηση καλής εκτέλεσης: το αρχικό ποσοστό, και πρόσθετη εγγύηση όταν η έκπτωση "
    "της δημοπρασίας υπερβαίνει το όριο.\r\n"
    "Η έκπτωση λαμβάνεται σε ακέραιες μονάδες. Πρόσθετη εγγύηση ανά μονάδα έκπτωσης "
    "πάνω από το όριο:\r\n"
    "Έως 18/4/2013: 0,5 για τις πρώτες 10 μονάδες, 1 για τις επόμενες 10, 1,5 για τις "
    "υπόλοιπες, και έως 35 συνολικά.\r\n"
    "Από 19/4/2013: 0,25 για τις πρώτες 10 μονάδες, 0,5 για τις επόμενες 10, 0,75 για τις "
    "υπόλοιπες, και έως 22 συνολικά.\r\n"
    "Συνολική εγγύηση = αρχικό ποσοστό + πρόσθετη εγγύηση."_a;

const AnsiString GuaranteeDecisionText =
    "ΑΠΟΦΑΣΗ  Αριθμ. Πρωτ: Δ17α/03/101/ΦΝ. 437 /18-10-2004\r\n"
    "Ορίζει το όριο έκπτωσης πάνω από το οποίο οφείλεται πρόσθετη εγγύηση καλής "
    "εκτέλεσης.\r\n"
    "Το όριο γράφεται στο πεδίο \"ΟΡΙΟ ΓΙΑ ΕΠΙΒΟΛΗ ΠΡΟΣΘΕΤΗΣ ΕΓΓΥΗΣΗΣ\" (αρχική τιμή 12)."_a;
