#include "tests/unit/app_fixture.h"

namespace wexla::test {
namespace {

class MouseDialog : public AppTest {
protected:
  void SetUp() override { main.Form_Load(); }
  bool selected(ControlId option) { return port.options[option]; }
  // What a click on an option does: the control selects itself, then reports it.
  void userSelects(ControlId option) {
    port.setOptionSelected(FormId::Mouse, option, true);
    mouse.optionSelected(option);
  }
};

TEST_F(MouseDialog, OpensShowingTheCurrentModeWithoutMarkingAChange) {
  for (const VbBoolean mode : {kFalse, kTrue}) {
    for (const VbBoolean changed : {kFalse, kTrue}) {
      state.DoubleClickOnly = mode;
      state.SettingsChanged = changed;
      chooseFromMenu(MenuCommand::Mouse);
      EXPECT_EQ(selected(ControlId::MouseDoubleClick), mode != kFalse);
      EXPECT_EQ(selected(ControlId::MouseBothClick), mode == kFalse);
      EXPECT_EQ(state.DoubleClickOnly, mode);
      EXPECT_EQ(state.SettingsChanged, changed);
      mouse.Command1_Click();
    }
  }
}

TEST_F(MouseDialog, SelectingAnOptionTakesEffectAtTheNextClick) {
  chooseFromMenu(MenuCommand::Mouse);
  userSelects(ControlId::MouseDoubleClick);
  EXPECT_EQ(state.DoubleClickOnly, kTrue);
  EXPECT_EQ(state.SettingsChanged, kTrue);
  callback(kLeftUp);
  EXPECT_EQ(port.mailRequests(), 0);
  callback(kLeftDouble);
  EXPECT_EQ(port.mailRequests(), 1);
  userSelects(ControlId::MouseBothClick);
  EXPECT_EQ(state.DoubleClickOnly, kFalse);
  callback(kLeftUp);
  EXPECT_EQ(port.mailRequests(), 2);
}

TEST_F(MouseDialog, SwitchingBackStillLeavesAChangeToSave) {
  chooseFromMenu(MenuCommand::Mouse);
  userSelects(ControlId::MouseDoubleClick);
  userSelects(ControlId::MouseBothClick);
  EXPECT_EQ(state.SettingsChanged, kTrue);
  chooseFromMenu(MenuCommand::SaveSettings);
  EXPECT_EQ(port.fileAt(port.appDir, "wexla.ini"), "\"\",#FALSE#\r\n");
}

TEST_F(MouseDialog, OpenAndCloseWithoutTouchingLeavesNothingToSave) {
  chooseFromMenu(MenuCommand::Mouse);
  mouse.Command1_Click();
  chooseFromMenu(MenuCommand::SaveSettings);
  ASSERT_EQ(port.messageBoxes.size(), 1u);
  EXPECT_EQ(port.messageBoxes[0].text, "No changes were made");
}

TEST_F(MouseDialog, ChoosingItAgainKeepsTheOneWindowAndItsSelection) {
  chooseFromMenu(MenuCommand::Mouse);
  userSelects(ControlId::MouseDoubleClick);
  state.SettingsChanged = kFalse; // pretend it was saved meanwhile
  chooseFromMenu(MenuCommand::Mouse);
  EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "loadForm"), 1);
  EXPECT_EQ(state.SettingsChanged, kFalse);
  EXPECT_TRUE(selected(ControlId::MouseDoubleClick));
}

TEST_F(MouseDialog, ReopeningAfterCloseShowsTheLastSelectedMode) {
  chooseFromMenu(MenuCommand::Mouse);
  userSelects(ControlId::MouseDoubleClick);
  mouse.Command1_Click();
  EXPECT_EQ(port.loadedForms.count(FormId::Mouse), 0u);
  chooseFromMenu(MenuCommand::Mouse);
  EXPECT_TRUE(selected(ControlId::MouseDoubleClick));
  EXPECT_FALSE(selected(ControlId::MouseBothClick));
}

TEST_F(MouseDialog, QuitLeavesTheDialogOpen) {
  chooseFromMenu(MenuCommand::Mouse);
  chooseFromMenu(MenuCommand::Quit);
  EXPECT_TRUE(port.mainWindowUnloaded);
  EXPECT_EQ(port.loadedForms.count(FormId::Mouse), 1u);
}

TEST_F(MouseDialog, AboutOpensOnceAndClosesWithOK) {
  chooseFromMenu(MenuCommand::About);
  chooseFromMenu(MenuCommand::About);
  EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "loadForm"), 1);
  EXPECT_EQ(port.visibleForms.count(FormId::About), 1u);
  about.cmdOK_Click();
  EXPECT_EQ(port.loadedForms.count(FormId::About), 0u);
}

} // namespace
} // namespace wexla::test
