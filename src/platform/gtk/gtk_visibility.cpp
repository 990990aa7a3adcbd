// What is known of who can see the window, and whether the system saves
// power, for the core (which composes nothing while nobody can see it).
//
// The core hears whether the window is unmapped (another workspace, or
// hidden) or minimised, whether other windows cover all of its outline and
// whether a fullscreen window is the active one on its monitor, whether the
// X screen saver has blanked the screen or DPMS has put the display to
// sleep, whether the session is locked or is not the active one (logind),
// and whether a desktop's screen saver says it is active. All are learnt from
// events: the window's own, the root window's (the top-level windows'
// changes, the active window, the screen saver extension), and D-Bus signals;
// only the DPMS state, which has no events, is asked every two seconds.
#include <gtk/gtk.h>

#include <cstring>

#include "platform/gtk/gtk_backend.h"

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

struct GtkPlatform::VisibilityWatch {
  GtkPlatform* platform = nullptr;
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
  bool sessionLocked = false, sessionInactive = false;  // logind
  bool desktopSaverActive = false;                       // the desktop's screen saver

  GCancellable* cancel = nullptr;
  GDBusProxy* loginSession = nullptr;
  GDBusConnection* sessionBus = nullptr;
  std::vector<guint> saverSubscriptions;
  GObject* powerMonitor = nullptr;
  gulong powerHandler = 0;

  ~VisibilityWatch() {
    if (screenSaverEvent >= 0) gdk_window_remove_filter(nullptr, OnScreenSaverEvent, platform);
    if (stackingCheck) g_source_remove(stackingCheck);
    if (displayPoll) g_source_remove(displayPoll);
    if (cancel) {
      g_cancellable_cancel(cancel);
      g_object_unref(cancel);
    }
    if (loginSession) g_object_unref(loginSession);
    if (sessionBus) {
      for (guint id : saverSubscriptions) g_dbus_connection_signal_unsubscribe(sessionBus, id);
      g_object_unref(sessionBus);
    }
    if (powerMonitor) {
      g_signal_handler_disconnect(powerMonitor, powerHandler);
      g_object_unref(powerMonitor);
    }
  }
};

void GtkPlatform::VisibilityWatchDeleter::operator()(VisibilityWatch* watch) const { delete watch; }

namespace {

bool BooleanProperty(GDBusProxy* proxy, const char* name) {
  GVariant* value = g_dbus_proxy_get_cached_property(proxy, name);
  if (!value) return false;
  const bool on = g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(value);
  g_variant_unref(value);
  return on;
}

}  // namespace

void GtkPlatform::StartWatchingVisibility() {
  visibility_.reset(new VisibilityWatch);
  VisibilityWatch& watch = *visibility_;
  watch.platform = this;
  watch.cancel = g_cancellable_new();
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

  // The session's lock and whether it is the active one, from logind, where
  // the system has a bus.
  if (g_file_test("/run/dbus/system_bus_socket", G_FILE_TEST_EXISTS)) {
    g_dbus_proxy_new_for_bus(
        G_BUS_TYPE_SYSTEM, G_DBUS_PROXY_FLAGS_GET_INVALIDATED_PROPERTIES, nullptr, "org.freedesktop.login1",
        "/org/freedesktop/login1/session/auto", "org.freedesktop.login1.Session", watch.cancel,
        +[](GObject*, GAsyncResult* result, gpointer data) {
          GDBusProxy* proxy = g_dbus_proxy_new_for_bus_finish(result, nullptr);
          if (!proxy) return;  // cancelled, or no logind: nothing to learn
          auto* self = static_cast<GtkPlatform*>(data);
          self->visibility_->loginSession = proxy;
          const auto read = [](GDBusProxy* p, GVariant*, GStrv, gpointer me) {
            auto* platform = static_cast<GtkPlatform*>(me);
            // A session that says nothing of itself counts as active and unlocked.
            platform->visibility_->sessionLocked = BooleanProperty(p, "LockedHint");
            GVariant* active = g_dbus_proxy_get_cached_property(p, "Active");
            platform->visibility_->sessionInactive = active && !g_variant_get_boolean(active);
            if (active) g_variant_unref(active);
            platform->UpdateSeen();
          };
          g_signal_connect(proxy, "g-properties-changed", G_CALLBACK(+read), self);
          read(proxy, nullptr, nullptr, self);
        },
        this);
  }

  // The desktop's screen saver (and lock screen), where the session has a
  // bus of its own. Without one, none is started just for this.
  if (g_getenv("DBUS_SESSION_BUS_ADDRESS")) {
    g_bus_get(
        G_BUS_TYPE_SESSION, watch.cancel,
        +[](GObject*, GAsyncResult* result, gpointer data) {
          GDBusConnection* bus = g_bus_get_finish(result, nullptr);
          if (!bus) return;
          auto* self = static_cast<GtkPlatform*>(data);
          self->visibility_->sessionBus = bus;
          for (const char* name : {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver", "org.mate.ScreenSaver",
                                   "org.cinnamon.ScreenSaver"}) {
            self->visibility_->saverSubscriptions.push_back(g_dbus_connection_signal_subscribe(
                bus, nullptr, name, "ActiveChanged", nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                +[](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                    gpointer me) {
                  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
                  gboolean active = FALSE;
                  g_variant_get(parameters, "(b)", &active);
                  auto* platform = static_cast<GtkPlatform*>(me);
                  platform->visibility_->desktopSaverActive = active;
                  platform->UpdateSeen();
                },
                self, nullptr));
          }
        },
        this);
  }

#if GLIB_CHECK_VERSION(2, 70, 0)
  // The power-saver profile (power-profiles-daemon).
  if (GPowerProfileMonitor* monitor = g_power_profile_monitor_dup_default()) {
    watch.powerMonitor = G_OBJECT(monitor);
    watch.powerHandler = g_signal_connect(monitor, "notify::power-saver-enabled",
                                          G_CALLBACK(+[](GObject* m, GParamSpec*, gpointer data) {
                                            auto* self = static_cast<GtkPlatform*>(data);
                                            if (self->lifecycle_ && !self->closed_)
                                              self->lifecycle_->PowerSavingChanged(
                                                  g_power_profile_monitor_get_power_saver_enabled(
                                                      G_POWER_PROFILE_MONITOR(m)));
                                          }),
                                          this);
  }
#endif
}

bool GtkPlatform::PowerSaverEnabled() const {
#if GLIB_CHECK_VERSION(2, 70, 0)
  if (visibility_ && visibility_->powerMonitor)
    return g_power_profile_monitor_get_power_saver_enabled(G_POWER_PROFILE_MONITOR(visibility_->powerMonitor));
#endif
  return false;
}

gboolean GtkPlatform::OnDisplayPoll(gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  VisibilityWatch& watch = *self->visibility_;
  CARD16 level = DPMSModeOn;
  BOOL enabled = False;
  const bool off = DPMSInfo(watch.display, &level, &enabled) && enabled && level != DPMSModeOn;
  if (off != watch.displayOff) {
    watch.displayOff = off;
    self->UpdateSeen();
  }
  return G_SOURCE_CONTINUE;
}

void GtkPlatform::ScheduleVisibilityCheck() {
  if (!visibility_ || visibility_->stackingCheck || closed_) return;
  visibility_->stackingCheck = g_timeout_add(kStackingSettleMs, OnStackingCheck, this);
}

gboolean GtkPlatform::OnStackingCheck(gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  self->visibility_->stackingCheck = 0;
  self->LookAtStacking(&self->visibility_->covered, &self->visibility_->fullscreenOver);
  self->UpdateSeen();
  return G_SOURCE_REMOVE;
}

GdkFilterReturn GtkPlatform::OnScreenSaverEvent(GdkXEvent* xevent, GdkEvent*, gpointer data) {
  auto* self = static_cast<GtkPlatform*>(data);
  const XEvent* e = static_cast<const XEvent*>(xevent);
  if (!self->visibility_ || e->type != self->visibility_->screenSaverEvent) return GDK_FILTER_CONTINUE;
  self->visibility_->screenSaverOn = reinterpret_cast<const XScreenSaverNotifyEvent*>(e)->state == ScreenSaverOn;
  self->UpdateSeen();
  return GDK_FILTER_REMOVE;
}

// Root window events that tell of another window becoming the active one
// (see OnRootEvent).
void GtkPlatform::NoteRootEvent(const XEvent& event) {
  if (!visibility_) return;
  if (event.type == PropertyNotify && event.xproperty.atom == visibility_->activeWindow) ScheduleVisibilityCheck();
}

void GtkPlatform::UpdateSeen() {
  if (!visibility_ || closed_ || !window_) return;
  const VisibilityWatch& watch = *visibility_;
  Sight sight;
  sight.unmapped = !gtk_widget_get_mapped(window_);
  sight.minimised = iconified_;
  sight.noFrames = !layerPainted_;
  sight.covered = watch.covered;
  sight.fullscreenOver = watch.fullscreenOver;
  sight.screenSaver = watch.screenSaverOn || watch.desktopSaverActive;
  sight.displayAsleep = watch.displayOff;
  sight.locked = watch.sessionLocked;
  sight.sessionInactive = watch.sessionInactive;
  if (lifecycle_) lifecycle_->SightChanged(sight);
}

// Windows that let the pointer through still count as covering; a
// translucent window counts as covering.
void GtkPlatform::LookAtStacking(bool* coveredOut, bool* fullscreenOut) {
  *coveredOut = *fullscreenOut = false;
  if (!visibility_ || !visibility_->display || !window_ || !gtk_widget_get_mapped(window_) || !shape_) return;
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) return;
  VisibilityWatch& watch = *visibility_;
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
