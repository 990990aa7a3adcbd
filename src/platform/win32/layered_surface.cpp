#include "platform/win32/layered_surface.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "platform/shared/window_content.h"

namespace gd::win32 {

RowRuns KeptRuns(const Region& region, int width, int height) {
  RowRuns rows(static_cast<size_t>(std::max(height, 0)));
  for (const Rect& r : region.Rectangles()) {
    const int left = std::max(r.left, 0), right = std::min(r.right, width);
    if (left >= right) continue;
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, height); ++y) rows[y].push_back({left, right});
  }
  for (auto& row : rows) std::sort(row.begin(), row.end());
  return rows;
}

Rect CopyChangedPixels(const FrameBuffer& frame, const RowRuns* kept, uint8_t* surface, bool fresh) {
  const int width = frame.width;
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  std::vector<uint8_t> masked(kept ? rowBytes : 0);
  int left = width, right = 0, top = frame.height, bottom = 0;
  for (int y = 0; y < frame.height; ++y) {
    const uint8_t* src = frame.Row(y);
    if (kept) {
      // The row as the window shows it: nothing outside the region.
      std::fill(masked.begin(), masked.end(), uint8_t{0});
      if (static_cast<size_t>(y) < kept->size())
        for (const auto& [l, r] : (*kept)[y])
          std::memcpy(masked.data() + static_cast<size_t>(l) * 4, src + static_cast<size_t>(l) * 4,
                      static_cast<size_t>(r - l) * 4);
      src = masked.data();
    }
    uint8_t* dst = surface + static_cast<size_t>(y) * rowBytes;
    int first = 0, end = width;
    if (!fresh) {
      std::tie(first, end) = DifferingStretch(dst, src, 0, width);
      if (first >= end) continue;
    }
    std::memcpy(dst + static_cast<size_t>(first) * 4, src + static_cast<size_t>(first) * 4,
                static_cast<size_t>(end - first) * 4);
    left = std::min(left, first);
    right = std::max(right, end);
    top = std::min(top, y);
    bottom = y + 1;
  }
  if (top >= bottom) return {};
  return {left, top, right, bottom};
}

}  // namespace gd::win32
