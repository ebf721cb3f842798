// The harness's helper inside the Wine prefix of the program under test. X tools see only X
// windows; the Win32 texts (captions, message-box text, tooltips, button states) and the
// per-process counters are visible only from a Win32 process, so the harness asks this one.
// Output: one JSON object per line. Exit code 0 on success, 1 when the target is not found,
// 2 on a usage error. Started with no command (as a copy standing in for another program) it
// appends its command line to its own path plus ".log".

// The program's own facts, written once: its window classes and its tray icon's id.
#include "platform/tray_messages.h"
#include "resources/form_layouts.h"

#include <windows.h>

#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotFound = 1;
constexpr int kExitUsage = 2;

// A hung target must not hang the harness; every cross-process message is bounded by this.
constexpr UINT kMessageTimeoutMs = 2000;
constexpr int kTextBufferSize = 4096;
constexpr int kClassBufferSize = 256;
const char kStartLogSuffix[] = ".log";
constexpr int kNumberBase = 0; // strtoull: accepts decimal and 0x-prefixed hex

using wexla::kMainWindowClass;
using wexla::kTrayIconId;
const char* const kTooltipClass = "tooltips_class32";
const char* const kButtonClass = "Button";

std::string jsonQuoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7f) {
      // ANSI text from another process has no known code page here; keep the bytes recoverable.
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// Builds one JSON object; keys are fixed identifiers, so they need no quoting rules.
class JsonLine {
public:
  JsonLine& text(const char* key, const std::string& value) {
    add(key, jsonQuoted(value));
    return *this;
  }
  JsonLine& number(const char* key, unsigned long long value) {
    add(key, std::to_string(value));
    return *this;
  }
  JsonLine& signedNumber(const char* key, long long value) {
    add(key, std::to_string(value));
    return *this;
  }
  JsonLine& flag(const char* key, bool value) {
    add(key, value ? "true" : "false");
    return *this;
  }
  void print() const {
    std::printf("{%s}\n", body_.c_str());
    std::fflush(stdout);
  }

private:
  void add(const char* key, const std::string& value) {
    if (!body_.empty())
      body_ += ",";
    body_ += "\"";
    body_ += key;
    body_ += "\":";
    body_ += value;
  }
  std::string body_;
};

unsigned long long handleNumber(HWND window) {
  return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window));
}

// GetWindowTextA does not read the controls of other processes; WM_GETTEXT does.
std::string windowText(HWND window) {
  char buffer[kTextBufferSize] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied))
    return std::string();
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::string className(HWND window) {
  char buffer[kClassBufferSize] = {};
  GetClassNameA(window, buffer, sizeof buffer);
  return buffer;
}

DWORD owningProcess(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

// Enumeration callbacks must be stdcall on i686, which a lambda cannot be.
BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> topLevelWindows() {
  std::vector<HWND> found;
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> descendantWindows(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, collectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// A window named by its handle number, or the visible one with this caption. A tray tooltip
// carries the tip text as its window text, which may equal a program's caption.
HWND visibleWindowWithCaption(const std::string& caption) {
  char* end = nullptr;
  const auto number = static_cast<UINT_PTR>(std::strtoull(caption.c_str(), &end, kNumberBase));
  if (!caption.empty() && *end == '\0' && IsWindow(reinterpret_cast<HWND>(number)))
    return reinterpret_cast<HWND>(number);
  for (HWND window : topLevelWindows())
    if (IsWindowVisible(window) && className(window) != kTooltipClass &&
        windowText(window) == caption)
      return window;
  return nullptr;
}

// Button texts carry '&' mnemonics; callers name the button as a person reads it.
std::string withoutMnemonics(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size())
      ++i;
    out += text[i];
  }
  return out;
}

bool isButton(HWND window) {
  return lstrcmpiA(className(window).c_str(), kButtonClass) == 0;
}

void printTopLevel(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  JsonLine()
      .number("hwnd", handleNumber(window))
      .text("class", className(window))
      .text("title", windowText(window))
      .number("pid", owningProcess(window))
      .flag("visible", IsWindowVisible(window) != FALSE)
      .signedNumber("x", origin.x)
      .signedNumber("y", origin.y)
      .signedNumber("width", client.right - client.left)
      .signedNumber("height", client.bottom - client.top)
      .number("style", static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)))
      .number("exstyle", static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)))
      .number("owner", handleNumber(GetWindow(window, GW_OWNER)))
      .print();
}

void printChild(HWND child) {
  RECT bounds = {};
  GetWindowRect(child, &bounds);
  HWND parent = GetParent(child);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&bounds), 2);
  JsonLine line;
  line.number("hwnd", handleNumber(child))
      .number("parent", handleNumber(parent))
      .text("class", className(child))
      .text("text", windowText(child))
      .signedNumber("id", GetDlgCtrlID(child))
      .flag("visible", IsWindowVisible(child) != FALSE)
      .flag("enabled", IsWindowEnabled(child) != FALSE)
      .signedNumber("left", bounds.left)
      .signedNumber("top", bounds.top)
      .signedNumber("right", bounds.right)
      .signedNumber("bottom", bounds.bottom)
      .number("style", static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE)));
  if (isButton(child)) {
    DWORD_PTR state = BST_UNCHECKED;
    SendMessageTimeoutA(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &state);
    line.number("checked", state);
  }
  line.print();
}

// The program's hidden main window, which receives its tray callbacks.
HWND programMainWindow() {
  for (HWND window : topLevelWindows())
    if (className(window) == kMainWindowClass)
      return window;
  return nullptr;
}

int listWindows(int argc, char** argv) {
  bool filterByPid = false;
  DWORD wantedPid = 0;
  if (argc >= 2 && std::strcmp(argv[0], "--pid") == 0) {
    filterByPid = true;
    wantedPid = static_cast<DWORD>(std::strtoul(argv[1], nullptr, kNumberBase));
  }
  for (HWND window : topLevelWindows())
    if (!filterByPid || owningProcess(window) == wantedPid)
      printTopLevel(window);
  return kExitOk;
}

int listChildren(const char* handleText) {
  HWND parent = reinterpret_cast<HWND>(
      static_cast<UINT_PTR>(std::strtoull(handleText, nullptr, kNumberBase)));
  if (!IsWindow(parent))
    return kExitNotFound;
  for (HWND child : descendantWindows(parent))
    printChild(child);
  return kExitOk;
}

int printTexts(const std::string& caption) {
  HWND window = visibleWindowWithCaption(caption);
  if (!window)
    return kExitNotFound;
  JsonLine().number("hwnd", handleNumber(window)).text("title", caption).print();
  for (HWND child : descendantWindows(window))
    JsonLine()
        .number("hwnd", handleNumber(child))
        .text("class", className(child))
        .text("text", windowText(child))
        .print();
  return kExitOk;
}

int clickButton(const std::string& caption, const std::string& buttonText) {
  HWND window = visibleWindowWithCaption(caption);
  if (!window)
    return kExitNotFound;
  for (HWND child : descendantWindows(window)) {
    if (!isButton(child))
      continue;
    std::string text = windowText(child);
    if (text != buttonText && withoutMnemonics(text) != buttonText)
      continue;
    // Posted, not sent: the click ends a modal loop whose owner may answer late.
    PostMessageA(child, BM_CLICK, 0, 0);
    JsonLine().number("clicked", handleNumber(child)).text("text", text).print();
    return kExitOk;
  }
  return kExitNotFound;
}

int printTooltips() {
  bool any = false;
  for (HWND window : topLevelWindows()) {
    if (!IsWindowVisible(window) || className(window) != kTooltipClass)
      continue;
    any = true;
    JsonLine()
        .number("hwnd", handleNumber(window))
        .number("pid", owningProcess(window))
        .text("text", windowText(window))
        .print();
  }
  return any ? kExitOk : kExitNotFound;
}

NOTIFYICONDATAA programIcon(HWND callback) {
  NOTIFYICONDATAA icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = callback;
  icon.uID = kTrayIconId;
  return icon;
}

// A modification that changes nothing succeeds exactly when the shell holds the icon.
bool trayIconExists(HWND callback) {
  NOTIFYICONDATAA icon = programIcon(callback);
  return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
}

int printIconExists() {
  HWND callback = programMainWindow();
  if (!callback)
    return kExitNotFound;
  bool exists = trayIconExists(callback);
  JsonLine().number("hwnd", handleNumber(callback)).flag("exists", exists).print();
  return exists ? kExitOk : kExitNotFound;
}

int simulateShellRestart() {
  HWND callback = programMainWindow();
  if (!callback)
    return kExitNotFound;
  NOTIFYICONDATAA icon = programIcon(callback);
  BOOL deleted = Shell_NotifyIconA(NIM_DELETE, &icon);
  bool goneBeforeBroadcast = !trayIconExists(callback);
  UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  BOOL broadcast = SendNotifyMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
  JsonLine()
      .number("hwnd", handleNumber(callback))
      .flag("deleted", deleted != FALSE)
      .flag("gone", goneBeforeBroadcast)
      .flag("broadcast", broadcast != FALSE)
      .print();
  return kExitOk;
}

int injectCallback(const char* eventText) {
  HWND callback = programMainWindow();
  if (!callback)
    return kExitNotFound;
  LPARAM event = static_cast<LPARAM>(std::strtol(eventText, nullptr, kNumberBase));
  DWORD_PTR result = 0;
  // A right-button event opens a modal menu inside the handler; the timeout lets us return.
  // As the shell sends it: the callback message, the icon's id, the mouse message.
  LRESULT answered = SendMessageTimeoutA(callback, wexla::kTrayCallbackMessage, kTrayIconId, event,
                                         SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result);
  JsonLine()
      .number("hwnd", handleNumber(callback))
      .signedNumber("event", event)
      .flag("answered", answered != 0)
      .print();
  return kExitOk;
}

HANDLE openForQuery(const char* pidText) {
  DWORD pid = static_cast<DWORD>(std::strtoul(pidText, nullptr, kNumberBase));
  return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
}

int printGuiResources(const char* pidText) {
  HANDLE process = openForQuery(pidText);
  if (!process)
    return kExitNotFound;
  DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
  DWORD user = GetGuiResources(process, GR_USEROBJECTS);
  CloseHandle(process);
  JsonLine().number("gdi", gdi).number("user", user).print();
  return kExitOk;
}

int printMemory(const char* pidText) {
  HANDLE process = openForQuery(pidText);
  if (!process)
    return kExitNotFound;
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  BOOL ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
  CloseHandle(process);
  if (!ok)
    return kExitNotFound;
  JsonLine()
      .number("working_set", counters.WorkingSetSize)
      .number("peak_working_set", counters.PeakWorkingSetSize)
      .number("pagefile", counters.PagefileUsage)
      .print();
  return kExitOk;
}

// Windows process ids differ from the Linux ids the harness holds; this maps exe names to them.
int listProcesses() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return kExitNotFound;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    JsonLine()
        .number("pid", entry.th32ProcessID)
        .number("parent", entry.th32ParentProcessID)
        .text("exe", entry.szExeFile)
        .print();
  CloseHandle(snapshot);
  return kExitOk;
}

int keepSessionAlive() {
  for (;;)
    Sleep(INFINITE);
}

int logStart() {
  char path[MAX_PATH + sizeof kStartLogSuffix] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return kExitNotFound;
  lstrcatA(path, kStartLogSuffix);
  FILE* log = std::fopen(path, "ab");
  if (!log)
    return kExitNotFound;
  std::fprintf(log, "%s\n", GetCommandLineA());
  std::fclose(log);
  return kExitOk;
}

// What an unrestricted LoadLibrary finds: the control case for a planted DLL.
int loadLibrary(const char* name) {
  HMODULE module = LoadLibraryA(name);
  if (!module)
    return kExitNotFound;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  JsonLine().text("path", path).print();
  return kExitOk;
}

int printMetric(const char* indexText) {
  const int index = static_cast<int>(std::strtol(indexText, nullptr, kNumberBase));
  JsonLine().signedNumber("value", GetSystemMetrics(index)).print();
  return kExitOk;
}

int usage() {
  std::fprintf(stderr,
               "usage: wexla_probe windows [--pid N] | children HWND | text CAPTION |\n"
               "  click CAPTION BUTTON | tooltip | shell-restart | icon-exists | callback N |\n"
               "  gui-resources PID | memory PID | processes | keeper | load DLL | metric N\n");
  return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2)
    return logStart();
  const std::string command = argv[1];
  const int extra = argc - 2;
  char** rest = argv + 2;
  if (command == "windows")
    return listWindows(extra, rest);
  if (command == "children" && extra == 1)
    return listChildren(rest[0]);
  if (command == "text" && extra == 1)
    return printTexts(rest[0]);
  if (command == "click" && extra == 2)
    return clickButton(rest[0], rest[1]);
  if (command == "tooltip")
    return printTooltips();
  if (command == "shell-restart")
    return simulateShellRestart();
  if (command == "icon-exists")
    return printIconExists();
  if (command == "callback" && extra == 1)
    return injectCallback(rest[0]);
  if (command == "gui-resources" && extra == 1)
    return printGuiResources(rest[0]);
  if (command == "memory" && extra == 1)
    return printMemory(rest[0]);
  if (command == "processes")
    return listProcesses();
  if (command == "keeper")
    return keepSessionAlive();
  if (command == "load" && extra == 1)
    return loadLibrary(rest[0]);
  if (command == "metric" && extra == 1)
    return printMetric(rest[0]);
  return usage();
}
