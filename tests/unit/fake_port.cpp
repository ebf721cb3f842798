#include "tests/unit/fake_port.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace wexla::test {
namespace {

constexpr int kIdOk = 1;
constexpr long kFileNotFound = 2;
constexpr long kMoreData = 234;
constexpr long kAccessDenied = 5;

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

bool isAbsolute(const std::string& name) {
  return name.size() > 1 && (name[1] == ':' || name[0] == '\\');
}

std::string baseName(const std::string& path) {
  const auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

const std::vector<std::string>& FakePort::failableCalls() {
  static const std::vector<std::string> names{
      "notifyIcon",         "shellExecute",  "messageBox",          "showPopupMenu",
      "openIconFileDialog", "loadIconFile",  "setCurrentDirectory", "findOrdinaryFile",
      "readFile",           "writeNewFile",  "replaceFile",         "deleteFile",
      "regOpenKey",         "regQueryValue", "startProgram",
  };
  return names;
}

void FakePort::enter(const std::string& call) {
  calls.push_back(call);
  if (!crashAt.empty() && crashAt == call) {
    crashAt.clear();
    throw SimulatedCrash(call);
  }
}

bool FakePort::fails(const std::string& call) {
  enter(call);
  return failing.count(call) != 0;
}

std::string FakePort::resolve(const std::string& name) const {
  return isAbsolute(name) ? name : currentDir + "\\" + name;
}

int FakePort::mailRequests() const {
  return static_cast<int>(std::count_if(shellCalls.begin(), shellCalls.end(),
                                        [](const ShellCall& c) { return c.file == "mailto:"; }));
}

std::string FakePort::fileAt(const std::string& directory, const std::string& name) const {
  const auto it = files.find(directory + "\\" + name);
  return it == files.end() ? std::string("<missing>") : it->second;
}

void FakePort::putFile(const std::string& directory, const std::string& name,
                       const std::string& bytes) {
  files[directory + "\\" + name] = bytes;
}

WindowHandle FakePort::desktopWindow() {
  enter("desktopWindow");
  return kDesktop;
}

std::intptr_t FakePort::shellExecute(WindowHandle owner, const std::string& operation,
                                     const std::string& file, const std::string& parameters,
                                     const std::string& directory, int showCommand) {
  constexpr std::intptr_t kShellSuccess = 42;
  constexpr std::intptr_t kNoAssociation = 31;
  const bool failed = fails("shellExecute");
  shellCalls.push_back({owner, operation, file, parameters, directory, showCommand});
  return failed ? kNoAssociation : kShellSuccess;
}

bool FakePort::notifyIcon(TrayMessage message, const TrayIconRecord& record) {
  const bool failed = fails("notifyIcon");
  trayCalls.push_back({message, record});
  return !failed;
}

int FakePort::messageBox(const std::string& text, const std::string& caption, unsigned style) {
  constexpr int kBoxFailed = 0;
  const bool failed = fails("messageBox");
  messageBoxes.push_back({text, caption, style, kBoxFailed});
  // Boxes opened from inside this one's message loop are appended after it.
  const std::size_t index = messageBoxes.size() - 1;
  if (failed) {
    return kBoxFailed;
  }
  if (duringMessageBox) {
    duringMessageBox();
  }
  int answer = kIdOk;
  if (!messageBoxAnswers.empty()) {
    answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
  }
  messageBoxes[index].answer = answer;
  return answer;
}

float FakePort::twipsPerPixelX() {
  enter("twipsPerPixelX");
  return twipsPerPixel;
}

WindowHandle FakePort::hookWindow() {
  enter("hookWindow");
  return kHook;
}

MenuCommand FakePort::showPopupMenu() {
  if (fails("showPopupMenu")) {
    menuResults.push_back(MenuCommand::None);
    return MenuCommand::None;
  }
  ++popupMenuDepth;
  if (duringMenu) {
    duringMenu();
  }
  --popupMenuDepth;
  MenuCommand choice = MenuCommand::None;
  if (!menuChoices.empty()) {
    choice = menuChoices.front();
    menuChoices.pop_front();
  }
  menuResults.push_back(choice);
  return choice;
}

std::string FakePort::openIconFileDialog(const std::string& filter,
                                         const std::string& initialDirectory) {
  const bool failed = fails("openIconFileDialog");
  lastDialogFilter = filter;
  lastDialogDirectory = initialDirectory;
  std::string choice;
  if (!failed && !dialogChoices.empty()) {
    choice = dialogChoices.front();
    dialogChoices.pop_front();
  }
  dialogResults.push_back(choice);
  return choice;
}

void FakePort::unloadMainWindow() {
  enter("unloadMainWindow");
  mainWindowUnloaded = true;
}

bool FakePort::formLoaded(FormId form) {
  enter("formLoaded");
  return loadedForms.count(form) != 0;
}

void FakePort::loadForm(FormId form) {
  enter("loadForm");
  loadedForms.insert(form);
}

void FakePort::showForm(FormId form) {
  enter("showForm");
  visibleForms.insert(form);
}

void FakePort::unloadForm(FormId form) {
  enter("unloadForm");
  loadedForms.erase(form);
  visibleForms.erase(form);
  if (form == FormId::Mouse) {
    options.clear();
  }
}

void FakePort::setOptionSelected(FormId /*form*/, ControlId option, bool selected) {
  enter("setOptionSelected");
  options[option] = selected;
  if (selected) {
    for (auto& [other, state] : options) {
      if (other != option) {
        state = false;
      }
    }
  }
}

IconHandle FakePort::builtinIcon() {
  enter("builtinIcon");
  return kBuiltin;
}

IconHandle FakePort::loadIconFile(const std::string& path) {
  if (fails("loadIconFile")) {
    return kNoIcon;
  }
  const auto it = iconFiles.find(path);
  return it == iconFiles.end() ? kNoIcon : it->second;
}

void FakePort::destroyIcon(IconHandle icon) {
  enter("destroyIcon");
  destroyedIcons.insert(icon);
}

std::string FakePort::applicationDirectory() {
  enter("applicationDirectory");
  return appDir;
}

bool FakePort::setCurrentDirectory(const std::string& directory) {
  if (fails("setCurrentDirectory")) {
    return false;
  }
  currentDir = directory;
  return true;
}

std::string FakePort::findOrdinaryFile(const std::string& pattern) {
  if (fails("findOrdinaryFile")) {
    return "";
  }
  const std::string wanted = upper(resolve(pattern));
  for (const auto& [path, bytes] : files) {
    if (upper(path) == wanted && hiddenFiles.count(path) == 0) {
      return baseName(path);
    }
  }
  return "";
}

std::optional<std::string> FakePort::readFile(const std::string& name, std::size_t maxBytes) {
  if (fails("readFile")) {
    return std::nullopt;
  }
  const std::string wanted = upper(resolve(name));
  for (const auto& [path, bytes] : files) {
    if (upper(path) == wanted) {
      if (bytes.size() > maxBytes) {
        return std::nullopt;
      }
      return bytes;
    }
  }
  return std::nullopt;
}

bool FakePort::writeNewFile(const std::string& name, const std::string& bytes) {
  // A failed or interrupted write may leave a partial file behind, as a full disk would.
  const std::string partial = bytes.substr(0, bytes.size() / 2);
  if (crashAt == "writeNewFile") {
    files[resolve(name)] = partial;
  }
  if (fails("writeNewFile")) {
    files[resolve(name)] = partial;
    return false;
  }
  files[resolve(name)] = bytes;
  return true;
}

bool FakePort::replaceFile(const std::string& source, const std::string& target) {
  if (fails("replaceFile")) {
    return false;
  }
  const auto it = files.find(resolve(source));
  if (it == files.end()) {
    return false;
  }
  files[resolve(target)] = it->second;
  files.erase(it);
  return true;
}

void FakePort::deleteFile(const std::string& name) {
  if (!fails("deleteFile")) {
    files.erase(resolve(name));
  }
}

long FakePort::regOpenKey(RegistryKey /*root*/, const std::string& path, std::uint32_t access,
                          RegistryKey& key) {
  const bool failed = fails("regOpenKey");
  registryAccessMasks.push_back(access);
  if (failed) {
    return kAccessDenied;
  }
  if (registry.count(path) == 0) {
    return kFileNotFound;
  }
  key = nextKey_++;
  keyPaths_[key] = path;
  openKeys.insert(key);
  return 0;
}

long FakePort::regQueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                             unsigned char* data, std::uint32_t& size) {
  if (fails("regQueryValue")) {
    return kAccessDenied;
  }
  const auto& values = registry[keyPaths_[key]];
  const auto it = values.find(valueName);
  if (it == values.end()) {
    return kFileNotFound;
  }
  type = it->second.type;
  if (it->second.data.size() > size) {
    size = static_cast<std::uint32_t>(it->second.data.size());
    return kMoreData;
  }
  size = static_cast<std::uint32_t>(it->second.data.size());
  std::memcpy(data, it->second.data.data(), it->second.data.size());
  return 0;
}

void FakePort::regCloseKey(RegistryKey key) {
  enter("regCloseKey");
  openKeys.erase(key);
}

bool FakePort::startProgram(const std::string& programPath, int /*showCommand*/) {
  if (fails("startProgram") || startablePrograms.count(programPath) == 0) {
    return false;
  }
  startedPrograms.push_back(programPath);
  return true;
}

} // namespace wexla::test
