// Generates the real Wexla 98 help file and reads it back with the independent reader.
#include "context_hash.h"
#include "help_source_parser.h"
#include "hlp_reader.h"
#include "hlp_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

std::string read_source() {
  std::ifstream in(HLPGEN_HELP_SOURCE, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string paragraph_text(const hlpgen::Paragraph& paragraph) {
  std::string text = paragraph.kind == hlpgen::ParagraphKind::Bullet ? "\x95 " : "";
  for (const hlpgen::TextSpan& span : paragraph.spans) {
    text += span.text;
  }
  return text;
}

class WexlaHelpFile : public ::testing::Test {
protected:
  void SetUp() override {
    const std::string source = read_source();
    ASSERT_FALSE(source.empty()) << "cannot read " << HLPGEN_HELP_SOURCE;
    document_ = hlpgen::parse_help_source(source);
    file_ = hlpreader::read_help_file(hlpgen::write_help_file(document_));
  }

  const hlpgen::Topic& source_topic(const std::string& context) const {
    for (const hlpgen::Topic& topic : document_.topics) {
      if (hlpgen::context_hash(topic.context) == hlpgen::context_hash(context)) {
        return topic;
      }
    }
    throw std::out_of_range(context);
  }

  hlpgen::HelpDocument document_;
  hlpreader::ReadHelpFile file_;
};

TEST_F(WexlaHelpFile, HasTitleAndOpensAtContents) {
  EXPECT_EQ(file_.title, "Wexla 98 Help");
  EXPECT_EQ(file_.main_window_caption, "Wexla 98 Help");
  ASSERT_TRUE(file_.contents_offset.has_value());
  const hlpreader::ReadTopic* contents = file_.topic_at_offset(*file_.contents_offset);
  ASSERT_NE(contents, nullptr);
  EXPECT_EQ(contents->title, "Wexla 98 Help Contents");
}

TEST_F(WexlaHelpFile, TopicsKeepTitlesAndTextInOrder) {
  ASSERT_EQ(file_.topics.size(), document_.topics.size());
  for (std::size_t t = 0; t < document_.topics.size(); ++t) {
    const hlpgen::Topic& expected = document_.topics[t];
    const hlpreader::ReadTopic& read = file_.topics[t];
    EXPECT_EQ(read.title, expected.title);
    EXPECT_EQ(read.number, t);
    // The first paragraph shows the title; the source's paragraphs follow it.
    ASSERT_EQ(read.paragraphs.size(), expected.paragraphs.size() + 1) << expected.title;
    EXPECT_EQ(read.paragraphs[0].text(), expected.title);
    for (std::size_t p = 0; p < expected.paragraphs.size(); ++p) {
      EXPECT_EQ(read.paragraphs[p + 1].text(), paragraph_text(expected.paragraphs[p]))
          << expected.title << ", paragraph " << p;
    }
  }
}

TEST_F(WexlaHelpFile, HeadingsAndBoldRunsUseBoldFonts) {
  std::size_t headings = 0;
  for (std::size_t t = 0; t < document_.topics.size(); ++t) {
    const hlpreader::ReadTopic& read = file_.topics[t];
    for (const hlpreader::ReadSpan& span : read.paragraphs[0].spans) {
      EXPECT_TRUE(file_.fonts.at(span.font).bold()) << read.title;
    }
    for (std::size_t p = 0; p < document_.topics[t].paragraphs.size(); ++p) {
      const hlpgen::Paragraph& expected = document_.topics[t].paragraphs[p];
      const hlpreader::ReadParagraph& got = read.paragraphs[p + 1];
      if (expected.kind == hlpgen::ParagraphKind::Heading) {
        ++headings;
        for (const hlpreader::ReadSpan& span : got.spans) {
          EXPECT_TRUE(file_.fonts.at(span.font).bold()) << got.text();
          EXPECT_GT(file_.fonts.at(span.font).half_points, file_.fonts.at(0).half_points);
        }
        continue;
      }
      for (const hlpreader::ReadSpan& span : got.spans) {
        bool bold_in_source = false;
        for (const hlpgen::TextSpan& source_span : expected.spans) {
          if (source_span.style == hlpgen::SpanStyle::Bold && source_span.text == span.text) {
            bold_in_source = true;
          }
        }
        EXPECT_EQ(file_.fonts.at(span.font).bold(), bold_in_source) << span.text;
      }
    }
  }
  EXPECT_GT(headings, 5u);
}

TEST_F(WexlaHelpFile, EveryJumpLeadsToItsTargetTopic) {
  std::size_t jumps = 0;
  for (std::size_t t = 0; t < document_.topics.size(); ++t) {
    std::vector<const hlpgen::TextSpan*> expected;
    for (const hlpgen::Paragraph& paragraph : document_.topics[t].paragraphs) {
      for (const hlpgen::TextSpan& span : paragraph.spans) {
        if (!span.jump_target.empty()) {
          expected.push_back(&span);
        }
      }
    }
    std::vector<const hlpreader::ReadSpan*> found;
    for (const hlpreader::ReadParagraph& paragraph : file_.topics[t].paragraphs) {
      for (const hlpreader::ReadSpan& span : paragraph.spans) {
        if (span.jump_hash) {
          found.push_back(&span);
        }
      }
    }
    ASSERT_EQ(found.size(), expected.size()) << file_.topics[t].title;
    for (std::size_t j = 0; j < expected.size(); ++j) {
      EXPECT_EQ(found[j]->text, expected[j]->text);
      const hlpreader::ReadTopic* target = file_.topic_for_hash(*found[j]->jump_hash);
      ASSERT_NE(target, nullptr) << "jump '" << expected[j]->text << "' leads nowhere";
      EXPECT_EQ(target->title, source_topic(expected[j]->jump_target).title)
          << "jump '" << expected[j]->text << "'";
      ++jumps;
    }
  }
  EXPECT_GT(jumps, 20u);
}

TEST_F(WexlaHelpFile, ContentsJumpsToEveryOtherTopic) {
  const hlpreader::ReadTopic* contents = file_.topic_at_offset(*file_.contents_offset);
  ASSERT_NE(contents, nullptr);
  std::set<std::string> reached;
  for (const hlpreader::ReadParagraph& paragraph : contents->paragraphs) {
    for (const hlpreader::ReadSpan& span : paragraph.spans) {
      if (span.jump_hash) {
        const hlpreader::ReadTopic* target = file_.topic_for_hash(*span.jump_hash);
        ASSERT_NE(target, nullptr);
        reached.insert(target->title);
      }
    }
  }
  for (const hlpreader::ReadTopic& topic : file_.topics) {
    if (&topic != contents) {
      EXPECT_TRUE(reached.contains(topic.title)) << "contents lacks a jump to " << topic.title;
    }
  }
}

TEST_F(WexlaHelpFile, CoversWhatUsersNeedToKnow) {
  std::string all;
  for (const hlpreader::ReadTopic& topic : file_.topics) {
    for (const hlpreader::ReadParagraph& paragraph : topic.paragraphs) {
      all += paragraph.text() + "\n";
    }
  }
  for (const char* phrase :
       {"mailto:", "Mouse configuration", "Double click", "Double and single click", "Change icon",
        "Restore default icon", "Save settings", "No changes were made", "wexla.ini", "#TRUE#",
        "#FALSE#", "Start in", "About Wexla 98", "1.3.2", "System Info...",
        "System Information Is Unavailable At This Time", "Changes were made. Do you want to save?",
        "\"C:\\Icons\\letter.ico\",#FALSE#"}) {
    EXPECT_NE(all.find(phrase), std::string::npos) << "help never mentions: " << phrase;
  }
}

} // namespace
