// The rich edit's formats through the headless backend: typing, selection,
// attributes, undo, find, lines, RTF in and out, the clipboard.
#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ComCtrls.h"

namespace {

using RichEditModelTest = ControlsTest;

TRichEdit* Focused(RichEditModelTest&, TRichEdit* edit) {
  edit->SetFocus();
  Application->ProcessMessages();
  return edit;
}

TEST_F(RichEditModelTest, TypedTextTakesTheAttributesSetOnTheCaretAndOnASelection) {
  auto* edit = Add<TRichEdit>(10, 10, 300, 120);
  ShowForm();
  Focused(*this, edit);
  backend->Type("ab");
  edit->SelAttributes().SetStyle(fsBold);
  backend->Type("cd");
  backend->PressKey(VK_RETURN);
  backend->Type("ef");
  EXPECT_EQ(edit->Text(), "abcd\r\nef");
  EXPECT_EQ(edit->Content().FormatAt(1).Style, 0u);
  EXPECT_EQ(edit->Content().FormatAt(2).Style, static_cast<TFontStyles>(fsBold));
  EXPECT_EQ(edit->Content().FormatAt(7).Style, static_cast<TFontStyles>(fsBold));
  // Shift+Home selects "ef", Shift+Left once more takes the break (two
  // characters) into it.
  backend->PressKey(VK_HOME, {ssShift});
  EXPECT_EQ(edit->SelStart(), 6);
  EXPECT_EQ(edit->SelLength(), 2);
  edit->SelAttributes().SetColor(clRed);
  edit->SelAttributes().SetSize(20);
  EXPECT_EQ(edit->Content().FormatAt(6).Color, clRed);
  EXPECT_EQ(edit->Content().FormatAt(6).HalfPoints, 40);
  EXPECT_EQ(edit->SelAttributes().Size(), 20);
  EXPECT_TRUE(edit->Modified);
  // Undo (one level) takes the size back; the text and colour stay.
  edit->Undo();
  EXPECT_EQ(edit->Text(), "abcd\r\nef");
  EXPECT_EQ(edit->Content().FormatAt(6).HalfPoints, edit->Content().FormatAt(2).HalfPoints);
  EXPECT_EQ(edit->Content().FormatAt(6).Color, clRed);
}

TEST_F(RichEditModelTest, AClickInACentredLineFindsItsCharacterAndTellsTheSelection) {
  auto* edit = Add<TRichEdit>(10, 10, 300, 120);
  edit->SetWordWrap(false);
  edit->Lines().Add("left");
  edit->Lines().Add("centred");
  edit->SetSelStart(6);
  edit->Paragraph().SetAlignment(taCenter);
  int changes = 0;
  edit->OnSelectionChange = [&](TObject*) { ++changes; };
  ShowForm();
  const TPoint at = edit->PosFromChar(9);  // between "cen" and "tred"
  EXPECT_GT(at.X, 100);
  backend->Click(*edit, at.X + 1, at.Y + 2);
  EXPECT_EQ(edit->SelStart(), 9);
  EXPECT_EQ(edit->Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0), 1);
  EXPECT_EQ(changes, 1);
}

TEST_F(RichEditModelTest, RequiredSizeFollowsFontsAndWrapping) {
  auto* edit = Add<TRichEdit>(10, 10, 120, 100);
  edit->SetWordWrap(false);
  edit->SetRichText("{\\rtf1\\fs20 small words in a row that is long\\par\\fs40 Big}");
  const TSize natural = edit->RequiredSize();
  edit->SetWordWrap(true);
  const TSize wrapped = edit->RequiredSize();
  EXPECT_GT(natural.cx, 150);
  EXPECT_LE(wrapped.cx, 120);
  EXPECT_GT(wrapped.cy, natural.cy);
  // The big line is taller than the small one.
  edit->SetRichText("{\\rtf1\\fs20 a}");
  const int small = edit->RequiredSize().cy;
  edit->SetRichText("{\\rtf1\\fs40 a}");
  EXPECT_GT(edit->RequiredSize().cy, small * 3 / 2);
}

TEST_F(RichEditModelTest, UndoGivesBackTextAndItsFormats) {
  auto* edit = Add<TRichEdit>(10, 10, 300, 120);
  ShowForm();
  Focused(*this, edit);
  backend->Type("one two");
  edit->SetSelStart(4);
  edit->SetSelLength(3);
  edit->SelAttributes().SetStyle(fsItalic);
  backend->Type("X");  // replaces the italic word in italics
  EXPECT_EQ(edit->Text(), "one X");
  EXPECT_EQ(edit->Content().FormatAt(4).Style, static_cast<TFontStyles>(fsItalic));
  backend->PressKey('Z', {ssCtrl});
  EXPECT_EQ(edit->Text(), "one two");
  EXPECT_EQ(edit->Content().FormatAt(5).Style, static_cast<TFontStyles>(fsItalic));
}

TEST_F(RichEditModelTest, LinesFindAndLineMessagesCountABreakAsTwo) {
  auto* edit = Add<TRichEdit>(10, 10, 300, 120);
  edit->SetWordWrap(false);
  edit->Lines().Add("Προσφορά"_a);
  edit->Lines().Add("μειοδότη ΠΡΟΣΦΟΡΑ"_a);
  ShowForm();
  EXPECT_EQ(edit->Lines().Count(), 2);  // the final break adds no line
  EXPECT_EQ(edit->Perform(EM_LINEFROMCHAR, 10, 0), 1);
  EXPECT_EQ(edit->Perform(EM_EXLINEFROMCHAR, 0, 9), 0);
  EXPECT_EQ(edit->Perform(EM_LINEINDEX, 1, 0), 10);
  const AnsiString word = "προσφορ"_a;
  EXPECT_EQ(edit->FindText(word, 0, 100, 0), 0);
  EXPECT_EQ(edit->FindText(word, 1, 100, 0), 19);
  EXPECT_EQ(edit->FindText(word, 1, 100, stMatchCase), -1);
  EXPECT_EQ(edit->FindText("μειο"_a, 0, 100, stWholeWord), -1);
  const AnsiString upper = "ΠΡΟΣ"_a;
  FINDTEXTA find{{0, -1}, upper.c_str()};
  EXPECT_EQ(edit->Perform(EM_FINDTEXT, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find)), 19);
}

TEST_F(RichEditModelTest, LoadsAndSavesRtfAndKeepsWhatItHeldOnDamage) {
  auto* edit = Add<TRichEdit>(10, 10, 300, 120);
  const std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0\\fcharset161 Arial;}}\\pard\\qc\\f0\\fs20 \\b "
      "\\'d4\\'e9\\'ec\\'de\\b0  \\u1046?\\par\\pard\\li720 end}";
  TStringStream in(rtf);
  edit->Lines().LoadFromStream(in);
  EXPECT_EQ(edit->Text(), "Τιμή ?\r\nend"_a);  // beyond the code page: "?" in the text
  EXPECT_EQ(edit->Lines()[0], "Τιμή ?"_a);
  EXPECT_EQ(edit->Content().CharAt(5), u'Ж');  // kept in the control
  edit->SetSelStart(0);
  EXPECT_EQ(edit->Paragraph().Alignment(), taCenter);
  EXPECT_EQ(edit->SelAttributes().Style(),
            static_cast<TFontStyles>(fsBold));  // what typing at the start gives
  edit->SetSelStart(8);
  EXPECT_EQ(edit->Paragraph().LeftIndent(), 36);
  const AnsiString saved = edit->RichText();
  EXPECT_NE(saved.find("\\u1046?"), AnsiString::npos);
  // Damaged RTF: an error, and the control as it was.
  const TRichContent before = edit->Content();
  for (const char* damaged : {"{\\rtf1 {\\b x}", "{\\rtf1 \\'4", "{\\rtf1 \\fs99999999999 x}"}) {
    TStringStream bad(damaged);
    EXPECT_THROW(edit->Lines().LoadFromStream(bad), ERichTextError) << damaged;
    EXPECT_TRUE(edit->Content() == before) << damaged;
  }
  // Plain text loads as text, even when it looks like RTF.
  edit->SetPlainText(true);
  TStringStream plain(rtf);
  edit->Lines().LoadFromStream(plain);
  EXPECT_EQ(edit->Text(), rtf);
  TStringStream out;
  edit->Lines().SaveToStream(out);
  EXPECT_EQ(out.DataString(), rtf);
}

TEST_F(RichEditModelTest, ClipboardCarriesRichTextBetweenTwoControls) {
  ui::ResetClipboard();
  auto* source = Add<TRichEdit>(10, 10, 200, 100);
  auto* target = Add<TRichEdit>(10, 120, 200, 100);
  ShowForm();
  Focused(*this, source);
  backend->Type("plain ");
  source->SelAttributes().SetStyle(fsBold | fsUnderline);
  source->SelAttributes().SetColor(clBlue);
  backend->Type("Έντονο"_a);
  source->SelectAll();
  backend->PressKey('C', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "plain Έντονο"_a);
  EXPECT_TRUE(Clipboard()->HasFormat(RegisterClipboardFormat("Rich Text Format")));
  Focused(*this, target);
  backend->Type("<");
  backend->PressKey('V', {ssCtrl});
  backend->Type(">");
  EXPECT_EQ(target->Text(), "<plain Έντονο>"_a);
  EXPECT_EQ(target->Content().FormatAt(7).Style, static_cast<TFontStyles>(fsBold | fsUnderline));
  EXPECT_EQ(target->Content().FormatAt(7).Color, clBlue);
  EXPECT_EQ(target->Content().FormatAt(2).Style, 0u);
  // Undo (one level) takes the last typing back; the pasted runs stay.
  target->Undo();
  EXPECT_EQ(target->Text(), "<plain Έντονο"_a);
  EXPECT_EQ(target->Content().FormatAt(12).Style, static_cast<TFontStyles>(fsBold | fsUnderline));
}

TEST_F(RichEditModelTest, PaintsRunsInTheirFontsAndParagraphsAligned) {
  auto* edit = Add<TRichEdit>(10, 10, 300, 120);
  edit->SetWordWrap(false);
  edit->Lines().Add("left");
  edit->Lines().Add("mid");
  edit->SetSelStart(6);
  edit->Paragraph().SetAlignment(taCenter);
  edit->SetSelStart(0);
  edit->SetSelLength(2);
  edit->SelAttributes().SetStyle(fsBold);
  edit->SetSelLength(0);
  ShowForm();
  const auto drawn = Record(*edit);
  std::vector<std::pair<AnsiString, TFontStyles>> texts;
  int leftX = -1, midX = -1;
  for (const auto& call : drawn->CallsOf("ExtTextOut")) {
    texts.emplace_back(call.Text, call.Font.Style);
    if (call.Text == "le") leftX = call.Args[0];
    if (call.Text == "mid") midX = call.Args[0];
  }
  EXPECT_EQ(texts, (std::vector<std::pair<AnsiString, TFontStyles>>{{"le", fsBold}, {"ft", 0}, {"mid", 0}}));
  EXPECT_GT(midX, leftX + 100);  // centred in about 290 pixels
  // Disabled, every run is grey.
  edit->SetEnabled(false);
  for (const auto& call : Record(*edit)->CallsOf("ExtTextOut")) EXPECT_EQ(call.Font.Color, clGrayText);
}

}  // namespace
