#include <gtest/gtest.h>

#include "report/RpExprLibrary.h"
#include "tests/platform/db/TestDatabase.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

class DataFields : public testing::Test {
 protected:
  void SetUp() override {
    table.SetDatabaseName(MakeTestDatabase("report_expr_items", ItemsScript()));
    table.SetTableName("items");
    table.SetName("Items");
    table.Open();
    sets.Add(&table);
    ev.SetDataSets(&sets);
  }
  TRpEvResult value(const AnsiString& text) {
    ev.Prepare(text);
    return ev.Value();
  }
  LocaleScope locale{LocaleScope::C};
  TTable table{nullptr};
  TList sets;
  TRpEvaluator ev;
};

TEST_F(DataFields, FieldsGiveTheirKinds) {
  struct Row {
    const char* text;
    int kind;
    const char* shown;
  };
  const Row rows[] = {
      {"NAME", rpvString, "Pen"},
      {"items.name + '!'", rpvString, "Pen!"},
      {"QTY * 2", rpvInteger, "4"},
      {"BIG", rpvInteger, "5"},
      {"PRICE", rpvFloat, "1.5"},
      {"AMOUNT", rpvFloat, "10.25"},
      {"PAID", rpvBoolean, "True"},
      {"DAY", rpvString, "3/1/2024"},
      {"[stamp]", rpvString, "3/1/2024 2:30:00 PM"},
      {"DATA", rpvError, "Field data is of unknown type"},
      {"OTHER.NAME", rpvError, "Unknown function : OTHER.NAME"},
  };
  for (const Row& row : rows) {
    const TRpEvResult r = value(row.text);
    EXPECT_EQ(r.Kind, row.kind) << row.text;
    EXPECT_EQ(RpResultToText(r), row.shown) << row.text;
  }
}

TEST_F(DataFields, AggregatesRunOnRealRowsAndSurviveReopening) {
  ev.Prepare("SUM(QTY * PRICE)");
  for (table.First(); !table.Eof(); table.Next()) ev.DoAggregate();
  EXPECT_DOUBLE_EQ(ev.Value().FloatValue, 2 * 1.5 + 5 * 0.25 + 1 * 4.0);
  // Reopening makes new field objects: the expression finds them by index.
  table.Close();
  EXPECT_EQ(ev.Value().Kind, rpvFloat);  // the total, not the fields
  TRpEvaluator name;
  name.SetDataSets(&sets);
  table.Open();
  name.Prepare("NAME");
  table.Close();
  EXPECT_EQ(name.Value().StrValue, "Field name is of unknown type");
  table.Open();
  table.Last();
  EXPECT_EQ(name.Value().StrValue, "Pad");
}

TEST_F(DataFields, QueryParametersComeFromTheEnvironment) {
  TQuery query(nullptr);
  query.SetDatabaseName(table.DatabaseName());
  query.SQL().SetText("SELECT name FROM items WHERE qty >= :MINQTY AND name <> :SKIP AND price < :LIMIT");
  query.ParamByName("MINQTY").DataType = ftInteger;
  query.ParamByName("SKIP").DataType = ftString;
  query.ParamByName("LIMIT").DataType = ftFloat;
  query.ParamByName("LIMIT").SetAsFloat(100);
  TRpEvEnvironment env;
  env.AddFunction("minqty", "1+1");
  env.AddFunction("Skip", "'Ink'");
  env.AddFunction("LIMIT", "'cheap'");  // a string for a float: left as it was
  env.Prepare();
  SetQueryParams(query, env);
  EXPECT_TRUE(query.Active());
  ASSERT_EQ(query.RecordCount(), 1);
  EXPECT_EQ(query.FieldByName("name")->AsString(), "Pen");
  env.Unprepare();
}

}  // namespace
