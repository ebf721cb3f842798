#pragma once
#include "win32/handles.h"

namespace wexla {

// The pop-up menu of kPopupMenu, each item's id its MenuCommand; empty when the system has no
// room for it.
OwnedMenu buildPopupMenu();

} // namespace wexla
