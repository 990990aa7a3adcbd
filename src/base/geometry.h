// Points, sizes and rectangles in whole pixels, shared by every layer.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace gd {

struct Point {
  int x = 0;
  int y = 0;
};

struct Size {
  int width = 0;
  int height = 0;
};

// Right and bottom edges are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool Intersects(const Rect& o) const {
    return !Empty() && !o.Empty() && o.left < right && left < o.right && o.top < bottom && top < o.bottom;
  }
  // The smallest rectangle holding both (an empty one adds nothing).
  Rect United(const Rect& o) const {
    if (o.Empty()) return *this;
    if (Empty()) return o;
    return {left < o.left ? left : o.left, top < o.top ? top : o.top, right > o.right ? right : o.right,
            bottom > o.bottom ? bottom : o.bottom};
  }
  Rect Intersected(const Rect& o) const {
    const Rect r{left > o.left ? left : o.left, top > o.top ? top : o.top, right < o.right ? right : o.right,
                 bottom < o.bottom ? bottom : o.bottom};
    return r.Empty() ? Rect{} : r;
  }
  bool operator==(const Rect&) const = default;
};

// Per row of a picture, one stretch of columns [first, second); a row whose
// first is not below its second has none.
using RowStretches = std::vector<std::pair<int, int>>;

// Every row of a picture `width` wide, whole.
inline RowStretches WholeRows(int width, int height) {
  return RowStretches(static_cast<std::size_t>(height > 0 ? height : 0), {0, width});
}

// Widens row y's stretch to hold [from, to) too.
inline void AddStretch(RowStretches& rows, int y, int from, int to) {
  if (from >= to || y < 0 || static_cast<std::size_t>(y) >= rows.size()) return;
  auto& [first, second] = rows[y];
  if (first >= second) {
    first = from;
    second = to;
  } else {
    first = from < first ? from : first;
    second = to > second ? to : second;
  }
}

// Widens each row's stretch to hold the same row's stretch of `more` too.
inline void AddStretches(RowStretches& rows, const RowStretches& more) {
  for (std::size_t y = 0; y < rows.size() && y < more.size(); ++y)
    AddStretch(rows, static_cast<int>(y), more[y].first, more[y].second);
}

inline void AddRect(RowStretches& rows, const Rect& r) {
  if (r.Empty()) return;
  for (int y = r.top; y < r.bottom; ++y) AddStretch(rows, y, r.left, r.right);
}

// Whether some row of `r` has a stretch that meets it.
inline bool Meets(const RowStretches& rows, const Rect& r) {
  if (r.Empty()) return false;
  for (int y = r.top < 0 ? 0 : r.top; y < r.bottom && static_cast<std::size_t>(y) < rows.size(); ++y)
    if (rows[y].first < rows[y].second && rows[y].first < r.right && r.left < rows[y].second) return true;
  return false;
}

}  // namespace gd
