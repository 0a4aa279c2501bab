// Wide string lists and the grid's UTF-16 cell text.

#include "grid/EsgUni.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

namespace {
constexpr char16_t kReplacement = 0xFFFD;
bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
}  // namespace

AnsiString CellTextFromWide(const WideString& Value) {
  AnsiString s = "|\\";
  s.reserve(2 + 2 * Value.size());
  for (char16_t u : Value) {
    s += static_cast<char>(u >> 8);
    s += static_cast<char>(u & 0xFF);
  }
  return s;
}

WideString FirstWideLine(const WideString& S) {
  const size_t end = S.find_first_of(u"\r\n");
  return end == WideString::npos ? S : S.substr(0, end);
}

WideString WideFromCellText(const AnsiString& S) {
  if (S.size() < 2 || S[0] != '|' || S[1] != '\\') return cp1253::ToWide(S);
  WideString w;
  const size_t pairs = (S.size() - 2) / 2;
  w.reserve(pairs);
  for (size_t i = 0; i < pairs; ++i) {
    const auto hi = static_cast<unsigned char>(S[2 + 2 * i]), lo = static_cast<unsigned char>(S[3 + 2 * i]);
    w += static_cast<char16_t>(hi << 8 | lo);
  }
  // Half a surrogate pair stands for no character.
  for (size_t i = 0; i < w.size(); ++i) {
    if (IsHighSurrogate(w[i]) && i + 1 < w.size() && IsLowSurrogate(w[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(w[i]) || IsLowSurrogate(w[i])) {
      w[i] = kReplacement;
    }
  }
  return w;
}

// ---- the 8-bit view ----

int TAnsiStringsForWideStrings::Count() const { return owner_.Count(); }
AnsiString TAnsiStringsForWideStrings::Get(int index) const { return cp1253::FromWide(owner_.Get(index)); }
void TAnsiStringsForWideStrings::Put(int index, const AnsiString& s) { owner_.Put(index, cp1253::ToWide(s)); }
void* TAnsiStringsForWideStrings::GetObject(int index) const { return owner_.Objects(index); }
void TAnsiStringsForWideStrings::PutObject(int index, void* object) { owner_.SetObjects(index, object); }
void TAnsiStringsForWideStrings::Insert(int index, const AnsiString& s) {
  owner_.Insert(index, cp1253::ToWide(s));
}
void TAnsiStringsForWideStrings::Delete(int index) { owner_.Delete(index); }
void TAnsiStringsForWideStrings::Clear() { owner_.Clear(); }

// ---- the wide list ----

TWideStrings::TWideStrings() : ansi_(std::make_unique<TAnsiStringsForWideStrings>(*this)) {}

void TWideStrings::Check(int Index, bool AllowEnd) const {
  if (Index < 0 || Index > Count() || (Index == Count() && !AllowEnd))
    throw EStringListError("List index out of bounds (" + IntToStr(Index) + ")");
}

void TWideStrings::Changed() {
  if (updateCount_ == 0 && OnChange) OnChange(this);
}

const WideString& TWideStrings::Get(int Index) const {
  Check(Index, false);
  return items_[static_cast<size_t>(Index)].Text;
}

void TWideStrings::Put(int Index, const WideString& S) {
  Check(Index, false);
  items_[static_cast<size_t>(Index)].Text = S;
  Changed();
}

void* TWideStrings::Objects(int Index) const {
  Check(Index, false);
  return items_[static_cast<size_t>(Index)].Object;
}

void TWideStrings::SetObjects(int Index, void* Object) {
  Check(Index, false);
  items_[static_cast<size_t>(Index)].Object = Object;
}

int TWideStrings::AddObject(const WideString& S, void* Object) {
  InsertObject(Count(), S, Object);
  return Count() - 1;
}

void TWideStrings::InsertObject(int Index, const WideString& S, void* Object) {
  Check(Index, true);
  items_.insert(items_.begin() + Index, Item{S, Object});
  Changed();
}

void TWideStrings::Delete(int Index) {
  Check(Index, false);
  items_.erase(items_.begin() + Index);
  Changed();
}

void TWideStrings::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

void TWideStrings::Exchange(int Index1, int Index2) {
  Check(Index1, false);
  Check(Index2, false);
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
  Changed();
}

void TWideStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  Check(CurIndex, false);
  Check(NewIndex, false);
  const Item item = items_[static_cast<size_t>(CurIndex)];
  BeginUpdate();
  Delete(CurIndex);
  InsertObject(NewIndex, item.Text, item.Object);
  EndUpdate();
}

int TWideStrings::IndexOf(const WideString& S) const {
  // The items are UTF-16, so they are compared as such by the locale's wide
  // comparison (case aside): through the code page every character outside
  // it would read as "?" and match any other.
  for (int i = 0; i < Count(); ++i)
    if (WideCompareText(items_[static_cast<size_t>(i)].Text, S) == 0) return i;
  return -1;
}

void TWideStrings::BeginUpdate() {
  if (updateCount_++ == 0 && OnUpdate) OnUpdate(true);
}

void TWideStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) {
    if (OnUpdate) OnUpdate(false);
    Changed();
  }
}

WideString TWideStrings::Text() const {
  WideString text;
  for (const Item& item : items_) {
    text += item.Text;
    text += u"\r\n";
  }
  return text;
}

void TWideStrings::SetText(const WideString& Value) {
  BeginUpdate();
  Clear();
  size_t start = 0;
  for (size_t i = 0; i < Value.size(); ++i) {
    const char16_t c = Value[i];
    if (c != u'\n' && c != u'\v' && c != u'\f' && c != u'\r' && c != 0x2028 && c != 0x2029) continue;
    Add(Value.substr(start, i - start));
    if (c == u'\r' && i + 1 < Value.size() && Value[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < Value.size()) Add(Value.substr(start));
  EndUpdate();
}

void TWideStrings::Assign(const TWideStrings& Source) {
  if (&Source == this) return;
  BeginUpdate();
  Clear();
  for (const Item& item : Source.items_) AddObject(item.Text, item.Object);
  EndUpdate();
}

void TWideStrings::Assign(const TStrings& Source) {
  BeginUpdate();
  Clear();
  for (int i = 0; i < Source.Count(); ++i) AddObject(cp1253::ToWide(Source[i]), Source.Objects(i));
  EndUpdate();
}

void TWideStrings::AssignTo(TStrings& Dest) const {
  Dest.BeginUpdate();
  Dest.Clear();
  for (const Item& item : items_) Dest.AddObject(cp1253::FromWide(item.Text), item.Object);
  Dest.EndUpdate();
}

// ---- the edit ----

TEsgUniEdit::TEsgUniEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  // A font of its own that carries no one code page.
  Font().Charset = 255;
  SetParentFont(false);
  SetWideMode(true);
}
