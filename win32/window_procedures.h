#pragma once
// The window procedures that route real window messages into the program's logic.
#include <windows.h>

namespace wexla {

struct Application;

// Creates the hidden main window with its tray callback window, routing their messages and
// those of the forms into app; false when that fails.
bool createMainWindow(Application& app, HINSTANCE instance);
// The main window's icons (the built-in icon), given once the tray icon is shown.
void giveMainWindowIcons(Application& app);

LRESULT CALLBACK mouseFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK aboutFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace wexla
