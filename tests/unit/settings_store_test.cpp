#include "tray/settings_store.h"

#include "platform/message_box_style.h"
#include "state/app_title.h"
#include "tests/unit/fake_port.h"

#include <gtest/gtest.h>

namespace wexla::test {
namespace {

const std::string kLine = "\"0\",#TRUE#\r\n";

// An unreadable file is reported and left as it is; in every case the start values stay
// unless the file was read.
TEST(LoadSettings, ReadsOnlyWexlaIniOfTheCurrentDirectoryElseKeepsTheStartValues) {
  const struct {
    std::string file, bytes, failing;
    LoadOutcome outcome;
  } cases[] = {{"", "", "", LoadOutcome::NotFound},
               {"C:\\Work\\WEXLA.INI", kLine, "", LoadOutcome::Read},
               {"C:\\Apps\\Wexla\\wexla.ini", kLine, "", LoadOutcome::NotFound},
               {"C:\\Work\\wexla.ini.new", kLine, "", LoadOutcome::NotFound},
               {"C:\\Work\\wexla.ini", "garbage", "", LoadOutcome::Unreadable},
               {"C:\\Work\\wexla.ini", kLine + std::string(4096, ' '), "", LoadOutcome::Unreadable},
               {"C:\\Work\\wexla.ini", kLine, "readFile", LoadOutcome::Unreadable}};
  for (const auto& c : cases) {
    FakePort port;
    port.files[c.file] = c.bytes;
    const auto files = port.files;
    port.failing = {c.failing};
    IconDeclare state{"stale", kTrue, kTrue, 0, "", {}};
    const LoadOutcome outcome = loadSettings(port, port, state);
    const bool read = c.outcome == LoadOutcome::Read;
    EXPECT_EQ(std::tuple(outcome, state.IconPath, state.DoubleClickOnly, state.SettingsChanged),
              std::tuple(c.outcome, read ? "0" : "", read ? kTrue : kFalse, kFalse))
        << c.file;
    EXPECT_TRUE(!read || state.IniName == "WEXLA.INI");
    const bool told = c.outcome == LoadOutcome::Unreadable;
    EXPECT_EQ(port.of("messageBox"),
              std::vector<Args>(told, {kUnreadableSettingsText, kAppTitle,
                                       text(kMbOk | kMbIconExclamation), "1"}))
        << c.file;
    if (told) {
      EXPECT_EQ(port.files, files);
      EXPECT_EQ(state.Answer, 1);
    }
  }
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
      const std::string trace = appDir + " " + failing, saved = "\"C:\\i, j.ico\",#TRUE#\r\n";
      const bool ok = failing.empty();
      const SaveOutcome outcome = saveSettings(port, port, state);
      EXPECT_EQ(std::tuple(outcome, port.files.size(), port.files.at(ini), state.SettingsChanged),
                std::tuple(ok ? SaveOutcome::Saved : SaveOutcome::Failed, 1u,
                           ok ? saved : "\"old\",#FALSE#\r\n", ok ? kFalse : kTrue))
          << trace;
      port.failing.clear();
      EXPECT_EQ(saveSettings(port, port, state),
                ok ? SaveOutcome::NothingToSave : SaveOutcome::Saved)
          << trace;
      EXPECT_EQ(port.files.at(ini) + port.currentDir, saved + appDir) << trace;
      const Args told = failing.empty() ? Args{"No changes were made", kAppTitle,
                                               text(kMbOk | kMbIconInformation), "1"}
                                        : Args{"The settings could not be saved to " + ini + ".",
                                               kAppTitle, text(kMbOk | kMbIconExclamation), "1"};
      EXPECT_EQ(port.of("messageBox"), std::vector<Args>{told}) << trace;
      EXPECT_EQ(state.Answer, 1);
    }
  }
}

} // namespace
} // namespace wexla::test
