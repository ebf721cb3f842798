#pragma once
// Loading the settings at start-up and saving them on request.
#include "platform/port.h"
#include "state/settings.h"

namespace wexla {

// Reads wexla.ini from the current folder. A missing file gives the start values; so does an
// unreadable one, which is reported to the user and never touched.
Settings loadSettings(Files& files, Messages& messages);

enum class SaveOutcome { Saved, NothingToSave, Failed };

// Writes the settings into the program's folder when they are unsaved; otherwise tells the
// user there was nothing to save. The old file is replaced only by a complete new one.
SaveOutcome saveSettings(Files& files, Messages& messages, EditedSettings& settings);

inline constexpr const char* kNoChangesText = "No changes were made";
inline constexpr const char* kUnreadableSettingsText =
    "The settings file wexla.ini could not be read. Wexla 98 starts with the default settings; "
    "the file is left as it is.";
inline constexpr const char* kSaveFailedText = "The settings could not be saved to ";
// Written first and renamed over the settings file, so a failure never leaves half a file.
inline constexpr const char* kSettingsTempName = "wexla.ini.new";

} // namespace wexla
