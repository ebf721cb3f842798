#pragma once
// Identifiers of the pop-up menu's commands; the menu layout data and the dispatcher share them.

namespace wexla {

enum class MenuCommand : int {
  None = 0, // the menu closed without a choice
  Mouse = 100,
  FileOpen,
  DefaultIcon,
  SaveSettings,
  Help,
  About,
  Quit,
};

} // namespace wexla
