#include "hlp_reader.h"

#include <map>
#include <set>

#include "hlp_lz77_decoder.h"

namespace hlpreader {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kMagic = 0x00035F3F;
constexpr std::size_t kInternalHeader = 9;
constexpr std::uint16_t kTreeMagic = 0x293B;
constexpr std::size_t kTreeHeader = 38;
constexpr std::size_t kLeafHeader = 8;
constexpr std::size_t kIndexHeader = 6;
constexpr std::uint16_t kNoPage = 0xFFFF;
constexpr std::uint16_t kSystemMagic = 0x036C;
constexpr std::size_t kFontDescriptorSize = 11;
constexpr std::size_t kTopicBlockOnDisk = 4096;
constexpr std::size_t kTopicBlockHeader = 12;
constexpr std::size_t kDecodedBlockLimit = 0x4000;
constexpr std::uint32_t kOffsetBlockStride = 0x8000;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFF;
constexpr std::size_t kRecordHeader = 21;
constexpr std::size_t kTopicHeaderData = 28;
constexpr std::uint8_t kTypeTopicHeader = 0x02;
constexpr std::uint8_t kTypeParagraph = 0x20;

// Bounds-checked reading of little-endian values.
class Cursor {
public:
  Cursor(const std::uint8_t* data, std::size_t size, const char* what)
      : data_(data), size_(size), what_(what) {}

  std::size_t position() const { return at_; }
  std::size_t remaining() const { return size_ - at_; }
  bool at_end() const { return at_ >= size_; }
  void seek(std::size_t to) {
    if (to > size_) {
      fail("seek past the end");
    }
    at_ = to;
  }
  void skip(std::size_t count) { seek(need(count) + count); }
  std::uint8_t peek() const {
    if (at_ >= size_) {
      fail("unexpected end");
    }
    return data_[at_];
  }
  std::uint8_t u8() {
    const std::size_t at = need(1);
    ++at_;
    return data_[at];
  }
  std::uint16_t u16() {
    const std::size_t at = need(2);
    at_ += 2;
    return static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8));
  }
  std::uint32_t u32() {
    const std::uint32_t low = u16();
    return low | (std::uint32_t{u16()} << 16);
  }
  std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
  std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
  std::string cstring() {
    std::string text;
    while (true) {
      const std::uint8_t c = u8();
      if (c == 0) {
        return text;
      }
      text.push_back(static_cast<char>(c));
    }
  }
  std::string fixed_string(std::size_t size) {
    const std::size_t at = need(size);
    at_ += size;
    std::string text(reinterpret_cast<const char*>(data_ + at), size);
    return text.substr(0, text.find('\0'));
  }
  // WinHelp's variable-length numbers: the low bit of the first byte selects the wide form.
  std::uint16_t compressed_ushort() {
    if (peek() & 1) {
      return static_cast<std::uint16_t>(u16() / 2);
    }
    return static_cast<std::uint16_t>(u8() / 2);
  }
  std::int16_t compressed_short() {
    constexpr int kWideBias = 0x8000;
    constexpr int kNarrowBias = 0x80;
    if (peek() & 1) {
      return static_cast<std::int16_t>((int{u16()} - kWideBias) / 2);
    }
    return static_cast<std::int16_t>((int{u8()} - kNarrowBias) / 2);
  }
  std::int32_t compressed_long() {
    constexpr std::int64_t kWideBias = 0x80000000LL;
    constexpr std::int64_t kNarrowBias = 0x8000;
    if (peek() & 1) {
      return static_cast<std::int32_t>((std::int64_t{u32()} - kWideBias) / 2);
    }
    return static_cast<std::int32_t>((std::int64_t{u16()} - kNarrowBias) / 2);
  }

  [[noreturn]] void fail(const std::string& message) const {
    throw HlpFormatError(std::string(what_) + ": " + message);
  }

private:
  std::size_t need(std::size_t count) const {
    if (count > size_ - at_) {
      fail("unexpected end");
    }
    return at_;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  const char* what_;
  std::size_t at_ = 0;
};

struct InternalFile {
  const std::uint8_t* data; // after the 9-byte header
  std::size_t size;         // used size
};

InternalFile internal_file_at(const Bytes& file, std::uint32_t offset, const char* name) {
  Cursor cursor(file.data(), file.size(), name);
  cursor.seek(offset);
  const std::uint32_t reserved = cursor.u32();
  const std::uint32_t used = cursor.u32();
  cursor.u8();
  if (std::uint64_t{used} + kInternalHeader > reserved) {
    cursor.fail("used size larger than reserved size");
  }
  if (std::uint64_t{offset} + reserved > file.size()) {
    cursor.fail("internal file runs past the end of the help file");
  }
  return {file.data() + offset + kInternalHeader, used};
}

// Visits every leaf entry of a B+ tree in key order, descending through index pages by their
// first child as the viewer does.
template <typename ReadEntry>
void for_each_leaf_entry(const InternalFile& tree, const char* what, ReadEntry read_entry) {
  Cursor header(tree.data, tree.size, what);
  if (header.u16() != kTreeMagic) {
    header.fail("bad B+ tree magic");
  }
  header.u16(); // flags
  const std::uint16_t page_size = header.u16();
  constexpr std::size_t kStructureAndTwoWords = 16 + 2 + 2; // structure, must-be-zero, splits
  header.skip(kStructureAndTwoWords);
  std::uint16_t page = header.u16();
  header.u16();
  const std::uint16_t total_pages = header.u16();
  std::uint16_t levels = header.u16();
  if (page_size < kLeafHeader || levels == 0) {
    header.fail("bad B+ tree header");
  }
  const std::uint8_t* pages = tree.data + kTreeHeader;
  const std::size_t pages_size = tree.size - kTreeHeader;
  auto page_cursor = [&](std::uint16_t index) {
    if (index >= total_pages || std::size_t{index + 1u} * page_size > pages_size) {
      header.fail("page number out of range");
    }
    return Cursor(pages + std::size_t{index} * page_size, page_size, what);
  };
  while (--levels > 0) {
    Cursor index = page_cursor(page);
    index.seek(kIndexHeader - 2);
    page = index.u16(); // the first child precedes the index entries
  }
  std::set<std::uint16_t> seen;
  while (page != kNoPage) {
    if (!seen.insert(page).second) {
      header.fail("leaf pages form a loop");
    }
    Cursor leaf = page_cursor(page);
    leaf.u16();
    const std::uint16_t entries = leaf.u16();
    leaf.u16();
    const std::uint16_t next = leaf.u16();
    for (std::uint16_t i = 0; i < entries; ++i) {
      read_entry(leaf);
    }
    page = next;
  }
}

class Reader {
public:
  explicit Reader(const Bytes& file) : file_(file) {}

  ReadHelpFile read() {
    Cursor header(file_.data(), file_.size(), "file header");
    if (header.u32() != kMagic) {
      header.fail("not a help file");
    }
    const std::uint32_t directory_offset = header.u32();
    header.u32();
    if (header.u32() != file_.size()) {
      header.fail("stored file size differs from the real size");
    }
    const InternalFile directory = internal_file_at(file_, directory_offset, "directory");
    for_each_leaf_entry(directory, "directory", [&](Cursor& entry) {
      std::string name = entry.cstring();
      const std::uint32_t offset = entry.u32();
      result_.directory.push_back(name);
      files_[name] = offset;
    });
    read_system();
    read_fonts();
    read_context();
    read_topics();
    return std::move(result_);
  }

private:
  InternalFile find(const std::string& name) {
    const auto found = files_.find(name);
    if (found == files_.end()) {
      throw HlpFormatError("missing internal file " + name);
    }
    return internal_file_at(file_, found->second, name.c_str());
  }

  void read_system() {
    const InternalFile system = find("|SYSTEM");
    Cursor cursor(system.data, system.size, "|SYSTEM");
    if (cursor.u16() != kSystemMagic) {
      cursor.fail("bad magic");
    }
    result_.system_minor = cursor.u16();
    cursor.u16();
    result_.generation_date = cursor.u32();
    result_.system_flags = cursor.u16();
    constexpr std::uint16_t kTitle = 1;
    constexpr std::uint16_t kCopyright = 2;
    constexpr std::uint16_t kContents = 3;
    constexpr std::uint16_t kWindow = 6;
    constexpr std::size_t kWindowRecordSize = 90;
    constexpr std::uint16_t kWindowHasName = 0x0002;
    constexpr std::uint16_t kWindowHasCaption = 0x0004;
    constexpr std::size_t kWindowTypeSize = 10;
    constexpr std::size_t kWindowNameSize = 9;
    constexpr std::size_t kWindowCaptionSize = 51;
    while (!cursor.at_end()) {
      const std::uint16_t type = cursor.u16();
      const std::uint16_t length = cursor.u16();
      const std::size_t record_end = cursor.position() + length;
      if (record_end > system.size) {
        cursor.fail("record runs past the end");
      }
      Cursor record(system.data + cursor.position(), length, "|SYSTEM record");
      if (type == kTitle) {
        result_.title = record.cstring();
      } else if (type == kCopyright) {
        result_.copyright = record.cstring();
      } else if (type == kContents) {
        result_.contents_offset = record.u32();
      } else if (type == kWindow) {
        if (length != kWindowRecordSize) {
          record.fail("window record of " + std::to_string(length) + " bytes");
        }
        const std::uint16_t flags = record.u16();
        record.fixed_string(kWindowTypeSize);
        const std::string name = record.fixed_string(kWindowNameSize);
        const std::string caption = record.fixed_string(kWindowCaptionSize);
        if ((flags & kWindowHasName) && (flags & kWindowHasCaption) && name == "main") {
          result_.main_window_caption = caption;
        }
      }
      cursor.seek(record_end);
    }
  }

  void read_fonts() {
    const InternalFile font = find("|FONT");
    Cursor cursor(font.data, font.size, "|FONT");
    const std::uint16_t faces = cursor.u16();
    const std::uint16_t descriptors = cursor.u16();
    const std::uint16_t faces_at = cursor.u16();
    const std::uint16_t descriptors_at = cursor.u16();
    if (faces == 0 || descriptors_at < faces_at) {
      cursor.fail("bad header");
    }
    const std::size_t face_size = (descriptors_at - faces_at) / faces;
    std::vector<std::string> names;
    cursor.seek(faces_at);
    for (std::uint16_t i = 0; i < faces; ++i) {
      names.push_back(cursor.fixed_string(face_size));
    }
    cursor.seek(descriptors_at);
    for (std::uint16_t i = 0; i < descriptors; ++i) {
      const std::size_t start = cursor.position();
      ReadFont read;
      read.attributes = cursor.u8();
      read.half_points = cursor.u8();
      read.family = cursor.u8();
      const std::uint16_t face = cursor.u16();
      if (face >= names.size()) {
        cursor.fail("face index out of range");
      }
      read.face = names[face];
      cursor.seek(start + kFontDescriptorSize);
      result_.fonts.push_back(read);
    }
  }

  void read_context() {
    for_each_leaf_entry(find("|CONTEXT"), "|CONTEXT", [&](Cursor& entry) {
      const std::int32_t hash = entry.i32();
      const std::uint32_t offset = entry.u32();
      result_.context.emplace_back(hash, offset);
    });
  }

  void read_topics() {
    const InternalFile topic = find("|TOPIC");
    if (result_.system_flags != 4 || result_.system_minor <= 16) {
      throw HlpFormatError("|SYSTEM: only compressed 4 KiB topic blocks are read");
    }
    for (std::size_t start = 0; start < topic.size; start += kTopicBlockOnDisk) {
      const std::size_t length = std::min(kTopicBlockOnDisk, topic.size - start);
      if (length <= kTopicBlockHeader) {
        throw HlpFormatError("|TOPIC: truncated block");
      }
      blocks_.push_back(lz77_decode(topic.data + start + kTopicBlockHeader,
                                    length - kTopicBlockHeader, kDecodedBlockLimit));
    }
    std::uint32_t position = kTopicBlockHeader;
    std::size_t current_block = SIZE_MAX;
    std::uint32_t characters = 0;
    std::set<std::uint32_t> visited;
    while (position != kEndOfChain) {
      if (!visited.insert(position).second) {
        throw HlpFormatError("|TOPIC: record chain loops");
      }
      if (position < kTopicBlockHeader) {
        throw HlpFormatError("|TOPIC: bad record position");
      }
      const std::size_t block = (position - kTopicBlockHeader) / kDecodedBlockLimit;
      const std::size_t offset = (position - kTopicBlockHeader) % kDecodedBlockLimit;
      if (block >= blocks_.size()) {
        throw HlpFormatError("|TOPIC: record position past the last block");
      }
      if (block != current_block) {
        current_block = block;
        characters = 0;
      }
      const Bytes& data = blocks_[block];
      Cursor record(data.data(), data.size(), "|TOPIC record");
      record.seek(offset);
      const std::uint32_t record_size = record.u32();
      const std::uint32_t data2_size = record.u32();
      record.u32(); // previous
      const std::uint32_t next = record.u32();
      const std::uint32_t data1_size = record.u32();
      const std::uint8_t type = record.u8();
      if (data1_size < kRecordHeader || data1_size > record_size ||
          std::uint64_t{record_size} - data1_size != data2_size ||
          offset + std::uint64_t{record_size} > data.size()) {
        record.fail("inconsistent record sizes");
      }
      Cursor data1(data.data() + offset + kRecordHeader, data1_size - kRecordHeader, "LinkData1");
      Cursor data2(data.data() + offset + data1_size, data2_size, "LinkData2");
      if (type == kTypeTopicHeader) {
        ReadTopic topic_read;
        if (data1.remaining() < kTopicHeaderData) {
          data1.fail("topic header too short");
        }
        data1.skip(3 * 4);
        topic_read.number = data1.u32();
        topic_read.title = data2.cstring();
        topic_read.offset = static_cast<std::uint32_t>(block) * kOffsetBlockStride + characters;
        result_.topics.push_back(std::move(topic_read));
      } else if (type == kTypeParagraph) {
        if (result_.topics.empty()) {
          record.fail("paragraph before the first topic header");
        }
        characters += read_paragraph(data1, data2);
      } else {
        record.fail("unexpected record type " + std::to_string(type));
      }
      position = next;
    }
  }

  // Returns the number of characters the paragraph adds to the topic offset.
  std::uint32_t read_paragraph(Cursor& data1, Cursor& data2) {
    ReadParagraph paragraph;
    data1.compressed_long();
    const std::uint16_t length = data1.compressed_ushort();
    data1.skip(4);
    const std::uint16_t bits = data1.u16();
    constexpr std::uint16_t kSpaceAbove = 0x0002;
    constexpr std::uint16_t kLeftIndent = 0x0010;
    constexpr std::uint16_t kShortFields = 0x0004 | 0x0008 | 0x0020 | 0x0040;
    constexpr std::uint16_t kUnsupported = 0x0001 | 0x0100 | 0x0200;
    if (bits & kUnsupported) {
      data1.fail("paragraph format with topic-size, border or tab fields");
    }
    for (std::uint16_t bit = kSpaceAbove; bit <= 0x0040;
         bit = static_cast<std::uint16_t>(bit << 1)) {
      if (!(bits & bit)) {
        continue;
      }
      const std::int16_t value = data1.compressed_short();
      if (bit == kSpaceAbove) {
        paragraph.space_above = value;
      } else if (bit == kLeftIndent) {
        paragraph.left_indent = value;
      } else if (!(bit & kShortFields)) {
        data1.fail("unexpected format bit");
      }
    }

    constexpr std::uint8_t kFont = 0x80;
    constexpr std::uint8_t kEndOfParagraph = 0x82;
    constexpr std::uint8_t kEndOfHotspot = 0x89;
    constexpr std::uint8_t kJump = 0xE3;
    constexpr std::uint8_t kEnd = 0xFF;
    std::uint16_t font = 0;
    std::optional<std::int32_t> open_jump;
    while (true) {
      const std::uint8_t command = data1.u8();
      if (command == kEnd) {
        break;
      }
      // Every command is preceded by one text piece.
      std::string piece = data2.cstring();
      if (!piece.empty()) {
        paragraph.spans.push_back({piece, font, open_jump});
      }
      if (command == kFont) {
        font = data1.u16();
        if (font >= result_.fonts.size()) {
          data1.fail("font index out of range");
        }
      } else if (command == kJump) {
        if (open_jump) {
          data1.fail("jump inside a jump");
        }
        open_jump = data1.i32();
      } else if (command == kEndOfHotspot) {
        if (!open_jump) {
          data1.fail("end of hotspot without a jump");
        }
        open_jump.reset();
      } else if (command == kEndOfParagraph) {
        if (open_jump) {
          data1.fail("paragraph ends inside a jump");
        }
      } else {
        data1.fail("unknown formatting command " + std::to_string(command));
      }
    }
    if (!data2.at_end()) {
      data2.fail("text left over after the last command");
    }
    result_.topics.back().paragraphs.push_back(std::move(paragraph));
    return length;
  }

  const Bytes& file_;
  ReadHelpFile result_;
  std::map<std::string, std::uint32_t> files_;
  std::vector<Bytes> blocks_;
};

} // namespace

std::string ReadParagraph::text() const {
  std::string all;
  for (const ReadSpan& span : spans) {
    all += span.text;
  }
  return all;
}

const ReadTopic* ReadHelpFile::topic_at_offset(std::uint32_t offset) const {
  for (const ReadTopic& topic : topics) {
    if (topic.offset == offset) {
      return &topic;
    }
  }
  return nullptr;
}

const ReadTopic* ReadHelpFile::topic_for_hash(std::int32_t hash) const {
  for (const auto& [entry_hash, offset] : context) {
    if (entry_hash == hash) {
      return topic_at_offset(offset);
    }
  }
  return nullptr;
}

ReadHelpFile read_help_file(const std::vector<std::uint8_t>& file) {
  return Reader(file).read();
}

} // namespace hlpreader
