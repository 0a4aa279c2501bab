// TStrings and TStringList.

#include <algorithm>

#include "platform/rtl/Classes.h"
#include "platform/rtl/FileUtils.h"

namespace {

const char* const kListIndexError = "List index out of bounds (%d)";
const char* const kSortedListError = "Operation not allowed on sorted list";
const char* const kDuplicateString = "Duplicate string";
const char* const kListCapacityError = "List capacity out of bounds (%d)";

// Blanks and control characters separate comma-text items.
bool isBlank(char ch) { return static_cast<unsigned char>(ch) <= ' '; }

AnsiString quoted(const AnsiString& s) {
  AnsiString out = "\"";
  for (char ch : s) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
  return out;
}

// A quoted item from Pos (at the opening quote): doubled quotes stand for
// one; an unterminated item runs to the end of the text.
AnsiString extractQuoted(const AnsiString& text, size_t& pos) {
  AnsiString out;
  ++pos;
  while (pos < text.size()) {
    char ch = text[pos++];
    if (ch != '"') {
      out += ch;
    } else if (pos < text.size() && text[pos] == '"') {
      out += '"';
      ++pos;
    } else {
      break;
    }
  }
  return out;
}

// Restores the update count whatever happens inside a batch of changes.
template <typename Fn>
void inUpdate(TStrings& strings, Fn&& fn) {
  strings.BeginUpdate();
  try {
    fn();
  } catch (...) {
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}

}  // namespace

// ---- TStrings --------------------------------------------------------------

void TStrings::Error(const char* message, int data) const {
  AnsiString text = message;
  size_t at = text.find("%d");
  if (at != AnsiString::npos) text.replace(at, 2, std::to_string(data));
  throw EStringListError(text);
}

void TStrings::Put(int index, const AnsiString& s) {
  void* object = GetObject(index);
  inUpdate(*this, [&] {
    Delete(index);
    InsertObject(index, s, object);
  });
}

void* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, void*) {}

void TStrings::InsertObject(int index, const AnsiString& s, void* object) {
  Insert(index, s);
  PutObject(index, object);
}

void TStrings::Exchange(int index1, int index2) {
  inUpdate(*this, [&] {
    AnsiString s = Get(index1);
    void* object = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, s);
    PutObject(index2, object);
  });
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  inUpdate(*this, [&] {
    AnsiString s = Get(curIndex);
    void* object = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, object);
  });
}

int TStrings::Add(const AnsiString& s) {
  int index = Count();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const AnsiString& s, void* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::AddStrings(const TStrings& strings) {
  int count = strings.Count();  // the source may be this list
  inUpdate(*this, [&] {
    for (int i = 0; i < count; ++i) AddObject(strings.Get(i), strings.GetObject(i));
  });
}

void TStrings::Assign(const TStrings& source) {
  if (&source == this) return;
  inUpdate(*this, [&] {
    Clear();
    AddStrings(source);
  });
}

bool TStrings::Equals(const TStrings& other) const {
  int count = Count();
  if (count != other.Count()) return false;
  for (int i = 0; i < count; ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

int TStrings::CompareStrings(const AnsiString& s1, const AnsiString& s2) const {
  return AnsiCompareText(s1, s2);
}

int TStrings::IndexOf(const AnsiString& s) const {
  int count = Count();
  for (int i = 0; i < count; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const AnsiString& name) const {
  int count = Count();
  for (int i = 0; i < count; ++i) {
    AnsiString s = Get(i);
    size_t eq = s.find('=');
    if (eq != AnsiString::npos && CompareStrings(s.substr(0, eq), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(void* object) const {
  int count = Count();
  for (int i = 0; i < count; ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

AnsiString TStrings::Names(int index) const {
  AnsiString s = Get(index);
  size_t eq = s.find('=');
  return eq == AnsiString::npos ? AnsiString() : s.substr(0, eq);
}

AnsiString TStrings::Values(const AnsiString& name) const {
  int index = IndexOfName(name);
  if (index < 0) return AnsiString();
  AnsiString s = Get(index);
  return s.substr(s.find('=') + 1);
}

void TStrings::SetValues(const AnsiString& name, const AnsiString& value) {
  int index = IndexOfName(name);
  if (!value.empty()) {
    if (index < 0) index = Add(AnsiString());
    Put(index, name + "=" + value);
  } else if (index >= 0) {
    Delete(index);
  }
}

AnsiString TStrings::Text() const {
  int count = Count();
  AnsiString text;
  for (int i = 0; i < count; ++i) {
    text += Get(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::SetText(const AnsiString& text) {
  inUpdate(*this, [&] {
    Clear();
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find_first_of("\r\n", pos);
      if (end == AnsiString::npos) end = text.size();
      Add(text.substr(pos, end - pos));
      pos = end;
      if (pos < text.size() && text[pos] == '\r') ++pos;
      if (pos < text.size() && text[pos] == '\n') ++pos;
    }
  });
}

AnsiString TStrings::CommaText() const {
  int count = Count();
  if (count == 1 && Get(0).empty()) return "\"\"";
  AnsiString text;
  for (int i = 0; i < count; ++i) {
    AnsiString s = Get(i);
    bool needsQuotes =
        std::any_of(s.begin(), s.end(), [](char ch) { return isBlank(ch) || ch == '"' || ch == ','; });
    if (i > 0) text += ',';
    text += needsQuotes ? quoted(s) : s;
  }
  return text;
}

void TStrings::SetCommaText(const AnsiString& text) {
  inUpdate(*this, [&] {
    Clear();
    size_t pos = 0;
    const size_t end = text.size();
    while (pos < end && isBlank(text[pos])) ++pos;
    while (pos < end) {
      if (text[pos] == '"') {
        Add(extractQuoted(text, pos));
      } else {
        size_t start = pos;
        while (pos < end && !isBlank(text[pos]) && text[pos] != ',') ++pos;
        Add(text.substr(start, pos - start));
      }
      while (pos < end && isBlank(text[pos])) ++pos;
      if (pos < end && text[pos] == ',') {
        if (pos + 1 == end) Add(AnsiString());
        do ++pos;
        while (pos < end && isBlank(text[pos]));
      }
    }
  });
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  --updateCount_;
  if (updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  // A text held whole in memory, several times over while it is split into
  // lines: a larger file is refused before any of it is read.
  if (stream.Size() > MaxLoadSize())
    throw EReadError(FileReadErrorText(fileName, FileTooLarge, MaxLoadSize()));
  LoadFromStream(stream);
}

void TStrings::SaveToFile(const AnsiString& fileName) const { SafeWriteFile(fileName, Text()); }

void TStrings::LoadFromStream(TStream& stream) {
  AnsiString bytes;
  char buffer[65536];
  for (;;) {
    int n = stream.Read(buffer, sizeof buffer);
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  SetText(bytes);
}

void TStrings::SaveToStream(TStream& stream) const {
  AnsiString text = Text();
  stream.WriteBuffer(text.data(), static_cast<int>(text.size()));
}

// ---- TStringList -----------------------------------------------------------

void TStringList::checkIndex(int index) const {
  if (index < 0 || index >= Count()) Error(kListIndexError, index);
}

AnsiString TStringList::Get(int index) const {
  checkIndex(index);
  return items_[index].string;
}

void TStringList::Put(int index, const AnsiString& s) {
  if (sorted_) Error(kSortedListError, 0);
  checkIndex(index);
  Changing();
  items_[index].string = s;
  Changed();
}

void* TStringList::GetObject(int index) const {
  checkIndex(index);
  return items_[index].object;
}

void TStringList::PutObject(int index, void* object) {
  checkIndex(index);
  Changing();
  items_[index].object = object;
  Changed();
}

int TStringList::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const AnsiString& s, void* object) {
  int index = Count();
  if (sorted_ && Find(s, index)) {
    switch (duplicates_) {
      case dupIgnore:
        return index;
      case dupError:
        Error(kDuplicateString, 0);
      case dupAccept:
        break;
    }
  }
  insertItem(index, s, object);
  return index;
}

void TStringList::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const AnsiString& s, void* object) {
  if (sorted_) Error(kSortedListError, 0);
  if (index < 0 || index > Count()) Error(kListIndexError, index);
  insertItem(index, s, object);
}

void TStringList::insertItem(int index, const AnsiString& s, void* object) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

void TStringList::Delete(int index) {
  checkIndex(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  checkIndex(index1);
  checkIndex(index2);
  Changing();
  std::swap(items_[index1], items_[index2]);
  Changed();
}

int TStringList::IndexOf(const AnsiString& s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int index = 0;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const AnsiString& s, int& index) const {
  bool found = false;
  int low = 0;
  int high = Count() - 1;
  while (low <= high) {
    int mid = low + (high - low) / 2;
    int c = CompareStrings(items_[mid].string, s);
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) low = mid;
      }
    }
  }
  index = low;
  return found;
}

void TStringList::Sort() {
  CustomSort([](TStringList& list, int i1, int i2) {
    return list.CompareStrings(list.items_[i1].string, list.items_[i2].string);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (sorted_ || Count() < 2) return;
  Changing();
  quickSort(0, Count() - 1, compare);
  Changed();
}

// Hoare partitioning around the middle item, following the pivot as it is
// exchanged. The bounds checks keep an inconsistent comparison inside the
// list.
void TStringList::quickSort(int low, int high, const TStringListSortCompare& compare) {
  while (low < high) {
    int i = low;
    int j = high;
    int pivot = low + (high - low) / 2;
    while (i <= j) {
      while (i < high && compare(*this, i, pivot) < 0) ++i;
      while (j > low && compare(*this, j, pivot) > 0) --j;
      if (i <= j) {
        std::swap(items_[i], items_[j]);
        if (pivot == i)
          pivot = j;
        else if (pivot == j)
          pivot = i;
        ++i;
        --j;
      }
    }
    // Recurse into the smaller side so the depth stays logarithmic.
    if (j - low < high - i) {
      if (low < j) quickSort(low, j, compare);
      low = i;
    } else {
      if (i < high) quickSort(i, high, compare);
      high = j;
    }
  }
}

void TStringList::SetSorted(bool value) {
  if (value == sorted_) return;
  if (value) Sort();
  sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == caseSensitive_) return;
  caseSensitive_ = value;
  // A sorted list must follow the new order, or Find would miss items.
  if (sorted_) {
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

void TStringList::SetCapacity(int capacity) {
  if (capacity < Count()) Error(kListCapacityError, capacity);
  items_.reserve(static_cast<size_t>(capacity));
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

int TStringList::CompareStrings(const AnsiString& s1, const AnsiString& s2) const {
  return caseSensitive_ ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}
