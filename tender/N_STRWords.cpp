// Numbers and amounts in Greek words, in the gender of the counted noun.

#include <cmath>

#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"

namespace {

// Every word carries one leading blank, so that words join by
// concatenation. Index 0 of a row is unused ("0" has no word).
struct WordTable {
  std::array<std::array<AnsiString, 10>, 3> Units;  // by gender - 1
  std::array<AnsiString, 10> Tens;
  std::array<std::array<AnsiString, 10>, 3> Hundreds;  // 2..9 (1 has its own words), by gender - 1
  AnsiString Eleven, Twelve, Hundred, HundredAnd;
  std::array<AnsiString, 3> Thousand;  // "one thousand" by gender - 1
  AnsiString Thousands, Million, Millions, Billion, Billions, Trillion, Trillions;
  AnsiString Zero, And, Minus;
};

WordTable BuildWordTable() {
  WordTable t;
  const char* masculine[] = {"",       " ένας", " δύο",  " τρεις", " τέσσερις",
                             " πέντε", " έξι",  " επτά", " οκτώ",  " εννέα"};
  const char* feminine[] = {"",       " μία", " δύο",  " τρεις", " τέσσερις",
                            " πέντε", " έξι", " επτά", " οκτώ",  " εννέα"};
  const char* neuter[] = {"",       " ένα", " δύο",  " τρία", " τέσσερα",
                          " πέντε", " έξι", " επτά", " οκτώ", " εννέα"};
  const char* tens[] = {"",         " δέκα",   " είκοσι",    " τριάντα", " σαράντα",
                        " πενήντα", " εξήντα", " εβδομήντα", " ογδόντα", " ενενήντα"};
  const char* hundredsMasculine[] = {"",
                                     "",
                                     " διακόσιοι",
                                     " τριακόσιοι",
                                     " τετρακόσιοι",
                                     " πεντακόσιοι",
                                     " εξακόσιοι",
                                     " επτακόσιοι",
                                     " οκτακόσιοι",
                                     " εννιακόσιοι"};
  const char* hundredsFeminine[] = {"",
                                    "",
                                    " διακόσιες",
                                    " τριακόσιες",
                                    " τετρακόσιες",
                                    " πεντακόσιες",
                                    " εξακόσιες",
                                    " επτακόσιες",
                                    " οκτακόσιες",
                                    " εννιακόσιες"};
  const char* hundredsNeuter[] = {
      "",          "",           " διακόσια",  " τριακόσια", " τετρακόσια", " πεντακόσια",
      " εξακόσια", " επτακόσια", " οκτακόσια", " εννιακόσια"};
  for (int digit = 1; digit <= 9; ++digit) {
    t.Units[0][digit] = cp1253::FromUtf8(masculine[digit]);
    t.Units[1][digit] = cp1253::FromUtf8(feminine[digit]);
    t.Units[2][digit] = cp1253::FromUtf8(neuter[digit]);
    t.Tens[digit] = cp1253::FromUtf8(tens[digit]);
    t.Hundreds[0][digit] = cp1253::FromUtf8(hundredsMasculine[digit]);
    t.Hundreds[1][digit] = cp1253::FromUtf8(hundredsFeminine[digit]);
    t.Hundreds[2][digit] = cp1253::FromUtf8(hundredsNeuter[digit]);
  }
  t.Eleven = " ένδεκα"_a;
  t.Twelve = " δώδεκα"_a;
  t.Hundred = " εκατό"_a;
  t.HundredAnd = " εκατόν"_a;
  t.Thousand = {" χίλιοι"_a, " χίλιες"_a, " χίλια"_a};
  t.Thousands = " χιλιάδες"_a;
  t.Million = " εκατομμύριο"_a;
  t.Millions = " εκατομμύρια"_a;
  t.Billion = " δισεκατομμύριο"_a;
  t.Billions = " δισεκατομμύρια"_a;
  t.Trillion = " τρισεκατομμύριο"_a;
  t.Trillions = " τρισεκατομμύρια"_a;
  t.Zero = " μηδέν"_a;
  t.And = " και "_a;
  t.Minus = "Μείον "_a;
  return t;
}

const WordTable& Words() {
  static const WordTable table = BuildWordTable();
  return table;
}

// Gender codes are 1 to 3; anything else is taken as neuter.
int GenderIndex(Byte gender) { return gender >= 1 && gender <= 3 ? gender - 1 : 2; }

int DigitValue(char ch) { return ch >= '0' && ch <= '9' ? ch - '0' : 0; }

// Integer parts from 10^15 on have no words in the table's scale.
constexpr long double WordsLimit = 1e15L;

}  // namespace

AnsiString GroupToWords(char hundreds, char tens, char units, Byte gender) {
  const WordTable& w = Words();
  const int g = GenderIndex(gender);
  const int h = DigitValue(hundreds), t = DigitValue(tens), u = DigitValue(units);
  AnsiString below;
  if (t == 1 && u == 1) {
    below = w.Eleven;
  } else if (t == 1 && u == 2) {
    below = w.Twelve;
  } else {
    if (t != 0) below += w.Tens[t];
    if (u != 0) below += w.Units[g][u];
  }
  if (h == 1) return below.empty() ? w.Hundred : w.HundredAnd + below;
  if (h >= 2) return w.Hundreds[g][h] + below;
  return below;
}

AnsiString NumToWords(Byte gender, Byte firstLetterOnly, double value) {
  const WordTable& w = Words();
  if (!std::isfinite(value)) return FixedNotation(value, 0);
  const bool negative = value < 0;
  const long double magnitude = std::fabs(static_cast<long double>(value));
  const long double integerPart = std::trunc(magnitude);
  const long double fraction = magnitude - integerPart;

  AnsiString fractionText;
  if (fraction != 0) {
    AnsiString digits = FormatFloat("0.000000", fraction);
    while (digits.size() >= 5 && digits.back() == '0') digits.pop_back();
    fractionText = (w.And + digits).substr(0, 20);
  }

  if (integerPart == 0) {
    // A negative value above -1 keeps its sign: "minus zero and 0,50"
    // rather than a positive-looking "zero and 0,50".
    if (negative) return w.Minus + w.Zero.substr(1) + fractionText;
    return w.Zero + fractionText;
  }
  if (integerPart >= WordsLimit)
    return (negative ? w.Minus : AnsiString()) + FixedNotation(integerPart, 0) + fractionText;

  AnsiString digits = FixedNotation(integerPart, 0);
  while (digits.size() % 3 != 0) digits.insert(digits.begin(), '0');
  const int groupCount = static_cast<int>(digits.size() / 3);
  AnsiString words;
  for (int group = 1; group <= groupCount; ++group) {
    const size_t at = digits.size() - 3 * group;
    const char h = digits[at], t = digits[at + 1], u = digits[at + 2];
    const bool none = h == '0' && t == '0' && u == '0';
    const bool one = h == '0' && t == '0' && u == '1';
    AnsiString groupWords;
    switch (group) {
      case 1:
        groupWords = GroupToWords(h, t, u, gender);
        break;
      case 2:
        if (one)
          groupWords = w.Thousand[GenderIndex(gender)];
        else if (!none)
          groupWords = GroupToWords(h, t, u, Feminine) + w.Thousands;
        break;
      default: {
        const AnsiString* singular[] = {&w.Million, &w.Billion, &w.Trillion};
        const AnsiString* plural[] = {&w.Millions, &w.Billions, &w.Trillions};
        if (!none)
          groupWords = GroupToWords(h, t, u, Neuter) + (one ? *singular[group - 3] : *plural[group - 3]);
        break;
      }
    }
    words.insert(0, groupWords);
  }

  if (firstLetterOnly != 0) {
    const size_t first = words.find_first_not_of(' ');
    if (first != AnsiString::npos) words[first] = GreekUpCase(words[first]);
  } else {
    for (char& ch : words) ch = GreekUpCase(ch);
  }
  if (!words.empty() && words[0] == ' ') words.erase(0, 1);
  return (negative ? w.Minus : AnsiString()) + words + fractionText;
}

AnsiString AmountToWords(Byte withCents, Byte firstLetterOnly, std::string_view suffix, double value) {
  if (withCents == 0 || !std::isfinite(value)) return NumToWords(Neuter, firstLetterOnly, value);
  const double integerPart = std::trunc(value);
  AnsiString result = NumToWords(Neuter, firstLetterOnly, integerPart);
  long double cents = (static_cast<long double>(value) - integerPart) * 100;
  if (integerPart != 0) cents = std::fabs(cents);
  const Int64 roundedCents = Round(cents);
  if (roundedCents != 0) {
    result += Words().And;
    result += NumToWords(Neuter, firstLetterOnly, static_cast<double>(roundedCents));
    result += suffix;
  }
  return result;
}
