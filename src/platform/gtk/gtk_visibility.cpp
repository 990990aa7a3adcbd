// What is known of who can see the window, and whether the system saves
// power, for the core (which composes nothing while nobody can see it).
//
// The core hears whether the window is unmapped (another workspace, or
// hidden) or minimised, whether the session is locked or is not the active
// one (logind), and whether a desktop's screen saver says it is active, all
// learnt from events: the window's own and D-Bus signals; and what the
// display knows besides (X11Platform: what covers the window, the X screen
// saver and DPMS; LayerShellPlatform: whether the compositor asks for
// frames). Also here: the visibility probe's kept answers.
#include <gtk/gtk.h>

#include <cstring>

#include "platform/gtk/gtk_backend.h"

namespace gd {
namespace {

// The longest the visibility probe keeps an answer, for changes that no event
// tells of (another window's shape, windows nested in a frame).
constexpr gint64 kProbeAnswerLifeUs = G_USEC_PER_SEC / 2;

}  // namespace

struct GtkPlatform::VisibilityWatch {
  bool sessionLocked = false, sessionInactive = false;  // logind
  bool desktopSaverActive = false;                       // the desktop's screen saver

  GCancellable* cancel = nullptr;
  GDBusProxy* loginSession = nullptr;
  GDBusConnection* sessionBus = nullptr;
  std::vector<guint> saverSubscriptions;
  GObject* powerMonitor = nullptr;
  gulong powerHandler = 0;

  ~VisibilityWatch() {
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
  watch.cancel = g_cancellable_new();

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

void GtkPlatform::UpdateSeen() {
  if (!visibility_ || closed_ || !window_) return;
  const VisibilityWatch& watch = *visibility_;
  Sight sight;
  sight.unmapped = !gtk_widget_get_mapped(window_);
  sight.minimised = iconified_;
  sight.noFrames = !FramesAsked();
  sight.screenSaver = watch.desktopSaverActive;
  sight.locked = watch.sessionLocked;
  sight.sessionInactive = watch.sessionInactive;
  AddDisplaySight(sight);
  if (lifecycle_) lifecycle_->SightChanged(sight);
}

// Whether this window is what the user sees at a screen point, the question
// Windows answers with WindowFromPoint. The window must be mapped and not
// iconified and the point inside its shape; then the display says whether
// the window is on top there (OnTopAt; on X11 the X server). Limits: windows that let the pointer
// through (an empty input shape, as on-screen displays use) do not count as
// covering, and on Wayland only XWayland windows are known, so a native Wayland
// window above the globe goes unseen.
bool GtkPlatform::IsWindowVisibleAt(int screenX, int screenY) {
  if (!window_ || closed_ || !mapped_ || iconified_) return false;
  // Every frame asks, and each question is a round trip to the X server. The
  // answer stands until a top-level window appears, goes, moves or changes
  // its place in the stacking order (see X11Platform::OnRootEvent), this window moves,
  // maps, changes state or shape, or half a second has passed.
  const gint64 now = g_get_monotonic_time();
  if (now - probeAnswersSince_ >= kProbeAnswerLifeUs || probeAnswers_.size() >= 8) probeAnswers_.clear();
  if (probeAnswers_.empty()) probeAnswersSince_ = now;
  for (const ProbeAnswer& answer : probeAnswers_)
    if (answer.x == screenX && answer.y == screenY) return answer.visible;
  const bool visible = AskWhetherVisibleAt(screenX, screenY);
  probeAnswers_.push_back({screenX, screenY, visible});
  return visible;
}

bool GtkPlatform::AskWhetherVisibleAt(int screenX, int screenY) {
  const Point origin = WindowPosition();
  const int x = screenX - origin.x, y = screenY - origin.y;
  if (x < 0 || y < 0 || x >= size_.width || y >= size_.height) return false;
  if (shape_ && !cairo_region_contains_point(shape_, x, y)) return false;
  return OnTopAt(screenX, screenY);
}

}  // namespace gd
