#pragma once
#include "resources/menu_layout.h"

#include <windows.h>

namespace wexla {

// Builds the pop-up menu from its layout; nullptr when the system has no room for it.
HMENU buildPopupMenu(std::span<const MenuItemLayout> items);

} // namespace wexla
