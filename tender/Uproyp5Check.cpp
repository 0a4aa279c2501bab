// The offer normality check of a bidder's detailed offer.
#include "tender/Uproyp5Check.h"

#include <cmath>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"

namespace {

using Real = long double;

class TCheck {
 public:
  TCheck(TBudgetSheet& grid, const TCheckInput& input, const TCheckTotals& totals,
         const TCheckRecompute& recompute)
      : grid_(grid), in_(input), recompute_(recompute) {
    r_.Totals = totals;
  }

  TCheckResult Run() {
    r_.Label2 = MeanLabel();
    if (in_.CheckEnabled) SetBand();
    grid_.SetCell(CheckColumn(in_), 0, "  Ελεγχος"_a);
    r_.AcceptedByException = 1;
    if (in_.CheckEnabled) {
      if (in_.Kind == TBudgetKind::WorkItems) {
        CheckWorkItems();
        VerdictWorkItems();
      } else {
        r_.AnomalyCount = r_.HighToleratedCount = 0;
        if (!CheckCategories(true)) {
          r_.Stopped = true;
          return r_;
        }
        VerdictCategories();
      }
    } else {
      if (in_.Kind == TBudgetKind::Categories) CheckCategories(false);
      r_.Getbtn = true;
    }
    return r_;
  }

 private:
  Real E() const { return r_.Totals.MeanDiscount; }
  Real StudySum() const { return r_.Totals.StudySum; }
  AnsiString Count(int n) const { return IntToStr(n); }
  void Say(const AnsiString& text, bool error = true) { r_.Messages.push_back({text, error}); }

  AnsiString MeanLabel() const {
    int d = CountDecimals(r_.Totals.MeanDiscount);
    if (d <= in_.DiscountDecimals) d = in_.DiscountDecimals + 1;
    return "ΜΕΣΗ ΕΚΠΤΩΣΗ ΠΡΟΣΦΟΡΑΣ ="_a + FormatNumNoBlanks(6, d, in_.Style, static_cast<double>(E() * 100)) +
           " %";
  }

  void SetBand() {
    if (in_.Kind == TBudgetKind::WorkItems) {
      r_.BandLow = static_cast<double>((1 - E()) * in_.NormalLow);
      r_.BandHigh = static_cast<double>((1 - E()) * in_.NormalHigh);
      r_.Label1 = "Ορια έκπτωσης τιμών :"_a +
                  FormatNumNoBlanks(8, 5, in_.Style, static_cast<double>((1 - Real(r_.BandHigh)) * 100)) +
                  "-" + FormatNumNoBlanks(8, 5, in_.Style, static_cast<double>((1 - Real(r_.BandLow)) * 100));
    } else {
      const Real em = 100 * E();
      r_.BandLow = static_cast<double>(1.1L * em - 10);
      r_.BandHigh = static_cast<double>(0.9L * em + 10);
      r_.Label1 = "Ομαλά είναι τα ποσοστά από "_a + FormatNumNoBlanks(12, 8, in_.Style, r_.BandLow) + " %" +
                  " έως "_a + FormatNumNoBlanks(12, 8, in_.Style, r_.BandHigh) + " %";
    }
  }

  // A row lost its offer value: the totals, the mean and the band are taken
  // again and the rows already seen are counted afresh.
  void Restart(int row) {
    grid_.SetCell(in_.OfferCostCol - 1, row, "");
    grid_.SetCell(in_.OfferCostCol, row, "");
    r_.Totals = recompute_();
    r_.Label2 = MeanLabel();
    if (in_.CheckEnabled) SetBand();
    grid_.ClearColumn(CheckColumn(in_));
    r_.AnomalyCount = r_.LowToleratedCount = r_.HighToleratedCount = 0;
    r_.HasHardAnomaly = 0;
    r_.AcceptedByException = 1;
    r_.UniformDiscount = -1000;
    r_.ToleratedCost = 0;
  }

  void CheckWorkItems() {
    const int col = CheckColumn(in_);
    for (int i = 1; i <= r_.Totals.Rows; ++i) {
      const Real s = grid_.Num(3, i);
      const Real p = grid_.Num(in_.OfferCostCol - 1, i);
      if (s == 0 && p != 0) {
        Restart(i);
        i = 0;
        continue;
      }
      if (s == 0) continue;
      const Real ref = (1 - E()) * s;
      const Real t = std::fabs(0.1L * ref);
      AnsiString text = FormatNumNoBlanks(7, 3, in_.Style, static_cast<double>((1 - p / s) * 100)) + "%";
      const Real low = s * r_.BandLow, high = s * r_.BandHigh;
      if (low <= p && p <= high) {
        text += "O.K.";
      } else {
        const bool tolerated = (p < ref && p >= low - t) || (p > ref && p <= high + t);
        if (tolerated) {
          if (p > ref) {
            text += "ΑΝΩΜΑΛΗ !+"_a;
            ++r_.HighToleratedCount;
          } else {
            text += "ΑΝΩΜΑΛΗ !-"_a;
            ++r_.LowToleratedCount;
          }
          r_.ToleratedCost = static_cast<double>(r_.ToleratedCost + Real(grid_.Num(2, i)) * s);
        } else {
          text += "ΑΝΩΜΑΛΗ !!"_a;
          r_.AcceptedByException = 0;
          r_.HasHardAnomaly = 1;
        }
        ++r_.AnomalyCount;
      }
      if (grid_.Num(2, i) != 0) grid_.SetCell(col, i, text);
    }
  }

  // Puts "O.K." in front of every check cell holding the text.
  void Accept(const AnsiString& mark) {
    const int col = CheckColumn(in_);
    for (int i = 1; i < grid_.RowCount(); ++i) {
      const AnsiString cell = grid_.Cell(col, i);
      if (cell.find(mark) != AnsiString::npos) grid_.SetCell(col, i, "O.K." + cell);
    }
  }

  AnsiString NormalMessage() const {
    return "ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ \r"_a +
           FormatNum(12, in_.DiscountDecimals + 1, in_.Style, static_cast<double>(E() * 100)) + "%";
  }

  void VerdictWorkItems() {
    const AnsiString c = Count(r_.AnomalyCount), l = Count(r_.LowToleratedCount),
                     h = Count(r_.HighToleratedCount);
    if (r_.AnomalyCount == 0) {
      Say(NormalMessage(), false);
      r_.Getbtn = true;
    } else if (r_.ToleratedCost > 0 && Real(r_.ToleratedCost) / StudySum() <= 0.05L) {
      if (r_.HasHardAnomaly) {
        Say("Βρέθηκαν "_a + c + " Ανώμαλες Τιμές !!"_a);
        r_.AcceptedByException = 0;
      } else {
        if (r_.LowToleratedCount > 0) {
          Say("Από"_a + c + " Ανώμαλες τιμές με συνολική δαπάνη μικρότερη από το 5%,"_a +
              " του προϋπολογισμού μελέτης με απόκλιση μικρότερη από 0.10*Το*(1-Εμ), βρέθηκαν "_a + l +
              " (Χαμηλές).  Η συγκεκριμένη γραμμή(τιμή) μπορεί να θεωρηθεί ΟΜΑΛΗ !"_a);
          Accept("ΑΝΩΜΑΛΗ !-"_a);
          r_.Getbtn = true;
          r_.AcceptedByException = 1;
        }
        if (r_.HighToleratedCount > 0)
          Say("Από"_a + c + " Ανώμαλες τιμές με συνολική δαπάνη μικρότερη από το 5%,"_a +
              " του προϋπολογισμού μελέτης και με απόκλιση μικρότερη από 0.10*Το*(1-Εμ) Βρέθηκαν "_a + h +
              " (υψηλές) Μπορεί να γίνει ομαλοποίηση των υψηλών τιμών με τη μείωση τους"_a +
              " στο ανώτερο όριο ομαλότητας"_a);
        r_.Label5 = "Kατ΄εξαίρεση πρόσθετη απόκλιση 0,10*(1-Εμ)*Το= +/- "_a +
                    FormatNum(8, 4, in_.Style, static_cast<double>((1 - E()) * 0.1L * 100)) + "% * Το"_a;
      }
    } else {
      Say("Βρέθηκαν "_a + c + " Ανώμαλες Τιμές !!"_a);
      r_.HasHardAnomaly = 1;
      // Tolerated rows too costly to be excused: the offer is not accepted.
      r_.AcceptedByException = 0;
    }
  }

  // The categories' rows; false when a discount is not a whole number.
  bool CheckCategories(bool withBand) {
    const int col = CheckColumn(in_);
    for (int i = 1; i <= r_.Totals.Rows; ++i) {
      const Real c = grid_.Num(4, i);
      const double d = grid_.Num(in_.OfferCostCol - 1, i);
      if (withBand && d != std::trunc(d)) {
        Say("Μη ακέραιο το "_a + IntToStr(i) + "ο Ποσοστό Προσφοράς !! (ΔΕΝ ΕΠΙΤΡΕΠΕΤΑΙ)"_a);
        return false;
      }
      if (c == 0 && d != 0) {
        Restart(i);
        i = 0;
        continue;
      }
      if (c <= 0) continue;
      if (r_.UniformDiscount == -1000)
        r_.UniformDiscount = d;
      else if (r_.UniformDiscount != -2000 && d != r_.UniformDiscount)
        r_.UniformDiscount = -2000;
      if (!withBand) continue;
      const Real em = 100 * E();
      const Real t = std::fabs(0.1L * (1 - E()) * 100);
      r_.ExceptionTolerance = static_cast<double>(t);
      const Real distance = d <= em ? std::fabs(r_.BandLow - Real(d)) : std::fabs(Real(d) - r_.BandHigh);
      if (r_.BandLow <= d && d <= r_.BandHigh) {
        grid_.SetCell(col, i, "O.K.");
        continue;
      }
      AnsiString text;
      // The tolerance as stored: the 80-bit one falls a hair short of the
      // whole points it stands for (7.99999999999999989 at a mean of 20 %).
      if (distance <= r_.ExceptionTolerance && (Real(r_.ToleratedCost) + c) / StudySum() < 0.05L) {
        r_.ToleratedCost = static_cast<double>(r_.ToleratedCost + c);
        if (d >= r_.BandHigh) {
          text = "ΑΝΩΜΑΛΟ !"_a;
          ++r_.LowToleratedCount;
        } else {
          text = "ΑΝΩΜΑΛΟ #"_a;
          ++r_.HighToleratedCount;
        }
      } else {
        text = "ΑΝΩΜΑΛΟ *"_a;
        r_.AcceptedByException = 0;
        r_.HasHardAnomaly = 1;
      }
      ++r_.AnomalyCount;
      grid_.SetCell(col, i, text);
    }
    return true;
  }

  void VerdictCategories() {
    const AnsiString c = Count(r_.AnomalyCount), l = Count(r_.LowToleratedCount),
                     h = Count(r_.HighToleratedCount);
    if (r_.AnomalyCount == 0) {
      Say(NormalMessage(), false);
      r_.Getbtn = true;
    } else {
      const Real share = Real(r_.ToleratedCost) / StudySum();
      if (share > 0.05L) r_.AcceptedByException = 0;
      if (r_.AcceptedByException == 1 && r_.ToleratedCost > 0 && share < 0.05L) {
        Say("Βρέθηκαν "_a + c + " Ανώμαλα ποσοστά !!"_a);
        if (r_.LowToleratedCount > 0) {
          Say("Βρέθηκαν "_a + l +
              " Ανώμαλα (Μεγάλα) ποσοστά σε κατηγορίες με συνολική δαπάνη μικρότερη από το 5%,"_a +
              " του προϋπολογισμού μελέτης και με απόκλιση που δεν υπεβαίνει το 0,10*(1-Εμ). Η προσφορά Μπορεί να θεωρηθεί ΟΜΑΛΗ !"_a);
          Accept("ΑΝΩΜΑΛΟ !"_a);
          r_.Getbtn = true;
          r_.AcceptedByException = 1;
        }
        if (r_.HighToleratedCount > 0)
          Say("Βρέθηκαν "_a + h +
              " Ανώμαλα (μικρά) ποσοστά σε κατηγορίες με συνολική δαπάνη μικρότερη από το 5%,"_a +
              " του προϋπολογισμού μελέτης και με απόκλιση που δεν υπεβαίνει το 0,10*(1-Εμ). "_a +
              "Μπορεί να γίνει ομαλοποίηση των ποσοστών με τη αύξηση τους "_a +
              " στο κατώτερο όριο ομαλότητας"_a);
        r_.Label5 = "Και κατ΄εξαίρεση πρόσθετη απόκλιση 0,10*(1-Εμ): +/- "_a +
                    FormatNum(8, 4, in_.Style, r_.ExceptionTolerance) + "%";
        if (r_.HighToleratedCount > 0) {
          r_.Getbtn = false;
          r_.HasHardAnomaly = 1;
        }
      } else {
        Say("Βρέθηκαν "_a + c + " Ανώμαλα ποσοστά !!"_a);
        r_.HasHardAnomaly = 1;
      }
    }
    if (r_.HasHardAnomaly == 0) r_.Getbtn = true;
  }

  TBudgetSheet& grid_;
  const TCheckInput& in_;
  const TCheckRecompute& recompute_;
  TCheckResult r_;
};

}  // namespace

int CheckColumn(const TCheckInput& input) {
  return input.Kind == TBudgetKind::WorkItems ? input.OfferCostCol + 1 : 7;
}

TCheckResult RunNormalityCheck(TBudgetSheet& grid, const TCheckInput& input, const TCheckTotals& totals,
                               const TCheckRecompute& recompute) {
  return TCheck(grid, input, totals, recompute).Run();
}
