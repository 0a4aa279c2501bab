// The check report's text.
#include "tender/Uproyp5CheckReport.h"

#include <cmath>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"

const char* const CheckReportFileName = "TEMP.@@@";

namespace {

using Real = long double;

// Padded with blanks or cut to the width.
AnsiString Fit(std::string_view text, int width) {
  AnsiString out(text.substr(0, static_cast<size_t>(width)));
  out.resize(static_cast<size_t>(width), ' ');
  return out;
}

AnsiString Cut(const AnsiString& text, size_t width) { return text.substr(0, width); }

class TReport {
 public:
  TReport(const TCheckReportInput& input, const TBudgetSheet& grid, const TBudgetSheet& totals)
      : in_(input), grid_(grid), totals_(totals) {}

  std::vector<AnsiString> Write() {
    Heading();
    if (in_.Kind == TBudgetKind::WorkItems)
      WorkItems();
    else
      Categories();
    if (in_.Checked) Closing();
    return std::move(lines_);
  }

 private:
  void Add(const AnsiString& line) { lines_.push_back(line); }
  AnsiString Amount(double value, int width = 17) const {
    return FormatNum(width, in_.CostDecimals, in_.Style, value);
  }
  // A cell of the totals grid as an amount.
  AnsiString Total(int col, int row) const { return Amount(totals_.Num(col, row)); }
  AnsiString Own(int width, double value) const {
    return FormatNum(width, CountDecimals(value), in_.Style, value);
  }
  Real E() const { return in_.MeanDiscount; }

  void Heading() {
    Add(in_.ProjectText);
    Add("");
    Add(in_.ServiceText);
    Add("");
    AnsiString line = Cut("Ημερομηνία:"_a + in_.Date, 21);
    line = Cut(line + "           ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ:"_a, 47);
    Add(Cut(line + in_.IndicativeTotal, 67));
    Add("");
    AnsiString verdict;
    if (!in_.Checked)
      verdict = "    (ΧΩΡΙΣ ΕΛΕΓΧΟ) "_a;
    else if (in_.Check.AnomalyCount == 0 ||
             (in_.Check.AcceptedByException && in_.Check.HighToleratedCount == 0))
      verdict = "     ΟΜΑΛΗ "_a;
    else
      verdict = "     ΑΝΩΜΑΛΗ  "_a;
    int d = CountDecimals(in_.MeanDiscount);
    if (d <= in_.DiscountDecimals) d = in_.DiscountDecimals + 1;
    Add(verdict + Cut("ΠΡΟΣΦΟΡΑ "_a + in_.BidderLabel, 39) + "   ME ΜΕΣΗ ΕΚΠΤΩΣΗ "_a +
        FormatNum(12, d, in_.Style, static_cast<double>(E() * 100)) + "%");
    if (in_.Checked) {
      if (in_.Kind == TBudgetKind::WorkItems) {
        Add("              Ομαλή έκπτωση για κάθε τιμή από "_a +
            FormatNum(9, 6, in_.Style, static_cast<double>((1 - Real(in_.Check.BandHigh)) * 100)) + " - " +
            " έως "_a + FormatNum(9, 6, in_.Style, static_cast<double>((1 - Real(in_.Check.BandLow)) * 100)) +
            " %");
      } else {
        Add("              Ομαλή έκπτωση για κάθε κατηγορία από "_a +
            FormatNum(12, 9, in_.Style, in_.Check.BandLow) + " - " + " έως "_a +
            FormatNum(12, 9, in_.Style, in_.Check.BandHigh) + " %");
        if (in_.Check.HighToleratedCount > 0) {
          Add("                  Και κατ΄εξαίρεση (για συνολική δαπάνη μέχρι το 5% του συνόλου)"_a);
          Add("                       πρόσθετη απόκλιση 0,10*(1-Εμ): +/- "_a +
              FormatNum(8, 4, in_.Style, in_.Check.ExceptionTolerance) + "%");
        }
      }
    }
    Add("");
  }

  // The GE&OE percentage, or nothing when it is an expression.
  bool OverheadPercent(double& p) const {
    if (in_.OverheadText.find('$') != AnsiString::npos) return false;
    p = StrToNum(in_.OverheadText);
    return true;
  }

  void WorkItems() {
    const AnsiString rule =
        "----+------------+----------------+-------------+-----------------+---------------------------+";
    Add(in_.Checked
            ? " Α/Α      Α.Τ.     ΠΟΣΟΤΗΣ       ΤΙΜΗ ΠΡΟΣΦΟΡΑΣ     ΔΑΠΑΝΗ          ΟΡΙΑ ΟΜΑΛΗΣ ΤΙΜΗΣ   "_a
            : " Α/Α      Α.Τ.     ΠΟΣΟΤΗΣ       ΤΙΜΗ ΠΡΟΣΦΟΡΑΣ     ΔΑΠΑΝΗ          "_a);
    Add(rule);
    const int priceCol = in_.OfferCostCol - 1, costCol = in_.OfferCostCol;
    const int checkCol = in_.OfferCostCol + 1;
    Real sum = 0;
    int skipped = 0;
    for (int i = 1; i <= in_.Rows; ++i) {
      const AnsiString article = grid_.Cell(1, i);
      const Real s = grid_.Num(3, i);
      const Real p = grid_.Num(priceCol, i);
      const bool priced = s != 0 && grid_.Num(2, i) != 0 && (article.empty() || article[0] != '=');
      AnsiString head;
      if (priced) {
        head = PadLeft(IntToStr(i - skipped), 4) + " " + article + " ";
      } else {
        ++skipped;
        head = "     " + (article.empty() || article[0] == '=' ? AnsiString() : article + " ");
      }
      AnsiString line = Fit(head, 20) + PadLeft(grid_.Cell(2, i), 14) + " " +
                        PadLeft(grid_.Cell(priceCol, i), 13) + " " + PadLeft(grid_.Cell(costCol, i), 17) +
                        " ";
      sum += grid_.Num(costCol, i);
      if (priced) {
        const Real low = s * in_.Check.BandLow, high = s * in_.Check.BandHigh;
        char mark = ' ';
        if (in_.Checked && !(low <= p && p <= high)) {
          const AnsiString check = grid_.Cell(checkCol, i);
          mark = check.find("O.K") != AnsiString::npos ? '!'
                 : check.find('+') != AnsiString::npos ? '#'
                 : check.find('-') != AnsiString::npos ? '*'
                                                       : '@';
        }
        line += mark;
        if (in_.Checked)
          line += FormatNum(13, 2, in_.Style, static_cast<double>(low)) + "-" +
                  FormatNum(13, 2, in_.Style, static_cast<double>(high));
      }
      Add(line);
    }
    Add(rule);
    Add("                                      ΣΥΝΟΛΟ     "_a + Amount(static_cast<double>(sum)));
    double p = 0;
    const double g = totals_.Num(6, 2);
    bool withOverhead = false;
    if (OverheadPercent(p)) {
      if (p > 0 && p < 100) {
        Add("  Γ.Ε.& Ο.Ε.                          "_a + FormatNum(10, 3, in_.Style, p) + " % " +
            Amount(g, 15));
        withOverhead = true;
      }
    } else {
      Add(Cut("Γ.Ε.& Ο.Ε. "_a + Fit(in_.OverheadDisplay, 40), 51) + Amount(g, 15));
      withOverhead = true;
    }
    if (withOverhead && g != 0) {
      Add("                                                  -----------------");
      Add("                         ΣΥΝΟΛΙΚΟ ΠΟΣΟ ΠΡΟΣΦΟΡΑΣ "_a + Amount(static_cast<double>(sum + g)));
    }
  }

  AnsiString RowNumber(int i) const { return PadLeft(IntToStr(i), 4).substr(1, 3); }

  void Categories() {
    if (in_.WithWords) {
      const AnsiString rule = "---+----------------------------------------+-------------------+--------";
      Add(" Α. ΠΡΟΣΦΟΡΑ ΠΟΣΟΣΤΩΝ ΕΚΠΤΩΣΗΣ "_a);
      Add(rule);
      Add("Α/Α              ΚΑΤΗΓΟΡΙΑ                    ΕΚΠΤΩΣΗ Ολογράφως -Αριθμ.  "_a);
      Add(rule);
      for (int i = 1; i <= in_.Rows; ++i) {
        const double d = grid_.Num(5, i);
        AnsiString line = RowNumber(i) + " " + Fit(grid_.Cell(3, i), 40) + " ";
        if (std::fabs(d) < 99) line += " " + Fit(NumToWords(Neuter, 0, d), 18) + " " + Own(7, d) + "%";
        Add(line);
      }
      Add(rule);
      Add("");
      Add(" B. ΠΡΟΫΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΦΟΡΑΣ"_a);
    }
    const AnsiString heading =
        "Α/Α              ΚΑΤΗΓΟΡΙΑ                    ΔΑΠΑΝΗ ΜΕΛΕΤΗΣ   ΕΚΠΤΩΣΗ ΔΑΠΑΝΗ ΠΡΟΣΦΟΡΑΣ"_a;
    Add(in_.Checked ? heading + " ΕΛΕΓΧΟΣ "_a : heading);
    Add("---+----------------------------------------+----------------+--------+----------------+-------+");
    Real studySum = 0, offerSum = 0;
    for (int i = 1; i <= in_.Rows; ++i) {
      const double d = grid_.Num(5, i);
      const AnsiString category = grid_.Cell(3, i);
      // Every row counts in the sums, those shown as partial totals or not
      // at all too: the sums are the study's and the offer's.
      studySum += grid_.Num(4, i);
      offerSum += grid_.Num(6, i);
      if (d >= 99) {
        const size_t open = category.find('(');
        if (category.find('=') != AnsiString::npos && open != AnsiString::npos)
          Add(RowNumber(i) + " " + "ΜΕΡΙΚΟ ΑΘΡΟΙΣΜΑ "_a + category.substr(open));
        continue;
      }
      AnsiString line = RowNumber(i) + " " + Fit(category, 40) + " " + PadLeft(grid_.Cell(4, i), 16) + " " +
                        Own(7, d) + "%" + " " + PadLeft(grid_.Cell(6, i), 16) + " ";
      if (in_.Checked) {
        const AnsiString check = grid_.Cell(7, i);
        if (check.find("ΑΝΩΜΑΛΟ !"_a) != AnsiString::npos)
          line += "!O.K.(κατ΄εξαίρεση)"_a;
        else if (check.find("O.K") != AnsiString::npos)
          line += "O.K.-";
        else if (check.find('#') != AnsiString::npos)
          line += "#ΑΝΩΜΑΛΗ"_a;
        else
          line += "*ΑΝΩΜΑΛΗ"_a;
      }
      Add(line);
    }
    const AnsiString rule =
        "---+----------------------------------------+----------------+--------+----------------+";
    const AnsiString shortRule =
        "                                             ----------------          ----------------";
    const AnsiString doubleRule =
        "                                             ================          ================";
    Add("---+----------------------------------------+----------------+--------+----------------+--------+");
    Add(" Αθροισμα δαπανών εργασιών            Σσ=   "_a + Amount(static_cast<double>(studySum)) +
        "   Σπ=   "_a + Amount(static_cast<double>(offerSum)));
    double p = 0;
    if (!OverheadPercent(p))
      // An expression is a part of the totals like a percentage: its line
      // keeps the columns of the amounts, which the offer's form reads. It
      // stands as typed, since it prices the study and the offer alike.
      Add(Fit(" Γ.Ε.& Ο.Ε. "_a + in_.OverheadText, 34) + "     x Σσ="_a + Total(4, 2) + "  x Σπ=  "_a +
          Total(6, 2));
    else if (p > 0 && p < 100)
      Add("                 Γ.Ε.& Ο.Ε."_a + Own(7, p) + " %   x Σσ="_a + Total(4, 2) + "  x Σπ=  "_a +
          Total(6, 2));
    Add(shortRule);
    Add(" Συνολική Δαπάνη Εργου                  ΣΣ= "_a + Total(4, 3) + "   ΣΔΕ=  "_a + Total(6, 3));
    Add(rule);
    const auto round = in_.RoundDiscount;
    const double mean = static_cast<double>(E() * 100);
    // A field of 10 characters, which the report form reads back by
    // position, less the final "0" of the extra decimal.
    AnsiString meanText =
        FormatNum(10, in_.DiscountDecimals + 1, in_.Style, round ? round(in_.DiscountDecimals, mean) : mean);
    if (!meanText.empty() && meanText.back() == '0') meanText.pop_back();
    Add(" Μέση έκπωση Εμ=(ΣΣ-ΣΔΕ)/ΣΣ= ( "_a + Total(4, 3) + " - " + Total(6, 3) + " / " + Total(4, 3) +
        " )  = " + meanText + " %");
    Add(rule);
    Add("                       ΑΠΡΟΒΛΕΠΤΑ "_a + Own(7, totals_.Num(3, 4)) + " % " + Total(4, 4) +
        "         " + Total(6, 4));
    Add(doubleRule);
    if (totals_.Num(6, 6) != 0) {
      Add("                              ΣΎΝΟΛΟ   Σ1=  "_a + Total(4, 5) + "    Π1=  "_a + Total(6, 5));
      Add("                          ΑΝΑΘΕΩΡΗΣΗ        "_a + Total(4, 6) + " (1-Εμ)x "_a + Total(6, 6));
      Add(doubleRule);
    }
    if (totals_.Num(6, 7) != 0) {
      const double study = static_cast<double>(Real(totals_.Num(4, 5)) + totals_.Num(4, 6));
      const double offer = static_cast<double>(Real(totals_.Num(6, 5)) + totals_.Num(6, 6));
      Add("                              ΣΎΝΟΛΟ :      "_a + Amount(study) + "         " + Amount(offer));
      Add("                          ΑΣΦΑΛΤΟΣ          "_a + Total(4, 7) + "         " + Total(6, 7));
      Add("                   ΓΕ & ΟΕ ΑΣΦΑΛΤΟΥ         "_a + Total(4, 8) + " (1-Εμ)x "_a + Total(6, 8));
      Add(doubleRule);
    }
    Add(" Σύνολο Δαπάνης του Έργου (χωρίς ΦΠΑ)   Σ2= "_a + Total(4, 9) + "    Π2=  "_a + Total(6, 9));
    Add(rule);
  }

  void Closing() {
    const AnsiString c = IntToStr(in_.Check.AnomalyCount), l = IntToStr(in_.Check.LowToleratedCount),
                     h = IntToStr(in_.Check.HighToleratedCount);
    const bool excused = in_.Check.AcceptedByException || in_.Check.HighToleratedCount > 0;
    if (in_.Check.AnomalyCount == 0) {
      Add("      ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ ! "_a);
    } else if (in_.Kind == TBudgetKind::WorkItems) {
      if (excused && !in_.Check.HasHardAnomaly) {
        Add("     Από"_a + c + " Ανώμαλες τιμές με συνολική δαπάνη μικρότερη από το 5% της συνολικής, "_a);
        if (in_.Check.LowToleratedCount > 0) {
          Add("     (Με !) Βρέθηκαν "_a + l + " Χαμηλές με απόκλιση που δεν υπεβαίνει το 0,10*(1-Εμ)*To."_a);
          Add("     Η συγκεκριμένη γραμμή μπορεί να θεωρηθεί ΟΜΑΛΗ !"_a);
        }
        if (in_.Check.HighToleratedCount > 0) {
          Add("     (Με #) Βρέθηκαν "_a + h + " Υψηλές με απόκλιση που δεν υπεβαίνει το 0,10*(1-Εμ)*To."_a);
          Add("     Μπορεί να γίνει ομαλοποίηση αυτών με μείωση των στο ανώτερο όριο (τιμής) ομαλότητας"_a);
        }
      } else if (excused) {
        Add("    Βρέθηκαν "_a + c + " Ανώμαλ"_a + "ες τιμές !!!"_a);
        if (in_.Check.HighToleratedCount > 0)
          Add("     Με [#] Βρέθηκαν "_a + h +
              " Υψηλές με επιπλέον απόκλιση που δεν υπεβαίνει το 0,10*(1-Εμ)*To."_a);
        if (in_.Check.LowToleratedCount > 0)
          Add("     Με [*] Βρέθηκαν "_a + l +
              " Χαμηλές με επιπλέον απόκλιση που δεν υπεβαίνει το 0,10*(1-Εμ)*To."_a);
        if (in_.Check.LowToleratedCount + in_.Check.HighToleratedCount >= in_.Check.AnomalyCount)
          Add("     "_a + IntToStr(in_.Check.LowToleratedCount + in_.Check.HighToleratedCount) +
              " Ανώμαλες τιμές με συνολική δαπάνη ΜΕΓΑΛΥΤΕΡΗ από το 5% της συνολικής, "_a);
      } else {
        Add("    Βρέθηκαν "_a + c + " Ανώμαλ"_a + "ες τιμές !!!"_a + " \"με @\" "_a);
      }
    } else if (excused) {
      Add("     Από"_a + c + " Ανώμαλα ποσοστά επί μέρους εκπτώσεων σε κατηγορίες με συνολική"_a);
      Add("     δαπάνη μικρότερη από το 5% του προϋπολογισμού μελέτης, "_a);
      if (in_.Check.LowToleratedCount > 0) {
        Add("     (Με !) Βρέθηκαν "_a + l + " Ανώμαλα (Υψηλά) Ποσοστά έκπτωσης με απόκλιση που "_a);
        Add("     δεν υπεβαίνει το 0,10*(1-Εμ).  Η συγκεκριμένη γραμμή μπορεί να θεωρηθεί ΟΜΑΛΗ !"_a);
      }
      if (in_.Check.HighToleratedCount > 0) {
        Add("     (Με #) Βρέθηκαν "_a + h +
            " Ανώμαλα (Χαμηλά) Ποσοστά έκπτωσης με απόκλιση που δεν υπεβαίνει το 0,10*(1-Εμ)."_a);
        Add("    Μπορεί να γίνει ομαλοποίηση "_a);
      }
    } else {
      Add("   Βρέθηκαν "_a + c + " Ανώμαλ"_a + "α ποσοστά !!!"_a);
    }
  }

  const TCheckReportInput& in_;
  const TBudgetSheet& grid_;
  const TBudgetSheet& totals_;
  std::vector<AnsiString> lines_;
};

}  // namespace

std::vector<AnsiString> CheckReportLines(const TCheckReportInput& input, const TBudgetSheet& grid,
                                         const TBudgetSheet& totals) {
  return TReport(input, grid, totals).Write();
}

AnsiString CheckReportText(const std::vector<AnsiString>& lines) {
  AnsiString text;
  for (const AnsiString& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}
