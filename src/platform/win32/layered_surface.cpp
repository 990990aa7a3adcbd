#include "platform/win32/layered_surface.h"

#include <algorithm>
#include <cstring>

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

void ClearOutsideKept(uint8_t* surface, int width, const RowRuns& kept, const RowStretches& written) {
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  for (size_t y = 0; y < written.size(); ++y) {
    const int from = std::max(written[y].first, 0), to = std::min(written[y].second, width);
    if (from >= to) continue;
    uint8_t* row = surface + y * rowBytes;
    const auto clear = [row](int b, int e) {
      if (b < e) std::memset(row + static_cast<size_t>(b) * 4, 0, static_cast<size_t>(e - b) * 4);
    };
    int x = from;  // everything left of x in the stretch is settled
    if (y < kept.size())
      for (const auto& [l, r] : kept[y]) {
        if (r <= x) continue;
        if (l >= to) break;
        clear(x, l);
        x = std::max(x, r);
      }
    clear(x, to);
  }
}

Rect StretchBounds(const RowStretches& rows, int width) {
  Rect box;
  for (size_t y = 0; y < rows.size(); ++y) {
    const int from = std::max(rows[y].first, 0), to = std::min(rows[y].second, width);
    if (from < to) box = box.United(Rect{from, static_cast<int>(y), to, static_cast<int>(y) + 1});
  }
  return box;
}

}  // namespace gd::win32
