// A second reading of a generated help file, apart from the writer and only as far as the
// checks need it: it throws std::runtime_error at the first layout rule the viewers rely on
// that the file breaks, and renders the content as text to compare with the source.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace hlpcheck {

using Bytes = std::vector<std::uint8_t>;
using Reference = std::pair<std::size_t, std::size_t>; // length, distance

constexpr std::uint32_t kFileMagic = 0x00035F3F, kTreeMagic = 0x293B, kSystemMagic = 0x036C;
constexpr std::uint32_t kNone = 0xFFFFFFFF, kMinor31 = 21, kCompressed4k = 4;
constexpr std::size_t kInternalHeader = 9, kTreeHeader = 38, kLeafHeader = 8;
constexpr std::size_t kDirectoryPage = 0x400, kContextPage = 0x800;
constexpr std::size_t kBlockOnDisk = 4096, kBlockHeader = 12, kBlockLimit = 0x4000;
constexpr std::size_t kOffsetStride = 0x8000, kRecordHeader = 21, kTopicNumber = 12;
constexpr std::uint32_t kTitle = 1, kCopyright = 2, kContents = 3, kWindow = 6;
constexpr std::size_t kWindowName = 12, kWindowCaption = 21;
constexpr std::uint32_t kTopicHeader = 0x02, kParagraph = 0x20, kFormatFields = 0x02 | 0x10;
constexpr std::uint32_t kFont = 0x80, kEndOfParagraph = 0x82, kEndOfHotspot = 0x89;
constexpr std::uint32_t kJump = 0xE3, kEnd = 0xFF, kOnePageOneLevel = 0x00010001;
constexpr std::uint32_t kLongBias = 0x4000, kShortBias = 0x40, kFormatStart = 0x8000;

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
  Cursor from(std::size_t offset) const { return {bytes, at + offset, end}; }
  // WinHelp's variable-length numbers: an odd first byte marks the form twice as wide.
  std::uint32_t compressed(std::size_t narrow, std::uint32_t bias) {
    const bool wide = (part(0, 1).n(1) & 1) != 0;
    return n(wide ? 2 * narrow : narrow) / 2 - (wide ? bias << 8 * narrow : bias);
  }
};

// Decodes one block; references, if given, receives every back reference.
inline Bytes lz77_decode(const Bytes& in, std::size_t limit = SIZE_MAX,
                         std::vector<Reference>* references = nullptr) {
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
    need(at + 1 < in.size(), "LZ77 stream ends inside a reference");
    const std::size_t code = in[at] | in[at + 1] << 8;
    const Reference reference{(code >> 12) + 3, (code & 0xFFF) + 1};
    need(reference.second <= out.size(), "LZ77 reference before the block start");
    for (std::size_t i = 0; i < reference.first; ++i)
      out.push_back(out[out.size() - reference.second]);
    if (references)
      references->push_back(reference);
    at += 2;
  }
  return out;
}

inline Cursor internal_file(const Bytes& file, std::size_t at) {
  Cursor header{&file, at, file.size()};
  const std::uint32_t reserved = header.n(4), used = header.n(4);
  need(reserved == used + kInternalHeader, "reserved size is the used size plus the header");
  return header.part(1, 1 + used);
}

// Moves to the entries of a B+ tree of one full leaf page and returns how many there are.
inline std::uint32_t tree_entries(Cursor& tree, std::uint32_t page) {
  // magic, flags, page size, structure[16], 0, page splits, root page, -1, pages, levels, entries
  need(tree.part(0, 2).n(2) == kTreeMagic && tree.part(4, 6).n(2) == page, "B+ tree header");
  need(tree.part(26, 28).n(2) == 0 && tree.part(30, 34).n(4) == kOnePageOneLevel,
       "one page on one level: the root, a leaf");
  tree.at += kTreeHeader; // the leaf: unused bytes, entries, previous page, next page, entries
  need(tree.end - tree.at == page && tree.part(4, 8).n(4) == kNone, "one full leaf page");
  const std::uint32_t entries = tree.part(2, 4).n(2);
  tree.at += kLeafHeader;
  return entries;
}

// Text as it reads; formatting commands as <font index>, {@context hash:hotspot text}.
inline std::string render_paragraph(Cursor data1, Cursor text, std::uint32_t text_size) {
  need(data1.compressed(2, kLongBias) == text_size && data1.compressed(1, 0) == text_size,
       "paragraph text size");
  need(data1.n(4) == kFormatStart, "paragraph format start: 0x00, 0x80, id 0");
  const std::uint32_t fields = data1.n(2);
  need((fields & ~kFormatFields) == 0, "only space above and left indent");
  for (std::uint32_t bit = fields; bit != 0; bit &= bit - 1)
    data1.compressed(1, kShortBias);
  std::string out;
  bool in_jump = false;
  for (std::uint32_t command = 0; (command = data1.n(1)) != kEnd;) {
    need(command == kFont || command == kEndOfParagraph || command == kEndOfHotspot ||
             command == kJump,
         "known formatting command");
    out += text.z(); // a text piece precedes every command
    if (command == kJump || command == kEndOfHotspot) {
      need(in_jump == (command == kEndOfHotspot), "hotspots neither nested nor left open");
      in_jump = !in_jump;
    }
    if (command == kFont)
      out += "<" + std::to_string(data1.n(2)) + ">";
    else if (command == kJump)
      out += "{@" + std::to_string(static_cast<std::int32_t>(data1.n(4))) + ":";
    else
      out += command == kEndOfHotspot ? "}" : "";
    need(command != kEndOfParagraph || !in_jump, "paragraph ends outside hotspots");
  }
  need(text.at == text.end && data1.at == data1.end, "nothing after the last command");
  return out;
}

struct HelpFile {
  std::string text; // title|copyright|caption|contents topic, then the topics
  std::size_t blocks = 0;
  std::map<std::int32_t, std::string> context; // topic title by context hash
};

inline HelpFile decode_help_file(const Bytes& file) {
  Cursor header{&file, 0, file.size()};
  need(header.n(4) == kFileMagic, "file magic");
  Cursor directory = internal_file(file, header.n(4));
  need(header.n(4) == kNone && header.n(4) == file.size(), "no free list, true file size");
  std::map<std::string, Cursor> parts;
  for (auto count = tree_entries(directory, kDirectoryPage); count-- > 0;) {
    std::string name = directory.z();
    need(parts.empty() || parts.rbegin()->first < name, "directory in byte order");
    parts.emplace(name, internal_file(file, directory.n(4)));
  }
  for (const char* name : {"|CONTEXT", "|FONT", "|SYSTEM", "|TOPIC"})
    need(parts.contains(name), std::string("internal file ") + name);

  Cursor system = parts.at("|SYSTEM");
  need(system.n(2) == kSystemMagic && system.n(2) == kMinor31 && system.n(2) == 1, "WinHelp 3.1");
  need(system.n(4) == 0, "no generation date, so that builds compare byte for byte");
  need(system.n(2) == kCompressed4k, "compressed topic blocks");
  std::map<std::uint32_t, Cursor> records; // by type
  while (system.at < system.end) {
    const std::uint32_t type = system.n(2), size = system.n(2);
    records.emplace(type, system.part(0, size));
    system.at += size;
  }
  need(system.at == system.end, "records fill |SYSTEM");
  const auto record_text = [&records](std::uint32_t type, std::size_t offset) {
    return records.contains(type) ? records.at(type).from(offset).z() : std::string();
  };

  Cursor context = parts.at("|CONTEXT");
  std::vector<std::pair<std::int32_t, std::uint32_t>> entries; // hash, topic offset
  for (auto count = tree_entries(context, kContextPage); count-- > 0;) {
    const auto hash = static_cast<std::int32_t>(context.n(4));
    need(entries.empty() || entries.back().first < hash, "|CONTEXT sorted by signed hash");
    entries.emplace_back(hash, context.n(4));
  }

  const Cursor topic = parts.at("|TOPIC");
  need((topic.end - topic.at) % kBlockOnDisk == 0, "whole topic blocks");
  std::vector<Bytes> blocks;
  for (auto at = file.begin() + topic.at; at < file.begin() + topic.end; at += kBlockOnDisk)
    blocks.push_back(lz77_decode(Bytes(at + kBlockHeader, at + kBlockOnDisk), kBlockLimit));
  std::map<std::uint32_t, std::string> titles; // by topic offset
  std::string text;
  std::uint32_t previous = kNone, characters = 0;
  for (std::uint32_t position = kBlockHeader, block = 0; position != kNone;) {
    // Topic offsets count the text characters from the start of the topic's block.
    characters = (position - kBlockHeader) / kBlockLimit == block ? characters : 0;
    block = (position - kBlockHeader) / kBlockLimit;
    need(block < blocks.size(), "record inside the topic blocks");
    Cursor record{&blocks[block], (position - kBlockHeader) % kBlockLimit, blocks[block].size()};
    const std::uint32_t size = record.n(4), text_size = record.n(4);
    need(record.n(4) == previous, "record links back to the one before");
    const std::uint32_t next = record.n(4), data1_size = record.n(4), type = record.n(1);
    need(next == kNone || next > position, "records follow each other forward");
    need(data1_size >= kRecordHeader && size == data1_size + text_size, "record sizes");
    const Cursor data1 = record.part(0, data1_size - kRecordHeader);
    const Cursor data2 = record.part(data1_size - kRecordHeader, size - kRecordHeader);
    if (type == kTopicHeader) {
      need(data1.part(kTopicNumber, kTopicNumber + 4).n(4) == titles.size(), "topic number");
      const std::string title = data2.from(0).z();
      titles[block * kOffsetStride + characters] = title;
      text += "== " + title + "\n";
    } else {
      need(type == kParagraph && !titles.empty(), "paragraphs follow a topic header");
      text += render_paragraph(data1, data2, text_size) + "\n";
      characters += text_size;
    }
    previous = position;
    position = next;
  }

  // Jumps and the contents lead to topics through |CONTEXT and topic offsets.
  std::map<std::int32_t, std::string> context_titles;
  for (const auto& [hash, offset] : entries) {
    need(titles.contains(offset), "|CONTEXT entry leads to a topic");
    context_titles[hash] = titles[offset];
    const std::string jump = "{@" + std::to_string(hash) + ":";
    for (std::size_t at = 0; (at = text.find(jump, at)) != std::string::npos;)
      text.replace(at, jump.size(), "{" + titles[offset] + ":");
  }
  const std::uint32_t contents = records.contains(kContents) ? records.at(kContents).n(4) : kNone;
  need(titles.contains(contents), "contents topic");
  need(record_text(kWindow, kWindowName) == "main", "main window record");
  return {record_text(kTitle, 0) + "|" + record_text(kCopyright, 0) + "|" +
              record_text(kWindow, kWindowCaption) + "|" + titles[contents] + "\n" + text,
          blocks.size(), context_titles};
}

} // namespace hlpcheck
