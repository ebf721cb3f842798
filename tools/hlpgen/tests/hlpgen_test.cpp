// The help compiler's parts against the test decoder, which reads a generated file apart from
// the writer and enforces the layout the viewers rely on: the compressor (the decoder also
// refuses references before the block start), the source reader's errors, and whole files that
// must carry the same titles, text and jump targets as their source, whatever the size.
#include "context_hash.h"
#include "help_file_decoder.h"
#include "help_source_parser.h"
#include "hlp_writer.h"
#include "html_writer.h"
#include "lz77_compressor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <numeric>
#include <random>
#include <regex>
#include <tuple>

namespace {

// Each input with the largest compressed size: references are as long as they can be (a run
// copies itself 18 bytes at a time from one byte back), reach back 4096 bytes but never 4097
// (which the 12-bit distance cannot carry: the copy would not read back), and every eight items
// share one flag byte.
TEST(Lz77, RoundTripsWithTheLongestReferences) {
  // count bytes that hardly ever repeat, then copies of the first copied ones
  const auto noise_then_copy = [](std::size_t count, std::size_t copied) {
    std::mt19937 engine(count);
    hlpgen::Bytes bytes(count);
    std::generate(bytes.begin(), bytes.end(), [&engine] { return std::uint8_t(engine()); });
    for (std::size_t i = 0; i < copied; ++i)
      bytes.push_back(bytes[i]);
    return bytes;
  };
  hlpgen::Bytes all_values(256);
  std::iota(all_values.begin(), all_values.end(), 0);
  const std::string text = "Click the icon to open a new message. Click the icon to open it.";
  const std::pair<hlpgen::Bytes, std::size_t> cases[] = {
      // input, largest compressed size
      {{}, 0},
      {all_values, 256 + 256 / 8},
      {hlpgen::Bytes(text.begin(), text.end()), text.size() - 8},
      {hlpgen::Bytes(1000, 'a'), 1 + 56 * 2 + (57 + 7) / 8},
      {noise_then_copy(4096, 18), 4096 + 2 + (4097 + 7) / 8},
      {noise_then_copy(4097, 18), 4115 + (4115 + 7) / 8},
      {noise_then_copy(3000, 9000), 3000 + 500 * 2 + (3500 + 7) / 8},
  };
  for (const auto& [input, max_size] : cases) {
    const hlpgen::Bytes compressed = hlpgen::lz77_compress(input);
    EXPECT_EQ(hlpcheck::lz77_decode(compressed), input) << input.size();
    EXPECT_LE(compressed.size(), max_size) << input.size() << " bytes";
  }
}

TEST(HelpSourceParser, RejectsMalformedSourcesWithLineNumbers) {
  std::vector<std::tuple<std::string, std::size_t, std::string>> cases; // source, line, message
  std::ifstream data(HLPGEN_TEST_DATA_DIR "/malformed.hlpsrc", std::ios::binary);
  for (std::string line; std::getline(data, line);) {
    if (line.starts_with("%% "))
      cases.emplace_back("", std::stoul(line.substr(3)), line.substr(line.find(' ', 3) + 1));
    else if (!cases.empty())
      std::get<0>(cases.back()) += line + "\n";
  }
  std::string too_many_topics = ".title T\n";
  for (std::size_t i = 0; i <= hlpgen::kMaxTopics; ++i)
    too_many_topics += ".topic t" + std::to_string(i) + " Topic\n";
  cases.emplace_back(too_many_topics, hlpgen::kMaxTopics + 2, "more than");
  ASSERT_GT(cases.size(), 20u) << "missing test data";
  for (const auto& [source, line, message] : cases) {
    try {
      hlpgen::parse_help_source(source);
      ADD_FAILURE() << message << ": accepted";
    } catch (const hlpgen::HelpSourceError& error) {
      EXPECT_EQ(error.line(), line) << error.what();
      EXPECT_NE(error.detail().find(message), std::string::npos) << error.what();
    }
  }
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The program's help, a document whose layout once never settled, and one that slides over the
// block limit a byte at a time: every shift moves the positions written into later records, and
// with them how well a block compresses. Each is written the same way every time and reads back
// as written, every topic's context leading to it.
TEST(HelpFile, ReadsBackAsWrittenWhereverTheBlockLimitFalls) {
  std::vector<std::string> sources{read_file(HLPGEN_HELP_SOURCE),
                                   read_file(HLPGEN_TEST_DATA_DIR "/layout_oscillation.hlpsrc")};
  for (std::size_t shift = 32; shift <= 51; ++shift)
    sources.push_back(".title Sliding\n.topic t0 Topic 0\n" + std::string(shift + 1, 'x') + "\n\n" +
                      read_file(HLPGEN_TEST_DATA_DIR "/layout_sliding.hlpsrc"));
  for (const std::string& source : sources) {
    const hlpgen::HelpDocument document = hlpgen::parse_help_source(source);
    const hlpgen::Bytes bytes = hlpgen::write_help_file(document);
    EXPECT_EQ(hlpgen::write_help_file(document), bytes) << "written differently the second time";
    const hlpcheck::HelpFile help = hlpcheck::decode_help_file(bytes);
    EXPECT_EQ(help.text, hlpcheck::rendered(document)) << document.title;
    EXPECT_GE(help.blocks, 2u) << document.title;
    for (const hlpgen::Topic& topic : document.topics)
      EXPECT_EQ(help.context.at(hlpgen::context_hash(topic.context)), topic.title);
  }
  // The viewers' hash: letters 17..42 in either case, '1'..'9', '0' 10, '.' 12, '_' 13;
  // h = h * 43 + code, wrapping at 32 bits. Nothing else is allowed.
  EXPECT_EQ(hlpgen::context_hash("0_.9aB"), 1515500317);
  EXPECT_EQ(hlpgen::context_hash(std::string(11, 'z')), -2127743054);
  EXPECT_FALSE(hlpgen::is_valid_context_name("a-b c") || hlpgen::is_valid_context_name(""));
}

// The page read back apart from its writer: tags dropped (block ends become line ends, a
// heading's anchor "name|", a jump "{anchor:text}"), entities undone. The contents topic comes
// first, as the viewer opens on it; every jump names its topic's anchor exactly; text outside
// ASCII keeps its Windows-1252 bytes, which the page declares.
TEST(HelpPage, HoldsEveryTopicsTitleTextAndJumps) {
  const std::string extra =
      ".topic more More & <more>\nCaf\xC3\xA9 {b \"bold\"} {jump back|Contents}\n";
  const hlpgen::HelpDocument document =
      hlpgen::parse_help_source(read_file(HLPGEN_HELP_SOURCE) + extra);
  const std::string page = hlpgen::write_help_page(document);
  EXPECT_NE(page.find("charset=windows-1252"), std::string::npos);
  // The writer's own line breaks are layout; the blocks' ends are the text's.
  std::string text = std::regex_replace(page.substr(page.find("<body>")), std::regex("\n"), "");
  for (const auto& [pattern, replacement] : {std::pair{"</(h1|h2|h3|p|li)>", "\n"},
                                             {"<h. id=\"([^\"]*)\">", "$1|"},
                                             {"<a href=\"#([^\"]*)\">", "{$1:"},
                                             {"</a>", "}"},
                                             {"<[^>]*>", ""},
                                             {"&lt;", "<"},
                                             {"&gt;", ">"},
                                             {"&quot;", "\""},
                                             {"&amp;", "&"}})
    text = std::regex_replace(text, std::regex(pattern), replacement);
  std::map<std::int32_t, std::string> anchors; // a jump names its topic as the viewer finds it
  for (const hlpgen::Topic& topic : document.topics)
    anchors[hlpgen::context_hash(topic.context)] = topic.context;
  std::string expected;
  for (const hlpgen::Topic& topic : document.topics) {
    std::string block = topic.context + "|" + topic.title + "\n";
    for (const hlpgen::Paragraph& paragraph : topic.paragraphs) {
      for (const hlpgen::TextSpan& span : paragraph.spans)
        block +=
            span.jump_target.empty()
                ? span.text
                : "{" + anchors.at(hlpgen::context_hash(span.jump_target)) + ":" + span.text + "}";
      block += "\n";
    }
    expected = topic.context == document.contents_context ? block + expected : expected + block;
  }
  EXPECT_EQ(text, expected + document.copyright + "\n");
}

} // namespace
