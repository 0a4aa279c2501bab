// The RTF codec alone: what is read into runs and paragraphs, that writing
// and reading again gives the same document, that damaged input is refused,
// and that other programs read what we write and we read what they write.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "../OtherPrograms.h"
#include "platform/ui/ComCtrlsRichText.h"
#include "tests/TestOutput.h"

namespace {

using richtext::ReadRtf;
using richtext::WriteRtf;

struct TRunExpect {
  const char16_t* Text;
  AnsiString Font;
  int HalfPoints;
  TFontStyles Style;
  TColor Color;
};

struct TReadCase {
  const char* Name;
  const char* Rtf;
  std::vector<std::vector<TRunExpect>> Paragraphs;
  std::vector<TAlignment> Alignments;  // empty: all left
};

const char* kHeader =
    "{\\rtf1\\ansi\\ansicpg1253\\deff0{\\fonttbl{\\f0\\fnil\\fcharset161 Arial;}"
    "{\\f1\\fmodern\\fcharset161 Courier New;}}{\\colortbl ;\\red255\\green0\\blue0;}";

std::string Doc(const char* body) { return std::string(kHeader) + body + "}"; }

const std::vector<TReadCase>& ReadCases() {
  static const std::vector<TReadCase> cases = {
      {"plain", "{\\rtf1 Hello}", {{{u"Hello", "Times New Roman", 24, 0, clWindowText}}}, {}},
      {"greek bytes",
       "{\\rtf1\\ansi\\ansicpg1253 \\'c1\\'e8\\'de\\'ed\\'e1}",
       {{{u"Αθήνα", "Times New Roman", 24, 0, clWindowText}}},
       {}},
      {"bold and plain",
       "{\\rtf1 a{\\b b}c\\b d\\b0 e}",
       {{{u"a", "Times New Roman", 24, 0, clWindowText},
         {u"b", "Times New Roman", 24, fsBold, clWindowText},
         {u"c", "Times New Roman", 24, 0, clWindowText},
         {u"d", "Times New Roman", 24, fsBold, clWindowText},
         {u"e", "Times New Roman", 24, 0, clWindowText}}},
       {}},
      {"fonts sizes colour",
       nullptr,  // built by ReadCase from the common header
       {{{u"Τιμή", "Courier New", 20, fsItalic | fsUnderline, 0x0000FF},
         {u" ok", "Arial", 24, fsStrikeOut, clWindowText}}},
       {}},
      {"unicode and skip",
       "{\\rtf1\\ansicpg1253\\uc1\\u8364?\\u-3913?x\\uc2\\u1046??y}",
       {{{u"€\uF0B7x\u0416y", "Times New Roman", 24, 0, clWindowText}}},
       {}},
      {"paragraphs and alignment",
       "{\\rtf1\\pard\\qc one\\par\\pard\\qr two\\par\\pard three}",
       {{{u"one", "Times New Roman", 24, 0, clWindowText}},
        {{u"two", "Times New Roman", 24, 0, clWindowText}},
        {{u"three", "Times New Roman", 24, 0, clWindowText}}},
       {taCenter, taRightJustify, taLeftJustify}},
      {"final break is the last paragraph's",
       "{\\rtf1 a\\par b\\par}",
       {{{u"a", "Times New Roman", 24, 0, clWindowText}}, {{u"b", "Times New Roman", 24, 0, clWindowText}}},
       {}},
      {"an empty line at the end stays",
       "{\\rtf1 a\\par\\par}",
       {{{u"a", "Times New Roman", 24, 0, clWindowText}}, {}},
       {}},
      {"tabs escapes and a line break inside the paragraph",
       "{\\rtf1 a\\tab b\\{\\}\\\\\\line c}",
       {{{u"a\tb{}\\\vc", "Times New Roman", 24, 0, clWindowText}}},
       {}},
      {"justified",
       "{\\rtf1\\pard\\qj one\\par\\pard\\ql two}",
       {{{u"one", "Times New Roman", 24, 0, clWindowText}},
        {{u"two", "Times New Roman", 24, 0, clWindowText}}},
       {taJustify, taLeftJustify}},
      {"skipped destinations",
       "{\\rtf1{\\*\\generator x;}{\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}{\\*\\unknown q}"
       "{\\field{\\*\\fldinst HYPERLINK}{\\fldrslt link}} \\foo12 z}",
       {{{u"link z", "Times New Roman", 24, 0, clWindowText}}},
       {}},
      {"font sizes beyond the largest font",
       "{\\rtf1 \\fs999999 huge \\fs0 none}",
       {{{u"huge ", "Times New Roman", 3276, 0, clWindowText},
         {u"none", "Times New Roman", 24, 0, clWindowText}}},
       {}},
      {"binary data is skipped",
       "{\\rtf1 a{\\*\\blob\\bin3 }}{}b}",
       {{{u"ab", "Times New Roman", 24, 0, clWindowText}}},
       {}},
  };
  return cases;
}

TRichDocument ReadCase(const TReadCase& c) {
  if (c.Rtf) return ReadRtf(c.Rtf);
  return ReadRtf(Doc("\\f1\\fs20\\i\\ul\\cf1 \\'d4\\'e9\\'ec\\'de\\plain\\f0\\strike  ok"));
}

TEST(RichTextRtf, ReadsRunsAndParagraphsAndWritesThemBackEqual) {
  for (const TReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.Name);
    const TRichDocument doc = ReadCase(c);
    ASSERT_EQ(doc.Paragraphs.size(), c.Paragraphs.size());
    for (size_t p = 0; p < c.Paragraphs.size(); ++p) {
      const auto& runs = doc.Paragraphs[p].Runs;
      ASSERT_EQ(runs.size(), c.Paragraphs[p].size()) << "paragraph " << p;
      for (size_t r = 0; r < runs.size(); ++r) {
        const TRunExpect& e = c.Paragraphs[p][r];
        EXPECT_EQ(runs[r].Text, e.Text);
        EXPECT_EQ(runs[r].Format.Name, e.Font);
        EXPECT_EQ(runs[r].Format.HalfPoints, e.HalfPoints);
        EXPECT_EQ(runs[r].Format.Style, e.Style);
        EXPECT_EQ(runs[r].Format.Color, e.Color);
      }
      if (!c.Alignments.empty()) {
        EXPECT_EQ(doc.Paragraphs[p].Format.Alignment, c.Alignments[p]);
      }
    }
    const AnsiString written = WriteRtf(doc);
    EXPECT_EQ(ReadRtf(written), doc) << written;
    EXPECT_EQ(WriteRtf(ReadRtf(written)), written);
  }
}

TEST(RichTextRtf, ParagraphIndentsTabsAndBulletsRoundTrip) {
  TRichDocument doc;
  doc.Paragraphs.clear();
  TRichParaFormat indented;
  indented.FirstIndent = -360;
  indented.LeftIndent = 720;
  indented.RightIndent = 200;
  indented.Tabs = {1440, 2880};
  TRichParaFormat bullet;
  bullet.Bullet = true;
  bullet.LeftIndent = 360;
  TRichCharFormat greek;
  greek.Name = "Courier New";
  greek.HalfPoints = 21;
  doc.Paragraphs.push_back({indented, {{greek, u"α\tβ"}}});
  doc.Paragraphs.push_back({bullet, {{greek, u"σημείο 😀"}}});
  doc.Paragraphs.push_back({TRichParaFormat{}, {}});
  const AnsiString rtf = WriteRtf(doc);
  EXPECT_NE(rtf.find("\\ansicpg1253"), AnsiString::npos);
  EXPECT_NE(rtf.find("\\fcharset161 Courier New;"), AnsiString::npos);
  EXPECT_NE(rtf.find("\\'e1\\tab \\'e2"), AnsiString::npos);
  EXPECT_NE(rtf.find("\\u-10179?\\u-8704?"), AnsiString::npos);  // the emoji's surrogates
  EXPECT_EQ(ReadRtf(rtf), doc) << rtf;
}

TEST(RichTextRtf, DamagedTextIsRefusedWithItsReason) {
  const struct {
    std::string Rtf;
    const char* Reason;
  } cases[] = {
      {"{\\rtf1 a", "closing brace is missing"},
      {"{\\rtf1 a}}", "without its group"},
      {"{\\rtf1 a\\'e", "truncated \\'xx"},
      {"{\\rtf1 a\\'zz}", "hexadecimal"},
      {"{\\rtf1 \\fs4294967296 a}", "beyond 32 bits"},
      {"{\\rtf1 \\li-2147483649 a}", "beyond 32 bits"},
      {"{\\rtf1 " + std::string(300, '{') + std::string(300, '}') + "}", "deeper than 256"},
      {"{\\rtf1 {\\bin99 ab}}", "truncated \\bin"},
      {"{\\rtf1 a\\", "backslash at the end"},
      {"hello", "does not start"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Rtf.substr(0, 40));
    try {
      ReadRtf(c.Rtf);
      ADD_FAILURE() << "accepted";
    } catch (const ERichTextError& e) {
      EXPECT_NE(std::string(e.Message).find(c.Reason), std::string::npos) << e.Message;
    }
  }
  // 256 levels are still fine.
  EXPECT_NO_THROW(ReadRtf("{\\rtf1 " + std::string(255, '{') + "x" + std::string(255, '}') + "}"));
}

// ---- other programs ----

TRichDocument GreekSample() {
  TRichCharFormat bold;
  bold.Name = "Arial";
  bold.Style = fsBold;
  TRichCharFormat red = bold;
  red.Style = fsItalic;
  red.Color = 0x0000FF;
  TRichDocument doc;
  doc.Paragraphs.clear();
  doc.Paragraphs.push_back({{}, {{bold, u"Προσφορά "}, {red, u"μειοδότη"}}});
  doc.Paragraphs.push_back({{}, {{bold, u"Έκπτωση 12,50%"}}});
  return doc;
}

// In the test's output folder; the path is returned.
std::string WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path = TestOutput(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

const char* kOffice = "soffice";

TEST(RichTextRtf, UnrtfReadsOurGreek) {
  if (!Have("unrtf")) FAIL() << "unrtf is missing (scripts/packages.txt)";
  const std::string file = WriteFile("richtext_unrtf.rtf", WriteRtf(GreekSample()));
  const std::string html = RunCommand("unrtf --html '" + file + "' 2>/dev/null");
  // unrtf writes the Greek as character references.
  EXPECT_NE(html.find("&Pi;&rho;&omicron;&sigma;&phi;&omicron;&rho;&#940; "), std::string::npos) << html;
  EXPECT_NE(html.find("&#904;&kappa;&pi;&tau;&omega;&sigma;&eta; 12,50%"), std::string::npos) << html;
  EXPECT_NE(html.find("<font color=\"#ff0000\">&mu;"), std::string::npos) << html;
  EXPECT_NE(html.find("<b>"), std::string::npos) << html;
}

// The word processor's conversion of File by Filter into the test's folder,
// with a profile of the test's own: the converted bytes, or a failure that
// says what the office printed and how it ended.
::testing::AssertionResult OfficeConverts(const std::string& file, const std::string& filter,
                                          const std::string& convertedName, std::string& converted) {
  const std::string out = TestOutputFolder().string();
  int status = 0;
  const std::string said = RunCommand(std::string(kOffice) + " -env:UserInstallation=file://" + out +
                                          "/profile --headless --convert-to \"" + filter + "\" --outdir '" +
                                          out + "/converted' '" + file + "' 2>&1",
                                      &status);
  std::ifstream in(out + "/converted/" + convertedName, std::ios::binary);
  converted.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!converted.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "the word processor wrote no " << convertedName << " (status " << status << "): " << said;
}

TEST(RichTextRtf, TheWordProcessorConvertsOurGreekToText) {
  if (!Have(kOffice)) FAIL() << "LibreOffice (libreoffice-writer-nogui) is missing (scripts/packages.txt)";
  const std::string file = WriteFile("richtext_office.rtf", WriteRtf(GreekSample()));
  std::string text;
  ASSERT_TRUE(OfficeConverts(file, "txt:Text (encoded):UTF8", "richtext_office.txt", text));
  EXPECT_NE(text.find("Προσφορά μειοδότη"), std::string::npos) << text;
  EXPECT_NE(text.find("Έκπτωση 12,50%"), std::string::npos) << text;
}

TEST(RichTextRtf, ReadsWhatTheWordProcessorWrites) {
  if (!Have(kOffice)) FAIL() << "LibreOffice (libreoffice-writer-nogui) is missing (scripts/packages.txt)";
  // A test document in the word processor's own HTML import: bold, italic,
  // colour and Greek, saved by it as RTF.
  const std::string source =
      WriteFile("richtext_source.html",
                "<html><head><meta charset=\"utf-8\"></head><body><p><b>Προσφορά</b> <i>μειοδότη</i> "
                "<font color=\"#ff0000\">κόκκινο</font></p></body></html>");
  std::string rtf;
  ASSERT_TRUE(OfficeConverts(source, "rtf:Rich Text Format", "richtext_source.rtf", rtf));
  const TRichDocument doc = ReadRtf(rtf);
  bool bold = false, italic = false, red = false;
  for (const TRichParagraph& p : doc.Paragraphs)
    for (const TRichRun& r : p.Runs) {
      if (r.Text.find(u"Προσφορά") != WideString::npos) bold = (r.Format.Style & fsBold) != 0;
      if (r.Text.find(u"μειοδότη") != WideString::npos) italic = (r.Format.Style & fsItalic) != 0;
      if (r.Text.find(u"κόκκινο") != WideString::npos) red = r.Format.Color == static_cast<TColor>(0x0000FF);
    }
  EXPECT_TRUE(bold);
  EXPECT_TRUE(italic);
  EXPECT_TRUE(red);
  EXPECT_NE(doc.Text().find(u"Προσφορά μειοδότη κόκκινο"), WideString::npos)
      << ::testing::PrintToString(doc.Text());
}

// Text read a stretch at a time is the text its bytes give one by one, as
// they do written as \'xx: runs, formats and paragraphs alike.
TEST(RichTextRtf, PlainTextReadsAsItsBytesOneByOne) {
  // Pieces of RTF: control words and groups as they are, text twice.
  struct TPiece {
    const char* Rtf;
    bool Text;
  };
  const std::vector<std::vector<TPiece>> cases = {
      {{"{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0\\fcharset161 Arial;}{\\f1\\fcharset0 Times;}"
        "{\\f2\\fcharset2 Symbol;}}\\f0 ",
        false},
       {"\xc1\xeb\xf6\xe1 one\ttwo\x01\x1f", true},
       {"\\b ", false},
       {"bold \x80\x9f", true},
       {"\\b0\\f1 ", false},
       {"latin \x80\x93\xe9", true},
       {"\\par\\f2 ", false},
       {"sym \xb7\xd6", true},
       {"\\plain\\u937 ", false},
       {"?after", true},
       {"\\line ", false},
       {"x\r\ny\n\rz", true},
       {"}", false}},
      {{"{\\rtf1 ", false},
       {"a", true},
       {"{\\i ", false},
       {"b c", true},
       {"}", false},
       {"d", true},
       {"\\par}", false}},
      {{"{\\rtf1\\uc2 ", false},
       {"x", true},
       {"\\u8364 ", false},
       {"??y", true},
       {"\\tab ", false},
       {"z", true},
       {"}", false}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    std::string plain, bytes;
    for (const TPiece& piece : cases[i]) {
      plain += piece.Rtf;
      if (!piece.Text) {
        bytes += piece.Rtf;
        continue;
      }
      for (const char ch : std::string(piece.Rtf)) {
        // Breaks and the nul stand outside any escape; every other byte is
        // written as \'xx.
        if (ch == '\r' || ch == '\n') {
          bytes += ch;
          continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned char>(ch));
        bytes += hex;
      }
    }
    EXPECT_EQ(ReadRtf(plain), ReadRtf(bytes));
  }
}

}  // namespace
