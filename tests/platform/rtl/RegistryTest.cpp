#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Registry.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

std::vector<AnsiString> items(const TStrings& list) {
  std::vector<AnsiString> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

// Every test gets a store of its own in a temporary folder.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRegistryStoreRoot(cp1253::FromUtf8(folder.path())); }
  void TearDown() override { SetRegistryStoreRoot(""); }
  std::string keyPath(const std::string& utf8) const { return folder.path() + "/HKEY_CURRENT_USER/" + utf8; }
  TempFolder folder;
};

void expectRegistryError(const std::function<void()>& call, const AnsiString& message) {
  try {
    call();
    ADD_FAILURE() << "no exception, expected " << message;
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message, message);
  }
}

TEST_F(RegistryTest, RoundTripOfEveryType) {
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  ASSERT_TRUE(reg.OpenKey("RichPrn.Set\\Marges", true));
  EXPECT_EQ(reg.CurrentPath(), "RichPrn.Set\\Marges");
  reg.WriteFloat("MarginLeft", 25.4);
  reg.WriteInteger("CodeMeasurement", 1);
  reg.WriteInteger("Negative", -123456);
  reg.WriteBool("Flag", true);
  reg.WriteString("Title", "Τίτλος = \"x\"\r\n%20"_a);
  const unsigned char blob[] = {0, 1, 0xFF, 0x80, '\n'};
  reg.WriteBinaryData("Blob", blob, sizeof blob);
  reg.CloseKey();

  TRegistry other;
  ASSERT_TRUE(other.OpenKey("\\richprn.set\\MARGES", false));
  EXPECT_DOUBLE_EQ(other.ReadFloat("marginleft"), 25.4);
  EXPECT_EQ(other.ReadInteger("CODEMEASUREMENT"), 1);
  EXPECT_EQ(other.ReadInteger("Negative"), -123456);
  EXPECT_TRUE(other.ReadBool("Flag"));
  EXPECT_EQ(other.ReadString("Title"), "Τίτλος = \"x\"\r\n%20"_a);
  unsigned char back[8] = {};
  EXPECT_EQ(other.ReadBinaryData("Blob", back, sizeof back), 5);
  EXPECT_EQ(std::memcmp(back, blob, sizeof blob), 0);
  EXPECT_EQ(other.GetDataType("Blob"), rdBinary);
  EXPECT_EQ(other.GetDataSize("MarginLeft"), 8);
  EXPECT_EQ(other.GetDataSize("None"), -1);
  TStringList names;
  other.GetValueNames(&names);
  EXPECT_EQ(items(names),
            (std::vector<AnsiString>{"MarginLeft", "CodeMeasurement", "Negative", "Flag", "Title", "Blob"}));
}

TEST_F(RegistryTest, MissingValuesAndWrongTypesAsTheClassLibrary) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("K", true));
  reg.WriteString("Text", "abc");
  reg.WriteInteger("Number", 5);
  EXPECT_EQ(reg.ReadString("Missing"), "");
  unsigned char buffer[4];
  EXPECT_EQ(reg.ReadBinaryData("Missing", buffer, 4), 0);
  expectRegistryError([&] { reg.ReadInteger("Missing"); }, "Failed to get data for 'Missing'");
  expectRegistryError([&] { reg.ReadFloat("Missing"); }, "Failed to get data for 'Missing'");
  expectRegistryError([&] { reg.ReadBool("Missing"); }, "Failed to get data for 'Missing'");
  expectRegistryError([&] { reg.ReadInteger("Text"); }, "Invalid data type for 'Text'");
  expectRegistryError([&] { reg.ReadString("Number"); }, "Invalid data type for 'Number'");
  expectRegistryError([&] { reg.ReadFloat("Number"); }, "Invalid data type for 'Number'");
  reg.WriteBinaryData("Big", "0123456789", 10);
  expectRegistryError([&] { reg.ReadBinaryData("Big", buffer, 4); }, "Invalid data type for 'Big'");
  // Writing a value again replaces it, with its new type.
  reg.WriteString("Number", "now text");
  EXPECT_EQ(reg.ReadString("number"), "now text");
  reg.CloseKey();
  expectRegistryError([&] { reg.WriteString("x", "y"); }, "Failed to set data for 'x'");
  EXPECT_EQ(reg.ReadString("Text"), "");
  EXPECT_FALSE(reg.ValueExists("Text"));
}

TEST_F(RegistryTest, KeysOpenCreateAndDelete) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("Software\\Missing", false));
  EXPECT_FALSE(reg.HasCurrentKey());
  EXPECT_FALSE(reg.KeyExists("Software"));
  ASSERT_TRUE(reg.OpenKey("Software", true));
  ASSERT_TRUE(reg.OpenKey("Sub\\Deeper", true));  // relative to the open key
  EXPECT_EQ(reg.CurrentPath(), "Software\\Sub\\Deeper");
  reg.WriteInteger("v", 1);
  ASSERT_TRUE(reg.OpenKey("\\Software", false));
  EXPECT_TRUE(reg.KeyExists("SUB\\deeper"));
  EXPECT_TRUE(reg.KeyExists("\\software\\sub"));
  EXPECT_TRUE(reg.CreateKey("Another"));
  EXPECT_TRUE(reg.CreateKey("aardvark"));
  TStringList names;
  reg.GetKeyNames(&names);
  EXPECT_EQ(items(names), (std::vector<AnsiString>{"aardvark", "Another", "Sub"}));
  EXPECT_TRUE(reg.HasSubKeys());
  EXPECT_TRUE(reg.DeleteKey("sub"));  // with everything below it
  EXPECT_FALSE(reg.KeyExists("Sub"));
  EXPECT_FALSE(reg.DeleteKey("Sub"));
  EXPECT_FALSE(reg.DeleteKey("\\"));
  EXPECT_TRUE(std::filesystem::is_directory(keyPath("Software/Another")));
}

TEST_F(RegistryTest, AnyKeyOrValueNameIsStoredSafely) {
  TRegistry reg;
  const AnsiString odd[] = {"a/b", "..", ".hidden", "100%", "tab\there", "Ελληνικά"_a, "\x81\xFF"};
  ASSERT_TRUE(reg.OpenKey("Odd", true));
  for (const AnsiString& name : odd) {
    ASSERT_TRUE(reg.CreateKey(name)) << name;
    reg.WriteString(name, name);
  }
  reg.WriteString("a=b\r\n", "v");
  TStringList keys;
  reg.GetKeyNames(&keys);
  EXPECT_EQ(keys.Count(), 7);
  for (const AnsiString& name : odd) {
    EXPECT_GE(keys.IndexOf(name), 0) << name;
    EXPECT_EQ(reg.ReadString(name), name);
  }
  EXPECT_EQ(reg.ReadString("A=B\r\n"), "v");
  // Nothing escaped the store.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path()))
    EXPECT_EQ(entry.path().string().rfind(folder.path(), 0), 0u);
  EXPECT_TRUE(std::filesystem::is_directory(keyPath("Odd/a%2Fb")));
}

TEST_F(RegistryTest, DeleteValue) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("K", true));
  reg.WriteInteger("a", 1);
  reg.WriteInteger("b", 2);
  EXPECT_TRUE(reg.DeleteValue("A"));
  EXPECT_FALSE(reg.DeleteValue("a"));
  EXPECT_FALSE(reg.ValueExists("a"));
  EXPECT_TRUE(reg.ValueExists("B"));
}

TEST_F(RegistryTest, DamagedValuesFileKeepsTheWholeLines) {
  std::filesystem::create_directories(keyPath("K"));
  std::ofstream(keyPath("K/.values"), std::ios::binary)
      << "garbage\r\ndword:n=12\r\ndword:bad=x1\r\nsz:s=ok%0D%0A\r\nsz:broken=%G1\r\nbinary:b=0aFF\r\nbinary:"
         "odd=abc\r\n"
      << std::string("\0\xFF\x01", 3) << "\r\nnope:t=1\r\n";
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("k", false));
  TStringList names;
  reg.GetValueNames(&names);
  EXPECT_EQ(items(names), (std::vector<AnsiString>{"n", "s", "b"}));
  EXPECT_EQ(reg.ReadInteger("n"), 12);
  EXPECT_EQ(reg.ReadString("s"), "ok\r\n");
  unsigned char b[2];
  EXPECT_EQ(reg.ReadBinaryData("b", b, 2), 2);
  EXPECT_EQ(b[1], 0xFF);
}

TEST_F(RegistryTest, RootKeysAreSeparate) {
  TRegistry user;
  ASSERT_TRUE(user.OpenKey("Shared", true));
  user.WriteInteger("v", 1);
  TRegistry machine;
  machine.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(machine.KeyExists("Shared"));
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() + "/HKEY_CURRENT_USER/Shared"));
}

TEST(RegistryStore, DefaultsToTheUserSettingsFolder) {
  TempFolder folder;
  ScopedEnv settings("XDG_CONFIG_HOME", folder.path());
  SetRegistryStoreRoot("");
  EXPECT_EQ(RegistryStoreRoot(), folder / "dimoprasia/registry/");
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("RichPrn.Set\\Compress", true));
    reg.WriteBool("CompressPreview", false);
  }
  EXPECT_TRUE(std::filesystem::exists(folder.path() +
                                      "/dimoprasia/registry/HKEY_CURRENT_USER/RichPrn.Set/Compress/.values"));
}

TEST_F(RegistryTest, RegistryIniFile) {
  {
    TRegistryIniFile ini("Software\\Grid");
    EXPECT_EQ(ini.ReadInteger("Widths", "Col0", 64), 64);
    EXPECT_FALSE(ini.SectionExists("Widths"));
    ini.WriteInteger("Widths", "Col0", 100);
    ini.WriteFloat("Marges", "MarginLeft", 12.75);
    ini.WriteString("Marges", "Name", "Όνομα"_a);
    ini.WriteBool("Compress", "CompressPreview", true);
  }
  TRegistryIniFile ini("software\\grid");
  EXPECT_EQ(ini.ReadInteger("WIDTHS", "col0", 0), 100);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Marges", "MarginLeft", 0), 12.75);
  EXPECT_EQ(ini.ReadString("Marges", "Name", ""), "Όνομα"_a);
  EXPECT_EQ(ini.ReadString("Widths", "Col0", ""), "100");
  EXPECT_TRUE(ini.ReadBool("Compress", "CompressPreview", false));
  EXPECT_EQ(ini.ReadInteger("Marges", "Name", 7), 7);
  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(items(list), (std::vector<AnsiString>{"Compress", "Marges", "Widths"}));
  ini.ReadSectionValues("Widths", &list);
  EXPECT_EQ(items(list), (std::vector<AnsiString>{"Col0=100"}));
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Grid\\Widths", false));
  EXPECT_EQ(reg.GetDataType("Col0"), rdInteger);
  // A value kept as text stays text.
  reg.WriteString("Col1", "5");
  ini.WriteInteger("Widths", "Col1", 6);
  EXPECT_EQ(reg.GetDataType("Col1"), rdString);
  EXPECT_EQ(ini.ReadInteger("Widths", "Col1", 0), 6);
  ini.DeleteKey("Widths", "Col1");
  EXPECT_FALSE(ini.ValueExists("Widths", "Col1"));
  ini.EraseSection("Marges");
  EXPECT_FALSE(ini.SectionExists("Marges"));
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Marges", "MarginLeft", -1), -1);
}

}  // namespace
