// The picture behind the layered window: the core composes each frame
// straight into it, and only the rectangle that holds what changed since the
// last frame goes to the screen.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "base/geometry.h"
#include "base/region.h"

namespace gd::win32 {

// For each row of a picture, the runs [left, right) of pixels a window region
// keeps, left to right.
using RowRuns = std::vector<std::vector<std::pair<int, int>>>;
RowRuns KeptRuns(const Region& region, int width, int height);

// For a frame the core composed straight into `surface` (a top-down 32-bit
// picture `width` pixels wide, a row for each of `written`): clears the
// pixels of each row's written stretch that `kept` leaves out, as the window
// shows nothing there.
void ClearOutsideKept(uint8_t* surface, int width, const RowRuns& kept, const RowStretches& written);

// The smallest rectangle that holds each row's stretch of `rows`, cut to
// `width` columns: empty when no row has one.
Rect StretchBounds(const RowStretches& rows, int width);

}  // namespace gd::win32
