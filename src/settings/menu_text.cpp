#include "settings/menu_text.h"

#include <string_view>

#include "settings/choices.h"

namespace gd {
namespace {

void AppendItems(const MenuModel& menu, const Choices& choices, std::string_view parent, int depth, std::string* out) {
  for (const MenuItem& item : menu.Items()) {
    if (item.design.parent != parent) continue;
    out->append(static_cast<size_t>(depth) * 2, ' ');
    const bool checked = ItemChecked(choices, item.design.name);
    if (checked && item.design.kind == MenuItemKind::Radio) out->append("(*) ");
    if (checked && item.design.kind == MenuItemKind::Check) out->append("[x] ");
    out->append(item.caption);
    if (item.design.isDefault) out->append(" (default)");
    out->push_back('\n');
    if (item.design.kind == MenuItemKind::Submenu) AppendItems(menu, choices, item.design.name, depth + 1, out);
  }
}

}  // namespace

std::string MenuAsText(const MenuModel& menu, const Choices& choices) {
  std::string out;
  AppendItems(menu, choices, "", 0, &out);
  return out;
}

}  // namespace gd
