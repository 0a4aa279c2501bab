// The rich edit's content kept in step through edits: paragraphs found
// after each replacement (breaks of CR LF, CR or LF alone, split and
// joined) are those a fresh content finds in the same text, and formats
// stay with their characters.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <set>

#include "platform/ui/ComCtrlsRichText.h"

namespace {

std::vector<int> StartsOf(const TRichContent& c) {
  std::vector<int> starts;
  for (int p = 0; p < c.ParagraphCount(); ++p) starts.push_back(c.ParagraphStart(p));
  return starts;
}

TEST(RichContent, ParagraphsFollowEveryEdit) {
  std::mt19937 random(1253);
  const char* pieces[] = {"a", "\r", "\n", "\r\n", "xy\r\nz", "", "\n\r", "Ω"};
  TRichContent content;
  for (int step = 0; step < 3000; ++step) {
    const int n = content.Length();
    const int start = n == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(n + 1));
    const int end = std::min(n, start + static_cast<int>(random() % 3));
    content.Replace(start, end, pieces[random() % std::size(pieces)], 0);
    TRichContent fresh;
    fresh.Replace(0, 0, content.Text(), 0);
    ASSERT_EQ(StartsOf(content), StartsOf(fresh)) << "step " << step;
  }
}

TEST(RichContent, FormatsAndParagraphsStayWithTheirText) {
  TRichContent content;
  content.Replace(0, 0, "one\r\ntwo\r\nthree", 0);
  content.ChangeFormat(5, 8, [](TRichCharFormat& f) { f.Style = fsBold; });
  content.ChangePara(5, 5, [](TRichParaFormat& p) { p.Alignment = taCenter; });
  // Joining "one" and "two" keeps the second paragraph's format.
  content.Replace(3, 5, "", 0);
  EXPECT_EQ(content.Text(), "onetwo\r\nthree");
  EXPECT_EQ(content.Para(0).Alignment, taCenter);
  EXPECT_EQ(content.FormatAt(3).Style, static_cast<TFontStyles>(fsBold));
  EXPECT_EQ(content.FormatAt(2).Style, 0u);
  // A document pasted in the middle brings its paragraphs' formats; its
  // last paragraph joins the one it lands in.
  TRichDocument doc = richtext::ReadRtf("{\\rtf1\\qr\\i A\\par\\pard B}");
  content.Replace(3, 3, doc);
  EXPECT_EQ(content.Text(), "oneA\r\nBtwo\r\nthree");
  EXPECT_EQ(content.Para(0).Alignment, taRightJustify);
  EXPECT_EQ(content.Para(1).Alignment, taCenter);
  EXPECT_EQ(content.FormatAt(3).Style, static_cast<TFontStyles>(fsItalic));
  const TRichDocument back = content.Document(3, 7);
  ASSERT_EQ(back.Paragraphs.size(), 2u);
  EXPECT_EQ(back.Paragraphs[0], doc.Paragraphs[0]);
  EXPECT_EQ(back.Paragraphs[1].Runs, doc.Paragraphs[1].Runs);
}

}  // namespace

namespace {

// Measures kept for a content are trusted while its revision stands, so
// every change, however small, must give a revision never seen before,
// and only a copy may share one.
TEST(RichContent, EveryChangeGivesARevisionNeverSeenAndCopiesKeepTheirs) {
  TRichContent content;
  content.Replace(0, 0, "one\r\ntwo", 0);
  TRichDocument doc;
  doc.Paragraphs[0].Append(TRichCharFormat{}, u"\u03a9 x");
  const TRichContent::TParagraphs firstParagraph = content.CopyParagraphs(0, 0);
  TRichCharFormat bold;
  bold.Style = fsBold;
  struct Change {
    const char* name;
    std::function<void(TRichContent&)> apply;
  };
  const Change changes[] = {
      {"replace", [](TRichContent& c) { c.Replace(1, 2, "N", 0); }},
      {"replace by a document", [&](TRichContent& c) { c.Replace(0, 0, doc); }},
      {"set the document", [&](TRichContent& c) { c.SetDocument(doc); }},
      {"format",
       [](TRichContent& c) { c.ChangeFormat(0, 1, [](TRichCharFormat& f) { f.HalfPoints = 30; }); }},
      {"paragraph",
       [](TRichContent& c) { c.ChangePara(0, 0, [](TRichParaFormat& p) { p.LeftIndent = 10; }); }},
      {"default", [&](TRichContent& c) { c.SetDefault(bold); }},
      {"new format", [](TRichContent& c) { c.AddFormat(TRichCharFormat{.Name = "Arial"}); }},
      {"put paragraphs", [&](TRichContent& c) { c.PutParagraphs(0, 1, firstParagraph); }},
      {"the same text again",
       [](TRichContent& c) { c.Replace(0, 1, c.Text().substr(0, 1), c.FormatIndexAt(0)); }},
  };
  std::set<std::uint64_t> seen{content.Revision()};
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    const TRichContent before = content;
    EXPECT_EQ(before.Revision(), content.Revision());
    change.apply(content);
    EXPECT_TRUE(seen.insert(content.Revision()).second);
    EXPECT_TRUE(seen.insert(TRichContent().Revision()).second);  // a fresh content too
  }
  // A format already in the table changes nothing, and keeps the revision.
  const std::uint64_t now = content.Revision();
  content.AddFormat(content.Format(0));
  EXPECT_EQ(content.Revision(), now);
}

// The piece a character lies in, found by halving the starts kept for the
// revision, is the run found character by character, through random edits
// of text and formats.
TEST(RichContent, PiecesAreTheRunsOfOneFormatBetweenTabsAndLineBreaks) {
  std::mt19937 random(1253);
  const char* texts[] = {"a", "bc", "\t", "\v", "\r\n", "d\te", "", "Ω \vx"};
  TRichContent content;
  TRichCharFormat bold;
  bold.Style = fsBold;
  const int formats[] = {0, content.AddFormat(bold)};
  const auto separate = [&](int i) {
    const char c = content.Text()[static_cast<size_t>(i)];
    return c == '\t' || c == static_cast<char>(kLineBreak);
  };
  const auto joined = [&](int i) {
    return !separate(i) && !separate(i - 1) && content.FormatIndexAt(i) == content.FormatIndexAt(i - 1);
  };
  for (int step = 0; step < 600; ++step) {
    const int n = content.Length();
    const int start = n == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(n + 1));
    const int end = std::min(n, start + static_cast<int>(random() % 3));
    if (random() % 3 == 0)
      content.ChangeFormat(start, end, [&](TRichCharFormat& f) { f.Style ^= fsBold; });
    else
      content.Replace(start, end, texts[random() % std::size(texts)], formats[random() % 2]);
    for (int pos = 0; pos < content.Length(); ++pos) {
      int first = pos, last = pos + 1;
      while (first > 0 && joined(first)) --first;
      while (last < content.Length() && joined(last)) ++last;
      ASSERT_EQ(content.PieceStart(pos), first) << step << " " << pos;
      ASSERT_EQ(content.PieceEnd(pos), last) << step << " " << pos;
    }
  }
}

TEST(RichContent, WideCountsAreTheCharactersBeyondTheCodePageBeforeEachPlace) {
  TRichDocument doc;
  doc.Paragraphs[0].Append(TRichCharFormat{}, u"a\u0416b\u05d0\u05d1 c");
  doc.Paragraphs.push_back(TRichParagraph{});
  doc.Paragraphs[1].Append(TRichCharFormat{}, u"\u0416");
  TRichContent content;
  content.SetDocument(doc);
  std::vector<int> counts;
  for (int start = 0; start <= content.Length(); ++start)
    for (int end = start; end <= content.Length(); ++end) {
      content.WideCounts(start, end, counts);
      ASSERT_EQ(counts.size(), static_cast<size_t>(end - start + 1));
      for (int i = start; i <= end; ++i) {
        int wide = 0;
        for (int k = start; k < i; ++k) wide += content.HasWide(k, k + 1);
        EXPECT_EQ(counts[static_cast<size_t>(i - start)], wide) << start << " " << end << " " << i;
      }
    }
}

}  // namespace
