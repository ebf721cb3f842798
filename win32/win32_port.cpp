#include "win32/win32_port.h"

#include "resources/form_layouts.h"
#include "resources/menu_layout.h"
#include "resources/resource_ids.h"
#include "win32/app_windows.h"
#include "win32/form_builder.h"
#include "win32/popup_menu.h"

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

Win32Port::Win32Port(HINSTANCE instance) : instance_(instance) {
  bigIcon_ = loadBuiltinIcon(instance, SM_CXICON, SM_CYICON);
  smallIcon_ = loadBuiltinIcon(instance, SM_CXSMICON, SM_CYSMICON);
  popup_ = buildPopupMenu(popupMenuLayout());
}

Win32Port::~Win32Port() {
  if (popup_ != nullptr) {
    DestroyMenu(popup_);
  }
  // Icons from the program's own resources need no release.
}

void Win32Port::attachMainWindow(HWND main, HWND hook) {
  main_ = main;
  hook_ = hook;
}

void Win32Port::windowDestroyed(HWND window) {
  if (window == main_) {
    main_ = nullptr;
    hook_ = nullptr;
  }
  for (std::size_t i = 0; i < kFormCount; ++i) {
    if (forms_[i] == window) {
      forms_[i] = nullptr;
      selectedOption_[i] = ControlId{};
    }
  }
  // The process lives as long as any of its windows does.
  if (main_ == nullptr &&
      std::all_of(forms_.begin(), forms_.end(), [](HWND form) { return form == nullptr; })) {
    PostQuitMessage(0);
  }
}

bool Win32Port::optionNewlySelected(FormId form, ControlId option) {
  ControlId& selected = selectedOption_[index(form)];
  if (selected == option) {
    return false;
  }
  selected = option;
  return true;
}

WNDPROC Win32Port::formProcedure(FormId form) {
  return form == FormId::Mouse ? mouseFormProc : aboutFormProc;
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
  // A tray program has no active window of its own: without this the box may open behind
  // the window the user is working in.
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style | MB_SETFOREGROUND);
}

float Win32Port::twipsPerPixelX() {
  return wexla::twipsPerPixelX();
}

WindowHandle Win32Port::hookWindow() {
  return reinterpret_cast<WindowHandle>(hook_);
}

MenuCommand Win32Port::showPopupMenu() {
  if (popup_ == nullptr || main_ == nullptr) {
    return MenuCommand::None;
  }
  POINT pointer{};
  GetCursorPos(&pointer);
  // Without the foreground the menu takes no keys and does not close on a click elsewhere.
  SetForegroundWindow(main_);
  const BOOL chosen = TrackPopupMenu(popup_, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD,
                                     pointer.x, pointer.y, 0, main_, nullptr);
  // Lets the menu close properly when it was dismissed by switching away.
  PostMessageA(main_, WM_NULL, 0, 0);
  return static_cast<MenuCommand>(chosen);
}

std::string Win32Port::openIconFileDialog(const std::string& filter,
                                          const std::string& initialDirectory) {
  const std::string filters = dialogFilter(filter);
  std::vector<char> fileName(MAX_PATH, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = main_;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.lpstrInitialDir = initialDirectory.c_str();
  // The settings and help files are found relative to the current directory: keep it.
  dialog.Flags = OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  if (GetOpenFileNameA(&dialog) == FALSE) {
    return "";
  }
  return fileName.data();
}

void Win32Port::unloadMainWindow() {
  if (main_ != nullptr) {
    DestroyWindow(main_);
  }
}

bool Win32Port::formLoaded(FormId form) {
  return forms_[index(form)] != nullptr;
}

void Win32Port::loadForm(FormId form) {
  if (forms_[index(form)] != nullptr) {
    return;
  }
  // The common controls are loaded only when the first window with controls is built: loaded
  // at start-up (as an import would) they cost memory and start-up time for nothing. The
  // manifest's activation context makes this load pick version 6.
  static const bool commonControls = [] {
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE library = LoadLibraryA("comctl32.dll");
    const auto initialize = library == nullptr
                                ? nullptr
                                : reinterpret_cast<InitFunction>(reinterpret_cast<void (*)()>(
                                      GetProcAddress(library, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    // Without them the plain user32 controls still work, only unthemed.
    return initialize != nullptr && initialize(&controls) != FALSE;
  }();
  static_cast<void>(commonControls);
  const FormLayout& layout = formLayout(form);
  // Windows without a taskbar button are owned by a hidden window that outlives the main
  // window, so Quit does not take them along.
  static HWND hiddenOwner =
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr);
  forms_[index(form)] = createForm(layout, instance_, layout.taskbarButton ? nullptr : hiddenOwner,
                                   bigIcon_, smallIcon_, formProcedure(form));
}

void Win32Port::showForm(FormId form) {
  HWND window = forms_[index(form)];
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
  HWND window = forms_[index(form)];
  if (window != nullptr) {
    ShowWindow(window, SW_HIDE);
    DestroyWindow(window);
  }
}

void Win32Port::setOptionSelected(FormId form, ControlId option, bool selected) {
  HWND window = forms_[index(form)];
  if (window == nullptr) {
    return;
  }
  CheckDlgButton(window, static_cast<int>(option), selected ? BST_CHECKED : BST_UNCHECKED);
  ControlId& current = selectedOption_[index(form)];
  if (selected) {
    current = option;
  } else if (current == option) {
    current = ControlId{};
  }
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
      std::string directory(path.data(), length);
      const std::size_t slash = directory.find_last_of("\\/");
      return slash == std::string::npos ? std::string() : directory.substr(0, slash);
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
  LARGE_INTEGER size{};
  if (!file.valid() || GetFileSizeEx(file.get(), &size) == FALSE || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
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
  return MoveFileExA(source.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
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
