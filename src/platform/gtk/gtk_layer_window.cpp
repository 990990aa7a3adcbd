// The layer surface as the shared GTK window sees it: its place, its output
// as the one monitor, the pointer counted from its margins, its layer for
// "on top", the scale its compositor prefers, and its frames on the globe's
// own subsurface or through GTK's paint cycle (gtk_layer.cpp for the surface
// itself, gtk_subsurface.cpp for the subsurface).
#include <cerrno>
#include <cmath>

#include "platform/gtk/gtk_layer_shell.h"

#ifdef GLIMMERDOME_HAVE_LAYER_SHELL
#include <gdk/gdkwayland.h>
#include <wayland-client.h>
#endif

namespace gd {

LayerShellPlatform::LayerShellPlatform(std::unique_ptr<SettingsStore> store) : GtkPlatform(std::move(store)) {
  MakeWindow();
}

LayerShellPlatform::~LayerShellPlatform() { UnmakeWindow(); }

void LayerShellPlatform::PrepareWindow() { MakeLayerSurface(); }

// The frames go to a surface of the globe's own where the compositor allows
// (gtk_subsurface.cpp).
void LayerShellPlatform::WindowMade() { OpenWaylandContent(); }

void LayerShellPlatform::StopPending() {
  if (paintOverdue_) g_source_remove(paintOverdue_);
  if (layerReopen_) g_source_remove(layerReopen_);
  paintOverdue_ = layerReopen_ = 0;
}

// No one closes a layer surface but the compositor, when its output goes:
// the globe moves to another output instead.
void LayerShellPlatform::CloseAsked() { LayerSurfaceClosed(); }

void LayerShellPlatform::MonitorsChanging() { FollowLayerMonitor(); }

void LayerShellPlatform::Pressed() { pressMargins_ = margins_; }

// Wayland tells a surface where the pointer is on it, never on the output.
// While a button is held, sway keeps counting from where the surface was at
// the press; other compositors count from where it is. (A layer surface has
// followed every motion of a drag already; the release's place may be
// counted from where the surface was before the last one, so the release
// moves nothing.)
Point LayerShellPlatform::PointerOnScreen(double x, double y, double, double) const {
  const double g = PixelsPerUnit();
  const Point from = drag_ && pointerFromPress_ ? pressMargins_ : margins_;
  const double xRoot = from.x + x, yRoot = from.y + y;
  return {static_cast<int>(std::floor(xRoot * g)), static_cast<int>(std::floor(yRoot * g))};
}

Point LayerShellPlatform::WindowPosition() {
  return {static_cast<int>(std::lround(margins_.x * PixelsPerUnit())),
          static_cast<int>(std::lround(margins_.y * PixelsPerUnit()))};
}

Point LayerShellPlatform::PlaceWindow(int left, int top) {
  const double unit = PixelsPerUnit();
  const auto down = [unit](int v) { return static_cast<int>(std::floor(v / unit + 1e-9)); };
  SetMargins({down(left), down(top)});
  return WindowPosition();
}

void LayerShellPlatform::SetTopmost(bool topmost) {
  if (!window_) return;
  SetLayerOnTop(topmost);
}

// A layer surface's place counts from its output's corner: its output is the
// one monitor, at the origin, in device pixels.
std::vector<Monitor> LayerShellPlatform::Monitors() {
  std::vector<Monitor> monitors;
  if (GdkMonitor* monitor = LayerMonitor()) {
    GdkRectangle r;
    gdk_monitor_get_geometry(monitor, &r);
    const double g = PixelsPerUnit();
    const Rect output{0, 0, static_cast<int>(std::lround(r.width * g)), static_cast<int>(std::lround(r.height * g))};
    monitors.push_back(Monitor{output, output, true});
  }
  return monitors;
}

// A layer surface takes the scale of its output alone (Wayland has no
// Xft.dpi), and cannot tell what covers it.
WindowCapabilities LayerShellPlatform::Capabilities() const {
  WindowCapabilities can;
  can.dragThreshold = DragThreshold();
  can.canTellWhetherCovered = false;
  const int quarters = PreferredScaleQuarters();
  can.displayScale = quarters ? quarters / 4.0 : WindowScale();
  return can;
}

int LayerShellPlatform::DisplaySocket() {
#ifdef GLIMMERDOME_HAVE_LAYER_SHELL
  GdkDisplay* display = window_ ? gtk_widget_get_display(window_) : gdk_display_get_default();
  if (display && GDK_IS_WAYLAND_DISPLAY(display)) {
    watchedDisplay_ = gdk_wayland_display_get_wl_display(display);
    return wl_display_get_fd(watchedDisplay_);
  }
#endif
  return -1;
}

bool LayerShellPlatform::SendPending() {
#ifdef GLIMMERDOME_HAVE_LAYER_SHELL
  if (watchedDisplay_) return wl_display_flush(watchedDisplay_) >= 0 || errno == EAGAIN;
#endif
  return true;
}

Platform::LentBuffer LayerShellPlatform::LendBuffer(int width, int height, uint8_t constantAlpha) {
  if (!window_ || closed_ || width <= 0 || height <= 0) return {};
  if (wayland_) return LendSubsurfaceBuffer(width, height, constantAlpha);  // gtk_subsurface.cpp
  return LendContentImage(width, height, constantAlpha);
}

bool LayerShellPlatform::PresentFrame(const LentBuffer& buffer, const RowStretches& written,
                                      const RowStretches& changed) {
  if (!window_ || closed_) return false;
  if (wayland_) return PresentOnSubsurface(buffer, written, changed);  // gtk_subsurface.cpp
  Rect settled;
  if (!TakeFrame(buffer, written, &settled)) return false;
  return ShowContentImage(buffer, settled);
}

void LayerShellPlatform::DrawWindow(cairo_t* cr) {
  if (wayland_) {
    // The frames are on the globe's own surface above (gtk_subsurface.cpp).
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    return;
  }
  PaintDone();
  PaintContent(cr);
}

// Through GTK's paint cycle, which paints only when the compositor asks for
// a frame: a paint that does not come says it asks for none.
void LayerShellPlatform::DrawIntoWindow(const Rect&) {
  gtk_widget_queue_draw(window_);
  AwaitPaint();
}

}  // namespace gd
