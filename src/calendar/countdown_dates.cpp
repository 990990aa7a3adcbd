#include "calendar/countdown_dates.h"

#include <cmath>
#include <limits>

namespace gd {
namespace {

std::string Caption(std::string_view prefix, DateTime date, const LongDateFormat& format) {
  std::string caption = Tr(prefix);
  caption += FormatLongDate(date, format);
  return caption;
}

}  // namespace

std::optional<CountdownTargets> ComputeCountdownTargets(const LocalDateTime& now,
                                                        const LongDateFormat& format) {
  if (!EncodeDateTime(now)) return std::nullopt;
  const int year = now.year;
  if (year >= kMaxYear) return std::nullopt;  // 1 January of year 10000 does not exist

  const auto christmas = EncodeDate(year, 12, 25);
  // Christmas Eve is counted down to, never from: once it has passed, the
  // next one is the target.
  const bool evePassed = now.month == 12 && now.day > 24;
  const auto christmas_eve = EncodeDate(evePassed ? year + 1 : year, 12, 24);
  const auto new_year = EncodeDate(year + 1, 1, 1);
  const auto julian = EncodeDate(year + 1, 1, 7);
  if (!christmas || !christmas_eve || !new_year || !julian) return std::nullopt;

  CountdownTargets t;
  t.ChristmasDate = *christmas;
  t.ChristmasEveDate = *christmas_eve;
  t.NewYearDate = *new_year;
  t.JulianChristmasDate = *julian;
  t.ChristmasCaption = Caption(kChristmasCaptionPrefix, t.ChristmasDate, format);
  t.ChristmasEveCaption = Caption(kChristmasEveCaptionPrefix, t.ChristmasEveDate, format);
  t.NewYearCaption = Caption(kNewYearCaptionPrefix, t.NewYearDate, format);
  t.JulianCaption = Caption(kJulianCaptionPrefix, t.JulianChristmasDate, format);
  return t;
}

int32_t DaysUntil(DateTime target, DateTime now) {
  double d = target - now;
  if (d < 0) d = now - target;
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  if (!(d < static_cast<double>(kMax))) return kMax;  // also catches NaN
  return static_cast<int32_t>(d);                      // truncates toward zero
}

}  // namespace gd
