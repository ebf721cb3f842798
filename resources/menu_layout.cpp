#include "resources/menu_layout.h"

#include <array>

namespace wexla {
namespace {

constexpr std::array kPopupMenu{
    MenuItemLayout{.name = "mnuMouse",
                   .caption = "Mouse configuration",
                   .level = 1,
                   .command = MenuCommand::Mouse},
    MenuItemLayout{.name = "mnuSep", .caption = nullptr, .level = 1},
    MenuItemLayout{.name = "mnuIcon", .caption = "Icon", .level = 1},
    MenuItemLayout{.name = "mnuFileOpen",
                   .caption = "Change icon",
                   .level = 2,
                   .command = MenuCommand::FileOpen},
    MenuItemLayout{.name = "mnuDefaultIcon",
                   .caption = "Restore default icon",
                   .level = 2,
                   .command = MenuCommand::DefaultIcon},
    MenuItemLayout{.name = "mnuSep2", .caption = nullptr, .level = 1},
    MenuItemLayout{.name = "mnuSaveSettings",
                   .caption = "Save settings",
                   .level = 1,
                   .command = MenuCommand::SaveSettings},
    MenuItemLayout{.name = "mnuHelp", .caption = "Help", .level = 1, .command = MenuCommand::Help},
    MenuItemLayout{
        .name = "mnuAbout", .caption = "About", .level = 1, .command = MenuCommand::About},
    MenuItemLayout{.name = "mnuSep3", .caption = nullptr, .level = 1},
    MenuItemLayout{.name = "mnuQuit", .caption = "Quit", .level = 1, .command = MenuCommand::Quit},
};

} // namespace

std::span<const MenuItemLayout> popupMenuLayout() {
  return kPopupMenu;
}

} // namespace wexla
