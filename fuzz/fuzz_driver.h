// The entry point all fuzz targets share, included once by each: a target defines fuzz_one(),
// and a broken expectation aborts, so that libFuzzer keeps the input that broke it.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string_view>

void fuzz_one(std::string_view input);

inline void require(bool holds) {
  if (!holds)
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_one(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
