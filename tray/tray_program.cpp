#include "tray/tray_program.h"

#include "platform/tray_messages.h"
#include "resources/popup_menu.h"
#include "tray/settings_store.h"

namespace wexla {
namespace {

// Set while a tray message is handled. The pop-up menu and the message boxes run message loops
// of their own, in which further clicks on the icon arrive: those are ignored. Cleared on every
// way out.
class TrayMessageScope {
public:
  explicit TrayMessageScope(bool& flag) : flag_(flag) { flag_ = true; }
  TrayMessageScope(const TrayMessageScope&) = delete;
  TrayMessageScope& operator=(const TrayMessageScope&) = delete;
  ~TrayMessageScope() { flag_ = false; }

private:
  bool& flag_;
};

} // namespace

TrayProgram::TrayProgram(const TrayPlatform& platform, EditedSettings& settings,
                         const DialogTable& dialogs)
    : platform_(platform), settings_(settings), dialogs_(dialogs) {}

const Icon& TrayProgram::shownIcon() const {
  return chosenIcon_ != nullptr ? *chosenIcon_ : platform_.pictures.builtinIcon();
}

void TrayProgram::start() {
  running_ = true;
  settings_ = {loadSettings(platform_.files, platform_.messages), false};
  const Text& path = settings_.values.iconPath;
  // An empty path (the start value) means no icon was ever chosen: nothing to look for.
  if (!path.empty() && path != kBuiltinIconPath &&
      !platform_.files.findOrdinaryFile(path).empty()) {
    chosenIcon_ = platform_.pictures.loadIcon(path);
  }
  platform_.notificationArea.addIcon(shownIcon());
}

void TrayProgram::onTrayMessage(unsigned mouseMessage) {
  if (handlingTrayMessage_) {
    return;
  }
  const TrayMessageScope scope(handlingTrayMessage_);
  switch (static_cast<TrayMouseMessage>(mouseMessage)) {
  case TrayMouseMessage::LeftButtonUp:
    if (!settings_.values.doubleClickOnly) {
      platform_.shell.openMail();
    }
    break;
  case TrayMouseMessage::LeftButtonDoubleClick:
    if (settings_.values.doubleClickOnly) {
      platform_.shell.openMail();
    }
    break;
  case TrayMouseMessage::RightButtonUp:
    runMenuCommand(platform_.choices.choosePopupMenuCommand());
    break;
  }
}

void TrayProgram::onShellRestarted() {
  if (running_) {
    platform_.notificationArea.addIcon(shownIcon());
  }
}

void TrayProgram::close() {
  if (!running_) {
    return;
  }
  running_ = false;
  platform_.notificationArea.removeIcon();
  platform_.windowControl.closeMainWindow();
}

void TrayProgram::runMenuCommand(MenuCommand command) {
  // The commands that open a window say so in the menu's rows.
  for (const MenuItem& item : kPopupMenu) {
    if (item.command == command && item.opens != kNoWindow) {
      dialogs_[windowIndex(item.opens)]->open();
      return;
    }
  }
  switch (command) {
  case MenuCommand::ChangeIcon:
    changeIcon();
    break;
  case MenuCommand::RestoreDefaultIcon:
    restoreDefaultIcon();
    break;
  case MenuCommand::SaveSettings:
    saveSettings(platform_.files, platform_.messages, settings_);
    break;
  case MenuCommand::Help:
    openHelp();
    break;
  case MenuCommand::Quit:
    quit();
    break;
  default: // None, or a command that opened its window above
    break;
  }
}

// Both icon commands change the settings in memory and the notification icon; the disk is
// only touched by Save settings.
void TrayProgram::changeIcon() {
  const Text chosen = platform_.choices.chooseIconFile(platform_.files.programFolder());
  if (chosen.empty()) {
    return;
  }
  std::unique_ptr<Icon> picture = platform_.pictures.loadIcon(chosen);
  if (picture == nullptr) {
    // A setting that names an unloadable file would only fail again at the next start.
    platform_.messages.tell(kIconLoadFailedText + chosen, Notice::Warning);
    return;
  }
  settings_.values.iconPath = chosen;
  settings_.unsaved = true;
  platform_.notificationArea.changeIcon(*picture);
  // The previous picture goes only now that the shell has taken its own copy of the new one.
  chosenIcon_ = std::move(picture);
}

void TrayProgram::restoreDefaultIcon() {
  if (settings_.values.iconPath == kBuiltinIconPath) {
    return;
  }
  settings_.values.iconPath = kBuiltinIconPath;
  settings_.unsaved = true;
  platform_.notificationArea.changeIcon(platform_.pictures.builtinIcon());
  // Released only now that the shell shows the built-in icon instead.
  chosenIcon_.reset();
}

void TrayProgram::openHelp() {
  // Windows without a viewer for the help file still have a browser for the page; whatever
  // the shell reports for the page is all the user needs to see.
  if (!platform_.shell.openDocument(kHelpFileName)) {
    static_cast<void>(platform_.shell.openDocument(kHelpPageName));
  }
}

void TrayProgram::quit() {
  if (settings_.unsaved) {
    // Changes are dropped only on an explicit No: a failed save, or a question the user never
    // saw, keeps the program running with the changes still in memory.
    switch (platform_.messages.ask(kSaveQuestion)) {
    case Answer::Yes:
      if (saveSettings(platform_.files, platform_.messages, settings_) == SaveOutcome::Failed) {
        return;
      }
      break;
    case Answer::No:
      break;
    case Answer::None:
      return;
    }
  }
  close();
}

} // namespace wexla
