#pragma once
// Add, modify and delete the one notification icon through the shared record.
#include "platform/port.h"
#include "state/icon_declare.h"

namespace wexla {

// Identity and callback of the notification icon.
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr std::uint32_t kTrayCallbackMessage = 0x200; // mouse-move, see the dispatcher

// The record names the callback window, which the window role knows, and goes to the shell.
bool addTrayIcon(ShellPort& shell, WindowPort& windows, IconDeclare& state, IconHandle icon);
bool modifyTrayIcon(ShellPort& shell, WindowPort& windows, IconDeclare& state, IconHandle icon);
bool deleteTrayIcon(ShellPort& shell, WindowPort& windows, IconDeclare& state);

} // namespace wexla
