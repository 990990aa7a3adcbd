// The popup menu as data: the items in display order, their captions, kinds,
// radio groups and live check marks. The check marks are the live settings.
// Backends only show this model and report which item was chosen; the rules
// for check marks and the commands live in the core.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/translation.h"
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

// The menu tree in display order. The captions are English; the menu shows
// them in the user's language (MenuModel::TranslateCaptions).
inline constexpr std::array<MenuItemDesign, 37> kMenuItems{{
    {"pmiAbout", N_("More Christmas stuff..."), MenuItemKind::Command, "", 0, false, true, AutoCheck::None},
    {"N1", "-", MenuItemKind::Separator, "", 0, false, false, AutoCheck::None},
    {"Speedofanimation1", N_("Speed of animation"), MenuItemKind::Submenu, "", 0, false, false, AutoCheck::None},
    {"pmiSlow", N_("Slow"), MenuItemKind::Radio, "Speedofanimation1", 2, false, false, AutoCheck::None},
    {"pmiNormal", N_("Normal"), MenuItemKind::Radio, "Speedofanimation1", 2, false, false, AutoCheck::None},
    {"pmiFast", N_("Fast"), MenuItemKind::Radio, "Speedofanimation1", 2, true, false, AutoCheck::None},
    {"pmiQuickly", N_("Quickly"), MenuItemKind::Radio, "Speedofanimation1", 2, false, false, AutoCheck::None},
    {"Size1", N_("Size"), MenuItemKind::Submenu, "", 0, false, false, AutoCheck::None},
    {"pmiSizeAuto", N_("Automatic"), MenuItemKind::Radio, "Size1", 4, true, false, AutoCheck::None},
    {"pmiSize100", N_("100%"), MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize125", N_("125%"), MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize150", N_("150%"), MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize175", N_("175%"), MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize200", N_("200%"), MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize250", N_("250%"), MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"pmiSize300", N_("300%"), MenuItemKind::Radio, "Size1", 4, false, false, AutoCheck::None},
    {"Countdown1", N_("Countdown"), MenuItemKind::Submenu, "", 0, false, false, AutoCheck::None},
    {"pmiChristmas", N_("Christmas"), MenuItemKind::Radio, "Countdown1", 3, true, false, AutoCheck::None},
    {"pmiChristmasEve", N_("Christmas Eve"), MenuItemKind::Radio, "Countdown1", 3, false, false, AutoCheck::None},
    {"pmiNewYear", N_("New Year"), MenuItemKind::Radio, "Countdown1", 3, false, false, AutoCheck::None},
    {"pmiJulian", N_("Julian"), MenuItemKind::Radio, "Countdown1", 3, false, false, AutoCheck::None},
    {"Options1", N_("Options"), MenuItemKind::Submenu, "", 0, false, false, AutoCheck::None},
    {"pmiSnow", N_("Snow (for slow PC)"), MenuItemKind::Check, "Options1", 0, true, false, AutoCheck::Toggle},
    {"ransparent1", N_("Transparent"), MenuItemKind::Submenu, "Options1", 0, false, false, AutoCheck::None},
    {"pmi0", N_("0%"), MenuItemKind::Radio, "ransparent1", 1, true, false, AutoCheck::ToggleRadio},
    {"pmi10", N_("10%"), MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi20", N_("20%"), MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi30", N_("30%"), MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi40", N_("40%"), MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi50", N_("50%"), MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi60", N_("60%"), MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi70", N_("70%"), MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi80", N_("80%"), MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmi90", N_("90%"), MenuItemKind::Radio, "ransparent1", 1, false, false, AutoCheck::ToggleRadio},
    {"pmiOnTop", N_("Always OnTop"), MenuItemKind::Check, "Options1", 0, true, false, AutoCheck::Toggle},
    {"pmiStartUp", N_("Start Glimmerdome when I start Windows"), MenuItemKind::Check, "Options1", 0, true, false,
     AutoCheck::Toggle},
    {"N2", "-", MenuItemKind::Separator, "", 0, false, false, AutoCheck::None},
}};
// pmiExit follows N2; kept apart so the array above stays the data table's body.
inline constexpr MenuItemDesign kExitItem{"pmiExit", N_("Exit"), MenuItemKind::Command, "", 0, false, false,
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

  // Sets every caption to the design caption in the language in use.
  void TranslateCaptions();

  const std::vector<MenuItem>& Items() const { return items_; }
  const MenuItem* Find(std::string_view name) const;
  bool Checked(std::string_view name) const;
  // Changes whenever a check mark may have changed: what was worked out from
  // the marks stands while this stays the same.
  uint32_t CheckMarksVersion() const { return checkMarksVersion_; }
  // Sets one item's mark; checking a radio item unchecks the rest of its group.
  void SetChecked(std::string_view name, bool checked);
  void SetCaption(std::string_view name, std::string caption);
  // Applies the item's own mark change for a choice (before its command runs).
  // Returns false for an unknown, separator or submenu item.
  bool ApplyChoice(std::string_view name);

 private:
  MenuItem* FindMutable(std::string_view name);
  std::vector<MenuItem> items_;
  uint32_t checkMarksVersion_ = 0;
};

// The menu as the backends show it: every item in display order with its
// live caption and mark.
PopupMenu ToPopupMenu(const MenuModel& menu);

}  // namespace gd
