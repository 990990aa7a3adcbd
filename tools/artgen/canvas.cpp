#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace artgen {

Colour Mix(const Colour& a, const Colour& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Pixel::Straight() const {
  if (a <= 0) return {};
  return {Clamp01(r / a), Clamp01(g / a), Clamp01(b / a)};
}

double Clamp01(double x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }

double SmoothStep(double e0, double e1, double x) {
  double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

void Canvas::Over(const Canvas& top) {
  for (size_t i = 0; i < px_.size(); ++i) {
    const Pixel& s = top.px_[i];
    Pixel& d = px_[i];
    const double k = 1 - s.a;
    d = {s.r + d.r * k, s.g + d.g * k, s.b + d.b * k, s.a + d.a * k};
  }
}

void Canvas::MultiplyBy(const Mask& m) {
  for (size_t i = 0; i < px_.size(); ++i) {
    Pixel& p = px_[i];
    const double k = m.v[i];
    p = {p.r * k, p.g * k, p.b * k, p.a * k};
  }
}

Mask Canvas::AlphaMask() const {
  Mask m(width_, height_);
  for (size_t i = 0; i < px_.size(); ++i) m.v[i] = px_[i].a;
  return m;
}

Image Canvas::ToImage() const {
  Image out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const Pixel& p = At(x, y);
      if (std::isnan(p.r + p.g + p.b + p.a)) throw std::runtime_error("a pixel came out as NaN");
      const long a = std::lround(Clamp01(p.a) * 255.0);
      if (a == 0) {
        out.Set(x, y, 0, 0, 0, 0);
        continue;
      }
      const Colour c = p.Straight();
      out.Set(x, y, static_cast<uint8_t>(std::lround(c.r * 255)), static_cast<uint8_t>(std::lround(c.g * 255)),
              static_cast<uint8_t>(std::lround(c.b * 255)), static_cast<uint8_t>(a));
    }
  }
  return out;
}

Canvas Canvas::FromCairo(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
    throw std::runtime_error("FromCairo needs an ARGB32 surface");
  const int w = cairo_image_surface_get_width(surface);
  const int h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  Canvas c(w, h);
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < w; ++x) {
      const uint32_t v = row[x];
      c.At(x, y) = {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0, (v >> 24) / 255.0};
    }
  }
  return c;
}

CairoLayer::CairoLayer(int w, int h, int k)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w * k, h * k)), cr_(cairo_create(surface_)) {
  if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cairo could not make a surface");
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
  if (k != 1) cairo_scale(cr_, k, k);
}

CairoLayer::~CairoLayer() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

Canvas CairoLayer::ToCanvas() const { return Canvas::FromCairo(surface_); }

Mask SampleCoverage(int w, int h, const std::function<bool(double, double)>& inside, int n, int k) {
  Mask m(w, h);
  const double step = 1.0 / n;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int hits = 0;
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
          if (inside((x + (i + 0.5) * step) / k, (y + (j + 0.5) * step) / k)) ++hits;
      m.At(x, y) = static_cast<double>(hits) / (n * n);
    }
  }
  return m;
}

void SetSource(cairo_t* cr, const Colour& c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

}  // namespace artgen
