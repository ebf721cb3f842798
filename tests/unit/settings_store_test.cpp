#include "tray/settings_store.h"

#include "platform/message_box_style.h"
#include "tests/unit/fake_port.h"

#include <gtest/gtest.h>

namespace wexla::test {
namespace {

const std::string kLine = "\"0\",#TRUE#\r\n";

TEST(LoadSettings, ReadsOnlyAnOrdinaryWexlaIniOfTheCurrentDirectoryElseKeepsTheStartValues) {
  const struct {
    const char* name;
    std::map<std::string, std::string> files;
    std::string failing;
    LoadOutcome outcome;
  } cases[] = {
      {"none", {}, "", LoadOutcome::NotFound},
      {"upper case", {{"C:\\Work\\WEXLA.INI", kLine}}, "", LoadOutcome::Read},
      {"hidden", {{"C:\\Work\\wexla.ini", kLine}}, "", LoadOutcome::NotFound},
      {"elsewhere", {{"C:\\Apps\\Wexla\\wexla.ini", kLine}}, "", LoadOutcome::NotFound},
      {"other name", {{"C:\\Work\\wexla.ini.new", kLine}}, "", LoadOutcome::NotFound},
      {"garbage", {{"C:\\Work\\wexla.ini", "garbage"}}, "", LoadOutcome::Unreadable},
      {"too long",
       {{"C:\\Work\\wexla.ini", kLine + std::string(4096, ' ')}},
       "",
       LoadOutcome::Unreadable},
      {"cannot open", {{"C:\\Work\\wexla.ini", kLine}}, "readFile", LoadOutcome::Unreadable},
  };
  for (const auto& c : cases) {
    FakePort port;
    port.files = c.files;
    if (std::string(c.name) == "hidden") {
      port.hidden = {"C:\\Work\\wexla.ini"};
    }
    port.failing = {c.failing};
    IconDeclare state{"stale", kTrue, kTrue, 0, "", {}};
    EXPECT_EQ(loadSettings(port, port, state), c.outcome) << c.name;
    const bool read = c.outcome == LoadOutcome::Read;
    EXPECT_EQ(state.IconPath, read ? "0" : "") << c.name;
    EXPECT_EQ(state.DoubleClickOnly, read ? kTrue : kFalse) << c.name;
    EXPECT_EQ(state.SettingsChanged, kFalse) << c.name;
    if (read) {
      EXPECT_EQ(state.IniName, "WEXLA.INI");
    }
    // An unreadable file is reported and left as it is.
    ASSERT_EQ(port.boxes.size(), c.outcome == LoadOutcome::Unreadable ? 1u : 0u) << c.name;
    if (!port.boxes.empty()) {
      EXPECT_EQ(port.boxes[0].text, kUnreadableSettingsText);
      EXPECT_EQ(port.boxes[0].caption, "Wexla 98");
      EXPECT_EQ(port.boxes[0].style, kMbOk | kMbIconExclamation);
      EXPECT_EQ(port.files, c.files);
      EXPECT_EQ(state.Answer, 1);
    }
  }
}

TEST(SaveSettings, WithoutAChangeOnlySaysSo) {
  FakePort port;
  IconDeclare state;
  state.Answer = 99;
  EXPECT_EQ(saveSettings(port, port, state), SaveOutcome::NothingToSave);
  ASSERT_EQ(port.boxes.size(), 1u);
  EXPECT_EQ(port.boxes[0].text, "No changes were made");
  EXPECT_EQ(port.boxes[0].caption, "Wexla 98");
  EXPECT_EQ(port.boxes[0].style, kMbOk | kMbIconInformation);
  EXPECT_EQ(state.Answer, 1);
  EXPECT_TRUE(port.files.empty());
}

// Whichever step fails, the old file stays whole, no leftover remains, the change stays
// marked and the user is told where; the next attempt then succeeds.
TEST(SaveSettings, WritesAWholeFileIntoTheProgramsFolderOrKeepsTheOldOne) {
  for (const std::string appDir : {"C:\\Apps\\Wexla", "E:\\"}) {
    for (const std::string failing : {"", "setCurrentDirectory", "writeNewFile", "replaceFile"}) {
      FakePort port;
      port.appDir = appDir;
      const std::string ini = FakePort::pathIn(appDir, "wexla.ini");
      port.files[ini] = "\"old\",#FALSE#\r\n";
      port.failing = {failing};
      IconDeclare state{"C:\\i, j.ico", kTrue, kTrue, 0, "", {}};
      const SaveOutcome outcome = saveSettings(port, port, state);
      const std::string trace = appDir + " " + failing;
      EXPECT_EQ(outcome, failing.empty() ? SaveOutcome::Saved : SaveOutcome::Failed) << trace;
      EXPECT_EQ(port.files.size(), 1u) << trace;
      if (failing.empty()) {
        EXPECT_EQ(port.files[ini], "\"C:\\i, j.ico\",#TRUE#\r\n");
        EXPECT_EQ(port.currentDir, appDir);
        EXPECT_EQ(state.SettingsChanged, kFalse);
        EXPECT_TRUE(port.boxes.empty());
        continue;
      }
      EXPECT_EQ(port.files[ini], "\"old\",#FALSE#\r\n") << trace;
      EXPECT_EQ(state.SettingsChanged, kTrue);
      ASSERT_EQ(port.boxes.size(), 1u) << trace;
      EXPECT_EQ(port.boxes[0].text, "The settings could not be saved to " + ini + ".");
      EXPECT_EQ(port.boxes[0].style, kMbOk | kMbIconExclamation);
      EXPECT_EQ(state.Answer, 1);
      port.failing.clear();
      EXPECT_EQ(saveSettings(port, port, state), SaveOutcome::Saved) << trace;
    }
  }
}

} // namespace
} // namespace wexla::test
