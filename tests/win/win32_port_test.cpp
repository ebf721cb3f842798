// The Win32 side of the platform boundary against a real Windows (Wine): registry reads, the
// ordinary-file search, file replacement, icon loading and the notification icon. Exit code 0
// when every check passes.
#include "dialogs/about/sys_info.h"
#include "tests/win/win_check.h"
#include "win32/win32_port.h"

#include <shellapi.h>
#include <windows.h>

#include <string>

namespace {

using wexla::GetKeyValue;
using wexla::kHkeyLocalMachine;
constexpr const char* kTestKey = "SOFTWARE\\Wexla98Tests";

wexla::ProgramWindows windows;
wexla::Win32Port port(GetModuleHandleA(nullptr), windows);

std::string readBytes(const std::string& path) {
  return port.readFile(path, 1 << 20).value_or("<unreadable>");
}

// Read through HKEY_LOCAL_MACHINE passed as the 32-bit number, which must reach the real root
// on 64-bit Windows too (Wine also accepts it unextended); a string fills at most 1024 bytes
// with its NUL.
void registryReads() {
  HKEY key = nullptr;
  CHECK_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           &key, nullptr),
           ERROR_SUCCESS);
  const struct {
    const char* name;
    std::string data;
    int result; // -1 read, 0 not read, 1 no data
    std::string text;
  } cases[] = {
      {"fits", std::string(1023, 'a') + '\0', -1, std::string(1023, 'a')},
      {"long", std::string(1024, 'a') + '\0', 0, ""},
      {"nodata", "", 1, "before"},
  };
  for (const auto& c : cases) {
    RegSetValueExA(key, c.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(c.data.data()),
                   static_cast<DWORD>(c.data.size()));
    std::string text = "before";
    int result = 1;
    try {
      result = GetKeyValue(port, kHkeyLocalMachine, kTestKey, c.name, text);
    } catch (const wexla::RegistryValueWithoutData&) {
    }
    wexla::wincheck::check(result == c.result && text == c.text, c.name, __LINE__);
  }
  RegCloseKey(key);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
}

// Only ordinary files count, whatever the case of their name; a replacement is all or nothing.
void files(const std::string& dir) {
  CHECK(port.setCurrentDirectory(dir));
  const std::string ini = dir + "\\WEXLA.INI";
  CHECK(port.writeNewFile(ini, "\"old\",#FALSE#\r\n"));
  for (const DWORD attributes : {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_READONLY,
                                 FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    SetFileAttributesA(ini.c_str(), attributes);
    const bool ordinary =
        attributes == FILE_ATTRIBUTE_NORMAL || attributes == FILE_ATTRIBUTE_READONLY;
    CHECK(port.findOrdinaryFile("wexla.ini") == (ordinary ? "WEXLA.INI" : ""));
  }
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  CHECK(port.writeNewFile("wexla.ini.new", "\"new\",#TRUE#\r\n"));
  CHECK(port.replaceFile("wexla.ini.new", "wexla.ini"));
  CHECK(!port.replaceFile("no-such-file", "wexla.ini"));
  CHECK(readBytes(ini) == "\"new\",#TRUE#\r\n" && port.findOrdinaryFile("wexla.ini.new").empty());
  DeleteFileA(ini.c_str());
  CreateDirectoryA(ini.c_str(), nullptr);
  CHECK(port.findOrdinaryFile("wexla.ini").empty() && !port.readFile("wexla.ini", 100));
  RemoveDirectoryA(ini.c_str());
}

// Icons, the built-in one too, come at the size the system asks for (it grows with DPI);
// anything but an icon file loads nothing.
void icons(const std::string& dir) {
  const std::string good = dir + "\\good icon, 1.ico";
  CHECK(CopyFileA(WEXLA_TEST_ICON, good.c_str(), FALSE));
  const wexla::IconHandle loaded = port.loadIconFile(good);
  for (const wexla::IconHandle icon : {loaded, port.builtinIcon()}) {
    ICONINFO info{};
    BITMAP bitmap{};
    CHECK(GetIconInfo(reinterpret_cast<HICON>(icon), &info));
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    CHECK_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  port.destroyIcon(loaded);
  for (const std::string& bytes : {std::string(), readBytes(good).substr(0, 30),
                                   std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)}) {
    CHECK(port.writeNewFile(dir + "\\bad.ico", bytes));
    CHECK(port.loadIconFile(dir + "\\bad.ico") == wexla::kNoIcon);
  }
  CHECK(port.loadIconFile(dir + "\\missing.ico") == wexla::kNoIcon);
}

void notificationIcon() {
  HWND window = CreateWindowExA(0, "STATIC", "tray test", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  const auto handle = reinterpret_cast<wexla::WindowHandle>(window);
  wexla::TrayIconRecord record{
      sizeof record,      handle,    1, NIF_MESSAGE | NIF_ICON | NIF_TIP, WM_MOUSEMOVE,
      port.builtinIcon(), "Wexla 98"};
  CHECK_EQ(record.cbSize, NOTIFYICONDATAA_V1_SIZE);
  CHECK(port.notifyIcon(wexla::TrayMessage::Add, record));
  CHECK(port.notifyIcon(wexla::TrayMessage::Modify, record));
  CHECK(port.notifyIcon(wexla::TrayMessage::Delete, record));
  CHECK(!port.notifyIcon(wexla::TrayMessage::Modify, record));
  DestroyWindow(window);
}

} // namespace

int main() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string dir =
      temp + std::string("wexla-win-tests-") + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  registryReads();
  files(dir);
  icons(dir);
  notificationIcon();
  return wexla::wincheck::finish();
}
