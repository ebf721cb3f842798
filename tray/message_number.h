#pragma once
// Recovering the tray callback's mouse message number from the coordinate that carries it.
#include <cstdint>
#include <optional>

namespace wexla {

// X (in twips) divided by the twips-per-pixel factor, rounded to the nearest integer with
// halves to the even neighbour; nothing when the quotient is no 32-bit number.
std::optional<std::int32_t> mouseMessageNumber(float xTwips, float twipsPerPixel);

} // namespace wexla
