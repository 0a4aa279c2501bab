#pragma once
// The calculation's fixed-width text report: heading lines, the table of the
// offers in their initial order, the final ranking and the guarantee line.
// The writers append to any list of lines (the main window passes its
// report control's lines); they read the offers and the header from the
// tender state. Text is code page 1253, one byte one column.

#include <functional>

#include "platform/rtl/System.h"

class TStrings;
class TOfferSheet;
class TOfferTexts;

// The heading and the separator of both tables, 85 characters each.
extern const AnsiString ReportTableHeading;
extern const AnsiString ReportTableSeparator;
// The line written after the final ranking, before the guarantee's result.
extern const AnsiString ReportGuaranteeLine;
// The quick print's own guarantee line, before the result.
extern const AnsiString QuickPrintGuaranteeLine;
// The program and its version, closing the preview's text and the quick print.
extern const AnsiString PublisherContactLine;

// Adds a line as the report control does: a text holding CR LF becomes
// one line per part, so one that begins with CR LF is preceded by an empty
// line.
void AddReportLine(TStrings& lines, const AnsiString& line);

// An offer's row up to its discount column: entry number in 4, a blank,
// the name padded or cut to 44, the amount in 15 (blanks without amount).
// The amount starts at character 50. With texts given, the number texts
// are taken from it (so are those of the two tables below).
AnsiString ReportOfferRow(int slot, TOfferTexts* texts = nullptr);

// The project and service texts, the date and the line of the indicative
// total and the divisor (added even when empty).
void PrintHeader(TStrings& lines);
// The title and table of the offers in the current order of the slots,
// then the title of the final ranking.
void printArxika(TStrings& lines, TOfferTexts* texts = nullptr);
// The final-ranking table and the guarantee line with its result text.
void PrintFooter(TStrings& lines, const AnsiString& guaranteeText, TOfferTexts* texts = nullptr);

// The guarantee's result text for the first-ranked discount (the window
// writes the discount into its panel and computes there). It may throw.
using TGuaranteeHook = std::function<AnsiString(double firstDiscount)>;

// The calculation after a scan that found offers: ranked ascending, the
// header, the initial order when asked (sorted by entry number), the final
// ranking (descending) with the guarantee line; each number text is worked
// out once for all of them. When the guarantee throws,
// the report is cleared and the exception goes on: no partial report stays
// to be printed as if complete.
void RankAndReport(TOfferSheet& sheet, TStrings& report, bool initialOrder, int projectType,
                   const TGuaranteeHook& guarantee);

// The preview's closing: an empty line and the publisher's contact line.
void AddClosingLine(TStrings& lines);

// What the quick print sends to the printer, one item per printed line:
// the report's lines, the quick print's guarantee line with the result and
// the closing.
void QuickPrintLines(const TStrings& report, const AnsiString& guaranteeText, TStrings& out);
