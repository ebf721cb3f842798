// Every user-visible command, run with each platform call it makes failing in turn. Whatever
// fails, the settings on disk are the old file or a whole new one, what differs from the disk
// stays marked as unsaved, and the user hears of what matters.
#include "dialogs/about/system_info.h"
#include "tests/unit/program_fixture.h"
#include "tray/settings_file.h"
#include "tray/settings_store.h"

#include <algorithm>
#include <set>

namespace wexla::test {
namespace {

const std::string kOld = "C:\\Icons\\old, blue.ico", kNew = "C:\\Icons\\new.ico";
const std::string kIni = "C:\\Apps\\Wexla\\wexla.ini";
const std::string kOldLine = "\"" + kOld + "\",#TRUE#\r\n";
const std::string kMsInfo = "C:\\Program Files\\MSInfo\\msinfo32.exe";

using Step = std::function<void(Program&)>;
struct Command {
  const char* name;
  std::string settings; // wexla.ini at the start ("" = none)
  Step before;          // with a healthy platform
  Step act;
  bool startsUp = false;
};

const std::vector<Command>& commands() {
  const Step start = [](Program& p) { p.tray.start(); };
  const auto then = [start](Step more) { return [start, more](Program& p) { start(p), more(p); }; };
  const auto choosing = [](MenuCommand command) {
    return [command](Program& p) { p.choose(command); };
  };
  const auto pick = [then](const std::string& file) {
    return then([file](Program& p) { p.platform.picks = {file}; });
  };
  const Step changed = then(choosing(MenuCommand::RestoreDefaultIcon));
  const auto answer = [changed](Answer button) {
    return [changed, button](Program& p) { changed(p), p.platform.answers = {button}; };
  };
  static const std::vector<Command> table{
      {"StartWithSettings", kOldLine, nullptr, start, true},
      {"StartWithDamagedSettings", "\"C:\\Icons\\old", nullptr, start, true},
      {"LeftClick", "", start, [](Program& p) { p.tray.onTrayMessage(kLeftUp); }},
      {"ChangeIcon", kOldLine, pick(kNew), choosing(MenuCommand::ChangeIcon)},
      {"ChangeIconToNoIcon", kOldLine, pick("C:\\Icons\\broken.ico"),
       choosing(MenuCommand::ChangeIcon)},
      {"RestoreDefaultIcon", kOldLine, start, choosing(MenuCommand::RestoreDefaultIcon)},
      {"Save", kOldLine, changed, choosing(MenuCommand::SaveSettings)},
      {"SaveWithoutChanges", kOldLine, start, choosing(MenuCommand::SaveSettings)},
      {"SystemInfo", "", start,
       [](Program& p) {
         p.choose(openWindowCommand(WindowId::About)), p.about.onClick(ControlId::SystemInfoButton);
       }},
      {"QuitSaving", kOldLine, answer(Answer::Yes), choosing(MenuCommand::Quit)},
      {"QuitDiscarding", kOldLine, answer(Answer::No), choosing(MenuCommand::Quit)},
  };
  return table;
}

// Started from its own folder, as the installer's shortcut starts it. The preparation runs on
// a healthy platform; the records then show the command alone.
void run(Program& p, const Command& command, const std::string& failing) {
  p.platform.currentDir = p.platform.programDir;
  p.platform.files = {{kOld, "icon"}, {kNew, "icon"}, {"C:\\Icons\\broken.ico", "?"}};
  if (!command.settings.empty()) {
    p.platform.files[kIni] = command.settings;
  }
  p.platform.icons = {kOld, kNew};
  p.platform.registry[std::string(kMsInfoKey) + "|" + kMsInfoValue] = kMsInfo;
  p.platform.startable = {kMsInfo};
  if (command.before) {
    command.before(p);
  }
  p.platform.log.clear();
  p.platform.failing = {failing};
  command.act(p);
}

// Each promise is a condition that must hold and what it means when it does not.
std::vector<std::string> brokenPromises(const Program& p, const Command& command,
                                        const std::string& failing) {
  const FakePlatform& f = p.platform;
  const auto it = f.files.find(kIni);
  const auto file = it == f.files.end() ? std::nullopt : std::optional(it->second);
  const bool diskIsMemory = (file ? parseSettingsFile(*file) : Settings{}) == p.settings.values;
  const bool diskIsOldOrWhole =
      file == (command.settings.empty() ? std::nullopt : std::optional(command.settings)) ||
      file == str(formatSettingsLine(p.settings.values));
  // A failed search is, to the program, a missing file.
  const bool excused =
      f.told(kUnreadableSettingsText) || (command.startsUp && failing == "findOrdinaryFile");
  const auto replied = [&f](const std::string& reply) {
    return std::count(f.replies.begin(), f.replies.end(), reply) > 0;
  };
  const bool saveAsked =
      replied("Yes") ||
      replied("menu " + std::to_string(static_cast<int>(MenuCommand::SaveSettings)));
  const bool iconDropped = std::any_of(f.replies.begin(), f.replies.end(), [&](const auto& reply) {
    return reply.ends_with(".ico") && p.settings.values.iconPath != reply;
  });
  const std::pair<bool, const char*> promises[] = {
      {diskIsOldOrWhole, "wexla.ini is neither the old file nor a whole new one"},
      {diskIsMemory || p.settings.unsaved || excused,
       "memory differs from wexla.ini but is not marked as unsaved"},
      {!saveAsked || diskIsMemory || f.told(kSaveFailedText), "the save failed silently"},
      {f.count("removeIcon") == 0 || command.startsUp || diskIsMemory || replied("No"),
       "quit with unsaved settings although the user never answered No"},
      {!iconDropped || f.told(kIconLoadFailedText), "the chosen icon was dropped silently"},
      {f.count("readRegistryText") == 0 || f.count("startProgram") > 0 ||
           f.told(kSysInfoUnavailableText),
       "System Information did not start and the user was not told"}};
  std::vector<std::string> broken;
  for (const auto& [kept, what] : promises) {
    if (!kept) {
      broken.push_back(what);
    }
  }
  return broken;
}

// The icon still answers a click: the guard against clicks while a menu or a box is open was
// cleared on the way out.
bool iconAnswers(Program& p) {
  p.platform.failing.clear();
  const int menus = p.platform.count("menu");
  p.tray.onTrayMessage(kRightUp);
  return p.platform.count("menu") == menus + 1;
}

// The healthy run, then one failure at a time: a call that the healthy run does not make cannot
// fail.
TEST(FaultInjection, EveryCommandKeepsItsPromisesWithEachCallFailing) {
  for (const Command& command : commands()) {
    Program healthy;
    run(healthy, command, "");
    std::set<std::string> calls{""}; // the healthy run too
    for (const std::string& call : healthy.platform.log) {
      calls.insert(call.substr(0, call.find(' ')));
    }
    for (const std::string& call : calls) {
      Program p;
      run(p, command, call);
      for (const std::string& broken : brokenPromises(p, command, call)) {
        ADD_FAILURE() << command.name << " with " << call << " failing: " << broken;
      }
      EXPECT_TRUE(iconAnswers(p)) << command.name << " with " << call << " failing";
    }
  }
}

// Whichever step fails, the old file stays whole, no leftover remains, the change stays
// marked and the user is told where; the next attempt then succeeds.
TEST(SaveSettings, WritesAWholeFileIntoTheProgramsFolderOrKeepsTheOldOne) {
  for (const std::string programDir : {"C:\\Apps\\Wexla", "E:\\"}) {
    for (const std::string failing : {"", "enterFolder", "writeNewFile", "replaceFile"}) {
      FakePlatform f;
      f.programDir = programDir;
      const std::string ini = FakePlatform::pathIn(programDir, "wexla.ini");
      const std::string old = "\"old\",#FALSE#\r\n", saved = "\"C:\\i, j.ico\",#TRUE#\r\n";
      f.files[ini] = old;
      f.failing = {failing};
      EditedSettings settings{{"C:\\i, j.ico", true}, true};
      const bool ok = failing.empty();
      SCOPED_TRACE(programDir + " " + failing);
      EXPECT_EQ(std::tuple(saveSettings(f, f, settings), f.files, settings.unsaved),
                std::tuple(ok ? SaveOutcome::Saved : SaveOutcome::Failed,
                           std::map<std::string, std::string>{{ini, ok ? saved : old}}, !ok));
      f.failing.clear();
      EXPECT_EQ(saveSettings(f, f, settings), ok ? SaveOutcome::NothingToSave : SaveOutcome::Saved);
      EXPECT_EQ(f.files.at(ini) + f.currentDir, saved + programDir);
      EXPECT_EQ(
          f.calls("tell"),
          std::vector<std::string>{ok ? "tell No changes were made /1"
                                      : "tell The settings could not be saved to " + ini + ". /2"});
    }
  }
}

} // namespace
} // namespace wexla::test
