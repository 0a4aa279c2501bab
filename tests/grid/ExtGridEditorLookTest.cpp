// What the grid's special editors show and store: the date picker's check
// box, the edit-button editors' alignment and least height, the spin's
// glyphs.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "EditorGridFixture.h"
#include "GridFixture.h"
#include "grid/ExtGridEditors.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ComCtrls.h"
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

// In its cell the picker's sunken border is covered, last of all, by two
// rings in the window colour.
TEST_F(ExtGridEditorLookTest, DatePickerBorderIsPaintedOverInTheWindowColour) {
  auto& g = Typed(edDateEdit);
  g.SetCellText(1, 1, "31/1/2003");
  Key(VK_F2);
  TGridDatePicker& picker = *g.DatePicker();
  ASSERT_TRUE(picker.Visible());
  const int w = picker.Width(), h = picker.Height();
  ASSERT_GT(w, 10);
  ASSERT_GT(h, 10);
  TRecordingCanvas canvas(w, h);
  picker.PaintTo(canvas, 0, 0);
  // Whatever touched each pixel of the outer two rings last: a fill in the
  // window colour, or something else (the sunken edge).
  auto inRing = [&](int x, int y) { return x < 2 || y < 2 || x >= w - 2 || y >= h - 2; };
  std::vector<int> last(static_cast<size_t>(w * h), 0);  // 0 nothing, 1 window fill, 2 other
  bool edgeDrawn = false;
  for (const TDrawCall& c : canvas.Calls) {
    if (c.Args.size() < 4) continue;
    const TRect r{c.Args[0], c.Args[1], c.Args[2], c.Args[3]};
    const bool windowFill = c.Op == "FillRect" && c.Brush.Color == clWindow;
    edgeDrawn = edgeDrawn || c.Op == "DrawEdge";
    for (int y = std::max(0, r.Top); y < std::min(h, r.Bottom); ++y)
      for (int x = std::max(0, r.Left); x < std::min(w, r.Right); ++x)
        if (inRing(x, y)) last[static_cast<size_t>(y * w + x)] = windowFill ? 1 : 2;
  }
  EXPECT_TRUE(edgeDrawn);
  int covered = 0, ring = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (inRing(x, y)) {
        ++ring;
        covered += last[static_cast<size_t>(y * w + x)] == 1;
      }
  EXPECT_EQ(covered, ring);
  // The rings lie on the edge only: the value's text is still drawn inside.
  EXPECT_NE(canvas.TextDrawn().find("2003"), AnsiString::npos);
  // A picker of the class library's own keeps its sunken edge.
  TDateTimePicker plain(form.get());
  plain.SetParent(form.get());
  plain.SetBounds(0, 0, w, h);
  TRecordingCanvas plainCanvas(w, h);
  plain.PaintTo(plainCanvas, 0, 0);
  int plainCovered = 0;
  for (const TDrawCall& c : plainCanvas.CallsOf("FillRect"))
    if (c.Brush.Color == clWindow && c.Args[0] == 0 && c.Args[1] == 0 && c.Args[3] == 1) ++plainCovered;
  EXPECT_EQ(plainCovered, 0);
}

// A click that opens an editable combo leaves its caret where the mouse
// was; without caret placement the whole text is selected.
TEST_F(ExtGridEditorLookTest, ComboCaretGoesToTheClick) {
  for (bool placing : {false, true}) {
    SCOPED_TRACE(placing);
    auto& g = Typed(edComboEdit);
    g.MouseActions().DirectEdit = true;
    g.MouseActions().CaretPositioning = placing;
    g.SetColWidths(1, 150);
    g.SetCellText(1, 2, "abcdefghijkl");
    const TRect cell = g.CellRect(1, 2);
    g.Canvas().Font->Assign(g.Font());
    const int x = cell.Left + 2 + g.Canvas().TextWidth("abcde");
    const int y = (cell.Top + cell.Bottom) / 2;
    backend->Click(g, x, y);
    Application->ProcessMessages();
    TGridCombo& combo = *g.Combo();
    ASSERT_TRUE(combo.Visible());
    TCustomEdit* edit = combo.EditControl();
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(edit->Focused());
    EXPECT_EQ(edit->Text(), "abcdefghijkl");
    if (placing) {
      const TPoint at = edit->ScreenToClient(g.ClientToScreen(Point(x, y)));
      EXPECT_EQ(edit->SelStart(), edit->CharFromPos(at));
      EXPECT_GE(edit->SelStart(), 4);
      EXPECT_LE(edit->SelStart(), 6);
      EXPECT_EQ(edit->SelLength(), 0);
      EXPECT_FALSE(g.CaretPending());
    } else {
      EXPECT_EQ(edit->SelStart(), 0);
      EXPECT_EQ(edit->SelLength(), 12);
    }
    Key(VK_ESCAPE);
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

// The unit editor's value and its unit stand on one line: both drawn from
// two pixels below the editor's top.
TEST_F(ExtGridEditorLookTest, UnitEditorValueAndUnitShareTheirLine) {
  auto& g = Typed(edUnitEditBtn);
  g.SetColWidths(1, 120);
  g.SetCellText(1, 1, "12.5 kg");
  Key(VK_F2);
  TGridUnitEditBtn& e = *g.UnitEditBtn();
  ASSERT_TRUE(e.Visible());
  Key(VK_END);
  TRecordingCanvas canvas(e.Width(), e.Height());
  e.PaintTo(canvas, 0, 0);
  std::optional<int> valueTop, unitTop;
  for (const TDrawCall& c : canvas.Calls) {
    if (c.Op == "ExtTextOut" && c.Text == "12.5") valueTop = c.Args[1];
    if (c.Op == "DrawText" && c.Text == " kg") unitTop = c.Args[1];
  }
  ASSERT_TRUE(valueTop.has_value());
  ASSERT_TRUE(unitTop.has_value());
  EXPECT_EQ(*unitTop, 2);
  EXPECT_EQ(*valueTop, *unitTop);
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
