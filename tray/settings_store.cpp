#include "tray/settings_store.h"

#include "tray/settings_file.h"

#include <algorithm>
#include <cctype>

namespace wexla {
namespace {

Text upperCased(Text text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

void reportSaveFailure(Messages& messages, const Text& folder) {
  Text text = kSaveFailedText;
  text += folder;
  if (!folder.empty() && folder.back() != '\\') {
    text += '\\';
  }
  text += kSettingsFileName;
  text += '.';
  messages.tell(text, Notice::Warning);
}

} // namespace

Settings loadSettings(Files& files, Messages& messages) {
  // The search also matches a file whose short 8.3 name is wexla.ini: only the real name counts.
  const Text found = upperCased(files.findOrdinaryFile(kSettingsFileName));
  if (found != upperCased(kSettingsFileName)) {
    return {};
  }
  const std::optional<Text> bytes = files.readFile(kSettingsFileName, kMaxSettingsFileBytes);
  const std::optional<Settings> stored = bytes ? parseSettingsFile(*bytes) : std::nullopt;
  if (!stored) {
    messages.tell(kUnreadableSettingsText, Notice::Warning);
    return {};
  }
  return *stored;
}

SaveOutcome saveSettings(Files& files, Messages& messages, EditedSettings& settings) {
  if (!settings.unsaved) {
    messages.tell(kNoChangesText, Notice::Information);
    return SaveOutcome::NothingToSave;
  }
  const Text folder = files.programFolder();
  // The bare file names below resolve in the program's folder only after this succeeds.
  if (!files.enterFolder(folder)) {
    reportSaveFailure(messages, folder);
    return SaveOutcome::Failed;
  }
  if (!files.writeNewFile(kSettingsTempName, formatSettingsLine(settings.values)) ||
      !files.replaceFile(kSettingsTempName, kSettingsFileName)) {
    files.deleteFile(kSettingsTempName);
    reportSaveFailure(messages, folder);
    return SaveOutcome::Failed;
  }
  settings.unsaved = false;
  return SaveOutcome::Saved;
}

} // namespace wexla
