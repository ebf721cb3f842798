// libFuzzer target for the settings-file reader. Whatever it accepts must be something the
// writer can store again: a path the ANSI file functions can take and that survives quoting,
// and a line that reads back as exactly the same settings.
#include "fuzz/fuzz_driver.h"
#include "tray/settings_file.h"

void fuzz_one(std::string_view input) {
  const std::optional<wexla::Settings> read = wexla::parseSettingsFile(input);
  if (!read)
    return;
  // Characters the quoted notation cannot carry inside a path.
  require(read->iconPath.size() <= wexla::kMaxIconPathLength &&
          read->iconPath.view().find_first_of(std::string_view("\"\r\n\0", 4)) ==
              std::string_view::npos);
  const wexla::Text line = wexla::formatSettingsLine(*read);
  const std::optional<wexla::Settings> again = wexla::parseSettingsFile(line);
  require(again && *again == *read);
}
