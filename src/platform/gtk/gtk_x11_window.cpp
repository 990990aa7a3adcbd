// The X11 window: placed by the window manager (GDK moves it itself when
// there is none), kept above or below other windows by it, its place and
// scale as the X server counts them (device pixels), and the desktop's text
// scaling from Xft.dpi.
//
// On Windows the globe is a layered window: the system takes a premultiplied
// 32-bit bitmap and one constant alpha and composites them over the desktop.
// X11 has no such service, so the window uses the screen's RGBA visual and a
// compositor blends it over the desktop; the mask's region becomes the
// window's X shape for drawing and input, so the globe's outline is exact even
// where no compositor runs, and there the frame lies over an opaque grey
// instead of black.
#include <gtk/gtk.h>

#include <unistd.h>

#include "platform/gtk/gtk_x11.h"

// Xlib last: its macros (None, Bool, Status) would break the headers above.
#include <gdk/gdkx.h>
#include <X11/Xlib.h>

namespace gd {

namespace {

// GDK's handler, put back when the platform goes.
XIOErrorHandler gGdkIOErrorHandler = nullptr;

// An end of the display found inside any Xlib call.
int OnXIOError(Display*) {
  gtkui::DisplayConnectionEnded();
  _exit(0);
}

}  // namespace

X11Platform::X11Platform(std::unique_ptr<SettingsStore> store) : GtkPlatform(std::move(store)) { MakeWindow(); }

X11Platform::~X11Platform() { UnmakeWindow(); }

void X11Platform::WatchScreen() {
  WatchTopLevelWindows();
  // Read once, as GTK does: the resource database is parsed again on every
  // question.
  GdkDisplay* display = gtk_widget_get_display(window_);
  if (GDK_IS_X11_DISPLAY(display))
    if (const char* text = XGetDefault(GDK_DISPLAY_XDISPLAY(display), "Xft", "dpi")) xftDpi_ = g_ascii_strtod(text, nullptr);
  StartWatchingScreen();
}

void X11Platform::StopPending() {
  if (placeSettle_) g_source_remove(placeSettle_);
  placeSettle_ = 0;
}

void X11Platform::StopWatching() {
  screen_.reset();
  if (watchedRoot_) gdk_window_remove_filter(watchedRoot_, OnRootEvent, this);
  watchedRoot_ = nullptr;
}

// Where the window manager put it.
void X11Platform::WindowMapped() { TellPlaceSoon(); }

void X11Platform::WindowConfigured() {
  if (!drag_) TellPlaceSoon();
}

Point X11Platform::WindowPosition() {
  // With the display gone nothing may ask it.
  if (displayGone_) return lastPosition_;
  if (!window_ || !mapped_) return requestedPosition_;
  // Asking the X server costs round trips, and the visibility probe and the
  // drags ask often; the answer holds until the window is configured again.
  if (!knownPosition_) {
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(window_), &x, &y);
    knownPosition_ = Point{x * WindowScale(), y * WindowScale()};
    lastPosition_ = *knownPosition_;
  }
  return *knownPosition_;
}

Point X11Platform::PlaceWindow(int left, int top) {
  const int g = WindowScale();
  Point at{left, top};
  if (window_) {
    gtk_window_move(GTK_WINDOW(window_), left / g, top / g);
    // A mapped window goes where GTK's units can take it.
    if (mapped_) at = {left / g * g, top / g * g};
  }
  return at;
}

void X11Platform::TellPlaceSoon() {
  // The window manager's configures come in bursts (and behind the moves
  // asked for): the place is told once they have settled.
  constexpr guint kPlaceSettleMs = 100;
  if (placeSettle_) g_source_remove(placeSettle_);
  placeSettle_ = g_timeout_add(kPlaceSettleMs, [](gpointer data) {
    auto* self = static_cast<X11Platform*>(data);
    self->placeSettle_ = 0;
    self->TellPlace();
    return G_SOURCE_REMOVE;
  }, this);
}

// The drag follows the release's place too.
void X11Platform::DragReleased(const GdkEventButton& event) {
  const Point at = PointerOnScreen(event.x, event.y, event.x_root, event.y_root);
  FollowDrag(at.x, at.y);
}

void X11Platform::SetTopmost(bool topmost) {
  if (!window_) return;
  // A dock stays above other windows unless it is asked to stay below them.
  gtk_window_set_keep_above(GTK_WINDOW(window_), topmost);
  gtk_window_set_keep_below(GTK_WINDOW(window_), !topmost);
  ScheduleVisibilityCheck();
}

// The window's scale factor, and more where the desktop's text scaling asks
// for more: desktops that scale windows put that scale into Xft.dpi as well
// (96 times the window scale times the text scaling), so the larger of the
// window scale and Xft.dpi / 96 counts.
WindowCapabilities X11Platform::Capabilities() const {
  WindowCapabilities can;
  can.dragThreshold = DragThreshold();
  can.displayScale = gtkui::ScaleQuartersFromDesktop(WindowScale(), xftDpi_) / 4.0;
  return can;
}

// The connection's socket, and an IO error handler in place of GDK's.
int X11Platform::DisplaySocket() {
  GdkDisplay* display = window_ ? gtk_widget_get_display(window_) : gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return -1;
  const XIOErrorHandler before = XSetIOErrorHandler(OnXIOError);
  if (before != OnXIOError) gGdkIOErrorHandler = before;
  return ConnectionNumber(GDK_DISPLAY_XDISPLAY(display));
}

void X11Platform::UnwatchDisplaySocket() {
  if (gGdkIOErrorHandler) XSetIOErrorHandler(gGdkIOErrorHandler);
}

}  // namespace gd
