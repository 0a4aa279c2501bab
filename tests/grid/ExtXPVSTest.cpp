#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "grid/ExtXPVS.h"

namespace {

// A stand-in library that offers every name but one (or all) and counts
// how often it was opened and closed.
struct FakeLibrary {
  static inline int opens = 0, closes = 0;
  static inline std::string missing;
  static inline std::vector<std::string> lookedUp;
  static inline int handle = 0;
  static BOOL Active() { return 1; }
  static void* Open(const char* name) {
    if (std::string(name) != "UXTHEME.DLL") return nullptr;
    ++opens;
    return &handle;
  }
  static void* Lookup(void* library, const char* name) {
    EXPECT_EQ(library, &handle);
    lookedUp.push_back(name);
    if (name == missing) return nullptr;
    if (std::string(name) == "IsThemeActive") return reinterpret_cast<void*>(&Active);
    return &handle;
  }
  static void Close(void* library) {
    EXPECT_EQ(library, &handle);
    ++closes;
  }
  static void Reset(const std::string& missingName) {
    opens = closes = 0;
    missing = missingName;
    lookedUp.clear();
  }
};

// The unit's start-up has run once already; each test starts from zero
// references and puts that one back.
class ThemeApiTest : public ::testing::Test {
 protected:
  void SetUp() override { FreeThemeLibrary(); }
  void TearDown() override {
    while (ThemeLibraryLoaded()) FreeThemeLibrary();
    SetThemeLibraryLoader(SystemThemeLibraryLoader());
    InitThemeLibrary();
  }
};

TEST_F(ThemeApiTest, ThisSystemHasNoThemes) {
  InitThemeLibrary();
  EXPECT_FALSE(ThemeLibraryLoaded());
  EXPECT_FALSE(ThemedLookActive());
  EXPECT_EQ(OpenThemeData, nullptr);
  EXPECT_EQ(IsThemeActive, nullptr);
  EXPECT_EQ(EnableTheming, nullptr);
  FreeThemeLibrary();
}

TEST_F(ThemeApiTest, BindsAllNamesInOrderAndLoadsOnce) {
  FakeLibrary::Reset("");
  SetThemeLibraryLoader({&FakeLibrary::Open, &FakeLibrary::Lookup, &FakeLibrary::Close});
  InitThemeLibrary();
  InitThemeLibrary();
  EXPECT_EQ(FakeLibrary::opens, 1);
  ASSERT_TRUE(ThemeLibraryLoaded());
  // Every name once, from the first to the last of the library's table.
  const std::vector<std::string>& names = FakeLibrary::lookedUp;
  EXPECT_EQ(names.size(), 45u);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  EXPECT_EQ(names.front(), "OpenThemeData");
  EXPECT_EQ(names.back(), "EnableTheming");
  EXPECT_NE(DrawThemeBackground, nullptr);
  EXPECT_NE(EnableTheming, nullptr);
  EXPECT_TRUE(ThemedLookActive());
  FreeThemeLibrary();
  EXPECT_TRUE(ThemeLibraryLoaded());
  EXPECT_EQ(FakeLibrary::closes, 0);
  FreeThemeLibrary();
  EXPECT_FALSE(ThemeLibraryLoaded());
  EXPECT_EQ(FakeLibrary::closes, 1);
  EXPECT_EQ(DrawThemeBackground, nullptr);
  FreeThemeLibrary();  // one shutdown too many changes nothing
  EXPECT_EQ(FakeLibrary::closes, 1);
}

TEST_F(ThemeApiTest, AMissingNameMeansNoThemes) {
  for (const char* missing : {"OpenThemeData", "GetThemeSysFont", "EnableTheming"}) {
    FakeLibrary::Reset(missing);
    SetThemeLibraryLoader({&FakeLibrary::Open, &FakeLibrary::Lookup, &FakeLibrary::Close});
    InitThemeLibrary();
    EXPECT_FALSE(ThemeLibraryLoaded()) << missing;
    EXPECT_FALSE(ThemedLookActive());
    EXPECT_EQ(FakeLibrary::closes, 1) << missing;
    EXPECT_EQ(OpenThemeData, nullptr);
    EXPECT_EQ(IsThemeActive, nullptr);
    FreeThemeLibrary();
  }
}

}  // namespace
