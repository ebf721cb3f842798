#include "topic_layout.h"

#include <stdexcept>

#include "lz77_compressor.h"
#include "paragraph_encoder.h"

namespace hlpgen {
namespace {

constexpr std::size_t kBlockSizeOnDisk = 4096;
constexpr std::size_t kBlockHeaderSize = 12;
constexpr std::size_t kMaxCompressedBlock = kBlockSizeOnDisk - kBlockHeaderSize;
constexpr std::size_t kMaxDecompressedBlock = 0x4000;
// Each 8 literals cost one flag byte, so this much data always fits without compressing it.
constexpr std::size_t kAlwaysFits = kMaxCompressedBlock * 8 / 9;
constexpr std::uint32_t kTopicOffsetBlockStride = 0x8000;
constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::size_t kRecordHeaderSize = 21;
constexpr std::uint8_t kRecordTopicHeader = 0x02;
constexpr std::uint8_t kRecordParagraph = 0x20;

constexpr std::int16_t kHeadingSpaceAbove = 12;
constexpr std::int16_t kBodySpaceAbove = 6;
constexpr std::int16_t kBulletSpaceAbove = 3;
constexpr std::int16_t kBulletIndent = 20;

// Free passes reproduce the tightest split when the layout settles by itself.
constexpr std::size_t kFreeLayoutPasses = 8;

enum class Moves { AnyBlock, LaterBlocksOnly };

struct Placement {
  std::size_t block = 0;
  std::size_t offset = 0;
  bool operator==(const Placement&) const = default;
};

std::uint32_t topic_position(const Placement& placement) {
  return static_cast<std::uint32_t>(kBlockHeaderSize + placement.block * kMaxDecompressedBlock +
                                    placement.offset);
}

struct RecordSource {
  std::uint8_t type = 0;
  std::size_t topic = 0;
  EncodedParagraph paragraph; // for paragraphs; a topic header's LinkData2 is the title
  std::string title;
};

ParagraphLook look_for(ParagraphKind kind) {
  ParagraphLook look;
  switch (kind) {
  case ParagraphKind::Heading:
    look.font = FontIndex::Heading;
    look.bold_font = FontIndex::Heading;
    look.space_above = kHeadingSpaceAbove;
    break;
  case ParagraphKind::Bullet:
    look.space_above = kBulletSpaceAbove;
    look.left_indent = kBulletIndent;
    look.bullet = true;
    break;
  case ParagraphKind::Body:
    look.space_above = kBodySpaceAbove;
    break;
  }
  return look;
}

class TopicLayout {
public:
  explicit TopicLayout(const HelpDocument& document) : document_(document) {
    for (std::size_t t = 0; t < document.topics.size(); ++t) {
      const Topic& topic = document.topics[t];
      header_index_.push_back(records_.size());
      records_.push_back({kRecordTopicHeader, t, {}, topic.title});
      // The viewer does not show a topic's title by itself, so it opens the topic's text.
      ParagraphLook title_look;
      title_look.font = FontIndex::Title;
      title_look.bold_font = FontIndex::Title;
      Paragraph title_paragraph{ParagraphKind::Heading, {{topic.title, SpanStyle::Plain, {}}}};
      records_.push_back({kRecordParagraph, t, encode_paragraph(title_paragraph, title_look), {}});
      for (const Paragraph& paragraph : topic.paragraphs) {
        records_.push_back(
            {kRecordParagraph, t, encode_paragraph(paragraph, look_for(paragraph.kind)), {}});
      }
    }
  }

  TopicFile build() {
    // Start as if everything were in one block; each pass places the records with the
    // positions of the previous pass until the split into blocks stops changing.
    placements_.resize(records_.size());
    std::size_t offset = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
      placements_[i] = {0, offset};
      offset += encode(i).size();
    }
    // Whether a block fits depends on how well it compresses, and that depends on the positions
    // written into its records, so free passes can flip between two splits forever. After a few
    // free passes (which pack tightest and settle for almost every document) records may only
    // move to later blocks: each further pass that changes anything then raises some record's
    // block number, and as record i can only be in blocks 0..i, those passes are bounded.
    const std::size_t record_count = records_.size();
    const std::size_t pass_limit = kFreeLayoutPasses + record_count * (record_count + 1) / 2 + 1;
    for (std::size_t pass = 0; pass < pass_limit; ++pass) {
      std::vector<Placement> next =
          place(pass < kFreeLayoutPasses ? Moves::AnyBlock : Moves::LaterBlocksOnly);
      if (next == placements_) {
        return assemble();
      }
      placements_ = std::move(next);
    }
    throw std::logic_error("topic layout does not settle");
  }

private:
  std::uint32_t topic_offset(std::size_t topic) const {
    const std::size_t header = header_index_[topic];
    const std::size_t block = placements_[header].block;
    std::uint32_t characters = 0;
    for (std::size_t i = 0; i < header; ++i) {
      if (placements_[i].block == block && records_[i].type == kRecordParagraph) {
        characters += static_cast<std::uint32_t>(records_[i].paragraph.link_data2.size());
      }
    }
    return static_cast<std::uint32_t>(block * kTopicOffsetBlockStride) + characters;
  }

  std::uint32_t position_of(std::size_t record) const {
    return record < records_.size() ? topic_position(placements_[record]) : kNone;
  }

  Bytes encode(std::size_t i) const {
    const RecordSource& record = records_[i];
    Bytes data1;
    Bytes data2;
    if (record.type == kRecordTopicHeader) {
      const std::size_t topic = record.topic;
      const std::size_t topic_count = document_.topics.size();
      const std::size_t topic_end =
          topic + 1 < topic_count ? header_index_[topic + 1] : records_.size();
      std::uint32_t topic_bytes = 0;
      for (std::size_t r = i; r < topic_end; ++r) {
        topic_bytes += static_cast<std::uint32_t>(record_size(r));
      }
      ByteBuffer header;
      header.u32(topic_bytes);
      header.u32(topic > 0 ? topic_offset(topic - 1) : kNone);
      header.u32(topic + 1 < topic_count ? topic_offset(topic + 1) : kNone);
      header.u32(static_cast<std::uint32_t>(topic));
      header.u32(kNone); // no non-scrolling region
      header.u32(position_of(i + 1));
      header.u32(topic + 1 < topic_count ? position_of(header_index_[topic + 1]) : kNone);
      data1 = header.take();
      ByteBuffer title;
      title.cstring(record.title);
      data2 = title.take();
    } else {
      data1 = record.paragraph.link_data1;
      data2 = record.paragraph.link_data2;
    }
    ByteBuffer out;
    out.u32(static_cast<std::uint32_t>(kRecordHeaderSize + data1.size() + data2.size()));
    out.u32(static_cast<std::uint32_t>(data2.size()));
    out.u32(i > 0 ? position_of(i - 1) : kNone);
    out.u32(position_of(i + 1));
    out.u32(static_cast<std::uint32_t>(kRecordHeaderSize + data1.size()));
    out.u8(record.type);
    out.append(data1);
    out.append(data2);
    return out.take();
  }

  std::size_t record_size(std::size_t i) const {
    const RecordSource& record = records_[i];
    if (record.type == kRecordTopicHeader) {
      constexpr std::size_t kTopicHeaderData1Size = 28;
      return kRecordHeaderSize + kTopicHeaderData1Size + record.title.size() + 1;
    }
    return kRecordHeaderSize + record.paragraph.link_data1.size() +
           record.paragraph.link_data2.size();
  }

  static bool fits(const Bytes& block) {
    if (block.size() > kMaxDecompressedBlock) {
      return false;
    }
    return block.size() <= kAlwaysFits || lz77_compress(block).size() <= kMaxCompressedBlock;
  }

  std::vector<Placement> place(Moves moves) const {
    std::vector<Placement> result(records_.size());
    Bytes block;
    std::size_t block_index = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
      const Bytes record = encode(i);
      Bytes candidate = block;
      candidate.insert(candidate.end(), record.begin(), record.end());
      const bool kept_in_later_block =
          moves == Moves::LaterBlocksOnly && placements_[i].block > block_index;
      if (!block.empty() && (kept_in_later_block || !fits(candidate))) {
        ++block_index;
        candidate = record;
      }
      if (!fits(candidate)) {
        throw std::length_error("a topic record does not fit a topic block");
      }
      result[i] = {block_index, candidate.size() - record.size()};
      block = std::move(candidate);
    }
    return result;
  }

  TopicFile assemble() const {
    std::vector<Bytes> blocks;
    for (std::size_t i = 0; i < records_.size(); ++i) {
      if (placements_[i].block >= blocks.size()) {
        blocks.resize(placements_[i].block + 1);
      }
      const Bytes record = encode(i);
      blocks[placements_[i].block].insert(blocks[placements_[i].block].end(), record.begin(),
                                          record.end());
    }
    TopicFile file;
    ByteBuffer out;
    std::uint32_t last_record_of_previous_block = kNone;
    std::uint32_t last_header_of_previous_blocks = kNone;
    std::size_t next_record = 0;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
      const Bytes compressed = lz77_compress(blocks[b]);
      if (compressed.size() > kMaxCompressedBlock) {
        throw std::logic_error("topic block grew past its size after layout");
      }
      const std::size_t block_start = out.size();
      out.u32(last_record_of_previous_block);
      out.u32(position_of(next_record));
      out.u32(last_header_of_previous_blocks);
      out.append(compressed);
      // Every block occupies the full size on disk; the viewer reads whole blocks.
      out.zeros(kBlockSizeOnDisk - (out.size() - block_start));
      while (next_record < records_.size() && placements_[next_record].block == b) {
        last_record_of_previous_block = position_of(next_record);
        if (records_[next_record].type == kRecordTopicHeader) {
          last_header_of_previous_blocks = position_of(next_record);
        }
        ++next_record;
      }
    }
    file.content = out.take();
    for (std::size_t t = 0; t < document_.topics.size(); ++t) {
      file.topic_offsets.push_back(topic_offset(t));
    }
    return file;
  }

  const HelpDocument& document_;
  std::vector<RecordSource> records_;
  std::vector<std::size_t> header_index_;
  std::vector<Placement> placements_;
};

} // namespace

TopicFile lay_out_topics(const HelpDocument& document) {
  return TopicLayout(document).build();
}

} // namespace hlpgen
