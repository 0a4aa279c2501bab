// Text of the right-to-left scripts: bytes read in the code page of the
// font's character set, and lines shown in visual order, on an image, and
// through a metafile played back.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/TextEngine.h"

namespace {

// Hebrew letters in code page 1255: alef, and a run of shin.
const AnsiString kAlef = "\xE0", kShins = "\xF9\xF9\xF9\xF9\xF9\xF9";

TEST(RightToLeftText, TheFontsCharacterSetChoosesTheCodePage) {
  EXPECT_EQ(gfx::CodePageOfCharset(HEBREW_CHARSET), 1255);
  EXPECT_EQ(gfx::CodePageOfCharset(ARABIC_CHARSET), 1256);
  EXPECT_EQ(gfx::CodePageOfCharset(GREEK_CHARSET), 1253);
  EXPECT_EQ(gfx::CodePageOfCharset(DEFAULT_CHARSET), 1253);
  EXPECT_EQ(gfx::ToWideInCodePage(1255, "A\xE0\xFA\xA4"), u"A\u05D0\u05EA\u20AA");
  EXPECT_EQ(gfx::ToWideInCodePage(1256, "\xC7\xE1"), u"\u0627\u0644");
  EXPECT_EQ(gfx::ToWideInCodePage(1253, "\xC1\xE1"), u"\u0391\u03B1");
  // A byte the code page leaves out is no character.
  EXPECT_EQ(gfx::ToWideInCodePage(1255, "\xFB"), u"\uFFFD");
}

// Where the widest blank stretch between the first and the last inked
// column of the image lies, from 0 (the ink's left end) to 1 (its right).
double GapAt(const TImageCanvas& image) {
  std::vector<bool> ink(static_cast<size_t>(image.Width()), false);
  for (int x = 0; x < image.Width(); ++x)
    for (int y = 0; y < image.Height() && !ink[x]; ++y) ink[x] = image.Pixel(x, y) != clWhite;
  int first = -1, last = -1;
  for (int x = 0; x < image.Width(); ++x)
    if (ink[x]) (first < 0 ? first : last) = x, last = x;
  int bestFrom = -1, bestLength = 0;
  for (int x = first; x <= last;) {
    if (ink[x]) {
      ++x;
      continue;
    }
    int from = x;
    while (x <= last && !ink[x]) ++x;
    if (x - from > bestLength) bestFrom = from, bestLength = x - from;
  }
  if (bestFrom < 0 || last <= first) return -1;
  return (bestFrom + bestLength / 2.0 - first) / (last - first);
}

struct Line {
  const char* what;
  AnsiString text;
  int charset;
  bool rightToLeft;
  bool gapOnTheRight;  // the short first word stands on the right
};

const Line kLines[] = {
    {"Hebrew", kAlef + " " + kShins, HEBREW_CHARSET, false, true},
    {"Hebrew read right to left", kAlef + " " + kShins, HEBREW_CHARSET, true, true},
    // A Latin letter before a Hebrew word: the paragraph's direction
    // orders the two runs.
    {"mixed", "A " + kShins, HEBREW_CHARSET, false, false},
    {"mixed read right to left", "A " + kShins, HEBREW_CHARSET, true, true},
    // Greek words stay in their order in either paragraph.
    {"Greek read right to left", "\xC1 \xD9\xD9\xD9\xD9\xD9\xD9", GREEK_CHARSET, true, false},
    {"Greek", "\xC1 \xD9\xD9\xD9\xD9\xD9\xD9", GREEK_CHARSET, false, false},
};

void Draw(TCanvas& canvas, const Line& line, bool byAlignment) {
  canvas.Brush->Style = bsClear;
  canvas.Font->Name = "Arial";
  canvas.Font->Charset = line.charset;
  canvas.Font->SetHeight(-24);
  canvas.Font->Color = clBlack;
  canvas.SetTextAlign(TA_LEFT | TA_TOP | (byAlignment && line.rightToLeft ? TA_RTLREADING : 0));
  const TRect clip = Rect(0, 0, 400, 40);
  canvas.ExtTextOut(20, 5, ETO_CLIPPED | (!byAlignment && line.rightToLeft ? ETO_RTLREADING : 0), &clip,
                    line.text);
}

TEST(RightToLeftText, LinesShowInVisualOrderOnAnImage) {
  for (bool byAlignment : {false, true})
    for (const Line& line : kLines) {
      TImageCanvas image(400, 40);
      image.Brush->Color = clWhite;
      image.FillRect(Rect(0, 0, 400, 40));
      Draw(image, line, byAlignment);
      const double gap = GapAt(image);
      ASSERT_GE(gap, 0) << line.what;
      EXPECT_EQ(gap > 0.5, line.gapOnTheRight)
          << line.what << " at " << gap << (byAlignment ? " (align)" : "");
    }
}

TEST(RightToLeftText, AMetafilePlaysTheLineAsItWasDrawn) {
  for (const Line& line : kLines) {
    TImageCanvas direct(400, 40);
    direct.Brush->Color = clWhite;
    direct.FillRect(Rect(0, 0, 400, 40));
    Draw(direct, line, false);
    TMetafile mf;
    mf.SetWidth(400);
    mf.SetHeight(40);
    {
      TMetafileCanvas canvas(&mf, &direct);
      Draw(canvas, line, false);
    }
    TImageCanvas played(400, 40);
    played.Brush->Color = clWhite;
    played.FillRect(Rect(0, 0, 400, 40));
    ASSERT_TRUE(PlayEnhMetafile(played, mf.Data(), Rect(0, 0, 400, 40))) << line.what;
    EXPECT_EQ(GapAt(played) > 0.5, line.gapOnTheRight) << line.what;
    // The same pixels: the recorded advances are the characters' own, in
    // reading order.
    int differ = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 400; ++x) differ += played.Pixel(x, y) != direct.Pixel(x, y);
    EXPECT_EQ(differ, 0) << line.what;
  }
}

TEST(RightToLeftText, CharacterEndsAddUpInReadingOrder) {
  TImageCanvas image(10, 10);
  image.Font->Name = "Arial";
  image.Font->Charset = HEBREW_CHARSET;
  image.Font->SetHeight(-24);
  const AnsiString text = kAlef + " " + kShins + " 12";
  const std::vector<int> ends = image.CharacterEnds(text);
  ASSERT_EQ(ends.size(), text.size());
  for (size_t i = 0; i < ends.size(); ++i) EXPECT_GT(ends[i], i ? ends[i - 1] : 0) << i;
  EXPECT_EQ(ends.back(), image.TextWidth(text));
  // The same letters as UTF-16 measure the same.
  EXPECT_EQ(image.CharacterEndsW(gfx::ToWideInCodePage(1255, text)), ends);
}

}  // namespace
