#pragma once
// The grids' row and column store: a sequence cut into blocks of at most
// kMaxBlock items, with the item counts (and, for an axis, the summed
// weights) of the blocks in Fenwick trees. Reading an item, writing one,
// inserting, erasing and moving one cost a shift inside one block plus
// O(log n) in the trees, never a pass over the whole sequence; two items
// exchange by a swap of their storage. Walking the items in order costs a
// constant per step (the last block found is remembered).
//
// Weight gives each item a weight (an extent in pixels) and says whether
// sums are kept at all; Sum(i) is the weight of items [0, i).
//
// Reads that come many to one change of the order (painting, sorting) go
// through a table of where each item lies, made again after the order
// changed and enough reads came to pay for it; a block keeps its inner
// sums until one of its items changes.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

// Items without weight: no sums are kept.
struct TNoWeight {
  static constexpr bool kWeighted = false;
  template <class T>
  long long operator()(const T&) const {
    return 0;
  }
};

template <class T, class Weight = TNoWeight>
class TBlockList {
 public:
  static constexpr int kMaxBlock = 128;

  TBlockList() = default;
  explicit TBlockList(Weight weight) : weight_(std::move(weight)) {}
  // A copy makes its own tables of places (they point into the items);
  // a move keeps them, the items staying where they are.
  TBlockList(const TBlockList& other)
      : blocks_(other.blocks_),
        counts_(other.counts_),
        sums_(other.sums_),
        count_(other.count_),
        weight_(other.weight_) {}
  TBlockList& operator=(const TBlockList& other) {
    if (this != &other) *this = TBlockList(other);
    return *this;
  }
  TBlockList(TBlockList&&) noexcept = default;
  TBlockList& operator=(TBlockList&&) noexcept = default;

  int Count() const { return count_; }
  const T& Get(int index) const {
    if (T* const* item = Direct(index)) return **item;
    const auto [b, at] = Locate(index);
    return blocks_[static_cast<size_t>(b)].Items[static_cast<size_t>(at)];
  }
  // The item to change in place; only for items without weight, whose
  // change cannot move any sum.
  T& At(int index) {
    static_assert(!Weight::kWeighted, "a weighted item changes through Set");
    if (T* const* item = Direct(index)) return **item;
    const auto [b, at] = Locate(index);
    return blocks_[static_cast<size_t>(b)].Items[static_cast<size_t>(at)];
  }
  void Set(int index, T value) {
    const auto [b, at] = Locate(index);
    T& item = blocks_[static_cast<size_t>(b)].Items[static_cast<size_t>(at)];
    if constexpr (Weight::kWeighted) AddWeight(b, weight_(value) - weight_(item));
    item = std::move(value);
    Touch(b);
  }

  // Value lands at Index; the items from Index on move up by one.
  void Insert(int index, T value) {
    if (blocks_.empty()) AppendBlock();
    auto [b, at] = index >= count_ ? std::pair<int, int>{LastBlock(), BlockSize(LastBlock())} : Locate(index);
    Block& block = blocks_[static_cast<size_t>(b)];
    const long long w = weight_(value);
    block.Items.insert(block.Items.begin() + at, std::move(value));
    ++count_;
    counts_.Add(b, 1);
    AddWeight(b, w);
    Touch(b);
    Reordered();
    if (BlockSize(b) > kMaxBlock) Split(b);
  }

  // Takes the item at Index out; the ones after it move down by one.
  T Erase(int index) {
    const auto [b, at] = Locate(index);
    Block& block = blocks_[static_cast<size_t>(b)];
    T value = std::move(block.Items[static_cast<size_t>(at)]);
    block.Items.erase(block.Items.begin() + at);
    --count_;
    counts_.Add(b, -1);
    AddWeight(b, -weight_(value));
    Touch(b);
    Reordered();
    Tidy(b);
    return value;
  }

  // The item at From ends at To; the ones between shift by one towards From.
  void Move(int from, int to) {
    if (from == to) return;
    Insert(to, Erase(from));
  }

  void Exchange(int a, int b) {
    if (a == b) return;
    if constexpr (!Weight::kWeighted) {
      if (T* const* x = Direct(a)) {
        std::swap(**x, *direct_[static_cast<size_t>(b)]);
        return;
      }
    }
    const auto [ba, ia] = Locate(a);
    const auto [bb, ib] = Locate(b);
    T& x = blocks_[static_cast<size_t>(ba)].Items[static_cast<size_t>(ia)];
    T& y = blocks_[static_cast<size_t>(bb)].Items[static_cast<size_t>(ib)];
    if constexpr (Weight::kWeighted) {
      if (weight_(x) != weight_(y)) SumsChanged();
      if (ba != bb) {
        const long long delta = weight_(y) - weight_(x);
        AddWeight(ba, delta);
        AddWeight(bb, -delta);
      }
    }
    std::swap(x, y);
    Touch(ba);
    Touch(bb);
  }

  // Growing appends copies of Fill (default-made items for the other form);
  // shrinking drops the last items. Neither walks the items that stay.
  void Resize(int count, const T& fill) {
    ResizeWith(count, [&fill] { return fill; });
  }
  void Resize(int count) {
    ResizeWith(count, [] { return T(); });
  }
  // Count copies of Value in place of everything.
  void Assign(int count, const T& value) {
    blocks_.clear();
    count_ = 0;
    Rebuild();
    Resize(count, value);
  }

  // The weight of items [0, Index); Index past the end gives the total.
  long long Sum(int index) const {
    static_assert(Weight::kWeighted, "sums are kept only for weighted items");
    if (index <= 0) return 0;
    if (const long long* sums = DirectSums()) return sums[std::min(index, count_)];
    if (index >= count_) return sums_.Prefix(BlockCount());
    const auto [b, at] = Locate(index);
    return sums_.Prefix(b) + InnerSums(b)[static_cast<size_t>(at)];
  }
  long long Total() const { return Sum(count_); }
  // The largest index I (up to Count()) with Sum(I) <= Pos, for Pos >= 0.
  int IndexAtSum(long long pos) const {
    static_assert(Weight::kWeighted, "sums are kept only for weighted items");
    if (const long long* sums = DirectSums())
      return static_cast<int>(std::upper_bound(sums, sums + count_ + 1, pos) - sums - 1);
    const auto [b, rest] = sums_.Descend(pos);
    if (b >= BlockCount()) return count_;
    // The block's sum exceeds Rest: the last inner sum not above it.
    const std::vector<long long>& inner = InnerSums(b);
    const auto at = std::upper_bound(inner.begin(), inner.end(), rest) - inner.begin() - 1;
    return static_cast<int>(counts_.Prefix(b) + at);
  }

  Weight& Weigher() { return weight_; }
  // After a change of the weigher: every block's weight again.
  void Reweigh() {
    for (int b = 0; b < BlockCount(); ++b) blocks_[static_cast<size_t>(b)].WeightSum = BlockWeight(b);
    Rebuild();
  }

  template <class F>
  void ForEach(F&& visit) {
    for (Block& block : blocks_)
      for (T& item : block.Items) visit(item);
  }
  template <class F>
  void ForEach(F&& visit) const {
    for (const Block& block : blocks_)
      for (const T& item : block.Items) visit(item);
  }

 private:
  static constexpr int kFillBlock = kMaxBlock / 2;  // appended blocks leave room to insert
  static constexpr int kMinBlock = kMaxBlock / 4;   // a smaller block joins a neighbour

  struct Block {
    std::vector<T> Items;
    long long WeightSum = 0;  // of all items, for weighted ones
    // Inner[i] the weight of Items[0, i), while InnerValid.
    mutable std::vector<long long> Inner;
    mutable bool InnerValid = false;
  };

  // A Fenwick tree over one number per block, 1-based inside.
  class TFenwick {
   public:
    void Build(const std::vector<long long>& values) {
      tree_.assign(values.size() + 1, 0);
      for (size_t i = 1; i <= values.size(); ++i) {
        tree_[i] += values[i - 1];
        const size_t parent = i + (i & (~i + 1));
        if (parent <= values.size()) tree_[parent] += tree_[i];
      }
      Top();
    }
    // One more block at the end, holding Value.
    void Append(long long value) {
      if (tree_.empty()) tree_.push_back(0);
      const int i = static_cast<int>(tree_.size());
      tree_.push_back(value + Prefix(i - 1) - Prefix(i - (i & -i)));
      Top();
    }
    // Drops the blocks from Count on: the nodes that stay cover only
    // blocks that stay.
    void Truncate(int count) {
      tree_.resize(static_cast<size_t>(count) + 1);
      Top();
    }
    void Add(int block, long long delta) {
      if (delta == 0) return;
      const int n = static_cast<int>(tree_.size()) - 1;
      for (int i = block + 1; i <= n; i += i & -i) tree_[static_cast<size_t>(i)] += delta;
    }
    // The sum of blocks [0, Count).
    long long Prefix(int count) const {
      long long sum = 0;
      for (int i = count; i > 0; i -= i & -i) sum += tree_[static_cast<size_t>(i)];
      return sum;
    }
    // The largest K with Prefix(K) <= Pos (the values are not negative),
    // and Pos - Prefix(K).
    std::pair<int, long long> Descend(long long pos) const {
      const int n = static_cast<int>(tree_.size()) - 1;
      const long long* tree = tree_.data();
      int k = 0;
      // Without branches: the steps go either way at random.
      for (int step = top_; step > 0; step /= 2) {
        const int next = k + step;
        const long long value = tree[std::min(next, n)];
        const bool take = next <= n && value <= pos;
        k = take ? next : k;
        pos -= take ? value : 0;
      }
      return {k, pos};
    }

   private:
    void Top() {
      const int n = static_cast<int>(tree_.size()) - 1;
      top_ = n > 0 ? 1 : 0;
      while (top_ > 0 && top_ * 2 <= n) top_ *= 2;
    }
    std::vector<long long> tree_;
    int top_ = 0;
  };

  int BlockCount() const { return static_cast<int>(blocks_.size()); }
  int LastBlock() const { return BlockCount() - 1; }
  int BlockSize(int b) const { return static_cast<int>(blocks_[static_cast<size_t>(b)].Items.size()); }
  long long BlockWeight(int b) const {
    long long sum = 0;
    for (const T& item : blocks_[static_cast<size_t>(b)].Items) sum += weight_(item);
    return sum;
  }
  void AddWeight(int b, long long delta) {
    if constexpr (Weight::kWeighted) {
      blocks_[static_cast<size_t>(b)].WeightSum += delta;
      sums_.Add(b, delta);
      if (delta != 0) SumsChanged();
    }
  }
  // An item of block B changed: its inner sums go.
  void Touch(int b) {
    if constexpr (Weight::kWeighted) blocks_[static_cast<size_t>(b)].InnerValid = false;
  }
  const std::vector<long long>& InnerSums(int b) const {
    const Block& block = blocks_[static_cast<size_t>(b)];
    if (!block.InnerValid) {
      block.Inner.resize(block.Items.size() + 1);
      long long sum = 0;
      for (size_t i = 0; i < block.Items.size(); ++i) {
        block.Inner[i] = sum;
        sum += weight_(block.Items[i]);
      }
      block.Inner[block.Items.size()] = sum;
      block.InnerValid = true;
    }
    return block.Inner;
  }
  // Items moved between places: the table and the remembered block go.
  void Reordered() {
    cache_ = {-1, 0};
    directValid_ = false;
    slowReads_ = 0;
    SumsChanged();
  }
  void SumsChanged() {
    directSumsValid_ = false;
    slowSums_ = 0;
  }
  // Sum(i) for every i from a table, when it is up to date or worth making.
  const long long* DirectSums() const {
    if (!directSumsValid_) {
      if (++slowSums_ < count_ / 8 + 64) return nullptr;
      directSums_.resize(static_cast<size_t>(count_) + 1);
      long long sum = 0;
      size_t i = 0;
      for (const Block& block : blocks_)
        for (const T& item : block.Items) {
          directSums_[i++] = sum;
          sum += weight_(item);
        }
      directSums_[i] = sum;
      directSumsValid_ = true;
    }
    return directSums_.data();
  }
  // The item's place from the table, when it is up to date or worth making.
  T* const* Direct(int index) const {
    if (!directValid_) {
      if (++slowReads_ < count_ / 8 + 64) return nullptr;
      direct_.clear();
      direct_.reserve(static_cast<size_t>(count_));
      for (const Block& block : blocks_)
        for (const T& item : block.Items) direct_.push_back(const_cast<T*>(&item));
      directValid_ = true;
    }
    return &direct_[static_cast<size_t>(index)];
  }

  // The block holding Index and the place in it.
  std::pair<int, int> Locate(int index) const {
    auto [b, start] = cache_;
    if (b >= 0) {
      if (index >= start && index < start + BlockSize(b)) return {b, index - start};
      // The next block, for walks in order.
      const int next = start + BlockSize(b);
      if (b + 1 < BlockCount() && index >= next && index < next + BlockSize(b + 1)) {
        cache_ = {b + 1, next};
        return {b + 1, index - next};
      }
    }
    const auto [block, at] = counts_.Descend(index);
    cache_ = {block, index - static_cast<int>(at)};
    return {block, static_cast<int>(at)};
  }

  void AppendBlock() {
    blocks_.emplace_back();
    counts_.Append(0);
    if constexpr (Weight::kWeighted) sums_.Append(0);
  }

  void Rebuild() {
    std::vector<long long> counts(blocks_.size()), sums;
    for (size_t b = 0; b < blocks_.size(); ++b) counts[b] = static_cast<long long>(blocks_[b].Items.size());
    counts_.Build(counts);
    if constexpr (Weight::kWeighted) {
      sums.resize(blocks_.size());
      for (size_t b = 0; b < blocks_.size(); ++b) sums[b] = blocks_[b].WeightSum;
      sums_.Build(sums);
      for (const Block& block : blocks_) block.InnerValid = false;
    }
    Reordered();
  }

  // A full block gives its upper half to a new block after it.
  void Split(int b) {
    Block upper;
    auto& items = blocks_[static_cast<size_t>(b)].Items;
    const auto half = items.begin() + static_cast<std::ptrdiff_t>(items.size() / 2);
    upper.Items.reserve(kMaxBlock);
    upper.Items.insert(upper.Items.end(), std::make_move_iterator(half),
                       std::make_move_iterator(items.end()));
    items.erase(half, items.end());
    blocks_.insert(blocks_.begin() + b + 1, std::move(upper));
    if constexpr (Weight::kWeighted) {
      blocks_[static_cast<size_t>(b)].WeightSum = BlockWeight(b);
      blocks_[static_cast<size_t>(b) + 1].WeightSum = BlockWeight(b + 1);
    }
    Rebuild();
  }

  // An emptied block goes; a small one joins a neighbour with room.
  void Tidy(int b) {
    const int size = BlockSize(b);
    if (size == 0) {
      blocks_.erase(blocks_.begin() + b);
      Rebuild();
      return;
    }
    if (size >= kMinBlock) return;
    for (const int other : {b - 1, b + 1}) {
      if (other < 0 || other >= BlockCount() || BlockSize(other) + size > kMaxBlock) continue;
      const int first = std::min(b, other);
      auto& into = blocks_[static_cast<size_t>(first)].Items;
      auto& from = blocks_[static_cast<size_t>(first + 1)].Items;
      into.insert(into.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
      blocks_[static_cast<size_t>(first)].WeightSum += blocks_[static_cast<size_t>(first) + 1].WeightSum;
      blocks_.erase(blocks_.begin() + first + 1);
      Rebuild();
      return;
    }
  }

  template <class Make>
  void ResizeWith(int count, Make make) {
    count = std::max(0, count);
    if (count == count_) return;
    Reordered();
    if (count < count_) {
      // Whole blocks at the end go, then the last one is cut.
      int blocks = BlockCount();
      int kept = count_;
      while (blocks > 0 && kept - BlockSize(blocks - 1) >= count) kept -= BlockSize(--blocks);
      blocks_.resize(static_cast<size_t>(blocks));
      counts_.Truncate(blocks);
      if constexpr (Weight::kWeighted) sums_.Truncate(blocks);
      if (kept > count) {
        const int b = blocks - 1;
        auto& items = blocks_[static_cast<size_t>(b)].Items;
        const long long before = BlockWeight(b);
        items.resize(items.size() - static_cast<size_t>(kept - count));
        Touch(b);
        counts_.Add(b, count - kept);
        AddWeight(b, BlockWeight(b) - before);
      }
      count_ = count;
      return;
    }
    while (count_ < count) {
      if (blocks_.empty() || BlockSize(LastBlock()) >= kFillBlock) AppendBlock();
      const int b = LastBlock();
      auto& items = blocks_[static_cast<size_t>(b)].Items;
      const int add = std::min(count - count_, kFillBlock - BlockSize(b));
      long long weight = 0;
      for (int i = 0; i < add; ++i) {
        items.push_back(make());
        weight += weight_(items.back());
      }
      counts_.Add(b, add);
      AddWeight(b, weight);
      Touch(b);
      count_ += add;
    }
  }

  std::vector<Block> blocks_;
  TFenwick counts_;
  TFenwick sums_;
  int count_ = 0;
  Weight weight_;
  mutable std::pair<int, int> cache_{-1, 0};  // a block and the index of its first item
  mutable std::vector<T*> direct_;            // every item's place, while directValid_
  mutable bool directValid_ = false;
  mutable int slowReads_ = 0;                  // reads since the order changed
  mutable std::vector<long long> directSums_;  // Sum(i) for every i, while directSumsValid_
  mutable bool directSumsValid_ = false;
  mutable int slowSums_ = 0;
};
