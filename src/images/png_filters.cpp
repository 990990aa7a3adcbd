#include "images/png_filters.h"

#include <cstring>

namespace gd {
namespace {

void UnfilterSub(const uint8_t* f, uint8_t* out, size_t size, size_t bpp) {
  const size_t first = bpp < size ? bpp : size;
  std::memcpy(out, f, first);
  for (size_t i = first; i < size; ++i) out[i] = static_cast<uint8_t>(f[i] + out[i - bpp]);
}

void UnfilterUp(const uint8_t* f, const uint8_t* prev, uint8_t* out, size_t size) {
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(f[i] + prev[i]);
}

void UnfilterAverage(const uint8_t* f, const uint8_t* prev, uint8_t* out, size_t size, size_t bpp) {
  const size_t first = bpp < size ? bpp : size;
  for (size_t i = 0; i < first; ++i) out[i] = static_cast<uint8_t>(f[i] + (prev[i] >> 1));
  for (size_t i = first; i < size; ++i) {
    out[i] = static_cast<uint8_t>(f[i] + ((out[i - bpp] + prev[i]) >> 1));
  }
}

void UnfilterPaeth(const uint8_t* f, const uint8_t* prev, uint8_t* out, size_t size, size_t bpp) {
  const size_t first = bpp < size ? bpp : size;
  // Left and upper left are zero for the first pixel, so Paeth picks above.
  for (size_t i = 0; i < first; ++i) out[i] = static_cast<uint8_t>(f[i] + prev[i]);
  for (size_t i = first; i < size; ++i) {
    out[i] = static_cast<uint8_t>(f[i] + PaethPredictor(out[i - bpp], prev[i], prev[i - bpp]));
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
