// What the X server tells of who can see the window: whether other windows
// cover all of its outline and whether a fullscreen window is the active one
// on its monitor (the root window's events: the top-level windows' changes,
// the active window), whether the X screen saver has blanked the screen (its
// extension's events) or DPMS has put the display to sleep (asked every two
// seconds, as it has no events). The session's word is the shared part's
// (gtk_visibility.cpp).
#include <gtk/gtk.h>

#include <cstring>

#include "platform/gtk/gtk_x11.h"

// Xlib last: its macros (None, Bool, Status) would break the headers above.
#include <gdk/gdkx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>
#include <X11/extensions/shape.h>

namespace gd {
namespace {

// How long after a change the stacking is looked at: the changes of one
// move or restack come together.
constexpr guint kStackingSettleMs = 100;
// How often the display's power state is asked.
constexpr guint kDisplayPollSeconds = 2;

}  // namespace

struct X11Platform::ScreenWatch {
  X11Platform* platform = nullptr;
  Display* display = nullptr;
  Window root = 0;
  int screenSaverEvent = -1;  // the screen saver extension's notify event, where there is one
  bool dpms = false;
  Atom activeWindow = 0, wmState = 0, fullscreen = 0;
  guint stackingCheck = 0, displayPoll = 0;

  // What was learnt.
  bool covered = false;         // other windows cover the whole outline
  bool fullscreenOver = false;  // the active window is fullscreen over the globe's monitor
  bool screenSaverOn = false;  // the X screen saver has blanked the screen
  bool displayOff = false;     // DPMS standby, suspend or off

  ~ScreenWatch() {
    if (screenSaverEvent >= 0) gdk_window_remove_filter(nullptr, OnScreenSaverEvent, platform);
    if (stackingCheck) g_source_remove(stackingCheck);
    if (displayPoll) g_source_remove(displayPoll);
  }
};

void X11Platform::ScreenWatchDeleter::operator()(ScreenWatch* watch) const { delete watch; }

void X11Platform::StartWatchingScreen() {
  screen_.reset(new ScreenWatch);
  ScreenWatch& watch = *screen_;
  watch.platform = this;
  GdkDisplay* gdkDisplay = gtk_widget_get_display(window_);
  if (GDK_IS_X11_DISPLAY(gdkDisplay)) {
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    watch.display = display;
    watch.root = GDK_WINDOW_XID(gdk_screen_get_root_window(gtk_widget_get_screen(window_)));
    watch.activeWindow = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    watch.wmState = XInternAtom(display, "_NET_WM_STATE", False);
    watch.fullscreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    int eventBase = 0, errorBase = 0;
    if (XScreenSaverQueryExtension(display, &eventBase, &errorBase)) {
      watch.screenSaverEvent = eventBase + ScreenSaverNotify;
      XScreenSaverSelectInput(display, watch.root, ScreenSaverNotifyMask);
      // The event names the screen saver's own window, which GDK does not
      // know: it reaches a filter for every window only.
      gdk_window_add_filter(nullptr, OnScreenSaverEvent, this);
      if (XScreenSaverInfo* info = XScreenSaverAllocInfo()) {
        if (XScreenSaverQueryInfo(display, watch.root, info)) watch.screenSaverOn = info->state == ScreenSaverOn;
        XFree(info);
      }
    }
    int dpmsEvent = 0, dpmsError = 0;
    watch.dpms = DPMSQueryExtension(display, &dpmsEvent, &dpmsError) && DPMSCapable(display);
    if (watch.dpms) {
      watch.displayPoll = g_timeout_add_seconds(kDisplayPollSeconds, OnDisplayPoll, this);
      OnDisplayPoll(this);
    }
  }
}

gboolean X11Platform::OnDisplayPoll(gpointer data) {
  auto* self = static_cast<X11Platform*>(data);
  ScreenWatch& watch = *self->screen_;
  CARD16 level = DPMSModeOn;
  BOOL enabled = False;
  const bool off = DPMSInfo(watch.display, &level, &enabled) && enabled && level != DPMSModeOn;
  if (off != watch.displayOff) {
    watch.displayOff = off;
    self->UpdateSeen();
  }
  return G_SOURCE_CONTINUE;
}

void X11Platform::ScheduleVisibilityCheck() {
  if (!screen_ || screen_->stackingCheck || closed_) return;
  screen_->stackingCheck = g_timeout_add(kStackingSettleMs, OnStackingCheck, this);
}

gboolean X11Platform::OnStackingCheck(gpointer data) {
  auto* self = static_cast<X11Platform*>(data);
  self->screen_->stackingCheck = 0;
  self->LookAtStacking(&self->screen_->covered, &self->screen_->fullscreenOver);
  self->UpdateSeen();
  return G_SOURCE_REMOVE;
}

GdkFilterReturn X11Platform::OnScreenSaverEvent(GdkXEvent* xevent, GdkEvent*, gpointer data) {
  auto* self = static_cast<X11Platform*>(data);
  const XEvent* e = static_cast<const XEvent*>(xevent);
  if (!self->screen_ || e->type != self->screen_->screenSaverEvent) return GDK_FILTER_CONTINUE;
  self->screen_->screenSaverOn = reinterpret_cast<const XScreenSaverNotifyEvent*>(e)->state == ScreenSaverOn;
  self->UpdateSeen();
  return GDK_FILTER_REMOVE;
}

// Root window events that tell of another window becoming the active one
// (see OnRootEvent).
void X11Platform::NoteRootEvent(const XEvent& event) {
  if (!screen_) return;
  if (event.type == PropertyNotify && event.xproperty.atom == screen_->activeWindow) ScheduleVisibilityCheck();
}

// What the X server told, to the sight the core hears of.
void X11Platform::AddDisplaySight(Sight& sight) const {
  if (!screen_) return;
  const ScreenWatch& watch = *screen_;
  sight.covered = watch.covered;
  sight.fullscreenOver = watch.fullscreenOver;
  sight.screenSaver = sight.screenSaver || watch.screenSaverOn;
  sight.displayAsleep = watch.displayOff;
}

// Windows that let the pointer through still count as covering; a
// translucent window counts as covering.
void X11Platform::LookAtStacking(bool* coveredOut, bool* fullscreenOut) {
  *coveredOut = *fullscreenOut = false;
  if (!screen_ || !screen_->display || !window_ || !gtk_widget_get_mapped(window_) || !shape_) return;
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) return;
  ScreenWatch& watch = *screen_;
  Display* display = watch.display;
  const Window self = GDK_WINDOW_XID(gdkWindow);
  gdk_x11_display_error_trap_push(gdk_window_get_display(gdkWindow));

  // The outline on the screen.
  int originX = 0, originY = 0;
  Window child = 0;
  XTranslateCoordinates(display, self, watch.root, 0, 0, &originX, &originY, &child);
  cairo_region_t* visible = cairo_region_copy(shape_);
  cairo_region_translate(visible, originX, originY);

  // The top-level window this one is (or is inside, in a window manager's frame).
  Window topLevel = self;
  for (int depth = 0; depth < 16; ++depth) {
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, topLevel, &rootReturn, &parent, &children, &count)) break;
    if (children) XFree(children);
    if (parent == watch.root || parent == 0) break;
    topLevel = parent;
  }

  // The windows above it, bottom to top; each takes away what it covers.
  Window rootReturn = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, watch.root, &rootReturn, &parent, &children, &count)) {
    bool above = false;
    for (unsigned i = 0; i < count && !cairo_region_is_empty(visible); ++i) {
      if (children[i] == topLevel) {
        above = true;
        continue;
      }
      if (!above) continue;
      XWindowAttributes a;
      if (!XGetWindowAttributes(display, children[i], &a) || a.map_state != IsViewable || a.c_class != InputOutput)
        continue;
      const cairo_rectangle_int_t box{a.x, a.y, a.width + 2 * a.border_width, a.height + 2 * a.border_width};
      if (cairo_region_contains_rectangle(visible, &box) == CAIRO_REGION_OVERLAP_OUT) continue;
      // A shaped window covers its shape only.
      int count2 = 0, ordering = 0;
      XRectangle* parts = XShapeGetRectangles(display, children[i], ShapeBounding, &count2, &ordering);
      if (parts) {
        for (int k = 0; k < count2; ++k) {
          const cairo_rectangle_int_t r{a.x + a.border_width + parts[k].x, a.y + a.border_width + parts[k].y,
                                        parts[k].width, parts[k].height};
          cairo_region_subtract_rectangle(visible, &r);
        }
        XFree(parts);
      } else {
        cairo_region_subtract_rectangle(visible, &box);
      }
    }
    if (children) XFree(children);
  }
  bool covered = cairo_region_is_empty(visible);
  cairo_region_destroy(visible);

  // The active window, when it is fullscreen over the globe's monitor.
  bool fullscreenOver = false;
  {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, rest = 0;
    unsigned char* data = nullptr;
    Window active = 0;
    if (XGetWindowProperty(display, watch.root, watch.activeWindow, 0, 1, False, XA_WINDOW, &type, &format, &items,
                           &rest, &data) == Success &&
        data && items == 1 && format == 32)
      active = *reinterpret_cast<Window*>(data);
    if (data) XFree(data);
    data = nullptr;
    bool isFullscreen = false;
    if (active && active != self &&
        XGetWindowProperty(display, active, watch.wmState, 0, 64, False, XA_ATOM, &type, &format, &items, &rest,
                           &data) == Success &&
        data && format == 32) {
      const Atom* states = reinterpret_cast<const Atom*>(data);
      for (unsigned long k = 0; k < items; ++k) isFullscreen = isFullscreen || states[k] == watch.fullscreen;
    }
    if (data) XFree(data);
    XWindowAttributes a;
    if (isFullscreen && XGetWindowAttributes(display, active, &a) && a.map_state == IsViewable) {
      int x = 0, y = 0;
      XTranslateCoordinates(display, active, watch.root, 0, 0, &x, &y, &child);
      GdkMonitor* monitor = gdk_display_get_monitor_at_window(gdk_window_get_display(gdkWindow), gdkWindow);
      if (monitor) {
        GdkRectangle m;
        gdk_monitor_get_geometry(monitor, &m);
        const int g = std::max(1, gdk_monitor_get_scale_factor(monitor));
        fullscreenOver = x <= m.x * g && y <= m.y * g && x + a.width >= (m.x + m.width) * g &&
                         y + a.height >= (m.y + m.height) * g;
      }
    }
  }
  gdk_x11_display_error_trap_pop_ignored(gdk_window_get_display(gdkWindow));
  *coveredOut = covered;
  *fullscreenOut = fullscreenOver;
}

}  // namespace gd
