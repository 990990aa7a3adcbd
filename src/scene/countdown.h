// The countdown on the globe's plaque: the day count in picture digits
// followed by the label "day" or "days", or the word the user's language
// uses after that count. This file decides what is drawn where; the
// compositor blends the listed images into the frame in order.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/countdown_dates.h"
#include "calendar/date_time.h"

namespace gd {

inline constexpr int32_t kLowestCountDrawn = 0;
inline constexpr int32_t kFirstCountNotDrawn = 368;
inline constexpr int kCountdownFirstPenX = 105;
inline constexpr int kCountdownRowY = 187;
inline constexpr int kCountdownDigitOverlap = 2;
inline constexpr int kCountdownLabelGap = 8;
inline constexpr std::string_view kSingularLabelImage = "imgDDay";
inline constexpr std::string_view kPluralLabelImage = "imgDays";

// One image to blend: its catalogue name and the frame position of its
// top-left corner. The name refers to static storage.
struct CountdownDraw {
  std::string_view name;
  int x = 0;
  int y = 0;
  friend bool operator==(const CountdownDraw&, const CountdownDraw&) = default;
};

// The width of the catalogue image with the given name, or nothing when the
// catalogue has no such image.
using ImageWidthLookup = std::function<std::optional<int>(std::string_view name)>;

// The draws for a day count, in drawing order: the digits left to right,
// then the label: `label` when given, else "day" after the text "1" and
// "days" after any other. Counts outside 0 to 367 draw nothing. When an
// image the count needs is missing from the catalogue nothing is drawn
// either, rather than a number with a hole in it. The names of the draws
// refer to static storage or to `label`.
std::vector<CountdownDraw> PlaceCountdown(int32_t count, const ImageWidthLookup& width_of,
                                          std::string_view label = {});

// The label picture for a count in the language in use: "imgDays_" with the
// language's code, "_" and the number of the plural form the language takes
// for the count ("imgDays_ru_2" for 5 in Russian). Empty for English, and
// for a language without plural forms for the label, which keep "day" and
// "days".
std::string TranslatedLabelImage(int32_t count);

// The checked states of the four countdown items of the popup menu; the
// program starts with Christmas checked.
struct CountdownChecks {
  bool pmiChristmas = true;
  bool pmiNewYear = false;
  bool pmiJulian = false;
  bool pmiChristmasEve = false;
  bool operator==(const CountdownChecks&) const = default;
};

// The count for the checked item at local time `now`. The items are tested
// in the order Christmas, New Year, Julian Christmas, Christmas Eve and each checked one
// sets the count, so with several checked the last wins. Nothing when no
// item is checked, there are no targets (the year-9999 case) or `now` is not
// a valid local time.
std::optional<int32_t> CountdownCount(const CountdownChecks& checked,
                                      const std::optional<CountdownTargets>& targets,
                                      const LocalDateTime& now);

// How long from `now` the count stays what it is, at the least: the time to
// the nearest moment, before or after, at which the checked target lies a
// whole number of days away (none: it never changes).
std::optional<double> CountdownSteadyMs(const CountdownChecks& checked, const std::optional<CountdownTargets>& targets,
                                        const LocalDateTime& now);

}  // namespace gd
