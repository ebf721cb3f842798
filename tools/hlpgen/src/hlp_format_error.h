// Raised by the reader when a help file is not what it should be.
#pragma once

#include <stdexcept>

namespace hlpreader {

class HlpFormatError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

} // namespace hlpreader
