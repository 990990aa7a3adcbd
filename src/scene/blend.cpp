#include "scene/blend.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace gd {
namespace {

// The alpha byte (the fourth) of a pixel read as one 32-bit word.
constexpr uint32_t kAlphaMask = std::endian::native == std::endian::little ? 0xFF000000u : 0x000000FFu;

// An opaque pixel: blue, green and red from the picture, alpha kept.
inline void CopyColour(uint8_t* dst, const uint8_t* src) {
  uint32_t s, d;
  std::memcpy(&s, src, 4);
  std::memcpy(&d, dst, 4);
  d = (s & ~kAlphaMask) | (d & kAlphaMask);
  std::memcpy(dst, &d, 4);
}

// The formula on blue, green and red at once, each in a 16-bit lane of one
// 64-bit word: s * a + d * (255 - a) + 255 never exceeds 65,280, so no lane
// carries into the next and every lane gives exactly BlendByte's value.
inline void BlendColour(uint8_t* dst, const uint8_t* src, unsigned a) {
  const uint64_t s = src[0] | uint64_t{src[1]} << 16 | uint64_t{src[2]} << 32;
  const uint64_t d = dst[0] | uint64_t{dst[1]} << 16 | uint64_t{dst[2]} << 32;
  const uint64_t r = (s * a + d * (255 - a) + 0x000000FF00FF00FFull) >> 8;
  dst[0] = static_cast<uint8_t>(r);
  dst[1] = static_cast<uint8_t>(r >> 16);
  dst[2] = static_cast<uint8_t>(r >> 32);
}

}  // namespace

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
        for (int i = b; i < e; ++i, src += 4, dst += 4) CopyColour(dst, src);
      } else {
        for (int i = b; i < e; ++i, src += 4, dst += 4) BlendColour(dst, src, src[3]);
      }
    }
  }
}

}  // namespace gd
