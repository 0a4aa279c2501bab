#include <gtest/gtest.h>

#include "platform/db/Db.h"
#include "tests/platform/db/TestDatabase.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

class Items : public testing::Test {
 protected:
  void SetUp() override {
    table.SetDatabaseName(MakeTestDatabase("db_items", ItemsScript()));
    table.SetTableName("items");
  }
  LocaleScope locale{LocaleScope::C};
  TTable table{nullptr};
};

TEST_F(Items, ColumnsBecomeFieldsOfTheirKind) {
  table.Open();
  ASSERT_EQ(table.FieldCount(), 10);
  EXPECT_NE(dynamic_cast<TStringField*>(table.FieldByName("NAME")), nullptr);
  EXPECT_NE(dynamic_cast<TIntegerField*>(table.FieldByName("qty")), nullptr);
  EXPECT_NE(dynamic_cast<TFloatField*>(table.FieldByName("price")), nullptr);
  EXPECT_NE(dynamic_cast<TBooleanField*>(table.FieldByName("paid")), nullptr);
  EXPECT_NE(dynamic_cast<TDateField*>(table.FieldByName("day")), nullptr);
  EXPECT_NE(dynamic_cast<TBCDField*>(table.FieldByName("amount")), nullptr);
  EXPECT_NE(dynamic_cast<TDateTimeField*>(table.FieldByName("stamp")), nullptr);
  EXPECT_NE(dynamic_cast<TBlobField*>(table.FieldByName("data")), nullptr);
  EXPECT_NE(dynamic_cast<TLargeintField*>(table.FieldByName("big")), nullptr);
  EXPECT_NE(dynamic_cast<TTimeField*>(table.FieldByName("at")), nullptr);
  EXPECT_EQ(table.FieldByName("price")->Index(), 2);
  try {
    table.FieldByName("nope");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "Field 'nope' not found");
  }
}

TEST_F(Items, NavigationAndValues) {
  table.Open();
  EXPECT_EQ(table.RecordCount(), 3);
  EXPECT_TRUE(table.Bof());
  EXPECT_EQ(table.FieldByName("name")->AsString(), "Pen");
  EXPECT_EQ(table.FieldByName("day")->Text(), "3/1/2024");
  EXPECT_EQ(table.FieldByName("stamp")->AsString(), "3/1/2024 2:30:00 PM");
  EXPECT_EQ(table.FieldByName("at")->AsString(), "2:30:00 PM");
  EXPECT_TRUE(table.FieldByName("paid")->AsBoolean());
  EXPECT_EQ(table.FieldByName("data")->AsString(), std::string("\x00\xff", 2));
  table.Next();
  EXPECT_EQ(table.FieldByName("qty")->AsInteger(), 5);
  EXPECT_EQ(table.FieldByName("day")->Text(), DateToStr(45000));
  EXPECT_TRUE(table.FieldByName("stamp")->IsNull());
  EXPECT_EQ(table.FieldByName("stamp")->AsString(), "");
  EXPECT_FALSE(table.FieldByName("paid")->AsBoolean());
  table.Next();
  table.Next();
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.FieldByName("name")->AsString(), "Pad");
  table.Prior();
  EXPECT_EQ(table.FieldByName("name")->AsString(), "Ink");
  EXPECT_THROW(table.FieldByName("name")->AsInteger(), EDatabaseError);
  table.Close();
  EXPECT_EQ(table.FieldCount(), 0);
  EXPECT_TRUE(table.Eof());
}

TEST_F(Items, QueriesBindNamedParameters) {
  TQuery query(nullptr);
  query.SetDatabaseName(table.DatabaseName());
  query.SQL().SetText(
      "SELECT name, qty * price AS total FROM items WHERE qty >= :MinQty AND name <> ':skip'");
  ASSERT_EQ(query.ParamCount(), 1);
  query.ParamByName("minqty").SetAsInteger(2);
  query.Open();
  EXPECT_EQ(query.RecordCount(), 2);
  EXPECT_NE(dynamic_cast<TFloatField*>(query.FieldByName("total")), nullptr);
  EXPECT_DOUBLE_EQ(static_cast<double>(query.FieldByName("total")->AsFloat()), 3.0);
  // New text closes the query; a parameter that stays keeps its value.
  query.SQL().SetText("SELECT name FROM items WHERE qty >= :minqty OR name = :name");
  EXPECT_FALSE(query.Active());
  ASSERT_EQ(query.ParamCount(), 2);
  EXPECT_EQ(query.Params().Items(0).DataType, ftInteger);
  query.ParamByName("name").SetAsString("Pad");
  query.Open();
  EXPECT_EQ(query.RecordCount(), 3);
}

TEST_F(Items, FailuresRaiseAndLeaveTheDataSetClosed) {
  TQuery query(nullptr);
  query.SetDatabaseName(table.DatabaseName());
  query.SQL().SetText("SELECT nothing FROM nowhere");
  EXPECT_THROW(query.Open(), EDatabaseError);
  EXPECT_FALSE(query.Active());
  TTable missing(nullptr);
  missing.SetDatabaseName("db_no_such_file.db");
  missing.SetTableName("items");
  EXPECT_THROW(missing.Open(), EDatabaseError);
  table.Open();
  EXPECT_THROW(table.SetTableName("other"), EDatabaseError);
}

TEST(ParseSqlParamNames, SkipsQuotedTextAndDoubleColons) {
  EXPECT_EQ(ParseSqlParamNames("a = :x and b = ':y' and c = \":z\" and d::text = :X and e = :w_1"),
            (std::vector<AnsiString>{"x", "w_1"}));
}

}  // namespace
