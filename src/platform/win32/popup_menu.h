// The core's popup menu as a Win32 menu, built afresh each time it opens so
// that it shows the live check marks and captions.
#pragma once

#include <windows.h>

#include <string_view>

#include "platform/platform.h"

namespace gd::win32 {

// A popup menu with its submenus: radio items carry the round mark
// (MFT_RADIOCHECK), the default item is bold. Each item's command id is its
// position in `items` plus one. The caller destroys it with
// DestroyMenu, which also destroys the submenus.
HMENU BuildPopupMenu(const PopupMenu& items);

// The name of the item a command id stands for; empty for an unknown id.
std::string_view MenuItemName(const PopupMenu& items, UINT commandId);

}  // namespace gd::win32
