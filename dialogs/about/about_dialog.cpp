#include "dialogs/about/about_dialog.h"

namespace wexla {

void AboutDialog::open() {
  windowControl_.createWindow(WindowId::About);
  windowControl_.showWindow(WindowId::About);
}

void AboutDialog::onClick(ControlId control) {
  switch (control) {
  case ControlId::OkButton:
    windowControl_.closeWindow(WindowId::About);
    break;
  case ControlId::SystemInfoButton:
    startSystemInformation(systemInfo_);
    break;
  default:
    break;
  }
}

} // namespace wexla
