// "Change icon" and "Restore default icon": they change the settings in memory and the
// notification icon; the disk is only touched by Save settings.
#include "tray/frm_main.h"

#include "platform/message_box_style.h"
#include "state/app_title.h"
#include "tray/tray_icon_ops.h"

namespace wexla {

void FrmMain::mnuFileOpen_Click() {
  const std::string chosen = port_.openIconFileDialog(kIconFilter, port_.applicationDirectory());
  if (chosen.empty()) {
    return;
  }
  const IconHandle picture = port_.loadIconFile(chosen);
  if (picture == kNoIcon) {
    // A setting that names an unloadable file would only fail again at the next start.
    std::string text = kIconLoadFailedText;
    text += chosen;
    state_.Answer =
        static_cast<std::int16_t>(port_.messageBox(text, kAppTitle, kMbOk | kMbIconExclamation));
    return;
  }
  state_.IconPath = chosen;
  state_.SettingsChanged = kTrue;
  trayIcon_ = picture;
  modifyTrayIcon(port_, port_, state_, trayIcon_);
  // Released only after the shell has taken its own copy of the new picture.
  setIcon(picture);
}

void FrmMain::mnuDefaultIcon_Click() {
  if (state_.IconPath == kBuiltinIconPath) {
    return;
  }
  state_.SettingsChanged = kTrue;
  state_.IconPath = kBuiltinIconPath;
  trayIcon_ = port_.builtinIcon();
  modifyTrayIcon(port_, port_, state_, trayIcon_);
}

} // namespace wexla
