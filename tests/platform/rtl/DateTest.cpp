#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/SysUtils.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

// A fixed "now": 2026-06-15 10:30, a year the century window is read from.
TDateTime fixedNow() { return 46188.4375; }

class ClockScope {
 public:
  explicit ClockScope(ClockFn clock) { SetClock(clock); }
  ~ClockScope() { SetClock(nullptr); }
};

// ---- encoding --------------------------------------------------------------

TEST(Date, EncodeDateCountsDaysFromTheEpoch) {
  const std::tuple<Word, Word, Word, TDateTime> cases[] = {
      {1899, 12, 30, 0},       {1900, 1, 1, 2},      {2000, 1, 1, 36526},
      {2013, 2, 5, 41310},     {2013, 2, 28, 41333}, {1, 1, 1, -693593},
      {9999, 12, 31, 2958465}, {2012, 2, 29, 40968}, {1899, 12, 29, -1},
  };
  for (const auto& [y, m, d, serial] : cases) {
    EXPECT_EQ(EncodeDate(y, m, d), serial) << y << "-" << m << "-" << d;
    Word yy, mm, dd;
    DecodeDate(serial, yy, mm, dd);
    EXPECT_EQ(yy, y);
    EXPECT_EQ(mm, m);
    EXPECT_EQ(dd, d);
  }
}

TEST(Date, EncodeDateRejectsImpossibleDates) {
  const std::tuple<Word, Word, Word> bad[] = {{2013, 2, 29}, {1900, 2, 29}, {2013, 13, 1}, {2013, 0, 1},
                                              {0, 1, 1},     {10000, 1, 1}, {2013, 4, 31}, {2013, 1, 0}};
  for (const auto& [y, m, d] : bad) {
    try {
      EncodeDate(y, m, d);
      ADD_FAILURE() << y << "-" << m << "-" << d;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "Invalid argument to date encode");
    }
    TDateTime untouched = 7;
    EXPECT_FALSE(TryEncodeDate(y, m, d, untouched));
    EXPECT_EQ(untouched, 7);
  }
  EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
}

TEST(Date, DecodeDateRoundTripsTheWholeRange) {
  for (int serial = -693593; serial <= 2958465; serial += 997) {
    Word y, m, d;
    // The time of day is added away from zero.
    DecodeDate(serial >= 0 ? serial + 0.75 : serial - 0.75, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), serial) << serial;
  }
}

TEST(Date, DecodeOutsideTheRangeGivesZeros) {
  Word y = 1, m = 1, d = 1;
  DecodeDate(1e12, y, m, d);
  EXPECT_EQ(y + m + d, 0);
  DecodeDate(std::nan(""), y, m, d);
  EXPECT_EQ(y + m + d, 0);
}

TEST(Date, TimeIsTheFractionCountedForwardEvenBeforeTheEpoch) {
  Word y, m, d, h, n, s, ms;
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(d, 29);
  EXPECT_EQ(h, 6);
  DecodeTime(EncodeTime(12, 30, 15, 500), h, n, s, ms);
  EXPECT_EQ(h, 12);
  EXPECT_EQ(n, 30);
  EXPECT_EQ(s, 15);
  EXPECT_EQ(ms, 500);
  // A time a hair before midnight rounds to the next day, not to 24:00.
  const TDateTime almost = 41310 + 0.9999999999;
  DecodeTime(almost, h, n, s, ms);
  EXPECT_EQ(h, 0);
  DecodeDate(almost, y, m, d);
  EXPECT_EQ(d, 6);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
}

TEST(Date, DayOfWeekStartsOnSunday) {
  EXPECT_EQ(DayOfWeek(0), 7);        // 1899-12-30, Saturday
  EXPECT_EQ(DayOfWeek(41310), 3);    // 2013-02-05, Tuesday
  EXPECT_EQ(DayOfWeek(46362), 1);    // 2026-12-06, Sunday
  EXPECT_EQ(DayOfWeek(-693593), 2);  // 0001-01-01, Monday
}

TEST(Date, LeapYearsAndMonthLengths) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_EQ(DaysInAMonth(2012, 2), 29);
  EXPECT_EQ(DaysInAMonth(2013, 2), 28);
  EXPECT_EQ(DaysInAMonth(2013, 13), 0);
}

TEST(Date, IncMonthKeepsTheDayWhenItCanAndTheTime) {
  const std::tuple<TDateTime, int, TDateTime> cases[] = {
      {EncodeDate(2003, 1, 31), 1, EncodeDate(2003, 2, 28)},
      {EncodeDate(2004, 1, 31), 1, EncodeDate(2004, 2, 29)},
      {EncodeDate(2003, 12, 15), 1, EncodeDate(2004, 1, 15)},
      {EncodeDate(2003, 3, 31), -1, EncodeDate(2003, 2, 28)},
      {EncodeDate(2003, 1, 15), -13, EncodeDate(2001, 12, 15)},
      {EncodeDate(2003, 1, 15) + 0.5, 24, EncodeDate(2005, 1, 15) + 0.5},
  };
  for (const auto& [from, months, to] : cases) EXPECT_EQ(IncMonth(from, months), to) << from << " " << months;
  EXPECT_THROW(IncMonth(EncodeDate(1, 1, 1), -1), EConvertError);
}

// ---- the clock -------------------------------------------------------------

TEST(Date, TheClockCanBeReplaced) {
  {
    ClockScope clock(fixedNow);
    EXPECT_EQ(Now(), 46188.4375);
    EXPECT_EQ(Date(), 46188);
    EXPECT_EQ(Time(), 0.4375);
  }
  // Back on the system clock: some time after the fixed one.
  EXPECT_GT(Now(), 46000);
}

TEST(Date, TickCountAdvancesAcrossASleep) {
  const Cardinal before = GetTickCount();
  Sleep(5);
  EXPECT_GE(static_cast<Cardinal>(GetTickCount() - before), 5u);
}

// ---- formatting ------------------------------------------------------------

TEST(Date, DateToStrUsesTheShortFormat) {
  const TDateTime day = EncodeDate(2013, 2, 5);
  {
    LocaleScope scope(LocaleScope::Greek);
    EXPECT_EQ(DateToStr(day), "5/2/2013");
    EXPECT_EQ(DateToStr(EncodeDate(2013, 12, 25)), "25/12/2013");
    DateSeparator = '.';
    EXPECT_EQ(DateToStr(day), "5.2.2013");
  }
  {
    LocaleScope scope(LocaleScope::C);
    EXPECT_EQ(DateToStr(day), "2/5/2013");
  }
}

struct Pattern {
  const char* format;
  const char* greek;
};

TEST(Date, FormatDateTimePatterns) {
  LocaleScope scope(LocaleScope::Greek);
  const TDateTime afternoon = EncodeDate(2013, 2, 5) + EncodeTime(13, 5, 9, 42);
  const Pattern cases[] = {
      {"dd/mm/yyyy", "05/02/2013"},
      {"d/m/yy", "5/2/13"},
      {"d/M/yyyy", "5/2/2013"},
      {"yyyymmdd", "20130205"},
      {"ddd dddd", "Τρι Τρίτη"},
      {"mmm mmmm", "Φεβ Φεβρουάριος"},
      {"ddddd", "5/2/2013"},
      {"dddddd", "Τρίτη, 5 Φεβρουάριος 2013"},
      {"hh:nn:ss", "13:05:09"},
      {"h:mm", "13:05"},  // m after h is the minute
      {"hh:mm am/pm", "01:05 pm"},
      {"h:mm AM/PM", "1:05 PM"},
      {"h a/p", "1 p"},
      {"h ampm", "1 μμ"},
      {"z zzz", "42 042"},
      {"c", "5/2/2013 1:05:09 μμ"},
      {"tt", "1:05:09 μμ"},
      {"'dd' \"mm\" dd", "dd mm 05"},
      {"dd.mm.yyyy", "05.02.2013"},
      {"", "5/2/2013 1:05:09 μμ"},
      {"'unterminated", "unterminated"},
      {"x", "x"},
  };
  for (const auto& [format, expected] : cases)
    EXPECT_EQ(FormatDateTime(format, afternoon), cp1253::FromUtf8(expected)) << format;
}

TEST(Date, FormatDateTimeWithoutTimeAndInEnglish) {
  LocaleScope scope(LocaleScope::C);
  const TDateTime morning = EncodeDate(2013, 2, 5) + EncodeTime(0, 7, 0, 0);
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2013, 2, 5)), "2/5/2013");
  EXPECT_EQ(FormatDateTime("dddd, mmmm d", morning), "Tuesday, February 5");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", morning), "12:07 am");
  EXPECT_EQ(TimeToStr(morning), "12:07:00 AM");
  EXPECT_EQ(DateTimeToStr(morning), "2/5/2013 12:07:00 AM");
}

TEST(Date, NestedFormatsCannotRecurseForever) {
  LocaleScope scope(LocaleScope::Greek);
  ShortDateFormat.assign(1, 'c');
  LongTimeFormat = "c tt";
  const AnsiString text = DateToStr(EncodeDate(2013, 2, 5) + 0.5);
  EXPECT_LT(text.size(), 200u);
}

// ---- parsing ---------------------------------------------------------------

struct Parse {
  const char* text;
  Word year, month, day;
};

TEST(Date, StrToDateReadsTheGreekShortFormat) {
  LocaleScope scope(LocaleScope::Greek);
  ClockScope clock(fixedNow);
  // Two-digit years fall in 1976..2075: the 100 years from 50 before 2026.
  const Parse cases[] = {
      {"5/2/2013", 2013, 2, 5},  {"05/02/2013", 2013, 2, 5}, {" 5 / 2 / 2013 ", 2013, 2, 5},
      {"5/2/2013/", 2013, 2, 5}, {"29/2/2012", 2012, 2, 29}, {"31/12/9999", 9999, 12, 31},
      {"5/2/13", 2013, 2, 5},    {"5/2/80", 1980, 2, 5},     {"5/2/76", 1976, 2, 5},
      {"5/2/75", 2075, 2, 5},    {"5/2/0", 2000, 2, 5},      {"5/2/999", 999, 2, 5},
      {"5/2", 2026, 2, 5},
  };
  for (const auto& c : cases) {
    TDateTime date = 0;
    ASSERT_TRUE(TryStrToDate(c.text, date)) << c.text;
    EXPECT_EQ(date, EncodeDate(c.year, c.month, c.day)) << c.text;
    EXPECT_EQ(StrToDate(c.text), date);
  }
}

TEST(Date, TheCenturyWindowCanBeSwitchedOff) {
  LocaleScope scope(LocaleScope::Greek);
  ClockScope clock(fixedNow);
  TwoDigitYearCenturyWindow = 0;
  EXPECT_EQ(StrToDate("5/2/80"), EncodeDate(2080, 2, 5));
  EXPECT_EQ(StrToDate("5/2/13"), EncodeDate(2013, 2, 5));
}

TEST(Date, StrToDateRejectsWithTheClassLibraryMessage) {
  LocaleScope scope(LocaleScope::Greek);
  ClockScope clock(fixedNow);
  const char* bad[] = {"31/2/2013", "0/1/2013",       "abc",       "",        "32/1/2013", "1/13/2013",
                       "5-2-2013",  "5/2/2013x",      "5//2013",   "/5/2013", "5/2/20134", "29/2/2013",
                       "5",         "5/2/2013 13:00", "-5/2/2013", "5/2/-13"};
  for (const char* text : bad) {
    try {
      StrToDate(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "'" + AnsiString(text) + "' is not a valid date");
    }
  }
}

TEST(Date, StrToDateFollowsTheOrderOfTheShortFormat) {
  ClockScope clock(fixedNow);
  {
    LocaleScope scope(LocaleScope::C);
    EXPECT_EQ(StrToDate("2/5/2013"), EncodeDate(2013, 2, 5));
    EXPECT_THROW(StrToDate("13/2/2013"), EConvertError);
  }
  {
    LocaleScope scope(LocaleScope::C);
    ShortDateFormat = "yyyy/mm/dd";
    DateSeparator = '-';
    EXPECT_EQ(StrToDate("2013-02-05"), EncodeDate(2013, 2, 5));
    EXPECT_EQ(DateToStr(EncodeDate(2013, 2, 5)), "2013-02-05");
  }
}

TEST(Date, StrToTimeReadsHoursMinutesSecondsAndMarkers) {
  LocaleScope scope(LocaleScope::C);
  const std::tuple<const char*, Word, Word, Word, Word> cases[] = {
      {"13:05", 13, 5, 0, 0},     {"13:05:09", 13, 5, 9, 0}, {"13:05:09.250", 13, 5, 9, 250},
      {"1:05 PM", 13, 5, 0, 0},   {"1:05 pm", 13, 5, 0, 0},  {"12:00 AM", 0, 0, 0, 0},
      {"12:30 PM", 12, 30, 0, 0}, {"AM 9:15", 9, 15, 0, 0},  {"7", 7, 0, 0, 0},
  };
  for (const auto& [text, h, n, s, ms] : cases) EXPECT_EQ(StrToTime(text), EncodeTime(h, n, s, ms)) << text;
  const char* bad[] = {"13:05 PM", "0:30 AM", "25:00", "1:60", "abc", "", "1:", "1:05:", "12:00 XM"};
  for (const char* text : bad) {
    try {
      StrToTime(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "'" + AnsiString(text) + "' is not a valid time");
    }
  }
}

TEST(Date, StrToTimeReadsTheGreekMarkers) {
  LocaleScope scope(LocaleScope::Greek);
  EXPECT_EQ(StrToTime("1:05 μμ"_a), EncodeTime(13, 5, 0, 0));
  EXPECT_EQ(StrToTime("1:05 ΜΜ"_a), EncodeTime(13, 5, 0, 0));
  EXPECT_EQ(StrToTime(TimeToStr(EncodeTime(23, 59, 58, 0))), EncodeTime(23, 59, 58, 0));
}

TEST(Date, StrToDateTimeTakesADateATimeOrBoth) {
  LocaleScope scope(LocaleScope::Greek);
  ClockScope clock(fixedNow);
  EXPECT_EQ(StrToDateTime("5/2/2013 13:05"), EncodeDate(2013, 2, 5) + EncodeTime(13, 5, 0, 0));
  EXPECT_EQ(StrToDateTime("5/2/2013"), EncodeDate(2013, 2, 5));
  EXPECT_EQ(StrToDateTime("13:05"), EncodeTime(13, 5, 0, 0));
  const TDateTime moment = EncodeDate(2013, 2, 5) + EncodeTime(13, 5, 9, 0);
  EXPECT_EQ(StrToDateTime(DateTimeToStr(moment)), moment);
  try {
    StrToDateTime("5/2/2013 xx");
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'5/2/2013 xx' is not a valid date and time");
  }
}

TEST(Date, DateTextRoundTripsInBothLocales) {
  ClockScope clock(fixedNow);
  for (LocaleScope::Which which : {LocaleScope::C, LocaleScope::Greek}) {
    LocaleScope scope(which);
    for (int serial = -693593; serial <= 2958465; serial += 1009)
      EXPECT_EQ(StrToDate(DateToStr(serial)), serial);
  }
}

}  // namespace
