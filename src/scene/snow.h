// Three layers of snow inside the glass. Each layer is a fixed array of flake
// records; on every compositor call a layer spawns new flakes, sends flakes
// that reached its bottom line back to the top, draws the flakes inside the
// glass and moves every flake by its own velocity. Layer 1 falls behind the
// house, layers 2 and 3 in front of it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/random.h"
#include "images/catalogue.h"
#include "scene/blend.h"
#include "scene/painter.h"

namespace gd {

struct SnowParticle {
  int32_t kind = 0;  // 0: never spawned; 1 or 2: the layer's first or second sprite
  double x = 0.0;    // the sprite's top-left corner, frame pixels
  double y = 0.0;
  double dx = 0.0;   // added on every compositor call
  double dy = 0.0;
};

// One layer's constants. Random(n) / 10 is the integer converted to floating
// point and divided by 10.
struct SnowLayer {
  int32_t arrayLength;      // records in the layer's array
  uint32_t xRange;          // x := Random(xRange) + kSnowLeft, at spawn and respawn
  uint32_t spawnRowRange;   // y := Random(spawnRowRange) + kSnowTopRow at spawn
  bool drifts;              // whether dx is ever set (layer 3 falls straight)
  uint32_t dxRange;         // dx := Random(dxRange) / 10 + dxBase
  double dxBase;
  uint32_t dySpawnRange;    // dy := Random(dySpawnRange) / 10 + dySpawnBase at spawn
  double dySpawnBase;
  uint32_t dyRespawnRange;  // dy := Random(dyRespawnRange) / 10 + dyRespawnBase at respawn
  double dyRespawnBase;
  double bottomLine;        // respawn when y >= bottomLine
  double glassA, glassB, glassF;  // the hexagon of the glass, see InsideGlass
  const char* sprite1;      // kind 1
  const char* sprite2;      // kind 2
};

inline constexpr double kSnowLeft = 47.0;
inline constexpr double kSnowTopRow = 13.0;  // spawn band's top, and the respawn row

inline constexpr std::array<SnowLayer, 3> kSnowLayers{{
    // Layer 1: a slow, dense curtain of fine flakes behind the house. Its
    // flakes fall faster after their first respawn than before it.
    {500, 196, 147, true, 15, -0.75, 3, 0.5, 3, 0.8, 160.0, 90.0, 73.0, 305.0, "Snow1", "Snow2"},
    // Layer 2: a faster curtain in front of the house, drifting to the right.
    {300, 192, 167, true, 20, -0.5, 6, 1.5, 6, 1.5, 150.0, 91.0, 74.0, 303.0, "Snow3", "Snow4"},
    // Layer 3: a few large flakes falling straight down, fastest.
    {40, 192, 167, false, 0, 0.0, 6, 2.5, 6, 2.5, 180.0, 91.0, 74.0, 303.0, "Snow5", "Snow6"},
}};

struct SnowState {
  std::vector<SnowParticle> SnowParticles1;  // made by the show handler
  std::vector<SnowParticle> SnowParticles2;
  std::vector<SnowParticle> SnowParticles3;

  std::vector<SnowParticle>& Particles(int layer);
  const std::vector<SnowParticle>& Particles(int layer) const;
};

// Makes the three arrays, every record zero (kind 0: not yet spawned).
void CreateSnowParticles(SnowState& snow);

// The six flake pictures, found once by name: [layer - 1][kind - 1].
struct SnowSprites {
  std::array<std::array<const SceneImage*, 2>, 3> sprite{};
};

// Throws std::runtime_error naming the first picture the catalogue lacks.
SnowSprites ResolveSnowSprites(const SceneCatalogue& catalogue);

// Nearest integer; exactly halfway goes to the even neighbour.
int RoundHalfEven(double v);

// Whether a flake at (x, y) lies strictly inside the hexagon that stands for
// the round glass.
bool InsideGlass(const SnowLayer& layer, double x, double y);

// One layer's step over its records 0 to count - 1 (at most the array's
// length), drawing the flakes inside the glass. `layer` is 1, 2 or 3.
void UpdateSnowLayer(int layer, SnowState& snow, int32_t count, Random& random, const SnowSprites& sprites,
                     ScenePainter& painter);
// The same step, adding the flakes to `flakes` in drawing order instead of
// drawing them (the compositor draws a frame's flakes together).
void UpdateSnowLayer(int layer, SnowState& snow, int32_t count, Random& random, const SnowSprites& sprites,
                     std::vector<PlacedImage>& flakes);

}  // namespace gd
