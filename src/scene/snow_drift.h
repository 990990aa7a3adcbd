// The snow's density drifts by itself: on every tick of its own timer the
// number of layer-1 flakes moves one toward a randomly chosen target, now and
// then holding still for a random while; layers 2 and 3 follow layer 1.
#pragma once

#include <cstdint>

#include "base/random.h"

namespace gd {

struct SnowDriftState {
  int32_t SnowCount1 = 500;  // active flakes of layer 1: the drifting quantity
  int32_t SnowCount2 = 200;  // SnowCount1 div 2 from the first tick on
  int32_t SnowCount3 = 30;   // SnowCount1 div 16 from the first tick on
  int32_t SnowTarget = 0;    // what SnowCount1 moves toward, 0 to 499
  int32_t SnowPause = 0;     // ticks still to skip

  int32_t Count(int layer) const { return layer == 1 ? SnowCount1 : layer == 2 ? SnowCount2 : SnowCount3; }
};

// One tick of `timerCountSnow`: pause, new target, step, follow.
void DriftSnowCounts(SnowDriftState& drift, Random& random);

}  // namespace gd
