#include "settings/menu.h"

namespace gd {

MenuModel::MenuModel() {
  items_.reserve(kMenuItems.size() + 1);
  for (const MenuItemDesign& design : kMenuItems) items_.push_back({design, std::string(design.caption), design.checked});
  items_.push_back({kExitItem, std::string(kExitItem.caption), false});
}

void MenuModel::TranslateCaptions() {
  for (MenuItem& item : items_)
    if (item.design.kind != MenuItemKind::Separator) item.caption = Tr(item.design.caption);
}

const MenuItem* MenuModel::Find(std::string_view name) const {
  for (const MenuItem& item : items_)
    if (item.design.name == name) return &item;
  return nullptr;
}

MenuItem* MenuModel::FindMutable(std::string_view name) {
  return const_cast<MenuItem*>(static_cast<const MenuModel*>(this)->Find(name));
}

bool MenuModel::Checked(std::string_view name) const {
  const MenuItem* item = Find(name);
  return item && item->checked;
}

void MenuModel::SetChecked(std::string_view name, bool checked) {
  MenuItem* item = FindMutable(name);
  if (!item) return;
  ++checkMarksVersion_;
  if (checked && item->design.group != 0)
    for (MenuItem& other : items_)
      if (other.design.group == item->design.group) other.checked = false;
  item->checked = checked;
}

void MenuModel::SetCaption(std::string_view name, std::string caption) {
  if (MenuItem* item = FindMutable(name)) item->caption = std::move(caption);
}

bool MenuModel::ApplyChoice(std::string_view name) {
  MenuItem* item = FindMutable(name);
  if (!item || item->design.kind == MenuItemKind::Separator || item->design.kind == MenuItemKind::Submenu) return false;
  ++checkMarksVersion_;
  switch (item->design.autoCheck) {
    case AutoCheck::None:
      break;
    case AutoCheck::Toggle:
      item->checked = !item->checked;
      break;
    case AutoCheck::ToggleRadio:
      SetChecked(name, !item->checked);
      break;
  }
  return true;
}

PopupMenu ToPopupMenu(const MenuModel& menu) {
  PopupMenu items;
  items.reserve(menu.Items().size());
  for (const MenuItem& item : menu.Items()) {
    PopupMenuItem::Kind kind = PopupMenuItem::Kind::Command;
    switch (item.design.kind) {
      case MenuItemKind::Command: kind = PopupMenuItem::Kind::Command; break;
      case MenuItemKind::Separator: kind = PopupMenuItem::Kind::Separator; break;
      case MenuItemKind::Submenu: kind = PopupMenuItem::Kind::Submenu; break;
      case MenuItemKind::Radio: kind = PopupMenuItem::Kind::Radio; break;
      case MenuItemKind::Check: kind = PopupMenuItem::Kind::Check; break;
    }
    items.push_back({std::string(item.design.name), item.caption, kind, std::string(item.design.parent), item.checked,
                     item.design.isDefault});
  }
  return items;
}

}  // namespace gd
