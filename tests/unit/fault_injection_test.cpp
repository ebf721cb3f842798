// Every user-visible command, run with each platform call failing in turn and with the program
// stopped at each call it makes. Whatever goes wrong, the settings survive on disk or stay
// marked as unsaved, the next start finds a whole file, and the user hears of what matters.
// First, the save itself with each of its steps failing.
#include "dialogs/about/system_info.h"
#include "tests/unit/program_fixture.h"
#include "tray/settings_file.h"
#include "tray/settings_store.h"

#include <algorithm>
#include <set>

namespace wexla::test {
namespace {

const std::string kOld = "C:\\Icons\\old, blue.ico";
const std::string kNew = "C:\\Icons\\new.ico";
const std::string kIni = "C:\\Apps\\Wexla\\wexla.ini";
const std::string kMsInfo = "C:\\Program Files\\MSInfo\\msinfo32.exe";

// Started from its own folder, as the installer's shortcut starts it.
void setUp(Program& p, const std::string& settings) {
  p.platform.currentDir = p.platform.programDir;
  p.platform.files = {{kOld, "icon"}, {kNew, "icon"}, {"C:\\Icons\\broken.ico", "?"}};
  if (!settings.empty()) {
    p.platform.files[kIni] = settings;
  }
  p.platform.icons = {kOld, kNew};
  p.platform.registry[std::string(kMsInfoKey) + "|" + kMsInfoValue] = kMsInfo;
  p.platform.startable = {kMsInfo};
}

const auto start = [](Program& p) { p.tray.start(); };

struct Command {
  const char* name;
  std::string settings;                 // wexla.ini at the start ("" = none)
  std::function<void(Program&)> before; // with a healthy platform
  std::function<void(Program&)> act;
  bool startsUp = false;
};

Command choosing(const char* name, MenuCommand command, std::function<void(Program&)> before,
                 const std::string& settings = settingsLine(kOld, true)) {
  return {name, settings, std::move(before), [command](Program& p) { p.choose(command); }};
}

const std::vector<Command>& commands() {
  const auto changed = [](Program& p) {
    start(p);
    p.choose(MenuCommand::RestoreDefaultIcon);
  };
  const auto pick = [](const std::string& file) {
    return [file](Program& p) {
      start(p);
      p.platform.picks = {file};
    };
  };
  const auto answer = [changed](Answer button) {
    return [changed, button](Program& p) {
      changed(p);
      p.platform.answers = {button};
    };
  };
  const auto sysInfo = [](Program& p) {
    p.choose(MenuCommand::About);
    p.about.onClick(ControlId::SystemInfoButton);
  };
  static const std::vector<Command> table{
      {"StartWithSettings", settingsLine(kOld, true), nullptr, start, true},
      {"StartWithDamagedSettings", "\"C:\\Icons\\old", nullptr, start, true},
      {"LeftClick", "", start, [](Program& p) { p.tray.onTrayMessage(kLeftUp); }},
      choosing("ChangeIcon", MenuCommand::ChangeIcon, pick(kNew)),
      choosing("ChangeIconToNoIcon", MenuCommand::ChangeIcon, pick("C:\\Icons\\broken.ico")),
      choosing("RestoreDefaultIcon", MenuCommand::RestoreDefaultIcon, start),
      choosing("Save", MenuCommand::SaveSettings, changed),
      choosing("SaveWithoutChanges", MenuCommand::SaveSettings, start),
      {"SystemInfo", "", start, sysInfo},
      choosing("QuitSaving", MenuCommand::Quit, answer(Answer::Yes)),
      choosing("QuitDiscarding", MenuCommand::Quit, answer(Answer::No)),
  };
  return table;
}

// Runs the command after its healthy preparation; the records then show the command alone.
void run(Program& p, const Command& command, const std::string& failing, const std::string& crash) {
  setUp(p, command.settings);
  if (command.before) {
    command.before(p);
  }
  p.platform.log.clear();
  p.platform.failing = {failing};
  p.platform.crashAt = crash;
  command.act(p);
}

std::optional<std::string> iniFile(const Program& p) {
  const auto it = p.platform.files.find(kIni);
  return it == p.platform.files.end() ? std::nullopt : std::optional(it->second);
}

bool diskIsOldOrWhole(const Program& p, const std::optional<std::string>& before) {
  const auto now = iniFile(p);
  return now == before || now == str(formatSettingsLine(p.settings.values));
}

// Each promise is a condition that must hold and what it means when it does not.
std::vector<std::string> brokenPromises(const Program& p, const Command& command,
                                        const std::optional<std::string>& before,
                                        const std::string& failing) {
  const auto file = iniFile(p);
  const auto disk = file ? parseSettingsFile(*file) : Settings{};
  const bool diskIsMemory = disk == p.settings.values;
  const FakePlatform& f = p.platform;
  // A failed search is, to the program, a missing file.
  const bool excused =
      f.told(kUnreadableSettingsText) || (command.startsUp && failing == "findOrdinaryFile");
  const auto replied = [&f](const std::string& reply) {
    return std::count(f.replies.begin(), f.replies.end(), reply) > 0;
  };
  const bool saveAsked =
      replied("Yes") ||
      replied("menu " + std::to_string(static_cast<int>(MenuCommand::SaveSettings)));
  bool iconDropped = false;
  for (const std::string& reply : f.replies) {
    iconDropped |= reply.ends_with(".ico") && p.settings.values.iconPath != reply;
  }
  const std::pair<bool, const char*> promises[] = {
      {!p.tray.handlingTrayMessage(), "the tray guard stays set"},
      {diskIsOldOrWhole(p, before), "wexla.ini is neither the old file nor a whole new one"},
      {diskIsMemory || p.settings.unsaved || excused,
       "memory differs from wexla.ini but is not marked as unsaved"},
      {!saveAsked || diskIsMemory || f.told(kSaveFailedText), "the save failed silently"},
      {p.tray.running() || command.startsUp || diskIsMemory || replied("No"),
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

// Whichever step fails, the old file stays whole, no leftover remains, the change stays
// marked and the user is told where; the next attempt then succeeds.
TEST(SaveSettings, WritesAWholeFileIntoTheProgramsFolderOrKeepsTheOldOne) {
  for (const std::string programDir : {"C:\\Apps\\Wexla", "E:\\"}) {
    for (const std::string failing : {"", "enterFolder", "writeNewFile", "replaceFile"}) {
      FakePlatform f;
      f.programDir = programDir;
      const std::string ini = FakePlatform::pathIn(programDir, "wexla.ini");
      f.files[ini] = "\"old\",#FALSE#\r\n";
      f.failing = {failing};
      EditedSettings settings{{"C:\\i, j.ico", true}, true};
      const std::string trace = programDir + " " + failing, saved = "\"C:\\i, j.ico\",#TRUE#\r\n";
      const bool ok = failing.empty();
      const SaveOutcome outcome = saveSettings(f, f, settings);
      EXPECT_EQ(std::tuple(outcome, f.files.size(), f.files.at(ini), settings.unsaved),
                std::tuple(ok ? SaveOutcome::Saved : SaveOutcome::Failed, 1u,
                           ok ? saved : "\"old\",#FALSE#\r\n", !ok))
          << trace;
      f.failing.clear();
      EXPECT_EQ(saveSettings(f, f, settings), ok ? SaveOutcome::NothingToSave : SaveOutcome::Saved)
          << trace;
      EXPECT_EQ(f.files.at(ini) + f.currentDir, saved + programDir) << trace;
      const std::string told = ok ? "tell No changes were made /1"
                                  : "tell The settings could not be saved to " + ini + ". /2";
      EXPECT_EQ(f.calls("tell"), std::vector<std::string>{told}) << trace;
    }
  }
}

class EveryCommand : public ::testing::TestWithParam<Command> {};

// One failure at a time: a call that the healthy run does not make cannot fail. A crash, a
// kill or a power cut stops the program at some call: the next start must then find a whole
// settings file, and the icon must not stay deaf.
TEST_P(EveryCommand, KeepsItsPromisesWithEachCallFailingAndLeavesAWholeFileWhereverItStops) {
  const Command& command = GetParam();
  const auto before = command.settings.empty() ? std::nullopt : std::optional(command.settings);
  Program healthy;
  run(healthy, command, "", "");
  std::set<std::string> calls;
  for (const std::string& call : healthy.platform.log) {
    calls.insert(call.substr(0, call.find(' ')));
  }
  for (const std::string& call : calls) {
    Program p;
    run(p, command, call, "");
    for (const std::string& broken : brokenPromises(p, command, before, call)) {
      ADD_FAILURE() << "with " << call << " failing: " << broken;
    }
    Program stopped;
    EXPECT_THROW(run(stopped, command, "", call), SimulatedCrash) << call;
    EXPECT_FALSE(stopped.tray.handlingTrayMessage()) << call;
    EXPECT_TRUE(diskIsOldOrWhole(stopped, before)) << call;
    Program restarted;
    restarted.platform.files = stopped.platform.files;
    restarted.platform.currentDir = restarted.platform.programDir;
    restarted.tray.start();
    EXPECT_EQ(restarted.platform.told(kUnreadableSettingsText),
              before && !parseSettingsFile(*before))
        << call;
  }
}

INSTANTIATE_TEST_SUITE_P(FaultInjection, EveryCommand, ::testing::ValuesIn(commands()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace wexla::test
