// A window region: a set of pixels in window coordinates, made from a bounding
// rectangle minus a list of rectangles. Backends rebuild it with the platform's
// own region calls (create the rectangle, subtract each cut in order), so the
// core keeps the cuts rather than a flattened shape.
#pragma once

#include <vector>

#include "base/geometry.h"

namespace gd {

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
