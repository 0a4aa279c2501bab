// A window whose child windows cover all of what a paint repaints of it is
// not asked to paint, as the system asks none; what the windows show is
// still what painting them whole shows.

#include <gtest/gtest.h>

#include "DemoControls.h"
#include "UiFixture.h"
#include "platform/ui/WindowManager.h"

namespace {

// A window of one colour that counts its paints.
TDemoLockable* Counted(TComponent* owner, TColor color) {
  auto* control = new TDemoLockable(owner);
  control->SetColor(color);
  return control;
}

class PaintCoveredTest : public UiTest {
 protected:
  // A shown form holding Outer, which holds Inner.
  std::unique_ptr<TForm> Shown(TDemoLockable*& outer, TDemoLockable*& inner) {
    auto shown = std::unique_ptr<TForm>(NewForm<TForm>(nullptr));
    shown->SetBounds(0, 0, 200, 150);
    outer = Counted(shown.get(), clYellow);
    outer->SetParent(shown.get());
    outer->SetBounds(10, 10, 150, 100);
    inner = Counted(shown.get(), clBlue);
    inner->SetParent(outer);
    inner->SetBounds(20, 30, 60, 40);
    shown->Show();
    backend->Render(*shown);
    return shown;
  }
};

TEST_F(PaintCoveredTest, OnlyTheWindowsWithSomethingToPaintArePainted) {
  struct Case {
    const char* name;
    // Where the outer window (in its own coordinates) is repainted.
    TRect repainted;
    int outerPaints, innerPaints;
  } cases[] = {
      {"within the inner window", Rect(25, 35, 70, 60), 0, 1},
      {"the inner window whole", Rect(20, 30, 80, 70), 0, 1},
      {"beside it", Rect(0, 0, 10, 10), 1, 0},
      {"across its edge", Rect(10, 40, 30, 50), 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDemoLockable *outer = nullptr, *inner = nullptr;
    auto shown = Shown(outer, inner);
    outer->PaintCount = inner->PaintCount = 0;
    outer->InvalidateRect(c.repainted);
    const TPixelBlock partial = backend->Render(*shown)->Snapshot();
    EXPECT_EQ(outer->PaintCount, c.outerPaints);
    EXPECT_EQ(inner->PaintCount, c.innerPaints);
    shown->Invalidate();
    inner->Invalidate();
    const TPixelBlock whole = backend->Render(*shown)->Snapshot();
    int differ = 0;
    for (size_t i = 0; i < partial.Pixels.size(); ++i) differ += partial.Pixels[i] != whole.Pixels[i];
    EXPECT_EQ(differ, 0);
  }
}

}  // namespace
