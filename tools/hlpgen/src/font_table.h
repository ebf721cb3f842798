// The fonts the generated help file uses, and the |FONT internal file that lists them.
#pragma once

#include <cstdint>

#include "byte_buffer.h"

namespace hlpgen {

// Indices into the |FONT descriptor list; formatting commands refer to fonts by these.
enum class FontIndex : std::uint16_t { Body = 0, Bold = 1, Heading = 2, Title = 3 };

Bytes build_font_file();

} // namespace hlpgen
