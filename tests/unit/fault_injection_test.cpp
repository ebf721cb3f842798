// Every user-visible command, run with each platform call it makes failing in turn. Whatever
// fails, the settings on disk are the old file or a whole new one, what differs from the disk
// stays marked as unsaved, and the user hears of what matters.
#include "dialogs/about/system_info.h"
#include "tests/unit/fake_platform.h"
#include "tray/settings_file.h"
#include "tray/settings_store.h"

#include <set>

namespace wexla::test {
namespace {

const std::string kOld = "C:\\Icons\\old, blue.ico", kNew = "C:\\Icons\\new.ico";
const std::string kIni = "C:\\Apps\\Wexla\\wexla.ini";
const std::string kOldLine = "\"" + kOld + "\",#TRUE#\r\n";
const std::string kMsInfo = "C:\\Program Files\\MSInfo\\msinfo32.exe";

using Step = std::function<void(Program&)>;
Step choosing(MenuCommand command) {
  return [command](Program& p) { p.choose(command); };
}

// After the start (unless the command is the start itself), on a healthy platform, the icon is
// restored to the built-in one when `changed`; the file dialog then picks the new icon and the
// question is answered `answer`. A click keeps nothing but the click guard (the restart test's),
// an unloadable pick is the pick with loadIcon failing, a save of nothing writes nothing.
struct Command {
  const char* name;
  std::string settings; // wexla.ini at the start ("" = none)
  Step act;             // nullptr: the start
  bool changed = false;
  Answer answer = Answer::Yes;
};

const std::vector<Command> kCommands{
    {"StartWithSettings", kOldLine, nullptr},
    {"StartWithDamagedSettings", "\"C:\\Icons\\old", nullptr},
    {"ChangeIcon", kOldLine, choosing(MenuCommand::ChangeIcon)},
    {"RestoreDefaultIcon", kOldLine, choosing(MenuCommand::RestoreDefaultIcon)},
    {"Save", kOldLine, choosing(MenuCommand::SaveSettings), true},
    {"SystemInfo", "",
     [](Program& p) {
       p.choose(openWindowCommand(WindowId::About)),
           p.dialogs.about.onClick(ControlId::SystemInfoButton);
     }},
    {"QuitSaving", kOldLine, choosing(MenuCommand::Quit), true},
    {"QuitDiscarding", kOldLine, choosing(MenuCommand::Quit), true, Answer::No},
};

// Started from its own folder, as the installer's shortcut starts it. The records show the
// command alone.
void run(Program& p, const Command& command, const std::string& failing) {
  p.platform.currentDir = p.platform.programDir;
  p.platform.files = {{kOld, "icon"}, {kNew, "icon"}};
  if (!command.settings.empty())
    p.platform.files[kIni] = command.settings;
  p.platform.icons = {kOld, kNew};
  p.platform.registry[std::string(kMsInfoKey) + "|" + kMsInfoValue] = kMsInfo;
  p.platform.startable = {kMsInfo};
  p.platform.picks = {kNew};
  p.platform.answers = {command.answer};
  if (command.act)
    p.tray.start();
  if (command.changed)
    p.choose(MenuCommand::RestoreDefaultIcon);
  p.platform.log.clear();
  p.platform.failing = {failing};
  command.act ? command.act(p) : p.tray.start();
}

// Each promise is a condition that must hold, with what it means when it does not.
void checkPromises(Program& p, const Command& command, const std::string& failing) {
  SCOPED_TRACE(std::string(command.name) + " with " + failing + " failing");
  const FakePlatform& f = p.platform;
  const auto it = f.files.find(kIni);
  const auto file = it == f.files.end() ? std::nullopt : std::optional(it->second);
  const bool diskIsMemory = (file ? parseSettingsFile(*file) : Settings{}) == p.settings.values;
  EXPECT_TRUE(file == (command.settings.empty() ? std::nullopt : std::optional(command.settings)) ||
              file == str(formatSettingsLine(p.settings.values)))
      << "wexla.ini is neither the old file nor a whole new one";
  EXPECT_EQ(f.files.count(kIni + ".new"), 0U) << "a half-written file was left behind";
  // A failed search is, to the program, a missing file.
  EXPECT_TRUE(diskIsMemory || p.settings.unsaved || f.told(kUnreadableSettingsText) ||
              (!command.act && failing == "findOrdinaryFile"))
      << "memory differs from wexla.ini but is not marked as unsaved";
  const int saveChosen = static_cast<int>(MenuCommand::SaveSettings);
  EXPECT_TRUE(f.count("reply ask 0") + f.count("reply menu " + std::to_string(saveChosen)) == 0 ||
              diskIsMemory || f.told(kSaveFailedText))
      << "the save failed silently";
  EXPECT_TRUE(f.count("removeIcon") == 0 || !command.act || diskIsMemory ||
              f.count("reply ask 1") > 0)
      << "quit with unsaved settings although the user never answered No";
  EXPECT_TRUE(f.count("reply chooseIconFile " + kNew) == 0 || p.settings.values.iconPath == kNew ||
              f.told(kIconLoadFailedText))
      << "the chosen icon was dropped silently";
  EXPECT_TRUE(f.count("readRegistryText") == 0 || f.count("startProgram") > 0 ||
              f.told(kSysInfoUnavailableText))
      << "System Information did not start and the user was not told";
  // The guard against clicks while a menu or a box is open was cleared on the way out.
  p.platform.failing.clear();
  const int menus = f.count("menu");
  p.tray.onTrayMessage(kRightUp);
  EXPECT_EQ(f.count("menu"), menus + 1) << "the icon no longer answers";
}

// The healthy run, then one failure at a time: a call that the healthy run does not make cannot
// fail.
TEST(FaultInjection, EveryCommandKeepsItsPromisesWithEachCallFailing) {
  for (const Command& command : kCommands) {
    Program healthy;
    run(healthy, command, "");
    std::set<std::string> calls{""}; // the healthy run too
    for (const std::string& call : healthy.platform.log)
      calls.insert(call.substr(0, call.find(' ')));
    for (const std::string& call : calls) {
      Program p;
      run(p, command, call);
      checkPromises(p, command, call);
    }
  }
}

// The file goes into the program's folder, also at a drive's root; a failure names it.
TEST(SaveSettings, SavesIntoTheProgramsFolderAndNamesTheFileItCouldNotSave) {
  for (const std::string dir : {"C:\\Apps\\Wexla", "E:\\"}) {
    FakePlatform f;
    f.programDir = dir;
    f.failing = {"replaceFile"};
    EditedSettings settings{{"C:\\i", true}, true};
    const std::string ini = FakePlatform::pathIn(dir, "wexla.ini");
    EXPECT_EQ(saveSettings(f, f, settings), SaveOutcome::Failed);
    f.failing.clear();
    EXPECT_EQ(saveSettings(f, f, settings), SaveOutcome::Saved);
    EXPECT_EQ(saveSettings(f, f, settings), SaveOutcome::NothingToSave);
    EXPECT_EQ(std::tuple(f.files, f.currentDir, f.trace({"tell"})),
              std::tuple(std::map<std::string, std::string>{{ini, "\"C:\\i\",#TRUE#\r\n"}}, dir,
                         "tell The settings could not be saved to " + ini +
                             ". /2; tell No changes were made /1; "));
  }
}

} // namespace
} // namespace wexla::test
