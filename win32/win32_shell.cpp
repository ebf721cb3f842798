#include "win32/win32_shell.h"

#include "state/app_title.h"
#include "win32/handles.h"

#include <shellapi.h>

namespace wexla {
namespace {

constexpr const char* kOpenVerb = "Open";
// ShellExecute reports success as a number above this, errors as one at most this.
constexpr INT_PTR kShellExecuteLastError = 32;

} // namespace

void Win32Shell::openMail() {
  // A failure is reported to the user by the shell itself.
  ShellExecuteA(GetDesktopWindow(), kOpenVerb, "mailto:", "", "", SW_SHOWNORMAL);
}

bool Win32Shell::openDocument(const Text& name) {
  return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, kOpenVerb, name.c_str(), "", "",
                                                 SW_SHOWNORMAL)) > kShellExecuteLastError;
}

bool Win32Shell::startProgram(const Text& path) {
  // The path is both the program to run and, quoted, its command line: a blank in it can
  // never make Windows start another file.
  Text commandLine = "\"" + path + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process) == FALSE) {
    return false;
  }
  // The program runs on its own: nothing here waits for it.
  const OwnedKernelObject thread(process.hThread);
  const OwnedKernelObject started(process.hProcess);
  return true;
}

Answer Win32Messages::ask(const Text& question) {
  // A tray program has no active window of its own: without MB_SETFOREGROUND the box may open
  // behind the window the user is working in.
  switch (MessageBoxA(nullptr, question.c_str(), kAppTitle, MB_YESNO | MB_SETFOREGROUND)) {
  case IDYES:
    return Answer::Yes;
  case IDNO:
    return Answer::No;
  default:
    return Answer::None;
  }
}

void Win32Messages::tell(const Text& text, Notice kind) {
  UINT icon = 0;
  switch (kind) {
  case Notice::Plain:
    break;
  case Notice::Information:
    icon = MB_ICONINFORMATION;
    break;
  case Notice::Warning:
    icon = MB_ICONEXCLAMATION;
    break;
  }
  // Nothing follows a message box that could not be shown; the program goes on either way.
  MessageBoxA(nullptr, text.c_str(), kAppTitle, MB_OK | icon | MB_SETFOREGROUND);
}

} // namespace wexla
