// Generated files read back through the test decoder, which enforces the layout the viewers
// rely on: the same titles, text and jump targets as the source, whatever the size.
#include "context_hash.h"
#include "help_file_decoder.h"
#include "help_source_parser.h"
#include "hlp_writer.h"
#include "rendered_document.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(HelpFile, ReadsBackAsWritten) {
  const std::string data = HLPGEN_TEST_DATA_DIR "/";
  std::vector<std::pair<std::string, std::size_t>> sources_and_least_blocks = {
      {read_file(HLPGEN_HELP_SOURCE), 1},
      // Found by fuzzing: the last record of the first block made that block compress a few
      // bytes too large, moved on it made it small enough again, and the split flipped for ever.
      {read_file(data + "layout_oscillation.hlpsrc"), 2},
  };
  // A document slid over the block limit a byte at a time: every shift moves the positions
  // written into later records, and with them how well a block compresses.
  for (std::size_t shift = 32; shift <= 51; ++shift) {
    sources_and_least_blocks.emplace_back(".title Sliding\n.topic t0 Topic 0\n" +
                                              std::string(shift + 1, 'x') + "\n\n" +
                                              read_file(data + "layout_sliding.hlpsrc"),
                                          2);
  }
  for (const auto& [source, least_blocks] : sources_and_least_blocks) {
    SCOPED_TRACE(source.substr(0, 60));
    const hlpgen::HelpDocument document = hlpgen::parse_help_source(source);
    const hlpgen::Bytes bytes = hlpgen::write_help_file(document);
    EXPECT_EQ(hlpgen::write_help_file(document), bytes) << "output depends on more than the input";
    const hlpcheck::HelpFile help = hlpcheck::decode_help_file(bytes);
    EXPECT_EQ(help.text, hlpcheck::rendered(document));
    EXPECT_GE(help.blocks, least_blocks);
    for (const hlpgen::Topic& topic : document.topics)
      EXPECT_EQ(help.context.at(hlpgen::context_hash(topic.context)), topic.title);
  }
  // The viewers' hash, which both sides above share: letters 17..42 in either case, '1'..'9',
  // '0' 10, '.' 12, '_' 13; h = h * 43 + code, wrapping at 32 bits. Nothing else is allowed.
  EXPECT_EQ(hlpgen::context_hash("0_.9aB"), 1515500317);
  EXPECT_EQ(hlpgen::context_hash(std::string(11, 'z')), -2127743054);
  EXPECT_FALSE(hlpgen::is_valid_context_name("a-b c") || hlpgen::is_valid_context_name(""));
}

} // namespace
