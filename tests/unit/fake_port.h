#pragma once
// The platform's roles in memory: files, registry values, windows and answers are scripted,
// every call is recorded by name, and a call that can fail does so when it is named in
// `failing`; the call named in `crashAt` throws instead, as if the program stopped there.
#include "platform/port.h"

#include <algorithm>
#include <cstring>
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
  int answer; // 0 when the box could not be shown
};
struct TrayCall {
  TrayMessage message;
  TrayIconRecord record;
};
struct RegistryValue {
  std::uint32_t type;
  std::string data;
};
struct SimulatedCrash : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class FakePort : public Port {
public:
  static constexpr IconHandle kBuiltin = 0xB1;
  static constexpr WindowHandle kDesktop = 0xD0;
  static constexpr WindowHandle kHook = 0x400;
  static constexpr long kNotFound = 2, kDenied = 5, kMoreData = 234;
  static constexpr int kIdOk = 1;
  // A failed box answers 0, a failed menu or file dialog returns as if dismissed, a failed
  // write leaves half the file behind.
  std::map<std::string, std::string> files; // full path -> bytes
  std::map<std::string, IconHandle> icons;  // loadable icon files
  std::map<std::string, std::map<std::string, RegistryValue>> registry;
  std::set<std::string> startable;
  std::deque<int> answers;             // message boxes; default IDOK
  std::deque<MenuCommand> menuChoices; // default: dismissed
  std::deque<std::string> picks;       // icon file dialog; default: cancelled
  std::set<std::string> failing;
  std::string crashAt;
  std::function<void()> whileModal; // runs while a menu or a message box is open
  std::string appDir = "C:\\Apps\\Wexla", currentDir = "C:\\Work";
  float twipsPerPixel = 15.0f;
  WindowHandle hook = kHook; // re-created windows get new handles

  std::vector<std::string> calls;
  std::vector<ShellCall> shellCalls;
  std::vector<MessageBoxCall> boxes;
  std::vector<TrayCall> tray;
  std::vector<MenuCommand> menuResults;
  std::vector<std::string> dialogResults, dialogArgs, started;
  std::set<RegistryKey> openKeys;
  std::set<FormId> loaded, visible;
  std::map<ControlId, bool> options; // as each was last set since the mouse window loaded
  std::set<IconHandle> destroyed;
  bool mainUnloaded = false;

  static std::string pathIn(const std::string& directory, const std::string& name) {
    return directory.ends_with('\\') ? directory + name : directory + "\\" + name;
  }
  int mails() const {
    return static_cast<int>(std::count_if(shellCalls.begin(), shellCalls.end(),
                                          [](const ShellCall& c) { return c.file == "mailto:"; }));
  }
  bool told(const std::string& start) const {
    return std::any_of(boxes.begin(), boxes.end(),
                       [&](const MessageBoxCall& box) { return box.text.starts_with(start); });
  }
  int count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
  }

  WindowHandle desktopWindow() override { return pass("desktopWindow", kDesktop); }
  std::intptr_t shellExecute(WindowHandle owner, const std::string& operation,
                             const std::string& file, const std::string& parameters,
                             const std::string& directory, int showCommand) override {
    constexpr std::intptr_t kStarted = 42, kNoAssociation = 31;
    shellCalls.push_back({owner, operation, file, parameters, directory, showCommand});
    return fails("shellExecute") ? kNoAssociation : kStarted;
  }
  bool notifyIcon(TrayMessage message, const TrayIconRecord& record) override {
    tray.push_back({message, record});
    return !fails("notifyIcon");
  }
  bool startProgram(const std::string& path, int /*showCommand*/) override {
    const bool ok = !fails("startProgram") && startable.count(path) != 0;
    return ok && (started.push_back(path), true);
  }
  float twipsPerPixelX() override { return pass("twipsPerPixelX", twipsPerPixel); }
  WindowHandle hookWindow() override { return pass("hookWindow", hook); }
  void unloadMainWindow() override { mainUnloaded = pass("unloadMainWindow", true); }
  bool formLoaded(FormId form) override { return pass("formLoaded", loaded.count(form) != 0); }
  void loadForm(FormId form) override {
    loaded.insert(pass("loadForm", form));
    options.clear();
  }
  void showForm(FormId form) override { visible.insert(pass("showForm", form)); }
  void unloadForm(FormId form) override {
    loaded.erase(pass("unloadForm", form));
    visible.erase(form);
  }
  // As a real option button does when told what to show: the others are left as they are.
  void setOptionSelected(FormId, ControlId option, bool selected) override {
    options[option] = pass("setOptionSelected", selected);
  }

  std::string applicationDirectory() override { return pass("applicationDirectory", appDir); }
  bool setCurrentDirectory(const std::string& directory) override {
    return !fails("setCurrentDirectory") && (currentDir = directory, true);
  }
  std::string findOrdinaryFile(const std::string& pattern) override {
    const auto it = find(pattern);
    const bool found = !fails("findOrdinaryFile") && it != files.end();
    return found ? it->first.substr(it->first.find_last_of('\\') + 1) : "";
  }
  std::optional<std::string> readFile(const std::string& name, std::size_t maxBytes) override {
    const auto it = find(name);
    const bool ok = !fails("readFile") && it != files.end() && it->second.size() <= maxBytes;
    return ok ? std::optional(it->second) : std::nullopt;
  }
  bool writeNewFile(const std::string& name, const std::string& bytes) override {
    std::string& file = files[pathIn(currentDir, name)];
    file = bytes.substr(0, bytes.size() / 2); // what a full disk or a kill leaves
    return !fails("writeNewFile") && (file = bytes, true);
  }
  bool replaceFile(const std::string& source, const std::string& target) override {
    const auto it = find(source);
    if (fails("replaceFile") || it == files.end()) {
      return false;
    }
    files[pathIn(currentDir, target)] = it->second;
    return files.erase(it), true;
  }
  void deleteFile(const std::string& name) override {
    if (!fails("deleteFile")) {
      files.erase(pathIn(currentDir, name));
    }
  }

  long regOpenKey(RegistryKey, const std::string& path, std::uint32_t, RegistryKey& key) override {
    if (fails("regOpenKey") || registry.count(path) == 0) {
      return failing.count("regOpenKey") ? kDenied : kNotFound;
    }
    key = nextKey_++;
    keyPaths_[key] = path;
    return openKeys.insert(key), 0;
  }
  long regQueryValue(RegistryKey key, const std::string& name, std::uint32_t& type,
                     unsigned char* data, std::uint32_t& size) override {
    const auto& values = registry[keyPaths_.at(key)];
    const auto it = values.find(name);
    if (fails("regQueryValue") || it == values.end()) {
      return failing.count("regQueryValue") ? kDenied : kNotFound;
    }
    type = it->second.type;
    const bool fits = it->second.data.size() <= size;
    size = static_cast<std::uint32_t>(it->second.data.size());
    return fits ? (std::memcpy(data, it->second.data.data(), size), 0) : kMoreData;
  }
  // Closing the "no key" of a failed open is harmless; any other stray handle is not.
  void regCloseKey(RegistryKey key) override {
    if (pass("regCloseKey", key) != 0 && openKeys.erase(key) == 0) {
      throw std::logic_error("closing a registry key that is not open");
    }
  }

  IconHandle builtinIcon() override { return pass("builtinIcon", kBuiltin); }
  IconHandle loadIconFile(const std::string& path) override {
    const auto it = icons.find(path);
    return fails("loadIconFile") || it == icons.end() ? kNoIcon : it->second;
  }
  void destroyIcon(IconHandle icon) override { destroyed.insert(pass("destroyIcon", icon)); }

  int messageBox(const std::string& text, const std::string& caption, unsigned style) override {
    boxes.push_back({text, caption, style, 0});
    const std::size_t index = boxes.size() - 1; // boxes opened meanwhile come after it
    if (fails("messageBox")) {
      return 0;
    }
    modal();
    return boxes[index].answer = next(answers, kIdOk);
  }
  MenuCommand showPopupMenu() override {
    const bool shown = !fails("showPopupMenu") && (modal(), true);
    menuResults.push_back(shown ? next(menuChoices, MenuCommand::None) : MenuCommand::None);
    return menuResults.back();
  }
  std::string openIconFileDialog(const std::string& filter, const std::string& folder) override {
    dialogArgs = {filter, folder};
    const bool shown = !fails("openIconFileDialog");
    dialogResults.push_back(shown ? next(picks, std::string()) : "");
    return dialogResults.back();
  }

private:
  bool fails(const std::string& call) {
    calls.push_back(call);
    if (crashAt == call) {
      crashAt.clear();
      throw SimulatedCrash(call);
    }
    return failing.count(call) != 0;
  }
  template <typename T> T pass(const std::string& call, T value) {
    fails(call);
    return value;
  }
  void modal() {
    if (whileModal) {
      whileModal();
    }
  }
  template <typename T> static T next(std::deque<T>& queue, T fallback) {
    if (!queue.empty()) {
      fallback = queue.front();
      queue.pop_front();
    }
    return fallback;
  }
  // Names without a drive or a leading backslash are relative to the current directory.
  std::map<std::string, std::string>::iterator find(const std::string& name) {
    const bool absolute = name.size() > 1 && (name[1] == ':' || name[0] == '\\');
    const auto upper = [](std::string text) {
      std::transform(text.begin(), text.end(), text.begin(), ::toupper);
      return text;
    };
    const std::string wanted = upper(absolute ? name : pathIn(currentDir, name));
    return std::find_if(files.begin(), files.end(),
                        [&](const auto& entry) { return upper(entry.first) == wanted; });
  }
  std::map<RegistryKey, std::string> keyPaths_;
  RegistryKey nextKey_ = 0x1000;
};

} // namespace wexla::test
