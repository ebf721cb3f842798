#pragma once
// The program's files and the registry entries it reads, on Windows.
#include "platform/port.h"

namespace wexla {

class Win32Files final : public Files {
public:
  std::string programFolder() override;
  bool enterFolder(const std::string& folder) override;
  std::string findOrdinaryFile(const std::string& pattern) override;
  std::optional<std::string> readFile(const std::string& name, std::size_t maxBytes) override;
  bool writeNewFile(const std::string& name, const std::string& bytes) override;
  bool replaceFile(const std::string& source, const std::string& target) override;
  void deleteFile(const std::string& name) override;
};

class Win32Registry final : public Registry {
public:
  std::optional<std::string> readRegistryText(RegistryRoot root, const std::string& key,
                                              const std::string& value) override;
};

} // namespace wexla
