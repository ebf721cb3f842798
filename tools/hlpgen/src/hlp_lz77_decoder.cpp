#include "hlp_lz77_decoder.h"

#include "hlp_format_error.h"

namespace hlpreader {

std::vector<std::uint8_t> lz77_decode(const std::uint8_t* data, std::size_t size,
                                      std::size_t max_output) {
  constexpr int kItemsPerFlag = 8;
  constexpr unsigned kLengthShift = 12;
  constexpr unsigned kDistanceMask = 0x0FFF;
  constexpr std::size_t kShortestCopy = 3;

  std::vector<std::uint8_t> out;
  std::size_t at = 0;
  while (at < size && out.size() < max_output) {
    const std::uint8_t flags = data[at++];
    for (int item = 0; item < kItemsPerFlag && at < size && out.size() < max_output; ++item) {
      if ((flags >> item) & 1) {
        if (at + 1 >= size) {
          throw HlpFormatError("LZ77 stream ends inside a back reference");
        }
        const unsigned code = data[at] | (unsigned{data[at + 1]} << 8);
        at += 2;
        const std::size_t length = kShortestCopy + (code >> kLengthShift);
        const std::size_t distance = (code & kDistanceMask) + 1;
        if (distance > out.size()) {
          throw HlpFormatError("LZ77 back reference before the start of the block");
        }
        for (std::size_t i = 0; i < length && out.size() < max_output; ++i) {
          out.push_back(out[out.size() - distance]);
        }
      } else {
        out.push_back(data[at++]);
      }
    }
  }
  return out;
}

} // namespace hlpreader
