#include "scene/sky.h"

#include <gtest/gtest.h>

#include <optional>

#include "scene_fixture.h"

namespace gd {
namespace {

using scene_test::DrawCall;
using scene_test::RecordingPainter;
using scene_test::SharedSceneCatalogue;

struct Call {
  SkyState after;
  std::vector<DrawCall> draws;
};

// Runs the sky from the start of a run, every call a step (the speed
// "Quickly"), and keeps what every call left and drew. Call 1 is index 1.
class SkyRun {
 public:
  SkyRun() : sprites_(ResolveSkySprites(SharedSceneCatalogue())) {
    PlaceSunAndMoon(sky_);
    calls_.push_back({sky_, {}});
  }
  const Call& Next(bool isStep = true) {
    RecordingPainter p;
    SkyStep(sky_, isStep, sprites_, p);
    calls_.push_back({sky_, std::move(p.draws)});
    return calls_.back();
  }
  void RunTo(size_t call) {
    while (calls_.size() <= call) Next();
  }
  const Call& operator[](size_t call) {
    RunTo(call);
    return calls_[call];
  }
  // The first call after `from` on which `SkyOffset` is 0.
  size_t NextTop(size_t from) {
    for (size_t c = from + 1;; ++c)
      if ((*this)[c].after.SkyOffset == 0) return c;
  }
  SkyState& State() { return sky_; }
  const SkySprites& Sprites() const { return sprites_; }

 private:
  SkyState sky_;
  SkySprites sprites_;
  std::vector<Call> calls_;
};

bool Drew(const Call& c, const DrawCall& d) { return std::find(c.draws.begin(), c.draws.end(), d) != c.draws.end(); }

bool DrewSun(const Call& c) {
  for (const DrawCall& d : c.draws)
    if (d.name.rfind("sun", 0) == 0) return true;
  return false;
}

bool DrewMoon(const Call& c) {
  for (const DrawCall& d : c.draws)
    if (d.name.rfind("moon", 0) == 0) return true;
  return false;
}

TEST(SkyStep, FirstDayHalfOfARun) {
  SkyRun run;
  // The first call moves the sky and draws neither sun nor moon.
  EXPECT_EQ(run[1].after.SkyOffset, -341);
  EXPECT_TRUE(run[1].draws.empty());
  // Sunrise after 10 steps, at (20, 100), and its frame advances on the same call.
  EXPECT_FALSE(DrewSun(run[9]));
  EXPECT_EQ(run[10].after.SkyOffset, -350);
  EXPECT_EQ(run[10].draws, (std::vector<DrawCall>{{"sun1", 20, 100}}));
  EXPECT_EQ(run[10].after.SunFrame, 2);
  // Full day: 861 moving calls and, in between, 49 calls that stand still
  // although each of them is a step.
  int standing = 0;
  for (size_t c = 1; c <= 910; ++c)
    if (run[c].after.SkyOffset == run[c - 1].after.SkyOffset) ++standing;
  EXPECT_EQ(standing, 49);
  EXPECT_EQ(run[860].after.SkyOffset, -1200);
  EXPECT_EQ(run[860].after.SkyHold, 50);
  EXPECT_EQ(run[909].after.SkyOffset, -1200);
  EXPECT_EQ(run[909].after.SkyHold, 1);
  EXPECT_TRUE(run[909].after.IsDay);
  EXPECT_EQ(run[910].after.SkyOffset, -1201);
  EXPECT_FALSE(run[910].after.IsDay);
  // The night half climbs back to 0 in 1201 steps.
  EXPECT_EQ(run.NextTop(0), 2111u);
}

TEST(SkyStep, OneCycleStepByStep) {
  SkyRun run;
  const size_t first = run.NextTop(0);
  // The second cycle is like every later one; check it at its listed steps.
  const size_t c0 = run.NextTop(first);
  EXPECT_EQ(c0 - first, 2402u);
  run.RunTo(c0 + 2402);
  auto at = [&](int step) -> const Call& { return run[c0 + step]; };

  // Step 0: the setting sun, last drawn as sundown5 at (294, 179), is hidden
  // before its draw and waits at (20, 100); the moon keeps rising.
  EXPECT_TRUE(Drew(at(-1), {"sundown5", 294, 179}));
  EXPECT_TRUE(at(0).after.IsDay);
  EXPECT_FALSE(DrewSun(at(0)));
  EXPECT_FALSE(at(0).after.SunVisible);
  EXPECT_EQ(at(0).after.SunX, 20);
  EXPECT_EQ(at(0).after.SunY, 100);
  EXPECT_TRUE(DrewMoon(at(0)));

  // Step 350: sunrise.
  EXPECT_FALSE(DrewSun(at(349)));
  EXPECT_TRUE(Drew(at(350), {"sun1", 20, 100}));

  // Step 356: the moon, last drawn in frame 5 at (190, -60), goes down.
  const int phase = at(355).after.MoonPhase;
  EXPECT_TRUE(Drew(at(355), {"moon" + std::to_string(phase) + "_5", 190, -60}));
  EXPECT_FALSE(DrewMoon(at(356)));
  EXPECT_EQ(at(356).after.MoonX, 30);
  EXPECT_EQ(at(356).after.MoonY, 100);
  EXPECT_EQ(at(356).after.MoonPhase, phase % 7 + 1);

  // Step 955: the rising sun, last drawn as sun5 at (140, -20), waits at (95, -20).
  EXPECT_TRUE(Drew(at(954), {"sun5", 140, -20}));
  EXPECT_FALSE(DrewSun(at(955)));
  EXPECT_EQ(at(955).after.SunX, 95);
  EXPECT_EQ(at(955).after.SunY, -20);

  // No hold after the first day half: -1200 passes on the next step.
  EXPECT_EQ(at(1200).after.SkyOffset, -1200);
  EXPECT_TRUE(at(1200).after.IsDay);
  // Step 1201: the night half begins.
  EXPECT_EQ(at(1201).after.SkyOffset, -1201);
  EXPECT_FALSE(at(1201).after.IsDay);
  EXPECT_EQ(at(1202).after.SkyOffset, -1200);  // and the night passes -1200 unheld

  // Step 1402: sunset begins where the risen sun waited.
  EXPECT_FALSE(DrewSun(at(1401)));
  EXPECT_EQ(at(1402).after.SkyOffset, -1000);
  EXPECT_TRUE(Drew(at(1402), {"sundown1", 95, -20}));

  // Moonrise at -449, not at -450.
  EXPECT_EQ(at(1952).after.SkyOffset, -450);
  EXPECT_FALSE(DrewMoon(at(1952)));
  EXPECT_EQ(at(1953).after.SkyOffset, -449);
  EXPECT_TRUE(Drew(at(1953), {"moon" + std::to_string(at(1953).after.MoonPhase) + "_1", 30, 100}));

  // Step 2402: the next day half.
  EXPECT_EQ(at(2402).after.SkyOffset, 0);
  EXPECT_EQ(run.NextTop(c0), c0 + 2402);
}

TEST(SkyStep, MoonPhasesFollowEachOtherFromFour) {
  SkyRun run;
  std::vector<std::string> risings;
  size_t c = 1;
  std::optional<DrawCall> last;
  std::vector<std::string> beforeRising;
  for (; risings.size() < 8; ++c) {
    const Call call = run[c];
    for (const DrawCall& d : call.draws) {
      if (d.name.rfind("moon", 0) != 0) continue;
      // A rising: frame 1 at the rising point, where the moon was not drawn before.
      if (d.x == 30 && d.y == 100 && d.name.back() == '1' && (!last || last->x != 30 || last->y != 100)) {
        risings.push_back(d.name);
        if (last) beforeRising.push_back(last->name);
      }
      last = d;
    }
  }
  EXPECT_EQ(risings, (std::vector<std::string>{"moon4_1", "moon5_1", "moon6_1", "moon7_1", "moon1_1", "moon2_1",
                                               "moon3_1", "moon4_1"}));
  // The last frame of phase 7 is followed, after the moon goes down, by moon1_1.
  EXPECT_EQ(beforeRising[3], "moon7_5");
}

TEST(SkyStep, CallsThatAreNotStepsOnlyRedraw) {
  SkyRun run;
  const size_t c0 = run.NextTop(run.NextTop(0));
  run.RunTo(c0 + 353);  // sun and moon both up
  SkyState before = run.State();
  const Call& idle1 = run.Next(false);
  const Call idle1Copy = idle1;
  const Call& idle2 = run.Next(false);
  EXPECT_EQ(idle1Copy.draws.size(), 2u);
  EXPECT_EQ(idle1Copy.draws, idle2.draws);
  EXPECT_EQ(idle2.after.SkyOffset, before.SkyOffset);
  EXPECT_EQ(idle2.after.SunFrame, before.SunFrame);
  EXPECT_EQ(idle2.after.MoonFrame, before.MoonFrame);
  EXPECT_EQ(idle2.after.MoonY, before.MoonY);
  // The next step draws exactly what the idle calls showed.
  EXPECT_EQ(run.Next(true).draws, idle1Copy.draws);
  // After the step on which the moon's frame wraps it past the top edge, a
  // call that is not a step still hides it.
  run.Next(true);  // step 355 of the cycle: the moon moves to row -61
  EXPECT_EQ(run.State().MoonY, -61);
  const Call& hidden = run.Next(false);
  EXPECT_FALSE(DrewMoon(hidden));
  EXPECT_EQ(hidden.after.MoonY, 100);
}

TEST(SkyStep, HoldCountsCallsNotSteps) {
  SkyRun run;
  run.RunTo(860);  // the hold is armed
  for (int i = 0; i < 49; ++i) run.Next(false);
  EXPECT_EQ(run.State().SkyHold, 1);
  EXPECT_EQ(run.State().SkyOffset, -1200);
  run.Next(false);  // no step: nothing moves
  EXPECT_EQ(run.State().SkyOffset, -1200);
  run.Next(true);
  EXPECT_EQ(run.State().SkyOffset, -1201);
  EXPECT_FALSE(run.State().IsDay);
}

TEST(SkySpriteLookup, FindsTheSeriesByTheirBuiltNames) {
  const SkySprites s = ResolveSkySprites(SharedSceneCatalogue());
  EXPECT_EQ(s.Sun(1)->name, "sun1");
  EXPECT_EQ(s.Sundown(5)->name, "sundown5");
  EXPECT_EQ(s.Moon(7, 5)->name, "moon7_5");
  EXPECT_EQ(s.Moon(3, 2), SharedSceneCatalogue().FindSceneImage("moon3_2"));
  EXPECT_EQ(s.Sun(0), nullptr);
  EXPECT_EQ(s.Moon(8, 1), nullptr);
  SceneCatalogue partial;
  auto img = std::make_unique<SceneImage>();
  img->name = "sun1";
  partial.Add(std::move(img));
  EXPECT_THROW(ResolveSkySprites(partial), std::runtime_error);
}

}  // namespace
}  // namespace gd
