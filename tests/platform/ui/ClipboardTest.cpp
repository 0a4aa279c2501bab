#include <gtest/gtest.h>

#include <vector>

#include "UiFixture.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/StdEdits.h"

namespace {

// A window in the viewer chain that passes every notice on to its next
// viewer, as a well-behaved viewer does.
class TViewer : public TWindowTarget {
 public:
  TViewer() : Handle(ui::RegisterWindow(this)) {}
  ~TViewer() override { ui::UnregisterWindow(Handle); }
  LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_DRAWCLIPBOARD) {
      ++Draws;
      if (Next) SendMessage(Next, msg, wParam, lParam);
    } else if (msg == WM_CHANGECBCHAIN) {
      Changes.push_back({reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam)});
      if (reinterpret_cast<HWND>(wParam) == Next)
        Next = reinterpret_cast<HWND>(lParam);
      else if (Next)
        SendMessage(Next, msg, wParam, lParam);
    }
    return 0;
  }
  HWND Handle;
  HWND Next = nullptr;
  int Draws = 0;
  std::vector<std::pair<HWND, HWND>> Changes;
};

class ClipboardTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ui::ResetClipboard();
    cells = RegisterClipboardFormat("TExtStringGrid Cells");
    rtf = RegisterClipboardFormat("Rich Text Format");
  }
  UINT cells = 0, rtf = 0;
};

TEST_F(ClipboardTest, TextGoesToTheSystemClipboardIn1253) {
  Clipboard()->SetAsText("Σφάλμα\r\nγραμμή 2"_a);
  EXPECT_EQ(backend->ClipboardText(), "Σφάλμα\r\nγραμμή 2"_a);
  EXPECT_EQ(Clipboard()->AsText(), "Σφάλμα\r\nγραμμή 2"_a);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_FALSE(Clipboard()->HasFormat(cells));
}

TEST_F(ClipboardTest, RegisteredFormatsKeepOneNumberPerNameIgnoringCase) {
  const UINT column = RegisterClipboardFormat("Grid Column");
  EXPECT_GE(cells, 0xC000u);
  EXPECT_NE(cells, rtf);
  EXPECT_NE(cells, column);
  EXPECT_EQ(RegisterClipboardFormat("rich text format"), rtf);
  EXPECT_EQ(GetClipboardFormatName(cells), "TExtStringGrid Cells");
  EXPECT_EQ(GetClipboardFormatName(CF_TEXT), "");
  EXPECT_EQ(RegisterClipboardFormat(""), 0u);
}

TEST_F(ClipboardTest, TextCellsAndRichTextStandSideBySide) {
  const std::string block("\x01\x00\xff payload", 11);
  Clipboard()->Open();
  Clipboard()->SetAsText("a\tb\r\n"_a);
  Clipboard()->SetAsHandle(cells, block);
  Clipboard()->SetAsHandle(rtf, "{\\rtf1 x}");
  Clipboard()->Close();
  EXPECT_EQ(Clipboard()->AsText(), "a\tb\r\n");
  EXPECT_EQ(Clipboard()->GetAsHandle(cells), block);
  EXPECT_EQ(Clipboard()->GetAsHandle(rtf), "{\\rtf1 x}");
  ASSERT_EQ(Clipboard()->FormatCount(), 3);
  EXPECT_EQ(Clipboard()->Formats(0), CF_TEXT);
  EXPECT_EQ(Clipboard()->Formats(1), cells);
  EXPECT_EQ(Clipboard()->Formats(2), rtf);
  EXPECT_THROW(Clipboard()->Formats(3), EListError);

  // A block set again replaces the old one of its format only.
  Clipboard()->SetAsHandle(cells, "new");
  EXPECT_EQ(Clipboard()->GetAsHandle(cells), "new");
  EXPECT_TRUE(Clipboard()->HasFormat(rtf));
}

TEST_F(ClipboardTest, ANewTextCopyDropsTheOtherFormats) {
  Clipboard()->SetAsHandle(cells, "x");
  Clipboard()->SetAsText("plain");
  EXPECT_FALSE(Clipboard()->HasFormat(cells));
  EXPECT_EQ(Clipboard()->GetAsHandle(cells), "");
}

TEST_F(ClipboardTest, AnotherProgramCopyingMakesTheProgramsBlocksStale) {
  Clipboard()->SetAsText("1\t2");
  Clipboard()->SetAsHandle(cells, "cells of 1 2");
  backend->SetClipboardText("from elsewhere");
  EXPECT_FALSE(Clipboard()->HasFormat(cells));
  EXPECT_EQ(Clipboard()->AsText(), "from elsewhere");
  EXPECT_EQ(Clipboard()->FormatCount(), 1);
}

TEST_F(ClipboardTest, TextBlockEndsAtItsNul) {
  Clipboard()->SetAsHandle(CF_TEXT, std::string("abc\0junk", 8));
  EXPECT_EQ(Clipboard()->AsText(), "abc");
  EXPECT_EQ(Clipboard()->GetAsHandle(CF_TEXT), "abc");
}

TEST_F(ClipboardTest, ClearEmptiesEverything) {
  Clipboard()->SetAsText("t");
  Clipboard()->SetAsHandle(rtf, "r");
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_FALSE(Clipboard()->HasFormat(rtf));
  EXPECT_EQ(Clipboard()->FormatCount(), 0);
  EXPECT_EQ(backend->ClipboardText(), "");
}

TEST_F(ClipboardTest, ViewersHearOnceForEachChangeAndPassItOn) {
  TViewer first, second;
  second.Next = SetClipboardViewer(second.Handle);
  EXPECT_EQ(second.Next, nullptr);
  EXPECT_EQ(second.Draws, 1);  // joining shows the current contents
  first.Next = SetClipboardViewer(first.Handle);
  EXPECT_EQ(first.Next, second.Handle);
  EXPECT_EQ(GetClipboardViewer(), first.Handle);
  first.Draws = second.Draws = 0;

  Clipboard()->SetAsText("one");
  EXPECT_EQ(first.Draws, 1);
  EXPECT_EQ(second.Draws, 1);

  Clipboard()->Open();
  Clipboard()->SetAsText("two");
  Clipboard()->SetAsHandle(cells, "c");
  EXPECT_EQ(first.Draws, 1);  // nothing until the clipboard closes
  Clipboard()->Close();
  EXPECT_EQ(first.Draws, 2);
  EXPECT_EQ(second.Draws, 2);

  ui::ClipboardChangedOutside();
  EXPECT_EQ(second.Draws, 3);
}

TEST_F(ClipboardTest, LeavingTheChainTellsThePredecessorItsNewNext) {
  TViewer a, b, c;
  c.Next = SetClipboardViewer(c.Handle);
  b.Next = SetClipboardViewer(b.Handle);
  a.Next = SetClipboardViewer(a.Handle);  // chain: a -> b -> c

  EXPECT_TRUE(ChangeClipboardChain(b.Handle, b.Next));
  ASSERT_EQ(a.Changes.size(), 1u);
  EXPECT_EQ(a.Changes[0].first, b.Handle);
  EXPECT_EQ(a.Next, c.Handle);

  c.Draws = 0;
  Clipboard()->SetAsText("after");
  EXPECT_EQ(c.Draws, 1);
  EXPECT_EQ(b.Draws, 1);  // b heard nothing since it left

  EXPECT_TRUE(ChangeClipboardChain(a.Handle, a.Next));
  EXPECT_EQ(GetClipboardViewer(), c.Handle);
  EXPECT_FALSE(ChangeClipboardChain(a.Handle, nullptr));
}

TEST_F(ClipboardTest, EditsCopyAndPasteThroughTheClipboardObject) {
  TDemoForm& f = ShowDemo();
  auto* edit = new TEdit(&f);
  edit->SetBounds(10, 80, 150, 24);
  edit->SetParent(&f);
  edit->SetText("Προσφορά"_a);
  TViewer viewer;
  viewer.Next = SetClipboardViewer(viewer.Handle);
  Clipboard()->SetAsHandle(cells, "stale");
  viewer.Draws = 0;

  edit->SelectAll();
  edit->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "Προσφορά"_a);
  EXPECT_FALSE(Clipboard()->HasFormat(cells));
  EXPECT_EQ(viewer.Draws, 1);

  Clipboard()->SetAsText("νέο"_a);
  edit->SelectAll();
  edit->PasteFromClipboard();
  EXPECT_EQ(edit->Text(), "νέο"_a);
}

struct LineCase {
  const char* inside;  // UTF-8 source, converted to 1253
  const char* outside;
};

TEST(ClipboardText, LineEndsAndCodePageAtTheEdge) {
  const LineCase cases[] = {
      {"a\r\nb", "a\nb"},       {"Σφάλμα\r\n", "Σφάλμα\n"}, {"", ""},
      {"lone\rcr", "lone\rcr"}, {"\r\n\r\n", "\n\n"},
  };
  for (const auto& c : cases) {
    const AnsiString inside = cp1253::FromUtf8(c.inside);
    EXPECT_EQ(ui::ClipboardTextToSystem(inside), c.outside) << c.inside;
    EXPECT_EQ(ui::ClipboardTextFromSystem(c.outside), inside) << c.outside;
  }
  // Outside text already in CR LF keeps single line ends; characters the
  // code page lacks become "?".
  EXPECT_EQ(ui::ClipboardTextFromSystem("x\r\ny"), "x\r\ny");
  EXPECT_EQ(ui::ClipboardTextFromSystem("a\xe2\x82\xac\xe4\xb8\xad"), "a\x80?");
}

}  // namespace
