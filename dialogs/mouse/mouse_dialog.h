#pragma once
// The modeless "Mouse configuration" window: chooses single- or double-click opening. A choice
// takes effect at the next click on the icon and leaves the settings unsaved.
#include "platform/dialog_logic.h"
#include "platform/port.h"
#include "state/settings.h"

namespace wexla {

class MouseDialog final : public DialogLogic {
public:
  MouseDialog(WindowControl& windowControl, EditedSettings& settings)
      : windowControl_(windowControl), settings_(settings) {}

  void open() override;
  void onClick(ControlId control) override;

private:
  void chooseDoubleClickOnly(bool doubleClickOnly);

  WindowControl& windowControl_;
  EditedSettings& settings_;
};

} // namespace wexla
