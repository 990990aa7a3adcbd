#include "settings/menu_text.h"

#include <string_view>

namespace gd {
namespace {

void AppendItems(const MenuModel& menu, std::string_view parent, int depth, std::string* out) {
  for (const MenuItem& item : menu.Items()) {
    if (item.design.parent != parent) continue;
    out->append(static_cast<size_t>(depth) * 2, ' ');
    if (item.checked && item.design.kind == MenuItemKind::Radio) out->append("(*) ");
    if (item.checked && item.design.kind == MenuItemKind::Check) out->append("[x] ");
    out->append(item.caption);
    if (item.design.isDefault) out->append(" (default)");
    out->push_back('\n');
    if (item.design.kind == MenuItemKind::Submenu) AppendItems(menu, item.design.name, depth + 1, out);
  }
}

}  // namespace

std::string MenuAsText(const MenuModel& menu) {
  std::string out;
  AppendItems(menu, "", 0, &out);
  return out;
}

}  // namespace gd
