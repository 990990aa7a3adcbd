// The popup menu as text, as the user sees it: one item a line in display
// order, the items of a submenu under it indented by two more spaces, "[x] "
// before a checked item, "(*) " before the chosen item of a radio group, " (default)"
// after the default item, and "-" for a separator. Every line ends in "\n".
// The translations and the tests read this form, so it stays as it is.
#pragma once

#include <string>

#include "settings/choices.h"
#include "settings/menu.h"

namespace gd {

// The marks are those `choices` give.
std::string MenuAsText(const MenuModel& menu, const Choices& choices);

}  // namespace gd
