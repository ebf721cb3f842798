#pragma once
// Which of the program's windows exist: the main window with its tray callback window, and
// each secondary form. The event routing and the message loop ask here; the process ends when
// the last window is gone.
#include "platform/form_id.h"

#include <windows.h>

#include <array>

namespace wexla {

class ProgramWindows {
public:
  void attachMainWindow(HWND main, HWND hook);
  // The main window starts message-only and becomes an ordinary hidden top-level window here,
  // at the latest before the program shows anything; true once it is one.
  bool makeMainWindowTopLevel();
  HWND mainWindow() const { return main_; }
  HWND hookWindow() const { return hook_; }
  HWND form(FormId form) const { return forms_[formIndex(form)]; }
  void formCreated(FormId form, HWND window) { forms_[formIndex(form)] = window; }
  // A window of ours is gone; posts the quit message when none is left.
  void windowDestroyed(HWND window);
  // Hands the message to the dialog manager of the form it is for; true when it took it.
  bool routeDialogMessage(MSG& message) const;

  // Tracks which option of a form's group is selected, so that a click on the selected one
  // is no new selection.
  bool optionNewlySelected(FormId form, ControlId option);
  void optionSet(FormId form, ControlId option, bool selected);

private:
  HWND main_ = nullptr;
  HWND hook_ = nullptr;
  bool mainTopLevel_ = false;
  std::array<HWND, kFormCount> forms_{};
  std::array<ControlId, kFormCount> selectedOption_{};
};

} // namespace wexla
