#pragma once
// The running program: its windows, the port, the shared state and the windows' logic, wired
// together the way the window procedures reach them.
#include "dialogs/about/frm_about.h"
#include "dialogs/mouse/frm_mouse.h"
#include "state/icon_declare.h"
#include "tray/frm_main.h"
#include "win32/program_windows.h"
#include "win32/win32_port.h"

namespace wexla {

struct Application {
  explicit Application(HINSTANCE instance) : port(instance, windows) {}
  ProgramWindows windows;
  Win32Port port;
  IconDeclare state;
  FrmMouse mouse{port, state};
  FrmAbout about{port};
  FrmMain main{port, state, mouse, about};
};

} // namespace wexla
