#include "win32/program_windows.h"

#include "win32/form_builder.h"

#include <algorithm>

namespace wexla {

void ProgramWindows::attachMainWindow(HWND main, HWND hook) {
  main_ = main;
  hook_ = hook;
  mainTopLevel_ = false;
}

bool ProgramWindows::makeMainWindowTopLevel() {
  if (main_ != nullptr && !mainTopLevel_) {
    // Only top-level windows get the shell's broadcast after a restart, the pop-up menu and the
    // Open dialog need a top-level owner, and a message box should not come from a program
    // whose window cannot be found. The window has no WS_CHILD style to clear.
    mainTopLevel_ = adoptControls(main_) && SetParent(main_, nullptr) != nullptr;
  }
  return mainTopLevel_;
}

void ProgramWindows::windowDestroyed(HWND window) {
  if (window == main_) {
    main_ = nullptr;
    hook_ = nullptr;
  }
  for (std::size_t i = 0; i < kFormCount; ++i) {
    if (forms_[i] == window) {
      forms_[i] = nullptr;
      selectedOption_[i] = ControlId{};
    }
  }
  // The process lives as long as any of its windows does.
  if (main_ == nullptr &&
      std::all_of(forms_.begin(), forms_.end(), [](HWND form) { return form == nullptr; })) {
    PostQuitMessage(0);
  }
}

bool ProgramWindows::routeDialogMessage(MSG& message) const {
  return std::any_of(forms_.begin(), forms_.end(), [&message](HWND form) {
    return form != nullptr && IsDialogMessageA(form, &message) != FALSE;
  });
}

bool ProgramWindows::optionNewlySelected(FormId form, ControlId option) {
  ControlId& selected = selectedOption_[formIndex(form)];
  if (selected == option) {
    return false;
  }
  selected = option;
  return true;
}

void ProgramWindows::optionSet(FormId form, ControlId option, bool selected) {
  ControlId& current = selectedOption_[formIndex(form)];
  if (selected) {
    current = option;
  } else if (current == option) {
    current = ControlId{};
  }
}

} // namespace wexla
