#pragma once
// The designs of the program's windows.
#include "resources/form_layout.h"

namespace wexla {

// The main window's class, by which the test harness finds the program. Each secondary
// window's class is in its layout.
inline constexpr const char* kMainWindowClass = "Wexla98Main";

// The hidden main window, which receives the notification icon's messages.
const FormLayout& mainWindowLayout();

const FormLayout& dialogLayout(WindowId window);

} // namespace wexla
