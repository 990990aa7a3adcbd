// The empty globe (imgTree), its window mask (imgMask) and the front layer
// (img3: glass rim, gloss and stand) that covers the scenery's edges.
#include <algorithm>
#include <cmath>
#include <map>

#include "art.h"
#include "geometry.h"

namespace artgen {
namespace {

// Glass: light sky blue where the light enters, deeper blue at the rim.
constexpr Colour kGlassLight = Rgb8(139, 215, 250);
constexpr Colour kGlassMid = Rgb8(104, 168, 226);
constexpr Colour kGlassRim = Rgb8(70, 112, 181);

// Dark walnut, lit from the upper left.
constexpr Colour kWoodHighlight = Rgb8(140, 86, 50);
constexpr Colour kWoodMid = Rgb8(86, 48, 26);
constexpr Colour kWoodDark = Rgb8(34, 18, 10);
constexpr Colour kWoodEdgeLight = Rgb8(176, 118, 72);
constexpr Colour kGrainDark = Rgb8(30, 14, 6);
constexpr Colour kGrainLight = Rgb8(150, 96, 58);

// The plaque's brass, from its left end to its right end.
struct GoldStop {
  double x;
  Colour c;
};
constexpr GoldStop kGold[] = {
    {kPlaqueX0, Rgb8(224, 176, 42)}, {100, Rgb8(244, 208, 88)},  {118, Rgb8(250, 238, 194)},
    {134, Rgb8(242, 214, 138)},      {158, Rgb8(214, 168, 104)}, {184, Rgb8(184, 112, 62)},
    {kPlaqueX1, Rgb8(124, 54, 30)},
};

// Glass rim colours (img3).
constexpr Colour kRimShade = Rgb8(16, 28, 74);
constexpr Colour kRimLit = Rgb8(88, 132, 204);
constexpr Colour kRimGlint = Rgb8(226, 242, 255);
constexpr Colour kGloss = Rgb8(214, 236, 255);
constexpr Colour kShadowColour = Rgb8(34, 34, 42);

// Direction towards the light (upper left), before normalising.
constexpr double kLightDirX = -2.0;
constexpr double kLightDirY = -3.0;

void RoundedRect(cairo_t* cr, double x0, double y0, double x1, double y1, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x1 - r, y0 + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x1 - r, y1 - r, r, 0, M_PI / 2);
  cairo_arc(cr, x0 + r, y1 - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x0 + r, y0 + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

// Traces the stand's outline from its own profile.
void BaseOutlinePath(cairo_t* cr) {
  cairo_new_path(cr);
  for (double y = kBaseTop; y <= kBaseBottom; y += 0.25)
    cairo_line_to(cr, kGlobeCx - BaseHalfWidth(std::min(y, kBaseBottom - 1e-6)), y);
  for (double y = kBaseBottom; y >= kBaseTop; y -= 0.25)
    cairo_line_to(cr, kGlobeCx + BaseHalfWidth(std::min(y, kBaseBottom - 1e-6)), y);
  cairo_close_path(cr);
}

// A horizontal line across the stand at height y, inset from its sides.
void BaseLine(cairo_t* cr, double y, double inset) {
  const double hw = BaseHalfWidth(y) - inset;
  cairo_move_to(cr, kGlobeCx - hw, y);
  cairo_line_to(cr, kGlobeCx + hw, y);
}

void PaintPlaque(cairo_t* cr) {
  // The recess the plaque sits in.
  RoundedRect(cr, kPlaqueX0 - 0.5, kPlaqueY0 - 0.5, kPlaqueX1 + 0.5, kPlaqueY1 + 0.5, kPlaqueCornerR + 0.5);
  SetSource(cr, kWoodDark, 0.9);
  cairo_fill(cr);

  cairo_pattern_t* brass = cairo_pattern_create_linear(kPlaqueX0, 0, kPlaqueX1, 0);
  for (const GoldStop& s : kGold)
    cairo_pattern_add_color_stop_rgb(brass, (s.x - kPlaqueX0) / (kPlaqueX1 - kPlaqueX0), s.c.r, s.c.g, s.c.b);
  RoundedRect(cr, kPlaqueX0, kPlaqueY0, kPlaqueX1, kPlaqueY1, kPlaqueCornerR);
  cairo_set_source(cr, brass);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(brass);

  // Polished metal: brighter along the top, darker along the bottom.
  cairo_pattern_t* sheen = cairo_pattern_create_linear(0, kPlaqueY0, 0, kPlaqueY1);
  cairo_pattern_add_color_stop_rgba(sheen, 0.0, 1, 1, 0.95, 0.30);
  cairo_pattern_add_color_stop_rgba(sheen, 0.35, 1, 1, 0.95, 0.0);
  cairo_pattern_add_color_stop_rgba(sheen, 0.65, 0.3, 0.12, 0.0, 0.0);
  cairo_pattern_add_color_stop_rgba(sheen, 1.0, 0.3, 0.12, 0.0, 0.30);
  cairo_set_source(cr, sheen);
  cairo_fill(cr);
  cairo_pattern_destroy(sheen);

  // Bevel: a light edge at the top and left, a dark one at the bottom and right.
  cairo_set_line_width(cr, 1.0);
  const double r = kPlaqueCornerR - 0.5;
  const double x0 = kPlaqueX0 + 0.5, y0 = kPlaqueY0 + 0.5, x1 = kPlaqueX1 - 0.5, y1 = kPlaqueY1 - 0.5;
  cairo_new_path(cr);
  cairo_arc(cr, x0 + r, y1 - r, r, M_PI * 0.75, M_PI);
  cairo_arc(cr, x0 + r, y0 + r, r, M_PI, 1.5 * M_PI);
  cairo_arc(cr, x1 - r, y0 + r, r, 1.5 * M_PI, 1.75 * M_PI);
  cairo_set_source_rgba(cr, 1, 0.98, 0.88, 0.75);
  cairo_stroke(cr);
  cairo_new_path(cr);
  cairo_arc(cr, x1 - r, y0 + r, r, 1.75 * M_PI, 2 * M_PI);
  cairo_arc(cr, x1 - r, y1 - r, r, 0, M_PI / 2);
  cairo_arc(cr, x0 + r, y1 - r, r, M_PI / 2, M_PI * 0.75);
  cairo_set_source_rgba(cr, 0.32, 0.13, 0.03, 0.6);
  cairo_stroke(cr);
}

// The wooden stand with its plaque, painted over a rectangle a little larger
// than the stand; the caller cuts it to the stand's outline.
Canvas PaintBase(int k) {
  CairoLayer layer(kSceneWidth, kSceneHeight, k);
  cairo_t* cr = layer.cr();
  const double left = kGlobeCx - kFootHalfWidth - 2, right = kGlobeCx + kFootHalfWidth + 2;

  // Turned wood: a broad highlight left of centre, dark towards the right.
  cairo_pattern_t* wood = cairo_pattern_create_linear(left, 0, right, 0);
  cairo_pattern_add_color_stop_rgb(wood, 0.00, kWoodMid.r * 0.75, kWoodMid.g * 0.75, kWoodMid.b * 0.75);
  cairo_pattern_add_color_stop_rgb(wood, 0.08, kWoodMid.r, kWoodMid.g, kWoodMid.b);
  cairo_pattern_add_color_stop_rgb(wood, 0.20, kWoodHighlight.r, kWoodHighlight.g, kWoodHighlight.b);
  cairo_pattern_add_color_stop_rgb(wood, 0.34, kWoodMid.r * 1.1, kWoodMid.g * 1.1, kWoodMid.b * 1.1);
  cairo_pattern_add_color_stop_rgb(wood, 0.75, kWoodMid.r * 0.7, kWoodMid.g * 0.7, kWoodMid.b * 0.7);
  cairo_pattern_add_color_stop_rgb(wood, 1.00, kWoodDark.r, kWoodDark.g, kWoodDark.b);
  cairo_rectangle(cr, left, kBaseTop - 2, right - left, kBaseBottom - kBaseTop + 4);
  cairo_set_source(cr, wood);
  cairo_fill(cr);
  cairo_pattern_destroy(wood);

  // Grain: long, slightly wavy streaks, clipped to the stand.
  BaseOutlinePath(cr);
  cairo_save(cr);
  cairo_clip(cr);
  Dice dice(0x57A4D);
  for (int i = 0; i < 34; ++i) {
    const double y0 = dice.Range(kGrooveBottom + 1, kBaseBottom - 1);
    const double amp = dice.Range(0.3, 1.3), freq = dice.Range(0.03, 0.08), phase = dice.Range(0, 6.28);
    const double x_start = dice.Range(left, right - 60), len = dice.Range(40, 140);
    cairo_new_path(cr);
    for (double x = x_start; x <= x_start + len; x += 2)
      cairo_line_to(cr, x, y0 + amp * std::sin(x * freq + phase));
    const bool dark = i % 3 != 0;
    SetSource(cr, dark ? kGrainDark : kGrainLight, dark ? 0.28 : 0.16);
    cairo_set_line_width(cr, dice.Range(0.5, 1.0));
    cairo_stroke(cr);
  }

  // Shading of the stand's parts: the collar catches the light along its top
  // edge, the groove lies in shadow, the foot has a bevel.
  cairo_set_line_width(cr, 1.0);
  BaseLine(cr, kBaseTop + 0.5, 1.5);
  SetSource(cr, kWoodEdgeLight, 0.85);
  cairo_stroke(cr);
  BaseLine(cr, kCollarBottom - 0.5, 0);
  SetSource(cr, kWoodDark, 0.55);
  cairo_stroke(cr);
  cairo_rectangle(cr, left, kCollarBottom, right - left, kGrooveBottom - kCollarBottom);
  SetSource(cr, kGrainDark, 0.55);
  cairo_fill(cr);
  BaseLine(cr, kGrooveBottom + 0.5, 0);
  SetSource(cr, kWoodEdgeLight, 0.35);
  cairo_stroke(cr);
  BaseLine(cr, kFootTop - 0.5, 0);
  SetSource(cr, kGrainDark, 0.5);
  cairo_stroke(cr);
  BaseLine(cr, kFootTop + 0.5, 1.0);
  SetSource(cr, kWoodEdgeLight, 0.6);
  cairo_stroke(cr);
  cairo_rectangle(cr, left, kBaseBottom - 2.5, right - left, 2.5);
  SetSource(cr, kGrainDark, 0.35);
  cairo_fill(cr);

  // Light along the left flank, shadow along the right.
  cairo_new_path(cr);
  for (double y = kGrooveBottom; y < kBaseBottom; y += 0.5) cairo_line_to(cr, kGlobeCx - BaseHalfWidth(y) + 0.8, y);
  SetSource(cr, kWoodEdgeLight, 0.35);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  cairo_new_path(cr);
  for (double y = kGrooveBottom; y < kBaseBottom; y += 0.5) cairo_line_to(cr, kGlobeCx + BaseHalfWidth(y) - 1.0, y);
  SetSource(cr, kGrainDark, 0.45);
  cairo_set_line_width(cr, 2.0);
  cairo_stroke(cr);
  cairo_restore(cr);

  PaintPlaque(cr);
  return layer.ToCanvas();
}

Canvas PaintGlass(int k) {
  CairoLayer layer(kSceneWidth, kSceneHeight, k);
  cairo_t* cr = layer.cr();
  cairo_pattern_t* glass = cairo_pattern_create_radial(kLightX, kLightY, 0, kGlobeCx, kGlobeCy, kGlobeR);
  cairo_pattern_add_color_stop_rgb(glass, 0.0, kGlassLight.r, kGlassLight.g, kGlassLight.b);
  cairo_pattern_add_color_stop_rgb(glass, 0.55, kGlassMid.r, kGlassMid.g, kGlassMid.b);
  cairo_pattern_add_color_stop_rgb(glass, 1.0, kGlassRim.r, kGlassRim.g, kGlassRim.b);
  cairo_set_source(cr, glass);
  cairo_paint(cr);
  cairo_pattern_destroy(glass);
  return layer.ToCanvas();
}

// A soft oval shadow on the desk, darkest right under the stand.
Canvas PaintShadow(int k) {
  Canvas c(kSceneWidth * k, kSceneHeight * k);
  for (int y = 0; y < c.Height(); ++y) {
    for (int x = 0; x < c.Width(); ++x) {
      const double dx = ((x + 0.5) / k - kShadowCx) / kShadowRx, dy = ((y + 0.5) / k - kShadowCy) / kShadowRy;
      const double d = dx * dx + dy * dy;
      if (d >= 1) continue;
      const double a = kShadowMaxAlpha * (1 - d) * (1 - d);
      c.At(x, y) = Pixel::Of(kShadowColour, a);
    }
  }
  return c;
}

// The glass rim: a dark blue ring, lighter where it faces the light, with a
// thin glint along its inner edge at the upper left.
Colour RimColour(double x, double y) {
  const double dx = x - kGlobeCx, dy = y - kGlobeCy;
  const double r = std::sqrt(dx * dx + dy * dy);
  const double facing = std::clamp((dx * kLightDirX + dy * kLightDirY) / (r * std::hypot(kLightDirX, kLightDirY)), -1.0, 1.0);
  const double t = (r - kRimInnerR) / (kGlobeR - kRimInnerR);     // 0 inner .. 1 outer
  Colour c = Mix(kRimShade, kRimLit, std::pow((facing + 1) / 2, 1.4));
  // Thick glass darkens towards the outer edge.
  c = Mix(c, kRimShade, 0.45 * SmoothStep(0.55, 1.0, t));
  // The glint: strongest where the rim faces the light, on the inner lip.
  const double glint = SmoothStep(0.55, 0.95, facing) * (1 - SmoothStep(0.05, 0.45, std::fabs(t - 0.3)));
  c = Mix(c, kRimGlint, 0.85 * glint);
  // A faint reflected light on the lower right lip.
  const double back = SmoothStep(0.6, 0.95, -facing) * (1 - SmoothStep(0.0, 0.3, std::fabs(t - 0.25)));
  return Mix(c, kRimLit, 0.5 * back);
}

Canvas PaintRim(const GlobeShape& g, int k) {
  const int kSamples = SamplesAt(4, k);
  Canvas c(kSceneWidth * k, kSceneHeight * k);
  for (int y = 0; y < c.Height(); ++y) {
    for (int x = 0; x < c.Width(); ++x) {
      if (g.sphere.At(x, y) <= 0) continue;
      Pixel sum;
      for (int j = 0; j < kSamples; ++j) {
        for (int i = 0; i < kSamples; ++i) {
          const double sx = EdgeSample(x, i, kSamples, k), sy = EdgeSample(y, j, kSamples, k);
          const double r = std::hypot(sx - kGlobeCx, sy - kGlobeCy);
          // The ring is opaque; a soft step of a pixel and a half blends it
          // into the glass inside.
          const double a = SmoothStep(kRimInnerR - 1.5, kRimInnerR + 0.3, r);
          if (a <= 0) continue;
          const Pixel p = Pixel::Of(RimColour(sx, sy), a);
          sum = {sum.r + p.r, sum.g + p.g, sum.b + p.b, sum.a + p.a};
        }
      }
      const double n = kSamples * kSamples;
      c.At(x, y) = {sum.r / n, sum.g / n, sum.b / n, sum.a / n};
    }
  }
  c.MultiplyBy(g.sphere);
  return c;
}

// The gloss: a crescent of reflected window light inside the upper-left
// glass, following the curve of the sphere and fading at both ends.
Canvas PaintGloss(int k) {
  constexpr double kFrom = 212 * M_PI / 180, kTo = 272 * M_PI / 180;
  constexpr double kOuterR = 93.0, kWidest = 9.5, kMaxAlpha = 0.36;
  const int kSamples = SamplesAt(4, k);
  Canvas c(kSceneWidth * k, kSceneHeight * k);
  for (int y = 15 * k; y < 80 * k; ++y) {
    for (int x = 65 * k; x < 152 * k; ++x) {
      double a_sum = 0;
      for (int j = 0; j < kSamples; ++j) {
        for (int i = 0; i < kSamples; ++i) {
          const double dx = EdgeSample(x, i, kSamples, k) - kGlobeCx, dy = EdgeSample(y, j, kSamples, k) - kGlobeCy;
          double ang = std::atan2(dy, dx);
          if (ang < 0) ang += 2 * M_PI;
          const double s = (ang - kFrom) / (kTo - kFrom);
          if (s <= 0 || s >= 1) continue;
          const double r = std::hypot(dx, dy);
          const double taper = std::pow(std::sin(M_PI * s), 0.9);
          const double inner = kOuterR - kWidest * taper;
          const double band = SmoothStep(inner, inner + 3.0, r) * (1 - SmoothStep(kOuterR - 1.2, kOuterR, r));
          a_sum += kMaxAlpha * taper * band;
        }
      }
      const double a = a_sum / (kSamples * kSamples);
      if (a > 0) c.At(x, y) = Pixel::Of(kGloss, a);
    }
  }
  return c;
}

}  // namespace

const GlobeShape& Globe(int k) {
  static std::map<int, GlobeShape> shapes;
  auto it = shapes.find(k);
  if (it != shapes.end()) return it->second;
  GlobeShape g;
  const int w = kSceneWidth * k, h = kSceneHeight * k, n = SamplesAt(16, k);
  g.sphere = SampleCoverage(w, h, InsideSphere, n, k);
  g.base = SampleCoverage(w, h, InsideBase, n, k);
  g.outline = Mask(w, h);
  for (size_t i = 0; i < g.outline.v.size(); ++i) g.outline.v[i] = g.base.v[i] + g.sphere.v[i] * (1 - g.base.v[i]);
  return shapes.emplace(k, std::move(g)).first->second;
}

Image DrawTree(int k) {
  const GlobeShape& g = Globe(k);
  Canvas globe = PaintGlass(k);
  globe.MultiplyBy(g.sphere);
  Canvas base = PaintBase(k);
  base.MultiplyBy(g.base);
  globe.Over(base);
  Canvas picture = PaintShadow(k);
  picture.Over(globe);
  return picture.ToImage();
}

Image OutlineCoverage(int k) {
  const GlobeShape& g = Globe(k);
  Image cover(g.outline.width, g.outline.height);
  for (int y = 0; y < cover.height; ++y)
    for (int x = 0; x < cover.width; ++x)
      cover.Set(x, y, 0, 0, 0, static_cast<uint8_t>(std::lround(g.outline.At(x, y) * 255)));
  return cover;
}

Image MaskFromCoverage(const Image& cover) {
  Image mask(cover.width, cover.height);
  for (int y = 0; y < cover.height; ++y) {
    for (int x = 0; x < cover.width; ++x) {
      const long a = cover.Alpha(x, y);
      uint8_t grey = 255;  // outside
      if (a == 255) {
        grey = 0;
      } else if (a >= 128) {
        grey = static_cast<uint8_t>(std::clamp<long>((255 - a) * 2, 1, 254));
      }
      mask.Set(x, y, grey, grey, grey, 255);
    }
  }
  return mask;
}

Image DrawFront(const Image& tree, int k) {
  const GlobeShape& g = Globe(k);
  Canvas front = PaintGloss(k);
  front.Over(PaintRim(g, k));
  Canvas base = PaintBase(k);
  base.MultiplyBy(g.base);
  front.Over(base);
  Image out = front.ToImage();
  // Along the outline the window's own alpha is below 255. There the front
  // covers the pixel completely, with its colour already weighted by that
  // alpha, so the edge comes out anti-aliased against the desktop instead of
  // keeping traces of the sky strip drawn under it.
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const int ta = tree.Alpha(x, y);
      const Pixel& p = front.At(x, y);
      if (ta == 0 || ta == 255 || p.a <= 0 || g.outline.At(x, y) <= 0) continue;
      const Colour c = p.Straight();
      auto weigh = [ta](double v) { return static_cast<uint8_t>(std::lround(v * ta)); };
      out.Set(x, y, weigh(c.r), weigh(c.g), weigh(c.b), 255);
    }
  }
  return out;
}

}  // namespace artgen
