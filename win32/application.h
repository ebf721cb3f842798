#pragma once
// The running program: the platform's roles, the settings being edited, the windows' logic and
// the tray program, wired together the way the window procedures reach them.
#include "dialogs/dialog_set.h"
#include "tray/tray_program.h"
#include "win32/program_windows.h"
#include "win32/win32_files.h"
#include "win32/win32_pictures.h"
#include "win32/win32_shell.h"
#include "win32/win32_windows.h"
#include "win32/window_procedures.h"

namespace wexla {

struct Application {
  explicit Application(HINSTANCE module) : instance(module) {}

  HINSTANCE instance;
  ProgramWindows windows;
  Win32Pictures pictures{instance};
  Win32Files files;
  Win32Registry registry;
  Win32Shell shell;
  Win32Messages messages;
  Win32Windows desktop{instance, windows, pictures, dialogWindowProc};
  EditedSettings settings;
  DialogSet dialogSet{{.windows = desktop,
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
                       .windows = desktop},
                      settings,
                      dialogs};
};

} // namespace wexla
