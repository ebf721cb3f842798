// The smallest program that does what Wexla 98 does at its core: one hidden window, one tray
// icon, a mail hand-off on a left click. Its costs (memory, GDI/USER objects, start time) are the
// baseline the real program is measured against, and it lets the end-to-end harness be checked
// without the real program.
#include <windows.h>

#include <shellapi.h>

namespace {

constexpr UINT kTrayIconId = 1;
constexpr UINT kTrayCallbackMessage = WM_APP + 1;
const char* const kWindowClass = "BareTray";
const char* const kTip = "Bare";

void addTrayIcon(HWND window) {
  NOTIFYICONDATAA icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = kTrayIconId;
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = kTrayCallbackMessage;
  icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  lstrcpynA(icon.szTip, kTip, sizeof icon.szTip);
  Shell_NotifyIconA(NIM_ADD, &icon);
}

void removeTrayIcon(HWND window) {
  NOTIFYICONDATAA icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = kTrayIconId;
  Shell_NotifyIconA(NIM_DELETE, &icon);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case kTrayCallbackMessage:
    if (lParam == WM_LBUTTONUP)
      ShellExecuteA(nullptr, "open", "mailto:", nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
  case WM_DESTROY:
    removeTrayIcon(window);
    PostQuitMessage(0);
    return 0;
  default:
    return DefWindowProcA(window, message, wParam, lParam);
  }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassA(&windowClass))
    return 1;
  HWND window = CreateWindowA(kWindowClass, kTip, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!window)
    return 1;
  addTrayIcon(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
