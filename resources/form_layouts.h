#pragma once
// The designs of the program's windows.
#include "resources/form_layout.h"

namespace wexla {

// Window classes of the program's windows; the test harness finds the windows by them.
inline constexpr const char* kMainWindowClass = "Wexla98Main";
inline constexpr const char* kMouseWindowClass = "Wexla98Mouse";
inline constexpr const char* kAboutWindowClass = "Wexla98About";

// The hidden main window, which receives the notification icon's messages.
const FormLayout& mainWindowLayout();

const FormLayout& dialogLayout(WindowId window);

} // namespace wexla
