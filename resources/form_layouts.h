#pragma once
#include "resources/form_layout.h"

namespace wexla {

// Window classes of the program's windows; tests find the windows by them.
inline constexpr const char* kMainWindowClass = "Wexla98Main";
inline constexpr const char* kPictureBoxClass = "Wexla98Hook";
inline constexpr const char* kMouseWindowClass = "Wexla98Mouse";
inline constexpr const char* kAboutWindowClass = "Wexla98About";

extern const FormLayout kMainFormLayout;
extern const FormLayout kMouseFormLayout;
extern const FormLayout kAboutFormLayout;

} // namespace wexla
