#include "tray/tray_icon_ops.h"

#include "state/app_title.h"

#include <algorithm>
#include <cstring>

namespace wexla {
namespace {

// The tip field is filled like a fixed-length text: the tip, its terminator, then blanks.
void fillTip(char (&tip)[kTipFieldLength]) {
  std::fill(std::begin(tip), std::end(tip), ' ');
  const std::size_t length = std::strlen(kAppTitle);
  std::memcpy(tip, kAppTitle, length);
  tip[length] = '\0';
}

void fillIdentity(WindowPort& windows, TrayIconRecord& record) {
  record.cbSize = sizeof(TrayIconRecord);
  // Read afresh each time so the record always names the live callback window.
  record.hWnd = windows.hookWindow();
  record.uID = kTrayIconId;
}

bool sendFullRecord(ShellPort& shell, WindowPort& windows, IconDeclare& state, IconHandle icon,
                    TrayMessage message) {
  TrayIconRecord& record = state.TrayIconData;
  fillIdentity(windows, record);
  fillTip(record.szTip);
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = icon;
  record.uFlags = kTrayFlagMessage | kTrayFlagIcon | kTrayFlagTip;
  return shell.notifyIcon(message, record);
}

} // namespace

bool addTrayIcon(ShellPort& shell, WindowPort& windows, IconDeclare& state, IconHandle icon) {
  return sendFullRecord(shell, windows, state, icon, TrayMessage::Add);
}

bool modifyTrayIcon(ShellPort& shell, WindowPort& windows, IconDeclare& state, IconHandle icon) {
  return sendFullRecord(shell, windows, state, icon, TrayMessage::Modify);
}

bool deleteTrayIcon(ShellPort& shell, WindowPort& windows, IconDeclare& state) {
  fillIdentity(windows, state.TrayIconData);
  return shell.notifyIcon(TrayMessage::Delete, state.TrayIconData);
}

} // namespace wexla
