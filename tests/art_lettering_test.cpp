// The countdown's digits and labels: fixed widths (the countdown spaces by
// them), near-white glyphs in rows 2 to 16, a soft dark shadow to the lower
// right that ends by row 19.
#include <gtest/gtest.h>

#include "art_files.h"

namespace gd::art_test {
namespace {

struct Lettering {
  int any_top = 99, any_bottom = -1;
  // Extents of the light glyph pixels and of the pure shadow pixels.
  int light_top = 99, light_bottom = -1, light_left = 99, light_right = -1;
  int shadow_bottom = -1, shadow_right = -1, shadow_max_alpha = 0;
  int light = 0;
};

Lettering Survey(const Picture& p) {
  Lettering s;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const int a = p.A(x, y);
      if (a == 0) continue;
      s.any_top = std::min(s.any_top, y);
      s.any_bottom = std::max(s.any_bottom, y);
      if (a >= 128 && p.R(x, y) >= 200) {
        s.light_top = std::min(s.light_top, y);
        s.light_bottom = std::max(s.light_bottom, y);
        s.light_left = std::min(s.light_left, x);
        s.light_right = std::max(s.light_right, x);
        ++s.light;
      }
      if (p.R(x, y) == 0 && p.G(x, y) == 0 && p.B(x, y) == 0) {  // shadow with no glyph over it
        s.shadow_max_alpha = std::max(s.shadow_max_alpha, a);
        if (a < 16) continue;  // the blur's faint tail does not count for its extent
        s.shadow_bottom = std::max(s.shadow_bottom, y);
        s.shadow_right = std::max(s.shadow_right, x);
      }
    }
  return s;
}

void ExpectLettering(const Picture& p, int lowest_light_row) {
  const Lettering s = Survey(p);
  EXPECT_GE(s.any_top, 1);  // at most a trace of anti-aliasing above row 2
  EXPECT_LE(s.any_bottom, 19);
  EXPECT_GE(s.light_top, 2);
  EXPECT_LE(s.light_top, 3);
  EXPECT_GE(s.light_bottom, 15);
  EXPECT_LE(s.light_bottom, lowest_light_row);
  // A soft black shadow, one to three pixels to the lower right.
  EXPECT_GE(s.shadow_max_alpha, 100);
  EXPECT_LE(s.shadow_max_alpha, 138);
  EXPECT_GE(s.shadow_bottom - s.light_bottom, 1);
  EXPECT_LE(s.shadow_bottom - s.light_bottom, 3);
  EXPECT_GE(s.shadow_right - s.light_right, 1);
  EXPECT_LE(s.shadow_right - s.light_right, 3);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      if (p.A(x, y) != 255) continue;
      // The glyph body: near white and grey.
      EXPECT_GE(p.R(x, y), 242) << x << "," << y;
      EXPECT_NEAR(p.G(x, y), p.R(x, y), 2) << x << "," << y;
      EXPECT_NEAR(p.B(x, y), p.R(x, y), 3) << x << "," << y;
    }
  // Nothing but faint anti-aliasing above the body.
  for (int x = 0; x < p.width; ++x) {
    EXPECT_EQ(p.A(x, 0), 0);
    EXPECT_LT(p.A(x, 1), 40) << x;
  }
}

TEST(Digits, HaveTheirFixedWidthsAndTwentyRows) {
  const int widths[10] = {17, 11, 19, 18, 18, 17, 17, 16, 18, 18};
  for (int d = 0; d <= 9; ++d) {
    const Picture p = LoadPng(SeriesName("d", d));
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.width, widths[d]) << d;
    EXPECT_EQ(p.height, 20) << d;
  }
}

TEST(Digits, NearWhiteGlyphsWithASoftShadowToTheLowerRight) {
  for (int d = 0; d <= 9; ++d) {
    SCOPED_TRACE(d);
    const Picture p = LoadPng(SeriesName("d", d));
    ASSERT_TRUE(p.ok) << p.error;
    ExpectLettering(p, 16);
    // Each glyph fills its box, leaving room on the right for its shadow.
    const Lettering s = Survey(p);
    EXPECT_GT(s.light, 25);
    EXPECT_LE(s.light_left, 2);
    EXPECT_GE(s.light_right, p.width - 5);
  }
}

TEST(Labels, DayAndDaysInTheSameLettering) {
  const Picture day = LoadPng("imgDDay"), days = LoadPng("imgDays");
  ASSERT_TRUE(day.ok) << day.error;
  ASSERT_TRUE(days.ok) << days.error;
  EXPECT_EQ(day.width, 41);
  EXPECT_EQ(day.height, 20);
  EXPECT_EQ(days.width, 53);
  EXPECT_EQ(days.height, 20);
  {
    SCOPED_TRACE("day");
    ExpectLettering(day, 17);
  }
  {
    SCOPED_TRACE("days");
    ExpectLettering(days, 17);
  }
  // "days" is "day" and one letter more.
  EXPECT_GT(Survey(days).light, Survey(day).light);
}

}  // namespace
}  // namespace gd::art_test
