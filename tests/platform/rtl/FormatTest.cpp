#include <gtest/gtest.h>

#include "platform/rtl/SysUtils.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

TEST(Format, IntegerDirectives) {
  LocaleScope scope(LocaleScope::C);
  EXPECT_EQ(Format("%d", {42}), "42");
  EXPECT_EQ(Format("%d", {-42}), "-42");
  EXPECT_EQ(Format("[%5d]", {42}), "[   42]");
  EXPECT_EQ(Format("[%-5d]", {42}), "[42   ]");
  EXPECT_EQ(Format("[%1d]", {12345}), "[12345]");
  EXPECT_EQ(Format("%.4d", {42}), "0042");
  EXPECT_EQ(Format("%.4d", {-42}), "-0042");
  EXPECT_EQ(Format("%D", {7}), "7");
  EXPECT_EQ(Format("%d", {9223372036854775807LL}), "9223372036854775807");
  EXPECT_EQ(Format("%x", {255}), "FF");
  EXPECT_EQ(Format("%.4x", {255}), "00FF");
  EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
  EXPECT_EQ(Format("%u", {-1}), "4294967295");
  EXPECT_EQ(Format("%u", {12u}), "12");
  // A failure code passed as a signed 32-bit integer.
  EXPECT_EQ(Format("OleInitialize failed ($%x)", {static_cast<int>(0x80004005u)}),
            "OleInitialize failed ($80004005)");
}

TEST(Format, StringDirectives) {
  EXPECT_EQ(Format("%s", {"abc"}), "abc");
  EXPECT_EQ(Format("%.2s", {"abc"}), "ab");
  EXPECT_EQ(Format("%.5s", {"abc"}), "abc");
  EXPECT_EQ(Format("[%5s]", {"abc"}), "[  abc]");
  EXPECT_EQ(Format("[%-5s]", {"abc"}), "[abc  ]");
  EXPECT_EQ(Format("%s", {AnsiString()}), "");
  EXPECT_EQ(Format("%s%s", {'x', "y"}), "xy");
  EXPECT_EQ(Format("%d items", {std::size_t{3}}), "3 items");
  EXPECT_EQ(Format("Το αρχείο '%s' δεν βρέθηκε"_a, {"x.ddn"}), "Το αρχείο 'x.ddn' δεν βρέθηκε"_a);
}

struct FloatCase {
  const char* format;
  Extended value;
  const char* c;
  const char* greek;
};

TEST(Format, FloatDirectivesFollowTheLocale) {
  const FloatCase cases[] = {
      {"%f", 1234.5678L, "1234.57", "1234,57"},
      {"%.2f", 1.5L, "1.50", "1,50"},
      {"%.0f", 2.5L, "3", "3"},
      {"%.3f", -0.0004L, "0.000", "0,000"},
      {"%.2f", 2.675L, "2.68", "2,68"},
      {"%n", 1234567.891L, "1,234,567.89", "1.234.567,89"},
      {"%.0n", 1234567.891L, "1,234,568", "1.234.568"},
      {"%e", 1234.5L, "1.23450000000000E+003", "1,23450000000000E+003"},
      {"%.3e", -0.00012345L, "-1.23E-004", "-1,23E-004"},
      {"%g", 1234.5L, "1234.5", "1234,5"},
      {"%g", 1e20L, "1E20", "1E20"},
      {"%g", 0.1L + 0.2L, "0.3", "0,3"},
      {"%.3g", 3.14159L, "3.14", "3,14"},
      {"%m", 1234.5L, "$1,234.50", "1.234,50 €"},
      {"%m", -1234.5L, "($1,234.50)", "-1.234,50 €"},
      {"%.0m", 1234.5L, "$1,235", "1.235 €"},
      {"[%10.2f]", 3.14159L, "[      3.14]", "[      3,14]"},
      {"[%-10.2f]", 3.14159L, "[3.14      ]", "[3,14      ]"},
  };
  for (const auto& t : cases) {
    {
      LocaleScope scope(LocaleScope::C);
      EXPECT_EQ(Format(t.format, {t.value}), t.c) << t.format;
    }
    {
      LocaleScope scope(LocaleScope::Greek);
      EXPECT_EQ(Format(t.format, {t.value}), cp1253::FromUtf8(t.greek)) << t.format;
    }
  }
}

TEST(Format, TheRangeMessageWithGeneralNumbers) {
  LocaleScope scope(LocaleScope::Greek);
  const AnsiString pattern =
      "Το %g δεν είναι έγκυρη τιμή για το πεδίο '%s'. Το επιτρεπτό όριο τιμών είναι από %g μέχρι %g"_a;
  EXPECT_EQ(
      Format(pattern, {150.5, "", 0.0, 100.0}),
      "Το 150,5 δεν είναι έγκυρη τιμή για το πεδίο ''. Το επιτρεπτό όριο τιμών είναι από 0 μέχρι 100"_a);
}

TEST(Format, PercentIndexAndStar) {
  EXPECT_EQ(Format("100%%", {}), "100%");
  EXPECT_EQ(Format("%d%%", {5}), "5%");
  EXPECT_EQ(Format("%1:s %0:s", {"a", "b"}), "b a");
  // After an index the next directive takes the following argument.
  EXPECT_EQ(Format("%0:s %s %0:s", {"a", "b"}), "a b a");
  EXPECT_EQ(Format("[%*d]", {5, 42}), "[   42]");
  EXPECT_EQ(Format("[%-*d]", {4, 7}), "[7   ]");
  EXPECT_EQ(Format("%.*f", {1, 2.25}), "2.3");
  EXPECT_EQ(Format("%*:s", {1, "x"}), "x");
  EXPECT_EQ(Format("plain text", {}), "plain text");
  EXPECT_EQ(Format("", {1}), "");
}

// Runs Format and returns the message of the EConvertError it raises.
template <typename Call>
AnsiString errorOf(Call call) {
  try {
    call();
  } catch (const EConvertError& e) {
    return e.Message;
  }
  return "(no error)";
}

AnsiString invalidMessage(const char* format) {
  return "Format '" + AnsiString(format) + "' invalid or incompatible with argument";
}

AnsiString missingMessage(const char* format) {
  return "No argument for format '" + AnsiString(format) + "'";
}

TEST(Format, BadDirectivesRaiseTheClassLibraryMessages) {
  EXPECT_EQ(errorOf([] { Format("%d", {"x"}); }), invalidMessage("%d"));
  EXPECT_EQ(errorOf([] { Format("%d", {1.5}); }), invalidMessage("%d"));
  EXPECT_EQ(errorOf([] { Format("%f", {1}); }), invalidMessage("%f"));
  EXPECT_EQ(errorOf([] { Format("%s", {1}); }), invalidMessage("%s"));
  EXPECT_EQ(errorOf([] { Format("%", {1}); }), invalidMessage("%"));
  EXPECT_EQ(errorOf([] { Format("abc %", {}); }), invalidMessage("abc %"));
  EXPECT_EQ(errorOf([] { Format("%q", {1}); }), invalidMessage("%q"));
  EXPECT_EQ(errorOf([] { Format("%5", {1}); }), invalidMessage("%5"));
  EXPECT_EQ(errorOf([] { Format("%.", {1}); }), invalidMessage("%."));
  EXPECT_EQ(errorOf([] { Format("%*d", {"x", 1}); }), invalidMessage("%*d"));
  // Widths no text needs are refused rather than allocated.
  EXPECT_EQ(errorOf([] { Format("%99999999d", {1}); }), invalidMessage("%99999999d"));
  EXPECT_EQ(errorOf([] { Format("%.99999999s", {"x"}); }), invalidMessage("%.99999999s"));
  EXPECT_EQ(errorOf([] { Format("%*d", {1000000, 1}); }), invalidMessage("%*d"));

  EXPECT_EQ(errorOf([] { Format("%d %d", {1}); }), missingMessage("%d %d"));
  EXPECT_EQ(errorOf([] { Format("%s", {}); }), missingMessage("%s"));
  EXPECT_EQ(errorOf([] { Format("%2:d", {1, 2}); }), missingMessage("%2:d"));
  EXPECT_EQ(errorOf([] { Format("%*d", {5}); }), missingMessage("%*d"));
}

}  // namespace
