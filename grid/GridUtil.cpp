// Text kinds, numbers, dates, positions and line routines of the grid
// controls. Nothing here raises: every conversion is a Try form.

#include "grid/GridUtil.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWith(const AnsiString& s, std::string_view prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool Contains(const AnsiString& s, std::string_view part) { return s.find(part) != AnsiString::npos; }

// The pieces of S between Separator characters.
std::vector<AnsiString> SplitAt(const AnsiString& s, char separator) {
  std::vector<AnsiString> parts(1);
  for (char c : s) {
    if (c == separator)
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

// A year below 100 as the grid's two-digit rule reads it; four-digit years
// stand for themselves.
int WidenYear(int year) {
  if (year < 0 || year >= 100) return year;
  return year <= 25 ? 2000 + year : 1900 + year;
}

TDateTime DateFromParts(const AnsiString& s, bool monthFirst) {
  char separator = 0;
  for (char candidate : {'/', '.', '-'}) {
    if (s.find(candidate) != AnsiString::npos) {
      separator = candidate;
      break;
    }
  }
  if (separator == 0) return 0;
  std::vector<AnsiString> parts = SplitAt(s, separator);
  if (parts.size() != 3) return 0;
  int first = 0, second = 0, year = 0;
  if (!TryStrToInt(Trim(parts[0]), first) || !TryStrToInt(Trim(parts[1]), second) ||
      !TryStrToInt(Trim(parts[2]), year))
    return 0;
  int month = monthFirst ? first : second;
  int day = monthFirst ? second : first;
  year = WidenYear(year);
  TDateTime date = 0;
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return 0;
  if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date))
    return 0;
  return date;
}

char UpperChar(char c) { return AnsiUpperCase(std::string_view(&c, 1))[0]; }
char LowerChar(char c) { return AnsiLowerCase(std::string_view(&c, 1))[0]; }

bool IsWordBreak(char c) { return c == ' ' || c == '\'' || c == ',' || c == '-' || c == '.'; }

bool EndsWith(const AnsiString& s, std::string_view tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

// ---- kinds of cell text ------------------------------------------------------

int ClassifyCellText(const AnsiString& S, bool AllowHTML) {
  if (S.empty()) return ctkPlain;
  if (S[0] == '=') return ctkFormula;
  if (StartsWith(S, "|\\")) return ctkUnicode;
  if (StartsWith(S, "{\\")) return ctkRTF;
  if (AllowHTML && (Contains(S, "</") || Contains(S, "<B") || Contains(S, "<I"))) return ctkHTML;
  return ctkPlain;
}

bool IsURL(const AnsiString& S) { return Contains(S, "://") || Contains(S, "mailto:"); }

void StripURLScheme(AnsiString& S) {
  size_t at = S.find("://");
  if (at != AnsiString::npos) {
    S.erase(0, at + 3);
    return;
  }
  at = S.find("mailto:");
  if (at != AnsiString::npos) S.erase(0, at + 7);
}

// A minus counts only as the first character, and a text needs a digit to
// be a number at all: "-" alone or "1-2" are no numbers, so a caller that
// trusts the answer never hands them to a conversion.
int ClassifyNumberText(const AnsiString& S) {
  if (S.empty()) return 2;
  int minus = 0, decimals = 0, digits = 0;
  bool integer = true, floating = true;
  int lastThousands = 0;  // 1-based position of the previous thousands separator
  for (int i = 1; i <= Length(S); ++i) {
    char c = S[static_cast<size_t>(i - 1)];
    if (IsDigit(c)) {
      ++digits;
      continue;
    }
    if (c == '-') {
      ++minus;
      if (i != 1) return 2;
      continue;
    }
    integer = false;
    if (c == DecimalSeparator) {
      ++decimals;
    } else if (c == ThousandSeparator) {
      if (i == 1 || (lastThousands > 0 && i - lastThousands < 3)) floating = false;
      lastThousands = i;
    } else {
      floating = false;
    }
  }
  if (minus > 1 || decimals >= 2 || digits == 0) return 2;
  if (integer) return 0;
  return floating ? 1 : 2;
}

AnsiString NormalizeNumberText(const AnsiString& S) {
  AnsiString text = Trim(S);
  bool negative = text.size() >= 2 && text.front() == '(' && text.back() == ')';
  auto isSeparator = [](char c) { return c == DecimalSeparator || c == ThousandSeparator; };
  size_t start = 0;
  while (text.size() - start > 1 && !IsDigit(text[start]) && !isSeparator(text[start])) {
    if (text[start] == '-') negative = true;
    ++start;
  }
  AnsiString result;
  for (size_t i = start; i < text.size(); ++i) {
    char c = text[i];
    if (c == ThousandSeparator) continue;
    if (c == DecimalSeparator)
      result += '.';
    else if (IsDigit(c) || c == '-' || c == '.')
      result += c;
    else
      break;
  }
  if (negative) result.insert(result.begin(), '-');
  return result;
}

// ---- dates ---------------------------------------------------------------------

bool ParseLocaleDate(const AnsiString& S, TDateTime& Date) {
  AnsiString format = UpperCase(ShortDateFormat);
  size_t dayAt = format.find('D'), monthAt = format.find('M'), yearAt = format.find('Y');
  if (dayAt == AnsiString::npos || monthAt == AnsiString::npos || yearAt == AnsiString::npos) return false;
  std::array<std::pair<size_t, char>, 3> order{{{dayAt, 'D'}, {monthAt, 'M'}, {yearAt, 'Y'}}};
  std::sort(order.begin(), order.end());
  std::vector<AnsiString> parts = SplitAt(S, DateSeparator);
  if (parts.size() != 3) return false;
  int day = 0, month = 0, year = 0;
  for (size_t i = 0; i < 3; ++i) {
    int value = 0;
    if (!TryStrToInt(parts[i], value)) return false;
    (order[i].second == 'D' ? day : order[i].second == 'M' ? month : year) = value;
  }
  // A two-digit year is read as DateFromDMYText reads it, so that a filter
  // ">1/1/07" compares with "5/3/2007" as the user means.
  year = WidenYear(year);
  if (day >= 32 || month >= 13 || day < 1 || month < 1 || year < 1 || year > 9999) return false;
  TDateTime date = 0;
  if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date))
    return false;
  Date = date;
  return true;
}

TDateTime DateFromMDYText(const AnsiString& S) { return DateFromParts(S, true); }
TDateTime DateFromDMYText(const AnsiString& S) { return DateFromParts(S, false); }

TDateTime DateIncrement(int Years, int Months, int Days, int Delta, TDateTime Date) {
  bool onlyDays = Days != 0 && Years == 0 && Months == 0;
  bool onlyYears = Years != 0 && Months == 0 && Days == 0;
  bool onlyMonths = Months != 0 && Years == 0 && Days == 0;
  if (onlyDays) return Date + Days;
  if (!onlyYears && !onlyMonths) return Date + Delta;
  Word year = 0, month = 0, day = 0;
  DecodeDate(Date, year, month, day);
  long long newYear = year, newMonth = month;
  if (onlyYears) {
    newYear += Years;
  } else {
    long long months = newYear * 12 + (newMonth - 1) + Months;
    newYear = months >= 0 ? months / 12 : -((-months + 11) / 12);
    newMonth = months - newYear * 12 + 1;
  }
  if (newYear < 1 || newYear > 9999) return Date;
  Word lastDay = DaysInAMonth(static_cast<Word>(newYear), static_cast<Word>(newMonth));
  TDateTime result = 0;
  TryEncodeDate(static_cast<Word>(newYear), static_cast<Word>(newMonth), std::min(day, lastDay), result);
  return result + Frac(Date);
}

// ---- small values ----------------------------------------------------------------

int LimitValue(int Value, int Min, int Max) {
  if (Min == Max) return Value;
  if (Max > 0 && Max < Value) return Max;
  if (Min > Value && Min > 0) return Min;
  return Value;
}

int MaxOf(int A, int B) { return A > B ? A : B; }
int MinOf(int A, int B) { return A < B ? A : B; }

bool IsPointInRect(const TRect& R, int X, int Y) {
  return X >= R.Left && X <= R.Right && Y >= R.Top && Y <= R.Bottom;
}

TColor DarkerColor(TColor Color) {
  TColor rgb = ColorToRGB(Color);
  return RGB(GetRValue(rgb) / 2, GetGValue(rgb) / 2, GetBValue(rgb) / 2);
}

// ---- positions and characters ----------------------------------------------------

int UpperCasePos(const AnsiString& Sub, const AnsiString& S) { return Pos(Sub, AnsiUpperCase(S)); }

int VarPos(const AnsiString& Sub, const AnsiString& S, int& Position) {
  Position = Pos(Sub, S);
  return Position;
}

int CharPos(char C, const AnsiString& S) {
  size_t at = S.find(C);
  return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

int CharPosVar(char C, const AnsiString& S, int& Position) {
  Position = CharPos(C, S);
  return Position;
}

TGridCoord ParseRowColRef(const AnsiString& S) {
  const TGridCoord none{-1, -1};
  size_t columnAt = S.find('C');
  if (S.size() < 4 || S[0] != 'R' || columnAt == AnsiString::npos) return none;
  AnsiString rowText = S.substr(1, columnAt - 1), colText = S.substr(columnAt + 1);
  auto allDigits = [](const AnsiString& t) { return !t.empty() && std::all_of(t.begin(), t.end(), IsDigit); };
  int row = 0, col = 0;
  if (!allDigits(rowText) || !allDigits(colText) || !TryStrToInt(rowText, row) || !TryStrToInt(colText, col))
    return none;
  return {col, row};
}

int SingleCharPos(char C, std::string_view S, int& Position) {
  Position = 0;
  size_t i = 0;
  while (i < S.size()) {
    if (S[i] != C) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < S.size() && S[end] == C) ++end;
    if (end == S.size() || (end - i) % 2 == 1) {
      Position = static_cast<int>(end);  // 1-based position of the run's last character
      return Position;
    }
    i = end;
  }
  return 0;
}

int SingleCharCount(char C, std::string_view S) {
  int count = 0;
  size_t i = 0;
  while (i < S.size()) {
    if (S[i] != C) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < S.size() && S[end] == C) ++end;
    if (end == S.size() || (end - i) % 2 == 1) ++count;
    i = end;
  }
  return count;
}

int CharCount(char C, std::string_view S) { return static_cast<int>(std::count(S.begin(), S.end(), C)); }

char LowerCaseChar(char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; }

// ---- lines -------------------------------------------------------------------------

AnsiString ExpandNewlineEscapes(const AnsiString& S) {
  AnsiString result;
  result.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\\' && i + 1 < S.size() && S[i + 1] == 'n') {
      result += '\r';
      ++i;
    } else {
      result += S[i];
    }
  }
  return result;
}

// A text that already has CR LF keeps it: doubling the CR would add an
// empty line on every paste.
AnsiString LFToCRLF(const AnsiString& S) {
  AnsiString result;
  result.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\n' && (i == 0 || S[i - 1] != '\r')) result += '\r';
    result += S[i];
  }
  return result;
}

AnsiString TildeToCRLF(const AnsiString& S) {
  AnsiString result;
  for (char c : S) {
    if (c == '~')
      result += "\r\n";
    else
      result += c;
  }
  return result;
}

// Quotes inside are doubled so that the reader, which takes a doubled quote
// as an escape (SingleCharPos), finds the cell's true end.
AnsiString QuoteMultiLine(const AnsiString& S) {
  AnsiString result = "\"";
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\r' && i + 1 < S.size() && S[i + 1] == '\n') continue;
    if (S[i] == '"') result += '"';
    result += S[i];
  }
  return result + '"';
}

AnsiString CollapseRepeatedChar(char C, std::string_view S) {
  AnsiString result;
  for (char c : S)
    if (c != C || result.empty() || result.back() != C) result += c;
  return result;
}

AnsiString OemToAnsiText(const AnsiString& S) {
  static constexpr char16_t kUpperHalf[128] = {
      0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397, 0x0398, 0x0399, 0x039A, 0x039B, 0x039C, 0x039D,
      0x039E, 0x039F, 0x03A0, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7, 0x03A8, 0x03A9, 0x03B1, 0x03B2,
      0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7, 0x03B8, 0x03B9, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BE, 0x03BF,
      0x03C0, 0x03C1, 0x03C3, 0x03C2, 0x03C4, 0x03C5, 0x03C6, 0x03C7, 0x03C8, 0x2591, 0x2592, 0x2593, 0x2502,
      0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
      0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
      0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
      0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03C9, 0x03AC, 0x03AD, 0x03AE, 0x03CA, 0x03AF, 0x03CC, 0x03CD,
      0x03CB, 0x03CE, 0x0386, 0x0388, 0x0389, 0x038A, 0x038C, 0x038E, 0x038F, 0x00B1, 0x2265, 0x2264, 0x03AA,
      0x03AB, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
  AnsiString result;
  result.reserve(S.size());
  for (char c : S) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      result += c;
      continue;
    }
    int ansi = cp1253::FromUnicode(kUpperHalf[byte - 0x80]);
    result += ansi < 0 ? '?' : static_cast<char>(ansi);
  }
  return result;
}

void FillStringChar(AnsiString& S, char C) { std::fill(S.begin(), S.end(), C); }

void ExtractFirstLine(AnsiString& S, bool KeepRest, AnsiString& Line) {
  size_t cr = S.find('\r');
  if (cr == AnsiString::npos) {
    Line = S;
    S.clear();
    return;
  }
  Line = S.substr(0, cr);
  size_t rest = cr + 1;
  if (rest < S.size() && S[rest] == '\n') ++rest;
  if (KeepRest)
    S.erase(0, rest);
  else
    S.clear();
}

int LineCount(const AnsiString& S, bool MultiLine) { return MultiLine ? CharCount('\r', S) + 1 : 1; }

AnsiString CapitalizeWords(const AnsiString& S) {
  AnsiString result;
  result.reserve(S.size());
  bool wordStart = true;
  const size_t n = S.size();
  for (size_t i = 0; i < n; ++i) {
    char c = S[i];
    if (IsWordBreak(c)) {
      result += c;
      wordStart = true;
      continue;
    }
    bool afterMc = result == "Mc" || EndsWith(result, " Mc");
    bool romanNumeral = i + 3 >= n && (EndsWith(result, " I") || EndsWith(result, " II"));
    result += (wordStart || afterMc || romanNumeral) ? UpperChar(c) : LowerChar(c);
    wordStart = false;
  }
  return result;
}
