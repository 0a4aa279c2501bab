#pragma once
// Scratch storage for work done again and again (a paint's lists and
// clippings), taken from those kept from one use to the next and given back
// at the end of its scope: making and freeing it anew at every paint cost
// more than what it held. A use inside a use takes another.

#include <memory>
#include <vector>

template <typename T>
class TKeptStorage {
 public:
  TKeptStorage() {
    std::vector<std::unique_ptr<T>>& kept = Kept();
    if (kept.empty()) {
      item_ = std::make_unique<T>();
    } else {
      item_ = std::move(kept.back());
      kept.pop_back();
    }
  }
  ~TKeptStorage() { Kept().push_back(std::move(item_)); }
  TKeptStorage(const TKeptStorage&) = delete;
  TKeptStorage& operator=(const TKeptStorage&) = delete;

  // What the last user left in it: each user clears it first.
  T& operator*() const { return *item_; }
  T* operator->() const { return item_.get(); }

 private:
  // Never freed: storage may be taken while other statics go.
  static std::vector<std::unique_ptr<T>>& Kept() {
    static auto* kept = new std::vector<std::unique_ptr<T>>;
    return *kept;
  }
  std::unique_ptr<T> item_;
};
