// Line breaking of text controls against the plain breaker: every piece
// of a paragraph copied and measured alone, word after word. The label
// sums its text once and measures pieces from the sums; the lines must be
// the same to the byte for Greek and Latin texts, control characters that
// the font measures through a layout, any width, font, zoom and wrapping,
// and for the report texts the fuzz target keeps.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/report/BandRptFixture.h"

using namespace bandrpt_test;

namespace {

// The breaker as it measured before: Measure gives the width of a text
// as the label measures it.
template <class Measure>
std::vector<AnsiString> PlainLines(AnsiString text, int width, bool wordWrap, Measure measure) {
  std::vector<AnsiString> lines;
  const auto longestPrefix = [&](const AnsiString& word, auto fits) {
    std::size_t fit = 0, tooLong = word.size();
    while (tooLong - fit > 1) {
      const std::size_t mid = fit + (tooLong - fit) / 2;
      (fits(measure(word.substr(0, mid))) ? fit : tooLong) = mid;
    }
    return fit;
  };
  const auto paragraph = [&](const AnsiString& para) {
    if (measure(para) <= width) {
      lines.push_back(para);
      return;
    }
    AnsiString line;
    bool emitAtEnd = true;
    std::size_t at = 0;
    while (at < para.size()) {
      std::size_t end = para.find_first_of(" -", at);
      end = end == AnsiString::npos ? para.size() : end + 1;
      AnsiString word = para.substr(at, end - at);
      at = end;
      if (measure(line + word) <= width) {
        line += word;
        continue;
      }
      if (line.empty()) {
        line = word.substr(0, longestPrefix(word, [width](int w) { return w < width; }));
        word.clear();
      }
      lines.push_back(line);
      line.clear();
      if (!word.empty() && measure(word) > width) {
        word.resize(width == 0 ? 0 : longestPrefix(word, [width](int w) { return w <= width; }));
        lines.push_back(word);
        word.clear();
      }
      if (!wordWrap) {
        word.clear();
        emitAtEnd = false;
      }
      line += word;
    }
    if (emitAtEnd) lines.push_back(line);
  };
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  std::size_t cr;
  while ((cr = text.find('\r')) != AnsiString::npos) {
    paragraph(text.substr(0, cr));
    text.erase(0, cr + 1);
  }
  paragraph(text);
  return lines;
}

std::vector<AnsiString> LinesOf(TRpCustomLabel& label) {
  std::vector<AnsiString> out;
  for (int i = 0; i < label.FormattedLines()->Count(); ++i) out.push_back(label.FormattedLines()->Strings(i));
  return out;
}

TFont FontOf(const char* name, int size, TFontStyles style) {
  TFont f;
  f.Name = name;
  f.SetSize(size);
  f.Style = style;
  return f;
}

class RpCtrlsTextTest : public BandRptTest {
 protected:
  void SetUp() override {
    BandRptTest::SetUp();
    label = AddControl<TRpLabel>(AddBand(TBandRepBands::iDetail, 50), 0, 0, 1000, 50);
    label->AutoSize = false;
  }
  // The label's lines for Text against the plain breaker's, in every
  // font, width and wrapping of the table; the count of cases compared.
  int Compare(const AnsiString& text, const std::vector<int>& widths, const std::string& what) {
    int cases = 0;
    for (const TFont& font : fonts) {
      label->SetFont(font);
      const int zoom = label->GetZoom();
      // At full size whatever the zoom: the box as it prints.
      const auto measure = [&](const AnsiString& piece) { return rep->TextWidth(label->Font(), piece); };
      for (int width : widths)
        for (bool wrap : {true, false}) {
          label->SetWidth(width);
          label->SetWordWrap(wrap);
          label->SetCaption(text);
          const int full = label->FullSizePixels(TRpPrintableSize::iWidth);
          EXPECT_EQ(LinesOf(*label), PlainLines(text, full, wrap, measure))
              << what << ": " << font.Name.Value() << " " << font.Size() << " width " << width << " wrap " << wrap
              << " zoom " << zoom;
          ++cases;
        }
    }
    return cases;
  }

  TRpLabel* label = nullptr;
  std::vector<TFont> fonts = {FontOf("Arial", 10, 0), FontOf("Times New Roman", 13, fsBold),
                              FontOf("Courier New", 8, fsItalic), FontOf("Arial", 24, fsBold | fsUnderline)};
};

TEST_F(RpCtrlsTextTest, LinesAreThePlainBreakersForGreekAndLatinTexts) {
  const AnsiString texts[] = {
      "",
      " ",
      "Πρώτη δεύτερη τρίτη τέταρτη πέμπτη έκτη έβδομη όγδοη"_a,
      "αντι-πρόταση μετα-μεσονύκτια προ-ϋπολογισμός--παύλες - μόνες -"_a,
      "Μακρύτατο1234567890ΑΒΓΔΕabcdefWWWiii.,;ΩΩ και μετά λέξεις"_a,
      "The quick brown fox jumps over the lazy dog; WWWWWWWWWWWWWWWWWWWWWWWW iiiiiiiiiiiiiiii"_a,
      "   blanks    in   runs   and trailing   "_a,
      "Σύνολο Δαπάνης του Έργου κατά τη μελέτη (χωρίς ΦΠΑ)   Σ2=\r\nΚατά τη προσφορά Π2=\rτέλος"_a,
      "\r\r\n\n\rκενές παράγραφοι\r"_a,
      // A tab, other control characters, the soft hyphen and character 0
      // are measured through a layout, not the advance table.
      "στήλη\tστήλη\tστήλη με\x01\x02 χαρακτήρες\x7f ελέγχου και\xad συλλαβισμό"_a,
      AnsiString("με\0μηδέν\0 ανάμεσα", 28),
      "1.234.567,89 12,50 % 99 - 100,00 Ευρώ: ΕΝΑ ΕΚΑΤΟΜΜΥΡΙΟ ΔΙΑΚΟΣΙΕΣ ΤΡΙΑΝΤΑ ΤΕΣΣΕΡΙΣ ΧΙΛΙΑΔΕΣ"_a,
  };
  const std::vector<int> widths = {0, 1, 7, 23, 40, 90, 140, 250, 430, 695, 2000};
  int cases = 0;
  for (const AnsiString& text : texts) cases += Compare(text, widths, text);
  EXPECT_EQ(cases, 12 * 4 * 11 * 2);
}

TEST_F(RpCtrlsTextTest, LinesAreThePlainBreakersAtAnotherZoom) {
  rep->SetZoom(150);
  ASSERT_EQ(label->GetZoom(), 150);
  const AnsiString text = "Προσφερόμενη έκπτωση κατά ομάδα σε ακέραιες μονάδες (%) WWWWWWWWWWWWWWWW-iii"_a;
  EXPECT_GT(Compare(text, {0, 1, 31, 97, 210, 370, 1000}, "zoom"), 0);
}

// The lines are kept while text, box and font stay; each change of what
// breaks them breaks them again.
TEST_F(RpCtrlsTextTest, TheLinesFollowEveryChangeOfWhatBreaksThem) {
  const AnsiString text = "Δαπάνη ομάδας μετά την έκπτωση στρογγυλευμένη σε εκατοστά ευρώ"_a;
  // At the label's width now, at full size whatever the zoom.
  const auto plain = [&](bool wrap) {
    return PlainLines(text, label->FullSizePixels(TRpPrintableSize::iWidth), wrap,
                      [&](const AnsiString& piece) { return rep->TextWidth(label->Font(), piece); });
  };
  label->SetWidth(140);
  label->SetCaption(text);
  const std::vector<AnsiString> narrow = LinesOf(*label);
  ASSERT_GT(narrow.size(), 2u);
  EXPECT_EQ(narrow, plain(true));
  label->SetWidth(300);
  label->FormatLines();
  EXPECT_EQ(LinesOf(*label), plain(true));
  EXPECT_LT(LinesOf(*label).size(), narrow.size());
  label->SetWordWrap(false);
  label->FormatLines();
  EXPECT_EQ(LinesOf(*label), plain(false));
  label->SetWordWrap(true);
  label->FormatLines();
  const std::vector<AnsiString> wide = LinesOf(*label);
  // The report's font reaches a label that takes its parent's.
  TFont big = rep->Font();
  big.SetSize(20);
  rep->SetFont(big);
  ASSERT_EQ(label->Font().Size(), 20);
  EXPECT_EQ(LinesOf(*label), plain(true));
  EXPECT_GT(LinesOf(*label).size(), wide.size());
  // The zoom changes neither the box nor the measures the lines are
  // broken by.
  rep->SetZoom(50);
  label->FormatLines();
  EXPECT_EQ(LinesOf(*label), plain(true));
  // The same text again keeps the lines; another text breaks anew.
  label->SetCaption(text);
  EXPECT_EQ(LinesOf(*label), plain(true));
  label->SetCaption("α β"_a);
  EXPECT_EQ(LinesOf(*label), std::vector<AnsiString>{"α β"_a});
}

// A label that keeps its box and is a line tall breaks a new text only
// when its lines are wanted; one that sizes itself, or is lower than a
// line, takes its size at once.
TEST_F(RpCtrlsTextTest, ALabelBreaksANewTextWhenItsLinesAreWanted) {
  const AnsiString text = "Προσφερόμενη έκπτωση κατά ομάδα σε ακέραιες μονάδες (%) και ολογράφως"_a;
  const auto plain = [&](const AnsiString& t) {
    return PlainLines(t, label->Width(), true, [&](const AnsiString& piece) {
      return MulDiv(rep->TextWidth(label->Font(), piece), label->GetZoom(), 100);
    });
  };
  label->SetWidth(120);
  label->SetCaption("α");
  ASSERT_EQ(LinesOf(*label), std::vector<AnsiString>{"α"});
  ASSERT_TRUE(label->Formatted());
  const int height = label->Height();
  label->SetCaption(text);
  EXPECT_FALSE(label->Formatted());
  EXPECT_EQ(label->Height(), height);
  EXPECT_EQ(LinesOf(*label), plain(text));
  EXPECT_TRUE(label->Formatted());
  // Lower than a line: it grows to a line at once.
  label->SetHeight(1);
  label->SetCaption("β γ");
  EXPECT_TRUE(label->Formatted());
  EXPECT_EQ(label->Height(), label->LineHeight());
  // Sizing itself: its width follows the text now.
  label->AutoSize = true;
  label->SetCaption("δ");
  const int narrow = label->Width();
  label->SetCaption(text);
  EXPECT_TRUE(label->Formatted());
  EXPECT_GT(label->Width(), narrow);
}

// The texts the report form's fuzz target keeps: every line as a caption
// and the whole text at once, at the widths of the form's labels.
TEST_F(RpCtrlsTextTest, LinesAreThePlainBreakersForTheReportTextsTheFuzzTargetKeeps) {
  const std::filesystem::path corpus =
      std::filesystem::path(DIM_TEST_DATA) / "../../fuzz/corpus/printing_report_lines";
  fonts.resize(2);
  int files = 0, cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const AnsiString bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string name = entry.path().filename().string();
    cases += Compare(bytes, {40, 250, 280, 695}, name);
    for (std::size_t from = 0; from < bytes.size();) {
      const std::size_t end = std::min(bytes.find('\n', from), bytes.size());
      cases += Compare(bytes.substr(from, end - from), {40, 90, 140, 250}, name);
      from = end + 1;
    }
    ++files;
  }
  EXPECT_GE(files, 3);
  EXPECT_GT(cases, 0);
}

}  // namespace
