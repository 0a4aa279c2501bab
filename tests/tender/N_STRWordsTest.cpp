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

struct WordsCase {
  Byte gender;
  Byte firstLetterOnly;
  double value;
  const char* expected;  // UTF-8
};

void PrintTo(const WordsCase& c, std::ostream* os) {
  *os << "NumToWords(" << int(c.gender) << ", " << int(c.firstLetterOnly) << ", " << c.value << ")";
}

class NumToWordsCases : public testing::TestWithParam<WordsCase> {
 protected:
  void SetUp() override { UseStyle2(); }
  void TearDown() override { UseStyle1(); }
};

TEST_P(NumToWordsCases, Words) {
  const auto& c = GetParam();
  const AnsiString words = NumToWords(c.gender, c.firstLetterOnly, c.value);
  EXPECT_EQ(cp1253::ToUtf8(words), c.expected)
      << int(c.gender) << " " << int(c.firstLetterOnly) << " " << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, NumToWordsCases,
    testing::Values(
        WordsCase{3, 1, 1, "Ενα"}, WordsCase{3, 1, 21, "Είκοσι ένα"}, WordsCase{3, 1, 100, "Εκατό"},
        WordsCase{3, 1, 101, "Εκατόν ένα"}, WordsCase{3, 1, 1000, "Χίλια"},
        WordsCase{3, 1, 2001, "Δύο χιλιάδες ένα"}, WordsCase{3, 1, 21000, "Είκοσι μία χιλιάδες"},
        WordsCase{3, 1, 1000000, "Ενα εκατομμύριο"},
        WordsCase{3, 1, 2500000, "Δύο εκατομμύρια πεντακόσιες χιλιάδες"},
        WordsCase{3, 1, -12.5, "Μείον Δώδεκα και 0,50"}, WordsCase{1, 1, 1000, "Χίλιοι"},
        WordsCase{2, 1, 1000, "Χίλιες"}, WordsCase{2, 1, 3, "Τρεις"},
        WordsCase{3, 0, 214, "ΔΙΑΚΟΣΙΑ ΔΕΚΑ ΤΕΣΣΕΡΑ"}, WordsCase{3, 1, 7, "Επτά"}, WordsCase{3, 1, 8, "Οκτώ"},
        WordsCase{3, 1, 1001, "Χίλια ένα"}, WordsCase{3, 1, 11, "Ενδεκα"}, WordsCase{3, 1, 12, "Δώδεκα"},
        WordsCase{3, 1, 111, "Εκατόν ένδεκα"}, WordsCase{3, 1, 112, "Εκατόν δώδεκα"},
        WordsCase{2, 1, 13, "Δέκα τρεις"}, WordsCase{3, 1, 10, "Δέκα"}, WordsCase{1, 1, 1, "Ενας"},
        WordsCase{2, 1, 1, "Μία"}, WordsCase{1, 1, 4, "Τέσσερις"}, WordsCase{3, 1, 4, "Τέσσερα"},
        WordsCase{1, 1, 300, "Τριακόσιοι"}, WordsCase{2, 1, 300, "Τριακόσιες"},
        WordsCase{3, 1, 300, "Τριακόσια"}, WordsCase{3, 1, 999, "Εννιακόσια ενενήντα εννέα"},
        WordsCase{3, 1, 70, "Εβδομήντα"}, WordsCase{3, 1, 88, "Ογδόντα οκτώ"},
        // Zero keeps its leading blank and its small letters in both modes.
        WordsCase{3, 1, 0, " μηδέν"}, WordsCase{3, 0, 0, " μηδέν"}, WordsCase{3, 1, 0.25, " μηδέν και 0,25"},
        WordsCase{3, 1, 0.0000001, " μηδέν και 0,00"}, WordsCase{3, 1, 0.9999999, " μηδέν και 1,00"},
        WordsCase{3, 1, 5.345, "Πέντε και 0,345"}, WordsCase{3, 1, 5.123456789, "Πέντε και 0,123457"},
        // Thousand and million boundaries.
        WordsCase{3, 1, 999999, "Εννιακόσιες ενενήντα εννέα χιλιάδες εννιακόσια ενενήντα εννέα"},
        WordsCase{3, 1, 1000001, "Ενα εκατομμύριο ένα"}, WordsCase{3, 1, 1001000, "Ενα εκατομμύριο χίλια"},
        WordsCase{1, 1, 1001000, "Ενα εκατομμύριο χίλιοι"}, WordsCase{3, 1, 2000000, "Δύο εκατομμύρια"},
        WordsCase{3, 1, 1100000, "Ενα εκατομμύριο εκατό χιλιάδες"},
        WordsCase{3, 1, 201000000, "Διακόσια ένα εκατομμύρια"}, WordsCase{3, 1, 1e9, "Ενα δισεκατομμύριο"},
        WordsCase{3, 1, 3e9, "Τρία δισεκατομμύρια"}, WordsCase{3, 1, 1e12, "Ενα τρισεκατομμύριο"},
        WordsCase{
            3, 1, 999999999999999,
            "Εννιακόσια ενενήντα εννέα τρισεκατομμύρια εννιακόσια ενενήντα εννέα δισεκατομμύρια εννιακόσια "
            "ενενήντα εννέα εκατομμύρια εννιακόσιες ενενήντα εννέα χιλιάδες εννιακόσια ενενήντα εννέα"},
        WordsCase{3, 0, 1000, "ΧΙΛΙΑ"}, WordsCase{3, 0, 2500000, "ΔΥΟ ΕΚΑΤΟΜΜΥΡΙΑ ΠΕΝΤΑΚΟΣΙΕΣ ΧΙΛΙΑΔΕΣ"},
        WordsCase{3, 0, 12.5, "ΔΩΔΕΚΑ και 0,50"}, WordsCase{3, 0, -3, "Μείον ΤΡΙΑ"},
        // A negative value above -1 keeps its sign.
        WordsCase{3, 1, -0.5, "Μείον μηδέν και 0,50"},
        // Beyond the scale of the words: the figures.
        WordsCase{3, 1, 1e15, "1000000000000000"}, WordsCase{3, 1, -2e15, "Μείον 2000000000000000"},
        // Gender codes outside 1..3 are taken as neuter.
        WordsCase{0, 1, 1, "Ενα"}, WordsCase{9, 1, 3, "Τρία"}));

TEST_F(GreekWords, HugeValuesAreWrittenInFigures) {
  EXPECT_EQ(NumToWords(3, 1, 1e300), "100000000000000005" + AnsiString(283, '0'));
}

TEST_F(GreekWords, ValuesThatAreNoNumber) {
  EXPECT_EQ(NumToWords(3, 1, std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(NumToWords(3, 1, std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(AmountToWords(1, 1, " λεπτά"_a, -std::numeric_limits<double>::infinity()), "-INF");
}

struct AmountCase {
  double value;
  const char* expected;
};

void PrintTo(const AmountCase& c, std::ostream* os) { *os << "AmountToWords(" << c.value << ")"; }

class AmountToWordsCases : public testing::TestWithParam<AmountCase> {
 protected:
  void SetUp() override { UseStyle2(); }
  void TearDown() override { UseStyle1(); }
};

TEST_P(AmountToWordsCases, WithCents) {
  EXPECT_EQ(cp1253::ToUtf8(AmountToWords(1, 1, " λεπτά"_a, GetParam().value)), GetParam().expected)
      << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, AmountToWordsCases,
    testing::Values(AmountCase{1234.56, "Χίλια διακόσια τριάντα τέσσερα και Πενήντα έξι λεπτά"},
                    AmountCase{7, "Επτά"}, AmountCase{0.3, " μηδέν και Τριάντα λεπτά"},
                    AmountCase{2.999, "Δύο και Εκατό λεπτά"},
                    AmountCase{-0.5, " μηδέν και Μείον Πενήντα λεπτά"}, AmountCase{0, " μηδέν"},
                    AmountCase{0.25, " μηδέν και Είκοσι πέντε λεπτά"},
                    AmountCase{-12.75, "Μείον Δώδεκα και Εβδομήντα πέντε λεπτά"},
                    // Exact half cents go to the even neighbour.
                    AmountCase{0.125, " μηδέν και Δώδεκα λεπτά"},
                    AmountCase{0.375, " μηδέν και Τριάντα οκτώ λεπτά"},
                    AmountCase{1000000.01, "Ενα εκατομμύριο και Ενα λεπτά"}));

TEST_F(GreekWords, AmountWithoutCentsIsTheNumber) {
  EXPECT_EQ(AmountToWords(0, 1, " λεπτά"_a, 12.5), NumToWords(3, 1, 12.5));
  EXPECT_EQ(AmountToWords(0, 0, "", 214), NumToWords(3, 0, 214));
}

struct GroupCase {
  const char* digits;
  Byte gender;
  const char* expected;
};

void PrintTo(const GroupCase& c, std::ostream* os) {
  *os << "GroupToWords(" << c.digits << ", " << int(c.gender) << ")";
}

class GroupToWordsCases : public testing::TestWithParam<GroupCase> {};

TEST_P(GroupToWordsCases, Words) {
  const auto& c = GetParam();
  EXPECT_EQ(cp1253::ToUtf8(GroupToWords(c.digits[0], c.digits[1], c.digits[2], c.gender)), c.expected)
      << c.digits;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, GroupToWordsCases,
    testing::Values(GroupCase{"000", 3, ""}, GroupCase{"001", 1, " ένας"}, GroupCase{"009", 2, " εννέα"},
                    GroupCase{"010", 3, " δέκα"}, GroupCase{"011", 2, " ένδεκα"},
                    GroupCase{"012", 1, " δώδεκα"}, GroupCase{"013", 2, " δέκα τρεις"},
                    GroupCase{"013", 3, " δέκα τρία"}, GroupCase{"020", 3, " είκοσι"},
                    GroupCase{"021", 2, " είκοσι μία"}, GroupCase{"099", 3, " ενενήντα εννέα"},
                    GroupCase{"100", 1, " εκατό"}, GroupCase{"101", 2, " εκατόν μία"},
                    GroupCase{"110", 3, " εκατόν δέκα"}, GroupCase{"111", 3, " εκατόν ένδεκα"},
                    GroupCase{"112", 3, " εκατόν δώδεκα"}, GroupCase{"200", 1, " διακόσιοι"},
                    GroupCase{"200", 2, " διακόσιες"}, GroupCase{"200", 3, " διακόσια"},
                    GroupCase{"204", 1, " διακόσιοι τέσσερις"}, GroupCase{"211", 2, " διακόσιες ένδεκα"},
                    GroupCase{"350", 3, " τριακόσια πενήντα"}, GroupCase{"401", 1, " τετρακόσιοι ένας"},
                    GroupCase{"567", 2, " πεντακόσιες εξήντα επτά"},
                    GroupCase{"678", 3, " εξακόσια εβδομήντα οκτώ"},
                    GroupCase{"780", 1, " επτακόσιοι ογδόντα"}, GroupCase{"803", 2, " οκτακόσιες τρεις"},
                    GroupCase{"999", 3, " εννιακόσια ενενήντα εννέα"}, GroupCase{"040", 3, " σαράντα"}));

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
