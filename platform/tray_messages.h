#pragma once
// How the shell reports the user's mouse actions on the notification icon: the callback
// message names the icon and carries the mouse message that happened on it. The numbers are
// the system's own; the Win32 side checks them against its headers.
namespace wexla {

inline constexpr unsigned kTrayIconId = 1;
// WM_APP: the first message number that the system leaves to each program's own use.
inline constexpr unsigned kFirstProgramMessage = 0x8000;
// The program's own message, which the shell sends to the hidden main window.
inline constexpr unsigned kTrayCallbackMessage = kFirstProgramMessage + 1;

enum class TrayMouseMessage : unsigned {
  LeftButtonUp = 0x0202,
  LeftButtonDoubleClick = 0x0203,
  RightButtonUp = 0x0205,
};

} // namespace wexla
