// Where the globe stands on a desktop of one or more monitors. `PlaceGlobe`
// (at the end) decides every place it takes (at a start, at the end of a
// drag, when the Size or the system's scale changes, when the monitors
// change) from the place asked for, the globe's size in device pixels at its
// scale and the monitors; the functions before it are its parts. Plain
// functions, so every layout can be tried without one.
#pragma once

#include <vector>

#include "base/random.h"
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

// A place at random on the primary monitor's work area, as far from its right
// edge as the corner place at least; a work area smaller than the window
// leaves no room, and the place is its top-left corner.
Point RandomPlace(Size window, const std::vector<Monitor>& monitors, Random& random);

// Why the globe takes a place, which says what the place asked for means.
enum class PlaceReason {
  FirstRun,         // nothing stored: the corner place (`asked` unused)
  AtRandom,         // started with "add": a random place (`asked` unused)
  Saved,            // the stored place: kept while it counts as on a monitor
  Dropped,          // where the user's drag left it: kept as it is
  SizeChosen,       // a Size from the menu: see below
  ScaleChanged,     // the system's scale: the top-left corner stays
  MonitorsChanged,  // where it is now: kept while it counts as on a monitor
};

struct PlaceRequest {
  PlaceReason reason = PlaceReason::Saved;
  Point asked;      // the stored place, or where the globe is now
  Size before;      // SizeChosen: the globe's device size until now
};

// Where the globe goes, `globe` being its device size from now on. A Size
// chosen keeps the globe's bottom-right corner where it is, moved as little
// as needed for the globe to be whole on the monitor it was on (its top-left
// corner on it where the globe is larger). Places that count as on no monitor
// come back as KeepOnMonitors says. `random` is drawn on for AtRandom alone.
Point PlaceGlobe(const PlaceRequest& request, Size globe, const std::vector<Monitor>& monitors, Random& random);

}  // namespace gd
