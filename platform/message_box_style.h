#pragma once
// Message-box styles and answers as the platform numbers them; the portable code cannot
// include the platform headers.

namespace wexla {

inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbYesNo = 0x4;
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
inline constexpr int kShowNormal = 1; // SW_SHOWNORMAL

} // namespace wexla
