#pragma once
// The running program: the platform's roles, the settings being edited, the windows' logic and
// the tray program, wired together the way the window procedures reach them.
#include "dialogs/about/about_dialog.h"
#include "dialogs/mouse/mouse_dialog.h"
#include "tray/tray_program.h"
#include "win32/program_windows.h"
#include "win32/win32_files.h"
#include "win32/win32_pictures.h"
#include "win32/win32_shell.h"
#include "win32/win32_windows.h"
#include "win32/window_procedures.h"

namespace wexla {

struct Application {
  explicit Application(HINSTANCE module) : instance(module) {
    dialogs[windowIndex(WindowId::MouseConfiguration)] = &mouse;
    dialogs[windowIndex(WindowId::About)] = &about;
  }

  HINSTANCE instance;
  ProgramWindows windows;
  Win32Pictures pictures{instance};
  Win32Files files;
  Win32Registry registry;
  Win32Shell shell;
  Win32Messages messages;
  Win32Windows desktop{instance, windows, pictures, dialogWindowProc};
  EditedSettings settings;
  MouseDialog mouse{desktop, settings};
  AboutDialog about{desktop, {registry, files, shell, messages}};
  DialogTable dialogs{};
  TrayProgram program{
      {pictures, desktop, shell, messages, desktop, files, desktop}, settings, dialogs};
};

} // namespace wexla
