// The compressor against the test decoder, which also refuses references before the block start.
#include "help_file_decoder.h"
#include "lz77_compressor.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace {

using hlpgen::Bytes;

// Each input with the last back reference it must end in and the largest compressed size:
// references are as long as they can be (a run copies itself 18 bytes at a time from one byte
// back), reach back 4096 bytes but never 4097, and every eight items share one flag byte.
TEST(Lz77, RoundTripsWithTheLongestReferences) {
  // count bytes that hardly ever repeat, then copies of the first copied ones
  const auto noise_then_copy = [](std::size_t count, std::size_t copied) {
    std::mt19937 engine(count);
    Bytes bytes(count);
    std::generate(bytes.begin(), bytes.end(), [&engine] { return std::uint8_t(engine()); });
    for (std::size_t i = 0; i < copied; ++i)
      bytes.push_back(bytes[i]);
    return bytes;
  };
  Bytes all_values(256);
  std::iota(all_values.begin(), all_values.end(), 0);
  const std::string text = "Click the icon to open a new message. Click the icon to open it.";
  const struct {
    Bytes input;
    hlpcheck::Reference last; // length, distance
    std::size_t max_size;
  } cases[] = {
      {{}, {}, 0},
      {all_values, {}, 256 + 256 / 8},
      {Bytes(text.begin(), text.end()), {5, 38}, text.size() - 8},
      {Bytes(1000, 'a'), {9, 1}, 1 + 56 * 2 + (57 + 7) / 8},
      {noise_then_copy(4096, 18), {18, 4096}, 4096 + 2 + (4097 + 7) / 8},
      {noise_then_copy(4097, 18), {}, 4115 + (4115 + 7) / 8},
      {noise_then_copy(3000, 9000), {18, 3000}, 3000 + 500 * 2 + (3500 + 7) / 8},
  };
  for (const auto& [input, last, max_size] : cases) {
    const Bytes compressed = hlpgen::lz77_compress(input);
    std::vector<hlpcheck::Reference> references;
    EXPECT_EQ(hlpcheck::lz77_decode(compressed, SIZE_MAX, &references), input);
    EXPECT_EQ(references.empty() ? hlpcheck::Reference{} : references.back(), last) << input.size();
    EXPECT_LE(compressed.size(), max_size) << input.size() << " bytes";
  }
}

} // namespace
