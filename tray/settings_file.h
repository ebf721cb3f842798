#pragma once
// The one-line settings notation: a double-quoted icon path, a comma, a Boolean literal, CR LF.
#include "platform/text.h"
#include "state/settings.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace wexla {

inline constexpr const char* kSettingsFileName = "wexla.ini";
// A valid file is one short line; anything far longer is not a settings file.
inline constexpr std::size_t kMaxSettingsFileBytes = 4096;
// The ANSI file functions cannot take longer paths.
inline constexpr std::size_t kMaxIconPathLength = 259;

Text formatSettingsLine(const Settings& settings);

// Nothing when the bytes are not in the notation (the caller keeps its start values).
std::optional<Settings> parseSettingsFile(std::string_view bytes);

} // namespace wexla
