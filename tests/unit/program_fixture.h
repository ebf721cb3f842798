#pragma once
// The whole program wired to the fake platform, as the Win32 entry point wires it to the real one.
#include "dialogs/about/about_dialog.h"
#include "dialogs/mouse/mouse_dialog.h"
#include "platform/tray_messages.h"
#include "tests/unit/fake_platform.h"
#include "tray/tray_program.h"

#include <gtest/gtest.h>

namespace wexla::test {

// The mouse messages the shell reports through the callback, in their numeric order.
enum : unsigned { kMouseMove = 512, kLeftDown, kLeftUp, kLeftDouble, kRightDown, kRightUp };

struct Program {
  FakePlatform platform;
  EditedSettings settings;
  MouseDialog mouse{platform, settings};
  AboutDialog about{platform, {platform, platform, platform, platform}};
  DialogTable dialogs{&mouse, &about};
  TrayProgram tray{
      {platform, platform, platform, platform, platform, platform, platform}, settings, dialogs};

  void choose(MenuCommand command) {
    platform.menuChoices.push_back(command);
    tray.onTrayMessage(kRightUp);
  }
};

class App : public ::testing::Test, protected Program {};

} // namespace wexla::test
