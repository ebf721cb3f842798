#pragma once
// The running program: the shared state, the windows' logic, and the window procedures that
// route real window messages into it.
#include "dialogs/about/frm_about.h"
#include "dialogs/mouse/frm_mouse.h"
#include "tray/frm_main.h"
#include "win32/win32_port.h"

#include <windows.h>

namespace wexla {

struct Application {
  explicit Application(HINSTANCE instance) : port(instance) {}
  Win32Port port;
  IconDeclare state;
  FrmMouse mouse{port, state};
  FrmAbout about{port};
  FrmMain main{port, state, mouse, about};
};

// Creates the hidden main window with its tray callback window; false when that fails.
bool createMainWindow(Application& app, HINSTANCE instance);
// The main window's icons (the built-in icon), given once the tray icon is shown.
void giveMainWindowIcons(Application& app);

LRESULT CALLBACK mouseFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK aboutFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace wexla
