#pragma once
// Every role of the port in memory: files, registry texts, icons and answers are scripted, and
// every call is logged as one line of text. A call named in `failing` fails; the call named in
// `crashAt` throws instead, as if the program stopped there.
#include "platform/port.h"
#include "tray/settings_file.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace wexla {
// Test failures show a Text as the string it holds.
inline void PrintTo(const Text& text, std::ostream* out) {
  *out << '"' << text.view() << '"';
}
} // namespace wexla

namespace wexla::test {

inline std::string str(const Text& text) {
  return std::string(text.view());
}
inline std::string settingsLine(std::string_view iconPath, bool doubleClickOnly) {
  return str(formatSettingsLine({Text(iconPath), doubleClickOnly}));
}

struct SimulatedCrash : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct FakeIcon final : Icon {
  FakeIcon(std::string name, std::set<std::string>* released)
      : name(std::move(name)), released(released) {}
  ~FakeIcon() override {
    if (released != nullptr) {
      released->insert(name);
    }
  }
  std::string name;
  std::set<std::string>* released;
};

class FakePlatform final : public Pictures,
                           public NotificationArea,
                           public Shell,
                           public Messages,
                           public Choices,
                           public Files,
                           public Registry,
                           public Windows {
public:
  std::map<std::string, std::string> files;                   // full path -> bytes
  std::set<std::string> icons;                                // loadable icon files
  std::map<std::string, std::optional<std::string>> registry; // "key|value" -> text
  std::set<std::string> startable, openable{"wexla98.hlp", "wexla98.htm"};
  std::deque<Answer> answers; // default Yes
  std::deque<MenuCommand> menuChoices;
  std::deque<std::string> picks; // icon files chosen; default: cancelled
  std::set<std::string> failing;
  std::string crashAt;
  std::function<void()> whileModal; // runs while a menu or a message box is open
  std::string programDir = "C:\\Apps\\Wexla", currentDir = "C:\\Work";

  std::vector<std::string> log;
  std::vector<std::string> replies;    // what each box, menu or file dialog that was shown answered
  std::string trayIcon;                // what the notification area shows; "" = nothing
  std::set<std::string> releasedIcons; // loaded icons whose owner let them go
  std::set<WindowId> windows, visible;
  std::map<ControlId, bool> options;
  bool mainClosed = false;

  static std::string pathIn(const std::string& folder, const std::string& name) {
    return folder.ends_with('\\') ? folder + name : folder + "\\" + name;
  }
  int count(const std::string& start) const {
    return static_cast<int>(std::count_if(
        log.begin(), log.end(), [&](const std::string& line) { return line.starts_with(start); }));
  }
  std::vector<std::string> calls(const std::string& start) const {
    std::vector<std::string> found;
    std::copy_if(log.begin(), log.end(), std::back_inserter(found),
                 [&](const std::string& line) { return line.starts_with(start); });
    return found;
  }
  static std::string replyText(Answer answer) {
    return answer == Answer::Yes ? "Yes" : answer == Answer::No ? "No" : "None";
  }
  static std::string replyText(MenuCommand command) {
    return "menu " + std::to_string(static_cast<int>(command));
  }
  static std::string replyText(const std::string& path) { return path; }
  bool told(const std::string& start) const { return count("tell " + start) > 0; }

  const Icon& builtinIcon() override { return builtin_; }
  std::unique_ptr<Icon> loadIcon(const Text& file) override {
    const std::string path(file);
    const bool ok = !fails("loadIcon " + path) && icons.count(path) != 0;
    return ok ? std::make_unique<FakeIcon>(path, &releasedIcons) : nullptr;
  }

  bool addIcon(const Icon& icon) override { return showIcon("addIcon ", icon); }
  bool changeIcon(const Icon& icon) override { return showIcon("changeIcon ", icon); }
  void removeIcon() override {
    if (!fails("removeIcon")) {
      trayIcon.clear();
    }
  }

  void openMail() override { fails("openMail"); }
  bool openDocument(const Text& name) override {
    return !fails("openDocument " + std::string(name)) && openable.count(std::string(name)) != 0;
  }
  bool startProgram(const Text& path) override {
    return !fails("startProgram " + std::string(path)) && startable.count(std::string(path)) != 0;
  }

  Answer ask(const Text& question) override {
    return modal(!fails("ask " + std::string(question)), answers, Answer::Yes, Answer::None);
  }
  void tell(const Text& text, Notice kind) override {
    fails("tell " + std::string(text) + " /" + std::to_string(static_cast<int>(kind)));
  }

  MenuCommand choosePopupMenuCommand() override {
    return modal(!fails("menu"), menuChoices, MenuCommand::None, MenuCommand::None);
  }
  Text chooseIconFile(const Text& folder) override {
    return Text(modal(!fails("chooseIconFile " + std::string(folder)), picks, std::string(),
                      std::string()));
  }

  Text programFolder() override { return Text(programDir); }
  bool enterFolder(const Text& folder) override {
    return !fails("enterFolder " + std::string(folder)) && (currentDir = folder, true);
  }
  Text findOrdinaryFile(const Text& pattern) override {
    const auto it = find(std::string(pattern));
    const bool found = !fails("findOrdinaryFile " + std::string(pattern)) && it != files.end();
    return Text(found ? it->first.substr(it->first.find_last_of('\\') + 1) : "");
  }
  std::optional<Text> readFile(const Text& name, std::size_t maxBytes) override {
    const auto it = find(std::string(name));
    const bool ok = !fails("readFile " + std::string(name)) && it != files.end() &&
                    it->second.size() <= maxBytes;
    return ok ? std::optional(Text(it->second)) : std::nullopt;
  }
  bool writeNewFile(const Text& name, const Text& bytes) override {
    std::string& file = files[pathIn(currentDir, std::string(name))];
    file = std::string(bytes).substr(0, bytes.size() / 2); // what a full disk or a kill leaves
    return !fails("writeNewFile " + std::string(name)) && (file = bytes, true);
  }
  bool replaceFile(const Text& source, const Text& target) override {
    const auto it = find(std::string(source));
    if (fails("replaceFile " + std::string(source)) || it == files.end()) {
      return false;
    }
    files[pathIn(currentDir, std::string(target))] = it->second;
    return files.erase(it), true;
  }
  void deleteFile(const Text& name) override {
    if (!fails("deleteFile " + std::string(name))) {
      files.erase(pathIn(currentDir, std::string(name)));
    }
  }

  std::optional<Text> readRegistryText(RegistryRoot, const Text& key, const Text& value) override {
    const std::string entry = std::string(key) + "|" + std::string(value);
    const auto it = registry.find(entry);
    if (fails("readRegistryText " + entry) || it == registry.end() || !it->second) {
      return std::nullopt;
    }
    return Text(*it->second);
  }

  bool createWindow(WindowId window) override {
    fails("createWindow " + std::to_string(windowIndex(window)));
    return windows.insert(window).second && (options.clear(), true);
  }
  void showWindow(WindowId window) override {
    fails("showWindow " + std::to_string(windowIndex(window)));
    if (windows.count(window) != 0) { // as a real window: only one that exists shows
      visible.insert(window);
    }
  }
  void closeWindow(WindowId window) override {
    fails("closeWindow " + std::to_string(windowIndex(window)));
    windows.erase(window);
    visible.erase(window);
  }
  void setOptionChecked(ControlId option, bool checked) override {
    fails("setOptionChecked");
    options[option] = checked;
  }
  void closeMainWindow() override { mainClosed = !fails("closeMainWindow"); }

private:
  bool fails(const std::string& call) {
    log.push_back(call);
    const std::string name = call.substr(0, call.find(' '));
    if (crashAt == name) {
      crashAt.clear();
      throw SimulatedCrash(call);
    }
    return failing.count(name) != 0;
  }
  bool showIcon(const std::string& call, const Icon& icon) {
    const std::string name =
        &icon == &builtin_ ? "builtin" : dynamic_cast<const FakeIcon&>(icon).name;
    return !fails(call + name) && (trayIcon = name, true);
  }
  // Calls made while the box or menu is open come after it in the log; a box that could not
  // be shown answers `failed`.
  template <typename T> T modal(bool shown, std::deque<T>& queue, T fallback, T failed) {
    if (!shown) {
      return failed;
    }
    if (whileModal) {
      whileModal();
    }
    T answer = fallback;
    if (!queue.empty()) {
      answer = queue.front();
      queue.pop_front();
    }
    replies.push_back(replyText(answer));
    return answer;
  }
  // Names without a drive or a leading backslash are relative to the current folder.
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
  struct BuiltinIcon final : Icon {
  } builtin_;
};

} // namespace wexla::test
