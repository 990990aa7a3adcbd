#include "scene/sky.h"

#include <string>

namespace gd {
namespace {

// The offsets at which the cycle turns (the strip's top row, in frame rows).
constexpr int32_t kNightTop = 0;          // darkest night: the day half begins
constexpr int32_t kFullDay = -1200;       // below this the night half begins
constexpr int32_t kSunriseOffset = -350;  // the sun rises in the day half
constexpr int32_t kSunsetOffset = -1000;  // the sun starts to set in the night half
constexpr int32_t kMoonriseAbove = -450;  // the moon rises above this in the night half
constexpr int32_t kHoldCalls = 50;        // the hold at full day, armed once per run
// Where the risen sun leaves at the top and waits to set.
constexpr int32_t kSunLeavesAbove = -20;
constexpr int32_t kSunSetX = 95, kSunSetY = -20;
constexpr int32_t kMoonLeavesAbove = -60;

}  // namespace

void PlaceSunAndMoon(SkyState& sky) {
  sky.SunX = kSunRiseX;
  sky.SunY = kSunRiseY;
  sky.MoonX = kMoonRiseX;
  sky.MoonY = kMoonRiseY;
}

const SceneImage* SkySprites::Sun(int32_t frame) const {
  return frame >= 1 && frame <= kSunFrames ? sun[frame - 1] : nullptr;
}

const SceneImage* SkySprites::Sundown(int32_t frame) const {
  return frame >= 1 && frame <= kSunFrames ? sundown[frame - 1] : nullptr;
}

const SceneImage* SkySprites::Moon(int32_t phase, int32_t frame) const {
  if (phase < 1 || phase > kMoonPhases || frame < 1 || frame > kMoonFrames) return nullptr;
  return moon[phase - 1][frame - 1];
}

SkySprites ResolveSkySprites(const SceneCatalogue& catalogue) {
  SkySprites sprites;
  for (int f = 1; f <= kSunFrames; ++f) {
    sprites.sun[f - 1] = &RequireSceneImage(catalogue, "sun" + std::to_string(f));
    sprites.sundown[f - 1] = &RequireSceneImage(catalogue, "sundown" + std::to_string(f));
  }
  for (int p = 1; p <= kMoonPhases; ++p)
    for (int f = 1; f <= kMoonFrames; ++f)
      sprites.moon[p - 1][f - 1] =
          &RequireSceneImage(catalogue, "moon" + std::to_string(p) + "_" + std::to_string(f));
  return sprites;
}

void SkyStep(SkyState& s, bool isStepTick, const SkySprites& sprites, ScenePainter& painter) {
  // Each test below sees what the actions before it have left.

  // Motion: the day half falls (unless held), the night half rises.
  if (s.IsDay) {
    if (s.SkyHold > 1)
      --s.SkyHold;  // counts calls, steps or not; the sky stands
    else if (isStepTick)
      --s.SkyOffset;
  }
  if (!s.IsDay && isStepTick) ++s.SkyOffset;

  // Transitions.
  if (s.SkyOffset == kNightTop) {  // the day half begins; the sun waits to rise
    s.SunX = kSunRiseX;
    s.SunY = kSunRiseY;
    s.IsDay = true;
    s.SunVisible = false;
  }
  if (s.SkyOffset < kFullDay) s.IsDay = false;  // the night half begins
  if (s.SkyOffset == kFullDay && s.IsDay && s.SkyHold == 0) s.SkyHold = kHoldCalls;
  if (s.SkyOffset == kSunriseOffset && s.IsDay) s.SunVisible = true;
  if (s.SkyOffset == kSunsetOffset && !s.IsDay) s.SunVisible = true;
  if (s.SunY < kSunLeavesAbove && s.IsDay) {  // the risen sun has left at the top
    s.SunVisible = false;
    s.SunX = kSunSetX;
    s.SunY = kSunSetY;
  }

  // The sun: drawn, then its frame advances; every fifth frame it moves a pixel.
  if (s.SunVisible && s.IsDay) {
    if (const SceneImage* sun = sprites.Sun(s.SunFrame)) painter.Draw(*sun, s.SunX, s.SunY);
    if (isStepTick) ++s.SunFrame;
    if (s.SunFrame > kSunFrames) {
      s.SunFrame = 1;
      ++s.SunX;
      --s.SunY;
    }
  }
  if (s.SunVisible && !s.IsDay) {
    if (const SceneImage* sun = sprites.Sundown(s.SunFrame)) painter.Draw(*sun, s.SunX, s.SunY);
    if (isStepTick) ++s.SunFrame;
    if (s.SunFrame > kSunFrames) {
      s.SunFrame = 1;
      ++s.SunX;
      ++s.SunY;
    }
  }

  // The moon: rises in the night half, goes down at the top with its next phase.
  if (s.SkyOffset > kMoonriseAbove && !s.IsDay) s.MoonVisible = true;
  if (s.MoonY < kMoonLeavesAbove) {
    s.MoonVisible = false;
    s.MoonX = kMoonRiseX;
    s.MoonY = kMoonRiseY;
    if (++s.MoonPhase > kMoonPhases) s.MoonPhase = 1;
  }
  if (s.MoonVisible) {
    if (const SceneImage* moon = sprites.Moon(s.MoonPhase, s.MoonFrame)) painter.Draw(*moon, s.MoonX, s.MoonY);
    if (isStepTick) ++s.MoonFrame;
    if (s.MoonFrame > kMoonFrames) {
      s.MoonFrame = 1;
      ++s.MoonX;
      --s.MoonY;
    }
  }
}

}  // namespace gd
