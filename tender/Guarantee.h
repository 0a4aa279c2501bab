#pragma once
// The performance guarantee: the initial percentage plus an additional
// percentage for the tender discount above a limit, in bands of 10 points,
// by the rate table before or from 19 April 2013.

#include "platform/rtl/SysUtils.h"

// The additional percentage for a discount above the limit; D is taken to
// its integer part toward zero.
long double AdditionalGuarantee(long double limit, long double discount, bool newRates);

// The guarantee panel's computation over its three texts (limit, initial
// percentage, tender discount), read in the locale's notation. Returns the
// total as the shortest decimal text followed by "%" ("22,25%" under the
// Greek locale). A text that is no number raises EConvertError.
AnsiString CalcGuaranteeText(const AnsiString& limitText, const AnsiString& initialText,
                             const AnsiString& discountText, bool newRates);

// Whether a tender held on this date uses the new rates: its calendar date
// is later than 18 April 2013, whatever the time of day.
bool NewGuaranteeRatesApply(TDateTime tenderDate);

// The panel's read-only reference texts (lines separated by CR LF): the
// article on guarantees and the decision that sets the limit.
extern const AnsiString GuaranteeArticleText;
extern const AnsiString GuaranteeDecisionText;
