// The check report's text against golden files read by hand, and its
// columns as the report form reads them back.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/Uproyp5CheckReport.h"
#include "tests/tender/NumericTestSupport.h"

namespace {

class CheckReport : public testing::Test {
 protected:
  ScopedStyle2 style;
  TMemorySheet grid{14, 40};
  TMemorySheet totals{7, 10};
  TCheckInput check;
  TCheckReportInput in;

  // The check as the window runs it, then the report's input from it.
  void Check(double e, double studySum, int rows) {
    const TCheckResult r = RunNormalityCheck(grid, check, {e, studySum, rows}, [] { return TCheckTotals{}; });
    in.Kind = check.Kind;
    in.Checked = check.CheckEnabled;
    in.MeanDiscount = e;
    in.Check = r;
    in.Rows = rows;
    in.ProjectText = "ΑΝΑΠΛΑΣΗ ΠΛΑΤΕΙΑΣ"_a;
    in.ServiceText = "Δ/ΝΣΗ ΤΕΧΝΙΚΩΝ ΥΠΗΡΕΣΙΩΝ"_a;
    in.Date = "07/12/2026";
    in.IndicativeTotal = "12.400,00";
    in.BidderLabel = "3:ΤΕΧΝΙΚΗ ΑΕ"_a;
    in.OverheadText = totals.Cell(3, 2);
    in.RoundDiscount = &RoundDiscount;
  }
  void Category(int row, const char* name, double cost, double discount) {
    grid.SetCell(3, row, cp1253::FromUtf8(name));
    grid.SetCell(4, row, FormatNumNoBlanks(16, 2, 2, cost));
    grid.SetCell(5, row, FormatNumNoBlanks(7, 0, 2, discount));
    grid.SetCell(6, row, FormatNumNoBlanks(17, 2, 2, RoundDec(2, cost * (1 - discount / 100))));
  }
  void Item(int row, const char* article, double q, double s, double p) {
    grid.SetCell(1, row, cp1253::FromUtf8(article));
    grid.SetCell(2, row, FormatNumNoBlanks(13, 2, 2, q));
    grid.SetCell(3, row, FormatNumNoBlanks(15, 2, 2, s));
    grid.SetCell(4, row, FormatNumNoBlanks(17, 2, 2, q * s));
    grid.SetCell(5, row, FormatNumNoBlanks(15, CountDecimals(p), 2, p));
    grid.SetCell(6, row, FormatNumNoBlanks(17, 2, 2, RoundDec(2, q * p)));
  }
  // The totals of study (column 4) and offer (column 6) with the GE&OE.
  void Totals(double study, double offer, double overhead, double contingency = 15) {
    totals.SetCell(3, 2, FormatNumNoBlanks(7, CountDecimals(overhead), 2, overhead));
    totals.SetCell(3, 4, FormatNumNoBlanks(7, CountDecimals(contingency), 2, contingency));
    int col = 4;
    for (double s : {study, offer}) {
      const double g = RoundDec(2, s * overhead / 100), t = s + g, c = t * contingency / 100;
      const double values[] = {s, g, t, c, t + c, 0, 0, 0, t + c};
      for (int row = 1; row <= 9; ++row)
        totals.SetCell(col, row, FormatNumNoBlanks(17, 2, 2, values[row - 1]));
      col = 6;
    }
  }
  std::string Text() { return cp1253::ToUtf8(CheckReportText(CheckReportLines(in, grid, totals))); }
  static std::string Golden(const std::string& name) {
    std::ifstream file(std::string(DIM_TEST_DATA) + "/golden/" + name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return cp1253::ToUtf8(text.str());
  }
  void ExpectGolden(const std::string& name) {
    const std::string text = Text();
    if (getenv("DIM_WRITE_GOLDEN")) {
      std::ofstream(std::string(DIM_TEST_DATA) + "/golden/" + name, std::ios::binary)
          << cp1253::FromUtf8(text);
    }
    EXPECT_EQ(text, Golden(name));
  }
};

TEST_F(CheckReport, CategoriesAcceptedByTheException) {
  check.Kind = TBudgetKind::Categories;
  Category(1, "Χωματουργικά", 8680, 20);
  Category(2, "Τεχνικά έργα", 420, 35);
  Category(3, "Οδοστρωσία και ασφαλτικά με πολύ μακρύ όνομα κατηγορίας", 900, 13);
  Totals(10000, 8000, 0);
  Check(1 - 8000.0 / 10000.0, 10000, 3);
  ExpectGolden("check_categories_tolerated.txt");
}

TEST_F(CheckReport, CategoriesWithAHardAnomalyAndLowDiscounts) {
  check.Kind = TBudgetKind::Categories;
  Category(1, "Χωματουργικά", 9000, 20);
  Category(2, "Τεχνικά έργα", 400, 7);
  Category(3, "Πράσινο", 600, 40);
  Totals(10000, 8000 - 28 + 0 - 0, 18);
  Check(0.2, 10000, 3);
  ExpectGolden("check_categories_abnormal.txt");
}

TEST_F(CheckReport, WorkItemsToleratedHigh) {
  Item(1, "ΝΑΟΔΟ-1", 1, 10, 9.5);
  Item(2, "ΝΑΟΔΟ-2", 100, 100, 79.985);
  Item(3, "=1:2", 0, 0, 0);
  grid.SetCell(2, 3, "ΜΕΡΙΚΟ ΣΥΝΟΛΟ"_a);
  Totals(10010, 8008, 18);
  Check(1 - 9449.44 / 11811.8, 10010, 3);
  ExpectGolden("check_workitems_tolerated.txt");
}

TEST_F(CheckReport, WorkItemsNormal) {
  Item(1, "Α1", 2, 50, 40);
  Item(2, "Α2", 10, 10, 8.25);
  Totals(200, 162.5, 18);
  Check(1 - 162.5 / 200, 200, 2);
  ExpectGolden("check_workitems_normal.txt");
}

TEST_F(CheckReport, WorkItemsWithoutTheCheck) {
  check.CheckEnabled = false;
  Item(1, "Α1", 2, 50, 40);
  Item(2, "Α2", 10, 10, 8);
  Totals(200, 160, 0);
  Check(0.2, 200, 2);
  ExpectGolden("check_workitems_unchecked.txt");
  EXPECT_EQ(Text().find("ΣΥΝΟΛΙΚΟ ΠΟΣΟ ΠΡΟΣΦΟΡΑΣ"), std::string::npos);
}

TEST_F(CheckReport, CategoryColumnsAsTheReportFormReadsThem) {
  check.Kind = TBudgetKind::Categories;
  Category(1, "Χωματουργικά με όνομα πολύ μεγαλύτερο από σαράντα χαρακτήρες", 1000, 25);
  Totals(1000, 750, 0);
  Check(0.25, 1000, 1);
  in.WithWords = false;
  const std::vector<AnsiString> lines = CheckReportLines(in, grid, totals);
  const auto row =
      std::find_if(lines.begin(), lines.end(), [](const AnsiString& l) { return l.rfind("  1 ", 0) == 0; });
  ASSERT_NE(row, lines.end());
  const AnsiString& line = *row;
  EXPECT_EQ(line.substr(4, 40),
            cp1253::FromUtf8("Χωματουργικά με όνομα πολύ μεγαλύτερο από σαράντα χαρακτήρες").substr(0, 40));
  EXPECT_EQ(line[44], ' ');
  EXPECT_EQ(line.substr(45, 16), "        1.000,00");  // ends at 61
  EXPECT_EQ(line.substr(62, 8), "     25%");           // 63 to 70
  EXPECT_EQ(line.substr(71, 16), "          750,00");  // ends at 87
  EXPECT_EQ(line.substr(88), "O.K.-");
}

// The line a leading text opens.
AnsiString LineOf(const std::vector<AnsiString>& lines, const char* start) {
  const AnsiString wanted = cp1253::FromUtf8(start);
  for (const AnsiString& line : lines)
    if (line.rfind(wanted, 0) == 0) return line;
  return {};
}

// The mean discount fills its 10 characters after ")  =", as the report
// form takes it; the final "0" of the extra decimal is dropped.
TEST_F(CheckReport, TheMeanDiscountFillsItsField) {
  check.Kind = TBudgetKind::Categories;
  struct Case {
    int decimals;
    double mean;
    const char* field;
  };
  for (const Case c : {Case{2, 0.2, "     20,00 %"}, Case{3, 0.49141, "    49,141 %"},
                       Case{2, 0.0525, "      5,25 %"}, Case{6, 0.12345678, " 12,345678 %"}}) {
    Category(1, "Χωματουργικά", 1000, 20);
    Totals(1000, 800, 0);
    Check(c.mean, 1000, 1);
    in.DiscountDecimals = c.decimals;
    const AnsiString line = LineOf(CheckReportLines(in, grid, totals), " Μέση έκπωση Εμ=");
    const size_t at = line.find(")  =");
    ASSERT_NE(at, AnsiString::npos) << c.mean;
    EXPECT_EQ(line.substr(at + 4), c.field) << c.mean;
  }
}

// A row at 99 % or more is not listed, but its costs are the study's and the offer's all the same.
TEST_F(CheckReport, TheSumsTakeEveryRow) {
  check.Kind = TBudgetKind::Categories;
  Category(1, "Χωματουργικά", 9000, 20);
  Category(2, "Ηλεκτρομηχανολογικά", 1000, 99);
  Totals(10000, 7210, 0);
  Check(1 - 7210.0 / 10000, 10000, 2);
  in.WithWords = false;
  const std::vector<AnsiString> lines = CheckReportLines(in, grid, totals);
  EXPECT_EQ(LineOf(lines, " Αθροισμα δαπανών εργασιών"),
            cp1253::FromUtf8(
                " Αθροισμα δαπανών εργασιών            Σσ=           10.000,00   Σπ=            7.210,00"));
  EXPECT_EQ(LineOf(lines, "  2 "), AnsiString());
}

}  // namespace
