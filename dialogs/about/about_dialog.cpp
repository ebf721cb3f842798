#include "dialogs/about/about_dialog.h"

namespace wexla {

void AboutDialog::open() {
  windows_.createWindow(WindowId::About);
  windows_.showWindow(WindowId::About);
}

void AboutDialog::onClick(ControlId control) {
  switch (control) {
  case ControlId::OkButton:
    windows_.closeWindow(WindowId::About);
    break;
  case ControlId::SystemInfoButton:
    startSystemInformation(systemInfo_);
    break;
  default:
    break;
  }
}

} // namespace wexla
