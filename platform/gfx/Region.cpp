// Regions made from polygons, for shaped windows.

#include <algorithm>
#include <cmath>

#include "platform/gfx/Graphics.h"

namespace {

// The runs [from, to) of a horizontal line at y inside the polygon.
std::vector<std::pair<double, double>> RunsAt(const std::vector<TPoint>& p, double y, int fillMode) {
  struct Crossing {
    double x;
    int dir;
  };
  std::vector<Crossing> crossings;
  const size_t n = p.size();
  for (size_t i = 0; i < n; ++i) {
    const TPoint a = p[i], b = p[(i + 1) % n];
    if (a.Y == b.Y) continue;
    const bool down = b.Y > a.Y;
    const double top = std::min(a.Y, b.Y), bottom = std::max(a.Y, b.Y);
    if (y < top || y >= bottom) continue;
    crossings.push_back({a.X + (y - a.Y) * (b.X - a.X) / static_cast<double>(b.Y - a.Y), down ? 1 : -1});
  }
  std::sort(crossings.begin(), crossings.end(),
            [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
  std::vector<std::pair<double, double>> runs;
  int winding = 0;
  for (size_t i = 0; i + 1 < crossings.size(); ++i) {
    winding += fillMode == ALTERNATE ? 1 : crossings[i].dir;
    const bool inside = fillMode == ALTERNATE ? (winding % 2) != 0 : winding != 0;
    if (inside) runs.push_back({crossings[i].x, crossings[i + 1].x});
  }
  return runs;
}

}  // namespace

TRegion CreatePolygonRgn(const std::vector<TPoint>& points, int fillMode) {
  TRegion region;
  if (points.size() < 3) return region;
  int top = points[0].Y, bottom = points[0].Y;
  for (const TPoint& pt : points) top = std::min(top, pt.Y), bottom = std::max(bottom, pt.Y);
  for (int y = top; y < bottom; ++y) {
    // A pixel row counts what the polygon covers anywhere inside it: the
    // lines near its top, middle and bottom together.
    std::vector<std::pair<int, int>> spans;
    for (double at : {y + 0.05, y + 0.5, y + 0.95})
      for (const auto& [from, to] : RunsAt(points, at, fillMode))
        spans.push_back({static_cast<int>(std::floor(from)), static_cast<int>(std::ceil(to))});
    std::sort(spans.begin(), spans.end());
    for (size_t i = 0; i < spans.size();) {
      int left = spans[i].first, right = spans[i].second;
      for (++i; i < spans.size() && spans[i].first <= right; ++i) right = std::max(right, spans[i].second);
      if (right > left) region.push_back({left, y, right, y + 1});
    }
  }
  return region;
}

bool PtInRegion(const TRegion& region, int x, int y) {
  return std::any_of(region.begin(), region.end(), [&](const TRect& r) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
  });
}

TRect RegionBox(const TRegion& region) {
  if (region.empty()) return {};
  TRect box = region.front();
  for (const TRect& r : region) {
    box.Left = std::min(box.Left, r.Left);
    box.Top = std::min(box.Top, r.Top);
    box.Right = std::max(box.Right, r.Right);
    box.Bottom = std::max(box.Bottom, r.Bottom);
  }
  return box;
}
