#include "platform/message_box_style.h"
#include "state/app_title.h"
#include "tests/unit/app_fixture.h"
#include "tray/settings_store.h"

namespace wexla::test {
namespace {

constexpr IconHandle kBlue = 0x51;
constexpr IconHandle kRed = 0x52;
const std::string kBlueFile = "C:\\My Icons\\mail, blue.ico";
const std::string kRedFile = "C:\\i\\red.ico";

std::string tray(TrayMessage message, IconHandle icon) {
  return text(message) + " " + text(icon);
}
std::string lastTray(const FakePort& port) {
  const Args last = port.of("notifyIcon").back();
  return last[0] + " " + last[1];
}

TEST_F(App, OneSessionFromStartToQuit) {
  settingsFile("\"" + kBlueFile + "\",#TRUE#\r\n");
  port.files[kBlueFile] = "icon";
  port.icons = {{kBlueFile, kBlue}, {kRedFile, kRed}};
  main.Form_Load();
  const std::string tip = std::string(kAppTitle) + '\0' + std::string(kTipFieldLength - 9, ' ');
  EXPECT_EQ(port.of("notifyIcon"),
            (std::vector<Args>{{"0", text(kBlue), text(FakePort::kHook),
                                text(sizeof(TrayIconRecord)), "1", "7", "512", tip}}));

  // Double-click mode, as the file says: one request per double click.
  for (const int number : {kLeftDown, kLeftUp, kLeftDouble, kLeftUp}) {
    callback(number);
  }
  choose(MenuCommand::Help);
  const std::string show = text(kShowNormal);
  EXPECT_EQ(port.of("shellExecute"),
            (std::vector<Args>{{text(FakePort::kDesktop), "Open", "mailto:", "", "", show},
                               {"0", "Open", "wexla98.hlp", "", "", show}}));

  // Back to single clicks, effective at the next click while the window is still open.
  choose(MenuCommand::Mouse);
  userSelects(ControlId::MouseBothClick);
  callback(kLeftUp);
  EXPECT_EQ(port.mails(), 2);

  port.picks.push_back(kRedFile);
  choose(MenuCommand::FileOpen);
  EXPECT_EQ(port.of("openIconFileDialog"),
            (std::vector<Args>{{"Icon Files (*.ico)|*.ico", port.appDir, kRedFile}}));
  EXPECT_EQ(lastTray(port), tray(TrayMessage::Modify, kRed));
  EXPECT_EQ(port.destroyed, std::set<IconHandle>{kBlue});

  choose(MenuCommand::SaveSettings);
  EXPECT_EQ(port.files[port.appDir + "\\wexla.ini"], "\"" + kRedFile + "\",#FALSE#\r\n");
  EXPECT_EQ(port.currentDir, port.appDir);

  main.TaskbarCreated(); // the shell restarted and forgot the icon
  EXPECT_EQ(lastTray(port), tray(TrayMessage::Add, kRed));

  port.hook = FakePort::kHook + 1; // the record must name the live callback window
  choose(MenuCommand::Quit);
  EXPECT_TRUE(port.count("messageBox") == 0 && port.mainUnloaded); // saved: nothing to ask
  main.unload();
  main.TaskbarCreated();
  EXPECT_EQ(lastTray(port) + port.of("notifyIcon").back()[2],
            tray(TrayMessage::Delete, kRed) + text(port.hook));
  EXPECT_EQ(port.count("notifyIcon"), 4);
  EXPECT_EQ(port.count("unloadMainWindow"), 1);
}

// The page stands in only where the shell could not open the help file (no viewer for it), by
// the same bare name, so from the same folder.
TEST_F(App, HelpOpensThePageOnlyWhenTheShellCannotOpenTheHelpFile) {
  const std::string show = text(kShowNormal);
  const Args file{"0", "Open", "wexla98.hlp", "", "", show};
  choose(MenuCommand::Help);
  port.failing = {"shellExecute"};
  choose(MenuCommand::Help);
  EXPECT_EQ(port.of("shellExecute"),
            (std::vector<Args>{file, file, {"0", "Open", "wexla98.htm", "", "", show}}));
}

// Only wexla.ini of the current directory is read, whatever the case of its name; an unreadable
// one is reported and left as it is, and the start values stay. The chosen icon is shown only
// when it is an existing icon file; "0" names the default icon even with a file named 0 at hand.
TEST(Start, ReadsTheSettingsFileAndShowsTheChosenIconOnlyWhenItIsAnExistingIconFile) {
  const IconHandle builtin = FakePort::kBuiltin;
  const std::string work = "C:\\Work\\wexla.ini", good = "\"C:\\Good\\x.ico\",#TRUE#\r\n";
  const struct {
    std::string file, bytes, failing;
    bool read, told;
    int loads;
    IconHandle shown;
  } cases[] = {{"", "", "", false, false, 0, builtin},
               {"C:\\Work\\WEXLA.INI", good, "", true, false, 1, kBlue},
               {"C:\\Apps\\Wexla\\wexla.ini", good, "", false, false, 0, builtin},
               {work + ".new", good, "", false, false, 0, builtin},
               {work, good, "readFile", false, true, 0, builtin},
               {work, good + std::string(4096, ' '), "", false, true, 0, builtin},
               {work, "\"C:\\Good\\x.ico\",#MAYBE#", "", false, true, 0, builtin},
               {work, "\"0\",#TRUE#", "", true, false, 0, builtin},
               {work, "\"\",#TRUE#", "", true, false, 0, builtin},
               {work, "\"C:\\Gone\\x.ico\",#TRUE#", "", true, false, 0, builtin},
               {work, "\"C:\\Bad\\x.ico\",#TRUE#", "", true, false, 1, builtin}};
  for (const auto& c : cases) {
    Program p;
    p.port.files = {{"C:\\Work\\0", "0"}, {"C:\\Bad\\x.ico", "?"}, {"C:\\Good\\x.ico", "icon"}};
    p.port.files[c.file] = c.bytes;
    const auto files = p.port.files;
    p.port.icons = {{"C:\\Good\\x.ico", kBlue}};
    p.port.failing = {c.failing};
    p.state = {"stale", kTrue, kTrue, 0, "", {}};
    p.main.Form_Load();
    const std::string trace = c.file + " " + c.bytes.substr(0, 20);
    EXPECT_EQ(std::tuple(p.port.count("loadIconFile"), lastTray(p.port), p.main.icon(),
                         p.state.DoubleClickOnly, p.state.SettingsChanged),
              std::tuple(c.loads, tray(TrayMessage::Add, c.shown), c.shown, c.read ? kTrue : kFalse,
                         kFalse))
        << trace;
    EXPECT_TRUE(c.read ? p.state.IniName == "WEXLA.INI" : p.state.IconPath.empty()) << trace;
    EXPECT_EQ(p.port.of("messageBox"),
              std::vector<Args>(c.told, {kUnreadableSettingsText, kAppTitle,
                                         text(kMbOk | kMbIconExclamation), "1"}))
        << trace;
    EXPECT_TRUE(!c.told || (p.port.files == files && p.state.Answer == 1)) << trace;
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
      EXPECT_EQ(p.port.count("showPopupMenu"), number == kRightUp ? 1 : 0) << number;
      EXPECT_EQ(p.port.log.at(0).name, "desktopWindow"); // fetched first, on every call
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
  EXPECT_EQ(std::tuple(port.mails(), port.count("showPopupMenu"), port.count("messageBox")),
            std::tuple(0, 1, 1));
  port.whileModal = [] { throw std::runtime_error("out of resources"); };
  EXPECT_THROW(callback(kRightUp), std::runtime_error);
  EXPECT_EQ(main.inTrayEvent(), kFalse);
  callback(kLeftUp);
  EXPECT_EQ(port.mails(), 1);
}

TEST(Quit, AsksOnlyWhenChangedIsExactlyTrueAndEndsOnlyOnNoOrASuccessfulSave) {
  constexpr int kBoxFailed = 0;
  // changed, answer, the save fails, the program ends
  const std::tuple<VbBoolean, int, bool, bool> cases[] = {
      {kFalse, kIdYes, false, true}, {1, kIdYes, false, true},
      {kTrue, kIdNo, false, true},   {kTrue, kIdYes, false, true},
      {kTrue, kIdYes, true, false},  {kTrue, kBoxFailed, false, false}};
  for (const auto& [changed, answer, saveFails, ends] : cases) {
    Program p;
    p.main.Form_Load();
    p.state.SettingsChanged = changed;
    p.port.answers = {answer};
    if (saveFails) {
      p.port.failing.insert("writeNewFile");
    }
    p.main.mnuQuit_Click();
    EXPECT_EQ(std::tuple(p.port.count("messageBox", 0, kSaveQuestion), p.port.mainUnloaded,
                         p.port.files.empty()),
              std::tuple(changed == kTrue ? 1 : 0, ends,
                         !(changed == kTrue && answer == kIdYes && !saveFails)))
        << changed << "/" << answer;
  }
}

TEST_F(App, IconCommandsChangeOnlyOnAUsableChoiceAndReleaseOnlyLoadedIcons) {
  port.icons = {{kBlueFile, kBlue}, {kRedFile, kRed}};
  main.Form_Load();
  port.log.clear();
  port.picks = {"", "C:\\i\\no-icon.ico", kBlueFile};
  choose(MenuCommand::FileOpen);
  choose(MenuCommand::FileOpen);
  EXPECT_EQ(state.IconPath + std::to_string(state.SettingsChanged), "0");
  EXPECT_EQ(port.count("notifyIcon"), 0);
  EXPECT_EQ(port.of("messageBox"), // the unusable file, by name
            (std::vector<Args>{{std::string(kIconLoadFailedText) + "C:\\i\\no-icon.ico", kAppTitle,
                                text(kMbOk | kMbIconExclamation), "1"}}));
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
  EXPECT_EQ(lastTray(port), tray(TrayMessage::Modify, FakePort::kBuiltin));
  state.SettingsChanged = kFalse;
  choose(MenuCommand::DefaultIcon); // already the choice: nothing to do
  EXPECT_EQ(state.SettingsChanged, kFalse);
  EXPECT_EQ(port.count("notifyIcon"), 4);
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
  EXPECT_EQ(port.count("notifyIcon"), 2);
  EXPECT_EQ(port.of("notifyIcon").back()[0], text(TrayMessage::Delete));
}

} // namespace
} // namespace wexla::test
