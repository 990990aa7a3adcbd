// The one drawing operation of the scene: blends a picture's colours into a
// frame buffer with the picture's own alpha, clipped to the frame. The frame's
// alpha bytes are never written, so the window's per-pixel alpha always stays
// that of the globe.
#pragma once

#include <cstdint>
#include <vector>

#include "base/frame_buffer.h"
#include "base/geometry.h"
#include "images/catalogue.h"

namespace gd {

// d := (s * a + d * (255 - a) + 255) >> 8 on blue, green and red.
inline uint8_t BlendByte(unsigned s, unsigned d, unsigned a) {
  return static_cast<uint8_t>((s * a + d * (255 - a) + 255) >> 8);
}

// Blends `image` with its top-left corner at (x, y); either may be negative or
// beyond the frame. Works in place and touches only pixels the picture can
// change: alpha 0 leaves a pixel as it is and alpha 255 gives the picture's
// colour, exactly as the formula does, so only partly covering pixels are
// computed. A picture that is not indexed (see SceneImage::Drawable) draws
// nothing.
void BlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y);

// Where in a frame a picture may still change something: per frame row, the
// spans of columns left open, and the same as one bit per pixel, which small
// pictures (the snowflakes) test directly instead of walking the row's spans.
struct VisibleSpans {
  AlphaRuns spans;              // runs all opaque
  std::vector<uint64_t> bits;   // row by row, wordsPerRow words each; bit x % 64 of word x / 64
  int wordsPerRow = 0;

  // Open wherever the alpha of `bgra` (blue, green, red, alpha per pixel,
  // rows from the top) is not 0.
  void Build(const uint8_t* bgra, int width, int height);
  bool BuiltFor(int height) const { return spans.BuiltFor(height); }
  // Whether the bits cover every pixel of `frame`.
  bool HasBitsFor(const FrameBuffer& frame) const {
    return bits.size() == static_cast<size_t>(wordsPerRow) * frame.height && wordsPerRow * 64 >= frame.width;
  }
  // Bit i tells whether (x + i, y) is open, for i below n (1 to 64); pixels
  // x to x + n - 1 must lie inside the frame.
  uint64_t OpenBits(int x, int y, int n) const {
    const uint64_t* row = bits.data() + static_cast<size_t>(y) * wordsPerRow;
    const int word = x >> 6, shift = x & 63;
    uint64_t v = row[word] >> shift;
    if (shift != 0 && shift + n > 64) v |= row[word + 1] << (64 - shift);
    return n == 64 ? v : v & ((uint64_t{1} << n) - 1);
  }
};

// Pictures of at most this many pixels are tested against the open bits
// rather than the open spans.
inline constexpr int kSmallPicturePixels = 64;

// As BlendImage, but only where `visible` (built for the frame's height)
// leaves the frame open, and with `within` (one stretch per frame row) only
// within those stretches; elsewhere the frame stays as it is.
void BlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y, const VisibleSpans& visible,
                const RowStretches* within = nullptr);

// A picture at a place in a frame.
struct PlacedImage {
  const SceneImage* image;
  int x, y;
  bool operator==(const PlacedImage&) const = default;
};

// Blends `n` pictures one after the other where `visible` leaves the frame
// open, exactly as n calls of BlendImage would. Made for hundreds of small
// pictures: it asks for the frame rows of the pictures ahead while it draws.
void BlendImages(FrameBuffer& frame, const PlacedImage* images, size_t n, const VisibleSpans& visible);

// The formula for `n` consecutive pixels: `src` holds blue, green, red, alpha
// per pixel, `dst` points into a frame row; the frame's alpha bytes stay.
void BlendPixels(uint8_t* dst, const uint8_t* src, int n);

}  // namespace gd
