// TList: an ordered list of untyped pointers.

#include <algorithm>

#include "platform/rtl/Classes.h"

namespace {

[[noreturn]] void listError(const char* message, int data) {
  AnsiString text = message;
  size_t at = text.find("%d");
  if (at != AnsiString::npos) text.replace(at, 2, std::to_string(data));
  throw EListError(text);
}

const char* const kListIndexError = "List index out of bounds (%d)";

}  // namespace

void TList::checkIndex(int index, int count) const {
  if (index < 0 || index >= count) listError(kListIndexError, index);
}

void* TList::Get(int index) const {
  checkIndex(index, Count());
  return items_[index];
}

void TList::Put(int index, void* item) {
  checkIndex(index, Count());
  items_[index] = item;
}

int TList::Add(void* item) {
  items_.push_back(item);
  capacity_ = std::max(capacity_, Count());
  return Count() - 1;
}

void TList::Insert(int index, void* item) {
  checkIndex(index, Count() + 1);
  items_.insert(items_.begin() + index, item);
  capacity_ = std::max(capacity_, Count());
}

void TList::Delete(int index) {
  checkIndex(index, Count());
  items_.erase(items_.begin() + index);
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

int TList::IndexOf(void* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Clear() {
  items_.clear();
  capacity_ = 0;
}

void TList::Exchange(int index1, int index2) {
  checkIndex(index1, Count());
  checkIndex(index2, Count());
  std::swap(items_[index1], items_[index2]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  checkIndex(newIndex, Count());
  void* item = Get(curIndex);
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, item);
}

void TList::Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }

void TList::Sort(TListSortCompare compare) {
  if (compare == nullptr) return;
  std::stable_sort(items_.begin(), items_.end(), [compare](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::SetCount(int count) {
  if (count < 0) listError("List count out of bounds (%d)", count);
  items_.resize(static_cast<size_t>(count), nullptr);
  capacity_ = std::max(capacity_, count);
}

void TList::SetCapacity(int capacity) {
  if (capacity < Count()) listError("List capacity out of bounds (%d)", capacity);
  items_.reserve(static_cast<size_t>(capacity));
  capacity_ = capacity;
}
