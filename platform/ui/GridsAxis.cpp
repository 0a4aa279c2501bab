#include <algorithm>

#include "platform/ui/Grids.h"

namespace {
int LowBit(int i) { return i & -i; }
}  // namespace

int TGridAxis::Extent(int index) const {
  const int size = sizes_[static_cast<size_t>(index)];
  return size > 0 ? size + lineWidth_ : 0;
}

void TGridAxis::Add(int index, long long delta) {
  const int n = Count();
  for (int i = index + 1; i <= n; i += LowBit(i)) tree_[static_cast<size_t>(i)] += delta;
}

long long TGridAxis::Start(int index) const {
  long long sum = 0;
  for (int i = std::clamp(index, 0, Count()); i > 0; i -= LowBit(i)) sum += tree_[static_cast<size_t>(i)];
  return sum;
}

void TGridAxis::Rebuild() {
  const int n = Count();
  tree_.assign(static_cast<size_t>(n) + 1, 0);
  for (int i = 1; i <= n; ++i) {
    tree_[static_cast<size_t>(i)] += Extent(i - 1);
    const int parent = i + LowBit(i);
    if (parent <= n) tree_[static_cast<size_t>(parent)] += tree_[static_cast<size_t>(i)];
  }
}

void TGridAxis::SetCount(int count, int defaultSize) {
  count = std::max(0, count);
  if (count <= Count()) {
    // The nodes of the indexes that stay cover only those indexes.
    sizes_.resize(static_cast<size_t>(count));
    tree_.resize(static_cast<size_t>(count) + 1);
    return;
  }
  sizes_.reserve(static_cast<size_t>(count));
  tree_.reserve(static_cast<size_t>(count) + 1);
  if (tree_.empty()) tree_.push_back(0);
  while (Count() < count) {
    // Each appended node sums its own extent and the nodes it covers.
    sizes_.push_back(std::max(0, defaultSize));
    const int i = Count();
    tree_.push_back(Extent(i - 1) + Start(i - 1) - Start(i - LowBit(i)));
  }
}

void TGridAxis::SetSize(int index, int size) {
  size = std::max(0, size);
  const int before = Extent(index);
  sizes_[static_cast<size_t>(index)] = size;
  Add(index, Extent(index) - before);
}

void TGridAxis::SetAll(int size) {
  std::fill(sizes_.begin(), sizes_.end(), std::max(0, size));
  Rebuild();
}

void TGridAxis::SetLineWidth(int width) {
  lineWidth_ = std::max(0, width);
  Rebuild();
}

int TGridAxis::IndexAt(long long pos) const {
  const int n = Count();
  if (pos < 0) return -1;
  int step = 1;
  while (step * 2 <= n) step *= 2;
  int index = 0;
  long long rest = pos;
  for (; step > 0; step /= 2) {
    if (index + step <= n && tree_[static_cast<size_t>(index + step)] <= rest) {
      index += step;
      rest -= tree_[static_cast<size_t>(index)];
    }
  }
  return index;  // Count() when Pos lies past the last extent
}

void TGridAxis::Move(int from, int to) {
  if (from == to) return;
  // Only the indexes whose extent changes touch the tree: rows of one
  // height move for the cost of shifting the sizes.
  auto extentOf = [this](int size) { return size > 0 ? size + lineWidth_ : 0; };
  const int step = from < to ? 1 : -1;
  const int moved = extentOf(sizes_[static_cast<size_t>(from)]);
  for (int i = from; i != to; i += step) {
    const int delta =
        extentOf(sizes_[static_cast<size_t>(i + step)]) - extentOf(sizes_[static_cast<size_t>(i)]);
    if (delta != 0) Add(i, delta);
  }
  if (const int delta = moved - Extent(to); delta != 0) Add(to, delta);
  if (from < to)
    std::rotate(sizes_.begin() + from, sizes_.begin() + from + 1, sizes_.begin() + to + 1);
  else
    std::rotate(sizes_.begin() + to, sizes_.begin() + from, sizes_.begin() + from + 1);
}

void TGridAxis::Exchange(int a, int b) {
  if (a == b) return;
  const int sizeA = sizes_[static_cast<size_t>(a)], sizeB = sizes_[static_cast<size_t>(b)];
  if (sizeA == sizeB) return;
  SetSize(a, sizeB);
  SetSize(b, sizeA);
}

void TGridAxis::Insert(int index, int size) {
  sizes_.insert(sizes_.begin() + index, std::max(0, size));
  Rebuild();
}

void TGridAxis::Delete(int index) {
  sizes_.erase(sizes_.begin() + index);
  Rebuild();
}
