// The program's own string does what std::string does, also when a text is fed its own bytes.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <string>
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
  expected += "ab";
  text += 'c';
  expected += 'c';
  text += Text("de");
  expected += "de";
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
  Text assigned;
  assigned = std::string_view();
  assigned = "a";
  assigned = "longer than before";
  EXPECT_EQ(str(assigned), plain("longer than before"));
}

// A moved-from text is empty; a reserved buffer keeps the text and its terminator; a length
// that overflows ends the program before anything is allocated or written.
TEST(TextDeathTest, MovesOutReservesAndStopsOnOverflow) {
  Text kept("ab"), moved("cd");
  kept = std::move(moved);
  EXPECT_TRUE(moved.empty()); // NOLINT: on purpose
  kept.reserve(100);
  EXPECT_EQ(str(kept), plain("cd"));
  const std::string_view huge(kept.c_str(), std::numeric_limits<std::size_t>::max() / 2);
  EXPECT_EXIT(kept += huge, ::testing::KilledBySignal(SIGABRT), "");
}

} // namespace
} // namespace wexla
