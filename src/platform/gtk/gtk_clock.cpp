// Time and language on GTK: the two timers as GLib sources, the tick count
// from the monotonic clock, local time from GLib's time zone, the long date
// of the user's locale (from ICU) and the user's languages.
#include <gtk/gtk.h>

#include <clocale>
#include <cstring>
#include <string>

#include "i18n/translation.h"
#include "platform/gtk/gtk_backend.h"
#include "platform/icu/icu_date.h"

namespace gd {
namespace gtkui {

uint32_t TickCountFromMicroseconds(int64_t microseconds) {
  return static_cast<uint32_t>(static_cast<uint64_t>(microseconds / 1000));
}

LocalDateTime LocalDateTimeFrom(GDateTime* t) {
  return LocalDateTime{g_date_time_get_year(t),   g_date_time_get_month(t),  g_date_time_get_day_of_month(t),
                       g_date_time_get_hour(t),   g_date_time_get_minute(t), g_date_time_get_second(t),
                       g_date_time_get_microsecond(t) / 1000};
}

LongDateFormat LocaleLongDateFormat() {
  const char* locale = std::setlocale(LC_TIME, nullptr);
  return IcuLongDateFormat(locale ? locale : "");
}

std::vector<std::string> LocaleLanguages() {
  auto value = [](const char* name) -> std::string_view {
    const char* v = g_getenv(name);
    return v ? v : "";
  };
  return LanguagesFromEnvironment(value("LANGUAGE"), value("LC_ALL"), value("LC_MESSAGES"), value("LANG"));
}

}  // namespace gtkui

// --- Timers ------------------------------------------------------------------------

// One GLib source per timer, kept for the timer's whole life: restarting it
// moves its due time instead of making a new source, so `TimerGarland`, started
// first, stays first when both fall due in the same loop iteration.
struct GtkPlatform::TimerSource {
  GSource source;
  GtkPlatform* platform;
  TimerId id;
  gint64 intervalUs;
};

gboolean GtkPlatform::DispatchTimer(GSource* source, GSourceFunc, gpointer) {
  auto* timer = reinterpret_cast<TimerSource*>(source);
  // The next tick is one interval after this one was dispatched, as for GLib's
  // own timeouts; the handler may restart the timer and move it again.
  g_source_set_ready_time(source, g_source_get_time(source) + timer->intervalUs);
  timer->platform->FireTimer(timer->id);
  return G_SOURCE_CONTINUE;
}

void GtkPlatform::SetTimer(TimerId id, uint32_t intervalMs) {
  if (closed_) return;
  if (intervalMs == 0) intervalMs = 1;
  TimerSource*& timer = timers_[static_cast<int>(id)];
  if (!timer) {
    // No prepare or check: a source with a ready time needs neither.
    static GSourceFuncs funcs = {nullptr, nullptr, &GtkPlatform::DispatchTimer, nullptr, nullptr, nullptr};
    timer = reinterpret_cast<TimerSource*>(g_source_new(&funcs, sizeof(TimerSource)));
    timer->platform = this;
    timer->id = id;
    g_source_set_priority(&timer->source, G_PRIORITY_DEFAULT);
    g_source_set_name(&timer->source, id == TimerId::Garland ? "TimerGarland" : "timerCountSnow");
    g_source_attach(&timer->source, nullptr);
  }
  timer->intervalUs = static_cast<gint64>(intervalMs) * 1000;
  g_source_set_ready_time(&timer->source, g_get_monotonic_time() + timer->intervalUs);
}

void GtkPlatform::StopTimer(TimerId id) {
  // The source stays, so that the timer keeps its place in the order.
  if (TimerSource* timer = timers_[static_cast<int>(id)]) g_source_set_ready_time(&timer->source, -1);
}

void GtkPlatform::StopTimers() {
  for (TimerSource*& timer : timers_) {
    if (!timer) continue;
    g_source_destroy(&timer->source);
    g_source_unref(&timer->source);
    timer = nullptr;
  }
}

void GtkPlatform::FireTimer(TimerId id) {
  if (lifecycle_ && !closed_) lifecycle_->Tick(id);
}

uint32_t GtkPlatform::TickCount() { return gtkui::TickCountFromMicroseconds(g_get_monotonic_time()); }

LocalDateTime GtkPlatform::LocalTime() {
  // Every frame asks (for the countdown); the zone is looked up again once a
  // minute, which is soon enough to follow the user changing it.
  constexpr gint64 kZoneLifeUs = 60 * G_USEC_PER_SEC;
  const gint64 now_us = g_get_monotonic_time();
  if (!localZone_ || now_us - localZoneSince_ >= kZoneLifeUs) {
    if (localZone_) g_time_zone_unref(localZone_);
    localZone_ = g_time_zone_new_local();
    localZoneSince_ = now_us;
  }
  GDateTime* now = g_date_time_new_now(localZone_);
  const LocalDateTime local = gtkui::LocalDateTimeFrom(now);
  g_date_time_unref(now);
  return local;
}

std::optional<uint64_t> GtkPlatform::PerformanceCounter() {
  return static_cast<uint64_t>(g_get_monotonic_time());  // microseconds
}

LongDateFormat GtkPlatform::UserDateFormat() { return gtkui::LocaleLongDateFormat(); }
std::vector<std::string> GtkPlatform::UserLanguages() { return gtkui::LocaleLanguages(); }

}  // namespace gd
