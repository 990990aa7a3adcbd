#include "scene/blend.h"

#include <algorithm>

namespace gd {

void BlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y) {
  if (image.bgra.empty() || image.width <= 0 || image.height <= 0) return;
  // Clip the picture's rectangle to the frame.
  const int x0 = std::max(0, -x), y0 = std::max(0, -y);
  const int x1 = std::min(image.width, frame.width - x), y1 = std::min(image.height, frame.height - y);
  for (int j = y0; j < y1; ++j) {
    const uint8_t* src = image.bgra.data() + (static_cast<size_t>(j) * image.width + x0) * 4;
    uint8_t* dst = frame.Pixel(x + x0, y + j);
    for (int i = x0; i < x1; ++i, src += 4, dst += 4) {
      const unsigned a = src[3];
      if (a == 0) continue;  // leaves the byte as it is, as the formula does
      dst[0] = BlendByte(src[0], dst[0], a);
      dst[1] = BlendByte(src[1], dst[1], a);
      dst[2] = BlendByte(src[2], dst[2], a);
    }
  }
}

}  // namespace gd
