// The program's own string does what std::string does, also when a text is fed its own bytes.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>

namespace wexla {
namespace {

std::string str(const Text& text) {
  return std::string(text.view()) + '|' + text.c_str()[text.size()]; // and its terminator
}
std::string plain(const std::string& text) {
  return text + '|' + '\0';
}

TEST(Text, DoesWhatAStandardStringDoes) {
  Text text;
  std::string expected;
  EXPECT_EQ(str(text), plain(expected));
  text += "ab";
  text += 'c';
  text += Text("de");
  expected = "abcde";
  for (int i = 0; i < 5; ++i) {
    text += text; // grows past its capacity while reading its own bytes
    expected += std::string(expected);
  }
  EXPECT_EQ(str(text), plain(expected));
  text = std::string_view(text).substr(2, 3); // a part of itself
  EXPECT_EQ(str(text), plain("cde"));
  text += std::string_view(text).substr(1); // again, without growing
  EXPECT_EQ(str(text), plain("cdede"));

  Text copy = text;
  copy[0] = 'X';
  EXPECT_EQ(str(text) + str(copy), plain("cdede") + plain("Xdede"));
  Text moved = std::move(copy);
  EXPECT_TRUE(copy.empty() && moved == "Xdede" && moved.back() == 'e'); // NOLINT: on purpose
  copy = moved;
  EXPECT_TRUE(copy == moved && !(copy == Text("Xded")) && copy.size() == 5);
  EXPECT_EQ(str("a" + Text("b") + "c" + Text("d")), plain("abcd"));

  Text padded(3, 'z');
  EXPECT_EQ(str(padded), plain("zzz"));
  padded.resize(5);
  EXPECT_EQ(str(padded), plain(std::string("zzz\0\0", 5)));
  padded.resize(1);
  EXPECT_EQ(str(padded), plain("z"));
  padded.clear();
  EXPECT_EQ(str(padded), plain(""));
  Text assigned, never; // never allocated
  const Text& neverRead = never;
  EXPECT_EQ(std::string() + neverRead[0] + never[0], std::string(2, '\0'));
  assigned = std::string_view(); // no bytes behind it, and none to put them in
  assigned = "a";
  assigned = std::string_view();
  EXPECT_EQ(str(assigned), plain(""));
  assigned = "longer than before";
  EXPECT_EQ(str(assigned), plain("longer than before"));
}

// A moved-from text is empty, its terminator readable; a reserved buffer keeps the text and its
// terminator; a length that overflows ends the program before anything is allocated or written.
TEST(TextDeathTest, MovesOutReservesAndStopsOnOverflow) {
  Text kept("ab"), moved("cd");
  kept = std::move(moved);
  EXPECT_TRUE(moved.empty() && moved[moved.size()] == '\0'); // NOLINT: on purpose
  kept.reserve(100);
  EXPECT_EQ(str(kept), plain("cd"));
  const std::string_view huge(kept.c_str(), std::numeric_limits<std::size_t>::max() / 2);
  EXPECT_EXIT(kept += huge, ::testing::KilledBySignal(SIGABRT), "");
}

// A number is no character, and every kind of text converts alike.
template <typename T> constexpr bool kAppendable = requires(Text text, T value) {
  text += value;
};
static_assert(kAppendable<char> && kAppendable<const char*> && !kAppendable<int> &&
              !kAppendable<unsigned char> && !kAppendable<double>);
static_assert(std::is_convertible_v<const char*, Text> ==
              std::is_convertible_v<std::string_view, Text>);

} // namespace
} // namespace wexla
