// The Win32 roles against a real Windows (Wine): registry reads, the ordinary-file search, file
// replacement and its handles, icon loading, starting programs, the real pop-up menu, the
// program's lifetime, the mouse window's options and the DLL search. Exit code 0 when every
// check passes.
#include "tests/win/win_check.h"
#include "win32/application.h"
#include "win32/dll_search.h"
#include "win32/handles.h"
#include "win32/popup_menu.h"
#include "win32/win32_desktop.h"
#include "win32/win32_files.h"
#include "win32/win32_pictures.h"
#include "win32/win32_shell.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>

namespace {

constexpr const char* kTestKey = "SOFTWARE\\Wexla98Tests";
// A copy of this test started under another name logs its command line here, beside itself.
constexpr const char* kStartLogSuffix = ".log";
constexpr int kStartTries = 100;
constexpr DWORD kStartPollMs = 100;

wexla::Win32Files files;

std::string readBytes(const std::string& path) {
  return std::string(files.readFile(wexla::Text(path), 1 << 20).value_or("<unreadable>").view());
}

// A value and its terminating NUL fill at most 1024 bytes; longer ones are not read at all.
void registryReads() {
  HKEY key = nullptr;
  CHECK(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS);
  const std::string fits = std::string(1023, 'a') + '\0';
  const std::string tooLong = std::string(1024, 'a') + '\0';
  const DWORD number = 4000000000u; // bit 31 set: a value bit, not a sign
  const struct {
    const char* name;
    DWORD type;
    const void* data;
    std::size_t size;
    std::optional<std::string> read;
  } values[] = {{"fits", REG_SZ, fits.data(), fits.size(), std::string(1023, 'a')},
                {"long", REG_SZ, tooLong.data(), tooLong.size(), std::nullopt},
                {"empty", REG_SZ, nullptr, 0, ""},
                {"number", REG_DWORD, &number, sizeof number, "4000000000"}};
  wexla::Win32Registry registry;
  for (const auto& v : values) {
    RegSetValueExA(key, v.name, 0, v.type, static_cast<const BYTE*>(v.data),
                   static_cast<DWORD>(v.size));
    wexla::wincheck::check(
        registry.readRegistryText(wexla::RegistryRoot::LocalMachine, kTestKey, v.name) == v.read,
        v.name, __LINE__);
  }
  CHECK(!registry.readRegistryText(wexla::RegistryRoot::LocalMachine, kTestKey, "missing"));
  CHECK(!registry.readRegistryText(wexla::RegistryRoot::LocalMachine, "SOFTWARE\\NoSuchKey98",
                                   "fits"));
  RegCloseKey(key);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
}

// Only ordinary files count, whatever the case of their name; a replacement is all or nothing.
void fileSearchAndReplacement(const std::string& dir) {
  CHECK(files.enterFolder(wexla::Text(dir)));
  const std::string ini = dir + "\\WEXLA.INI";
  CHECK(files.writeNewFile(wexla::Text(ini), "\"old\",#FALSE#\r\n"));
  for (const DWORD attributes : {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_READONLY,
                                 FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    SetFileAttributesA(ini.c_str(), attributes);
    const bool ordinary =
        attributes == FILE_ATTRIBUTE_NORMAL || attributes == FILE_ATTRIBUTE_READONLY;
    CHECK(files.findOrdinaryFile("wexla.ini") == (ordinary ? "WEXLA.INI" : ""));
  }
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  CHECK(files.writeNewFile("wexla.ini.new", "\"new\",#TRUE#\r\n"));
  CHECK(files.replaceFile("wexla.ini.new", "wexla.ini"));
  CHECK(!files.replaceFile("no-such-file", "wexla.ini"));
  CHECK(readBytes(ini) == "\"new\",#TRUE#\r\n" && files.findOrdinaryFile("wexla.ini.new").empty());
  CHECK(!files.readFile("wexla.ini", 3));
  DeleteFileA(ini.c_str());
  CreateDirectoryA(ini.c_str(), nullptr);
  CHECK(files.findOrdinaryFile("wexla.ini").empty() && !files.readFile("wexla.ini", 100));
  // A folder where the file belongs stays, and the replacement fails.
  CHECK(files.writeNewFile("wexla.ini.new", "x") &&
        !files.replaceFile("wexla.ini.new", "wexla.ini"));
  CHECK(GetFileAttributesA(ini.c_str()) == FILE_ATTRIBUTE_DIRECTORY);
  DeleteFileA((dir + "\\wexla.ini.new").c_str());
  RemoveDirectoryA(ini.c_str());
  // Kernel calls fail with either of two values; neither is an object to close.
  CHECK(!wexla::OwnedKernelObject(nullptr) && !wexla::OwnedKernelObject(INVALID_HANDLE_VALUE));
}

// Whether an icon is there at the size the system asks for (which grows with DPI).
bool ofSystemSize(HICON icon, int metric) {
  ICONINFO info{};
  BITMAP bitmap{};
  if (icon != nullptr && GetIconInfo(icon, &info) != FALSE) {
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  return bitmap.bmWidth == GetSystemMetrics(metric);
}

// Icons, the built-in one too, come at the size the system asks for; anything but an icon file
// loads nothing.
void icons(wexla::Win32Pictures& pictures, const std::string& dir) {
  const std::string good = dir + "\\good icon, 1.ico";
  CHECK(CopyFileA(WEXLA_TEST_ICON, good.c_str(), FALSE));
  const std::unique_ptr<wexla::Icon> loaded = pictures.loadIcon(wexla::Text(good));
  CHECK(loaded != nullptr && ofSystemSize(wexla::iconHandle(*loaded), SM_CXSMICON));
  CHECK(ofSystemSize(wexla::iconHandle(pictures.builtinIcon()), SM_CXSMICON) &&
        ofSystemSize(pictures.bigIcon(), SM_CXICON));
  for (const std::string& bytes : {std::string(), readBytes(good).substr(0, 30),
                                   std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)}) {
    CHECK(files.writeNewFile(wexla::Text(dir + "\\bad.ico"), wexla::Text(bytes)));
    CHECK(pictures.loadIcon(wexla::Text(dir + "\\bad.ico")) == nullptr);
  }
  CHECK(pictures.loadIcon(wexla::Text(dir + "\\missing.ico")) == nullptr);
}

// A program in a folder with a blank starts itself, never "<before the blank>.exe", and gets
// its own path, quoted, as its command line; a document no program opens is refused.
void shell(const std::string& dir, const std::string& self) {
  const std::string folder = dir + "\\run test";
  const std::string program = folder + "\\logger.exe";
  const std::string decoy = dir + "\\run.exe";
  CreateDirectoryA(folder.c_str(), nullptr);
  CHECK(CopyFileA(self.c_str(), program.c_str(), FALSE) &&
        CopyFileA(self.c_str(), decoy.c_str(), FALSE));
  wexla::Win32Shell shell;
  CHECK(shell.startProgram(wexla::Text(program)));
  const std::string expected = "\"" + program + "\"";
  for (int tries = 0; tries < kStartTries && readBytes(program + kStartLogSuffix) != expected;
       ++tries) {
    Sleep(kStartPollMs); // polled: the program runs on its own
  }
  CHECK(readBytes(program + kStartLogSuffix) == expected);
  CHECK(readBytes(decoy + kStartLogSuffix) == "<unreadable>");
  CHECK(files.writeNewFile(wexla::Text(dir + "\\page.nosuchtype98"), "x"));
  CHECK(!shell.openDocument(wexla::Text(dir + "\\page.nosuchtype98")));
}

// The built menu's rows, "-" for a separator, a sub-menu's rows in brackets after its own.
std::string menuRows(HMENU menu) {
  std::string rows;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    std::array<char, 64> caption{};
    GetMenuStringA(menu, i, caption.data(), static_cast<int>(caption.size()), MF_BYPOSITION);
    HMENU sub = GetSubMenu(menu, i);
    const bool separator = (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) != 0;
    rows += (separator ? "-" : caption.data()) + (sub ? "(" + menuRows(sub) + ")" : "") + "|";
  }
  return rows;
}

// Only the end of the program's own windows ends it: a form that fails half-built posts no quit
// message, which would close at once the error box that tells the user why the program ends.
void programLifetime() {
  wexla::WindowHandles handles;
  HWND form = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  MSG quit{};
  handles.windowDestroyed(form);
  CHECK(!PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  handles.mainWindowCreated(form);
  handles.windowDestroyed(form);
  CHECK(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  DestroyWindow(form);
}

// An option acts only once it is checked, whatever sent its BN_CLICKED: Windows also sends one
// when a radio button merely gets the focus.
void mouseWindowOptions() {
  static wexla::Application app(GetModuleHandleA(nullptr));
  CHECK(wexla::createMainWindow(app));
  app.dialogSet.mouse.open();
  HWND window = app.windowHandles.window(wexla::WindowId::MouseConfiguration);
  const int option = static_cast<int>(wexla::ControlId::DoubleClickOption);
  const auto click = [&] {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(option, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, option)));
  };
  const wexla::EditedSettings& settings = app.settings;
  click();
  CHECK(!settings.values.doubleClickOnly && !settings.unsaved);
  CheckDlgButton(window, option, BST_CHECKED);
  click();
  CHECK(settings.values.doubleClickOnly && settings.unsaved);
}

// Once restricted, the search finds a DLL in neither the program's folder nor the current
// directory (both hold the planted one), and still finds the system's.
void dllSearch() {
  HMODULE planted = LoadLibraryA(WEXLA_PLANTED_DLL);
  CHECK(planted != nullptr); // the control: an unrestricted search finds it
  FreeLibrary(planted);
  wexla::restrictDllSearch();
  CHECK(LoadLibraryA(WEXLA_PLANTED_DLL) == nullptr && LoadLibraryA("comdlg32.dll") != nullptr);
}

} // namespace

int main() {
  std::array<char, MAX_PATH> self{};
  const DWORD length = GetModuleFileNameA(nullptr, self.data(), static_cast<DWORD>(self.size()));
  const std::string path(self.data(), length);
  if (path.substr(path.rfind('\\') + 1) != "win32_port_test.exe") {
    // Started by shell() as a stand-in program.
    return files.writeNewFile(wexla::Text(path + kStartLogSuffix), GetCommandLineA()) ? 0 : 1;
  }
  std::array<char, MAX_PATH> temp{};
  GetTempPathA(static_cast<DWORD>(temp.size()), temp.data());
  const std::string dir =
      temp.data() + std::string("wexla-win-tests-") + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  wexla::Win32Pictures pictures(GetModuleHandleA(nullptr));
  registryReads();
  fileSearchAndReplacement(dir);
  icons(pictures, dir);
  shell(dir, path);
  // The rows in order, against the text the user reads: a change of the menu's data that
  // moves, renames or drops a row fails here.
  CHECK(
      menuRows(wexla::buildPopupMenu().get()) ==
      "Mouse configuration|-|Icon(Change icon|Restore default icon|)|-|Save settings|Help|About|-|"
      "Quit|");
  programLifetime();
  mouseWindowOptions();
  dllSearch();
  return wexla::wincheck::finish();
}
