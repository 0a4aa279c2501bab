// ScrollWindow: the pixels a window shows move, and what the move cannot
// bring is painted: the strip uncovered, waiting updates where their
// pixels went, child windows and windows above, the caret. The window then
// shows what painting it whole shows.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "UiFixture.h"
#include "platform/ui/Panels.h"
#include "platform/ui/WindowManager.h"

namespace {

// Bands of colour that run on past the window: scrolled by Offset pixels,
// the band at a client point is that of the point plus the offset.
class TBands : public TCustomControl {
 public:
  explicit TBands(TComponent* owner) : TCustomControl(owner) {}
  int OffsetX = 0, OffsetY = 0;
  // A band of this index is drawn in another colour.
  int Marked = -1;
  void ScrollBy(int dx, int dy) {
    OffsetX += dx;
    OffsetY += dy;
    const TRect area = ClientRect();
    ScrollWindow(Handle(), -dx, -dy, &area, &area);
  }

 protected:
  void Paint() override {
    TCanvas& c = Canvas();
    for (int y = -(OffsetY % 7) - 7; y < Height(); y += 7)
      for (int x = -(OffsetX % 9) - 9; x < Width(); x += 9) {
        const int index = (y + OffsetY) / 7 * 31 + (x + OffsetX) / 9;
        c.Brush->Color = index == Marked
                             ? clRed
                             : static_cast<TColor>((static_cast<unsigned>(index) * 0x2F1B3Du) & 0xFFFFFFu);
        c.FillRect(Bounds(x, y, 9, 7));
      }
  }
};

class ScrollWindowTest : public UiTest {
 protected:
  // A shown form with the bands set in from its edges.
  std::unique_ptr<TForm> FormWithBands(TBands*& bands) {
    auto form = std::unique_ptr<TForm>(NewForm<TForm>(nullptr));
    form->SetBounds(0, 0, 260, 200);
    bands = new TBands(form.get());
    bands->SetParent(form.get());
    bands->SetBounds(10, 10, 200, 150);
    form->Show();
    return form;
  }
};

struct Case {
  const char* name;
  std::function<void(TForm&, TBands&)> prepare;
  // Just before the scroll, without painting.
  std::function<void(TBands&)> pending;
  int dx, dy;
};

void NoChange(TForm&, TBands&) {}
void NoneWaiting(TBands&) {}

TEST_F(ScrollWindowTest, AScrolledWindowShowsWhatAWholePaintShows) {
  const Case cases[] = {
      {"down", NoChange, NoneWaiting, 0, 11},
      {"up", NoChange, NoneWaiting, 0, -5},
      {"right and down", NoChange, NoneWaiting, 13, 4},
      {"further than the window", NoChange, NoneWaiting, 0, 500},
      {"with a child window",
       [](TForm&, TBands& b) {
         auto* child = new TPanel(&b);
         child->SetParent(&b);
         child->SetBounds(30, 40, 50, 30);
       },
       NoneWaiting, 3, 8},
      {"under a window above",
       [](TForm& f, TBands&) {
         auto* above = new TPanel(&f);
         above->SetParent(&f);
         above->SetBounds(60, 50, 70, 40);
       },
       NoneWaiting, 0, -9},
      {"with an update waiting", NoChange,
       [](TBands& b) {
         b.Marked = (30 + b.OffsetY) / 7 * 31 + (40 + b.OffsetX) / 9;
         b.InvalidateRect(Rect(0, 20, b.Width(), 45));
       },
       5, 12},
      {"with the caret shown",
       [](TForm&, TBands& b) {
         b.SetFocus();
         CreateCaret(b.Handle(), nullptr, 2, 12);
         SetCaretPos(40, 30);
         ShowCaret(b.Handle());
       },
       NoneWaiting, 0, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TBands* bands = nullptr;
    auto form = FormWithBands(bands);
    c.prepare(*form, *bands);
    backend->Render(*form);
    c.pending(*bands);
    bands->ScrollBy(c.dx, c.dy);
    const TPixelBlock moved = backend->Render(*form)->Snapshot();
    form->Invalidate();
    const TPixelBlock whole = backend->Render(*form)->Snapshot();
    int differ = 0;
    for (size_t i = 0; i < moved.Pixels.size(); ++i) differ += moved.Pixels[i] != whole.Pixels[i];
    EXPECT_EQ(differ, 0);
    DestroyCaret();
  }
}

TEST_F(ScrollWindowTest, OnlyTheUncoveredStripWaitsForPainting) {
  TBands* bands = nullptr;
  auto form = FormWithBands(bands);
  backend->Render(*form);
  bands->ScrollBy(0, 9);
  const auto& dirty = ui::SurfaceOf(form.get())->Dirty;
  ASSERT_EQ(dirty.size(), 1u);
  const TPoint corner = bands->ClientToScreen(Point(0, 0));
  const TPoint origin = Point(corner.X - form->Left(), corner.Y - form->Top());
  EXPECT_EQ(dirty[0], Rect(origin.X, origin.Y + 141, origin.X + 200, origin.Y + 150));
}

}  // namespace
