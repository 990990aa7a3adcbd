#include "scene/countdown.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "i18n/translation.h"

namespace gd {
namespace {

constexpr std::string_view kDigitImages[10] = {"d0", "d1", "d2", "d3", "d4",
                                               "d5", "d6", "d7", "d8", "d9"};

// TRANSLATORS: the word after the number of days on the globe's plaque,
// drawn as a picture in its own lettering: keep it short (four or five letters).
constexpr std::string_view kLabelMessage[] = {NP_("day", "days")};

// The target of the checked item; with several checked the last of
// Christmas, New Year, Julian Christmas and Christmas Eve.
std::optional<DateTime> CheckedTarget(const CountdownChecks& checked, const std::optional<CountdownTargets>& targets) {
  if (!targets) return std::nullopt;
  std::optional<DateTime> target;
  if (checked.pmiChristmas) target = targets->ChristmasDate;
  if (checked.pmiNewYear) target = targets->NewYearDate;
  if (checked.pmiJulian) target = targets->JulianChristmasDate;
  if (checked.pmiChristmasEve) target = targets->ChristmasEveDate;
  return target;
}

int ShiftFor(std::string_view text) {
  if (text == "1") return 10;
  if (text.size() == 3) return -9;
  if (text.size() == 2) return -4;
  return 0;
}

}  // namespace

std::vector<CountdownDraw> PlaceCountdown(int32_t count, const ImageWidthLookup& width_of,
                                          std::string_view label) {
  std::vector<CountdownDraw> draws;
  if (count < kLowestCountDrawn || count >= kFirstCountNotDrawn) return draws;

  const std::string text = std::to_string(count);  // 1 to 3 digits here
  const int shift = ShiftFor(text);
  int pen = kCountdownFirstPenX;
  for (char c : text) {
    const std::string_view name = kDigitImages[c - '0'];
    const std::optional<int> width = width_of(name);
    if (!width) return {};
    draws.push_back({name, shift + pen, kCountdownRowY});
    pen += *width - kCountdownDigitOverlap;
  }
  pen += kCountdownLabelGap;

  if (label.empty()) label = text == "1" ? kSingularLabelImage : kPluralLabelImage;
  if (!width_of(label)) return {};
  draws.push_back({label, shift + pen, kCountdownRowY});
  return draws;
}

std::optional<int32_t> CountdownCount(const CountdownChecks& checked,
                                      const std::optional<CountdownTargets>& targets,
                                      const LocalDateTime& now) {
  const std::optional<DateTime> now_value = EncodeDateTime(now);
  const std::optional<DateTime> target = CheckedTarget(checked, targets);
  if (!target || !now_value) return std::nullopt;
  return DaysUntil(*target, *now_value);
}

std::optional<double> CountdownSteadyMs(const CountdownChecks& checked, const std::optional<CountdownTargets>& targets,
                                        const LocalDateTime& now) {
  const std::optional<DateTime> now_value = EncodeDateTime(now);
  const std::optional<DateTime> target = CheckedTarget(checked, targets);
  if (!target || !now_value) return std::nullopt;
  const double days = std::fabs(*target - *now_value);
  const double fraction = days - std::floor(days);
  return std::min(fraction, 1.0 - fraction) * 86400000.0;
}

std::string TranslatedLabelImage(int32_t count) {
  if (count < 0) return {};
  const std::optional<unsigned long> form = PluralFormOf(kLabelMessage[0], static_cast<unsigned long>(count));
  if (!form) return {};
  std::string name = "imgDays_";
  name += CurrentLanguage();
  name += '_';
  name += std::to_string(*form);
  return name;
}

}  // namespace gd
