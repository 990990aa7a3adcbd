// Pictures for the scales between the drawn sets: a picture drawn at a
// larger scale, made smaller by averaging over each new pixel's area. Never
// used to enlarge.
#pragma once

#include <cstdint>
#include <vector>

namespace gd {

// Four 8-bit samples a pixel, alpha last (blue, green, red, alpha, or red,
// green, blue, alpha: the three colours are treated alike), colours not
// premultiplied, rows from the top.
struct Pixels4 {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;
};

// Reduces a picture by the factor p / q (p >= q >= 1; 4 / 3 takes a picture
// drawn at scale 2 to scale 1.5). New pixel (x, y) covers the source area
// [x p / q, (x + 1) p / q) by [y p / q, (y + 1) p / q); the new size is the
// source size times q / p, rounded up, and area beyond the source counts as
// transparent. With weights w the parts of source pixels inside that area
// (W their sum, p * p in units of 1/q by 1/q):
//   alpha  A = round(sum w a / W)
//   colour C = round(sum w a c / sum w a), premultiplied averaging, or
//          round(sum w c / W) where the whole area is transparent,
// halves rounding up. For whole factors (q = 1) a block of p x p pixels
// becomes one pixel; the pictures drawn at scales 2 and 3 reduce this way
// exactly to the pictures of scale 1.
Pixels4 ReduceByArea(const uint8_t* source, int width, int height, int p, int q);

}  // namespace gd
