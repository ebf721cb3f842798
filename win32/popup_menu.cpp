#include "win32/popup_menu.h"

namespace wexla {

HMENU buildPopupMenu(std::span<const MenuItemLayout> items) {
  HMENU menu = CreatePopupMenu();
  HMENU submenu = nullptr;
  for (const MenuItemLayout& item : items) {
    const bool nested = item.level > 1;
    HMENU target = nested ? submenu : menu;
    if (menu == nullptr || target == nullptr) {
      break;
    }
    if (item.caption == nullptr) {
      AppendMenuA(target, MF_SEPARATOR, 0, nullptr);
    } else if (!nested && item.command == MenuCommand::None) {
      // A level-1 item without a command opens the sub-menu of the items that follow it.
      submenu = CreatePopupMenu();
      if (submenu == nullptr || !AppendMenuA(menu, MF_POPUP | MF_STRING,
                                             reinterpret_cast<UINT_PTR>(submenu), item.caption)) {
        DestroyMenu(menu);
        return nullptr;
      }
    } else if (!AppendMenuA(target, MF_STRING, static_cast<UINT_PTR>(item.command), item.caption)) {
      DestroyMenu(menu);
      return nullptr;
    }
  }
  return menu;
}

} // namespace wexla
