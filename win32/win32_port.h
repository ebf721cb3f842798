#pragma once
// The platform as the program sees it on Windows: shell, user interface, files, registry.
#include "platform/port.h"

#include <windows.h>

#include <array>

namespace wexla {

class Win32Port final : public Port {
public:
  explicit Win32Port(HINSTANCE instance);
  Win32Port(const Win32Port&) = delete;
  Win32Port& operator=(const Win32Port&) = delete;
  ~Win32Port() override;

  // Window bookkeeping for the event routing and the message loop.
  void attachMainWindow(HWND main, HWND hook);
  HWND mainWindow() const { return main_; }
  HWND form(FormId form) const { return forms_[index(form)]; }
  // A window of ours is gone; the process ends when none is left.
  void windowDestroyed(HWND window);
  // Tracks which option of a group is selected, so a click on it again is no new selection.
  bool optionNewlySelected(FormId form, ControlId option);
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
  static constexpr std::size_t kFormCount = 2;
  static std::size_t index(FormId form) { return static_cast<std::size_t>(form); }
  static WNDPROC formProcedure(FormId form);

  HINSTANCE instance_;
  HWND main_ = nullptr;
  HWND hook_ = nullptr;
  HMENU popup_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  std::array<HWND, kFormCount> forms_{};
  std::array<ControlId, kFormCount> selectedOption_{};
};

} // namespace wexla
