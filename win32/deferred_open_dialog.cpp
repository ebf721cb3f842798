// comdlg32.dll is bound on first use instead of at start-up: it imports the print spooler, which
// under Wine loads CUPS and a dozen Linux libraries with it (about 5 MiB resident and a visible
// part of the start-up time) for the Open dialog that most sessions never show.
#include <windows.h>

#include <commdlg.h>

namespace {

using GetOpenFileNameFunction = BOOL(WINAPI*)(LPOPENFILENAMEA);

BOOL WINAPI getOpenFileNameOnFirstUse(LPOPENFILENAMEA dialog);

} // namespace

// The slot that calls of the dllimport-declared GetOpenFileNameA jump through. Defining it here
// keeps comdlg32.dll out of the import table; the first call fills it with the real function.
#if defined(_WIN64)
#define WEXLA_OPEN_DIALOG_SLOT "__imp_GetOpenFileNameA"
#else
#define WEXLA_OPEN_DIALOG_SLOT "__imp__GetOpenFileNameA@4"
#endif
extern "C" {
GetOpenFileNameFunction
    openFileNameSlot __asm__(WEXLA_OPEN_DIALOG_SLOT) = getOpenFileNameOnFirstUse;
}

namespace {

BOOL WINAPI getOpenFileNameOnFirstUse(LPOPENFILENAMEA dialog) {
  // comdlg32 is a KnownDLL, so the loader takes it from the system directory whatever the
  // search path holds.
  HMODULE library = LoadLibraryA("comdlg32.dll");
  if (library == nullptr) {
    // The caller treats a failed dialog like a cancelled one.
    return FALSE;
  }
  const auto function = reinterpret_cast<GetOpenFileNameFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "GetOpenFileNameA")));
  if (function == nullptr) {
    return FALSE;
  }
  openFileNameSlot = function;
  return function(dialog);
}

} // namespace
