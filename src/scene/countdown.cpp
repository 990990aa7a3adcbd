#include "scene/countdown.h"

#include <string>

namespace gd {
namespace {

constexpr std::string_view kDigitImages[10] = {"d0", "d1", "d2", "d3", "d4",
                                               "d5", "d6", "d7", "d8", "d9"};

int ShiftFor(std::string_view text) {
  if (text == "1") return 10;
  if (text.size() == 3) return -9;
  if (text.size() == 2) return -4;
  return 0;
}

}  // namespace

std::vector<CountdownDraw> PlaceCountdown(int32_t count, const ImageWidthLookup& width_of) {
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

  const std::string_view label = text == "1" ? kSingularLabelImage : kPluralLabelImage;
  if (!width_of(label)) return {};
  draws.push_back({label, shift + pen, kCountdownRowY});
  return draws;
}

std::optional<int32_t> CountdownCount(const CountdownChecks& checked,
                                      const std::optional<CountdownTargets>& targets,
                                      const LocalDateTime& now) {
  const std::optional<DateTime> now_value = EncodeDateTime(now);
  if (!targets || !now_value) return std::nullopt;

  std::optional<int32_t> count;
  if (checked.pmiChristmas) count = DaysUntil(targets->ChristmasDate, *now_value);
  if (checked.pmiNewYear) count = DaysUntil(targets->NewYearDate, *now_value);
  if (checked.pmiJulian) count = DaysUntil(targets->JulianChristmasDate, *now_value);
  return count;
}

}  // namespace gd
