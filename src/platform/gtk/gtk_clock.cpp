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

// Both timers are one GLib source, ready when the first of them falls due
// and kept for the window's whole life; when both fall due in the same loop
// iteration, the one started first goes first.
//
// A timer with slack is in no hurry: it runs on the first tick of another
// timer at or after its due time, so that the program wakes once for both,
// and on its own only once its slack is over (the other stopped or slowed).
// Its ticks keep their pace on average. (Being one source matters here:
// moving another source's due time from a handler would wake the loop once
// more at once.)
struct GtkPlatform::TimerSource {
  GSource source;
  GtkPlatform* platform;
  struct Timer {
    gint64 intervalUs = 0;
    gint64 slackUs = 0;
    gint64 dueUs = -1;  // -1: stopped
  } timers[2];
  // The timers in the order they were first started.
  TimerId order[2] = {};
  int started = 0;
};

gboolean GtkPlatform::DispatchTimer(GSource* source, GSourceFunc, gpointer) {
  auto* timers = reinterpret_cast<TimerSource*>(source);
  GtkPlatform* self = timers->platform;
  const gint64 now = g_source_get_time(source);
  for (int i = 0; i < timers->started; ++i) {
    if (self->timerSource_ != timers) break;  // the window has gone
    const TimerId id = timers->order[i];
    TimerSource::Timer& timer = timers->timers[static_cast<int>(id)];
    if (timer.dueUs < 0 || timer.dueUs > now) continue;
    // A timer's next tick is one interval after this one was dispatched, as
    // for GLib's own timeouts; one with slack keeps its pace (one interval
    // after its due time) unless it fell a whole interval behind. The
    // handler may restart the timer and move it again.
    gint64 due = timer.slackUs ? timer.dueUs + timer.intervalUs : now + timer.intervalUs;
    if (due <= now) due = now + timer.intervalUs;
    timer.dueUs = due;
    self->FireTimer(id);
  }
  if (self->timerSource_ == timers) self->UpdateTimerSource();
  return G_SOURCE_CONTINUE;
}

void GtkPlatform::UpdateTimerSource() {
  gint64 ready = -1;
  for (const TimerSource::Timer& timer : timerSource_->timers)
    if (timer.dueUs >= 0 && (ready < 0 || timer.dueUs + timer.slackUs < ready)) ready = timer.dueUs + timer.slackUs;
  g_source_set_ready_time(&timerSource_->source, ready);
}

void GtkPlatform::SetTimer(TimerId id, uint32_t intervalMs, uint32_t slackMs) {
  if (closed_) return;
  if (intervalMs == 0) intervalMs = 1;
  if (!timerSource_) {
    // No prepare or check: a source with a ready time needs neither.
    static GSourceFuncs funcs = {nullptr, nullptr, &GtkPlatform::DispatchTimer, nullptr, nullptr, nullptr};
    timerSource_ = reinterpret_cast<TimerSource*>(g_source_new(&funcs, sizeof(TimerSource)));
    timerSource_->platform = this;
    for (TimerSource::Timer& timer : timerSource_->timers) timer = TimerSource::Timer{};
    timerSource_->started = 0;
    g_source_set_priority(&timerSource_->source, G_PRIORITY_DEFAULT);
    g_source_set_name(&timerSource_->source, "TimerGarland and timerCountSnow");
    g_source_attach(&timerSource_->source, nullptr);
  }
  TimerSource::Timer& timer = timerSource_->timers[static_cast<int>(id)];
  bool known = false;
  for (int i = 0; i < timerSource_->started; ++i) known = known || timerSource_->order[i] == id;
  if (!known) timerSource_->order[timerSource_->started++] = id;
  timer.intervalUs = static_cast<gint64>(intervalMs) * 1000;
  timer.slackUs = static_cast<gint64>(slackMs) * 1000;
  timer.dueUs = g_get_monotonic_time() + timer.intervalUs;
  UpdateTimerSource();
}

void GtkPlatform::StopTimer(TimerId id) {
  if (!timerSource_) return;
  timerSource_->timers[static_cast<int>(id)].dueUs = -1;
  UpdateTimerSource();
}

void GtkPlatform::StopTimers() {
  if (!timerSource_) return;
  g_source_destroy(&timerSource_->source);
  g_source_unref(&timerSource_->source);
  timerSource_ = nullptr;
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
