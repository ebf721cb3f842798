#pragma once
// The program's files and the registry entries it reads, on Windows.
#include "platform/port.h"

namespace wexla {

class Win32Files final : public Files {
public:
  Text programFolder() override;
  bool enterFolder(const Text& folder) override;
  Text findOrdinaryFile(const Text& pattern) override;
  std::optional<Text> readFile(const Text& name, std::size_t maxBytes) override;
  bool writeNewFile(const Text& name, const Text& bytes) override;
  bool replaceFile(const Text& source, const Text& target) override;
  void deleteFile(const Text& name) override;
};

class Win32Registry final : public Registry {
public:
  std::optional<Text> readRegistryText(RegistryRoot root, const Text& key,
                                       const Text& value) override;
};

} // namespace wexla
