#pragma once
// The modeless "About Wexla 98" window.
#include "platform/port.h"

namespace wexla {

class FrmAbout {
public:
  explicit FrmAbout(Port& port) : port_(port) {}

  void show();
  void cmdOK_Click();
  void cmdSysInfo_Click();

private:
  Port& port_;
};

} // namespace wexla
