#include "geometry.h"

#include <algorithm>
#include <cmath>

namespace artgen {
namespace {

// How far a rounded corner of radius r pulls the edge in, at distance t from
// the end of the straight part (t from 0 to r).
double CornerInset(double r, double t) { return r - std::sqrt(std::max(0.0, r * r - (r - t) * (r - t))); }

}  // namespace

double BaseHalfWidth(double y) {
  if (y < kBaseTop || y >= kBaseBottom) return 0;
  if (y < kCollarBottom) {
    const double t = y - kBaseTop;
    return kCollarHalfWidth - (t < kCollarCornerR ? CornerInset(kCollarCornerR, t) : 0);
  }
  if (y < kGrooveBottom) return kGrooveHalfWidth;
  if (y < kFootTop) {
    // A gentle concave flare, like a turned foot.
    const double t = (y - kGrooveBottom) / (kFootTop - kGrooveBottom);
    return kBodyTopHalfWidth + (kBodyFootHalfWidth - kBodyTopHalfWidth) * std::pow(t, 1.6);
  }
  const double from_top = y - kFootTop;
  const double from_bottom = kBaseBottom - y;
  double w = kFootHalfWidth;
  if (from_top < kFootTopCornerR) w -= CornerInset(kFootTopCornerR, from_top);
  if (from_bottom < kFootBottomCornerR) w -= CornerInset(kFootBottomCornerR, from_bottom);
  return w;
}

bool InsideSphere(double x, double y) {
  const double dx = std::fabs(x - kGlobeCx) / kGlobeR, dy = std::fabs(y - kGlobeCy) / kGlobeR;
  if (dx * dx + dy * dy < 0.98) return true;  // well inside: skip the powers
  if (dx > 1 || dy > 1) return false;
  return std::pow(dx, kGlobeRoundness) + std::pow(dy, kGlobeRoundness) < 1;
}

bool InsideBase(double x, double y) { return std::fabs(x - kGlobeCx) < BaseHalfWidth(y); }

}  // namespace artgen
