#include "font_table.h"

#include <array>
#include <string_view>

namespace hlpgen {
namespace {

constexpr std::string_view kFaceName = "Arial";
constexpr std::size_t kFaceNameFieldSize = 20;
constexpr std::uint16_t kFacesOffset = 8; // right after the four header words
constexpr std::uint16_t kFaceIndex = 0;
constexpr std::uint8_t kFamilySwiss = 3;
constexpr std::uint8_t kAttributeNone = 0;
constexpr std::uint8_t kAttributeBold = 1;

struct FontDescriptor {
  std::uint8_t attributes;
  std::uint8_t half_points;
};

// Order must follow FontIndex.
constexpr std::array<FontDescriptor, 4> kFonts = {{
    {kAttributeNone, 20}, // Body: 10 pt
    {kAttributeBold, 20}, // Bold: 10 pt bold
    {kAttributeBold, 24}, // Heading: 12 pt bold
    {kAttributeBold, 28}, // Title: 14 pt bold
}};

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

void rgb(ByteBuffer& out, std::uint32_t color) {
  constexpr unsigned kRedShift = 16;
  constexpr unsigned kGreenShift = 8;
  out.u8(static_cast<std::uint8_t>(color >> kRedShift));
  out.u8(static_cast<std::uint8_t>(color >> kGreenShift));
  out.u8(static_cast<std::uint8_t>(color));
}

} // namespace

Bytes build_font_file() {
  constexpr std::uint16_t kFaceCount = 1;
  ByteBuffer out;
  out.u16(kFaceCount);
  out.u16(static_cast<std::uint16_t>(kFonts.size()));
  out.u16(kFacesOffset);
  out.u16(static_cast<std::uint16_t>(kFacesOffset + kFaceCount * kFaceNameFieldSize));
  out.padded(kFaceName, kFaceNameFieldSize);
  for (const FontDescriptor& font : kFonts) {
    out.u8(font.attributes);
    out.u8(font.half_points);
    out.u8(kFamilySwiss);
    out.u16(kFaceIndex);
    rgb(out, kBlack);
    rgb(out, kWhite);
  }
  return out.take();
}

} // namespace hlpgen
