#include "platform/ui/ComCtrls.h"

// ---- TRichEditStrings ---------------------------------------------------------------

namespace {
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

TStrings& TRichEditStrings::Control() const { return edit_.TCustomMemo::Lines(); }

void TRichEditStrings::CheckIndex(int index, bool allowEnd) const {
  if (index < 0 || index > Count() - (allowEnd ? 0 : 1)) Error("List index out of bounds (%d)", index);
}

int TRichEditStrings::Count() const {
  return batching_ ? static_cast<int>(batch_.size()) : Control().Count();
}

AnsiString TRichEditStrings::Get(int index) const {
  if (!batching_) return Control().Get(index);
  CheckIndex(index, false);
  return batch_[static_cast<size_t>(index)];
}

void TRichEditStrings::Put(int index, const AnsiString& s) {
  if (!batching_) return Control().Put(index, s);
  // A line with breaks in it becomes several lines, as in the control.
  CheckIndex(index, false);
  batch_.erase(batch_.begin() + index);
  Insert(index, s);
}

void TRichEditStrings::Insert(int index, const AnsiString& s) {
  if (!batching_) return Control().Insert(index, s);
  CheckIndex(index, true);
  std::vector<AnsiString> pieces = SplitLines(s);
  if (pieces.empty()) pieces.emplace_back();
  // A break at the very end of S leaves an empty line behind it.
  if (!s.empty() && (s.back() == '\r' || s.back() == '\n')) pieces.emplace_back();
  batch_.insert(batch_.begin() + index, pieces.begin(), pieces.end());
  changed_ = true;
}

void TRichEditStrings::Delete(int index) {
  if (!batching_) return Control().Delete(index);
  CheckIndex(index, false);
  batch_.erase(batch_.begin() + index);
  changed_ = true;
}

void TRichEditStrings::Clear() {
  if (!batching_) return Control().Clear();
  batch_.clear();
  changed_ = true;
}

AnsiString TRichEditStrings::Text() const { return batching_ ? JoinLines(batch_) : Control().Text(); }

void TRichEditStrings::SetText(const AnsiString& text) {
  if (!batching_) return Control().SetText(text);
  batch_ = SplitLines(text);
  changed_ = true;
}

void TRichEditStrings::SetUpdateState(bool updating) {
  if (updating) {
    batch_ = SplitLines(Control().Text());
    batching_ = true;
    changed_ = false;
    return;
  }
  batching_ = false;
  // A batch that changed nothing leaves the text, and the caret, alone.
  if (changed_) Control().SetText(JoinLines(batch_));
  batch_.clear();
}

// ---- TCustomRichEdit ----------------------------------------------------------------

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner)
    : TCustomMemo(AOwner), richLines_(std::make_unique<TRichEditStrings>(*this)) {}

TCustomRichEdit::~TCustomRichEdit() = default;
