// The Win32 side against a real Windows (Wine), at whatever resolution the screen has: registry
// reads, the ordinary-file search, file replacement and its handles, icon loading, starting
// programs, the real pop-up menu, the program's lifetime, the mouse window's options; every
// window design built by the form builder (the form placed and sized from twips, each control
// the system control of its kind at its place, fonts from points, each label's text fitting in
// the font its control really draws with, the icon shown and the rule in the window-text
// colour); and the DLL search. GoogleTest is not built for Windows: a failed check prints its
// line, and the exit code says whether all passed.
#include "resources/form_layouts.h"
#include "win32/application.h"
#include "win32/dll_search.h"
#include "win32/form_builder.h"
#include "win32/handles.h"
#include "win32/popup_menu.h"
#include "win32/system_function.h"
#include "win32/win32_desktop.h"
#include "win32/win32_files.h"
#include "win32/win32_pictures.h"
#include "win32/win32_shell.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#define CHECK(condition) check((condition), #condition, __LINE__)

namespace {

int failures = 0;

void check(bool ok, const char* what, int line) {
  if (!ok) {
    std::printf("FAIL line %d: %s\n", line, what);
    ++failures;
  }
}

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
  const DWORD number = 4000000000u; // bit 31 set: a value bit, not a sign
  const struct {
    const char* name;
    DWORD type;
    std::string data;
    std::optional<std::string> read;
  } values[] = {
      {"fits", REG_SZ, std::string(1023, 'a') + '\0', std::string(1023, 'a')},
      {"long", REG_SZ, std::string(1024, 'a') + '\0', std::nullopt},
      {"empty", REG_SZ, "", ""},
      {"number", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4), "4000000000"}};
  wexla::Win32Registry registry;
  for (const auto& v : values) {
    RegSetValueExA(key, v.name, 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                   static_cast<DWORD>(v.data.size()));
    check(registry.readRegistryText(wexla::RegistryRoot::LocalMachine, kTestKey, v.name) == v.read,
          v.name, __LINE__);
  }
  for (const char* keyName : {kTestKey, "SOFTWARE\\NoSuchKey98"}) // no such value, no such key
    CHECK(!registry.readRegistryText(wexla::RegistryRoot::LocalMachine, keyName, "missing"));
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
       ++tries)
    Sleep(kStartPollMs); // polled: the program runs on its own
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

using wexla::ControlKind;
using wexla::ControlLayout;
using wexla::FormLayout;
constexpr int kTwipsPerInch = 1440;
constexpr int kHundredthsPointsPerInch = 7200;
int dpi = 0;

int px(int twips) {
  return MulDiv(twips, dpi, kTwipsPerInch);
}

LRESULT CALLBACK formProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  return wexla::handleFormMessage(window, message, wParam, lParam, result)
             ? result
             : DefDlgProcA(window, message, wParam, lParam);
}

std::string textOf(HWND window) {
  std::array<char, 256> text{};
  GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

// The system control each kind is made as: its class and its style's type (two for a push
// button, which may be the default one, and for a label, which may wrap).
struct SystemControl {
  const char* cls;
  DWORD typeMask, type, otherType;
};
const SystemControl kSystemControls[] = {
    {"Button", BS_TYPEMASK, BS_PUSHBUTTON, BS_DEFPUSHBUTTON}, // PushButton
    {"Button", BS_TYPEMASK, BS_GROUPBOX, BS_GROUPBOX},        // GroupBox
    {"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON, BS_AUTORADIOBUTTON},
    {"Static", SS_TYPEMASK, SS_LEFT, SS_LEFTNOWORDWRAP}, // StaticText
    {"Static", SS_TYPEMASK, SS_OWNERDRAW, SS_OWNERDRAW}, // Rule
    {"Static", SS_TYPEMASK, SS_ETCHEDHORZ, SS_ETCHEDHORZ},
    {"Static", SS_TYPEMASK, SS_ICON, SS_ICON}};

bool isOfKind(HWND w, ControlKind kind) {
  const SystemControl& wanted = kSystemControls[static_cast<int>(kind)];
  std::array<char, 64> name{};
  GetClassNameA(w, name.data(), static_cast<int>(name.size()));
  const DWORD type = static_cast<DWORD>(GetWindowLongPtrA(w, GWL_STYLE)) & wanted.typeMask;
  return lstrcmpiA(name.data(), wanted.cls) == 0 &&
         (type == wanted.type || type == wanted.otherType);
}

// A label's text in the font the control draws with, which must be the real MS Sans Serif
// (not a substitute with other widths): one line, or wrapped at the control's width.
bool labelFits(const ControlLayout& c, HWND label) {
  HDC dc = GetDC(label);
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
  std::array<char, LF_FACESIZE> face{};
  GetTextFaceA(dc, static_cast<int>(face.size()), face.data());
  RECT area{0, 0, c.wordWrap ? px(c.width) : 0, 0};
  DrawTextA(dc, textOf(label).c_str(), -1, &area,
            DT_CALCRECT | DT_NOPREFIX | (c.wordWrap ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  return std::string(face.data()) == "MS Sans Serif" && area.right <= px(c.width) &&
         area.bottom <= px(c.height);
}

// A rule shows the window-text colour (which main sets apart from every other system colour),
// not the frame colour that a black-rectangle static paints.
bool ruleInTextColour(HWND form, HWND rule) {
  ShowWindow(form, SW_SHOWNOACTIVATE);
  UpdateWindow(form);
  HDC dc = GetDC(rule);
  const COLORREF drawn = GetPixel(dc, 0, 0);
  ReleaseDC(rule, dc);
  ShowWindow(form, SW_HIDE);
  return drawn == GetSysColor(COLOR_WINDOWTEXT);
}

void checkForm(const FormLayout& layout, HWND owner, HICON icon) {
  HWND form = wexla::createForm(layout, GetModuleHandleA(nullptr), owner, icon, icon, formProc);
  RECT client{};
  RECT frame{};
  POINT origin{0, 0};
  GetClientRect(form, &client);
  GetWindowRect(form, &frame);
  ClientToScreen(form, &origin);
  // Its client area from twips, at its design position or else centred on the screen.
  check(form != nullptr && client.right == px(layout.clientWidth) &&
            client.bottom == px(layout.clientHeight),
        layout.caption, __LINE__);
  check(layout.placement == wexla::Placement::AtPosition
            ? origin.x == px(layout.left) && origin.y == px(layout.top)
            : std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)) <= 1 &&
                  std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)) <= 1,
        layout.caption, __LINE__);
  // The children come in the order the builder makes them: by their z-order, then the
  // controls without one in design order.
  std::vector<ControlLayout> order(layout.controls.begin(), layout.controls.end());
  std::ranges::stable_sort(order, {}, [](const ControlLayout& c) {
    return c.zOrder == wexla::kNoZOrder ? INT_MAX : c.zOrder;
  });
  std::vector<HWND> children;
  for (HWND w = GetWindow(form, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
    children.push_back(w);
  check(children.size() == order.size(), layout.caption, __LINE__);
  for (std::size_t i = 0; i < std::min(children.size(), order.size()); ++i) {
    HWND w = children[i];
    const ControlLayout& c = order[i];
    // Known by its identifier or caption; placed inside its group box, if any.
    const bool known = c.id != wexla::ControlId{} ? GetDlgCtrlID(w) == static_cast<int>(c.id)
                                                  : textOf(w) == c.caption;
    const ControlLayout* group =
        c.container == wexla::kNoContainer ? nullptr : &layout.controls[c.container];
    RECT box{};
    GetWindowRect(w, &box);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
    check(known && isOfKind(w, c.kind) && box.left == px(c.left + (group ? group->left : 0)) &&
              box.top == px(c.top + (group ? group->top : 0)) &&
              box.right - box.left == px(c.width),
          c.name, __LINE__);
    // The lines are as thin as the system draws them; every other control has its height.
    const bool line = c.kind == ControlKind::Separator || c.kind == ControlKind::Rule;
    check(line ? box.bottom > box.top : box.bottom - box.top == px(c.height), c.name, __LINE__);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof font, &font);
    check(*c.caption == '\0' ||
              font.lfHeight == -MulDiv(c.font.pointSizeHundredths, dpi, kHundredthsPointsPerInch),
          c.name, __LINE__);
    check(c.kind != ControlKind::StaticText || labelFits(c, w), c.name, __LINE__);
    check(c.kind != ControlKind::Rule || ruleInTextColour(form, w), c.name, __LINE__);
    check(c.kind != ControlKind::Icon ||
              SendMessageA(w, STM_GETICON, 0, 0) == reinterpret_cast<LRESULT>(icon),
          c.name, __LINE__);
  }
  DestroyWindow(form);
  // The program's own window procedures register the class again later (not the main window's
  // yet, which the other forms' owner still holds).
  UnregisterClassA(layout.className, GetModuleHandleA(nullptr));
}

void forms() {
  // The program is DPI-aware through its manifest; this test has none. The call is missing
  // before Vista, where every process sees the real resolution.
  if (const auto aware = wexla::systemFunction<BOOL(WINAPI*)()>("user32.dll", "SetProcessDPIAware"))
    aware();
  HDC screen = GetDC(nullptr);
  dpi = GetDeviceCaps(screen, LOGPIXELSX);
  std::printf("forms at %d dots per inch\n", dpi);
  ReleaseDC(nullptr, screen);
  // A window-text colour that no other system colour has, for this run.
  const int textElement = COLOR_WINDOWTEXT;
  const COLORREF savedText = GetSysColor(textElement);
  const COLORREF distinctText = RGB(0x12, 0x34, 0x56);
  CHECK(SetSysColors(1, &textElement, &distinctText));
  HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  HWND main = wexla::createForm(wexla::mainWindowLayout(), GetModuleHandleA(nullptr), nullptr, icon,
                                icon, formProc);
  checkForm(wexla::mainWindowLayout(), nullptr, icon);
  checkForm(wexla::dialogLayout(wexla::WindowId::MouseConfiguration), main, icon);
  checkForm(wexla::dialogLayout(wexla::WindowId::About), main, icon);
  DestroyWindow(main);
  UnregisterClassA(wexla::mainWindowLayout().className, GetModuleHandleA(nullptr));
  SetSysColors(1, &textElement, &savedText);
}

} // namespace

int main() {
  std::array<char, MAX_PATH> self{};
  const DWORD length = GetModuleFileNameA(nullptr, self.data(), static_cast<DWORD>(self.size()));
  const std::string path(self.data(), length);
  if (path.substr(path.rfind('\\') + 1) != "win32_test.exe") {
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
  forms(); // before the program's own windows, whose classes it would take
  programLifetime();
  mouseWindowOptions();
  dllSearch(); // last: it restricts this process's DLL search
  std::printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
