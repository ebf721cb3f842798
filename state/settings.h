#pragma once
// The user's two settings, as the settings file stores them and the program uses them.
#include "platform/text.h"

namespace wexla {

// The value of iconPath that means "the built-in icon".
inline constexpr const char* kBuiltinIconPath = "0";

struct Settings {
  Text iconPath;                // "" = never chosen, kBuiltinIconPath = the built-in icon
  bool doubleClickOnly = false; // only a double click on the icon opens a new message
  bool operator==(const Settings&) const = default;
};

// The settings in memory, and whether they differ from what was last loaded or saved.
struct EditedSettings {
  Settings values;
  bool unsaved = false;
};

} // namespace wexla
