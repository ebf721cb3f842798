#include "tray/settings_store.h"

#include "platform/message_box_style.h"
#include "state/app_title.h"
#include "tray/settings_file.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace wexla {
namespace {

std::string upperCased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

void reportSaveFailure(DialogPort& dialogs, IconDeclare& state, const std::string& directory) {
  std::string text = kSaveFailedText;
  text += directory;
  if (!directory.empty() && directory.back() != '\\') {
    text += '\\';
  }
  text += kSettingsFileName;
  text += '.';
  state.Answer =
      static_cast<std::int16_t>(dialogs.messageBox(text, kAppTitle, kMbOk | kMbIconExclamation));
}

} // namespace

LoadOutcome loadSettings(FilePort& files, DialogPort& dialogs, IconDeclare& state) {
  state.IconPath.clear();
  state.SettingsChanged = kFalse;
  state.DoubleClickOnly = kFalse;
  state.IniName = upperCased(files.findOrdinaryFile(kSettingsFileName));
  if (state.IniName != upperCased(kSettingsFileName)) {
    return LoadOutcome::NotFound;
  }
  const std::optional<std::string> bytes = files.readFile(kSettingsFileName, kMaxSettingsFileBytes);
  const std::optional<StoredSettings> stored =
      bytes ? parseSettingsFile(*bytes) : std::optional<StoredSettings>{};
  if (!stored) {
    state.Answer = static_cast<std::int16_t>(
        dialogs.messageBox(kUnreadableSettingsText, kAppTitle, kMbOk | kMbIconExclamation));
    return LoadOutcome::Unreadable;
  }
  state.IconPath = stored->iconPath;
  state.DoubleClickOnly = stored->doubleClickOnly;
  return LoadOutcome::Read;
}

SaveOutcome saveSettings(FilePort& files, DialogPort& dialogs, IconDeclare& state) {
  if (state.SettingsChanged == kFalse) {
    state.Answer = static_cast<std::int16_t>(
        dialogs.messageBox(kNoChangesText, kAppTitle, kMbOk | kMbIconInformation));
    return SaveOutcome::NothingToSave;
  }
  const std::string directory = files.applicationDirectory();
  // The bare file names below resolve in the application directory only after this succeeds.
  if (!files.setCurrentDirectory(directory)) {
    reportSaveFailure(dialogs, state, directory);
    return SaveOutcome::Failed;
  }
  const std::string line = formatSettingsLine(state.IconPath, state.DoubleClickOnly);
  if (!files.writeNewFile(kSettingsTempName, line) ||
      !files.replaceFile(kSettingsTempName, kSettingsFileName)) {
    files.deleteFile(kSettingsTempName);
    reportSaveFailure(dialogs, state, directory);
    return SaveOutcome::Failed;
  }
  state.SettingsChanged = kFalse;
  return SaveOutcome::Saved;
}

} // namespace wexla
