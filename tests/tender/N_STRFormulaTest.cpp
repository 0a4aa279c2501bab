#include <gtest/gtest.h>

#include <cmath>

#include "tender/N_STR.h"
#include "tests/tender/NumericTestSupport.h"

namespace {

constexpr Word Ok = FormulaValid;
constexpr Word Syntax = FormulaSyntaxError;
constexpr Word Math = FormulaValid + FormulaMathError;
constexpr Word Cells = FormulaWithCells;

TEST(EvalFormula, Evaluates) {
  const struct {
    int style;
    const char* text;  // UTF-8
    double value;
    Word attribute;
    double tolerance = 0;
  } cases[] = {
      // clang-format off
      {1, "2+3*4", 14, Ok}, {1, "2^3^2", 512, Ok}, {1, "(2+3)*4", 20, Ok}, {1, "-2^2", 0, Math},
      {1, "0^2", 0, Math}, {1, "2^-2", 0.25, Ok}, {1, "--3", 0, Syntax}, {1, "+3", 0, Syntax},
      {1, "2--3", 5, Ok}, {1, "50%", 0.5, Ok}, {1, "2*π", 6.2832, Ok}, {1, "2π", 23.1416, Ok},
      {1, "SIN(30)", 0.5, Ok, 1e-15}, {1, "ASIN(1)", 90, Ok}, {1, "ACOS(2)", 0, Math},
      {1, "ROUND(2.675,2)", 2.68, Ok}, {1, "ROUND(2.675)", 3, Ok}, {1, "ROUND(1,7)", 0, Math},
      {1, "ROUND(ABS(-2.5))", 3, Ok}, {1, "MOD(7,3)", 1, Ok}, {1, "MOD(7.8,3)", 1, Ok},
      {1, "MOD(7,0)", 0, Math}, {1, "", 0, Syntax}, {2, "12,5", 12.5, Ok},
      {1, "1234567890123456789012345678901234567890", 1e36, Ok}, {1, "SQRT(16)", 4, Ok}, {1, "SQR(3)", 9, Ok},
      {1, "LN(1)", 0, Ok}, {1, "LOG(100)", 2, Ok},
      // In style 2 the comma before a digit is a decimal point: the second
      // argument needs a blank after its comma.
      {2, "ROUND(2.675,2)", 0, Math}, {2, "ROUND(2,675, 2)", 2.68, Ok}, {2, "ROUND(1,7)", 2, Ok},
      {2, "MOD(7, 3)", 1, Ok}, {2, "MOD(7,3)", 0, Math}, {2, "2+3*4", 14, Ok}, {2, "50%", 0.5, Ok},
      {2, "2π", 23.1416, Ok},
      // Precedence, grouping and signs.
      {1, "10-2-3", 5, Ok}, {1, "100/10/5", 2, Ok}, {1, "2*3^2", 18, Ok}, {1, "-3*2", -6, Ok},
      {1, "2*-3", -6, Ok}, {1, "2+-3", -1, Ok}, {1, "-(2+3)", -5, Ok}, {1, "(-2)^2", 0, Math},
      {1, "-2^-2", 0, Math}, {1, "4^0.5", 2, Ok, 1e-15}, {1, "1/0", 0, Math}, {1, "1/(2-2)", 0, Math},
      {1, " 2 + 3 ", 5, Ok}, {1, "2\r\n+3", 5, Ok}, {1, "abs(-4)", 4, Ok}, {1, ".5+1", 1.5, Ok},
      {1, "1.5.3", 0, Math}, {1, ".5.3", 0, Syntax}, {1, ".", 0, Syntax}, {1, "1E3", 1000, Ok},
      {1, "1e-3", 0.001, Ok}, {1, "2E", 0, Math}, {1, "1E999", 0, Math}, {1, "1E-999", 0, Ok},
      {1, "1E1234", 0, Syntax}, {1, "3ύ", 9, Ok}, {1, "3ύ+1", 10, Ok}, {1, "2ύ5", 33554432, Ok},
      {1, "2+", 0, Syntax}, {1, "(2", 0, Syntax}, {1, "2)", 0, Syntax}, {1, "()", 0, Syntax},
      {1, "2 3", 0, Syntax}, {1, "2#3", 0, Syntax}, {1, "αβγ", 0, Syntax}, {1, "ABS 4", 0, Syntax},
      {1, "ABS(4", 0, Syntax},
      // The comma only directly inside a two-argument call, once.
      {1, "ABS(1,2)", 0, Syntax}, {1, "(1,2)", 0, Syntax}, {1, "1,2", 0, Syntax},
      {1, "ROUND((2.675,2))", 0, Syntax}, {1, "ROUND(2.675,2,1)", 0, Syntax},
      {1, "ROUND(ROUND(2.675,2),1)", 2.7, Ok}, {1, "-ROUND(2.5)", 0, Syntax}, {1, "-(ROUND(2.5))", -3, Ok},
      {1, "2*ROUND(2.5)", 6, Ok},
      // Functions.
      {1, "ACOS(-0.5)", 120, Ok, 1e-12}, {1, "ACOS(-1)", 180, Ok, 1e-12}, {1, "ACOS(0)", 90, Ok, 1e-12},
      {1, "ACOS(1)", 0, Ok, 1e-12}, {1, "ACOS(0.5)", 60, Ok, 1e-12}, {1, "ASIN(-1)", -90, Ok},
      {1, "ASIN(0.5)", 30, Ok, 1e-12}, {1, "ASIN(-2)", 0, Math}, {1, "ATAN(1)", 45, Ok, 1e-12},
      {1, "COS(60)", 0.5, Ok, 1e-15}, {1, "TAN(45)", 1, Ok, 1e-15},
      {1, "EXP(1)", 2.718281828459045, Ok, 1e-15}, {1, "EXP(89)", 0, Math}, {1, "EXP(-89)", 0, Math},
      {1, "LN(0)", 0, Math}, {1, "LOG(-1)", 0, Math}, {1, "SQRT(-1)", 0, Math}, {1, "SQR(2E18)", 0, Math},
      {1, "CYCLR(1)", 3.141592653589793, Ok, 1e-15}, {1, "CYCLD(2)", 3.141592653589793, Ok, 1e-15},
      {1, "CYCLD(2E18)", 0, Math}, {1, "TRUNC(2.7)", 2, Ok}, {1, "TRUNC(-2.5)", -3, Ok},
      {1, "TRUNC(3)", 3, Ok}, {1, "HYPOT(3,4)", 5, Ok}, {1, "HYPOT(-3)", 3, Ok}, {1, "MOD(-7,3)", 2, Ok},
      {1, "STROG(2.5)", 0, Math}, {1, "ROUND(1250,-2)", 1300, Ok}, {1, "ROUND(1,-10)", 0, Math},
      // Products beyond e^87 are held at 10^37; results at 10^38.
      {1, "1E20*1E20", 1e37, Ok}, {1, "-1E20*1E20", -1e37, Ok}, {1, "1E300+1E300", 1e38, Ok},
      {1, "0-1E300", -1e38, Ok}, {1, "1E308+1E308", 0, Math}, {1, "1E300/1E-300", 0, Math},
      // Cells have no source here: they read as 0 and mark the formula.
      {1, "A1+2", 2, Cells}, {1, "SUM", 0, Syntax}, {1, "A1:A5", 0, Cells}, {1, "A1:E1*2", 0, Cells},
      {1, "A5:A1", 0, Syntax}, {1, "A1:B2", 0, Syntax}, {1, "A1:B1:C1", 0, Syntax}, {1, "PI*2", 0, Cells},
      {1, "ZZ1", 0, Syntax}, {1, "A1001", 0, Syntax}, {1, "A1000", 0, Cells}, {1, "A", 0, Syntax},
      {1, "-A1", 0, Cells}, {1, "A1:", 0, Syntax}, {1, "1:2", 0, Syntax},
      {1, "A1/0", 0, Cells + FormulaMathError},
      // clang-format on
  };
  for (const auto& c : cases) {
    if (c.style == 2)
      UseStyle2();
    else
      UseStyle1();
    Word attribute = 99;
    const double value = EvalFormula(cp1253::FromUtf8(c.text), attribute);
    EXPECT_EQ(attribute, c.attribute) << c.text << " (style " << c.style << ")";
    if (c.tolerance == 0)
      EXPECT_EQ(value, c.value) << c.text << " (style " << c.style << ")";
    else
      EXPECT_NEAR(value, c.value, c.tolerance) << c.text << " (style " << c.style << ")";
  }
  UseStyle1();
}

TEST(EvalFormula, CellsComeFromTheSource) {
  UseStyle1();
  CellValueSource = [](Word column, Word row) { return column * 100.0 + row; };
  Word attribute = 0;
  EXPECT_EQ(EvalFormula("B3", attribute), 203);
  EXPECT_EQ(attribute, FormulaWithCells);
  EXPECT_EQ(EvalFormula("A1:C1", attribute), 101 + 201 + 301);
  EXPECT_EQ(EvalFormula("AB2", attribute), 2802);
  EXPECT_EQ(EvalFormula("pi", attribute), 1600);
  CellValueSource = nullptr;
}

TEST(EvalFormula, StrogUsesTheRoundingSource) {
  UseStyle1();
  RoundingSource = [](double v) { return std::floor(v); };
  Word attribute = 0;
  EXPECT_EQ(EvalFormula("STROG(2.5)", attribute), 2);
  EXPECT_EQ(attribute, FormulaValid);
  RoundingSource = nullptr;
}

int beeps = 0;

TEST(EvalFormula, BeepsOutsideTheUnitRange) {
  UseStyle1();
  beeps = 0;
  FormulaBeep = [] { ++beeps; };
  Word attribute = 0;
  EvalFormula("ACOS(2)", attribute);
  EvalFormula("ASIN(-1.5)", attribute);
  EvalFormula("ACOS(1)", attribute);
  EXPECT_EQ(beeps, 2);
  FormulaBeep = nullptr;
}

TEST(EvalFormula, NestingBeyondTheStackIsASyntaxError) {
  UseStyle1();
  Word attribute = 99;
  const auto nested = [](int depth) { return AnsiString(depth, '(') + "1" + AnsiString(depth, ')'); };
  EXPECT_EQ(EvalFormula(nested(20), attribute), 1);
  EXPECT_EQ(attribute, FormulaValid);
  // The bottom record, 28 parentheses and the number fill the 30 records.
  EXPECT_EQ(EvalFormula(nested(28), attribute), 1);
  EXPECT_EQ(attribute, FormulaValid);
  EXPECT_EQ(EvalFormula(nested(29), attribute), 0);
  EXPECT_EQ(attribute, FormulaSyntaxError);
  EXPECT_EQ(EvalFormula(nested(100000), attribute), 0);
  EXPECT_EQ(attribute, FormulaSyntaxError);
  AnsiString chain;
  for (int i = 0; i < 40; ++i) chain += "2^";
  chain += "1";
  EXPECT_EQ(EvalFormula(chain, attribute), 0);
  EXPECT_EQ(attribute, FormulaSyntaxError);
}

TEST(EvalFormula, LongFlatFormulasStayShallow) {
  UseStyle1();
  AnsiString sum = "1";
  for (int i = 0; i < 100000; ++i) sum += "+1";
  Word attribute = 0;
  EXPECT_EQ(EvalFormula(sum, attribute), 100001);
  EXPECT_EQ(attribute, FormulaValid);
  EXPECT_EQ(EvalFormula(AnsiString(1000000, ' '), attribute), 0);
  EXPECT_EQ(attribute, FormulaSyntaxError);
  EXPECT_EQ(EvalFormula("0." + AnsiString(400, '0') + "1", attribute), 0);
  EXPECT_EQ(attribute, FormulaValid);
  EXPECT_EQ(EvalFormula(AnsiString(1000, '9') + ".5", attribute), 0);
  EXPECT_EQ(attribute, FormulaValid + FormulaMathError);
}

TEST(EvalFormula, EveryByteReturnsAnAttribute) {
  UseStyle2();
  for (int code = 0; code < 256; ++code) {
    const AnsiString text = AnsiString("2") + static_cast<char>(code) + "3";
    Word attribute = 99;
    const double value = EvalFormula(text, attribute);
    EXPECT_TRUE(attribute <= 2 || attribute == 5 || attribute == 6) << code;
    EXPECT_TRUE(std::isfinite(value)) << code;
  }
  UseStyle1();
}

}  // namespace
