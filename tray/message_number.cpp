#include "tray/message_number.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace wexla {

std::optional<std::int32_t> mouseMessageNumber(float xTwips, float twipsPerPixel) {
  const float quotient = xTwips / twipsPerPixel;
  if (!std::isfinite(quotient)) {
    return std::nullopt;
  }
  // nearbyint honours the rounding mode, which is round-half-even unless someone changed it.
  const int previousMode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(static_cast<double>(quotient));
  std::fesetround(previousMode);
  if (rounded < std::numeric_limits<std::int32_t>::min() ||
      rounded > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(rounded);
}

} // namespace wexla
