#include "context_hash.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ContextHash, LettersDigitsAndPunctuationUseTheirCodes) {
  EXPECT_EQ(hlpgen::context_hash(""), 0);
  EXPECT_EQ(hlpgen::context_hash("a"), 17);
  EXPECT_EQ(hlpgen::context_hash("z"), 42);
  EXPECT_EQ(hlpgen::context_hash("1"), 1);
  EXPECT_EQ(hlpgen::context_hash("9"), 9);
  EXPECT_EQ(hlpgen::context_hash("0"), 10);
  EXPECT_EQ(hlpgen::context_hash("."), 12);
  EXPECT_EQ(hlpgen::context_hash("_"), 13);
  EXPECT_EQ(hlpgen::context_hash("ab"), 17 * 43 + 18);
}

TEST(ContextHash, IgnoresCaseAndCharactersWithoutCode) {
  EXPECT_EQ(hlpgen::context_hash("Contents"), hlpgen::context_hash("contents"));
  EXPECT_EQ(hlpgen::context_hash("a-b c"), hlpgen::context_hash("abc"));
}

TEST(ContextHash, WrapsAt32BitsAndCanBeNegative) {
  // A run of n 'z' (code 42) hashes to 43^n - 1 modulo 2^32.
  EXPECT_EQ(hlpgen::context_hash(std::string(7, 'z')), 1235671458);
  EXPECT_EQ(hlpgen::context_hash(std::string(9, 'z')), -166073782);
  EXPECT_EQ(hlpgen::context_hash(std::string(11, 'z')), -2127743054);
}

TEST(ContextHash, ValidNamesUseOnlyHashedCharacters) {
  EXPECT_TRUE(hlpgen::is_valid_context_name("settings_file.v2"));
  EXPECT_FALSE(hlpgen::is_valid_context_name(""));
  EXPECT_FALSE(hlpgen::is_valid_context_name("two words"));
  EXPECT_FALSE(hlpgen::is_valid_context_name("a-b"));
}

} // namespace
