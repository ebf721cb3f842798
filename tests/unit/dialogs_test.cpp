#include "dialogs/about/system_info.h"
#include "tests/unit/fake_platform.h"

namespace wexla::test {
namespace {

constexpr ControlId kDouble = ControlId::DoubleClickOption;

// The option calls that show the mode on a fresh mouse window, double-click option first.
std::string optionsShowing(bool doubleClickOnly) {
  const std::string first = "setOptionChecked " + std::to_string(static_cast<int>(kDouble));
  const std::string second =
      "setOptionChecked " + std::to_string(static_cast<int>(ControlId::SingleClickOption));
  return first + (doubleClickOnly ? " on; " : " off; ") + second +
         (doubleClickOnly ? " off; " : " on; ");
}

// A window opens only once. The mouse window shows the mode on both options (a fresh window
// selects neither) without changing it; its choices take effect at once and stay unsaved.
TEST_F(App, DialogsOpenOnceAndMouseChoicesTakeEffectAtOnce) {
  platform.registry[std::string(kMsInfoKey) + "|" + kMsInfoValue] = "C:\\MSINFO32.EXE";
  platform.startable = {"C:\\MSINFO32.EXE"};
  tray.start();
  settings = {{"", true}, true};
  choose(openWindowCommand(WindowId::About));
  choose(openWindowCommand(WindowId::About));
  choose(openWindowCommand(WindowId::MouseConfiguration));
  EXPECT_EQ(std::pair(settings.values.doubleClickOnly, settings.unsaved), std::pair(true, true));
  dialogs.about.onClick(ControlId::SystemInfoButton);
  dialogs.about.onClick(ControlId::OkButton);
  // Each round: the mode after the click, whether it marked it unsaved; then a click on the icon.
  const auto clicked = [this](ControlId option) {
    settings.unsaved = false;
    dialogs.mouse.onClick(option);
    tray.onTrayMessage(kLeftUp);
    return std::pair(settings.values.doubleClickOnly, settings.unsaved);
  };
  EXPECT_EQ(clicked(kDouble), std::pair(true, false)); // already selected: nothing new
  EXPECT_EQ(clicked(ControlId::SingleClickOption), std::pair(false, true));
  choose(openWindowCommand(WindowId::MouseConfiguration)); // the open window is kept as it is
  EXPECT_EQ(clicked(kDouble), std::pair(true, true));
  dialogs.mouse.onClick(ControlId::SingleClickOption);
  dialogs.mouse.onClick(ControlId::CloseButton);
  choose(openWindowCommand(WindowId::MouseConfiguration));
  platform.answers = {Answer::No};
  choose(MenuCommand::Quit); // the mouse window outlives the icon
  const std::string about = FakePlatform::id(WindowId::About) + "; ";
  const std::string mouse = FakePlatform::id(WindowId::MouseConfiguration) + "; ";
  EXPECT_EQ(platform.trace(
                {"createWindow", "showWindow", "closeWindow", "setOption", "start", "openMail"}),
            "createWindow " + about + "showWindow " + about + "createWindow " + about +
                "showWindow " + about + "createWindow " + mouse + optionsShowing(true) +
                "showWindow " + mouse + "startProgram C:\\MSINFO32.EXE; closeWindow " + about +
                "openMail; createWindow " + mouse + "showWindow " + mouse + "closeWindow " + mouse +
                "createWindow " + mouse + optionsShowing(false) + "showWindow " + mouse);
}

// started: the program the platform was asked to start ("" = none); the message shows unless
// it started. Neither entry readable is a case of the fault injection.
TEST(SystemInfo, StartsTheFirstEntryOrTheProgramInTheSecondElseSaysItIsUnavailable) {
  const std::string program = "C:\\Tools\\MSINFO32.EXE", none = "-";
  const struct {
    std::string first, second, file, started;
  } cases[] = {{"C:\\P.EXE", "C:\\Tools", "", "C:\\P.EXE"},
               {none, "C:\\Tools", "C:\\Tools\\msinfo32.exe", program},
               {none, "C:\\Tools", "", ""},                            // no program there
               {"C:\\Gone.exe", "C:\\Tools", program, "C:\\Gone.exe"}, // the second is not tried
               {"", "C:\\Tools", program, ""},                         // a value without text
               {none, "", "\\MSINFO32.EXE", ""}};                      // not the drive's root
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.registry = {{std::string(kMsInfoKey) + "|" + kMsInfoValue, c.first},
                         {std::string(kToolsLocationKey) + "|" + kToolsLocationValue, c.second}};
    std::erase_if(platform.registry, [&](const auto& entry) { return entry.second == none; });
    platform.files[c.file] = "MZ";
    platform.startable = {"C:\\P.EXE", program, "\\MSINFO32.EXE", "C:\\Tools"};
    startSystemInformation({platform, platform, platform, platform});
    const std::string started = c.started.empty() ? "" : "startProgram " + c.started + "; ";
    const bool told = platform.startable.count(c.started) == 0;
    EXPECT_EQ(platform.trace({"startProgram", "tell"}),
              started + (told ? "tell " + std::string(kSysInfoUnavailableText) + " /0; " : ""))
        << c.file << "/" << c.started;
  }
}

} // namespace
} // namespace wexla::test
