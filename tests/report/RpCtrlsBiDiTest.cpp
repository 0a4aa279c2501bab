// Text controls running right to left: the mirrored alignment and the
// right-to-left reading order, as the pages record them.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "tests/platform/db/TestDatabase.h"
#include "tests/report/BandRptFixture.h"
#include "tests/report/RpTestSupport.h"

namespace {

using namespace bandrpt_test;

// A line as a page records it: where, with which alignment and options.
struct DrawnLine {
  AnsiString Text;
  WideString Wide;  // as recorded
  int X;
  unsigned Align, Options;
};

std::vector<DrawnLine> DrawnLines(TRpPrinter& p, int n) {
  std::vector<DrawnLine> out;
  auto page = p.GetPage(n);
  if (!page) return out;
  unsigned align = 0;
  EnumEnhMetafile(page->Data(), [&](std::uint32_t type, std::string_view rec) {
    if (type == emr::SETTEXTALIGN && rec.size() >= 12) std::memcpy(&align, rec.data() + 8, 4);
    AnsiString s;
    if (TextOfRecord(rec, s) && rec.size() >= 56) {
      std::int32_t x;
      std::uint32_t options;
      std::memcpy(&x, rec.data() + 36, 4);
      std::memcpy(&options, rec.data() + 52, 4);
      std::uint32_t count = 0, at = 0;
      std::memcpy(&count, rec.data() + 44, 4);
      std::memcpy(&at, rec.data() + 48, 4);
      WideString wide(count, u'\0');
      if (type == emr::EXTTEXTOUTW && at + 2 * count <= rec.size())
        std::memcpy(wide.data(), rec.data() + at, 2 * count);
      out.push_back({s, wide, x, align, options});
    }
    return true;
  });
  return out;
}

class RpCtrlsBiDiTest : public BandRptTest {
 protected:
  void TearDown() override {
    SysLocale.MiddleEast = false;
    BandRptTest::TearDown();
  }
};

TEST(SysLocaleTest, RightToLeftLanguagesAreTheMiddleEast) {
  for (const char* name : {"he_IL.UTF-8", "ar_EG", "fa", "ur_PK.UTF-8@latin", "yi_US"})
    EXPECT_TRUE(IsMiddleEastLocale(name)) << name;
  for (const char* name : {"el_GR.UTF-8", "en_US", "C", "POSIX", "", "hr_HR", "arn_CL"})
    EXPECT_FALSE(IsMiddleEastLocale(name)) << name;
}

TEST_F(RpCtrlsBiDiTest, AlignmentMirrorsAndReadingTurnsOnlyOnAMiddleEastSystem) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  TRpLabel* label = AddLabel(band, "Σύνολο"_a);
  label->Size()->SetValue(TRpPrintableSize::iLeft, 200);
  const int left = PxY(100 + 200), right = PxY(100 + 200 + 1000), middle = PxY(100 + 200 + 500);
  struct Case {
    bool middleEast;
    TBiDiMode mode;
    TAlignment alignment;
    int x;
    unsigned align;
    bool reading;
  };
  const Case cases[] = {
      {false, bdRightToLeft, taLeftJustify, left, TA_LEFT, false},
      {false, bdRightToLeftReadingOnly, taRightJustify, right, TA_RIGHT, false},
      {true, bdLeftToRight, taLeftJustify, left, TA_LEFT, false},
      {true, bdRightToLeft, taLeftJustify, right, TA_RIGHT, true},
      {true, bdRightToLeft, taRightJustify, left, TA_LEFT, true},
      {true, bdRightToLeft, taCenter, middle, TA_CENTER, true},
      {true, bdRightToLeftNoAlign, taLeftJustify, left, TA_LEFT, true},
      {true, bdRightToLeftReadingOnly, taRightJustify, right, TA_RIGHT, true},
  };
  for (const Case& c : cases) {
    SysLocale.MiddleEast = c.middleEast;
    label->SetBiDiMode(c.mode);
    label->SetAlignment(c.alignment);
    Run();
    const auto lines = DrawnLines(*printer, 1);
    ASSERT_EQ(lines.size(), 1u);
    const std::string what = std::to_string(c.middleEast) + " mode " + std::to_string(c.mode) +
                             " alignment " + std::to_string(c.alignment);
    EXPECT_EQ(lines[0].X, c.x) << what;
    EXPECT_EQ(lines[0].Align & TA_CENTER, c.align) << what;
    EXPECT_EQ((lines[0].Align & TA_RTLREADING) != 0, c.reading) << what;
    EXPECT_EQ((lines[0].Options & ETO_RTLREADING) != 0, c.reading) << what;
    EXPECT_NE(lines[0].Options & ETO_CLIPPED, 0u) << what;
  }
  // A control that follows its band takes the band's mode, and the design
  // view draws as the page does.
  SysLocale.MiddleEast = true;
  label->SetAlignment(taLeftJustify);
  label->SetParentBiDiMode(true);
  EXPECT_EQ(label->BiDiMode(), bdLeftToRight);
  band->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(label->BiDiMode(), bdRightToLeft);
  EXPECT_TRUE(label->UseRightToLeftAlignment());
  const auto design = Record(*band);
  bool mirrored = false;
  for (const TDrawCall& call : design->CallsOf("ExtTextOut"))
    if (call.Text == "Σύνολο"_a) mirrored = (call.Flags & ETO_RTLREADING) != 0;
  EXPECT_TRUE(mirrored);
  Run();
  EXPECT_EQ(DrawnLines(*printer, 1).at(0).X, right);
}

TEST_F(RpCtrlsBiDiTest, AnAutoSizedRightToLeftLabelKeepsItsRightEdge) {
  SysLocale.MiddleEast = true;
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  TRpLabel* label = AddLabel(band, "Α"_a);
  label->SetBiDiMode(bdRightToLeft);
  label->AutoSize = true;
  label->Size()->SetValue(TRpPrintableSize::iLeft, 500);
  const int rightEdge = label->Left() + label->Width();
  label->SetCaption("Συνολικό ποσό προσφοράς"_a);
  EXPECT_EQ(label->Left() + label->Width(), rightEdge);
  label->SetCaption("Ποσό"_a);
  EXPECT_EQ(label->Left() + label->Width(), rightEdge);
  EXPECT_GT(label->Left(), 0);
}

TEST_F(RpCtrlsBiDiTest, NumbersAndDatesOfADataFieldKeepTheirAlignment) {
  SysLocale.MiddleEast = true;
  auto* table = new TTable(Form.get());
  table->SetDatabaseName(MakeTestDatabase("bidi",
                                          "CREATE TABLE offers(name TEXT, amount INTEGER, price REAL); "
                                          "INSERT INTO offers VALUES('Αλφα', 1250, 10.5);"));
  table->SetTableName("offers");
  table->Open();
  rep->SetDataSet(table);
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 200);
  const int left = PxY(100), right = PxY(100 + 600);
  std::map<AnsiString, TRpDBText*> fields;
  Extended top = 0;
  for (const char* name : {"NAME", "AMOUNT", "PRICE", "MISSING"}) {
    auto* text = AddControl<TRpDBText>(band, 0, top, 600, 50);
    text->AutoSize = false;
    text->SetDataSet(table);
    text->SetDataField(name);
    text->SetBiDiMode(bdRightToLeft);
    fields[name] = text;
    top += 50;
  }
  rep->OnNeedData() = nullptr;
  Run();
  std::map<AnsiString, int> at;
  for (const DrawnLine& line : DrawnLines(*printer, 1)) at[line.Text] = line.X;
  EXPECT_EQ(at["Αλφα"_a], right);  // a string mirrors
  EXPECT_EQ(at["1250"], left);     // numbers do not
  EXPECT_EQ(at["10.5"], left);
  // A field the data set lacks mirrors as a string would.
  EXPECT_TRUE(fields["MISSING"]->UseRightToLeftAlignment());
}

// A word of a PDF page as pdftotext finds it.
struct PdfWord {
  double XMin, XMax;
  std::string Text;
};

std::vector<PdfWord> PdfWords(const std::string& file) {
  std::vector<PdfWord> words;
  const std::string html = RunCommand("pdftotext -bbox -enc UTF-8 -f 1 -l 1 '" + file + "' - 2>/dev/null");
  static const std::regex word(
      "<word xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\"[^>]*>([^<]*)</word>");
  for (std::sregex_iterator it(html.begin(), html.end(), word), end; it != end; ++it)
    words.push_back({std::stod((*it)[1]), std::stod((*it)[2]), (*it)[3]});
  return words;
}

// A Hebrew label read right to left: the printed sheet holds its words in
// visual order, the first one on the right, against the mirrored edge.
TEST_F(RpCtrlsBiDiTest, HebrewPrintsInVisualOrderAgainstTheRightEdge) {
  TempFolder folder;
  UsePdfPrinterIn(folder.path());
  SysLocale.MiddleEast = true;
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 60);
  TRpLabel* label = AddControl<TRpLabel>(band, 200, 0, 1000, 60);
  label->AutoSize = false;
  label->Font().Charset = HEBREW_CHARSET;
  label->SetBiDiMode(bdRightToLeft);
  // Alef-bet-gimel, then a longer word of shins, then a Latin word: the
  // Latin run stands on the left of the Hebrew ones.
  label->SetCaption("\xE0\xE1\xE2 \xF9\xF9\xF9\xF9\xF9 TOTAL");
  rep->Print();
  const std::string file = PrintedPdf(folder);
  ASSERT_FALSE(file.empty());
  const std::vector<PdfWord> words = PdfWords(file);
  auto find = [&](const char* letter) -> const PdfWord* {
    for (const PdfWord& w : words)
      if (w.Text.find(letter) != std::string::npos) return &w;
    return nullptr;
  };
  const PdfWord* first = find("\u05D0");
  const PdfWord* second = find("\u05E9");
  const PdfWord* latin = find("TOTAL");
  ASSERT_TRUE(first && second && latin)
      << RunCommand("pdftotext -bbox -enc UTF-8 '" + file + "' - 2>/dev/null");
  EXPECT_GT(first->XMin, second->XMax);
  EXPECT_GT(second->XMin, latin->XMax);
  // Left alignment mirrored: the line ends at the label's right edge.
  const double rightEdge = (100 + 200 + 1000) / 254.0 * 72;
  EXPECT_NEAR(first->XMax, rightEdge, 2.0);
  // The page records the text in reading order with the font's character
  // set, asking for right-to-left reading: the preview and the print order
  // it as they draw.
  Run();
  const auto lines = DrawnLines(*printer, 1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].Wide, u"\u05D0\u05D1\u05D2 \u05E9\u05E9\u05E9\u05E9\u05E9 TOTAL");
  EXPECT_NE(lines[0].Options & ETO_RTLREADING, 0u);
}

TEST_F(RpCtrlsBiDiTest, AStoredFormKeepsTheModes) {
  rep->SetName("Stored");
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  band->SetName("Detail");
  TRpLabel* own = AddLabel(band, "Δεξιά"_a);
  own->SetName("Own");
  own->SetBiDiMode(bdRightToLeftReadingOnly);
  own->Font().Charset = HEBREW_CHARSET;
  TRpLabel* follows = AddLabel(band, "Ακολουθεί"_a, 100);
  follows->SetName("Follows");
  TMemoryStream stored;
  rep->WriteForm(stored);
  stored.SetPosition(0);
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  TBandRep* copy = TCustomBandRep::ReadForm(stored, other.get());
  copy->SetParent(other.get());
  auto* ownCopy = dynamic_cast<TRpLabel*>(other->FindComponent("Own"));
  auto* followsCopy = dynamic_cast<TRpLabel*>(other->FindComponent("Follows"));
  ASSERT_TRUE(ownCopy && followsCopy);
  EXPECT_FALSE(ownCopy->ParentBiDiMode());
  EXPECT_EQ(ownCopy->BiDiMode(), bdRightToLeftReadingOnly);
  EXPECT_TRUE(followsCopy->ParentBiDiMode());
  // The character set that reads the caption's bytes goes with the form.
  EXPECT_EQ(ownCopy->Font().Charset, HEBREW_CHARSET);
  EXPECT_EQ(followsCopy->Font().Charset, DEFAULT_CHARSET);
}

}  // namespace
