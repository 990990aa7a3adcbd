// A decoded picture as plain 8-bit RGBA, the way an art author should see it:
// palette and grey expanded to colour, tRNS transparency decided on the
// original sample values, 16-bit samples reduced to their high byte, no gamma.
#pragma once
#include <cstdint>
#include <vector>

#include "images/png.h"

namespace gd {

struct RgbaImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> pixels;  // width * height * 4 bytes: red, green, blue, alpha; rows from the top
};

// Raises PngHeaderNotPresent for a picture without a header.
RgbaImage ExpandToRgba(const PngImage& picture);

}  // namespace gd
