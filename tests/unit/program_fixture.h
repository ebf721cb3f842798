#pragma once
// The whole program wired to the fake platform, as the Win32 entry point wires it to the real one.
#include "dialogs/dialog_set.h"
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
  DialogSet dialogs{{platform, platform, platform, platform, platform}, settings};
  MouseDialog& mouse = dialogs.mouse;
  AboutDialog& about = dialogs.about;
  TrayProgram tray{{platform, platform, platform, platform, platform, platform, platform},
                   settings,
                   dialogs.table};

  void choose(MenuCommand command) {
    platform.menuChoices.push_back(command);
    tray.onTrayMessage(kRightUp);
  }
};

class App : public ::testing::Test, protected Program {};

} // namespace wexla::test
