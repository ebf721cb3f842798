#include "platform/file_folder.h"

namespace wexla {

std::string folderOfFile(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string_view::npos) {
    return "";
  }
  const std::string_view folder = path.substr(0, separator);
  // Only a root keeps its separator: "\" itself, or a drive letter and colon before it.
  const bool isRoot = folder.empty() || (folder.size() == 2 && folder[1] == ':');
  return std::string(isRoot ? path.substr(0, separator + 1) : folder);
}

} // namespace wexla
