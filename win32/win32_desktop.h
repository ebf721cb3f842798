#pragma once
// The roles that act through the program's windows: the secondary windows, the notification
// icon (whose callbacks reach the hidden main window) and the user's choices.
#include "platform/port.h"
#include "win32/handles.h"
#include "win32/win32_pictures.h"
#include "win32/window_handles.h"

#include <shellapi.h>

namespace wexla {

// The notification icon's record as the shell's version-1 ANSI layout, which every Windows
// takes; the shell sends the icon's messages to mainWindow.
NOTIFYICONDATAA trayIconRecord(HWND mainWindow, HICON icon);

class Win32Desktop final : public WindowControl, public NotificationArea, public Choices {
public:
  // dialogProcedure is the window procedure of every secondary window; it receives
  // dialogData when each is created.
  Win32Desktop(HINSTANCE instance, WindowHandles& handles, const Win32Pictures& pictures,
               WNDPROC dialogProcedure, void* dialogData);

  bool createWindow(WindowId window) override;
  void showWindow(WindowId window) override;
  void closeWindow(WindowId window) override;
  void setOptionChecked(ControlId option, bool checked) override;
  void closeMainWindow() override;

  bool addIcon(const Icon& icon) override;
  bool changeIcon(const Icon& icon) override;
  void removeIcon() override;

  MenuCommand choosePopupMenuCommand() override;
  Text chooseIconFile(const Text& initialFolder) override;

private:
  bool notify(DWORD message, HICON icon);

  HINSTANCE instance_;
  WindowHandles& handles_;
  const Win32Pictures& pictures_;
  WNDPROC dialogProcedure_;
  void* dialogData_;
  // Owns the windows without a taskbar button, so that they outlive the main window.
  OwnedWindow hiddenOwner_;
  OwnedMenu popupMenu_;
};

} // namespace wexla
