#pragma once
// Sets the locale variables for one test and puts the previous ones back.

#include <array>

#include "platform/rtl/SysUtils.h"

class LocaleScope {
 public:
  enum Which { C, Greek };
  explicit LocaleScope(Which which) {
    if (which == Greek) {
      LoadGreekLocale();
    } else {
      LoadDefaultLocale();
    }
  }
  LocaleScope(const LocaleScope&) = delete;
  LocaleScope& operator=(const LocaleScope&) = delete;
  ~LocaleScope() {
    DecimalSeparator = decimal_;
    ThousandSeparator = thousands_;
    DateSeparator = date_;
    ShortDateFormat = shortDate_;
    LongDateFormat = longDate_;
    TimeSeparator = time_;
    ShortTimeFormat = shortTime_;
    LongTimeFormat = longTime_;
    TimeAMString = am_;
    TimePMString = pm_;
    CurrencyString = currency_;
    CurrencyFormat = currencyFormat_;
    NegCurrFormat = negCurrFormat_;
    CurrencyDecimals = currencyDecimals_;
    TwoDigitYearCenturyWindow = window_;
    for (int i = 0; i < 12; ++i) {
      ShortMonthNames[i] = shortMonths_[i];
      LongMonthNames[i] = longMonths_[i];
    }
    for (int i = 0; i < 7; ++i) {
      ShortDayNames[i] = shortDays_[i];
      LongDayNames[i] = longDays_[i];
    }
  }

 private:
  char decimal_ = DecimalSeparator, thousands_ = ThousandSeparator, date_ = DateSeparator;
  AnsiString shortDate_ = ShortDateFormat, longDate_ = LongDateFormat;
  char time_ = TimeSeparator;
  AnsiString shortTime_ = ShortTimeFormat, longTime_ = LongTimeFormat, am_ = TimeAMString, pm_ = TimePMString;
  AnsiString currency_ = CurrencyString;
  Byte currencyFormat_ = CurrencyFormat, negCurrFormat_ = NegCurrFormat, currencyDecimals_ = CurrencyDecimals;
  Word window_ = TwoDigitYearCenturyWindow;
  std::array<AnsiString, 12> shortMonths_ = copy<12>(ShortMonthNames), longMonths_ = copy<12>(LongMonthNames);
  std::array<AnsiString, 7> shortDays_ = copy<7>(ShortDayNames), longDays_ = copy<7>(LongDayNames);

  template <std::size_t N>
  static std::array<AnsiString, N> copy(const AnsiString (&names)[N]) {
    std::array<AnsiString, N> out;
    for (std::size_t i = 0; i < N; ++i) out[i] = names[i];
    return out;
  }
};
