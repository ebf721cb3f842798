#pragma once
// The platform as the program sees it on Windows: every role of the port, and nothing else.
#include "platform/port.h"
#include "win32/program_windows.h"

#include <windows.h>

namespace wexla {

class Win32Port final : public Port {
public:
  Win32Port(HINSTANCE instance, ProgramWindows& windows);
  Win32Port(const Win32Port&) = delete;
  Win32Port& operator=(const Win32Port&) = delete;
  ~Win32Port() override;

  HICON bigIcon() const { return bigIcon_; }

  WindowHandle desktopWindow() override;
  std::intptr_t shellExecute(WindowHandle owner, const std::string& operation,
                             const std::string& file, const std::string& parameters,
                             const std::string& directory, int showCommand) override;
  bool notifyIcon(TrayMessage message, const TrayIconRecord& record) override;
  int messageBox(const std::string& text, const std::string& caption, unsigned style) override;
  float twipsPerPixelX() override;
  WindowHandle hookWindow() override;
  MenuCommand showPopupMenu() override;
  std::string openIconFileDialog(const std::string& filter,
                                 const std::string& initialDirectory) override;
  void unloadMainWindow() override;
  bool formLoaded(FormId form) override;
  void loadForm(FormId form) override;
  void showForm(FormId form) override;
  void unloadForm(FormId form) override;
  void setOptionSelected(FormId form, ControlId option, bool selected) override;
  IconHandle builtinIcon() override;
  IconHandle loadIconFile(const std::string& path) override;
  void destroyIcon(IconHandle icon) override;
  std::string applicationDirectory() override;
  bool setCurrentDirectory(const std::string& directory) override;
  std::string findOrdinaryFile(const std::string& pattern) override;
  std::optional<std::string> readFile(const std::string& name, std::size_t maxBytes) override;
  bool writeNewFile(const std::string& name, const std::string& bytes) override;
  bool replaceFile(const std::string& source, const std::string& target) override;
  void deleteFile(const std::string& name) override;
  long regOpenKey(RegistryKey root, const std::string& path, std::uint32_t access,
                  RegistryKey& key) override;
  long regQueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                     unsigned char* data, std::uint32_t& size) override;
  void regCloseKey(RegistryKey key) override;
  bool startProgram(const std::string& programPath, int showCommand) override;

private:
  HINSTANCE instance_;
  ProgramWindows& windows_;
  HMENU popup_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
};

} // namespace wexla
