#pragma once
// The platform's roles in memory: files, registry values, windows and answers are scripted,
// every call is logged with its arguments as text, and a call that can fail does so when it is
// named in `failing`; the call named in `crashAt` throws instead, as if the program stopped there.
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

using Args = std::vector<std::string>;
struct Call {
  std::string name;
  Args args; // calls that answer something log the answer last
};
struct RegistryValue {
  std::uint32_t type;
  std::string data;
  std::uint32_t claimedSize = 0; // a registry that lies: this size, reported with success
};
struct SimulatedCrash : std::runtime_error {
  using std::runtime_error::runtime_error;
};
template <typename T> std::string text(T value) {
  return std::to_string(static_cast<std::uintmax_t>(value));
}
inline std::string text(const std::string& value) {
  return value;
}

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

  std::vector<Call> log;
  std::vector<std::string> started;
  std::set<RegistryKey> openKeys;
  std::set<FormId> loaded, visible;
  std::map<ControlId, bool> options; // as each was last set since the mouse window loaded
  std::set<IconHandle> destroyed;
  bool mainUnloaded = false;

  static std::string pathIn(const std::string& directory, const std::string& name) {
    return directory.ends_with('\\') ? directory + name : directory + "\\" + name;
  }
  std::vector<Args> of(const std::string& name) const {
    std::vector<Args> found;
    for (const Call& call : log) {
      if (call.name == name) {
        found.push_back(call.args);
      }
    }
    return found;
  }
  // Calls so named whose argument `arg` starts with `prefix`.
  int count(const std::string& name, std::size_t arg = 0, const std::string& prefix = "") const {
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const Call& c) {
      return c.name == name &&
             (prefix.empty() || (arg < c.args.size() && c.args[arg].starts_with(prefix)));
    }));
  }
  int mails() const { return count("shellExecute", 2, "mailto:"); }
  bool told(const std::string& start) const { return count("messageBox", 0, start) > 0; }

  WindowHandle desktopWindow() override { return pass("desktopWindow", kDesktop); }
  std::intptr_t shellExecute(WindowHandle owner, const std::string& operation,
                             const std::string& file, const std::string& parameters,
                             const std::string& directory, int showCommand) override {
    // The shell's answers nearest the line between them: its greatest error, its least success.
    constexpr std::intptr_t kStarted = 33, kDllNotFound = 32;
    const Args args{text(owner), operation, file, parameters, directory, text(showCommand)};
    return fails("shellExecute", args) ? kDllNotFound : kStarted;
  }
  bool notifyIcon(TrayMessage message, const TrayIconRecord& r) override {
    return !fails("notifyIcon",
                  {text(message), text(r.hIcon), text(r.hWnd), text(r.cbSize), text(r.uID),
                   text(r.uFlags), text(r.uCallbackMessage), std::string(r.szTip, sizeof r.szTip)});
  }
  bool startProgram(const std::string& path, int /*showCommand*/) override {
    const bool ok = !fails("startProgram", {path}) && startable.count(path) != 0;
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
    return !fails("setCurrentDirectory", {directory}) && (currentDir = directory, true);
  }
  std::string findOrdinaryFile(const std::string& pattern) override {
    const auto it = find(pattern);
    const bool found = !fails("findOrdinaryFile", {pattern}) && it != files.end();
    return found ? it->first.substr(it->first.find_last_of('\\') + 1) : "";
  }
  std::optional<std::string> readFile(const std::string& name, std::size_t maxBytes) override {
    const auto it = find(name);
    const bool ok =
        !fails("readFile", {name}) && it != files.end() && it->second.size() <= maxBytes;
    return ok ? std::optional(it->second) : std::nullopt;
  }
  bool writeNewFile(const std::string& name, const std::string& bytes) override {
    std::string& file = files[pathIn(currentDir, name)];
    file = bytes.substr(0, bytes.size() / 2); // what a full disk or a kill leaves
    return !fails("writeNewFile", {name}) && (file = bytes, true);
  }
  bool replaceFile(const std::string& source, const std::string& target) override {
    const auto it = find(source);
    if (fails("replaceFile", {source, target}) || it == files.end()) {
      return false;
    }
    files[pathIn(currentDir, target)] = it->second;
    return files.erase(it), true;
  }
  void deleteFile(const std::string& name) override {
    if (!fails("deleteFile", {name})) {
      files.erase(pathIn(currentDir, name));
    }
  }

  long regOpenKey(RegistryKey, const std::string& path, std::uint32_t, RegistryKey& key) override {
    if (fails("regOpenKey", {path}) || registry.count(path) == 0) {
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
    if (fails("regQueryValue", {name}) || it == values.end()) {
      return failing.count("regQueryValue") ? kDenied : kNotFound;
    }
    const auto& [storedType, bytes, claimedSize] = it->second;
    type = storedType;
    const bool fits = bytes.size() <= size;
    size = claimedSize != 0 ? claimedSize : static_cast<std::uint32_t>(bytes.size());
    return fits ? (std::memcpy(data, bytes.data(), bytes.size()), 0) : kMoreData;
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
    return fails("loadIconFile", {path}) || it == icons.end() ? kNoIcon : it->second;
  }
  void destroyIcon(IconHandle icon) override { destroyed.insert(pass("destroyIcon", icon)); }

  int messageBox(const std::string& message, const std::string& caption, unsigned style) override {
    return modal(!fails("messageBox", {message, caption, text(style)}), answers, kIdOk);
  }
  MenuCommand showPopupMenu() override {
    return modal(!fails("showPopupMenu"), menuChoices, MenuCommand::None);
  }
  std::string openIconFileDialog(const std::string& filter, const std::string& folder) override {
    return modal(!fails("openIconFileDialog", {filter, folder}), picks, std::string());
  }

private:
  bool fails(const std::string& name, Args args = {}) {
    log.push_back({name, std::move(args)});
    if (crashAt == name) {
      crashAt.clear();
      throw SimulatedCrash(name);
    }
    return failing.count(name) != 0;
  }
  template <typename T> T pass(const std::string& name, T value) {
    fails(name);
    return value;
  }
  // The answer is logged with the call; calls made while it is open come after it. A failed
  // call answers 0, as if dismissed.
  template <typename T> T modal(bool shown, std::deque<T>& queue, T answer) {
    const std::size_t index = log.size() - 1;
    if (shown && whileModal) {
      whileModal();
    }
    if (!shown) {
      answer = T{};
    } else if (!queue.empty()) {
      answer = queue.front();
      queue.pop_front();
    }
    log[index].args.push_back(text(answer));
    return answer;
  }
  // Names without a drive or a leading backslash are relative to the current directory.
  std::map<std::string, std::string>::iterator find(const std::string& name) {
    const bool absolute = name.size() > 1 && (name[1] == ':' || name[0] == '\\');
    const auto upper = [](std::string s) {
      std::transform(s.begin(), s.end(), s.begin(), ::toupper);
      return s;
    };
    const std::string wanted = upper(absolute ? name : pathIn(currentDir, name));
    return std::find_if(files.begin(), files.end(),
                        [&](const auto& entry) { return upper(entry.first) == wanted; });
  }
  std::map<RegistryKey, std::string> keyPaths_;
  RegistryKey nextKey_ = 0x1000;
};

} // namespace wexla::test
