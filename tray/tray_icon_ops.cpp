#include "tray/tray_icon_ops.h"

#include "tray/app_title.h"

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

void identify(Port& port, TrayIconRecord& record) {
  record.cbSize = sizeof(TrayIconRecord);
  // Read afresh each time so the record always names the live callback window.
  record.hWnd = port.hookWindow();
  record.uID = kTrayIconId;
}

bool send(Port& port, IconDeclare& state, IconHandle icon, TrayMessage message) {
  TrayIconRecord& record = state.TrayIconData;
  identify(port, record);
  fillTip(record.szTip);
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = icon;
  record.uFlags = kTrayFlagMessage | kTrayFlagIcon | kTrayFlagTip;
  return port.notifyIcon(message, record);
}

} // namespace

bool addTrayIcon(Port& port, IconDeclare& state, IconHandle icon) {
  return send(port, state, icon, TrayMessage::Add);
}

bool modifyTrayIcon(Port& port, IconDeclare& state, IconHandle icon) {
  return send(port, state, icon, TrayMessage::Modify);
}

bool deleteTrayIcon(Port& port, IconDeclare& state) {
  identify(port, state.TrayIconData);
  return port.notifyIcon(TrayMessage::Delete, state.TrayIconData);
}

} // namespace wexla
