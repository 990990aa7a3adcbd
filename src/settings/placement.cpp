#include "settings/placement.h"

#include <algorithm>
#include <cstdint>

namespace gd {

bool IsOnMonitor(Point place, const Monitor& monitor) {
  const Rect& m = monitor.bounds;
  return place.x >= m.left - kMayHangLeft && place.x <= m.right - kMustLeaveRight &&
         place.y >= m.top - kMayHangAbove && place.y <= m.bottom - kMustLeaveBelow;
}

const Monitor& PrimaryMonitor(const std::vector<Monitor>& monitors) {
  for (const Monitor& m : monitors)
    if (m.primary) return m;
  return monitors.front();
}

namespace {

// Squared distance from a point to a rectangle (0 inside it).
int64_t DistanceSquared(int64_t x, int64_t y, const Rect& r) {
  const int64_t dx = x < r.left ? r.left - x : x >= r.right ? x - (r.right - 1) : 0;
  const int64_t dy = y < r.top ? r.top - y : y >= r.bottom ? y - (r.bottom - 1) : 0;
  return dx * dx + dy * dy;
}

// Moves [start, start + length) into [low, high) as little as possible; when
// it does not fit, its start goes to `low`.
int Clamp(int start, int length, int low, int high) {
  if (start + length > high) start = high - length;
  return std::max(start, low);
}

}  // namespace

const Monitor& NearestMonitor(Point place, Size window, const std::vector<Monitor>& monitors) {
  const int64_t cx = static_cast<int64_t>(place.x) + window.width / 2;
  const int64_t cy = static_cast<int64_t>(place.y) + window.height / 2;
  const Monitor* best = &PrimaryMonitor(monitors);
  int64_t bestDistance = DistanceSquared(cx, cy, best->bounds);
  for (const Monitor& m : monitors) {
    const int64_t d = DistanceSquared(cx, cy, m.bounds);
    if (d < bestDistance) {
      best = &m;
      bestDistance = d;
    }
  }
  return *best;
}

Point KeepOnMonitors(Point place, Size window, const std::vector<Monitor>& monitors) {
  if (monitors.empty()) return place;
  for (const Monitor& m : monitors)
    if (IsOnMonitor(place, m)) return place;
  const Monitor& nearest = NearestMonitor(place, window, monitors);
  const Rect& m = nearest.bounds;
  const Rect& work = nearest.workArea.Empty() ? nearest.bounds : nearest.workArea;
  Point back = place;
  if (place.x < m.left - kMayHangLeft || place.x > m.right - kMustLeaveRight) back.x = work.left + kComeBackPlace.x;
  if (place.y < m.top - kMayHangAbove || place.y > m.bottom - kMustLeaveBelow) back.y = work.top + kComeBackPlace.y;
  back.x = Clamp(back.x, window.width, work.left, work.right);
  back.y = Clamp(back.y, window.height, work.top, work.bottom);
  return back;
}

Point CornerPlace(Size window, const std::vector<Monitor>& monitors) {
  if (monitors.empty()) return {0, 0};
  const Monitor& primary = PrimaryMonitor(monitors);
  const Rect& work = primary.workArea.Empty() ? primary.bounds : primary.workArea;
  return {work.right - window.width - kCornerGapRight, work.bottom - window.height};
}

Point RandomPlace(Size window, const std::vector<Monitor>& monitors, Random& random) {
  Rect work{0, 0, 0, 0};
  if (!monitors.empty()) {
    const Monitor& primary = PrimaryMonitor(monitors);
    work = primary.workArea.Empty() ? primary.bounds : primary.workArea;
  }
  const int spanX = work.right - work.left - window.width - kCornerGapRight;
  const int spanY = work.bottom - work.top - window.height;
  // Left first, then top: the order the generator is drawn in.
  const int x = work.left + static_cast<int>(random(static_cast<uint32_t>(std::max(spanX, 0))));
  const int y = work.top + static_cast<int>(random(static_cast<uint32_t>(std::max(spanY, 0))));
  return {x, y};
}

Point PlaceGlobe(const PlaceRequest& request, Size globe, const std::vector<Monitor>& monitors, Random& random) {
  const Point asked = request.asked;
  switch (request.reason) {
    case PlaceReason::FirstRun:
      return CornerPlace(globe, monitors);
    case PlaceReason::AtRandom:
      return RandomPlace(globe, monitors, random);
    case PlaceReason::Saved:
    case PlaceReason::MonitorsChanged:
      return KeepOnMonitors(asked, globe, monitors);
    case PlaceReason::Dropped:
      // The user put it there; a start brings it back if no monitor shows it.
    case PlaceReason::ScaleChanged:
      return asked;
    case PlaceReason::SizeChosen: {
      const Point corner{asked.x + request.before.width - globe.width, asked.y + request.before.height - globe.height};
      if (monitors.empty()) return corner;
      const Rect& m = NearestMonitor(asked, request.before, monitors).bounds;
      return {Clamp(corner.x, globe.width, m.left, m.right), Clamp(corner.y, globe.height, m.top, m.bottom)};
    }
  }
  return asked;
}

}  // namespace gd
