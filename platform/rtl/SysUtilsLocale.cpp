// The locale's separators, date and time formats and names. The program is
// Greek; a Greek environment gets a built-in table because Debian machines
// often have no generated Greek locale, and any other environment asks the
// C library for its separators.

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <string>

#include "platform/rtl/SysUtils.h"

char DecimalSeparator = '.';
char ThousandSeparator = ',';
char DateSeparator = '/';
AnsiString ShortDateFormat = "M/d/yyyy";
AnsiString LongDateFormat = "dddd, mmmm d, yyyy";
char TimeSeparator = ':';
AnsiString ShortTimeFormat = "h:nn ampm";
AnsiString LongTimeFormat = "h:nn:ss ampm";
AnsiString TimeAMString = "AM";
AnsiString TimePMString = "PM";
AnsiString ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
AnsiString LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
AnsiString ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
AnsiString LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
AnsiString CurrencyString = "$";
Byte CurrencyFormat = 0;
Byte NegCurrFormat = 0;
Byte CurrencyDecimals = 2;
Word TwoDigitYearCenturyWindow = 50;

namespace {

void loadDefaultNumbers() {
  DecimalSeparator = '.';
  ThousandSeparator = ',';
  CurrencyString.assign(1, '$');
  CurrencyFormat = 0;
  NegCurrFormat = 0;
  CurrencyDecimals = 2;
}

void loadGreekNumbers() {
  DecimalSeparator = ',';
  ThousandSeparator = '.';
  CurrencyString = "€"_a;
  CurrencyFormat = 3;  // "1 €"
  NegCurrFormat = 8;   // "-1 €"
  CurrencyDecimals = 2;
}

// A locale's date and time texts, in UTF-8.
struct DateTexts {
  const char* shortDate;
  const char* longDate;
  const char* am;
  const char* pm;
  const char* shortMonths[12];
  const char* longMonths[12];
  const char* shortDays[7];
  const char* longDays[7];
};

constexpr DateTexts kDefaultDates = {
    "M/d/yyyy",
    "dddd, mmmm d, yyyy",
    "AM",
    "PM",
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
     "November", "December"},
    {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}};

constexpr DateTexts kGreekDates = {
    "d/M/yyyy",
    "dddd, d mmmm yyyy",
    "πμ",
    "μμ",
    {"Ιαν", "Φεβ", "Μαρ", "Απρ", "Μαϊ", "Ιουν", "Ιουλ", "Αυγ", "Σεπ", "Οκτ", "Νοε", "Δεκ"},
    {"Ιανουάριος", "Φεβρουάριος", "Μάρτιος", "Απρίλιος", "Μάιος", "Ιούνιος", "Ιούλιος", "Αύγουστος",
     "Σεπτέμβριος", "Οκτώβριος", "Νοέμβριος", "Δεκέμβριος"},
    {"Κυρ", "Δευ", "Τρι", "Τετ", "Πεμ", "Παρ", "Σαβ"},
    {"Κυριακή", "Δευτέρα", "Τρίτη", "Τετάρτη", "Πέμπτη", "Παρασκευή", "Σάββατο"}};

void loadDates(const DateTexts& texts) {
  DateSeparator = '/';
  ShortDateFormat = texts.shortDate;
  LongDateFormat = texts.longDate;
  TimeSeparator = ':';
  ShortTimeFormat = "h:nn ampm";
  LongTimeFormat = "h:nn:ss ampm";
  TimeAMString = cp1253::FromUtf8(texts.am);
  TimePMString = cp1253::FromUtf8(texts.pm);
  for (int i = 0; i < 12; ++i) {
    ShortMonthNames[i] = cp1253::FromUtf8(texts.shortMonths[i]);
    LongMonthNames[i] = cp1253::FromUtf8(texts.longMonths[i]);
  }
  for (int i = 0; i < 7; ++i) {
    ShortDayNames[i] = cp1253::FromUtf8(texts.shortDays[i]);
    LongDayNames[i] = cp1253::FromUtf8(texts.longDays[i]);
  }
}

void loadDefaultDates() { loadDates(kDefaultDates); }
void loadGreekDates() { loadDates(kGreekDates); }

// The first of the variables that is set and not empty, as the C library
// resolves a category.
std::string localeNameFor(const char* category) {
  for (const char* name : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

bool isCLocale(const std::string& name) {
  return name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// "el", "el_GR", "el_GR.UTF-8", "el_GR.ISO-8859-7", "el_CY", "el_GR@euro".
bool isGreekLocale(const std::string& name) {
  return name.size() >= 2 && name[0] == 'e' && name[1] == 'l' &&
         (name.size() == 2 || name[2] == '_' || name[2] == '.' || name[2] == '@');
}

// A separator from the C library as one 1253 byte; none when the locale's
// separator has no single-byte form (or is empty).
bool separatorByte(const char* utf8, char& out) {
  if (utf8 == nullptr || *utf8 == '\0') return false;
  const AnsiString ansi = cp1253::FromUtf8(utf8);
  if (ansi.size() != 1 || (ansi[0] == '?' && std::string(utf8) != "?")) return false;
  out = ansi[0];
  return true;
}

// Separators of a locale the table does not know, from the C library when it
// has the locale generated.
void loadSystemNumbers(const std::string& name) {
  loadDefaultNumbers();
  locale_t loc = newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return;
  char decimal = '.', thousands = ',';
  const bool haveDecimal = separatorByte(nl_langinfo_l(RADIXCHAR, loc), decimal);
  const bool haveThousands = separatorByte(nl_langinfo_l(THOUSEP, loc), thousands);
  freelocale(loc);
  if (!haveDecimal) return;
  DecimalSeparator = decimal;
  // A locale without grouping keeps the other of "." and "," so that the
  // two separators never coincide.
  if (!haveThousands || thousands == decimal) thousands = decimal == ',' ? '.' : ',';
  ThousandSeparator = thousands;
}

// The day, month and year order and separator of the C library's date
// format ("%d.%m.%Y" gives "d.M.yyyy" with "."); names stay English since
// code page 1253 cannot hold most other alphabets.
void loadSystemDates(const std::string& name) {
  loadDefaultDates();
  locale_t loc = newlocale(LC_TIME_MASK, name.c_str(), static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return;
  const std::string format = nl_langinfo_l(D_FMT, loc);
  freelocale(loc);
  AnsiString shortFormat;
  char separator = 0;
  int fields = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      const char conversion = format[++i];
      if (conversion == 'd' || conversion == 'e') {
        shortFormat += "d";
      } else if (conversion == 'm') {
        shortFormat += "M";
      } else if (conversion == 'Y') {
        shortFormat += "yyyy";
      } else if (conversion == 'y') {
        shortFormat += "yy";
      } else {
        return;  // a format this reading does not understand: keep the C values
      }
      ++fields;
    } else if (separator == 0) {
      separator = format[i];
      shortFormat += '/';
    } else if (format[i] == separator) {
      shortFormat += '/';
    } else {
      return;
    }
  }
  if (fields != 3 || separator == 0 || static_cast<unsigned char>(separator) >= 0x80) return;
  DateSeparator = separator;
  ShortDateFormat = shortFormat;
}

}  // namespace

void LoadDefaultLocale() {
  loadDefaultNumbers();
  loadDefaultDates();
}

void LoadGreekLocale() {
  loadGreekNumbers();
  loadGreekDates();
}

void LoadLocaleFromEnvironment() {
  const std::string numeric = localeNameFor("LC_NUMERIC");
  if (isCLocale(numeric)) {
    loadDefaultNumbers();
  } else if (isGreekLocale(numeric)) {
    loadGreekNumbers();
  } else {
    loadSystemNumbers(numeric);
  }
  const std::string time = localeNameFor("LC_TIME");
  if (isCLocale(time)) {
    loadDefaultDates();
  } else if (isGreekLocale(time)) {
    loadGreekDates();
  } else {
    loadSystemDates(time);
  }
}

bool IsMiddleEastLocale(const AnsiString& name) {
  const AnsiString language = name.substr(0, name.find_first_of("_.@"));
  for (const char* rtl : {"ar", "he", "iw", "fa", "ur", "yi", "ps", "ckb", "dv", "sd", "ug"})
    if (language == rtl) return true;
  return false;
}

namespace {

TSysLocale ReadSysLocale() {
  TSysLocale locale;
  // The first of the variables that names the language of messages.
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      locale.MiddleEast = IsMiddleEastLocale(value);
      break;
    }
  }
  return locale;
}

}  // namespace

TSysLocale SysLocale = ReadSysLocale();
