// A DLL planted where a program must not load it from. Loading it leaves "<its own path>.loaded"
// beside it, so a test sees a load even when the program that loaded it keeps running normally
// or fails afterwards for want of the real DLL's functions.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const char* const kMarkerSuffix = ".loaded";

void leaveMarker(HINSTANCE self) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  const std::string marker = std::string(path, length) + kMarkerSuffix;
  FILE* out = std::fopen(marker.c_str(), "ab");
  if (out == nullptr)
    return;
  std::fprintf(out, "%s\n", GetCommandLineA());
  std::fclose(out);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH)
    leaveMarker(self);
  return TRUE;
}
