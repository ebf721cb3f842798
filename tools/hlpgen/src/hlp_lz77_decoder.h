// Decoder for WinHelp's LZ77 topic compression, part of the reader (independent of the writer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hlpreader {

// Decodes until the input ends or max_output bytes were produced. Throws HlpFormatError for a
// back reference that reaches before the start of the output.
std::vector<std::uint8_t> lz77_decode(const std::uint8_t* data, std::size_t size,
                                      std::size_t max_output);

} // namespace hlpreader
