#include "scene/snow.h"

#include <algorithm>
#include <cmath>

namespace gd {
namespace {

double Tenths(Random& random, uint32_t range, double base) { return static_cast<double>(random(range)) / 10 + base; }

// Random draws in this order: x, y (spawn only), kind, dx (drifting layers), dy.
void Spawn(const SnowLayer& c, SnowParticle& p, Random& random) {
  p.x = static_cast<double>(random(c.xRange)) + kSnowLeft;
  p.y = static_cast<double>(random(c.spawnRowRange)) + kSnowTopRow;
  p.kind = static_cast<int32_t>(random(2)) + 1;
  if (c.drifts) p.dx = Tenths(random, c.dxRange, c.dxBase);
  p.dy = Tenths(random, c.dySpawnRange, c.dySpawnBase);
}

void Respawn(const SnowLayer& c, SnowParticle& p, Random& random) {
  p.x = static_cast<double>(random(c.xRange)) + kSnowLeft;
  p.y = kSnowTopRow;
  p.kind = static_cast<int32_t>(random(2)) + 1;
  if (c.drifts) p.dx = Tenths(random, c.dxRange, c.dxBase);
  p.dy = Tenths(random, c.dyRespawnRange, c.dyRespawnBase);
}

}  // namespace

std::vector<SnowParticle>& SnowState::Particles(int layer) {
  return layer == 1 ? SnowParticles1 : layer == 2 ? SnowParticles2 : SnowParticles3;
}

const std::vector<SnowParticle>& SnowState::Particles(int layer) const {
  return layer == 1 ? SnowParticles1 : layer == 2 ? SnowParticles2 : SnowParticles3;
}

void CreateSnowParticles(SnowState& snow) {
  for (int layer = 1; layer <= 3; ++layer)
    snow.Particles(layer).assign(static_cast<size_t>(kSnowLayers[layer - 1].arrayLength), SnowParticle{});
}

SnowSprites ResolveSnowSprites(const SceneCatalogue& catalogue) {
  SnowSprites sprites;
  for (int layer = 1; layer <= 3; ++layer) {
    sprites.sprite[layer - 1][0] = &RequireSceneImage(catalogue, kSnowLayers[layer - 1].sprite1);
    sprites.sprite[layer - 1][1] = &RequireSceneImage(catalogue, kSnowLayers[layer - 1].sprite2);
  }
  return sprites;
}

int RoundHalfEven(double v) {
  const double whole = std::floor(v);
  const double fraction = v - whole;  // exact for the positions a flake can have
  const int n = static_cast<int>(whole);
  // Bitwise rather than short-circuit: flakes land on every side of the
  // halfway mark, so branches here would be guessed wrong half the time.
  return n + static_cast<int>((fraction > 0.5) | ((fraction == 0.5) & (n % 2 != 0)));
}

bool InsideGlass(const SnowLayer& c, double x, double y) {
  // All six tested at once (bitwise): cheaper than a chain of hard-to-guess branches.
  return (x + y / 2 > c.glassA) & (y + x / 2 > c.glassB) & (x / 2 - y < 70) & (x - y / 2 < 195) &
         (x - y / 2 > -18) & (x + y / 2 < c.glassF);
}

namespace {

template <class DrawFlake>
void StepLayer(int layer, SnowState& snow, int32_t count, Random& random, const SnowSprites& sprites,
               DrawFlake&& draw) {
  const SnowLayer& c = kSnowLayers[layer - 1];
  std::vector<SnowParticle>& particles = snow.Particles(layer);
  // The drift keeps every count within its array; the array bounds the loop all the same.
  const size_t active = std::min(static_cast<size_t>(std::max(count, 0)), particles.size());
  const auto& sprite = sprites.sprite[layer - 1];
  for (size_t i = 0; i < active; ++i) {
    SnowParticle& p = particles[i];
    if (p.kind == 0) Spawn(c, p, random);
    // Also for a record spawned just now at or below the bottom line.
    if (p.y >= c.bottomLine) Respawn(c, p, random);
    if (InsideGlass(c, p.x, p.y)) draw(*sprite[p.kind - 1], RoundHalfEven(p.x), RoundHalfEven(p.y));
    p.y += p.dy;
    p.x += p.dx;
  }
}

}  // namespace

void UpdateSnowLayer(int layer, SnowState& snow, int32_t count, Random& random, const SnowSprites& sprites,
                     ScenePainter& painter) {
  StepLayer(layer, snow, count, random, sprites,
            [&](const SceneImage& image, int x, int y) { painter.Draw(image, x, y); });
}

void UpdateSnowLayer(int layer, SnowState& snow, int32_t count, Random& random, const SnowSprites& sprites,
                     std::vector<PlacedImage>& flakes) {
  StepLayer(layer, snow, count, random, sprites,
            [&](const SceneImage& image, int x, int y) { flakes.push_back({&image, x, y}); });
}

}  // namespace gd
