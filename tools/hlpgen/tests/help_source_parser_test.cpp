#include "help_source_parser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using hlpgen::HelpSourceError;
using hlpgen::ParagraphKind;
using hlpgen::parse_help_source;
using hlpgen::SpanStyle;

constexpr const char* kSmallSource = R"(# a comment
.title Test Help
.contents start

.topic start Start here
First line
continues here with {b bold} and {jump a link|other}.

.heading A heading
- bullet one
- bullet two
  wraps on
Escapes: \{ \} \\
.topic other Other topic
Back to {jump the start|START}.
)";

TEST(HelpSourceParser, ReadsTopicsParagraphsAndMarkup) {
  const hlpgen::HelpDocument document = parse_help_source(kSmallSource);
  EXPECT_EQ(document.title, "Test Help");
  EXPECT_EQ(document.contents_context, "start");
  ASSERT_EQ(document.topics.size(), 2u);
  const hlpgen::Topic& start = document.topics[0];
  EXPECT_EQ(start.context, "start");
  EXPECT_EQ(start.title, "Start here");
  ASSERT_EQ(start.paragraphs.size(), 4u);

  const hlpgen::Paragraph& body = start.paragraphs[0];
  EXPECT_EQ(body.kind, ParagraphKind::Body);
  ASSERT_EQ(body.spans.size(), 5u);
  EXPECT_EQ(body.spans[0].text, "First line continues here with ");
  EXPECT_EQ(body.spans[1].style, SpanStyle::Bold);
  EXPECT_EQ(body.spans[1].text, "bold");
  EXPECT_EQ(body.spans[3].text, "a link");
  EXPECT_EQ(body.spans[3].jump_target, "other");
  EXPECT_EQ(body.spans[4].text, ".");

  EXPECT_EQ(start.paragraphs[1].kind, ParagraphKind::Heading);
  EXPECT_EQ(start.paragraphs[2].kind, ParagraphKind::Bullet);
  EXPECT_EQ(start.paragraphs[3].spans[0].text, "bullet two wraps on Escapes: { } \\");
  EXPECT_EQ(document.topics[1].paragraphs[0].spans[1].jump_target, "START");
}

TEST(HelpSourceParser, ConvertsUtf8ToWindows1252) {
  const auto document = parse_help_source(
      ".title Caf\xC3\xA9 \xE2\x80\x93 Help\n.topic a Title\nQuote \xE2\x80\x9Cx\xE2\x80\x9D\n");
  EXPECT_EQ(document.title, "Caf\xE9 \x96 Help");
  EXPECT_EQ(document.topics[0].paragraphs[0].spans[0].text, "Quote \x93x\x94");
}

TEST(HelpSourceParser, AcceptsCrLfLineEnds) {
  const auto document = parse_help_source(".title T\r\n.topic a A\r\ntext\r\n");
  EXPECT_EQ(document.topics[0].paragraphs[0].spans[0].text, "text");
}

struct BadSource {
  const char* name;
  std::string source;
  std::size_t line;
  const char* message_part;
};

TEST(HelpSourceParser, RejectsMalformedSourcesWithLineNumbers) {
  const std::vector<BadSource> cases = {
      {"text before topic", ".title T\nstray text\n", 2, "before the first .topic"},
      {"unknown directive", ".title T\n.topic a A\n.bogus x\n", 3, "unknown directive"},
      {"no title", ".topic a A\ntext\n", 3, "no .title"},
      {"no topic", ".title T\n", 2, "no .topic"},
      {"title twice", ".title T\n.title U\n", 2, "given twice"},
      {"title after topic", ".title T\n.topic a A\n.title U\n", 3, "before the first .topic"},
      {"topic without title", ".title T\n.topic lonely\n", 2, "context name and a title"},
      {"bad context", ".title T\n.topic a-b A\n", 2, "bad context name"},
      {"duplicate context", ".title T\n.topic a A\n.topic A B\n", 3, "clashes with 'a' (line 2)"},
      {"unknown jump target", ".title T\n.topic a A\n\nsee {jump x|nowhere}\n", 4,
       "unknown context 'nowhere'"},
      {"unknown contents", ".title T\n.contents missing\n.topic a A\n", 2, "not defined"},
      {"unterminated markup", ".title T\n.topic a A\n{b bold\n", 3, "unterminated"},
      {"unmatched brace", ".title T\n.topic a A\noops }\n", 3, "without a matching"},
      {"nested markup", ".title T\n.topic a A\n{b x {b y}}\n", 3, "cannot be nested"},
      {"unknown markup", ".title T\n.topic a A\n{i x}\n", 3, "unknown markup"},
      {"jump without target", ".title T\n.topic a A\n{jump x}\n", 3, "without a target"},
      {"empty jump text", ".title T\n.topic a A\n{jump |a}\n", 3, "empty jump text"},
      {"bad escape", ".title T\n.topic a A\nx \\q\n", 3, "unknown escape"},
      {"trailing backslash", ".title T\n.topic a A\nx \\\n", 3, "end of a line"},
      {"control byte", ".title T\n.topic a A\nx\x01y\n", 3, "control character"},
      {"malformed utf8", ".title T\n.topic a A\nx\xC3(\n", 3, "malformed UTF-8"},
      {"unmappable character", ".title T\n.topic a A\n\xE2\x82\xBD\n", 3, "U+20BD"},
      {"long paragraph",
       ".title T\n.topic a A\n" + std::string(1500, 'x') + "\n" + std::string(1500, 'y') + "\n", 4,
       "paragraph longer"},
  };
  for (const BadSource& bad : cases) {
    try {
      parse_help_source(bad.source);
      ADD_FAILURE() << bad.name << ": accepted";
    } catch (const HelpSourceError& error) {
      EXPECT_EQ(error.line(), bad.line) << bad.name << ": " << error.what();
      EXPECT_NE(std::string(error.what()).find(bad.message_part), std::string::npos)
          << bad.name << ": " << error.what();
      EXPECT_EQ(std::string(error.what()).rfind("line " + std::to_string(bad.line) + ": ", 0), 0u)
          << bad.name;
    }
  }
}

TEST(HelpSourceParser, RejectsTooManyTopics) {
  std::string source = ".title T\n";
  for (std::size_t i = 0; i <= hlpgen::kMaxTopics; ++i) {
    source += ".topic t" + std::to_string(i) + " Topic\n";
  }
  EXPECT_THROW(parse_help_source(source), HelpSourceError);
}

// Arbitrary bytes either parse or fail with a HelpSourceError; anything else is a bug.
TEST(HelpSourceParser, SurvivesArbitraryBytes) {
  std::mt19937 engine(2024);
  const std::string alphabet = ".{}|\\-# \n\r\tabz_09\xC3\xA9\x80";
  for (int round = 0; round < 3000; ++round) {
    std::string source = round % 2 == 0 ? ".title T\n.topic a A\n" : "";
    const std::size_t length = engine() % 200;
    for (std::size_t i = 0; i < length; ++i) {
      source.push_back(round % 3 == 0 ? static_cast<char>(engine())
                                      : alphabet[engine() % alphabet.size()]);
    }
    try {
      parse_help_source(source);
    } catch (const HelpSourceError& error) {
      EXPECT_GE(error.line(), 1u);
    }
  }
}

} // namespace
