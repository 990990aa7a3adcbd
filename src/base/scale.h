// The display scale: how many device pixels one pixel of the globe's 300 by
// 260 logical space takes, from 1 to 3 in steps of a quarter. Kept as a
// whole number of quarters (4 is scale 1, 6 is 1.5, 12 is 3) so that every
// size and place works out in integers.
#pragma once

#include <cmath>

namespace gd {

inline constexpr int kScaleQuartersMin = 4;   // 100 %
inline constexpr int kScaleQuartersMax = 12;  // 300 %
// The scales the pictures are drawn at (1, 2 and 3); the others are reduced
// from the next larger one.
inline constexpr int kDrawnScales[] = {1, 2, 3};

constexpr int ClampScaleQuarters(int quarters) {
  return quarters < kScaleQuartersMin ? kScaleQuartersMin : quarters > kScaleQuartersMax ? kScaleQuartersMax : quarters;
}

// A scale given as a number (2.0, 1.37) to the nearest quarter, within 1 to 3;
// a value that is not a number counts as 1.
inline int ScaleQuartersOf(double scale) {
  if (!(scale == scale)) return kScaleQuartersMin;
  return ClampScaleQuarters(static_cast<int>(std::lround(scale * 4)));
}

// The percentages of the Size menu: 100 is 4 quarters, 250 is 10.
constexpr int ScaleQuartersOfPercent(int percent) { return ClampScaleQuarters((percent + 12) / 25); }
constexpr int PercentOfScaleQuarters(int quarters) { return quarters * 25; }

// A logical coordinate or length in device pixels: times the scale, to the
// nearest integer, a value exactly halfway going to the even neighbour.
constexpr int ToDevice(int logical, int quarters) {
  const long long q4 = static_cast<long long>(logical) * quarters;  // four times the device value
  long long whole = q4 >= 0 ? q4 / 4 : -((-q4 + 3) / 4);              // floor
  const long long rest = q4 - whole * 4;                              // 0 .. 3
  if (rest > 2 || (rest == 2 && whole % 2 != 0)) ++whole;
  return static_cast<int>(whole);
}

// The drawn set a scale is served from: itself when it is drawn, otherwise
// the next larger one, reduced (pictures are never enlarged).
constexpr int DrawnScaleFor(int quarters) {
  for (int s : kDrawnScales)
    if (s * 4 >= quarters) return s;
  return kDrawnScales[2];
}

}  // namespace gd
