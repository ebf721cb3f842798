#include "dialogs/about/system_info.h"
#include "tests/unit/fake_platform.h"

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
  choose(openWindowCommand(WindowId::About));
  choose(openWindowCommand(WindowId::About));
  choose(openWindowCommand(WindowId::MouseConfiguration));
  EXPECT_EQ(std::tuple(platform.windows, platform.count("showWindow"), platform.options,
                       settings.values.doubleClickOnly, settings.unsaved),
            std::tuple(std::set<WindowId>{WindowId::MouseConfiguration, WindowId::About}, 3,
                       Options{{kDouble, true}, {kSingle, false}}, true, true));
  about.onClick(ControlId::SystemInfoButton);
  about.onClick(ControlId::OkButton);
  EXPECT_EQ(std::tuple(platform.windows, platform.calls("startProgram")),
            std::tuple(std::set<WindowId>{WindowId::MouseConfiguration},
                       std::vector<std::string>{"startProgram C:\\MSINFO32.EXE"}));
  // Each round: the mode after the clicks, whether they marked it unsaved, mails on a click.
  const auto clicked = [this](ControlId option) {
    settings.unsaved = false;
    mouse.onClick(option);
    const int mails = platform.count("openMail");
    tray.onTrayMessage(kLeftUp);
    return std::tuple(settings.values.doubleClickOnly, settings.unsaved,
                      platform.count("openMail") - mails);
  };
  EXPECT_EQ(clicked(kDouble), std::tuple(true, false, 0)); // already selected: nothing new
  EXPECT_EQ(clicked(kSingle), std::tuple(false, true, 1));
  choose(openWindowCommand(WindowId::MouseConfiguration)); // the open window is kept as it is
  EXPECT_EQ(clicked(kDouble), std::tuple(true, true, 0));
  EXPECT_TRUE(platform.options[kDouble]);
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
    const bool told = platform.startable.count(c.started) == 0;
    EXPECT_EQ(std::tuple(platform.calls("startProgram"), platform.calls("tell")),
              std::tuple(std::vector<std::string>(!c.started.empty(), "startProgram " + c.started),
                         std::vector<std::string>(told, std::string("tell ") +
                                                            kSysInfoUnavailableText + " /0")))
        << c.file << "/" << c.started;
  }
}

} // namespace
} // namespace wexla::test
