// How the grid's sort reads a cell's text as a number or a date, and the
// detection of a date text: shared by the row-by-row sort and the sort on
// keys read once, which must read every text the same way.
#pragma once

#include "platform/rtl/SysUtils.h"

namespace gridsort {

inline int Sign(int v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

template <typename T>
int Order(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// A number cell's value under the column's prefix, suffix and grouping;
// false when the text is no number (Value then holds what was read).
bool ReadSortNumber(const AnsiString& S, const AnsiString& Prefix, const AnsiString& Suffix, bool Grouped,
                    Extended& Value);

// The locale's date and time; a text that is none reads as an empty one.
TDateTime ReadSortDate(const AnsiString& S);

// A slash among the first three characters between two digits.
bool LooksLikeDate(const AnsiString& S);

}  // namespace gridsort
