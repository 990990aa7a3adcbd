#include "images/png_filters.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define GLIMMERDOME_SSE2_PAETH 1
#endif

namespace gd {
namespace {

// Byte-wise arithmetic on four bytes at once in a 32-bit word (no carries
// between bytes), for the filters whose every byte depends on the byte one
// pixel to the left and so cannot be vectorised by the compiler.
inline uint32_t Load4(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store4(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline uint32_t AddBytes(uint32_t a, uint32_t b) {
  return ((a & 0x7F7F7F7Fu) + (b & 0x7F7F7F7Fu)) ^ ((a ^ b) & 0x80808080u);
}
// Byte-wise floor((a + b) / 2).
inline uint32_t AverageBytes(uint32_t a, uint32_t b) { return (a & b) + (((a ^ b) & 0xFEFEFEFEu) >> 1); }

void UnfilterSub(const uint8_t* f, uint8_t* out, size_t size, size_t bpp) {
  const size_t first = bpp < size ? bpp : size;
  std::memcpy(out, f, first);
  size_t i = first;
  if (bpp == 4) {
    uint32_t left = Load4(out);
    for (; i + 4 <= size; i += 4) {
      left = AddBytes(Load4(f + i), left);
      Store4(out + i, left);
    }
  }
  for (; i < size; ++i) out[i] = static_cast<uint8_t>(f[i] + out[i - bpp]);
}

void UnfilterUp(const uint8_t* f, const uint8_t* prev, uint8_t* out, size_t size) {
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(f[i] + prev[i]);
}

void UnfilterAverage(const uint8_t* f, const uint8_t* prev, uint8_t* out, size_t size, size_t bpp) {
  const size_t first = bpp < size ? bpp : size;
  for (size_t i = 0; i < first; ++i) out[i] = static_cast<uint8_t>(f[i] + (prev[i] >> 1));
  size_t i = first;
  if (bpp == 4) {
    uint32_t left = Load4(out);
    for (; i + 4 <= size; i += 4) {
      left = AddBytes(Load4(f + i), AverageBytes(left, Load4(prev + i)));
      Store4(out + i, left);
    }
  }
  for (; i < size; ++i) out[i] = static_cast<uint8_t>(f[i] + ((out[i - bpp] + prev[i]) >> 1));
}

// The Paeth predictor with masks instead of branches (its choices are as
// unpredictable as the picture). Same result and tie order as PaethPredictor:
// above replaces left only when strictly nearer, and upper left replaces that
// only when strictly nearer again.
inline uint8_t PaethSelect(int a, int b, int c) {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  const int above = -static_cast<int>(pb < pa);  // all ones or zero
  const int nearest = (b & above) | (a & ~above);
  const int distance = (pb & above) | (pa & ~above);
  const int upper_left = -static_cast<int>(pc < distance);
  return static_cast<uint8_t>((c & upper_left) | (nearest & ~upper_left));
}

#ifdef GLIMMERDOME_SSE2_PAETH
// Paeth for four-byte pixels, one pixel at a time with its four samples in
// 16-bit lanes. Each pixel still waits for the one to its left, but the three
// distances and both choices are worked out for all four samples at once.
// The choices keep PaethSelect's tie order: above only when strictly nearer
// than left, upper left only when strictly nearer than that.
size_t UnfilterPaeth4(const uint8_t* f, const uint8_t* prev, uint8_t* out, size_t size) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = _mm_set1_epi16(0xFF);
  auto load = [&](const uint8_t* p) { return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(Load4(p))), zero); };
  auto absolute = [&](__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(zero, x)); };
  __m128i a = zero, c = zero;  // left and upper left of the first pixel are zero
  size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    const __m128i b = load(prev + i);
    const __m128i pa = absolute(_mm_sub_epi16(b, c));
    const __m128i pb = absolute(_mm_sub_epi16(a, c));
    const __m128i pc = absolute(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
    const __m128i takeAbove = _mm_cmpgt_epi16(pa, pb);
    const __m128i nearest = _mm_or_si128(_mm_and_si128(takeAbove, b), _mm_andnot_si128(takeAbove, a));
    const __m128i distance = _mm_min_epi16(pa, pb);
    const __m128i takeUpperLeft = _mm_cmpgt_epi16(distance, pc);
    const __m128i predictor =
        _mm_or_si128(_mm_and_si128(takeUpperLeft, c), _mm_andnot_si128(takeUpperLeft, nearest));
    a = _mm_and_si128(_mm_add_epi16(load(f + i), predictor), low);
    Store4(out + i, static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(a, zero))));
    c = b;
  }
  return i;
}
#endif

void UnfilterPaeth(const uint8_t* f, const uint8_t* prev, uint8_t* out, size_t size, size_t bpp) {
#ifdef GLIMMERDOME_SSE2_PAETH
  if (bpp == 4 && size % 4 == 0) {
    UnfilterPaeth4(f, prev, out, size);
    return;
  }
#endif
  const size_t first = bpp < size ? bpp : size;
  // Left and upper left are zero for the first pixel, so Paeth picks above.
  for (size_t i = 0; i < first; ++i) out[i] = static_cast<uint8_t>(f[i] + prev[i]);
  for (size_t i = first; i < size; ++i) {
    out[i] = static_cast<uint8_t>(f[i] + PaethSelect(out[i - bpp], prev[i], prev[i - bpp]));
  }
}

}  // namespace

void UnfilterRow(uint8_t filter_type, const uint8_t* filtered, const uint8_t* previous,
                 uint8_t* out, size_t size, size_t bpp) {
  switch (filter_type) {
    case kFilterSub: UnfilterSub(filtered, out, size, bpp); break;
    case kFilterUp: UnfilterUp(filtered, previous, out, size); break;
    case kFilterAverage: UnfilterAverage(filtered, previous, out, size, bpp); break;
    case kFilterPaeth: UnfilterPaeth(filtered, previous, out, size, bpp); break;
    default: std::memcpy(out, filtered, size); break;
  }
}

}  // namespace gd
