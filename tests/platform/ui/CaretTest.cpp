#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/Grids.h"
#include "platform/ui/StdEdits.h"

namespace {

TPoint CaretAt() {
  TPoint p{-1, -1};
  GetCaretPos(&p);
  return p;
}

using CaretTest = ControlsTest;

TEST_F(CaretTest, OneCaretAThreadWithCountedHiding) {
  auto* a = Add<TEdit>(10, 10, 100, 21);
  auto* b = Add<TEdit>(10, 40, 100, 21);
  ShowForm();
  EXPECT_EQ(GetCaretBlinkTime(), 530u);
  ASSERT_TRUE(CreateCaret(a->Handle(), nullptr, 2, 10));
  EXPECT_TRUE(SetCaretPos(5, 6));
  EXPECT_EQ(CaretAt(), Point(5, 6));
  EXPECT_FALSE(ShowCaret(b->Handle()));  // not the owner
  EXPECT_TRUE(HideCaret(a->Handle()));
  EXPECT_TRUE(ShowCaret(nullptr));                        // the owner, whoever it is
  EXPECT_TRUE(CreateCaret(b->Handle(), nullptr, 1, 10));  // replaces a's
  EXPECT_FALSE(ShowCaret(a->Handle()));
  EXPECT_TRUE(DestroyCaret());
  EXPECT_FALSE(DestroyCaret());
  EXPECT_FALSE(SetCaretPos(1, 1));
  EXPECT_FALSE(CreateCaret(nullptr, nullptr, 1, 1));
  EXPECT_FALSE(SetCaretBlinkTime(0));
}

// The caret is drawn over what the window painted, inverting it, and
// blinks on the clock.
class CaretDrawingTest : public CaretTest {
 protected:
  bool CaretShows(TWinControl& w) {
    const TPoint p = CaretAt();
    // White paper under the caret's first column turns black.
    return PixelOf(w, p.X, p.Y + 2) == clBlack;
  }
};

TEST_F(CaretDrawingTest, AFocusedEditsCaretBlinksAndShowsAtOnceWhenItMoves) {
  auto* edit = Add<TEdit>(10, 10, 150, 21);
  ShowForm();
  edit->SetFocus();
  backend->Type("ab");
  EXPECT_EQ(CaretAt(), edit->PosFromChar(2));
  EXPECT_TRUE(CaretShows(*edit));
  backend->Advance(GetCaretBlinkTime());
  EXPECT_FALSE(CaretShows(*edit));
  backend->Advance(GetCaretBlinkTime());
  EXPECT_TRUE(CaretShows(*edit));
  backend->Advance(GetCaretBlinkTime());
  EXPECT_FALSE(CaretShows(*edit));
  backend->PressKey(VK_HOME);  // moved: on again, the blink starts anew
  EXPECT_EQ(CaretAt(), edit->PosFromChar(0));
  EXPECT_TRUE(CaretShows(*edit));
  backend->Advance(GetCaretBlinkTime() - 1);
  EXPECT_TRUE(CaretShows(*edit));
  // Hidden by the program, it stays off; without blinking it stays on.
  HideCaret(edit->Handle());
  EXPECT_FALSE(CaretShows(*edit));
  ShowCaret(edit->Handle());
  SetCaretBlinkTime(INFINITE);
  backend->Advance(5000);
  EXPECT_TRUE(CaretShows(*edit));
  SetCaretBlinkTime(530);
  // Losing the focus takes the caret away.
  auto* other = Add<TEdit>(10, 40, 150, 21);
  const TPoint was = CaretAt();
  other->SetFocus();
  EXPECT_EQ(PixelOf(*edit, was.X, was.Y + 2), ColorToRGB(clWindow));
  EXPECT_EQ(CaretAt(), other->PosFromChar(0));
}

TEST_F(CaretDrawingTest, MemosAndTheGridEditorHaveTheCaretWhereTheirTextIs) {
  auto* memo = Add<TMemo>(10, 10, 200, 80);
  ShowForm();
  memo->SetFocus();
  backend->Type("one\rtw");
  EXPECT_EQ(CaretAt(), memo->PosFromChar(static_cast<int>(memo->Text().size())));
  EXPECT_EQ(CaretAt().Y, memo->PosFromChar(0).Y + memo->LineHeight());
  EXPECT_TRUE(CaretShows(*memo));

  auto* grid = Add<TStringGrid>(10, 120, 300, 150);
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->SetFocus();
  backend->Type("xy");
  TInplaceEdit* editor = grid->InplaceEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(CaretAt(), editor->PosFromChar(2));
  EXPECT_TRUE(CaretShows(*editor));
  backend->Advance(GetCaretBlinkTime());
  EXPECT_FALSE(CaretShows(*editor));
  backend->PressKey(VK_RETURN);  // the editor closes, and its caret with it
  EXPECT_FALSE(editor->Visible());
  EXPECT_FALSE(SetCaretPos(0, 0));
}

}  // namespace
