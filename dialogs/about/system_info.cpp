#include "dialogs/about/system_info.h"

namespace wexla {

void startSystemInformation(const SystemInfoPlatform& platform) {
  // The first entry is used exactly as read; when it is there, the second is not tried.
  std::optional<Text> program =
      platform.registry.readRegistryText(RegistryRoot::LocalMachine, kMsInfoKey, kMsInfoValue);
  if (!program) {
    const std::optional<Text> folder = platform.registry.readRegistryText(
        RegistryRoot::LocalMachine, kToolsLocationKey, kToolsLocationValue);
    // An empty folder is no location: the search would look in the current drive's root.
    if (folder && !folder->empty()) {
      const Text candidate = *folder + kMsInfoProgram;
      if (!platform.files.findOrdinaryFile(candidate).empty()) {
        program = candidate;
      }
    }
  }
  if (program && !program->empty() && platform.shell.startProgram(*program)) {
    return;
  }
  platform.messages.tell(kSysInfoUnavailableText, Notice::Plain);
}

} // namespace wexla
