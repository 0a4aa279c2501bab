#include <gtest/gtest.h>

#include "printing/MoneyCalc.h"

namespace {

// Keys as a string: digits, + - * / = % . C, "s" for +/-, "b" for the
// keypad's Backspace.
AnsiString Press(TMoneyCalculator& calc, const std::string& keys) {
  for (char k : keys) {
    switch (k) {
      case '+':
        calc.Key(ckAdd);
        break;
      case '-':
        calc.Key(ckSubtract);
        break;
      case '*':
        calc.Key(ckMultiply);
        break;
      case '/':
        calc.Key(ckDivide);
        break;
      case '=':
        calc.Key(ckEquals);
        break;
      case '%':
        calc.Key(ckPercent);
        break;
      case '.':
        calc.Key(ckPoint);
        break;
      case 'C':
        calc.Key(ckClear);
        break;
      case 's':
        calc.Key(ckSign);
        break;
      case 'b':
        calc.KeypadBackspace();
        break;
      default:
        calc.Key(k - '0');
        break;
    }
  }
  return calc.Text;
}

TEST(MoneyCalc, KeySequencesShowWhatACalculatorShows) {
  const struct {
    const char* keys;
    const char* shown;
  } cases[] = {
      {"8/0=", "0"},
      {"5+3%", "0.15"},
      {"5s", "-5"},
      {"5ss", "5"},
      {"7b", "0"},
      {"12b", "1"},
      {"1234567=", "1234567"},
      {"0007", "7"},
      {"1.5*2=", "3"},
      {"1..5", "1.5"},
      {"10-4-3=", "3"},
      {"2+3*4=", "20"},
      {"1/3=", "0.333333333333333"},
      {"99999999*99999999=", "9.9999998e+15"},
      {"5+C2=", "2"},
      {"0s*5=", "0"},
      {"5=+2=", "7"},
  };
  for (const auto& c : cases) {
    TMoneyCalculator calc;
    EXPECT_EQ(Press(calc, c.keys), c.shown) << c.keys;
  }
}

TEST(MoneyCalc, PercentKeepsThePendingOperationAndEqualsTakesTheShownValue) {
  TMoneyCalculator calc;
  Press(calc, "5+3%");
  EXPECT_EQ(calc.Accumulator, 5);
  EXPECT_EQ(calc.Pending, TCalcOp::Add);
  Press(calc, "=");
  EXPECT_EQ(calc.Text, "5.15");
  EXPECT_EQ(calc.Pending, TCalcOp::None);
  EXPECT_EQ(calc.Accumulator, CalcTextValue("5.15"));
}

TEST(MoneyCalc, ExtraKeysShowOnlyAChangedValue) {
  TMoneyCalculator calc;
  Press(calc, "12.");
  calc.Extra(2, [](int i, long double& v) {
    EXPECT_EQ(i, 2);
    EXPECT_EQ(v, 12);
  });
  EXPECT_EQ(calc.Text, "12.");
  calc.Extra(1, [](int, long double& v) { v *= 1.24L; });
  EXPECT_EQ(calc.Text, "14.88");
  EXPECT_EQ(CalcTextValue("abc"), 0);
  EXPECT_EQ(CalcTextValue("1e3"), 1000);
}

TEST(MoneyCalc, TheKeypadLaysOutNineteenKeysAndASixthColumnForExtras) {
  const AnsiString none[4] = {"", "", "", ""};
  const TCalcKeypadLayout plain = CalcKeypadLayout(30, 30, none);
  EXPECT_EQ(plain.Keys.size(), 19u);
  EXPECT_EQ(plain.Width, 32 * 5 + 4);
  EXPECT_EQ(plain.Height, 32 * 4 + 4);
  const auto equals =
      std::find_if(plain.Keys.begin(), plain.Keys.end(), [](auto& k) { return k.Tag == ckEquals; });
  EXPECT_EQ(equals->Bounds, Rect(130, 98, 160, 128));
  EXPECT_EQ(equals->Caption, "= ");
  const AnsiString extras[4] = {"", "ΦΠΑ", "", ""};
  const TCalcKeypadLayout wide = CalcKeypadLayout(24, 24, extras);
  ASSERT_EQ(wide.Keys.size(), 20u);
  EXPECT_EQ(wide.Keys.back().Bounds, Rect(26 * 5 + 2, 28, 26 * 5 + 26, 52));
  EXPECT_EQ(wide.Width, 26 * 6 + 4);
}

TEST(MoneyCalc, TheKeypadDropsAboveWhenThereIsNoRoomBelow) {
  EXPECT_EQ(CalcKeypadPosition(Rect(100, 500, 200, 521), 132, 1024).Y, 521);
  EXPECT_EQ(CalcKeypadPosition(Rect(100, 900, 200, 921), 132, 1024).Y, 768);
}

}  // namespace
