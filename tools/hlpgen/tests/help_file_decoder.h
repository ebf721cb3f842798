// A second reading of a generated help file, apart from the writer and only as far as the
// checks need it: it throws std::runtime_error at the first layout rule the viewers rely on
// that the file breaks, and renders the content as text to compare with the source.
#pragma once

#include "context_hash.h"
#include "help_document.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace hlpcheck {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kNone = 0xFFFFFFFF, kTitle = 1, kContents = 3;
constexpr std::size_t kTreeHeader = 38, kLeafHeader = 8;
constexpr std::size_t kBlockOnDisk = 4096, kBlockHeader = 12, kBlockLimit = 0x4000;
constexpr std::size_t kOffsetStride = 0x8000, kRecordHeader = 21, kSystemHeader = 12;
constexpr std::uint32_t kTopicHeader = 0x02, kParagraph = 0x20, kFont = 0x80;
constexpr std::uint32_t kEndOfHotspot = 0x89, kJump = 0xE3, kEnd = 0xFF, kFormatStart = 0x8000;

inline void need(bool holds, const std::string& rule) {
  if (!holds)
    throw std::runtime_error("help file breaks a layout rule: " + rule);
}

// Bounds-checked little-endian reading of bytes [at, end).
struct Cursor {
  const Bytes* bytes;
  std::size_t at, end;
  std::uint32_t n(std::size_t width) {
    need(at + width <= end && end <= bytes->size(), "read past the end of a part");
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
      value = value << 8 | (*bytes)[at + i];
    at += width;
    return value;
  }
  std::string z() {
    std::string text;
    for (char c = 0; (c = static_cast<char>(n(1))) != 0;)
      text += c;
    return text;
  }
  Cursor part(std::size_t from, std::size_t to) const { return {bytes, at + from, at + to}; }
  // WinHelp's variable-length numbers: an odd first byte marks the form twice as wide.
  std::uint32_t compressed(std::size_t narrow, std::uint32_t bias) {
    const bool wide = (part(0, 1).n(1) & 1) != 0;
    return n(wide ? 2 * narrow : narrow) / 2 - (wide ? bias << 8 * narrow : bias);
  }
  // An internal file (reserved size, used size, flags, the used bytes) or the entries of a B+
  // tree of one leaf page, with how many there are.
  Cursor internal_file(std::size_t header) const {
    Cursor used{bytes, header + 4, bytes->size()};
    return used.part(1, 1 + used.n(4));
  }
  std::uint32_t tree_entries() {
    const std::uint32_t entries = part(kTreeHeader + 2, kTreeHeader + 4).n(2);
    at += kTreeHeader + kLeafHeader;
    return entries;
  }
};

// Decodes one block, up to `limit` bytes.
inline Bytes lz77_decode(const Bytes& in, std::size_t limit = SIZE_MAX) {
  Bytes out;
  unsigned flags = 0;
  for (std::size_t at = 0, item = 0; at < in.size() && out.size() < limit; ++item) {
    if (item % 8 == 0)
      flags = in[at++];
    if (at == in.size())
      break;
    if (((flags >> item % 8) & 1) == 0) {
      out.push_back(in[at++]);
      continue;
    }
    const std::size_t code = in[at] | in.at(at + 1) << 8; // throws if the stream ends inside
    const std::size_t length = (code >> 12) + 3, distance = (code & 0xFFF) + 1;
    need(distance <= out.size(), "LZ77 reference before the block start");
    for (std::size_t i = 0; i < length; ++i)
      out.push_back(out[out.size() - distance]);
    at += 2;
  }
  return out;
}

// Text as it reads; a jump as {context hash:hotspot text}.
inline std::string render_paragraph(Cursor data1, Cursor text, std::uint32_t text_size) {
  need(data1.compressed(2, 0x4000) == text_size && data1.compressed(1, 0) == text_size &&
           data1.n(4) == kFormatStart,
       "paragraph text size, then the format start: 0x00, 0x80, id 0");
  for (std::uint32_t bit = data1.n(2); bit != 0; bit &= bit - 1)
    data1.compressed(1, 0x40); // space above, left indent
  std::string out;
  for (std::uint32_t command = 0; (command = data1.n(1)) != kEnd;) {
    out += text.z(); // a text piece precedes every command
    if (command == kFont)
      data1.n(2);
    else if (command == kJump)
      out += "{" + std::to_string(static_cast<std::int32_t>(data1.n(4))) + ":";
    else if (command == kEndOfHotspot)
      out += "}";
  }
  need(text.at == text.end && data1.at == data1.end, "nothing after the last command");
  return out;
}

struct HelpFile {
  std::string text; // title|contents topic, then the topics
  std::size_t blocks = 0;
  std::map<std::int32_t, std::string> context; // topic title by context hash
};

inline HelpFile decode_help_file(const Bytes& file) {
  const Cursor header{&file, 0, file.size()};
  Cursor directory = header.internal_file(header.part(4, 8).n(4));
  std::map<std::string, Cursor> parts;
  for (auto count = directory.tree_entries(); count-- > 0;) {
    std::string name = directory.z();
    need(parts.empty() || parts.rbegin()->first < name, "directory in byte order");
    parts.emplace(name, header.internal_file(directory.n(4)));
  }

  Cursor system = parts.at("|SYSTEM");
  std::map<std::uint32_t, Cursor> records; // by type
  for (system.at += kSystemHeader; system.at < system.end;) {
    const std::uint32_t type = system.n(2), size = system.n(2);
    records.emplace(type, system.part(0, size));
    system.at += size;
  }

  const Cursor topic = parts.at("|TOPIC");
  std::vector<Bytes> blocks;
  for (auto at = file.begin() + topic.at; at < file.begin() + topic.end; at += kBlockOnDisk)
    blocks.push_back(lz77_decode(Bytes(at + kBlockHeader, at + kBlockOnDisk), kBlockLimit));
  std::map<std::uint32_t, std::string> titles; // by topic offset
  HelpFile help{"", blocks.size(), {}};
  std::uint32_t characters = 0;
  for (std::uint32_t position = kBlockHeader, block = 0; position != kNone;) {
    // Topic offsets count the text characters from the start of the topic's block.
    characters = (position - kBlockHeader) / kBlockLimit == block ? characters : 0;
    block = (position - kBlockHeader) / kBlockLimit;
    Cursor record{&blocks.at(block), (position - kBlockHeader) % kBlockLimit, blocks[block].size()};
    const std::uint32_t size = record.n(4), text_size = record.n(4), previous = record.n(4);
    const std::uint32_t next = record.n(4), data1_size = record.n(4), type = record.n(1);
    need(next > position && (previous == kNone || previous < position), "records in order");
    const Cursor data1 = record.part(0, data1_size - kRecordHeader);
    const Cursor data2 = record.part(data1_size - kRecordHeader, size - kRecordHeader);
    if (type == kTopicHeader) {
      const std::string title = data2.part(0, data2.end - data2.at).z();
      titles[block * kOffsetStride + characters] = title;
      help.text += "== " + title + "\n";
    } else {
      need(type == kParagraph && !titles.empty(), "paragraphs follow a topic header");
      help.text += render_paragraph(data1, data2, text_size) + "\n";
      characters += text_size;
    }
    position = next;
  }
  help.text =
      records.at(kTitle).z() + "|" + titles.at(records.at(kContents).n(4)) + "\n" + help.text;

  // Jumps lead to topics through |CONTEXT, which the viewer searches by the signed hash.
  Cursor context = parts.at("|CONTEXT");
  for (auto count = context.tree_entries(); count-- > 0;) {
    const auto hash = static_cast<std::int32_t>(context.n(4));
    need(help.context.empty() || help.context.rbegin()->first < hash, "|CONTEXT sorted by hash");
    help.context[hash] = titles.at(context.n(4));
  }
  return help;
}

// What a document's help file must render as: jumps by their target's hash, which the context
// map leads to a topic.
inline std::string rendered(const hlpgen::HelpDocument& document) {
  const std::int32_t contents = hlpgen::context_hash(
      document.contents_context.empty() ? document.topics[0].context : document.contents_context);
  const auto it = std::find_if(document.topics.begin(), document.topics.end(), [&](const auto& t) {
    return hlpgen::context_hash(t.context) == contents;
  });
  std::string text = document.title + "|" + it->title;
  for (const hlpgen::Topic& topic : document.topics) {
    // The viewer shows no title by itself, so each topic opens with it.
    text += "\n== " + topic.title + "\n" + topic.title;
    for (const hlpgen::Paragraph& paragraph : topic.paragraphs) {
      text += paragraph.kind == hlpgen::ParagraphKind::Bullet ? "\n\x95 " : "\n";
      for (const hlpgen::TextSpan& span : paragraph.spans) {
        text += span.jump_target.empty()
                    ? span.text
                    : "{" + std::to_string(hlpgen::context_hash(span.jump_target)) + ":" +
                          span.text + "}";
      }
    }
  }
  return text + "\n";
}

} // namespace hlpcheck
