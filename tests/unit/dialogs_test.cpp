#include "dialogs/about/system_info.h"
#include "tests/unit/program_fixture.h"

namespace wexla::test {
namespace {

using Options = std::map<ControlId, bool>;
constexpr ControlId kDouble = ControlId::DoubleClickOption;
constexpr ControlId kSingle = ControlId::SingleClickOption;

// A window opens only once. The mouse window shows the mode on both options (a fresh window
// selects neither) without changing it; its choices take effect at once and stay unsaved.
TEST_F(App, DialogsOpenOnceAndMouseChoicesTakeEffectAtOnce) {
  platform.registry[std::string(kMsInfoKey) + "|" + kMsInfoValue] = "C:\\MSINFO32.EXE";
  platform.startable = {"C:\\MSINFO32.EXE"};
  tray.start();
  settings = {{"", true}, true};
  for (const MenuCommand command :
       {openWindowCommand(WindowId::About), openWindowCommand(WindowId::About),
        openWindowCommand(WindowId::MouseConfiguration)}) {
    choose(command);
  }
  EXPECT_EQ(std::tuple(platform.windows, platform.count("showWindow"), platform.options,
                       settings.values.doubleClickOnly, settings.unsaved),
            std::tuple(std::set<WindowId>{WindowId::MouseConfiguration, WindowId::About}, 3,
                       Options{{kDouble, true}, {kSingle, false}}, true, true));
  about.onClick(ControlId::SystemInfoButton);
  about.onClick(ControlId::OkButton);
  EXPECT_EQ(std::tuple(platform.windows, platform.calls("startProgram")),
            std::tuple(std::set<WindowId>{WindowId::MouseConfiguration},
                       std::vector<std::string>{"startProgram C:\\MSINFO32.EXE"}));
  settings.unsaved = false;
  mouse.onClick(kDouble); // already selected: nothing new
  EXPECT_FALSE(settings.unsaved);
  mouse.onClick(kSingle);
  tray.onTrayMessage(kLeftUp);
  EXPECT_EQ(
      std::tuple(settings.values.doubleClickOnly, settings.unsaved, platform.count("openMail")),
      std::tuple(false, true, 1));
  settings.unsaved = false;
  choose(openWindowCommand(WindowId::MouseConfiguration)); // the open window is kept as it is
  mouse.onClick(kDouble);
  tray.onTrayMessage(kLeftUp);
  EXPECT_EQ(std::tuple(platform.options[kDouble], settings.values.doubleClickOnly, settings.unsaved,
                       platform.count("openMail")),
            std::tuple(true, true, true, 1));
  mouse.onClick(kSingle);
  mouse.onClick(ControlId::CloseButton);
  EXPECT_TRUE(platform.windows.empty());
  choose(openWindowCommand(WindowId::MouseConfiguration));
  EXPECT_EQ(platform.options, (Options{{kDouble, false}, {kSingle, true}}));
  platform.answers = {Answer::No};
  choose(MenuCommand::Quit);
  EXPECT_EQ(platform.windows,
            std::set<WindowId>{WindowId::MouseConfiguration}); // it outlives the icon
}

TEST(SystemInfo, StartsTheFirstEntryOrTheProgramInTheSecondElseSaysItIsUnavailable) {
  using Text = std::optional<std::string>;
  const Text none;
  const std::string program = "C:\\Tools\\MSINFO32.EXE";
  const struct {
    Text first, second;
    std::string file, failing, started; // started: "" when the message is shown
    int attempts;                       // programs the platform was asked to start
  } cases[] = {{"C:\\P.EXE", "C:\\Tools", "", "", "C:\\P.EXE", 1},
               {none, "C:\\Tools", "C:\\Tools\\msinfo32.exe", "", program, 1},
               {none, none, "", "", "", 0},
               {none, "C:\\Tools", "", "", "", 0},                // no program there
               {"C:\\Gone.exe", "C:\\Tools", program, "", "", 1}, // the second is not tried
               {"", "C:\\Tools", program, "", "", 0},             // a value without text
               {none, "", "\\MSINFO32.EXE", "", "", 0},           // not the drive's root
               {"C:\\P.EXE", none, "", "readRegistryText", "", 0}};
  for (const auto& c : cases) {
    FakePlatform platform;
    for (const auto& [key, value, entry] :
         {std::tuple(kMsInfoKey, kMsInfoValue, c.first),
          std::tuple(kToolsLocationKey, kToolsLocationValue, c.second)}) {
      if (entry) {
        platform.registry[std::string(key) + "|" + value] = *entry;
      }
    }
    platform.files[c.file] = "MZ";
    platform.failing = {c.failing};
    platform.startable = {"C:\\P.EXE", program, "\\MSINFO32.EXE", "C:\\Tools"};
    startSystemInformation({platform, platform, platform, platform});
    const bool started = !c.started.empty();
    EXPECT_EQ(std::tuple(platform.count("startProgram"), platform.calls("tell")),
              std::tuple(c.attempts,
                         std::vector<std::string>(!started, std::string("tell ") +
                                                                kSysInfoUnavailableText + " /0")))
        << c.file << "/" << c.attempts;
    EXPECT_TRUE(!started || platform.calls("startProgram").back() == "startProgram " + c.started)
        << c.file << "/" << c.attempts;
  }
}

} // namespace
} // namespace wexla::test
