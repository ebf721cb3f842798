#include "dialogs/mouse/frm_mouse.h"

namespace wexla {

void FrmMouse::show() {
  if (!port_.formLoaded(FormId::Mouse)) {
    port_.loadForm(FormId::Mouse);
    Form_Load();
  }
  port_.showForm(FormId::Mouse);
}

void FrmMouse::select(ControlId option) {
  port_.setOptionSelected(FormId::Mouse, option, true);
  optionSelected(option);
}

// Selecting the matching option runs its click behaviour, which marks the settings as changed;
// the flag is put back afterwards so that merely opening the window changes nothing.
void FrmMouse::Form_Load() {
  state_.Answer = state_.SettingsChanged != kFalse ? 1 : 0;
  if (state_.DoubleClickOnly != kFalse) {
    select(ControlId::MouseDoubleClick);
  } else {
    port_.setOptionSelected(FormId::Mouse, ControlId::MouseDoubleClick, false);
  }
  if (state_.DoubleClickOnly != kFalse) {
    port_.setOptionSelected(FormId::Mouse, ControlId::MouseBothClick, false);
  } else {
    select(ControlId::MouseBothClick);
  }
  if (state_.Answer == 0) {
    state_.SettingsChanged = kFalse;
  }
}

void FrmMouse::optionSelected(ControlId option) {
  if (option == ControlId::MouseDoubleClick) {
    DoubleClick_Click();
  } else if (option == ControlId::MouseBothClick) {
    BothClick_Click();
  }
}

void FrmMouse::DoubleClick_Click() {
  state_.DoubleClickOnly = kTrue;
  state_.SettingsChanged = kTrue;
}

void FrmMouse::BothClick_Click() {
  state_.SettingsChanged = kTrue;
  state_.DoubleClickOnly = kFalse;
}

void FrmMouse::Command1_Click() {
  port_.unloadForm(FormId::Mouse);
}

} // namespace wexla
