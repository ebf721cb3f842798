// Generated files read back through the test decoder, which enforces the layout the viewers
// rely on: the same titles, text, looks and jump targets as the source, whatever the size.
#include "context_hash.h"
#include "help_file_decoder.h"
#include "help_source_parser.h"
#include "hlp_writer.h"
#include "rendered_document.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

const std::string kData = HLPGEN_TEST_DATA_DIR "/";

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every kind of paragraph and markup, fonts included, and a contents topic that is not first.
TEST(HelpFile, ShowsWhatTheSourceSays) {
  const hlpgen::HelpDocument document =
      hlpgen::parse_help_source(read_file(kData + "small.hlpsrc"));
  EXPECT_EQ(hlpcheck::decode_help_file(hlpgen::write_help_file(document)).text,
            read_file(kData + "small.expected"));
}

TEST(HelpFile, ReadsBackAsWritten) {
  std::vector<std::pair<std::string, std::size_t>> sources_and_least_blocks = {
      {read_file(HLPGEN_HELP_SOURCE), 1},
      // Found by fuzzing: the last record of the first block made that block compress a few
      // bytes too large, moved on it made it small enough again, and the split flipped for ever.
      {read_file(kData + "layout_oscillation.hlpsrc"), 2},
  };
  // A document slid over the block limit a byte at a time: every shift moves the positions
  // written into later records, and with them how well a block compresses.
  for (std::size_t shift = 32; shift <= 51; ++shift) {
    sources_and_least_blocks.emplace_back(".title Sliding\n.topic t0 Topic 0\n" +
                                              std::string(shift + 1, 'x') + "\n\n" +
                                              read_file(kData + "layout_sliding.hlpsrc"),
                                          2);
  }
  for (const auto& [source, least_blocks] : sources_and_least_blocks) {
    SCOPED_TRACE(source.substr(0, 60));
    const hlpgen::HelpDocument document = hlpgen::parse_help_source(source);
    const hlpgen::Bytes bytes = hlpgen::write_help_file(document);
    EXPECT_EQ(hlpgen::write_help_file(document), bytes) << "output depends on more than the input";
    const hlpcheck::HelpFile help = hlpcheck::decode_help_file(bytes);
    EXPECT_EQ(hlpcheck::without_fonts(help.text),
              hlpcheck::without_fonts(hlpcheck::rendered(document)));
    EXPECT_GE(help.blocks, least_blocks);
    for (const hlpgen::Topic& topic : document.topics)
      EXPECT_EQ(help.context.at(hlpgen::context_hash(topic.context)), topic.title);
  }
}

// Known answers: letters 17..42 in either case, '1'..'9' 1..9, '0' 10, '.' 12, '_' 13, other
// characters nothing; h = h * 43 + code, wrapping at 32 bits into negative numbers.
TEST(ContextHash, MatchesTheViewersHash) {
  const std::pair<std::string, std::int32_t> cases[] = {
      {"", 0},
      {"a", 17},
      {"Z", 42},
      {"1", 1},
      {"9", 9},
      {"0", 10},
      {".", 12},
      {"_", 13},
      {"aB", 749},
      {"a-b c", 32226},
      {std::string(9, 'z'), -166073782},
      {std::string(11, 'z'), -2127743054},
  };
  for (const auto& [name, hash] : cases) {
    EXPECT_EQ(hlpgen::context_hash(name), hash) << name;
    EXPECT_EQ(hlpgen::is_valid_context_name(name), hash != 0 && name != "a-b c") << name;
  }
}

} // namespace
