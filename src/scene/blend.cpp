#include "scene/blend.h"

#include <algorithm>

namespace gd {

void BlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y) {
  if (!image.Drawable() || frame.Empty()) return;
  // Clip the picture's rectangle to the frame, in picture coordinates; rows
  // without a run cannot change anything.
  const int x0 = std::max(0, -x);
  const int x1 = std::min(image.width, frame.width - x);
  const int y0 = std::max({0, -y, image.runs.firstRow});
  const int y1 = std::min({image.height, frame.height - y, image.runs.endRow});
  if (x0 >= x1 || y0 >= y1) return;

  const AlphaRun* runs = image.runs.runs.data();
  for (int j = y0; j < y1; ++j) {
    const uint8_t* srcRow = image.bgra.data() + static_cast<size_t>(j) * image.width * 4;
    uint8_t* dstRow = frame.Row(y + j);
    for (uint32_t r = image.runs.rowStart[j], end = image.runs.rowStart[j + 1]; r < end; ++r) {
      const AlphaRun& run = runs[r];
      if (run.begin >= x1) break;
      const int b = std::max(run.begin, x0);
      const int e = std::min(run.end, x1);
      if (b >= e) continue;
      const uint8_t* src = srcRow + b * 4;
      uint8_t* dst = dstRow + (x + b) * 4;
      if (run.opaque) {
        for (int i = b; i < e; ++i, src += 4, dst += 4) {
          dst[0] = src[0];
          dst[1] = src[1];
          dst[2] = src[2];
        }
      } else {
        for (int i = b; i < e; ++i, src += 4, dst += 4) {
          const unsigned a = src[3];
          dst[0] = BlendByte(src[0], dst[0], a);
          dst[1] = BlendByte(src[1], dst[1], a);
          dst[2] = BlendByte(src[2], dst[2], a);
        }
      }
    }
  }
}

}  // namespace gd
