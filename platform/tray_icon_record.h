#pragma once
// The shell's version-1 ANSI notification record, field for field. Handles are pointer-sized,
// so on a 32-bit target this is the classic 88-byte layout and on x86_64 the platform's own.
#include "platform/handles.h"

#include <cstddef>
#include <cstdint>

namespace wexla {

inline constexpr std::size_t kTipFieldLength = 64;

struct TrayIconRecord {
  std::uint32_t cbSize;
  WindowHandle hWnd;
  std::uint32_t uID;
  std::uint32_t uFlags;
  std::uint32_t uCallbackMessage;
  IconHandle hIcon;
  char szTip[kTipFieldLength];
};

// Shell_NotifyIcon messages and flags, as the shell defines them.
enum class TrayMessage : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };
inline constexpr std::uint32_t kTrayFlagMessage = 1;
inline constexpr std::uint32_t kTrayFlagIcon = 2;
inline constexpr std::uint32_t kTrayFlagTip = 4;

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(TrayIconRecord) == 88, "32-bit tray record must be 88 bytes");
static_assert(offsetof(TrayIconRecord, hWnd) == 4);
static_assert(offsetof(TrayIconRecord, uID) == 8);
static_assert(offsetof(TrayIconRecord, uFlags) == 12);
static_assert(offsetof(TrayIconRecord, uCallbackMessage) == 16);
static_assert(offsetof(TrayIconRecord, hIcon) == 20);
static_assert(offsetof(TrayIconRecord, szTip) == 24);
#endif

} // namespace wexla
