// Loads a DLL by bare name with the default search order, as any program that does not restrict
// it would. Prints the path of the module it got, so a test can tell a planted copy from the
// system's; exits 0 when the load succeeded.
#include <windows.h>

#include <cstdio>

namespace {

constexpr int kExitLoaded = 0;
constexpr int kExitNotLoaded = 1;
constexpr int kExitUsage = 2;

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: unrestricted_loader DLL-NAME\n");
    return kExitUsage;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  if (module == nullptr)
    return kExitNotLoaded;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  std::printf("%s\n", path);
  return kExitLoaded;
}
