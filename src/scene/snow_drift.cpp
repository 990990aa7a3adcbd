#include "scene/snow_drift.h"

namespace gd {
namespace {

constexpr uint32_t kTargetRange = 500;  // a new target is 0 to 499
constexpr uint32_t kPauseChance = 4;    // one new target in four is 0, after a pause
constexpr uint32_t kPauseRange = 500;   // the pause: 50 to 549 ticks
constexpr int32_t kPauseMin = 50;

}  // namespace

void DriftSnowCounts(SnowDriftState& d, Random& random) {
  if (d.SnowPause > 0) {
    --d.SnowPause;
    return;
  }
  // Random draws in this order: target, the one-in-four draw, the pause.
  if (d.SnowTarget == d.SnowCount1) {
    d.SnowTarget = static_cast<int32_t>(random(kTargetRange));
    if (random(kPauseChance) == 0) {
      d.SnowTarget = 0;
      d.SnowPause = static_cast<int32_t>(random(kPauseRange)) + kPauseMin;
    }
  }
  // Falls only while above the target and rises only while at or below it,
  // so the count stays within 0 and 500.
  if (d.SnowCount1 > d.SnowTarget)
    --d.SnowCount1;
  else
    ++d.SnowCount1;
  d.SnowCount2 = d.SnowCount1 / 2;
  d.SnowCount3 = d.SnowCount1 / 16;
}

}  // namespace gd
