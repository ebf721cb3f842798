// The container-level rules the viewer depends on, checked on generated files.
#include "context_hash.h"
#include "help_source_parser.h"
#include "hlp_reader.h"
#include "hlp_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace {

// Long names make hashes wrap, so a set of topics holds negative hashes too.
std::string context_name(std::size_t topic) {
  return "t" + std::to_string(topic) + (topic % 3 == 0 ? "_a_rather_long_context_name" : "");
}

hlpgen::HelpDocument document_with_topics(std::size_t count, std::size_t paragraphs_per_topic,
                                          std::size_t paragraph_length) {
  std::string source = ".title Structure test\n.contents " + context_name(count / 2) + "\n";
  for (std::size_t t = 0; t < count; ++t) {
    source += ".topic " + context_name(t) + " Topic number " + std::to_string(t) + "\n";
    for (std::size_t p = 0; p < paragraphs_per_topic; ++p) {
      std::string text = "Paragraph " + std::to_string(p) + " of topic " + std::to_string(t) + ".";
      while (text.size() < paragraph_length) {
        text += " word" + std::to_string((t * 31 + p * 7 + text.size()) % 97);
      }
      source += text + " {jump next|" + context_name((t + 1) % count) + "}\n\n";
    }
  }
  return hlpgen::parse_help_source(source);
}

std::uint32_t u32_at(const hlpgen::Bytes& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

TEST(HelpFileStructure, OutputIsDeterministic) {
  const hlpgen::HelpDocument document = document_with_topics(12, 3, 200);
  const hlpgen::Bytes first = hlpgen::write_help_file(document);
  const hlpgen::Bytes second = hlpgen::write_help_file(document_with_topics(12, 3, 200));
  EXPECT_EQ(first, second);
  const hlpreader::ReadHelpFile read = hlpreader::read_help_file(first);
  EXPECT_EQ(read.generation_date, 0u);
}

TEST(HelpFileStructure, HeaderAndSystemFieldsAreWhatTheViewerExpects) {
  const hlpgen::Bytes bytes = hlpgen::write_help_file(document_with_topics(3, 1, 50));
  EXPECT_EQ(u32_at(bytes, 0), 0x00035F3Fu);
  EXPECT_EQ(u32_at(bytes, 8), 0xFFFFFFFFu);
  EXPECT_EQ(u32_at(bytes, 12), bytes.size());
  const hlpreader::ReadHelpFile read = hlpreader::read_help_file(bytes);
  EXPECT_EQ(read.system_minor, 21);
  EXPECT_EQ(read.system_flags, 4);
  EXPECT_EQ(read.title, "Structure test");
}

TEST(HelpFileStructure, DirectoryNamesAreInByteOrder) {
  const hlpreader::ReadHelpFile read =
      hlpreader::read_help_file(hlpgen::write_help_file(document_with_topics(3, 1, 50)));
  const std::vector<std::string> expected = {"|CONTEXT", "|FONT", "|SYSTEM", "|TOPIC"};
  EXPECT_EQ(read.directory, expected);
}

TEST(HelpFileStructure, ContextEntriesAreSortedBySignedHash) {
  const hlpgen::HelpDocument document = document_with_topics(40, 1, 40);
  const hlpreader::ReadHelpFile read = hlpreader::read_help_file(hlpgen::write_help_file(document));
  ASSERT_EQ(read.context.size(), document.topics.size());
  bool saw_negative = false;
  for (std::size_t i = 0; i < read.context.size(); ++i) {
    saw_negative = saw_negative || read.context[i].first < 0;
    if (i > 0) {
      EXPECT_LT(read.context[i - 1].first, read.context[i].first) << "entry " << i;
    }
  }
  EXPECT_TRUE(saw_negative) << "the test set should include wrapped hashes";
  for (const hlpgen::Topic& topic : document.topics) {
    const hlpreader::ReadTopic* found = read.topic_for_hash(hlpgen::context_hash(topic.context));
    ASSERT_NE(found, nullptr) << topic.context;
    EXPECT_EQ(found->title, topic.title);
  }
}

TEST(HelpFileStructure, LargeDocumentSpansSeveralBlocksAndStaysReadable) {
  const hlpgen::HelpDocument document = document_with_topics(60, 6, 600);
  const hlpgen::Bytes bytes = hlpgen::write_help_file(document);
  const hlpreader::ReadHelpFile read = hlpreader::read_help_file(bytes);
  ASSERT_EQ(read.topics.size(), document.topics.size());
  std::set<std::uint32_t> blocks;
  for (std::size_t t = 0; t < document.topics.size(); ++t) {
    EXPECT_EQ(read.topics[t].title, document.topics[t].title);
    ASSERT_EQ(read.topics[t].paragraphs.size(), document.topics[t].paragraphs.size() + 1);
    EXPECT_EQ(read.topics[t].paragraphs.back().spans.back().text, "next");
    blocks.insert(read.topics[t].offset / 0x8000);
  }
  EXPECT_GT(blocks.size(), 3u);
  ASSERT_TRUE(read.contents_offset.has_value());
  const hlpreader::ReadTopic* contents = read.topic_at_offset(*read.contents_offset);
  ASSERT_NE(contents, nullptr);
  EXPECT_EQ(contents->title, "Topic number 30");
}

TEST(HelpFileStructure, ReaderRejectsDamagedFiles) {
  const hlpgen::Bytes good = hlpgen::write_help_file(document_with_topics(3, 1, 50));
  hlpgen::Bytes truncated(good.begin(), good.end() - 100);
  EXPECT_THROW(hlpreader::read_help_file(truncated), hlpreader::HlpFormatError);
  hlpgen::Bytes bad_magic = good;
  bad_magic[0] ^= 0xFF;
  EXPECT_THROW(hlpreader::read_help_file(bad_magic), hlpreader::HlpFormatError);
}

} // namespace
