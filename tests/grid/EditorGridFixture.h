#pragma once
// A shown grid on a form under the Greek locale whose cells all edit with
// one editor kind, and keys pressed into it.
#include <optional>

#include "GridFixture.h"
#include "grid/ExtGridEditors.h"
#include "tests/platform/rtl/LocaleScope.h"

class GreekEditorGridTest : public GridFormTest {
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
