// Where a picture can change a frame: for every row, the runs of pixels whose
// alpha is not 0, each marked opaque (alpha 255 throughout) or partial. Pixels
// of alpha 0 leave the frame as it is and belong to no run. Built once per
// picture, read by every draw. (The sky's strip is such a picture: each of
// its rows one colour.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gd {

struct AlphaRun {
  int32_t begin = 0;  // first column
  int32_t end = 0;    // one past the last column
  bool opaque = false;
  bool solid = false;  // opaque, every pixel of one colour: drawn as a fill
};

struct AlphaRuns {
  std::vector<AlphaRun> runs;       // row by row, left to right
  std::vector<uint32_t> rowStart;   // height + 1 entries: runs of row j are [rowStart[j], rowStart[j + 1])
  int32_t firstRow = 0;             // rows outside [firstRow, endRow) have no run
  int32_t endRow = 0;

  // Indexes a picture of blue, green, red, alpha bytes, rows from the top.
  void Build(const uint8_t* bgra, int width, int height);
  bool BuiltFor(int height) const { return rowStart.size() == static_cast<size_t>(height) + 1; }
};

}  // namespace gd
