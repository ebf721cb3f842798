#pragma once
// The program's Booleans are 16-bit integers with True = -1 and False = 0, because the
// settings file and the click-mode logic distinguish "exactly True" from "not False".
#include <cstdint>

namespace wexla {

using VbBoolean = std::int16_t;
inline constexpr VbBoolean kTrue = -1;
inline constexpr VbBoolean kFalse = 0;

constexpr VbBoolean toVbBoolean(bool value) {
  return value ? kTrue : kFalse;
}

} // namespace wexla
