#pragma once
// Turns a window design (positions in twips) into a real Win32 window with its child controls,
// at the screen's own twips-per-pixel. The form paints its lines and its icon itself and owns
// the fonts it creates; the caller's window procedure hands every message to
// handleFormMessage first and falls back to DefDlgProcA, so the dialog keyboard interface
// (Tab, Enter, Esc through IsDialogMessageA) works on these ordinary top-level windows.
#include "resources/form_layout.h"

#include <windows.h>

namespace wexla {

// The screen's twips per pixel: 1440 / logical pixels per inch (15 at 96 DPI).
float twipsPerPixelX();
float twipsPerPixelY();
// Twips to whole pixels at the screen's resolution, rounded to nearest.
int twipsToPixelsX(int twips);
int twipsToPixelsY(int twips);

// Registers layout.className (once) with windowProc and creates the form and its controls.
// The form is created hidden; the caller shows it. owner is used only by forms without a
// taskbar button: an owned window gets none. The icons stay the caller's: the form uses
// bigIcon for its painted image and the caption, and never destroys either icon.
// Returns nullptr when the window or one of its controls cannot be created.
// owner HWND_MESSAGE (for a form without a taskbar button) makes a message-only form, whose
// controls are message-only windows of their own until adoptControls: Wine creates no X
// window for any of them. SetParent can then make the form an ordinary top-level window.
HWND createForm(const FormLayout& layout, HINSTANCE instance, HWND owner, HICON bigIcon,
                HICON smallIcon, WNDPROC windowProc);

// The form's control of windowClass, adopted or not; nullptr when there is none.
HWND formControl(HWND form, const char* windowClass);
// Makes a message-only form's controls its children; false when one could not be moved.
bool adoptControls(HWND form);

// The form's own share of message handling: painting its lines and image, the text colours of
// its labels, and releasing its fonts on WM_NCDESTROY. Returns true when the message is fully
// answered (result holds the value to return); false means the caller goes on handling it,
// which for WM_NCDESTROY must still end in DefDlgProcA.
bool handleFormMessage(HWND form, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The control that takes the focus when the form is shown: the first visible, enabled control
// with WS_TABSTOP in Tab order, or nullptr when there is none.
HWND firstTabStop(HWND form);

} // namespace wexla
