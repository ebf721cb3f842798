#pragma once
// The shell's services and the message boxes, on Windows.
#include "platform/port.h"

namespace wexla {

class Win32Shell final : public Shell {
public:
  void openMail() override;
  bool openDocument(const Text& name) override;
  bool startProgram(const Text& path) override;
};

class Win32Messages final : public Messages {
public:
  Answer ask(const Text& question) override;
  void tell(const Text& text, Notice kind) override;
};

} // namespace wexla
