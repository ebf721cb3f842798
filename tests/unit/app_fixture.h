#pragma once
// The whole program wired to a fake platform, as the Win32 entry point wires it to the real one.
#include "dialogs/about/frm_about.h"
#include "dialogs/mouse/frm_mouse.h"
#include "tests/unit/fake_port.h"
#include "tray/frm_main.h"

#include <gtest/gtest.h>

namespace wexla::test {

inline constexpr float kPixel = 15.0f; // twips per pixel of the fake screen
inline constexpr int kLeftUp = 514;
inline constexpr int kLeftDouble = 515;
inline constexpr int kRightUp = 517;

class AppTest : public ::testing::Test {
protected:
  FakePort port;
  IconDeclare state;
  FrmMouse mouse{port, state};
  FrmAbout about{port};
  FrmMain main{port, state, mouse, about};

  void callback(int number) {
    main.picHook_MouseMove(static_cast<float>(number) * port.twipsPerPixel);
  }
  void chooseFromMenu(MenuCommand command) {
    port.menuChoices.push_back(command);
    callback(kRightUp);
  }
  void settingsFile(const std::string& bytes) { port.putFile(port.currentDir, "wexla.ini", bytes); }
};

} // namespace wexla::test
