#pragma once
// How the shell reports the user's mouse actions on the notification icon: the callback
// message names the icon and carries the mouse message that happened on it. The numbers are
// the system's own mouse messages; the Win32 side checks them against its headers.
namespace wexla {

inline constexpr unsigned kTrayIconId = 1;
// The callback arrives as a mouse move on the tray callback window.
inline constexpr unsigned kTrayCallbackMessage = 0x0200;

enum class TrayMouseMessage : unsigned {
  LeftButtonUp = 0x0202,
  LeftButtonDoubleClick = 0x0203,
  RightButtonUp = 0x0205,
};

} // namespace wexla
