// Where the globe may stand on a desktop of one or more monitors, and where it
// goes back to when the place it was left at is no longer on any of them (a
// monitor unplugged, a resolution made smaller). Plain functions over a place,
// the window's size and the monitors, so every layout can be tried without one.
#pragma once

#include <vector>

#include "platform/platform.h"

namespace gd {

// How far off a monitor a window may be left and still count as on it: its
// left edge up to 70 pixels left of the monitor and its top up to 140 above
// it, with at least 30 pixels of the monitor left of its left edge and above
// its top edge.
inline constexpr int kMayHangLeft = 70;
inline constexpr int kMayHangAbove = 140;
inline constexpr int kMustLeaveRight = 30;
inline constexpr int kMustLeaveBelow = 30;
// Where a window found off every monitor comes back, per axis that is off,
// from the top-left corner of the nearest monitor's work area.
inline constexpr Point kComeBackPlace{550, 350};
// The first run's gap between the window and the right edge of the work area.
inline constexpr int kCornerGapRight = 5;

// Whether a window whose top-left corner is at `place` counts as on `monitor`.
bool IsOnMonitor(Point place, const Monitor& monitor);

// The primary monitor; the first one when none is marked. `monitors` must not
// be empty.
const Monitor& PrimaryMonitor(const std::vector<Monitor>& monitors);

// The monitor nearest to a window of `window` size at `place`: the one its
// centre lies on, or else the one closest to its centre (the primary one, then
// the earliest, on a tie). `monitors` must not be empty.
const Monitor& NearestMonitor(Point place, Size window, const std::vector<Monitor>& monitors);

// `place` when it counts as on a monitor. Otherwise the window comes back onto
// the work area of the nearest monitor: each axis that is off that monitor
// takes the come-back place, and the window is then moved just far enough to
// be whole inside the work area (its top-left corner stays inside when the
// work area is smaller than the window). No monitors: `place` as it is.
Point KeepOnMonitors(Point place, Size window, const std::vector<Monitor>& monitors);

// The first run's place: the bottom right corner of the primary monitor's
// work area, 5 pixels in from its right edge.
Point CornerPlace(Size window, const std::vector<Monitor>& monitors);

}  // namespace gd
