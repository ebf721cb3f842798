#pragma once
// A minimal check harness for the test programs that run under Wine, where GoogleTest is not
// built: failures are printed with their line, the exit code says whether all passed.
#include <cstdio>

namespace wexla::wincheck {

inline int failures = 0;

inline void check(bool ok, const char* what, int line) {
  if (!ok) {
    std::printf("FAIL line %d: %s\n", line, what);
    ++failures;
  }
}

// Prints the closing line and returns the process exit code.
inline int finish() {
  std::printf("%d failed\n", failures);
  std::fflush(stdout);
  return failures == 0 ? 0 : 1;
}

} // namespace wexla::wincheck

#define CHECK(condition) ::wexla::wincheck::check((condition), #condition, __LINE__)
