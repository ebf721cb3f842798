#include "win32/popup_menu.h"

#include "resources/popup_menu.h"

#include <limits>

namespace wexla {

// Menu item ids are 16-bit numbers in the oldest menu records.
static_assert(static_cast<int>(MenuCommand::Quit) <= std::numeric_limits<WORD>::max());
static_assert(static_cast<int>(MenuCommand::None) == 0,
              "TrackPopupMenu reports a menu closed without a choice as 0");

OwnedMenu buildPopupMenu() {
  OwnedMenu menu(CreatePopupMenu());
  // The open sub-menu: owned here until the menu holds it, then only addressed.
  HMENU submenu = nullptr;
  for (const MenuItem& item : kPopupMenu) {
    const bool nested = item.level > 1;
    HMENU target = nested ? submenu : menu.get();
    if (target == nullptr) {
      return {};
    }
    bool appended = false;
    if (item.caption == nullptr) {
      appended = AppendMenuA(target, MF_SEPARATOR, 0, nullptr) != FALSE;
    } else if (!nested && item.command == MenuCommand::None) {
      // A level-1 item without a command opens the sub-menu of the items that follow it.
      OwnedMenu opened(CreatePopupMenu());
      appended = opened && AppendMenuA(target, MF_POPUP | MF_STRING,
                                       reinterpret_cast<UINT_PTR>(opened.get()), item.caption);
      submenu = appended ? opened.release() : nullptr;
    } else {
      appended = AppendMenuA(target, MF_STRING, static_cast<UINT_PTR>(item.command),
                             item.caption) != FALSE;
    }
    if (!appended) {
      return {};
    }
  }
  return menu;
}

} // namespace wexla
