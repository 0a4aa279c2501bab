#include "tender/CalcReport.h"

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"

const AnsiString ReportTableHeading =
    " α/α          Π Ρ Ο Σ Φ Ε Ρ Ω Ν                         ΠΟΣΟ       ΕΚΠΤΩΣΗ ΑΠΟΤΕΛΕΣΜΑ"_a;
const AnsiString ReportTableSeparator =
    "----+--------------------------------------------+----------------+-------+----------";
const AnsiString ReportGuaranteeLine =
    "ΣΥΝΟΛΙΚΗ ΑΠΑΙΤΟΥΜΕΝΗ ΕΓΓΥΗΣΗ ΚΑΛΗΣ ΕΚΤΕΛΕΣΗΣ (άρθρου 4 παρ 2 του Νόμου 3263/2004)="_a;
const AnsiString QuickPrintGuaranteeLine =
    "ΣΥΝΟΛΙΚΗ ΑΠΑΙΤΟΥΜΕΝΗ  ΕΓΓΥΗΣΗ ΚΑΛΗΣ ΕΚΤΕΛΕΣΗΣ (άρθρου 4 παρ 2 του Νόμου 3263/2004) ="_a;
const AnsiString PublisherContactLine = "Zeph-ΟΜΑΛΟΤΗΤΑ 1.46 - 9-5-2014"_a;

namespace {

const AnsiString InitialOrderTitle =
    "\r\n" + AnsiString(17, ' ') + "Α Ρ Χ Ι Κ Η     Σ Ε Ι Ρ Α   Π Ρ Ο Σ Φ Ο Ρ Ω Ν"_a;
const AnsiString FinalRankingTitle =
    "\r\n" + AnsiString(17, ' ') + "Τ Ε Λ Ι Κ Η   Κ Α Τ Α Τ Α Ξ Η   Π Ρ Ο Σ Φ Ο Ρ Ω Ν"_a;
const AnsiString VoidWord = "ΑΚΥΡΗ"_a;

constexpr int NameWidth = 44;

bool IsVoid(const OfferRecord& offer) { return offer.RoundedDiscount == 0 && offer.Amount == 0; }

AnsiString DiscountColumn(const OfferRecord& offer, TOfferTexts* texts) {
  return texts ? texts->Num(9, DiscountDecimals, offer.RoundedDiscount)
               : FormatNum(9, DiscountDecimals, NumberStyle, offer.RoundedDiscount);
}

void AddTableHead(TStrings& lines) {
  AddReportLine(lines, ReportTableHeading);
  AddReportLine(lines, ReportTableSeparator);
}

}  // namespace

void AddReportLine(TStrings& lines, const AnsiString& line) {
  size_t start = 0;
  for (;;) {
    const size_t end = line.find("\r\n", start);
    if (end == AnsiString::npos) {
      lines.Add(line.substr(start));
      return;
    }
    lines.Add(line.substr(start, end - start));
    start = end + 2;
  }
}

AnsiString ReportOfferRow(int slot, TOfferTexts* texts) {
  const OfferRecord& offer = OfferTable[slot];
  AnsiString row = RightAlignedInt(offer.EntryNo, 4);
  row.reserve(96);
  row += ' ';
  const std::string_view name = offer.BidderName.View().substr(0, NameWidth);
  row += name;
  row.append(NameWidth - name.size(), ' ');
  if (offer.Amount == 0)
    row.append(15, ' ');
  else if (texts)
    row += texts->Num(15, texts->AmountDecimals(offer.Amount), offer.Amount);
  else
    row += FormatNum(15, AmountDecimals(offer.Amount), NumberStyle, offer.Amount);
  return row;
}

void PrintHeader(TStrings& lines) {
  AddReportLine(lines, ProjectHeader.ProjectText.Str());
  AddReportLine(lines, "");
  AddReportLine(lines, ProjectHeader.ServiceText.Str());
  AddReportLine(lines, "");
  AddReportLine(lines, ("  Ημερομηνία:"_a + ProjectHeader.Date.Str()).substr(0, 23));
  AnsiString totals;
  if (!ProjectHeader.IndicativeTotal.Empty())
    totals += "  ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ:"_a + ProjectHeader.IndicativeTotal.Str();
  const double divisor = ProjectHeader.Divisor;
  if (divisor != 0)
    totals +=
        "   Ποσό υπολογισμού εκπτώσεων:"_a + FormatNum(14, AmountDecimals(divisor), NumberStyle, divisor);
  AddReportLine(lines, totals);
}

void printArxika(TStrings& lines, TOfferTexts* texts) {
  AddReportLine(lines, InitialOrderTitle);
  AddTableHead(lines);
  for (int slot = 1; slot <= OfferCount; ++slot) {
    const OfferRecord& offer = OfferTable[slot];
    if (offer.EntryNo == 0) continue;
    AnsiString row = ReportOfferRow(slot, texts);
    row += DiscountColumn(offer, texts);
    row += ' ';
    row += offer.Remark.View();
    if (IsVoid(offer)) row += VoidWord;
    AddReportLine(lines, row);
  }
  AddReportLine(lines, FinalRankingTitle);
}

void PrintFooter(TStrings& lines, const AnsiString& guaranteeText, TOfferTexts* texts) {
  AddReportLine(lines, "");
  AddTableHead(lines);
  for (int slot = 1; slot <= OfferCount; ++slot) {
    const OfferRecord& offer = OfferTable[slot];
    if (offer.EntryNo == 0) continue;
    AnsiString row = ReportOfferRow(slot, texts);
    if (IsVoid(offer))
      row.append(13, ' ').append(VoidWord);
    else
      row += DiscountColumn(offer, texts);
    AddReportLine(lines, row);
  }
  AddReportLine(lines, "");
  AddReportLine(lines, ReportGuaranteeLine + guaranteeText + "\r\n");
}

void RankAndReport(TOfferSheet& sheet, TStrings& report, bool initialOrder, int projectType,
                   const TGuaranteeHook& guarantee) {
  TOfferTexts texts;
  sortitms(sheet, true, false, true, projectType, &texts);
  PrintHeader(report);
  if (initialOrder) {
    sortitms(sheet, true, true, true, projectType, &texts);
    printArxika(report, &texts);
  }
  sortitms(sheet, false, false, true, projectType, &texts);
  AnsiString guaranteeText;
  try {
    guaranteeText = guarantee ? guarantee(OfferTable[1].Discount) : AnsiString();
  } catch (...) {
    report.Clear();
    throw;
  }
  PrintFooter(report, guaranteeText, &texts);
}

void AddClosingLine(TStrings& lines) {
  AddReportLine(lines, "");
  AddReportLine(lines, PublisherContactLine);
}

void QuickPrintLines(const TStrings& report, const AnsiString& guaranteeText, TStrings& out) {
  for (int i = 0; i < report.Count(); ++i) out.Add(report[i]);
  // The line end after the result leaves an empty line before the closing.
  AddReportLine(out, QuickPrintGuaranteeLine + guaranteeText + "\r\n");
  AddReportLine(out, PublisherContactLine);
}
