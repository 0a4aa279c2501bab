#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/rtl/SysUtils.h"
#include "tests/platform/rtl/LocaleScope.h"
#include "tests/platform/rtl/ScopedEnv.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RTL_TEST_ASAN 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define RTL_TEST_ASAN 1
#endif
#ifdef RTL_TEST_ASAN
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// The C library keeps the search path of LOCPATH allocated after newlocale
// (glibc 2.36); the program never sets LOCPATH, only this test does.
class LocPathLeakScope {
 public:
#ifdef RTL_TEST_ASAN
  LocPathLeakScope() { __lsan_disable(); }
  ~LocPathLeakScope() { __lsan_enable(); }
#endif
};

// Sets the locale variables of the environment for one test and restores
// them.
struct EnvironmentScope {
  EnvironmentScope(const char* all, const char* numeric, const char* time, const char* lang)
      : all_("LC_ALL", all), numeric_("LC_NUMERIC", numeric), time_("LC_TIME", time), lang_("LANG", lang) {}
  ScopedEnv all_, numeric_, time_, lang_;
};

struct Expected {
  char decimal, thousands, date;
  const char* shortDate;
};
constexpr Expected kC{'.', ',', '/', "M/d/yyyy"};
constexpr Expected kGreek{',', '.', '/', "d/M/yyyy"};

struct EnvCase {
  const char *all, *numeric, *time, *lang;
  Expected numbers;  // decimal and thousands separators
  Expected dates;    // date separator and short format
};

TEST(Locale, TheEnvironmentChoosesTheTable) {
  const EnvCase cases[] = {
      {nullptr, nullptr, nullptr, nullptr, kC, kC},
      {nullptr, nullptr, nullptr, "el_GR.UTF-8", kGreek, kGreek},
      {nullptr, nullptr, nullptr, "el_GR", kGreek, kGreek},
      {nullptr, nullptr, nullptr, "el_GR.ISO-8859-7", kGreek, kGreek},
      {nullptr, nullptr, nullptr, "el", kGreek, kGreek},
      {nullptr, nullptr, nullptr, "el_CY.UTF-8", kGreek, kGreek},
      {"el_GR.UTF-8", nullptr, nullptr, "C", kGreek, kGreek},
      // LC_ALL wins over everything, LANG is the last resort.
      {"C", "el_GR", "el_GR", "el_GR", kC, kC},
      {"POSIX", nullptr, nullptr, "el_GR", kC, kC},
      {"", nullptr, nullptr, "el_GR", kGreek, kGreek},
      {nullptr, "el_GR.UTF-8", nullptr, "C", kGreek, kC},
      {nullptr, nullptr, "el_GR.UTF-8", "C", kC, kGreek},
      {nullptr, "C", nullptr, "el_GR", kC, kGreek},
      {nullptr, nullptr, nullptr, "C.UTF-8", kC, kC},
      // Not Greek, and not generated here: the C values.
      {nullptr, nullptr, nullptr, "elx_ZZ", kC, kC},
      {nullptr, nullptr, nullptr, "xx_YY.UTF-8", kC, kC},
  };
  for (const auto& c : cases) {
    LocaleScope restore(LocaleScope::Greek);  // start away from the C values
    DecimalSeparator = '#';
    DateSeparator = '#';
    EnvironmentScope env(c.all, c.numeric, c.time, c.lang);
    LoadLocaleFromEnvironment();
    const std::string label = std::string(c.all ? c.all : "-") + " " + (c.numeric ? c.numeric : "-") + " " +
                              (c.time ? c.time : "-") + " " + (c.lang ? c.lang : "-");
    EXPECT_EQ(DecimalSeparator, c.numbers.decimal) << label;
    EXPECT_EQ(ThousandSeparator, c.numbers.thousands) << label;
    EXPECT_EQ(DateSeparator, c.dates.date) << label;
    EXPECT_EQ(ShortDateFormat, c.dates.shortDate) << label;
  }
}

TEST(Locale, TheGreekTableNamesMonthsAndDaysInGreek) {
  LocaleScope scope(LocaleScope::Greek);
  EXPECT_EQ(LongMonthNames[1], "Φεβρουάριος"_a);
  EXPECT_EQ(ShortMonthNames[4], "Μαϊ"_a);
  EXPECT_EQ(LongDayNames[0], "Κυριακή"_a);
  EXPECT_EQ(ShortDayNames[6], "Σαβ"_a);
  EXPECT_EQ(CurrencyString, "€"_a);
  EXPECT_EQ(TimeAMString, "πμ"_a);
  // The probe the program runs at start-up to learn the number style.
  EXPECT_EQ(FormatFloat("#.##,", 1200.223L), "1.200,22");
}

TEST(Locale, LoadingTheDefaultsUndoesTheGreekTable) {
  LocaleScope scope(LocaleScope::Greek);
  LoadDefaultLocale();
  EXPECT_EQ(FormatFloat("#,0.00", 1234.5L), "1,234.50");
  EXPECT_EQ(DateToStr(EncodeDate(2013, 2, 5)), "2/5/2013");
  EXPECT_EQ(LongDayNames[2], "Tuesday");
}

// Another locale comes from the C library. A machine without generated
// locales is the common case, so the test compiles two into a temporary
// folder (LOCPATH) from the system's locale sources.
TEST(Locale, OtherLocalesAskTheCLibrary) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("rtl-locales-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string build = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() +
                            "' >/dev/null 2>&1 && " + "localedef -i fr_FR -f UTF-8 '" +
                            (dir / "fr_FR.UTF-8").string() + "' >/dev/null 2>&1";
  if (std::system(build.c_str()) != 0) {
    std::filesystem::remove_all(dir);
    FAIL() << "localedef or the locale sources are missing (Debian package locales)";
  }
  ScopedEnv path("LOCPATH", dir.string());
  [[maybe_unused]] LocPathLeakScope leaksOfTheCLibrary;
  {
    LocaleScope restore(LocaleScope::C);
    EnvironmentScope env(nullptr, nullptr, nullptr, "de_DE.UTF-8");
    LoadLocaleFromEnvironment();
    EXPECT_EQ(DecimalSeparator, ',');
    EXPECT_EQ(ThousandSeparator, '.');
    EXPECT_EQ(DateSeparator, '.');  // "%d.%m.%Y"
    EXPECT_EQ(ShortDateFormat, "d/M/yyyy");
    EXPECT_EQ(DateToStr(EncodeDate(2013, 2, 5)), "5.2.2013");
    EXPECT_EQ(LongMonthNames[0], "January");  // names stay English
  }
  {
    // French groups with a narrow no-break space, which code page 1253
    // lacks: the thousands separator becomes the other of "." and ",".
    LocaleScope restore(LocaleScope::C);
    EnvironmentScope env(nullptr, nullptr, nullptr, "fr_FR.UTF-8");
    LoadLocaleFromEnvironment();
    EXPECT_EQ(DecimalSeparator, ',');
    EXPECT_EQ(ThousandSeparator, '.');
    EXPECT_EQ(DateSeparator, '/');
    EXPECT_EQ(ShortDateFormat, "d/M/yyyy");
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
