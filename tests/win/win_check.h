#pragma once
// A minimal check harness for the test programs that run under Wine, where GoogleTest is not
// built: failures are printed with their line, the exit code says whether all passed.
#include <cstdio>

namespace wexla::wincheck {

inline int failures = 0;

inline void check(bool ok, const char* what, int line) {
  if (!ok) {
    ++failures;
    std::printf("FAIL line %d: %s\n", line, what);
  }
}

inline void checkEqual(long long actual, long long expected, const char* what, int line) {
  if (actual != expected) {
    std::printf("line %d: %lld, expected %lld\n", line, actual, expected);
  }
  check(actual == expected, what, line);
}

// Prints the closing line and returns the process exit code.
inline int finish() {
  std::printf("%d failed\n", failures);
  std::fflush(stdout);
  return failures == 0 ? 0 : 1;
}

} // namespace wexla::wincheck

#define CHECK(condition) ::wexla::wincheck::check((condition), #condition, __LINE__)
#define CHECK_EQ(actual, expected)                                                                 \
  ::wexla::wincheck::checkEqual(static_cast<long long>(actual), static_cast<long long>(expected),  \
                                #actual, __LINE__)
