#pragma once
// The state every window shares: the two user settings, the unsaved-change flag, the last
// message-box answer, and the one notification record.
#include "platform/tray_icon_record.h"
#include "platform/vb_boolean.h"

#include <cstdint>
#include <string>

namespace wexla {

struct IconDeclare {
  std::string IconPath;               // "" = never chosen, "0" = built-in icon
  VbBoolean DoubleClickOnly = kFalse; // True: only a double click opens a message
  VbBoolean SettingsChanged = kFalse; // True while memory differs from the last load/save
  std::int16_t Answer = 0;            // button value of the most recent message box
  std::string IniName;                // upper-cased name found by the start-up search
  TrayIconRecord TrayIconData{};
};

// The value that means "the built-in icon" in IconPath.
inline constexpr const char* kBuiltinIconPath = "0";

} // namespace wexla
