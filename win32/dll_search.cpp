#include "win32/dll_search.h"

#include "win32/system_function.h"

namespace wexla {

namespace {
// Declared by the headers only for newer targets than the oldest Windows the program runs on.
constexpr DWORD kSearchSystem32Only = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
} // namespace

void restrictDllSearch() {
  const auto setDefaultDllDirectories =
      systemFunction<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetDefaultDllDirectories");
  if (setDefaultDllDirectories != nullptr) {
    setDefaultDllDirectories(kSearchSystem32Only);
  }
  // Systems without the call above: at least drop the current directory from the search.
  const auto setDllDirectory =
      systemFunction<BOOL(WINAPI*)(LPCSTR)>("kernel32.dll", "SetDllDirectoryA");
  if (setDllDirectory != nullptr) {
    setDllDirectory("");
  }
}

} // namespace wexla
