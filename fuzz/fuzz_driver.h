// The entry point all fuzz targets share: each defines fuzz_one(), and a broken expectation
// aborts, so that libFuzzer keeps the input that broke it.
#pragma once

#include <cstdlib>
#include <string_view>

void fuzz_one(std::string_view input);

inline void require(bool holds) {
  if (!holds) {
    std::abort();
  }
}
