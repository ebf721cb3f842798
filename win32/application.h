#pragma once
// The running program: the platform's roles, the settings being edited, the windows' logic and
// the tray program, wired together the way the window procedures reach them.
#include "dialogs/dialog_set.h"
#include "tray/tray_program.h"
#include "win32/win32_desktop.h"
#include "win32/win32_files.h"
#include "win32/win32_pictures.h"
#include "win32/win32_shell.h"
#include "win32/window_handles.h"
#include "win32/window_procedures.h"

namespace wexla {

struct Application {
  explicit Application(HINSTANCE module) : instance(module) {}

  HINSTANCE instance;
  WindowHandles windowHandles;
  Win32Pictures pictures{instance};
  Win32Files files;
  Win32Registry registry;
  Win32Shell shell;
  Win32Messages messages;
  // Each window's procedure reaches the program through the window: see window_procedures.h.
  Win32Desktop desktop{instance, windowHandles, pictures, dialogWindowProc, this};
  EditedSettings settings;
  DialogSet dialogSet{{.windowControl = desktop,
                       .registry = registry,
                       .files = files,
                       .shell = shell,
                       .messages = messages},
                      settings};
  const DialogTable& dialogs = dialogSet.table;
  TrayProgram program{{.pictures = pictures,
                       .notificationArea = desktop,
                       .shell = shell,
                       .messages = messages,
                       .choices = desktop,
                       .files = files,
                       .windowControl = desktop},
                      settings,
                      dialogs};
};

} // namespace wexla
