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
#ifdef GD_BLEND_SSE2
  const __m128i keepAlpha = _mm_set1_epi32(static_cast<int>(kAlphaMask));
  for (; n >= 4; n -= 4, src += 16, dst += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_or_si128(_mm_and_si128(d, keepAlpha), _mm_andnot_si128(keepAlpha, s)));
  }
#endif
  for (int i = 0; i < n; ++i, src += 4, dst += 4) {
    uint32_t s, d;
    std::memcpy(&s, src, 4);
    std::memcpy(&d, dst, 4);
    d = (s & ~kAlphaMask) | (d & kAlphaMask);
    std::memcpy(dst, &d, 4);
  }
}

// A run of one opaque colour: blue, green and red from `colour`, alpha kept.
inline void FillColours(uint8_t* dst, const uint8_t* colour, int n) {
  uint32_t c;
  std::memcpy(&c, colour, 4);
  c &= ~kAlphaMask;
#ifdef GD_BLEND_SSE2
  const __m128i keepAlpha = _mm_set1_epi32(static_cast<int>(kAlphaMask));
  const __m128i fill = _mm_set1_epi32(static_cast<int>(c));
  for (; n >= 4; n -= 4, dst += 16) {
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_or_si128(_mm_and_si128(d, keepAlpha), fill));
  }
#endif
  for (; n > 0; --n, dst += 4) {
    uint32_t d;
    std::memcpy(&d, dst, 4);
    d = c | (d & kAlphaMask);
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

// The formula on `n` pixels (at most 64) where bit i of `through` lets pixel i
// of the picture through; elsewhere the frame stays as it is. (A frame's
// flakes go through BlendImages; this serves flakes cut by the frame's edge.)
inline void BlendThrough(uint8_t* dst, const uint8_t* src, int n, uint64_t through) {
  for (int i = 0; i < n; ++i, src += 4, dst += 4)
    if ((through >> i) & 1) BlendColour(dst, src, src[3]);
}

#ifdef GD_BLEND_SSE2
// The formula on four pixels at once, where bit i of `through` lets pixel i
// through (the others are blended with alpha 0, which leaves them as they
// are); the frame's alpha bytes stay.
inline __m128i BlendFour(__m128i s8, __m128i d8, unsigned through) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i c255 = _mm_set1_epi16(255);
  // Bit i of `through` as all ones in pixel i's 32-bit lane, then its alpha byte.
  const __m128i lane = _mm_set_epi32(8, 4, 2, 1);
  const __m128i open = _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(static_cast<int>(through)), lane), lane);
  const __m128i a8 = _mm_and_si128(_mm_srli_epi32(s8, 24), open);  // alpha in the low byte of each lane
  const __m128i a16 = _mm_or_si128(a8, _mm_slli_epi32(a8, 16));     // ... and in both 16-bit halves
  const __m128i aLo = _mm_unpacklo_epi32(a16, a16), aHi = _mm_unpackhi_epi32(a16, a16);
  const auto half = [&](__m128i s, __m128i d, __m128i a) {
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, _mm_sub_epi16(c255, a))), c255);
    return _mm_srli_epi16(sum, 8);
  };
  const __m128i lo = half(_mm_unpacklo_epi8(s8, zero), _mm_unpacklo_epi8(d8, zero), aLo);
  const __m128i hi = half(_mm_unpackhi_epi8(s8, zero), _mm_unpackhi_epi8(d8, zero), aHi);
  const __m128i keepAlpha = _mm_set1_epi32(static_cast<int>(kAlphaMask));
  return _mm_or_si128(_mm_and_si128(d8, keepAlpha), _mm_andnot_si128(keepAlpha, _mm_packus_epi16(lo, hi)));
}
#endif

// The picture's columns [b, e) of one row, within `run`, onto the frame row,
// at offset x.
inline void Span(uint8_t* dstRow, const uint8_t* srcRow, int x, int b, int e, const AlphaRun& run) {
  if (run.solid)
    FillColours(dstRow + (x + b) * 4, srcRow + run.begin * 4, e - b);
  else if (run.opaque)
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
      if (b < e) Span(dstRow, srcRow, x, b, e, run);
    }
  }
}

}  // namespace

void BlendPixels(uint8_t* dst, const uint8_t* src, int n) { BlendColours(dst, src, n); }

void BlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y) {
  BlendRuns(frame, image, image.runs, x, y);
}

void VisibleSpans::Build(const uint8_t* bgra, int width, int height) {
  spans.Build(bgra, width, height);
  wordsPerRow = (std::max(width, 0) + 63) / 64;
  bits.assign(static_cast<size_t>(wordsPerRow) * std::max(height, 0), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (bgra[(static_cast<size_t>(y) * width + x) * 4 + 3] != 0)
        bits[static_cast<size_t>(y) * wordsPerRow + (x >> 6)] |= uint64_t{1} << (x & 63);
}

void BlendImage(FrameBuffer& frame, const SceneImage& image, int x, int y, const VisibleSpans& visible,
                const RowStretches* within) {
  if (!image.Drawable() || frame.Empty() || !visible.BuiltFor(frame.height)) return;
  if (within && within->size() != static_cast<size_t>(frame.height)) return;
  Clip c;
  if (!ClipTo(frame, image, image.runs, x, y, c)) return;
  if (image.width * image.height <= kSmallPicturePixels && visible.HasBitsFor(frame)) {
    // A flake: each row's few pixels tested against the open bits.
    const int n = c.x1 - c.x0, fx = x + c.x0;
    for (int j = c.y0; j < c.y1; ++j) {
      uint64_t through = visible.OpenBits(fx, y + j, n);
      if (within) {
        const int from = std::max((*within)[y + j].first, fx) - fx, to = std::min((*within)[y + j].second, fx + n) - fx;
        through = from < to ? through & (((to - from == 64 ? 0 : uint64_t{1} << (to - from)) - 1) << from) : 0;
      }
      BlendThrough(frame.Row(y + j) + fx * 4, image.bgra.data() + (static_cast<size_t>(j) * image.width + c.x0) * 4, n,
                   through);
    }
    return;
  }
  // Only frame rows with an open span can change.
  c.y0 = std::max(c.y0, visible.spans.firstRow - y);
  c.y1 = std::min(c.y1, visible.spans.endRow - y);
  for (int j = c.y0; j < c.y1; ++j) {
    const uint8_t* srcRow = image.bgra.data() + static_cast<size_t>(j) * image.width * 4;
    uint8_t* dstRow = frame.Row(y + j);
    // Within the row's stretch only, in picture columns.
    int x0 = c.x0, x1 = c.x1;
    if (within) {
      x0 = std::max(x0, (*within)[y + j].first - x);
      x1 = std::min(x1, (*within)[y + j].second - x);
      if (x0 >= x1) continue;
    }
    // Both lists run left to right: walk them together, in picture columns.
    const AlphaRun* open = visible.spans.runs.data() + visible.spans.rowStart[y + j];
    const AlphaRun* openEnd = visible.spans.runs.data() + visible.spans.rowStart[y + j + 1];
    for (uint32_t r = image.runs.rowStart[j], end = image.runs.rowStart[j + 1]; r < end && open != openEnd; ++r) {
      const AlphaRun& run = image.runs.runs[r];
      const int b = std::max(run.begin, x0);
      const int e = std::min(run.end, x1);
      if (b >= x1) break;
      for (; open != openEnd && open->begin - x < e; ++open) {
        const int ob = std::max(b, open->begin - x);
        const int oe = std::min(e, open->end - x);
        if (ob < oe) Span(dstRow, srcRow, x, ob, oe, run);
        if (open->end - x > e) break;  // this open span reaches into the next run
      }
    }
  }
}

void BlendImages(FrameBuffer& frame, const PlacedImage* images, size_t n, const VisibleSpans& visible) {
  if (frame.Empty() || !visible.BuiltFor(frame.height)) return;
  const bool bits = visible.HasBitsFor(frame);
  constexpr size_t kAhead = 4;
  const auto fetch = [&](const PlacedImage& p) {
    // Only rows inside the frame; a picture's columns past the frame's edge
    // still fall within the row's bytes or the next row's.
    const int x = std::clamp(p.x, 0, frame.width - 1);
    const int y0 = std::max(p.y, 0), y1 = std::min(p.y + std::min(p.image->height, 8), frame.height);
    for (int y = y0; y < y1; ++y) __builtin_prefetch(frame.Row(y) + x * 4, 1);
  };
  for (size_t i = 0; i < n && i < kAhead; ++i) fetch(images[i]);
  for (size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) fetch(images[i + kAhead]);
    const PlacedImage& p = images[i];
    const SceneImage& image = *p.image;
#ifdef GD_BLEND_SSE2
    // A flake wholly inside the frame, padded rows included: four pixels at
    // a time, without clipping.
    if (bits && image.paddedWidth > 0 && p.x >= 0 && p.y >= 0 && p.x + image.paddedWidth <= frame.width &&
        p.y + image.height <= frame.height && image.Drawable()) {
      for (int j = image.runs.firstRow; j < image.runs.endRow; ++j) {
        uint64_t through = visible.OpenBits(p.x, p.y + j, image.width);
        const uint8_t* src = image.padded.data() + static_cast<size_t>(j) * image.paddedWidth * 4;
        uint8_t* dst = frame.Row(p.y + j) + p.x * 4;
        for (int k = 0; k < image.width; k += 4, src += 16, dst += 16, through >>= 4) {
          if ((through & 15) == 0) continue;
          const __m128i d8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                           BlendFour(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)), d8,
                                     static_cast<unsigned>(through & 15)));
        }
      }
      continue;
    }
#endif
    BlendImage(frame, image, p.x, p.y, visible);
  }
}

}  // namespace gd
