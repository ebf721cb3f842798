// Writes a complete WinHelp 3.1 file: container, internal directory and the internal files
// |CONTEXT, |FONT, |SYSTEM and |TOPIC.
#pragma once

#include "byte_buffer.h"
#include "help_document.h"

namespace hlpgen {

// The output depends on the document alone (no date, no stray bytes), so builds can be compared
// byte for byte.
Bytes write_help_file(const HelpDocument& document);

} // namespace hlpgen
