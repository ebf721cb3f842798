// What the test decoder renders for a document's help file: jumps by their target's hash,
// which the decoder's context map leads to a topic.
#pragma once

#include <string>

#include "context_hash.h"
#include "help_document.h"

namespace hlpcheck {

inline std::string rendered(const hlpgen::HelpDocument& document) {
  const auto title_of = [&document](const std::string& context) {
    for (const hlpgen::Topic& topic : document.topics) {
      if (hlpgen::context_hash(topic.context) == hlpgen::context_hash(context))
        return topic.title;
    }
    return std::string("(nowhere)");
  };
  std::string text = document.title + "|" +
                     title_of(document.contents_context.empty() ? document.topics[0].context
                                                                : document.contents_context);
  for (const hlpgen::Topic& topic : document.topics) {
    // The viewer shows no title by itself, so each topic opens with it.
    text += "\n== " + topic.title + "\n" + topic.title;
    for (const hlpgen::Paragraph& paragraph : topic.paragraphs) {
      text += paragraph.kind == hlpgen::ParagraphKind::Bullet ? "\n\x95 " : "\n";
      for (const hlpgen::TextSpan& span : paragraph.spans) {
        text += span.jump_target.empty()
                    ? span.text
                    : "{" + std::to_string(hlpgen::context_hash(span.jump_target)) + ":" +
                          span.text + "}";
      }
    }
  }
  return text + "\n";
}

} // namespace hlpcheck
