// What the grid's special editors show and store: the date picker's check
// box, the edit-button editors' alignment and least height, the spin's
// glyphs.

#include <gtest/gtest.h>

#include <optional>

#include "GridFixture.h"
#include "grid/ExtGridEditors.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

class ExtGridEditorLookTest : public GridFormTest {
 protected:
  void SetUp() override {
    GridFormTest::SetUp();
    locale_.emplace(LocaleScope::Greek);
  }
  void TearDown() override {
    locale_.reset();
    GridFormTest::TearDown();
  }
  std::optional<LocaleScope> locale_;
  TExtStringGrid& Typed(TEditorType type) {
    auto& g = MakeGrid<TExtStringGrid>(4, 5);
    g.SetOptions(g.Options() + TGridOptions{goEditing});
    g.OnGetEditorType = [type](TObject*, int, int, TEditorType& e) { e = type; };
    g.SetFocus();
    g.SetCol(1);
    g.SetRow(1);
    Application->ProcessMessages();
    return g;
  }
  void Key(Word vk, TShiftState shift = {}) {
    backend->PressKey(vk, shift);
    Application->ProcessMessages();
  }
};

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
