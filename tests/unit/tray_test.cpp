#include "tests/unit/fake_platform.h"
#include "tray/settings_store.h"

namespace wexla::test {
namespace {

const std::string kBlueFile = "C:\\My Icons\\mail, blue.ico";
const std::string kRedFile = "C:\\i\\red.ico";
using Lines = std::vector<std::string>;

// The shell forgets the icon when it restarts: the shown one comes back until the program ends,
// and only then does the main window close. Clicks while a menu or a box is open are ignored.
TEST_F(App, ShellRestartsBringBackTheShownIconUntilTheProgramEnds) {
  platform.icons = {kRedFile};
  tray.onShellRestarted(); // not started: nothing to show
  tray.start();
  platform.picks = {kRedFile};
  platform.whileModal = [this] {
    tray.onTrayMessage(kLeftUp);
    tray.onTrayMessage(kRightUp);
  };
  choose(MenuCommand::ChangeIcon);
  platform.whileModal = nullptr;
  tray.onTrayMessage(kLeftUp); // the guard was cleared on the way out
  EXPECT_EQ(std::tuple(platform.calls("chooseIconFile"), platform.count("openMail"),
                       platform.count("menu")),
            std::tuple(Lines{"chooseIconFile " + platform.programDir}, 1, 1));
  platform.trayIcon.clear();
  tray.onShellRestarted();
  EXPECT_EQ(platform.trayIcon, kRedFile);
  tray.close();
  tray.close();
  tray.onShellRestarted();
  EXPECT_EQ(std::tuple(platform.trayIcon, platform.count("addIcon"), platform.count("removeIcon"),
                       platform.count("closeMainWindow")),
            std::tuple("", 2, 1, 1));
}

// Only wexla.ini of the current folder is read, whatever the case of its name. The chosen icon
// is shown only when it is an existing icon file; "0" names the built-in icon even with a file
// named 0 at hand. (That a damaged file is reported and kept, and that the values read are the
// ones used, the fault injection shows.)
TEST(Start, ReadsTheSettingsFileAndShowsTheChosenIconOnlyWhenItIsAnExistingIconFile) {
  const std::string work = "C:\\Work\\wexla.ini", good = "C:\\Good\\x.ico";
  const struct {
    std::string file, icon;
    int loads;
    std::string shown;
  } cases[] = {{"C:\\Work\\WEXLA.INI", good, 1, good},
               {"C:\\Apps\\Wexla\\wexla.ini", good, 0, "builtin"},
               {work, "0", 0, "builtin"},
               {work, "C:\\Gone\\x.ico", 0, "builtin"},
               {work, "C:\\Bad\\x.ico", 1, "builtin"}};
  for (const auto& c : cases) {
    Program p;
    p.platform.files = {{"C:\\Work\\0", "0"}, {"C:\\Bad\\x.ico", "?"}, {good, "icon"}};
    p.platform.files[c.file] = "\"" + c.icon + "\",#TRUE#";
    p.platform.icons = {good};
    p.tray.start();
    EXPECT_EQ(std::tuple(p.platform.count("loadIcon"), p.platform.calls("addIcon")),
              std::tuple(c.loads, Lines{"addIcon " + c.shown}))
        << c.file << " " << c.icon;
  }
}

TEST(TrayMessages, MailOnTheClickOfTheModeMenuOnRightReleaseNothingOnTheRest) {
  for (const bool doubleClickOnly : {false, true}) {
    for (unsigned message = kMouseMove - 2; message <= kRightUp + 5; ++message) {
      Program p;
      p.settings.values.doubleClickOnly = doubleClickOnly;
      p.tray.onTrayMessage(message);
      const bool mails = message == (doubleClickOnly ? kLeftDouble : kLeftUp);
      EXPECT_EQ(std::pair(p.platform.count("openMail"), p.platform.count("menu")),
                std::pair(mails ? 1 : 0, message == kRightUp ? 1 : 0))
          << doubleClickOnly << " " << message;
    }
  }
}

// The page is opened only where the shell cannot open the help file itself.
TEST(Help, OpensTheHelpFileOrElseThePage) {
  for (const bool viewer : {true, false}) {
    Program p;
    p.platform.openable = {viewer ? kHelpFileName : kHelpPageName};
    p.choose(MenuCommand::Help);
    EXPECT_EQ(p.platform.calls("openDocument").back(),
              std::string("openDocument ") + (viewer ? kHelpFileName : kHelpPageName));
  }
}

// A failed save and a question the user never saw are caught by the fault injection.
TEST(Quit, AsksOnlyWhenUnsavedAndEndsOnNoOrAfterTheSave) {
  for (const auto& [unsaved, answer] :
       {std::pair(false, Answer::Yes), {true, Answer::No}, {true, Answer::Yes}}) {
    Program p;
    p.tray.start();
    p.settings.unsaved = unsaved;
    p.platform.answers = {answer};
    p.choose(MenuCommand::Quit);
    EXPECT_EQ(std::tuple(p.platform.calls("ask "), p.platform.count("closeMainWindow"),
                         p.platform.files.empty()),
              std::tuple(Lines(unsaved, std::string("ask ") + kSaveQuestion), 1,
                         !(unsaved && answer == Answer::Yes)))
        << unsaved << "/" << static_cast<int>(answer);
  }
}

TEST_F(App, IconCommandsChangeOnlyOnAUsableChoiceAndReleaseWhatIsNoLongerShown) {
  platform.icons = {kBlueFile, kRedFile};
  tray.start();
  platform.log.clear();
  platform.picks = {"", "C:\\i\\no-icon.ico", kBlueFile, kBlueFile, kRedFile};
  choose(MenuCommand::ChangeIcon);
  choose(MenuCommand::ChangeIcon);
  EXPECT_EQ(
      std::tuple(str(settings.values.iconPath), settings.unsaved, platform.count("changeIcon"),
                 platform.calls("tell")), // the unusable file, by name
      std::tuple("", false, 0,
                 Lines{"tell " + std::string(kIconLoadFailedText) + "C:\\i\\no-icon.ico /2"}));
  choose(MenuCommand::ChangeIcon);
  settings.unsaved = false;
  choose(MenuCommand::ChangeIcon); // the same file again, loaded afresh: still a change
  EXPECT_TRUE(settings.unsaved);
  choose(MenuCommand::ChangeIcon);
  EXPECT_EQ(platform.releasedIcons, (std::set<std::string>{kBlueFile}));
  settings.unsaved = false;
  choose(MenuCommand::RestoreDefaultIcon);
  EXPECT_EQ(std::tuple(settings.values.iconPath, settings.unsaved, platform.trayIcon,
                       platform.releasedIcons),
            std::tuple("0", true, "builtin", std::set<std::string>{kBlueFile, kRedFile}));
  settings.unsaved = false;
  choose(MenuCommand::RestoreDefaultIcon); // already the choice: nothing to do
  EXPECT_EQ(std::pair(settings.unsaved, platform.count("changeIcon")), std::pair(false, 4));
}

} // namespace
} // namespace wexla::test
