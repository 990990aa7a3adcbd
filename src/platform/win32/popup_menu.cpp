#include "platform/win32/popup_menu.h"

#include <string>

#include "platform/win32/text.h"

namespace gd::win32 {
namespace {

HMENU BuildLevel(const MenuModel& model, std::string_view parent) {
  HMENU menu = CreatePopupMenu();
  const std::vector<MenuItem>& items = model.Items();
  UINT position = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const MenuItem& item = items[i];
    if (item.design.parent != parent) continue;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    std::wstring text;
    if (item.design.kind == MenuItemKind::Separator) {
      info.fMask = MIIM_FTYPE;
      info.fType = MFT_SEPARATOR;
    } else {
      text = MenuCaption(item.caption);
      info.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_STATE;
      info.wID = static_cast<UINT>(i + 1);
      info.dwTypeData = text.data();
      info.fType = item.design.kind == MenuItemKind::Radio ? MFT_RADIOCHECK : MFT_STRING;
      info.fState = item.checked ? MFS_CHECKED : MFS_UNCHECKED;
      if (item.design.kind == MenuItemKind::Submenu) {
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = BuildLevel(model, item.design.name);
      }
    }
    InsertMenuItemW(menu, position++, TRUE, &info);
    if (item.design.isDefault) SetMenuDefaultItem(menu, info.wID, FALSE);
  }
  return menu;
}

}  // namespace

HMENU BuildPopupMenu(const MenuModel& model) { return BuildLevel(model, ""); }

std::string_view MenuItemName(const MenuModel& model, UINT commandId) {
  const std::vector<MenuItem>& items = model.Items();
  if (commandId == 0 || commandId > items.size()) return {};
  return items[commandId - 1].design.name;
}

}  // namespace gd::win32
