// Conversion of the UTF-8 help source into the Windows-1252 text a WinHelp 3.1 file holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hlpgen {

struct Windows1252Result {
  std::string text;  // valid only when error is empty
  std::string error; // why the input cannot be converted
};

// Rejects malformed UTF-8 and characters that Windows-1252 has no place for.
Windows1252Result utf8_to_windows1252(std::string_view utf8);

} // namespace hlpgen
