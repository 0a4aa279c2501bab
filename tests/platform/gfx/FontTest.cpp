// A font tells its owner of each change once: a property written with a new
// value, a new size, an assignment; a copy is a font of its own.

#include <gtest/gtest.h>

#include <functional>

#include "platform/gfx/Graphics.h"

namespace {

TEST(FontChange, EachChangeIsToldOnceAndNoneForTheSameValue) {
  struct Case {
    const char* name;
    std::function<void(TFont&)> change;
    int told;
  };
  TFont other;
  other.Name = "Arial";
  other.Style = fsBold;
  other.SetSize(14);
  const Case cases[] = {
      {"name", [](TFont& f) { f.Name = "Arial"; }, 1},
      {"same name", [](TFont& f) { f.Name = "MS Sans Serif"; }, 0},
      {"colour", [](TFont& f) { f.Color = clRed; }, 1},
      {"style added", [](TFont& f) { f.Style |= fsItalic; }, 1},
      {"style cleared", [](TFont& f) { f.Style &= ~unsigned{fsItalic}; }, 0},
      {"charset", [](TFont& f) { f.Charset = GREEK_CHARSET; }, 1},
      {"pitch", [](TFont& f) { f.Pitch = fpFixed; }, 1},
      {"orientation", [](TFont& f) { f.Orientation = 900; }, 1},
      {"size", [](TFont& f) { f.SetSize(12); }, 1},
      {"same height", [](TFont& f) { f.SetHeight(f.Height()); }, 0},
      {"another font assigned", [&](TFont& f) { f.Assign(other); }, 1},
      {"an equal font assigned", [](TFont& f) { f.Assign(TFont()); }, 0},
      {"another font copied in", [&](TFont& f) { f = other; }, 1},
  };
  for (const Case& c : cases) {
    TFont font;
    int told = 0;
    font.OnChange = [&](TFont* sender) {
      EXPECT_EQ(sender, &font);
      ++told;
    };
    c.change(font);
    EXPECT_EQ(told, c.told) << c.name;
  }
}

TEST(FontChange, ACopyHasTheValuesAndNotTheHandler) {
  TFont font;
  int told = 0;
  font.OnChange = [&](TFont*) { ++told; };
  font.Name = "Tahoma";
  font.Style = fsBold;
  TFont copy(font);
  EXPECT_EQ(copy, font);
  EXPECT_EQ(copy.Name.Value(), "Tahoma");
  EXPECT_EQ(copy.Name.Value() + "!", "Tahoma!");
  EXPECT_FALSE(copy.OnChange);
  copy.Color = clBlue;
  EXPECT_EQ(told, 2);
  EXPECT_EQ(font.Color.Value(), clWindowText);
}

}  // namespace
