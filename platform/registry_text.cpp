#include "platform/registry_text.h"

#include <array>
#include <iterator>
#include <limits>

namespace wexla {
namespace {

constexpr std::size_t kBytesInUint64 = 8;
constexpr unsigned kBitsPerByte = 8;

// The stored bytes without a terminating zero byte at the end.
std::string_view trimmed(std::string_view stored) {
  if (!stored.empty() && stored.back() == '\0') {
    stored.remove_suffix(1);
  }
  return stored;
}

// The little-endian bytes as an upper-case hexadecimal numeral, most significant byte first.
Text hexNumeral(std::string_view bytes) {
  static constexpr std::array kDigits{'0', '1', '2', '3', '4', '5', '6', '7',
                                      '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
  constexpr unsigned kNibble = 4;
  constexpr unsigned kNibbleMask = 0xF;
  Text digits;
  for (std::size_t i = bytes.size(); i-- > 0;) {
    const auto code = static_cast<unsigned char>(bytes[i]);
    digits += kDigits[code >> kNibble];
    digits += kDigits[code & kNibbleMask];
  }
  return digits;
}

Text decimal(std::uint64_t value) {
  constexpr std::uint64_t kBase = 10;
  char digits[std::numeric_limits<std::uint64_t>::digits10 + 1];
  char* first = std::end(digits);
  do {
    *--first = static_cast<char>('0' + value % kBase);
    value /= kBase;
  } while (value != 0);
  return std::string_view(first, static_cast<std::size_t>(std::end(digits) - first));
}

// A number is shown as the unsigned decimal text of its numeral, so bit 31 is a value bit,
// not a sign. Numerals too long for a 64-bit number stay as hexadecimal text.
Text formatNumber(std::string_view bytes) {
  if (bytes.empty()) {
    return "";
  }
  if (bytes.size() > kBytesInUint64) {
    return "&h" + hexNumeral(bytes);
  }
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) {
    value = (value << kBitsPerByte) | static_cast<unsigned char>(bytes[i]);
  }
  return decimal(value);
}

} // namespace

Text registryValueText(std::uint32_t type, std::string_view stored) {
  switch (type) {
  case kRegistryString:
    return trimmed(stored);
  case kRegistryNumber:
    return formatNumber(trimmed(stored));
  default:
    return "";
  }
}

} // namespace wexla
