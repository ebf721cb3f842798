#include "win32/win32_port.h"

#include "platform/file_folder.h"
#include "resources/menu_layout.h"
#include "resources/resource_ids.h"
#include "win32/form_builder.h"
#include "win32/form_table.h"
#include "win32/popup_menu.h"
#include "win32/system_function.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace wexla {

// The portable record must match the shell's version-1 ANSI record field for field.
static_assert(sizeof(TrayIconRecord) == NOTIFYICONDATAA_V1_SIZE);
static_assert(offsetof(TrayIconRecord, hWnd) == offsetof(NOTIFYICONDATAA, hWnd));
static_assert(offsetof(TrayIconRecord, uID) == offsetof(NOTIFYICONDATAA, uID));
static_assert(offsetof(TrayIconRecord, uFlags) == offsetof(NOTIFYICONDATAA, uFlags));
static_assert(offsetof(TrayIconRecord, uCallbackMessage) ==
              offsetof(NOTIFYICONDATAA, uCallbackMessage));
static_assert(offsetof(TrayIconRecord, hIcon) == offsetof(NOTIFYICONDATAA, hIcon));
static_assert(offsetof(TrayIconRecord, szTip) == offsetof(NOTIFYICONDATAA, szTip));
static_assert(kTrayFlagMessage == NIF_MESSAGE && kTrayFlagIcon == NIF_ICON &&
              kTrayFlagTip == NIF_TIP);
static_assert(static_cast<DWORD>(TrayMessage::Add) == NIM_ADD &&
              static_cast<DWORD>(TrayMessage::Modify) == NIM_MODIFY &&
              static_cast<DWORD>(TrayMessage::Delete) == NIM_DELETE);

namespace {

constexpr DWORD kNotOrdinaryFile =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

HICON loadBuiltinIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_WEXLA), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

// "Description|pattern" becomes the double-NUL-terminated list the Open dialog takes.
std::string dialogFilter(const std::string& filter) {
  std::string list = filter;
  std::replace(list.begin(), list.end(), '|', '\0');
  list.push_back('\0');
  list.push_back('\0');
  return list;
}

class FileHandle {
public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (valid()) {
      CloseHandle(handle_);
    }
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool close() {
    const bool closed = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

private:
  HANDLE handle_;
};

// Registry root handles are sign-extended 32-bit values on every Windows.
HKEY toKey(RegistryKey key) {
  constexpr RegistryKey kRootKeyBit = 0x80000000u;
  constexpr RegistryKey kLow32Bits = 0xFFFFFFFFu;
  if ((key & ~kLow32Bits) == 0 && (key & kRootKeyBit) != 0) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(key)));
  }
  return reinterpret_cast<HKEY>(key);
}

} // namespace

Win32Port::Win32Port(HINSTANCE instance, ProgramWindows& windows)
    : instance_(instance), windows_(windows) {
  bigIcon_ = loadBuiltinIcon(instance, SM_CXICON, SM_CYICON);
  // The notification area asks for the system's small icon size, which grows with the DPI.
  smallIcon_ = loadBuiltinIcon(instance, SM_CXSMICON, SM_CYSMICON);
  popup_ = buildPopupMenu(popupMenuLayout());
}

Win32Port::~Win32Port() {
  if (popup_ != nullptr) {
    DestroyMenu(popup_);
  }
  // Icons from the program's own resources need no release.
}

WindowHandle Win32Port::desktopWindow() {
  return reinterpret_cast<WindowHandle>(GetDesktopWindow());
}

std::intptr_t Win32Port::shellExecute(WindowHandle owner, const std::string& operation,
                                      const std::string& file, const std::string& parameters,
                                      const std::string& directory, int showCommand) {
  return reinterpret_cast<std::intptr_t>(
      ShellExecuteA(reinterpret_cast<HWND>(owner), operation.c_str(), file.c_str(),
                    parameters.c_str(), directory.c_str(), showCommand));
}

bool Win32Port::notifyIcon(TrayMessage message, const TrayIconRecord& record) {
  NOTIFYICONDATAA data{};
  std::memcpy(&data, &record, sizeof record);
  return Shell_NotifyIconA(static_cast<DWORD>(message), &data) != FALSE;
}

int Win32Port::messageBox(const std::string& text, const std::string& caption, unsigned style) {
  // A box during start-up comes before the tray icon, while the main window is message-only.
  // A failure only costs the icon's return after a shell restart.
  static_cast<void>(windows_.makeMainWindowTopLevel());
  // A tray program has no active window of its own: without this the box may open behind
  // the window the user is working in.
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style | MB_SETFOREGROUND);
}

float Win32Port::twipsPerPixelX() {
  return wexla::twipsPerPixelX();
}

WindowHandle Win32Port::hookWindow() {
  return reinterpret_cast<WindowHandle>(windows_.hookWindow());
}

MenuCommand Win32Port::showPopupMenu() {
  HWND main = windows_.mainWindow();
  if (popup_ == nullptr || main == nullptr) {
    return MenuCommand::None;
  }
  POINT pointer{};
  GetCursorPos(&pointer);
  // Without the foreground the menu takes no keys and does not close on a click elsewhere.
  SetForegroundWindow(main);
  const BOOL chosen = TrackPopupMenu(popup_, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD,
                                     pointer.x, pointer.y, 0, main, nullptr);
  // Lets the menu close properly when it was dismissed by switching away.
  PostMessageA(main, WM_NULL, 0, 0);
  return static_cast<MenuCommand>(chosen);
}

std::string Win32Port::openIconFileDialog(const std::string& filter,
                                          const std::string& initialDirectory) {
  const std::string filters = dialogFilter(filter);
  std::vector<char> fileName(MAX_PATH, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = windows_.mainWindow();
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.lpstrInitialDir = initialDirectory.c_str();
  // The settings and help files are found relative to the current directory: keep it.
  dialog.Flags = OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  static const auto getOpenFileName =
      systemFunction<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
  // A dialog that cannot be shown is treated like a cancelled one.
  if (getOpenFileName == nullptr || getOpenFileName(&dialog) == FALSE) {
    return "";
  }
  return fileName.data();
}

void Win32Port::unloadMainWindow() {
  if (HWND main = windows_.mainWindow()) {
    DestroyWindow(main);
  }
}

bool Win32Port::formLoaded(FormId form) {
  return windows_.form(form) != nullptr;
}

void Win32Port::loadForm(FormId form) {
  if (windows_.form(form) != nullptr) {
    return;
  }
  // The common controls are loaded only when the first window with controls is built. The
  // manifest's activation context makes this load pick version 6.
  static const bool commonControls = [] {
    const auto initialize = systemFunction<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(
        "comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    // Without them the plain user32 controls still work, only unthemed.
    return initialize != nullptr && initialize(&controls) != FALSE;
  }();
  static_cast<void>(commonControls);
  const FormClass& entry = formClass(form);
  const FormLayout& layout = *entry.layout;
  // Windows without a taskbar button are owned by a hidden window that outlives the main
  // window, so Quit does not take them along.
  static HWND hiddenOwner =
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr);
  HWND owner = layout.taskbarButton ? nullptr : hiddenOwner;
  windows_.formCreated(
      form, createForm(layout, instance_, owner, bigIcon_, smallIcon_, entry.windowProcedure));
}

void Win32Port::showForm(FormId form) {
  HWND window = windows_.form(form);
  if (window == nullptr) {
    return;
  }
  const bool firstShow = IsWindowVisible(window) == FALSE;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  if (firstShow) {
    if (HWND focus = firstTabStop(window)) {
      SetFocus(focus);
    }
  }
}

void Win32Port::unloadForm(FormId form) {
  HWND window = windows_.form(form);
  if (window != nullptr) {
    ShowWindow(window, SW_HIDE);
    DestroyWindow(window);
  }
}

void Win32Port::setOptionSelected(FormId form, ControlId option, bool selected) {
  HWND window = windows_.form(form);
  if (window == nullptr) {
    return;
  }
  CheckDlgButton(window, static_cast<int>(option), selected ? BST_CHECKED : BST_UNCHECKED);
  windows_.optionSet(form, option, selected);
}

IconHandle Win32Port::builtinIcon() {
  return reinterpret_cast<IconHandle>(smallIcon_);
}

IconHandle Win32Port::loadIconFile(const std::string& path) {
  // The notification area shows small icons: pick the file's image of that size.
  return reinterpret_cast<IconHandle>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE));
}

void Win32Port::destroyIcon(IconHandle icon) {
  // Nothing useful can follow a failed release of an icon we no longer show.
  DestroyIcon(reinterpret_cast<HICON>(icon));
}

std::string Win32Port::applicationDirectory() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return "";
    }
    if (length < path.size()) {
      return folderOfFile(std::string_view(path.data(), length));
    }
    path.resize(path.size() * 2);
  }
}

bool Win32Port::setCurrentDirectory(const std::string& directory) {
  return !directory.empty() && SetCurrentDirectoryA(directory.c_str()) != FALSE;
}

std::string Win32Port::findOrdinaryFile(const std::string& pattern) {
  if (pattern.empty()) {
    return "";
  }
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return "";
  }
  std::string name;
  do {
    if ((found.dwFileAttributes & kNotOrdinaryFile) == 0) {
      name = found.cFileName;
      break;
    }
  } while (FindNextFileA(search, &found) != FALSE);
  FindClose(search);
  return name;
}

std::optional<std::string> Win32Port::readFile(const std::string& name, std::size_t maxBytes) {
  FileHandle file(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    return std::nullopt;
  }
  // GetFileSize, not GetFileSizeEx: the older call is there on every Windows the program
  // supports. Any size beyond 4 GiB is far above every limit the callers pass.
  DWORD sizeHigh = 0;
  const DWORD sizeLow = GetFileSize(file.get(), &sizeHigh);
  if ((sizeLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || sizeHigh != 0 ||
      sizeLow > maxBytes) {
    return std::nullopt;
  }
  std::string bytes(sizeLow, '\0');
  DWORD read = 0;
  if (!bytes.empty() && (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read,
                                  nullptr) == FALSE ||
                         read != bytes.size())) {
    return std::nullopt;
  }
  return bytes;
}

bool Win32Port::writeNewFile(const std::string& name, const std::string& bytes) {
  FileHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    return false;
  }
  DWORD written = 0;
  const bool complete = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                  &written, nullptr) != FALSE &&
                        written == bytes.size();
  // The new file must be on the disk before it replaces the old one.
  const bool flushed = complete && FlushFileBuffers(file.get()) != FALSE;
  return file.close() && flushed;
}

bool Win32Port::replaceFile(const std::string& source, const std::string& target) {
  static const auto moveFileEx =
      systemFunction<BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD)>("kernel32.dll", "MoveFileExA");
  if (moveFileEx != nullptr) {
    return moveFileEx(source.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  // Without the one-step replacement: remove the target, then rename. Should the rename fail,
  // the complete new file is still there under the source name.
  if (DeleteFileA(target.c_str()) == FALSE && GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }
  return MoveFileA(source.c_str(), target.c_str()) != FALSE;
}

void Win32Port::deleteFile(const std::string& name) {
  // A leftover temporary file is harmless: the next save overwrites it.
  DeleteFileA(name.c_str());
}

long Win32Port::regOpenKey(RegistryKey root, const std::string& path, std::uint32_t access,
                           RegistryKey& key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(toKey(root), path.c_str(), 0, access, &opened);
  key = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(opened) : 0;
  return status;
}

long Win32Port::regQueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                              unsigned char* data, std::uint32_t& size) {
  DWORD valueType = 0;
  DWORD valueSize = size;
  const LONG status =
      RegQueryValueExA(toKey(key), valueName.c_str(), nullptr, &valueType, data, &valueSize);
  type = valueType;
  size = valueSize;
  return status;
}

void Win32Port::regCloseKey(RegistryKey key) {
  if (key != 0) {
    // Closing can only fail for a handle that is already gone.
    RegCloseKey(toKey(key));
  }
}

bool Win32Port::startProgram(const std::string& programPath, int showCommand) {
  // The path is both the program to run and, quoted, its command line: a blank in it can
  // never make Windows start another file.
  std::string commandLine = "\"" + programPath + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION process{};
  if (CreateProcessA(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     nullptr, &startup, &process) == FALSE) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

} // namespace wexla
