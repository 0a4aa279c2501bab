// Copy, cut and paste of cell ranges. Only the standard text format (TAB
// between cells, CR LF between rows) is exchanged so far: the grid's own
// cell format and rich text are neither offered by a copy nor read by a
// paste yet.

#include <algorithm>

#include "grid/ExtGrid.h"
#include "grid/GridUtil.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"

namespace {

// A pasted cell quoted by a copy that quotes cells of several lines: the
// wrapping quotes go and doubled quotes become single again, so that what
// was copied comes back unchanged.
AnsiString UnquoteMultiLine(AnsiString S) {
  if (S.find('\n') == AnsiString::npos) return S;
  if (S.size() >= 2 && S.front() == '"' && S.back() == '"') {
    AnsiString inner;
    for (size_t i = 1; i + 1 < S.size(); ++i) {
      inner += S[i];
      if (S[i] == '"' && i + 2 < S.size() && S[i + 1] == '"') ++i;
    }
    S = inner;
  } else if (!S.empty() && S.front() == '"') {
    S.erase(0, 1);
  }
  return LFToCRLF(S);
}

}  // namespace

void TExtStringGrid::SetDisplayCellText(int ACol, int ARow, const AnsiString& Value) {
  const int realCol = RealColIndex(ACol);
  SetCellText(realCol, ARow, Value);
  if (realCol != ACol) RepaintCellDispl(ACol, ARow);
}

void TExtStringGrid::CopyRange(const TGridRect& R, bool SkipUnselected) {
  copyOrigin_ = TPoint{R.Left, R.Top};
  const bool disjunctRows = mouseActions_->DisjunctRowSelect();
  const bool disjunctCols = mouseActions_->DisjunctColSelect();
  const bool severalRows = R.Top < R.Bottom;
  AnsiString text;
  for (int r = R.Top; r <= R.Bottom; ++r) {
    if (disjunctRows && SkipUnselected && !disjunctCols && !RowSelect(r)) continue;
    bool first = true;
    for (int c = R.Left; c <= R.Right; ++c) {
      if (disjunctCols && SkipUnselected && !ColSelect(c)) continue;
      AnsiString cell = GetCellText(RealColIndex(c), r);
      if (LineCount(cell, Multilinecells) > 1 && ClipboardQuoteMultiLine) cell = QuoteMultiLine(cell);
      if (!first) text += '\t';
      text += cell;
      first = false;
    }
    if (severalRows) text += "\r\n";
  }
  Clipboard()->SetAsText(text);
}

void TExtStringGrid::CopySelection() {
  if (mouseActions_->DisjunctRowSelect() || mouseActions_->DisjunctColSelect()) {
    TGridRect whole;
    whole.Left = IncludeFixedCells ? 0 : FixedCols();
    whole.Top = IncludeFixedCells ? 0 : FixedRows();
    whole.Right = ColCount() - 1 - (IncludeFixedCells ? 0 : FixedRightCols());
    whole.Bottom = RowCount() - 1 - (IncludeFixedCells ? 0 : FixedFooters());
    CopyRange(whole, true);
  } else {
    CopyRange(Selection(), false);
  }
  copiedByCopy_ = true;
}

void TExtStringGrid::CutSelection() {
  CopySelection();
  if (mouseActions_->DisjunctRowSelect()) {
    for (int r = FixedRows(); r < RowCount(); ++r)
      if (RowSelect(r)) ClearRows(r, 1);
  } else if (mouseActions_->DisjunctColSelect()) {
    for (int c = FixedCols(); c < ColCount(); ++c)
      if (ColSelect(c)) ClearColumns(c, 1);
  } else {
    const TGridRect sel = Selection();
    for (int c = sel.Left; c <= sel.Right; ++c)
      for (int r = sel.Top; r <= sel.Bottom; ++r)
        if (navigation_->AllowClipboardAlways || CellEditable(RealColIndex(c), r))
          SetCellText(RealColIndex(c), r, "");
    if (navigation_->AllowFmtClipboard) ClearPropsRect(sel.Left, sel.Top, sel.Bottom, sel.Right);
  }
  copiedByCopy_ = false;
}

int TExtStringGrid::PasteAt(int ACol, int ARow) {
  if (!Clipboard()->HasFormat(CF_TEXT)) return 0;
  return PasteText(ACol, ARow, Clipboard()->AsText());
}

int TExtStringGrid::PasteText(int ACol, int ARow, const AnsiString& Text) {
  if (ACol < 0 || ARow < 0) return 0;
  if (!Options().Contains(goEditing) && !navigation_->AllowClipboardAlways &&
      !mouseActions_->RangeSelectAndEdit)
    return 0;
  int count = 0;
  int rw = ARow;
  int maxCol = ACol, maxRow = ARow;
  size_t pos = 0;
  while (true) {
    size_t lineEnd = Text.find('\r', pos);
    const bool crEnded = lineEnd != AnsiString::npos;
    if (!crEnded) lineEnd = Text.size();
    const AnsiString line = Text.substr(pos, lineEnd - pos);
    size_t next = crEnded ? lineEnd + 1 : Text.size();
    if (crEnded && next < Text.size() && Text[next] == '\n') ++next;

    int c = ACol;
    size_t cellStart = 0;
    while (true) {
      const size_t tab = line.find('\t', cellStart);
      const bool last = tab == AnsiString::npos;
      AnsiString value = line.substr(cellStart, last ? AnsiString::npos : tab - cellStart);
      if (ClipboardQuoteMultiLine) value = UnquoteMultiLine(value);
      // The empty remainder after a final line break is counted, not written.
      const bool remainder = last && line.empty() && !crEnded;
      if (c <= ColCount() && rw <= RowCount() && !remainder &&
          (navigation_->AllowClipboardAlways || CellEditable(RealColIndex(c), rw))) {
        bool allow = true;
        if (OnClipboardBeforePasteCell) OnClipboardBeforePasteCell(this, c, rw, value, allow);
        if (allow) SetDisplayCellText(c, rw, value);
      }
      ++count;
      ++c;
      // A write at ColCount went to the store's spare column: the grid grows
      // to show it.
      if (c > ColCount() && navigation_->AllowClipboardColGrow) SetColCount(c);
      maxCol = std::max(maxCol, c);
      if (last) break;
      cellStart = tab + 1;
    }
    if (!crEnded) {
      maxRow = std::max(maxRow, rw + 1);
      break;
    }
    const size_t nextLineEnd = std::min(Text.find('\r', next), Text.size());
    const bool nextLineEmpty = nextLineEnd == next;
    if (rw + 1 == RowCount() && !nextLineEmpty && navigation_->AllowClipboardRowGrow)
      SetRowCount(RowCount() + 1);
    ++rw;
    maxRow = std::max(maxRow, rw);
    pos = next;
  }
  TGridRect pasted;
  pasted.Left = ACol;
  pasted.Top = ARow;
  pasted.Right = maxCol - 1;
  pasted.Bottom = maxRow - 1;
  PasteNotify(TPoint{-1, -1}, pasted, copiedByCopy_);
  CellsChanged(Rect(pasted.Left, pasted.Top, pasted.Right, pasted.Bottom));
  return count;
}

void TExtStringGrid::PasteAtSelection() {
  const TGridRect sel = Selection();
  const int count = PasteAt(sel.Left, sel.Top);
  if (!navigation_->AllowSmartClipboard) return;
  const bool oneCell = sel.Left == sel.Right && sel.Top == sel.Bottom;
  if (count == 1 && !oneCell) {
    const AnsiString value = GetCellText(RealColIndex(sel.Left), sel.Top);
    for (int c = sel.Left; c <= sel.Right; ++c)
      for (int r = sel.Top; r <= sel.Bottom; ++r)
        if (CellEditable(RealColIndex(c), r)) SetCellText(RealColIndex(c), r, value);
    return;
  }
  if (count >= 2) ExtendPastedSeries(sel, count);
}

// Date and time series are not extended yet: such a pair is repeated as a
// block like any other text.
void TExtStringGrid::ExtendPastedSeries(const TGridRect& Sel, int Count) {
  const bool oneRow = Sel.Top == Sel.Bottom;
  const bool oneCol = Sel.Left == Sel.Right;
  if (!oneRow && !oneCol) return;
  const AnsiString first = GetCellText(RealColIndex(Sel.Left), Sel.Top);
  const AnsiString second = oneRow ? GetCellText(RealColIndex(Sel.Left + 1), Sel.Top)
                                   : GetCellText(RealColIndex(Sel.Left), Sel.Top + 1);
  auto eachCell = [&](auto&& write) {
    for (int c = Sel.Left; c <= Sel.Right; ++c)
      for (int r = Sel.Top; r <= Sel.Bottom; ++r) write(c, r, CellEditable(RealColIndex(c), r));
  };
  const bool decimals =
      first.find(DecimalSeparator) != AnsiString::npos || second.find(DecimalSeparator) != AnsiString::npos;
  if (!decimals) {
    int i1 = 0, i2 = 0;
    if (TryStrToInt(first, i1) && TryStrToInt(second, i2)) {
      const int delta = i2 - i1;
      int value = i1;
      eachCell([&](int c, int r, bool editable) {
        if (editable) SetCellInteger(RealColIndex(c), r, value);
        value += delta;
      });
      return;
    }
    if (oneRow) {
      for (int c = Sel.Left + Count; c <= Sel.Right; ++c)
        if (CellEditable(RealColIndex(c), Sel.Top))
          SetCellText(RealColIndex(c), Sel.Top, GetCellText(RealColIndex(c - Count), Sel.Top));
    } else {
      const int col = RealColIndex(Sel.Left);
      for (int r = Sel.Top + Count - 1; r <= Sel.Bottom; ++r)
        if (CellEditable(col, r)) SetCellText(col, r, GetCellText(col, r - Count + 1));
    }
    return;
  }
  const Extended f1 = StrToFloat(first), f2 = StrToFloat(second);
  const Extended delta = f2 - f1;
  Extended value = f1;
  eachCell([&](int c, int r, bool editable) {
    if (editable) SetCellText(RealColIndex(c), r, Format(FloatFormat, {value}));
    value += delta;
  });
}
