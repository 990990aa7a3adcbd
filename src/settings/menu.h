// The popup menu as data: the items in display order, their captions and
// kinds. The check marks are not kept here: they are drawn from the user's
// choices (settings/choices.h) whenever the menu is shown. Backends only show
// the menu and report which item was chosen; what a choice changes and the
// commands live in the core.
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
  Radio,      // one of a group, checked as the choices say
  Check,      // a switch, checked as the choices say
};

struct MenuItemDesign {
  std::string_view name;
  std::string_view caption;
  MenuItemKind kind;
  std::string_view parent;  // empty: top level
  bool isDefault;           // shown bold
};

// The menu tree in display order. The captions are English; the menu shows
// them in the user's language (MenuModel::TranslateCaptions).
inline constexpr std::array<MenuItemDesign, 37> kMenuItems{{
    {"pmiAbout", N_("More Christmas stuff..."), MenuItemKind::Command, "", true},
    {"N1", "-", MenuItemKind::Separator, "", false},
    {"Speedofanimation1", N_("Speed of animation"), MenuItemKind::Submenu, "", false},
    {"pmiSlow", N_("Slow"), MenuItemKind::Radio, "Speedofanimation1", false},
    {"pmiNormal", N_("Normal"), MenuItemKind::Radio, "Speedofanimation1", false},
    {"pmiFast", N_("Fast"), MenuItemKind::Radio, "Speedofanimation1", false},
    {"pmiQuickly", N_("Quickly"), MenuItemKind::Radio, "Speedofanimation1", false},
    {"Size1", N_("Size"), MenuItemKind::Submenu, "", false},
    {"pmiSizeAuto", N_("Automatic"), MenuItemKind::Radio, "Size1", false},
    {"pmiSize100", N_("100%"), MenuItemKind::Radio, "Size1", false},
    {"pmiSize125", N_("125%"), MenuItemKind::Radio, "Size1", false},
    {"pmiSize150", N_("150%"), MenuItemKind::Radio, "Size1", false},
    {"pmiSize175", N_("175%"), MenuItemKind::Radio, "Size1", false},
    {"pmiSize200", N_("200%"), MenuItemKind::Radio, "Size1", false},
    {"pmiSize250", N_("250%"), MenuItemKind::Radio, "Size1", false},
    {"pmiSize300", N_("300%"), MenuItemKind::Radio, "Size1", false},
    {"Countdown1", N_("Countdown"), MenuItemKind::Submenu, "", false},
    {"pmiChristmas", N_("Christmas"), MenuItemKind::Radio, "Countdown1", false},
    {"pmiChristmasEve", N_("Christmas Eve"), MenuItemKind::Radio, "Countdown1", false},
    {"pmiNewYear", N_("New Year"), MenuItemKind::Radio, "Countdown1", false},
    {"pmiJulian", N_("Julian"), MenuItemKind::Radio, "Countdown1", false},
    {"Options1", N_("Options"), MenuItemKind::Submenu, "", false},
    {"pmiSnow", N_("Snow (for slow PC)"), MenuItemKind::Check, "Options1", false},
    {"ransparent1", N_("Transparent"), MenuItemKind::Submenu, "Options1", false},
    {"pmi0", N_("0%"), MenuItemKind::Radio, "ransparent1", false},
    {"pmi10", N_("10%"), MenuItemKind::Radio, "ransparent1", false},
    {"pmi20", N_("20%"), MenuItemKind::Radio, "ransparent1", false},
    {"pmi30", N_("30%"), MenuItemKind::Radio, "ransparent1", false},
    {"pmi40", N_("40%"), MenuItemKind::Radio, "ransparent1", false},
    {"pmi50", N_("50%"), MenuItemKind::Radio, "ransparent1", false},
    {"pmi60", N_("60%"), MenuItemKind::Radio, "ransparent1", false},
    {"pmi70", N_("70%"), MenuItemKind::Radio, "ransparent1", false},
    {"pmi80", N_("80%"), MenuItemKind::Radio, "ransparent1", false},
    {"pmi90", N_("90%"), MenuItemKind::Radio, "ransparent1", false},
    {"pmiOnTop", N_("Always OnTop"), MenuItemKind::Check, "Options1", false},
    {"pmiStartUp", N_("Start Glimmerdome when I start Windows"), MenuItemKind::Check, "Options1", false},
    {"N2", "-", MenuItemKind::Separator, "", false},
}};
// pmiExit follows N2; kept apart so the array above stays the data table's body.
inline constexpr MenuItemDesign kExitItem{"pmiExit", N_("Exit"), MenuItemKind::Command, "", false};

// The design entry of an item, none for an unknown name.
constexpr const MenuItemDesign* FindMenuItemDesign(std::string_view name) {
  for (const MenuItemDesign& design : kMenuItems)
    if (design.name == name) return &design;
  return name == kExitItem.name ? &kExitItem : nullptr;
}

// A live item: the design entry plus its current caption.
struct MenuItem {
  MenuItemDesign design;
  std::string caption;
};

class MenuModel {
 public:
  MenuModel();

  // Sets every caption to the design caption in the language in use.
  void TranslateCaptions();

  const std::vector<MenuItem>& Items() const { return items_; }
  const MenuItem* Find(std::string_view name) const;
  void SetCaption(std::string_view name, std::string caption);

 private:
  std::vector<MenuItem> items_;
};

struct Choices;

// The menu as the backends show it: every item in display order with its
// live caption, and its mark as `choices` say.
PopupMenu ToPopupMenu(const MenuModel& menu, const Choices& choices);

}  // namespace gd
