#pragma once
// Add, modify and delete the one notification icon through the shared record.
#include "platform/port.h"
#include "tray/icon_declare.h"

namespace wexla {

// Identity and callback of the notification icon.
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr std::uint32_t kTrayCallbackMessage = 0x200; // mouse-move, see the dispatcher

bool addTrayIcon(Port& port, IconDeclare& state, IconHandle icon);
bool modifyTrayIcon(Port& port, IconDeclare& state, IconHandle icon);
bool deleteTrayIcon(Port& port, IconDeclare& state);

} // namespace wexla
