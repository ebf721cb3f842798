#include "dialogs/mouse/mouse_dialog.h"

namespace wexla {

void MouseDialog::open() {
  // An open window already shows the mode: only the mouse window itself changes it.
  if (windowControl_.createWindow(WindowId::MouseConfiguration)) {
    const bool doubleClickOnly = settings_.values.doubleClickOnly;
    windowControl_.setOptionChecked(ControlId::DoubleClickOption, doubleClickOnly);
    windowControl_.setOptionChecked(ControlId::SingleClickOption, !doubleClickOnly);
  }
  windowControl_.showWindow(WindowId::MouseConfiguration);
}

void MouseDialog::onClick(ControlId control) {
  switch (control) {
  case ControlId::CloseButton:
    windowControl_.closeWindow(WindowId::MouseConfiguration);
    break;
  case ControlId::DoubleClickOption:
    chooseDoubleClickOnly(true);
    break;
  case ControlId::SingleClickOption:
    chooseDoubleClickOnly(false);
    break;
  default:
    break;
  }
}

// A click on the option that is already selected selects nothing new.
void MouseDialog::chooseDoubleClickOnly(bool doubleClickOnly) {
  if (settings_.values.doubleClickOnly != doubleClickOnly) {
    settings_.values.doubleClickOnly = doubleClickOnly;
    settings_.unsaved = true;
  }
}

} // namespace wexla
