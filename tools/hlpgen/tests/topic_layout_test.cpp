// Splitting topics into compressed blocks: whatever the sizes, the layout has to settle and the
// file has to read back with the same content.
#include "context_hash.h"
#include "help_source_parser.h"
#include "hlp_reader.h"
#include "hlp_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

constexpr std::uint32_t kTopicOffsetBlockStride = 0x8000;

std::string read_test_data(const std::string& name) {
  const std::string path = std::string(HLPGEN_TEST_DATA_DIR) + "/" + name;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string expected_text(const hlpgen::Paragraph& paragraph) {
  std::string text = paragraph.kind == hlpgen::ParagraphKind::Bullet ? "\x95 " : "";
  for (const hlpgen::TextSpan& span : paragraph.spans) {
    text += span.text;
  }
  return text;
}

const hlpgen::Topic* topic_by_context(const hlpgen::HelpDocument& document,
                                      const std::string& context) {
  for (const hlpgen::Topic& topic : document.topics) {
    if (hlpgen::context_hash(topic.context) == hlpgen::context_hash(context)) {
      return &topic;
    }
  }
  return nullptr;
}

// Titles, text and every jump target of the file read back must be those of the source.
void expect_same_content(const hlpgen::HelpDocument& document,
                         const hlpreader::ReadHelpFile& read) {
  ASSERT_EQ(read.topics.size(), document.topics.size());
  for (std::size_t t = 0; t < document.topics.size(); ++t) {
    const hlpgen::Topic& expected = document.topics[t];
    const hlpreader::ReadTopic& got = read.topics[t];
    EXPECT_EQ(got.title, expected.title);
    EXPECT_EQ(got.number, t);
    ASSERT_EQ(got.paragraphs.size(), expected.paragraphs.size() + 1) << expected.title;
    for (std::size_t p = 0; p < expected.paragraphs.size(); ++p) {
      const hlpreader::ReadParagraph& paragraph = got.paragraphs[p + 1];
      EXPECT_EQ(paragraph.text(), expected_text(expected.paragraphs[p]))
          << expected.title << ", paragraph " << p;
      std::vector<std::string> expected_targets;
      for (const hlpgen::TextSpan& span : expected.paragraphs[p].spans) {
        if (!span.jump_target.empty()) {
          const hlpgen::Topic* target = topic_by_context(document, span.jump_target);
          ASSERT_NE(target, nullptr) << span.jump_target;
          expected_targets.push_back(target->title);
        }
      }
      std::vector<std::string> found_targets;
      for (const hlpreader::ReadSpan& span : paragraph.spans) {
        if (span.jump_hash) {
          const hlpreader::ReadTopic* target = read.topic_for_hash(*span.jump_hash);
          found_targets.push_back(target != nullptr ? target->title : "(nowhere)");
        }
      }
      EXPECT_EQ(found_targets, expected_targets) << expected.title << ", paragraph " << p;
    }
  }
  ASSERT_TRUE(read.contents_offset.has_value());
  const hlpreader::ReadTopic* contents = read.topic_at_offset(*read.contents_offset);
  ASSERT_NE(contents, nullptr);
  const hlpgen::Topic* expected_contents =
      document.contents_context.empty() ? &document.topics.front()
                                        : topic_by_context(document, document.contents_context);
  ASSERT_NE(expected_contents, nullptr);
  EXPECT_EQ(contents->title, expected_contents->title);
}

std::size_t blocks_used(const hlpreader::ReadHelpFile& read) {
  std::set<std::uint32_t> blocks;
  for (const hlpreader::ReadTopic& topic : read.topics) {
    blocks.insert(topic.offset / kTopicOffsetBlockStride);
  }
  return blocks.size();
}

// Found by fuzzing: with the last record in the first block, that block compressed a few bytes
// too large; moved to the next block, the changed positions made it compress small enough to
// come back, and the layout flipped between the two splits until it gave up.
TEST(TopicLayout, SourceWhoseSplitUsedToFlipSettles) {
  const std::string source = read_test_data("layout_oscillation.hlpsrc");
  ASSERT_FALSE(source.empty()) << "missing test data";
  const hlpgen::HelpDocument document = hlpgen::parse_help_source(source);
  hlpgen::Bytes bytes;
  ASSERT_NO_THROW(bytes = hlpgen::write_help_file(document));
  const hlpreader::ReadHelpFile read = hlpreader::read_help_file(bytes);
  expect_same_content(document, read);
  EXPECT_GT(blocks_used(read), 1u) << "the input no longer reaches a block boundary";
  EXPECT_EQ(hlpgen::write_help_file(document), bytes) << "layout depends on more than the input";
}

// Small deterministic generator, so that every run tries the same documents.
class TextGenerator {
public:
  explicit TextGenerator(std::uint32_t seed) : state_(seed) {}

  std::uint32_t below(std::uint32_t limit) {
    constexpr std::uint32_t kMultiplier = 1664525;
    constexpr std::uint32_t kIncrement = 1013904223;
    constexpr unsigned kHighBits = 8;
    state_ = state_ * kMultiplier + kIncrement;
    return (state_ >> kHighBits) % limit;
  }

  // Random letters hardly compress, so blocks end on their compressed size, where the positions
  // inside the records tip the balance.
  std::string text(std::size_t length) {
    constexpr std::uint32_t kLetters = 26;
    constexpr std::uint32_t kWordLength = 7;
    std::string result;
    while (result.size() < length) {
      for (std::uint32_t i = 0; i < kWordLength; ++i) {
        result += static_cast<char>('a' + below(kLetters));
      }
      result += ' ';
    }
    result.resize(length);
    if (result.back() == ' ') {
      result.back() = '.';
    }
    return result;
  }

private:
  std::uint32_t state_;
};

// One document slid over the block limit a byte at a time: the first paragraph grows, which
// moves every later record and with it the positions that decide how well a block compresses.
// The seed gives a document whose records end right where that happens: before the layout was
// made to settle, six of the shifts below never did (a scan of 40 seeds found two such documents).
std::string sliding_source(std::size_t shift) {
  constexpr std::uint32_t kDocumentSeed = 8;
  constexpr std::uint32_t kMaxTopics = 2;
  constexpr std::uint32_t kMaxParagraphs = 60;
  constexpr std::uint32_t kMaxParagraphLength = 200;
  constexpr std::uint32_t kShortestParagraph = 8;
  TextGenerator random(kDocumentSeed);
  std::string source = ".title Sliding layout\n.topic t0 Topic 0\n";
  source += std::string(shift + 1, 'x') + "\n\n";
  const std::uint32_t topics = 1 + random.below(kMaxTopics);
  for (std::uint32_t t = 1; t <= topics; ++t) {
    source += ".topic t" + std::to_string(t) + " Topic " + std::to_string(t) + "\n";
    const std::uint32_t paragraphs = 1 + random.below(kMaxParagraphs);
    for (std::uint32_t p = 0; p < paragraphs; ++p) {
      const std::size_t length = kShortestParagraph + random.below(kMaxParagraphLength);
      source += random.text(length) + " {jump back|t0}\n\n";
    }
  }
  return source;
}

TEST(TopicLayout, DocumentSlidOverBlockLimitAlwaysSettles) {
  // Shorter shifts leave the boundary record well inside or outside the first block.
  constexpr std::size_t kFirstShift = 32;
  constexpr std::size_t kLastShift = 51;
  for (std::size_t shift = kFirstShift; shift <= kLastShift; ++shift) {
    SCOPED_TRACE("shift " + std::to_string(shift));
    const hlpgen::HelpDocument document = hlpgen::parse_help_source(sliding_source(shift));
    hlpgen::Bytes bytes;
    ASSERT_NO_THROW(bytes = hlpgen::write_help_file(document));
    const hlpreader::ReadHelpFile read = hlpreader::read_help_file(bytes);
    expect_same_content(document, read);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    EXPECT_GT(blocks_used(read), 1u) << "the document should cross a block limit";
  }
}

} // namespace
