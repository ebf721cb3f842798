// The harness's helper inside the Wine prefix: X tools see only X windows, while window classes,
// tooltip texts and notification icons are visible only from a Win32 process. Output: one JSON
// object per line. Exit code 0 on success, 1 when nothing was found, 2 on a usage error.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotFound = 1;
constexpr int kExitUsage = 2;
// A hung target must not hang the harness; every cross-process message is bounded by this.
constexpr UINT kMessageTimeoutMs = 2000;
constexpr int kTextSize = 4096; // a help topic's whole text

// Texts are ASCII here; anything else is escaped so that the line stays valid JSON.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
    out += c < ' ' || c > '~' || c == '"' || c == '\\' ? std::string(escaped) : std::string(1, c);
  }
  return out + "\"";
}

// GetWindowTextA does not read other processes' controls; WM_GETTEXT does.
std::string textOf(HWND window) {
  char text[kTextSize] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied);
  return text;
}

std::string classOf(HWND window) {
  char name[kTextSize] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// Enumeration callbacks must be stdcall on i686, which a lambda cannot be.
BOOL CALLBACK collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> topLevelWindows() {
  std::vector<HWND> found;
  EnumWindows(collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Every top-level window with the texts of its controls.
int listWindows() {
  for (HWND w : topLevelWindows()) {
    RECT box = {};
    GetWindowRect(w, &box);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    std::vector<HWND> children;
    EnumChildWindows(w, collect, reinterpret_cast<LPARAM>(&children));
    std::string texts;
    for (HWND child : children)
      texts += (texts.empty() ? "" : ", ") + quoted(textOf(child));
    std::printf("{\"cls\": %s, \"title\": %s, \"pid\": %lu, \"visible\": %s, \"x\": %ld, "
                "\"y\": %ld, \"width\": %ld, \"height\": %ld, \"texts\": [%s]}\n",
                quoted(classOf(w)).c_str(), quoted(textOf(w)).c_str(), pid,
                IsWindowVisible(w) ? "true" : "false", box.left, box.top, box.right - box.left,
                box.bottom - box.top, texts.c_str());
  }
  return kExitOk;
}

// A modification that changes nothing succeeds exactly when the shell holds the icon.
bool holdsIcon(NOTIFYICONDATAA& icon, HWND window) {
  icon.hWnd = window;
  return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
}

// The program's icon, on whichever of the main windows (named by class) holds it: a copy that
// is ending may still have one. hWnd is null when the shell holds none.
NOTIFYICONDATAA programIcon(const char* mainClass, const char* idText) {
  NOTIFYICONDATAA icon = {};
  icon.cbSize = sizeof icon;
  icon.uID = static_cast<UINT>(std::strtoul(idText, nullptr, 0));
  for (HWND top : topLevelWindows())
    if (classOf(top) == mainClass && holdsIcon(icon, top))
      return icon;
  icon.hWnd = nullptr;
  return icon;
}

// What the shell does when Explorer restarts: the icon is gone, and every top-level window
// hears "TaskbarCreated". Exit code 1 also when the icon could not be taken away.
int restartShell(const char* mainClass, const char* idText) {
  NOTIFYICONDATAA icon = programIcon(mainClass, idText);
  if (icon.hWnd == nullptr)
    return kExitNotFound;
  const bool deleted = Shell_NotifyIconA(NIM_DELETE, &icon) != FALSE && !holdsIcon(icon, icon.hWnd);
  SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  return deleted ? kExitOk : kExitNotFound;
}

} // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "keeper") // keeps the prefix's Wine session alive
    for (;;)
      Sleep(INFINITE);
  if (command == "windows")
    return listWindows();
  if (command == "icon-exists" && argc == 4)
    return programIcon(argv[2], argv[3]).hWnd == nullptr ? kExitNotFound : kExitOk;
  if (command == "shell-restart" && argc == 4)
    return restartShell(argv[2], argv[3]);
  std::fprintf(stderr, "usage: wexla_probe keeper | windows | icon-exists CLASS ID |\n"
                       "  shell-restart CLASS ID\n");
  return kExitUsage;
}
