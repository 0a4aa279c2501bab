// A window whose child windows cover all of what a paint repaints of it is
// not asked to paint, as the system asks none, unless it was invalidated
// itself; what the windows show is still what painting them whole shows.

#include <gtest/gtest.h>

#include <functional>

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
    // Whether the inner window is the one invalidated, and where (in its
    // own coordinates).
    bool inner;
    TRect repainted;
    int outerPaints, innerPaints;
  } cases[] = {
      {"a part of the inner window", true, Rect(5, 5, 50, 30), 0, 1},
      {"the inner window whole", true, Rect(0, 0, 60, 40), 0, 1},
      {"the outer window within the inner", false, Rect(25, 35, 70, 60), 1, 1},
      {"the outer window beside it", false, Rect(0, 0, 10, 10), 1, 0},
      {"the outer window across its edge", false, Rect(10, 40, 30, 50), 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDemoLockable *outer = nullptr, *inner = nullptr;
    auto shown = Shown(outer, inner);
    outer->PaintCount = inner->PaintCount = 0;
    (c.inner ? inner : outer)->InvalidateRect(c.repainted);
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

// A form its child window covers whole is still sent its paint when it is
// shown, resized or invalidated itself, as its handler may do more than
// draw; not when only the child is.
TEST_F(PaintCoveredTest, AWindowInvalidatedItselfIsPaintedThoughCovered) {
  auto shown = std::unique_ptr<TForm>(NewForm<TForm>(nullptr));
  shown->SetBounds(0, 0, 200, 150);
  int formPaints = 0;
  shown->OnPaint = [&](TObject*) { ++formPaints; };
  TDemoLockable* cover = Counted(shown.get(), clYellow);
  cover->SetParent(shown.get());
  cover->SetAlign(alClient);
  shown->Show();
  backend->Render(*shown);
  EXPECT_EQ(formPaints, 1) << "shown";
  struct Case {
    const char* name;
    std::function<void()> change;
    int formPaints;
  } cases[] = {
      {"the form invalidated", [&] { shown->Invalidate(); }, 1},
      {"a part of the form invalidated", [&] { shown->InvalidateRect(Rect(5, 5, 20, 20)); }, 1},
      {"the child invalidated", [&] { cover->Invalidate(); }, 0},
      {"the form resized", [&] { shown->SetBounds(0, 0, 220, 160); }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    formPaints = 0;
    c.change();
    backend->Render(*shown);
    EXPECT_EQ(formPaints, c.formPaints);
  }
}

}  // namespace
