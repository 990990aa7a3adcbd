// The step clock: the sky, the sun and the moon advance only on animation
// steps, calls of the compositor on which more than `StepDelayMs` milliseconds
// have passed since the last step.
#pragma once

#include <cstdint>

namespace gd {

// Whether a call at `tickCount` is a step. The difference is taken in
// unsigned 32-bit arithmetic, so it stays right across the wrap of the tick
// count to 0, and is then compared with the delay as an ordinary integer.
constexpr bool IsStepDue(uint32_t tickCount, uint32_t lastStepTick, int32_t stepDelayMs) {
  const uint32_t elapsed = tickCount - lastStepTick;
  return static_cast<int64_t>(elapsed) > static_cast<int64_t>(stepDelayMs);
}

}  // namespace gd
