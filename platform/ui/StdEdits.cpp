#include "platform/ui/StdEdits.h"

#include <algorithm>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/FrameControls.h"
#include "platform/ui/Backend.h"

TEditClipboard& EditClipboard() {
  static TEditClipboard clipboard{[] { return HasBackend() ? Backend().ClipboardText() : AnsiString(); },
                                  [](const AnsiString& text) {
                                    if (HasBackend()) Backend().SetClipboardText(text);
                                  }};
  return clipboard;
}

namespace {
// Text is measured on a small image of its own, so that layout works for
// controls that are not showing.
TCanvas& MeasureCanvas(const TFont& font) {
  static TImageCanvas canvas(1, 1);
  canvas.Font->Assign(font);
  return canvas;
}

constexpr int kMargin = 1;

bool IsWordChar(char ch) { return ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n'; }
}  // namespace

// ---- TCustomEdit ---------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetColor(clWindow);
  SetCursor(crIBeam);
  ControlStyle << csDoubleClicks;
  SetBounds(0, 0, 121, 21);
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  Invalidate();
}

void TCustomEdit::SetPasswordChar(char c) {
  if (c == passwordChar_) return;
  passwordChar_ = c;
  InvalidateLayout();
  Invalidate();
}

void TCustomEdit::SetBorderStyle(TBorderStyle s) {
  if (s == borderStyle_) return;
  borderStyle_ = s;
  InvalidateLayout();
  Invalidate();
}

AnsiString TCustomEdit::DisplayText() const {
  if (passwordChar_ != 0 && !MultiLine()) return AnsiString(Text().size(), passwordChar_);
  return Text();
}

TRect TCustomEdit::InnerRect() const {
  TRect r = ClientRect();
  if (borderStyle_ != bsNone) r = InflateRect(r, -2, -2);
  return r;
}

TRect TCustomEdit::TextArea() const { return InnerRect(); }

TRect TCustomEdit::EditRect() const {
  if (formatRect_) return *formatRect_;
  TRect r = TextArea();
  r.Left += kMargin;
  r.Right -= kMargin;
  if (r.Right < r.Left) r.Right = r.Left;
  return r;
}

int TCustomEdit::LineHeight() const {
  if (!layoutValid_) BuildLayout();
  return lineHeight_;
}

const std::vector<TCustomEdit::TEditLine>& TCustomEdit::Lines() const {
  if (!layoutValid_) BuildLayout();
  return lines_;
}

void TCustomEdit::BuildLayout() const {
  if (layoutTailFrom_ >= 0 && !lines_.empty()) {
    LayOutTail();
  } else {
    const int widest = widestLine_ >= 0 && widestCount_ == lines_.size() ? widestLine_ : -1;
    widestLine_ = -1;
    // The lines laid out before go in as they were: a control that laid
    // out only what an edit changed mends them in place.
    LayoutLines(lines_, lineHeight_);
    if (widest >= 0 && (widestLine_ = WidestAfterEdit(widest)) >= 0) widestCount_ = lines_.size();
  }
  layoutTailFrom_ = -1;
  layoutValid_ = true;
}

void TCustomEdit::LayOutTail() const {
  // The text before LayoutTailFrom is what the lines were laid out for. Its
  // last hard line may go on in what was added, and a break at its very end
  // may pair with one added after it, so that line is laid out again, with
  // everything after it.
  const AnsiString& text = Text();
  size_t from = static_cast<size_t>(layoutTailFrom_);
  while (from > 0 && (text[from - 1] == '\r' || text[from - 1] == '\n')) --from;
  while (from > 0 && text[from - 1] != '\r' && text[from - 1] != '\n') --from;
  const int start = static_cast<int>(from);
  while (!lines_.empty() && lines_.back().Start >= start) lines_.pop_back();
  // The widest line stands as long as every line it was taken from stays.
  if (lines_.size() < widestCount_) widestLine_ = -1;
  LayOutHardLines(lines_, text, start);
}

void TCustomEdit::LayoutLines(std::vector<TEditLine>& lines, int& lineHeight) const {
  lines.clear();
  lineHeight = std::max(1, MeasureCanvas(Font()).GetTextMetrics().tmHeight);
  if (!MultiLine()) {
    lines.push_back({0, static_cast<int>(Text().size())});
    return;
  }
  LayOutHardLines(lines, Text(), 0);
}

void TCustomEdit::LayOutHardLines(std::vector<TEditLine>& lines, const AnsiString& text, int start) const {
  TCanvas& canvas = MeasureCanvas(Font());
  const int n = static_cast<int>(text.size());
  const int width = EditRect().Width();
  while (true) {
    int end = start;
    while (end < n && text[static_cast<size_t>(end)] != '\r' && text[static_cast<size_t>(end)] != '\n') ++end;
    // One hard line [start, end): wrapped into pieces that fit the width.
    if (WrapLines() && end > start && width > 0) {
      const std::vector<int> ends =
          canvas.CharacterEnds(text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
      int piece = start;
      while (piece < end) {
        const int base = piece == start ? 0 : ends[static_cast<size_t>(piece - start - 1)];
        int fit = piece;
        while (fit < end && ends[static_cast<size_t>(fit - start)] - base <= width) ++fit;
        if (fit >= end) {
          lines.push_back({piece, end - piece});
          break;
        }
        // Break after the last blank that fits; a word longer than the
        // line is cut where the line ends. Blanks after it stay on this line.
        int cut = fit;
        while (cut > piece && text[static_cast<size_t>(cut - 1)] != ' ') --cut;
        if (cut == piece) cut = std::max(fit, piece + 1);
        while (cut < end && text[static_cast<size_t>(cut)] == ' ') ++cut;
        lines.push_back({piece, cut - piece});
        piece = cut;
      }
    } else {
      lines.push_back({start, end - start});
    }
    if (end >= n) break;
    start = end + (text[static_cast<size_t>(end)] == '\r' && end + 1 < n &&
                           text[static_cast<size_t>(end) + 1] == '\n'
                       ? 2
                       : 1);
    if (start >= n) {
      lines.push_back({n, 0});  // the empty line after a final break
      break;
    }
  }
}

int TCustomEdit::WidestLine() const {
  const auto& lines = Lines();
  if (widestLine_ >= 0 && widestCount_ == lines.size()) return widestLine_;
  // Lines added at the end since the last measure only widen it.
  size_t from = widestLine_ >= 0 ? widestCount_ : 0;
  int widest = widestLine_ >= 0 ? widestLine_ : 0;
  for (size_t i = from; i < lines.size(); ++i) {
    if (lines[i].Length == 0) continue;
    widest = std::max(widest, LineWidth(static_cast<int>(i)));
  }
  widestLine_ = widest;
  widestCount_ = lines.size();
  return widest;
}

int TCustomEdit::LineWidth(int line) const { return LineEnds(line).back(); }

int TCustomEdit::LineLeft(int line) const {
  if (alignment_ == taLeftJustify || MultiLine()) return 0;
  const TEditLine& l = Lines()[static_cast<size_t>(line)];
  const int room = EditRect().Width() - (l.Length > 0 ? LineWidth(line) : 0);
  if (room <= 0) return 0;
  return alignment_ == taRightJustify ? room : room / 2;
}

void TCustomEdit::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  LayoutMoved();
  Invalidate();
}

int TCustomEdit::LineCount() const { return static_cast<int>(Lines().size()); }

int TCustomEdit::LineFromChar(int index) const {
  const auto& lines = Lines();
  auto it = std::upper_bound(lines.begin(), lines.end(), index,
                             [](int i, const TEditLine& line) { return i < line.Start; });
  return it == lines.begin() ? 0 : static_cast<int>(it - lines.begin()) - 1;
}

int TCustomEdit::LineIndex(int line) const {
  const auto& lines = Lines();
  if (line < 0 || line >= static_cast<int>(lines.size())) return -1;
  return lines[static_cast<size_t>(line)].Start;
}

const std::vector<int>& TCustomEdit::LineEnds(int line) const {
  const TEditLine& l = Lines()[static_cast<size_t>(line)];
  const auto start = static_cast<size_t>(l.Start), length = static_cast<size_t>(l.Length);
  TMeasuredLine& m = measured_;
  // The measuring canvas takes the font at its own resolution.
  const bool sameFont = m.Valid && m.Font == Font() && m.Font.PixelsPerInch == Font().PixelsPerInch;
  if (wideMode_) {
    if (sameFont && m.Wide && wide_.compare(start, length, m.WideText) == 0) return m.Ends;
    m.WideText.assign(wide_, start, length);
    m.Ends = MeasureCanvas(Font()).CharacterEndsW(Drawable(m.WideText));
  } else if (passwordChar_ != 0 && !MultiLine()) {
    if (sameFont && !m.Wide && m.Text.size() == length &&
        std::all_of(m.Text.begin(), m.Text.end(), [&](char c) { return c == passwordChar_; }))
      return m.Ends;
    m.Text.assign(length, passwordChar_);
    m.Ends = MeasureCanvas(Font()).CharacterEnds(m.Text);
  } else {
    // A line of a long text is measured without copying the whole text.
    if (sameFont && !m.Wide && Text().compare(start, length, m.Text) == 0) return m.Ends;
    m.Text.assign(Text(), start, length);
    m.Ends = MeasureCanvas(Font()).CharacterEnds(m.Text);
  }
  m.Wide = wideMode_;
  m.Font = Font();
  m.Valid = true;
  return m.Ends;
}

int TCustomEdit::XOfChar(int line, int index) const {
  const TEditLine& l = Lines()[static_cast<size_t>(line)];
  const int offset = std::clamp(index - l.Start, 0, l.Length);
  if (offset == 0) return LineLeft(line);
  return LineLeft(line) + LineEnds(line)[static_cast<size_t>(offset - 1)];
}

TPoint TCustomEdit::PosFromChar(int index) const {
  index = std::clamp(index, 0, static_cast<int>(Text().size()));
  const TRect r = EditRect();
  // The start needs no layout: a focused control whose text a program
  // rewrites line by line puts its caret there after every line.
  if (index == 0)
    return Point(r.Left - scrollX_ +
                     ((layoutValid_ && !lines_.empty()) || alignment_ != taLeftJustify ? LineLeft(0) : 0),
                 r.Top - (topLine_ == 0 ? 0 : LineTop(topLine_)));
  const int line = LineFromChar(index);
  return Point(r.Left + XOfChar(line, index) - scrollX_, LineY(line));
}

int TCustomEdit::CharFromPos(TPoint p) const {
  const TRect r = EditRect();
  const int count = LineCount();
  const int line =
      std::clamp(p.Y < r.Top ? topLine_ - 1 : LineAtY(p.Y - r.Top + LineTop(topLine_)), 0, count - 1);
  const TEditLine& l = Lines()[static_cast<size_t>(line)];
  const int x = p.X - r.Left + scrollX_ - LineLeft(line);
  const std::vector<int>& ends = LineEnds(line);
  // The boundary nearest X.
  int prev = 0;
  for (int i = 0; i < l.Length; ++i) {
    const int next = ends[static_cast<size_t>(i)];
    if (x < (prev + next + 1) / 2) return l.Start + i;
    prev = next;
  }
  // A wrapped line ends before its trailing blank's successor.
  const bool wrapped = line + 1 < count && Lines()[static_cast<size_t>(line) + 1].Start == l.Start + l.Length;
  return l.Start + l.Length - (wrapped && l.Length > 0 ? 1 : 0);
}

int TCustomEdit::LineAtY(int y) const {
  if (y < 0) return -1;
  return std::min(y / LineHeight(), std::max(0, LineCount() - 1));
}

int TCustomEdit::VisibleLineCount() const {
  const int height = EditRect().Height();
  const int count = LineCount();
  // The lines from the top one that show whole; below the last line,
  // lines as high as the last one's.
  const int top = LineTop(topLine_);
  int n = 0;
  while (topLine_ + n < count && LineTop(topLine_ + n) + LineHeightAt(topLine_ + n) - top <= height) ++n;
  if (topLine_ + n >= count) {
    const int lh = std::max(1, LineHeightAt(std::max(0, count - 1)));
    const int used = count > 0 ? LineTop(count - 1) + LineHeightAt(count - 1) - top : 0;
    n += std::max(0, height - used) / lh;
  }
  return std::max(1, n);
}

void TCustomEdit::SetTopLine(int line) {
  line = std::clamp(line, 0, std::max(0, LineCount() - 1));
  if (line == topLine_) return;
  topLine_ = line;
  LayoutMoved();
  Invalidate();
}

bool TCustomEdit::CaretShowsUnscrolled() const {
  if (caret_ != 0 || topLine_ != 0 || scrollX_ != 0) return false;
  // The first line starts the text at the top; wrapped, it starts at the
  // left edge; an empty one-line text on the left starts there too, inside
  // any room there is.
  if (WrapLines()) return true;
  return !MultiLine() && alignment_ == taLeftJustify && Text().empty() && EditRect().Width() > 0;
}

void TCustomEdit::ScrollCaretIntoView() {
  // A control made and sized before its text is put in, as every editor
  // and a report's hidden rich text are, has nothing to scroll and lays
  // nothing out for it.
  if (CaretShowsUnscrolled()) return LayoutMoved();
  PlaceCaretInView();
}

void TCustomEdit::PlaceCaretInView() {
  const int line = LineFromChar(caret_);
  const int height = EditRect().Height();
  int top = topLine_;
  if (line < top) top = line;
  // The caret's line shows whole, or at the top when it is taller than
  // the control.
  const int bottom = LineTop(line) + LineHeightAt(line);
  if (line > top && bottom - LineTop(top) > height) {
    top = std::max(top, LineAtY(bottom - height));
    if (top < line && bottom - LineTop(top) > height) ++top;
    top = std::min(top, line);
  }
  top = std::clamp(top, 0, std::max(0, LineCount() - 1));
  const int width = EditRect().Width();
  int sx = scrollX_;
  if (!WrapLines()) {
    const int x = XOfChar(line, caret_);
    if (x - sx < 0) sx = std::max(0, x - width / 4);
    if (x - sx > width - 1) sx = x - width + 1 + width / 4;
    // A line that fits shows from its start.
    const TEditLine& l = Lines()[static_cast<size_t>(line)];
    if (XOfChar(line, l.Start + l.Length) <= width - 1) sx = 0;
  } else {
    sx = 0;
  }
  if (top != topLine_ || sx != scrollX_) {
    topLine_ = top;
    scrollX_ = sx;
    Invalidate();
  }
  LayoutMoved();
}

void TCustomEdit::TextReplaced() {
  const int n = static_cast<int>(Text().size());
  anchor_ = std::min(anchor_, n);
  caret_ = std::min(caret_, n);
  // Text added at the end keeps the lines laid out before it.
  const bool kept = layoutValid_ || layoutTailFrom_ >= 0;
  if (appendedFrom_ < 0 || !kept || !MultiLine() || wideMode_ || !LaysOutHardLines())
    return InvalidateLayout();
  if (layoutValid_) layoutTailFrom_ = appendedFrom_;
  layoutValid_ = false;
}

void TCustomEdit::AppendEditText(const AnsiString& tail) {
  if (tail.empty()) return;
  appendedFrom_ = static_cast<int>(Text().size());
  try {
    AppendText(tail);
  } catch (...) {
    appendedFrom_ = -1;
    throw;
  }
  appendedFrom_ = -1;
}

// ---- selection ----

void TCustomEdit::SetSelection(int anchor, int caret) {
  const int n = static_cast<int>(Text().size());
  anchor = std::clamp(anchor, 0, n);
  caret = std::clamp(caret, 0, n);
  if (anchor == anchor_ && caret == caret_) return;
  const int oldStart = SelStart(), oldEnd = SelStart() + SelLength();
  anchor_ = anchor;
  caret_ = caret;
  const int newStart = SelStart(), newEnd = SelStart() + SelLength();
  ScrollCaretIntoView();
  if (!MultiLine()) return Invalidate();
  // Only the lines whose highlight changed are drawn again: the caret is
  // drawn apart, so moving it over unselected text repaints nothing.
  if (oldStart == oldEnd && newStart == newEnd) return;
  if (oldStart == oldEnd || newStart == newEnd || oldEnd < newStart || newEnd < oldStart) {
    if (oldStart < oldEnd) InvalidateChars(oldStart, oldEnd);
    if (newStart < newEnd) InvalidateChars(newStart, newEnd);
    return;
  }
  if (oldStart != newStart) InvalidateChars(std::min(oldStart, newStart), std::max(oldStart, newStart));
  if (oldEnd != newEnd) InvalidateChars(std::min(oldEnd, newEnd), std::max(oldEnd, newEnd));
}

void TCustomEdit::InvalidateChars(int start, int end) {
  const int first = LineFromChar(start), last = LineFromChar(end);
  const TRect area = TextArea();
  const int top = std::max(area.Top, LineY(first));
  const int bottom = std::min(area.Bottom, LineY(last) + LineHeightAt(last));
  if (bottom > top) InvalidateRect(Rect(area.Left, top, area.Right, bottom));
}

void TCustomEdit::MoveCaret(int pos, bool extend) { SetSelection(extend ? anchor_ : pos, pos); }

void TCustomEdit::SetSelStart(int v) { SetSelection(v, v); }

void TCustomEdit::SetSelLength(int v) { SetSelection(SelStart(), SelStart() + std::max(0, v)); }

AnsiString TCustomEdit::SelText() const {
  return Text().substr(static_cast<size_t>(SelStart()), static_cast<size_t>(SelLength()));
}

void TCustomEdit::SetSelText(const AnsiString& s) {
  SaveUndo();
  ReplaceRange(SelStart(), SelStart() + SelLength(), s, SelStart() + static_cast<int>(s.size()));
}

void TCustomEdit::SelectAll() { SetSelection(0, static_cast<int>(Text().size())); }

void TCustomEdit::ClearSelection() {
  if (SelLength() > 0) SetSelText("");
}

void TCustomEdit::Clear() {
  TControl::SetText("");
  Modified = false;
}

void TCustomEdit::SaveUndo() {
  undoStart_ = undoLength_ = 0;
  undoPiece_.clear();
  undoWidePiece_.clear();
  undoWide_ = wideMode_;
  undoAnchor_ = anchor_;
  undoCaret_ = caret_;
  hasUndo_ = true;
}

void TCustomEdit::NoteUndoReplace(int start, int end, int inserted) {
  const AnsiString& text = Text();
  const int n = static_cast<int>(text.size());
  start = std::clamp(start, 0, n);
  end = std::clamp(end, start, n);
  const bool empty = undoLength_ == 0 && undoPiece_.empty();
  const int keptEnd = undoStart_ + undoLength_;
  // The record grows to cover both its own range and the new one; what
  // lies between them is still as it was.
  const int from = empty ? start : std::min(start, undoStart_);
  const int to = empty ? end : std::max(end, keptEnd);
  const auto take = [&](auto& piece, const auto& now) {
    using Piece = std::remove_cvref_t<decltype(piece)>;
    if (empty) {
      piece = now.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
      return;
    }
    Piece widened = now.substr(static_cast<size_t>(from), static_cast<size_t>(undoStart_ - from));
    widened += piece;
    widened += now.substr(static_cast<size_t>(keptEnd), static_cast<size_t>(to - keptEnd));
    piece = std::move(widened);
  };
  take(undoPiece_, text);
  if (undoWide_ && wideMode_ && wide_.size() == text.size())
    take(undoWidePiece_, wide_);
  else
    undoWide_ = false;
  undoStart_ = from;
  undoLength_ = (to - from) - (end - start) + inserted;
}

void TCustomEdit::Undo() {
  if (!hasUndo_) return;
  const AnsiString& text = Text();
  const int n = static_cast<int>(text.size());
  const int start = std::clamp(undoStart_, 0, n);
  const int length = std::clamp(undoLength_, 0, n - start);
  const int anchor = undoAnchor_, caret = undoCaret_;
  // The record turns round, for a second Undo to take the first back.
  AnsiString piece =
      std::exchange(undoPiece_, text.substr(static_cast<size_t>(start), static_cast<size_t>(length)));
  const bool wide = undoWide_ && wideMode_ && wide_.size() == text.size();
  WideString widePiece = std::move(undoWidePiece_);
  if (wide) undoWidePiece_ = wide_.substr(static_cast<size_t>(start), static_cast<size_t>(length));
  undoWide_ = wide;
  undoStart_ = start;
  undoLength_ = static_cast<int>(piece.size());
  undoAnchor_ = anchor_;
  undoCaret_ = caret_;
  hasUndo_ = true;
  if (wideMode_) {
    if (wide)
      wide_.replace(static_cast<size_t>(start), static_cast<size_t>(length), widePiece);
    else
      wide_ = cp1253::ToWide(text.substr(0, static_cast<size_t>(start)) + piece +
                             text.substr(static_cast<size_t>(start + length)));
  }
  settingText_ = true;
  try {
    TControl::ReplaceText(static_cast<size_t>(start), static_cast<size_t>(length), piece);
  } catch (...) {
    settingText_ = false;
    throw;
  }
  settingText_ = false;
  TextReplaced();
  SetSelection(anchor, caret);
  Modified = true;
}

void TCustomEdit::ReplaceRange(int start, int end, const AnsiString& s, int newCaret) {
  if (hasUndo_) NoteUndoReplace(start, end, static_cast<int>(s.size()));
  RangeReplacing(start, end, s);
  if (wideMode_) {
    const WideString piece =
        pendingWide_ && pendingWide_->size() == s.size() ? *pendingWide_ : cp1253::ToWide(s);
    wide_.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), piece);
  }
  const int length = static_cast<int>(Text().size()) - (end - start) + static_cast<int>(s.size());
  settingText_ = replacing_ = true;
  try {
    anchor_ = caret_ = std::min(newCaret, length);
    TControl::ReplaceText(static_cast<size_t>(start), static_cast<size_t>(end - start), s);
  } catch (...) {
    settingText_ = replacing_ = false;
    throw;
  }
  settingText_ = replacing_ = false;
  InvalidateLayout();
  ScrollCaretIntoView();
  InvalidateEdited(start);
}

bool TCustomEdit::UserReplace(const AnsiString& s) {
  if (readOnly_) {
    MessageBeep(0);
    return false;
  }
  AnsiString piece = s;
  if (maxLength_ > 0) {
    const int room = maxLength_ - (static_cast<int>(Text().size()) - SelLength());
    if (room < static_cast<int>(piece.size())) {
      // A CR LF pair is never split by the limit.
      int keep = std::max(0, room);
      if (keep > 0 && piece[static_cast<size_t>(keep) - 1] == '\r') --keep;
      piece.resize(static_cast<size_t>(keep));
      if (piece.empty() && !s.empty() && SelLength() == 0) {
        MessageBeep(0);
        return false;
      }
    }
  }
  SaveUndo();
  // Set before the change is told, as the system's edit does.
  Modified = true;
  ReplaceRange(SelStart(), SelStart() + SelLength(), piece, SelStart() + static_cast<int>(piece.size()));
  return true;
}

void TCustomEdit::CopyToClipboard() {
  if (passwordChar_ != 0 || SelLength() == 0) return;
  if (EditClipboard().SetText) EditClipboard().SetText(SelText());
}

void TCustomEdit::CutToClipboard() {
  if (passwordChar_ != 0 || SelLength() == 0 || readOnly_) return;
  CopyToClipboard();
  UserReplace("");
}

void TCustomEdit::PasteFromClipboard() {
  if (!EditClipboard().GetText) return;
  AnsiString text = EditClipboard().GetText();
  if (!MultiLine()) {
    // One line: the text up to the first line break.
    const auto br = text.find_first_of("\r\n");
    if (br != AnsiString::npos) text.resize(br);
  }
  UserReplace(text);
}

int TCustomEdit::WordStart(int pos) const {
  const AnsiString& t = Text();
  while (pos > 0 && !IsWordChar(t[static_cast<size_t>(pos) - 1])) --pos;
  while (pos > 0 && IsWordChar(t[static_cast<size_t>(pos) - 1])) --pos;
  return pos;
}

int TCustomEdit::WordEnd(int pos) const {
  const AnsiString& t = Text();
  const int n = static_cast<int>(t.size());
  while (pos < n && IsWordChar(t[static_cast<size_t>(pos)])) ++pos;
  while (pos < n && !IsWordChar(t[static_cast<size_t>(pos)])) ++pos;
  return pos;
}

// ---- keys ----

namespace {
// The length of the line break at Pos (CR LF counts as one step), or 1.
int StepForward(const AnsiString& t, int pos) {
  if (pos + 1 < static_cast<int>(t.size()) && t[static_cast<size_t>(pos)] == '\r' &&
      t[static_cast<size_t>(pos) + 1] == '\n')
    return 2;
  return 1;
}
int StepBack(const AnsiString& t, int pos) {
  if (pos >= 2 && t[static_cast<size_t>(pos) - 1] == '\n' && t[static_cast<size_t>(pos) - 2] == '\r')
    return 2;
  return 1;
}
}  // namespace

bool TCustomEdit::EditKey(Word key, TShiftState shift) {
  const bool extend = shift.Contains(ssShift);
  const bool ctrl = shift.Contains(ssCtrl);
  const AnsiString& t = Text();
  const int n = static_cast<int>(t.size());
  const int line = LineFromChar(caret_);
  if (key != VK_UP && key != VK_DOWN && key != VK_PRIOR && key != VK_NEXT) goalX_ = -1;
  switch (key) {
    case VK_LEFT:
      if (!extend && SelLength() > 0)
        MoveCaret(SelStart(), false);
      else
        MoveCaret(ctrl ? WordStart(caret_) : std::max(0, caret_ - (caret_ > 0 ? StepBack(t, caret_) : 0)),
                  extend);
      return true;
    case VK_RIGHT:
      if (!extend && SelLength() > 0)
        MoveCaret(SelStart() + SelLength(), false);
      else
        MoveCaret(ctrl ? WordEnd(caret_) : std::min(n, caret_ + (caret_ < n ? StepForward(t, caret_) : 0)),
                  extend);
      return true;
    case VK_HOME:
      MoveCaret(ctrl || !MultiLine() ? 0 : LineIndex(line), extend);
      return true;
    case VK_END:
      if (ctrl || !MultiLine()) {
        MoveCaret(n, extend);
      } else {
        const TEditLine& l = Lines()[static_cast<size_t>(line)];
        const bool wrapped =
            line + 1 < LineCount() && Lines()[static_cast<size_t>(line) + 1].Start == l.Start + l.Length;
        MoveCaret(l.Start + l.Length - (wrapped ? 1 : 0), extend);
      }
      return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      if (!MultiLine()) return false;
      if (goalX_ < 0) goalX_ = PosFromChar(caret_).X;
      const int step = key == VK_UP || key == VK_DOWN ? 1 : std::max(1, VisibleLineCount() - 1);
      const int target =
          std::clamp(line + ((key == VK_UP || key == VK_PRIOR) ? -step : step), 0, LineCount() - 1);
      if (key == VK_PRIOR || key == VK_NEXT) SetTopLine(topLine_ + (target - line));
      const int goal = goalX_;
      const int y = LineY(target) + LineHeightAt(target) / 2;
      MoveCaret(CharFromPos(Point(goal, y)), extend);
      goalX_ = goal;
      return true;
    }
    case VK_DELETE:
      if (extend) {
        CutToClipboard();
      } else if (SelLength() > 0) {
        UserReplace("");
      } else if (caret_ < n) {
        SetSelection(caret_, caret_ + StepForward(t, caret_));
        UserReplace("");
      }
      return true;
    case VK_INSERT:
      if (ctrl) CopyToClipboard();
      if (extend) PasteFromClipboard();
      return ctrl || extend;
    default:
      return false;
  }
}

bool TCustomEdit::EditChar(char ch) {
  switch (ch) {
    case '\b':
      if (SelLength() == 0 && caret_ > 0) SetSelection(caret_ - StepBack(Text(), caret_), caret_);
      if (SelLength() > 0) UserReplace("");
      return true;
    case 0x03:
      CopyToClipboard();
      return true;
    case 0x16:
      PasteFromClipboard();
      return true;
    case 0x18:
      CutToClipboard();
      return true;
    case 0x1A:
      if (!readOnly_) Undo();
      return true;
    case '\n':
      // Ctrl+Enter: a line break in a control of several lines, whether or
      // not it takes Enter itself.
      if (!MultiLine()) return false;
      UserReplace("\r\n");
      return true;
    default:
      break;
  }
  if (static_cast<unsigned char>(ch) < ' ' || ch == 0x7F) return false;
  UserReplace(AnsiString(1, ch));
  return true;
}

// ---- messages ----

void TCustomEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
      return;
    case WM_SETTEXT:
      TControl::SetText(m.LParam ? reinterpret_cast<const char*>(m.LParam) : "");
      m.Result = 1;
      return;
    case CM_TEXTCHANGED:
      if (wideMode_ && !settingText_ && WideBytes(wide_) != Text()) wide_ = cp1253::ToWide(Text());
      if (!settingText_) {
        // Set by the program: the caret goes to the start, as the system's
        // edit does on WM_SETTEXT.
        anchor_ = caret_ = 0;
        scrollX_ = 0;
        topLine_ = 0;
        hasUndo_ = false;
      }
      TextReplaced();
      LayoutMoved();
      Change();
      // An edit repaints what it changed itself.
      if (!replacing_) Invalidate();
      return;
    case CM_FONTCHANGED:
      InvalidateLayout();
      LayoutMoved();
      if (Focused()) CreateEditCaret();
      break;
    case WM_SETFOCUS:
      CreateEditCaret();
      Invalidate();
      break;
    case WM_KILLFOCUS:
      DestroyCaret();
      Invalidate();
      break;
    case WM_CUT:
      CutToClipboard();
      return;
    case WM_COPY:
      CopyToClipboard();
      return;
    case WM_PASTE:
      PasteFromClipboard();
      return;
    case WM_CLEAR:
      if (!readOnly_ && SelLength() > 0) UserReplace("");
      return;
    case WM_UNDO:
    case EM_UNDO:
      m.Result = hasUndo_ ? 1 : 0;
      Undo();
      return;
    case EM_CANUNDO:
      m.Result = hasUndo_ ? 1 : 0;
      return;
    case EM_EMPTYUNDOBUFFER:
      hasUndo_ = false;
      return;
    case EM_GETSEL: {
      const int start = SelStart(), end = SelStart() + SelLength();
      if (m.WParam) *reinterpret_cast<DWORD*>(m.WParam) = static_cast<DWORD>(start);
      if (m.LParam) *reinterpret_cast<DWORD*>(m.LParam) = static_cast<DWORD>(end);
      m.Result = MAKELPARAM(std::min(start, 0xFFFF), std::min(end, 0xFFFF));
      return;
    }
    case EM_SETSEL: {
      const int n = static_cast<int>(Text().size());
      int start = static_cast<int>(static_cast<std::intptr_t>(m.WParam));
      int end = static_cast<int>(m.LParam);
      if (start == -1) {
        SetSelection(caret_, caret_);  // -1 removes the selection
        return;
      }
      if (end < 0) end = n;
      SetSelection(start, end);
      return;
    }
    case EM_GETRECT:
      if (m.LParam) *reinterpret_cast<TRect*>(m.LParam) = EditRect();
      return;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (m.LParam)
        formatRect_ = *reinterpret_cast<const TRect*>(m.LParam);
      else
        formatRect_.reset();
      InvalidateLayout();
      ScrollCaretIntoView();
      if (m.Msg == EM_SETRECT) Invalidate();
      return;
    case EM_SCROLLCARET:
      ScrollCaretIntoView();
      return;
    case EM_GETMODIFY:
      m.Result = Modified ? 1 : 0;
      return;
    case EM_SETMODIFY:
      Modified = m.WParam != 0;
      return;
    case EM_GETLINECOUNT:
      m.Result = LineCount();
      return;
    case EM_LINEINDEX:
      m.Result = LineIndex(static_cast<int>(static_cast<std::intptr_t>(m.WParam)) == -1
                               ? LineFromChar(caret_)
                               : static_cast<int>(static_cast<std::intptr_t>(m.WParam)));
      return;
    case EM_LINELENGTH: {
      const int index = static_cast<int>(static_cast<std::intptr_t>(m.WParam));
      m.Result = index < 0 ? 0 : Lines()[static_cast<size_t>(LineFromChar(index))].Length;
      return;
    }
    case EM_LINEFROMCHAR: {
      const int index = static_cast<int>(static_cast<std::intptr_t>(m.WParam));
      m.Result = LineFromChar(index < 0 ? SelStart() : index);
      return;
    }
    case EM_POSFROMCHAR: {
      const int index = static_cast<int>(static_cast<std::intptr_t>(m.WParam));
      if (index < 0 || index > static_cast<int>(Text().size())) {
        m.Result = -1;
        return;
      }
      const TPoint p = PosFromChar(index);
      m.Result = MAKELPARAM(p.X, p.Y);
      return;
    }
    case EM_CHARFROMPOS: {
      const int index = CharFromPos(Point(MsgX(m), MsgY(m)));
      m.Result = MAKELPARAM(index, LineFromChar(index));
      return;
    }
    case EM_REPLACESEL: {
      const AnsiString s = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
      if (m.WParam) SaveUndo();
      ReplaceRange(SelStart(), SelStart() + SelLength(), s, SelStart() + static_cast<int>(s.size()));
      return;
    }
    case EM_LIMITTEXT:
      SetMaxLength(static_cast<int>(m.WParam));
      return;
    case EM_SETPASSWORDCHAR:
      SetPasswordChar(static_cast<char>(m.WParam));
      return;
    case EM_SETREADONLY:
      SetReadOnly(m.WParam != 0);
      m.Result = 1;
      return;
    case EM_GETFIRSTVISIBLELINE:
      m.Result = topLine_;
      return;
    default:
      break;
  }
  TCustomControl::Dispatch(m);
}

void TCustomEdit::DefaultHandler(TMessage& m) {
  if (m.Msg == WM_KEYDOWN && Enabled()) {
    if (EditKey(MsgCharCode(m), KeyDataToShiftState(m.LParam))) return;
  } else if (m.Msg == WM_CHAR && Enabled()) {
    const auto byte = static_cast<unsigned char>(m.WParam & 0xFF);
    if (wideMode_ && (m.WParam > 0xFF || (byte >= ' ' && byte != 0x7F))) {
      const WideString unit(1, m.WParam > 0xFF ? static_cast<char16_t>(m.WParam) : cp1253::ToUnicode(byte));
      pendingWide_ = &unit;
      try {
        UserReplace(WideBytes(unit));
      } catch (...) {
        pendingWide_ = nullptr;
        throw;
      }
      pendingWide_ = nullptr;
      return;
    }
    if (EditChar(static_cast<char>(m.WParam & 0xFF))) return;
  }
  TCustomControl::DefaultHandler(m);
}

AnsiString TCustomEdit::WideBytes(const WideString& w) {
  AnsiString bytes(w.size(), '?');
  for (size_t i = 0; i < w.size(); ++i) {
    const int b = cp1253::FromUnicode(w[i]);
    if (b >= 0) bytes[i] = static_cast<char>(b);
  }
  return bytes;
}

WideString TCustomEdit::Drawable(WideString w) {
  // Half a surrogate pair has no glyph: it shows as the replacement
  // character, keeping one place per code unit.
  for (size_t i = 0; i < w.size(); ++i) {
    const bool high = w[i] >= 0xD800 && w[i] <= 0xDBFF, low = w[i] >= 0xDC00 && w[i] <= 0xDFFF;
    if (high && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF)
      ++i;
    else if (high || low)
      w[i] = 0xFFFD;
  }
  return w;
}

void TCustomEdit::SetWideMode(bool v) {
  if (v == wideMode_) return;
  wideMode_ = v;
  wide_ = v ? cp1253::ToWide(Text()) : WideString();
  InvalidateLayout();
  Invalidate();
}

void TCustomEdit::SetWideText(const WideString& w) {
  if (!wideMode_) {
    TControl::SetText(cp1253::FromWide(w));
    return;
  }
  wide_ = w;
  // Set by the program: nothing to undo, as with SetText.
  hasUndo_ = false;
  TControl::SetText(WideBytes(w));
  // The same bytes set again change nothing, yet the wide text did.
  InvalidateLayout();
  Invalidate();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::DoEnter() {
  if (AutoSelect && !MultiLine() && !ControlState.Contains(csLButtonDown)) SelectAll();
  TCustomControl::DoEnter();
}

void TCustomEdit::DoExit() { TCustomControl::DoExit(); }

void TCustomEdit::BoundsChanged() {
  InvalidateLayout();
  TCustomControl::BoundsChanged();
  // A text scrolled for a narrower control (an editor sized after its text
  // was put in) shows again from as near its start as the caret allows.
  ScrollCaretIntoView();
  SyncCaret();
}

void TCustomEdit::LayoutMoved() {
  LayoutChanged();
  SyncCaret();
}

void TCustomEdit::CreateEditCaret() {
  if (!HandleAllocated()) return;
  caretHeight_ = LineHeightAt(MultiLine() ? LineFromChar(caret_) : 0);
  CreateCaret(Handle(), nullptr, 1, caretHeight_);
  SyncCaret();
  ShowCaret(Handle());
}

void TCustomEdit::SyncCaret() {
  if (!HandleAllocated() || !Focused()) return;
  // The caret is as high as the line it stands in.
  if (MultiLine() && caretHeight_ > 0) {
    const int height = LineHeightAt(LineFromChar(caret_));
    if (height != caretHeight_) {
      caretHeight_ = height;
      CreateCaret(Handle(), nullptr, 1, height);
      ShowCaret(Handle());
    }
  }
  const TPoint p = PosFromChar(caret_);
  SetCaretPos(p.X, p.Y);
}

// ---- mouse ----

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    // The click places the caret; AutoSelect does not take it over.
    ControlState << csLButtonDown;
    if (!Focused() && CanFocus()) SetFocus();
    ControlState >> csLButtonDown;
    if (!Shift.Contains(ssDouble)) {
      MoveCaret(CharFromPos(Point(X, Y)), Shift.Contains(ssShift));
      selecting_ = true;
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomEdit::MouseMove(TShiftState Shift, int X, int Y) {
  if (selecting_ && Shift.Contains(ssLeft)) MoveCaret(CharFromPos(Point(X, Y)), true);
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) selecting_ = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomEdit::DblClick() {
  // The word under the caret.
  const AnsiString& t = Text();
  int start = caret_, end = caret_;
  while (start > 0 && IsWordChar(t[static_cast<size_t>(start) - 1])) --start;
  while (end < static_cast<int>(t.size()) && IsWordChar(t[static_cast<size_t>(end)])) ++end;
  SetSelection(start, end);
  selecting_ = false;
  TCustomControl::DblClick();
}

// ---- painting ----

void TCustomEdit::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  if (borderStyle_ != bsNone) DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  c.Brush->Style = bsSolid;
  c.Brush->Color = Color();
  c.FillRect(r);

  const TRect area = IntersectRect(TextArea(), EditRect());
  const int saved = c.SaveDC();
  c.IntersectClipRect(area);
  PaintLines(c);
  c.RestoreDC(saved);
}

void TCustomEdit::PaintLines(TCanvas& c) {
  c.Font->Assign(Font());
  if (!Enabled()) c.Font->Color = clGrayText;
  const TColor textColor = c.Font->Color;
  const AnsiString text = DisplayText();
  const TRect er = EditRect();
  const int lh = LineHeight();
  const bool showSelection = SelLength() > 0 && (Focused() || !HideSelection);
  const int selStart = SelStart(), selEnd = SelStart() + SelLength();
  const auto& lines = Lines();
  const int last = std::min(static_cast<int>(lines.size()), topLine_ + VisibleLineCount() + 1);
  for (int i = topLine_; i < last; ++i) {
    const TEditLine& l = lines[static_cast<size_t>(i)];
    const int y = er.Top + (i - topLine_) * lh;
    const int x = er.Left - scrollX_;
    c.Brush->Style = bsClear;
    c.Font->Color = textColor;
    auto draw = [&](int at, int from, int count) {
      if (wideMode_)
        c.ExtTextOutW(at, y, 0, nullptr,
                      Drawable(wide_.substr(static_cast<size_t>(from), static_cast<size_t>(count))));
      else
        c.TextOut(at, y, text.substr(static_cast<size_t>(from), static_cast<size_t>(count)));
    };
    draw(x + LineLeft(i), l.Start, l.Length);
    if (!showSelection) continue;
    const int from = std::max(selStart, l.Start), to = std::min(selEnd, l.Start + l.Length);
    if (from >= to) continue;
    const int x1 = XOfChar(i, from), x2 = XOfChar(i, to);
    c.Brush->Style = bsSolid;
    c.Brush->Color = Focused() ? clHighlight : clBtnFace;
    c.FillRect(Rect(x + x1, y, x + x2, y + lh));
    c.Brush->Style = bsClear;
    c.Font->Color = Focused() ? clHighlightText : textColor;
    draw(x + x1, from, to - from);
  }
}

// ---- TCustomMaskEdit ----------------------------------------------------------------

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const AnsiString& mask) {
  const AnsiString value = Text();
  mask_ = TEditMask(mask);
  if (IsMasked()) SetMaxLength(mask_.Length());
  SetText(value);
}

void TCustomMaskEdit::SetEditText(const AnsiString& s) {
  if (!IsMasked()) {
    TControl::SetText(s);
    return;
  }
  // Fitted place by place to the mask.
  AnsiString edit = mask_.EmptyText();
  for (int i = 0; i < mask_.Length() && static_cast<size_t>(i) < s.size(); ++i) {
    if (mask_.IsLiteral(i)) continue;
    if (const char ch = mask_.Accept(i, s[static_cast<size_t>(i)])) edit[static_cast<size_t>(i)] = ch;
  }
  TControl::SetText(edit);
}

AnsiString TCustomMaskEdit::Text() const { return mask_.TextOf(EditText()); }

void TCustomMaskEdit::SetText(const AnsiString& value) {
  if (!IsMasked()) {
    TControl::SetText(value);
    return;
  }
  TControl::SetText(mask_.EditTextOf(value));
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || EditText() == mask_.EmptyText()) return;
  const int missing = mask_.FirstMissing(EditText());
  if (missing < 0) return;
  SetSelection(missing, missing);
  throw EDBEditError("Invalid input value. Use escape key to abandon changes");
}

void TCustomMaskEdit::DoEnter() {
  enterText_ = EditText();
  TCustomEdit::DoEnter();
  if (IsMasked() && !AutoSelect) SetSelection(mask_.NextInput(0), mask_.NextInput(0));
}

void TCustomMaskEdit::DoExit() {
  if (IsMasked() && Modified) ValidateEdit();
  TCustomEdit::DoExit();
}

void TCustomMaskEdit::Dispatch(TMessage& m) {
  // Escape is the edit's while there is something to take back.
  if (m.Msg == CM_WANTSPECIALKEY && MsgCharCode(m) == VK_ESCAPE && IsMasked() && Modified) {
    m.Result = 1;
    return;
  }
  TCustomEdit::Dispatch(m);
}

void TCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  // Escape takes back what was typed since the control got the focus.
  if (Key == VK_ESCAPE && IsMasked() && Modified) {
    TControl::SetText(enterText_);
    Modified = false;
    SelectAll();
    Key = 0;
  }
}

void TCustomMaskEdit::ClearPlaces(int start, int end) {
  AnsiString edit = EditText();
  const AnsiString empty = mask_.EmptyText();
  for (int i = start; i < end && i < mask_.Length(); ++i)
    edit[static_cast<size_t>(i)] = empty[static_cast<size_t>(i)];
  SetSelection(0, mask_.Length());
  if (!UserReplace(edit)) return;
  SetSelection(start, start);
}

bool TCustomMaskEdit::EditKey(Word key, TShiftState shift) {
  if (!IsMasked()) return TCustomEdit::EditKey(key, shift);
  if (key == VK_DELETE && !shift.Contains(ssShift)) {
    if (ReadOnly()) return true;
    const int start = SelStart();
    const int end = SelLength() > 0 ? start + SelLength() : start + 1;
    ClearPlaces(start, end);
    return true;
  }
  if (key == VK_DELETE || key == VK_INSERT) {
    // Cut clears the places; paste types the text in place by place.
    if (key == VK_DELETE) {
      CopyToClipboard();
      ClearPlaces(SelStart(), SelStart() + SelLength());
      return true;
    }
    if (shift.Contains(ssCtrl)) return TCustomEdit::EditKey(key, shift);
    if (shift.Contains(ssShift)) {
      for (char ch : EditClipboard().GetText ? EditClipboard().GetText() : AnsiString()) EditChar(ch);
      return true;
    }
    return false;
  }
  return TCustomEdit::EditKey(key, shift);
}

bool TCustomMaskEdit::EditChar(char ch) {
  if (!IsMasked()) return TCustomEdit::EditChar(ch);
  if (ch == '\b') {
    if (ReadOnly()) return true;
    if (SelLength() > 0) {
      ClearPlaces(SelStart(), SelStart() + SelLength());
    } else {
      const int prev = mask_.PrevInput(CaretPos() - 1);
      if (prev >= 0) ClearPlaces(prev, prev + 1);
    }
    return true;
  }
  if (ch == 0x16) {
    for (char c : EditClipboard().GetText ? EditClipboard().GetText() : AnsiString()) EditChar(c);
    return true;
  }
  if (ch == 0x18) {
    CopyToClipboard();
    ClearPlaces(SelStart(), SelStart() + SelLength());
    return true;
  }
  if (static_cast<unsigned char>(ch) < ' ') return TCustomEdit::EditChar(ch);
  if (ReadOnly()) {
    MessageBeep(0);
    return true;
  }
  // Typing over a selection empties it first; the character lands on the
  // next input place and the caret skips the literals after it.
  const int start = SelStart();
  int pos = mask_.NextInput(start);
  if (pos >= mask_.Length()) {
    MessageBeep(0);
    return true;
  }
  // A literal typed where it stands just moves past it.
  if (start < pos && EditText()[static_cast<size_t>(start)] == ch && SelLength() == 0) {
    SetSelection(pos, pos);
    return true;
  }
  const char fitted = mask_.Accept(pos, ch);
  if (!fitted) {
    MessageBeep(0);
    return true;
  }
  AnsiString edit = EditText();
  const AnsiString empty = mask_.EmptyText();
  for (int i = start; i < start + SelLength(); ++i)
    edit[static_cast<size_t>(i)] = empty[static_cast<size_t>(i)];
  edit[static_cast<size_t>(pos)] = fitted;
  SetSelection(0, mask_.Length());
  if (!UserReplace(edit)) return true;
  const int next = mask_.NextInput(pos + 1);
  SetSelection(next, next);
  return true;
}
