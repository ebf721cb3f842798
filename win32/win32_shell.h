#pragma once
// The shell's services and the message boxes, on Windows.
#include "platform/port.h"

namespace wexla {

class Win32Shell final : public Shell {
public:
  void openMail() override;
  bool openDocument(const std::string& name) override;
  bool startProgram(const std::string& path) override;
};

class Win32Messages final : public Messages {
public:
  Answer ask(const std::string& question) override;
  void tell(const std::string& text, Notice kind) override;
};

} // namespace wexla
