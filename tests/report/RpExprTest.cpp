#include <gtest/gtest.h>

#include "report/RpExprLibrary.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

struct Case {
  const char* text;
  int kind;
  const char* shown;  // the value as text, or the error's message
};

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.text; }

void expectCase(const TRpEvResult& r, const Case& c) {
  EXPECT_EQ(r.Kind, c.kind) << c.text << " gave " << RpResultToText(r);
  EXPECT_EQ(RpResultToText(r), c.shown) << c.text;
}

TRpEvResult calc(const AnsiString& text, TRpEvEnvironment* env = nullptr) {
  TRpEvaluator ev;
  ev.Environment = env;
  return ev.Calculate(text);
}

class Vectors : public testing::TestWithParam<Case> {
  LocaleScope locale_{LocaleScope::C};
};

TEST_P(Vectors, EvaluateAsTheOriginalDid) { expectCase(calc(GetParam().text), GetParam()); }

constexpr int I = rpvInteger, F = rpvFloat, S = rpvString, B = rpvBoolean, E = rpvError;

INSTANTIATE_TEST_SUITE_P(
    Evaluator, Vectors,
    testing::Values(
        Case{"", S, " "}, Case{"1+2*3", I, "7"}, Case{"10-4+3", I, "9"}, Case{"100/10/2", F, "5"},
        Case{"7/2", F, "3.5"}, Case{"2 < 3 = TRUE", E, "Illegal character in numeric contant \"3 = TRUE\""},
        Case{"'abc' < 'abd'", B, "True"}, Case{"'B' < 'a'", B, "True"}, Case{"1 = '1'", B, "True"},
        Case{"'Total: ' + 5", S, "Total: 5"}, Case{"TRUE + 1", S, "True1"},
        Case{"TRUE < FALSE", E, "Operator < is not compatible with boolean expressions"},
        Case{"TRUE >= FALSE", E, "Operator >= is not compatible with boolean expressions"},
        Case{"TRUE * FALSE", E, "Cannot multiply boolean expressions"}, Case{"5/0", E, "Cannot divide by 0"},
        Case{"5.0/0", E, "Cannot divide by 0"}, Case{"'a' - 'b'", E, "Cannot subtract string expressions"},
        Case{"1.5", F, "1.5"}, Case{"12a", E, "Illegal character in numeric contant \"12a\""},
        Case{"1e5", F, "100000"}, Case{"1e-5", E, "Illegal character in numeric contant \"1e\""},
        Case{"'abc", E, "Missing '"}, Case{"(1+2", E, "Missing )"}, Case{"[abc", E, "Missing ]"},
        Case{"not (1 = 1)", B, "False"}, Case{"not 5", E, "Invalid use of NOT"},
        Case{"FOO(1)", E, "Unknown function : FOO"}, Case{"foo", E, "Unknown function : FOO"},
        Case{"3 or 4", I, "7"}, Case{"3 and 6", I, "2"},
        Case{"1.0 or 2.0", E, "Operator OR is not compatible with numeric expressions"},
        Case{"'a' and 'b'", E, "Operator AND is not compatible with string expressions"},
        Case{"_x", E, "Error in expression : _x"}, Case{"[_x]", E, "Unknown function : _x"},
        Case{"-5+2", I, "-3"}, Case{"2*-3", E, "Illegal character in numeric contant \"2*\""},
        Case{"8/4*2", F, "4"}, Case{"'x' + 1.5", S, "x1.5"}, Case{"1 <> 2", B, "True"},
        Case{"(1 < 2) = (3 < 4)", B, "True"}, Case{"'a''b'", S, "a''b"},
        Case{"1/0 + 'x' = 1/0", E, "Cannot divide by 0"}, Case{"1 + (1/0)", E, "Cannot divide by 0"},
        // 32-bit wrapping
        Case{"2147483647+1", I, "-2147483648"}, Case{"65536*65536", I, "0"},
        Case{"99999999999", F, "99999999999"},
        // float overflow is an error value
        Case{"1e308*10", E, "Floating point overflow"},
        Case{"1e999", E, "Illegal character in numeric contant \"1e999\""},
        // empty operands
        Case{"()", E, "Missing operand"}, Case{"1 * * 2", E, "Missing operand"},
        Case{"1 + ( )", E, "Missing operand"}, Case{"IF(TRUE, , 2)", E, "Missing operand"},
        Case{"not", E, "Invalid use of NOT"}));

TEST(RpEvaluator, DecimalsAreWrittenWithAPointInAnyLocale) {
  LocaleScope greek(LocaleScope::Greek);
  const TRpEvResult r = calc("1.5*2");
  EXPECT_EQ(r.Kind, rpvFloat);
  EXPECT_DOUBLE_EQ(r.FloatValue, 3.0);
  EXPECT_EQ(RpResultToText(calc("'x' + 0.5")), "x0,5");
}

TEST(RpEvaluator, ValueOfAnUnpreparedEvaluatorRaises) {
  TRpEvaluator ev;
  try {
    ev.Value();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Evaluator not prepared");
  }
  ev.Prepare("1");
  ev.Unprepare();
  ev.Unprepare();  // a second unprepare counts nothing
  EXPECT_THROW(ev.Value(), Exception);
}

TEST(RpEvaluator, NestingBeyond256IsAnErrorValueNotAStackOverflow) {
  const auto nested = [](int depth) { return std::string(depth, '(') + "1" + std::string(depth, ')'); };
  EXPECT_EQ(calc(nested(256)).IntValue, 1);
  EXPECT_EQ(calc(nested(257)).StrValue, "Expression nested too deeply");
  EXPECT_EQ(calc(std::string(300, '-') + "1").Kind, rpvError);
  EXPECT_EQ(calc("not " + nested(5000)).StrValue, "Invalid use of NOT");
}

TEST(RpEvaluator, VariablesNamingVariablesNestNoDeeperThanParentheses) {
  const auto name = [](int i) { return AnsiString(1, 'V').append(IntToStr(i)); };
  TRpEvEnvironment env;
  env.AddFunction("V0", "1");
  for (int i = 1; i <= 300; ++i) env.AddFunction(name(i), name(i - 1).append("+1"));
  env.Prepare();
  EXPECT_EQ(calc("V200", &env).IntValue, 201);
  EXPECT_EQ(calc("V300", &env).StrValue, "Expression nested too deeply");
  env.Unprepare();
}

TEST(RpEvaluator, LongChainsKeepTheirMeaningAndCostNoStack) {
  std::string sum = "1";
  for (int i = 0; i < 20000; ++i) sum += "+1";
  EXPECT_EQ(calc(sum).IntValue, 20001);
  std::string mixed = "100";
  for (int i = 0; i < 10000; ++i) mixed += "-2+1";
  EXPECT_EQ(calc(mixed).IntValue, 100 - 10000);
}

TEST(RpEvaluator, StringsAreCutTo255) {
  const std::string longText(300, 'x');
  EXPECT_EQ(calc("'" + longText + "'").StrValue.size(), 255u);
  EXPECT_EQ(calc("'" + longText + "' + 'y'").StrValue.size(), 255u);
  // The closing quote is found on the whole text, beyond 255 characters.
  EXPECT_EQ(calc("'" + longText + "'").Kind, rpvString);
}

// ---- names: brackets, "not", environments --------------------------------------

class WithEnvironment : public testing::Test {
 protected:
  void SetUp() override {
    env.AddFunction("A-B", "5");
    env.AddFunction("A,B", "'ab'");
    env.AddFunction("Notes", "'n'");
    env.AddFunction("A", "A+1");
    env.AddFunction("X", "Y*2");
    env.AddFunction("Y", "21");
    env.Prepare();
  }
  void TearDown() override { env.Unprepare(); }
  TRpEvEnvironment env;
};

TEST_F(WithEnvironment, NamesResolveInBracketsWordsAndChains) {
  EXPECT_EQ(calc("10 - [A-B]", &env).IntValue, 5);
  EXPECT_EQ(calc("TYPEOF([A,B])", &env).StrValue, "STRING");
  EXPECT_EQ(calc("notes", &env).StrValue, "n");
  EXPECT_EQ(calc("NOTES + 'x'", &env).StrValue, "nx");
  EXPECT_EQ(calc("x", &env).IntValue, 42);
  EXPECT_EQ(calc("A", &env).StrValue, "Recursive calls not allowed");
  EXPECT_EQ(calc("AppName", &env).Kind, rpvString);  // global, found after the local one
  EXPECT_EQ(calc("nothing", &env).StrValue, "Unknown function : NOTHING");
}

TEST_F(WithEnvironment, ConstantsChangeInPlace) {
  TRpEvaluator ev;
  ev.Environment = &env;
  ev.Prepare("Y + 1");
  env.SetIntegerConstant(env.GetConstant("y"), 99);
  EXPECT_EQ(ev.Value().IntValue, 100);
  env.SetConstant(env.GetConstant("Y"), TRpEvResult::OfFloat(0.5));
  EXPECT_DOUBLE_EQ(ev.Value().FloatValue, 1.5);
  env.AddFunction("y", "7");  // exists: the old text stays
  EXPECT_DOUBLE_EQ(ev.Value().FloatValue, 1.5);
  env.AddFunction("Z", "'late'");  // added while prepared: ready at once
  env.SetStringConstant(env.GetConstant("Z"), "later");
  EXPECT_EQ(env.Value("z").StrValue, "later");
  EXPECT_EQ(env.GetConstant("none"), nullptr);
  EXPECT_EQ(env.Value("none").Kind, rpvError);
}

}  // namespace
