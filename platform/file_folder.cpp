#include "platform/file_folder.h"

namespace wexla {

Text folderOfFile(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string_view::npos) {
    return "";
  }
  // The views are cut by hand: substr's range check would bring the exception runtime along.
  const std::string_view folder(path.data(), separator);
  // Only a root keeps its separator: "\" itself, or a drive letter and colon before it.
  const bool isRoot = folder.empty() || (folder.size() == 2 && folder[1] == ':');
  return isRoot ? std::string_view(path.data(), separator + 1) : folder;
}

} // namespace wexla
