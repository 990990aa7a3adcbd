#include "images/alpha_runs.h"

#include <cstring>

namespace gd {

void AlphaRuns::Build(const uint8_t* bgra, int width, int height) {
  runs.clear();
  rowStart.assign(1, 0);
  firstRow = height;
  endRow = 0;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = bgra + static_cast<size_t>(y) * width * 4;
    int x = 0;
    while (x < width) {
      const uint8_t a = row[x * 4 + 3];
      if (a == 0) {
        ++x;
        continue;
      }
      const bool opaque = a == 255;
      const int begin = x;
      while (x < width && row[x * 4 + 3] != 0 && (row[x * 4 + 3] == 255) == opaque) ++x;
      bool solid = opaque;
      for (int i = begin + 1; solid && i < x; ++i) solid = std::memcmp(row + i * 4, row + begin * 4, 4) == 0;
      runs.push_back({begin, x, opaque, solid});
    }
    rowStart.push_back(static_cast<uint32_t>(runs.size()));
    if (rowStart[y + 1] != rowStart[y]) {
      if (firstRow > y) firstRow = y;
      endRow = y + 1;
    }
  }
  if (firstRow > endRow) firstRow = endRow;
}

}  // namespace gd
