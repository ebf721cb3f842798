#pragma once
// The notification icon's pop-up menu as data. Level 1 items belong to the menu; level 2 items
// to the sub-menu opened by the level 1 item without a command that precedes them.
#include "platform/menu_command.h"
#include "platform/window_ids.h"

#include <array>

namespace wexla {

struct MenuItem {
  const char* caption; // nullptr for a separator
  int level = 1;
  MenuCommand command = MenuCommand::None; // none for separators and sub-menu openers
  WindowId opens = kNoWindow;              // the window the command opens, if it opens one
};

constexpr MenuItem windowRow(const char* caption, WindowId window) {
  return {.caption = caption, .command = openWindowCommand(window), .opens = window};
}

inline constexpr std::array kPopupMenu{
    windowRow("Mouse configuration", WindowId::MouseConfiguration),
    MenuItem{.caption = nullptr},
    MenuItem{.caption = "Icon"},
    MenuItem{.caption = "Change icon", .level = 2, .command = MenuCommand::ChangeIcon},
    MenuItem{
        .caption = "Restore default icon", .level = 2, .command = MenuCommand::RestoreDefaultIcon},
    MenuItem{.caption = nullptr},
    MenuItem{.caption = "Save settings", .command = MenuCommand::SaveSettings},
    MenuItem{.caption = "Help", .command = MenuCommand::Help},
    windowRow("About", WindowId::About),
    MenuItem{.caption = nullptr},
    MenuItem{.caption = "Quit", .command = MenuCommand::Quit},
};

} // namespace wexla
