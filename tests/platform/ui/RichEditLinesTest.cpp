// The rich edit's lines: justified paragraphs, line breaks inside a
// paragraph, lines as high as their own fonts, characters beyond the code
// page typed in, and a typed character repainting only its line.
#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/ComCtrls.h"

namespace {

using RichEditLinesTest = ControlsTest;

TRichContent Words(const char* text, TAlignment alignment) {
  TRichContent c;
  TRichCharFormat arial;
  arial.Name = "Arial";
  c.SetDefault(arial);
  c.Replace(0, 0, text, 0);
  c.ChangePara(0, c.Length(), [&](TRichParaFormat& p) { p.Alignment = alignment; });
  return c;
}

TEST(RichLayoutLines, AJustifiedLineFillsTheWidthExceptTheParagraphsLast) {
  const TRichContent c = Words("one two three four five six seven eight nine ten eleven twelve", taJustify);
  const TRichLayout layout(c, 96);
  const int width = 200;
  const std::vector<TRichLine> lines = layout.Lay(0, width, 0, true);
  ASSERT_GE(lines.size(), 3u);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_GT(lines[i].Stretch, 0);
    // The last character before the trailing blank reaches the right edge.
    const std::vector<int> ends = layout.CharEnds(lines[i]);
    int last = lines[i].End - lines[i].Start;
    while (last > 0 && c.Text()[static_cast<size_t>(lines[i].Start + last - 1)] == ' ') --last;
    EXPECT_EQ(ends[static_cast<size_t>(last - 1)], width);
    EXPECT_EQ(layout.Measure(lines[i]), lines[i].Width);
  }
  EXPECT_EQ(lines.back().Stretch, 0);
  // Left alignment breaks at the same places, without stretching.
  const TRichContent left = Words(c.Text().c_str(), taLeftJustify);
  const std::vector<TRichLine> plain = TRichLayout(left, 96).Lay(0, width, 0, true);
  ASSERT_EQ(plain.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(plain[i].Next, lines[i].Next);
}

TEST(RichLayoutLines, ALineBreakEndsTheLineInsideItsParagraph) {
  TRichContent c = Words("", taJustify);
  c.Replace(0, 0, richtext::ReadRtf("{\\rtf1\\pard\\qj first\\line second words\\par third}"));
  ASSERT_EQ(c.Text(), "first\vsecond words\r\nthird");
  ASSERT_EQ(c.ParagraphCount(), 2);
  const std::vector<TRichLine> lines = TRichLayout(c, 96).Lay(0, 400, 0, true);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Start, 0);
  EXPECT_EQ(lines[0].End, 5);   // the break is not shown
  EXPECT_EQ(lines[0].Next, 6);  // and counts one character
  EXPECT_EQ(lines[0].Stretch, 0);
  EXPECT_EQ(lines[1].Para, 0);
  EXPECT_FALSE(lines[1].First);
  EXPECT_EQ(lines[1].End, 18);
  EXPECT_EQ(lines[1].Next, 20);
  EXPECT_EQ(lines[2].Para, 1);
  // Written back as a break, not as a paragraph.
  const AnsiString rtf = richtext::WriteRtf(c.Document());
  EXPECT_NE(rtf.find("first\\line second"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\qj"), std::string::npos);
  EXPECT_EQ(richtext::ReadRtf(rtf), c.Document());
}

// Text the font's tables do not measure (a letter and its combining mark
// share a cluster) is laid out once for its paragraph: every line, the
// last that the rest fits in too, is as wide as its characters measure in
// that layout, whatever width wraps it.
TEST(RichLayoutLines, LaidOutTextMeasuresEveryLineFromItsParagraph) {
  for (int size : {17, 22, 29}) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0\\fnil\\fcharset161 Arial;}}\\f0\\fs" +
                      std::to_string(size) + " ";
    for (int i = 0; i < 40; ++i)
      rtf += i % 3 == 0 ? "o\\u776?\\u771?" + std::to_string(i) + "\\u8205? "
                        : "word" + std::to_string(i * 7) + " ";
    rtf += "}";
    TRichContent c;
    c.Replace(0, 0, richtext::ReadRtf(rtf));
    ASSERT_TRUE(c.HasWide(0, c.Length()));
    const TRichLayout layout(c, 96);
    const std::vector<TRichLine> whole = layout.Lay(0, 0, 0, false);
    ASSERT_EQ(whole.size(), 1u);
    const std::vector<int> ends = layout.CharEnds(whole[0]);
    const auto endAt = [&](int i) { return i <= whole[0].Start ? 0 : ends[static_cast<size_t>(i - 1)]; };
    for (int width = 40; width <= 700; width += 3) {
      SCOPED_TRACE(testing::Message() << size << " " << width);
      const std::vector<TRichLine> lines = layout.Lay(0, width, 0, true);
      ASSERT_GE(lines.size(), 1u);
      int at = 0;
      for (const TRichLine& line : lines) {
        ASSERT_EQ(line.Start, at);
        EXPECT_EQ(line.Width, endAt(line.End) - endAt(line.Start)) << line.Start;
        at = line.Next;
      }
      EXPECT_EQ(at, c.Length());
    }
  }
}

TEST_F(RichEditLinesTest, EachLineIsAsHighAsItsOwnFont) {
  auto* edit = Add<TRichEdit>(10, 10, 400, 300);
  edit->SetWordWrap(false);
  edit->SetRichText(
      "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 small\\par\\fs72 big\\par\\fs20 small\\par small}");
  ShowForm();
  const int y0 = edit->PosFromChar(0).Y;
  const int y1 = edit->PosFromChar(7).Y;   // "big"
  const int y2 = edit->PosFromChar(12).Y;  // the small line under it
  const int y3 = edit->PosFromChar(19).Y;  // the last one
  EXPECT_EQ(y3 - y2, y1 - y0);             // small lines stay small
  EXPECT_GT(y2 - y1, 2 * (y1 - y0));       // the big one is big
  // A click in the lower half of the big line finds it, not the line under.
  EXPECT_EQ(edit->CharFromPos(Point(edit->PosFromChar(8).X + 1, y2 - 3)), 8);
  EXPECT_EQ(edit->LineFromChar(edit->CharFromPos(Point(5, y2 + 2))), 2);
  // The caret stands at the top of the big line; down from it lands in
  // the small one under it.
  edit->SetFocus();
  Application->ProcessMessages();
  edit->SetSelStart(8);
  TPoint caret{};
  GetCaretPos(&caret);
  EXPECT_EQ(caret.Y, y1);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(edit->LineFromChar(edit->SelStart()), 2);
}

TEST_F(RichEditLinesTest, ScrollingKeepsTheCaretsTallLineInView) {
  auto* edit = Add<TRichEdit>(10, 10, 300, 120);
  edit->SetWordWrap(false);
  std::string rtf = "{\\rtf1\\fs20 ";
  for (int i = 0; i < 30; ++i) rtf += i == 20 ? "\\fs96 tall\\fs20\\par " : "line\\par ";
  edit->SetRichText(rtf + "end}");
  ShowForm();
  edit->SetFocus();
  Application->ProcessMessages();
  const int tall = edit->LineIndex(20);
  edit->SetSelStart(tall + 2);
  const TRect er = edit->EditRect();
  const TPoint p = edit->PosFromChar(tall);
  EXPECT_GE(p.Y, er.Top);
  EXPECT_LE(edit->PosFromChar(edit->LineIndex(21)).Y, er.Bottom);
  EXPECT_GT(edit->TopLine(), 0);
}

TEST_F(RichEditLinesTest, CharactersBeyondTheCodePageAreTypedAndKept) {
  auto* edit = Add<TRichEdit>(10, 10, 300, 120);
  ShowForm();
  edit->SetFocus();
  Application->ProcessMessages();
  backend->Type("a");
  edit->SelAttributes().SetStyle(fsBold);
  backend->TypeWide(u"Ж€ш");
  backend->Type("b");
  // The text holds "?" for what the code page lacks; the content keeps it.
  EXPECT_EQ(edit->Text(), "a?\x80?b");
  EXPECT_EQ(edit->Content().WideText(0, 5), u"aЖ€шb");
  EXPECT_EQ(edit->Content().FormatAt(1).Style, static_cast<TFontStyles>(fsBold));
  EXPECT_EQ(edit->Lines()[0], "a?\x80?b");
  const AnsiString rtf = edit->RichText();
  EXPECT_NE(rtf.find("\\u1046?"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\u1096?"), std::string::npos) << rtf;
  // Undo takes the last one back with its character.
  edit->Undo();
  EXPECT_EQ(edit->Content().WideText(0, edit->Content().Length()), u"aЖ€ш");
  // A read-only control takes none.
  edit->SetReadOnly(true);
  backend->TypeWide(u"Ж");
  EXPECT_EQ(edit->Content().WideText(0, edit->Content().Length()), u"aЖ€ш");
}

// Records the clip of every paint of the text.
class TClipSpy : public TRichEdit {
 public:
  explicit TClipSpy(TComponent* owner) : TRichEdit(owner) {}
  std::vector<TRect> Clips;

 protected:
  // The parts of the clip within the text that are more than the caret.
  void PaintLines(TCanvas& c) override {
    const TRect er = EditRect();
    for (const TRect& r : *c.ClipRegion()) {
      const TRect part = IntersectRect(r, er);
      if (part.Width() > 2) Clips.push_back(part);
    }
    TRichEdit::PaintLines(c);
  }
};

TEST_F(RichEditLinesTest, ATypedCharacterRepaintsOnlyItsLine) {
  auto* edit = Add<TClipSpy>(10, 10, 400, 300);
  edit->SetWordWrap(false);
  AnsiString text;
  for (int i = 0; i < 50; ++i) text += "line of text\r\n";
  edit->SetText(text);
  ShowForm();
  edit->SetFocus();
  Application->ProcessMessages();
  edit->SetSelStart(3 * 14 + 4);  // in the fourth line
  Form->Update();
  edit->Clips.clear();
  backend->Type("x");
  Form->Update();
  ASSERT_FALSE(edit->Clips.empty());
  const int y = edit->PosFromChar(3 * 14).Y;
  const int h = edit->PosFromChar(4 * 14 + 1).Y - y;
  for (const TRect& r : edit->Clips) {
    EXPECT_GE(r.Top, y);
    EXPECT_LE(r.Bottom, y + h);
  }
  // The pixels are those of a whole repaint.
  const TImageCanvas* image = backend->Render(*Form);
  ASSERT_NE(image, nullptr);
  TImageCanvas after(image->Width(), image->Height());
  after.PutPixels(image->Snapshot());
  Form->Invalidate();
  const TImageCanvas* whole = backend->Render(*Form);
  for (int yy = 0; yy < whole->Height(); yy += 2)
    for (int xx = 0; xx < whole->Width(); xx += 3)
      ASSERT_EQ(after.Pixel(xx, yy), whole->Pixel(xx, yy)) << xx << "," << yy;
  // A new line moves the lines under it: they are repainted too.
  edit->Clips.clear();
  backend->PressKey(VK_RETURN);
  Form->Update();
  ASSERT_FALSE(edit->Clips.empty());
  int top = edit->Clips[0].Top, bottom = 0;
  for (const TRect& r : edit->Clips) {
    top = std::min(top, r.Top);
    bottom = std::max(bottom, r.Bottom);
  }
  EXPECT_EQ(top, y);
  EXPECT_GE(bottom, edit->EditRect().Bottom);
}

}  // namespace
