#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "../TestOutput.h"
#include "../platform/OtherPrograms.h"
#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ComCtrls.h"

namespace {

using ExtGridRichTextTest = GridFormTest;

// A rich text of Greek words, one of them bold, as our rich edit writes it.
AnsiString GreekRtf(TComponent* owner) {
  TRichEdit edit(owner);
  edit.SetText(cp1253::FromUtf8("Προσφορά μειοδότη\r\nΈκπτωση 12,50%"));
  edit.SetSelStart(0);
  edit.SetSelLength(8);
  edit.SelAttributes().SetStyle(fsBold);
  return edit.RichText();
}

TEST_F(ExtGridRichTextTest, RichCellsTravelThroughARichEdit) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  const AnsiString rtf = GreekRtf(&g);
  g.SetCellText(1, 1, rtf);
  TRichEdit edit(&g);
  g.CellToRichEdit(1, 1, edit);
  EXPECT_EQ(edit.Text(), cp1253::FromUtf8("Προσφορά μειοδότη\r\nΈκπτωση 12,50%"));
  AnsiString back;
  g.RichEditToRTF(edit, back);
  EXPECT_EQ(back, rtf);

  // Empty cells clear, damaged RTF goes in as the text it is.
  g.CellToRichEdit(2, 2, edit);
  EXPECT_EQ(edit.Text(), "");
  g.RichEditToRTF(edit, back);
  EXPECT_EQ(back, "");
  g.SetCellText(2, 1, "{\\rtf1 {\\b unclosed");
  g.CellToRichEdit(2, 1, edit);
  EXPECT_FALSE(edit.Text().empty());

  // The selection text gives the plain text.
  g.SetSelection(TGridRect{1, 1, 1, 1});
  AnsiString selection;
  g.GetSelectionAsText(selection);
  EXPECT_EQ(selection, cp1253::FromUtf8("Προσφορά μειοδότη\r\nΈκπτωση 12,50%"));
}

TEST_F(ExtGridRichTextTest, ACopiedRichCellReadsAsGreekToAnotherProgram) {
  if (!Have("unrtf")) FAIL() << "unrtf is missing (scripts/packages.txt)";
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetCellText(1, 1, GreekRtf(&g));
  g.Navigation().AllowRTFClipboard = true;
  g.SetSelection(TGridRect{1, 1, 1, 1});
  g.CopySelection();
  const std::string block = Clipboard()->GetAsHandle(RegisterClipboardFormat("Rich Text Format"));
  ASSERT_FALSE(block.empty());
  const std::string file = TestOutput("cell.rtf");
  std::ofstream(file, std::ios::binary) << block.substr(0, block.find('\0'));
  // unrtf's text output writes code points cut to a byte; its HTML names
  // each Greek letter.
  const std::string html = RunCommand("unrtf --html '" + file + "' 2>/dev/null");
  EXPECT_NE(html.find("&Pi;&rho;&omicron;&sigma;&phi;&omicron;&rho;&#940;"), std::string::npos) << html;
  EXPECT_NE(html.find("&#904;&kappa;&pi;&tau;&omega;&sigma;&eta; 12,50%"), std::string::npos) << html;
  EXPECT_NE(html.find("<b>"), std::string::npos) << html;
}

TEST_F(ExtGridRichTextTest, ACopiedRichCellReadsAsPlainGreekText) {
  if (!Have("unrtf")) FAIL() << "unrtf is missing (scripts/packages.txt)";
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetCellText(1, 1, GreekRtf(&g));
  g.Navigation().AllowRTFClipboard = true;
  g.SetSelection(TGridRect{1, 1, 1, 1});
  g.CopySelection();
  const std::string block = Clipboard()->GetAsHandle(RegisterClipboardFormat("Rich Text Format"));
  const std::string file = TestOutput("cell-text.rtf");
  std::ofstream(file, std::ios::binary) << block.substr(0, block.find('\0'));
  // The text output writes each code point as its low byte: the Greek
  // letters come back when the Greek block is put back above them.
  const std::string text = RunCommand("unrtf --text '" + file + "' 2>/dev/null");
  std::string greek;
  for (unsigned char b : text.substr(text.rfind("-----------------\n") + 18)) {
    const unsigned cp = b < 0x80 ? b : 0x300 + b;
    if (cp < 0x80) {
      greek += static_cast<char>(cp);
    } else {
      greek += static_cast<char>(0xC0 | (cp >> 6));
      greek += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  EXPECT_NE(greek.find("Προσφορά μειοδότη"), std::string::npos) << text;
  EXPECT_NE(greek.find("Έκπτωση 12,50%"), std::string::npos) << text;
}

}  // namespace
