#pragma once
// A scriptable stand-in for the platform: it keeps files, registry values and windows in
// memory, records every call, and can make any named call fail on demand.
#include "platform/port.h"

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace wexla::test {

struct ShellCall {
  WindowHandle owner;
  std::string operation, file, parameters, directory;
  int show;
};
struct MessageBoxCall {
  std::string text, caption;
  unsigned style;
  int answer = 0; // what the box returned; 0 when it could not be shown
};
struct TrayCall {
  TrayMessage message;
  TrayIconRecord record;
};
struct RegistryValue {
  std::uint32_t type;
  std::string data;
};

// Thrown at the call named in FakePort::crashAt: the program stops there, as if killed.
struct SimulatedCrash : std::runtime_error {
  explicit SimulatedCrash(const std::string& call) : std::runtime_error("crash at " + call) {}
};

class FakePort : public Port {
public:
  // Every call that reports failure to the program; each honours `failing`. A failed
  // messageBox returns 0, a failed menu or file dialog returns as if the user dismissed it
  // (leaving the scripted choice unused), a failed writeNewFile leaves half the file behind.
  static const std::vector<std::string>& failableCalls();

  // --- scripting ---
  std::map<std::string, std::string> files;    // name (as given) -> bytes
  std::set<std::string> hiddenFiles;           // present but not found by the search
  std::map<std::string, IconHandle> iconFiles; // loadable icons by path
  std::map<std::string, std::map<std::string, RegistryValue>> registry; // key path -> values
  std::set<std::string> startablePrograms;
  std::deque<int> messageBoxAnswers;     // default: IDOK (1)
  std::deque<MenuCommand> menuChoices;   // default: None
  std::deque<std::string> dialogChoices; // default: "" (cancel)
  std::set<std::string> failing;         // names of calls that fail
  std::string crashAt;                   // the next call of this name throws SimulatedCrash
  std::function<void()> duringMenu;      // runs while the pop-up menu is "open"
  std::function<void()> duringMessageBox;
  std::string appDir = "C:\\Apps\\Wexla";
  std::string currentDir = "C:\\Work";
  float twipsPerPixel = 15.0f;

  // --- records ---
  std::vector<std::string> calls;         // every Port call, by name, in order
  std::vector<MenuCommand> menuResults;   // what each pop-up menu returned
  std::vector<std::string> dialogResults; // what each icon file dialog returned
  std::vector<ShellCall> shellCalls;
  std::vector<MessageBoxCall> messageBoxes;
  std::vector<TrayCall> trayCalls;
  std::vector<std::string> startedPrograms;
  std::vector<std::uint32_t> registryAccessMasks;
  std::set<RegistryKey> openKeys;
  std::set<FormId> loadedForms, visibleForms;
  std::map<ControlId, bool> options;
  std::set<IconHandle> destroyedIcons;
  int popupMenuDepth = 0;
  bool mainWindowUnloaded = false;
  std::string lastDialogFilter, lastDialogDirectory;

  static constexpr IconHandle kBuiltin = 0xB1;
  static constexpr WindowHandle kDesktop = 0xD0;
  static constexpr WindowHandle kHook = 0x400;

  int mailRequests() const;
  std::string fileAt(const std::string& directory, const std::string& name) const;
  void putFile(const std::string& directory, const std::string& name, const std::string& bytes);

  // --- Port ---
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
  // Records the call and stops there when a crash is due (once).
  void enter(const std::string& call);
  bool fails(const std::string& call);
  std::string resolve(const std::string& name) const;
  std::map<RegistryKey, std::string> keyPaths_;
  RegistryKey nextKey_ = 0x1000;
};

} // namespace wexla::test
