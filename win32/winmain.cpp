// Entry point of wexla98.exe.
#include "state/app_title.h"
#include "win32/application.h"
#include "win32/single_instance.h"
#include "win32/system_function.h"

namespace {

// Declared by the headers only for newer targets than the oldest Windows the program runs on.
constexpr DWORD kSearchSystem32Only = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

// DLLs are looked up in the system directory only, so a planted copy beside the program or in
// the current directory is never loaded. Both calls are missing on the oldest systems, which
// have no safer search order to offer.
void restrictDllSearch() {
  const auto setDefaultDllDirectories =
      wexla::systemFunction<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetDefaultDllDirectories");
  if (setDefaultDllDirectories != nullptr) {
    setDefaultDllDirectories(kSearchSystem32Only);
  }
  // Systems without the call above: at least drop the current directory from the search.
  const auto setDllDirectory =
      wexla::systemFunction<BOOL(WINAPI*)(LPCSTR)>("kernel32.dll", "SetDllDirectoryA");
  if (setDllDirectory != nullptr) {
    setDllDirectory("");
  }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  restrictDllSearch();
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
