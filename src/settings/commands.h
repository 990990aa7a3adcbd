// The popup menu's commands as data: each choosable item with the action it
// runs and that action's value, taken from the speed, size, transparency and
// countdown tables. A choice first changes the choices (ChooseItem in
// settings/choices.h), then the main window carries out the item's action,
// the effect of the choices on the window.
#pragma once

#include <optional>
#include <string_view>

#include "settings/menu.h"
#include "settings/settings.h"

namespace gd {

enum class CommandAction {
  OpenOwnPage,        // the globe's own page
  SetSpeed,           // set the frame timer and the step delay
  SetSize,            // draw the globe at its scale, its corner kept
  SetCountdown,       // nothing more: the plaque reads the choices on every frame
  SetSnow,            // nothing more: the snow falls while the choices say so
  SetOpacity,         // rebuild the base layer at the level's alpha
  SetOnTop,           // stay on top or not, as the choices say
  Close,              // close the window; the close saves the settings
};

struct MenuCommand {
  std::string_view item;
  CommandAction action;
  const Speed* speed = nullptr;               // SetSpeed
  const TransparencyLevel* level = nullptr;   // SetOpacity
  const DisplaySize* size = nullptr;          // SetSize
};

// The command of a menu item; none for items that only change the choices
// (pmiStartUp: only the saves read it), separators and submenus.
constexpr std::optional<MenuCommand> FindMenuCommand(std::string_view item) {
  for (const Speed& s : kSpeeds)
    if (s.item == item) return MenuCommand{item, CommandAction::SetSpeed, &s};
  for (const DisplaySize& z : kSizes)
    if (z.item == item) return MenuCommand{item, CommandAction::SetSize, nullptr, nullptr, &z};
  for (const TransparencyLevel& l : kTransparencyLevels)
    if (l.item == item) return MenuCommand{item, CommandAction::SetOpacity, nullptr, &l};
  for (std::string_view countdown : kCountdownItems)
    if (countdown == item) return MenuCommand{item, CommandAction::SetCountdown};
  if (item == "pmiAbout") return MenuCommand{item, CommandAction::OpenOwnPage};
  if (item == "pmiSnow") return MenuCommand{item, CommandAction::SetSnow};
  if (item == "pmiOnTop") return MenuCommand{item, CommandAction::SetOnTop};
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
