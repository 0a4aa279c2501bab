// Copy, cut and paste of cell ranges in three formats side by side: the
// standard text (TAB between cells, CR LF between rows), the grid's own
// cell block (texts, properties and graphics) and the rich text of a cell.
// A smart paste extends a pasted value or series over the selection.

#include <algorithm>

#include "grid/EsgHTMLE.h"
#include "grid/ExtGrid.h"
#include "grid/GridUtil.h"
#include "platform/rtl/ClassesReader.h"
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

UINT RichTextFormat() {
  static const UINT format = RegisterClipboardFormat("Rich Text Format");
  return format;
}

bool HoldsRichText(const AnsiString& S) { return S.find("{\\") != AnsiString::npos; }

}  // namespace

TPoint TextDimensions(const AnsiString& Text) {
  if (Text.empty()) return TPoint{0, 0};
  int cols = 0, rows = 0, tabs = 0;
  for (char c : Text) {
    if (c == '\t') {
      ++tabs;
    } else if (c == '\r') {
      cols = std::max(cols, tabs + 1);
      tabs = 0;
      ++rows;
    }
  }
  // A last line without line break counts.
  if (Text.back() != '\r' && Text.back() != '\n') {
    cols = std::max(cols, tabs + 1);
    ++rows;
  }
  return TPoint{cols, rows};
}

void TExtStringGrid::GetCopyText(int ACol, int ARow, AnsiString& S) {
  S = GetCellText(ACol, ARow);
  bool state = false;
  if (S.empty() && GetCheckBoxState(ACol, ARow, state))
    S = state ? GetCheckTrue(ACol, ARow) : GetCheckFalse(ACol, ARow);
  // Whoever copies through here gets the text without its tags, unless the
  // grid keeps them.
  if (!navigation_->CopyHTMLTagsToClipboard && S.find("</") != AnsiString::npos) S = StripHTML(S);
}

void TExtStringGrid::CopyCellRTF(int ACol, int ARow) {
  const AnsiString text = GetCellText(RealColIndex(ACol), ARow);
  if (HoldsRichText(text)) Clipboard()->SetAsHandle(RichTextFormat(), text + '\0');
}

void TExtStringGrid::CopyRangeCells(const TGridRect& R) { CopyRangeCellsOf(R, false); }

void TExtStringGrid::CopyRangeCellsOf(const TGridRect& R, bool SkipUnselected) {
  TMemoryStream stream;
  SaveCellBlockOf(R, stream, SkipUnselected);
  Clipboard()->SetAsHandle(
      GridCellsClipboardFormat(),
      std::string_view(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size())));
}

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
      const int realCol = RealColIndex(c);
      AnsiString cell;
      GetCopyText(realCol, r, cell);
      cell = CellPlainText(realCol, r, cell);
      if (LineCount(cell, Multilinecells) > 1 && ClipboardQuoteMultiLine) cell = QuoteMultiLine(cell);
      if (!first) text += '\t';
      text += cell;
      first = false;
    }
    if (severalRows) text += "\r\n";
  }
  Clipboard()->SetAsText(text);
  if (navigation_->AllowRTFClipboard) CopyCellRTF(R.Left, R.Top);
  if (navigation_->AllowFmtClipboard) CopyRangeCellsOf(R, SkipUnselected);
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
  pastedBlock_ = TPoint{0, 0};
  if (navigation_->AllowFmtClipboard && Clipboard()->HasFormat(GridCellsClipboardFormat())) {
    const std::string bytes = Clipboard()->GetAsHandle(GridCellsClipboardFormat());
    if (bytes.empty()) return 0;
    TStringStream stream{AnsiString(bytes)};
    const TCellBlockHeader head = LoadCellBlock(TPoint{ACol, ARow}, stream);
    const TPoint at = head.FullGrid ? TPoint{0, 0} : TPoint{ACol, ARow};
    const TGridRect pasted{at.X, at.Y, at.X + head.ColCount - 1, at.Y + head.RowCount - 1};
    const bool ours = head.ID == GridID() && head.Writer == BlockWriter();
    PasteNotify(ours ? copyOrigin_ : TPoint{-1, -1}, pasted, copiedByCopy_);
    CellsChanged(Rect(pasted.Left, pasted.Top, pasted.Right, pasted.Bottom));
    return 0;
  }
  if (navigation_->AllowRTFClipboard && Clipboard()->HasFormat(RichTextFormat())) {
    AnsiString text = Clipboard()->GetAsHandle(RichTextFormat());
    if (const size_t nul = text.find('\0'); nul != AnsiString::npos) text.resize(nul);
    if (CellEditable(RealColIndex(ACol), ARow)) SetCellText(RealColIndex(ACol), ARow, text);
    return 0;
  }
  if (!Clipboard()->HasFormat(CF_TEXT)) return 0;
  return PasteText(ACol, ARow, Clipboard()->AsText());
}

int TExtStringGrid::PasteText(int ACol, int ARow, const AnsiString& Text) {
  if (ACol < 0 || ARow < 0) return 0;
  if (!Options().Contains(goEditing) && !navigation_->AllowClipboardAlways &&
      !mouseActions_->RangeSelectAndEdit)
    return 0;
  // The lines at each CR (a LF after it skipped), then the grid grows once
  // for all of them: the last line is the empty remainder after a final
  // line break, counted but not written.
  struct Line {
    size_t Start, Length;
  };
  std::vector<Line> lines;
  int widest = 0;
  for (size_t pos = 0;;) {
    size_t end = Text.find('\r', pos);
    const bool crEnded = end != AnsiString::npos;
    if (!crEnded) end = Text.size();
    lines.push_back(Line{pos, end - pos});
    widest =
        std::max(widest, static_cast<int>(std::count(Text.begin() + static_cast<std::ptrdiff_t>(pos),
                                                     Text.begin() + static_cast<std::ptrdiff_t>(end), '\t')) +
                             1);
    if (!crEnded) break;
    pos = end + 1;
    if (pos < Text.size() && Text[pos] == '\n') ++pos;
  }
  const bool remainder = lines.back().Length == 0 && lines.size() > 1;
  const int written = static_cast<int>(lines.size()) - (remainder ? 1 : 0);
  // Grown before the bracket, the grid repaints only the rows and columns
  // it gained; within it, all of it. A grid of integral height keeps its
  // height while it grows, as the bracket holds its bounds.
  auto grow = [&] {
    if (navigation_->AllowClipboardColGrow && ACol + widest > ColCount()) SetColCount(ACol + widest);
    if (navigation_->AllowClipboardRowGrow && ARow + written > RowCount()) SetRowCount(ARow + written);
  };
  if (!integralHeight_) grow();
  BeginUpdate();
  if (integralHeight_) grow();
  int count = 0;
  int maxCol = ACol;
  for (size_t k = 0; k < lines.size(); ++k) {
    const int rw = ARow + static_cast<int>(k);
    const AnsiString line = Text.substr(lines[k].Start, lines[k].Length);
    const bool skipLine = remainder && k + 1 == lines.size();
    int c = ACol;
    for (size_t cellStart = 0;;) {
      const size_t tab = line.find('\t', cellStart);
      AnsiString value = line.substr(cellStart, tab == AnsiString::npos ? AnsiString::npos : tab - cellStart);
      if (ClipboardQuoteMultiLine) value = UnquoteMultiLine(value);
      // A text written one past the last column or row waits in the store
      // for the grid to grow.
      if (!skipLine && c <= ColCount() && rw <= RowCount() &&
          (navigation_->AllowClipboardAlways || CellEditable(RealColIndex(c), rw))) {
        bool allow = true;
        if (OnClipboardBeforePasteCell) OnClipboardBeforePasteCell(this, c, rw, value, allow);
        if (allow) SetDisplayCellText(c, rw, value);
      }
      ++count;
      ++c;
      if (!skipLine) maxCol = std::max(maxCol, c);
      if (tab == AnsiString::npos) break;
      cellStart = tab + 1;
    }
  }
  EndUpdate();
  const TGridRect pasted{ACol, ARow, maxCol - 1, ARow + std::max(written, 1) - 1};
  pastedBlock_ = TPoint{pasted.Right - pasted.Left + 1, pasted.Bottom - pasted.Top + 1};
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

void TExtStringGrid::ExtendPastedSeries(const TGridRect& Sel, int Count) {
  const bool oneRow = Sel.Top == Sel.Bottom;
  const bool oneCol = Sel.Left == Sel.Right;
  if (!oneRow && !oneCol) return;
  // Only a selection that reaches past the pasted block along its axis is
  // extended: a series or a repeat inside the block would write over cells
  // just pasted, and a one-cell selection keeps what was pasted as it was.
  const int block = oneRow ? pastedBlock_.X : pastedBlock_.Y;
  const int length = oneRow ? Sel.Right - Sel.Left + 1 : Sel.Bottom - Sel.Top + 1;
  if (block < 1 || length <= block) return;
  const AnsiString first = GetCellText(RealColIndex(Sel.Left), Sel.Top);
  const AnsiString second = oneRow ? GetCellText(RealColIndex(Sel.Left + 1), Sel.Top)
                                   : GetCellText(RealColIndex(Sel.Left), Sel.Top + 1);
  auto eachCell = [&](auto&& write) {
    for (int c = Sel.Left; c <= Sel.Right; ++c)
      for (int r = Sel.Top; r <= Sel.Bottom; ++r) write(RealColIndex(c), r, CellEditable(RealColIndex(c), r));
  };
  auto has = [](const AnsiString& s, char c) { return s.find(c) != AnsiString::npos; };
  auto dateOrTime = [&](const AnsiString& s) { return has(s, DateSeparator) || has(s, TimeSeparator); };
  if (dateOrTime(first) && dateOrTime(second)) {
    // Both look like dates or times: one that is not says so, and nothing
    // past the pasted block changes.
    auto read = [](const AnsiString& s) {
      TDateTime v = 0;
      if (!TryStrToDateTime(s, v) && !TryStrToTime(s, v))
        throw EConvertError("'" + s + "' is not a valid date and time");
      return v;
    };
    const TDateTime d1 = read(first), d2 = read(second);
    Word y1, m1, day1, y2, m2, day2;
    DecodeDate(d1, y1, m1, day1);
    DecodeDate(d2, y2, m2, day2);
    const int dY = y2 - y1, dM = m2 - m1, dD = day2 - day1;
    const bool asDate = has(first, DateSeparator);
    TDateTime value = d1;
    eachCell([&](int c, int r, bool editable) {
      if (editable) SetCellText(c, r, asDate ? DateToStr(value) : TimeToStr(value));
      // By whole years, else months, else days, else the plain difference.
      if (dY != 0)
        value = DateIncrement(dY, 0, 0, 0, value);
      else if (dM != 0)
        value = DateIncrement(0, dM, 0, 0, value);
      else if (dD != 0)
        value = DateIncrement(0, 0, dD, 0, value);
      else
        value += d2 - d1;
    });
    return;
  }
  if (has(first, DecimalSeparator) || has(second, DecimalSeparator)) {
    // A decimal series from something that is no number says so.
    const Extended f1 = StrToFloat(first), f2 = StrToFloat(second);
    const Extended delta = f2 - f1;
    Extended value = f1;
    eachCell([&](int c, int r, bool editable) {
      if (editable) SetCellText(c, r, Format(FloatFormat, {value}));
      value += delta;
    });
    return;
  }
  int i1 = 0, i2 = 0;
  if (TryStrToInt(first, i1) && TryStrToInt(second, i2)) {
    // In 64 bits: a step between two integers does not overflow.
    const Int64 delta = static_cast<Int64>(i2) - i1;
    Int64 value = i1;
    eachCell([&](int c, int r, bool editable) {
      if (editable) SetCellText(c, r, IntToStr(value));
      value += delta;
    });
    return;
  }
  // No series: the pasted block repeats, its period told by the count of
  // cells read (a column's text ends with a line break, so it read one
  // more than its rows). A period that would write over the block's own
  // cells (a column's text without its last line break) is the block's.
  const int period = std::max(oneRow ? Count : Count - 1, block);
  if (oneRow) {
    for (int c = Sel.Left + period; c <= Sel.Right; ++c)
      if (CellEditable(RealColIndex(c), Sel.Top))
        SetCellText(RealColIndex(c), Sel.Top, GetCellText(RealColIndex(c - period), Sel.Top));
  } else {
    const int col = RealColIndex(Sel.Left);
    for (int r = Sel.Top + period; r <= Sel.Bottom; ++r)
      if (CellEditable(col, r)) SetCellText(col, r, GetCellText(col, r - period));
  }
}
