#include "win32/window_procedures.h"

#include "resources/form_layouts.h"
#include "win32/application.h"
#include "win32/form_builder.h"
#include "win32/form_table.h"

#include <exception>

namespace wexla {
namespace {

Application* g_app = nullptr;

// Handlers run inside window procedures, which no exception may cross; a command that fails
// for want of memory is dropped, and the tray guard has already been cleared on the way out.
template <typename Handler> void runSafely(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception&) {
    MessageBeep(MB_ICONEXCLAMATION);
  }
}

LRESULT CALLBACK hookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE && g_app != nullptr) {
    // The shell puts the mouse message number where a mouse move carries its x pixel, and the
    // handler works in twips like every coordinate of the program.
    const float x = static_cast<float>(LOWORD(lParam)) * twipsPerPixelX();
    runSafely([x] { g_app->main.picHook_MouseMove(x); });
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// How every form's window ends a message it did not answer itself: a destroyed window leaves
// the program's bookkeeping, and the dialog manager does the rest.
LRESULT formDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY && g_app != nullptr) {
    g_app->windows.windowDestroyed(window);
  }
  return DefDlgProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  LRESULT result = 0;
  if (handleFormMessage(window, message, wParam, lParam, result)) {
    return result;
  }
  if (g_app != nullptr) {
    if (message == taskbarCreated && taskbarCreated != 0) {
      runSafely([] { g_app->main.TaskbarCreated(); });
      return 0;
    }
    switch (message) {
    case WM_CLOSE:
      runSafely([] { g_app->main.unload(); });
      return 0;
    case WM_ENDSESSION:
      if (wParam != FALSE) {
        runSafely([] { g_app->main.unload(); });
      }
      return 0;
    default:
      break;
    }
  }
  return formDefaultProc(window, message, wParam, lParam);
}

bool isButtonClick(WPARAM wParam, ControlId control) {
  return LOWORD(wParam) == static_cast<int>(control) && HIWORD(wParam) == BN_CLICKED;
}

void mouseCommand(HWND window, WPARAM wParam) {
  // Close is no default button, so the dialog manager reports Enter on it as IDOK.
  const bool enterOnClose =
      LOWORD(wParam) == IDOK &&
      GetFocus() == GetDlgItem(window, static_cast<int>(ControlId::MouseClose));
  if (isButtonClick(wParam, ControlId::MouseClose) || enterOnClose) {
    runSafely([] { g_app->mouse.Command1_Click(); });
  }
  for (const ControlLayout& control : formClass(FormId::Mouse).layout->controls) {
    const ControlId option = control.id;
    if (control.kind == ControlKind::OptionButton && isButtonClick(wParam, option) &&
        IsDlgButtonChecked(window, static_cast<int>(option)) == BST_CHECKED &&
        g_app->windows.optionNewlySelected(FormId::Mouse, option)) {
      runSafely([option] { g_app->mouse.optionSelected(option); });
    }
  }
  // Enter and Esc elsewhere do nothing: the window has no default or cancel button.
}

void aboutCommand(HWND /*window*/, WPARAM wParam) {
  if (isButtonClick(wParam, ControlId::AboutSysInfo)) {
    runSafely([] { g_app->about.cmdSysInfo_Click(); });
  } else if (isButtonClick(wParam, ControlId::AboutOK) || LOWORD(wParam) == IDOK ||
             LOWORD(wParam) == IDCANCEL) {
    // OK is both the default and the cancel button.
    runSafely([] { g_app->about.cmdOK_Click(); });
  }
}

// What the secondary windows share: the form's own painting, their commands, and their
// lifetime (the close box unloads the window without running a handler).
LRESULT formWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, FormId form,
                       void (*onCommand)(HWND, WPARAM)) {
  LRESULT result = 0;
  if (handleFormMessage(window, message, wParam, lParam, result)) {
    return result;
  }
  if (g_app != nullptr) {
    switch (message) {
    case WM_COMMAND:
      onCommand(window, wParam);
      return 0;
    case WM_CLOSE:
      g_app->port.unloadForm(form);
      return 0;
    default:
      break;
    }
  }
  return formDefaultProc(window, message, wParam, lParam);
}

} // namespace

LRESULT CALLBACK mouseFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return formWindowProc(window, message, wParam, lParam, FormId::Mouse, mouseCommand);
}

LRESULT CALLBACK aboutFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return formWindowProc(window, message, wParam, lParam, FormId::About, aboutCommand);
}

bool createMainWindow(Application& app, HINSTANCE instance) {
  g_app = &app;
  WNDCLASSEXA hookClass{};
  hookClass.cbSize = sizeof hookClass;
  hookClass.lpfnWndProc = hookWindowProc;
  hookClass.hInstance = instance;
  hookClass.lpszClassName = kPictureBoxClass;
  if (RegisterClassExA(&hookClass) == 0) {
    return false;
  }
  // Message-only and without icons: an ordinary window would cost Wine an X window (tens of
  // milliseconds) and X properties for its icons, all for a window nobody sees, before the
  // tray icon appears. The window becomes an ordinary one once the icon is shown.
  HWND main = createForm(kMainFormLayout, instance, HWND_MESSAGE, nullptr, nullptr, mainWindowProc);
  HWND hook = main == nullptr ? nullptr : formControl(main, kPictureBoxClass);
  if (hook == nullptr) {
    return false;
  }
  app.windows.attachMainWindow(main, hook);
  return true;
}

bool makeMainWindowTopLevel(Application& app) {
  if (!app.windows.makeMainWindowTopLevel()) {
    return false;
  }
  HWND main = app.windows.mainWindow();
  // The answers are the previous icons: none, so nothing to release.
  SendMessageA(main, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app.port.bigIcon()));
  SendMessageA(main, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(app.port.builtinIcon()));
  return true;
}

} // namespace wexla
