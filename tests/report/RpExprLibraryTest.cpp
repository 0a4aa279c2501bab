#include <gtest/gtest.h>

#include "report/RpExprLibrary.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

struct Case {
  const char* text;
  int kind;
  const char* shown;
};

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.text; }

class Functions : public testing::TestWithParam<Case> {
  LocaleScope locale_{LocaleScope::C};
};

TEST_P(Functions, CalculateAsTheTableSays) {
  TRpEvaluator ev;
  const TRpEvResult r = ev.Calculate(GetParam().text);
  EXPECT_EQ(r.Kind, GetParam().kind) << RpResultToText(r);
  EXPECT_EQ(RpResultToText(r), GetParam().shown);
}

constexpr int I = rpvInteger, F = rpvFloat, S = rpvString, E = rpvError;

INSTANTIATE_TEST_SUITE_P(
    Library, Functions,
    testing::Values(
        Case{"IF(1 > 0, 'a', 'b')", S, "a"}, Case{"IF(1, 'a', 'b')", E, "Wrong arguments for IF"},
        Case{"IF(FALSE, 1, 1/0)", E, "Cannot divide by 0"}, Case{"TYPEOF(1.5)", S, "FLOAT"},
        Case{"TYPEOF(1/0)", S, "ERROR"}, Case{"TYPEOF(1, 2)", E, "Wrong arguments for TypeOf"},
        Case{"INT(-2.7)", I, "-2"}, Case{"FRAC(-2.75)", F, "-0.75"}, Case{"FRAC('x')", E, ""},
        Case{"DIV(7.5, 2)", I, "4"}, Case{"DIV(6.5, 2)", I, "3"}, Case{"DIV(-7, 2)", I, "-3"},
        Case{"DIV(7, 0)", E, "Division by Zero"}, Case{"DIV('7', 1)", E, "Wrong arguments for DIV"},
        Case{"SQRT(-1)", E, "Invalid argument to SQRT function"}, Case{"SQRT(16)", F, "4"},
        Case{"STR('x')", E, "Conversion error"}, Case{"STR(TRUE)", S, "True"}, Case{"STR(2.5)", S, "2.5"},
        Case{"COPY('abcdef', 0, 2)", S, "ab"}, Case{"COPY('abc', 2, 10)", S, "bc"},
        Case{"COPY('abc', 1.0, 2)", E, ""}, Case{"FORMATNUMERIC('0.00', 3.14159)", S, "3.14"},
        Case{"FORMATNUMERIC('#,0', 1234567)", S, "1,234,567"}, Case{"FORMATNUMERIC(1, 2)", E, ""},
        Case{"TIME(1)", E, ""}, Case{"DATE(1)", E, ""}, Case{"TRUE(1)", E, "Too many arguments"},
        Case{"COUNT(1)", E, "COUNT - Too many arguments"}, Case{"UPPER('abc')", S, "ABC"},
        Case{"LOWER('ABC')", S, "abc"}, Case{"PRETTY('hELLO')", S, "Hello"},
        Case{"UPPER()", E, "Missing argument for UPPER"}, Case{"PRETTY(1/0)", E, "Cannot divide by 0"},
        Case{"LOWER(1)", E, "Wrong arguments for LOWER"}, Case{"upper('x')", S, "X"},
        // overflow is an error value, never a wrapped or undefined number
        Case{"INT(3e9)", E, "Integer overflow"}, Case{"INT(-2147483648.5)", I, "-2147483648"},
        Case{"DIV(3e9, 1)", E, "Integer overflow"}, Case{"DIV(0-2147483647-1,-1)", E, "Integer overflow"},
        Case{"DIV(5, -1)", E, "Wrong arguments for DIV"}, Case{"DIV(1e300, 7)", E, "Integer overflow"}));

TEST(Functions, GreekLettersChangeCaseAndDecimalsFollowTheLocale) {
  LocaleScope greek(LocaleScope::Greek);
  TRpEvaluator ev;
  EXPECT_EQ(ev.Calculate("UPPER('" + "αβγ"_a + "')").StrValue, "ΑΒΓ"_a);
  EXPECT_EQ(ev.Calculate("FORMATNUMERIC('0.00', 3.14159)").StrValue, "3,14");
}

TEST(Functions, AMaskIsNeverAPrintfFormat) {
  TRpEvaluator ev;
  for (const char* mask : {"%s%s%s%n", "%99999999d", "0.00%n;%s;%p", "'unclosed", ";;;;"}) {
    const TRpEvResult r = ev.Calculate(AnsiString("FORMATNUMERIC('") + mask + "', 12.5)");
    EXPECT_TRUE(r.Kind == rpvString || r.Kind == rpvError) << mask;
  }
}

TEST(Library, EntriesInRegistrationOrderWithBoundsChecked) {
  RpExprEnsureStarted();
  ASSERT_GE(RpFunctionLibrary->Count(), 21);
  const char* names[] = {"IF",    "STR", "UPPER", "LOWER", "PRETTY", "TIME",    "DATE",
                         "COPY",  "SUM", "COUNT", "MAX",   "MIN",    "AVERAGE", "TRUE",
                         "FALSE", "INT", "FRAC",  "SQRT",  "DIV",    "TYPEOF",  "FORMATNUMERIC"};
  for (int i = 0; i < 21; ++i) EXPECT_EQ(RpFunctionLibrary->GetEntry(i)->Name, names[i]);
  EXPECT_EQ(RpFunctionLibrary->GetEntry(18)->Description, "DIV(<X>, <Y>) | Integer division of <X> by <Y>");
  EXPECT_EQ(RpFunctionLibrary->GetEntry(0)->ArgumentKinds, "5BVV");
  EXPECT_EQ(RpFunctionLibrary->GetEntry(-1), nullptr);
  EXPECT_EQ(RpFunctionLibrary->GetEntry(RpFunctionLibrary->Count()), nullptr);
}

// ---- aggregates --------------------------------------------------------------

// Runs an aggregating expression over the values given to the variable V.
class Aggregates : public testing::Test {
 protected:
  void SetUp() override {
    env.AddFunction("V", "0");
    env.Prepare();
    ev.Environment = &env;
  }
  void TearDown() override {
    ev.Unprepare();
    env.Unprepare();
  }
  TRpEvResult over(const AnsiString& text, std::initializer_list<TRpEvResult> values) {
    ev.Prepare(text);
    EXPECT_TRUE(ev.IsAggregate());
    for (const TRpEvResult& v : values) {
      env.SetConstant(env.GetConstant("V"), v);
      ev.DoAggregate();
    }
    return ev.Value();
  }
  static TRpEvResult i(Integer v) { return TRpEvResult::OfInteger(v); }
  static TRpEvResult f(double v) { return TRpEvResult::OfFloat(v); }
  static TRpEvResult s(const char* v) { return TRpEvResult::OfString(v); }
  static TRpEvResult b(bool v) { return TRpEvResult::OfBoolean(v); }
  TRpEvEnvironment env;
  TRpEvaluator ev;
};

TEST_F(Aggregates, TotalsOverRecords) {
  const TRpEvResult sum = over("SUM(V)", {i(1), i(2), i(3)});
  EXPECT_EQ(sum.Kind, rpvInteger);
  EXPECT_EQ(sum.IntValue, 6);
  EXPECT_EQ(ev.Value().IntValue, 6);  // printing adds nothing
  const TRpEvResult avg = over("AVERAGE(V)", {i(1), i(2), i(3)});
  EXPECT_EQ(avg.Kind, rpvFloat);
  EXPECT_DOUBLE_EQ(avg.FloatValue, 2);
  EXPECT_EQ(over("MAX(V)", {s("b"), s("a"), s("c")}).StrValue, "c");
  const TRpEvResult min = over("MIN(V)", {b(true), b(false)});
  EXPECT_EQ(min.Kind, rpvBoolean);
  EXPECT_FALSE(min.BoolValue);
  EXPECT_EQ(over("COUNT", {i(0), i(0), i(0)}).IntValue, 3);
  EXPECT_EQ(over("SUM(V) + COUNT * 10", {i(5), i(6)}).IntValue, 31);
}

TEST_F(Aggregates, BeforeTheFirstRecordAndAfterReset) {
  for (const char* text : {"SUM(V)", "AVERAGE(V)", "MAX(V)", "MIN(V)", "COUNT"}) {
    const TRpEvResult r = over(text, {});
    EXPECT_EQ(r.Kind, rpvInteger) << text;
    EXPECT_EQ(r.IntValue, 0) << text;
  }
  over("AVERAGE(V)", {i(4)});
  ev.Reset();
  EXPECT_EQ(ev.Value().Kind, rpvFloat);
  over("COUNT", {i(1), i(1)});
  ev.Reset();
  EXPECT_EQ(ev.Value().IntValue, 0);
}

TEST_F(Aggregates, MixedIntegersAndFloatsLoseNothing) {
  const TRpEvResult sum = over("SUM(V)", {i(1), f(2.5), i(3)});
  EXPECT_EQ(sum.Kind, rpvFloat);
  EXPECT_DOUBLE_EQ(sum.FloatValue, 6.5);
  EXPECT_DOUBLE_EQ(over("AVERAGE(V)", {f(0.5), i(1), i(3)}).FloatValue, 1.5);
  EXPECT_DOUBLE_EQ(over("MAX(V)", {i(1), f(2.5), i(2)}).FloatValue, 2.5);
  EXPECT_EQ(over("MIN(V)", {f(2.5), i(1), f(1.5)}).IntValue, 1);
  EXPECT_EQ(over("SUM(V)", {i(1), s("x"), i(2)}).StrValue, "Cannot add string expressions");
  EXPECT_EQ(over("SUM(V)", {i(1), b(true), i(2)}).IntValue, 3);
  EXPECT_EQ(over("SUM(V)", {f(1e308), f(1e308)}).StrValue, "Floating point overflow");
}

// ---- environments: preparing, storing ----------------------------------------

TEST(Environment, StoredNamesAndDataLoadAsEntries) {
  TRpEvEnvironment stored;
  stored.AddFunction("pagenumber", "0");
  stored.AddFunction("COLUMNNUMBER", "0");
  stored.AddFunction("REPORTTITLE", "''");
  TMemoryStream names, data;
  stored.WriteStrings(names);
  stored.WriteData(data);

  TRpEvEnvironment env;
  names.SetPosition(0);
  data.SetPosition(0);
  env.ReadStrings(names);
  env.ReadData(data);
  ASSERT_EQ(env.Count(), 3);
  EXPECT_EQ(env[0], "PAGENUMBER");
  env.Prepare();
  EXPECT_EQ(env.Value("PageNumber").Kind, rpvInteger);
  EXPECT_EQ(env.Value("COLUMNNUMBER").IntValue, 0);
  EXPECT_EQ(env.Value("REPORTTITLE").Kind, rpvString);
  EXPECT_EQ(env.Value("REPORTTITLE").StrValue, "");
  env.Unprepare();
  EXPECT_FALSE(env.Prepared());
}

TEST(Environment, WideAndUtf8ItemsBecomeCodePage1253) {
  TRpEvEnvironment env;
  TStringStream names(std::string("\x01\x14\x02\x00\x00\x00\xce\xa9\x12\x01\x00\x00\x00\xa3\x03\x00", 16));
  env.ReadStrings(names);
  ASSERT_EQ(env.Count(), 2);
  EXPECT_EQ(env[0], "Ω"_a);
  EXPECT_EQ(env[1], "Σ"_a);
}

TEST(Environment, DamagedDataRaisesAndChangesNothing) {
  TRpEvEnvironment env;
  env.AddFunction("A", "1");
  for (const std::string& bytes : {std::string("\x01\x06\x05"
                                               "ab",
                                               5),
                                   std::string("\x01\x0c\xff\xff\xff\x7f", 6), std::string("\x02", 1),
                                   std::string("\x01\x06\x01x", 4)}) {
    TStringStream stream(bytes);
    EXPECT_THROW(env.ReadStrings(stream), EReadError);
    ASSERT_EQ(env.Count(), 1);
    EXPECT_EQ(env.Entry(0)->Expression, "1");
  }
}

TEST(Environment, PreparesAreCountedAndEntriesFollow) {
  TRpEvEnvironment env;
  env.AddFunction("N", "1");
  env.Prepare();
  env.Prepare();
  env.Unprepare();
  EXPECT_TRUE(env.Entry(0)->Evaluator.Prepared());
  env.Unprepare();
  EXPECT_FALSE(env.Entry(0)->Evaluator.Prepared());
  env.DeleteFunction("n");
  EXPECT_EQ(env.Count(), 0);
}

// ---- process-wide state ---------------------------------------------------------

class TwiceFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 1 || Arg(0).Kind != rpvInteger) return TRpEvResult::OfError("TWICE needs an integer");
    return TRpEvResult::OfInteger(Arg(0).IntValue * 2);
  }
};

TEST(Library, RegisteredFunctionsAreCalledByName) {
  RegisterRpFunction(RpNewFunction<TwiceFunction>, "TWICE", "TWICE(<X>)|Doubles <X>", "7N", "test");
  TRpEvaluator ev;
  EXPECT_EQ(ev.Calculate("twice(4) + 1").IntValue, 9);
  EXPECT_EQ(ev.Calculate("TWICE('x')").StrValue, "TWICE needs an integer");
}

TEST(GlobalEnvironment, HoldsTheStartValuesAndStaysPreparedAcrossRuns) {
  TRpEvaluator ev;
  EXPECT_EQ(ev.Calculate("TYPEOF(AppStartTime) + TYPEOF(AppStartDate) + TYPEOF(APPNAME)").StrValue,
            "STRINGSTRINGSTRING");
  ASSERT_NE(RpGlobalEnvironment, nullptr);
  EXPECT_TRUE(RpGlobalEnvironment->Prepared());
  EXPECT_TRUE(RpGlobalEnvironment->Entry(0)->Evaluator.Prepared());
  TRpEvEnvironment local;
  local.AddFunction("T", "AppName");
  local.Prepare();
  local.Unprepare();  // its entries unprepare without taking the global ones along
  EXPECT_TRUE(RpGlobalEnvironment->Entry(2)->Evaluator.Prepared());
  EXPECT_FALSE(RpUnpreparingFlag());
}

}  // namespace
