#pragma once
// The window procedures that route real window messages into the program's logic.
#include <windows.h>

namespace wexla {

struct Application;

// Creates the hidden main window, which receives the notification icon's messages, routing its
// messages and those of the secondary windows into app; false when that fails.
bool createMainWindow(Application& app);

// The window procedure of every secondary window, which is created with the Application as its
// lpCreateParams.
LRESULT CALLBACK dialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace wexla
