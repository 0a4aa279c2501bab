#include "platform/ui/Mask.h"

#include <cctype>

bool IsMaskLetter(char ch) {
  const char c[1] = {ch};
  const std::string_view one(c, 1);
  return AnsiUpperCase(one) != AnsiLowerCase(one);
}

namespace {
bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }
}  // namespace

TEditMask::TEditMask(const AnsiString& mask) : source_(mask) {
  Case current = Case::Keep;
  size_t i = 0;
  for (; i < mask.size(); ++i) {
    const char ch = mask[i];
    if (ch == ';') break;
    Place p;
    p.charCase = current;
    switch (ch) {
      case '!':
        leadingBlanks_ = true;
        continue;
      case '>':
        if (i + 1 < mask.size() && mask[i + 1] == '<') {
          current = Case::Keep;
          ++i;
        } else {
          current = Case::Upper;
        }
        continue;
      case '<':
        current = Case::Lower;
        continue;
      case '\\':
        p.literal = i + 1 < mask.size() ? mask[++i] : '\\';
        break;
      case '0':
        p.kind = Kind::Digit;
        p.required = true;
        break;
      case '9':
        p.kind = Kind::Digit;
        break;
      case '#':
        p.kind = Kind::DigitSign;
        break;
      case 'L':
        p.kind = Kind::Letter;
        p.required = true;
        break;
      case 'l':
        p.kind = Kind::Letter;
        break;
      case 'A':
        p.kind = Kind::AlphaNum;
        p.required = true;
        break;
      case 'a':
        p.kind = Kind::AlphaNum;
        break;
      case 'C':
        p.kind = Kind::Any;
        p.required = true;
        break;
      case 'c':
        p.kind = Kind::Any;
        break;
      default:
        p.literal = ch;
        break;
    }
    places_.push_back(p);
  }
  // ";keep;blank"
  if (i < mask.size()) {
    ++i;
    if (i < mask.size() && mask[i] != ';') keepLiterals_ = mask[i] != '0';
    while (i < mask.size() && mask[i] != ';') ++i;
    if (i < mask.size() && i + 1 < mask.size()) blank_ = mask[i + 1];
  }
}

bool TEditMask::IsLiteral(int pos) const {
  return pos >= 0 && pos < Length() && places_[static_cast<size_t>(pos)].kind == Kind::Literal;
}

AnsiString TEditMask::EmptyText() const {
  AnsiString s;
  s.reserve(places_.size());
  for (const Place& p : places_) s += p.kind == Kind::Literal ? p.literal : blank_;
  return s;
}

char TEditMask::Accept(int pos, char ch) const {
  if (pos < 0 || pos >= Length()) return 0;
  const Place& p = places_[static_cast<size_t>(pos)];
  bool fits = false;
  switch (p.kind) {
    case Kind::Literal:
      return 0;
    case Kind::Digit:
      fits = IsDigit(ch);
      break;
    case Kind::DigitSign:
      fits = IsDigit(ch) || ch == '+' || ch == '-';
      break;
    case Kind::Letter:
      fits = IsMaskLetter(ch);
      break;
    case Kind::AlphaNum:
      fits = IsMaskLetter(ch) || IsDigit(ch);
      break;
    case Kind::Any:
      fits = static_cast<unsigned char>(ch) >= ' ';
      break;
  }
  if (!fits) return 0;
  const std::string_view one(&ch, 1);
  if (p.charCase == Case::Upper) return AnsiUpperCase(one)[0];
  if (p.charCase == Case::Lower) return AnsiLowerCase(one)[0];
  return ch;
}

int TEditMask::NextInput(int pos) const {
  if (pos < 0) pos = 0;
  while (pos < Length() && IsLiteral(pos)) ++pos;
  return pos;
}

int TEditMask::PrevInput(int pos) const {
  if (pos >= Length()) pos = Length() - 1;
  while (pos >= 0 && IsLiteral(pos)) --pos;
  return pos;
}

int TEditMask::FirstMissing(const AnsiString& editText) const {
  for (int i = 0; i < Length(); ++i) {
    const Place& p = places_[static_cast<size_t>(i)];
    if (!p.required) continue;
    const size_t at = static_cast<size_t>(i);
    if (at >= editText.size() || editText[at] == blank_ || editText[at] == ' ') return i;
  }
  return -1;
}

AnsiString TEditMask::TextOf(const AnsiString& editText) const {
  if (Empty()) return editText;
  AnsiString out;
  size_t firstKept = AnsiString::npos, lastKept = 0;
  for (int i = 0; i < Length(); ++i) {
    const size_t at = static_cast<size_t>(i);
    const Place& p = places_[at];
    if (p.kind == Kind::Literal) {
      if (keepLiterals_) out += p.literal;
      continue;
    }
    char ch = at < editText.size() ? editText[at] : blank_;
    if (ch == blank_) ch = ' ';
    if (ch != ' ') {
      if (firstKept == AnsiString::npos) firstKept = out.size();
      lastKept = out.size() + 1;
    }
    out += ch;
  }
  // Only the blanks of unfilled places go, at the end (and at the start
  // with "!"); a literal space inside stays.
  size_t end = out.size();
  while (end > lastKept && out[end - 1] == ' ') --end;
  size_t lead = 0;
  if (leadingBlanks_)
    while (lead < end && out[lead] == ' ' && (firstKept == AnsiString::npos || lead < firstKept)) ++lead;
  return out.substr(lead, end - lead);
}

AnsiString TEditMask::EditTextOf(const AnsiString& value) const {
  if (Empty()) return value;
  AnsiString edit = EmptyText();
  if (keepLiterals_) {
    for (int i = 0; i < Length() && static_cast<size_t>(i) < value.size(); ++i) {
      if (IsLiteral(i)) continue;
      if (const char ch = Accept(i, value[static_cast<size_t>(i)])) edit[static_cast<size_t>(i)] = ch;
    }
    return edit;
  }
  int pos = NextInput(0);
  for (char ch : value) {
    if (pos >= Length()) break;
    if (const char fitted = Accept(pos, ch)) edit[static_cast<size_t>(pos)] = fitted;
    pos = NextInput(pos + 1);
  }
  return edit;
}
