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

#include "platform/gtk/gtk_backend.h"

namespace gd {

namespace {

// Monitor changes come in bursts (an output off, then the work areas); the
// window hears of them once the burst is over.
constexpr guint kMonitorsSettleMs = 250;

Rect RectOf(const GdkRectangle& r) { return {r.x, r.y, r.x + r.width, r.y + r.height}; }

}  // namespace

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
    monitors.push_back(Monitor{RectOf(bounds), RectOf(work), monitor == primary});
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
  if (self->monitorsSettle_) g_source_remove(self->monitorsSettle_);
  self->monitorsSettle_ = g_timeout_add(kMonitorsSettleMs, OnMonitorsSettled, self);
}

gboolean GtkPlatform::OnMonitorsSettled(gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->monitorsSettle_ = 0;
  if (self->lifecycle_ && !self->closed_) self->lifecycle_->MonitorsChanged();
  return G_SOURCE_REMOVE;
}

void GtkPlatform::StartMoveDrag(int button, int rootX, int rootY, guint32) {
  drag_ = Drag{button, rootX, rootY, WindowPosition()};
}

bool GtkPlatform::FollowDrag(int rootX, int rootY) {
  if (!drag_) return false;
  MoveWindow(drag_->windowAt.x + rootX - drag_->rootX, drag_->windowAt.y + rootY - drag_->rootY);
  return true;
}

bool GtkPlatform::EndDrag(int button) {
  if (!drag_ || drag_->button != button) return false;
  drag_.reset();
  return true;
}

}  // namespace gd
