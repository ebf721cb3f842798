#include "tray/frm_main.h"

#include "dialogs/about/frm_about.h"
#include "dialogs/mouse/frm_mouse.h"
#include "platform/message_box_style.h"
#include "state/app_title.h"
#include "tray/settings_store.h"
#include "tray/tray_icon_ops.h"

namespace wexla {

FrmMain::FrmMain(Port& port, IconDeclare& state, FrmMouse& mouse, FrmAbout& about)
    : port_(port), state_(state), mouse_(mouse), about_(about) {}

FrmMain::~FrmMain() {
  setIcon(kNoIcon);
}

void FrmMain::setIcon(IconHandle icon) {
  // The built-in icon belongs to the platform; loaded files are ours to release.
  if (icon_ != kNoIcon && icon_ != port_.builtinIcon() && icon_ != icon) {
    port_.destroyIcon(icon_);
  }
  icon_ = icon;
}

void FrmMain::Form_Load() {
  loaded_ = true;
  setIcon(port_.builtinIcon());
  const LoadOutcome outcome = loadSettings(port_, port_, state_);
  // An empty path means no icon was ever chosen, so there is nothing to look for.
  if (outcome == LoadOutcome::Read && !state_.IconPath.empty() &&
      state_.IconPath != kBuiltinIconPath && !port_.findOrdinaryFile(state_.IconPath).empty()) {
    const IconHandle chosen = port_.loadIconFile(state_.IconPath);
    if (chosen != kNoIcon) {
      setIcon(chosen);
    }
  }
  trayIcon_ = icon_;
  addTrayIcon(port_, port_, state_, trayIcon_);
}

void FrmMain::Form_Unload() {
  deleteTrayIcon(port_, port_, state_);
}

void FrmMain::unload() {
  if (!loaded_) {
    return;
  }
  loaded_ = false;
  Form_Unload();
  port_.unloadMainWindow();
}

void FrmMain::TaskbarCreated() {
  if (loaded_) {
    addTrayIcon(port_, port_, state_, trayIcon_);
  }
}

void FrmMain::runMenuCommand(MenuCommand command) {
  switch (command) {
  case MenuCommand::Mouse:
    mnuMouse_Click();
    break;
  case MenuCommand::FileOpen:
    mnuFileOpen_Click();
    break;
  case MenuCommand::DefaultIcon:
    mnuDefaultIcon_Click();
    break;
  case MenuCommand::SaveSettings:
    mnuSaveSettings_Click();
    break;
  case MenuCommand::Help:
    mnuHelp_Click();
    break;
  case MenuCommand::About:
    mnuAbout_Click();
    break;
  case MenuCommand::Quit:
    mnuQuit_Click();
    break;
  case MenuCommand::None:
    break;
  }
}

void FrmMain::mnuMouse_Click() {
  mouse_.show();
}

void FrmMain::mnuAbout_Click() {
  about_.show();
}

void FrmMain::mnuSaveSettings_Click() {
  saveSettings(port_, port_, state_);
}

void FrmMain::mnuHelp_Click() {
  constexpr std::intptr_t kLastShellError = 32; // greater results mean the shell opened it
  // Windows since Vista has no viewer for help files: the same help as a page from the same
  // folder then. Whatever the shell reports for the page is all the user needs to see.
  if (port_.shellExecute(0, "Open", kHelpFileName, "", "", kShowNormal) <= kLastShellError) {
    constexpr const char* kHelpPageName = "wexla98.htm";
    static_cast<void>(port_.shellExecute(0, "Open", kHelpPageName, "", "", kShowNormal));
  }
}

void FrmMain::mnuQuit_Click() {
  if (state_.SettingsChanged == kTrue) {
    state_.Answer = static_cast<std::int16_t>(port_.messageBox(kSaveQuestion, kAppTitle, kMbYesNo));
    // Changes are dropped only on an explicit No: a failed save, or a question the user never
    // saw, keeps the program running with the changes still in memory.
    if (state_.Answer == kIdYes) {
      if (saveSettings(port_, port_, state_) == SaveOutcome::Failed) {
        return;
      }
    } else if (state_.Answer != kIdNo) {
      return;
    }
  }
  unload();
}

} // namespace wexla
