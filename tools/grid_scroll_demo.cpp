// Grids with each look of scroll bar, for trying them by hand or under a
// virtual display: the standard bars, flat bars in a colour of their own,
// raised-under-the-mouse bars that scroll while the thumb moves, and
// thumbs in proportion to the view. Every grid names the row or column a
// dragged thumb brings into view.
#include <string>

#include "grid/ExtGrid.h"
#include "platform/backend/Backends.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "tools/DemoMain.h"

namespace {

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {
    SetCaption("Scroll bars");
    SetBounds(20, 20, 1000, 330);
    struct Look {
      const char* caption;
      TScrollType type;
      TColor colour;
      int width;
      bool synch, proportional;
    };
    const Look looks[] = {
        {"ssNormal", ssNormal, clNotSet, 16, false, false},
        {"ssFlat", ssFlat, 0x80FFFF, 20, false, false},
        {"ssEncarta, ScrollSynch", ssEncarta, clNotSet, 16, true, false},
        {"ssFlat, ScrollProportional", ssFlat, 0xFFE0C0, 12, false, true},
    };
    int left = 10;
    for (const Look& look : looks) {
      auto* label = new TLabel(this);
      label->SetParent(this);
      label->SetBounds(left, 8, 230, 18);
      label->SetCaption(look.caption);
      auto* g = new TExtStringGrid(this);
      g->SetParent(this);
      g->SetBounds(left, 30, 230, 260);
      g->SetColCount(12);
      g->SetRowCount(200);
      g->SetDefaultColWidth(70);
      for (int c = 1; c < 12; ++c) g->SetCells(c, 0, cp1253::FromUtf8("Στήλη ") + std::to_string(c));
      for (int r = 1; r < 200; ++r) {
        g->SetCells(0, r, std::to_string(r));
        for (int c = 1; c < 12; ++c) g->SetCells(c, r, std::to_string(r * 100 + c) + ",00");
      }
      g->ScrollHints = shBoth;
      g->ScrollSynch = look.synch;
      g->SetScrollType(look.type);
      g->SetScrollColor(look.colour);
      g->SetScrollWidth(look.width);
      g->SetScrollProportional(look.proportional);
      left += 245;
    }
  }
};

}  // namespace

int main() { return RunDemoForm<TDemoForm>(); }
