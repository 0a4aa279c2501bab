// DrawText's flags against explicit expectations, read from what the
// recording canvas was asked to draw.

#include <gtest/gtest.h>

#include "platform/gfx/Metafile.h"
#include "platform/gfx/RecordingCanvas.h"

namespace {

class DrawTextTest : public ::testing::Test {
 protected:
  DrawTextTest() {
    canvas.Font->Name = "Arial";
    canvas.Font->SetHeight(-11);
    canvas.Brush->Style = bsClear;
    lineHeight = canvas.TextHeight("W");
  }
  std::vector<TDrawCall> Texts() { return canvas.CallsOf("ExtTextOut"); }
  TRecordingCanvas canvas;
  int lineHeight = 0;
};

TEST_F(DrawTextTest, SingleLineAlignments) {
  const TRect box = Rect(10, 20, 210, 60);
  const int width = canvas.TextWidth("Σύνολο"_a);
  struct Case {
    unsigned format;
    int x, y;
  } cases[] = {
      {DT_SINGLELINE, 10, 20},
      {DT_SINGLELINE | DT_CENTER, 10 + (200 - width) / 2, 20},
      {DT_SINGLELINE | DT_RIGHT, 210 - width, 20},
      {DT_SINGLELINE | DT_VCENTER, 10, 20 + (40 - lineHeight) / 2},
      {DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, 210 - width, 60 - lineHeight},
      // Vertical placement needs a single line.
      {DT_VCENTER, 10, 20},
  };
  for (const Case& c : cases) {
    canvas.Calls.clear();
    TRect r = box;
    canvas.DrawText("Σύνολο"_a, r, c.format);
    ASSERT_EQ(Texts().size(), 1u) << c.format;
    EXPECT_EQ(Texts()[0].Args[0], c.x) << c.format;
    EXPECT_EQ(Texts()[0].Args[1], c.y) << c.format;
    EXPECT_EQ(Texts()[0].Text, "Σύνολο"_a);
    EXPECT_EQ(r, box);
  }
}

TEST_F(DrawTextTest, ReturnsHeightOrOffsetToTheBottom) {
  TRect r = Rect(0, 10, 100, 50);
  EXPECT_EQ(canvas.DrawText("a", r, DT_SINGLELINE), lineHeight);
  EXPECT_EQ(canvas.DrawText("a\nb", r, 0), 2 * lineHeight);
  EXPECT_EQ(canvas.DrawText("a", r, DT_SINGLELINE | DT_BOTTOM), 40);
}

TEST_F(DrawTextTest, LineBreaksUnlessSingleLine) {
  TRect r = Rect(0, 0, 300, 100);
  canvas.DrawText("ένα\r\nδύο\nτρία"_a, r, 0);
  ASSERT_EQ(Texts().size(), 3u);
  EXPECT_EQ(Texts()[1].Text, "δύο"_a);
  EXPECT_EQ(Texts()[2].Args[1], 2 * lineHeight);
  canvas.Calls.clear();
  canvas.DrawText("ένα\nδύο"_a, r, DT_SINGLELINE);
  ASSERT_EQ(Texts().size(), 1u);
}

TEST_F(DrawTextTest, WordBreakWrapsAtBlanksWithinTheWidth) {
  AnsiString text = "Η προσφορά του μειοδότη κρίνεται ασυνήθιστα χαμηλή"_a;
  int width = canvas.TextWidth("Η προσφορά του"_a) + 2;
  TRect r = Rect(0, 0, width, 200);
  canvas.DrawText(text, r, DT_WORDBREAK);
  std::vector<TDrawCall> lines = Texts();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0].Text, "Η προσφορά του"_a);
  AnsiString joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(canvas.TextWidth(lines[i].Text), width) << i;
    EXPECT_EQ(lines[i].Args[1], static_cast<int>(i) * lineHeight);
    EXPECT_NE(lines[i].Text.front(), ' ');
    joined += (i ? " " : "") + lines[i].Text;
  }
  EXPECT_EQ(joined, text);
}

TEST_F(DrawTextTest, LongWordStaysWholeUnlessEditControl) {
  TRect r = Rect(0, 0, 30, 200);
  canvas.DrawText("ΑΑΑΑΑΑΑΑΑΑΑΑ ΒΒ"_a, r, DT_WORDBREAK);
  ASSERT_EQ(Texts().size(), 2u);
  EXPECT_EQ(Texts()[0].Text, "ΑΑΑΑΑΑΑΑΑΑΑΑ"_a);
  canvas.Calls.clear();
  canvas.DrawText("ΑΑΑΑΑΑΑΑΑΑΑΑ"_a, r, DT_WORDBREAK | DT_EDITCONTROL);
  ASSERT_GT(Texts().size(), 2u);
  AnsiString joined;
  for (const TDrawCall& call : Texts()) {
    EXPECT_LE(canvas.TextWidth(call.Text), 30);
    joined += call.Text;
  }
  EXPECT_EQ(joined, "ΑΑΑΑΑΑΑΑΑΑΑΑ"_a);
}

TEST_F(DrawTextTest, PrefixUnderlinesTheMarkedCharacter) {
  TRect r = Rect(5, 5, 200, 40);
  canvas.DrawText("&Αρχείο"_a, r, DT_SINGLELINE);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "Αρχείο"_a);
  std::vector<TDrawCall> fills = canvas.CallsOf("FillRect");
  ASSERT_EQ(fills.size(), 1u);
  int ascent = canvas.GetTextMetrics().tmAscent;
  EXPECT_EQ(fills[0].Args,
            (std::vector<int>{5, 5 + ascent + 1, 5 + canvas.TextWidth("Α"_a), 5 + ascent + 2}));
  EXPECT_EQ(fills[0].Brush.Color, canvas.Font->Color);

  struct Case {
    const char* text;
    unsigned format;
    const char* shown;
    size_t underlines;
  } cases[] = {
      {"A && B", DT_SINGLELINE, "A & B", 0},
      {"A&", DT_SINGLELINE, "A", 0},
      {"&A&B", DT_SINGLELINE, "AB", 2},
      {"&File", DT_SINGLELINE | DT_NOPREFIX, "&File", 0},
  };
  for (const Case& c : cases) {
    canvas.Calls.clear();
    canvas.DrawText(c.text, r, c.format);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0].Text, c.shown) << c.text;
    EXPECT_EQ(canvas.CallsOf("FillRect").size(), c.underlines) << c.text;
  }
}

TEST_F(DrawTextTest, PrefixSurvivesWrapping) {
  TRect r = Rect(0, 0, canvas.TextWidth("one two") + 1, 100);
  canvas.DrawText("one two &three", r, DT_WORDBREAK);
  std::vector<TDrawCall> lines = Texts();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Text, "one two");
  EXPECT_EQ(lines[1].Text, "three");
  ASSERT_EQ(canvas.CallsOf("FillRect").size(), 1u);
  EXPECT_EQ(canvas.CallsOf("FillRect")[0].Args[0], 0);
  EXPECT_GT(canvas.CallsOf("FillRect")[0].Args[1], lineHeight);
  canvas.Calls.clear();
  r = Rect(0, 0, canvas.TextWidth("a & b") + 1, 100);
  canvas.DrawText("a && b c", r, DT_WORDBREAK);
  ASSERT_EQ(Texts().size(), 2u);
  EXPECT_EQ(Texts()[0].Text, "a & b");
  EXPECT_TRUE(canvas.CallsOf("FillRect").empty());
}

TEST_F(DrawTextTest, CalcRectMeasuresWithoutDrawing) {
  TRect r = Rect(10, 10, 10, 10);
  int height = canvas.DrawText("Σύνολο προσφορών"_a, r, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_TRUE(canvas.CallsOf("ExtTextOut").empty());
  EXPECT_EQ(height, lineHeight);
  EXPECT_EQ(r, Rect(10, 10, 10 + canvas.TextWidth("Σύνολο προσφορών"_a), 10 + lineHeight));

  int width = canvas.TextWidth("Σύνολο"_a) + 3;
  r = Rect(0, 0, width, 0);
  height = canvas.DrawText("Σύνολο προσφορών ανά ομάδα"_a, r, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(height, 4 * lineHeight);
  EXPECT_EQ(r.Bottom, 4 * lineHeight);
  // A word wider than the line widens the measured rectangle.
  EXPECT_EQ(r.Right, canvas.TextWidth("προσφορών"_a));
  r = Rect(0, 0, 100, 0);
  EXPECT_EQ(canvas.DrawText("&&&", r, DT_CALCRECT | DT_SINGLELINE), lineHeight);
  EXPECT_EQ(r.Right, canvas.TextWidth("&"));
}

TEST_F(DrawTextTest, EndEllipsisShortensWhatDoesNotFit) {
  TRect r = Rect(0, 0, canvas.TextWidth("Προσφορά μει"_a), 20);
  canvas.DrawText("Προσφορά μειοδότη"_a, r, DT_SINGLELINE | DT_END_ELLIPSIS);
  ASSERT_EQ(Texts().size(), 1u);
  AnsiString shown = Texts()[0].Text;
  ASSERT_GE(shown.size(), 4u);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_LE(canvas.TextWidth(shown), r.Width());
  EXPECT_GT(canvas.TextWidth(shown + "x"), canvas.TextWidth(shown));
  EXPECT_EQ(shown.substr(0, 8), "Προσφορά"_a);
  canvas.Calls.clear();
  canvas.DrawText("Σύντομο"_a, r, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(Texts()[0].Text, "Σύντομο"_a);
}

TEST_F(DrawTextTest, ExpandTabsToTabStops) {
  TRect r = Rect(4, 0, 400, 20);
  int tabStop = 8 * canvas.GetTextMetrics().tmAveCharWidth;
  canvas.DrawText("ab\tcd", r, DT_SINGLELINE | DT_EXPANDTABS);
  ASSERT_EQ(Texts().size(), 2u);
  EXPECT_EQ(Texts()[0].Text, "ab");
  EXPECT_EQ(Texts()[1].Text, "cd");
  EXPECT_EQ(Texts()[1].Args[0], 4 + tabStop);
}

TEST_F(DrawTextTest, ClipsToTheRectangleUnlessNoClip) {
  TRect r = Rect(5, 6, 50, 30);
  canvas.DrawText("x", r, DT_SINGLELINE);
  ASSERT_TRUE(Texts()[0].Clip.has_value());
  EXPECT_EQ(*Texts()[0].Clip, TRegion{r});
  EXPECT_FALSE(canvas.HasClip());
  canvas.Calls.clear();
  canvas.DrawText("x", r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_FALSE(Texts()[0].Clip.has_value());
}

// An empty cell or caption draws nothing at all, yet answers with the
// height and offsets a line of text would.
TEST_F(DrawTextTest, EmptyTextDrawsNothingAndMeasuresOneLine) {
  const TRect box = Rect(10, 20, 210, 60);
  struct Case {
    const char* text;
    unsigned format;
    int height;
  } cases[] = {
      {"", DT_SINGLELINE, lineHeight},
      {"", DT_SINGLELINE | DT_VCENTER, (40 - lineHeight) / 2 + lineHeight},
      {"", DT_SINGLELINE | DT_BOTTOM, 40},
      {"", DT_WORDBREAK, lineHeight},
      {"\r\n", 0, 2 * lineHeight},
      {"&", DT_SINGLELINE, lineHeight},
  };
  for (const Case& c : cases) {
    canvas.Calls.clear();
    TRect r = box;
    EXPECT_EQ(canvas.DrawText(c.text, r, c.format), c.height) << c.format;
    EXPECT_EQ(r, box);
    // Only the call itself is on record: no text, fill or line.
    ASSERT_EQ(canvas.Calls.size(), 1u) << c.format;
    EXPECT_EQ(canvas.Calls[0].Op, "DrawText");
    EXPECT_FALSE(canvas.HasClip());
  }
  TRect measured = box;
  EXPECT_EQ(canvas.DrawText("", measured, DT_SINGLELINE | DT_CALCRECT), lineHeight);
  EXPECT_EQ(measured, Rect(10, 20, 10, 20 + lineHeight));
}

}  // namespace

namespace {

// Wide text keeps characters the code page lacks, through every canvas.
TEST(WideText, DrawTextWWrapsAndKeepsEveryCharacter) {
  TRecordingCanvas canvas;
  canvas.Font->Name = "Arial";
  WideString text = u"Привет мир ΑΒΓ";
  int width = canvas.TextWidthW(u"Привет мир") + 1;
  TRect r = Rect(0, 0, width, 100);
  int height = canvas.DrawTextW(text, r, DT_WORDBREAK);
  std::vector<TDrawCall> lines = canvas.CallsOf("ExtTextOutW");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].WideText, u"Привет мир");
  EXPECT_EQ(lines[1].WideText, u"ΑΒΓ");
  EXPECT_EQ(lines[1].Text, "ΑΒΓ"_a);
  EXPECT_EQ(height, 2 * canvas.TextHeight("W"));
  EXPECT_EQ(canvas.CallsOf("DrawTextW").size(), 1u);
  EXPECT_TRUE(canvas.CallsOf("ExtTextOut").empty());
  std::vector<int> ends = canvas.CharacterEndsW(u"Жж");
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ(ends[1], canvas.TextWidthW(u"Жж"));
  EXPECT_GT(ends[0], 0);
  // Outside the basic plane: two units, one character.
  EXPECT_EQ(canvas.CharacterEndsW(u"a\U0001F600").size(), 3u);
}

TEST(WideText, ImageMetafileAndPlaybackShowTheCharacters) {
  TImageCanvas image(80, 20);
  image.Font->Name = "Arial";
  image.Brush->Style = bsClear;
  image.ExtTextOutW(2, 2, 0, nullptr, u"Жизнь");
  int ink = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 80; ++x) ink += image.Pixel(x, y) != clWhite;
  EXPECT_GT(ink, 30);

  TMetafile mf;
  mf.SetWidth(80);
  mf.SetHeight(20);
  {
    TMetafileCanvas canvas(&mf);
    canvas.Font->Name = "Arial";
    canvas.Brush->Style = bsClear;
    canvas.ExtTextOutW(2, 2, 0, nullptr, u"Жизнь");
  }
  TImageCanvas played(80, 20);
  PlayEnhMetafile(played, mf.Data(), Rect(0, 0, 80, 20));
  EXPECT_EQ(played.Snapshot().Pixels, image.Snapshot().Pixels);
}

}  // namespace
