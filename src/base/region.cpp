#include "base/region.h"

#include <algorithm>
#include <utility>

namespace gd {

bool Region::Contains(int x, int y) const {
  if (!bounds_.Contains(x, y)) return false;
  for (const Rect& cut : cuts_)
    if (cut.Contains(x, y)) return false;
  return true;
}

bool Region::IsEmpty() const { return Rectangles().empty(); }

std::vector<Rect> Region::Rectangles() const {
  std::vector<Rect> out;
  if (bounds_.Empty()) return out;
  std::vector<std::pair<int, int>> spans, next;
  for (int y = bounds_.top; y < bounds_.bottom; ++y) {
    spans.assign(1, {bounds_.left, bounds_.right});
    for (const Rect& cut : cuts_) {
      if (y < cut.top || y >= cut.bottom) continue;
      next.clear();
      for (auto [l, r] : spans) {
        if (cut.right <= l || cut.left >= r) {
          next.push_back({l, r});
          continue;
        }
        if (cut.left > l) next.push_back({l, cut.left});
        if (cut.right < r) next.push_back({cut.right, r});
      }
      spans.swap(next);
    }
    for (const auto& span : spans) {
      const int l = span.first, r = span.second;
      // Merge with the rectangle of the row above when it has the same span.
      auto same = std::find_if(out.rbegin(), out.rend(), [&](const Rect& rc) {
        return rc.bottom == y && rc.left == l && rc.right == r;
      });
      if (same != out.rend())
        same->bottom = y + 1;
      else
        out.push_back({l, y, r, y + 1});
    }
  }
  return out;
}

}  // namespace gd
