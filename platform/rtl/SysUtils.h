#pragma once
// Exceptions, conversions between text and numbers, dates, and the locale's
// separators, with the class library's names, behaviour and messages.

#include <exception>
#include <initializer_list>
#include <string>

#include "platform/rtl/System.h"

// ---- exceptions ------------------------------------------------------------

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : Message(std::move(message)) {}
  ~Exception() override = default;
  // what() is UTF-8, for diagnostics outside the program's own windows.
  const char* what() const noexcept override {
    utf8_ = cp1253::ToUtf8(Message);
    return utf8_.c_str();
  }
  AnsiString Message;

 private:
  mutable std::string utf8_;
};

#define DIM_EXCEPTION(Name, Base)                       \
  class Name : public Base {                            \
   public:                                              \
    explicit Name(AnsiString m) : Base(std::move(m)) {} \
  };

DIM_EXCEPTION(EConvertError, Exception)
DIM_EXCEPTION(EInOutError, Exception)
DIM_EXCEPTION(EStreamError, Exception)
DIM_EXCEPTION(EFCreateError, EStreamError)
DIM_EXCEPTION(EFOpenError, EStreamError)
DIM_EXCEPTION(EReadError, EStreamError)
DIM_EXCEPTION(EWriteError, EStreamError)
DIM_EXCEPTION(EListError, Exception)
DIM_EXCEPTION(EStringListError, Exception)
DIM_EXCEPTION(EIniFileException, Exception)
DIM_EXCEPTION(ERegistryException, Exception)
DIM_EXCEPTION(EMathError, Exception)
DIM_EXCEPTION(EZeroDivide, EMathError)
DIM_EXCEPTION(EOverflow, EMathError)
DIM_EXCEPTION(EInvalidOp, EMathError)
DIM_EXCEPTION(EOutOfMemory, Exception)
DIM_EXCEPTION(EInvalidOperation, Exception)
DIM_EXCEPTION(EInvalidPointer, Exception)

// Silent: the application's error box ignores it.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  explicit EAbort(AnsiString m) : Exception(std::move(m)) {}
};
[[noreturn]] void Abort();

// ---- locale ----------------------------------------------------------------

// The separators and short date format in force. Read from the environment
// (LC_ALL, LC_NUMERIC, LC_TIME, LANG) by LoadLocaleFromEnvironment; Greek
// locales use a built-in table (thousands ".", decimal ",", date "d/M/yyyy")
// because machines often lack generated locales. Tests assign them.
extern char DecimalSeparator;
extern char ThousandSeparator;
extern char DateSeparator;
extern AnsiString ShortDateFormat;
extern AnsiString LongDateFormat;
extern char TimeSeparator;
extern AnsiString ShortTimeFormat;
extern AnsiString LongTimeFormat;
extern AnsiString TimeAMString;
extern AnsiString TimePMString;
// Index 0 is January (Sunday for the day names).
extern AnsiString ShortMonthNames[12];
extern AnsiString LongMonthNames[12];
extern AnsiString ShortDayNames[7];
extern AnsiString LongDayNames[7];
// Money (%m): CurrencyFormat 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"; NegCurrFormat
// as the class library's 0..15 ("($1)", "-$1", ..., "-1 $" is 8).
extern AnsiString CurrencyString;
extern Byte CurrencyFormat;
extern Byte NegCurrFormat;
extern Byte CurrencyDecimals;
// A two-digit year read by StrToDate lies within this many years before the
// current year and (100 - this) years after it.
extern Word TwoDigitYearCenturyWindow;
void LoadLocaleFromEnvironment();
// The C values: ".", ",", "/", "M/d/yyyy", English names.
void LoadDefaultLocale();
// The built-in Greek table: ",", ".", "/", "d/M/yyyy", Greek names.
void LoadGreekLocale();

// ---- integers --------------------------------------------------------------

AnsiString IntToStr(Int64 value);
AnsiString IntToHex(Int64 value, int digits);
// Raises EConvertError "'%s' is not a valid integer value". Accepts leading
// blanks (not trailing ones), a sign and hexadecimal after "$", "x" or "0x",
// as the class library does; hexadecimal may use all 32 bits ("$FFFFFFFF"
// is -1), decimal must fit.
int StrToInt(const AnsiString& s);
Int64 StrToInt64(const AnsiString& s);
int StrToIntDef(const AnsiString& s, int def);
bool TryStrToInt(const AnsiString& s, int& value);

// ---- floating point --------------------------------------------------------

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Rounding in all of these is decimal, half away from zero, on the 18-digit
// text of the 80-bit value (2.675L with "0.00" gives 2.68; the double 2.675
// lies below the half and gives 2.67). A value that rounds to zero shows
// no minus sign.

// General format, 15 significant digits, the locale's decimal separator;
// the exponent form below 0.0001 and from 10^15 on ("1E15", "1E-5").
AnsiString FloatToStr(Extended value);
AnsiString FloatToStrF(Extended value, TFloatFormat format, int precision, int digits);
// Patterns "0", "#", ".", ",", "E+", "E-", literal text in quotes and up to
// three ";"-separated sections, as "#,0.00" and "0.000"; any "," groups
// thousands. A value that rounds to zero takes the zero section.
AnsiString FormatFloat(const AnsiString& format, Extended value);
// Leading and trailing blanks, a sign, the locale's decimal separator (no
// thousands separator) and an exponent. Raises EConvertError
// "'%s' is not a valid floating point value".
Extended StrToFloat(const AnsiString& s);
Extended StrToFloatDef(const AnsiString& s, Extended def);
bool TryStrToFloat(const AnsiString& s, Extended& value);

// printf-like with the class library's directives: %d %u %x %s %f %g %e %n
// %m, index, width and precision ("%*d", "%-10s", "%.2f"); %f %n %m use the
// locale's separators. Arguments are passed as FormatArg. A directive that
// does not fit its argument raises EConvertError "Format '%s' invalid or
// incompatible with argument"; a missing argument "No argument for format
// '%s'". Widths and precisions above 65535 count as invalid.
struct FormatArg {
  enum Kind { Int, Float, Str } kind;
  Int64 i = 0;
  Extended f = 0;
  AnsiString s;
  FormatArg(int v) : kind(Int), i(v) {}
  FormatArg(long v) : kind(Int), i(v) {}
  FormatArg(long long v) : kind(Int), i(v) {}
  FormatArg(unsigned v) : kind(Int), i(v) {}
  // Sizes and counts; values beyond the 64-bit signed range wrap.
  FormatArg(unsigned long v) : kind(Int), i(static_cast<Int64>(v)) {}
  FormatArg(unsigned long long v) : kind(Int), i(static_cast<Int64>(v)) {}
  // A character is one-character text, as the class library's %s takes it.
  FormatArg(char v) : kind(Str), s(1, v) {}
  FormatArg(double v) : kind(Float), f(v) {}
  FormatArg(long double v) : kind(Float), f(v) {}
  FormatArg(const char* v) : kind(Str), s(v) {}
  FormatArg(AnsiString v) : kind(Str), s(std::move(v)) {}
};
AnsiString Format(const AnsiString& format, std::initializer_list<FormatArg> args);

// ---- dates -----------------------------------------------------------------

// Days since 1899-12-30, time of day as the fraction.
using TDateTime = double;

TDateTime EncodeDate(Word year, Word month, Word day);  // EConvertError when invalid
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
void DecodeDate(TDateTime date, Word& year, Word& month, Word& day);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec);
bool IsLeapYear(Word year);
int DayOfWeek(TDateTime date);  // 1 = Sunday

// The clock; tests replace it with SetClock and restore it with SetClock({}).
TDateTime Now();
TDateTime Date();
TDateTime Time();
using ClockFn = TDateTime (*)();
void SetClock(ClockFn clock);

// In ShortDateFormat with DateSeparator.
AnsiString DateToStr(TDateTime date);
AnsiString TimeToStr(TDateTime time);
AnsiString DateTimeToStr(TDateTime dt);
// Day, month and year in the order of ShortDateFormat; a two-digit year is
// taken in the century window of the class library. Raises EConvertError
// "'%s' is not a valid date".
TDateTime StrToDate(const AnsiString& s);
bool TryStrToDate(const AnsiString& s, TDateTime& date);
// Hours, minutes, optional seconds with TimeSeparator, optional AM/PM.
// Raises EConvertError "'%s' is not a valid time".
TDateTime StrToTime(const AnsiString& s);
bool TryStrToTime(const AnsiString& s, TDateTime& time);
// A date, optionally followed by a time. Raises EConvertError
// "'%s' is not a valid date and time".
TDateTime StrToDateTime(const AnsiString& s);
bool TryStrToDateTime(const AnsiString& s, TDateTime& dt);
// Moves by whole months; a day past the end of the target month becomes its
// last day (31 January + 1 month = 28 or 29 February).
TDateTime IncMonth(TDateTime date, int months = 1);
Word DaysInAMonth(Word year, Word month);
// "d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz am/pm c / :"
// and quoted literals. Month and day names in Greek under a Greek locale.
AnsiString FormatDateTime(const AnsiString& format, TDateTime dt);

// ---- locale comparison -----------------------------------------------------
// AnsiCompareText (System.h) on UTF-16 texts, for characters beyond the
// code page: -1, 0 or 1 by a fixed Greek collation, the same on every
// machine (Latin before Greek, letters before accents, case ignored).
int WideCompareText(const WideString& S1, const WideString& S2);
// ---- misc ------------------------------------------------------------------

// Milliseconds since an arbitrary start; wraps as a 32-bit count.
Cardinal GetTickCount();
void Sleep(Cardinal ms);

// What the system's locale says of itself: MiddleEast when its language is
// written from right to left (Arabic, Hebrew, Persian, Urdu, ...), read
// from the environment at start-up; only then do controls mirror for a
// right-to-left BiDiMode.
struct TSysLocale {
  bool MiddleEast = false;
};
extern TSysLocale SysLocale;
// Whether a locale name ("he_IL.UTF-8", "ar", "C") is of a right-to-left
// language.
bool IsMiddleEastLocale(const AnsiString& name);
