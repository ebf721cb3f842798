#pragma once
// The pop-up menu's commands; the menu's layout names them, the tray program carries them out.
#include "platform/window_ids.h"

namespace wexla {

enum class MenuCommand : int {
  None = 0, // the menu closed without a choice
  ChangeIcon = 100,
  RestoreDefaultIcon,
  SaveSettings,
  Help,
  Quit,
};

// A row that opens a window carries a command made from the window, so a new window needs no
// command of its own.
inline constexpr int kFirstOpenWindowCommand = 200;
constexpr MenuCommand openWindowCommand(WindowId window) {
  return static_cast<MenuCommand>(kFirstOpenWindowCommand + static_cast<int>(windowIndex(window)));
}

} // namespace wexla
