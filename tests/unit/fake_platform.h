#pragma once
// Every role of the port in memory: files, registry texts, icons and answers are scripted, and
// every call is logged as one line of text, what a box, menu or file dialog answered as a
// "reply <call>" line after it. A call named in `failing` fails. Program wires the whole program
// to it, as the Win32 entry point wires it to the real system.
#include "dialogs/dialog_set.h"
#include "platform/port.h"
#include "platform/tray_messages.h"
#include "tray/tray_program.h"

#include <gtest/gtest.h>
#include <strings.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace wexla::test {

inline std::string str(const Text& text) {
  return std::string(text.view());
}

// A loaded icon tells when its owner lets it go.
struct FakeIcon final : Icon {
  FakeIcon(std::string name, std::set<std::string>& released)
      : name(std::move(name)), gone(released) {}
  ~FakeIcon() override { gone.insert(name); }
  std::string name;
  std::set<std::string>& gone;
};

class FakePlatform final : public Pictures,
                           public NotificationArea,
                           public Shell,
                           public Messages,
                           public Choices,
                           public Files,
                           public Registry,
                           public WindowControl {
public:
  std::map<std::string, std::string> files;    // full path -> bytes
  std::set<std::string> icons;                 // loadable icon files
  std::map<std::string, std::string> registry; // "key|value" -> text
  std::set<std::string> startable, openable, failing, releasedIcons;
  std::deque<Answer> answers; // none left: the box was closed
  std::deque<MenuCommand> menuChoices;
  std::deque<std::string> picks;    // icon files chosen; default: cancelled
  std::function<void()> whileModal; // runs while a menu or a message box is open
  std::string programDir = "C:\\Apps\\Wexla", currentDir = "C:\\Work";
  std::vector<std::string> log;
  std::string trayIcon; // what the notification area shows; "" = nothing
  std::set<WindowId> windows;

  static std::string pathIn(const std::string& folder, std::string_view name) {
    return folder + (folder.ends_with('\\') ? "" : "\\") + std::string(name);
  }
  // The calls of the named kinds, in the order they were made, each ended by "; ".
  std::string trace(std::initializer_list<std::string_view> kinds) const {
    std::string found;
    for (const std::string& line : log) {
      if (std::ranges::any_of(kinds, [&](std::string_view kind) { return line.starts_with(kind); }))
        found += line + "; ";
    }
    return found;
  }
  int count(const std::string& start) const {
    return static_cast<int>(
        std::ranges::count_if(log, [&](auto& line) { return line.starts_with(start); }));
  }
  bool told(const std::string& start) const { return count("tell " + start) > 0; }
  static std::string id(WindowId window) { return std::to_string(windowIndex(window)); }

  const Icon& builtinIcon() override { return builtin_; }
  std::unique_ptr<Icon> loadIcon(const Text& path) override {
    const bool ok = !fails("loadIcon", path) && icons.count(str(path)) != 0;
    return ok ? std::make_unique<FakeIcon>(str(path), releasedIcons) : nullptr;
  }
  bool addIcon(const Icon& icon) override { return showIcon("addIcon", icon); }
  bool changeIcon(const Icon& icon) override { return showIcon("changeIcon", icon); }
  void removeIcon() override { trayIcon = fails("removeIcon") ? trayIcon : ""; }

  void openMail() override { fails("openMail"); }
  bool openDocument(const Text& name) override {
    return !fails("openDocument", name) && openable.count(str(name)) != 0;
  }
  bool startProgram(const Text& path) override {
    return !fails("startProgram", path) && startable.count(str(path)) != 0;
  }

  Answer ask(const Text& question) override {
    return modal("ask", question, answers, Answer::None);
  }
  void tell(const Text& text, Notice kind) override {
    fails("tell", str(text) + " /" + std::to_string(static_cast<int>(kind)));
  }
  MenuCommand choosePopupMenuCommand() override {
    return modal("menu", "", menuChoices, MenuCommand::None);
  }
  Text chooseIconFile(const Text& folder) override {
    return Text(modal("chooseIconFile", folder, picks, {}));
  }

  Text programFolder() override { return Text(programDir); }
  bool enterFolder(const Text& folder) override {
    return !fails("enterFolder", folder) && (currentDir = str(folder), true);
  }
  Text findOrdinaryFile(const Text& pattern) override {
    const auto it = find(pattern);
    const bool found = !fails("findOrdinaryFile", pattern) && it != files.end();
    return Text(found ? it->first.substr(it->first.find_last_of('\\') + 1) : "");
  }
  std::optional<Text> readFile(const Text& name, std::size_t maxBytes) override {
    const auto it = find(name);
    const bool ok = !fails("readFile", name) && it != files.end() && it->second.size() <= maxBytes;
    return ok ? std::optional(Text(it->second)) : std::nullopt;
  }
  bool writeNewFile(const Text& name, const Text& bytes) override {
    std::string& file = files[pathIn(currentDir, name)];
    file = str(bytes).substr(0, bytes.size() / 2); // what a full disk leaves
    return !fails("writeNewFile", name) && (file = str(bytes), true);
  }
  bool replaceFile(const Text& source, const Text& target) override {
    const auto it = find(source);
    const bool ok = !fails("replaceFile", source) && it != files.end();
    return ok && (files[pathIn(currentDir, target)] = it->second, files.erase(it), true);
  }
  void deleteFile(const Text& name) override {
    files.erase(fails("deleteFile", name) ? "" : pathIn(currentDir, name));
  }

  std::optional<Text> readRegistryText(RegistryRoot, const Text& key, const Text& value) override {
    const auto it = registry.find(str(key) + "|" + str(value));
    const bool ok = !fails("readRegistryText", str(key) + "|" + str(value)) && it != registry.end();
    return ok ? std::optional(Text(it->second)) : std::nullopt;
  }

  bool createWindow(WindowId window) override {
    fails("createWindow", id(window));
    return windows.insert(window).second;
  }
  void showWindow(WindowId window) override { fails("showWindow", id(window)); }
  void closeWindow(WindowId window) override {
    fails("closeWindow", id(window));
    windows.erase(window);
  }
  void setOptionChecked(ControlId option, bool checked) override {
    fails("setOptionChecked",
          std::to_string(static_cast<int>(option)) + (checked ? " on" : " off"));
  }
  void closeMainWindow() override { fails("closeMainWindow"); }

private:
  bool fails(const std::string& name, std::string_view argument = {}) {
    log.push_back(argument.empty() ? name : name + " " + std::string(argument));
    return failing.count(name) != 0;
  }
  bool showIcon(const std::string& call, const Icon& icon) {
    const auto* loaded = dynamic_cast<const FakeIcon*>(&icon);
    return !fails(call, loaded ? loaded->name : "builtin") &&
           (trayIcon = loaded ? loaded->name : "builtin", true);
  }
  // The next scripted answer; a box that could not be shown, or had none left, answers as
  // closed. Calls made while it is open come after its reply in the log.
  template <typename T>
  T modal(const std::string& call, std::string_view about, std::deque<T>& queue, T closed) {
    const bool answered = !fails(call, about) && !queue.empty();
    const T answer = answered ? queue.front() : closed;
    if (answered)
      queue.pop_front();
    if constexpr (std::is_enum_v<T>)
      log.push_back("reply " + call + " " + std::to_string(static_cast<int>(answer)));
    else
      log.push_back("reply " + call + " " + answer);
    if (whileModal)
      whileModal();
    return answer;
  }
  // Names without a drive or a leading backslash are relative to the current folder.
  std::map<std::string, std::string>::iterator find(std::string_view name) {
    const bool absolute = name.size() > 1 && (name[1] == ':' || name[0] == '\\');
    const std::string wanted = absolute ? std::string(name) : pathIn(currentDir, name);
    return std::find_if(files.begin(), files.end(), [&](const auto& entry) {
      return strcasecmp(entry.first.c_str(), wanted.c_str()) == 0;
    });
  }
  struct BuiltinIcon final : Icon {
  } builtin_;
};

// The mouse messages the shell reports through the callback, in their numeric order.
enum : unsigned { kMouseMove = 512, kLeftDown, kLeftUp, kLeftDouble, kRightDown, kRightUp };

struct Program {
  FakePlatform platform;
  EditedSettings settings;
  DialogSet dialogs{{platform, platform, platform, platform, platform}, settings};
  TrayProgram tray{{platform, platform, platform, platform, platform, platform, platform},
                   settings,
                   dialogs.table};

  void choose(MenuCommand command) {
    platform.menuChoices.push_back(command);
    tray.onTrayMessage(kRightUp);
  }
};

class App : public ::testing::Test, protected Program {};

} // namespace wexla::test
