#include "win32/window_handles.h"

#include <algorithm>

namespace wexla {

std::optional<WindowId> WindowHandles::windowOf(HWND handle) const {
  for (std::size_t i = 0; i < kWindowCount; ++i) {
    if (handle != nullptr && windows_[i] == handle) {
      return static_cast<WindowId>(i);
    }
  }
  return std::nullopt;
}

void WindowHandles::windowDestroyed(HWND handle) {
  if (handle == main_) {
    main_ = nullptr;
  } else if (const std::optional<WindowId> window = windowOf(handle)) {
    windows_[windowIndex(*window)] = nullptr;
  } else {
    // A form destroyed while it was being built never was one of ours. Had its end posted the
    // quit message, the error box that follows would take it and close before it was read.
    return;
  }
  // The process lives as long as any of its windows does.
  if (main_ == nullptr &&
      std::all_of(windows_.begin(), windows_.end(), [](HWND open) { return open == nullptr; })) {
    PostQuitMessage(0);
  }
}

bool WindowHandles::routeDialogMessage(MSG& message) const {
  return std::any_of(windows_.begin(), windows_.end(), [&message](HWND open) {
    return open != nullptr && IsDialogMessageA(open, &message) != FALSE;
  });
}

} // namespace wexla
