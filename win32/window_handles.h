#pragma once
// Which of the program's windows exist: the hidden main window, which also receives the
// notification icon's messages, and each secondary window. The event routing and the message
// loop ask here; the process ends when the last window is gone.
#include "platform/window_ids.h"

#include <windows.h>

#include <array>
#include <optional>

namespace wexla {

// The window handles themselves; the Win32Desktop role acts through them.
class WindowHandles {
public:
  void mainWindowCreated(HWND main) { main_ = main; }
  HWND mainWindow() const { return main_; }
  HWND window(WindowId window) const { return windows_[windowIndex(window)]; }
  void windowCreated(WindowId window, HWND handle) { windows_[windowIndex(window)] = handle; }
  // Which secondary window the handle is, if any.
  std::optional<WindowId> windowOf(HWND handle) const;
  // A window is gone; when it was one of ours and none is left, posts the quit message.
  void windowDestroyed(HWND handle);
  // Hands the message to the dialog manager of the window it is for; true when it took it.
  bool routeDialogMessage(MSG& message) const;

private:
  HWND main_ = nullptr;
  std::array<HWND, kWindowCount> windows_{};
};

} // namespace wexla
