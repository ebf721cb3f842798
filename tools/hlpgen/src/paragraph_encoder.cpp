#include "paragraph_encoder.h"

#include <initializer_list>
#include <optional>
#include <string>

#include "context_hash.h"

namespace hlpgen {
namespace {

constexpr std::uint8_t kCommandFont = 0x80;
constexpr std::uint8_t kCommandEndOfParagraph = 0x82;
constexpr std::uint8_t kCommandEndOfHotspot = 0x89;
constexpr std::uint8_t kCommandJump = 0xE3;
constexpr std::uint8_t kCommandEnd = 0xFF;

constexpr std::uint16_t kFormatSpaceAbove = 0x0002;
constexpr std::uint16_t kFormatLeftIndent = 0x0010;
constexpr std::uint8_t kFormatLeadByte = 0x00;
constexpr std::uint8_t kFormatBiasedByte = 0x80;
constexpr std::uint16_t kFormatId = 0;

constexpr char kBulletCharacter = '\x95'; // Windows-1252 bullet

void compressed_ushort(ByteBuffer& out, std::uint16_t value) {
  constexpr std::uint16_t kByteLimit = 0x80;
  if (value < kByteLimit) {
    out.u8(static_cast<std::uint8_t>(value * 2));
  } else {
    out.u16(static_cast<std::uint16_t>(value * 2 + 1));
  }
}

void compressed_short(ByteBuffer& out, std::int16_t value) {
  constexpr int kByteBias = 0x40;
  constexpr int kWordBias = 0x4000;
  if (value >= -kByteBias && value < kByteBias) {
    out.u8(static_cast<std::uint8_t>(2 * (value + kByteBias)));
  } else {
    out.u16(static_cast<std::uint16_t>(2 * (value + kWordBias) + 1));
  }
}

void compressed_long(ByteBuffer& out, std::uint32_t value) {
  constexpr std::uint32_t kWordLimit = 0x4000;
  constexpr std::uint32_t kWordBias = 0x4000;
  constexpr std::uint32_t kLongBias = 0x40000000;
  if (value < kWordLimit) {
    out.u16(static_cast<std::uint16_t>(2 * (value + kWordBias)));
  } else {
    out.u32(2 * (value + kLongBias) + 1);
  }
}

// Each formatting command follows the text piece before it; text and commands alternate.
class CommandStream {
public:
  void text(std::string_view more) { pending_ += more; }

  void command(std::initializer_list<std::uint8_t> bytes) {
    texts_.cstring(pending_);
    pending_.clear();
    for (std::uint8_t byte : bytes) {
      commands_.u8(byte);
    }
  }

  void font(FontIndex font) {
    if (current_font_ && *current_font_ == font) {
      return;
    }
    const auto index = static_cast<std::uint16_t>(font);
    command(
        {kCommandFont, static_cast<std::uint8_t>(index), static_cast<std::uint8_t>(index >> 8)});
    current_font_ = font;
  }

  void jump(std::int32_t hash) {
    const auto bits = static_cast<std::uint32_t>(hash);
    command({kCommandJump, static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
             static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)});
  }

  Bytes take_commands() {
    commands_.u8(kCommandEnd);
    return commands_.take();
  }
  Bytes take_texts() { return texts_.take(); }

private:
  std::string pending_;
  ByteBuffer texts_;
  ByteBuffer commands_;
  std::optional<FontIndex> current_font_;
};

} // namespace

EncodedParagraph encode_paragraph(const Paragraph& paragraph, const ParagraphLook& look) {
  CommandStream stream;
  stream.font(look.font);
  if (look.bullet) {
    stream.text(std::string{kBulletCharacter, ' '});
  }
  for (const TextSpan& span : paragraph.spans) {
    stream.font(span.style == SpanStyle::Bold ? look.bold_font : look.font);
    if (span.jump_target.empty()) {
      stream.text(span.text);
      continue;
    }
    stream.jump(context_hash(span.jump_target));
    stream.text(span.text);
    stream.command({kCommandEndOfHotspot});
  }
  stream.command({kCommandEndOfParagraph});

  EncodedParagraph encoded;
  encoded.link_data2 = stream.take_texts();
  const Bytes commands = stream.take_commands();

  std::uint16_t format_bits = 0;
  if (look.space_above != 0) {
    format_bits |= kFormatSpaceAbove;
  }
  if (look.left_indent != 0) {
    format_bits |= kFormatLeftIndent;
  }
  ByteBuffer data1;
  const auto text_size = static_cast<std::uint32_t>(encoded.link_data2.size());
  compressed_long(data1, text_size);
  compressed_ushort(data1, static_cast<std::uint16_t>(text_size));
  data1.u8(kFormatLeadByte);
  data1.u8(kFormatBiasedByte);
  data1.u16(kFormatId);
  data1.u16(format_bits);
  // Optional fields follow in the order of their bits.
  if (look.space_above != 0) {
    compressed_short(data1, look.space_above);
  }
  if (look.left_indent != 0) {
    compressed_short(data1, look.left_indent);
  }
  data1.append(commands);
  encoded.link_data1 = data1.take();
  return encoded;
}

} // namespace hlpgen
