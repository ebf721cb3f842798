#pragma once
// The notification icon's pictures on Windows: the program's own icon and icon files.
#include "platform/port.h"
#include "win32/handles.h"

namespace wexla {

// Every Icon the Win32 side hands out is one of these.
class Win32Icon : public Icon {
public:
  explicit Win32Icon(HICON handle) : handle_(handle) {}
  HICON handle() const { return handle_; }

private:
  HICON handle_;
};

// An icon loaded from a file, released with it.
class LoadedIcon final : public Win32Icon {
public:
  explicit LoadedIcon(OwnedIcon icon) : Win32Icon(icon.get()), owned_(std::move(icon)) {}

private:
  OwnedIcon owned_;
};

// The Win32 picture of an Icon of this platform.
inline HICON iconHandle(const Icon& icon) {
  return static_cast<const Win32Icon&>(icon).handle();
}

class Win32Pictures final : public Pictures {
public:
  explicit Win32Pictures(HINSTANCE instance);

  const Icon& builtinIcon() override { return builtinSmall_; }
  std::unique_ptr<Icon> loadIcon(const Text& path) override;

  // The program's icon at the system's large and small icon sizes, for the windows.
  HICON bigIcon() const { return big_.get(); }
  HICON smallIcon() const { return small_.get(); }

private:
  OwnedIcon big_;
  OwnedIcon small_;
  Win32Icon builtinSmall_;
};

} // namespace wexla
