// Kinds 3 and 4 read the check report back by its fixed columns and by the
// leading words of its summary lines.
#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/rtl/Cp1253.h"
#include "printing/Qprint.h"
#include "tender/N_STR.h"

namespace {

// Characters From to To (1-based) of Line, as many as it has.
std::string_view Columns(std::string_view line, std::size_t from, std::size_t to) {
  if (line.size() < from) return {};
  return line.substr(from - 1, to - from + 1);
}

// The pieces joined in Into, whose storage is kept from caption to
// caption: the rows of a long report make no new string for each caption.
const AnsiString& Join(AnsiString& into, std::initializer_list<std::string_view> pieces) {
  into.clear();
  for (std::string_view piece : pieces) into += piece;
  return into;
}

}  // namespace

void TrpForm::ReadCategoryRow() {
  const std::string_view line = CurLine;
  const std::string_view n = TrimView(line.substr(0, 3));
  if (n.empty()) return;
  // The check report right-aligns its row numbers: a blank between digits
  // ("1 2") makes no row number, like any other character that is none.
  for (char c : n)
    if (c < '0' || c > '9') {
      GroupNo = 0;
      return;
    }
  const AnsiString number(n);
  GroupNo = StrToInt(number);
  static const AnsiString th = "η"_a;
  RpOmadaNmr->SetCaption(Join(caption_, {"\r", number, th}));
  RpOmadaPer->SetCaption(Join(caption_, {"\r", TrimView(Columns(line, 5, 44))}));
  RpOmadaPro->SetCaption(Join(caption_, {" ", Columns(line, 46, 61), "\r"}));
  RpOmadaEkpt->SetCaption(Join(caption_, {"\r", Columns(line, 63, 70)}));
  RpOmadaPoso->SetCaption(Join(caption_, {" ", Columns(line, 72, 87), "\r"}));
  RpOmadaNmr_P->SetCaption(RpOmadaNmr->Caption());
  RpOmadaPer_p->SetCaption(RpOmadaPer->Caption());
  RpOmadaEkpt_P->SetCaption(RpOmadaEkpt->Caption());
  AnsiString discount = BudgetCell ? BudgetCell(5, GroupNo) : AnsiString();
  // Rows often offer the discount of the row before: the words are
  // written again only for another.
  if (discount != discount_ || discountWords_.empty()) {
    // A discount of 99 or more marks a partial sum, which offers nothing:
    // no words for it, as in the check report's own list of discounts.
    const double d = StrToNum(discount);
    discountWords_ = "\r" + (std::fabs(d) < 99 ? NumToWords(3, 0, d) : AnsiString());
    discount_ = std::move(discount);
  }
  RpOmadaPro_olo->SetCaption(discountWords_);
}

void TrpForm::ReadSummaryValues(std::string_view Trimmed) {
  // Cut only from a line that is one of the sums: most lines are not.
  const auto study = [&] { return AnsiString(Columns(CurLine, 46, 61)); };
  const auto offer = [&] { return AnsiString(Columns(CurLine, 72, 87)); };
  const auto pair = [&](TRpLabel* s, TRpLabel* o) {
    s->SetCaption(study() + " ");
    o->SetCaption(offer() + " ");
    LineKind = 0;
  };
  switch (LineKind) {
    case 3:
      RpLabel10->SetCaption(" " + study() + "\r");
      RpLabel12->SetCaption(" " + offer() + "\r");
      LineKind = 0;
      break;
    case 4:
      RpLabel13->SetCaption(Trim(Columns(CurLine, 1, 36)) + "       xΣσ="_a);
      RpLabel15->SetEnabled(true);
      pair(RpLabel14, RpLabel16);
      break;
    case 5:
      RpLabel18->SetCaption(" " + study() + "\r");
      RpLabel20->SetCaption(" " + offer() + "\r");
      LineKind = 0;
      break;
  }
  static const AnsiString meanLine = "Μέση έκπωση Εμ="_a;
  if (Trimmed.starts_with(meanLine)) {
    // 1-based positions as the check report's columns count them.
    const auto pos = [&](const char* what) {
      const std::size_t at = CurLine.find(what);
      return at == AnsiString::npos ? std::size_t{0} : at + 1;
    };
    const std::size_t p1 = pos(" / "), p2 = pos(" - "), p3 = pos(")  =");
    RpLabel27->SetCaption(AnsiString(p1 >= 31 ? Columns(CurLine, 31, p1) : std::string_view()));
    RpLabel28->SetCaption(AnsiString(p2 >= 31 ? Columns(CurLine, 31, p2) : std::string_view()));
    // All of the result: a cut would drop discount decimals.
    RpLabel29->SetCaption(TrimRight(CurLine.substr(std::min(CurLine.size(), p3 + 1))));
    if (GroupNo > -2) GroupNo = -1;
  }
  switch (LineKind) {
    case 7:
      RpLabel30->SetCaption(Trim(Columns(CurLine, 1, 34)) + "       xΣΣ="_a);
      pair(RpLabel31, RpLabel33);
      break;
    case 8:
      pair(RpLabel35, RpLabel37);
      break;
    case 9:
      pair(RpLabel39, RpLabel41);
      break;
    case 11:
      pair(RpLabel59, RpLabel61);
      break;
    case 12:
      pair(RpLabel55, RpLabel57);
      break;
    case 13:
      pair(RpLabel63, RpLabel65);
      break;
    case 10:
      RpLabel43->SetCaption(study() + " ");
      RpLabel45->SetCaption(offer() + " ");
      if (GroupNo > -2) GroupNo = -1;
      break;
  }
}

void TrpForm::RecogniseSummaryLine() {
  const std::string_view t = TrimView(CurLine);
  // In this order: a later match overrides an earlier one.
  // The table heading of section B opens the category rows too: without
  // the discounts in words the report has no "B." line.
  enum Match { Whole, Start, StartAndHolds };
  struct Test {
    AnsiString text;
    Match match;
    int kind;
    AnsiString holds;
  };
  // In the report's code page, made once: every line of every run meets them.
  struct Tests {
    std::vector<Test> list;
    // The bytes a test's text starts with: most lines are rows and start
    // like none of them.
    std::array<bool, 256> starts{};
  };
  static const Tests kTests = [] {
    const struct {
      const char* text;
      Match match;
      int kind;
      const char* holds = "";
    } tests[] = {
        {"B. ΠΡΟΫΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΦΟΡΑΣ", Whole, 2},
        {"Α/Α", StartAndHolds, 2, "ΔΑΠΑΝΗ ΜΕΛΕΤΗΣ"},
        {"Αθροισμα δαπανών εργασιών", Start, 3},
        {"Γ.Ε.& Ο.Ε.", Start, 4},
        {"Συνολική Δαπάνη Εργου", Start, 5},
        {"Μέση έκπωση Εμ=", Start, 6},
        {"ΑΠΡΟΒΛΕΠΤΑ", Start, 7},
        {"ΣΎΝΟΛΟ   Σ1", Start, 8},
        {"ΑΝΑΘΕΩΡΗΣΗ", Start, 9},
        {"ΣΎΝΟΛΟ :", Start, 11},
        {"ΑΣΦΑΛΤΟΣ", Start, 12},
        {"ΓΕ & ΟΕ ΑΣΦΑΛΤΟΥ", Start, 13},
        {"Σύνολο Δαπάνης του Έργου", Start, 10},
    };
    Tests out;
    for (const auto& t : tests) {
      out.list.push_back({cp1253::FromUtf8(t.text), t.match, t.kind, cp1253::FromUtf8(t.holds)});
      out.starts[static_cast<unsigned char>(out.list.back().text[0])] = true;
    }
    return out;
  }();
  if (!t.empty() && kTests.starts[static_cast<unsigned char>(t[0])])
    for (const Test& test : kTests.list) {
      if (t[0] != test.text[0]) continue;
      const bool match = test.match == Whole   ? t == test.text
                         : test.match == Start ? t.starts_with(test.text)
                                               : t.starts_with(test.text) && t.find(test.holds) != t.npos;
      if (match) LineKind = test.kind;
    }
  if (LineKind == 9) ChildBand3a->SetEnabled(true);
  if (LineKind == 12) ChildBand5->SetEnabled(true);
  ReadSummaryValues(t);
  // The check report's heading names the bidder before this phrase.
  static const AnsiString phrase = cp1253::FromUtf8("ME ΜΕΣΗ ΕΚΠΤΩΣΗ");
  if (const std::size_t at = CurLine.find(phrase); at != AnsiString::npos) {
    const std::size_t colon = CurLine.find(':');
    if (colon != AnsiString::npos && colon < at)
      RpLabel53->SetCaption(CurLine.substr(colon + 1, at - colon - 1));
  }
}
