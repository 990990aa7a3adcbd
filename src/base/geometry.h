// Points, sizes and rectangles in whole pixels, shared by every layer.
#pragma once

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

}  // namespace gd
