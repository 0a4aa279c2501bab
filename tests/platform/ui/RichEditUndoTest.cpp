// The rich edit and the memo keep what Undo gives back as a difference and
// lay out again only the lines an edit touched: random edits are checked
// against whole copies taken around each of them and against a layout made
// from nothing.
#include <gtest/gtest.h>

#include <random>

#include "ControlsFixture.h"
#include "platform/ui/ComCtrls.h"

namespace {

using RichEditUndoTest = ControlsTest;

struct TLaidLine {
  int Start, Top;
  friend bool operator==(const TLaidLine&, const TLaidLine&) = default;
};

std::vector<TLaidLine> LaidLines(TCustomMemo& edit) {
  std::vector<TLaidLine> out;
  const int count = edit.LineCount();
  for (int i = 0; i < count; ++i) {
    const int start = static_cast<int>(edit.Perform(EM_LINEINDEX, static_cast<WPARAM>(i), 0));
    out.push_back({start, edit.PosFromChar(start).Y});
  }
  return out;
}

// A change of width lays the whole text out again; the old width back
// gives the lines a layout from nothing has.
std::vector<TLaidLine> FreshLines(TCustomMemo& edit) {
  edit.SetBounds(edit.Left(), edit.Top(), edit.Width() + 1, edit.Height());
  edit.SetBounds(edit.Left(), edit.Top(), edit.Width() - 1, edit.Height());
  return LaidLines(edit);
}

AnsiString RandomPiece(std::mt19937& random) {
  static const AnsiString pieces[] = {"x",         " ",  "ab", "\r\n", "Γράμμα "_a,
                                      "\r\ny\r\n", "\r", "\n", "",     "λ\tμ"_a};
  return pieces[random() % std::size(pieces)];
}

TEST_F(RichEditUndoTest, EveryEditIsUndoneAndRedoneExactlyAndLaidOutAsFromNothing) {
  for (const bool wrap : {false, true}) {
    auto* edit = Add<TRichEdit>(10, 10, 260, 200);
    edit->SetWordWrap(wrap);
    edit->SetScrollBars(ssBoth);
    ShowForm();
    edit->SetFocus();
    Application->ProcessMessages();
    AnsiString text;
    for (int i = 0; i < 40; ++i) text += "Γραμμή "_a + IntToStr(i) + " με λίγες λέξεις για αναδίπλωση\r\n"_a;
    edit->SetText(text);
    std::mt19937 random(wrap ? 7 : 11);
    for (int step = 0; step < 400; ++step) {
      const int n = static_cast<int>(edit->Text().size());
      const int at = static_cast<int>(random() % static_cast<unsigned>(n + 1));
      const int length = random() % 4 == 0 ? static_cast<int>(random() % 60) : 0;
      edit->SetSelStart(at);
      edit->SetSelLength(std::min(length, n - at));
      const TRichContent before = edit->Content();
      edit->Perform(EM_EMPTYUNDOBUFFER, 0, 0);
      const int kind = static_cast<int>(random() % 7);
      switch (kind) {
        case 0:
          edit->Perform(WM_CHAR, 'q', 0);
          break;
        case 1:
          edit->Perform(WM_CHAR, '\b', 0);
          break;
        case 2:
          backend->PressKey(VK_RETURN);
          break;
        case 3:
          edit->SetSelText(RandomPiece(random));
          break;
        case 4:
          edit->SelAttributes().SetStyle(random() % 2 ? fsBold : fsItalic);
          break;
        case 5:
          edit->Paragraph().SetAlignment(random() % 2 ? taCenter : taRightJustify);
          break;
        default: {
          TRichDocument doc;
          TRichCharFormat red = edit->Content().Default();
          red.Color = clRed;
          doc.Paragraphs[0].Append(red, u"κόκκινο");
          doc.Paragraphs.push_back({});
          doc.Paragraphs[1].Format.LeftIndent = 360;
          doc.Paragraphs[1].Append(edit->Content().Default(), u"εσοχή");
          edit->ReplaceSelection(doc);
          break;
        }
      }
      const TRichContent after = edit->Content();
      const std::vector<TLaidLine> laid = LaidLines(*edit);
      ASSERT_EQ(laid, FreshLines(*edit)) << "step " << step << " kind " << kind;
      if (!edit->CanUndo()) continue;
      edit->Undo();
      ASSERT_TRUE(edit->Content() == before) << "step " << step << " kind " << kind;
      ASSERT_EQ(edit->Text(), before.Text());
      ASSERT_EQ(LaidLines(*edit), FreshLines(*edit)) << "step " << step;
      // A second Undo takes the first back.
      edit->Undo();
      ASSERT_TRUE(edit->Content() == after) << "step " << step << " kind " << kind;
      ASSERT_EQ(edit->Text(), after.Text());
    }
    delete edit;
  }
}

TEST_F(RichEditUndoTest, AnEditWithoutItsOwnUndoJoinsTheOneBefore) {
  auto* edit = Add<TRichEdit>(10, 10, 260, 200);
  ShowForm();
  edit->SetText("one\r\ntwo\r\nthree");
  edit->SetSelStart(0);
  const TRichContent before = edit->Content();
  edit->Perform(WM_CHAR, 'A', 0);
  // EM_REPLACESEL with FALSE keeps no undo of its own: Undo goes back past
  // it to the text before the typing, as the whole text kept would.
  edit->SetSelStart(static_cast<int>(edit->Text().size()));
  edit->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("\r\nfour"));
  edit->SetSelStart(6);
  edit->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("X"));
  EXPECT_EQ(edit->Text(), "Aone\r\nXtwo\r\nthree\r\nfour");
  edit->Undo();
  EXPECT_EQ(edit->Text(), "one\r\ntwo\r\nthree");
  EXPECT_TRUE(edit->Content() == before);
  edit->Undo();
  EXPECT_EQ(edit->Text(), "Aone\r\nXtwo\r\nthree\r\nfour");
}

TEST_F(RichEditUndoTest, TheMemosUndoByDifferenceMatchesTheWholeText) {
  auto* memo = Add<TMemo>(10, 10, 260, 200);
  ShowForm();
  AnsiString text;
  for (int i = 0; i < 30; ++i) text += "γραμμή "_a + IntToStr(i) + "\r\n";
  memo->SetText(text);
  std::mt19937 random(5);
  for (int step = 0; step < 300; ++step) {
    const int n = static_cast<int>(memo->Text().size());
    const int at = static_cast<int>(random() % static_cast<unsigned>(n + 1));
    memo->SetSelStart(at);
    memo->SetSelLength(random() % 3 == 0 ? static_cast<int>(random() % 20) : 0);
    const AnsiString before = memo->Text();
    memo->Perform(EM_EMPTYUNDOBUFFER, 0, 0);
    if (random() % 2)
      memo->Perform(WM_CHAR, '\b', 0);
    else
      memo->SetSelText(RandomPiece(random));
    // Now and then a change that keeps no undo of its own joins it.
    if (random() % 5 == 0) {
      memo->SetSelStart(static_cast<int>(random() % (memo->Text().size() + 1)));
      memo->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("+"));
    }
    const AnsiString after = memo->Text();
    if (!memo->CanUndo()) continue;
    memo->Undo();
    ASSERT_EQ(memo->Text(), before) << "step " << step;
    memo->Undo();
    ASSERT_EQ(memo->Text(), after) << "step " << step;
  }
}

}  // namespace
