#pragma once
// Platform handles travel through the portable code as pointer-sized integers, so the
// core never includes <windows.h> and the fake port can hand out plain numbers.
#include <cstdint>

namespace wexla {

using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;
using RegistryKey = std::uintptr_t;

inline constexpr IconHandle kNoIcon = 0;

} // namespace wexla
