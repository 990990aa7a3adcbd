#include "scene/blend.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define GD_BLEND_SSE2 1
#endif

namespace gd {
namespace {

// The alpha byte (the fourth) of a pixel read as one 32-bit word.
constexpr uint32_t kAlphaMask = std::endian::native == std::endian::little ? 0xFF000000u : 0x000000FFu;

// Opaque pixels: blue, green and red from the picture, alpha kept.
inline void CopyColours(uint8_t* dst, const uint8_t* src, int n) {
  for (int i = 0; i < n; ++i, src += 4, dst += 4) {
    uint32_t s, d;
    std::memcpy(&s, src, 4);
    std::memcpy(&d, dst, 4);
    d = (s & ~kAlphaMask) | (d & kAlphaMask);
    std::memcpy(dst, &d, 4);
  }
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

inline void BlendColours(uint8_t* dst, const uint8_t* src, int n) {
#ifdef GD_BLEND_SSE2
  // Two pixels at a time, the same formula in eight 16-bit lanes (the alpha
  // lanes are computed too, then replaced by the frame's alpha bytes).
  const __m128i zero = _mm_setzero_si128();
  const __m128i c255 = _mm_set1_epi16(255);
  const __m128i keepAlpha = _mm_set1_epi32(static_cast<int>(kAlphaMask));
  for (; n >= 2; n -= 2, src += 8, dst += 8) {
    const __m128i s8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src));
    const __m128i d8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst));
    const __m128i s = _mm_unpacklo_epi8(s8, zero);
    const __m128i d = _mm_unpacklo_epi8(d8, zero);
    const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, _mm_sub_epi16(c255, a))), c255);
    const __m128i r8 = _mm_packus_epi16(_mm_srli_epi16(sum, 8), zero);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst),
                     _mm_or_si128(_mm_and_si128(d8, keepAlpha), _mm_andnot_si128(keepAlpha, r8)));
  }
#endif
  for (int i = 0; i < n; ++i, src += 4, dst += 4) BlendColour(dst, src, src[3]);
}

// The picture's columns [b, e) of one row onto the frame row, at offset x.
inline void Span(uint8_t* dstRow, const uint8_t* srcRow, int x, int b, int e, bool opaque) {
  if (opaque)
    CopyColours(dstRow + (x + b) * 4, srcRow + b * 4, e - b);
  else
    BlendColours(dstRow + (x + b) * 4, srcRow + b * 4, e - b);
}

// The rows and columns of the picture that land in the frame and in a row
// with a run; false when there are none.
struct Clip {
  int x0, x1, y0, y1;
};
inline bool ClipTo(const FrameBuffer& frame, const SceneImage& image, const AlphaRuns& runs, int x, int y, Clip& c) {
  c.x0 = std::max(0, -x);
  c.x1 = std::min(image.width, frame.width - x);
  c.y0 = std::max({0, -y, runs.firstRow});
  c.y1 = std::min({image.height, frame.height - y, runs.endRow});
  return c.x0 < c.x1 && c.y0 < c.y1;
}

void BlendRuns(FrameBuffer& frame, const SceneImage& image, const AlphaRuns& runs, int x, int y) {
  if (!image.Drawable() || !runs.BuiltFor(image.height) || frame.Empty()) return;
  Clip c;
  if (!ClipTo(frame, image, runs, x, y, c)) return;
  for (int j = c.y0; j < c.y1; ++j) {
    const uint8_t* srcRow = image.bgra.data() + static_cast<size_t>(j) * image.width * 4;
    uint8_t* dstRow = frame.Row(y + j);
    for (uint32_t r = runs.rowStart[j], end = runs.rowStart[j + 1]; r < end; ++r) {
      const AlphaRun& run = runs.runs[r];
      if (run.begin >= c.x1) break;
      const int b = std::max(run.begin, c.x0);
      const int e = std::min(run.end, c.x1);
      if (b < e) Span(dstRow, srcRow, x, b, e, run.opaque);
    }
  }
}

}  // namespace

void BlendPixels(uint8_t* dst, const uint8_t* src, int n) { BlendColours(dst, src, n); }

void BlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y) {
  BlendRuns(frame, image, image.runs, x, y);
}

void BlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y, const VisibleSpans& visible) {
  if (!image.Drawable() || frame.Empty() || !visible.BuiltFor(frame.height)) return;
  Clip c;
  if (!ClipTo(frame, image, image.runs, x, y, c)) return;
  // Only frame rows with an open span can change.
  c.y0 = std::max(c.y0, visible.firstRow - y);
  c.y1 = std::min(c.y1, visible.endRow - y);
  for (int j = c.y0; j < c.y1; ++j) {
    const uint8_t* srcRow = image.bgra.data() + static_cast<size_t>(j) * image.width * 4;
    uint8_t* dstRow = frame.Row(y + j);
    // Both lists run left to right: walk them together, in picture columns.
    const AlphaRun* open = visible.runs.data() + visible.rowStart[y + j];
    const AlphaRun* openEnd = visible.runs.data() + visible.rowStart[y + j + 1];
    for (uint32_t r = image.runs.rowStart[j], end = image.runs.rowStart[j + 1]; r < end && open != openEnd; ++r) {
      const AlphaRun& run = image.runs.runs[r];
      const int b = std::max(run.begin, c.x0);
      const int e = std::min(run.end, c.x1);
      if (b >= c.x1) break;
      for (; open != openEnd && open->begin - x < e; ++open) {
        const int ob = std::max(b, open->begin - x);
        const int oe = std::min(e, open->end - x);
        if (ob < oe) Span(dstRow, srcRow, x, ob, oe, run.opaque);
        if (open->end - x > e) break;  // this open span reaches into the next run
      }
    }
  }
}

}  // namespace gd
