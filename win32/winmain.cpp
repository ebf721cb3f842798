// Entry point of wexla98.exe.
#include "state/app_title.h"
#include "win32/application.h"
#include "win32/dll_search.h"
#include "win32/single_instance.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  wexla::restrictDllSearch();
  // A second start ends quietly, before any window or icon: the running copy answers already.
  if (!wexla::claimSessionInstance()) {
    return 0;
  }
  static wexla::Application app(instance);
  if (!wexla::createMainWindow(app)) {
    MessageBoxA(nullptr, "Wexla 98 could not create its window.", wexla::kAppTitle,
                MB_OK | MB_ICONSTOP);
    return 1;
  }
  app.program.start();

  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!app.windowHandles.routeDialogMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}
