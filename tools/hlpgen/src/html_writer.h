// Writes the help as one HTML page, for systems that have no WinHelp viewer (Windows Vista and
// later): the same topics, text and jumps as the help file, each topic an anchor of its context.
#pragma once

#include <string>

#include "help_document.h"

namespace hlpgen {

// The page's text stays in Windows-1252, the code page the document holds, and the page says
// so; like the help file, it depends on the document alone.
std::string write_help_page(const HelpDocument& document);

} // namespace hlpgen
