// The themed look of csTheme check boxes and radios and of the editors,
// with no theme library (this system) and with a stand-in one.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../TestOutput.h"
#include "GridFixture.h"
#include "grid/ExtGridEditors.h"
#include "grid/ThemeApi.h"

namespace {

// A theme library that offers every name and records what is drawn.
struct RecordingTheme {
  struct Drawn {
    std::u16string ThemeClass;
    int Part, State;
    TRect Rect;
  };
  static inline std::vector<Drawn> drawn;
  static inline std::u16string opened;
  static inline int handle = 0;
  static BOOL Active() { return 1; }
  static HTHEME Open(HWND, LPCWSTR name) {
    opened = name;
    return &handle;
  }
  static HRESULT Close(HTHEME) { return 0; }
  static HRESULT Draw(HTHEME, HDC hdc, int part, int state, const RECT* rect, const RECT*) {
    drawn.push_back({opened, part, state, *rect});
    hdc->Brush->Color = clBlack;
    hdc->FillRect(*rect);
    return 0;
  }
  static void* Library(const char*) { return &handle; }
  static void* Lookup(void*, const char* name) {
    const std::string n = name;
    if (n == "IsThemeActive") return reinterpret_cast<void*>(&Active);
    if (n == "OpenThemeData") return reinterpret_cast<void*>(&Open);
    if (n == "CloseThemeData") return reinterpret_cast<void*>(&Close);
    if (n == "DrawThemeBackground") return reinterpret_cast<void*>(&Draw);
    return &handle;
  }
  static void CloseLibrary(void*) {}
};

class ExtGridThemedLookTest : public GridFormTest {
 protected:
  TExtStringGrid& ThemedChecks() {
    auto& g = MakeGrid<TExtStringGrid>(4, 3);
    g.SetOptions(g.Options() + TGridOptions{goEditing});
    g.ControlLook().SetControlStyle(csTheme);
    g.AddCheckBox(1, 2, true, false);
    g.AddCheckBox(2, 2, false, false);
    return g;
  }
  // Pixels of the cell that are not the cell's white.
  int Marked(const TImageCanvas& shot, TExtStringGrid& g, int ACol, int ARow) {
    const TRect cell = g.CellRect(ACol, ARow);
    int marked = 0;
    for (int y = cell.Top + 1; y < cell.Bottom - 1; ++y)
      for (int x = cell.Left + 1; x < cell.Right - 1; ++x)
        if (shot.Pixel(10 + x, 10 + y) != clWhite) ++marked;
    return marked;
  }
};

TEST_F(ExtGridThemedLookTest, ThemeCheckBoxesShowWithoutATheme) {
  auto& g = ThemedChecks();
  EXPECT_FALSE(g.ThemedLook());
  const TImageCanvas* shot = backend->Render(*form);
  ASSERT_NE(shot, nullptr);
  backend->SaveWindowPng(*form, (TestOutputFolder() / "theme_checks.png").string());
  const int checked = Marked(*shot, g, 1, 2), unchecked = Marked(*shot, g, 2, 2);
  EXPECT_GT(unchecked, 40);       // a framed box
  EXPECT_GT(checked, unchecked);  // and a tick in it
  EXPECT_EQ(Marked(*shot, g, 3, 2), 0);
  // They still toggle, and show it.
  g.SetFocus();
  g.SetCol(2);
  g.SetRow(2);
  backend->PressKey(VK_SPACE);
  bool state = false;
  ASSERT_TRUE(g.GetCheckBoxState(2, 2, state));
  EXPECT_TRUE(state);
  g.SetRow(1);
  shot = backend->Render(*form);
  EXPECT_EQ(Marked(*shot, g, 2, 2), checked);
}

TEST_F(ExtGridThemedLookTest, ThemeRadiosShowWithoutATheme) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.ControlLook().SetControlStyle(csTheme);
  TStringList choices;
  choices.Add("");
  choices.Add("");
  g.AddRadio(1, 1, true, choices, 0);
  g.SetRowHeights(1, 30);
  const TImageCanvas* shot = backend->Render(*form);
  ASSERT_NE(shot, nullptr);
  EXPECT_GT(Marked(*shot, g, 1, 1), 40);
}

class ExtGridThemedLibraryTest : public ExtGridThemedLookTest {
 protected:
  void SetUp() override {
    ExtGridThemedLookTest::SetUp();
    FreeThemeLibrary();
    SetThemeLibraryLoader({&RecordingTheme::Library, &RecordingTheme::Lookup, &RecordingTheme::CloseLibrary});
    InitThemeLibrary();
    RecordingTheme::drawn.clear();
  }
  void TearDown() override {
    ExtGridThemedLookTest::TearDown();
    while (ThemeLibraryLoaded()) FreeThemeLibrary();
    SetThemeLibraryLoader(SystemThemeLibraryLoader());
    InitThemeLibrary();
  }
};

TEST_F(ExtGridThemedLibraryTest, ChecksAreDrawnByTheThemeAndEditorsTakeTheLook) {
  auto& g = ThemedChecks();
  ASSERT_TRUE(g.ThemedLook());
  EXPECT_TRUE(g.Combo()->IsWinXP());
  EXPECT_TRUE(g.UniCombo()->IsWinXP());
  EXPECT_TRUE(g.Spin()->Button()->UpButton()->IsWinXP);
  EXPECT_TRUE(g.Spin()->Button()->DownButton()->IsWinXP);
  EXPECT_TRUE(g.EditBtn()->EditButton()->Button()->IsWinXP);
  EXPECT_TRUE(g.UnitEditBtn()->EditButton()->Button()->IsWinXP);
  const TImageCanvas* shot = backend->Render(*form);
  ASSERT_NE(shot, nullptr);
  std::vector<std::pair<int, int>> parts;
  for (const auto& d : RecordingTheme::drawn) {
    EXPECT_EQ(d.ThemeClass, u"button");
    EXPECT_EQ(d.Rect.Right - d.Rect.Left, g.ControlLook().CheckSize());
    parts.emplace_back(d.Part, d.State);
  }
  EXPECT_EQ(parts, (std::vector<std::pair<int, int>>{{3, 5}, {3, 1}}));
}

TEST_F(ExtGridThemedLibraryTest, SpinButtonsDrawTheThemesSpinParts) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.Spin()->SetBounds(0, 0, 80, 22);
  g.Spin()->SetVisible(true);
  g.Spin()->SetEnabled(true);
  backend->Render(*form);
  std::vector<std::pair<std::u16string, int>> parts;
  for (const auto& d : RecordingTheme::drawn) parts.emplace_back(d.ThemeClass, d.Part);
  EXPECT_NE(std::find(parts.begin(), parts.end(), std::make_pair(std::u16string(u"spin"), 1)), parts.end());
  EXPECT_NE(std::find(parts.begin(), parts.end(), std::make_pair(std::u16string(u"spin"), 2)), parts.end());
}

}  // namespace
