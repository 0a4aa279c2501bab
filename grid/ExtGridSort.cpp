// Sorting of the data rows: by one column (ties going on to the columns to
// its right), by the index list of columns each in its own direction, or
// within the groups under node rows.
//
// The comparison is chosen per column and may come from the user's events,
// so it need not be consistent: the quicksort below keeps its indexes in
// range whatever the answers, which a library sort does not promise.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "grid/EsgUni.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridSortRead.h"
#include "grid/GridUtil.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Powers of ten up to 10^19, each exact in the 64-bit significand.
constexpr auto kPowersOfTen = [] {
  std::array<Extended, 20> values{};
  values[0] = 1;
  for (size_t k = 1; k < values.size(); ++k) values[k] = values[k - 1] * 10;
  return values;
}();

// The run-time's conversion of a text to a number: the value of the longest
// leading number, and 0 when it took the whole text, else the 1-based
// position of the first character it could not take.
int ValFloat(std::string_view S, Extended& Value) {
  size_t i = 0;
  while (i < S.size() && S[i] == ' ') ++i;
  const size_t start = i;
  const bool negative = i < S.size() && S[i] == '-';
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) ++i;
  size_t digits = 0, fraction = 0, end = start;
  std::uint64_t mantissa = 0;
  auto takeDigits = [&](size_t& count) {
    for (; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i, ++count)
      mantissa = mantissa * 10 + static_cast<unsigned>(S[i] - '0');
  };
  takeDigits(digits);
  if (i < S.size() && S[i] == '.') {
    ++i;
    takeDigits(fraction);
    digits += fraction;
  }
  if (digits > 0) end = i;
  bool exponent = false;
  if (digits > 0 && i < S.size() && (S[i] == 'e' || S[i] == 'E')) {
    size_t k = i + 1;
    if (k < S.size() && (S[k] == '+' || S[k] == '-')) ++k;
    if (k < S.size() && S[k] >= '0' && S[k] <= '9') {
      while (k < S.size() && S[k] >= '0' && S[k] <= '9') ++k;
      end = i = k;
      exponent = true;
    }
  }
  if (end == start) {
    Value = 0;
  } else if (!exponent && digits <= 19) {
    // Both operands exact, so the one rounding of the division gives what
    // the library's correctly rounded conversion gives, without the copy.
    Value = static_cast<Extended>(mantissa);
    if (fraction > 0) Value /= kPowersOfTen[fraction];
    if (negative) Value = -Value;
  } else {
    Value = std::strtold(std::string(S.substr(start, end - start)).c_str(), nullptr);
  }
  return end == S.size() && digits > 0 ? 0 : static_cast<int>(std::max(end, start)) + 1;
}

// The common cell in one pass: digits, the thousands separators when
// grouped, one decimal separator and a leading sign, at most 19 digits.
// False for any other text, which takes the general reading.
bool ReadPlainNumber(std::string_view S, bool Grouped, Extended& Value, bool& Ok) {
  const char thousands = ThousandSeparator, decimal = DecimalSeparator;
  std::uint64_t mantissa = 0;
  int digits = 0, fraction = 0;
  bool point = false, negative = false, any = false;
  for (const char c : S) {
    if (c >= '0' && c <= '9') {
      if (++digits > 19) return false;
      mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
      fraction += point;
      any = true;
    } else if (Grouped && c == thousands) {
      continue;
    } else if (c == decimal && !point) {
      point = any = true;
    } else if ((c == '-' || c == '+') && !any) {
      negative = c == '-';
      any = true;
    } else {
      return false;
    }
  }
  // Nothing left once the separators went reads as a zero.
  Ok = digits > 0 || !any;
  Value = digits > 0 ? static_cast<Extended>(mantissa) : 0;
  if (fraction > 0) Value /= kPowersOfTen[fraction];
  if (negative && digits > 0) Value = -Value;
  return true;
}

}  // namespace

namespace gridsort {

bool ReadSortNumber(const AnsiString& S, const AnsiString& Prefix, const AnsiString& Suffix, bool Grouped,
                    Extended& Value) {
  std::string_view text(S);
  AnsiString stripped;
  if (Prefix.empty() && Suffix.empty()) {
    bool ok = false;
    if (ReadPlainNumber(text, Grouped, Value, ok)) return ok;
  } else {
    stripped = S;
    if (!Prefix.empty())
      if (size_t p = stripped.find(Prefix); p != AnsiString::npos) stripped.erase(p, Prefix.size());
    if (!Suffix.empty())
      if (size_t p = stripped.find(Suffix); p != AnsiString::npos) stripped.erase(p, Suffix.size());
    text = stripped;
  }
  // Without the thousands separators and with '.' for the first decimal
  // separator; a usual cell needs no allocation.
  char small[64];
  std::string large;
  char* buffer = small;
  if (text.size() > sizeof small) {
    large.resize(text.size());
    buffer = large.data();
  }
  size_t n = 0;
  bool point = DecimalSeparator == '.';
  for (char c : text) {
    if (Grouped && c == ThousandSeparator) continue;
    if (!point && c == DecimalSeparator) c = '.', point = true;
    buffer[n++] = c;
  }
  if (n == 0) {
    Value = 0;
    return true;
  }
  return ValFloat(std::string_view(buffer, n), Value) == 0;
}

TDateTime ReadSortDate(const AnsiString& S) {
  TDateTime value = 0;
  if (S.empty() || !TryStrToDateTime(S, value)) return 0;
  return value;
}

bool LooksLikeDate(const AnsiString& S) {
  const size_t slash = S.find('/');
  if (slash == AnsiString::npos) return false;
  const size_t p = slash + 1;  // 1-based
  return p > 1 && p < S.size() && p < 4 && S[p - 2] >= '0' && S[p - 2] <= '9' && S[p] >= '0' && S[p] <= '9';
}

}  // namespace gridsort

using gridsort::LooksLikeDate;
using gridsort::Order;
using gridsort::ReadSortDate;
using gridsort::ReadSortNumber;
using gridsort::Sign;

// ---- the index list -----------------------------------------------------------------------

void TSortIndexList::AddIndex(int ACol, bool Ascending) {
  Add(Ascending ? ACol : static_cast<int>(static_cast<unsigned>(ACol) | 0x80000000u));
}

int TSortIndexList::FindIndex(int ACol) const {
  for (int i = 0; i < Count(); ++i)
    if (ColumnOf(GetInteger(i)) == ACol) return i;
  return -1;
}

void TSortIndexList::ToggleIndex(int ACol) {
  const int i = FindIndex(ACol);
  if (i >= 0) SetInteger(i, GetInteger(i) ^ static_cast<int>(0x80000000u));
}

void TSortIndexList::Remap(const std::function<int(int)>& NewColumn) {
  for (int i = 0; i < Count(); ++i) {
    const int item = GetInteger(i);
    const int moved = (item & static_cast<int>(0x80000000u)) | NewColumn(ColumnOf(item));
    if (moved != item) SetInteger(i, moved);
  }
}

// ---- comparing ----------------------------------------------------------------------------

void TExtStringGrid::GetColFormat(int ACol, TSortStyle& AStyle, AnsiString& aPrefix, AnsiString& aSuffix) {
  if (OnGetFormat) OnGetFormat(this, ACol, AStyle, aPrefix, aSuffix);
}

int TExtStringGrid::GetCellImageIdx(int ACol, int ARow) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return -1;
  switch (g->CellType) {
    case ctBitmap:
    case ctIcon:
    case ctImageList:
      return g->CellIndex;
    default:
      return -1;
  }
}

int TExtStringGrid::CompareStyled(int ACol, int ARow1, int ARow2) {
  ++sortCompares_;
  TSortStyle style = sortSettings_->AutoFormat ? ssDetect : ssText;
  AnsiString prefix, suffix;
  GetColFormat(ACol, style, prefix, suffix);
  const AnsiString s1 = GetCellText(ACol, ARow1);
  if (style == ssDetect) {
    const TCellType type = GetCellType(ACol, ARow1);
    if (type == ctCheckBox || type == ctDataCheckBox || type == ctVirtCheckBox)
      style = ssCheckState;
    else if (ClassifyNumberText(s1) != 2)
      // The classifier takes thousands separators, so the values are read
      // without them.
      style = ssNumberGrouped;
    else
      style = LooksLikeDate(s1) ? ssDateTime : ssText;
  }
  switch (style) {
    case ssText:
    case ssTextExact:
      return Sign(s1.compare(GetCellText(ACol, ARow2)));
    case ssTextUpper:
      return Sign(UpperCase(s1).compare(UpperCase(GetCellText(ACol, ARow2))));
    case ssNumber:
    case ssNumberGrouped: {
      Extended v1 = 0, v2 = 0;
      const bool ok1 = ReadSortNumber(s1, prefix, suffix, style == ssNumberGrouped, v1);
      const bool ok2 = ReadSortNumber(GetCellText(ACol, ARow2), prefix, suffix, style == ssNumberGrouped, v2);
      return !ok1 && !ok2 ? 0 : Order(v1, v2);
    }
    case ssDateTime:
      return Order(ReadSortDate(s1), ReadSortDate(GetCellText(ACol, ARow2)));
    case ssDateDMY:
      return Order(DateFromDMYText(s1), DateFromDMYText(GetCellText(ACol, ARow2)));
    case ssDateMDY:
      return Order(DateFromMDYText(s1), DateFromMDYText(GetCellText(ACol, ARow2)));
    case ssCustomEvent: {
      int res = 0;
      if (OnCustomCompare) OnCustomCompare(this, s1, GetCellText(ACol, ARow2), res);
      return res;
    }
    case ssLocaleText:
      return Sign(AnsiCompareStr(s1, GetCellText(ACol, ARow2)));
    case ssLocaleTextNoCase:
      return Sign(AnsiCompareText(s1, GetCellText(ACol, ARow2)));
    case ssRawEvent: {
      int res = 0;
      if (OnRawCompare) OnRawCompare(this, ACol, ARow1, ARow2, res);
      return res;
    }
    case ssPlainText: {
      AnsiString p1, p2;
      GetCellPlainText(ACol, ARow1, p1);
      GetCellPlainText(ACol, ARow2, p2);
      return Sign(p1.compare(p2));
    }
    case ssImageIndex:
      return Order(GetCellImageIdx(ACol, ARow1), GetCellImageIdx(ACol, ARow2));
    case ssCheckState: {
      bool c1 = false, c2 = false;
      GetCheckBoxState(ACol, ARow1, c1);
      GetCheckBoxState(ACol, ARow2, c2);
      return c1 == c2 ? 0 : (c1 ? 1 : -1);
    }
    case ssWideText:
      return WideCompareText(WideFromCellText(s1), WideFromCellText(GetCellText(ACol, ARow2)));
    default:
      return 1;
  }
}

int TExtStringGrid::BlankRule(int ACol, int ARow1, int ARow2, int Result, TSortDirection Direction) {
  if (!sortSettings_->IgnoreBlanks) return Result;
  const bool empty1 = GetCellText(ACol, ARow1).empty(), empty2 = GetCellText(ACol, ARow2).empty();
  // The sort multiplies by the direction, so the blank places are given
  // against it: blanks end first or last whatever the direction.
  const int last = Direction == sdDescending ? -1 : 1;
  const int place = sortSettings_->BlankPos == blLast ? last : -last;
  if (empty1 && !empty2) Result = place;
  if (empty2 && !empty1) Result = -place;
  return Result;
}

int TExtStringGrid::CompareCells(int ACol, int ARow1, int ARow2) {
  return BlankRule(ACol, ARow1, ARow2, CompareStyled(ACol, ARow1, ARow2), sortSettings_->Direction);
}

int TExtStringGrid::CompareFull(int ACol, int ARow1, int ARow2) {
  int result = CompareCells(ACol, ARow1, ARow2);
  while (result == 0 && sortSettings_->Full && ACol <= ColCount() - 2)
    result = CompareCells(++ACol, ARow1, ARow2);
  return result;
}

int TExtStringGrid::CompareIndexed(int AIndex, int ARow1, int ARow2) {
  int result = 0;
  for (; AIndex < sortIndexes_.Count(); ++AIndex) {
    const int item = sortIndexes_.Items(AIndex);
    const int col = TSortIndexList::ColumnOf(item);
    result = CompareStyled(col, ARow1, ARow2);
    if (!TSortIndexList::AscendingOf(item)) result = -result;
    // After the entry's own direction, so that blanks keep their place in
    // every entry.
    result = BlankRule(col, ARow1, ARow2, result, sdAscending);
    if (result != 0 || !sortSettings_->Full) break;
  }
  return result;
}

// ---- exchanging ------------------------------------------------------------------------------

void TExtStringGrid::ExchangeRows(int ARow1, int ARow2) {
  ++sortExchanges_;
  if (sortLogging_) sortLog_.emplace_back(ARow1, ARow2);
  if (ARow1 < static_cast<int>(RowIntegers.size()) && ARow2 < static_cast<int>(RowIntegers.size()))
    std::swap(RowIntegers[static_cast<size_t>(ARow1)], RowIntegers[static_cast<size_t>(ARow2)]);
  if (sortSettings_->SingleColumn) {
    const int col = sortSettings_->Column;
    const AnsiString text1 = GetCellText(col, ARow1);
    SetCellText(col, ARow1, GetCellText(col, ARow2));
    SetCellText(col, ARow2, text1);
    TObject* object1 = GetCellObjectDirect(col, ARow1);
    SetCellObjectDirect(col, ARow1, GetCellObjectDirect(col, ARow2));
    SetCellObjectDirect(col, ARow2, object1);
    return;
  }
  ExchangeStoredRows(ARow1, ARow2);
  ExchangeRowHeights(ARow1, ARow2);
  if (MadeCellProperties())
    for (int r : {ARow1, ARow2})
      for (int c = 0; c < StoreColCount(r); ++c)
        if (TCellProperties* props = FindCellProperties(c, r)) props->OwnerRow = r;
  if (mouseActions_->DisjunctRowSelect() && navigation_->MoveRowOnSort) {
    const size_t need = static_cast<size_t>(std::max(ARow1, ARow2)) + 1;
    if (rowSelect_.size() < need) rowSelect_.resize(need, false);
    const bool selected1 = rowSelect_[static_cast<size_t>(ARow1)];
    rowSelect_[static_cast<size_t>(ARow1)] = rowSelect_[static_cast<size_t>(ARow2)];
    rowSelect_[static_cast<size_t>(ARow2)] = selected1;
  }
  if (sortRow_ == ARow1)
    sortRow_ = ARow2;
  else if (sortRow_ == ARow2)
    sortRow_ = ARow1;
}

// ---- the sorts ------------------------------------------------------------------------------------

void TExtStringGrid::CopyRowToPivot(int ARow, int Pivot) {
  if (OnGetDisplText) {
    // The pivot holds displayed texts, as the rows compared with it yield.
    for (int c = 0; c < ColCount(); ++c) SetCellText(c, Pivot, GetCellText(c, ARow));
    return;
  }
  const int cols = std::max(StoreColCount(ARow), StoreColCount(Pivot));
  for (int c = 0; c < cols; ++c) {
    SetCellDirect(c, Pivot, GetCellDirect(c, ARow));
    SetCellObjectDirect(c, Pivot, GetCellObjectDirect(c, ARow));
  }
}

void TExtStringGrid::QuickSortRows(int Lo, int Hi, int Dir, bool ExchangeEqual,
                                   const std::function<int(int, int)>& Compare) {
  const int pivot = RowCount() - 2;
  // The smaller side recurses and the larger one loops, so the depth stays
  // logarithmic. Each pass leaves Lo..j and i..Hi strictly smaller than
  // Lo..Hi whatever Compare answers.
  while (Lo < Hi) {
    CopyRowToPivot((Lo + Hi) / 2, pivot);
    int i = Lo, j = Hi;
    do {
      while (Compare(pivot, i) == Dir && i < Hi) ++i;
      while (Compare(j, pivot) == Dir && j > Lo) --j;
      if (i <= j) {
        if (i != j && (ExchangeEqual || Compare(i, j) != 0)) ExchangeRows(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - Lo < Hi - i) {
      if (Lo < j) QuickSortRows(Lo, j, Dir, ExchangeEqual, Compare);
      Lo = i;
    } else {
      if (i < Hi) QuickSortRows(i, Hi, Dir, ExchangeEqual, Compare);
      Hi = j;
    }
  }
}

void TExtStringGrid::SortFrame(bool Groups, const std::function<void(int OldRowCount)>& Body) {
  // Column 0 keeps its contents (the row numbers of a fixed column).
  std::vector<std::pair<AnsiString, TObject*>> column0;
  if (sortSettings_->NormalCellsOnly && FixedCols() > 0)
    for (int r = 0; r < RowCount(); ++r) column0.emplace_back(GetCellDirect(0, r), GetCellObjectDirect(0, r));
  BeginUpdate();
  const int oldRows = RowCount();
  const int oldLimit = DisplTextRowLimit();
  const int before = Row();
  const bool moveRow = navigation_->MoveRowOnSort;
  SetRowCount(oldRows + 3);
  // The scratch rows are read raw.
  SetDisplTextRowLimit(oldRows);
  sortRow_ = before;
  if (moveRow) SetRow(oldRows);
  auto dropScratch = [&] {
    for (int r = oldRows; r < oldRows + 3; ++r)
      for (int c = 0; c < StoreColCount(r); ++c) DetachCell(c, r);
  };
  sortLog_.clear();
  sortLogging_ = true;
  try {
    Body(oldRows);
  } catch (...) {
    // Every exchange is its own inverse: undone in reverse order the grid
    // is as it was.
    sortLogging_ = false;
    for (auto it = sortLog_.rbegin(); it != sortLog_.rend(); ++it) ExchangeRows(it->first, it->second);
    sortLog_.clear();
    dropScratch();
    if (Row() != before) SetRow(before);
    SetRowCount(oldRows);
    SetDisplTextRowLimit(oldLimit);
    EndUpdate();
    throw;
  }
  sortLogging_ = false;
  sortLog_.clear();
  dropScratch();
  // The heading shows the sort's column and direction.
  InvalidateRange(
      {0, 0, ColCount() - 1, std::min(RowCount() - 1, std::max(FixedRows() - 1, sortSettings_->Row()))});
  const int target = moveRow || Groups ? sortRow_ : before;
  if (Row() != target) SetRow(target);
  SetRowCount(oldRows);
  SetDisplTextRowLimit(oldLimit);
  for (size_t r = 0; r < column0.size(); ++r) {
    SetCellDirect(0, static_cast<int>(r), column0[r].first);
    SetCellObjectDirect(0, static_cast<int>(r), column0[r].second);
  }
  EndUpdate();
}

void TExtStringGrid::SortRows(int Lo, int Hi, int Dir, bool Indexed) {
  if (sortOnKeys_ && SortRowsOnKeys(Lo, Hi, Dir, Indexed)) return;
  if (Indexed) {
    QuickSortRows(Lo, Hi, 1, true, [&](int a, int b) { return CompareIndexed(0, a, b); });
  } else {
    const int col = sortSettings_->Column;
    QuickSortRows(Lo, Hi, Dir, false, [&](int a, int b) { return CompareFull(col, a, b); });
  }
}

void TExtStringGrid::QSort() {
  sortIndexes_.Clear();
  const int dir = sortSettings_->Direction == sdDescending ? -1 : 1;
  SortFrame(false, [&](int oldRows) { SortRows(FixedRows(), oldRows - 1 - FixedFooters(), dir, false); });
}

void TExtStringGrid::QSortIndexed() {
  if (sortIndexes_.Count() == 0) throw EExtGridError("No indexes specified for indexed sort");
  SortFrame(false, [&](int oldRows) { SortRows(FixedRows(), oldRows - 1 - FixedFooters(), 1, true); });
}

void TExtStringGrid::QSortGroups() {
  const int dir = sortSettings_->Direction == sdDescending ? -1 : 1;
  SortFrame(true, [&](int oldRows) {
    int r = 1;
    for (int k = 0; k < NodeCount(); ++k) {
      if (r >= oldRows || GetCellType(0, r) != ctNode) continue;
      int next = r + 1;
      while (next < oldRows && GetCellType(0, next) != ctNode) ++next;
      if (next - r - 1 >= 2) SortRows(r + 1, next - 1, dir, false);
      r = next;
    }
  });
}

void TExtStringGrid::HeadingClickSort(int ACol, bool Shift) {
  if (ACol < FixedCols() && !sortSettings_->FixedCols) return;
  bool doSort = true;
  if (OnCanSort) OnCanSort(this, ACol, doSort);
  if (!doSort) return;
  HideEditor();
  if (sortSettings_->AutoColumnMerge) SplitAllMerges();
  const int col = RealColIndex(ACol);
  const Cardinal start = GetTickCount();
  if (sortSettings_->IndexShow) {
    const int at = sortIndexes_.FindIndex(col);
    if (!Shift) {
      if (sortIndexes_.Count() == 1 && at == 0) {
        sortIndexes_.ToggleIndex(col);
      } else {
        sortIndexes_.Clear();
        sortIndexes_.AddIndex(col, true);
      }
    } else if (at < 0) {
      sortIndexes_.AddIndex(col, true);
    } else {
      sortIndexes_.ToggleIndex(col);
    }
    QSortIndexed();
  } else {
    if (col != sortSettings_->Column) {
      sortSettings_->Column = col;
      sortSettings_->Direction = sdAscending;
    } else {
      sortSettings_->Direction = sortSettings_->Direction == sdAscending ? sdDescending : sdAscending;
    }
    if (NodeCount() == 0)
      QSort();
    else
      QSortGroups();
  }
  sortTime_ = static_cast<int>(GetTickCount() - start);
  if (sortSettings_->AutoColumnMerge) MergeListedColumns();
  if (OnClickSort) OnClickSort(this, sortSettings_->Column);
}
