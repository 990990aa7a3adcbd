#include "platform/win32/popup_menu.h"

#include <string>

#include "platform/win32/text.h"

namespace gd::win32 {
namespace {

HMENU BuildLevel(const PopupMenu& items, std::string_view parent) {
  HMENU menu = CreatePopupMenu();
  UINT position = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const PopupMenuItem& item = items[i];
    if (item.parent != parent) continue;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    std::wstring text;
    if (item.kind == PopupMenuItem::Kind::Separator) {
      info.fMask = MIIM_FTYPE;
      info.fType = MFT_SEPARATOR;
    } else {
      text = MenuCaption(item.caption);
      info.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_STATE;
      info.wID = static_cast<UINT>(i + 1);
      info.dwTypeData = text.data();
      info.fType = item.kind == PopupMenuItem::Kind::Radio ? MFT_RADIOCHECK : MFT_STRING;
      info.fState = item.checked ? MFS_CHECKED : MFS_UNCHECKED;
      if (item.kind == PopupMenuItem::Kind::Submenu) {
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = BuildLevel(items, item.name);
      }
    }
    InsertMenuItemW(menu, position++, TRUE, &info);
    if (item.isDefault) SetMenuDefaultItem(menu, info.wID, FALSE);
  }
  return menu;
}

}  // namespace

HMENU BuildPopupMenu(const PopupMenu& items) { return BuildLevel(items, ""); }

std::string_view MenuItemName(const PopupMenu& items, UINT commandId) {
  if (commandId == 0 || commandId > items.size()) return {};
  return items[commandId - 1].name;
}

}  // namespace gd::win32
