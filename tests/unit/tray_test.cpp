#include "platform/message_box_style.h"
#include "tests/unit/app_fixture.h"
#include "tray/message_number.h"

#include <cstring>
#include <stdexcept>

namespace wexla::test {
namespace {

using TrayShell = AppTest;

TEST_F(TrayShell, StartWithoutSettingsShowsTheBuiltinIconWithItsTip) {
  main.Form_Load();
  ASSERT_EQ(port.trayCalls.size(), 1u);
  const TrayCall& add = port.trayCalls[0];
  EXPECT_EQ(add.message, TrayMessage::Add);
  EXPECT_EQ(add.record.cbSize, sizeof(TrayIconRecord));
  EXPECT_EQ(add.record.hWnd, FakePort::kHook);
  EXPECT_EQ(add.record.uID, 1u);
  EXPECT_EQ(add.record.uFlags, 7u);
  EXPECT_EQ(add.record.uCallbackMessage, 512u);
  EXPECT_EQ(add.record.hIcon, FakePort::kBuiltin);
  const std::string tip(add.record.szTip, sizeof add.record.szTip);
  EXPECT_EQ(tip, std::string("Wexla 98") + '\0' + std::string(55, ' '));
  EXPECT_TRUE(port.messageBoxes.empty());
}

TEST_F(TrayShell, StartAppliesTheIconFileNamedInTheSettings) {
  settingsFile("\"C:\\My Icons\\mail, blue.ico\",#FALSE#\r\n");
  port.putFile("C:\\My Icons", "mail, blue.ico", "icon bytes");
  port.iconFiles["C:\\My Icons\\mail, blue.ico"] = 0x77;
  main.Form_Load();
  EXPECT_EQ(main.icon(), 0x77u);
  EXPECT_EQ(port.trayCalls.at(0).record.hIcon, 0x77u);
}

TEST_F(TrayShell, StartKeepsTheBuiltinIconWhenTheChosenOneIsUnusable) {
  const char* cases[] = {
      "\"0\",#FALSE#\r\n",               // built-in chosen
      "\"\",#FALSE#\r\n",                // nothing chosen
      "\"C:\\Gone\\x.ico\",#FALSE#\r\n", // missing file
      "\"C:\\Icons\",#FALSE#\r\n",       // a directory, not a file
      "\"C:\\Bad\\x.ico\",#FALSE#\r\n",  // exists, but is no icon
  };
  port.putFile("C:\\Bad", "x.ico", "not an icon");
  for (const char* line : cases) {
    port.trayCalls.clear();
    settingsFile(line);
    main.Form_Load();
    EXPECT_EQ(port.trayCalls.at(0).record.hIcon, FakePort::kBuiltin) << line;
  }
  // The path of a missing file is kept, so a later save writes it back unchanged.
  EXPECT_EQ(state.IconPath, "C:\\Bad\\x.ico");
}

TEST_F(TrayShell, SingleClickModeMailsOnEveryLeftRelease) {
  main.Form_Load();
  for (const int number : {512, 513, kLeftUp, kLeftDouble, kLeftUp, 516, 518, 519, 520, 521}) {
    callback(number);
  }
  ASSERT_EQ(port.mailRequests(), 2);
  const ShellCall& mail = port.shellCalls[0];
  EXPECT_EQ(mail.owner, FakePort::kDesktop);
  EXPECT_EQ(mail.operation, "Open");
  EXPECT_EQ(mail.parameters, "");
  EXPECT_EQ(mail.directory, "");
  EXPECT_EQ(mail.show, kShowNormal);
  EXPECT_EQ(main.inTrayEvent(), kFalse);
}

TEST_F(TrayShell, DoubleClickModeMailsOncePerDoubleClick) {
  settingsFile("\"\",#TRUE#\r\n");
  main.Form_Load();
  for (const int number : {513, kLeftUp, kLeftDouble, kLeftUp}) {
    callback(number);
  }
  EXPECT_EQ(port.mailRequests(), 1);
  // Any non-zero value counts as double-click mode.
  state.DoubleClickOnly = 1;
  callback(kLeftDouble);
  EXPECT_EQ(port.mailRequests(), 2);
}

TEST_F(TrayShell, MessageNumberIsRoundedHalfToEven) {
  EXPECT_EQ(mouseMessageNumber(514.5f * kPixel, kPixel), 514);
  EXPECT_EQ(mouseMessageNumber(515.5f * kPixel, kPixel), 516);
  EXPECT_EQ(mouseMessageNumber(514.4f * kPixel, kPixel), 514);
  EXPECT_EQ(mouseMessageNumber(514.0f * 12.0f, 12.0f), 514);
  EXPECT_EQ(mouseMessageNumber(514.0f * 14.4f, 14.4f), 514); // 100 DPI
  EXPECT_FALSE(mouseMessageNumber(1.0f, 0.0f));
  EXPECT_FALSE(mouseMessageNumber(3e38f, 1e-3f));

  main.Form_Load();
  main.picHook_MouseMove(514.5f * kPixel);
  EXPECT_EQ(port.mailRequests(), 1);
  main.picHook_MouseMove(515.5f * kPixel); // 516: nothing
  EXPECT_EQ(port.mailRequests(), 1);
}

TEST_F(TrayShell, CallbacksWhileTheMenuIsOpenAreIgnored) {
  main.Form_Load();
  port.duringMenu = [this] {
    EXPECT_EQ(main.inTrayEvent(), kTrue);
    callback(kLeftUp);
    callback(kRightUp);
  };
  callback(kRightUp);
  EXPECT_EQ(port.mailRequests(), 0);
  EXPECT_EQ(port.popupMenuDepth, 0);
  EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "showPopupMenu"), 1);
  // The guard is clear again once the menu has closed without a choice.
  callback(kLeftUp);
  EXPECT_EQ(port.mailRequests(), 1);
}

TEST_F(TrayShell, CallbacksWhileAModalBoxIsOpenAreIgnoredAndTheGuardClearsAfterwards) {
  main.Form_Load();
  port.duringMessageBox = [this] { callback(kLeftUp); };
  chooseFromMenu(MenuCommand::SaveSettings);
  EXPECT_EQ(port.messageBoxes.size(), 1u);
  EXPECT_EQ(port.mailRequests(), 0);
  port.duringMessageBox = nullptr;
  callback(kLeftUp);
  EXPECT_EQ(port.mailRequests(), 1);
}

TEST_F(TrayShell, GuardIsClearedWhenACommandFails) {
  main.Form_Load();
  port.duringMessageBox = [] { throw std::runtime_error("out of resources"); };
  EXPECT_THROW(chooseFromMenu(MenuCommand::SaveSettings), std::runtime_error);
  EXPECT_EQ(main.inTrayEvent(), kFalse);
}

TEST_F(TrayShell, HelpAsksTheShellToOpenTheHelpFileByName) {
  main.Form_Load();
  chooseFromMenu(MenuCommand::Help);
  ASSERT_EQ(port.shellCalls.size(), 1u);
  EXPECT_EQ(port.shellCalls[0].owner, 0u);
  EXPECT_EQ(port.shellCalls[0].operation, "Open");
  EXPECT_EQ(port.shellCalls[0].file, "wexla98.hlp");
  EXPECT_EQ(port.shellCalls[0].show, kShowNormal);
}

TEST_F(TrayShell, QuitWithoutChangesEndsWithoutAQuestionAndRemovesTheIcon) {
  main.Form_Load();
  chooseFromMenu(MenuCommand::Quit);
  EXPECT_TRUE(port.messageBoxes.empty());
  EXPECT_TRUE(port.mainWindowUnloaded);
  ASSERT_EQ(port.trayCalls.back().message, TrayMessage::Delete);
  EXPECT_EQ(port.trayCalls.back().record.uID, 1u);
  EXPECT_EQ(port.trayCalls.back().record.hWnd, FakePort::kHook);
}

TEST_F(TrayShell, QuitAfterAChangeAsksAndSavesOnlyOnYes) {
  for (const int answer : {kIdNo, kIdYes}) {
    port = FakePort{};
    FrmMain app(port, state, mouse, about);
    app.Form_Load();
    state.SettingsChanged = kTrue;
    state.IconPath = "0";
    port.messageBoxAnswers.push_back(answer);
    app.mnuQuit_Click();
    ASSERT_EQ(port.messageBoxes.size(), 1u);
    EXPECT_EQ(port.messageBoxes[0].text, "Changes were made. Do you want to save?");
    EXPECT_EQ(port.messageBoxes[0].style, kMbYesNo);
    EXPECT_EQ(state.Answer, answer);
    EXPECT_TRUE(port.mainWindowUnloaded);
    EXPECT_EQ(port.fileAt(port.appDir, "wexla.ini"),
              answer == kIdYes ? "\"0\",#FALSE#\r\n" : "<missing>");
  }
}

TEST_F(TrayShell, QuitAsksOnlyWhenTheFlagIsExactlyTrue) {
  main.Form_Load();
  state.SettingsChanged = 1;
  main.mnuQuit_Click();
  EXPECT_TRUE(port.messageBoxes.empty());
  EXPECT_TRUE(port.mainWindowUnloaded);
}

TEST_F(TrayShell, QuitStaysWhenTheRequestedSaveFails) {
  main.Form_Load();
  state.SettingsChanged = kTrue;
  port.failing.insert("writeNewFile");
  port.messageBoxAnswers = {kIdYes, 1};
  main.mnuQuit_Click();
  EXPECT_FALSE(port.mainWindowUnloaded);
  EXPECT_TRUE(main.loaded());
  EXPECT_EQ(state.SettingsChanged, kTrue);
  EXPECT_EQ(port.messageBoxes.size(), 2u);
}

TEST_F(TrayShell, UnloadRemovesTheIconOnceWhicheverWayItComes) {
  port.failing.insert("notifyIcon"); // a refused add still gets its delete
  main.Form_Load();
  main.unload();
  main.unload();
  EXPECT_EQ(port.trayCalls.size(), 2u);
  EXPECT_EQ(port.trayCalls[1].message, TrayMessage::Delete);
  EXPECT_EQ(port.trayCalls[1].record.cbSize, sizeof(TrayIconRecord));
}

TEST_F(TrayShell, ShellRestartBringsBackTheIconThatWasShown) {
  main.Form_Load();
  chooseFromMenu(MenuCommand::DefaultIcon);
  main.TaskbarCreated();
  ASSERT_EQ(port.trayCalls.back().message, TrayMessage::Add);
  EXPECT_EQ(port.trayCalls.back().record.hIcon, FakePort::kBuiltin);
  main.unload();
  const auto count = port.trayCalls.size();
  main.TaskbarCreated();
  EXPECT_EQ(port.trayCalls.size(), count);
}

} // namespace
} // namespace wexla::test
