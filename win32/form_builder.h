#pragma once
// Turns a window design into a real Win32 window with its child controls. The designs are in
// twips, which dialog units (a fraction of the font's average character) cannot hold exactly,
// so the windows are built here at the screen's own pixels rather than from dialog templates.
// Every part of a form is a system control; the form paints only its rules. The caller's window
// procedure hands every message to handleFormMessage first and falls back to DefDlgProcA, so
// the dialog keyboard interface (Tab, Enter, Esc through IsDialogMessageA) works on these
// ordinary top-level windows.
#include "resources/form_layout.h"

#include <windows.h>

namespace wexla {

// Twips to whole pixels at the screen's resolution, rounded to nearest.
int twipsToPixelsX(int twips);
int twipsToPixelsY(int twips);

// The heights of the lines, whatever the layout says: an etched line is a shadow row over a
// highlight row, a rule one row.
inline constexpr int kSeparatorHeight = 2;
inline constexpr int kRuleHeight = 1;

// Registers layout.className (once) with windowProc and creates the form and its controls,
// hidden. owner is used only by forms without a taskbar button: an owned window gets none. The
// icons stay the caller's: the form shows bigIcon in its Icon controls and both in its caption.
// windowProc receives creationData as the lpCreateParams of WM_NCCREATE. Returns nullptr when
// the window or one of its controls cannot be created.
HWND createForm(const FormLayout& layout, HINSTANCE instance, HWND owner, HICON bigIcon,
                HICON smallIcon, WNDPROC windowProc, void* creationData = nullptr);

// The form's own share of message handling: the text colours of its labels, its rules in the
// window-text colour, and releasing its fonts on WM_NCDESTROY. Returns true when the message is
// fully answered (result holds the value to return); false means the caller goes on handling
// it, which for WM_NCDESTROY must still end in DefDlgProcA.
bool handleFormMessage(HWND form, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The control that takes the focus when the form is shown: the first visible, enabled control
// with WS_TABSTOP in Tab order, or nullptr when there is none.
HWND firstTabStop(HWND form);

} // namespace wexla
