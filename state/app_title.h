#pragma once

namespace wexla {

// Caption of every message box and the notification icon's tip.
inline constexpr const char* kAppTitle = "Wexla 98";

} // namespace wexla
