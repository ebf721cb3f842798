// libFuzzer target for the settings-file reader. Whatever it accepts must be something the
// writer can store again: a path the ANSI file functions can take and that survives quoting,
// and a line that reads back as exactly the same settings.
#include "tray/settings_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Characters the quoted notation cannot carry inside a path.
constexpr std::string_view kForbiddenInPath("\"\r\n\0", 4);

void require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<wexla::StoredSettings> read = wexla::parseSettingsFile(bytes);
  if (!read) {
    return 0;
  }
  require(read->iconPath.size() <= wexla::kMaxIconPathLength);
  require(read->iconPath.find_first_of(kForbiddenInPath) == std::string::npos);
  require(read->doubleClickOnly == wexla::kTrue || read->doubleClickOnly == wexla::kFalse);

  const std::string line = wexla::formatSettingsLine(read->iconPath, read->doubleClickOnly);
  const std::optional<wexla::StoredSettings> again = wexla::parseSettingsFile(line);
  require(again.has_value());
  require(again->iconPath == read->iconPath);
  require(again->doubleClickOnly == read->doubleClickOnly);
  // A saved file is saved again byte for byte, so repeated saves never drift.
  require(wexla::formatSettingsLine(again->iconPath, again->doubleClickOnly) == line);
  return 0;
}
