// The sky: the scrolling strip, the stars, and the sun and moon series.
#include <cmath>
#include <set>
#include <utility>

#include "art.h"
#include "curve.h"
#include "geometry.h"
#include "scaled.h"

namespace artgen {
namespace {

// ---- Sky strip -----------------------------------------------------------

constexpr int kStripWidth = 201;
constexpr int kStripHeight = 1341;
constexpr int kStripEdgeAlpha = 165;   // column 0
constexpr int kStripLastRowAlpha = 204;
constexpr int kStripFirstClearColumn = 199;

struct SkyKey {
  int row;
  int r, g, b;
};
// Night from near black to deep blue, the dawn band from blue through mauve
// and orange to pale yellow, then day turning slowly to pale sky blue.
constexpr SkyKey kSkyKeys[] = {
    {0, 2, 6, 16},         {100, 1, 23, 45},      {200, 1, 48, 82},      {300, 0, 69, 121},
    {400, 0, 94, 155},     {450, 36, 105, 164},   {500, 147, 137, 152},  {525, 205, 154, 135},
    {550, 251, 171, 124},  {600, 255, 217, 144},  {625, 255, 239, 173},  {650, 255, 243, 183},
    {700, 253, 243, 190},  {800, 245, 243, 205},  {900, 237, 243, 220},  {1000, 231, 243, 229},
    {1100, 226, 242, 237}, {1200, 222, 240, 245}, {1340, 217, 239, 252},
};

// ---- Stars ---------------------------------------------------------------

constexpr Colour kStarColour = Rgb8(254, 255, 247);
constexpr int kStarsX0 = 61, kStarsX1 = 235, kStarsY0 = 36, kStarsY1 = 105;
constexpr int kFaintStars = 98;
struct Cross {
  int x, y, centre_alpha, arm_alpha;
};
constexpr Cross kCrosses[] = {{109, 40, 153, 56}, {140, 69, 127, 44}, {208, 76, 127, 44}};

// ---- Sun -----------------------------------------------------------------

constexpr int kSunWidth = 60, kSunHeight = 59;
constexpr Colour kSunCore = Rgb8(254, 255, 247);
constexpr Colour kSunGlow = Rgb8(255, 255, 188);
// Alpha by distance from the centre: an opaque disc 14 pixels across and a
// glow that fades out by 25 pixels.
const MonotoneCurve& SunAlpha() {
  static const MonotoneCurve c({0, 6, 8, 10, 12, 14, 16, 18, 20, 22, 25},
                               {255, 255, 176, 119, 89, 63, 41, 25, 13, 6, 0});
  return c;
}
// The five frames are a fifth of a pixel apart, so that with the whole-pixel
// step after the fifth the sun glides at an even pace.
constexpr double kFrameStep = 0.2;

// ---- Moon ----------------------------------------------------------------

constexpr int kMoonSize = 95;
constexpr double kMoonR = 7.0;
constexpr Colour kMoonSurface = Rgb8(234, 235, 229);
constexpr Colour kMoonMare = Rgb8(150, 154, 152);
constexpr Colour kMoonHalo = Rgb8(255, 255, 188);
constexpr Colour kEarthshine = Rgb8(46, 54, 74);
constexpr double kEarthshineAlpha = 0.5;
// Halo alpha of the full moon by distance from the moon's centre.
const MonotoneCurve& MoonHaloAlpha() {
  static const MonotoneCurve c({0, 7, 10, 16, 20, 24, 30, 35, 40, 46},
                               {74, 70, 63, 49, 40, 31, 19, 11, 5, 0});
  return c;
}
// Per phase (1 to 7): where the terminator crosses the disc's middle (-1 all
// lit .. 1 all dark, for a moon lit from the right) and how bright the halo is.
constexpr double kTerminator[] = {0, 0.56, 0.0, -0.56, -1.0, -0.56, 0.0, 0.56};
constexpr double kHaloStrength[] = {0, 0.5, 0.72, 0.88, 1.0, 0.88, 0.72, 0.5};
struct Mare {
  double u, v, r, depth;  // in disc radii from the centre
};
constexpr Mare kMaria[] = {
    {-0.28, -0.30, 0.34, 0.55}, {0.22, -0.18, 0.28, 0.45}, {0.02, 0.30, 0.36, 0.50},
    {-0.42, 0.22, 0.22, 0.35},  {0.45, 0.38, 0.18, 0.30},  {0.50, -0.48, 0.14, 0.25},
};

}  // namespace

Image DrawSkyStrip(int k) {
  std::vector<double> rows, rs, gs, bs;
  for (const SkyKey& k : kSkyKeys) {
    rows.push_back(k.row);
    rs.push_back(k.r);
    gs.push_back(k.g);
    bs.push_back(k.b);
  }
  const MonotoneCurve red(rows, rs), green(rows, gs), blue(rows, bs);
  auto channel = [](double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); };
  if (k == 1) {
    Image strip(kStripWidth, kStripHeight);
    for (int y = 0; y < kStripHeight; ++y) {
      const uint8_t r = channel(red(y)), g = channel(green(y)), b = channel(blue(y));
      const bool last = y == kStripHeight - 1;
      for (int x = 0; x < kStripWidth; ++x) {
        int a = 255;
        if (x == 0) a = kStripEdgeAlpha;
        if (x >= kStripFirstClearColumn) a = 0;
        if (last) a = static_cast<int>(std::lround(a * kStripLastRowAlpha / 255.0));
        strip.Set(x, y, r, g, b, static_cast<uint8_t>(a));
      }
    }
    return strip;
  }
  // Larger: the strip's partly covered first column and last row are edges
  // of the sky's area, which now fall inside a pixel; the colour is taken at
  // each row's own centre.
  const double left = 1 - kStripEdgeAlpha / 255.0, bottom = kStripHeight - 1 + kStripLastRowAlpha / 255.0;
  auto covered = [k](int i, double from, double to) {
    const double lo = static_cast<double>(i) / k, hi = static_cast<double>(i + 1) / k;
    return std::max(0.0, std::min(hi, to) - std::max(lo, from)) * k;
  };
  Image strip(kStripWidth * k, kStripHeight * k);
  for (int y = 0; y < strip.height; ++y) {
    const double row = (y + 0.5) / k - 0.5;
    const uint8_t r = channel(red(row)), g = channel(green(row)), b = channel(blue(row));
    const double across = covered(y, 0, bottom);
    for (int x = 0; x < strip.width; ++x) {
      const double a = covered(x, left, kStripFirstClearColumn) * across;
      strip.Set(x, y, r, g, b, static_cast<uint8_t>(std::lround(a * 255)));
    }
  }
  return strip;
}

Image DrawStars(int k) {
  if (k > 1) return SmoothEnlarge(DrawStars(1), k);
  Image stars(kSceneWidth, kSceneHeight);
  auto put = [&](int x, int y, int alpha) {
    stars.Set(x, y, static_cast<uint8_t>(std::lround(kStarColour.r * 255)),
              static_cast<uint8_t>(std::lround(kStarColour.g * 255)),
              static_cast<uint8_t>(std::lround(kStarColour.b * 255)), static_cast<uint8_t>(alpha));
  };
  std::set<std::pair<int, int>> taken;
  for (const Cross& c : kCrosses) {
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) taken.insert({c.x + dx, c.y + dy});
    put(c.x, c.y, c.centre_alpha);
    put(c.x - 1, c.y, c.arm_alpha);
    put(c.x + 1, c.y, c.arm_alpha);
    put(c.x, c.y - 1, c.arm_alpha);
    put(c.x, c.y + 1, c.arm_alpha);
  }
  // Faint stars scattered over the upper glass, never touching each other;
  // most are barely there, one in eight a little brighter.
  Dice dice(0x5EA12);
  int placed = 0;
  while (placed < kFaintStars) {
    const int x = kStarsX0 + static_cast<int>(dice.Unit() * (kStarsX1 - kStarsX0 + 1));
    const int y = kStarsY0 + static_cast<int>(dice.Unit() * (kStarsY1 - kStarsY0 + 1));
    const double u = dice.Unit(), bright = dice.Unit();
    if (std::hypot(x + 0.5 - kGlobeCx, y + 0.5 - kGlobeCy) > kRimInnerR - 4) continue;
    if (taken.count({x, y})) continue;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) taken.insert({x + dx, y + dy});
    const int alpha = bright < 0.125 ? 36 + static_cast<int>(u * 50) : 5 + static_cast<int>(u * u * 26);
    put(x, y, alpha);
    ++placed;
  }
  return stars;
}

Point SunCentre(int frame, bool setting) {
  const double step = kFrameStep * (frame - 1);
  return setting ? Point{28.6 + step, 28.5 + step} : Point{28.6 + step, 29.5 - step};
}

Point MoonCentre(int frame) {
  const double step = kFrameStep * (frame - 1);
  return {46.0 + step, 47.0 - step};
}

Image DrawSun(int frame, bool setting, int k) {
  const int kSamples = SamplesAt(5, k);
  const Point c = SunCentre(frame, setting);
  Canvas sun(kSunWidth * k, kSunHeight * k);
  for (int y = 0; y < sun.Height(); ++y) {
    for (int x = 0; x < sun.Width(); ++x) {
      Pixel sum;
      for (int j = 0; j < kSamples; ++j) {
        for (int i = 0; i < kSamples; ++i) {
          const double sx = IndexSample(x, i, kSamples, k), sy = IndexSample(y, j, kSamples, k);
          const double r = std::hypot(sx - c.x, sy - c.y);
          const double a = SunAlpha()(r) / 255.0;
          if (a <= 0) continue;
          const Pixel p = Pixel::Of(Mix(kSunCore, kSunGlow, SmoothStep(6.5, 9.5, r)), a);
          sum = {sum.r + p.r, sum.g + p.g, sum.b + p.b, sum.a + p.a};
        }
      }
      const double n = kSamples * kSamples;
      sun.At(x, y) = {sum.r / n, sum.g / n, sum.b / n, sum.a / n};
    }
  }
  return sun.ToImage();
}

Image DrawMoon(int phase, int frame, int k) {
  const int kSamples = SamplesAt(5, k);
  const Point c = MoonCentre(frame);
  const double terminator = kTerminator[phase];
  const double mirror = phase > 4 ? -1.0 : 1.0;  // phases 5 to 7 are lit from the left
  const double halo_strength = kHaloStrength[phase];
  Canvas moon(kMoonSize * k, kMoonSize * k);
  for (int y = 0; y < moon.Height(); ++y) {
    for (int x = 0; x < moon.Width(); ++x) {
      Pixel sum;
      for (int j = 0; j < kSamples; ++j) {
        for (int i = 0; i < kSamples; ++i) {
          const double sx = IndexSample(x, i, kSamples, k), sy = IndexSample(y, j, kSamples, k);
          const double dx = sx - c.x, dy = sy - c.y;
          const double r = std::hypot(dx, dy);
          Pixel p = Pixel::Of(kMoonHalo, halo_strength * MoonHaloAlpha()(r) / 255.0);
          if (r < kMoonR) {
            const double u = dx / kMoonR, v = dy / kMoonR;
            // Lit side: from the terminator ellipse towards the lit limb.
            const double edge = terminator * std::sqrt(std::max(0.0, 1 - v * v));
            const double lit = terminator <= -1 ? 1.0 : SmoothStep(-0.14, 0.14, mirror * u - edge);
            double dark = 0;
            for (const Mare& m : kMaria) {
              const double d2 = ((u - m.u) * (u - m.u) + (v - m.v) * (v - m.v)) / (m.r * m.r);
              dark = std::max(dark, m.depth * std::exp(-d2));
            }
            const double limb = 1 - 0.14 * (r / kMoonR) * (r / kMoonR);
            Colour s = Mix(kMoonSurface, kMoonMare, dark);
            s = {s.r * limb, s.g * limb, s.b * limb};
            const Pixel surface = Pixel::Of(s, 1.0);
            const Pixel shade = Pixel::Of(kEarthshine, kEarthshineAlpha);
            const Pixel disc = {surface.r * lit + shade.r * (1 - lit), surface.g * lit + shade.g * (1 - lit),
                                surface.b * lit + shade.b * (1 - lit), surface.a * lit + shade.a * (1 - lit)};
            const double k = 1 - disc.a;
            p = {disc.r + p.r * k, disc.g + p.g * k, disc.b + p.b * k, disc.a + p.a * k};
          }
          sum = {sum.r + p.r, sum.g + p.g, sum.b + p.b, sum.a + p.a};
        }
      }
      const double n = kSamples * kSamples;
      moon.At(x, y) = {sum.r / n, sum.g / n, sum.b / n, sum.a / n};
    }
  }
  return moon.ToImage();
}

}  // namespace artgen
