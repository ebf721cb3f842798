// libFuzzer target for the settings-file reader. Whatever it accepts must be something the
// writer can store again: a path the ANSI file functions can take and that survives quoting,
// and a line that reads back as exactly the same settings. A broken expectation aborts, so
// that libFuzzer keeps the input that broke it.
#include "tray/settings_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool holds) {
  if (!holds)
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<wexla::Settings> read =
      wexla::parseSettingsFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!read)
    return 0;
  // Characters the quoted notation cannot carry inside a path.
  require(read->iconPath.size() <= wexla::kMaxIconPathLength &&
          read->iconPath.view().find_first_of(std::string_view("\"\r\n\0", 4)) ==
              std::string_view::npos);
  const wexla::Text line = wexla::formatSettingsLine(*read);
  const std::optional<wexla::Settings> again = wexla::parseSettingsFile(line);
  require(again && *again == *read);
  return 0;
}
