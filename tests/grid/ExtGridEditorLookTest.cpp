// What the grid's special editors show and store: the date picker's check
// box, the edit-button editors' alignment and least height, the spin's
// glyphs.

#include <gtest/gtest.h>

#include <optional>

#include "EditorGridFixture.h"
#include "GridFixture.h"
#include "grid/ExtGridEditors.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

class ExtGridEditorLookTest : public GreekEditorGridTest {};

TEST_F(ExtGridEditorLookTest, UntickingTheDatePickerEmptiesTheCell) {
  struct Case {
    bool untick;
    const char* stored;
  };
  for (const Case& c : {Case{false, "31/1/2003"}, Case{true, ""}}) {
    auto& g = Typed(edDateEdit);
    g.SetCellText(1, 1, "31/1/2003");
    g.DatePicker()->SetShowCheckbox(true);
    Key(VK_F2);
    ASSERT_TRUE(g.DatePicker()->Visible());
    ASSERT_TRUE(g.DatePicker()->Checked());
    if (c.untick) g.DatePicker()->SetChecked(false);
    Key(VK_RETURN);
    EXPECT_FALSE(g.DatePicker()->Visible());
    EXPECT_EQ(g.GetCellText(1, 1), c.stored) << c.untick;
  }
}

TEST_F(ExtGridEditorLookTest, EditButtonEditorsAlignAsAsked) {
  auto& g = Typed(edUnitEditBtn);
  EXPECT_TRUE(g.UnitEditBtn()->RightAlign());
  EXPECT_EQ(g.UnitEditBtn()->Alignment(), taRightJustify);
  EXPECT_FALSE(g.EditBtn()->RightAlign());
  EXPECT_EQ(g.EditBtn()->Alignment(), taLeftJustify);
  g.EditBtn()->SetRightAlign(true);
  EXPECT_EQ(g.EditBtn()->Alignment(), taRightJustify);
  // The unit cell opens with its value drawn against the right.
  g.SetCellText(1, 1, "12.5 kg");
  Key(VK_F2);
  ASSERT_TRUE(g.UnitEditBtn()->Visible());
  EXPECT_EQ(g.UnitEditBtn()->Text(), "12.5");
  EXPECT_EQ(g.UnitEditBtn()->Alignment(), taRightJustify);
}

TEST_F(ExtGridEditorLookTest, EditorsKeepTheirLeastHeight) {
  auto& g = Typed(edNormal);
  struct Case {
    const char* name;
    TWinControl* control;
    int least;
  };
  const Case cases[] = {{"edit button", g.EditBtn(), g.EditBtn()->MinHeight()},
                        {"unit", g.UnitEditBtn(), g.UnitEditBtn()->MinHeight()},
                        {"spin", g.Spin(), g.Spin()->MinHeight()}};
  for (const Case& c : cases) {
    EXPECT_GT(c.least, 8) << c.name;
    c.control->SetBounds(0, 0, 80, 4);
    EXPECT_EQ(c.control->Height(), c.least) << c.name;
    c.control->SetBounds(0, 0, 80, c.least + 10);
    EXPECT_EQ(c.control->Height(), c.least + 10) << c.name;
  }
}

}  // namespace

namespace {

class EsgSpinGlyphTest : public GridFormTest {};

// A spin whose form description is being read.
struct LoadingSpin : TEsgSpinEdit {
  using TComponent::SetLoading;
  using TEsgSpinEdit::TEsgSpinEdit;
};

TEST_F(EsgSpinGlyphTest, DefaultArrowsCustomGlyphsAndNumGlyphs) {
  MakeGrid<TExtStringGrid>(2, 2);
  auto* sp = new TEsgSpinEdit(form.get());
  sp->SetParent(form.get());
  sp->SetBounds(300, 200, 80, 22);
  TEsgSpinButton& b = *sp->Button();
  ASSERT_FALSE(b.UpGlyph().Empty());
  ASSERT_FALSE(b.DownGlyph().Empty());
  EXPECT_EQ(b.UpNumGlyphs(), 1);
  EXPECT_EQ(b.DownNumGlyphs(), 1);
  // The default arrows are drawn: black pixels inside each button.
  const TImageCanvas* shot = backend->Render(*form);
  ASSERT_NE(shot, nullptr);
  auto blackIn = [&](TControl& button) {
    const TPoint at = button.ClientToScreen(Point(0, 0));
    const TPoint origin = form->ClientToScreen(Point(0, 0));
    int black = 0;
    for (int y = 0; y < button.Height(); ++y)
      for (int x = 0; x < button.Width(); ++x)
        if (shot->Pixel(at.X - origin.X + x, at.Y - origin.Y + y) == clBlack) ++black;
    return black;
  };
  EXPECT_GE(blackIn(*b.UpButton()), 10);
  EXPECT_GE(blackIn(*b.DownButton()), 10);
  // A glyph of one's own, then none again: the default comes back.
  TBitmap mine(9, 9);
  b.SetUpGlyph(mine);
  EXPECT_EQ(b.UpGlyph().Width(), 9);
  b.SetUpNumGlyphs(2);
  EXPECT_EQ(b.UpNumGlyphs(), 2);
  b.SetUpGlyph(TBitmap());
  EXPECT_EQ(b.UpGlyph().Width(), 7);
}

TEST_F(EsgSpinGlyphTest, LoadedWritesTheDateSetWhileLoading) {
  MakeGrid<TExtStringGrid>(2, 2);
  auto* sp = new LoadingSpin(form.get());
  sp->SetParent(form.get());
  sp->SetLoading(true);
  sp->SetSpinType(sptDate);
  sp->SetDateValue(EncodeDate(2003, 1, 31));
  EXPECT_NE(sp->Text(), DateToStr(EncodeDate(2003, 1, 31)));  // not while loading
  sp->SetLoading(false);
  sp->Loaded();
  EXPECT_EQ(sp->Text(), DateToStr(EncodeDate(2003, 1, 31)));
}

}  // namespace
