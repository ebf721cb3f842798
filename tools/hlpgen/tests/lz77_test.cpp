#include "hlp_format_error.h"
#include "hlp_lz77_decoder.h"
#include "lz77_compressor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

using hlpgen::Bytes;

constexpr std::size_t kNoLimit = 1 << 20;

Bytes random_bytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 engine(seed);
  Bytes bytes(count);
  for (auto& byte : bytes) {
    byte = static_cast<std::uint8_t>(engine());
  }
  return bytes;
}

Bytes text_bytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes round_trip(const Bytes& data) {
  const Bytes compressed = hlpgen::lz77_compress(data);
  return hlpreader::lz77_decode(compressed.data(), compressed.size(), kNoLimit);
}

struct Token {
  bool reference;
  std::size_t length;
  std::size_t distance;
  std::size_t output_position;
};

// Walks a compressed stream the way the format defines it, to look at the choices made.
std::vector<Token> tokens_of(const Bytes& compressed) {
  std::vector<Token> tokens;
  std::size_t at = 0;
  std::size_t produced = 0;
  while (at < compressed.size()) {
    const std::uint8_t flags = compressed[at++];
    for (int bit = 0; bit < 8 && at < compressed.size(); ++bit) {
      if (flags & (1 << bit)) {
        const unsigned code = compressed[at] | (compressed[at + 1] << 8);
        at += 2;
        const std::size_t length = (code >> 12) + 3;
        tokens.push_back({true, length, (code & 0xFFF) + 1u, produced});
        produced += length;
      } else {
        ++at;
        tokens.push_back({false, 1, 0, produced});
        ++produced;
      }
    }
  }
  return tokens;
}

TEST(Lz77, RoundTripsTypicalInputs) {
  const std::vector<Bytes> inputs = {
      {},
      {0x41},
      text_bytes("abcabcabcabcabcabcabcabc"),
      text_bytes("Click the icon to open a new message. Click the icon to open a new message."),
      random_bytes(10000, 7),
      Bytes(5000, 0),
  };
  for (const Bytes& input : inputs) {
    EXPECT_EQ(round_trip(input), input) << "input of " << input.size() << " bytes";
  }
}

TEST(Lz77, OverlappingRunsUseMaximumLengthReferences) {
  const Bytes run(1000, 'a');
  const Bytes compressed = hlpgen::lz77_compress(run);
  EXPECT_EQ(hlpreader::lz77_decode(compressed.data(), compressed.size(), kNoLimit), run);
  const std::vector<Token> tokens = tokens_of(compressed);
  ASSERT_GE(tokens.size(), 2u);
  EXPECT_FALSE(tokens[0].reference);
  // The run copies itself from one byte back, 18 bytes at a time.
  EXPECT_TRUE(tokens[1].reference);
  EXPECT_EQ(tokens[1].distance, 1u);
  EXPECT_EQ(tokens[1].length, hlpgen::kLz77MaxMatch);
  EXPECT_LT(compressed.size(), 1000u / 18 * 2 + 1000u / 18 / 8 + 8);
}

TEST(Lz77, ReferencesStayInsideWindowAndBlock) {
  Bytes data = random_bytes(3000, 11);
  const Bytes copy = data;
  data.insert(data.end(), copy.begin(), copy.end());
  data.insert(data.end(), copy.begin(), copy.end());
  for (const Token& token : tokens_of(hlpgen::lz77_compress(data))) {
    if (token.reference) {
      EXPECT_GE(token.length, hlpgen::kLz77MinMatch);
      EXPECT_LE(token.length, hlpgen::kLz77MaxMatch);
      EXPECT_LE(token.distance, hlpgen::kLz77Window);
      EXPECT_LE(token.distance, token.output_position) << "reference before the block start";
    }
  }
  EXPECT_EQ(round_trip(data), data);
}

TEST(Lz77, ReachesBackExactly4096BytesButNotFurther) {
  Bytes data = random_bytes(4096, 3);
  data.insert(data.end(), data.begin(), data.begin() + 18);
  std::vector<Token> tokens = tokens_of(hlpgen::lz77_compress(data));
  ASSERT_FALSE(tokens.empty());
  EXPECT_TRUE(tokens.back().reference);
  EXPECT_EQ(tokens.back().distance, 4096u);
  EXPECT_EQ(tokens.back().length, 18u);
  EXPECT_EQ(round_trip(data), data);

  Bytes far = random_bytes(4097, 3);
  far.insert(far.end(), far.begin(), far.begin() + 18);
  tokens = tokens_of(hlpgen::lz77_compress(far));
  EXPECT_FALSE(tokens.back().reference && tokens.back().length == 18)
      << "a copy 4097 bytes back cannot be a reference";
  EXPECT_EQ(round_trip(far), far);
}

TEST(Lz77, IncompressibleDataCostsOneFlagByteEveryEightBytes) {
  Bytes all_values(256);
  for (std::size_t i = 0; i < all_values.size(); ++i) {
    all_values[i] = static_cast<std::uint8_t>(i);
  }
  const Bytes compressed = hlpgen::lz77_compress(all_values);
  EXPECT_EQ(compressed.size(), 256u + 256u / 8);
  EXPECT_EQ(round_trip(all_values), all_values);
}

TEST(Lz77Decoder, RejectsReferenceBeforeBlockStart) {
  const Bytes stream = {0x01, 0x00, 0x00}; // a reference as the very first item
  EXPECT_THROW(hlpreader::lz77_decode(stream.data(), stream.size(), kNoLimit),
               hlpreader::HlpFormatError);
  const Bytes too_far = {0x02, 'a', 0x01, 0x00}; // distance 2 after one byte
  EXPECT_THROW(hlpreader::lz77_decode(too_far.data(), too_far.size(), kNoLimit),
               hlpreader::HlpFormatError);
}

TEST(Lz77Decoder, StopsAtOutputLimit) {
  const Bytes compressed = hlpgen::lz77_compress(Bytes(100, 'x'));
  EXPECT_EQ(hlpreader::lz77_decode(compressed.data(), compressed.size(), 40).size(), 40u);
}

} // namespace
