#pragma once
// The text a registry value's stored bytes stand for.
#include "platform/text.h"

#include <cstdint>
#include <string_view>

namespace wexla {

// Registry value types as the system numbers them; the Win32 side checks them against its
// headers.
inline constexpr std::uint32_t kRegistryString = 1;
inline constexpr std::uint32_t kRegistryNumber = 4;
// Longer values are not read at all.
inline constexpr std::uint32_t kRegistryValueLimit = 1024;

// A string without its terminating zero byte; a number as its unsigned decimal text; "" for
// the other types, which have no text.
Text registryValueText(std::uint32_t type, std::string_view stored);

} // namespace wexla
