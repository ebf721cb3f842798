#pragma once
// The program's secondary windows and the controls in them that the program's logic hears
// from or drives; the window layouts and the event routing share these numbers.
#include <cstddef>

namespace wexla {

// Count sizes the tables indexed by window, so a window added above it makes every table that
// lacks its entry fail to compile. It is also what a menu command that opens no window names.
enum class WindowId { MouseConfiguration, About, Count };
inline constexpr std::size_t kWindowCount = static_cast<std::size_t>(WindowId::Count);
inline constexpr WindowId kNoWindow = WindowId::Count;

constexpr std::size_t windowIndex(WindowId window) {
  return static_cast<std::size_t>(window);
}

enum class ControlId : int {
  None = 0,
  CloseButton = 1001,
  SingleClickOption,
  DoubleClickOption,
  OkButton = 2001,
  SystemInfoButton,
};

} // namespace wexla
