// The GTK window as part of the desktop rather than a window among windows:
// the monitors and their work areas as GDK reports them (and word when they
// change), the desktop's wish for less motion, and the globe's own drag.
//
// The window is a dock: window managers keep docks out of the taskbar, the
// pager and Alt-Tab, and leave them shown when the user shows the desktop. It
// is also sticky, so it is on every workspace. Window managers do not move
// docks for the user (openbox refuses a dock's move request), so the globe
// follows the mouse itself: the press's implicit grab brings every motion
// until the release, and each one moves the window by as much as the mouse
// has moved since the press.
#include <algorithm>
#include <cmath>

#include "platform/gtk/gtk_backend.h"

namespace gd {

namespace {

// Monitor changes come in bursts (an output off, then the work areas); the
// window hears of them once the burst is over.
constexpr guint kMonitorsSettleMs = 250;

// GDK's rectangle, in its units of `g` device pixels, in device pixels.
Rect RectOf(const GdkRectangle& r, int g) { return {r.x * g, r.y * g, (r.x + r.width) * g, (r.y + r.height) * g}; }

}  // namespace

// In device pixels, like the window's place.
std::vector<Monitor> GtkPlatform::Monitors() {
  std::vector<Monitor> monitors;
  GdkDisplay* display = window_ ? gtk_widget_get_display(window_) : gdk_display_get_default();
  if (!display) return monitors;
  GdkMonitor* primary = gdk_display_get_primary_monitor(display);
  const int n = gdk_display_get_n_monitors(display);
  for (int i = 0; i < n; ++i) {
    GdkMonitor* monitor = gdk_display_get_monitor(display, i);
    if (!monitor) continue;
    GdkRectangle bounds, work;
    gdk_monitor_get_geometry(monitor, &bounds);
    gdk_monitor_get_workarea(monitor, &work);
    const int g = std::max(1, gdk_monitor_get_scale_factor(monitor));
    monitors.push_back(Monitor{RectOf(bounds, g), RectOf(work, g), monitor == primary});
  }
  // No monitor marked primary (some drivers name none): the first one is.
  if (!monitors.empty() && std::none_of(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; }))
    monitors.front().primary = true;
  return monitors;
}

bool GtkPlatform::PrefersReducedMotion() {
  GtkSettings* settings = window_ ? gtk_widget_get_settings(window_) : gtk_settings_get_default();
  if (!settings) return false;
  gboolean animations = TRUE;
  g_object_get(settings, "gtk-enable-animations", &animations, nullptr);
  return !animations;
}

void GtkPlatform::OnMonitorsChanged(GdkScreen*, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->MonitorsChanging();
  if (self->monitorsSettle_) g_source_remove(self->monitorsSettle_);
  self->monitorsSettle_ = g_timeout_add(kMonitorsSettleMs, OnMonitorsSettled, self);
}

gboolean GtkPlatform::OnMonitorsSettled(gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->monitorsSettle_ = 0;
  if (self->lifecycle_ && !self->closed_) self->lifecycle_->MonitorsChanged();
  return G_SOURCE_REMOVE;
}

Point GtkPlatform::PointerOnScreen(double, double, double xRoot, double yRoot) const {
  const double g = PixelsPerUnit();
  return {static_cast<int>(std::floor(xRoot * g)), static_cast<int>(std::floor(yRoot * g))};
}

void GtkPlatform::StartMoveDrag(int button, int rootX, int rootY, guint32) {
  drag_ = Drag{button, rootX, rootY, WindowPosition()};
}

bool GtkPlatform::FollowDrag(int rootX, int rootY) {
  if (!drag_) return false;
  const Point to{drag_->windowAt.x + rootX - drag_->rootX, drag_->windowAt.y + rootY - drag_->rootY};
  const Point at = MoveWindow(to.x, to.y);
  if (lifecycle_ && !closed_) {
    lifecycle_->WindowMoved(to, TickCount());
    // Where the window's units took it, when that is not quite there.
    if (at.x != to.x || at.y != to.y) lifecycle_->WindowPlaced(at);
  }
  return true;
}

bool GtkPlatform::EndDrag(int button) {
  if (!drag_ || drag_->button != button) return false;
  drag_.reset();
  if (lifecycle_ && !closed_) lifecycle_->MoveEnded();
  return true;
}

}  // namespace gd
