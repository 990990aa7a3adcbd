#include "scene/snow.h"

#include <gtest/gtest.h>

#include "scene_fixture.h"

namespace gd {
namespace {

using scene_test::DrawCall;
using scene_test::RecordingPainter;
using scene_test::SharedSceneCatalogue;

class Snowfall : public ::testing::Test {
 protected:
  Snowfall() : sprites(ResolveSnowSprites(SharedSceneCatalogue())) { CreateSnowParticles(snow); }

  std::vector<DrawCall> Tick(int layer, int32_t count) {
    RecordingPainter p;
    UpdateSnowLayer(layer, snow, count, random, sprites, p);
    return p.draws;
  }
  SnowParticle& At(int layer, size_t i) { return snow.Particles(layer)[i]; }

  SnowState snow;
  SnowSprites sprites;
  Random random;
};

// From seed 0 with no draws before them: x 47, y 17, kind 2, dx -0.45, dy 0.5;
// x 178, y 59, kind 1, dx -0.25, dy 0.6; x 63, y 82, kind 1, dx 0.45, dy 0.5.
TEST_F(Snowfall, FirstRecordsOfLayerOneFromSeedZero) {
  const std::vector<DrawCall> draws = Tick(1, 3);
  const struct {
    double x, y;
    int kind;
    double dx, dy;
  } want[3] = {{47, 17, 2, -0.45, 0.5}, {178, 59, 1, -0.25, 0.6}, {63, 82, 1, 0.45, 0.5}};
  for (int i = 0; i < 3; ++i) {
    const SnowParticle& p = At(1, i);
    EXPECT_EQ(p.kind, want[i].kind) << i;
    EXPECT_NEAR(p.dx, want[i].dx, 1e-12) << i;
    EXPECT_NEAR(p.dy, want[i].dy, 1e-12) << i;
    // Moved once, by its own velocity, after the draw.
    EXPECT_NEAR(p.x, want[i].x + want[i].dx, 1e-12) << i;
    EXPECT_NEAR(p.y, want[i].y + want[i].dy, 1e-12) << i;
  }
  // 47 + 17/2 is not above 90: the first is outside the glass.
  EXPECT_EQ(draws, (std::vector<DrawCall>{{"Snow1", 178, 59}, {"Snow1", 63, 82}}));
  EXPECT_EQ(random.Seed(), [] {
    Random r;
    for (int i = 0; i < 15; ++i) r(2);
    return r.Seed();
  }()) << "five draws per spawn in layer 1";
}

TEST_F(Snowfall, LayerTwoSpawnBelowItsBottomLineIsRespawnedOnTheSameTick) {
  // A seed whose first spawn row (the second draw) lies at 150 or below.
  uint32_t seed = 0;
  for (;; ++seed) {
    Random r;
    r.SetSeed(seed);
    r(192);
    if (r(167) + 13 >= 150) break;
  }
  random.SetSeed(seed);
  const std::vector<DrawCall> draws = Tick(2, 1);
  const SnowParticle& p = At(2, 0);
  EXPECT_NEAR(p.y, 13 + p.dy, 1e-12);
  EXPECT_GE(p.dy, 1.5 - 1e-12);
  EXPECT_LE(p.dy, 2.0 + 1e-12);
  // Nine draws: five for the spawn, four for the respawn (its row is fixed).
  Random r;
  r.SetSeed(seed);
  for (int i = 0; i < 9; ++i) r(2);
  EXPECT_EQ(random.Seed(), r.Seed());
  for (const DrawCall& d : draws) EXPECT_EQ(d.y, 13);
}

TEST_F(Snowfall, BottomLineRespawnsAndJustAboveDoesNot) {
  const double bottom[3] = {160.0, 150.0, 180.0};
  for (int layer = 1; layer <= 3; ++layer) {
    SnowParticle& on = At(layer, 0);
    SnowParticle& above = At(layer, 1);
    on = {1, 140.0, bottom[layer - 1], 0.0, 1.0};
    above = {1, 140.0, std::nextafter(bottom[layer - 1], 0.0), 0.0, 1.0};
    Tick(layer, 2);
    EXPECT_NEAR(on.y, 13.0 + on.dy, 1e-12) << layer;
    EXPECT_EQ(above.y, std::nextafter(bottom[layer - 1], 0.0) + 1.0) << layer;
    EXPECT_EQ(above.x, 140.0) << layer;
  }
}

TEST_F(Snowfall, EdgeOfTheGlassIsOutsideAndHalfwayRoundsToEven) {
  // X + Y/2 = 90 lies on layer 1's upper-left edge; 60.5 is just inside and is
  // drawn at column 60 (halfway goes to the even neighbour).
  At(1, 0) = {1, 60.0, 60.0, 0.0, 0.5};
  At(1, 1) = {1, 60.5, 60.0, 0.0, 0.5};
  At(1, 2) = {2, 45.5, 100.5, 0.0, 0.5};
  At(1, 3) = {2, 46.5, 101.5, 0.0, 0.5};
  EXPECT_EQ(Tick(1, 4), (std::vector<DrawCall>{{"Snow1", 60, 60}, {"Snow2", 46, 100}, {"Snow2", 46, 102}}));
  EXPECT_FALSE(InsideGlass(kSnowLayers[0], 60.0, 60.0));
  // X/2 - Y = 70 on the upper-right edge; X - Y/2 = 195 on the right one.
  EXPECT_FALSE(InsideGlass(kSnowLayers[1], 180.0, 20.0));
  EXPECT_TRUE(InsideGlass(kSnowLayers[1], 179.9, 20.0));
  EXPECT_FALSE(InsideGlass(kSnowLayers[2], 245.0, 100.0));
  EXPECT_TRUE(InsideGlass(kSnowLayers[2], 244.9, 100.0));
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(45.5), 46);
  EXPECT_EQ(RoundHalfEven(46.5), 46);
  EXPECT_EQ(RoundHalfEven(46.4999999), 46);
  EXPECT_EQ(RoundHalfEven(46.5000001), 47);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(13.0), 13);
}

TEST_F(Snowfall, LayerThreeNeverMovesSideways) {
  for (int tick = 0; tick < 400; ++tick) Tick(3, 40);
  for (const SnowParticle& p : snow.Particles(3)) {
    EXPECT_EQ(p.dx, 0.0);
    EXPECT_EQ(p.x, std::floor(p.x));  // x stays the whole number it was given
    EXPECT_GE(p.dy, 2.5 - 1e-12);
    EXPECT_LE(p.dy, 3.0 + 1e-12);
  }
}

TEST_F(Snowfall, LayerOneFallsFasterAfterItsFirstRespawn) {
  std::vector<bool> respawned(500, false);
  for (int tick = 0; tick < 300; ++tick) {
    std::vector<double> yBefore;
    for (const SnowParticle& p : snow.Particles(1)) yBefore.push_back(p.y);
    Tick(1, 500);
    for (size_t i = 0; i < 500; ++i) {
      const SnowParticle& p = At(1, i);
      if (tick > 0 && p.y < yBefore[i]) respawned[i] = true;
      const double lo = respawned[i] ? 0.8 : 0.5, hi = respawned[i] ? 1.0 : 0.7;
      ASSERT_GE(p.dy, lo - 1e-12) << "record " << i << " tick " << tick;
      ASSERT_LE(p.dy, hi + 1e-12) << "record " << i << " tick " << tick;
    }
  }
  // Within 300 ticks every flake has reached the bottom line at least once.
  EXPECT_EQ(std::count(respawned.begin(), respawned.end(), true), 500);
}

TEST_F(Snowfall, RestingRecordsResumeWhereTheyStopped) {
  for (int tick = 0; tick < 5; ++tick) Tick(2, 249);
  const std::vector<SnowParticle> saved = snow.Particles(2);
  for (int tick = 0; tick < 5; ++tick) Tick(2, 200);
  for (size_t i = 200; i < 249; ++i) {
    EXPECT_EQ(At(2, i).y, saved[i].y) << i;
    EXPECT_EQ(At(2, i).x, saved[i].x) << i;
  }
  for (size_t i = 249; i < 300; ++i) EXPECT_EQ(At(2, i).kind, 0) << i;
  Tick(2, 249);
  for (size_t i = 200; i < 249; ++i) {
    if (saved[i].y >= 150.0) continue;  // this one reached the bottom line meanwhile
    EXPECT_EQ(At(2, i).y, saved[i].y + saved[i].dy) << i;
    EXPECT_EQ(At(2, i).kind, saved[i].kind) << i;
  }
}

TEST_F(Snowfall, CountsBeyondTheArrayAreBounded) {
  Tick(3, 1000);
  Tick(3, -5);
  for (const SnowParticle& p : snow.Particles(3)) EXPECT_NE(p.kind, 0);
  SnowState none;  // arrays not made yet: nothing to do
  RecordingPainter p;
  UpdateSnowLayer(1, none, 500, random, sprites, p);
  EXPECT_TRUE(p.draws.empty());
}

TEST(SnowSpriteLookup, GivesWhatTheCatalogueFindsByName) {
  const SceneCatalogue& cat = SharedSceneCatalogue();
  const SnowSprites s = ResolveSnowSprites(cat);
  const char* names[3][2] = {{"Snow1", "Snow2"}, {"Snow3", "Snow4"}, {"Snow5", "Snow6"}};
  for (int l = 0; l < 3; ++l)
    for (int k = 0; k < 2; ++k) EXPECT_EQ(s.sprite[l][k], cat.FindSceneImage(names[l][k]));
}

}  // namespace
}  // namespace gd
