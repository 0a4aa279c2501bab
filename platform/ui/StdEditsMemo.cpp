#include <algorithm>
#include <cstring>

#include "platform/ui/Input.h"
#include "platform/ui/StdEdits.h"

// ---- TMemoStrings ----------------------------------------------------------------

namespace {
// Where each line of Text starts, as the system's memo counts lines: one at
// 0 and one after every line break, so a text ending in a break has an
// empty last line.
void AddLineStarts(std::vector<size_t>& starts, const AnsiString& text, size_t from) {
  // The breaks are found by the C library's search for each kind rather
  // than by a test of every character: a memo's lines are long.
  const char* const s = text.data();
  const size_t n = text.size();
  const auto next = [&](char c, size_t at) -> size_t {
    const void* p = at < n ? std::memchr(s + at, c, n - at) : nullptr;
    return p != nullptr ? static_cast<size_t>(static_cast<const char*>(p) - s) : n;
  };
  size_t cr = next('\r', from), lf = next('\n', from);
  while (cr < n || lf < n) {
    size_t i = std::min(cr, lf);
    if (i == cr && i + 1 < n && s[i + 1] == '\n') ++i;
    starts.push_back(i + 1);
    if (cr <= i) cr = next('\r', i + 1);
    if (lf <= i) lf = next('\n', i + 1);
  }
}

std::vector<size_t> LineStarts(const AnsiString& text) {
  std::vector<size_t> starts{0};
  AddLineStarts(starts, text, 0);
  return starts;
}

// Text split at CR, LF and CR LF, as the memo counts its lines: a text
// ending in a break has no empty last line, an empty text has none.
std::vector<AnsiString> SplitLines(const AnsiString& text) {
  std::vector<AnsiString> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == AnsiString::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    pos = end + 1;
  }
  return lines;
}

// Byte range of line Index of Text (without its break), whose lines start
// at Starts, and where the next line starts.
void LineRange(const std::vector<size_t>& starts, const AnsiString& text, size_t index, size_t& start,
               size_t& end, size_t& next) {
  start = starts[index];
  if (index + 1 < starts.size()) {
    // The line ends at the break before the next line's start: a CR LF
    // pair counts as one break.
    next = starts[index + 1];
    end = next - 1;
    if (end > start && text[end] == '\n' && text[end - 1] == '\r') --end;
  } else {
    next = end = text.size();
  }
}

AnsiString JoinLines(const std::vector<AnsiString>& lines) {
  size_t size = 0;
  for (const auto& line : lines) size += line.size() + 2;
  AnsiString text;
  text.reserve(size);
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}
}  // namespace

const std::vector<size_t>& TMemoStrings::Starts() const {
  if (startsVersion_ != memo_.textVersion_) {
    starts_ = LineStarts(memo_.TControl::Text());
    startsVersion_ = memo_.textVersion_;
  }
  return starts_;
}

int TMemoStrings::Count() const {
  if (batching_) return static_cast<int>(batch_.size());
  const AnsiString& text = memo_.TControl::Text();
  const auto& starts = Starts();
  // The empty line after a final break is no item.
  return static_cast<int>(starts.size()) - (starts.back() == text.size() ? 1 : 0);
}

void TMemoStrings::CheckIndex(int index, bool allowEnd) const {
  if (index < 0 || index > Count() - (allowEnd ? 0 : 1)) Error("List index out of bounds (%d)", index);
}

void TMemoStrings::Range(int index, size_t& start, size_t& end, size_t& next) const {
  LineRange(Starts(), memo_.TControl::Text(), static_cast<size_t>(index), start, end, next);
}

AnsiString TMemoStrings::Get(int index) const {
  if (batching_) {
    CheckIndex(index, false);
    return batch_[static_cast<size_t>(index)];
  }
  // The starts looked up once: a report reads a memo line by line.
  const AnsiString& text = memo_.TControl::Text();
  const auto& starts = Starts();
  const size_t count = starts.size() - (starts.back() == text.size() ? 1 : 0);
  if (index < 0 || static_cast<size_t>(index) >= count) Error("List index out of bounds (%d)", index);
  size_t start, end, next;
  LineRange(starts, text, static_cast<size_t>(index), start, end, next);
  return text.substr(start, end - start);
}

void TMemoStrings::Put(int index, const AnsiString& s) {
  CheckIndex(index, false);
  if (batching_) {
    // A line with breaks in it becomes several lines, as in the memo.
    batch_.erase(batch_.begin() + index);
    Insert(index, s);
    return;
  }
  size_t start, end, next;
  Range(index, start, end, next);
  AnsiString text = memo_.TControl::Text();
  text.replace(start, end - start, s);
  memo_.TControl::SetText(text);
}

void TMemoStrings::Insert(int index, const AnsiString& s) {
  CheckIndex(index, true);
  if (batching_) {
    std::vector<AnsiString> pieces = SplitLines(s);
    if (pieces.empty()) pieces.emplace_back();
    // A break at the very end of S leaves an empty line behind it.
    if (!s.empty() && (s.back() == '\r' || s.back() == '\n')) pieces.emplace_back();
    batch_.insert(batch_.begin() + index, pieces.begin(), pieces.end());
    changed_ = true;
    return;
  }
  if (index == Count()) return Append(s);
  AnsiString text = memo_.TControl::Text();
  const auto& starts = Starts();
  if (static_cast<size_t>(index) < starts.size())
    text.insert(starts[static_cast<size_t>(index)], s + "\r\n");
  else
    text += "\r\n" + s;  // after a last line that has no break
  memo_.TControl::SetText(text);
}

void TMemoStrings::Append(const AnsiString& s) {
  const AnsiString& text = memo_.TControl::Text();
  const size_t size = text.size();
  const auto& starts = Starts();
  const unsigned long long version = memo_.textVersion_;
  // After a last line that has no break the new line needs one before it.
  memo_.AppendEditText(starts.back() == size ? s + "\r\n" : "\r\n" + s);
  if (startsVersion_ != version || memo_.textVersion_ != version + 1) return;
  // A break at the old end may pair with one added after it: the starts
  // are counted again from the old last character.
  if (size == 0) {
    starts_ = LineStarts(text);
  } else {
    while (starts_.back() >= size) starts_.pop_back();
    AddLineStarts(starts_, text, size - 1);
  }
  startsVersion_ = memo_.textVersion_;
}

void TMemoStrings::Delete(int index) {
  CheckIndex(index, false);
  if (batching_) {
    batch_.erase(batch_.begin() + index);
    changed_ = true;
    return;
  }
  size_t start, end, next;
  Range(index, start, end, next);
  AnsiString text = memo_.TControl::Text();
  text.erase(start, next - start);
  memo_.TControl::SetText(text);
}

void TMemoStrings::Clear() {
  if (!batching_) return memo_.TControl::SetText("");
  batch_.clear();
  changed_ = true;
}

AnsiString TMemoStrings::Text() const { return batching_ ? JoinLines(batch_) : memo_.TControl::Text(); }

void TMemoStrings::SetText(const AnsiString& text) {
  if (!batching_) return memo_.TControl::SetText(text);
  batch_ = SplitLines(text);
  changed_ = true;
}

void TMemoStrings::SetUpdateState(bool updating) {
  if (updating) {
    batch_ = SplitLines(memo_.TControl::Text());
    batching_ = true;
    changed_ = false;
    return;
  }
  batching_ = false;
  // A batch that changed nothing leaves the text, and the caret, alone.
  if (changed_) memo_.TControl::SetText(JoinLines(batch_));
  batch_.clear();
}

// ---- TCustomMemo -------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), lines_(std::make_unique<TMemoStrings>(*this)), scrollBars_(this) {
  AutoSelect = false;
  SetBounds(Left(), Top(), 185, 89);
  scrollBars_.BeforeRead = [this] { FlushBars(); };
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  scrollX_ = 0;
  InvalidateLayout();
  ScrollCaretIntoView();
  Invalidate();
}

void TCustomMemo::SetScrollBars(TScrollStyle s) {
  scrollBars_.SetStyle(s);
  InvalidateLayout();
  ScrollCaretIntoView();
  Invalidate();
}

TRect TCustomMemo::TextArea() const { return scrollBars_.ContentRect(InnerRect()); }

TPoint TCustomMemo::CaretPosXY() const {
  // The column counts from the start of the hard line.
  const AnsiString& text = TControl::Text();
  const int caret = CaretPos();
  int lineStart = 0, line = 0;
  for (int i = 0; i < caret; ++i) {
    const char ch = text[static_cast<size_t>(i)];
    if (ch == '\r' && i + 1 < static_cast<int>(text.size()) && text[static_cast<size_t>(i) + 1] == '\n') ++i;
    if (ch == '\r' || ch == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  return Point(caret - lineStart, line);
}

void TCustomMemo::LayoutChanged() { barsStale_ = true; }

void TCustomMemo::FlushBars() {
  if (!barsStale_) return;
  barsStale_ = false;
  UpdateBars();
}

void TCustomMemo::UpdateBars() {
  // The bars follow the lines: one position per line vertically, one per
  // pixel horizontally.
  SCROLLINFO v;
  v.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  v.nMin = 0;
  v.nMax = std::max(0, LineCount() - 1);
  v.nPage = static_cast<UINT>(VisibleLineCount());
  v.nPos = TopLine();
  scrollBars_.SetInfo(SB_VERT, v, true);
  SCROLLINFO h;
  h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  // One position a pixel, up to the widest line and the caret after it.
  const int width = std::max(1, EditRect().Width());
  h.nMin = 0;
  h.nMax = wordWrap_ ? 0 : WidestLine();
  h.nPage = static_cast<UINT>(width);
  h.nPos = scrollX_;
  scrollBars_.SetInfo(SB_HORZ, h, true);
}

void TCustomMemo::Scroll(int bar, int code, int pos) {
  if (bar == SB_VERT) {
    const int page = std::max(1, VisibleLineCount() - 1);
    int top = TopLine();
    switch (code) {
      case SB_LINEUP:
        --top;
        break;
      case SB_LINEDOWN:
        ++top;
        break;
      case SB_PAGEUP:
        top -= page;
        break;
      case SB_PAGEDOWN:
        top += page;
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        top = pos;
        break;
      case SB_TOP:
        top = 0;
        break;
      case SB_BOTTOM:
        top = LineCount();
        break;
      default:
        return;
    }
    SetTopLine(std::min(top, std::max(0, LineCount() - VisibleLineCount())));
    LayoutMoved();
    return;
  }
  if (wordWrap_) return;
  const int width = std::max(1, EditRect().Width());
  int x = scrollX_;
  switch (code) {
    case SB_LINELEFT:
      x -= 8;
      break;
    case SB_LINERIGHT:
      x += 8;
      break;
    case SB_PAGELEFT:
      x -= width;
      break;
    case SB_PAGERIGHT:
      x += width;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      x = pos;
      break;
    case SB_LEFT:
      x = 0;
      break;
    case SB_RIGHT:
      x = WidestLine();
      break;
    default:
      return;
  }
  scrollX_ = std::clamp(x, 0, std::max(0, WidestLine() + 1 - width));
  LayoutMoved();
  Invalidate();
}

void TCustomMemo::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED:
    case WM_SETTEXT:
      ++textVersion_;
      break;
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | (WantReturns ? DLGC_WANTALLKEYS : 0) |
                 (WantTabs ? DLGC_WANTTAB : 0);
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(m.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, m.WParamLo(), static_cast<SmallInt>(m.WParamHi()));
      return;
    case WM_TIMER:
      FlushBars();
      if (scrollBars_.TimerMessage(m, InnerRect())) return;
      break;
    default:
      if (m.Msg >= WM_MOUSEFIRST && m.Msg < WM_MOUSEWHEEL) FlushBars();
      if (m.Msg >= WM_MOUSEFIRST && m.Msg < WM_MOUSEWHEEL && scrollBars_.MouseMessage(m, InnerRect())) return;
      break;
  }
  TCustomEdit::Dispatch(m);
}

bool TCustomMemo::EditChar(char ch) {
  if (ch == '\r') {
    if (!WantReturns) return false;
    UserReplace("\r\n");
    return true;
  }
  if (ch == '\t') {
    if (!WantTabs) return false;
    UserReplace("\t");
    return true;
  }
  return TCustomEdit::EditChar(ch);
}

void TCustomMemo::Paint() {
  FlushBars();
  TCustomEdit::Paint();
  scrollBars_.Paint(Canvas(), InnerRect());
}

bool TCustomMemo::DoMouseWheelDown(TShiftState, TPoint) {
  Scroll(SB_VERT, SB_THUMBPOSITION, TopLine() + static_cast<int>(ui::input::WheelScrollLines()));
  return true;
}

bool TCustomMemo::DoMouseWheelUp(TShiftState, TPoint) {
  Scroll(SB_VERT, SB_THUMBPOSITION, TopLine() - static_cast<int>(ui::input::WheelScrollLines()));
  return true;
}
