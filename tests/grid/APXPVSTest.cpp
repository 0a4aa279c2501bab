#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/APXPVS.h"
#include "tests/grid/PanelFixture.h"

namespace {

// A theme library that offers every name but one and draws by recording
// the parts asked for.
struct FakeTheme {
  static inline std::string missing;
  static inline std::vector<std::string> lookedUp;
  static inline std::vector<std::pair<int, TRect>> drawn;
  static inline int handle = 0;
  static inline BOOL active = 1;
  static BOOL IsActive() { return active; }
  static HTHEME Open(HWND, LPCWSTR cls) { return std::u16string(cls) == u"window" ? &handle : nullptr; }
  static HRESULT Close(HTHEME) { return 0; }
  static HRESULT Draw(HTHEME theme, HDC, int part, int, const RECT* r, const RECT*) {
    EXPECT_EQ(theme, &handle);
    drawn.push_back({part, *r});
    return 0;
  }
  static void Unused() { ADD_FAILURE() << "an entry point the panel does not use was called"; }
  static void* OpenLibrary(const char*) { return &handle; }
  static void* Lookup(void*, const char* name) {
    lookedUp.push_back(name);
    const std::string n = name;
    if (n == missing) return nullptr;
    if (n == "IsThemeActive") return reinterpret_cast<void*>(&IsActive);
    if (n == "OpenThemeData") return reinterpret_cast<void*>(&Open);
    if (n == "CloseThemeData") return reinterpret_cast<void*>(&Close);
    if (n == "DrawThemeBackground") return reinterpret_cast<void*>(&Draw);
    return reinterpret_cast<void*>(&Unused);
  }
  static void CloseLibrary(void*) {}
};

class APXPVSTest : public ExtPanelTest {
 protected:
  void Load(const std::string& missing) {
    FakeTheme::missing = missing;
    FakeTheme::lookedUp.clear();
    APXPVS::FreeThemeLibrary();
    SetThemeLibraryLoader({&FakeTheme::OpenLibrary, &FakeTheme::Lookup, &FakeTheme::CloseLibrary});
    APXPVS::InitThemeLibrary();
  }
  void TearDown() override {
    APXPVS::FreeThemeLibrary();
    SetThemeLibraryLoader(SystemThemeLibraryLoader());
    APXPVS::InitThemeLibrary();
    ExtPanelTest::TearDown();
  }
};

TEST_F(APXPVSTest, BindsItsFortySixNamesInOrder) {
  EXPECT_FALSE(APXPVS::ThemeLibraryAvailable());  // this system has none
  EXPECT_EQ(APXPVS::OpenThemeData, nullptr);
  Load("");
  ASSERT_TRUE(APXPVS::ThemeLibraryAvailable());
  ASSERT_EQ(FakeTheme::lookedUp.size(), 46u);
  EXPECT_EQ(FakeTheme::lookedUp.front(), "OpenThemeData");
  EXPECT_EQ(FakeTheme::lookedUp[42], "GetThemeDocumentationProperty");
  EXPECT_EQ(FakeTheme::lookedUp[43], "GetThemePartSize");
  EXPECT_EQ(FakeTheme::lookedUp.back(), "EnableTheming");
  EXPECT_NE(APXPVS::GetThemePartSize, nullptr);
  EXPECT_EQ(OpenThemeData, nullptr);  // the grid's own binding is apart
}

TEST_F(APXPVSTest, ALibraryLackingANameMeansNoThemes) {
  Load("GetThemePartSize");
  EXPECT_FALSE(APXPVS::ThemeLibraryAvailable());
  EXPECT_EQ(APXPVS::OpenThemeData, nullptr);
  EXPECT_EQ(APXPVS::GetThemePartSize, nullptr);
}

TEST_F(APXPVSTest, AThemedCaptionDrawsTheWindowsPartsAndFallsBackWithoutThemes) {
  panel->Caption().SetShadeType(stXPCaption);
  panel->Caption().SetCloseButton(true);
  panel->Caption().SetMinMaxButton(true);
  ShowForm();
  Load("");
  FakeTheme::drawn.clear();
  Record();
  // The caption over the bar grown by a pixel, the close button (part 18)
  // and the minimise button (part 15) in 14 x 14 squares; 16-pixel buttons.
  EXPECT_EQ(FakeTheme::drawn, (std::vector<std::pair<int, TRect>>{{1, Rect(0, 0, 451, 25)},
                                                                  {18, Bounds(450 - 16, 5, 14, 14)},
                                                                  {15, Bounds(450 - 14 - 16, 5, 14, 14)}}));
  EXPECT_EQ(panel->CloseButtonRect().Width(), 16);
  FakeTheme::active = 0;
  FakeTheme::drawn.clear();
  Record();
  EXPECT_TRUE(FakeTheme::drawn.empty());
  EXPECT_EQ(panel->CloseButtonRect().Width(), 12);
  FakeTheme::active = 1;
}

}  // namespace
