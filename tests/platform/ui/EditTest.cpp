#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "UiFixture.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/Input.h"
#include "platform/ui/StdEdits.h"

namespace {

class EditTest : public UiTest {
 protected:
  template <typename C>
  C* Place(int x, int y, int w, int h) {
    TDemoForm& f = form ? *form : ShowDemo();
    auto* c = f.Add<C>("Tested", x, y, w, h);
    c->SetFocus();
    Application->ProcessMessages();
    return c;
  }
};

// Where the first line of an edit is drawn: the x of its text.
int TextLeft(TCustomEdit& edit) {
  TRecordingCanvas canvas(edit.Width(), edit.Height());
  edit.PaintTo(canvas, 0, 0);
  const auto calls = canvas.CallsOf("ExtTextOut");
  return calls.empty() ? -10000 : calls.front().Args[0];
}

TEST_F(EditTest, ATextThatFitsAfterAResizeShowsFromItsStart) {
  auto* edit = Place<TEdit>(10, 10, 30, 21);
  edit->SetText("ΑΛΦΑ ΤΕΧΝΙΚΗ ΑΤΕ"_a);
  edit->SetSelStart(static_cast<int>(edit->Text().size()));
  const int shown = TextLeft(*edit);
  EXPECT_LT(shown, 0);  // scrolled to show the caret at the end
  // Sized for the text (as a grid's editor is, after its text went in).
  edit->SetBounds(10, 10, 260, 21);
  EXPECT_GE(TextLeft(*edit), 0);
  EXPECT_LE(TextLeft(*edit), 4);
  // Narrow again: the caret stays in view, the start goes out of it.
  edit->SetBounds(10, 10, 30, 21);
  EXPECT_LT(TextLeft(*edit), 0);
}

TEST_F(EditTest, TypingInsertsAtTheCaretAndFiresOnChange) {
  auto* edit = Place<TEdit>(10, 80, 150, 21);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  backend->Type("abc");
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_EQ(changes, 3);
  EXPECT_TRUE(edit->Modified);
  backend->PressKey(VK_LEFT);
  backend->Type("X");
  EXPECT_EQ(edit->Text(), "abXc");
  EXPECT_EQ(edit->CaretPos(), 3);
}

TEST_F(EditTest, ShiftArrowsSelectAndTypingReplacesTheSelection) {
  auto* edit = Place<TEdit>(10, 80, 150, 21);
  edit->SetText("hello world");
  backend->PressKey(VK_END);
  backend->PressKey(VK_LEFT, {ssShift});
  backend->PressKey(VK_LEFT, {ssShift});
  EXPECT_EQ(edit->SelText(), "ld");
  backend->PressKey(VK_LEFT, {ssShift, ssCtrl});
  EXPECT_EQ(edit->SelText(), "world");
  backend->Type("there");
  EXPECT_EQ(edit->Text(), "hello there");
  backend->PressKey(VK_HOME, {ssShift});
  EXPECT_EQ(edit->SelLength(), 11);
  backend->PressKey(VK_DELETE);
  EXPECT_EQ(edit->Text(), "");
}

TEST_F(EditTest, MaxLengthReadOnlyAndBackspace) {
  auto* edit = Place<TEdit>(10, 80, 150, 21);
  edit->SetMaxLength(4);
  backend->Type("abcdef");
  EXPECT_EQ(edit->Text(), "abcd");
  EXPECT_FALSE(backend->Beeps.empty());
  backend->PressKey(VK_BACK);
  EXPECT_EQ(edit->Text(), "abc");
  edit->SetReadOnly(true);
  backend->Type("z");
  backend->PressKey(VK_BACK);
  EXPECT_EQ(edit->Text(), "abc");
}

TEST_F(EditTest, CutCopyPasteAndUndoThroughTheClipboard) {
  auto* edit = Place<TEdit>(10, 80, 150, 21);
  edit->SetText("one two");
  edit->SetSelStart(0);
  edit->SetSelLength(3);
  backend->PressKey('C', {ssCtrl});
  EXPECT_EQ(backend->ClipboardText(), "one");
  backend->PressKey(VK_END);
  backend->PressKey('V', {ssCtrl});
  EXPECT_EQ(edit->Text(), "one twoone");
  backend->PressKey('Z', {ssCtrl});
  EXPECT_EQ(edit->Text(), "one two");
  edit->SelectAll();
  backend->PressKey('X', {ssCtrl});
  EXPECT_EQ(edit->Text(), "");
  EXPECT_EQ(backend->ClipboardText(), "one two");
  // A line break on the clipboard ends what a one-line edit takes.
  backend->SetClipboardText("first\r\nsecond");
  edit->PasteFromClipboard();
  EXPECT_EQ(edit->Text(), "first");
}

TEST_F(EditTest, PasswordEditsDoNotCopy) {
  auto* edit = Place<TEdit>(10, 80, 150, 21);
  edit->SetPasswordChar('*');
  backend->SetClipboardText("kept");
  backend->Type("secret");
  edit->SelectAll();
  backend->PressKey('C', {ssCtrl});
  EXPECT_EQ(backend->ClipboardText(), "kept");
}

TEST_F(EditTest, OnKeyDownAndOnKeyPressComeFirstAndCanEatKeys) {
  auto* edit = Place<TEdit>(10, 80, 150, 21);
  edit->OnKeyPress = [](TObject*, char& key) {
    if (key == 'x') key = 0;
    if (key == 'a') key = 'A';
  };
  edit->OnKeyDown = [](TObject*, Word& key, TShiftState) {
    if (key == VK_HOME) key = 0;
  };
  backend->Type("axb");
  EXPECT_EQ(edit->Text(), "Ab");
  backend->PressKey(VK_HOME);
  EXPECT_EQ(edit->CaretPos(), 2);
}

TEST_F(EditTest, AutoSelectOnEnterAndOnExit) {
  TDemoForm& f = ShowDemo();
  auto* edit = f.Add<TEdit>("E", 10, 80, 150, 21);
  edit->SetText("pre");
  int exits = 0;
  edit->OnExit = [&](TObject*) { ++exits; };
  edit->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(edit->SelLength(), 3);
  f.Edit1->SetFocus();
  EXPECT_EQ(exits, 1);
}

TEST_F(EditTest, EditMessagesSelectAndMapPositions) {
  auto* edit = Place<TEdit>(10, 80, 150, 21);
  edit->SetText("abcdef");
  edit->Perform(EM_SETSEL, 1, 4);
  DWORD start = 0, end = 0;
  edit->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(end, 4u);
  edit->Perform(EM_SETSEL, 2, -1);
  EXPECT_EQ(edit->SelText(), "cdef");
  const LRESULT pos = edit->Perform(EM_POSFROMCHAR, 3, 0);
  ASSERT_NE(pos, -1);
  const int x = GET_X_LPARAM(pos), y = GET_Y_LPARAM(pos);
  EXPECT_GT(x, 0);
  EXPECT_EQ(LOWORD(edit->Perform(EM_CHARFROMPOS, 0, MAKELPARAM(x + 1, y + 2))), 3);
  EXPECT_EQ(edit->Perform(EM_POSFROMCHAR, 99, 0), -1);
  EXPECT_EQ(edit->Perform(EM_LINEFROMCHAR, 4, 0), 0);
  TRect r = Rect(20, 3, 100, 18);
  edit->Perform(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(edit->EditRect(), r);
  EXPECT_EQ(GET_X_LPARAM(edit->Perform(EM_POSFROMCHAR, 0, 0)), 20);
}

TEST_F(EditTest, MouseClickPlacesTheCaretAndDragSelects) {
  auto* edit = Place<TEdit>(10, 80, 150, 21);
  edit->SetText("abcdefgh");
  const TPoint p2 = edit->PosFromChar(2), p6 = edit->PosFromChar(6);
  backend->Click(*edit, p2.X + 1, 8);
  EXPECT_EQ(edit->CaretPos(), 2);
  backend->Advance(1000);  // no double click
  backend->PressMouse(*edit, p2.X + 1, 8);
  backend->MoveMouse(*edit, p6.X + 1, 8);
  backend->ReleaseMouse(*edit, p6.X + 1, 8);
  EXPECT_EQ(edit->SelText(), "cdef");
}

// ---- masks ----

struct MaskCase {
  const char* mask;
  const char* typed;
  const char* editText;
  const char* text;
};

class MaskTypingTest : public EditTest, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(MaskTypingTest, TypedTextFitsTheMask) {
  const MaskCase& c = GetParam();
  auto* edit = Place<TMaskEdit>(10, 80, 150, 21);
  edit->SetEditMask(c.mask);
  edit->SetSelStart(0);
  backend->Type(c.typed);
  EXPECT_EQ(edit->EditText(), c.editText);
  EXPECT_EQ(edit->Text(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskTypingTest,
    ::testing::Values(MaskCase{"00/00/0000;1;_", "12a032026", "12/03/2026", "12/03/2026"},
                      MaskCase{"00/00/0000;0;_", "1203", "12/03/____", "1203"},
                      MaskCase{"999;0; ", "7", "7  ", "7"}, MaskCase{"LL-99;1;_", "ab1", "ab-1_", "ab-1"},
                      MaskCase{">LL-99;1;_", "ab12", "AB-12", "AB-12"},
                      MaskCase{"AAA;0;*", "a1!b", "a1b", "a1b"}, MaskCase{"!999;0;_", "5", "5__", "5"}));

TEST_F(EditTest, MaskBackspaceAndDeleteClearPlacesAndKeepLiterals) {
  auto* edit = Place<TMaskEdit>(10, 80, 150, 21);
  edit->SetEditMask("00-00;1;_");
  edit->SetText("12-34");
  edit->SetSelStart(5);
  backend->PressKey(VK_BACK);
  EXPECT_EQ(edit->EditText(), "12-3_");
  backend->PressKey(VK_BACK);
  backend->PressKey(VK_BACK);
  EXPECT_EQ(edit->EditText(), "1_-__");
  edit->SetSelStart(0);
  backend->PressKey(VK_DELETE);
  EXPECT_EQ(edit->EditText(), "__-__");
}

TEST_F(EditTest, MaskValidationOnExitAndEscapeRestores) {
  TDemoForm& f = ShowDemo();
  auto* edit = f.Add<TMaskEdit>("M", 10, 80, 150, 21);
  edit->SetEditMask("000;1;_");
  edit->SetFocus();
  edit->SetSelStart(0);
  backend->Type("1");
  EXPECT_THROW(edit->ValidateEdit(), EDBEditError);
  EXPECT_EQ(edit->CaretPos(), 1);
  backend->PressKey(VK_ESCAPE);
  EXPECT_EQ(edit->EditText(), "___");
  EXPECT_NO_THROW(edit->ValidateEdit());
}

TEST(EditMask, ParsesFieldsAndEscapes) {
  const TEditMask m("\\A00;0;#");
  EXPECT_EQ(m.Length(), 3);
  EXPECT_TRUE(m.IsLiteral(0));
  EXPECT_EQ(m.EmptyText(), "A##");
  EXPECT_EQ(m.TextOf("A12"), "12");
  EXPECT_EQ(m.EditTextOf("34"), "A34");
  EXPECT_EQ(TEditMask("0;").Blank(), '_');
  EXPECT_EQ(TEditMask("0\\").Length(), 2);  // a lone trailing escape is a literal
  EXPECT_EQ(TEditMask("L").Accept(0, "ω"_a[0]), "ω"_a[0]);
  EXPECT_EQ(TEditMask(">L").Accept(0, "ω"_a[0]), "Ω"_a[0]);
  EXPECT_EQ(TEditMask("0").Accept(0, 'x'), 0);
}

// ---- memo ----

TEST_F(EditTest, MemoLinesReturnsAndWordWrap) {
  auto* memo = Place<TMemo>(10, 80, 120, 80);
  backend->Type("one");
  backend->PressKey(VK_RETURN);
  backend->Type("two");
  EXPECT_EQ(memo->Text(), "one\r\ntwo");
  ASSERT_EQ(memo->Lines().Count(), 2);
  EXPECT_EQ(memo->Lines()[1], "two");
  memo->Lines().Add("three");
  EXPECT_EQ(memo->Lines().Count(), 3);
  memo->Lines().Delete(0);
  EXPECT_EQ(memo->Text(), "two\r\nthree");

  memo->SetText("alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi");
  memo->SetWordWrap(true);
  const int wrapped = memo->LineCount();
  EXPECT_GT(wrapped, 2);
  // Each wrapped line fits the width and breaks after a blank.
  for (int i = 0; i + 1 < wrapped; ++i) {
    const int next = memo->LineIndex(i + 1);
    EXPECT_EQ(memo->Text()[static_cast<size_t>(next) - 1], ' ');
  }
  memo->SetWordWrap(false);
  EXPECT_EQ(memo->LineCount(), 1);
  EXPECT_EQ(memo->Lines().Count(), 1);  // wrapping never changes the lines
}

TEST_F(EditTest, MemoArrowsMoveBetweenLinesAndReturnsWhenWanted) {
  auto* memo = Place<TMemo>(10, 80, 150, 80);
  memo->SetWordWrap(false);
  memo->SetText("abcd\r\nab\r\nabcd");
  memo->SetSelStart(3);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(memo->CaretPosXY(), Point(2, 1));  // the short line ends the column
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(memo->CaretPosXY(), Point(3, 2));  // and the goal column returns
  backend->PressKey(VK_UP, {ssShift});
  EXPECT_EQ(memo->SelText(), "\r\nabc");
  EXPECT_EQ(memo->Perform(EM_LINEFROMCHAR, 7, 0), 1);
  EXPECT_EQ(memo->Perform(EM_GETLINECOUNT, 0, 0), 3);
  memo->WantReturns = false;
  EXPECT_EQ(memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
}

// Ctrl+Enter types a line feed: a line break in a control of several
// lines, whether or not it takes Enter itself, and nothing in a one-line
// edit.
TEST_F(EditTest, CtrlEnterBreaksTheLineOnlyWhereThereAreLines) {
  struct Case {
    const char* name;
    bool memo, wantReturns;
    const char* after;
  };
  const Case cases[] = {{"memo taking Enter", true, true, "ab\r\ncd"},
                        {"memo leaving Enter", true, false, "ab\r\ncd"},
                        {"one-line edit", false, false, "abcd"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCustomEdit* edit = nullptr;
    if (c.memo) {
      auto* memo = Place<TMemo>(10, 80, 150, 80);
      memo->WantReturns = c.wantReturns;
      edit = memo;
    } else {
      edit = Place<TEdit>(10, 80, 150, 21);
    }
    edit->SetFocus();
    backend->Type("ab");
    backend->PressKey(VK_RETURN, {ssCtrl});
    backend->Type("cd");
    EXPECT_EQ(edit->Text(), c.after);
    delete edit;
  }
}

TEST_F(EditTest, MemoScrollBarScrollsLines) {
  auto* memo = Place<TMemo>(10, 80, 150, 80);
  memo->SetScrollBars(ssVertical);
  memo->SetWordWrap(false);
  AnsiString text;
  for (int i = 0; i < 40; ++i) text += "line " + IntToStr(i) + "\r\n";
  memo->SetText(text);
  EXPECT_EQ(memo->TopLine(), 0);
  // A click on the lower arrow of the bar scrolls one line.
  backend->Click(*memo, memo->Width() - 8, memo->Height() - 8);
  EXPECT_EQ(memo->TopLine(), 1);
  EXPECT_EQ(GetScrollPos(memo->Handle(), SB_VERT), 1);
  backend->Wheel(*memo, -1, 20, 20);
  EXPECT_EQ(memo->TopLine(), 1 + static_cast<int>(ui::input::WheelScrollLines()));
  memo->SetSelStart(static_cast<int>(memo->Text().size()));
  memo->Perform(EM_SCROLLCARET, 0, 0);
  EXPECT_GT(memo->TopLine(), 30);
}

TEST_F(EditTest, MemoHorizontalRangeIsTheWidestLineInItsFont) {
  auto* memo = Place<TMemo>(10, 80, 150, 80);
  memo->SetScrollBars(ssBoth);
  memo->SetWordWrap(false);
  const AnsiString wide = "Μια γραμμή πολύ πλατύτερη από το πλαίσιο της"_a;
  memo->SetText("αβγ\r\n" + wide + "\r\nWWW");
  auto range = [&] {
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(memo->Handle(), SB_HORZ, &info);
    return info;
  };
  auto widthIn = [&](const TFont& font) {
    TImageCanvas measure(1, 1);
    measure.Font->Assign(font);
    return measure.TextWidth(wide);
  };
  EXPECT_EQ(range().nMax, widthIn(memo->Font()));
  TFont larger;
  larger.Assign(memo->Font());
  larger.SetSize(14);
  memo->SetFont(larger);
  EXPECT_EQ(range().nMax, widthIn(memo->Font()));
  // Scrolled to the end, the last pixel column of the widest line shows.
  memo->Perform(WM_HSCROLL, SB_RIGHT, 0);
  const SCROLLINFO info = range();
  EXPECT_EQ(GetScrollPos(memo->Handle(), SB_HORZ), info.nMax + 1 - static_cast<int>(info.nPage));
  memo->SetText("short");
  EXPECT_EQ(GetScrollPos(memo->Handle(), SB_HORZ), 0);
}

TEST_F(EditTest, MemoLoadFromFile) {
  auto* memo = Place<TMemo>(10, 80, 150, 80);
  const std::string path = ::testing::TempDir() + "memo_load.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "first\r\nsecond\r\n";
  }
  memo->Lines().LoadFromFile(path);
  std::remove(path.c_str());
  ASSERT_EQ(memo->Lines().Count(), 2);
  EXPECT_EQ(memo->Lines()[1], "second");
  EXPECT_THROW(memo->Lines().LoadFromFile(path), Exception);
  EXPECT_EQ(memo->Lines().Count(), 2);
}

}  // namespace
