#include "calendar/countdown_dates.h"

#include <cmath>
#include <limits>

namespace gd {
namespace {

std::string Caption(std::string_view prefix, DateTime date, const LongDateFormat& format) {
  std::string caption(prefix);
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
  const auto new_year = EncodeDate(year + 1, 1, 1);
  const auto julian = EncodeDate(year + 1, 1, 7);
  if (!christmas || !new_year || !julian) return std::nullopt;

  CountdownTargets t;
  t.ChristmasDate = *christmas;
  t.NewYearDate = *new_year;
  t.JulianChristmasDate = *julian;
  t.ChristmasCaption = Caption(kChristmasCaptionPrefix, t.ChristmasDate, format);
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
