// The five row filters of PNG, undone. A row is reconstructed from its
// filtered bytes and the previous reconstructed row (all zeros before the
// first row of a pass); `bpp` is the filter distance, the bytes of a complete
// pixel (at least 1).
#pragma once
#include <cstddef>
#include <cstdint>

namespace gd {

enum PngFilter : uint8_t { kFilterNone = 0, kFilterSub = 1, kFilterUp = 2, kFilterAverage = 3, kFilterPaeth = 4 };

// The Paeth predictor with the standard's tie order: left, then above, then
// upper left.
inline uint8_t PaethPredictor(uint8_t a, uint8_t b, uint8_t c) {
  const int p = int{a} + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) return a;
  if (pb <= pc) return b;
  return c;
}

// Reconstructs `size` bytes into `out` (which must not overlap `filtered`).
// A filter type other than 0 to 4 is taken as no filter.
void UnfilterRow(uint8_t filter_type, const uint8_t* filtered, const uint8_t* previous,
                 uint8_t* out, size_t size, size_t bpp);

}  // namespace gd
