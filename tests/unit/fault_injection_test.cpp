// Every user-visible command, run with each platform call failing in turn and with the program
// stopped at each call it makes. Whatever goes wrong, the settings survive on disk or stay
// marked as unsaved, the next start finds a whole file, and the user hears of what matters.
// First, the save itself with each of its steps failing.
#include "dialogs/about/sys_info.h"
#include "platform/message_box_style.h"
#include "state/app_title.h"
#include "tests/unit/app_fixture.h"
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
  p.port.currentDir = p.port.appDir;
  p.port.files = {{kOld, "icon"}, {kNew, "icon"}, {"C:\\Icons\\broken.ico", "?"}};
  if (!settings.empty()) {
    p.port.files[kIni] = settings;
  }
  p.port.icons = {{kOld, 0x71}, {kNew, 0x72}};
  p.port.registry[kMsInfoKey][kMsInfoValue] = {kRegSz, kMsInfo};
  p.port.startable = {kMsInfo};
}

const auto start = [](Program& p) { p.main.Form_Load(); };

struct Command {
  const char* name;
  std::string settings;                 // wexla.ini at the start ("" = none)
  std::function<void(Program&)> before; // with a healthy platform
  std::function<void(Program&)> act;
  bool startsUp = false;
};

Command choosing(const char* name, MenuCommand command, std::function<void(Program&)> before,
                 const std::string& settings = formatSettingsLine(kOld, kTrue)) {
  return {name, settings, std::move(before), [command](Program& p) { p.choose(command); }};
}

const std::vector<Command>& commands() {
  const auto changed = [](Program& p) {
    start(p);
    p.choose(MenuCommand::DefaultIcon);
  };
  const auto pick = [](const std::string& file) {
    return [file](Program& p) {
      start(p);
      p.port.picks = {file};
    };
  };
  const auto answer = [changed](int button) {
    return [changed, button](Program& p) {
      changed(p);
      p.port.answers = {button};
    };
  };
  const auto sysInfo = [](Program& p) {
    p.choose(MenuCommand::About);
    p.about.cmdSysInfo_Click();
  };
  static const std::vector<Command> table{
      {"StartWithSettings", formatSettingsLine(kOld, kTrue), nullptr, start, true},
      {"StartWithDamagedSettings", "\"C:\\Icons\\old", nullptr, start, true},
      {"LeftClick", "", start, [](Program& p) { p.callback(kLeftUp); }},
      choosing("ChangeIcon", MenuCommand::FileOpen, pick(kNew)),
      choosing("ChangeIconToNoIcon", MenuCommand::FileOpen, pick("C:\\Icons\\broken.ico")),
      choosing("RestoreDefaultIcon", MenuCommand::DefaultIcon, start),
      choosing("Save", MenuCommand::SaveSettings, changed),
      choosing("SaveWithoutChanges", MenuCommand::SaveSettings, start),
      {"SystemInfo", "", start, sysInfo},
      choosing("QuitSaving", MenuCommand::Quit, answer(kIdYes)),
      choosing("QuitDiscarding", MenuCommand::Quit, answer(kIdNo)),
  };
  return table;
}

// Runs the command after its healthy preparation; the records then show the command alone.
void run(Program& p, const Command& command, const std::string& failing, const std::string& crash) {
  setUp(p, command.settings);
  if (command.before) {
    command.before(p);
  }
  p.port.log.clear();
  p.port.failing = {failing};
  p.port.crashAt = crash;
  command.act(p);
}

std::optional<std::string> iniFile(const Program& p) {
  const auto it = p.port.files.find(kIni);
  return it == p.port.files.end() ? std::nullopt : std::optional(it->second);
}

bool diskIsOldOrWhole(const Program& p, const std::optional<std::string>& before) {
  const auto now = iniFile(p);
  return now == before || now == formatSettingsLine(p.state.IconPath, p.state.DoubleClickOnly);
}

// Each promise is a condition that must hold and what it means when it does not.
std::vector<std::string> brokenPromises(const Program& p, const Command& command,
                                        const std::optional<std::string>& before,
                                        const std::string& failing) {
  const auto file = iniFile(p);
  const auto disk = file ? parseSettingsFile(*file) : StoredSettings{};
  const bool diskIsMemory =
      disk && disk->iconPath == p.state.IconPath &&
      (disk->doubleClickOnly != kFalse) == (p.state.DoubleClickOnly != kFalse);
  // A failed search is, to the program, a missing file.
  const bool excused =
      p.port.told(kUnreadableSettingsText) || (command.startsUp && failing == "findOrdinaryFile");
  const auto boxes = p.port.of("messageBox"), menu = p.port.of("showPopupMenu");
  const auto answered = [&](int button) {
    return std::count(boxes.begin(), boxes.end(),
                      Args{kSaveQuestion, kAppTitle, text(kMbYesNo), text(button)}) > 0;
  };
  const bool saveAsked = answered(kIdYes) || std::count(menu.begin(), menu.end(),
                                                        Args{text(MenuCommand::SaveSettings)});
  bool iconDropped = false;
  for (const Args& dialog : p.port.of("openIconFileDialog")) {
    iconDropped |= !dialog[2].empty() && p.state.IconPath != dialog[2];
  }
  const std::pair<bool, const char*> promises[] = {
      {p.main.inTrayEvent() == kFalse, "the tray guard stays set"},
      {diskIsOldOrWhole(p, before), "wexla.ini is neither the old file nor a whole new one"},
      {diskIsMemory || p.state.SettingsChanged != kFalse || excused,
       "memory differs from wexla.ini but is not marked as changed"},
      {!saveAsked || diskIsMemory || p.port.told(kSaveFailedText), "the save failed silently"},
      {p.main.loaded() || command.startsUp || diskIsMemory || answered(kIdNo),
       "quit with unsaved settings although the user never answered No"},
      {!iconDropped || p.port.told(kIconLoadFailedText), "the chosen icon was dropped silently"},
      {p.port.count("regOpenKey") == 0 || !p.port.started.empty() ||
           p.port.told(kSysInfoUnavailableText),
       "System Information did not start and the user was not told"},
      {p.port.openKeys.empty(), "a registry key was left open"}};
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
  for (const Call& call : healthy.port.log) {
    calls.insert(call.name);
  }
  for (const std::string& call : calls) {
    Program p;
    run(p, command, call, "");
    for (const std::string& broken : brokenPromises(p, command, before, call)) {
      ADD_FAILURE() << "with " << call << " failing: " << broken;
    }
    Program stopped;
    EXPECT_THROW(run(stopped, command, "", call), SimulatedCrash) << call;
    EXPECT_EQ(stopped.main.inTrayEvent(), kFalse) << call;
    EXPECT_TRUE(diskIsOldOrWhole(stopped, before)) << call;
    Program restarted;
    restarted.port.files = stopped.port.files;
    restarted.port.currentDir = restarted.port.appDir;
    restarted.main.Form_Load();
    EXPECT_EQ(restarted.port.told(kUnreadableSettingsText), before && !parseSettingsFile(*before))
        << call;
  }
}

INSTANTIATE_TEST_SUITE_P(FaultInjection, EveryCommand, ::testing::ValuesIn(commands()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace wexla::test
