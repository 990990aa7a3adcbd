#include "settings/menu.h"

#include "settings/choices.h"

namespace gd {

MenuModel::MenuModel() {
  items_.reserve(kMenuItems.size() + 1);
  for (const MenuItemDesign& design : kMenuItems) items_.push_back({design, std::string(design.caption)});
  items_.push_back({kExitItem, std::string(kExitItem.caption)});
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

void MenuModel::SetCaption(std::string_view name, std::string caption) {
  for (MenuItem& item : items_)
    if (item.design.name == name) item.caption = std::move(caption);
}

PopupMenu ToPopupMenu(const MenuModel& menu, const Choices& choices) {
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
    items.push_back({std::string(item.design.name), item.caption, kind, std::string(item.design.parent),
                     ItemChecked(choices, item.design.name), item.design.isDefault});
  }
  return items;
}

}  // namespace gd
