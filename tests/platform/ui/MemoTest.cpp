#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/StdEdits.h"

namespace {

using MemoTest = ControlsTest;

std::vector<AnsiString> LinesOf(const TStrings& strings) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < strings.Count(); ++i) lines.push_back(strings[i]);
  return lines;
}

SCROLLINFO InfoOf(TWinControl& control, int bar) {
  SCROLLINFO info;
  info.fMask = SIF_ALL;
  GetScrollInfo(control.Handle(), bar, &info);
  return info;
}

// What a paint draws, call by call: the operation, where, and the text.
std::vector<std::tuple<AnsiString, std::vector<int>, AnsiString>> Drawing(TRecordingCanvas& canvas) {
  std::vector<std::tuple<AnsiString, std::vector<int>, AnsiString>> calls;
  for (const auto& call : canvas.Calls) calls.emplace_back(call.Op, call.Args, call.Text);
  return calls;
}

struct WrapCase {
  bool wrap;
  bool focused;
};

class MemoWrittenLineByLine : public MemoTest, public ::testing::WithParamInterface<WrapCase> {};

TEST_P(MemoWrittenLineByLine, EndsAsTheSameTextAssignedAtOnce) {
  // One memo is written a line at a time while it shows, the other gets
  // the whole text at once: lines, bars and drawing agree.
  auto* byLine = Add<TMemo>(10, 10, 220, 120);
  auto* atOnce = Add<TMemo>(240, 10, 220, 120);
  for (TMemo* memo : {byLine, atOnce}) {
    memo->SetScrollBars(ssBoth);
    memo->SetWordWrap(GetParam().wrap);
  }
  ShowForm();
  if (GetParam().focused) byLine->SetFocus();
  std::vector<AnsiString> report;
  AnsiString text;
  for (int i = 0; i < 60; ++i) {
    // Lines of changing width, the widest in the middle, some empty.
    const AnsiString line =
        i % 7 == 3 ? AnsiString() : Format("%2d Προσφορά %s", {i, AnsiString(i == 31 ? 50 : i % 9, 'x')});
    report.push_back(line);
    text += line + "\r\n";
    byLine->Lines().Add(line);
    // Read back as it grows: the bars follow every line at once.
    EXPECT_EQ(InfoOf(*byLine, SB_VERT).nMax, byLine->LineCount() - 1);
  }
  atOnce->Lines().SetText(text);
  Application->ProcessMessages();
  EXPECT_EQ(LinesOf(byLine->Lines()), report);
  EXPECT_EQ(LinesOf(atOnce->Lines()), report);
  EXPECT_EQ(byLine->LineCount(), atOnce->LineCount());
  for (int bar : {SB_VERT, SB_HORZ}) {
    const SCROLLINFO a = InfoOf(*byLine, bar), b = InfoOf(*atOnce, bar);
    EXPECT_EQ(a.nMin, b.nMin);
    EXPECT_EQ(a.nMax, b.nMax);
    EXPECT_EQ(a.nPage, b.nPage);
    EXPECT_EQ(a.nPos, b.nPos);
  }
  if (!GetParam().wrap) {
    EXPECT_GT(InfoOf(*byLine, SB_HORZ).nMax, 200);
  }  // the widest line, not the first
  auto drawnByLine = Record(*byLine);
  auto drawnAtOnce = Record(*atOnce);
  EXPECT_FALSE(drawnByLine->CallsOf("ExtTextOut").empty());
  if (!GetParam().focused) {
    EXPECT_EQ(Drawing(*drawnByLine), Drawing(*drawnAtOnce));
  }
  // Scrolled to the end by the bar, both show the same last lines.
  for (TMemo* memo : {byLine, atOnce}) memo->Perform(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(byLine->TopLine(), atOnce->TopLine());
  EXPECT_GT(byLine->TopLine(), 0);
  EXPECT_EQ(GetScrollPos(byLine->Handle(), SB_VERT), byLine->TopLine());
  EXPECT_EQ(DrawnTexts(*Record(*byLine)), DrawnTexts(*Record(*atOnce)));
  EXPECT_EQ(Record(*byLine)->TextDrawn(), Record(*atOnce)->TextDrawn());
}

INSTANTIATE_TEST_SUITE_P(Layouts, MemoWrittenLineByLine,
                         ::testing::Values(WrapCase{true, false}, WrapCase{false, false},
                                           WrapCase{false, true}),
                         [](const auto& info) {
                           return std::string(info.param.wrap ? "Wrapped" : "Unwrapped") +
                                  (info.param.focused ? "Focused" : "");
                         });

// A memo's text read back line by line: CR, LF and CR LF each end a line,
// a break at the end makes no empty last line, and a line holds no break.
TEST_F(MemoTest, EveryKindOfBreakEndsALine) {
  struct Case {
    AnsiString text;
    std::vector<AnsiString> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"one", {"one"}},
      {"one\r\ntwo", {"one", "two"}},
      {"one\rtwo\nthree\r\n", {"one", "two", "three"}},
      {"\n\r", {"", ""}},
      {"\r\r\n\n", {"", "", ""}},
      {"a\n\r\nb\r", {"a", "", "b"}},
      {"\r\n", {""}},
      {"x\r\n\r\ny", {"x", "", "y"}},
      {AnsiString("nul\0inside\rz", 12), {AnsiString("nul\0inside", 10), "z"}},
  };
  auto* memo = Add<TMemo>(10, 10, 120, 120);
  for (const Case& c : cases) {
    memo->Lines().SetText(c.text);
    EXPECT_EQ(LinesOf(memo->Lines()), c.lines) << ::testing::PrintToString(c.text);
  }
}

// Lines added at the end keep the layout before them and lay out only
// what follows; the lines, their starts and the widest line must be what
// a memo given the whole text lays out.
TEST_F(MemoTest, LinesAddedAtTheEndLayOutAsTheWholeText) {
  struct Case {
    const char* name;
    AnsiString start;               // the text before the additions
    std::vector<AnsiString> added;  // each added as a line
  };
  const std::vector<Case> cases = {
      {"empty", "", {"a", "", "bb b bbb bbbb bbbbb bbbbbb bbbbbbb bbbbbbbb bbbbbbbbb", "c"}},
      {"last line without a break", "one\r\ntwo", {"three", "four"}},
      {"a lone CR at the end pairs with an added LF", "one\r", {"\ntwo", "three"}},
      {"a lone LF at the end", "one\n", {"two"}},
      {"added lines holding breaks", "x", {"a\r\nb", "c\rd\ne", "", "f\r\n"}},
      {"breaks only", "\r\n\r\n", {"", "wide wide wide wide wide wide wide wide wide wide wide"}},
  };
  for (const bool wrap : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (wrap ? ", wrapped" : ", unwrapped"));
      auto* byLine = Add<TMemo>(10, 10, 120, 120);
      auto* atOnce = Add<TMemo>(240, 10, 120, 120);
      for (TMemo* memo : {byLine, atOnce}) {
        memo->SetScrollBars(ssBoth);
        memo->SetWordWrap(wrap);
      }
      byLine->Lines().SetText(c.start);
      for (const AnsiString& line : c.added) {
        InfoOf(*byLine, SB_HORZ);  // laid out and measured between additions
        byLine->Lines().Add(line);
      }
      atOnce->Lines().SetText(byLine->Text());
      EXPECT_EQ(LinesOf(byLine->Lines()), LinesOf(atOnce->Lines()));
      ASSERT_EQ(byLine->LineCount(), atOnce->LineCount());
      for (int i = 0; i < atOnce->LineCount(); ++i)
        EXPECT_EQ(byLine->LineIndex(i), atOnce->LineIndex(i)) << i;
      EXPECT_EQ(InfoOf(*byLine, SB_HORZ).nMax, InfoOf(*atOnce, SB_HORZ).nMax);
      delete byLine;
      delete atOnce;
    }
  }
}

TEST_F(MemoTest, AHiddenMemoSetsItsBarsWhenRead) {
  auto* memo = Add<TMemo>(10, 10, 200, 100);
  memo->SetScrollBars(ssVertical);
  memo->Hide();
  ShowForm();
  for (int i = 0; i < 25; ++i) memo->Lines().Add(IntToStr(i));
  EXPECT_EQ(InfoOf(*memo, SB_VERT).nMax, 25);
  memo->Lines().Delete(0);
  memo->Show();
  Application->ProcessMessages();
  EXPECT_EQ(InfoOf(*memo, SB_VERT).nMax, 24);
}

}  // namespace
