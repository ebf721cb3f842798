// The Win32 side of the platform boundary against a real Windows (Wine): registry reads, the
// ordinary-file search, file replacement, icon loading, the notification icon and program
// start. Exit code 0 when every check passes.
#include "dialogs/about/sys_info.h"
#include "tests/win/win_check.h"
#include "win32/win32_port.h"

#include <shellapi.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {

using wexla::GetKeyValue;
using wexla::kHkeyLocalMachine;
constexpr const char* kTestKey = "SOFTWARE\\Wexla98Tests";
constexpr const char* kChildLogVariable = "WEXLA_TEST_CHILD_LOG";
constexpr DWORD kChildWaitMs = 10000;
constexpr DWORD kPollMs = 50;

wexla::ProgramWindows windows;
wexla::Win32Port port(GetModuleHandleA(nullptr), windows);

void writeBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string readBytes(const std::string& path) {
  return port.readFile(path, 1 << 20).value_or("<unreadable>");
}

// A 16x16 icon of 16 colours: directory, entry, bitmap header, palette, pixels, mask.
std::string smallIconFile() {
  constexpr int kImageBytes = 40 + 64 + 128 + 64;
  const auto le = [](std::initializer_list<std::pair<unsigned, int>> fields) {
    std::string bytes;
    for (auto [value, width] : fields) {
      for (int i = 0; i < width; ++i, value >>= 8) {
        bytes.push_back(static_cast<char>(value & 0xFF));
      }
    }
    return bytes;
  };
  std::string ico =
      le({{0, 2}, {1, 2},           {1, 2},  {16, 1}, {16, 1}, {16, 1}, {0, 1}, {1, 2},
          {4, 2}, {kImageBytes, 4}, {22, 4}, {40, 4}, {16, 4}, {32, 4}, {1, 2}, {4, 2},
          {0, 4}, {0, 4},           {0, 4},  {0, 4},  {16, 4}, {0, 4}});
  for (unsigned i = 0; i < 16; ++i) {
    ico += le({{i * 0x111111, 4}});
  }
  return ico + std::string(128, '\x99') + std::string(64, '\0');
}

void registryReads() {
  HKEY key = nullptr;
  CHECK_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           &key, nullptr),
           ERROR_SUCCESS);
  const struct {
    const char* name;
    DWORD type;
    std::string data;
    int result; // -1 read, 0 not read, 1 no data
    std::string text;
  } cases[] = {
      {"text", REG_SZ, std::string("C:\\Program Files\\x.exe\0", 23), -1,
       "C:\\Program Files\\x.exe"},
      {"fits", REG_SZ, std::string(1023, 'a') + '\0', -1, std::string(1023, 'a')},
      {"long", REG_SZ, std::string(1024, 'a') + '\0', 0, ""},
      {"number", REG_DWORD, std::string("\x00\x01\x00\x00", 4), -1, "256"},
      {"binary", REG_BINARY, "\x01\x02", -1, "before"},
      {"nodata", REG_SZ, "", 1, "before"},
  };
  for (const auto& c : cases) {
    RegSetValueExA(key, c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                   static_cast<DWORD>(c.data.size()));
    std::string text = "before";
    int result = 1;
    try {
      // HKEY_LOCAL_MACHINE passed as the 32-bit number must reach the real root on x86_64 too.
      result = GetKeyValue(port, kHkeyLocalMachine, kTestKey, c.name, text);
    } catch (const wexla::RegistryValueWithoutData&) {
    }
    wexla::wincheck::checkEqual(result, c.result, c.name, __LINE__);
    wexla::wincheck::check(text == c.text, c.name, __LINE__);
  }
  RegCloseKey(key);
  std::string text = "before";
  CHECK_EQ(GetKeyValue(port, kHkeyLocalMachine, kTestKey, "missing", text), 0);
  CHECK_EQ(GetKeyValue(port, kHkeyLocalMachine, "SOFTWARE\\NoSuchKey", "x", text), 0);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
}

void filesAndIcons(const std::string& dir) {
  CHECK(port.setCurrentDirectory(dir));
  const std::string ini = dir + "\\WEXLA.INI";
  CHECK(port.findOrdinaryFile("wexla.ini").empty());
  writeBytes(ini, "\"0\",#TRUE#\r\n");
  for (const DWORD attributes : {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_READONLY,
                                 FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    SetFileAttributesA(ini.c_str(), attributes);
    const bool ordinary =
        attributes == FILE_ATTRIBUTE_NORMAL || attributes == FILE_ATTRIBUTE_READONLY;
    CHECK(port.findOrdinaryFile("wexla.ini") == (ordinary ? "WEXLA.INI" : ""));
  }
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(ini.c_str());
  CreateDirectoryA(ini.c_str(), nullptr);
  CHECK(port.findOrdinaryFile("wexla.ini").empty() && !port.readFile("wexla.ini", 100));
  RemoveDirectoryA(ini.c_str());
  CHECK(port.findOrdinaryFile("").empty());

  writeBytes(dir + "\\wexla.ini", "\"old\",#FALSE#\r\n");
  CHECK(port.writeNewFile("wexla.ini.new", "\"new\",#TRUE#\r\n"));
  CHECK(port.replaceFile("wexla.ini.new", "wexla.ini"));
  CHECK(readBytes(dir + "\\wexla.ini") == "\"new\",#TRUE#\r\n");
  CHECK(port.findOrdinaryFile("wexla.ini.new").empty() && !port.readFile("wexla.ini", 5));
  CHECK(!port.replaceFile("no-such-file", "wexla.ini"));
  CHECK(readBytes(dir + "\\wexla.ini") == "\"new\",#TRUE#\r\n");
  port.deleteFile("wexla.ini");
  CHECK(readBytes(dir + "\\wexla.ini") == "<unreadable>");
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string folder = port.applicationDirectory();
  CHECK(std::string(exe).rfind(folder + "\\", 0) == 0 &&
        !std::strchr(exe + folder.size() + 1, '\\'));

  // Loaded icons, the built-in one too, come at the size the system asks for (it grows with DPI).
  writeBytes(dir + "\\good icon, 1.ico", smallIconFile());
  const wexla::IconHandle loaded = port.loadIconFile(dir + "\\good icon, 1.ico");
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
  for (const std::string& bytes : {std::string(), smallIconFile().substr(0, 30),
                                   std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)}) {
    writeBytes(dir + "\\bad.ico", bytes);
    CHECK(port.loadIconFile(dir + "\\bad.ico") == wexla::kNoIcon);
  }
  CHECK(port.loadIconFile(dir + "\\missing.ico") == wexla::kNoIcon);
}

void notificationIcon() {
  HWND window = CreateWindowExA(0, "STATIC", "tray test", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  wexla::TrayIconRecord record{sizeof record,
                               reinterpret_cast<wexla::WindowHandle>(window),
                               1,
                               NIF_MESSAGE | NIF_ICON | NIF_TIP,
                               WM_MOUSEMOVE,
                               port.builtinIcon(),
                               "Wexla 98"};
  CHECK_EQ(record.cbSize, NOTIFYICONDATAA_V1_SIZE);
  CHECK(port.notifyIcon(wexla::TrayMessage::Add, record));
  CHECK(port.notifyIcon(wexla::TrayMessage::Modify, record));
  CHECK(port.notifyIcon(wexla::TrayMessage::Delete, record));
  CHECK(!port.notifyIcon(wexla::TrayMessage::Modify, record));
  DestroyWindow(window);
}

// The path is quoted: "C:\...\Program Files\child.exe" must not start "C:\...\Program.exe".
void programStartIsQuoted(const std::string& dir) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  CreateDirectoryA((dir + "\\Program Files").c_str(), nullptr);
  const std::string child = dir + "\\Program Files\\child.exe";
  CopyFileA(self, child.c_str(), FALSE);
  CopyFileA(self, (dir + "\\Program.exe").c_str(), FALSE);
  const std::string log = dir + "\\started.log";
  SetEnvironmentVariableA(kChildLogVariable, log.c_str());
  CHECK(port.startProgram(child, SW_SHOWNORMAL));
  DWORD waited = 0;
  while (readBytes(log).find("child.exe") == std::string::npos && waited < kChildWaitMs) {
    Sleep(kPollMs);
    waited += kPollMs;
  }
  CHECK(readBytes(log).find("\"" + child + "\"") != std::string::npos);
  CHECK(readBytes(log).find("Program.exe") == std::string::npos);
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
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string dir =
      temp + std::string("wexla-win-tests-") + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  registryReads();
  filesAndIcons(dir);
  notificationIcon();
  programStartIsQuoted(dir);
  return wexla::wincheck::finish();
}
