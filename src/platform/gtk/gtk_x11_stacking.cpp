// The X11 stacking probe: whether this window is what the user sees at a
// screen point, asked of the X server (the answers are kept by the shared
// part, gtk_visibility.cpp, until the stacking changes: the root window
// tells of that).
#include <cstdlib>

#include <gtk/gtk.h>

#include "platform/gtk/gtk_x11.h"

// Xlib last: its macros (None, Bool, Status) would break the headers above.
#include <gdk/gdkx.h>
#include <X11/Xlib.h>
#include <X11/Xlib-xcb.h>

namespace gd {
namespace {

// Deepest window nesting searched when asking which window is at a point
// (root, window manager frames, this window).
constexpr int kMaxWindowDepth = 16;

}  // namespace

// Where the point is inside the outline: the X server says which top-level
// window takes the pointer there (XTranslateCoordinates walks the stacking
// order and honours shapes and input shapes), and the path down from the
// root must end at this window.
bool X11Platform::OnTopAt(int screenX, int screenY) {
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) return true;
  Display* display = GDK_WINDOW_XDISPLAY(gdkWindow);
  const Window self = GDK_WINDOW_XID(gdkWindow);
  const Window root = GDK_WINDOW_XID(gdk_screen_get_root_window(gtk_widget_get_screen(window_)));
  // Asked through XCB on GDK's connection: Xlib would keep the last question
  // pending until some later packet from the server showed it finished, and
  // meanwhile GDK's XPending, on every turn of the main loop, would read the
  // socket twice instead of once. A window gone in the meantime is an error
  // that comes back here, not to Xlib.
  xcb_connection_t* connection = XGetXCBConnection(display);
  bool visible = false;
  xcb_window_t level = static_cast<xcb_window_t>(root);
  for (int depth = 0; depth < kMaxWindowDepth; ++depth) {
    xcb_generic_error_t* error = nullptr;
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        connection,
        xcb_translate_coordinates(connection, static_cast<xcb_window_t>(root), level, static_cast<int16_t>(screenX),
                                  static_cast<int16_t>(screenY)),
        &error);
    free(error);
    const xcb_window_t child = reply ? reply->child : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
    free(reply);
    if (child == XCB_WINDOW_NONE) break;
    if (child == self) {
      visible = true;
      break;
    }
    level = child;
  }
  return visible;
}

// The root window reports the top-level windows' changes (including the
// window manager's frames) once asked to; the X server keeps one selection per
// client and window, so the bits GDK asked for are kept.
void X11Platform::WatchTopLevelWindows() {
  GdkWindow* root = gdk_screen_get_root_window(gtk_widget_get_screen(window_));
  if (!root || !GDK_IS_X11_WINDOW(root)) return;
  Display* display = GDK_WINDOW_XDISPLAY(root);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, GDK_WINDOW_XID(root), &attributes)) return;
  ownRootEvents_ = !(attributes.your_event_mask & SubstructureNotifyMask);
  // The active window's changes too (the fullscreen check, gtk_visibility.cpp).
  const long wanted = attributes.your_event_mask | SubstructureNotifyMask | PropertyChangeMask;
  if (wanted != attributes.your_event_mask) XSelectInput(display, GDK_WINDOW_XID(root), wanted);
  gdk_window_add_filter(root, OnRootEvent, this);
  watchedRoot_ = root;
}

GdkFilterReturn X11Platform::OnRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer data) {
  auto* self = static_cast<X11Platform*>(data);
  const XEvent* e = static_cast<const XEvent*>(xevent);
  self->NoteRootEvent(*e);
  Window subject = None;
  switch (e->type) {
    case CreateNotify: subject = e->xcreatewindow.window; break;
    case DestroyNotify: subject = e->xdestroywindow.window; break;
    case MapNotify: subject = e->xmap.window; break;
    case UnmapNotify: subject = e->xunmap.window; break;
    case ReparentNotify: subject = e->xreparent.window; break;
    case ConfigureNotify: subject = e->xconfigure.window; break;
    case GravityNotify: subject = e->xgravity.window; break;
    case CirculateNotify: subject = e->xcirculate.window; break;
    default: return GDK_FILTER_CONTINUE;
  }
  if (subject == e->xany.window) return GDK_FILTER_CONTINUE;  // about the root itself
  self->probeAnswers_.clear();
  self->ScheduleVisibilityCheck();
  // GDK did not ask for these, and would take a child's configure for the
  // screen's own.
  return self->ownRootEvents_ ? GDK_FILTER_REMOVE : GDK_FILTER_CONTINUE;
}

}  // namespace gd
