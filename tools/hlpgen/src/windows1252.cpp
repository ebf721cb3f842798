#include "windows1252.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace hlpgen {
namespace {

constexpr char32_t kMaxAscii = 0x7F;
constexpr char32_t kFirstLatin1Printable = 0xA0;
constexpr char32_t kLastLatin1 = 0xFF;
constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr unsigned char kFirstWindowsSpecial = 0x80;

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char32_t, 32> kWindowsSpecials = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

struct DecodedCharacter {
  char32_t code_point = 0;
  std::size_t length = 0; // 0: malformed
};

DecodedCharacter decode_one(std::string_view text, std::size_t at) {
  constexpr unsigned char kTwoByteLead = 0xC0;
  constexpr unsigned char kThreeByteLead = 0xE0;
  constexpr unsigned char kFourByteLead = 0xF0;
  constexpr unsigned char kTooLargeLead = 0xF8;
  constexpr unsigned char kContinuationMask = 0xC0;
  constexpr unsigned char kContinuationTag = 0x80;
  constexpr unsigned kPayloadBits = 6;
  constexpr std::array<char32_t, 5> kSmallestForLength = {0, 0, 0x80, 0x800, 0x10000};

  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  char32_t value = 0;
  if (lead < kContinuationTag) {
    return {lead, 1};
  }
  if (lead < kTwoByteLead) {
    return {};
  }
  if (lead < kThreeByteLead) {
    length = 2;
    value = lead & 0x1Fu;
  } else if (lead < kFourByteLead) {
    length = 3;
    value = lead & 0x0Fu;
  } else if (lead < kTooLargeLead) {
    length = 4;
    value = lead & 0x07u;
  } else {
    return {};
  }
  if (text.size() - at < length) {
    return {};
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & kContinuationMask) != kContinuationTag) {
      return {};
    }
    value = (value << kPayloadBits) | (next & 0x3Fu);
  }
  // Overlong forms and surrogates are not valid UTF-8.
  if (value < kSmallestForLength[length] || value > kMaxCodePoint ||
      (value >= kFirstSurrogate && value <= kLastSurrogate)) {
    return {};
  }
  return {value, length};
}

std::optional<char> to_windows1252(char32_t code_point) {
  if (code_point <= kMaxAscii) {
    return static_cast<char>(code_point);
  }
  if (code_point >= kFirstLatin1Printable && code_point <= kLastLatin1) {
    return static_cast<char>(static_cast<unsigned char>(code_point));
  }
  for (std::size_t i = 0; i < kWindowsSpecials.size(); ++i) {
    if (kWindowsSpecials[i] != 0 && kWindowsSpecials[i] == code_point) {
      return static_cast<char>(static_cast<unsigned char>(kFirstWindowsSpecial + i));
    }
  }
  return std::nullopt;
}

} // namespace

Windows1252Result utf8_to_windows1252(std::string_view utf8) {
  Windows1252Result result;
  std::size_t at = 0;
  while (at < utf8.size()) {
    const DecodedCharacter decoded = decode_one(utf8, at);
    if (decoded.length == 0) {
      result.error = "malformed UTF-8";
      result.text.clear();
      return result;
    }
    const std::optional<char> converted = to_windows1252(decoded.code_point);
    if (!converted) {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "character U+%04X has no Windows-1252 form",
                    static_cast<unsigned>(decoded.code_point));
      result.error = buffer;
      result.text.clear();
      return result;
    }
    result.text.push_back(*converted);
    at += decoded.length;
  }
  return result;
}

} // namespace hlpgen
