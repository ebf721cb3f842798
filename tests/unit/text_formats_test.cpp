// The pure conversions: the settings line, registry values as text, and the folder of a
// file path.
#include "platform/file_folder.h"
#include "platform/registry_text.h"
#include "tray/settings_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace wexla {
namespace {

// Read from an exact-size heap copy, so that a read past the end is an error the sanitizers see.
// Whatever is read, the writer stores again as exactly the same settings.
std::optional<Settings> parsed(std::string_view text) {
  const std::vector<char> exact(text.begin(), text.end());
  const std::optional<Settings> read = parseSettingsFile({exact.data(), exact.size()});
  EXPECT_TRUE(!read || parseSettingsFile(formatSettingsLine(*read)) == read) << text;
  return read;
}

// The path is written as it is, commas and all.
TEST(SettingsLine, WritesTheNotation) {
  EXPECT_EQ(formatSettingsLine({"C:\\Icons\\a b,c.ico", true}),
            "\"C:\\Icons\\a b,c.ico\",#TRUE#\r\n");
  EXPECT_EQ(formatSettingsLine({"", false}), "\"\",#FALSE#\r\n");
}

TEST(SettingsLine, ReadsTheLenientFormsAndRejectsWhatIsNotTheNotation) {
  enum { kFalse, kTrue, kRejected }; // what each text reads as
  const std::string padding(kMaxSettingsFileBytes - 11, ' ');
  const std::pair<int, std::vector<std::string>> groups[] = {
      {kTrue,
       {"\"a\",#TRUE#", " \t\"a\"\t , \t#TRUE# \t\r\n", "\"a\",-1\r\n", "\"a\",+1", "\"a\",+007",
        "\"a\",9", "\"a\",#TRUE#\r\n" + padding.substr(1)}}, // the last: exactly the largest file
      {kFalse,
       {"\"a\",#false#\n", "\"a\",#FALSE#\rx", "\"a\",0", "\"a\",-00",
        "\"a\",#FALSE#\r\nsecond line is ignored"}},
      {kRejected,
       {"\"a\",#TRUE#\r\n" + padding, "\"a\" #TRUE#", "\"a\";#TRUE#", "a,#TRUE#", "\"a,#TRUE#",
        "\"a\",#MAYBE#", "\"a\",#TRUE#x", "\"a\",#TRUE# x", "\"a\",--1", "\"a\",#TRUE#,extra",
        "\"a\",-", "\"a\",1a", "\"a\nb\",#TRUE#", "\"a\rb\",#TRUE#",
        std::string("\"a\0b\",#TRUE#", 12), std::string("\"a\",#TRUE#\r\n\0", 13),
        "\x89PNG\r\n\x1a\n", "\xff\xfe[settings]\r\nicon=1\r\n", "0"}}};
  for (const auto& [mode, texts] : groups) {
    for (const std::string& text : texts) {
      const auto read = parsed(text);
      ASSERT_EQ(read.has_value(), mode != kRejected) << text;
      EXPECT_TRUE(!read || (*read == Settings{"a", mode == kTrue})) << text;
    }
  }
  for (const std::string path : {"", "0", "C:\\My Icons\\mail, blue.ico"}) // commas and all
    EXPECT_EQ(parsed("\"" + path + "\",#FALSE#\r\n"), (Settings{Text(path), false})) << path;
  const std::string longest(kMaxIconPathLength, 'x');
  EXPECT_TRUE(parsed("\"" + longest + "\",0"));
  EXPECT_FALSE(parsed("\"" + longest + "x\",0"));
  const std::string line = "  \"a\" , #TRUE#"; // every cut-off line is rejected
  for (std::size_t length = 0; length < line.size(); ++length) {
    EXPECT_FALSE(parsed(std::string_view(line).substr(0, length))) << length;
  }
}

TEST(RegistryValueText, TextsLoseTheirTerminatorNumbersBecomeUnsignedText) {
  constexpr std::uint32_t kRegSz = kRegistryString, kRegDword = kRegistryNumber;
  const std::tuple<std::uint32_t, std::string, std::string> cases[] = {
      {kRegSz, std::string("C:\\x\0", 5), "C:\\x"},
      {kRegSz, "C:\\x", "C:\\x"},
      {kRegSz, std::string("a\0\0", 3), std::string("a\0", 2)},
      {kRegSz, "", ""},
      {kRegDword, std::string("\x2A\x00\x00\x00", 4), "42"},
      {kRegDword, std::string("\x00\x00\x00\x80", 4), "2147483648"},
      {kRegDword, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", "18446744073709551615"},
      {kRegDword, std::string("\x01\x02\x00", 3), "513"},
      {kRegDword, "", ""},
      // Longer than a 64-bit number: hexadecimal, most significant byte first.
      {kRegDword, "\x10\x32\x54\x76\x98\xBA\xDC\xFE\x0F", "&h0FFEDCBA9876543210"},
      {3, "\x01\x02", ""},
      {2, "x", ""}};
  for (const auto& [type, stored, text] : cases) {
    EXPECT_EQ(registryValueText(type, stored), text) << type << " " << stored;
  }
}

TEST(FolderOfFile, RootsKeepTheirBackslash) {
  // "E:" alone would name E's current folder.
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\A\\w.exe", "C:\\A"},
      {"C:\\A\\B\\w.exe", "C:\\A\\B"},
      {"C:/A/w.exe", "C:/A"},
      {"E:\\w.exe", "E:\\"},
      {"\\w.exe", "\\"},
      {"w.exe", ""},
      {"\\\\server\\share\\w.exe", "\\\\server\\share"},
  };
  for (const auto& [path, folder] : cases) {
    EXPECT_EQ(folderOfFile(path), folder) << path;
  }
}

} // namespace
} // namespace wexla
