// The countdown in the main window: the targets and menu captions when the
// window is shown, and the number for the plaque on every frame.
#include "app/main_window.h"
#include "scene/countdown.h"

namespace gd {

void MainWindow::ComputeCountdownDates() {
  countdownTargets_ = ComputeCountdownTargets(platform_.LocalTime(), platform_.UserDateFormat());
  // Without targets (the last year of the calendar) the items keep their
  // plain captions and the plaque stays empty.
  if (!countdownTargets_) return;
  menu_.SetCaption("pmiChristmas", countdownTargets_->ChristmasCaption);
  menu_.SetCaption("pmiNewYear", countdownTargets_->NewYearCaption);
  menu_.SetCaption("pmiJulian", countdownTargets_->JulianCaption);
}

std::optional<int32_t> MainWindow::CountdownDays() {
  const CountdownChecks checks{menu_.Checked("pmiChristmas"), menu_.Checked("pmiNewYear"), menu_.Checked("pmiJulian")};
  return CountdownCount(checks, countdownTargets_, platform_.LocalTime());
}

}  // namespace gd
