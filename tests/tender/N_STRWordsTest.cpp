#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tender/N_STR.h"
#include "tests/tender/NumericTestSupport.h"

namespace {

// Decimal comma, as in a Greek locale.
class GreekWords : public testing::Test {
 protected:
  void SetUp() override { UseStyle2(); }
  void TearDown() override { UseStyle1(); }
};

TEST(NumToWords, Words) {
  UseStyle2();
  const struct {
    Byte gender;
    Byte firstLetterOnly;
    double value;
    const char* expected;  // UTF-8
  } cases[] = {
      // clang-format off
      {3, 1, 1, "Ενα"}, {3, 1, 21, "Είκοσι ένα"}, {3, 1, 100, "Εκατό"}, {3, 1, 101, "Εκατόν ένα"},
      {3, 1, 1000, "Χίλια"}, {3, 1, 2001, "Δύο χιλιάδες ένα"}, {3, 1, 21000, "Είκοσι μία χιλιάδες"},
      {3, 1, 1000000, "Ενα εκατομμύριο"}, {3, 1, 2500000, "Δύο εκατομμύρια πεντακόσιες χιλιάδες"},
      {3, 1, -12.5, "Μείον Δώδεκα και 0,50"}, {1, 1, 1000, "Χίλιοι"}, {2, 1, 1000, "Χίλιες"},
      {2, 1, 3, "Τρεις"}, {3, 0, 214, "ΔΙΑΚΟΣΙΑ ΔΕΚΑ ΤΕΣΣΕΡΑ"}, {3, 1, 7, "Επτά"}, {3, 1, 8, "Οκτώ"},
      {3, 1, 1001, "Χίλια ένα"}, {3, 1, 11, "Ενδεκα"}, {3, 1, 12, "Δώδεκα"}, {3, 1, 111, "Εκατόν ένδεκα"},
      {3, 1, 112, "Εκατόν δώδεκα"}, {2, 1, 13, "Δέκα τρεις"}, {3, 1, 10, "Δέκα"}, {1, 1, 1, "Ενας"},
      {2, 1, 1, "Μία"}, {1, 1, 4, "Τέσσερις"}, {3, 1, 4, "Τέσσερα"}, {1, 1, 300, "Τριακόσιοι"},
      {2, 1, 300, "Τριακόσιες"}, {3, 1, 300, "Τριακόσια"}, {3, 1, 999, "Εννιακόσια ενενήντα εννέα"},
      {3, 1, 70, "Εβδομήντα"}, {3, 1, 88, "Ογδόντα οκτώ"},
      // Zero keeps its leading blank and its small letters in both modes.
      {3, 1, 0, " μηδέν"}, {3, 0, 0, " μηδέν"}, {3, 1, 0.25, " μηδέν και 0,25"},
      {3, 1, 0.0000001, " μηδέν και 0,00"}, {3, 1, 0.9999999, " μηδέν και 1,00"},
      {3, 1, 5.345, "Πέντε και 0,345"}, {3, 1, 5.123456789, "Πέντε και 0,123457"},
      // Thousand and million boundaries.
      {3, 1, 999999, "Εννιακόσιες ενενήντα εννέα χιλιάδες εννιακόσια ενενήντα εννέα"},
      {3, 1, 1000001, "Ενα εκατομμύριο ένα"}, {3, 1, 1001000, "Ενα εκατομμύριο χίλια"},
      {1, 1, 1001000, "Ενα εκατομμύριο χίλιοι"}, {3, 1, 2000000, "Δύο εκατομμύρια"},
      {3, 1, 1100000, "Ενα εκατομμύριο εκατό χιλιάδες"}, {3, 1, 201000000, "Διακόσια ένα εκατομμύρια"},
      {3, 1, 1e9, "Ενα δισεκατομμύριο"}, {3, 1, 3e9, "Τρία δισεκατομμύρια"},
      {3, 1, 1e12, "Ενα τρισεκατομμύριο"},
      {3, 1, 999999999999999,
       "Εννιακόσια ενενήντα εννέα τρισεκατομμύρια εννιακόσια ενενήντα εννέα δισεκατομμύρια εννιακόσια "
       "ενενήντα εννέα εκατομμύρια εννιακόσιες ενενήντα εννέα χιλιάδες εννιακόσια ενενήντα εννέα"},
      {3, 0, 1000, "ΧΙΛΙΑ"}, {3, 0, 2500000, "ΔΥΟ ΕΚΑΤΟΜΜΥΡΙΑ ΠΕΝΤΑΚΟΣΙΕΣ ΧΙΛΙΑΔΕΣ"},
      {3, 0, 12.5, "ΔΩΔΕΚΑ και 0,50"}, {3, 0, -3, "Μείον ΤΡΙΑ"},
      // A negative value above -1 keeps its sign.
      {3, 1, -0.5, "Μείον μηδέν και 0,50"},
      // Beyond the scale of the words: the figures.
      {3, 1, 1e15, "1000000000000000"}, {3, 1, -2e15, "Μείον 2000000000000000"},
      // Gender codes outside 1..3 are taken as neuter.
      {0, 1, 1, "Ενα"}, {9, 1, 3, "Τρία"},
      // clang-format on
  };
  for (const auto& c : cases) {
    const AnsiString words = NumToWords(c.gender, c.firstLetterOnly, c.value);
    EXPECT_EQ(cp1253::ToUtf8(words), c.expected)
        << int(c.gender) << " " << int(c.firstLetterOnly) << " " << c.value;
  }
  UseStyle1();
}

TEST_F(GreekWords, HugeValuesAreWrittenInFigures) {
  EXPECT_EQ(NumToWords(3, 1, 1e300), "100000000000000005" + AnsiString(283, '0'));
}

TEST_F(GreekWords, ValuesThatAreNoNumber) {
  EXPECT_EQ(NumToWords(3, 1, std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(NumToWords(3, 1, std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(AmountToWords(1, 1, " λεπτά"_a, -std::numeric_limits<double>::infinity()), "-INF");
}

TEST(AmountToWords, WithCents) {
  UseStyle2();
  const struct {
    double value;
    const char* expected;
  } cases[] = {
      // clang-format off
      {1234.56, "Χίλια διακόσια τριάντα τέσσερα και Πενήντα έξι λεπτά"}, {7, "Επτά"},
      {0.3, " μηδέν και Τριάντα λεπτά"}, {2.999, "Δύο και Εκατό λεπτά"},
      {-0.5, " μηδέν και Μείον Πενήντα λεπτά"}, {0, " μηδέν"}, {0.25, " μηδέν και Είκοσι πέντε λεπτά"},
      {-12.75, "Μείον Δώδεκα και Εβδομήντα πέντε λεπτά"},
      // Exact half cents go to the even neighbour.
      {0.125, " μηδέν και Δώδεκα λεπτά"}, {0.375, " μηδέν και Τριάντα οκτώ λεπτά"},
      {1000000.01, "Ενα εκατομμύριο και Ενα λεπτά"},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cp1253::ToUtf8(AmountToWords(1, 1, " λεπτά"_a, c.value)), c.expected) << c.value;
  }
  UseStyle1();
}

TEST_F(GreekWords, AmountWithoutCentsIsTheNumber) {
  EXPECT_EQ(AmountToWords(0, 1, " λεπτά"_a, 12.5), NumToWords(3, 1, 12.5));
  EXPECT_EQ(AmountToWords(0, 0, "", 214), NumToWords(3, 0, 214));
}

TEST(GroupToWords, Words) {
  const struct {
    const char* digits;
    Byte gender;
    const char* expected;
  } cases[] = {
      // clang-format off
      {"000", 3, ""}, {"001", 1, " ένας"}, {"009", 2, " εννέα"}, {"010", 3, " δέκα"}, {"011", 2, " ένδεκα"},
      {"012", 1, " δώδεκα"}, {"013", 2, " δέκα τρεις"}, {"013", 3, " δέκα τρία"}, {"020", 3, " είκοσι"},
      {"021", 2, " είκοσι μία"}, {"099", 3, " ενενήντα εννέα"}, {"100", 1, " εκατό"},
      {"101", 2, " εκατόν μία"}, {"110", 3, " εκατόν δέκα"}, {"111", 3, " εκατόν ένδεκα"},
      {"112", 3, " εκατόν δώδεκα"}, {"200", 1, " διακόσιοι"}, {"200", 2, " διακόσιες"},
      {"200", 3, " διακόσια"}, {"204", 1, " διακόσιοι τέσσερις"}, {"211", 2, " διακόσιες ένδεκα"},
      {"350", 3, " τριακόσια πενήντα"}, {"401", 1, " τετρακόσιοι ένας"},
      {"567", 2, " πεντακόσιες εξήντα επτά"}, {"678", 3, " εξακόσια εβδομήντα οκτώ"},
      {"780", 1, " επτακόσιοι ογδόντα"}, {"803", 2, " οκτακόσιες τρεις"},
      {"999", 3, " εννιακόσια ενενήντα εννέα"}, {"040", 3, " σαράντα"},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cp1253::ToUtf8(GroupToWords(c.digits[0], c.digits[1], c.digits[2], c.gender)), c.expected)
        << c.digits;
  }
}

// Every group shape: words separated by single blanks, one word for the
// hundreds, one or two below them.
TEST(GroupToWordsShapes, EveryGroupInEveryGender) {
  for (Byte gender = 1; gender <= 3; ++gender) {
    for (int n = 0; n < 1000; ++n) {
      const char h = '0' + n / 100, t = '0' + n / 10 % 10, u = '0' + n % 10;
      const AnsiString words = GroupToWords(h, t, u, gender);
      if (n == 0) {
        EXPECT_TRUE(words.empty());
        continue;
      }
      ASSERT_FALSE(words.empty()) << n;
      EXPECT_EQ(words[0], ' ') << n;
      EXPECT_EQ(words.find("  "), AnsiString::npos) << n;
      EXPECT_NE(words.back(), ' ') << n;
      int count = 0;
      for (char ch : words) count += ch == ' ';
      const int below = n % 100;
      const int expectedBelow = below == 0                                                      ? 0
                                : (below == 11 || below == 12 || below % 10 == 0 || below < 10) ? 1
                                                                                                : 2;
      EXPECT_EQ(count, (n >= 100 ? 1 : 0) + expectedBelow) << n;
    }
  }
}

}  // namespace
