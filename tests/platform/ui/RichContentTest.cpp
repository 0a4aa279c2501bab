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

// A document put in whole is the content a replacement of an empty text by
// it gives, its last paragraph's format set after: text, paragraphs,
// characters beyond the code page, and the numbering of the formats.
// A document stripped of even its one paragraph is put in as an empty one,
// whatever the content held.
TEST(RichContent, ADocumentOfNoParagraphsIsAnEmptyOne) {
  TRichDocument none;
  none.Paragraphs.clear();
  TRichContent held;
  held.Replace(0, 0, "text before\r\nwith two", 0);
  held.ChangePara(0, 0, [](TRichParaFormat& p) { p.Alignment = taCenter; });
  held.SetDocument(none);
  TRichContent empty;
  EXPECT_TRUE(held == empty);
  EXPECT_EQ(held.Length(), 0);
  EXPECT_EQ(held.ParagraphCount(), 1);
  EXPECT_EQ(held.Document(), TRichDocument{});
}

TEST(RichContent, ADocumentPutInWholeIsItsReplacementOfNothing) {
  TRichCharFormat base;
  base.Name = "Arial";
  base.HalfPoints = 20;
  TRichDocument wide = richtext::FromPlainText("one\r\ntwo", base);
  wide.Paragraphs[0].Append(base, u"\u4e2d\u0398x");
  TRichCharFormat bold = base;
  bold.Style = fsBold;
  wide.Paragraphs[1].Append(bold, u"\t\u2022 b\vc\r\nd\re");  // breaks inside a run
  wide.Paragraphs[1].Format.Alignment = taCenter;
  wide.Paragraphs[0].Format.Tabs = {720, 1440};
  const std::vector<TRichDocument> docs = {
      TRichDocument{},
      richtext::ReadRtf("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}\\qc a\\b b\\par\\pard\\f1 "
                        "c\\u937?\\plain d\\par\\par}"),
      richtext::ReadRtf("{\\rtf1 \\li200\\fi-100 x\\line y\\tab z\\par\\qr\\ul w\\ulnone}"),
      richtext::FromPlainText("\r\n\r\nα\rβ\nγ", bold),
      wide,
  };
  TRichContent reused;
  reused.Replace(0, 0, "text before\r\nwith\x01 two", 0);
  reused.AddFormat(bold);
  for (size_t i = 0; i < docs.size(); ++i) {
    SCOPED_TRACE(i);
    const TRichDocument& doc = docs[i];
    TRichContent whole;
    whole.SetDefault(base);
    whole.SetDocument(doc);
    TRichContent replaced;
    replaced.SetDefault(base);
    replaced.Replace(0, 0, doc);
    replaced.ChangePara(replaced.Length(), replaced.Length(),
                        [&](TRichParaFormat& p) { p = doc.Paragraphs.back().Format; });
    EXPECT_TRUE(whole == replaced);
    ASSERT_EQ(whole.Text(), replaced.Text());
    EXPECT_EQ(StartsOf(whole), StartsOf(replaced));
    for (int pos = 0; pos < whole.Length(); ++pos) {
      EXPECT_EQ(whole.FormatIndexAt(pos), replaced.FormatIndexAt(pos)) << pos;
      EXPECT_EQ(whole.CharAt(pos), replaced.CharAt(pos)) << pos;
    }
    EXPECT_EQ(whole.PieceStarts(), replaced.PieceStarts());
    EXPECT_EQ(whole.Document(), replaced.Document());
    // Put into a content that held another text and more formats.
    reused.SetDefault(base);
    reused.SetDocument(doc);
    EXPECT_TRUE(reused == replaced);
    EXPECT_EQ(StartsOf(reused), StartsOf(replaced));
    EXPECT_EQ(reused.PieceStarts(), replaced.PieceStarts());
    for (int pos = 0; pos < reused.Length(); ++pos)
      EXPECT_EQ(reused.FormatIndexAt(pos), replaced.FormatIndexAt(pos));
  }
}

// Characters beyond the code page stay with their places through
// replacements by text and by documents and through paragraphs put back,
// as a text kept in UTF-16 beside the content says.
TEST(RichContent, CharactersBeyondTheCodePageFollowEveryEdit) {
  std::mt19937 random(161);
  const std::u16string pieces[] = {u"a", u"\u4e2d", u"\u03a9\u4e2dz", u"", u"\u2603\u2603", u"\t\u0416"};
  TRichContent content;
  std::u16string model;
  for (int step = 0; step < 2000; ++step) {
    const int n = content.Length();
    const int start = n == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(n + 1));
    const int end = std::min(n, start + static_cast<int>(random() % 4));
    const unsigned op = random() % 4;
    if (op == 0) {
      content.Replace(start, end, "b\r\n", 0);
      model.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), u"b\r\n");
    } else if (op == 3 && content.ParagraphCount() > 0) {
      // A paragraph taken out and put back, as an undo does.
      const int p1 = content.ParagraphOf(start), p2 = content.ParagraphOf(end);
      const TRichContent::TParagraphs kept = content.CopyParagraphs(p1, p2);
      content.PutParagraphs(p1, p2 - p1 + 1, kept);
    } else {
      TRichDocument doc;
      doc.Paragraphs[0].Append(TRichCharFormat{}, pieces[random() % std::size(pieces)]);
      if (op == 2) {
        doc.Paragraphs.emplace_back();
        doc.Paragraphs[1].Append(TRichCharFormat{}, pieces[random() % std::size(pieces)]);
      }
      content.Replace(start, end, doc);
      model.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), doc.Text());
    }
    ASSERT_EQ(content.WideText(0, content.Length()), model) << "step " << step;
    const int m = content.Length();
    const int from = m == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(m + 1));
    const int to = std::min(m, from + static_cast<int>(random() % 6));
    bool wide = false;
    for (int i = from; i < to; ++i) wide = wide || cp1253::FromUnicode(model[static_cast<size_t>(i)]) < 0;
    ASSERT_EQ(content.HasWide(from, to), wide) << "step " << step;
    if (from < m) {
      ASSERT_EQ(content.CharAt(from), model[static_cast<size_t>(from)]);
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
