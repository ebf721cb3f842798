#include "win32/win32_desktop.h"

#include "platform/tray_messages.h"
#include "resources/form_layouts.h"
#include "state/app_title.h"
#include "win32/form_builder.h"
#include "win32/popup_menu.h"
#include "win32/system_function.h"

#include <commctrl.h>
#include <commdlg.h>

#include <array>

namespace wexla {

// The core's copies of the system's numbers.
static_assert(kFirstProgramMessage == WM_APP);
static_assert(static_cast<UINT>(TrayMouseMessage::LeftButtonUp) == WM_LBUTTONUP &&
              static_cast<UINT>(TrayMouseMessage::LeftButtonDoubleClick) == WM_LBUTTONDBLCLK &&
              static_cast<UINT>(TrayMouseMessage::RightButtonUp) == WM_RBUTTONUP);
#ifndef _WIN64
// The size the 32-bit release has always handed the shell.
constexpr std::size_t kTrayRecordSize32 = 88;
static_assert(NOTIFYICONDATAA_V1_SIZE == kTrayRecordSize32);
#endif

namespace {

constexpr char kIconFileFilter[] = "Icon Files (*.ico)\0*.ico\0\0";

// The common controls are loaded only when the first window with controls is built. The
// manifest's activation context makes this load pick version 6.
void loadCommonControls() {
  static const bool kLoaded = [] {
    const auto initialize = systemFunction<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(
        "comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    // Without them the plain user32 controls still work, only unthemed.
    return initialize != nullptr && initialize(&controls) != FALSE;
  }();
  static_cast<void>(kLoaded);
}

} // namespace

NOTIFYICONDATAA trayIconRecord(HWND mainWindow, HICON icon) {
  NOTIFYICONDATAA record{};
  record.cbSize = NOTIFYICONDATAA_V1_SIZE;
  record.hWnd = mainWindow;
  record.uID = kTrayIconId;
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = icon;
  lstrcpynA(record.szTip, kAppTitle, sizeof record.szTip);
  return record;
}

Win32Desktop::Win32Desktop(HINSTANCE instance, WindowHandles& handles,
                           const Win32Pictures& pictures, WNDPROC dialogProcedure, void* dialogData)
    : instance_(instance), handles_(handles), pictures_(pictures),
      dialogProcedure_(dialogProcedure), dialogData_(dialogData) {}

bool Win32Desktop::createWindow(WindowId window) {
  if (handles_.window(window) != nullptr) {
    return false;
  }
  loadCommonControls();
  const FormLayout& layout = dialogLayout(window);
  if (!layout.taskbarButton && !hiddenOwner_) {
    // Without the owner the window still works; it only gains a taskbar button.
    hiddenOwner_.reset(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       instance_, nullptr));
  }
  HWND created = createForm(layout, instance_, hiddenOwner_.get(), pictures_.bigIcon(),
                            pictures_.smallIcon(), dialogProcedure_, dialogData_);
  handles_.windowCreated(window, created);
  return created != nullptr;
}

void Win32Desktop::showWindow(WindowId window) {
  HWND handle = handles_.window(window);
  if (handle == nullptr) {
    return;
  }
  const bool firstShow = IsWindowVisible(handle) == FALSE;
  ShowWindow(handle, SW_SHOW);
  // Refused when another program holds the foreground; the window is shown either way.
  SetForegroundWindow(handle);
  if (firstShow) {
    if (HWND focus = firstTabStop(handle)) {
      SetFocus(focus);
    }
  }
}

// Destroying fails only for a window that is already gone.
void Win32Desktop::closeWindow(WindowId window) {
  if (HWND handle = handles_.window(window)) {
    DestroyWindow(handle);
  }
}

void Win32Desktop::setOptionChecked(ControlId option, bool checked) {
  for (std::size_t i = 0; i < kWindowCount; ++i) {
    HWND handle = handles_.window(static_cast<WindowId>(i));
    if (handle != nullptr && GetDlgItem(handle, static_cast<int>(option)) != nullptr) {
      CheckDlgButton(handle, static_cast<int>(option), checked ? BST_CHECKED : BST_UNCHECKED);
    }
  }
}

void Win32Desktop::closeMainWindow() {
  if (HWND main = handles_.mainWindow()) {
    DestroyWindow(main);
  }
}

bool Win32Desktop::notify(DWORD message, HICON icon) {
  HWND main = handles_.mainWindow();
  if (main == nullptr) {
    return false;
  }
  NOTIFYICONDATAA record = trayIconRecord(main, icon);
  return Shell_NotifyIconA(message, &record) != FALSE;
}

bool Win32Desktop::addIcon(const Icon& icon) {
  return notify(NIM_ADD, iconHandle(icon));
}

bool Win32Desktop::changeIcon(const Icon& icon) {
  return notify(NIM_MODIFY, iconHandle(icon));
}

void Win32Desktop::removeIcon() {
  // An icon the shell no longer has needs no removal.
  static_cast<void>(notify(NIM_DELETE, nullptr));
}

MenuCommand Win32Desktop::choosePopupMenuCommand() {
  HWND main = handles_.mainWindow();
  if (!popupMenu_) {
    popupMenu_ = buildPopupMenu();
  }
  if (!popupMenu_ || main == nullptr) {
    return MenuCommand::None;
  }
  POINT pointer{};
  // Should this fail, the menu opens at the screen's corner, still usable.
  GetCursorPos(&pointer);
  // Without the foreground the menu takes no keys and does not close on a click elsewhere.
  SetForegroundWindow(main);
  const BOOL chosen =
      TrackPopupMenu(popupMenu_.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, pointer.x,
                     pointer.y, 0, main, nullptr);
  // Lets the menu close properly when it was dismissed by switching away; should the message
  // be lost, the next one that arrives does the same.
  PostMessageA(main, WM_NULL, 0, 0);
  return static_cast<MenuCommand>(chosen);
}

Text Win32Desktop::chooseIconFile(const Text& initialFolder) {
  std::array<char, MAX_PATH> fileName{};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = handles_.mainWindow();
  dialog.lpstrFilter = kIconFileFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.lpstrInitialDir = initialFolder.c_str();
  // The settings and help files are found relative to the current folder: keep it.
  dialog.Flags = OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  static const auto kGetOpenFileName =
      systemFunction<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
  // A dialog that cannot be shown is treated like a cancelled one.
  if (kGetOpenFileName == nullptr || kGetOpenFileName(&dialog) == FALSE) {
    return "";
  }
  return fileName.data();
}

} // namespace wexla
