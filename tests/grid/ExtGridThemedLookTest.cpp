// The themed look of csTheme check boxes and radios and of the editors,
// with no theme library (this system) and with a stand-in one.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../TestOutput.h"
#include "GridFixture.h"
#include "HTMLTestSupport.h"
#include "grid/ExtGridEditors.h"
#include "grid/ExtXPVS.h"

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

// The edit-button editor open on a cell, its button's place on the form.
struct OpenEditButton {
  TExtSpeedButton* button;
  TRect onForm;
};

OpenEditButton OpenEditButtonEditor(TExtStringGrid& g, TForm& form, THeadlessBackend& backend) {
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.OnGetEditorType = [](TObject*, int, int, TEditorType& e) { e = edEditBtn; };
  g.SetColWidths(1, 120);
  g.SetRowHeights(1, 26);
  g.SetFocus();
  g.SetCol(1);
  g.SetRow(1);
  backend.PressKey(VK_F2);
  Application->ProcessMessages();
  TExtSpeedButton* button = g.EditBtn()->EditButton()->Button();
  const TPoint at = form.ScreenToClient(button->ClientToScreen(Point(0, 0)));
  return {button, Bounds(at.X, at.Y, button->Width(), button->Height())};
}

// Pixels of a rectangle of the shot darker than mid-grey.
int DarkPixels(const TImageCanvas& shot, const TRect& r) {
  int dark = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      const TColor c = shot.Pixel(x, y);
      if ((c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF) < 3 * 100) ++dark;
    }
  return dark;
}

// Asked to look themed where no theme draws, the edit button draws its
// own themed face: a dark blue rounded frame round a face that shades from
// white down to grey, with its "..." on it; unthemed it is the classic
// raised button.
TEST_F(ExtGridThemedLookTest, EditButtonDrawsItsThemedFaceWithoutATheme) {
  for (bool themed : {false, true}) {
    SCOPED_TRACE(themed);
    auto& g = MakeGrid<TExtStringGrid>(4, 3);
    g.EditBtn()->SetIsWinXP(themed);
    g.UnitEditBtn()->SetIsWinXP(themed);
    const OpenEditButton open = OpenEditButtonEditor(g, *form, *backend);
    ASSERT_TRUE(g.EditBtn()->Visible());
    EXPECT_EQ(open.button->Caption(), "...");
    const TRect r = open.onForm;
    ASSERT_GT(r.Width(), 10);
    ASSERT_GT(r.Height(), 10);
    const TImageCanvas* shot = backend->Render(*form);
    ASSERT_NE(shot, nullptr);
    backend->SaveWindowPng(
        *form,
        (TestOutputFolder() / (themed ? "edit_button_themed.png" : "edit_button_classic.png")).string());
    const int midY = (r.Top + r.Bottom) / 2, midX = (r.Left + r.Right) / 2;
    const TColor frame = RGB(0, 60, 116);
    if (themed) {
      // The frame down both sides and along top and bottom, the corners
      // rounded off.
      EXPECT_EQ(shot->Pixel(r.Left, midY), frame);
      EXPECT_EQ(shot->Pixel(r.Right - 1, midY), frame);
      EXPECT_EQ(shot->Pixel(midX, r.Top), frame);
      EXPECT_EQ(shot->Pixel(midX, r.Bottom - 1), frame);
      EXPECT_NE(shot->Pixel(r.Left, r.Top), frame);
      // White at the top of the face, grey at its bottom.
      EXPECT_EQ(shot->Pixel(r.Left + 2, r.Top + 1), clWhite);
      const TColor low = shot->Pixel(r.Left + 2, r.Bottom - 2);
      EXPECT_LT(low & 0xFF, 0xE0);
      EXPECT_GT(low & 0xFF, 0xB0);
    } else {
      EXPECT_NE(shot->Pixel(r.Left, midY), frame);
      EXPECT_NE(shot->Pixel(r.Right - 1, midY), frame);
    }
    // The three dots of the caption stand in the middle of the face.
    const int dots = DarkPixels(*shot, InflateRect(r, -2, -2));
    EXPECT_GE(dots, 3);
    EXPECT_LT(dots, r.Width() * r.Height() / 4);
  }
}

// The place of a control on the form.
TRect OnForm(TControl& control, TForm& form) {
  const TPoint at = form.ScreenToClient(control.ClientToScreen(Point(0, 0)));
  return Bounds(at.X, at.Y, control.Width(), control.Height());
}

// Pixels of a rectangle of the shot in one colour.
int PixelsOf(const TImageCanvas& shot, const TRect& r, TColor colour) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) n += shot.Pixel(x, y) == colour;
  return n;
}

// The spin editor and the combo shown on a grid, in the themed look or not.
struct SpinAndCombo {
  TGridSpin* spin;
  TGridCombo* combo;
};

SpinAndCombo ShowSpinAndCombo(TExtStringGrid& g, bool themed) {
  g.SetColWidths(1, 120);
  TGridSpin* spin = g.Spin();
  TGridCombo* combo = g.Combo();
  spin->SetIsWinXP(themed);
  combo->SetIsWinXP(themed);
  spin->SetBounds(4, 4, 80, 24);
  combo->SetBounds(4, 40, 100, 22);
  for (TWinControl* c : std::initializer_list<TWinControl*>{spin, combo}) {
    c->SetEnabled(true);
    c->SetVisible(true);
  }
  Application->ProcessMessages();
  return {spin, combo};
}

const TColor kThemedFrame = RGB(0, 60, 116);
const TColor kThemedArrow = RGB(77, 97, 133);

// Asked to look themed where no theme draws, the spin editor's two buttons
// and the combo's drop-down button take the themed face (the dark blue
// rounded frame) with the themed arrow in it; unthemed they keep the
// classic arrows in black.
TEST_F(ExtGridThemedLookTest, SpinAndComboArrowsLookThemedWithoutATheme) {
  for (bool themed : {false, true}) {
    SCOPED_TRACE(themed);
    auto& g = MakeGrid<TExtStringGrid>(4, 4);
    ASSERT_FALSE(g.ThemedLook());
    const SpinAndCombo shown = ShowSpinAndCombo(g, themed);
    const TImageCanvas* shot = backend->Render(*form);
    ASSERT_NE(shot, nullptr);
    backend->SaveWindowPng(
        *form, (TestOutputFolder() / (themed ? "spin_combo_themed.png" : "spin_combo_classic.png")).string());
    const TRect up = OnForm(*shown.spin->Button()->UpButton(), *form);
    const TRect down = OnForm(*shown.spin->Button()->DownButton(), *form);
    const TRect combo = OnForm(*shown.combo, *form);
    const TRect comboButton = {combo.Right - shown.combo->ButtonWidth() - 2, combo.Top, combo.Right,
                               combo.Bottom};
    for (const TRect& r : {up, down, comboButton}) {
      ASSERT_GT(r.Width(), 6);
      ASSERT_GT(r.Height(), 6);
      if (themed) {
        // The frame round the face and a whole arrow of 4 rows: 7+5+3+1.
        EXPECT_GT(PixelsOf(*shot, r, kThemedFrame), r.Height());
        EXPECT_EQ(PixelsOf(*shot, r, kThemedArrow), 16);
        EXPECT_EQ(PixelsOf(*shot, r, clBlack), 0);
      } else {
        EXPECT_EQ(PixelsOf(*shot, r, kThemedFrame), 0);
        EXPECT_EQ(PixelsOf(*shot, r, kThemedArrow), 0);
        EXPECT_GT(PixelsOf(*shot, r, clBlack), 3);
      }
    }
    if (themed) {
      // The up arrow's point is above its base, the down arrow's below.
      auto firstRowOf = [&](const TRect& r) {
        for (int y = r.Top; y < r.Bottom; ++y)
          if (PixelsOf(*shot, {r.Left, y, r.Right, y + 1}, kThemedArrow) > 0)
            return PixelsOf(*shot, {r.Left, y, r.Right, y + 1}, kThemedArrow);
        return 0;
      };
      EXPECT_EQ(firstRowOf(up), 1);
      EXPECT_EQ(firstRowOf(down), 7);
      EXPECT_EQ(firstRowOf(comboButton), 7);
    }
  }
}

// Switching the look of shown editors repaints them at once, back and forth.
TEST_F(ExtGridThemedLookTest, SwitchingTheLookRepaintsTheShownEditors) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  const SpinAndCombo shown = ShowSpinAndCombo(g, false);
  ASSERT_NE(backend->Render(*form), nullptr);
  const TRect spin = OnForm(*shown.spin->Button(), *form);
  const TRect combo = OnForm(*shown.combo, *form);
  for (bool themed : {true, false, true}) {
    SCOPED_TRACE(themed);
    shown.spin->SetIsWinXP(themed);
    shown.combo->SetIsWinXP(themed);
    const TImageCanvas* shot = backend->Render(*form);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(PixelsOf(*shot, spin, kThemedArrow), themed ? 32 : 0);
    EXPECT_EQ(PixelsOf(*shot, combo, kThemedArrow), themed ? 16 : 0);
  }
}

// A picture given in place of the spin arrow is drawn on the themed face
// instead of the themed arrow.
TEST_F(ExtGridThemedLookTest, SpinPictureStaysOnTheThemedFace) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  TBitmap picture;
  picture.SetSize(5, 5);
  // Red, with the key colour in the bottom-left corner.
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) picture.SetPixel(x, y, x == 0 && y == 4 ? clWhite : clRed);
  g.Spin()->Button()->SetUpGlyph(picture);
  const SpinAndCombo shown = ShowSpinAndCombo(g, true);
  const TImageCanvas* shot = backend->Render(*form);
  ASSERT_NE(shot, nullptr);
  const TRect up = OnForm(*shown.spin->Button()->UpButton(), *form);
  const TRect down = OnForm(*shown.spin->Button()->DownButton(), *form);
  EXPECT_GT(PixelsOf(*shot, up, clRed), 10);
  EXPECT_EQ(PixelsOf(*shot, up, kThemedArrow), 0);
  EXPECT_GT(PixelsOf(*shot, up, kThemedFrame), up.Height());
  EXPECT_EQ(PixelsOf(*shot, down, kThemedArrow), 16);
  // An empty picture puts the themed arrow back.
  g.Spin()->Button()->SetUpGlyph(TBitmap());
  shown.spin->Button()->UpButton()->Invalidate();
  shot = backend->Render(*form);
  EXPECT_EQ(PixelsOf(*shot, up, clRed), 0);
  EXPECT_EQ(PixelsOf(*shot, up, kThemedArrow), 16);
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

// With a theme, button cells are the theme's push button, pressed while the
// mouse holds them down.
TEST_F(ExtGridThemedLibraryTest, ButtonCellsAreTheThemesPushButton) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  ASSERT_TRUE(g.ThemedLook());
  g.SetRowHeights(1, 24);
  g.SetRowHeights(2, 24);
  const TCellType kinds[] = {ctButton, ctBitButton};
  for (int i = 0; i < 2; ++i) {
    TCellGraphic* button = g.CreateCellGraphic(1, 1 + i);
    button->CellType = kinds[i];
    button->CellIndex = 50 | (18 << 16);
    button->CellText = "Go";
  }
  auto drawn = [&] {
    RecordingTheme::drawn.clear();
    g.Invalidate();
    const TImageCanvas* shot = backend->Render(*form);
    std::vector<std::pair<int, int>> parts;
    for (const auto& d : RecordingTheme::drawn) {
      EXPECT_EQ(d.ThemeClass, u"button");
      EXPECT_EQ(d.Rect.Right - d.Rect.Left, 50);
      EXPECT_EQ(d.Rect.Bottom - d.Rect.Top, 18);
      // The stand-in theme fills what it draws black.
      EXPECT_EQ(shot->Pixel(g.Left() + d.Rect.Left + 1, g.Top() + d.Rect.Top + 1), clBlack);
      parts.emplace_back(d.Part, d.State);
    }
    return parts;
  };
  EXPECT_EQ(drawn(), (std::vector<std::pair<int, int>>{{1, 1}, {1, 1}}));
  const TRect place = g.GetButtonRect(1, 2);
  ASSERT_FALSE(place.IsEmpty());
  backend->PressMouse(g, place.Left + 3, place.Top + 3);
  EXPECT_EQ(drawn(), (std::vector<std::pair<int, int>>{{1, 1}, {1, 3}}));
  backend->ReleaseMouse(g, place.Left + 3, place.Top + 3);
  EXPECT_EQ(drawn(), (std::vector<std::pair<int, int>>{{1, 1}, {1, 1}}));
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

// With a theme, the spin's and the combo's buttons are the theme's parts
// and nothing of the hand-drawn look is drawn over them.
TEST_F(ExtGridThemedLibraryTest, SpinAndComboArrowsAreTheThemesParts) {
  auto& g = MakeGrid<TExtStringGrid>(4, 4);
  ASSERT_TRUE(g.ThemedLook());
  const SpinAndCombo shown = ShowSpinAndCombo(g, true);
  const TImageCanvas* shot = backend->Render(*form);
  ASSERT_NE(shot, nullptr);
  backend->SaveWindowPng(*form, (TestOutputFolder() / "spin_combo_theme_library.png").string());
  std::vector<std::pair<std::u16string, int>> parts;
  for (const auto& d : RecordingTheme::drawn) parts.emplace_back(d.ThemeClass, d.Part);
  for (const auto& part :
       {std::make_pair(std::u16string(u"spin"), 1), std::make_pair(std::u16string(u"spin"), 2),
        std::make_pair(std::u16string(u"combobox"), 1)})
    EXPECT_NE(std::find(parts.begin(), parts.end(), part), parts.end());
  for (TControl* c : std::initializer_list<TControl*>{shown.spin->Button(), shown.combo}) {
    const TRect r = OnForm(*c, *form);
    EXPECT_EQ(PixelsOf(*shot, r, kThemedArrow), 0);
    EXPECT_EQ(PixelsOf(*shot, r, kThemedFrame), 0);
  }
}

// With a theme, the edit button's face is the theme's push button: normal,
// hot under the mouse, pressed while held.
TEST_F(ExtGridThemedLibraryTest, EditButtonIsTheThemesPushButton) {
  auto& g = MakeGrid<TExtStringGrid>(4, 3);
  ASSERT_TRUE(g.ThemedLook());
  const OpenEditButton open = OpenEditButtonEditor(g, *form, *backend);
  TExtSpeedButton& button = *open.button;
  ASSERT_TRUE(g.EditBtn()->Visible());
  ASSERT_TRUE(button.IsWinXP);
  auto statesDrawn = [&] {
    RecordingTheme::drawn.clear();
    button.Invalidate();
    backend->Render(*form);
    std::vector<int> states;
    for (const auto& d : RecordingTheme::drawn)
      if (d.ThemeClass == u"button" && d.Part == 1) {
        EXPECT_EQ(d.Rect.Right - d.Rect.Left, button.Width());
        EXPECT_EQ(d.Rect.Bottom - d.Rect.Top, button.Height());
        states.push_back(d.State);
      }
    return states;
  };
  EXPECT_EQ(statesDrawn(), std::vector<int>{1});
  backend->MoveMouse(button, 3, 3);
  Application->ProcessMessages();
  ASSERT_TRUE(button.Hover());
  EXPECT_EQ(statesDrawn(), std::vector<int>{2});
  backend->PressMouse(button, 3, 3);
  Application->ProcessMessages();
  EXPECT_EQ(statesDrawn(), std::vector<int>{3});
  backend->ReleaseMouse(button, 3, 3);
  Application->ProcessMessages();
  EXPECT_EQ(statesDrawn(), std::vector<int>{2});
}

// The control markers of mini-HTML text are the theme's parts while a theme
// is active: the combo's button hot under the mouse, the check box and the
// radio by their value, the radio and the button pressed by a button held
// over them.
TEST_F(ExtGridThemedLibraryTest, CellControlMarkersAreTheThemesParts) {
  struct Case {
    const char* markup;
    bool over, down;
    const char16_t* themeClass;
    int part, state;
  };
  const Case cases[] = {
      {R"(<CONTROL TYPE="COMBO" ID="c" VALUE="v" WIDTH="80">)", false, false, u"combobox", 1, 1},
      {R"(<CONTROL TYPE="COMBO" ID="c" VALUE="v" WIDTH="80">)", true, false, u"combobox", 1, 2},
      {R"(<CONTROL TYPE="CHECK" ID="k" VALUE="true">)", false, false, u"button", 3, 5},
      {R"(<CONTROL TYPE="CHECK" ID="k" VALUE="FALSE">)", true, true, u"button", 3, 1},
      {R"(<CONTROL TYPE="RADIO" ID="r" VALUE="TRUE">)", false, false, u"button", 2, 5},
      {R"(<CONTROL TYPE="RADIO" ID="r" VALUE="TRUE">)", true, false, u"button", 2, 6},
      {R"(<CONTROL TYPE="RADIO" ID="r" VALUE="TRUE">)", true, true, u"button", 2, 7},
      {R"(<CONTROL TYPE="RADIO" ID="r" VALUE="">)", false, false, u"button", 2, 1},
      {R"(<CONTROL TYPE="RADIO" ID="r" VALUE="">)", true, false, u"button", 2, 2},
      {R"(<CONTROL TYPE="RADIO" ID="r" VALUE="">)", true, true, u"button", 2, 3},
      {R"(<CONTROL TYPE="BUTTON" ID="b" VALUE="Go" WIDTH="50">)", false, false, u"button", 1, 1},
      {R"(<CONTROL TYPE="BUTTON" ID="b" VALUE="Go" WIDTH="50">)", true, false, u"button", 1, 2},
      {R"(<CONTROL TYPE="BUTTON" ID="b" VALUE="Go" WIDTH="50">)", true, true, u"button", 1, 3},
      // A button held down elsewhere presses no button it is not over.
      {R"(<CONTROL TYPE="BUTTON" ID="b" VALUE="Go" WIDTH="50">)", false, true, u"button", 1, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.markup) + (k.over ? " over" : "") + (k.down ? " down" : ""));
    HtmlCall h;
    h.Measure(k.markup);
    if (k.over) h.mouseX = 6, h.mouseY = h.extentY - 3;
    h.mouseDown = k.down;
    RecordingTheme::drawn.clear();
    h.Draw(k.markup);
    ASSERT_EQ(RecordingTheme::drawn.size(), 1u);
    EXPECT_EQ(RecordingTheme::drawn[0].ThemeClass, k.themeClass);
    EXPECT_EQ(RecordingTheme::drawn[0].Part, k.part);
    EXPECT_EQ(RecordingTheme::drawn[0].State, k.state);
    EXPECT_TRUE(h.canvas.CallsOf("DrawFrameControl").empty());
  }
}

}  // namespace
