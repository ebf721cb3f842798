// Every user-visible command, run once with each platform call failing in turn and once with
// the program stopped at each call it makes. Whatever goes wrong, the user's settings survive
// on disk or stay marked as unsaved, and the user hears about the failures that matter.
#include "dialogs/about/sys_info.h"
#include "platform/message_box_style.h"
#include "tests/unit/app_fixture.h"
#include "tray/settings_file.h"
#include "tray/settings_store.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace wexla::test {
namespace {

const std::string kOldIcon = "C:\\Icons\\old, blue.ico";
const std::string kNewIcon = "C:\\Icons\\new.ico";
const std::string kBrokenIcon = "C:\\Icons\\broken.ico"; // exists, but is no icon
constexpr IconHandle kOldIconHandle = 0x71;
constexpr IconHandle kNewIconHandle = 0x72;
const std::string kMsInfoPath = "C:\\Program Files\\MSInfo\\msinfo32.exe";
const std::string kToolsDirectory = "C:\\Shared Tools";
const std::string kAppDir = "C:\\Apps\\Wexla";
const std::string kIniPath = kAppDir + "\\" + kSettingsFileName;
const std::string kNoFile; // the command starts without a settings file

using Files = std::map<std::string, std::string>;

std::string line(const std::string& iconPath, VbBoolean doubleClickOnly) {
  return formatSettingsLine(iconPath, doubleClickOnly);
}

// The program on a fresh fake platform, started from its own directory as the installer's
// shortcut does, so the file read at start-up is the one Save writes.
struct Program {
  FakePort port;
  IconDeclare state;
  FrmMouse mouse{port, state};
  FrmAbout about{port};
  FrmMain main{port, state, mouse, about};

  explicit Program(const Files& files) {
    port.appDir = kAppDir;
    port.currentDir = kAppDir;
    port.files = files;
    port.iconFiles[kOldIcon] = kOldIconHandle;
    port.iconFiles[kNewIcon] = kNewIconHandle;
    port.registry[kMsInfoKey][kMsInfoValue] = {kRegSz, kMsInfoPath + '\0'};
    port.startablePrograms.insert(kMsInfoPath);
  }
  void callback(int number) {
    main.picHook_MouseMove(static_cast<float>(number) * port.twipsPerPixel);
  }
  void choose(MenuCommand command) {
    port.menuChoices.push_back(command);
    callback(kRightUp);
  }
  std::optional<std::string> ini() const {
    const auto it = port.files.find(kIniPath);
    return it == port.files.end() ? std::nullopt : std::optional(it->second);
  }
  bool told(const std::string& textStart) const {
    return std::any_of(
        port.messageBoxes.begin(), port.messageBoxes.end(),
        [&](const MessageBoxCall& box) { return box.text.rfind(textStart, 0) == 0; });
  }
};

Files disk(const std::string& settings) {
  Files files{{kOldIcon, "icon"}, {kNewIcon, "icon"}, {kBrokenIcon, "not an icon"}};
  if (!settings.empty()) {
    files[kIniPath] = settings;
  }
  return files;
}

struct Command {
  const char* name;
  std::string settings;                     // wexla.ini at the start, or kNoFile
  std::function<void(Program&)> prepare;    // runs with a healthy platform
  std::function<void(Program&)> act;        // the command under test
  std::function<bool(const Program&)> done; // what it achieves when nothing fails
  bool startsUp = false;
};

void start(Program& p) {
  p.main.Form_Load();
}

void startAndRestoreDefaultIcon(Program& p) {
  p.main.Form_Load();
  p.choose(MenuCommand::DefaultIcon);
}

void clickOptionInMouseWindow(Program& p, ControlId option) {
  p.choose(MenuCommand::Mouse);
  if (p.port.visibleForms.count(FormId::Mouse) != 0) {
    p.port.setOptionSelected(FormId::Mouse, option, true);
    p.mouse.optionSelected(option);
    p.mouse.Command1_Click();
  }
}

void openSystemInfo(Program& p) {
  p.choose(MenuCommand::About);
  if (p.port.visibleForms.count(FormId::About) != 0) {
    p.about.cmdSysInfo_Click();
  }
}

const std::vector<Command>& commands() {
  const std::string singleClick = line(kOldIcon, kFalse);
  const std::string doubleClick = line(kOldIcon, kTrue);
  static const std::vector<Command> table{
      {"StartWithoutSettings", kNoFile, nullptr, start,
       [](const Program& p) { return p.port.trayCalls.size() == 1 && p.state.IconPath.empty(); },
       true},
      {"StartWithSettings", doubleClick, nullptr, start,
       [](const Program& p) {
         return p.state.IconPath == kOldIcon && p.main.icon() == kOldIconHandle &&
                p.state.DoubleClickOnly == kTrue;
       },
       true},
      {"StartWithDamagedSettings", "\"C:\\Icons\\old", nullptr, start,
       [](const Program& p) { return p.told(kUnreadableSettingsText); }, true},
      {"LeftClick", singleClick, start, [](Program& p) { p.callback(kLeftUp); },
       [](const Program& p) { return p.port.mailRequests() == 1; }},
      {"DoubleClick", doubleClick, start, [](Program& p) { p.callback(kLeftDouble); },
       [](const Program& p) { return p.port.mailRequests() == 1; }},
      {"MouseChooseDoubleClick", singleClick, start,
       [](Program& p) { clickOptionInMouseWindow(p, ControlId::MouseDoubleClick); },
       [](const Program& p) { return p.state.DoubleClickOnly == kTrue; }},
      {"MouseChooseBothClicks", doubleClick, start,
       [](Program& p) { clickOptionInMouseWindow(p, ControlId::MouseBothClick); },
       [](const Program& p) { return p.state.DoubleClickOnly == kFalse; }},
      {"ChangeIconToChosenFile", doubleClick,
       [](Program& p) {
         start(p);
         p.port.dialogChoices.push_back(kNewIcon);
       },
       [](Program& p) { p.choose(MenuCommand::FileOpen); },
       [](const Program& p) {
         return p.state.IconPath == kNewIcon &&
                p.port.trayCalls.back().record.hIcon == kNewIconHandle;
       }},
      {"ChangeIconCancelled", doubleClick, start,
       [](Program& p) { p.choose(MenuCommand::FileOpen); },
       [](const Program& p) { return p.port.dialogResults == std::vector<std::string>{""}; }},
      {"ChangeIconToUnloadableFile", doubleClick,
       [](Program& p) {
         start(p);
         p.port.dialogChoices.push_back(kBrokenIcon);
       },
       [](Program& p) { p.choose(MenuCommand::FileOpen); },
       [](const Program& p) { return p.told(kIconLoadFailedText); }},
      {"RestoreDefaultIcon", doubleClick, start,
       [](Program& p) { p.choose(MenuCommand::DefaultIcon); },
       [](const Program& p) { return p.state.IconPath == kBuiltinIconPath; }},
      {"SaveChangedSettings", doubleClick, startAndRestoreDefaultIcon,
       [](Program& p) { p.choose(MenuCommand::SaveSettings); },
       [](const Program& p) { return p.ini() == line(kBuiltinIconPath, kTrue); }},
      {"SaveFirstSettingsFile", kNoFile,
       [](Program& p) {
         start(p);
         clickOptionInMouseWindow(p, ControlId::MouseDoubleClick);
       },
       [](Program& p) { p.choose(MenuCommand::SaveSettings); },
       [](const Program& p) { return p.ini() == line("", kTrue); }},
      {"SaveWithoutChanges", doubleClick, start,
       [](Program& p) { p.choose(MenuCommand::SaveSettings); },
       [](const Program& p) { return p.told(kNoChangesText); }},
      {"Help", doubleClick, start, [](Program& p) { p.choose(MenuCommand::Help); },
       [](const Program& p) { return p.port.shellCalls.at(0).file == kHelpFileName; }},
      {"AboutSystemInfo", doubleClick, start, openSystemInfo,
       [](const Program& p) { return p.port.startedPrograms.size() == 1; }},
      {"AboutSystemInfoFromToolsLocation", doubleClick,
       [](Program& p) {
         start(p);
         const std::string program = kToolsDirectory + kMsInfoProgram;
         p.port.registry.erase(kMsInfoKey);
         p.port.registry[kToolsLocationKey][kToolsLocationValue] = {kRegSz, kToolsDirectory};
         p.port.files[program] = "program";
         p.port.startablePrograms = {program};
       },
       openSystemInfo, [](const Program& p) { return p.port.startedPrograms.size() == 1; }},
      {"QuitSavingChanges", doubleClick,
       [](Program& p) {
         startAndRestoreDefaultIcon(p);
         p.port.messageBoxAnswers.push_back(kIdYes);
       },
       [](Program& p) { p.choose(MenuCommand::Quit); },
       [](const Program& p) {
         return !p.main.loaded() && p.ini() == line(kBuiltinIconPath, kTrue);
       }},
      {"QuitDiscardingChanges", doubleClick,
       [](Program& p) {
         startAndRestoreDefaultIcon(p);
         p.port.messageBoxAnswers.push_back(kIdNo);
       },
       [](Program& p) { p.choose(MenuCommand::Quit); },
       [](const Program& p) { return !p.main.loaded() && p.ini() == line(kOldIcon, kTrue); }},
      {"QuitWithoutChanges", doubleClick, start, [](Program& p) { p.choose(MenuCommand::Quit); },
       [](const Program& p) { return !p.main.loaded() && p.port.messageBoxes.empty(); }},
  };
  return table;
}

// Brings the program to where the command starts, with a healthy platform.
void prepare(Program& p, const Command& command) {
  if (command.prepare) {
    command.prepare(p);
  }
  p.port.calls.clear();
  p.port.messageBoxes.clear();
  p.port.menuResults.clear();
  p.port.dialogResults.clear();
}

// Runs the command with the given call failing (none when empty).
void act(Program& p, const Command& command, const std::string& failingCall) {
  if (!failingCall.empty()) {
    p.port.failing.insert(failingCall);
  }
  command.act(p);
}

bool sameSettings(const std::optional<StoredSettings>& a, const std::optional<StoredSettings>& b) {
  return a && b && a->iconPath == b->iconPath &&
         (a->doubleClickOnly != kFalse) == (b->doubleClickOnly != kFalse);
}

// What the disk holds for the next start: the start values when there is no file.
std::optional<StoredSettings> onDisk(const Program& p) {
  const std::optional<std::string> bytes = p.ini();
  return bytes ? parseSettingsFile(*bytes) : std::optional(StoredSettings{});
}

std::optional<StoredSettings> inMemory(const Program& p) {
  return StoredSettings{p.state.IconPath, p.state.DoubleClickOnly};
}

bool diskHoldsOldOrNewWholeFile(const Program& p, const std::optional<std::string>& before) {
  const std::optional<std::string> now = p.ini();
  if (now == before) {
    return true;
  }
  return now == line(p.state.IconPath, p.state.DoubleClickOnly);
}

// The promises a command keeps whatever single call fails; each broken one is described.
std::vector<std::string> brokenPromises(const Program& p, const Command& command,
                                        const std::optional<std::string>& iniBefore,
                                        const std::string& failingCall) {
  std::vector<std::string> broken;
  const bool diskMatchesMemory = sameSettings(onDisk(p), inMemory(p));
  // A failed search is, to the program, a missing file: it starts with the start values and
  // leaves the file alone, which the whole-file check below still verifies.
  const bool fileLookedMissing = command.startsUp && failingCall == "findOrdinaryFile";
  const bool toldUnreadable = p.told(kUnreadableSettingsText);

  if (p.main.inTrayEvent() != kFalse) {
    broken.push_back("the tray guard stays set, so the icon ignores every later click");
  }
  if (!diskHoldsOldOrNewWholeFile(p, iniBefore)) {
    broken.push_back("wexla.ini is neither the old file nor a whole new one: " +
                     p.ini().value_or("<missing>"));
  }
  if (!diskMatchesMemory && p.state.SettingsChanged == kFalse && !toldUnreadable &&
      !fileLookedMissing) {
    broken.push_back("memory differs from wexla.ini but is not marked as changed");
  }
  if (command.startsUp && iniBefore && !diskMatchesMemory && !toldUnreadable &&
      !fileLookedMissing) {
    broken.push_back("the settings file was not applied and the user was not told");
  }
  const auto& menu = p.port.menuResults;
  const bool saveChosen =
      std::find(menu.begin(), menu.end(), MenuCommand::SaveSettings) != menu.end();
  const auto answered = [&](int answer) {
    return std::any_of(p.port.messageBoxes.begin(), p.port.messageBoxes.end(),
                       [&](const MessageBoxCall& box) {
                         return box.text == kSaveQuestion && box.answer == answer;
                       });
  };
  if ((saveChosen || answered(kIdYes)) && !diskMatchesMemory && !p.told(kSaveFailedText)) {
    broken.push_back("the save failed without a word to the user");
  }
  if (!p.main.loaded() && !command.startsUp && !diskMatchesMemory && !answered(kIdNo)) {
    broken.push_back("quit with unsaved settings although the user never answered No");
  }
  for (const std::string& picked : p.port.dialogResults) {
    if (!picked.empty() && p.state.IconPath != picked && !p.told(kIconLoadFailedText + picked)) {
      broken.push_back("the chosen icon was dropped without a word to the user");
    }
  }
  const bool lookedUpSystemInfo =
      std::find(p.port.calls.begin(), p.port.calls.end(), "regOpenKey") != p.port.calls.end();
  if (lookedUpSystemInfo && p.port.startedPrograms.empty() && !p.told(kSysInfoUnavailableText)) {
    broken.push_back("System Information did not start and the user was not told");
  }
  if (!p.port.openKeys.empty()) {
    broken.push_back("a registry key was left open");
  }
  return broken;
}

std::vector<std::string> commandNames() {
  std::vector<std::string> names;
  for (const Command& command : commands()) {
    names.emplace_back(command.name);
  }
  return names;
}

// Parameterised by name, so failures name the command.
class EveryCommand : public ::testing::TestWithParam<std::string> {
protected:
  static const Command& commandNamed(const std::string& name) {
    return *std::find_if(commands().begin(), commands().end(),
                         [&](const Command& command) { return command.name == name; });
  }
};

TEST_P(EveryCommand, DoesItsJobAndKeepsItsPromisesWhenNothingFails) {
  const Command& command = commandNamed(GetParam());
  Program p(disk(command.settings));
  prepare(p, command);
  const std::optional<std::string> before = p.ini();
  act(p, command, "");
  EXPECT_TRUE(command.done(p));
  for (const std::string& broken : brokenPromises(p, command, before, "")) {
    ADD_FAILURE() << broken;
  }
}

TEST_P(EveryCommand, SurvivesEachPlatformCallFailing) {
  const Command& command = commandNamed(GetParam());
  for (const std::string& failingCall : FakePort::failableCalls()) {
    Program p(disk(command.settings));
    prepare(p, command);
    const std::optional<std::string> before = p.ini();
    act(p, command, failingCall);
    for (const std::string& broken : brokenPromises(p, command, before, failingCall)) {
      ADD_FAILURE() << "with " << failingCall << " failing: " << broken;
    }
  }
}

// Stopping at a call is what a crash, a kill or a power cut does to the program: whatever it
// was doing, the next start must find a whole settings file.
TEST_P(EveryCommand, LeavesAWholeSettingsFileWhereverItStops) {
  const Command& command = commandNamed(GetParam());
  std::vector<std::string> trace;
  {
    Program p(disk(command.settings));
    prepare(p, command);
    act(p, command, "");
    trace = p.port.calls;
  }
  for (const std::string& call : std::set<std::string>(trace.begin(), trace.end())) {
    Program p(disk(command.settings));
    prepare(p, command);
    const std::optional<std::string> before = p.ini();
    p.port.crashAt = call;
    EXPECT_THROW(command.act(p), SimulatedCrash) << call;
    EXPECT_EQ(p.main.inTrayEvent(), kFalse) << "stopped at " << call;
    EXPECT_TRUE(diskHoldsOldOrNewWholeFile(p, before))
        << "stopped at " << call << ": " << p.ini().value_or("<missing>");

    Program restarted(p.port.files);
    restarted.main.Form_Load();
    const bool wasUnreadable = before && !parseSettingsFile(*before);
    EXPECT_EQ(restarted.told(kUnreadableSettingsText), wasUnreadable) << "stopped at " << call;
  }
}

INSTANTIATE_TEST_SUITE_P(FaultInjection, EveryCommand, ::testing::ValuesIn(commandNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

TEST(FaultInjection, TheWalkReachesEveryFailableCall) {
  std::set<std::string> reached;
  for (const Command& command : commands()) {
    for (const std::string& failingCall : FakePort::failableCalls()) {
      Program p(disk(command.settings));
      prepare(p, command);
      act(p, command, failingCall);
      reached.insert(p.port.calls.begin(), p.port.calls.end());
    }
  }
  for (const std::string& call : FakePort::failableCalls()) {
    EXPECT_EQ(reached.count(call), 1u) << call << " is never made, so its failure is untested";
  }
}

TEST(FaultInjection, CrashBetweenWritingAndReplacingKeepsTheOldSettings) {
  Program p(disk(line(kOldIcon, kTrue)));
  startAndRestoreDefaultIcon(p);
  p.port.crashAt = "replaceFile";
  EXPECT_THROW(p.choose(MenuCommand::SaveSettings), SimulatedCrash);
  EXPECT_EQ(p.ini(), line(kOldIcon, kTrue));
  EXPECT_EQ(p.port.fileAt(kAppDir, kSettingsTempName), line(kBuiltinIconPath, kTrue));

  Program restarted(p.port.files);
  restarted.main.Form_Load();
  EXPECT_EQ(restarted.state.IconPath, kOldIcon);
  EXPECT_EQ(restarted.state.DoubleClickOnly, kTrue);
  EXPECT_EQ(restarted.main.icon(), kOldIconHandle);
  // The leftover is overwritten by the next save, which then completes.
  restarted.choose(MenuCommand::DefaultIcon);
  restarted.choose(MenuCommand::SaveSettings);
  EXPECT_EQ(restarted.ini(), line(kBuiltinIconPath, kTrue));
  EXPECT_EQ(restarted.port.fileAt(kAppDir, kSettingsTempName), "<missing>");
}

// Cleaning up after a failed save can fail too; only a second fault reaches that point.
TEST(FaultInjection, LeftoverOfAFailedSaveThatCannotBeDeletedDoesNotHarm) {
  for (const std::string firstFault : {"writeNewFile", "replaceFile"}) {
    Program p(disk(line(kOldIcon, kTrue)));
    startAndRestoreDefaultIcon(p);
    p.port.failing = {firstFault, "deleteFile"};
    p.choose(MenuCommand::SaveSettings);
    EXPECT_TRUE(p.told(kSaveFailedText)) << firstFault;
    EXPECT_NE(p.state.SettingsChanged, kFalse) << firstFault;
    EXPECT_EQ(p.ini(), line(kOldIcon, kTrue)) << firstFault;

    Program restarted(p.port.files);
    restarted.main.Form_Load();
    EXPECT_EQ(restarted.state.IconPath, kOldIcon) << firstFault;
    EXPECT_FALSE(restarted.told(kUnreadableSettingsText)) << firstFault;
  }
}

TEST(FaultInjection, InterruptedWriteNeverBecomesTheSettingsFile) {
  for (const bool crash : {false, true}) {
    Program p(disk(line(kOldIcon, kTrue)));
    startAndRestoreDefaultIcon(p);
    if (crash) {
      p.port.crashAt = "writeNewFile";
      EXPECT_THROW(p.choose(MenuCommand::SaveSettings), SimulatedCrash);
    } else {
      p.port.failing.insert("writeNewFile");
      p.choose(MenuCommand::SaveSettings);
      EXPECT_TRUE(p.told(kSaveFailedText));
      EXPECT_NE(p.state.SettingsChanged, kFalse);
    }
    EXPECT_EQ(p.ini(), line(kOldIcon, kTrue)) << (crash ? "crash" : "failure");
  }
}

} // namespace
} // namespace wexla::test
