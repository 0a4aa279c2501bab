#include <algorithm>
#include <atomic>

#include "platform/rtl/System.h"
#include "platform/ui/ComCtrlsRichText.h"

namespace {
bool IsBreak(char c) { return c == '\r' || c == '\n'; }
// Characters Find treats as part of a word.
bool IsWordByte(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u >= 0xB8;
}
}  // namespace

TRichContent::TRichContent() : formats_{TRichCharFormat{}}, paras_{TRichParaFormat{}} { Changed(); }

void TRichContent::Changed() {
  static std::atomic<std::uint64_t> last{0};
  revision_ = ++last;
}

bool operator==(const TRichContent& a, const TRichContent& b) {
  if (a.text_ != b.text_ || a.paras_ != b.paras_ || a.wide_ != b.wide_) return false;
  for (size_t i = 0; i < a.charFormats_.size(); ++i)
    if (!(a.Format(a.charFormats_[i]) == b.Format(b.charFormats_[i]))) return false;
  return true;
}

void TRichContent::SetDefault(const TRichCharFormat& format) {
  Changed();
  // Index 0 is the default: the characters that have it follow.
  const auto same = std::find(formats_.begin() + 1, formats_.end(), format);
  if (same != formats_.end()) {
    const int old = static_cast<int>(same - formats_.begin());
    for (int& f : charFormats_)
      if (f == old) f = 0;
  }
  formats_[0] = format;
}

int TRichContent::AddFormat(const TRichCharFormat& format) {
  const auto it = std::find(formats_.begin(), formats_.end(), format);
  if (it != formats_.end()) return static_cast<int>(it - formats_.begin());
  Changed();
  formats_.push_back(format);
  return static_cast<int>(formats_.size()) - 1;
}

int TRichContent::InsertFormatAt(int pos) const {
  if (pos > 0 && pos <= Length() && !IsBreak(text_[static_cast<size_t>(pos) - 1]))
    return FormatIndexAt(pos - 1);
  if (pos < Length() && !IsBreak(text_[static_cast<size_t>(pos)])) return FormatIndexAt(pos);
  if (pos > 0 && pos <= Length()) return FormatIndexAt(pos - 1);
  return 0;
}

const std::vector<int>& TRichContent::Starts() const {
  if (startsValid_) return starts_;
  starts_.assign(1, 0);
  const int n = Length();
  for (int i = 0; i < n; ++i) {
    const char c = text_[static_cast<size_t>(i)];
    if (!IsBreak(c)) continue;
    if (c == '\r' && i + 1 < n && text_[static_cast<size_t>(i) + 1] == '\n') ++i;
    starts_.push_back(i + 1);
  }
  startsValid_ = true;
  return starts_;
}

const std::vector<int>& TRichContent::Pieces() const {
  if (piecesOf_ == revision_) return pieces_;
  const auto separate = [&](size_t i) {
    return text_[i] == '\t' || text_[i] == static_cast<char>(kLineBreak);
  };
  pieces_.assign(1, 0);
  for (size_t i = 1; i < text_.size(); ++i)
    if (charFormats_[i] != charFormats_[i - 1] || separate(i) || separate(i - 1))
      pieces_.push_back(static_cast<int>(i));
  pieces_.push_back(Length());
  piecesOf_ = revision_;
  return pieces_;
}

int TRichContent::PieceStart(int pos) const {
  const std::vector<int>& p = Pieces();
  return *(std::upper_bound(p.begin(), p.end(), pos) - 1);
}

int TRichContent::PieceEnd(int pos) const {
  const std::vector<int>& p = Pieces();
  const auto next = std::upper_bound(p.begin(), p.end(), pos);
  return next != p.end() ? *next : Length();
}

bool TRichContent::StartsAt(int pos) const {
  if (pos <= 0 || pos > Length()) return false;
  const char before = text_[static_cast<size_t>(pos) - 1];
  if (before == '\n') return true;
  return before == '\r' && (pos == Length() || text_[static_cast<size_t>(pos)] != '\n');
}

void TRichContent::MoveStarts(int start, int end, int inserted) {
  // Whether a paragraph starts at S depends on the characters at S - 1 and
  // S only: the starts around the edit are found again, the rest move.
  const int delta = inserted - (end - start);
  const auto from = std::lower_bound(starts_.begin() + 1, starts_.end(), start);
  const auto to = std::upper_bound(from, starts_.end(), end + 1);
  for (auto it = to; it != starts_.end(); ++it) *it += delta;
  std::vector<int> found;
  for (int pos = std::max(1, start); pos <= start + inserted + 1 && pos <= Length(); ++pos)
    if (StartsAt(pos)) found.push_back(pos);
  const auto at = starts_.erase(from, to);
  starts_.insert(at, found.begin(), found.end());
}

int TRichContent::ParagraphOf(int pos) const {
  const auto& s = Starts();
  return static_cast<int>(std::upper_bound(s.begin(), s.end(), pos) - s.begin()) - 1;
}

int TRichContent::ParagraphEnd(int para) const {
  const auto& s = Starts();
  if (para + 1 >= static_cast<int>(s.size())) return Length();
  int end = s[static_cast<size_t>(para) + 1] - 1;
  if (end > 0 && text_[static_cast<size_t>(end)] == '\n' && text_[static_cast<size_t>(end) - 1] == '\r')
    --end;
  return end;
}

TRichContent::TWideChars::const_iterator TRichContent::WideFrom(int pos) const {
  return std::lower_bound(wide_.begin(), wide_.end(), pos,
                          [](const std::pair<int, char16_t>& w, int p) { return w.first < p; });
}

char16_t TRichContent::CharAt(int pos) const {
  if (!wide_.empty()) {
    const auto it = WideFrom(pos);
    if (it != wide_.end() && it->first == pos) return it->second;
  }
  return cp1253::ToUnicode(static_cast<unsigned char>(text_[static_cast<size_t>(pos)]));
}

bool TRichContent::HasWide(int start, int end) const {
  if (wide_.empty()) return false;
  const auto it = WideFrom(start);
  return it != wide_.end() && it->first < end;
}

void TRichContent::WideCounts(int start, int end, std::vector<int>& counts) const {
  counts.assign(static_cast<size_t>(end - start) + 1, 0);
  for (auto it = WideFrom(start); it != wide_.end() && it->first < end; ++it)
    ++counts[static_cast<size_t>(it->first - start) + 1];
  for (size_t i = 1; i < counts.size(); ++i) counts[i] += counts[i - 1];
}

WideString TRichContent::WideText(int start, int end) const {
  WideString s = cp1253::ToWide(
      std::string_view(text_).substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
  for (auto it = WideFrom(start); it != wide_.end() && it->first < end; ++it)
    s[static_cast<size_t>(it->first - start)] = it->second;
  return s;
}

void TRichContent::Replace(int start, int end, const AnsiString& text, int format) {
  Changed();
  start = std::clamp(start, 0, Length());
  end = std::clamp(end, start, Length());
  const int p1 = ParagraphOf(start), p2 = ParagraphOf(end);
  const TRichParaFormat kept = paras_[static_cast<size_t>(p2)];
  paras_.erase(paras_.begin() + p1, paras_.begin() + p2);
  const int delta = static_cast<int>(text.size()) - (end - start);
  if (!wide_.empty()) MoveWide(start, end, delta);
  text_.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), text);
  // One move of what follows, not two: a keystroke in a long text.
  const size_t removed = static_cast<size_t>(end - start);
  if (text.size() >= removed)
    charFormats_.insert(charFormats_.begin() + end, text.size() - removed, format);
  else
    charFormats_.erase(charFormats_.begin() + start + static_cast<std::ptrdiff_t>(text.size()),
                       charFormats_.begin() + end);
  std::fill_n(charFormats_.begin() + start, text.size(), format);
  if (startsValid_) MoveStarts(start, end, static_cast<int>(text.size()));
  // A CR inserted before an LF (or the like) can join or split breaks in
  // ways the plain document does not see: the count of the text decides.
  const int added = static_cast<int>(Starts().size()) - static_cast<int>(paras_.size());
  if (added > 0)
    paras_.insert(paras_.begin() + p1, static_cast<size_t>(added), kept);
  else if (added < 0)
    paras_.erase(paras_.begin() + p1, paras_.begin() + p1 - added);
}

void TRichContent::Replace(int start, int end, const TRichDocument& doc) {
  Changed();
  start = std::clamp(start, 0, Length());
  end = std::clamp(end, start, Length());
  AnsiString text;
  std::vector<int> formats;
  TWideChars wide;
  for (size_t p = 0; p < doc.Paragraphs.size(); ++p) {
    if (p > 0) {
      text += "\r\n";
      const int f = formats.empty() ? InsertFormatAt(start) : formats.back();
      formats.insert(formats.end(), 2, f);
    }
    for (const TRichRun& run : doc.Paragraphs[p].Runs) {
      const int f = AddFormat(run.Format);
      for (char16_t ch : run.Text) {
        const int byte = ch < 0x80 ? ch : cp1253::FromUnicode(ch);
        if (byte < 0) wide.emplace_back(start + static_cast<int>(text.size()), ch);
        text += static_cast<char>(byte < 0 ? '?' : byte);
        formats.push_back(f);
      }
    }
  }
  const int p1 = ParagraphOf(start);
  Replace(start, end, text, 0);
  std::copy(formats.begin(), formats.end(), charFormats_.begin() + start);
  // What was there went with the replaced text: these fall between.
  wide_.insert(wide_.begin() + (WideFrom(start) - wide_.begin()), wide.begin(), wide.end());
  for (size_t p = 0; p + 1 < doc.Paragraphs.size(); ++p)
    paras_[static_cast<size_t>(p1) + p] = doc.Paragraphs[p].Format;
}

void TRichContent::SetDocument(const TRichDocument& doc) {
  // The text and its formats are written at once into the storage the
  // content had, rather than as a replacement of an empty text: a report
  // puts each rich text's whole document in so, for every run.
  Changed();
  formats_.resize(1);
  text_.clear();
  charFormats_.clear();
  wide_.clear();
  startsValid_ = false;
  piecesOf_ = 0;
  size_t length = 0;
  for (const TRichParagraph& para : doc.Paragraphs)
    for (const TRichRun& run : para.Runs) length += run.Text.size();
  if (!doc.Paragraphs.empty()) length += 2 * (doc.Paragraphs.size() - 1);
  text_.reserve(length);
  charFormats_.reserve(length);
  for (size_t p = 0; p < doc.Paragraphs.size(); ++p) {
    if (p > 0) {
      text_ += "\r\n";
      charFormats_.insert(charFormats_.end(), 2, charFormats_.empty() ? 0 : charFormats_.back());
    }
    for (const TRichRun& run : doc.Paragraphs[p].Runs) {
      const int f = AddFormat(run.Format);
      for (char16_t ch : run.Text) {
        const int byte = ch < 0x80 ? ch : cp1253::FromUnicode(ch);
        if (byte < 0) wide_.emplace_back(Length(), ch);
        text_ += static_cast<char>(byte < 0 ? '?' : byte);
      }
      charFormats_.insert(charFormats_.end(), run.Text.size(), f);
    }
  }
  // A break inside a run (a document not read from RTF) starts a
  // paragraph of its own, as a replacement by the text would.
  paras_.assign(Starts().size(), TRichParaFormat{});
  for (size_t p = 0; p + 1 < doc.Paragraphs.size(); ++p) paras_[p] = doc.Paragraphs[p].Format;
  // A document of no paragraphs at all is an empty one.
  paras_.back() = doc.Paragraphs.empty() ? TRichParaFormat{} : doc.Paragraphs.back().Format;
}

TRichDocument TRichContent::Document(int start, int end) const {
  start = std::clamp(start, 0, Length());
  end = std::clamp(end, start, Length());
  TRichDocument doc;
  const int p1 = ParagraphOf(start), p2 = ParagraphOf(end);
  doc.Paragraphs.clear();
  for (int p = p1; p <= p2; ++p) {
    TRichParagraph para{paras_[static_cast<size_t>(p)], {}};
    const int from = std::max(start, ParagraphStart(p));
    const int to = std::min(end, ParagraphEnd(p));
    int i = from;
    while (i < to) {
      int j = i;
      while (j < to && charFormats_[static_cast<size_t>(j)] == charFormats_[static_cast<size_t>(i)]) ++j;
      para.Append(FormatAt(i), WideText(i, j));
      i = j;
    }
    doc.Paragraphs.push_back(std::move(para));
  }
  return doc;
}

std::pair<int, int> TRichContent::ParagraphsRange(int first, int count) const {
  const int start = ParagraphStart(first);
  const int end = first + count < ParagraphCount() ? ParagraphStart(first + count) : Length();
  return {start, end};
}

TRichContent::TParagraphs TRichContent::CopyParagraphs(int first, int last) const {
  const auto [start, end] = ParagraphsRange(first, last - first + 1);
  TParagraphs out;
  out.Text = text_.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
  out.CharFormats.assign(charFormats_.begin() + start, charFormats_.begin() + end);
  out.Formats = formats_;
  out.Paras.assign(paras_.begin() + first, paras_.begin() + last + 1);
  const auto wideFrom = WideFrom(start), wideTo = WideFrom(end);
  out.Wide.reserve(static_cast<size_t>(wideTo - wideFrom));
  for (auto it = wideFrom; it != wideTo; ++it) out.Wide.emplace_back(it->first - start, it->second);
  return out;
}

TRichContent::TParagraphs TRichContent::Joined(TParagraphs before, const TParagraphs& after) {
  const int offset = static_cast<int>(before.Text.size());
  before.Text += after.Text;
  // The tables differ at most by formats added since: each index is
  // looked up again in the first one.
  std::map<int, int> mapped;
  for (int f : after.CharFormats) {
    auto it = mapped.find(f);
    if (it == mapped.end()) {
      const TRichCharFormat& format = after.Formats[static_cast<size_t>(f)];
      auto same = std::find(before.Formats.begin(), before.Formats.end(), format);
      if (same == before.Formats.end()) same = before.Formats.insert(before.Formats.end(), format);
      it = mapped.emplace(f, static_cast<int>(same - before.Formats.begin())).first;
    }
    before.CharFormats.push_back(it->second);
  }
  before.Paras.insert(before.Paras.end(), after.Paras.begin(), after.Paras.end());
  for (const auto& [pos, ch] : after.Wide) before.Wide.emplace_back(pos + offset, ch);
  return before;
}

void TRichContent::MoveWide(int start, int end, int delta) {
  const auto first = wide_.begin() + (WideFrom(start) - wide_.begin());
  const auto last = wide_.begin() + (WideFrom(std::max(start, end)) - wide_.begin());
  for (auto it = last; it != wide_.end(); ++it) it->first += delta;
  wide_.erase(first, last);
}

void TRichContent::PutParagraphs(int first, int count, const TParagraphs& those) {
  Changed();
  const auto [start, end] = ParagraphsRange(first, count);
  const int inserted = static_cast<int>(those.Text.size());
  const int delta = inserted - (end - start);
  if (!wide_.empty() || !those.Wide.empty()) {
    MoveWide(start, end, delta);
    // A character already kept at a place keeps it.
    for (const auto& [pos, ch] : those.Wide) {
      const auto at = WideFrom(pos + start);
      if (at == wide_.end() || at->first != pos + start)
        wide_.insert(wide_.begin() + (at - wide_.begin()), {pos + start, ch});
    }
  }
  std::vector<int> formats(those.CharFormats.size());
  std::map<int, int> mapped;
  for (size_t i = 0; i < formats.size(); ++i) {
    const int f = those.CharFormats[i];
    auto it = mapped.find(f);
    if (it == mapped.end()) it = mapped.emplace(f, AddFormat(those.Formats[static_cast<size_t>(f)])).first;
    formats[i] = it->second;
  }
  text_.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), those.Text);
  charFormats_.erase(charFormats_.begin() + start, charFormats_.begin() + end);
  charFormats_.insert(charFormats_.begin() + start, formats.begin(), formats.end());
  paras_.erase(paras_.begin() + first, paras_.begin() + first + count);
  paras_.insert(paras_.begin() + first, those.Paras.begin(), those.Paras.end());
  if (startsValid_) MoveStarts(start, end, inserted);
  // The pieces were whole paragraphs of one text: the counts agree unless
  // the record was not of this text, which a whole count mends.
  if (Starts().size() != paras_.size())
    paras_.resize(Starts().size(), paras_.empty() ? TRichParaFormat{} : paras_.back());
}

void TRichContent::ChangeFormat(int start, int end, const std::function<void(TRichCharFormat&)>& change) {
  Changed();
  start = std::clamp(start, 0, Length());
  end = std::clamp(end, start, Length());
  std::map<int, int> mapped;  // old index to new, each computed once
  for (int i = start; i < end; ++i) {
    int& f = charFormats_[static_cast<size_t>(i)];
    auto it = mapped.find(f);
    if (it == mapped.end()) {
      TRichCharFormat changed = formats_[static_cast<size_t>(f)];
      change(changed);
      it = mapped.emplace(f, AddFormat(changed)).first;
    }
    f = it->second;
  }
}

void TRichContent::ChangePara(int start, int end, const std::function<void(TRichParaFormat&)>& change) {
  Changed();
  const int p1 = ParagraphOf(std::clamp(start, 0, Length()));
  const int p2 = ParagraphOf(std::clamp(end, 0, Length()));
  for (int p = p1; p <= p2; ++p) change(paras_[static_cast<size_t>(p)]);
}

int TRichContent::Find(const AnsiString& what, int start, int end, bool matchCase, bool wholeWord) const {
  start = std::clamp(start, 0, Length());
  end = std::clamp(end, start, Length());
  if (what.empty()) return -1;
  const AnsiString hay = matchCase ? text_.substr(0, static_cast<size_t>(end))
                                   : AnsiUpperCase(text_.substr(0, static_cast<size_t>(end)));
  const AnsiString needle = matchCase ? what : AnsiUpperCase(what);
  for (size_t at = hay.find(needle, static_cast<size_t>(start)); at != AnsiString::npos;
       at = hay.find(needle, at + 1)) {
    if (!wholeWord) return static_cast<int>(at);
    const size_t after = at + needle.size();
    const bool left = at == 0 || !IsWordByte(text_[at - 1]);
    const bool right = after >= text_.size() || !IsWordByte(text_[after]);
    if (left && right) return static_cast<int>(at);
  }
  return -1;
}
