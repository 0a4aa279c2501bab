// Dates and times: TDateTime counts days since 1899-12-30, the time of day is
// the fraction (counted forward from the day's start also for negative
// values, as the class library does), the clock can be replaced for tests.

#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

#include "platform/rtl/SysUtils.h"

namespace {

constexpr Int64 kMSecsPerDay = 86400000;
// Days from 1899-12-30 to 1970-01-01.
constexpr Int64 kUnixEpoch = 25569;
// The class library's range: 0001-01-01 to 9999-12-31.
constexpr Int64 kMinDay = -693593;
constexpr Int64 kMaxDay = 2958465;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's method).
Int64 daysFromCivil(Int64 y, unsigned m, unsigned d) {
  y -= m <= 2;
  const Int64 era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<Int64>(doe) - 719468;
}

void civilFromDays(Int64 z, Int64& y, unsigned& m, unsigned& d) {
  z += 719468;
  const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<Int64>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

// The day number and the milliseconds of the day; false outside the range
// of dates the class library can show.
bool splitDateTime(TDateTime dt, Int64& day, Int64& msec) {
  if (!std::isfinite(dt) || dt <= static_cast<double>(kMinDay - 1) || dt >= static_cast<double>(kMaxDay + 1))
    return false;
  day = static_cast<Int64>(std::trunc(dt));
  msec = std::llround(std::fabs(dt - std::trunc(dt)) * static_cast<double>(kMSecsPerDay));
  if (msec >= kMSecsPerDay) {
    msec -= kMSecsPerDay;
    ++day;
  }
  return true;
}

TDateTime systemNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto msec =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  TDateTime date = 0;
  TryEncodeDate(static_cast<Word>(local.tm_year + 1900), static_cast<Word>(local.tm_mon + 1),
                static_cast<Word>(local.tm_mday), date);
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
  return date + EncodeTime(static_cast<Word>(local.tm_hour), static_cast<Word>(local.tm_min),
                           static_cast<Word>(second), static_cast<Word>(msec < 0 ? 0 : msec));
}

ClockFn g_clock = nullptr;

Word currentYear() {
  Word y, m, d;
  DecodeDate(Now(), y, m, d);
  return y;
}

}  // namespace

// ---- encoding --------------------------------------------------------------

bool IsLeapYear(Word year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

Word DaysInAMonth(Word year, Word month) {
  static const Word kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
    return false;
  date = static_cast<TDateTime>(daysFromCivil(year, month, day) + kUnixEpoch);
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime date;
  if (!TryEncodeDate(year, month, day, date)) throw EConvertError("Invalid argument to date encode");
  return date;
}

void DecodeDate(TDateTime date, Word& year, Word& month, Word& day) {
  Int64 dayNumber, msec;
  if (!splitDateTime(date, dayNumber, msec) || dayNumber > kMaxDay) {
    year = month = day = 0;
    return;
  }
  Int64 y;
  unsigned m, d;
  civilFromDays(dayNumber - kUnixEpoch, y, m, d);
  year = static_cast<Word>(y);
  month = static_cast<Word>(m);
  day = static_cast<Word>(d);
}

namespace {

bool tryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
  time = static_cast<TDateTime>(((hour * 60 + min) * 60 + sec) * 1000 + msec) /
         static_cast<TDateTime>(kMSecsPerDay);
  return true;
}

}  // namespace

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime time;
  if (!tryEncodeTime(hour, min, sec, msec, time)) throw EConvertError("Invalid argument to time encode");
  return time;
}

void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec) {
  Int64 day, ms;
  if (!splitDateTime(time, day, ms)) ms = 0;
  hour = static_cast<Word>(ms / 3600000);
  min = static_cast<Word>(ms / 60000 % 60);
  sec = static_cast<Word>(ms / 1000 % 60);
  msec = static_cast<Word>(ms % 1000);
}

int DayOfWeek(TDateTime date) {
  Int64 day, msec;
  if (!splitDateTime(date, day, msec)) return 0;
  // 1899-12-30 was a Saturday (7).
  const Int64 fromSunday = ((day + 6) % 7 + 7) % 7;
  return static_cast<int>(fromSunday) + 1;
}

TDateTime IncMonth(TDateTime date, int months) {
  Word year, month, day;
  DecodeDate(date, year, month, day);
  Int64 total = static_cast<Int64>(year) * 12 + (month - 1) + months;
  const Word newYear = static_cast<Word>(total / 12);
  const Word newMonth = static_cast<Word>(total % 12 + 1);
  if (total < 12 || total / 12 > 9999) throw EConvertError("Invalid argument to date encode");
  const Word last = DaysInAMonth(newYear, newMonth);
  const TDateTime result = EncodeDate(newYear, newMonth, day > last ? last : day);
  const TDateTime timeOfDay = std::fabs(date - std::trunc(date));
  return result >= 0 ? result + timeOfDay : result - timeOfDay;
}

// ---- the clock -------------------------------------------------------------

TDateTime Now() { return g_clock != nullptr ? g_clock() : systemNow(); }
TDateTime Date() { return std::trunc(Now()); }
TDateTime Time() {
  const TDateTime now = Now();
  return now - std::trunc(now);
}
void SetClock(ClockFn clock) { g_clock = clock; }

void Sleep(Cardinal ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// ---- formatting ------------------------------------------------------------

namespace {

struct DateParts {
  Word year = 0, month = 0, day = 0, dayOfWeek = 0;
  Word hour = 0, minute = 0, second = 0, msec = 0;
  bool hasTime = false;
};

DateParts partsOf(TDateTime dt) {
  DateParts p;
  DecodeDate(dt, p.year, p.month, p.day);
  DecodeTime(dt, p.hour, p.minute, p.second, p.msec);
  const int dow = DayOfWeek(dt);
  p.dayOfWeek = static_cast<Word>(dow < 1 ? 1 : dow);
  p.hasTime = p.hour != 0 || p.minute != 0 || p.second != 0 || p.msec != 0;
  return p;
}

void appendNumber(AnsiString& out, int value, int width) {
  AnsiString text = IntToStr(value);
  if (Length(text) < width) text.insert(0, static_cast<std::size_t>(width - Length(text)), '0');
  out += text;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool startsWithNoCase(std::string_view s, std::size_t at, std::string_view word) {
  if (s.size() - at < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k)
    if (upper(s[at + k]) != upper(word[k])) return false;
  return true;
}

// An "h" shows the 12-hour clock when an am/pm marker follows it before the
// next "h"; the first unquoted "a" decides.
bool uses12HourClock(std::string_view format, std::size_t from) {
  bool quoted = false;
  char quote = 0;
  for (std::size_t i = from; i < format.size(); ++i) {
    const char c = format[i];
    if (quoted) {
      if (c == quote) quoted = false;
      continue;
    }
    if (c == '\'' || c == '"') {
      quoted = true;
      quote = c;
    } else if (c == 'h' || c == 'H') {
      return false;
    } else if (c == 'a' || c == 'A') {
      return startsWithNoCase(format, i, "am/pm") || startsWithNoCase(format, i, "a/p") ||
             startsWithNoCase(format, i, "ampm");
    }
  }
  return false;
}

// Nested formats ("c", "ddddd", "t") expand one level deep: the short and
// long formats never name one another, and a format that names itself must
// neither recurse without end nor multiply its length at every level.
void appendFormat(AnsiString& out, std::string_view format, const DateParts& p, int level) {
  if (level >= 2) return;
  char lastToken = ' ';
  bool twelveHour = false;
  std::size_t i = 0;
  while (i < format.size()) {
    const char starter = format[i];
    char token = upper(starter);
    if (token >= 'A' && token <= 'Z') {
      if (token == 'M' && lastToken == 'H') token = 'N';
      lastToken = token;
    }
    // Length of the run of the same letter, either case.
    auto count = [&]() {
      std::size_t n = 1;
      while (i + n < format.size() && upper(format[i + n]) == upper(starter)) ++n;
      i += n;
      return static_cast<int>(n);
    };
    switch (token) {
      case 'Y': {
        const int n = count();
        if (n <= 2) {
          appendNumber(out, p.year % 100, 2);
        } else {
          appendNumber(out, p.year, 4);
        }
        break;
      }
      case 'M': {
        const int n = count();
        if (n <= 2) {
          appendNumber(out, p.month, n);
        } else if (p.month >= 1) {
          out += n == 3 ? ShortMonthNames[p.month - 1] : LongMonthNames[p.month - 1];
        }
        break;
      }
      case 'D': {
        const int n = count();
        if (n <= 2) {
          appendNumber(out, p.day, n);
        } else if (n == 3) {
          out += ShortDayNames[p.dayOfWeek - 1];
        } else if (n == 4) {
          out += LongDayNames[p.dayOfWeek - 1];
        } else {
          appendFormat(out, n == 5 ? ShortDateFormat : LongDateFormat, p, level + 1);
        }
        break;
      }
      case 'H': {
        const int n = count();
        twelveHour = uses12HourClock(format, i);
        int hour = p.hour;
        if (twelveHour) {
          hour %= 12;
          if (hour == 0) hour = 12;
        }
        appendNumber(out, hour, n >= 2 ? 2 : 1);
        break;
      }
      case 'N':
        appendNumber(out, p.minute, count() >= 2 ? 2 : 1);
        break;
      case 'S':
        appendNumber(out, p.second, count() >= 2 ? 2 : 1);
        break;
      case 'Z':
        appendNumber(out, p.msec, count() >= 3 ? 3 : 1);
        break;
      case 'T':
        appendFormat(out, count() == 1 ? ShortTimeFormat : LongTimeFormat, p, level + 1);
        break;
      case 'C':
        count();
        appendFormat(out, ShortDateFormat, p, level + 1);
        if (p.hasTime) {
          out += ' ';
          appendFormat(out, LongTimeFormat, p, level + 1);
        }
        break;
      case 'A':
        if (startsWithNoCase(format, i, "am/pm")) {
          // The marker keeps the case written in the format.
          out.append(format.substr(p.hour >= 12 ? i + 3 : i, 2));
          i += 5;
        } else if (startsWithNoCase(format, i, "a/p")) {
          out += format[p.hour >= 12 ? i + 2 : i];
          i += 3;
        } else if (startsWithNoCase(format, i, "ampm")) {
          out += p.hour >= 12 ? TimePMString : TimeAMString;
          i += 4;
        } else {
          out += starter;
          ++i;
        }
        break;
      case '/':
        out += DateSeparator;
        ++i;
        break;
      case ':':
        out += TimeSeparator;
        ++i;
        break;
      case '\'':
      case '"': {
        const std::size_t close = format.find(starter, i + 1);
        const std::size_t end = close == std::string_view::npos ? format.size() : close;
        out.append(format.substr(i + 1, end - i - 1));
        i = end + 1;
        break;
      }
      default:
        out += starter;
        ++i;
    }
  }
}

}  // namespace

AnsiString FormatDateTime(const AnsiString& format, TDateTime dt) {
  const DateParts parts = partsOf(dt);
  AnsiString out;
  appendFormat(out, format.empty() ? std::string_view("c") : std::string_view(format), parts, 0);
  return out;
}

AnsiString DateToStr(TDateTime date) { return FormatDateTime("ddddd", date); }
AnsiString TimeToStr(TDateTime time) { return FormatDateTime("tt", time); }
AnsiString DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }

// ---- parsing ---------------------------------------------------------------

namespace {

struct Scanner {
  const AnsiString& s;
  std::size_t pos = 0;

  void blanks() {
    while (pos < s.size() && s[pos] == ' ') ++pos;
  }
  // Up to four digits (the reading stops once the number reaches 1000).
  bool number(Word& value, int& digits) {
    blanks();
    std::size_t i = pos;
    int n = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && n < 1000) {
      n = n * 10 + (s[i] - '0');
      ++i;
    }
    if (i == pos) return false;
    digits = static_cast<int>(i - pos);
    value = static_cast<Word>(n);
    pos = i;
    return true;
  }
  bool ch(char c) {
    blanks();
    if (pos < s.size() && s[pos] == c) {
      ++pos;
      return true;
    }
    return false;
  }
  bool word(const AnsiString& w) {
    blanks();
    if (w.empty() || s.size() - pos < w.size()) return false;
    if (AnsiCompareText(std::string_view(s).substr(pos, w.size()), w) != 0) return false;
    pos += w.size();
    return true;
  }
  bool atEnd() const { return pos >= s.size(); }
};

enum class DateOrder { MDY, DMY, YMD };

// The first of day, month and year named in the format decides.
DateOrder dateOrder(const AnsiString& format) {
  for (char c : format) {
    switch (upper(c)) {
      case 'E':
      case 'Y':
        return DateOrder::YMD;
      case 'M':
        return DateOrder::MDY;
      case 'D':
        return DateOrder::DMY;
      default:
        break;
    }
  }
  return DateOrder::MDY;
}

bool scanDate(Scanner& scan, TDateTime& date) {
  const DateOrder order = dateOrder(ShortDateFormat);
  Word n1, n2, n3;
  int l1, l2, l3;
  if (!(scan.number(n1, l1) && scan.ch(DateSeparator) && scan.number(n2, l2))) return false;
  Word y, m, d;
  int yearDigits = 4;
  if (scan.ch(DateSeparator)) {
    if (!scan.number(n3, l3)) return false;
    switch (order) {
      case DateOrder::MDY:
        y = n3, yearDigits = l3, m = n1, d = n2;
        break;
      case DateOrder::DMY:
        y = n3, yearDigits = l3, m = n2, d = n1;
        break;
      case DateOrder::YMD:
        y = n1, yearDigits = l1, m = n2, d = n3;
        break;
    }
  } else {
    // Two numbers: day and month of the current year.
    y = currentYear();
    if (order == DateOrder::DMY) {
      d = n1, m = n2;
    } else {
      m = n1, d = n2;
    }
  }
  scan.ch(DateSeparator);
  scan.blanks();
  if (yearDigits <= 2) {
    // The century window: the 100 years starting `window` years ago.
    const int windowStart = currentYear() - TwoDigitYearCenturyWindow;
    int year = y + windowStart / 100 * 100;
    if (TwoDigitYearCenturyWindow > 0 && year < windowStart) year += 100;
    if (year < 0 || year > 9999) return false;
    y = static_cast<Word>(year);
  }
  return TryEncodeDate(y, m, d, date);
}

bool scanTime(Scanner& scan, TDateTime& time) {
  int baseHour = -1;
  auto meridiem = [&scan]() {
    if (scan.word(TimeAMString) || scan.word("AM")) return 0;
    if (scan.word(TimePMString) || scan.word("PM")) return 12;
    return -1;
  };
  baseHour = meridiem();
  Word hour, minute = 0, second = 0, msec = 0;
  int digits;
  if (!scan.number(hour, digits)) return false;
  if (scan.ch(TimeSeparator)) {
    if (!scan.number(minute, digits)) return false;
    if (scan.ch(TimeSeparator)) {
      if (!scan.number(second, digits)) return false;
      if (scan.ch(DecimalSeparator) && !scan.number(msec, digits)) return false;
    }
  }
  if (baseHour < 0) baseHour = meridiem();
  if (baseHour >= 0) {
    if (hour == 0 || hour > 12) return false;
    if (hour == 12) hour = 0;
    hour = static_cast<Word>(hour + baseHour);
  }
  scan.blanks();
  return tryEncodeTime(hour, minute, second, msec, time);
}

}  // namespace

bool TryStrToDate(const AnsiString& s, TDateTime& date) {
  Scanner scan{s};
  TDateTime value;
  if (!scanDate(scan, value) || !scan.atEnd()) return false;
  date = value;
  return true;
}

TDateTime StrToDate(const AnsiString& s) {
  TDateTime date;
  if (!TryStrToDate(s, date)) throw EConvertError("'" + s + "' is not a valid date");
  return date;
}

bool TryStrToTime(const AnsiString& s, TDateTime& time) {
  Scanner scan{s};
  TDateTime value;
  if (!scanTime(scan, value) || !scan.atEnd()) return false;
  time = value;
  return true;
}

TDateTime StrToTime(const AnsiString& s) {
  TDateTime time;
  if (!TryStrToTime(s, time)) throw EConvertError("'" + s + "' is not a valid time");
  return time;
}

bool TryStrToDateTime(const AnsiString& s, TDateTime& dt) {
  Scanner scan{s};
  TDateTime date, time = 0;
  if (scanDate(scan, date) && (scan.atEnd() || (scanTime(scan, time) && scan.atEnd()))) {
    dt = date >= 0 ? date + time : date - time;
    return true;
  }
  return TryStrToTime(s, dt);
}

TDateTime StrToDateTime(const AnsiString& s) {
  TDateTime dt;
  if (!TryStrToDateTime(s, dt)) throw EConvertError("'" + s + "' is not a valid date and time");
  return dt;
}
