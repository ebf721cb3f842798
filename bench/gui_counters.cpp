// Prints a running program's GDI and USER object counts, as one JSON line, for the benchmark:
// only a Win32 process can read them. The program is named by its exe file: Windows process
// ids differ from the Linux ids the benchmark holds.
// Usage: gui_counters EXE_NAME   (exit code 1 when no such program runs, 2 on a usage error)
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotFound = 1;
constexpr int kExitUsage = 2;

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gui_counters EXE_NAME\n");
    return kExitUsage;
  }
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  BOOL more = snapshot != INVALID_HANDLE_VALUE && Process32First(snapshot, &entry);
  for (; more && lstrcmpiA(entry.szExeFile, argv[1]) != 0; more = Process32Next(snapshot, &entry)) {
  }
  CloseHandle(snapshot);
  HANDLE process =
      more ? OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID) : nullptr;
  if (!process)
    return kExitNotFound;
  std::printf("{\"pid\": %lu, \"gdi\": %lu, \"user\": %lu}\n", entry.th32ProcessID,
              GetGuiResources(process, GR_GDIOBJECTS), GetGuiResources(process, GR_USEROBJECTS));
  CloseHandle(process);
  return kExitOk;
}
