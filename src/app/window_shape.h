// The window's outline, cut from the mask picture: every pixel whose colour is
// not pure white stays in the region; runs of pure white are cut away row by row.
#pragma once

#include <cstdint>

#include "base/region.h"

namespace gd {

constexpr uint32_t kPureWhite = 0xFFFFFF;

// `Mask` offers Width(), Height() and Pixel(x, y) giving the colour as a
// 24-bit value (red in the low byte), y counted from the top.
template <typename Mask>
Region RegionFromMask(const Mask& mask) {
  const int w = mask.Width();
  const int h = mask.Height();
  Region region(Rect{0, 0, w, h});
  if (w <= 0 || h <= 0) return region;
  for (int y = 0; y < h; ++y) {
    int runStart = 0;
    uint32_t runColor = mask.Pixel(0, y);
    for (int x = 1; x <= w; ++x) {
      const bool rowEnds = x == w;
      const uint32_t color = rowEnds ? 0 : mask.Pixel(x, y);
      if (rowEnds || color != runColor) {
        if (runColor == kPureWhite) region.Subtract(Rect{runStart, y, x, y + 1});
        runStart = x;
        runColor = color;
      }
    }
  }
  return region;
}

}  // namespace gd
