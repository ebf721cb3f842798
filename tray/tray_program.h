#pragma once
// The program behind the notification icon: start-up, the icon's clicks, the pop-up menu's
// commands and shutdown. The main window that receives the shell's callbacks shows nothing.
#include "platform/dialog_logic.h"
#include "platform/port.h"
#include "state/settings.h"

#include <memory>

namespace wexla {

inline constexpr const char* kHelpFileName = "wexla98.hlp";
// The same help as a web page, for systems without a viewer for the help file.
inline constexpr const char* kHelpPageName = "wexla98.htm";
inline constexpr const char* kSaveQuestion = "Changes were made. Do you want to save?";
inline constexpr const char* kIconLoadFailedText =
    "The file could not be loaded as an icon. The icon was not changed:\n";

// The roles the tray program uses.
struct TrayPlatform {
  Pictures& pictures;
  NotificationArea& notificationArea;
  Shell& shell;
  Messages& messages;
  Choices& choices;
  Files& files;
  WindowControl& windowControl;
};

class TrayProgram {
public:
  TrayProgram(const TrayPlatform& platform, EditedSettings& settings, const DialogTable& dialogs);

  // Loads the settings and shows the notification icon.
  void start();
  // A mouse message that the shell reports from the notification icon.
  void onTrayMessage(unsigned mouseMessage);
  // The shell restarted and forgot the notification icon.
  void onShellRestarted();
  // Ends the program by any route: removes the icon, then closes the main window.
  void close();

private:
  void runMenuCommand(MenuCommand command);
  // The menu's Quit: asks to save unsaved changes, then closes.
  void quit();
  void changeIcon();
  void restoreDefaultIcon();
  void openHelp();
  const Icon& shownIcon() const;

  TrayPlatform platform_;
  EditedSettings& settings_;
  const DialogTable& dialogs_;
  std::unique_ptr<Icon> chosenIcon_; // shown when there is one; else the built-in icon
  bool handlingTrayMessage_ = false;
  bool running_ = false;
};

} // namespace wexla
