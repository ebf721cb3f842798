#include "tray/settings_file.h"

#include <gtest/gtest.h>

namespace wexla {
namespace {

TEST(SettingsLine, WritesTheNotationByteForByte) {
  EXPECT_EQ(formatSettingsLine("C:\\Icons\\a b,c.ico", kFalse),
            "\"C:\\Icons\\a b,c.ico\",#FALSE#\r\n");
  EXPECT_EQ(formatSettingsLine("0", kTrue), "\"0\",#TRUE#\r\n");
  EXPECT_EQ(formatSettingsLine("", kFalse), "\"\",#FALSE#\r\n");
  // Any non-zero Boolean is written as True.
  EXPECT_EQ(formatSettingsLine("", 1), "\"\",#TRUE#\r\n");
}

TEST(SettingsLine, ReadsBackWhatItWrites) {
  for (const std::string path : {"", "0", "C:\\My Icons\\x, y.ico", "\\\\server\\share\\i.ico"}) {
    for (const VbBoolean mode : {kTrue, kFalse}) {
      const auto parsed = parseSettingsFile(formatSettingsLine(path, mode));
      ASSERT_TRUE(parsed) << path;
      EXPECT_EQ(parsed->iconPath, path);
      EXPECT_EQ(parsed->doubleClickOnly, mode);
    }
  }
}

TEST(SettingsLine, AcceptsTheLenientFormsOfTheNotation) {
  const std::pair<const char*, VbBoolean> cases[] = {
      {"\"a\",#TRUE#", kTrue},
      {"\"a\",#false#\n", kFalse},
      {"  \"a\" , #TRUE#  \r\n", kTrue},
      {"\"a\",-1\r\n", kTrue},
      {"\"a\",0", kFalse},
      {"\"a\",#FALSE#\r\nsecond line is ignored", kFalse},
  };
  for (const auto& [text, mode] : cases) {
    const auto parsed = parseSettingsFile(text);
    ASSERT_TRUE(parsed) << text;
    EXPECT_EQ(parsed->iconPath, "a");
    EXPECT_EQ(parsed->doubleClickOnly, mode) << text;
  }
}

TEST(SettingsLine, RejectsWhatIsNotTheNotation) {
  const std::string cases[] = {
      "",
      "\"a\"",
      "\"a\",",
      "\"a\" #TRUE#",
      "a,#TRUE#",
      "\"a,#TRUE#",
      "\"a\",#MAYBE#",
      "\"a\",#TRUE#x",
      "\"a\",#TRUE#,extra",
      "\"a\",--1",
      "\"a\nb\",#TRUE#",
      std::string("\"a\0b\",#TRUE#", 12),
      "\x89PNG\r\n\x1a\n",
      "\"" + std::string(kMaxIconPathLength + 1, 'x') + "\",#TRUE#",
      "\"a\",#TRUE#\r\n" + std::string(kMaxSettingsFileBytes, ' '),
  };
  for (const auto& text : cases) {
    EXPECT_FALSE(parseSettingsFile(text)) << text;
  }
  EXPECT_TRUE(parseSettingsFile("\"" + std::string(kMaxIconPathLength, 'x') + "\",#TRUE#"));
}

} // namespace
} // namespace wexla
