#pragma once
// The logic of every secondary window, made and looked up in one place, so that the program
// and its unit tests wire the same set.
#include "dialogs/about/about_dialog.h"
#include "dialogs/mouse/mouse_dialog.h"
#include "platform/dialog_logic.h"

namespace wexla {

// The roles the windows' logic uses.
struct DialogPlatform {
  WindowControl& windowControl;
  Registry& registry;
  Files& files;
  Shell& shell;
  Messages& messages;
};

struct DialogSet {
  DialogSet(const DialogPlatform& platform, EditedSettings& settings)
      : mouse(platform.windowControl, settings),
        about(platform.windowControl, {.registry = platform.registry,
                                       .files = platform.files,
                                       .shell = platform.shell,
                                       .messages = platform.messages}) {}
  DialogSet(const DialogSet&) = delete;
  DialogSet& operator=(const DialogSet&) = delete;
  ~DialogSet() = default;

  // No default: a window without its logic here does not compile.
  DialogLogic* logicOf(WindowId window) {
    switch (window) {
    case WindowId::MouseConfiguration:
      return &mouse;
    case WindowId::About:
      return &about;
    case kNoWindow:
      break;
    }
    return nullptr;
  }

  MouseDialog mouse;
  AboutDialog about;
  const DialogTable table = dialogTable([this](WindowId window) { return logicOf(window); });
};

} // namespace wexla
