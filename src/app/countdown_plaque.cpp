// The countdown's two places in the main window: the targets and menu
// captions when the window is shown, and the plaque on every frame.
#include "app/main_window.h"
#include "scene/countdown.h"

namespace gd {

void TfrmMain::ComputeCountdownDates() {
  countdownTargets_ = ComputeCountdownTargets(platform_.LocalTime(), platform_.UserDateFormat());
  // Without targets (the last year of the calendar) the items keep their
  // plain captions and the plaque stays empty.
  if (!countdownTargets_) return;
  menu_.SetCaption("pmiChristmas", countdownTargets_->ChristmasCaption);
  menu_.SetCaption("pmiNewYear", countdownTargets_->NewYearCaption);
  menu_.SetCaption("pmiJulian", countdownTargets_->JulianCaption);
}

void TfrmMain::DrawCountdown() {
  const CountdownChecks checks{menu_.Checked("pmiChristmas"), menu_.Checked("pmiNewYear"), menu_.Checked("pmiJulian")};
  const std::optional<int32_t> count = CountdownCount(checks, countdownTargets_, platform_.LocalTime());
  if (!count) return;
  const auto widthOf = [this](std::string_view name) -> std::optional<int> {
    const SceneImage* image = catalogue_.FindSceneImage(name);
    return image ? std::optional<int>(image->width) : std::nullopt;
  };
  for (const CountdownDraw& d : PlaceCountdown(*count, widthOf)) Draw(*catalogue_.FindSceneImage(d.name), d.x, d.y);
}

}  // namespace gd
