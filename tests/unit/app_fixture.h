#pragma once
// The whole program wired to the fake platform, as the Win32 entry point wires it to the real one.
#include "dialogs/about/frm_about.h"
#include "dialogs/mouse/frm_mouse.h"
#include "tests/unit/fake_port.h"
#include "tray/frm_main.h"

#include <gtest/gtest.h>

namespace wexla::test {

// The mouse messages the shell reports through the callback, in their numeric order.
enum : int { kMouseMove = 512, kLeftDown, kLeftUp, kLeftDouble, kRightDown, kRightUp };

struct Program {
  FakePort port;
  IconDeclare state;
  FrmMouse mouse{port, state};
  FrmAbout about{port};
  FrmMain main{port, state, mouse, about};

  void callback(int number) {
    main.picHook_MouseMove(static_cast<float>(number) * port.twipsPerPixel);
  }
  void choose(MenuCommand command) {
    port.menuChoices.push_back(command);
    callback(kRightUp);
  }
  // A click on an option: the control selects itself, then reports it.
  void userSelects(ControlId option) {
    port.setOptionSelected(FormId::Mouse, option, true);
    mouse.optionSelected(option);
  }
  void settingsFile(const std::string& bytes) {
    port.files[port.currentDir + "\\wexla.ini"] = bytes;
  }
};

class App : public ::testing::Test, protected Program {};

} // namespace wexla::test
