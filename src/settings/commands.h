// The popup menu's commands as data: each choosable item with the action it
// runs and that action's value, taken from the speed, transparency and
// countdown tables. A choice first changes the item's own mark as the menu
// table says (check items toggle, transparency levels toggle within their
// group), then the main window carries out the item's action.
#pragma once

#include <optional>
#include <string_view>

#include "settings/menu.h"
#include "settings/settings.h"

namespace gd {

enum class CommandAction {
  OpenOwnPage,        // the globe's own page
  SetSpeed,           // check the speed's item; set the frame timer and the step delay
  SetSize,            // check the size's item; draw the globe at its scale, its corner kept
  CheckCountdown,     // check the countdown item; the plaque reads it on every frame
  FollowSnowMark,     // the snow falls while pmiSnow is checked
  SetOpacity,         // rebuild the base layer at the level's alpha
  FollowOnTopMark,    // stay on top while pmiOnTop is checked
  Close,              // close the window; the close saves the settings
};

struct MenuCommand {
  std::string_view item;
  CommandAction action;
  const Speed* speed = nullptr;               // SetSpeed
  const TransparencyLevel* level = nullptr;   // SetOpacity
  const DisplaySize* size = nullptr;          // SetSize
};

// The command of a menu item; none for items that only carry a mark
// (pmiStartUp: only the save at close reads it), separators and submenus.
constexpr std::optional<MenuCommand> FindMenuCommand(std::string_view item) {
  for (const Speed& s : kSpeeds)
    if (s.item == item) return MenuCommand{item, CommandAction::SetSpeed, &s};
  for (const DisplaySize& z : kSizes)
    if (z.item == item) return MenuCommand{item, CommandAction::SetSize, nullptr, nullptr, &z};
  for (const TransparencyLevel& l : kTransparencyLevels)
    if (l.item == item) return MenuCommand{item, CommandAction::SetOpacity, nullptr, &l};
  for (std::string_view countdown : kCountdownItems)
    if (countdown == item) return MenuCommand{item, CommandAction::CheckCountdown};
  if (item == "pmiAbout") return MenuCommand{item, CommandAction::OpenOwnPage};
  if (item == "pmiSnow") return MenuCommand{item, CommandAction::FollowSnowMark};
  if (item == "pmiOnTop") return MenuCommand{item, CommandAction::FollowOnTopMark};
  if (item == "pmiExit") return MenuCommand{item, CommandAction::Close};
  return std::nullopt;
}

// Every choosable item of the menu has a command, except the start-at-login
// switch.
constexpr bool CommandsMatchTheMenu() {
  auto check = [](const MenuItemDesign& design) {
    if (design.kind == MenuItemKind::Separator || design.kind == MenuItemKind::Submenu) return true;
    return FindMenuCommand(design.name).has_value() == (design.name != "pmiStartUp");
  };
  for (const MenuItemDesign& design : kMenuItems)
    if (!check(design)) return false;
  return check(kExitItem);
}
static_assert(CommandsMatchTheMenu(), "a menu item without its command");

}  // namespace gd
