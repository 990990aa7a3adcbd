// Whether anyone can see the globe, from what a backend knows (Sight).
#pragma once

#include "platform/platform.h"

namespace gd {

// Nobody sees a window that is hidden, minimised or wholly covered, nor
// anything while the screen is locked, blanked or asleep, while the session
// is not the active one, or while the compositor asks for no frames. A
// fullscreen window over the globe's monitor hides it unless the globe is
// kept on top, which stays in sight over it, or the fullscreen window has
// the monitor to itself.
inline bool SeenFrom(const Sight& sight, bool keptOnTop) {
  if (sight.unmapped || sight.minimised || sight.covered || sight.noFrames) return false;
  if (sight.screenSaver || sight.locked || sight.sessionInactive || sight.displayAsleep) return false;
  if (sight.fullscreenExclusive) return false;
  return !sight.fullscreenOver || keptOnTop;
}

}  // namespace gd
