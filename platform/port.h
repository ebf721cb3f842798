#pragma once
// What the program asks of the system, one small interface per role, each named by what the
// program wants done rather than by the system call that does it. The Win32 implementation
// talks to the real system; the unit tests' fake records what was asked. A unit takes only the
// roles it uses.
#include "platform/menu_command.h"
#include "platform/text.h"
#include "platform/window_ids.h"

#include <memory>
#include <optional>

namespace wexla {

// A picture that can serve as the notification icon. Whoever holds the pointer owns the
// picture; the platform releases it when the pointer goes.
class Icon {
public:
  Icon() = default;
  Icon(const Icon&) = delete;
  Icon& operator=(const Icon&) = delete;
  virtual ~Icon() = default;
};

class Pictures {
public:
  virtual ~Pictures() = default;
  // The program's own envelope; it lives as long as the platform.
  virtual const Icon& builtinIcon() = 0;
  // Nothing when the file is not a loadable icon.
  virtual std::unique_ptr<Icon> loadIcon(const Text& path) = 0;
};

// The one notification-area icon of the program, with its tip and its callback.
class NotificationArea {
public:
  virtual ~NotificationArea() = default;
  virtual bool addIcon(const Icon& icon) = 0;
  virtual bool changeIcon(const Icon& icon) = 0;
  virtual void removeIcon() = 0;
};

class Shell {
public:
  virtual ~Shell() = default;
  // Asks the shell to open "mailto:": the default mail program opens a new message.
  virtual void openMail() = 0;
  // Opens a document of the current folder with its registered program; false when the shell
  // reports that it could not.
  virtual bool openDocument(const Text& name) = 0;
  // Starts the program file, normally and with the focus, without waiting for it.
  virtual bool startProgram(const Text& path) = 0;
};

enum class Answer { Yes, No, None };
enum class Notice { Plain, Information, Warning };

class Messages {
public:
  virtual ~Messages() = default;
  // A yes/no question; None when the box could not be shown.
  virtual Answer ask(const Text& question) = 0;
  virtual void tell(const Text& text, Notice kind) = 0;
};

class Choices {
public:
  virtual ~Choices() = default;
  // Shows the pop-up menu at the pointer; MenuCommand::None when it closed without a choice.
  virtual MenuCommand choosePopupMenuCommand() = 0;
  // The full path of the icon file the user picked, or "" when the user cancelled.
  virtual Text chooseIconFile(const Text& initialFolder) = 0;
};

class Files {
public:
  virtual ~Files() = default;
  virtual Text programFolder() = 0;
  // Makes the folder the current one, against which bare file names resolve.
  virtual bool enterFolder(const Text& folder) = 0;
  // The name of an ordinary (not hidden, not system, not folder) file the pattern matches,
  // or "" when there is none.
  virtual Text findOrdinaryFile(const Text& pattern) = 0;
  // The file's bytes; nothing when it cannot be read or holds more than maxBytes.
  virtual std::optional<Text> readFile(const Text& name, std::size_t maxBytes) = 0;
  // Creates (or truncates) the file, writes all bytes and flushes them to the disk.
  virtual bool writeNewFile(const Text& name, const Text& bytes) = 0;
  // Replaces target by source in one step.
  virtual bool replaceFile(const Text& source, const Text& target) = 0;
  virtual void deleteFile(const Text& name) = 0;
};

enum class RegistryRoot { LocalMachine };

class Registry {
public:
  virtual ~Registry() = default;
  // The value as text; nothing when the key or the value cannot be read. A value of a type
  // that has no text reads as "".
  virtual std::optional<Text> readRegistryText(RegistryRoot root, const Text& key,
                                               const Text& value) = 0;
};

// What the logic does to the program's own windows: the secondary ones, and closing the
// hidden main window.
class WindowControl {
public:
  virtual ~WindowControl() = default;
  // Creates the window, hidden, unless it exists; true when it was created now.
  virtual bool createWindow(WindowId window) = 0;
  // Makes an existing window visible and brings it to the front.
  virtual void showWindow(WindowId window) = 0;
  virtual void closeWindow(WindowId window) = 0;
  virtual void setOptionChecked(ControlId option, bool checked) = 0;
  // The process ends once no window of the program is left.
  virtual void closeMainWindow() = 0;
};

} // namespace wexla
