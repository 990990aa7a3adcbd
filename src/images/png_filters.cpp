#include "images/png_filters.h"

#include <cstdlib>
#include <cstring>

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

void UnfilterPaeth(const uint8_t* f, const uint8_t* prev, uint8_t* out, size_t size, size_t bpp) {
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
