#include "context_hash.h"

namespace hlpgen {
namespace {

constexpr std::uint32_t kHashMultiplier = 43;
constexpr std::uint32_t kLetterBase = 17;
constexpr std::uint32_t kZeroCode = 10;
constexpr std::uint32_t kDotCode = 12;
constexpr std::uint32_t kUnderscoreCode = 13;

std::uint32_t character_code(char c) {
  if (c >= 'A' && c <= 'Z') {
    return kLetterBase + static_cast<std::uint32_t>(c - 'A');
  }
  if (c >= 'a' && c <= 'z') {
    return kLetterBase + static_cast<std::uint32_t>(c - 'a');
  }
  if (c >= '1' && c <= '9') {
    return static_cast<std::uint32_t>(c - '0');
  }
  if (c == '0') {
    return kZeroCode;
  }
  if (c == '.') {
    return kDotCode;
  }
  if (c == '_') {
    return kUnderscoreCode;
  }
  return 0;
}

} // namespace

std::int32_t context_hash(std::string_view name) {
  // Unsigned arithmetic gives the 32-bit wrap-around the viewer relies on without overflow UB.
  std::uint32_t hash = 0;
  for (char c : name) {
    const std::uint32_t code = character_code(c);
    if (code != 0) {
      hash = hash * kHashMultiplier + code;
    }
  }
  return static_cast<std::int32_t>(hash);
}

bool is_valid_context_name(std::string_view name) {
  if (name.empty()) {
    return false;
  }
  for (char c : name) {
    if (character_code(c) == 0) {
      return false;
    }
  }
  return true;
}

} // namespace hlpgen
