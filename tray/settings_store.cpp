#include "tray/settings_store.h"

#include "platform/message_box_style.h"
#include "tray/app_title.h"
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

void reportSaveFailure(Port& port, IconDeclare& state, const std::string& directory) {
  std::string text = kSaveFailedText;
  text += directory;
  if (!directory.empty() && directory.back() != '\\') {
    text += '\\';
  }
  text += kSettingsFileName;
  text += '.';
  state.Answer =
      static_cast<std::int16_t>(port.messageBox(text, kAppTitle, kMbOk | kMbIconExclamation));
}

} // namespace

LoadOutcome loadSettings(Port& port, IconDeclare& state) {
  state.IconPath.clear();
  state.SettingsChanged = kFalse;
  state.DoubleClickOnly = kFalse;
  state.IniName = upperCased(port.findOrdinaryFile(kSettingsFileName));
  if (state.IniName != upperCased(kSettingsFileName)) {
    return LoadOutcome::NotFound;
  }
  const std::optional<std::string> bytes = port.readFile(kSettingsFileName, kMaxSettingsFileBytes);
  const std::optional<StoredSettings> stored =
      bytes ? parseSettingsFile(*bytes) : std::optional<StoredSettings>{};
  if (!stored) {
    state.Answer = static_cast<std::int16_t>(
        port.messageBox(kUnreadableSettingsText, kAppTitle, kMbOk | kMbIconExclamation));
    return LoadOutcome::Unreadable;
  }
  state.IconPath = stored->iconPath;
  state.DoubleClickOnly = stored->doubleClickOnly;
  return LoadOutcome::Read;
}

SaveOutcome saveSettings(Port& port, IconDeclare& state) {
  if (state.SettingsChanged == kFalse) {
    state.Answer = static_cast<std::int16_t>(
        port.messageBox(kNoChangesText, kAppTitle, kMbOk | kMbIconInformation));
    return SaveOutcome::NothingToSave;
  }
  const std::string directory = port.applicationDirectory();
  // The bare file names below resolve in the application directory only after this succeeds.
  if (!port.setCurrentDirectory(directory)) {
    reportSaveFailure(port, state, directory);
    return SaveOutcome::Failed;
  }
  const std::string line = formatSettingsLine(state.IconPath, state.DoubleClickOnly);
  if (!port.writeNewFile(kSettingsTempName, line) ||
      !port.replaceFile(kSettingsTempName, kSettingsFileName)) {
    port.deleteFile(kSettingsTempName);
    reportSaveFailure(port, state, directory);
    return SaveOutcome::Failed;
  }
  state.SettingsChanged = kFalse;
  return SaveOutcome::Saved;
}

} // namespace wexla
