#pragma once
// The pop-up menu's commands; the menu's layout names them, the tray program carries them out.

namespace wexla {

enum class MenuCommand : int {
  None = 0, // the menu closed without a choice
  MouseConfiguration = 100,
  ChangeIcon,
  RestoreDefaultIcon,
  SaveSettings,
  Help,
  About,
  Quit,
};

} // namespace wexla
