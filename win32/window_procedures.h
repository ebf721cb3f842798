#pragma once
// The window procedures that route real window messages into the program's logic.
#include <windows.h>

namespace wexla {

struct Application;

// Creates the hidden main window, message-only for now, with its tray callback window,
// routing their messages and those of the forms into app; false when that fails.
bool createMainWindow(Application& app, HINSTANCE instance);
// Once the tray icon is shown: the main window becomes an ordinary hidden top-level window
// with the built-in icon; false when it stays message-only.
bool makeMainWindowTopLevel(Application& app);

LRESULT CALLBACK mouseFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK aboutFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace wexla
