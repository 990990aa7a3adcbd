// The globe on a Wayland desktop that offers layer-shell (sway, Hyprland, KDE
// Plasma and others): a layer surface, the kind of surface panels and desktop
// widgets are. Wayland lets no ordinary window place itself or stay above
// others, but a layer surface chooses its layer and its place: it is anchored
// to the output's top-left corner and its margins are its place, in GTK's
// units on that output; the seam sees them times the window's scale, as it
// sees the X11 window's place. It sits on the bottom layer (above the
// wallpaper, below windows), on the top layer while kept on top, and never
// takes the keyboard. The compositor cannot move it, so a drag changes the
// margins (gtk_desktop.cpp); nothing can tell what covers it, but a surface
// nobody sees gets no frame callbacks, and GTK paints only on one.
#include <cmath>
#include <cstring>
#include <string>

#include "platform/gtk/gtk_layer_shell.h"

#ifdef GLIMMERDOME_HAVE_LAYER_SHELL
#include <gtk-layer-shell.h>
#include <wayland-client.h>
#endif

namespace gd {

namespace {

// How long a paint asked for may wait before the surface counts as unseen.
constexpr gint64 kUnseenAfterUs = G_USEC_PER_SEC;
// How long after the compositor closed the surface it is shown again.
constexpr guint kReopenAfterMs = 250;

}  // namespace

#ifdef GLIMMERDOME_HAVE_LAYER_SHELL

bool gtkui::WaylandOffersLayerShell() {
  // A connection of its own, before GDK opens one: the globals are all it
  // needs to see. Named, so that a socket handed over in WAYLAND_SOCKET is
  // left for GDK.
  const char* name = g_getenv("WAYLAND_DISPLAY");
  if (!name || !*name) return false;
  wl_display* display = wl_display_connect(name);
  if (!display) return false;
  bool found = false;
  static const wl_registry_listener listener{
      [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
        if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0) *static_cast<bool*>(data) = true;
      },
      [](void*, wl_registry*, uint32_t) {}};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &found);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return found;
}

void LayerShellPlatform::MakeLayerSurface() {
  GtkWindow* w = GTK_WINDOW(window_);
  gtk_layer_init_for_window(w);
  gtk_layer_set_namespace(w, "glimmerdome");
  gtk_layer_set_layer(w, GTK_LAYER_SHELL_LAYER_BOTTOM);
  gtk_layer_set_anchor(w, GTK_LAYER_SHELL_EDGE_TOP, TRUE);
  gtk_layer_set_anchor(w, GTK_LAYER_SHELL_EDGE_LEFT, TRUE);
  // The margins count from the output's corner, whatever panels reserve.
  gtk_layer_set_exclusive_zone(w, -1);
  gtk_layer_set_keyboard_mode(w, GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
  // sway tells its clients where its socket is.
  pointerFromPress_ = g_getenv("SWAYSOCK") != nullptr;
  // The output is chosen here, so that the first run's corner is worked out
  // on the output the surface then appears on.
  if (GdkMonitor* monitor = LayerMonitor()) gtk_layer_set_monitor(w, monitor);
  SetMargins(margins_);
}

void LayerShellPlatform::SetMargins(Point margins) {
  margins_ = margins;
  if (!window_) return;
  gtk_layer_set_margin(GTK_WINDOW(window_), GTK_LAYER_SHELL_EDGE_LEFT, margins.x);
  gtk_layer_set_margin(GTK_WINDOW(window_), GTK_LAYER_SHELL_EDGE_TOP, margins.y);
}

void LayerShellPlatform::SetLayerOnTop(bool onTop) {
  if (!window_) return;
  gtk_layer_set_layer(GTK_WINDOW(window_), onTop ? GTK_LAYER_SHELL_LAYER_TOP : GTK_LAYER_SHELL_LAYER_BOTTOM);
}

GdkMonitor* LayerShellPlatform::LayerMonitor() const {
  GdkDisplay* display = window_ ? gtk_widget_get_display(window_) : gdk_display_get_default();
  if (!display) return nullptr;
  GdkMonitor* chosen = window_ ? gtk_layer_get_monitor(GTK_WINDOW(window_)) : nullptr;
  // Still one of the display's monitors? (An output unplugged is not.)
  for (int i = 0, n = gdk_display_get_n_monitors(display); chosen && i < n; ++i)
    if (gdk_display_get_monitor(display, i) == chosen) return chosen;
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor && gdk_display_get_n_monitors(display) > 0) monitor = gdk_display_get_monitor(display, 0);
  return monitor;
}

void LayerShellPlatform::FollowLayerMonitor() {
  if (!window_ || closed_) return;
  GdkMonitor* monitor = LayerMonitor();
  if (!monitor) return;  // no output at all: until one comes
  if (monitor != gtk_layer_get_monitor(GTK_WINDOW(window_))) gtk_layer_set_monitor(GTK_WINDOW(window_), monitor);
  if (layerClosed_) {
    layerClosed_ = false;
    gtk_widget_show(window_);
  }
}

void LayerShellPlatform::LayerSurfaceClosed() {
  if (!window_ || closed_) return;
  layerClosed_ = true;
  gtk_widget_hide(window_);
  if (layerPainted_) NoteFramesAsked(false);  // asked for again at the first paint on the new output
  // The output's removal reaches GDK after the close.
  if (layerReopen_) g_source_remove(layerReopen_);
  layerReopen_ = g_timeout_add(kReopenAfterMs, [](gpointer data) {
    auto* self = static_cast<LayerShellPlatform*>(data);
    self->layerReopen_ = 0;
    self->FollowLayerMonitor();
    return G_SOURCE_REMOVE;
  }, this);
}

#else  // no gtk-layer-shell: never a layer surface

bool gtkui::WaylandOffersLayerShell() { return false; }
void LayerShellPlatform::MakeLayerSurface() {}
void LayerShellPlatform::SetMargins(Point margins) { margins_ = margins; }
void LayerShellPlatform::SetLayerOnTop(bool) {}
GdkMonitor* LayerShellPlatform::LayerMonitor() const { return nullptr; }
void LayerShellPlatform::FollowLayerMonitor() {}
void LayerShellPlatform::LayerSurfaceClosed() {}

#endif

// --- Whether the compositor asks for frames ------------------------------------

void LayerShellPlatform::AwaitPaint() {
  if (paintAwaited_) return;  // the oldest paint not yet done counts
  paintAwaited_ = true;
  paintAskedAt_ = g_get_monotonic_time();
  if (!paintOverdue_) paintOverdue_ = g_timeout_add(kUnseenAfterUs / 1000, OnPaintOverdue, this);
}

void LayerShellPlatform::PaintDone() {
  paintAwaited_ = false;
  if (!layerPainted_) NoteFramesAsked(true);
}

gboolean LayerShellPlatform::OnPaintOverdue(gpointer data) {
  auto* self = static_cast<LayerShellPlatform*>(data);
  self->paintOverdue_ = 0;
  if (!self->paintAwaited_ || self->closed_ || !self->window_) return G_SOURCE_REMOVE;
  const gint64 waited = g_get_monotonic_time() - self->paintAskedAt_;
  if (waited < kUnseenAfterUs) {
    // Asked for again since the last check: look when that one is due.
    self->paintOverdue_ = g_timeout_add(static_cast<guint>((kUnseenAfterUs - waited) / 1000) + 1, OnPaintOverdue, self);
    return G_SOURCE_REMOVE;
  }
  if (self->layerPainted_ && gtk_widget_get_mapped(self->window_)) self->NoteFramesAsked(false);
  return G_SOURCE_REMOVE;
}

void LayerShellPlatform::NoteFramesAsked(bool asked) {
  layerPainted_ = asked;
  UpdateSeen();
}

}  // namespace gd
