// The stirred snow: a fourth layer of flakes, which lies unseen on the snow
// mound at the bottom of the glass until the user shakes the globe.
//
// While the window is dragged, its places and their times come in
// (GlassMotion). On every frame the glass's velocity over the last moments is
// set against the one of the frame before: a steady drag changes it little, a
// quick reversal a lot. A change lifts flakes off the mound, more the larger
// it is, and throws them against it, as the water of a globe lags behind its
// glass; every change after that pushes the flakes in flight the same way.
// The water slows them at every step, and they sink back slowly, circling,
// inside the glass's outline, until each comes to rest on the mound again.
//
// Everything is in the globe's 300 x 260 logical space, whatever the display
// scale, and on a clock of its own (steps of kStirStepMs from the frames'
// tick counts), so the swirl lasts as long at every speed. The flakes take
// their random numbers from a generator of their own: the three snow layers
// and the program-wide sequence are the same, shaken or not.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "base/random.h"
#include "images/bmp.h"
#include "images/catalogue.h"
#include "scene/blend.h"

namespace gd {

// The columns [first, second) inside the glass, per logical row (none: {0, 0}),
// and the first row that has any.
struct GlassOutline {
  std::vector<std::pair<int, int>> rows;
  int top = 0;
  std::pair<int, int> Row(int y) const {
    return y >= 0 && static_cast<size_t>(y) < rows.size() ? rows[static_cast<size_t>(y)] : std::pair<int, int>{0, 0};
  }
};
// The outline of the window's mask: in each row, from its first pixel that
// is not pure white to its last.
GlassOutline GlassOutlineFromMask(const BmpImage& mask);

// How the water moves the flakes. Speeds are logical pixels per step of
// kStirStepMs; the glass's velocity is in logical pixels per millisecond.
struct StirParameters {
  double flakesPerChange;  // flakes lifted per pixel/ms the glass's velocity changes by
  double calmChangePerMs;  // the change per millisecond that lifts nothing (a hand's unsteadiness)
  double fullChange;       // a change per frame that throws as high as `rise` goes (pixels/ms)
  double throwShare;       // a lifted flake's speed against the change, as a share of it
  double lagShare;         // the share of each later change the flakes in flight take
  double rise;             // the upward throw off the mound of the hardest shake
  double scatter;          // the sideways scatter of the hardest shake
  double drag;             // the share of its speed a flake keeps from step to step
  double sinking;          // the speed the flakes settle at
  double swirl;            // the speed at which a flake circles
};
inline constexpr uint32_t kStirStepMs = 10;
// A frame after a long pause moves the flakes on by this many steps at most.
inline constexpr uint32_t kMostStirSteps = 10;
// The glass's velocity is its mean over this span before the frame; the
// places of the last kMotionHistoryMs are kept.
inline constexpr uint32_t kVelocitySpanMs = 60;
inline constexpr uint32_t kMotionHistoryMs = 300;
inline constexpr StirParameters kStir{32.0, 0.0015, 0.25, 0.5, 0.3, 4.5, 1.5, 0.975, 0.2, 0.15};
// When the desktop asks for less motion: fewer flakes, lower, settling sooner.
inline constexpr StirParameters kGentleStir{5.0, 0.0015, 0.25, 0.25, 0.12, 1.1, 0.4, 0.96, 0.35, 0.05};

inline constexpr int kStirredFlakeCount = 320;
// The rows of the mound the flakes rest on (the snow field in front of the
// house, above the stand), and how far inside the glass they stay.
inline constexpr int kMoundTopRow = 156;
inline constexpr int kMoundRows = 16;
inline constexpr int kGlassMargin = 4;
// The flake pictures: a quarter of the flakes draw the first, half the
// second and a quarter the large third.
inline constexpr const char* kStirredSpriteNames[3] = {"Snow3", "Snow4", "Snow6"};

struct StirredFlake {
  bool flying = false;
  int32_t sprite = 0;        // into kStirredSpriteNames
  double x = 0.0, y = 0.0;   // the sprite's top-left corner
  double dx = 0.0, dy = 0.0;  // its speed through the water
  double wx = 0.0, wy = 0.0;  // its circling: a speed that turns a little every step
  double turnCos = 1.0, turnSin = 0.0;
  double restRow = 0.0;       // the mound row it settles on
};

// The window's places during a drag, and the glass's velocity from them.
class GlassMotion {
 public:
  // The window's top-left corner at `tick`, logical pixels.
  void Moved(double x, double y, uint32_t tick);
  // The glass's mean velocity over kVelocitySpanMs before `tick`.
  std::pair<double, double> Velocity(uint32_t tick) const;
  // Whether a place came in less than kVelocitySpanMs before `tick`.
  bool MovedRecently(uint32_t tick) const {
    return !samples_.empty() && tick - samples_.back().tick < kVelocitySpanMs;
  }

 private:
  struct Sample {
    uint32_t tick;
    double x, y;
  };
  // Where the window was at `tick`: between two places on the line between them.
  std::pair<double, double> At(uint32_t tick) const;
  std::deque<Sample> samples_;
};

struct StirredSnowState {
  StirredSnowState() { random.SetSeed(kSeed); }
  static constexpr uint32_t kSeed = 0x5EED5;

  std::vector<StirredFlake> flakes = std::vector<StirredFlake>(kStirredFlakeCount);
  int32_t flying = 0;   // flakes in flight
  Random random;        // the stirred snow's own
  GlassMotion motion;
  bool gentle = false;  // the desktop asks for less motion
  // The glass's velocity at the last frame, the flakes owed to the mound's
  // next lift, and the clock.
  double glassDx = 0.0, glassDy = 0.0;
  double liftOwed = 0.0;
  uint32_t lastTick = 0;
  uint32_t leftoverMs = 0;
  bool clockStarted = false;
  int32_t nextToLift = 0;

  // The window's top-left corner, logical pixels, while it is dragged.
  void WindowMoved(double x, double y, uint32_t tick) { motion.Moved(x, y, tick); }
};

struct StirredSprites {
  std::array<const SceneImage*, 3> sprite{};
};
// Throws std::runtime_error naming the first picture the catalogue lacks.
StirredSprites ResolveStirredSprites(const SceneCatalogue& catalogue);

// One frame of the stirred snow at `tick`: the glass's motion lifts and
// pushes flakes, the flakes in flight move and settle, and each one still in
// flight is added to `flakes` in drawing order. At rest and with the glass
// still, it does nothing.
void StepStirredSnow(StirredSnowState& stirred, const GlassOutline& glass, uint32_t tick,
                     const StirredSprites& sprites, std::vector<PlacedImage>& flakes);

}  // namespace gd
