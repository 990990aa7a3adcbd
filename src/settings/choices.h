// The user's choices as one value: speed, size, countdown, snow,
// transparency, on top and start at login. The menu's check marks are drawn
// from it, choosing a menu item changes it, and loading and saving turn it
// into and out of the stored values through the settings table.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "base/geometry.h"
#include "settings/settings.h"

namespace gd {

struct Choices {
  size_t speed = 2;         // into kSpeeds: Fast
  size_t size = 0;          // into kSizes: Automatic
  size_t countdown = 0;     // into kCountdownItems, the stored iCountdown: Christmas
  bool snow = true;
  size_t transparency = 0;  // into kTransparencyLevels: the level in force
  // Whether that level's item is checked: choosing the checked level again
  // takes its mark away and leaves the level in force.
  bool transparencyMarked = true;
  bool onTop = true;
  bool startAtLogin = true;

  bool operator==(const Choices&) const = default;
};

// Whether the menu shows `item` checked.
bool ItemChecked(const Choices& choices, std::string_view item);

// What choosing `item` changes. False for a name that is no choosable item
// (unknown, a separator, a submenu); true, unchanged, for items that only run
// their command.
bool ChooseItem(Choices& choices, std::string_view item);

// The choices a store holds. Values missing, or out of range, keep their
// defaults; a transparency past the last level is 0 %. A desktop that asks
// for less motion starts without snow at the slowest speed, until the user's
// own choices are stored. The start-at-login switch is not a stored value.
Choices ChoicesFromStored(const StoredSettings& stored, bool reducedMotion);
// Whether the store names a speed (then loading sets the step clock to it).
bool StoresSpeed(const StoredSettings& stored, bool reducedMotion);

// The values a close saves: the choices and the window's place.
SettingValues ValuesToSave(const Choices& choices, Point position);

}  // namespace gd
