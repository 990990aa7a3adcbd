// The three countdown targets, their menu captions, and the whole-day count
// between a target and now.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "calendar/date_format.h"
#include "calendar/date_time.h"
#include "i18n/translation.h"

namespace gd {

// The captions' beginnings, before the date; shown in the user's language.
inline constexpr std::string_view kChristmasCaptionPrefix = N_("Christmas - ");
inline constexpr std::string_view kChristmasEveCaptionPrefix = N_("Christmas Eve - ");
inline constexpr std::string_view kNewYearCaptionPrefix = N_("New Year - ");
inline constexpr std::string_view kJulianCaptionPrefix = N_("Julian Christmas - ");

// Fixed once, when the main window is shown. Every date is at 00:00.
struct CountdownTargets {
  DateTime ChristmasDate = 0;        // 25 December of the current year
  DateTime ChristmasEveDate = 0;     // 24 December of the current year, of the next once it has passed
  DateTime NewYearDate = 0;          // 1 January of the next year
  DateTime JulianChristmasDate = 0;  // 7 January of the next year
  std::string ChristmasCaption;      // caption of pmiChristmas
  std::string ChristmasEveCaption;   // caption of pmiChristmasEve
  std::string NewYearCaption;        // caption of pmiNewYear
  std::string JulianCaption;         // caption of pmiJulian
};

// The targets for a window shown at local time `now`. Only Christmas Eve is
// compared with today: from 25 December on it is next year's. Christmas
// stays in this year after 25 December, and the January dates are always in
// the next year. The captions are in the language in use.
//
// Gives std::nullopt, and the countdown then shows nothing, when `now` is not
// a valid date and time or its year is 9999: the next year's dates would lie
// outside the calendar.
std::optional<CountdownTargets> ComputeCountdownTargets(const LocalDateTime& now,
                                                        const LongDateFormat& format);

// Whole days between two moments in either direction: the absolute
// difference truncated toward zero. A NaN or a difference beyond the 32-bit
// range gives INT32_MAX, a count that is never drawn.
int32_t DaysUntil(DateTime target, DateTime now);

}  // namespace gd
