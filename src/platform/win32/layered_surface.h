// The picture behind the layered window: frames are copied into it row by
// row, and only the pixels that changed since the last frame go to the
// screen.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "base/frame_buffer.h"
#include "base/geometry.h"
#include "base/region.h"

namespace gd::win32 {

// For each row of a picture, the runs [left, right) of pixels a window region
// keeps, left to right.
using RowRuns = std::vector<std::vector<std::pair<int, int>>>;
RowRuns KeptRuns(const Region& region, int width, int height);

// Copies `frame` into `surface` (a top-down 32-bit picture of the frame's
// size), leaving the pixels outside `kept` (when given) clear, and returns the
// smallest rectangle that holds every pixel whose bytes changed: empty when
// the picture is the same as before. With `fresh` the surface holds nothing
// yet and the whole picture counts as changed.
Rect CopyChangedPixels(const FrameBuffer& frame, const RowRuns* kept, uint8_t* surface, bool fresh);

}  // namespace gd::win32
