#include "win32/win32_files.h"

#include "platform/file_folder.h"
#include "platform/registry_text.h"
#include "win32/handles.h"
#include "win32/system_function.h"

#include <array>

namespace wexla {

static_assert(kRegistryString == REG_SZ && kRegistryNumber == REG_DWORD);

namespace {

constexpr DWORD kNotOrdinaryFile =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

HKEY rootKey(RegistryRoot root) {
  switch (root) {
  case RegistryRoot::LocalMachine:
    break;
  }
  return HKEY_LOCAL_MACHINE;
}

} // namespace

Text Win32Files::programFolder() {
  Text path(MAX_PATH, '\0');
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

bool Win32Files::enterFolder(const Text& folder) {
  return !folder.empty() && SetCurrentDirectoryA(folder.c_str()) != FALSE;
}

Text Win32Files::findOrdinaryFile(const Text& pattern) {
  if (pattern.empty()) {
    return "";
  }
  WIN32_FIND_DATAA found{};
  const OwnedFind search(FindFirstFileA(pattern.c_str(), &found));
  if (!search) {
    return "";
  }
  do {
    if ((found.dwFileAttributes & kNotOrdinaryFile) == 0) {
      return found.cFileName;
    }
  } while (FindNextFileA(search.get(), &found) != FALSE);
  return "";
}

std::optional<Text> Win32Files::readFile(const Text& name, std::size_t maxBytes) {
  const OwnedKernelObject file(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
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
  Text bytes(sizeLow, '\0');
  DWORD read = 0;
  if (!bytes.empty() && (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read,
                                  nullptr) == FALSE ||
                         read != bytes.size())) {
    return std::nullopt;
  }
  return bytes;
}

bool Win32Files::writeNewFile(const Text& name, const Text& bytes) {
  OwnedKernelObject file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return false;
  }
  DWORD written = 0;
  const bool complete = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                  &written, nullptr) != FALSE &&
                        written == bytes.size();
  // The new file must be on the disk before it replaces the old one.
  const bool flushed = complete && FlushFileBuffers(file.get()) != FALSE;
  // Closing a written file can still report a failed write.
  return CloseHandle(file.release()) != FALSE && flushed;
}

bool Win32Files::replaceFile(const Text& source, const Text& target) {
  static const auto kMoveFileEx =
      systemFunction<BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD)>("kernel32.dll", "MoveFileExA");
  if (kMoveFileEx != nullptr) {
    return kMoveFileEx(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  // Without the one-step replacement: remove the target, then rename. Should the rename fail,
  // the complete new file is still there under the source name.
  if (DeleteFileA(target.c_str()) == FALSE && GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }
  return MoveFileA(source.c_str(), target.c_str()) != FALSE;
}

void Win32Files::deleteFile(const Text& name) {
  // A leftover temporary file is harmless: the next save overwrites it.
  DeleteFileA(name.c_str());
}

std::optional<Text> Win32Registry::readRegistryText(RegistryRoot root, const Text& key,
                                                    const Text& value) {
  HKEY opened = nullptr;
  // Read rights only: write rights are refused to most users.
  if (RegOpenKeyExA(rootKey(root), key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const OwnedRegistryKey owned(opened);
  std::array<char, kRegistryValueLimit> stored{};
  DWORD type = 0;
  auto size = static_cast<DWORD>(stored.size());
  // A longer value answers ERROR_MORE_DATA and is not read at all.
  if (RegQueryValueExA(owned.get(), value.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(stored.data()), &size) != ERROR_SUCCESS ||
      size > stored.size()) {
    return std::nullopt;
  }
  return registryValueText(type, std::string_view(stored.data(), size));
}

} // namespace wexla
