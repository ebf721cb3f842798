#pragma once
// Loading the settings at start-up and saving them on request.
#include "platform/port.h"
#include "state/icon_declare.h"

namespace wexla {

enum class LoadOutcome { NotFound, Read, Unreadable };

// Resets the settings to their start values, then reads wexla.ini from the current directory.
// An unreadable file keeps the start values and is reported to the user; it is never touched.
LoadOutcome loadSettings(FilePort& files, DialogPort& dialogs, IconDeclare& state);

enum class SaveOutcome { Saved, NothingToSave, Failed };

// Writes the settings into the application directory when they changed; otherwise tells the
// user there was nothing to save. The old file is replaced only by a complete new one.
SaveOutcome saveSettings(FilePort& files, DialogPort& dialogs, IconDeclare& state);

inline constexpr const char* kNoChangesText = "No changes were made";
inline constexpr const char* kUnreadableSettingsText =
    "The settings file wexla.ini could not be read. Wexla 98 starts with the default settings; "
    "the file is left as it is.";
inline constexpr const char* kSaveFailedText = "The settings could not be saved to ";
// Written first and renamed over the settings file, so a failure never leaves half a file.
inline constexpr const char* kSettingsTempName = "wexla.ini.new";

} // namespace wexla
