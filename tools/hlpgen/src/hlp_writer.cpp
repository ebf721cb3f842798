#include "hlp_writer.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "btree_writer.h"
#include "context_hash.h"
#include "font_table.h"
#include "topic_layout.h"

namespace hlpgen {
namespace {

constexpr std::uint32_t kFileMagic = 0x00035F3F;
constexpr std::uint32_t kNoFreeList = 0xFFFFFFFF;
constexpr std::size_t kFileHeaderSize = 16;
constexpr std::size_t kInternalHeaderSize = 9;
constexpr std::uint8_t kInternalFileFlags = 4;

constexpr std::uint16_t kSystemMagic = 0x036C;
constexpr std::uint16_t kSystemMinorWinHelp31 = 21;
constexpr std::uint16_t kSystemMajor = 1;
constexpr std::uint32_t kGenerationDate = 0; // fixed so that output is reproducible
constexpr std::uint16_t kSystemFlagsCompressed4k = 4;
constexpr std::uint16_t kSystemRecordTitle = 1;
constexpr std::uint16_t kSystemRecordCopyright = 2;
constexpr std::uint16_t kSystemRecordContents = 3;
constexpr std::uint16_t kSystemRecordWindow = 6;

// Window record: flags, type[10], name[9], caption[51], x, y, width, height, maximize, two colours.
constexpr std::uint16_t kWindowHasName = 0x0002;
constexpr std::uint16_t kWindowHasCaption = 0x0004;
constexpr std::size_t kWindowTypeSize = 10;
constexpr std::size_t kWindowNameSize = 9;
constexpr std::size_t kWindowCaptionSize = 51;
constexpr std::size_t kWindowRecordSize = 90;
constexpr std::size_t kWindowGeometryWords = 5;
constexpr std::size_t kWindowColourBytes = 8;

Bytes with_internal_header(const Bytes& content) {
  ByteBuffer out;
  const auto used = static_cast<std::uint32_t>(content.size());
  out.u32(static_cast<std::uint32_t>(used + kInternalHeaderSize));
  out.u32(used);
  out.u8(kInternalFileFlags);
  out.append(content);
  return out.take();
}

void system_string_record(ByteBuffer& out, std::uint16_t type, const std::string& value) {
  out.u16(type);
  out.u16(static_cast<std::uint16_t>(value.size() + 1));
  out.cstring(value);
}

Bytes build_system_file(const HelpDocument& document, std::uint32_t contents_offset) {
  ByteBuffer out;
  out.u16(kSystemMagic);
  out.u16(kSystemMinorWinHelp31);
  out.u16(kSystemMajor);
  out.u32(kGenerationDate);
  out.u16(kSystemFlagsCompressed4k);
  system_string_record(out, kSystemRecordTitle, document.title);
  if (!document.copyright.empty()) {
    system_string_record(out, kSystemRecordCopyright, document.copyright);
  }
  out.u16(kSystemRecordContents);
  out.u16(sizeof contents_offset);
  out.u32(contents_offset);
  // Without a main window record viewers make up their own caption (Wine adds its name and the
  // file's path); this one makes the caption the help file's title.
  ByteBuffer window;
  window.u16(kWindowHasName | kWindowHasCaption);
  window.padded("", kWindowTypeSize);
  window.padded("main", kWindowNameSize);
  window.padded(document.title.substr(0, kWindowCaptionSize - 1), kWindowCaptionSize);
  window.zeros(kWindowGeometryWords * sizeof(std::uint16_t) + kWindowColourBytes);
  if (window.size() != kWindowRecordSize) {
    throw std::logic_error("window record has the wrong size");
  }
  out.u16(kSystemRecordWindow);
  out.u16(static_cast<std::uint16_t>(window.size()));
  out.append(window.bytes());
  return out.take();
}

Bytes build_context_file(const HelpDocument& document, const std::vector<std::uint32_t>& offsets) {
  std::vector<std::pair<std::int32_t, std::uint32_t>> entries;
  for (std::size_t t = 0; t < document.topics.size(); ++t) {
    entries.emplace_back(context_hash(document.topics[t].context), offsets[t]);
  }
  // The viewer stops searching at the first larger hash, compared as signed numbers.
  std::sort(entries.begin(), entries.end());
  ByteBuffer encoded;
  for (const auto& [hash, offset] : entries) {
    encoded.i32(hash);
    encoded.u32(offset);
  }
  return build_single_leaf_btree(kContextLayout, static_cast<std::uint16_t>(entries.size()),
                                 encoded.bytes());
}

std::uint32_t contents_topic_offset(const HelpDocument& document,
                                    const std::vector<std::uint32_t>& offsets) {
  if (document.contents_context.empty()) {
    return offsets.front();
  }
  const std::int32_t wanted = context_hash(document.contents_context);
  for (std::size_t t = 0; t < document.topics.size(); ++t) {
    if (context_hash(document.topics[t].context) == wanted) {
      return offsets[t];
    }
  }
  throw std::invalid_argument("contents topic '" + document.contents_context + "' not found");
}

} // namespace

Bytes write_help_file(const HelpDocument& document) {
  if (document.topics.empty()) {
    throw std::invalid_argument("a help file needs at least one topic");
  }
  const TopicFile topics = lay_out_topics(document);

  // Internal files in the byte order of their names, the order the directory needs.
  std::vector<std::pair<std::string, Bytes>> files = {
      {"|CONTEXT", build_context_file(document, topics.topic_offsets)},
      {"|FONT", build_font_file()},
      {"|SYSTEM",
       build_system_file(document, contents_topic_offset(document, topics.topic_offsets))},
      {"|TOPIC", topics.content},
  };
  std::sort(files.begin(), files.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });

  ByteBuffer body;
  ByteBuffer directory_entries;
  for (const auto& [name, content] : files) {
    directory_entries.cstring(name);
    directory_entries.u32(static_cast<std::uint32_t>(kFileHeaderSize + body.size()));
    body.append(with_internal_header(content));
  }
  const Bytes directory = with_internal_header(build_single_leaf_btree(
      kDirectoryLayout, static_cast<std::uint16_t>(files.size()), directory_entries.bytes()));

  ByteBuffer out;
  const auto directory_offset = static_cast<std::uint32_t>(kFileHeaderSize + body.size());
  out.u32(kFileMagic);
  out.u32(directory_offset);
  out.u32(kNoFreeList);
  out.u32(static_cast<std::uint32_t>(directory_offset + directory.size()));
  out.append(body.bytes());
  out.append(directory);
  return out.take();
}

} // namespace hlpgen
