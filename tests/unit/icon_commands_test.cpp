#include "tests/unit/app_fixture.h"

namespace wexla::test {
namespace {

constexpr IconHandle kBlue = 0x51;
constexpr IconHandle kRed = 0x52;

class IconCommands : public AppTest {
protected:
  void SetUp() override {
    port.iconFiles["C:\\i\\blue.ico"] = kBlue;
    port.iconFiles["C:\\i\\red.ico"] = kRed;
    main.Form_Load();
    port.trayCalls.clear();
  }
  void changeIconTo(const std::string& choice) {
    port.dialogChoices.push_back(choice);
    chooseFromMenu(MenuCommand::FileOpen);
  }
};

TEST_F(IconCommands, ChangeIconShowsTheFileAndMarksTheChange) {
  changeIconTo("C:\\i\\blue.ico");
  EXPECT_EQ(port.lastDialogFilter, "Icon Files (*.ico)|*.ico");
  EXPECT_EQ(port.lastDialogDirectory, port.appDir);
  EXPECT_EQ(state.IconPath, "C:\\i\\blue.ico");
  EXPECT_EQ(state.SettingsChanged, kTrue);
  ASSERT_EQ(port.trayCalls.size(), 1u);
  EXPECT_EQ(port.trayCalls[0].message, TrayMessage::Modify);
  EXPECT_EQ(port.trayCalls[0].record.hIcon, kBlue);
  EXPECT_EQ(main.icon(), kBlue);
}

TEST_F(IconCommands, CancelChangesNothing) {
  changeIconTo("");
  EXPECT_EQ(state.IconPath, "");
  EXPECT_EQ(state.SettingsChanged, kFalse);
  EXPECT_TRUE(port.trayCalls.empty());
  chooseFromMenu(MenuCommand::Quit);
  EXPECT_TRUE(port.messageBoxes.empty());
}

TEST_F(IconCommands, ChoosingTheSameFileAgainStillCountsAsAChange) {
  changeIconTo("C:\\i\\blue.ico");
  state.SettingsChanged = kFalse;
  port.iconFiles["C:\\i\\blue.ico"] = kBlue + 1; // a fresh handle per load
  changeIconTo("C:\\i\\blue.ico");
  EXPECT_EQ(state.SettingsChanged, kTrue);
  EXPECT_EQ(port.trayCalls.size(), 2u);
}

TEST_F(IconCommands, ReplacedIconsAreReleasedButNeverTheBuiltinOne) {
  changeIconTo("C:\\i\\blue.ico");
  changeIconTo("C:\\i\\red.ico");
  EXPECT_EQ(port.destroyedIcons, std::set<IconHandle>{kBlue});
  chooseFromMenu(MenuCommand::DefaultIcon);
  EXPECT_EQ(port.destroyedIcons.count(FakePort::kBuiltin), 0u);
}

TEST_F(IconCommands, UnloadableFileKeepsEverythingAndSaysSo) {
  changeIconTo("C:\\i\\blue.ico");
  state.SettingsChanged = kFalse;
  port.trayCalls.clear();
  changeIconTo("C:\\i\\not-an-icon.ico");
  EXPECT_EQ(state.IconPath, "C:\\i\\blue.ico");
  EXPECT_EQ(state.SettingsChanged, kFalse);
  EXPECT_EQ(main.icon(), kBlue);
  EXPECT_TRUE(port.trayCalls.empty());
  ASSERT_EQ(port.messageBoxes.size(), 1u);
  EXPECT_NE(port.messageBoxes[0].text.find("C:\\i\\not-an-icon.ico"), std::string::npos);
  EXPECT_EQ(port.messageBoxes[0].caption, "Wexla 98");
}

TEST_F(IconCommands, RestoreDefaultIconFromNothingChosenMarksTheChange) {
  chooseFromMenu(MenuCommand::DefaultIcon);
  EXPECT_EQ(state.IconPath, "0");
  EXPECT_EQ(state.SettingsChanged, kTrue);
  ASSERT_EQ(port.trayCalls.size(), 1u);
  EXPECT_EQ(port.trayCalls[0].record.hIcon, FakePort::kBuiltin);
}

TEST_F(IconCommands, RestoreDefaultIconWhenAlreadyDefaultDoesNothing) {
  state.IconPath = "0";
  chooseFromMenu(MenuCommand::DefaultIcon);
  EXPECT_EQ(state.SettingsChanged, kFalse);
  EXPECT_TRUE(port.trayCalls.empty());
  EXPECT_TRUE(port.messageBoxes.empty());
}

TEST_F(IconCommands, RestoreKeepsTheMainWindowIconUntilTheNextChange) {
  changeIconTo("C:\\i\\blue.ico");
  chooseFromMenu(MenuCommand::DefaultIcon);
  EXPECT_EQ(main.icon(), kBlue);
  EXPECT_EQ(port.trayCalls.back().record.hIcon, FakePort::kBuiltin);
  changeIconTo("C:\\i\\red.ico");
  EXPECT_EQ(main.icon(), kRed);
}

TEST_F(IconCommands, ChosenIconSurvivesSaveAndRestart) {
  changeIconTo("C:\\i\\blue.ico");
  chooseFromMenu(MenuCommand::SaveSettings);
  EXPECT_EQ(port.fileAt(port.appDir, "wexla.ini"), "\"C:\\i\\blue.ico\",#FALSE#\r\n");
  port.putFile("C:\\i", "blue.ico", "icon");
  IconDeclare restarted;
  FrmMain again(port, restarted, mouse, about);
  port.trayCalls.clear();
  again.Form_Load(); // the current directory is the application directory after the save
  EXPECT_EQ(port.trayCalls.at(0).record.hIcon, kBlue);
}

} // namespace
} // namespace wexla::test
