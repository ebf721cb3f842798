#pragma once
// The modeless "Mouse configuration" window: chooses single- or double-click opening.
#include "platform/port.h"
#include "state/icon_declare.h"

namespace wexla {

class FrmMouse {
public:
  FrmMouse(WindowPort& port, IconDeclare& state) : port_(port), state_(state) {}

  // Creates the window on first use (running the load step), then makes it visible.
  void show();
  // An option became selected, by the user or by the load step.
  void optionSelected(ControlId option);
  void Command1_Click();

private:
  void Form_Load();
  void select(ControlId option);
  void DoubleClick_Click();
  void BothClick_Click();

  WindowPort& port_;
  IconDeclare& state_;
};

} // namespace wexla
