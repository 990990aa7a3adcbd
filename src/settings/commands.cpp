// The popup menu's commands. A choice first changes the item's own mark as the
// menu table says (check items toggle, transparency levels toggle within their
// group), then runs the item's command, found in the table below.
#include <string>

#include "app/main_window.h"
#include "settings/settings.h"

namespace gd {
namespace {

struct MenuCommand {
  std::string_view item;
  void (TfrmMain::*run)();
};

// Every menu item that does something when chosen, and what it does.
// pmiStartUp has no command: only the save at close reads its mark.
constexpr MenuCommand kMenuCommands[] = {
    {"pmiAbout", &TfrmMain::pmiAboutClick},
    {"pmiSlow", &TfrmMain::pmiSlowClick},
    {"pmiNormal", &TfrmMain::pmiNormalClick},
    {"pmiFast", &TfrmMain::pmiFastClick},
    {"pmiQuickly", &TfrmMain::pmiQuicklyClick},
    {"pmiSizeAuto", &TfrmMain::pmiSizeAutoClick},
    {"pmiSize100", &TfrmMain::pmiSize100Click},
    {"pmiSize125", &TfrmMain::pmiSize125Click},
    {"pmiSize150", &TfrmMain::pmiSize150Click},
    {"pmiSize175", &TfrmMain::pmiSize175Click},
    {"pmiSize200", &TfrmMain::pmiSize200Click},
    {"pmiSize250", &TfrmMain::pmiSize250Click},
    {"pmiSize300", &TfrmMain::pmiSize300Click},
    {"pmiChristmas", &TfrmMain::pmiChristmasClick},
    {"pmiNewYear", &TfrmMain::pmiNewYearClick},
    {"pmiJulian", &TfrmMain::pmiJulianClick},
    {"pmiSnow", &TfrmMain::pmiSnowClick},
    {"pmi0", &TfrmMain::pmi0Click},
    {"pmi10", &TfrmMain::pmi10Click},
    {"pmi20", &TfrmMain::pmi20Click},
    {"pmi30", &TfrmMain::pmi30Click},
    {"pmi40", &TfrmMain::pmi40Click},
    {"pmi50", &TfrmMain::pmi50Click},
    {"pmi60", &TfrmMain::pmi60Click},
    {"pmi70", &TfrmMain::pmi70Click},
    {"pmi80", &TfrmMain::pmi80Click},
    {"pmi90", &TfrmMain::pmi90Click},
    {"pmiOnTop", &TfrmMain::pmiOnTopClick},
    {"pmiExit", &TfrmMain::pmiExitClick},
};

constexpr const MenuCommand* FindCommand(std::string_view item) {
  for (const MenuCommand& c : kMenuCommands)
    if (c.item == item) return &c;
  return nullptr;
}

// Every choosable item of the menu has a command, except the start-at-login
// switch, and every command belongs to an item of the menu.
constexpr bool CommandsMatchTheMenu() {
  size_t choosable = 0;
  auto check = [&](const MenuItemDesign& design) {
    if (design.kind == MenuItemKind::Separator || design.kind == MenuItemKind::Submenu) return true;
    ++choosable;
    return (FindCommand(design.name) != nullptr) == (design.name != "pmiStartUp");
  };
  for (const MenuItemDesign& design : kMenuItems)
    if (!check(design)) return false;
  if (!check(kExitItem)) return false;
  return choosable == std::size(kMenuCommands) + 1;
}
static_assert(CommandsMatchTheMenu(), "a menu item without its command, or a command without its item");

const Speed& SpeedOf(std::string_view item) {
  for (const Speed& s : kSpeeds)
    if (s.item == item) return s;
  return kSpeeds[2];
}

const DisplaySize& SizeOf(std::string_view item) {
  for (const DisplaySize& s : kSizes)
    if (s.item == item) return s;
  return kSizes[0];
}

uint8_t AlphaOf(std::string_view item) {
  for (const TransparencyLevel& level : kTransparencyLevels)
    if (level.item == item) return level.alpha;
  return 255;
}

}  // namespace

void TfrmMain::OnMenuItemChosen(std::string_view itemName) {
  if (destroyed_ || !menu_.ApplyChoice(itemName)) return;
  if (platform_.Tracing()) platform_.Trace("choose", "\"item\": \"" + std::string(itemName) + "\"");
  RunMenuCommand(itemName);
}

bool TfrmMain::RunMenuCommand(std::string_view itemName) {
  const MenuCommand* command = FindCommand(itemName);
  if (!command) return false;
  (this->*command->run)();
  return true;
}

void TfrmMain::pmiAboutClick() { platform_.OpenUrl(std::string(kMakerPageUrl)); }

// Speeds: the radio item is checked by its command; the frame timer keeps its
// rhythm unless the interval really changes.
void TfrmMain::pmiSlowClick() { ApplySpeed(SpeedOf("pmiSlow")); }
void TfrmMain::pmiNormalClick() { ApplySpeed(SpeedOf("pmiNormal")); }
void TfrmMain::pmiFastClick() { ApplySpeed(SpeedOf("pmiFast")); }
void TfrmMain::pmiQuicklyClick() { ApplySpeed(SpeedOf("pmiQuickly")); }

void TfrmMain::ApplySpeed(const Speed& speed) {
  menu_.SetChecked(speed.item, true);
  if (TimerGarlandIntervalMs_ != speed.intervalMs) {
    TimerGarlandIntervalMs_ = speed.intervalMs;
    platform_.SetTimer(TimerId::Garland, speed.intervalMs);
  }
  StepDelayMs_ = speed.stepDelayMs;
}

// Sizes: the globe at the chosen scale, or the system's, its bottom-right
// corner staying where it is.
void TfrmMain::pmiSizeAutoClick() { ApplySize(SizeOf("pmiSizeAuto"), true); }
void TfrmMain::pmiSize100Click() { ApplySize(SizeOf("pmiSize100"), true); }
void TfrmMain::pmiSize125Click() { ApplySize(SizeOf("pmiSize125"), true); }
void TfrmMain::pmiSize150Click() { ApplySize(SizeOf("pmiSize150"), true); }
void TfrmMain::pmiSize175Click() { ApplySize(SizeOf("pmiSize175"), true); }
void TfrmMain::pmiSize200Click() { ApplySize(SizeOf("pmiSize200"), true); }
void TfrmMain::pmiSize250Click() { ApplySize(SizeOf("pmiSize250"), true); }
void TfrmMain::pmiSize300Click() { ApplySize(SizeOf("pmiSize300"), true); }

void TfrmMain::ApplySize(const DisplaySize& size, bool keepCorner) {
  menu_.SetChecked(size.item, true);
  ApplyScale(size.percent == 0 ? platform_.SystemScaleQuarters() : ScaleQuartersOfPercent(size.percent), keepCorner);
}

// Countdown targets: the overlay reads the checked item on every frame.
void TfrmMain::pmiChristmasClick() { menu_.SetChecked("pmiChristmas", true); }
void TfrmMain::pmiNewYearClick() { menu_.SetChecked("pmiNewYear", true); }
void TfrmMain::pmiJulianClick() { menu_.SetChecked("pmiJulian", true); }

void TfrmMain::pmiSnowClick() { SnowEnabled_ = menu_.Checked("pmiSnow"); }

void TfrmMain::pmi0Click() { SetOpacity(AlphaOf("pmi0")); }
void TfrmMain::pmi10Click() { SetOpacity(AlphaOf("pmi10")); }
void TfrmMain::pmi20Click() { SetOpacity(AlphaOf("pmi20")); }
void TfrmMain::pmi30Click() { SetOpacity(AlphaOf("pmi30")); }
void TfrmMain::pmi40Click() { SetOpacity(AlphaOf("pmi40")); }
void TfrmMain::pmi50Click() { SetOpacity(AlphaOf("pmi50")); }
void TfrmMain::pmi60Click() { SetOpacity(AlphaOf("pmi60")); }
void TfrmMain::pmi70Click() { SetOpacity(AlphaOf("pmi70")); }
void TfrmMain::pmi80Click() { SetOpacity(AlphaOf("pmi80")); }
void TfrmMain::pmi90Click() { SetOpacity(AlphaOf("pmi90")); }

void TfrmMain::pmiOnTopClick() { platform_.SetTopmost(menu_.Checked("pmiOnTop")); }

// The close asks FormCloseQuery, which saves the settings.
void TfrmMain::pmiExitClick() { platform_.CloseWindow(); }

}  // namespace gd
