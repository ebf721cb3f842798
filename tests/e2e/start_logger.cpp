// Stand-in for a program that another program starts (System Information, or a file that a
// badly quoted command line would run). It records each start by appending its command line to
// "<its own path>.log", so a test can tell which file was started and with which command line,
// even when it gets no arguments at all.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitCannotLog = 1;
const char* const kLogSuffix = ".log";

std::string ownPath() {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return std::string(buffer, length);
}

} // namespace

int main() {
  const std::string logPath = ownPath() + kLogSuffix;
  FILE* log = std::fopen(logPath.c_str(), "ab");
  if (log == nullptr)
    return kExitCannotLog;
  std::fprintf(log, "%s\n", GetCommandLineA());
  std::fclose(log);
  return kExitOk;
}
