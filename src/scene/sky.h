// The day-and-night sky: the sky strip scrolls from night through dawn to day
// and back, the sun rises and sets, and the moon crosses the sky, one phase
// further each time it goes down. One unit of motion per animation step; the
// only thing that counts plain calls is the hold at full day.
#pragma once

#include <array>
#include <cstdint>

#include "images/catalogue.h"
#include "scene/painter.h"

namespace gd {

struct SkyState {
  int32_t SkyOffset = -340;  // frame row of the strip's top row; -1201 to 0
  bool IsDay = true;         // day half: the offset falls; night half: it rises
  int32_t SkyHold = 0;       // 0 until armed at full day; counts down to 1 and stays
  bool SunVisible = false;
  int32_t SunFrame = 1;      // 1 to 5, shared by the rising and the setting sun
  int32_t SunX = 0;          // placed at (20, 100) by the show handler
  int32_t SunY = 0;
  bool MoonVisible = false;
  int32_t MoonPhase = 4;     // 1 to 7
  int32_t MoonFrame = 1;     // 1 to 5
  int32_t MoonX = 0;         // placed at (30, 100) by the show handler
  int32_t MoonY = 0;
};

// Where the bodies wait: the sun to rise, and the moon to rise.
inline constexpr int32_t kSunRiseX = 20, kSunRiseY = 100;
inline constexpr int32_t kMoonRiseX = 30, kMoonRiseY = 100;

// Sets the sun and the moon at their rising points (the show handler does
// this once, before the first frame).
void PlaceSunAndMoon(SkyState& sky);

inline constexpr int kSunFrames = 5;
inline constexpr int kMoonPhases = 7;
inline constexpr int kMoonFrames = 5;

// The sun and moon pictures, found once by the names the sky builds:
// "sun" + frame, "sundown" + frame, "moon" + phase + "_" + frame.
struct SkySprites {
  std::array<const SceneImage*, kSunFrames> sun{};
  std::array<const SceneImage*, kSunFrames> sundown{};
  std::array<std::array<const SceneImage*, kMoonFrames>, kMoonPhases> moon{};

  // nullptr for a frame or phase out of range.
  const SceneImage* Sun(int32_t frame) const;
  const SceneImage* Sundown(int32_t frame) const;
  const SceneImage* Moon(int32_t phase, int32_t frame) const;
};

// Throws std::runtime_error naming the first picture the catalogue lacks.
SkySprites ResolveSkySprites(const SceneCatalogue& catalogue);

// One call's sky step, run by the compositor after the strip and the stars
// and before the landscape: moves the sky, applies the transitions, and draws
// and advances the sun and the moon.
void SkyStep(SkyState& sky, bool isStepTick, const SkySprites& sprites, ScenePainter& painter);

}  // namespace gd
