// The popup menu's commands: a choice changes the choices, then the item's
// action of the command table carries the change out on the main window.
#include <string>

#include "app/main_window.h"
#include "app/sight.h"
#include "settings/commands.h"

namespace gd {

void MainWindow::MenuItemChosen(std::string_view itemName) {
  if (!ChooseItem(choices_, itemName)) return;
  ++choicesVersion_;
  if (TraceSink* trace = platform_.Tracer()) trace->Write("choose", "\"item\": \"" + std::string(itemName) + "\"");
  RunMenuCommand(itemName);
  SettingsChanged();
}

bool MainWindow::RunMenuCommand(std::string_view itemName) {
  const std::optional<MenuCommand> command = FindMenuCommand(itemName);
  if (!command) return false;
  switch (command->action) {
    case CommandAction::OpenOwnPage:
      OpenOwnPage();
      break;
    case CommandAction::SetSpeed:
      ApplySpeed(*command->speed);
      break;
    case CommandAction::SetSize:
      ApplySize(*command->size, true);
      break;
    case CommandAction::SetCountdown:
    case CommandAction::SetSnow:
      break;
    case CommandAction::SetOpacity:
      SetOpacity(command->level->alpha);
      break;
    case CommandAction::SetOnTop:
      if (capabilities_.canStayOnTop) {
        platform_.SetTopmost(choices_.onTop);
        // Kept on top, the globe stays in sight over a fullscreen window.
        keptOnTop_ = choices_.onTop;
        ApplySeen(SeenFrom(sight_, keptOnTop_));
      }
      break;
    case CommandAction::Close:
      platform_.CloseWindow();  // the close query saves the settings
      break;
  }
  return true;
}

// Sizes: the globe at the chosen scale, or the system's. A Size chosen from
// the menu moves the globe as well (settings/placement.h).
void MainWindow::ApplySize(const DisplaySize& size, bool chosen) {
  const Point was = position_;
  const Size wasSize = GlobeSize();
  const int quarters = size.percent == 0 ? SystemScaleQuarters() : ScaleQuartersOfPercent(size.percent);
  if (ApplyScale(quarters) && chosen) TakePlace({PlaceReason::SizeChosen, was, wasSize});
}

// The frame timer keeps its rhythm unless the interval really changes.
void MainWindow::ApplySpeed(const Speed& speed) {
  if (frameIntervalMs_ != speed.intervalMs) {
    if (!seen_) CatchUpUnseenFrames();  // at the old pace
    frameIntervalMs_ = speed.intervalMs;
    RestartFrameTimer();
  }
  stepDelayMs_ = speed.stepDelayMs;
}

}  // namespace gd
