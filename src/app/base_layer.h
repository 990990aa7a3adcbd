// Building the base layer: the globe picture as a premultiplied 32-bit frame.
#pragma once

#include "base/frame_buffer.h"
#include "images/png.h"

namespace gd {

// Writes the picture's alpha rows into byte 3 of every pixel of `bitmap`,
// which has the picture's width and height. Bytes 0 to 2 are not touched.
void CopyPngAlpha(FrameBuffer& bitmap, const PngImage& png);

// Multiplies each pixel's blue, green and red by its alpha, dividing by 255
// and dropping the remainder. Alpha stays as it is.
void Premultiply(FrameBuffer& bitmap);

}  // namespace gd
