// What the test decoder renders for a document's help file, font changes left out.
#pragma once

#include <regex>
#include <string>

#include "context_hash.h"
#include "help_document.h"

namespace hlpcheck {

// Applied to both sides, as the source's own text may hold something like "<1>".
inline std::string without_fonts(const std::string& text) {
  return std::regex_replace(text, std::regex("<[0-9]+>"), "");
}

inline std::string rendered(const hlpgen::HelpDocument& document) {
  const auto title_of = [&document](const std::string& context) {
    for (const hlpgen::Topic& topic : document.topics) {
      if (hlpgen::context_hash(topic.context) == hlpgen::context_hash(context))
        return topic.title;
    }
    return std::string("(nowhere)");
  };
  constexpr std::size_t kCaptionLength = 50; // the window record's caption field, NUL included: 51
  std::string text = document.title + "|" + document.copyright + "|" +
                     document.title.substr(0, kCaptionLength) + "|" +
                     title_of(document.contents_context.empty() ? document.topics[0].context
                                                                : document.contents_context);
  for (const hlpgen::Topic& topic : document.topics) {
    // The viewer shows no title by itself, so each topic opens with it.
    text += "\n== " + topic.title + "\n" + topic.title;
    for (const hlpgen::Paragraph& paragraph : topic.paragraphs) {
      text += paragraph.kind == hlpgen::ParagraphKind::Bullet ? "\n\x95 " : "\n";
      for (const hlpgen::TextSpan& span : paragraph.spans) {
        text += span.jump_target.empty() ? span.text
                                         : "{" + title_of(span.jump_target) + ":" + span.text + "}";
      }
    }
  }
  return text + "\n";
}

} // namespace hlpcheck
