#include <algorithm>

#include "platform/ui/Grids.h"

int TGridAxis::Extent(int index) const {
  const int size = sizes_.Get(index);
  return size > 0 ? size + lineWidth_ : 0;
}

long long TGridAxis::Start(int index) const { return sizes_.Sum(std::clamp(index, 0, Count())); }

void TGridAxis::SetCount(int count, int defaultSize) {
  sizes_.Resize(std::max(0, count), std::max(0, defaultSize));
}

void TGridAxis::SetSize(int index, int size) { sizes_.Set(index, std::max(0, size)); }

void TGridAxis::SetAll(int size) { sizes_.Assign(Count(), std::max(0, size)); }

void TGridAxis::SetLineWidth(int width) {
  lineWidth_ = std::max(0, width);
  sizes_.Weigher().LineWidth = lineWidth_;
  sizes_.Reweigh();
}

int TGridAxis::IndexAt(long long pos) const {
  if (pos < 0) return -1;
  return sizes_.IndexAtSum(pos);  // Count() when Pos lies past the last extent
}

void TGridAxis::Move(int from, int to) { sizes_.Move(from, to); }

void TGridAxis::Exchange(int a, int b) { sizes_.Exchange(a, b); }

void TGridAxis::Insert(int index, int size) { sizes_.Insert(index, std::max(0, size)); }

void TGridAxis::Delete(int index) { sizes_.Erase(index); }
