// The popup menu as data: the items in display order, their captions, kinds,
// radio groups and live check marks. The check marks are the live settings.
// Backends only show this model and report which item was chosen; the rules
// for check marks and the commands live in the core.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace gd {

enum class MenuItemKind {
  Command,    // runs its command
  Separator,  // a line
  Submenu,    // opens the items whose parent it is
  Radio,      // one of a group; checked by its command
  Check,      // toggles its own mark before its command runs
};

// How an item's mark changes when it is chosen.
enum class AutoCheck {
  None,         // marks change only through commands
  Toggle,       // invert own mark (check items)
  ToggleRadio,  // invert own mark; when it becomes checked, uncheck the group
};

struct MenuItemDesign {
  std::string_view name;
  std::string_view caption;
  MenuItemKind kind;
  std::string_view parent;  // empty: top level
  int group;                // radio group, 0 for none
  bool checked;             // the design state
  bool isDefault;           // shown bold
  AutoCheck autoCheck;
};

// The menu tree in display order.
inline constexpr std::array<MenuItemDesign, 36> kMenuItems{{
    {"pmiAbout", "More Christmas stuff...", MenuItemKind::Command, "", 0, false, true, AutoCheck::None},
    {"N1", "-", MenuItemKind::Separator, "", 0, false, false, AutoCheck::None},
    {"Speedofanimation1", "Speed of animation", MenuItemKind::Submenu, "", 0, false, false, AutoCheck::None},
    {"pmiSlow", "Slow", MenuItemKind::Radio, "Speedofanimation1", 2, false, false, AutoCheck::None},
    {"pmiNormal", "Normal", MenuItemKind::Radio, "Speedofanimation1", 2, false, false, AutoCheck::None},
    {"pmiFast", "Fast", MenuItemKind::Radio, "Speedofanimation1", 2, true, false, AutoCheck::None},
    {"pmiQuickly", "Quickly", MenuItemKind::Radio, "Speedofanimation1", 2, false, false, AutoCheck::None},
    {"Size1", "Size", MenuItemKind::Submenu, "", 0, false, false, AutoCheck::None},
    {"pmiSizeAuto", "Automatic", MenuItemKind::Radio, "Size1", 4, true, false, AutoCheck::None},
    {"pmiSize100", "100%", MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize125", "125%", MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize150", "150%", MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize175", "175%", MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize200", "200%", MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize250", "250%", MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize300", "300%", MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"Countdown1", "Countdown", MenuItemKind::Submenu, "", 0, false, false, AutoCheck::None},
    {"pmiChristmas", "Christmas", MenuItemKind::Radio, "Countdown1", 3, true, false, AutoCheck::None},
    {"pmiNewYear", "New Year", MenuItemKind::Radio, "Countdown1", 3, false, false, AutoCheck::None},
    {"pmiJulian", "Julian", MenuItemKind::Radio, "Countdown1", 3, false, false, AutoCheck::None},
    {"Options1", "Options", MenuItemKind::Submenu, "", 0, false, false, AutoCheck::None},
    {"pmiSnow", "Snow (for slow PC)", MenuItemKind::Check, "Options1", 0, true, false, AutoCheck::Toggle},
    {"ransparent1", "Transparent", MenuItemKind::Submenu, "Options1", 0, false, false, AutoCheck::None},
    {"pmi0", "0%", MenuItemKind::Radio, "ransparent1", 1, true, false, AutoCheck::ToggleRadio},
    {"pmi10", "10%", MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi20", "20%", MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi30", "30%", MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi40", "40%", MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi50", "50%", MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi60", "60%", MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi70", "70%", MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi80", "80%", MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi90", "90%", MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmiOnTop", "Always OnTop", MenuItemKind::Check, "Options1", 0, true, false, AutoCheck::Toggle},
    {"pmiStartUp", "Start Frostmote when I start Windows", MenuItemKind::Check, "Options1", 0, true, false,
     AutoCheck::Toggle},
    {"N2", "-", MenuItemKind::Separator, "", 0, false, false, AutoCheck::None},
}};
// pmiExit follows N2; kept apart so the array above stays the data table's body.
inline constexpr MenuItemDesign kExitItem{"pmiExit", "Exit", MenuItemKind::Command, "", 0, false, false,
                                        AutoCheck::None};

// A live item: the design entry plus its current caption and mark.
struct MenuItem {
  MenuItemDesign design;
  std::string caption;
  bool checked = false;
};

class MenuModel {
 public:
  MenuModel();

  const std::vector<MenuItem>& Items() const { return items_; }
  const MenuItem* Find(std::string_view name) const;
  bool Checked(std::string_view name) const;
  // Sets one item's mark; checking a radio item unchecks the rest of its group.
  void SetChecked(std::string_view name, bool checked);
  void SetCaption(std::string_view name, std::string caption);
  // Applies the item's own mark change for a choice (before its command runs).
  // Returns false for an unknown, separator or submenu item.
  bool ApplyChoice(std::string_view name);

 private:
  MenuItem* FindMutable(std::string_view name);
  std::vector<MenuItem> items_;
};

// The menu as the backends show it: every item in display order with its
// live caption and mark.
PopupMenu ToPopupMenu(const MenuModel& menu);

}  // namespace gd
