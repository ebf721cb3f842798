// The help compiler's parts that no viewer shows: the context hash and the page. The help file
// itself is read by Wine's help viewer, topic by topic, in the package tests.
#include "context_hash.h"
#include "help_source_parser.h"
#include "html_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>

namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The viewers' hash: letters 17..42 in either case, '1'..'9', '0' 10, '.' 12, '_' 13;
// h = h * 43 + code, wrapping at 32 bits. Nothing else is allowed.
TEST(ContextHash, IsTheViewersHash) {
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
