#pragma once
// The hidden main window: start-up, shutdown, tray callbacks and the pop-up menu's commands.
#include "platform/port.h"
#include "state/icon_declare.h"

#include <cstdint>

namespace wexla {

class FrmMouse;
class FrmAbout;

inline constexpr const char* kHelpFileName = "wexla98.hlp";
inline constexpr const char* kSaveQuestion = "Changes were made. Do you want to save?";
inline constexpr const char* kIconFilter = "Icon Files (*.ico)|*.ico";
inline constexpr const char* kIconLoadFailedText =
    "The file could not be loaded as an icon. The icon was not changed:\n";

class FrmMain {
public:
  FrmMain(Port& port, IconDeclare& state, FrmMouse& mouse, FrmAbout& about);
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;
  ~FrmMain();

  void Form_Load();
  // Closes the main window by any route: removes the icon, then the window.
  void unload();
  // The callback's mouse message number travels as x, in twips; the event's other values
  // (buttons, shift keys, y) carry nothing for a callback and are not passed.
  void picHook_MouseMove(float x);
  // The shell restarted and forgot the notification icon.
  void TaskbarCreated();

  void mnuMouse_Click();
  void mnuFileOpen_Click();
  void mnuDefaultIcon_Click();
  void mnuSaveSettings_Click();
  void mnuHelp_Click();
  void mnuAbout_Click();
  void mnuQuit_Click();

  bool loaded() const { return loaded_; }
  VbBoolean inTrayEvent() const { return InTrayEvent; }
  IconHandle icon() const { return icon_; }

private:
  void Form_Unload();
  void runMenuCommand(MenuCommand command);
  void openNewMessage(WindowHandle owner);
  void setIcon(IconHandle icon);

  Port& port_;
  IconDeclare& state_;
  FrmMouse& mouse_;
  FrmAbout& about_;
  IconHandle icon_ = kNoIcon;     // the main window's icon
  IconHandle trayIcon_ = kNoIcon; // what the notification area shows
  VbBoolean InTrayEvent = kFalse;
  bool loaded_ = false;
};

} // namespace wexla
