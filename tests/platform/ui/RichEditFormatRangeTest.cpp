// Format-range paging: where pages split for a fixed text, that the screen,
// a metafile and a PDF printer split alike, that every call advances, and
// that the PDF holds the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <tuple>

#include "../OtherPrograms.h"
#include "ControlsFixture.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/PdfCanvas.h"
#include "platform/ui/ComCtrls.h"
#include "tests/TestOutput.h"

namespace {

using RichEditFormatRangeTest = ControlsTest;

// Twelve paragraphs in two fonts, one centred, one indented, with tabs.
std::string SampleRtf() {
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1253\\deff0{\\fonttbl{\\f0\\fnil\\fcharset161 Arial;}{\\f1\\fnil\\fcharset161 "
      "Courier New;}}";
  for (int i = 0; i < 12; ++i) {
    rtf += i == 3 ? "\\pard\\qc" : i == 7 ? "\\pard\\li720\\fi-360" : "\\pard";
    rtf +=
        "\\f0\\fs24 \\'d0\\'f1\\'ef\\'f3\\'f6\\'ef\\'f1\\'dc " + std::to_string(i + 1) +
        "\\tab\\f1\\fs20\\b \\'ec\\'e5\\'e9\\'ef\\'e4\\'fc\\'f4\\'e7 \\b0 with a longer tail of words that "
        "wraps in narrow pages\\par ";
  }
  return rtf + "}";
}

std::vector<int> Splits(TRichEdit& edit, TCanvas& canvas, const TRect& twips,
                        const std::function<void()>& newPage = {}) {
  FORMATRANGE range;
  range.hdc = range.hdcTarget = &canvas;
  range.rc = range.rcPage = twips;
  std::vector<int> next;
  const int length = edit.Content().Length();
  do {
    if (!next.empty() && newPage) newPage();
    const int at = static_cast<int>(edit.Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range)));
    // Measuring alone gives the same split.
    EXPECT_EQ(edit.Perform(EM_FORMATRANGE, 0, reinterpret_cast<LPARAM>(&range)), at);
    next.push_back(at);
    if (at <= range.chrg.cpMin || next.size() > 200) break;
    range.chrg.cpMin = at;
  } while (range.chrg.cpMin < length);
  edit.Perform(EM_FORMATRANGE, 0, 0);
  return next;
}

const TRect kRects[] = {Rect(0, 0, 4320, 2880), Rect(720, 720, 8640, 6480), Rect(0, 0, 2160, 4320)};
// Each page ends at a line's end: within the fourth paragraph (wrapped),
// and so on; the last page ends with the text (913 characters).
const std::vector<int> kExpected[] = {
    {297, 559, 838, 913},
    {838, 913},
    {221, 433, 617, 838, 913},
};

TDeviceCaps PrinterCaps() {
  TDeviceCaps caps;
  caps.LogPixelsX = caps.LogPixelsY = 600;
  caps.PhysicalWidth = 4960;
  caps.PhysicalHeight = 7016;
  caps.HorzRes = 4960;
  caps.VertRes = 7016;
  return caps;
}

TEST_F(RichEditFormatRangeTest, PagesSplitAtFixedCharactersOnEveryCanvas) {
  TRichEdit edit(Form.get());
  edit.SetRichText(SampleRtf());
  for (size_t r = 0; r < std::size(kRects); ++r) {
    SCOPED_TRACE(r);
    TImageCanvas screen(800, 800);
    const std::vector<int> onScreen = Splits(edit, screen, kRects[r]);
    EXPECT_EQ(onScreen, kExpected[r]);
    TMetafile metafile;
    metafile.SetWidth(800);
    metafile.SetHeight(800);
    {
      TMetafileCanvas canvas(&metafile);
      EXPECT_EQ(Splits(edit, canvas, kRects[r]), onScreen);
    }
    TPdfCanvas pdf(PrinterCaps());
    EXPECT_EQ(Splits(edit, pdf, kRects[r], [&] { pdf.NewPage(); }), onScreen);
    EXPECT_EQ(pdf.PageCount(), static_cast<int>(onScreen.size()));
  }
}

TEST_F(RichEditFormatRangeTest, APdfPrinterHoldsTheText) {
  if (!Have("pdftotext")) FAIL() << "pdftotext (poppler-utils) is missing (scripts/packages.txt)";
  TRichEdit edit(Form.get());
  edit.SetRichText(SampleRtf());
  TPdfCanvas pdf(PrinterCaps());
  Splits(edit, pdf, Rect(1440, 1440, 10080, 14400), [&] { pdf.NewPage(); });
  const std::string file = TestOutput("richedit_formatrange.pdf");
  std::ofstream(file, std::ios::binary) << pdf.Finish();
  EXPECT_TRUE(PdfIsSound(file));
  std::string text;
  ASSERT_TRUE(PdfText(file, text));
  EXPECT_NE(text.find("Προσφορά 1"), std::string::npos) << text;
  EXPECT_NE(text.find("μειοδότη with a longer tail"), std::string::npos) << text;
  EXPECT_NE(text.find("Προσφορά 12"), std::string::npos) << text;
}

TEST_F(RichEditFormatRangeTest, ALineTallerThanThePageStillAdvances) {
  TRichEdit edit(Form.get());
  edit.SetRichText("{\\rtf1\\fs400 Huge\\par\\fs400 Again\\par\\fs20 small}");
  TImageCanvas screen(400, 400);
  const std::vector<int> next = Splits(edit, screen, Rect(0, 0, 7200, 720));
  // "Hu" is as wide as the page, then a page each for "ge", "Aga", "in"
  // and the small line.
  EXPECT_EQ(next, (std::vector<int>{2, 6, 9, 13, 18}));
  // The same call twice splits the same.
  EXPECT_EQ(Splits(edit, screen, Rect(0, 0, 7200, 720)), next);
}

// Measures are kept from call to call until the range is released; a text
// or a format changed in between is measured afresh, never with what was
// kept for the old one.
TEST_F(RichEditFormatRangeTest, AChangeBetweenCallsIsMeasuredAfresh) {
  TImageCanvas screen(800, 800);
  const TRect page = Rect(0, 0, 4320, 2880);
  FORMATRANGE range;
  range.hdc = range.hdcTarget = &screen;
  range.rc = range.rcPage = page;
  range.chrg = {0, -1};
  const auto first = [&](TRichEdit& e) {
    return static_cast<int>(e.Perform(EM_FORMATRANGE, 0, reinterpret_cast<LPARAM>(&range)));
  };
  struct Change {
    const char* name;
    std::function<void(TRichEdit&)> apply;
  };
  const Change changes[] = {
      {"larger font",
       [](TRichEdit& e) {
         e.SelectAll();
         e.SelAttributes().SetSize(18);
       }},
      {"bold",
       [](TRichEdit& e) {
         e.SelectAll();
         e.SelAttributes().SetStyle(fsBold);
       }},
      {"other text",
       [](TRichEdit& e) { e.SetRichText("{\\rtf1\\fs48 W W W W W W W W W W W W W W W W W W\\par}"); }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    TRichEdit kept(Form.get());
    kept.SetRichText(SampleRtf());
    const int before = first(kept);
    EXPECT_EQ(before, 297);
    change.apply(kept);
    TRichEdit fresh(Form.get());
    fresh.SetRichText(kept.RichText());
    const int after = first(fresh);
    EXPECT_NE(after, before);
    EXPECT_EQ(first(kept), after);
    EXPECT_EQ(Splits(kept, screen, page), Splits(fresh, screen, page));
  }
}

// A band that grows asks for the same start and width at every height;
// the lines kept from one height serve the next and are the lines a fresh
// layout gives, whatever order the heights come in.
TEST_F(RichEditFormatRangeTest, KeptLinesAreTheLinesOfAFreshLayoutAtEveryHeight) {
  const auto fields = [](const TRichLine& l) {
    return std::make_tuple(l.Start, l.End, l.Next, l.Para, l.Top, l.Height, l.Ascent, l.Left, l.Width,
                           l.First, l.Stretch);
  };
  const auto holdsRest = [](const TRichContent& content, const std::vector<TRichLine>& lines) {
    return lines.back().Para + 1 >= content.ParagraphCount() && lines.back().Next >= content.Length();
  };
  const auto same = [&](const std::vector<TRichLine>& a, const std::vector<TRichLine>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](const auto& x, const auto& y) { return fields(x) == fields(y); });
  };
  struct Text {
    const char* name;
    std::string rtf;
  };
  const Text texts[] = {
      {"sample", SampleRtf()},
      {"empty last paragraph", "{\\rtf1 one two three four five six seven\\par\\par}"},
      {"line break at the end", "{\\rtf1 one two\\line}"},
      {"taller than the page", "{\\rtf1\\fs400 Huge\\par\\fs400 Again\\par\\fs20 small}"},
      {"justified", "{\\rtf1\\qj words that wrap into a justified paragraph of a few lines\\par}"},
  };
  std::vector<int> heights;
  for (int h = 1; h < 12000; h += 283) heights.push_back(h);  // 5 mm steps
  const std::vector<int> mixed = {5000, 10, 283, 2880, 1 << 30, 700, 1};
  heights.insert(heights.end(), mixed.begin(), mixed.end());
  // One set of measures for every text in turn, as a control keeps its
  // own while its text changes: each text is laid in the lines the one
  // before was laid in.
  TRichMeasures kept;
  for (const Text& text : texts) {
    SCOPED_TRACE(text.name);
    TRichEdit edit(Form.get());
    edit.SetRichText(text.rtf);
    const TRichContent& content = edit.Content();
    kept.Follow(content, 1440);
    TRichLayout keeping(content, 1440);
    keeping.Measures = &kept;
    for (int from : {0, 7, content.Length()})
      for (int width : {2160, 4320, 100})
        for (int height : heights) {
          SCOPED_TRACE(testing::Message() << from << " " << width << " " << height);
          const std::vector<TRichLine> fresh = TRichLayout(content, 1440).Lay(from, width, height);
          int room = -1;
          ASSERT_TRUE(same(keeping.LayPage(from, width, height, &room), fresh));
          // The room the rest needs: a page that holds it is at least that
          // tall, and one a twip lower does not hold it.
          if (holdsRest(content, fresh)) {
            EXPECT_LE(room, height);
          }
          if (room > 1) {
            EXPECT_FALSE(holdsRest(content, TRichLayout(content, 1440).Lay(from, width, room - 1)));
          }
        }
  }
}

// The pages of a long text take their lines from those laid for the pages
// before them; each page has the lines a layout from its own start gives,
// as when every page was laid out afresh, with the band asking at growing
// heights first as a stretching one does.
TEST_F(RichEditFormatRangeTest, PagesGoOnFromTheLinesOfThePagesBeforeAsFreshLayoutsOfEachLayThem) {
  const auto fields = [](const TRichLine& l) {
    return std::make_tuple(l.Start, l.End, l.Next, l.Para, l.Top, l.Height, l.Ascent, l.Left, l.Width,
                           l.First, l.Stretch);
  };
  const auto same = [&](const std::vector<TRichLine>& a, const std::vector<TRichLine>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](const auto& x, const auto& y) { return fields(x) == fields(y); });
  };
  std::string words;
  for (int i = 0; i < 40; ++i) words += "word" + std::to_string(i) + (i % 7 == 6 ? "  " : " ");
  struct Text {
    const char* name;
    std::string body;  // after the size
  };
  const Text texts[] = {
      {"one paragraph", words},
      {"paragraphs", words + "\\par " + words + "\\par\\par " + words},
      {"formats", "\\b " + words + "\\b0\\i " + words + "\\f1 " + words},
      {"tabs and breaks", "one\\tab two\\tab three\\line " + words + "\\line\\tab " + words},
      {"aligned", "\\qc " + words + "\\par\\qr " + words + "\\par\\qj " + words},
      {"indented with bullets",
       "\\li720\\fi-360 " + words + "\\par{\\pntext\\'95\\tab}\\pn\\pnlvlblt " + words},
      {"no blanks", std::string(300, 'W') + "\\'e1\\'e2" + std::string(100, 'i')},
      {"cyrillic",
       [] {
         std::string cyrillic;
         for (int i = 0; i < 200; ++i)
           cyrillic += "\\u" + std::to_string(1040 + i % 64) + (i % 9 == 8 ? "? " : "?");
         return cyrillic;
       }()},
      {"beyond the code page", "\\u1488? \\u1489?\\u1490? " + words + "\\u1576?\\u1578?\\u1579? " + words},
      {"sizes", "\\fs20 " + words + "\\fs400 Huge \\fs16 " + words + "\\fs200 " + words},
  };
  for (const Text& text : texts)
    for (int size : {16, 24, 100, 400, 3276}) {
      TRichEdit edit(Form.get());
      edit.SetRichText(
          "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0\\fnil\\fcharset161 Arial;}{\\f1\\fnil\\fcharset161 "
          "Courier New;}}\\f0\\fs" +
          std::to_string(size) + " " + text.body + "}");
      const TRichContent& content = edit.Content();
      TRichMeasures kept;
      kept.Follow(content, 1440);
      TRichLayout keeping(content, 1440);
      keeping.Measures = &kept;
      for (int width : {100, 2160, 4320})
        for (int page : {283, 2880, 16000}) {
          SCOPED_TRACE(testing::Message() << text.name << " at " << size << ", " << width << " by " << page);
          int from = 0, pages = 0;
          while (from < content.Length() && pages++ < 1000) {
            SCOPED_TRACE(testing::Message() << "page " << pages << " from " << from);
            for (int grown = page / 4; grown < page; grown += 283) keeping.LayPage(from, width, grown);
            int room = -1;
            const std::vector<TRichLine> lines = keeping.LayPage(from, width, page, &room);
            const std::vector<TRichLine> fresh = TRichLayout(content, 1440).Lay(from, width, page);
            ASSERT_TRUE(same(lines, fresh));
            if (lines.back().Next >= content.Length()) break;
            from = lines.back().Next;
          }
        }
    }
}

// A page drawn right after it was measured, or drawn again elsewhere at
// its size (a report draws each page on the printer's page and into its
// exported picture), draws what a control that measured nothing draws; a
// page asked for otherwise, or of a text changed since, is laid anew.
TEST_F(RichEditFormatRangeTest, APageDrawnAfterItWasMeasuredDrawsAsOneDrawnAfresh) {
  const auto drawn = [](TRichEdit& edit, const FORMATRANGE& asked, const TRect& at) {
    TMetafile picture;
    picture.SetWidth(800);
    picture.SetHeight(800);
    int next = 0;
    {
      TMetafileCanvas canvas(&picture);
      FORMATRANGE range = asked;
      range.hdc = range.hdcTarget = &canvas;
      range.rc = at;
      next = edit.FormatRange(&range, true);
    }
    return std::make_pair(next, picture.Data());
  };
  // The same characters at a larger size: the same page breaks elsewhere.
  std::string other = SampleRtf();
  for (size_t at = other.find("\\fs24"); at != std::string::npos; at = other.find("\\fs24", at))
    other.replace(at, 5, "\\fs32");
  struct Before {
    const char* name;
    std::function<void(TRichEdit&, FORMATRANGE&)> call;
    std::string rtf;  // the text drawn; the sample when empty
  };
  const Before befores[] = {
      {"measured", [](TRichEdit& e, FORMATRANGE& r) { e.FormatRange(&r, false); }, {}},
      {"measured with its room",
       [](TRichEdit& e, FORMATRANGE& r) {
         int room = 0;
         e.FormatRange(&r, false, room);
       },
       {}},
      {"drawn", [](TRichEdit& e, FORMATRANGE& r) { e.FormatRange(&r, true); }, {}},
      {"measured lower",
       [](TRichEdit& e, FORMATRANGE& r) {
         FORMATRANGE lower = r;
         lower.rc.Bottom -= 1000;
         e.FormatRange(&lower, false);
       },
       {}},
      {"measured narrower",
       [](TRichEdit& e, FORMATRANGE& r) {
         FORMATRANGE narrower = r;
         narrower.rc.Right -= 700;
         e.FormatRange(&narrower, false);
       },
       {}},
      {"measured up to a character",
       [](TRichEdit& e, FORMATRANGE& r) {
         FORMATRANGE shorter = r;
         shorter.chrg.cpMax = r.chrg.cpMin + 40;
         e.FormatRange(&shorter, false);
       },
       {}},
      {"measured, then the job ended",
       [](TRichEdit& e, FORMATRANGE& r) {
         e.FormatRange(&r, false);
         e.FormatRange(nullptr, false);
       },
       {}},
      {"measured, then the text changed",
       [other](TRichEdit& e, FORMATRANGE& r) {
         e.FormatRange(&r, false);
         e.SetRichText(other);
       },
       other},
  };
  TImageCanvas screen(800, 800);
  for (const Before& before : befores)
    for (int from : {0, 120, 500}) {
      SCOPED_TRACE(testing::Message() << before.name << " from " << from);
      FORMATRANGE range;
      range.hdc = range.hdcTarget = &screen;
      range.rc = range.rcPage = Rect(720, 1440, 5040, 4320);
      range.chrg = {from, -1};
      TRichEdit kept(Form.get());
      kept.SetRichText(SampleRtf());
      before.call(kept, range);
      // On its place and at the corner of a picture of its size.
      for (const TRect& at : {range.rc, Rect(0, 0, 4320, 2880)}) {
        TRichEdit fresh(Form.get());
        fresh.SetRichText(before.rtf.empty() ? SampleRtf() : before.rtf);
        const auto expected = drawn(fresh, range, at);
        EXPECT_GT(expected.second.size(), 200u);
        EXPECT_EQ(drawn(kept, range, at), expected);
      }
    }
}

TEST_F(RichEditFormatRangeTest, AnEmptyTextIsOnePage) {
  TRichEdit edit(Form.get());
  TImageCanvas screen(100, 100);
  EXPECT_EQ(Splits(edit, screen, Rect(0, 0, 1440, 1440)), std::vector<int>{0});
  EXPECT_EQ(edit.Perform(EM_FORMATRANGE, 0, 0), 0);  // no range: the job ends
}

}  // namespace
