#include "dialogs/about/frm_about.h"

#include "dialogs/about/sys_info.h"

namespace wexla {

void FrmAbout::show() {
  if (!port_.formLoaded(FormId::About)) {
    port_.loadForm(FormId::About);
  }
  port_.showForm(FormId::About);
}

void FrmAbout::cmdOK_Click() {
  port_.unloadForm(FormId::About);
}

void FrmAbout::cmdSysInfo_Click() {
  StartSysInfo(port_);
}

} // namespace wexla
