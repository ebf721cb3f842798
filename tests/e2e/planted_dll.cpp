// A DLL planted where a program must not load it from. Loading it leaves "<its own path>.loaded"
// beside it, so a test sees a load even when the program that loaded it goes on normally or
// fails afterwards for want of the real DLL's functions.
#include <windows.h>

#include <cstdio>
#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID /*reserved*/) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (reason != DLL_PROCESS_ATTACH || length == 0 || length >= MAX_PATH) {
    return TRUE;
  }
  // A DLL has no one to report to; the test checks its setup loads this very file.
  if (FILE* marker = std::fopen((std::string(path, length) + ".loaded").c_str(), "ab")) {
    std::fclose(marker);
  }
  return TRUE;
}
