#pragma once
// The one way the program binds a system function late. A function bound here is absent from
// the import table, which buys two things: a DLL that most sessions never need is not loaded
// at start-up (comdlg32 pulls in the print spooler, and under Wine CUPS with a dozen Linux
// libraries; comctl32 costs memory and start-up time before the first dialog), and a function
// newer than the oldest supported Windows does not stop the program from loading there.
#include <windows.h>

namespace wexla {

// The function, or nullptr when this Windows lacks the DLL or the function. Loaded DLLs are
// taken as they are; others are loaded by name, which for the system DLLs used here (all
// KnownDLLs) means from the system directory whatever the search path holds. Callers keep the
// result in a static: a DLL, once loaded, stays for the life of the process.
template <typename Function> Function systemFunction(const char* dllName, const char* name) {
  HMODULE library = GetModuleHandleA(dllName);
  if (library == nullptr) {
    library = LoadLibraryA(dllName);
  }
  if (library == nullptr) {
    return nullptr;
  }
  // GetProcAddress returns a generic function pointer; the caller names the real type.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

} // namespace wexla
