// Entry point of wexla98.exe.
#include "win32/app_windows.h"

namespace {

// DLLs are looked up in the system directory only, so a planted copy beside the program or in
// the current directory is never loaded.
void restrictDllSearch() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr) {
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // Older systems: at least drop the current directory from the search.
  SetDllDirectoryA("");
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  restrictDllSearch();
  static wexla::Application app(instance);
  if (!wexla::createMainWindow(app, instance)) {
    MessageBoxA(nullptr, "Wexla 98 could not create its window.", "Wexla 98", MB_OK | MB_ICONSTOP);
    return 1;
  }
  app.main.Form_Load();
  wexla::giveMainWindowIcons(app);

  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    bool dialogMessage = false;
    for (const wexla::FormId form : {wexla::FormId::Mouse, wexla::FormId::About}) {
      HWND window = app.port.form(form);
      if (window != nullptr && IsDialogMessageA(window, &message) != FALSE) {
        dialogMessage = true;
        break;
      }
    }
    if (!dialogMessage) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}
