// The pure conversions: the settings line, the callback's message number, registry values
// as text, and the folder of a file path.
#include "dialogs/about/sys_info.h"
#include "platform/file_folder.h"
#include "tray/message_number.h"
#include "tray/settings_file.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <limits>

namespace wexla {
namespace {

TEST(SettingsLine, WritesTheNotationAndReadsItBack) {
  const struct {
    const char* path;
    VbBoolean mode;
    const char* line;
  } cases[] = {
      {"C:\\Icons\\a b,c.ico", kFalse, "\"C:\\Icons\\a b,c.ico\",#FALSE#\r\n"},
      {"0", kTrue, "\"0\",#TRUE#\r\n"},
      {"", kFalse, "\"\",#FALSE#\r\n"},
      {"\\\\server\\share\\i.ico", 1, "\"\\\\server\\share\\i.ico\",#TRUE#\r\n"}, // any non-zero
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatSettingsLine(c.path, c.mode), c.line);
    const auto read = parseSettingsFile(c.line);
    ASSERT_TRUE(read) << c.line;
    EXPECT_EQ(read->iconPath, c.path);
    EXPECT_EQ(read->doubleClickOnly, c.mode == kFalse ? kFalse : kTrue);
  }
}

// Each text is handed over as a view into a longer buffer: the reader must stop at its end.
TEST(SettingsLine, AcceptsTheLenientFormsOfTheNotation) {
  const std::string padding(kMaxSettingsFileBytes, ' ');
  const std::pair<std::string, VbBoolean> cases[] = {
      {"\"a\",#TRUE#", kTrue},
      {"\"a\",#false#\n", kFalse},
      {"\"a\",#FALSE#\rx", kFalse},
      {" \t\"a\"\t , \t#TRUE# \t\r\n", kTrue},
      {"\"a\",-1\r\n", kTrue},
      {"\"a\",+1", kTrue},
      {"\"a\",9", kTrue},
      {"\"a\",0", kFalse},
      {"\"a\",-00", kFalse},
      {"\"a\",#FALSE#\r\nsecond line is ignored", kFalse},
      {"\"a\",#TRUE#\r\n" + padding.substr(12), kTrue}, // exactly the largest file
  };
  for (const auto& [text, mode] : cases) {
    const std::string buffer = text + "9\"";
    const auto read = parseSettingsFile(std::string_view(buffer).substr(0, text.size()));
    ASSERT_TRUE(read) << text;
    EXPECT_EQ(read->iconPath, "a");
    EXPECT_EQ(read->doubleClickOnly, mode) << text;
  }
  EXPECT_TRUE(parseSettingsFile("\"" + std::string(kMaxIconPathLength, 'x') + "\",0"));
}

TEST(SettingsLine, RejectsWhatIsNotTheNotation) {
  const std::string cases[] = {
      "\"a\" #TRUE#",
      "a,#TRUE#",
      "\"a,#TRUE#",
      "\"a\",#MAYBE#",
      "\"a\",#TRUE#x",
      "\"a\",#TRUE# x",
      "\"a\",#TRUE#,extra",
      "\"a\",--1",
      "\"a\",-",
      "\"a\",1a",
      "\"a\nb\",#TRUE#",
      "\"a\rb\",#TRUE#",
      std::string("\"a\0b\",#TRUE#", 12),
      std::string("\"a\",#TRUE#\r\n\0", 13),
      "\x89PNG\r\n\x1a\n",
      "\"" + std::string(kMaxIconPathLength + 1, 'x') + "\",#TRUE#",
      "\"a\",#TRUE#\r\n" + std::string(kMaxSettingsFileBytes - 11, ' '),
  };
  for (const auto& text : cases) {
    EXPECT_FALSE(parseSettingsFile(text)) << text;
  }
  // Every cut-off line is rejected, whatever the buffer holds beyond the cut.
  const std::string line = "  \"a\" , #TRUE#";
  for (std::size_t length = 0; length < line.size(); ++length) {
    EXPECT_FALSE(parseSettingsFile(std::string_view(line).substr(0, length))) << length;
  }
}

TEST(MessageNumber, RoundsHalfToEvenInAnyRoundingModeAndRejectsNonNumbers) {
  constexpr float kInt32Min = -2147483648.0f;
  constexpr float kLargestBelowInt32Max = 2147483520.0f;
  const struct {
    float x, factor;
    std::optional<std::int32_t> number;
  } cases[] = {
      {514.5f * 16, 16, 514},
      {515.5f * 16, 16, 516},
      {514.25f * 16, 16, 514},
      {514.75f * 16, 16, 515},
      {-514.5f * 16, 16, -514},
      {514.0f * 14.4f, 14.4f, 514}, // 100 DPI
      {kInt32Min, 1, std::numeric_limits<std::int32_t>::min()},
      {kLargestBelowInt32Max, 1, 2147483520},
      {3e38f, 1, std::nullopt},
      {-3e38f, 1, std::nullopt},
      {-2147483904.0f, 1, std::nullopt}, // the float below the smallest 32-bit number
      {1, 0, std::nullopt},
      {0, 0, std::nullopt},
  };
  for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD}) {
    std::fesetround(mode);
    for (const auto& c : cases) {
      EXPECT_EQ(mouseMessageNumber(c.x, c.factor), c.number) << c.x << " / " << c.factor;
    }
    EXPECT_EQ(std::fegetround(), mode); // the caller's mode is put back
  }
  std::fesetround(FE_TONEAREST);
}

TEST(RegistryValueText, TextsLoseTheirTerminatorNumbersBecomeUnsignedText) {
  const struct {
    std::uint32_t type;
    std::string stored;
    std::optional<std::string> text;
  } cases[] = {
      {kRegSz, std::string("C:\\x.exe\0", 9), "C:\\x.exe"},
      {kRegSz, "C:\\x.exe", "C:\\x.exe"},
      {kRegSz, std::string("a\0\0", 3), std::string("a\0", 2)},
      {kRegSz, "", ""},
      {kRegDword, std::string("\x2A\x00\x00\x00", 4), "42"},
      {kRegDword, std::string("\x00\x01\x00\x00", 4), "256"},
      {kRegDword, std::string("\x00\x00\x00\x80", 4), "2147483648"},
      {kRegDword, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", "18446744073709551615"},
      {kRegDword, std::string("\x01\x02\x00", 3), "513"},
      {kRegDword, "", ""},
      // Longer than a 64-bit number: hexadecimal, most significant byte first.
      {kRegDword, "\x10\x32\x54\x76\x98\xBA\xDC\xFE\x0F", "&h0FFEDCBA9876543210"},
      {3, "\x01\x02", std::nullopt},
      {2, "x", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decodeRegistryValue(c.type, c.stored), c.text) << c.type << " " << c.stored;
  }
}

TEST(FolderOfFile, RootsKeepTheirBackslash) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Apps\\wexla98.exe", "C:\\Apps"},
      {"C:\\Apps\\Sub\\wexla98.exe", "C:\\Apps\\Sub"},
      {"E:\\wexla98.exe", "E:\\"}, // "E:" alone would name E's current folder
      {"\\wexla98.exe", "\\"},
      {"C:/Apps/wexla98.exe", "C:/Apps"},
      {"\\\\server\\share\\wexla98.exe", "\\\\server\\share"},
      {"wexla98.exe", ""},
  };
  for (const auto& [path, folder] : cases) {
    EXPECT_EQ(folderOfFile(path), folder) << path;
  }
}

} // namespace
} // namespace wexla
