#include "dialogs/about/sys_info.h"
#include "platform/message_box_style.h"
#include "tests/unit/app_fixture.h"

#include <algorithm>

namespace wexla::test {
namespace {

using Options = std::map<ControlId, bool>;
using namespace std::string_literals;
constexpr ControlId kDouble = ControlId::MouseDoubleClick;
constexpr ControlId kBoth = ControlId::MouseBothClick;

// Both options are set explicitly: a fresh window selects neither, a real one keeps whatever
// it was told last.
TEST(MouseDialog, OpensShowingTheModeWithoutChangingEitherSetting) {
  for (const VbBoolean mode : {kFalse, kTrue, VbBoolean{1}}) {
    for (const VbBoolean changed : {kFalse, kTrue}) {
      Program p;
      p.state.DoubleClickOnly = mode;
      p.state.SettingsChanged = changed;
      p.choose(MenuCommand::Mouse);
      const bool twice = mode != kFalse;
      // The mode reads back as the option's click writes it.
      EXPECT_EQ(std::tuple(p.port.options, p.state.DoubleClickOnly, p.state.SettingsChanged,
                           p.state.Answer, p.port.visible),
                std::tuple(Options{{kDouble, twice}, {kBoth, !twice}}, twice ? kTrue : kFalse,
                           changed, changed == kFalse ? 0 : 1, std::set<FormId>{FormId::Mouse}))
          << mode;
    }
  }
}

TEST_F(App, DialogsOpenOnceMouseChoicesTakeEffectAtOnceAndStayChangedUntilSaved) {
  port.registry[kMsInfoKey][kMsInfoValue] = {kRegSz, "C:\\MSINFO32.EXE"};
  port.startable = {"C:\\MSINFO32.EXE"};
  main.Form_Load();
  for (const MenuCommand command : {MenuCommand::About, MenuCommand::About, MenuCommand::Mouse}) {
    choose(command);
  }
  EXPECT_EQ(port.visible, (std::set<FormId>{FormId::Mouse, FormId::About}));
  about.cmdSysInfo_Click();
  about.cmdOK_Click();
  EXPECT_EQ(std::tuple(port.count("loadForm"), port.loaded, port.started),
            std::tuple(2, std::set<FormId>{FormId::Mouse}, std::vector{"C:\\MSINFO32.EXE"s}));
  userSelects(kDouble);
  EXPECT_EQ(std::pair(state.DoubleClickOnly, state.SettingsChanged), std::pair(kTrue, kTrue));
  callback(kLeftUp);
  EXPECT_EQ(port.mails(), 0);
  state.SettingsChanged = kFalse;
  choose(MenuCommand::Mouse); // the open window is kept as it is
  EXPECT_EQ(std::pair(port.count("loadForm"), state.SettingsChanged), std::pair(2, kFalse));
  userSelects(kBoth); // changed, although the mode is back where it was
  EXPECT_EQ(std::pair(state.DoubleClickOnly, state.SettingsChanged), std::pair(kFalse, kTrue));
  mouse.Command1_Click();
  EXPECT_TRUE(port.loaded.empty());
  choose(MenuCommand::Mouse);
  EXPECT_EQ(port.options, (Options{{kDouble, false}, {kBoth, true}}));
  port.answers = {kIdNo};
  choose(MenuCommand::Quit);
  EXPECT_EQ(port.loaded, std::set<FormId>{FormId::Mouse}); // the dialog outlives the icon
}

TEST(GetKeyValue, ReadsTextAndNumbersUpToTheBufferAndClosesTheKeyOnEveryWayOut) {
  const std::string fits(kValueBufferSize, 'a');
  const struct {
    std::string key;
    std::optional<RegistryValue> stored;
    VbBoolean result;
    std::string text;
  } cases[] = {{"K", RegistryValue{kRegDword, std::string("\x00\x01\x00\x00", 4)}, kTrue, "256"},
               {"K", RegistryValue{kRegSz, fits}, kTrue, fits},
               {"K", RegistryValue{kRegSz, fits + 'a'}, kFalse, ""},
               {"K", RegistryValue{kRegSz, "x", kValueBufferSize + 1}, kFalse, ""},
               {"K", RegistryValue{3, "\x01\x02"}, kTrue, "before"}, // not converted, but read
               {"K", std::nullopt, kFalse, ""},
               {"No such key", std::nullopt, kFalse, ""},
               {"K", RegistryValue{kRegSz, ""}, kFalse, "before"}};
  for (const auto& c : cases) {
    FakePort port;
    port.registry["K"];
    if (c.stored) {
      port.registry["K"]["v"] = *c.stored;
    }
    std::string text = "before";
    if (c.stored && c.stored->data.empty()) { // a value without data stops the lookup
      EXPECT_THROW(GetKeyValue(port, kHkeyLocalMachine, c.key, "v", text),
                   RegistryValueWithoutData);
    } else {
      EXPECT_EQ(GetKeyValue(port, kHkeyLocalMachine, c.key, "v", text), c.result) << c.text;
      EXPECT_EQ(port.count("regCloseKey"), 1);
    }
    EXPECT_EQ(text, c.text);
    EXPECT_TRUE(port.openKeys.empty());
  }
}

TEST(StartSysInfo, StartsTheFirstEntryOrTheProgramInTheSecondElseSaysItIsUnavailable) {
  const std::optional<RegistryValue> none;
  const RegistryValue tools{kRegSz, "C:\\Tools"};
  const std::string program = "C:\\Tools\\MSINFO32.EXE";
  const struct {
    std::optional<RegistryValue> first, second;
    std::string file, failing, started; // started: "" when the message is shown
    int attempts;                       // programs the platform was asked to start
  } cases[] = {
      {RegistryValue{kRegSz, std::string("C:\\P.EXE\0", 9)}, tools, "", "", "C:\\P.EXE", 1},
      {none, tools, "C:\\Tools\\msinfo32.exe", "", program, 1},
      {none, none, "", "", "", 0},
      {none, tools, "", "", "", 0},                                       // no program there
      {RegistryValue{kRegSz, "C:\\Gone.exe"}, tools, program, "", "", 1}, // second not tried
      {RegistryValue{3, "\x01"}, none, "", "", "", 0},
      {RegistryValue{kRegSz, ""}, tools, program, "", "", 0},
      {none, RegistryValue{kRegSz, ""}, "\\MSINFO32.EXE", "", "", 0}, // not the drive's root
      {RegistryValue{kRegSz, "C:\\P.EXE"}, none, "", "regOpenKey", "", 0}};
  for (const auto& c : cases) {
    FakePort port;
    for (const auto& [key, value, entry] :
         {std::tuple(kMsInfoKey, kMsInfoValue, c.first),
          std::tuple(kToolsLocationKey, kToolsLocationValue, c.second)}) {
      if (entry) {
        port.registry[key][value] = *entry;
      }
    }
    port.files[c.file] = "MZ";
    port.failing = {c.failing};
    port.startable = {"C:\\P.EXE", program, "\\MSINFO32.EXE", "C:\\Tools"};
    StartSysInfo(port);
    const std::string trace = c.file + "/" + std::to_string(c.attempts);
    const Args unavailable{"System Information Is Unavailable At This Time", "Wexla 98", "0", "1"};
    EXPECT_EQ(std::tuple(port.started.empty() ? "" : port.started[0], port.count("startProgram"),
                         port.of("messageBox")),
              std::tuple(c.started, c.attempts, std::vector<Args>(c.started.empty(), unavailable)))
        << trace;
    EXPECT_TRUE(port.openKeys.empty()) << trace;
  }
}

} // namespace
} // namespace wexla::test
