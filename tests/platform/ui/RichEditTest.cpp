#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/ComCtrls.h"

namespace {

using RichEditTest = ControlsTest;

std::vector<AnsiString> LinesOf(const TStrings& strings) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < strings.Count(); ++i) lines.push_back(strings[i]);
  return lines;
}

TEST_F(RichEditTest, DrawsItsTextInItsOwnFont) {
  auto* edit = Add<TRichEdit>(10, 10, 300, 120);
  TFont font;
  font.Name = "Courier New Greek";
  font.SetHeight(-13);
  font.Color = clNavy;
  edit->SetFont(font);
  edit->SetWordWrap(false);
  edit->Lines().Add("ΠΡΟΣΦΟΡΕΣ"_a);
  edit->Lines().Add("  1  Μειοδότης"_a);
  ShowForm();
  const auto drawn = Record(*edit);
  std::vector<AnsiString> texts;
  for (const auto& call : drawn->CallsOf("ExtTextOut")) {
    if (call.Text.empty()) continue;  // the empty line after the last break
    texts.push_back(call.Text);
    EXPECT_EQ(call.Font.Name, "Courier New Greek");
    EXPECT_EQ(call.Font.Height(), -13);
    EXPECT_EQ(call.Font.Color, clNavy);
  }
  EXPECT_EQ(texts, (std::vector<AnsiString>{"ΠΡΟΣΦΟΡΕΣ"_a, "  1  Μειοδότης"_a}));
  // A font change redraws in the new font.
  font.Name = "Courier New";
  edit->SetFont(font);
  const auto again = Record(*edit)->CallsOf("ExtTextOut");
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(again[0].Font.Name, "Courier New");
}

TEST_F(RichEditTest, BatchedLinesMatchWhatTheMemoWouldHold) {
  // The same changes with and without a batch give the same lines and text.
  auto* plain = Add<TRichEdit>(10, 10, 200, 100);
  auto* batched = Add<TRichEdit>(10, 120, 200, 100);
  const auto apply = [](TStrings& lines) {
    lines.Add("πρώτη"_a);
    lines.Add("\r\nκλείσιμο"_a);  // a line with a break in it: two lines
    lines.Insert(0, "αρχή"_a);
    lines.Put(1, "ΠΡΩΤΗ"_a);
    lines.Add("");
    lines.Delete(0);
    lines.Add("τέλος\r\n"_a);  // a break at the end leaves an empty line
  };
  apply(plain->Lines());
  batched->Lines().BeginUpdate();
  apply(batched->Lines());
  // Reading during the batch sees the batch.
  EXPECT_EQ(LinesOf(batched->Lines()), LinesOf(plain->Lines()));
  batched->Lines().EndUpdate();
  const std::vector<AnsiString> expected{"ΠΡΩΤΗ"_a, "", "κλείσιμο"_a, "", "τέλος"_a, ""};
  EXPECT_EQ(LinesOf(plain->Lines()), expected);
  EXPECT_EQ(LinesOf(batched->Lines()), expected);
  // The memo's own view of the control agrees once the batch is over.
  EXPECT_EQ(LinesOf(static_cast<TCustomMemo*>(batched)->Lines()), expected);
}

TEST_F(RichEditTest, AssignCopiesEveryLineAndReplacesWhatWasThere) {
  auto* source = Add<TRichEdit>(10, 10, 200, 100);
  auto* copy = Add<TRichEdit>(10, 120, 200, 100);
  source->Lines().BeginUpdate();
  for (int i = 0; i < 500; ++i) source->Lines().Add(Format("%3d %s", {i, AnsiString(80, 'x')}));
  source->Lines().EndUpdate();
  copy->Lines().Add("παλιό"_a);
  copy->Lines().Assign(source->Lines());
  ASSERT_EQ(copy->Lines().Count(), 500);
  EXPECT_EQ(copy->Lines()[0], source->Lines()[0]);
  EXPECT_EQ(copy->Lines()[499], source->Lines()[499]);
  EXPECT_EQ(copy->Text(), source->Text());
  EXPECT_EQ(copy->Lines().UpdateCount(), 0);
}

TEST_F(RichEditTest, AReadOnlyBatchLeavesTextAndCaretAlone) {
  auto* edit = Add<TRichEdit>(10, 10, 200, 100);
  edit->Lines().SetText("α\r\nβ"_a);  // no break after the last line
  edit->SetSelStart(3);
  edit->Lines().BeginUpdate();
  EXPECT_EQ(edit->Lines().Count(), 2);
  EXPECT_EQ(edit->Lines()[1], "β"_a);
  edit->Lines().EndUpdate();
  EXPECT_EQ(edit->Text(), "α\r\nβ"_a);
  EXPECT_EQ(edit->SelStart(), 3);
}

TEST_F(RichEditTest, ABatchOutOfRangeRaisesAndStaysConsistent) {
  auto* edit = Add<TRichEdit>(10, 10, 200, 100);
  edit->Lines().Add("α"_a);
  edit->Lines().BeginUpdate();
  EXPECT_THROW(edit->Lines().Get(1), EStringListError);
  EXPECT_THROW(edit->Lines().Delete(-1), EStringListError);
  EXPECT_THROW(edit->Lines().Insert(2, "x"), EStringListError);
  edit->Lines().EndUpdate();
  EXPECT_EQ(LinesOf(edit->Lines()), std::vector<AnsiString>{"α"_a});
}

TEST_F(RichEditTest, AHiddenEditSetsItsScrollBarsOnceItShows) {
  auto* edit = Add<TRichEdit>(10, 10, 200, 100);
  edit->SetScrollBars(ssBoth);
  edit->SetWordWrap(false);
  const AnsiString wide = "Μια γραμμή πολύ πλατύτερη από το πλαίσιο της"_a;
  for (int i = 0; i < 30; ++i) edit->Lines().Add(i == 7 ? wide : "γραμμή"_a);
  const auto info = [&](int bar) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(edit->Handle(), bar, &si);
    return si;
  };
  ShowForm();
  // One position per line, the empty one after the last break included.
  EXPECT_EQ(info(SB_VERT).nMax, 30);
  TImageCanvas measure(1, 1);
  measure.Font->Assign(edit->Font());
  EXPECT_EQ(info(SB_HORZ).nMax, measure.TextWidth(wide));
  // Showing, it follows every change at once.
  edit->Lines().Add("τέλος"_a);
  EXPECT_EQ(info(SB_VERT).nMax, 31);
  edit->Hide();
  edit->Lines().Delete(0);
  edit->Show();
  Application->ProcessMessages();
  EXPECT_EQ(info(SB_VERT).nMax, 30);
}

TEST_F(RichEditTest, KeepsTheMemosEditingScrollBarsAndSwitches) {
  auto* edit = Add<TRichEdit>(10, 10, 200, 100);
  EXPECT_FALSE(edit->PlainText());
  edit->SetPlainText(true);
  EXPECT_TRUE(edit->PlainText());
  edit->SetScrollBars(ssBoth);
  EXPECT_EQ(edit->ScrollBars(), ssBoth);
  edit->SetWordWrap(false);
  EXPECT_FALSE(edit->WordWrap());
  ShowForm();
  edit->SetFocus();
  backend->Type("Σύνολο"_a);
  EXPECT_EQ(edit->Lines()[0], "Σύνολο"_a);
  edit->SetReadOnly(true);
  backend->Type("x");
  EXPECT_EQ(edit->Lines()[0], "Σύνολο"_a);
  edit->Clear();
  EXPECT_EQ(edit->Lines().Count(), 0);
  edit->Hide();
  EXPECT_FALSE(edit->Visible());
}

}  // namespace
