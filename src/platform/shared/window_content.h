// The window's content from the core's frames, for a backend whose window
// shows a 32-bit premultiplied picture of its own (cairo's ARGB32 words on
// little-endian machines, as the frame's bytes): the frame at the window's
// constant alpha, the rectangles worth uploading, the outline as a stretch of
// each row, and the outline in the units of a scaled window. Nothing here
// asks a window system.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "base/frame_buffer.h"
#include "base/geometry.h"
#include "base/region.h"

namespace gd {

// Painted under the frame where no compositor blends it with the desktop, so
// that the anti-aliased fringe of the glass meets a neutral grey, not black.
constexpr uint32_t kFallbackGrey = 128;

// The first and one past the last pixel (4 bytes each) of [from, to) at
// which two rows differ; from >= to when they hold the same bytes. Whole
// blocks are compared first, so that a row changed only in its middle costs
// a few comparisons.
std::pair<int, int> DifferingStretch(const unsigned char* a, const unsigned char* b, int from, int to);

// Brings the picture at `data` (the frame's size in cairo ARGB32 words, rows
// `stride` bytes apart) to what the window shows for a frame (blue, green,
// red, premultiplied alpha bytes): the frame at the constant alpha, over
// transparency when a compositor blends the window with the desktop, or over
// an opaque grey when none does (the shape still cuts the window to the
// outline, and nothing is left black). Returns the rectangle that holds every
// pixel that took a new value (the whole picture when `fresh`; empty when
// none did): one upload of it costs the X server and a compositor less than
// many small ones.
// With `inside` (a stretch of columns for each row, see InsideSpans) only
// pixels inside the outline are looked at and written: the rest keep what
// they hold (transparency). With `within` (unless `fresh`) only pixels in
// its stretch of each row are, all of them taken as changed: the picture
// already holds the frame everywhere else. `data` may be the frame's own
// memory: the frame becomes the window's picture in place.
Rect UpdateWindowContent(const FrameBuffer& frame, uint8_t constantAlpha, bool composited, unsigned char* data,
                         int stride, bool fresh, const std::vector<std::pair<int, int>>* inside = nullptr,
                         const RowStretches* within = nullptr);

// For a frame written straight into the window's content: clears what lies
// outside the outline (`inside`, as above)
// within `within` (every row when null), as UpdateWindowContent leaves it
// transparent, and gives the rectangle that holds `within`.
Rect SettleComposedContent(unsigned char* data, int stride, int width, int height,
                           const std::vector<std::pair<int, int>>* inside, const RowStretches* within);

// The rectangles that hold the pixels of `rows` (a stretch of each row) in a
// picture `width` pixels wide, inside `inside` when given: the rows go
// together into bands while one band costs less than two uploads; at most 32.
// `bands` is filled afresh (its memory is reused from frame to frame).
void UploadRectangles(const RowStretches& rows, int width, const std::vector<std::pair<int, int>>* inside,
                      std::vector<Rect>* bands);

// The stretch of columns [first, last) of each of `height` rows that lies
// inside `region`; false when a row holds more than one stretch.
bool InsideSpans(const Region& region, int height, std::vector<std::pair<int, int>>* spans);

// A region in device pixels in a window's units of `scale` device pixels (as
// GTK counts): a unit is cut away only where all of its pixels are, so
// nothing inside is lost.
Region ScaledDownRegion(const Region& region, int scale);

// The same for a unit of `unit` device pixels, a fractional scale: a unit
// is cut away only where every device pixel it covers, wholly or in part, is.
Region RegionInUnits(const Region& region, double unit);

}  // namespace gd
