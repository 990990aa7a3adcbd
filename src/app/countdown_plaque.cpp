// The countdown in the main window: the targets and menu captions when the
// window is shown, and the number for the plaque on every frame.
#include "app/main_window.h"
#include "scene/countdown.h"

namespace gd {

void MainWindow::ComputeCountdownDates() {
  countdownTargets_ = ComputeCountdownTargets(platform_.LocalTime(), platform_.UserDateFormat());
  countdownKnown_.reset();
  // Without targets (the last year of the calendar) the items keep their
  // plain captions and the plaque stays empty.
  if (!countdownTargets_) return;
  menu_.SetCaption("pmiChristmas", countdownTargets_->ChristmasCaption);
  menu_.SetCaption("pmiChristmasEve", countdownTargets_->ChristmasEveCaption);
  menu_.SetCaption("pmiNewYear", countdownTargets_->NewYearCaption);
  menu_.SetCaption("pmiJulian", countdownTargets_->JulianCaption);
}

std::optional<int32_t> MainWindow::CountdownDays() {
  // Asking for the local time costs more than the rest of a frame's
  // bookkeeping, and the number changes once a day: it is asked again a
  // second later, or on every frame when the number may change within two
  // seconds (so it changes on the first frame after the moment, as if asked
  // every time), and at once when the choices change.
  const uint32_t now = platform_.TickCount();
  if (countdownKnown_ && countdownKnown_->choices == choicesVersion_ &&
      now - countdownKnown_->tick < countdownKnown_->lifeMs)
    return countdownKnown_->days;
  const std::string_view target = kCountdownItems[choices_.countdown];
  const CountdownChecks checks{target == "pmiChristmas", target == "pmiNewYear", target == "pmiJulian",
                              target == "pmiChristmasEve"};
  const LocalDateTime local = platform_.LocalTime();
  const std::optional<double> steady = CountdownSteadyMs(checks, countdownTargets_, local);
  const uint32_t life = !steady || *steady > 2000 ? 1000 : 0;
  countdownKnown_ = KnownCountdown{choicesVersion_, CountdownCount(checks, countdownTargets_, local), now, life};
  return countdownKnown_->days;
}

}  // namespace gd
