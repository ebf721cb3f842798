#include "win32/window_procedures.h"

#include "platform/tray_messages.h"
#include "resources/form_layouts.h"
#include "win32/application.h"
#include "win32/form_builder.h"
#include "win32/single_instance.h"

namespace wexla {
namespace {

// The program comes with each window's creation (lpCreateParams) and stays in the window's
// GWLP_USERDATA. Null for the few messages that arrive before WM_NCCREATE, and for all of them
// when it could not be kept.
Application* applicationOf(HWND window, UINT message, LPARAM lParam) {
  if (message != WM_NCCREATE) {
    return reinterpret_cast<Application*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }
  auto* app =
      static_cast<Application*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
  // The previous value is 0, so only the last error tells a failure.
  SetLastError(ERROR_SUCCESS);
  if (SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app)) == 0 &&
      GetLastError() != ERROR_SUCCESS) {
    return nullptr;
  }
  return app;
}

// How every form's window ends a message it did not answer itself: a window that could not
// keep the program fails its creation, a destroyed window leaves the program's bookkeeping, and
// the dialog manager does the rest.
LRESULT formDefaultProc(Application* app, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE && app == nullptr) {
    return FALSE;
  }
  if (message == WM_DESTROY && app != nullptr) {
    app->windowHandles.windowDestroyed(window);
  }
  return DefDlgProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT kTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  Application* app = applicationOf(window, message, lParam);
  LRESULT result = 0;
  if (handleFormMessage(window, message, wParam, lParam, result)) {
    return result;
  }
  if (app != nullptr) {
    if (message == kTaskbarCreated && kTaskbarCreated != 0) {
      app->program.onShellRestarted();
      return 0;
    }
    switch (message) {
    case kTrayCallbackMessage:
      // The shell puts the mouse message that happened on the icon in lParam.
      app->program.onTrayMessage(LOWORD(lParam));
      return 0;
    case WM_CLOSE:
      app->program.close();
      return 0;
    case WM_ENDSESSION:
      if (wParam != FALSE) {
        app->program.close();
      }
      return 0;
    case WM_DESTROY:
      // The icon has gone with the main window. An open dialog may keep this process running,
      // but the program has ended for the user, who may start it again.
      releaseSessionInstance();
      break;
    default:
      break;
    }
  }
  return formDefaultProc(app, window, message, wParam, lParam);
}

ControlId buttonMarked(const FormLayout& layout, bool ControlLayout::*mark) {
  for (const ControlLayout& control : layout.controls) {
    if (control.*mark) {
      return control.id;
    }
  }
  return ControlId::None;
}

// Enter presses the focused push button, or else the window's default button.
ControlId enterTarget(HWND window, const FormLayout& layout) {
  HWND focus = GetFocus();
  constexpr LRESULT kPushButton = DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON;
  if (focus != nullptr && IsChild(window, focus) &&
      (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & kPushButton) != 0) {
    return static_cast<ControlId>(GetDlgCtrlID(focus));
  }
  return buttonMarked(layout, &ControlLayout::defaultButton);
}

// Windows also reports BN_CLICKED when a radio button merely receives the focus, so an option
// counts as chosen only once it is checked, whoever sent the notification.
bool isUncheckedOption(HWND window, const FormLayout& layout, ControlId control) {
  for (const ControlLayout& designed : layout.controls) {
    if (designed.id == control && designed.kind == ControlKind::RadioButton) {
      return IsDlgButtonChecked(window, static_cast<int>(control)) != BST_CHECKED;
    }
  }
  return false;
}

// The control a WM_COMMAND clicks: a button, or an option that is now checked, or the button
// the dialog manager's Enter (IDOK) or Esc (IDCANCEL) stands for.
ControlId clickedControl(HWND window, WindowId id, WPARAM wParam) {
  const FormLayout& layout = dialogLayout(id);
  switch (LOWORD(wParam)) {
  case IDOK:
    return enterTarget(window, layout);
  case IDCANCEL:
    return buttonMarked(layout, &ControlLayout::cancelButton);
  default:
    break;
  }
  const auto control = static_cast<ControlId>(LOWORD(wParam));
  if (HIWORD(wParam) != BN_CLICKED || isUncheckedOption(window, layout, control)) {
    return ControlId::None;
  }
  return control;
}

} // namespace

LRESULT CALLBACK dialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Application* app = applicationOf(window, message, lParam);
  LRESULT result = 0;
  if (handleFormMessage(window, message, wParam, lParam, result)) {
    return result;
  }
  const std::optional<WindowId> id =
      app != nullptr ? app->windowHandles.windowOf(window) : std::nullopt;
  if (id) {
    switch (message) {
    case WM_COMMAND:
      if (const ControlId control = clickedControl(window, *id, wParam);
          control != ControlId::None) {
        app->dialogs[windowIndex(*id)]->onClick(control);
      }
      return 0;
    case WM_CLOSE:
      // The close box closes the window without running any handler.
      app->desktop.closeWindow(*id);
      return 0;
    default:
      break;
    }
  }
  return formDefaultProc(app, window, message, wParam, lParam);
}

bool createMainWindow(Application& app) {
  // The main window is never shown, so it carries no icons: handing a top-level window its icons
  // has the windowing system convert them at once, a measurable share of the start-up.
  HWND main =
      createForm(mainWindowLayout(), app.instance, nullptr, nullptr, nullptr, mainWindowProc, &app);
  if (main == nullptr) {
    return false;
  }
  app.windowHandles.mainWindowCreated(main);
  return true;
}

} // namespace wexla
