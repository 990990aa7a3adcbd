// A window region: a set of pixels in window coordinates, made from a bounding
// rectangle minus a list of rectangles. Backends rebuild it with the platform's
// own region calls (create the rectangle, subtract each cut in order), so the
// core keeps the cuts rather than a flattened shape.
#pragma once

#include <vector>

namespace gd {

// Right and bottom edges are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const Rect&) const = default;
};

class Region {
 public:
  Region() = default;
  explicit Region(Rect bounds) : bounds_(bounds) {}

  void Subtract(Rect cut) {
    if (!cut.Empty()) cuts_.push_back(cut);
  }

  const Rect& Bounds() const { return bounds_; }
  const std::vector<Rect>& Cuts() const { return cuts_; }

  bool Contains(int x, int y) const;
  bool IsEmpty() const;
  // The region as disjoint rectangles, one run of pixels per row at most as
  // wide as the row's longest unbroken stretch, top to bottom, left to right.
  std::vector<Rect> Rectangles() const;

 private:
  Rect bounds_;
  std::vector<Rect> cuts_;
};

}  // namespace gd
