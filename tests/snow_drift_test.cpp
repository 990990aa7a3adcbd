#include "scene/snow_drift.h"

#include <gtest/gtest.h>

namespace gd {
namespace {

TEST(SnowDrift, FirstTickChoosesNothingAndLayersTwoAndThreeFollow) {
  SnowDriftState d;
  Random r;
  DriftSnowCounts(d, r);
  EXPECT_EQ(d.SnowCount1, 499);
  EXPECT_EQ(d.SnowCount2, 249);
  EXPECT_EQ(d.SnowCount3, 31);
  EXPECT_EQ(r.Seed(), 0u);  // no random number drawn
  // The snow thins to nothing over the first 500 ticks without a draw.
  for (int i = 1; i < 499; ++i) DriftSnowCounts(d, r);
  EXPECT_EQ(d.SnowCount1, 1);
  DriftSnowCounts(d, r);
  EXPECT_EQ(d.SnowCount1, 0);
  EXPECT_EQ(d.SnowCount3, 0);
  EXPECT_EQ(r.Seed(), 0u);
  DriftSnowCounts(d, r);  // the first random target
  EXPECT_NE(r.Seed(), 0u);
}

TEST(SnowDrift, APauseOnlyCountsDown) {
  SnowDriftState d{100, 50, 6, 7, 3};
  Random r;
  r.SetSeed(99);
  DriftSnowCounts(d, r);
  EXPECT_EQ(d.SnowPause, 2);
  EXPECT_EQ(d.SnowCount1, 100);
  EXPECT_EQ(d.SnowCount2, 50);
  EXPECT_EQ(d.SnowTarget, 7);
  EXPECT_EQ(r.Seed(), 99u);
}

// Finds a seed whose next draws are Random(500) = target and Random(4) != 0.
uint32_t SeedGiving(uint32_t target) {
  for (uint32_t seed = 0;; ++seed) {
    Random r;
    r.SetSeed(seed);
    if (r(500) == target && r(4) != 0) return seed;
  }
}

TEST(SnowDrift, TargetEqualToTheCountOvershootsByOne) {
  SnowDriftState d{123, 61, 7, 123, 0};
  Random r;
  r.SetSeed(SeedGiving(123));
  DriftSnowCounts(d, r);
  EXPECT_EQ(d.SnowTarget, 123);
  EXPECT_EQ(d.SnowCount1, 124);
  const uint32_t seed = r.Seed();
  DriftSnowCounts(d, r);
  EXPECT_EQ(d.SnowCount1, 123);
  EXPECT_EQ(r.Seed(), seed);  // back down without choosing
  DriftSnowCounts(d, r);
  EXPECT_NE(r.Seed(), seed);  // then chooses again
}

TEST(SnowDrift, ATargetOfZeroComesWithAPause) {
  // A seed whose one-in-four draw is 0: target 0, pause 50 to 549.
  uint32_t seed = 0;
  for (;; ++seed) {
    Random r;
    r.SetSeed(seed);
    r(500);
    if (r(4) == 0) break;
  }
  Random r;
  r.SetSeed(seed);
  SnowDriftState d{300, 150, 18, 300, 0};
  DriftSnowCounts(d, r);
  EXPECT_EQ(d.SnowTarget, 0);
  EXPECT_GE(d.SnowPause, 50);
  EXPECT_LE(d.SnowPause, 549);
  EXPECT_EQ(d.SnowCount1, 299);  // the choosing tick still steps
  const int32_t pause = d.SnowPause;
  for (int i = 0; i < pause; ++i) DriftSnowCounts(d, r);
  EXPECT_EQ(d.SnowCount1, 299);
  DriftSnowCounts(d, r);
  EXPECT_EQ(d.SnowCount1, 298);
}

TEST(SnowDrift, CountsNeverLeaveTheirArrays) {
  for (uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    SnowDriftState d;
    Random r;
    r.SetSeed(seed);
    bool sawZero = false, sawHigh = false;
    for (int i = 0; i < 300000; ++i) {
      DriftSnowCounts(d, r);
      ASSERT_GE(d.SnowCount1, 0);
      ASSERT_LE(d.SnowCount1, 500);
      ASSERT_LE(d.SnowCount2, 250);
      ASSERT_LE(d.SnowCount3, 31);
      ASSERT_GE(d.SnowTarget, 0);
      ASSERT_LE(d.SnowTarget, 499);
      ASSERT_GE(d.SnowPause, 0);
      ASSERT_EQ(d.SnowCount2, d.SnowCount1 / 2);
      ASSERT_EQ(d.SnowCount3, d.SnowCount1 / 16);
      sawZero = sawZero || d.SnowCount1 == 0;
      sawHigh = sawHigh || d.SnowCount1 >= 450;
    }
    EXPECT_TRUE(sawZero && sawHigh) << seed;  // the whole range is reached
  }
}

}  // namespace
}  // namespace gd
