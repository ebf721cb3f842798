#include "dialogs/about/sys_info.h"
#include "platform/message_box_style.h"
#include "tests/unit/app_fixture.h"

#include <algorithm>

namespace wexla::test {
namespace {

using Options = std::map<ControlId, bool>;
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
      EXPECT_EQ(p.port.options, (Options{{kDouble, twice}, {kBoth, !twice}})) << mode;
      EXPECT_EQ(p.state.DoubleClickOnly, twice ? kTrue : kFalse); // as the option's click writes
      EXPECT_EQ(p.state.SettingsChanged, changed);
      EXPECT_EQ(p.state.Answer, changed == kFalse ? 0 : 1);
      EXPECT_EQ(p.port.visible, std::set<FormId>{FormId::Mouse});
    }
  }
}

TEST_F(App, MouseDialogSelectionsTakeEffectAtOnceAndStayChangedUntilSaved) {
  main.Form_Load();
  choose(MenuCommand::Mouse);
  userSelects(kDouble);
  EXPECT_EQ(state.DoubleClickOnly, kTrue);
  EXPECT_EQ(state.SettingsChanged, kTrue);
  callback(kLeftUp);
  EXPECT_EQ(port.mails(), 0);
  state.SettingsChanged = kFalse;
  choose(MenuCommand::Mouse); // the open window is kept as it is
  EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "loadForm"), 1);
  EXPECT_EQ(state.SettingsChanged, kFalse);
  userSelects(kBoth);
  EXPECT_EQ(state.DoubleClickOnly, kFalse);
  EXPECT_EQ(state.SettingsChanged, kTrue); // although the mode is back where it was
  mouse.Command1_Click();
  EXPECT_TRUE(port.loaded.empty());
  choose(MenuCommand::Mouse);
  EXPECT_EQ(port.options, (Options{{kDouble, false}, {kBoth, true}}));
  choose(MenuCommand::Quit); // asks, answer OK: neither Yes nor No, so it stays
  port.answers = {kIdNo};
  choose(MenuCommand::Quit);
  EXPECT_TRUE(port.mainUnloaded);
  EXPECT_EQ(port.loaded, std::set<FormId>{FormId::Mouse}); // the dialog outlives the icon
}

TEST_F(App, AboutOpensOnceClosesWithOKAndStartsSystemInformation) {
  port.registry[kMsInfoKey][kMsInfoValue] = {kRegSz, "C:\\MSINFO32.EXE"};
  port.startable = {"C:\\MSINFO32.EXE"};
  choose(MenuCommand::About);
  choose(MenuCommand::About);
  EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "loadForm"), 1);
  EXPECT_EQ(port.visible, std::set<FormId>{FormId::About});
  about.cmdSysInfo_Click();
  EXPECT_EQ(port.started, std::vector<std::string>{"C:\\MSINFO32.EXE"});
  about.cmdOK_Click();
  EXPECT_TRUE(port.loaded.empty());
}

const std::string kNoValue = "<none>";

TEST(GetKeyValue, ReadsTextAndNumbersUpToTheBufferAndClosesTheKeyOnEveryWayOut) {
  const std::string fits(kValueBufferSize, 'a');
  const struct {
    std::string key, stored; // kNoValue: the value does not exist
    std::uint32_t type;
    VbBoolean result;
    std::string text;
  } cases[] = {
      {"K", std::string("C:\\x.exe\0", 9), kRegSz, kTrue, "C:\\x.exe"},
      {"K", std::string("\x00\x01\x00\x00", 4), kRegDword, kTrue, "256"},
      {"K", fits, kRegSz, kTrue, fits},
      {"K", fits + 'a', kRegSz, kFalse, ""},
      {"K", "\x01\x02", 3, kTrue, "before"}, // not converted, but read
      {"K", kNoValue, kRegSz, kFalse, ""},
      {"No such key", kNoValue, kRegSz, kFalse, ""},
  };
  for (const auto& c : cases) {
    FakePort port;
    if (c.stored != kNoValue) {
      port.registry["K"]["v"] = {c.type, c.stored};
    }
    port.registry["K"];
    std::string text = "before";
    EXPECT_EQ(GetKeyValue(port, kHkeyLocalMachine, c.key, "v", text), c.result) << c.stored;
    EXPECT_EQ(text, c.text);
    EXPECT_TRUE(port.openKeys.empty());
    EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "regCloseKey"), 1);
    EXPECT_EQ(port.accessMasks, std::vector<std::uint32_t>{0x20019u}); // read rights only
  }
}

TEST(GetKeyValue, AValueWithoutDataStopsTheLookupWithTheTextUntouched) {
  FakePort port;
  port.registry["K"]["v"] = {kRegSz, ""};
  std::string text = "before";
  EXPECT_THROW(GetKeyValue(port, kHkeyLocalMachine, "K", "v", text), RegistryValueWithoutData);
  EXPECT_EQ(text, "before");
  EXPECT_TRUE(port.openKeys.empty());
}

TEST(StartSysInfo, StartsTheFirstEntryOrTheProgramInTheSecondElseSaysItIsUnavailable) {
  const std::string tools = kToolsLocationKey;
  const struct {
    const char* name;
    std::function<void(FakePort&)> setup;
    std::string started; // "" when the message is shown
    int attempts;        // programs the platform was asked to start
  } cases[] = {
      {"first entry",
       [](FakePort& p) {
         p.registry[kMsInfoKey][kMsInfoValue] = {kRegSz, std::string("C:\\P\\MSINFO32.EXE\0", 18)};
         p.registry[kToolsLocationKey][kToolsLocationValue] = {kRegSz, "C:\\Other"};
       },
       "C:\\P\\MSINFO32.EXE", 1},
      {"second entry",
       [](FakePort& p) {
         p.registry[kToolsLocationKey][kToolsLocationValue] = {kRegSz, "C:\\Tools"};
         p.files["C:\\Tools\\msinfo32.exe"] = "MZ";
       },
       "C:\\Tools\\MSINFO32.EXE", 1},
      {"neither entry", [](FakePort&) {}, "", 0},
      {"second entry without the program",
       [](FakePort& p) {
         p.registry[kToolsLocationKey][kToolsLocationValue] = {kRegSz, "C:\\Tools"};
         p.startable.insert("C:\\Tools");
       },
       "", 0},
      {"first entry names a missing program: the second is not tried",
       [](FakePort& p) {
         p.registry[kMsInfoKey][kMsInfoValue] = {kRegSz, "C:\\Gone.exe"};
         p.registry[kToolsLocationKey][kToolsLocationValue] = {kRegSz, "C:\\Tools"};
         p.files["C:\\Tools\\MSINFO32.EXE"] = "MZ";
       },
       "", 1},
      {"first entry of another type",
       [](FakePort& p) {
         p.registry[kMsInfoKey][kMsInfoValue] = {3, "\x01"};
       },
       "", 0},
      {"first entry without data",
       [](FakePort& p) {
         p.registry[kMsInfoKey][kMsInfoValue] = {kRegSz, ""};
       },
       "", 0},
      {"second entry without data: the drive's root is not tried",
       [](FakePort& p) {
         p.registry[kToolsLocationKey][kToolsLocationValue] = {kRegSz, ""};
         p.files["\\MSINFO32.EXE"] = "MZ";
       },
       "", 0},
      {"access refused", [](FakePort& p) { p.failing.insert("regOpenKey"); }, "", 0},
  };
  for (const auto& c : cases) {
    FakePort port;
    c.setup(port);
    port.startable.insert({"C:\\P\\MSINFO32.EXE", "C:\\Tools\\MSINFO32.EXE", "\\MSINFO32.EXE"});
    StartSysInfo(port);
    EXPECT_EQ(port.started.empty() ? "" : port.started[0], c.started) << c.name;
    EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "startProgram"), c.attempts)
        << c.name;
    EXPECT_EQ(port.boxes.size(), c.started.empty() ? 1u : 0u) << c.name;
    if (c.started.empty()) {
      EXPECT_EQ(port.boxes.at(0).text, "System Information Is Unavailable At This Time");
      EXPECT_EQ(port.boxes[0].caption + std::to_string(port.boxes[0].style), "Wexla 980");
    }
    EXPECT_TRUE(port.openKeys.empty()) << c.name;
  }
}

} // namespace
} // namespace wexla::test
