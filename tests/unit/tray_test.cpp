#include "tests/unit/fake_platform.h"
#include "tray/settings_store.h"

namespace wexla::test {
namespace {

const std::string kBlueFile = "C:\\My Icons\\mail, blue.ico";
const std::string kRedFile = "C:\\i\\red.ico";

// The shell forgets the icon when it restarts: the shown one comes back until the program ends,
// and only then does the main window close. Clicks while a menu or a box is open are ignored.
TEST_F(App, ShellRestartsBringBackTheShownIconUntilTheProgramEnds) {
  platform.icons = {kRedFile};
  platform.picks = {kRedFile};
  tray.onShellRestarted(); // not started: nothing to show
  tray.start();
  platform.whileModal = [this] {
    tray.onTrayMessage(kLeftUp);
    tray.onTrayMessage(kRightUp);
  };
  choose(MenuCommand::ChangeIcon);
  platform.whileModal = nullptr;
  tray.onTrayMessage(kLeftUp); // the guard was cleared on the way out
  tray.onShellRestarted();
  tray.close();
  tray.close();
  tray.onShellRestarted();
  EXPECT_EQ(
      platform.trace({"addIcon", "changeIcon", "menu", "choose", "openMail", "remove", "close"}),
      "addIcon builtin; menu; chooseIconFile " + platform.programDir + "; changeIcon " + kRedFile +
          "; openMail; addIcon " + kRedFile + "; removeIcon; closeMainWindow; ");
}

// Only wexla.ini of the current folder is read, whatever the case of its name. The chosen icon
// is shown only when it is an existing icon file; "0" names the built-in icon even with a file
// named 0 at hand. (That a damaged file is reported and kept, and that the values read are the
// ones used, the fault injection shows.)
TEST(Start, ReadsTheSettingsFileAndShowsTheChosenIconOnlyWhenItIsAnExistingIconFile) {
  const std::string work = "C:\\Work\\wexla.ini", good = "C:\\Good\\x.ico", bad = "C:\\Bad\\x.ico";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      // the file, the icon it names, the calls
      {"C:\\Work\\WEXLA.INI", good, "loadIcon " + good + "; addIcon " + good + "; "},
      {"C:\\Apps\\Wexla\\wexla.ini", good, "addIcon builtin; "},
      {work, "0", "addIcon builtin; "},
      {work, "C:\\Gone\\x.ico", "addIcon builtin; "},
      {work, bad, "loadIcon " + bad + "; addIcon builtin; "}};
  for (const auto& [file, icon, calls] : cases) {
    Program p;
    p.platform.files = {
        {"C:\\Work\\0", "0"}, {bad, "?"}, {good, "icon"}, {file, "\"" + icon + "\",1"}};
    p.platform.icons = {good};
    p.tray.start();
    EXPECT_EQ(p.platform.trace({"loadIcon", "addIcon"}), calls) << file << " " << icon;
  }
}

TEST(TrayMessages, MailOnTheClickOfTheModeMenuOnRightReleaseNothingOnTheRest) {
  for (const bool doubleClickOnly : {false, true}) {
    for (unsigned message = kMouseMove - 2; message <= kRightUp + 5; ++message) {
      Program p;
      p.settings.values.doubleClickOnly = doubleClickOnly;
      p.tray.onTrayMessage(message);
      const bool mails = message == (doubleClickOnly ? kLeftDouble : kLeftUp);
      EXPECT_EQ(p.platform.trace({"openMail", "menu"}),
                std::string(mails ? "openMail; " : "") + (message == kRightUp ? "menu; " : ""))
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
    EXPECT_EQ(p.platform.trace({"openDocument"}),
              std::string("openDocument ") + kHelpFileName +
                  (viewer ? "; " : std::string("; openDocument ") + kHelpPageName + "; "));
  }
}

// A failed save and a question the user never saw are caught by the fault injection.
TEST(Quit, AsksOnlyWhenUnsavedAndEndsOnNoOrAfterTheSave) {
  const std::string asked = std::string("ask ") + kSaveQuestion + "; ", ends = "closeMainWindow; ";
  for (const auto& [unsaved, answer, calls] :
       {std::tuple(false, Answer::Yes, ends),
        {true, Answer::No, asked + ends},
        {true, Answer::Yes, asked + "replaceFile wexla.ini.new; " + ends}}) {
    Program p;
    p.tray.start();
    p.settings.unsaved = unsaved;
    p.platform.answers = {answer};
    p.choose(MenuCommand::Quit);
    EXPECT_EQ(p.platform.trace({"ask", "replaceFile", "closeMainWindow"}), calls) << calls;
  }
}

// Each step starts saved, the first one as the start leaves it. After it: the icon setting,
// whether it is unsaved, the icon shown and the icons let go. An unusable pick is reported by
// name, a cancelled one ignored.
TEST_F(App, IconCommandsChangeOnlyOnAUsableChoiceAndReleaseWhatIsNoLongerShown) {
  platform.icons = {kBlueFile, kRedFile};
  tray.start();
  const auto state = [this] {
    std::string released;
    for (const std::string& icon : platform.releasedIcons)
      released += " " + icon;
    return str(settings.values.iconPath) + (settings.unsaved ? "|unsaved|" : "|") +
           platform.trayIcon + "|" + released;
  };
  const std::tuple<MenuCommand, std::string, std::string> steps[] = {
      {MenuCommand::ChangeIcon, "", "|builtin|"},
      {MenuCommand::ChangeIcon, "C:\\i\\no-icon.ico", "|builtin|"},
      {MenuCommand::ChangeIcon, kBlueFile, kBlueFile + "|unsaved|" + kBlueFile + "|"},
      // the same file again, loaded afresh: still a change, and the first one goes
      {MenuCommand::ChangeIcon, kBlueFile, kBlueFile + "|unsaved|" + kBlueFile + "| " + kBlueFile},
      {MenuCommand::ChangeIcon, kRedFile, kRedFile + "|unsaved|" + kRedFile + "| " + kBlueFile},
      {MenuCommand::RestoreDefaultIcon, "", "0|unsaved|builtin| " + kBlueFile + " " + kRedFile},
      // already the choice: nothing to do
      {MenuCommand::RestoreDefaultIcon, "", "0|builtin| " + kBlueFile + " " + kRedFile}};
  for (const auto& [command, pick, after] : steps) {
    platform.picks = {pick};
    choose(command);
    EXPECT_EQ(state(), after) << pick;
    settings.unsaved = false;
  }
  EXPECT_EQ(platform.trace({"tell", "changeIcon"}),
            "tell " + std::string(kIconLoadFailedText) + "C:\\i\\no-icon.ico /2; changeIcon " +
                kBlueFile + "; changeIcon " + kBlueFile + "; changeIcon " + kRedFile +
                "; changeIcon builtin; ");
}

} // namespace
} // namespace wexla::test
