#pragma once
// The narrow boundary between the program's logic and the platform, one interface per role.
// The Win32 implementation talks to the real system; the fake one records calls so the logic
// is testable natively. A unit takes only the roles it uses, so a stand-in for one of them
// (a fuzzer's registry, say) implements nothing else.
#include "platform/form_id.h"
#include "platform/handles.h"
#include "platform/menu_command.h"
#include "platform/tray_icon_record.h"

#include <cstdint>
#include <optional>
#include <string>

namespace wexla {

class ShellPort {
public:
  virtual ~ShellPort() = default;
  virtual WindowHandle desktopWindow() = 0;
  virtual std::intptr_t shellExecute(WindowHandle owner, const std::string& operation,
                                     const std::string& file, const std::string& parameters,
                                     const std::string& directory, int showCommand) = 0;
  virtual bool notifyIcon(TrayMessage message, const TrayIconRecord& record) = 0;
  // Starts the program file with the quoted path as its command line.
  virtual bool startProgram(const std::string& programPath, int showCommand) = 0;
};

class WindowPort {
public:
  virtual ~WindowPort() = default;
  virtual float twipsPerPixelX() = 0;
  virtual WindowHandle hookWindow() = 0;
  virtual void unloadMainWindow() = 0;
  virtual bool formLoaded(FormId form) = 0;
  virtual void loadForm(FormId form) = 0;
  virtual void showForm(FormId form) = 0;
  virtual void unloadForm(FormId form) = 0;
  virtual void setOptionSelected(FormId form, ControlId option, bool selected) = 0;
};

class FilePort {
public:
  virtual ~FilePort() = default;
  virtual std::string applicationDirectory() = 0;
  virtual bool setCurrentDirectory(const std::string& directory) = 0;
  // The name of an ordinary (not hidden, not system, not directory) file matching the
  // pattern, or "" when there is none.
  virtual std::string findOrdinaryFile(const std::string& pattern) = 0;
  // The file's bytes, or nothing when it cannot be read or exceeds maxBytes.
  virtual std::optional<std::string> readFile(const std::string& name, std::size_t maxBytes) = 0;
  // Creates (or truncates) the file, writes all bytes and flushes them to the disk.
  virtual bool writeNewFile(const std::string& name, const std::string& bytes) = 0;
  // Replaces target by source in one step.
  virtual bool replaceFile(const std::string& source, const std::string& target) = 0;
  virtual void deleteFile(const std::string& name) = 0;
};

// Results are the platform's error codes (0 = success).
class RegistryPort {
public:
  virtual ~RegistryPort() = default;
  virtual long regOpenKey(RegistryKey root, const std::string& path, std::uint32_t access,
                          RegistryKey& key) = 0;
  virtual long regQueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                             unsigned char* data, std::uint32_t& size) = 0;
  virtual void regCloseKey(RegistryKey key) = 0;
};

class PicturePort {
public:
  virtual ~PicturePort() = default;
  virtual IconHandle builtinIcon() = 0;
  // Loads an icon file at the tray's icon size; kNoIcon when it is not a loadable icon.
  virtual IconHandle loadIconFile(const std::string& path) = 0;
  virtual void destroyIcon(IconHandle icon) = 0;
};

class DialogPort {
public:
  virtual ~DialogPort() = default;
  virtual int messageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
  // Shows the pop-up menu at the pointer; returns the chosen command or MenuCommand::None.
  virtual MenuCommand showPopupMenu() = 0;
  // Returns the chosen full path, or "" when the user cancelled.
  virtual std::string openIconFileDialog(const std::string& filter,
                                         const std::string& initialDirectory) = 0;
};

// The whole platform, for the main window, which uses every role.
class Port : public ShellPort,
             public WindowPort,
             public FilePort,
             public RegistryPort,
             public PicturePort,
             public DialogPort {};

} // namespace wexla
