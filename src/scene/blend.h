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

void BlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y);

}  // namespace gd
