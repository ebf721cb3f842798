// The Win32 side of the platform boundary against a real Windows (Wine): registry reads,
// the ordinary-file search, file replacement, icon loading, the notification icon and program
// start. Exit code 0 when every check passes.
#include "dialogs/about/sys_info.h"
#include "tests/win/win_check.h"
#include "win32/win32_port.h"

#include <shellapi.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {

using wexla::Win32Port;
constexpr const char* kTestKey = "SOFTWARE\\Wexla98Tests";
constexpr const char* kChildLogVariable = "WEXLA_TEST_CHILD_LOG";
constexpr DWORD kChildWaitMs = 10000;
constexpr DWORD kPollMs = 50;

std::string tempDirectory() {
  char buffer[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, buffer);
  std::string dir =
      std::string(buffer) + "wexla-win-tests-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

void writeBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string readBytes(const std::string& path) {
  wexla::ProgramWindows windows;
  Win32Port port(GetModuleHandleA(nullptr), windows);
  return port.readFile(path, 1 << 20).value_or("<unreadable>");
}

// A 16x16 icon of 16 colours, all pixels opaque.
std::string smallIconFile() {
  constexpr int kSize = 16;
  constexpr int kPaletteBytes = 16 * 4;
  constexpr int kXorBytes = kSize * kSize / 2;
  constexpr int kAndBytes = kSize * 4;
  constexpr int kImageBytes = 40 + kPaletteBytes + kXorBytes + kAndBytes;
  std::string ico;
  auto u8 = [&](int v) { ico.push_back(static_cast<char>(v & 0xFF)); };
  auto u16 = [&](int v) {
    u8(v);
    u8(v >> 8);
  };
  auto u32 = [&](int v) {
    u16(v & 0xFFFF);
    u16((v >> 16) & 0xFFFF);
  };
  u16(0);
  u16(1);
  u16(1); // icon directory, one image
  u8(kSize);
  u8(kSize);
  u8(16);
  u8(0);
  u16(1);
  u16(4);
  u32(kImageBytes);
  u32(22);
  u32(40);
  u32(kSize);
  u32(kSize * 2);
  u16(1);
  u16(4); // BITMAPINFOHEADER
  u32(0);
  u32(0);
  u32(0);
  u32(0);
  u32(16);
  u32(0);
  for (int i = 0; i < 16; ++i)
    u32(i * 0x111111); // palette
  ico.append(kXorBytes, '\x99');
  ico.append(kAndBytes, '\0');
  return ico;
}

void registryReads() {
  HKEY key = nullptr;
  CHECK_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           &key, nullptr),
           ERROR_SUCCESS);
  auto set = [&](const char* name, DWORD type, const std::string& data) {
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
  };
  set("text", REG_SZ, std::string("C:\\Program Files\\x.exe") + '\0');
  set("fits", REG_SZ, std::string(1023, 'a') + '\0');
  set("long", REG_SZ, std::string(1024, 'a') + '\0');
  set("number", REG_DWORD, std::string("\x00\x01\x00\x00", 4));
  set("binary", REG_BINARY, "\x01\x02");
  set("nodata", REG_SZ, "");
  RegCloseKey(key);

  wexla::ProgramWindows windows;
  Win32Port port(GetModuleHandleA(nullptr), windows);
  std::string value = "before";
  // HKEY_LOCAL_MACHINE passed as the 32-bit number must reach the real root on x86_64 too.
  CHECK_EQ(wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, kTestKey, "text", value), -1);
  CHECK(value == "C:\\Program Files\\x.exe");
  CHECK_EQ(wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, kTestKey, "fits", value), -1);
  CHECK_EQ(value.size(), 1023);
  CHECK_EQ(wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, kTestKey, "long", value), 0);
  CHECK(value.empty());
  CHECK_EQ(wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, kTestKey, "number", value), -1);
  CHECK(value == "256");
  value = "kept";
  CHECK_EQ(wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, kTestKey, "binary", value), -1);
  CHECK(value == "kept");
  bool noDataStopsTheLookup = false;
  try {
    wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, kTestKey, "nodata", value);
  } catch (const wexla::RegistryValueWithoutData&) {
    noDataStopsTheLookup = true;
  }
  CHECK(noDataStopsTheLookup);
  CHECK_EQ(wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, kTestKey, "missing", value), 0);
  CHECK_EQ(wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, "SOFTWARE\\NoSuchKey", "x", value),
           0);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
}

void fileSearchAndReplacement(const std::string& dir) {
  wexla::ProgramWindows windows;
  Win32Port port(GetModuleHandleA(nullptr), windows);
  CHECK(port.setCurrentDirectory(dir));
  CHECK(port.findOrdinaryFile("wexla.ini").empty());
  writeBytes(dir + "\\WEXLA.INI", "\"0\",#TRUE#\r\n");
  CHECK(port.findOrdinaryFile("wexla.ini") == "WEXLA.INI");
  SetFileAttributesA((dir + "\\WEXLA.INI").c_str(), FILE_ATTRIBUTE_HIDDEN);
  CHECK(port.findOrdinaryFile("wexla.ini").empty());
  SetFileAttributesA((dir + "\\WEXLA.INI").c_str(), FILE_ATTRIBUTE_READONLY);
  CHECK(port.findOrdinaryFile("wexla.ini") == "WEXLA.INI");
  SetFileAttributesA((dir + "\\WEXLA.INI").c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA((dir + "\\WEXLA.INI").c_str());
  CreateDirectoryA((dir + "\\wexla.ini").c_str(), nullptr);
  CHECK(port.findOrdinaryFile("wexla.ini").empty());
  CHECK(!port.readFile("wexla.ini", 100));
  RemoveDirectoryA((dir + "\\wexla.ini").c_str());
  CHECK(port.findOrdinaryFile("").empty());

  writeBytes(dir + "\\wexla.ini", "\"old\",#FALSE#\r\n");
  CHECK(port.writeNewFile("wexla.ini.new", "\"new\",#TRUE#\r\n"));
  CHECK(port.replaceFile("wexla.ini.new", "wexla.ini"));
  CHECK(readBytes(dir + "\\wexla.ini") == "\"new\",#TRUE#\r\n");
  CHECK(port.findOrdinaryFile("wexla.ini.new").empty());
  CHECK(!port.readFile("wexla.ini", 5));
  CHECK(!port.replaceFile("no-such-file", "wexla.ini"));
  CHECK(readBytes(dir + "\\wexla.ini") == "\"new\",#TRUE#\r\n");
  DeleteFileA((dir + "\\wexla.ini").c_str());

  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string directory = port.applicationDirectory();
  CHECK(std::string(exe).rfind(directory + "\\", 0) == 0);
  CHECK(std::strchr(exe + directory.size() + 1, '\\') == nullptr);
}

void iconLoading(const std::string& dir) {
  wexla::ProgramWindows windows;
  Win32Port port(GetModuleHandleA(nullptr), windows);
  const std::string good = dir + "\\good icon, 1.ico";
  writeBytes(good, smallIconFile());
  const wexla::IconHandle icon = port.loadIconFile(good);
  CHECK(icon != wexla::kNoIcon);
  ICONINFO info{};
  CHECK(GetIconInfo(reinterpret_cast<HICON>(icon), &info));
  BITMAP bitmap{};
  GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
  CHECK_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  port.destroyIcon(icon);

  // The built-in tray icon comes at the size the system asks for, which grows with the DPI.
  ICONINFO builtin{};
  CHECK(GetIconInfo(reinterpret_cast<HICON>(port.builtinIcon()), &builtin));
  GetObjectA(builtin.hbmColor, sizeof bitmap, &bitmap);
  CHECK_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON));
  DeleteObject(builtin.hbmColor);
  DeleteObject(builtin.hbmMask);

  const std::string bad[] = {"", smallIconFile().substr(0, 30),
                             std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)};
  for (const std::string& bytes : bad) {
    writeBytes(dir + "\\bad.ico", bytes);
    CHECK(port.loadIconFile(dir + "\\bad.ico") == wexla::kNoIcon);
  }
  CHECK(port.loadIconFile(dir + "\\missing.ico") == wexla::kNoIcon);
  DeleteFileA((dir + "\\bad.ico").c_str());
  DeleteFileA(good.c_str());
}

void notificationIcon() {
  wexla::ProgramWindows windows;
  Win32Port port(GetModuleHandleA(nullptr), windows);
  HWND window = CreateWindowExA(0, "STATIC", "tray test", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  wexla::TrayIconRecord record{};
  record.cbSize = sizeof record;
  record.hWnd = reinterpret_cast<wexla::WindowHandle>(window);
  record.uID = 1;
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = WM_MOUSEMOVE;
  record.hIcon = port.builtinIcon();
  std::strcpy(record.szTip, "Wexla 98");
  CHECK_EQ(record.cbSize, NOTIFYICONDATAA_V1_SIZE);
  CHECK(port.notifyIcon(wexla::TrayMessage::Add, record));
  CHECK(port.notifyIcon(wexla::TrayMessage::Modify, record));
  CHECK(port.notifyIcon(wexla::TrayMessage::Delete, record));
  CHECK(!port.notifyIcon(wexla::TrayMessage::Modify, record));
  DestroyWindow(window);
}

bool waitForText(const std::string& path, const std::string& wanted) {
  for (DWORD waited = 0; waited < kChildWaitMs; waited += kPollMs) {
    if (readBytes(path).find(wanted) != std::string::npos) {
      return true;
    }
    Sleep(kPollMs);
  }
  return false;
}

void programStartIsQuoted(const std::string& dir) {
  wexla::ProgramWindows windows;
  Win32Port port(GetModuleHandleA(nullptr), windows);
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string blanks = dir + "\\Program Files";
  CreateDirectoryA(blanks.c_str(), nullptr);
  const std::string child = blanks + "\\child.exe";
  const std::string hazard = dir + "\\Program.exe";
  CopyFileA(self, child.c_str(), FALSE);
  CopyFileA(self, hazard.c_str(), FALSE);
  const std::string log = dir + "\\started.log";
  SetEnvironmentVariableA(kChildLogVariable, log.c_str());
  CHECK(port.startProgram(child, SW_SHOWNORMAL));
  CHECK(waitForText(log, "child.exe"));
  CHECK(readBytes(log).find("Program.exe") == std::string::npos);
  CHECK(readBytes(log).find("\"" + child + "\"") != std::string::npos);
  CHECK(!port.startProgram(dir + "\\missing.exe", SW_SHOWNORMAL));
  CHECK(!port.startProgram(dir, SW_SHOWNORMAL));
  SetEnvironmentVariableA(kChildLogVariable, nullptr);
}

// Started by programStartIsQuoted: records its own command line and ends.
bool runAsChild() {
  char log[MAX_PATH] = {};
  if (GetEnvironmentVariableA(kChildLogVariable, log, MAX_PATH) == 0) {
    return false;
  }
  HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const std::string line = std::string(GetCommandLineA()) + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  return true;
}

} // namespace

int main() {
  if (runAsChild()) {
    return 0;
  }
  const std::string dir = tempDirectory();
  registryReads();
  fileSearchAndReplacement(dir);
  iconLoading(dir);
  notificationIcon();
  programStartIsQuoted(dir);
  return wexla::wincheck::finish();
}
