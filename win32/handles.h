#pragma once
// One move-only owner per kind of handle the Win32 side holds: whatever path a function takes
// out, the handle is released exactly once.
#include <windows.h>

#include <utility>

namespace wexla {

template <typename Traits> class Owned {
public:
  using Handle = typename Traits::Handle;

  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : handle_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~Owned() { reset(); }

  Handle get() const { return handle_; }
  bool valid() const { return holds(handle_); }
  explicit operator bool() const { return valid(); }
  // Gives the handle up, for a new owner (the system, or a caller).
  Handle release() { return std::exchange(handle_, Traits::empty()); }
  void reset(Handle handle = Traits::empty()) {
    const Handle previous = std::exchange(handle_, handle);
    if (holds(previous)) {
      Traits::close(previous);
    }
  }

private:
  // A kind whose calls fail with more than one value names them all in isEmpty.
  static bool holds(Handle handle) {
    if constexpr (requires { Traits::isEmpty(handle); }) {
      return !Traits::isEmpty(handle);
    } else {
      return handle != Traits::empty();
    }
  }

  Handle handle_ = Traits::empty();
};

// The releases below ignore their results: each can only fail for a handle that is already
// gone, and an owner has nothing to do about that.

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle empty() { return nullptr; }
  static void close(Handle key) { RegCloseKey(key); }
};

struct FindTraits {
  using Handle = HANDLE;
  static Handle empty() { return INVALID_HANDLE_VALUE; }
  static void close(Handle search) { FindClose(search); }
};

// Files, processes, threads, tokens and mutexes. Opening a file fails with
// INVALID_HANDLE_VALUE, the others with NULL: either is no object.
struct KernelObjectTraits {
  using Handle = HANDLE;
  static Handle empty() { return nullptr; }
  static bool isEmpty(Handle object) { return object == nullptr || object == INVALID_HANDLE_VALUE; }
  static void close(Handle object) { CloseHandle(object); }
};

// A device context of the whole screen, from GetDC(nullptr).
struct ScreenDcTraits {
  using Handle = HDC;
  static Handle empty() { return nullptr; }
  static void close(Handle dc) { ReleaseDC(nullptr, dc); }
};

struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle empty() { return nullptr; }
  static void close(Handle object) { DeleteObject(object); }
};

struct IconTraits {
  using Handle = HICON;
  static Handle empty() { return nullptr; }
  static void close(Handle icon) { DestroyIcon(icon); }
};

struct MenuTraits {
  using Handle = HMENU;
  static Handle empty() { return nullptr; }
  static void close(Handle menu) { DestroyMenu(menu); }
};

struct WindowTraits {
  using Handle = HWND;
  static Handle empty() { return nullptr; }
  static void close(Handle window) { DestroyWindow(window); }
};

using OwnedRegistryKey = Owned<RegistryKeyTraits>;
using OwnedFind = Owned<FindTraits>;
using OwnedKernelObject = Owned<KernelObjectTraits>;
using OwnedScreenDc = Owned<ScreenDcTraits>;
using OwnedGdiObject = Owned<GdiObjectTraits>;
using OwnedIcon = Owned<IconTraits>;
using OwnedMenu = Owned<MenuTraits>;
using OwnedWindow = Owned<WindowTraits>;

} // namespace wexla
