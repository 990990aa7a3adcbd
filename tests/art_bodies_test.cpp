// Snow flakes, sun and moon: exact flake alphas, the glow profiles, the moon
// phases, and the sub-pixel drift that makes the whole-pixel moves of the
// sky cycle look smooth.
#include <gtest/gtest.h>

#include <cmath>

#include "art_files.h"

namespace gd::art_test {
namespace {

std::string Name(const char* stem, int n) { return SeriesName(stem, n); }
std::string MoonName(int phase, int frame) { return SeriesName("moon", phase, frame); }

TEST(SnowSprites, WhiteWithExactAlpha) {
  const std::vector<std::vector<int>> tables = {
      {90},
      {5, 14, 5, 14, 38, 14, 5, 14, 5},
      {179},
      {25, 66, 25, 66, 179, 67, 25, 67, 25},
      {0, 0, 0, 1, 1, 0, 0, 0, 2, 7, 12, 7, 2, 0, 0, 7, 39, 71, 39, 7, 0, 1, 12, 71, 128, 71, 12, 1,
       0, 7, 40, 71, 40, 7, 1, 0, 1, 7, 12, 7, 1, 0, 0, 0, 0, 1, 1, 0, 0},
      {0, 0, 0, 1, 1, 0, 0, 0, 2, 15, 27, 15, 2, 0, 0, 15, 82, 120, 82, 15, 0, 1, 27, 120, 128, 120, 27, 1,
       0, 15, 82, 120, 83, 14, 1, 0, 2, 14, 27, 15, 2, 0, 0, 0, 0, 1, 1, 0, 0},
  };
  for (int n = 1; n <= 6; ++n) {
    SCOPED_TRACE(n);
    const Picture p = LoadPng(Name("Snow", n));
    ASSERT_TRUE(p.ok) << p.error;
    const std::vector<int>& t = tables[n - 1];
    ASSERT_EQ(static_cast<size_t>(p.width * p.height), t.size());
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        EXPECT_EQ(p.A(x, y), t[y * p.width + x]) << x << "," << y;
        EXPECT_EQ(p.R(x, y), 255);
        EXPECT_EQ(p.G(x, y), 255);
        EXPECT_EQ(p.B(x, y), 255);
      }
  }
}

// Checks a series of five frames: each frame's centre moves by a steady
// fraction of a pixel in the direction (sx, sy), and the fifth runs on into
// the first moved by one whole pixel that way.
void ExpectSmoothDrift(const std::vector<Centre>& c, int sx, int sy) {
  ASSERT_EQ(c.size(), 5u);
  for (size_t f = 1; f < 5; ++f) {
    SCOPED_TRACE(f);
    const double dx = (c[f].x - c[f - 1].x) * sx, dy = (c[f].y - c[f - 1].y) * sy;
    EXPECT_GT(dx, 0.1);
    EXPECT_LT(dx, 0.35);
    EXPECT_GT(dy, 0.1);
    EXPECT_LT(dy, 0.35);
  }
  const double wrap_x = (c[0].x + sx - c[4].x) * sx, wrap_y = (c[0].y + sy - c[4].y) * sy;
  EXPECT_GT(wrap_x, 0.1);
  EXPECT_LT(wrap_x, 0.35);
  EXPECT_GT(wrap_y, 0.1);
  EXPECT_LT(wrap_y, 0.35);
}

TEST(Sun, RisingFramesDriftRightAndUp) {
  std::vector<Centre> c;
  for (int f = 1; f <= 5; ++f) {
    const Picture p = LoadPng(Name("sun", f));
    ASSERT_TRUE(p.ok) << p.error;
    c.push_back(CentreOfAlpha(p));
  }
  EXPECT_NEAR(c[0].x, 28.6, 0.2);
  EXPECT_NEAR(c[0].y, 29.5, 0.2);
  EXPECT_NEAR(c[4].x, 29.5, 0.2);
  EXPECT_NEAR(c[4].y, 28.6, 0.2);
  ExpectSmoothDrift(c, +1, -1);
}

TEST(Sun, SettingFramesDriftRightAndDownAndMirrorTheRisingOnes) {
  std::vector<Centre> c;
  for (int f = 1; f <= 5; ++f) {
    const Picture down = LoadPng(Name("sundown", f));
    const Picture up = LoadPng(Name("sun", f));
    ASSERT_TRUE(down.ok && up.ok);
    c.push_back(CentreOfAlpha(down));
    for (int y = 0; y < 59; ++y)
      for (int x = 0; x < 60; ++x) ASSERT_NEAR(down.A(x, y), up.A(x, 58 - y), 1) << f << ": " << x << "," << y;
  }
  EXPECT_NEAR(c[0].x, 28.6, 0.2);
  EXPECT_NEAR(c[0].y, 28.5, 0.2);
  EXPECT_NEAR(c[4].x, 29.5, 0.2);
  EXPECT_NEAR(c[4].y, 29.4, 0.2);
  ExpectSmoothDrift(c, +1, +1);
}

TEST(Sun, OpaqueDiscInAGlowThatFadesByDistance) {
  const Picture p = LoadPng("sun3");
  ASSERT_TRUE(p.ok) << p.error;
  const Centre c = CentreOfAlpha(p);
  // Mean alpha in rings around the centre, against the disc's profile.
  const std::pair<double, int> profile[] = {{8, 176}, {10, 119}, {12, 89}, {14, 63},
                                            {16, 41}, {18, 25},  {20, 13}, {22, 6}};
  for (auto [r, expected] : profile) {
    double sum = 0;
    int n = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        if (std::fabs(std::hypot(x - c.x, y - c.y) - r) < 0.5) {
          sum += p.A(x, y);
          ++n;
        }
    EXPECT_NEAR(sum / n, expected, 12) << "at distance " << r;
  }
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const double d = std::hypot(x - c.x, y - c.y);
      if (d <= 5.5) {
        EXPECT_EQ(p.A(x, y), 255) << x << "," << y;
        EXPECT_NEAR(p.R(x, y), 254, 2);
        EXPECT_NEAR(p.G(x, y), 255, 2);
        EXPECT_NEAR(p.B(x, y), 247, 3);
      }
      if (d >= 26) {
        EXPECT_EQ(p.A(x, y), 0) << x << "," << y;
      }
      if (d >= 12 && d <= 20) {  // the glow is pale yellow
        EXPECT_NEAR(p.R(x, y), 255, 2);
        EXPECT_NEAR(p.G(x, y), 255, 2);
        EXPECT_NEAR(p.B(x, y), 188, 6);
      }
    }
}

struct MoonLight {
  int lit = 0;         // bright disc pixels
  double lit_x = 0;    // their mean x relative to the disc's centre
  double halo = 0;     // alpha summed over the halo, away from the disc
};

MoonLight Measure(const Picture& p, double cx, double cy) {
  MoonLight m;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const double d = std::hypot(x - cx, y - cy);
      if (d < 7 && p.A(x, y) == 255 && p.R(x, y) >= 150) {
        ++m.lit;
        m.lit_x += x - cx;
      }
      if (d >= 12 && d <= 40) m.halo += p.A(x, y);
    }
  if (m.lit > 0) m.lit_x /= m.lit;
  return m;
}

TEST(Moon, FullMoonIsALightGreyDiscInAPaleHalo) {
  const Picture p = LoadPng("moon4_1");
  ASSERT_TRUE(p.ok) << p.error;
  const Centre c = CentreOfAlpha(p);
  EXPECT_NEAR(c.x, 46, 0.3);
  EXPECT_NEAR(c.y, 47, 0.3);
  int brightest = 0;
  for (int y = 0; y < 95; ++y)
    for (int x = 0; x < 95; ++x) {
      const double d = std::hypot(x - c.x, y - c.y);
      if (d < 7) brightest = std::max(brightest, p.R(x, y));
      if (d >= 46.5) {
        EXPECT_EQ(p.A(x, y), 0) << x << "," << y;
      }
      if (d >= 12 && d <= 30) {
        EXPECT_EQ(p.R(x, y), 255);
        EXPECT_EQ(p.G(x, y), 255);
        EXPECT_NEAR(p.B(x, y), 188, 1);
      }
    }
  EXPECT_NEAR(brightest, 224, 12);
  // Halo alpha at a few distances, averaged over a ring.
  for (auto [r, expected] : {std::pair{10.0, 63}, {16.0, 49}, {20.0, 40}, {24.0, 31}, {30.0, 19}, {35.0, 11}, {40.0, 5}}) {
    double sum = 0;
    int n = 0;
    for (int y = 0; y < 95; ++y)
      for (int x = 0; x < 95; ++x)
        if (std::fabs(std::hypot(x - c.x, y - c.y) - r) < 0.5) {
          sum += p.A(x, y);
          ++n;
        }
    EXPECT_NEAR(sum / n, expected, 5) << "at distance " << r;
  }
}

TEST(Moon, PhasesLightTheRightSideThenTheLeft) {
  const Centre centre = CentreOfAlpha(LoadPng("moon4_1"));
  std::vector<MoonLight> m(8);
  for (int phase = 1; phase <= 7; ++phase) {
    const Picture p = LoadPng(MoonName(phase, 1));
    ASSERT_TRUE(p.ok) << p.error;
    m[phase] = Measure(p, centre.x, centre.y);
  }
  for (int phase = 1; phase <= 3; ++phase) EXPECT_GT(m[phase].lit_x, 0.8) << phase;
  EXPECT_NEAR(m[4].lit_x, 0, 0.3);
  for (int phase = 5; phase <= 7; ++phase) EXPECT_LT(m[phase].lit_x, -0.8) << phase;
  // Fuller phases: more lit disc and a brighter halo.
  for (int phase = 1; phase <= 3; ++phase) {
    EXPECT_LT(m[phase].lit, m[phase + 1].lit) << phase;
    EXPECT_LT(m[phase].halo, m[phase + 1].halo) << phase;
    EXPECT_LT(m[8 - phase].lit, m[7 - phase].lit) << phase;
    EXPECT_LT(m[8 - phase].halo, m[7 - phase].halo) << phase;
  }
  // A thin crescent, half a disc, and thin crescents with about half the halo.
  EXPECT_LT(m[1].lit, m[4].lit / 3);
  EXPECT_NEAR(static_cast<double>(m[2].lit) / m[4].lit, 0.45, 0.12);
  EXPECT_NEAR(m[1].halo / m[4].halo, 0.5, 0.15);
  EXPECT_NEAR(m[7].halo / m[4].halo, 0.5, 0.15);
}

TEST(Moon, FramesOfEachPhaseDriftRightAndUp) {
  for (int phase = 1; phase <= 7; ++phase) {
    SCOPED_TRACE(phase);
    std::vector<Centre> c;
    for (int f = 1; f <= 5; ++f) {
      const Picture p = LoadPng(MoonName(phase, f));
      ASSERT_TRUE(p.ok) << p.error;
      c.push_back(CentreOfAlpha(p));
    }
    EXPECT_LT(c[4].x - c[0].x, 1.0);
    EXPECT_LT(c[0].y - c[4].y, 1.0);
    ExpectSmoothDrift(c, +1, -1);
  }
}

}  // namespace
}  // namespace gd::art_test
