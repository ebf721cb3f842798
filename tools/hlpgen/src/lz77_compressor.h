// The LZ77 variant WinHelp uses for topic blocks.
#pragma once

#include <cstddef>

#include "byte_buffer.h"

namespace hlpgen {

inline constexpr std::size_t kLz77MinMatch = 3;
inline constexpr std::size_t kLz77MaxMatch = 18;
inline constexpr std::size_t kLz77Window = 4096;

// Compresses one block on its own: no reference reaches before the start of data.
Bytes lz77_compress(const Bytes& data);

} // namespace hlpgen
