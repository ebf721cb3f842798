#include "tray/settings_store.h"

#include "platform/message_box_style.h"
#include "tests/unit/fake_port.h"

#include <gtest/gtest.h>

namespace wexla::test {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
  FakePort port;
  IconDeclare state;
  void settingsFile(const std::string& bytes) { port.putFile(port.currentDir, "wexla.ini", bytes); }
};

TEST_F(SettingsStoreTest, LoadResetsToStartValuesWhenThereIsNoFile) {
  state.IconPath = "stale";
  state.DoubleClickOnly = kTrue;
  state.SettingsChanged = kTrue;
  EXPECT_EQ(loadSettings(port, port, state), LoadOutcome::NotFound);
  EXPECT_EQ(state.IconPath, "");
  EXPECT_EQ(state.DoubleClickOnly, kFalse);
  EXPECT_EQ(state.SettingsChanged, kFalse);
  EXPECT_TRUE(port.messageBoxes.empty());
}

TEST_F(SettingsStoreTest, LoadFindsTheFileWhateverTheLetterCase) {
  port.putFile(port.currentDir, "WEXLA.INI", "\"0\",#TRUE#\r\n");
  EXPECT_EQ(loadSettings(port, port, state), LoadOutcome::Read);
  EXPECT_EQ(state.IniName, "WEXLA.INI");
  EXPECT_EQ(state.IconPath, "0");
  EXPECT_EQ(state.DoubleClickOnly, kTrue);
}

TEST_F(SettingsStoreTest, LoadIgnoresAHiddenFileAndOnesInOtherDirectories) {
  port.putFile(port.appDir, "wexla.ini", "\"0\",#TRUE#\r\n");
  settingsFile("\"0\",#TRUE#\r\n");
  port.hiddenFiles.insert(port.currentDir + "\\wexla.ini");
  EXPECT_EQ(loadSettings(port, port, state), LoadOutcome::NotFound);
  EXPECT_EQ(state.DoubleClickOnly, kFalse);
}

TEST_F(SettingsStoreTest, UnreadableFileKeepsStartValuesTellsTheUserAndIsLeftAlone) {
  for (const std::string bytes : {"garbage", "\"x\"", "\"x\",#MAYBE#", "\"C:\\a.ico,#TRUE#"}) {
    settingsFile(bytes);
    state = IconDeclare{};
    port.messageBoxes.clear();
    EXPECT_EQ(loadSettings(port, port, state), LoadOutcome::Unreadable) << bytes;
    EXPECT_EQ(state.IconPath, "");
    EXPECT_EQ(state.DoubleClickOnly, kFalse);
    ASSERT_EQ(port.messageBoxes.size(), 1u);
    EXPECT_EQ(port.messageBoxes[0].text, kUnreadableSettingsText);
    EXPECT_EQ(port.messageBoxes[0].caption, "Wexla 98");
    EXPECT_EQ(port.fileAt(port.currentDir, "wexla.ini"), bytes);
  }
}

TEST_F(SettingsStoreTest, FileThatCannotBeOpenedIsReportedLikeAnUnreadableOne) {
  settingsFile("\"0\",#TRUE#\r\n");
  port.failing.insert("readFile");
  EXPECT_EQ(loadSettings(port, port, state), LoadOutcome::Unreadable);
  EXPECT_EQ(port.messageBoxes.size(), 1u);
}

TEST_F(SettingsStoreTest, SaveWithoutChangeOnlySaysSo) {
  state.Answer = 99;
  EXPECT_EQ(saveSettings(port, port, state), SaveOutcome::NothingToSave);
  ASSERT_EQ(port.messageBoxes.size(), 1u);
  EXPECT_EQ(port.messageBoxes[0].text, "No changes were made");
  EXPECT_EQ(port.messageBoxes[0].style, kMbIconInformation);
  EXPECT_EQ(state.Answer, 1);
  EXPECT_TRUE(port.files.empty());
}

TEST_F(SettingsStoreTest, SaveWritesIntoTheApplicationDirectoryAndOnlyOnce) {
  state.IconPath = "C:\\i, j.ico";
  state.DoubleClickOnly = kTrue;
  state.SettingsChanged = kTrue;
  EXPECT_EQ(saveSettings(port, port, state), SaveOutcome::Saved);
  EXPECT_EQ(port.fileAt(port.appDir, "wexla.ini"), "\"C:\\i, j.ico\",#TRUE#\r\n");
  EXPECT_EQ(port.fileAt(port.appDir, kSettingsTempName), "<missing>");
  EXPECT_EQ(port.currentDir, port.appDir);
  EXPECT_EQ(state.SettingsChanged, kFalse);
  EXPECT_EQ(saveSettings(port, port, state), SaveOutcome::NothingToSave);
}

TEST_F(SettingsStoreTest, FailedSaveKeepsTheOldFileWholeAndTheChangeFlagSet) {
  for (const std::string failingCall : {"setCurrentDirectory", "writeNewFile", "replaceFile"}) {
    port = FakePort{};
    port.putFile(port.appDir, "wexla.ini", "\"old\",#FALSE#\r\n");
    port.failing.insert(failingCall);
    state.SettingsChanged = kTrue;
    state.IconPath = "new";
    EXPECT_EQ(saveSettings(port, port, state), SaveOutcome::Failed) << failingCall;
    EXPECT_EQ(state.SettingsChanged, kTrue);
    EXPECT_EQ(port.fileAt(port.appDir, "wexla.ini"), "\"old\",#FALSE#\r\n");
    EXPECT_EQ(port.fileAt(port.appDir, kSettingsTempName), "<missing>");
    ASSERT_EQ(port.messageBoxes.size(), 1u);
    EXPECT_EQ(port.messageBoxes[0].text,
              "The settings could not be saved to C:\\Apps\\Wexla\\wexla.ini.");
    port.failing.clear();
    EXPECT_EQ(saveSettings(port, port, state), SaveOutcome::Saved);
    EXPECT_EQ(port.fileAt(port.appDir, "wexla.ini"), "\"new\",#FALSE#\r\n");
  }
}

} // namespace
} // namespace wexla::test
