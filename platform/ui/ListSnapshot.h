#pragma once
// Copies of lists of pointers to walk while the walk changes the list.

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

// A copy of a list of pointers to walk while the walk's handlers change
// the list. Lists as short as most are copied onto the stack: a component or
// control walks its list for every notice it passes on, and a new list on
// the heap each time was a good part of the heap traffic of a key or click.
template <typename T>
class TListSnapshot {
 public:
  explicit TListSnapshot(const std::vector<T*>& from) {
    if (from.size() <= kInline) {
      std::copy(from.begin(), from.end(), inline_.begin());
      begin_ = inline_.data();
    } else {
      heap_ = from;
      begin_ = heap_.data();
    }
    end_ = begin_ + from.size();
  }
  TListSnapshot(const TListSnapshot&) = delete;
  TListSnapshot& operator=(const TListSnapshot&) = delete;
  T* const* begin() const { return begin_; }
  T* const* end() const { return end_; }

 private:
  static constexpr std::size_t kInline = 24;
  std::array<T*, kInline> inline_;
  std::vector<T*> heap_;
  T** begin_;
  T** end_;
};
