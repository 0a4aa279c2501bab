#pragma once
// The numeric library: the one place where numbers become text and text
// becomes numbers, where values are rounded, where amounts are written in
// Greek words and where typed formulas are computed. Text is code page 1253.
//
// Rounding works through fixed-notation decimal text with a small upward
// nudge, so that a value such as 2.675, held in binary a hair below the half,
// still rounds up.

#include <array>
#include <string_view>

#include "platform/rtl/System.h"

// ---- library state -------------------------------------------------------------

// The locale's thousands character as found by the start-up probe, and the
// library's number style derived from it: 2 (decimal ",", thousands ".")
// when it is ".", else 1 (decimal ".", thousands ",").
extern char ThousandsChar;
extern Integer LibraryNumberStyle;

// The budget window's rounding steps, indexed 1 to 26 as [index - 1].
extern std::array<double, 26> InitialRoundingTable;
// A value below RoundingThresholds[i - 1] takes step i; at or above the last
// one, step 26.
extern const std::array<Integer, 25> RoundingThresholds;

// What the locale makes of 1200.223 formatted with "#.##,".
struct NumberStyleProbe {
  char Thousands;
  char Decimal;
  Integer Style;  // 2 when the thousands separator is ".", else 1
};
NumberStyleProbe ProbeNumberStyle();

// The unit's start-up step: fills the rounding table and probes the
// locale. The program runs it once, after the locale has been loaded; it
// reads the locale again each time it runs. (The evaluator's angles are
// always degrees.)
void InitNumericLibrary();

// ---- rounding ----------------------------------------------------------------------

// The value in fixed notation: an optional "-" for a negative value, the
// integer digits and, when decimals > 0, "." and exactly that many digits,
// rounded half away from zero on the value's 18 significant digits. A value
// that is no number gives "NAN", "INF" or "-INF". At most MaxFixedDecimals
// decimals are written.
constexpr int MaxFixedDecimals = 4096;
AnsiString FixedNotation(long double value, int decimals);

// The value rounded to n decimals (n may be negative: -2 rounds to hundreds).
double RoundDec(int decimals, double value);
// 10 to the power n, as e raised to n x ln 10.
double Pow10(int n);
// The value rounded to the step that the table gives its magnitude.
double RoundByTable(const std::array<double, 26>& steps, double value);
// Number of significant decimals: at most 10, at most 5 above 999999.
Integer CountDecimals(double value);

// ---- formatting and parsing ---------------------------------------------------------

// The value right-aligned in the width with the given decimals. Mode 0: plain
// fixed notation, "*" characters when it does not fit; mode 1: grouped with
// "," and decimal "."; mode 2 (and any other): grouped with "." and decimal
// ",". A grouped text that does not fit loses its grouping and then its
// rightmost characters. Widths above 20 give blanks in front of a 20-wide
// field; a width of 0 or less gives "".
AnsiString FormatNum(int width, int decimals, Byte mode, double value);
AnsiString FormatNumNoBlanks(int width, int decimals, Byte mode, double value);
// The text as a number: blanks and the thousands character dropped, the
// first "," taken as the decimal point. Text that is no number gives 0.
double StrToNum(std::string_view text);
// Every decimal character of the library's number style that stands before
// a digit becomes ".".
void DotDecimals(AnsiString& text);

// ---- small text operations ------------------------------------------------------------

AnsiString DelBlanks(std::string_view text);
// Trailing blanks removed, then blanks added on the left up to the width or
// characters cut from the left down to it.
AnsiString PadLeft(std::string_view text, int width);
// 1-based start of the last of the non-overlapping occurrences; 0 if none
// (an empty sub-text occurs nowhere).
int LastPos(std::string_view sub, std::string_view text);
AnsiString RepeatChar(int count, char ch);
// The capital without accent of a Greek small letter; others unchanged.
char GreekUpCase(char ch);

// ---- numbers in Greek words ---------------------------------------------------------------

enum : Byte { Masculine = 1, Feminine = 2, Neuter = 3 };

// Three digit characters ("0" for none) in the gender; each word with its
// leading blank.
AnsiString GroupToWords(char hundreds, char tens, char units, Byte gender);
// firstLetterOnly non-zero capitalises the first letter only; 0 writes
// everything in capitals.
AnsiString NumToWords(Byte gender, Byte firstLetterOnly, double value);
// An amount with its cents in words, the cents followed by the suffix.
AnsiString AmountToWords(Byte withCents, Byte firstLetterOnly, std::string_view suffix, double value);

// ---- formula evaluator ----------------------------------------------------------------------

// Attributes of EvalFormula: 0 syntax error; 1 a valid formula; 2 a valid
// formula with cell references; plus 4 when a math error occurred. The
// result is 0 on any error, and otherwise kept within -1e38..1e38. Any
// text, however long or malformed, gives an attribute: nesting deeper than
// the parser's 30 records is a syntax error.
enum : Word { FormulaSyntaxError = 0, FormulaValid = 1, FormulaWithCells = 2, FormulaMathError = 4 };

double EvalFormula(std::string_view text, Word& attribute);

// Where cell references get their values; without a source a cell reads as 0.
using TCellValueSource = double (*)(Word column, Word row);
extern TCellValueSource CellValueSource;
// The rounding that STROG applies; without one, STROG is a math error.
using TRoundingSource = double (*)(double value);
extern TRoundingSource RoundingSource;
// Sounded when ACOS or ASIN get an argument outside -1..1; the program
// connects it to the system's information sound.
using TFormulaBeep = void (*)();
extern TFormulaBeep FormulaBeep;
