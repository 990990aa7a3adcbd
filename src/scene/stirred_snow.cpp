#include "scene/stirred_snow.h"

#include <algorithm>
#include <cmath>

#include "scene/snow.h"

namespace gd {
namespace {

constexpr uint32_t kPureWhite = MakeColor(255, 255, 255);
// The share of its speed a flake keeps when the glass turns it back.
constexpr double kBounce = 0.3;

// Whether tick a comes after tick b (the tick count wraps).
bool After(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) > 0; }

double Share(Random& random, uint32_t hundredths) { return static_cast<double>(random(hundredths + 1)) / 100.0; }

// Takes flake `f` off the mound: a place on it, a picture, the throw against
// the glass's change (ax, ay) and up, and its circling. `force` is 0 to 1.
void Lift(StirredFlake& f, const StirParameters& k, const GlassOutline& glass, const StirredSprites& sprites,
          double ax, double ay, double force, Random& random) {
  f.restRow = kMoundTopRow + static_cast<double>(random(kMoundRows));
  const uint32_t pick = random(8);
  f.sprite = pick < 2 ? 0 : pick < 6 ? 1 : 2;
  const int width = sprites.sprite[static_cast<size_t>(f.sprite)]->width;
  const auto [left, right] = glass.Row(static_cast<int>(f.restRow));
  const int from = left + kGlassMargin, to = right - kGlassMargin - width;
  f.x = to > from ? from + static_cast<double>(random(static_cast<uint32_t>(to - from))) : (left + right) / 2.0;
  f.y = f.restRow;
  const double thrown = k.throwShare * kStirStepMs * (0.5 + Share(random, 100));
  f.dx = -ax * thrown + (Share(random, 200) - 1.0) * k.scatter * force;
  f.dy = -ay * thrown - k.rise * force * (0.35 + Share(random, 65));
  // A small turn each step (2 to 6 hundredths of a radian, either way).
  const double turn = static_cast<double>(2 + random(5)) / 100.0 * (random(2) ? 1.0 : -1.0);
  f.turnCos = 1.0 - turn * turn / 2;
  f.turnSin = turn;
  const double speed = k.swirl * (0.5 + Share(random, 100));
  const double along = Share(random, 200) - 1.0;
  f.wx = speed * along;
  f.wy = speed * std::sqrt(1.0 - along * along) * (random(2) ? 1.0 : -1.0);
  f.flying = true;
}

// One step of a flake in flight; false once it rests on the mound.
bool Move(StirredFlake& f, const StirParameters& k, const GlassOutline& glass, int size) {
  // The water slows it, and it sinks, a little heavier than the water.
  f.dy += k.sinking * (1.0 - k.drag) / k.drag;
  f.dx *= k.drag;
  f.dy *= k.drag;
  const double wx = f.wx * f.turnCos - f.wy * f.turnSin;
  f.wy = f.wx * f.turnSin + f.wy * f.turnCos;
  f.wx = wx;
  f.x += f.dx + f.wx;
  f.y += f.dy + f.wy;
  if (f.y >= f.restRow && f.dy + f.wy >= 0) return false;
  // The glass turns it back.
  const double top = glass.top + kGlassMargin;
  if (f.y < top) {
    f.y = top;
    if (f.dy < 0) f.dy = -f.dy * kBounce;
  }
  const auto [left, right] = glass.Row(static_cast<int>(f.y + size / 2.0));
  const double from = left + kGlassMargin, to = right - kGlassMargin - size;
  if (to <= from) {
    f.x = (left + right - size) / 2.0;
  } else if (f.x < from) {
    f.x = from;
    if (f.dx < 0) f.dx = -f.dx * kBounce;
  } else if (f.x > to) {
    f.x = to;
    if (f.dx > 0) f.dx = -f.dx * kBounce;
  }
  return true;
}

}  // namespace

GlassOutline GlassOutlineFromMask(const BmpImage& mask) {
  GlassOutline glass;
  glass.rows.assign(static_cast<size_t>(std::max(mask.Height(), 0)), {0, 0});
  glass.top = mask.Height();
  for (int y = mask.Height() - 1; y >= 0; --y) {
    int first = -1, last = -1;
    for (int x = 0; x < mask.Width(); ++x)
      if (mask.Pixel(x, y) != kPureWhite) {
        if (first < 0) first = x;
        last = x;
      }
    if (first < 0) continue;
    glass.rows[static_cast<size_t>(y)] = {first, last + 1};
    glass.top = y;
  }
  return glass;
}

void GlassMotion::Moved(double x, double y, uint32_t tick) {
  // A place long after the last one starts a new move.
  if (!samples_.empty() && tick - samples_.back().tick > kMotionHistoryMs) samples_.clear();
  if (!samples_.empty() && !After(tick, samples_.back().tick)) {
    samples_.back().x = x;  // within the same millisecond, the latest place
    samples_.back().y = y;
    return;
  }
  samples_.push_back({tick, x, y});
  while (samples_.size() > 2 && tick - samples_[1].tick >= kMotionHistoryMs) samples_.pop_front();
}

std::pair<double, double> GlassMotion::At(uint32_t tick) const {
  if (samples_.empty()) return {0.0, 0.0};
  if (!After(tick, samples_.back().tick)) {
    for (size_t i = samples_.size() - 1; i > 0; --i) {
      const Sample& a = samples_[i - 1];
      const Sample& b = samples_[i];
      if (After(tick, a.tick)) {
        const double t = static_cast<double>(tick - a.tick) / static_cast<double>(b.tick - a.tick);
        return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
      }
    }
    return {samples_.front().x, samples_.front().y};
  }
  return {samples_.back().x, samples_.back().y};
}

std::pair<double, double> GlassMotion::Velocity(uint32_t tick) const {
  if (!MovedRecently(tick)) return {0.0, 0.0};
  const auto [x1, y1] = At(tick);
  const auto [x0, y0] = At(tick - kVelocitySpanMs);
  return {(x1 - x0) / kVelocitySpanMs, (y1 - y0) / kVelocitySpanMs};
}

StirredSprites ResolveStirredSprites(const SceneCatalogue& catalogue) {
  StirredSprites sprites;
  for (size_t i = 0; i < sprites.sprite.size(); ++i) sprites.sprite[i] = &RequireSceneImage(catalogue, kStirredSpriteNames[i]);
  return sprites;
}

void StepStirredSnow(StirredSnowState& s, const GlassOutline& glass, uint32_t tick, const StirredSprites& sprites,
                     std::vector<PlacedImage>& flakes) {
  // All on the mound, the glass still: nothing to do.
  if (s.flying == 0 && s.glassDx == 0 && s.glassDy == 0 && !s.motion.MovedRecently(tick)) {
    s.lastTick = tick;
    s.clockStarted = true;
    s.leftoverMs = 0;
    return;
  }
  const StirParameters& k = s.gentle ? kGentleStir : kStir;
  const uint32_t longest = kMostStirSteps * kStirStepMs;
  const uint32_t frameMs = s.clockStarted ? std::min(tick - s.lastTick, longest) : 0;
  s.lastTick = tick;
  s.clockStarted = true;

  // How the glass's velocity changed since the last frame.
  const auto [vx, vy] = s.motion.Velocity(tick);
  const double ax = vx - s.glassDx, ay = vy - s.glassDy;
  s.glassDx = vx;
  s.glassDy = vy;
  const double change = std::sqrt(ax * ax + ay * ay);
  if (change > 0) {
    // The water, and the flakes in it, lag behind the glass.
    const double push = k.lagShare * kStirStepMs;
    for (StirredFlake& f : s.flakes)
      if (f.flying) {
        f.dx -= ax * push;
        f.dy -= ay * push;
      }
    // More than a hand's unsteadiness lifts flakes off the mound.
    const double lifting = change - k.calmChangePerMs * frameMs;
    if (lifting > 0) {
      s.liftOwed += lifting * k.flakesPerChange;
      const double force = std::min(1.0, lifting / k.fullChange);
      const int32_t count = static_cast<int32_t>(s.flakes.size());
      while (s.liftOwed >= 1.0) {
        if (s.flying >= count) {
          s.liftOwed = 0;
          break;
        }
        while (s.flakes[static_cast<size_t>(s.nextToLift)].flying) s.nextToLift = (s.nextToLift + 1) % count;
        Lift(s.flakes[static_cast<size_t>(s.nextToLift)], k, glass, sprites, ax, ay, force, s.random);
        ++s.flying;
        s.liftOwed -= 1.0;
      }
    }
  }

  // The flakes in flight move on by the steps that fell due.
  uint32_t steps = 0;
  if (frameMs == longest) {
    steps = kMostStirSteps;
    s.leftoverMs = 0;
  } else {
    steps = (frameMs + s.leftoverMs) / kStirStepMs;
    s.leftoverMs = (frameMs + s.leftoverMs) % kStirStepMs;
  }
  for (StirredFlake& f : s.flakes) {
    if (!f.flying) continue;
    const SceneImage& sprite = *sprites.sprite[static_cast<size_t>(f.sprite)];
    for (uint32_t i = 0; i < steps; ++i)
      if (!Move(f, k, glass, sprite.width)) {
        f.flying = false;
        --s.flying;
        break;
      }
    if (f.flying) flakes.push_back({&sprite, RoundHalfEven(f.x), RoundHalfEven(f.y)});
  }
}

}  // namespace gd
