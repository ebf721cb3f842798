#include "resources/menu_layout.h"

#include <array>

namespace wexla {
namespace {

constexpr std::array kPopupMenu{
    MenuItemLayout{"mnuMouse", "Mouse configuration", 1, MenuCommand::Mouse},
    MenuItemLayout{"mnuSep", nullptr, 1, MenuCommand::None},
    MenuItemLayout{"mnuIcon", "Icon", 1, MenuCommand::None},
    MenuItemLayout{"mnuFileOpen", "Change icon", 2, MenuCommand::FileOpen},
    MenuItemLayout{"mnuDefaultIcon", "Restore default icon", 2, MenuCommand::DefaultIcon},
    MenuItemLayout{"mnuSep2", nullptr, 1, MenuCommand::None},
    MenuItemLayout{"mnuSaveSettings", "Save settings", 1, MenuCommand::SaveSettings},
    MenuItemLayout{"mnuHelp", "Help", 1, MenuCommand::Help},
    MenuItemLayout{"mnuAbout", "About", 1, MenuCommand::About},
    MenuItemLayout{"mnuSep3", nullptr, 1, MenuCommand::None},
    MenuItemLayout{"mnuQuit", "Quit", 1, MenuCommand::Quit},
};

} // namespace

std::span<const MenuItemLayout> popupMenuLayout() {
  return kPopupMenu;
}

} // namespace wexla
