// Collections, dates and currency amounts in component images: written
// and read back, read as the class library writes them (an item may carry
// its position), and refused where a sound image never has them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/rtl/ClassesReader.h"

namespace {

std::string Bytes(TMemoryStream& m) {
  return std::string(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

TComponentImage ReadTree(const std::string& bytes) {
  TStringStream in(bytes);
  return ReadComponentTree(in);
}

// "TPF0", class "TQ", no name, the property "P" with the value bytes, no
// more properties, no children.
std::string ImageWith(const std::string& value) {
  return std::string("TPF0\x02TQ\x00\x01P", 10) + value + std::string("\x00\x00", 2);
}

TEST(ClassesReader, ACollectionReadsBackItemByItem) {
  TMemoryStream m;
  TComponentWriter w(m, "TQuery", "Q");
  w.BeginCollection("ParamData");
  w.BeginItem();
  w.WriteIdent("DataType", "ftDate");
  w.WriteDate("Value", 45000.25);
  w.EndItem();
  w.BeginItem();
  w.EndItem();
  w.EndCollection();
  w.WriteInteger("Tag", 7);
  w.End();
  const TComponentImage image = ReadTree(Bytes(m));
  ASSERT_EQ(image.Properties.size(), 2u);
  const TStreamValue& params = image.Properties[0].second;
  EXPECT_EQ(image.Properties[0].first, "ParamData");
  ASSERT_EQ(params.Type, vaCollection);
  ASSERT_EQ(params.Items.size(), 2u);
  ASSERT_EQ(params.Items[0].size(), 2u);
  EXPECT_EQ(params.Items[0][0].Value.Str, "ftDate");
  EXPECT_EQ(params.Items[0][1].Value.Type, vaDate);
  EXPECT_EQ(params.Items[0][1].Value.Float, 45000.25);
  EXPECT_TRUE(params.Items[1].empty());
  EXPECT_EQ(image.Properties[1].second.Int, 7);
}

TEST(ClassesReader, ItemPositionsAndCurrencyAreRead) {
  // Two items led by their positions (vaInt8 0, vaInt16 1); the second
  // holds 12.3456 as a currency amount.
  std::string currency = "\x10";
  const long long scaled = 123456;
  currency.append(reinterpret_cast<const char*>(&scaled), 8);
  const std::string value = std::string("\x0e\x02\x00\x01\x00", 5) + std::string("\x03\x01\x00\x01\x01V", 6) +
                            currency + std::string("\x00\x00", 2);
  const TComponentImage image = ReadTree(ImageWith(value));
  const TStreamValue& v = image.Properties.at(0).second;
  ASSERT_EQ(v.Items.size(), 2u);
  EXPECT_TRUE(v.Items[0].empty());
  ASSERT_EQ(v.Items[1].size(), 1u);
  EXPECT_EQ(v.Items[1][0].Value.Type, vaCurrency);
  EXPECT_EQ(v.Items[1][0].Value.Float, 12.3456L);
}

TEST(ClassesReader, MisplacedCollectionsAreRefused) {
  const struct {
    const char* What;
    std::string Value;
  } cases[] = {
      {"a collection in an item", std::string("\x0e\x01\x01N\x0e\x00\x00\x00", 8)},
      {"a collection in a list", std::string("\x01\x0e\x00\x00", 4)},
      {"an item without its list", std::string("\x0e\x06\x01x\x00", 5)},
      {"a position with no item", std::string("\x0e\x02\x00\x00", 4)},
      {"an item never ended", std::string("\x0e\x01\x01N\x02\x05", 6)},
      {"a date cut short", std::string("\x11\x00\x00", 3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_THROW(ReadTree(ImageWith(c.Value)), EReadError);
  }
  // A single image, as the grid's cell block reads it, holds none.
  TStringStream in(ImageWith(std::string("\x0e\x00", 2)));
  EXPECT_THROW(ReadComponentImage(in), EReadError);
}

}  // namespace
