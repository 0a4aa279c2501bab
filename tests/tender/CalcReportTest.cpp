#include <gtest/gtest.h>

#include <vector>

#include "platform/rtl/Classes.h"
#include "tender/CalcReport.h"
#include "tests/tender/OfferCalcSupport.h"

namespace {

AnsiString Blanks(int n) { return AnsiString(n, ' '); }

std::vector<AnsiString> LinesOf(const TStrings& lines) {
  std::vector<AnsiString> out;
  for (int i = 0; i < lines.Count(); ++i) out.push_back(lines[i]);
  return out;
}

const AnsiString LongName = "ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ";

class CalcReport : public TenderStateTest {
 protected:
  TVectorSheet sheet;
  TStringList report;

  void SetUp() override {
    TenderStateTest::SetUp();
    sheet.NumberRows();
    ProjectHeader.ProjectText = "ΕΡΓΟ: Οδοποιία\r\nΔήμος Α"_a;
    ProjectHeader.ServiceText = "ΥΠΗΡΕΣΙΑ ΤΕΧΝΙΚΩΝ ΕΡΓΩΝ"_a;
    ProjectHeader.Date = "19/04/2013";
    ProjectHeader.IndicativeTotal = "120,000";
    ProjectHeader.Divisor = 100000;
    sheet.Row(1, 1, "Alpha", "90000", "");
    sheet.Row(2, 2, "Βήτα"_a, "88000", "");
    sheet.Row(3, 3, "Void", "", "0");
    sheet.Row(4, 4, "Delta", "", "7.5");
    sheet.Row(5, 5, LongName, "100000", "");
  }

  double firstDiscount = -1;

  void Run(bool initialOrder) {
    ResetCalculation(&report);
    ASSERT_EQ(ScanOffers(sheet).Outcome, TCalcOutcome::Done);
    RankAndReport(sheet, report, initialOrder, ProjectNoCheck, [this](double discount) {
      firstDiscount = discount;
      return AnsiString("5%");
    });
  }

  static std::vector<AnsiString> HeaderLines() {
    return {"ΕΡΓΟ: Οδοποιία"_a,
            "Δήμος Α"_a,
            "",
            "ΥΠΗΡΕΣΙΑ ΤΕΧΝΙΚΩΝ ΕΡΓΩΝ"_a,
            "",
            "  Ημερομηνία:19/04/2013"_a,
            "  ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ:120,000   Ποσό υπολογισμού εκπτώσεων:       100,000"_a};
  }
  static std::vector<AnsiString> FinalTable() {
    return {"",
            " α/α          Π Ρ Ο Σ Φ Ε Ρ Ω Ν                         ΠΟΣΟ       ΕΚΠΤΩΣΗ ΑΠΟΤΕΛΕΣΜΑ"_a,
            "----+--------------------------------------------+----------------+-------+----------",
            "   2 Βήτα"_a + Blanks(40) + "         88,000    12.00",
            "   1 Alpha" + Blanks(39) + "         90,000    10.00",
            "   4 Delta" + Blanks(39) + Blanks(15) + "     7.50",
            "   5 ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCD        100,000     0.00",
            "   3 Void" + Blanks(40) + Blanks(15) + "             ΑΚΥΡΗ"_a,
            "",
            "ΣΥΝΟΛΙΚΗ ΑΠΑΙΤΟΥΜΕΝΗ ΕΓΓΥΗΣΗ ΚΑΛΗΣ ΕΚΤΕΛΕΣΗΣ (άρθρου 4 παρ 2 του Νόμου 3263/2004)=5%"_a,
            ""};
  }
};

TEST_F(CalcReport, WithInitialOrder) {
  Run(true);
  std::vector<AnsiString> expected = HeaderLines();
  const std::vector<AnsiString> initial = {
      "", "                 Α Ρ Χ Ι Κ Η     Σ Ε Ι Ρ Α   Π Ρ Ο Σ Φ Ο Ρ Ω Ν"_a,
      " α/α          Π Ρ Ο Σ Φ Ε Ρ Ω Ν                         ΠΟΣΟ       ΕΚΠΤΩΣΗ ΑΠΟΤΕΛΕΣΜΑ"_a,
      "----+--------------------------------------------+----------------+-------+----------",
      "   1 Alpha" + Blanks(39) + "         90,000    10.00 ",
      "   2 Βήτα"_a + Blanks(40) + "         88,000    12.00 ",
      // The void offer's exact discount is zero: its remark got the "!".
      "   3 Void" + Blanks(40) + Blanks(15) + "     0.00 !ΑΚΥΡΗ"_a,
      "   4 Delta" + Blanks(39) + Blanks(15) + "     7.50 ",
      "   5 ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCD        100,000     0.00 ", "",
      "                 Τ Ε Λ Ι Κ Η   Κ Α Τ Α Τ Α Ξ Η   Π Ρ Ο Σ Φ Ο Ρ Ω Ν"_a};
  expected.insert(expected.end(), initial.begin(), initial.end());
  const std::vector<AnsiString> final = FinalTable();
  expected.insert(expected.end(), final.begin(), final.end());
  EXPECT_EQ(LinesOf(report), expected);
}

TEST_F(CalcReport, WithoutInitialOrder) {
  Run(false);
  std::vector<AnsiString> expected = HeaderLines();
  const std::vector<AnsiString> final = FinalTable();
  expected.insert(expected.end(), final.begin(), final.end());
  EXPECT_EQ(LinesOf(report), expected);
}

TEST_F(CalcReport, GuaranteeGetsTheFirstRankedDiscount) {
  Run(false);
  EXPECT_EQ(firstDiscount, 12);
}

TEST_F(CalcReport, FailedGuaranteeLeavesNoPartialReport) {
  ResetCalculation(&report);
  ASSERT_EQ(ScanOffers(sheet).Outcome, TCalcOutcome::Done);
  EXPECT_THROW(RankAndReport(sheet, report, true, ProjectNoCheck,
                             [](double) -> AnsiString {
                               throw EConvertError("'' is not a valid floating point value");
                             }),
               EConvertError);
  EXPECT_EQ(report.Count(), 0);
  // The grid shows the final ranking all the same.
  EXPECT_EQ(sheet.Cell(ColName, 1), "Βήτα"_a);
}

TEST_F(CalcReport, TableLinesAreEightyFiveWideAndAmountsStartAtFifty) {
  EXPECT_EQ(ReportTableHeading.size(), 85u);
  EXPECT_EQ(ReportTableSeparator.size(), 85u);
  Run(true);
  int rows = 0;
  for (int i = 0; i < report.Count(); ++i) {
    const AnsiString line = report[i];
    if (line.size() < 64 || line[4] != ' ' || line[3] < '0' || line[3] > '9') continue;
    ++rows;
    // Name in characters 6 to 49, amount in 50 to 64, right-aligned.
    EXPECT_EQ(line[48] == ' ' || line.substr(5, 44) == LongName.substr(0, 44), true) << line;
    const AnsiString amount = line.substr(49, 15);
    EXPECT_TRUE(amount == Blanks(15) || (amount[0] == ' ' && amount.back() == '0')) << line;
  }
  EXPECT_EQ(rows, 10);
}

TEST_F(CalcReport, GreekNumberStyle) {
  UseStyle2();
  NumberStyle = 2;
  sheet.SetCell(ColAmount, 2, "88.000,5");
  sheet.SetCell(ColDiscount, 4, "7,5");
  Run(false);
  const auto lines = LinesOf(report);
  EXPECT_EQ(lines[6], "  ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ:120,000   Ποσό υπολογισμού εκπτώσεων:       100.000"_a);
  EXPECT_EQ(lines[10], "   2 Βήτα"_a + Blanks(40) + "       88.000,5    12,00");
  EXPECT_EQ(lines[12], "   4 Delta" + Blanks(39) + Blanks(15) + "     7,50");
}

TEST_F(CalcReport, HeaderWithoutTotalsEndsWithAnEmptyLine) {
  ProjectHeader.ProjectText = "P";
  ProjectHeader.ServiceText = "S";
  ProjectHeader.Date = "";
  ProjectHeader.IndicativeTotal = "";
  ProjectHeader.Divisor = 0;
  PrintHeader(report);
  const std::vector<AnsiString> expected = {"P", "", "S", "", "  Ημερομηνία:"_a, ""};
  EXPECT_EQ(LinesOf(report), expected);
}

TEST_F(CalcReport, DivisorWithoutIndicativeTotalShowsItsDecimals) {
  ProjectHeader.IndicativeTotal = "";
  ProjectHeader.Divisor = 1234.5;
  PrintHeader(report);
  EXPECT_EQ(report[report.Count() - 1], "   Ποσό υπολογισμού εκπτώσεων:       1,234.5"_a);
}

struct SplitCase {
  const char* text;
  std::vector<AnsiString> lines;
};

class AddLine : public testing::TestWithParam<SplitCase> {};

TEST_P(AddLine, SplitsAtLineEnds) {
  TStringList lines;
  AddReportLine(lines, GetParam().text);
  EXPECT_EQ(LinesOf(lines), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, AddLine,
                         testing::Values(SplitCase{"abc", {"abc"}}, SplitCase{"", {""}},
                                         SplitCase{"\r\nTitle", {"", "Title"}},
                                         SplitCase{"a\r\nb\r\nc", {"a", "b", "c"}},
                                         SplitCase{"end\r\n", {"end", ""}},
                                         SplitCase{"lone\rcr\nlf", {"lone\rcr\nlf"}}));

TEST_F(CalcReport, QuickPrintWritesTheGuaranteeTwiceAndTheClosingLine) {
  Run(false);
  TStringList printed;
  QuickPrintLines(report, "5%", printed);
  const auto lines = LinesOf(printed);
  ASSERT_EQ(lines.size(), static_cast<size_t>(report.Count() + 3));
  for (int i = 0; i < report.Count(); ++i) EXPECT_EQ(lines[i], report[i]);
  EXPECT_EQ(lines[report.Count()],
            "ΣΥΝΟΛΙΚΗ ΑΠΑΙΤΟΥΜΕΝΗ  ΕΓΓΥΗΣΗ ΚΑΛΗΣ ΕΚΤΕΛΕΣΗΣ (άρθρου 4 παρ 2 του Νόμου 3263/2004) =5%"_a);
  EXPECT_EQ(lines[report.Count() + 1], "");
  EXPECT_EQ(lines[report.Count() + 2], PublisherContactLine);
  int guaranteeLines = 0;
  for (const AnsiString& line : lines) guaranteeLines += line.find("ΚΑΛΗΣ ΕΚΤΕΛΕΣΗΣ"_a) != AnsiString::npos;
  EXPECT_EQ(guaranteeLines, 2);
}

TEST(CalcReportClosing, EmptyLineThenContact) {
  TStringList lines;
  lines.Add("x");
  AddClosingLine(lines);
  ASSERT_EQ(lines.Count(), 3);
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], PublisherContactLine);
  EXPECT_EQ(PublisherContactLine.find("\r\n"), AnsiString::npos);
}

}  // namespace
