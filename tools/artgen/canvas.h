// Working surfaces of the generator. Drawing happens in double precision with
// premultiplied colour, so that layers can be stacked without losing the
// exact alpha that some pictures need; only the final step rounds to 8 bits
// and divides the alpha back out. Vector shapes are drawn with cairo and
// brought over with FromCairo.
#pragma once
#include <cairo.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "image.h"

namespace artgen {

// A straight (not premultiplied) colour with components from 0 to 1.
struct Colour {
  double r = 0, g = 0, b = 0;
};
constexpr Colour Rgb8(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
Colour Mix(const Colour& a, const Colour& b, double t);  // a at t = 0, b at t = 1

// A premultiplied pixel: r, g and b are already multiplied by a.
struct Pixel {
  double r = 0, g = 0, b = 0, a = 0;
  static Pixel Of(const Colour& c, double alpha) { return {c.r * alpha, c.g * alpha, c.b * alpha, alpha}; }
  Colour Straight() const;
};

// Coverage or any other per-pixel weight from 0 to 1.
struct Mask {
  int width = 0, height = 0;
  std::vector<double> v;
  Mask() = default;
  Mask(int w, int h, double fill = 0) : width(w), height(h), v(static_cast<size_t>(w) * h, fill) {}
  double& At(int x, int y) { return v[static_cast<size_t>(y) * width + x]; }
  double At(int x, int y) const { return v[static_cast<size_t>(y) * width + x]; }
};

class Canvas {
 public:
  Canvas() = default;
  Canvas(int w, int h) : width_(w), height_(h), px_(static_cast<size_t>(w) * h) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  Pixel& At(int x, int y) { return px_[static_cast<size_t>(y) * width_ + x]; }
  const Pixel& At(int x, int y) const { return px_[static_cast<size_t>(y) * width_ + x]; }

  // this := top over this (Porter-Duff "over").
  void Over(const Canvas& top);
  // Multiplies every pixel (colour and alpha) by the mask.
  void MultiplyBy(const Mask& m);
  Mask AlphaMask() const;

  // Rounds to 8 bits with straight alpha; fully transparent pixels become 0.
  Image ToImage() const;
  // From a cairo ARGB32 image surface (premultiplied bytes).
  static Canvas FromCairo(cairo_surface_t* surface);

 private:
  int width_ = 0, height_ = 0;
  std::vector<Pixel> px_;
};

// A cairo image surface with its drawing context; both released together.
class CairoLayer {
 public:
  // w x h device pixels; at scale k > 1 the context is scaled by k, so that
  // the same drawing code fills a picture k times as large.
  CairoLayer(int w, int h, int k = 1);
  ~CairoLayer();
  CairoLayer(const CairoLayer&) = delete;
  CairoLayer& operator=(const CairoLayer&) = delete;
  cairo_t* cr() const { return cr_; }
  cairo_surface_t* surface() const { return surface_; }
  Canvas ToCanvas() const;

 private:
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

// Coverage of a shape, given by a test of a point in continuous coordinates
// (pixel (i, j) covers [i, i+1) x [j, j+1)), sampled n by n times per pixel.
// At a drawing scale k the mask has w x h pixels of 1/k each: the test still
// gets the scene's own coordinates.
Mask SampleCoverage(int w, int h, const std::function<bool(double, double)>& inside, int n = 16, int k = 1);

// Every picture is drawn at scale 1 and again at scales 2 and 3 from the same
// geometry: a picture at scale k has k x k pixels for each pixel at scale 1.
// Supersampling needs fewer samples per pixel when the pixels are smaller;
// this keeps about the same number of samples per scene pixel.
inline int SamplesAt(int n, int k) { return k == 1 ? n : std::max(2, (n + k - 1) / k); }
// Sample i of n across pixel x at scale k, in the scene's continuous
// coordinates (pixel edges at whole numbers).
inline double EdgeSample(int x, int i, int n, int k) { return (x + (i + 0.5) / n) / k; }
// The same in pixel-index coordinates (pixel centres at whole numbers), the
// way the sun and moon place their centres. At scale 1 the sum keeps the
// order it has always had, so the scale-1 pictures stay bit for bit.
inline double IndexSample(int x, int i, int n, int k) {
  return k == 1 ? x - 0.5 + (i + 0.5) / n : (x + (i + 0.5) / n) / k - 0.5;
}
// A cairo layer for a picture of w x h scene pixels at scale k; its drawing
// context takes scene coordinates.

void SetSource(cairo_t* cr, const Colour& c, double alpha = 1.0);

// Smooth step from 0 at e0 to 1 at e1.
double SmoothStep(double e0, double e1, double x);
double Clamp01(double x);

// A small fixed-sequence generator for scattered details (stars, grain), so
// that the art never depends on a library's random distributions.
class Dice {
 public:
  explicit Dice(uint32_t seed) : state_(seed) {}
  uint32_t NextU32() {
    state_ = state_ * 1664525u + 1013904223u;
    uint32_t x = state_;
    x ^= x >> 15;
    x *= 0x2C1B3C6Du;
    x ^= x >> 12;
    return x;
  }
  double Unit() { return (NextU32() >> 8) * (1.0 / 16777216.0); }  // [0, 1)
  double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }

 private:
  uint32_t state_;
};

}  // namespace artgen
