#include "platform/message_box_style.h"
#include "tests/unit/app_fixture.h"

#include <algorithm>

namespace wexla::test {
namespace {

constexpr IconHandle kBlue = 0x51;
constexpr IconHandle kRed = 0x52;
const std::string kBlueFile = "C:\\My Icons\\mail, blue.ico";
const std::string kRedFile = "C:\\i\\red.ico";

TEST_F(App, OneSessionFromStartToQuit) {
  settingsFile("\"" + kBlueFile + "\",#TRUE#\r\n");
  port.files[kBlueFile] = "icon";
  port.icons = {{kBlueFile, kBlue}, {kRedFile, kRed}};
  main.Form_Load();
  ASSERT_EQ(port.tray.size(), 1u);
  const TrayIconRecord& add = port.tray[0].record;
  EXPECT_EQ(std::vector<std::uintptr_t>(
                {add.cbSize, add.hWnd, add.uID, add.uFlags, add.uCallbackMessage, add.hIcon}),
            std::vector<std::uintptr_t>({sizeof add, FakePort::kHook, 1, 7, 512, kBlue}));
  const auto last = [this] {
    return std::pair(port.tray.back().message, port.tray.back().record.hIcon);
  };
  EXPECT_EQ(last(), std::pair(TrayMessage::Add, kBlue));
  EXPECT_EQ(std::string(add.szTip, sizeof add.szTip),
            std::string("Wexla 98") + '\0' + std::string(kTipFieldLength - 9, ' '));

  // Double-click mode, as the file says: one request per double click.
  for (const int number : {kLeftDown, kLeftUp, kLeftDouble, kLeftUp}) {
    callback(number);
  }
  choose(MenuCommand::Help);
  ASSERT_EQ(port.shellCalls.size(), 2u);
  for (const auto& [call, owner, file] :
       {std::tuple(port.shellCalls[0], FakePort::kDesktop, "mailto:"),
        std::tuple(port.shellCalls[1], WindowHandle{0}, "wexla98.hlp")}) {
    EXPECT_EQ(call.owner, owner);
    EXPECT_EQ(call.operation + "|" + call.file + "|" + call.parameters + "|" + call.directory +
                  "|" + std::to_string(call.show),
              "Open|" + std::string(file) + "|||" + std::to_string(kShowNormal));
  }

  // Back to single clicks, effective at the next click while the window is still open.
  choose(MenuCommand::Mouse);
  userSelects(ControlId::MouseBothClick);
  callback(kLeftUp);
  EXPECT_EQ(port.mails(), 2);

  port.picks.push_back(kRedFile);
  choose(MenuCommand::FileOpen);
  EXPECT_EQ(port.dialogArgs, (std::vector<std::string>{"Icon Files (*.ico)|*.ico", port.appDir}));
  EXPECT_EQ(last(), std::pair(TrayMessage::Modify, kRed));
  EXPECT_EQ(port.destroyed, std::set<IconHandle>{kBlue});

  choose(MenuCommand::SaveSettings);
  EXPECT_EQ(port.files[port.appDir + "\\wexla.ini"], "\"" + kRedFile + "\",#FALSE#\r\n");
  EXPECT_EQ(port.currentDir, port.appDir);

  main.TaskbarCreated(); // the shell restarted and forgot the icon
  EXPECT_EQ(last(), std::pair(TrayMessage::Add, kRed));

  port.hook = FakePort::kHook + 1; // the record must name the live callback window
  choose(MenuCommand::Quit);
  EXPECT_TRUE(port.boxes.empty() && port.mainUnloaded); // saved: nothing to ask
  EXPECT_EQ(std::pair(port.tray.back().message, port.tray.back().record.hWnd),
            std::pair(TrayMessage::Delete, port.hook));
  const std::size_t trayCalls = port.tray.size();
  main.unload();
  main.TaskbarCreated();
  EXPECT_EQ(port.tray.size(), trayCalls);
  EXPECT_EQ(port.count("unloadMainWindow"), 1);
}

TEST(Start, ShowsTheChosenIconOnlyWhenItIsAnExistingIconFile) {
  // "" is no settings file; "0" names the default icon even with a file named 0 at hand.
  const std::tuple<std::string, int, IconHandle> cases[] = {
      {"", 0, FakePort::kBuiltin},
      {"\"0\",#FALSE#", 0, FakePort::kBuiltin},
      {"\"\",#FALSE#", 0, FakePort::kBuiltin},
      {"\"C:\\Gone\\x.ico\",#FALSE#", 0, FakePort::kBuiltin},
      {"\"C:\\Bad\\x.ico\",#FALSE#", 1, FakePort::kBuiltin},
      {"\"C:\\Good\\x.ico\",#FALSE#", 1, kBlue},
      {"\"C:\\Good\\x.ico\",#MAYBE#", 0, FakePort::kBuiltin}};
  for (const auto& [settings, loads, shown] : cases) {
    Program p;
    p.port.files = {{"C:\\Work\\0", "0"}, {"C:\\Bad\\x.ico", "?"}, {"C:\\Good\\x.ico", "icon"}};
    p.port.icons = {{"C:\\Good\\x.ico", kBlue}};
    if (!settings.empty()) {
      p.settingsFile(settings);
    }
    p.main.Form_Load();
    EXPECT_EQ(p.port.count("loadIconFile"), loads) << settings;
    EXPECT_EQ(p.port.tray.at(0).record.hIcon, shown) << settings;
    EXPECT_EQ(p.main.icon(), shown);
  }
}

TEST(Dispatch, MailsOnTheClickOfTheModeShowsTheMenuOnRightReleaseIgnoresTheRest) {
  for (const VbBoolean mode : {kFalse, kTrue, VbBoolean{1}}) {
    for (int number = kMouseMove - 2; number <= kRightUp + 5; ++number) {
      Program p;
      p.state.DoubleClickOnly = mode;
      p.callback(number);
      // Any non-zero mode counts as double-click mode.
      const bool mails = number == (mode == kFalse ? kLeftUp : kLeftDouble);
      EXPECT_EQ(p.port.mails(), mails ? 1 : 0) << mode << " " << number;
      EXPECT_EQ(p.port.menuResults.size(), number == kRightUp ? 1u : 0u) << number;
      EXPECT_EQ(p.port.calls.at(0), "desktopWindow"); // fetched first, on every call
      EXPECT_EQ(p.main.inTrayEvent(), kFalse);
    }
  }
  Program p;
  p.port.twipsPerPixel = 0; // no number at all
  p.callback(kLeftUp);
  EXPECT_EQ(p.port.mails(), 0);
}

TEST_F(App, CallbacksWhileTheMenuOrABoxIsOpenAreIgnoredAndTheGuardClearsAfterwards) {
  main.Form_Load();
  port.whileModal = [this] {
    EXPECT_EQ(main.inTrayEvent(), kTrue);
    callback(kLeftUp);
    callback(kRightUp);
  };
  choose(MenuCommand::SaveSettings); // nothing changed: a box inside the menu's command
  EXPECT_EQ(std::tuple(port.mails(), port.menuResults.size(), port.boxes.size()),
            std::tuple(0, 1u, 1u));
  port.whileModal = [] { throw std::runtime_error("out of resources"); };
  EXPECT_THROW(callback(kRightUp), std::runtime_error);
  EXPECT_EQ(main.inTrayEvent(), kFalse);
  callback(kLeftUp);
  EXPECT_EQ(port.mails(), 1);
}

TEST(Quit, AsksOnlyWhenChangedIsExactlyTrueAndEndsOnlyOnNoOrASuccessfulSave) {
  constexpr int kBoxFailed = 0;
  constexpr int kCancel = 2;
  const struct {
    VbBoolean changed;
    int answer;
    bool saveFails, asked, ends, written;
  } cases[] = {
      {kFalse, kIdYes, false, false, true, false}, {1, kIdYes, false, false, true, false},
      {kTrue, kIdNo, false, true, true, false},    {kTrue, kIdYes, false, true, true, true},
      {kTrue, kIdYes, true, true, false, false},   {kTrue, kBoxFailed, false, true, false, false},
      {kTrue, kCancel, false, true, false, false},
  };
  for (const auto& c : cases) {
    Program p;
    p.main.Form_Load();
    p.state.SettingsChanged = c.changed;
    p.state.IconPath = "0";
    p.port.answers = {c.answer};
    if (c.saveFails) {
      p.port.failing.insert("writeNewFile");
    }
    p.main.mnuQuit_Click();
    const std::string trace = std::to_string(c.changed) + "/" + std::to_string(c.answer);
    EXPECT_EQ(p.port.boxes.size(), c.asked ? 1u + c.saveFails : 0u) << trace;
    EXPECT_TRUE(!c.asked ||
                (p.port.boxes[0].text == kSaveQuestion && p.port.boxes[0].style == kMbYesNo));
    EXPECT_EQ(std::pair(p.main.loaded(), p.port.mainUnloaded), std::pair(!c.ends, c.ends)) << trace;
    EXPECT_EQ(p.port.files.count(p.port.appDir + "\\wexla.ini") == 1, c.written) << trace;
  }
}

TEST_F(App, IconCommandsChangeOnlyOnAUsableChoiceAndReleaseOnlyLoadedIcons) {
  port.icons = {{kBlueFile, kBlue}, {kRedFile, kRed}};
  main.Form_Load();
  port.tray.clear();
  port.picks = {"", "C:\\i\\no-icon.ico", kBlueFile};
  for (int i = 0; i < 2; ++i) {
    choose(MenuCommand::FileOpen);
  }
  EXPECT_EQ(state.IconPath + std::to_string(state.SettingsChanged), "0");
  EXPECT_TRUE(port.tray.empty());
  ASSERT_EQ(port.boxes.size(), 1u); // the unusable file, by name
  EXPECT_EQ(port.boxes[0].text + "|" + std::to_string(port.boxes[0].style),
            std::string(kIconLoadFailedText) + "C:\\i\\no-icon.ico|" +
                std::to_string(kMbOk | kMbIconExclamation));
  choose(MenuCommand::FileOpen);
  state.SettingsChanged = kFalse;
  port.icons[kBlueFile] = kBlue + 2; // the same file again, loaded afresh: still a change
  port.picks = {kBlueFile, kRedFile};
  choose(MenuCommand::FileOpen);
  EXPECT_EQ(state.SettingsChanged, kTrue);
  choose(MenuCommand::FileOpen);
  EXPECT_EQ(port.destroyed, (std::set<IconHandle>{kBlue, kBlue + 2}));

  state.SettingsChanged = kFalse;
  choose(MenuCommand::DefaultIcon);
  EXPECT_EQ(state.IconPath + std::to_string(state.SettingsChanged), "0-1");
  EXPECT_EQ(main.icon(), kRed); // the window keeps its icon until the next change
  EXPECT_EQ(std::pair(port.tray.back().message, port.tray.back().record.hIcon),
            std::pair(TrayMessage::Modify, FakePort::kBuiltin));
  state.SettingsChanged = kFalse;
  choose(MenuCommand::DefaultIcon); // already the choice: nothing to do
  EXPECT_EQ(state.SettingsChanged, kFalse);
  EXPECT_EQ(port.tray.size(), 4u);
  {
    FrmMain window(port, state, mouse, about);
    port.picks = {kRedFile};
    window.mnuFileOpen_Click();
  }
  EXPECT_EQ(port.destroyed.count(kRed), 1u); // released with its window
  EXPECT_EQ(port.destroyed.count(FakePort::kBuiltin), 0u);
}

TEST_F(App, ARefusedIconIsStillDeletedOnceAtUnload) {
  port.failing.insert("notifyIcon");
  main.Form_Load();
  main.unload();
  main.unload();
  ASSERT_EQ(port.tray.size(), 2u);
  EXPECT_EQ(port.tray[1].message, TrayMessage::Delete);
}

} // namespace
} // namespace wexla::test
