#pragma once
// Free routines the grid controls and their editors share: what kind of text
// a cell holds, number and date reading under the locale in force, the
// filter-expression matcher, line and character routines for clipboard and
// file text, and a few small drawing routines. They keep no state and raise
// nothing; text is code page 1253 and positions are 1-based, 0 for "none".

#include <string_view>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Graphics.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Grids.h"

// ---- kinds of cell text ------------------------------------------------------

enum TCellTextKind { ctkPlain = 0, ctkHTML = 1, ctkRTF = 2, ctkFormula = 3, ctkUnicode = 5 };

// "=" formula, "|\" Unicode, "{\" RTF, HTML tags ("</", "<B", "<I", case as
// written) only when AllowHTML; plain otherwise and for the empty text.
int ClassifyCellText(const AnsiString& S, bool AllowHTML);
// Contains "://" or "mailto:".
bool IsURL(const AnsiString& S);
// Drops everything up to and including the first "://", or else "mailto:".
void StripURLScheme(AnsiString& S);

// 0 integer, 1 float (with the locale's separators), 2 neither; see the
// definition for the exact rules on signs and thousands separators.
int ClassifyNumberText(const AnsiString& S);
// A text shaped for a conversion with "." as the decimal point: the locale's
// thousands separators dropped, "(1.234,50)" and "EUR -5" made negative,
// anything after the number cut off.
AnsiString NormalizeNumberText(const AnsiString& S);

// ---- dates ---------------------------------------------------------------------

// Day, month and year in the order of ShortDateFormat, split at
// DateSeparator; false for a text that is not such a date. Years below 100
// follow the two-digit rule of DateFromDMYText.
bool ParseLocaleDate(const AnsiString& S, TDateTime& Date);
// Month/day/year and day/month/year with the first of "/", "." and "-" the
// text holds as separator; a year below 100 counts as 2000..2025 for 0..25
// and 1926..1999 above. 0 (no date) for a text that is not a date.
TDateTime DateFromMDYText(const AnsiString& S);
TDateTime DateFromDMYText(const AnsiString& S);
// Exactly one of Years, Months, Days non-zero moves by that many; any other
// combination adds Delta days. A day past the end of the target month
// becomes the month's last day.
TDateTime DateIncrement(int Years, int Months, int Days, int Delta, TDateTime Date);

// ---- filter expressions --------------------------------------------------------

// Conditions joined by "&" (and) and ";", "^", "|" (or), evaluated left to
// right without precedence.
bool MatchFilterExpression(const AnsiString& Expression, const AnsiString& Value, bool CaseSensitive);
// One condition; not case-sensitive compares the upper-cased texts.
bool MatchCondition(const AnsiString& Condition, const AnsiString& Value, bool CaseSensitive);
// "<", "<=", ">", ">=" comparisons (as numbers, else dates, else bytes), "!"
// to invert, and the wildcards "*" and "?".
bool MatchPattern(const AnsiString& Pattern, const AnsiString& Value);

// ---- small values ----------------------------------------------------------------

// Value kept within Min..Max; a bound of 0 or less is no bound; Min = Max
// means no limits at all.
int LimitValue(int Value, int Min, int Max);
int MaxOf(int A, int B);
int MinOf(int A, int B);
// Inclusive on all four sides.
bool IsPointInRect(const TRect& R, int X, int Y);
// System colours resolved, each of red, green and blue halved.
TColor DarkerColor(TColor Color);

// ---- positions and characters ----------------------------------------------------

int UpperCasePos(const AnsiString& Sub, const AnsiString& S);
int VarPos(const AnsiString& Sub, const AnsiString& S, int& Position);
int CharPos(char C, const AnsiString& S);
int CharPosVar(char C, const AnsiString& S, int& Position);
// "R<row>C<column>"; X is the column, Y the row. -1, -1 for any other text.
TGridCoord ParseRowColRef(const AnsiString& S);
// The first C that is not doubled: runs of C of even length are escapes;
// the position is the last of the first odd run, or of a run that ends the
// text. 0 when none.
int SingleCharPos(char C, std::string_view S, int& Position);
int SingleCharCount(char C, std::string_view S);
int CharCount(char C, std::string_view S);
char LowerCaseChar(char C);

// ---- lines -------------------------------------------------------------------------

// Each two-character "\n" becomes a CR.
AnsiString ExpandNewlineEscapes(const AnsiString& S);
// Each LF not already after a CR becomes CR LF.
AnsiString LFToCRLF(const AnsiString& S);
AnsiString TildeToCRLF(const AnsiString& S);
// For a cell of several lines on the clipboard: CR LF becomes LF, double
// quotes are doubled and the whole is wrapped in double quotes.
AnsiString QuoteMultiLine(const AnsiString& S);
// Runs of C become one C.
AnsiString CollapseRepeatedChar(char C, std::string_view S);
// Greek DOS text (code page 737) to the program's code page; characters
// the program's code page lacks (box drawing) become "?".
AnsiString OemToAnsiText(const AnsiString& S);
// Every character becomes C (password display).
void FillStringChar(AnsiString& S, char C);
// Line is the text before the first CR (all of S when there is none). S
// loses the line, its CR and a following LF, or all of it unless KeepRest.
void ExtractFirstLine(AnsiString& S, bool KeepRest, AnsiString& Line);
// 1 for a single-line text; else the number of CRs + 1.
int LineCount(const AnsiString& S, bool MultiLine);
// First letters of words upper case, the rest lower case, with "Mc" names
// and trailing roman numerals ("II", "III") kept.
AnsiString CapitalizeWords(const AnsiString& S);

// ---- drawing ---------------------------------------------------------------------------

// The bitmap at Rect's top left at its own size, its top-left pixel's colour
// replaced by Color.
void DrawBitmapTransparent(TCanvas& Canvas, TBitmap& Bitmap, TColor Color, const TRect& Rect);
// The bitmap's pixels as DrawBitmapTransparent draws them, for a picture
// drawn often enough to keep ready.
TPixelBlock TransparentPixels(TBitmap& Bitmap, TColor Color);
// The character height of Font, as the edit controls size themselves by it.
int FontCharHeight(const TFont& Font);
// The program's bitmap resource of that name, drawn as above; an unknown
// name draws nothing.
void DrawResourceBitmap(TCanvas& Canvas, TColor Color, const TRect& Rect, const AnsiString& ResourceName);
// A grey circle with the sector from 12 o'clock clockwise to Percent of the
// full turn filled with Color.
void DrawProgressPie(TCanvas& Canvas, const TRect& Rect, TColor Color, int Percent);
// A red zig-zag under Len characters of Text from From (0-based), for text
// drawn at Rect's top left with the canvas's font.
void DrawErrorUnderline(TCanvas& Canvas, const AnsiString& Text, int Len, int From, int LineHeight,
                        const TRect& Rect);
