#include "platform/file_folder.h"

#include <gtest/gtest.h>

namespace wexla::test {
namespace {

TEST(FolderOfFile, RootsKeepTheirBackslash) {
  const struct {
    const char* path;
    const char* folder;
  } cases[] = {
      {"C:\\Apps\\wexla98.exe", "C:\\Apps"},
      {"C:\\Apps\\Sub\\wexla98.exe", "C:\\Apps\\Sub"},
      {"E:\\wexla98.exe", "E:\\"}, // "E:" alone would name E's current folder
      {"\\wexla98.exe", "\\"},
      {"\\\\server\\share\\wexla98.exe", "\\\\server\\share"},
      {"wexla98.exe", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(folderOfFile(c.path), c.folder) << c.path;
  }
}

} // namespace
} // namespace wexla::test
