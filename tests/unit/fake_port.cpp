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

bool FakePort::fails(const std::string& call) {
  calls.push_back(call);
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
  calls.push_back("desktopWindow");
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
  calls.push_back("messageBox");
  messageBoxes.push_back({text, caption, style});
  if (duringMessageBox) {
    duringMessageBox();
  }
  if (messageBoxAnswers.empty()) {
    return kIdOk;
  }
  const int answer = messageBoxAnswers.front();
  messageBoxAnswers.pop_front();
  return answer;
}

float FakePort::twipsPerPixelX() { return twipsPerPixel; }

WindowHandle FakePort::hookWindow() { return kHook; }

MenuCommand FakePort::showPopupMenu() {
  calls.push_back("showPopupMenu");
  ++popupMenuDepth;
  if (duringMenu) {
    duringMenu();
  }
  --popupMenuDepth;
  if (menuChoices.empty()) {
    return MenuCommand::None;
  }
  const MenuCommand choice = menuChoices.front();
  menuChoices.pop_front();
  return choice;
}

std::string FakePort::openIconFileDialog(const std::string& filter,
                                         const std::string& initialDirectory) {
  calls.push_back("openIconFileDialog");
  lastDialogFilter = filter;
  lastDialogDirectory = initialDirectory;
  if (dialogChoices.empty()) {
    return "";
  }
  std::string choice = dialogChoices.front();
  dialogChoices.pop_front();
  return choice;
}

void FakePort::unloadMainWindow() {
  calls.push_back("unloadMainWindow");
  mainWindowUnloaded = true;
}

bool FakePort::formLoaded(FormId form) { return loadedForms.count(form) != 0; }

void FakePort::loadForm(FormId form) {
  calls.push_back("loadForm");
  loadedForms.insert(form);
}

void FakePort::showForm(FormId form) {
  calls.push_back("showForm");
  visibleForms.insert(form);
}

void FakePort::unloadForm(FormId form) {
  calls.push_back("unloadForm");
  loadedForms.erase(form);
  visibleForms.erase(form);
  if (form == FormId::Mouse) {
    options.clear();
  }
}

void FakePort::setOptionSelected(FormId /*form*/, ControlId option, bool selected) {
  options[option] = selected;
  if (selected) {
    for (auto& [other, state] : options) {
      if (other != option) {
        state = false;
      }
    }
  }
}

IconHandle FakePort::builtinIcon() { return kBuiltin; }

IconHandle FakePort::loadIconFile(const std::string& path) {
  if (fails("loadIconFile")) {
    return kNoIcon;
  }
  const auto it = iconFiles.find(path);
  return it == iconFiles.end() ? kNoIcon : it->second;
}

void FakePort::destroyIcon(IconHandle icon) { destroyedIcons.insert(icon); }

std::string FakePort::applicationDirectory() { return appDir; }

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
  if (fails("writeNewFile")) {
    // A failed write may leave a partial file behind, as a full disk would.
    files[resolve(name)] = bytes.substr(0, bytes.size() / 2);
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
  calls.push_back("deleteFile");
  files.erase(resolve(name));
}

long FakePort::regOpenKey(RegistryKey /*root*/, const std::string& path, std::uint32_t access,
                          RegistryKey& key) {
  registryAccessMasks.push_back(access);
  if (fails("regOpenKey")) {
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
  calls.push_back("regCloseKey");
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
