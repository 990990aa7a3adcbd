// The one drawing operation of the scene: blends a picture's colours into a
// frame buffer with the picture's own alpha, clipped to the frame. The frame's
// alpha bytes are never written, so the window's per-pixel alpha always stays
// that of the globe.
#pragma once

#include "app/frame_buffer.h"
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
// spans of columns left open (an AlphaRuns whose runs are all opaque).
using VisibleSpans = AlphaRuns;

// As BlendImage, but only where `visible` (built for the frame's height)
// leaves the frame open; elsewhere the frame stays as it is.
void BlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y, const VisibleSpans& visible);

// The formula for `n` consecutive pixels: `src` holds blue, green, red, alpha
// per pixel, `dst` points into a frame row; the frame's alpha bytes stay.
void BlendPixels(uint8_t* dst, const uint8_t* src, int n);

}  // namespace gd
