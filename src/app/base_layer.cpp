#include "app/base_layer.h"

#include <cstring>

namespace gd {

void CopyPngAlpha(FrameBuffer& bitmap, const PngImage& png) {
  for (int y = 0; y < bitmap.height; ++y) {
    const uint8_t* alpha = png.AlphaRow(static_cast<uint32_t>(y));
    if (!alpha) return;
    uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.width; ++x) row[x * 4 + 3] = alpha[x];
  }
}

void Premultiply(FrameBuffer& bitmap) {
  for (size_t i = 0; i + 3 < bitmap.pixels.size(); i += 4) {
    const unsigned a = bitmap.pixels[i + 3];
    for (int c = 0; c < 3; ++c) bitmap.pixels[i + c] = static_cast<uint8_t>(bitmap.pixels[i + c] * a / 255);
  }
}

}  // namespace gd
