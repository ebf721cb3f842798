#pragma once
// The pop-up menu as data: level 1 items belong to the menu, level 2 to the sub-menu opened
// by the level 1 item that precedes them.
#include "platform/menu_command.h"

#include <span>

namespace wexla {

struct MenuItemLayout {
  const char* name;
  const char* caption; // nullptr for a separator
  int level;
  MenuCommand command = MenuCommand::None; // none for separators and sub-menu openers
};

std::span<const MenuItemLayout> popupMenuLayout();

} // namespace wexla
