#pragma once
// The folder part of a Windows file path, in the form the file functions take back.
#include "platform/text.h"

#include <string_view>

namespace wexla {

// "C:\Apps\wexla98.exe" gives "C:\Apps". A file in a drive's root gives the root with its
// backslash ("E:\"): a bare "E:" names the drive's current folder, not its root. A name
// without any folder gives "".
Text folderOfFile(std::string_view path);

} // namespace wexla
