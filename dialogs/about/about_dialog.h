#pragma once
// The modeless "About Wexla 98" window, whose System Info button starts the system's
// information program.
#include "dialogs/about/system_info.h"
#include "platform/dialog_logic.h"

namespace wexla {

class AboutDialog final : public DialogLogic {
public:
  AboutDialog(WindowControl& windowControl, const SystemInfoPlatform& systemInfo)
      : windowControl_(windowControl), systemInfo_(systemInfo) {}

  void open() override;
  void onClick(ControlId control) override;

private:
  WindowControl& windowControl_;
  SystemInfoPlatform systemInfo_;
};

} // namespace wexla
