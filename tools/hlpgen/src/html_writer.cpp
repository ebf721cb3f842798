#include "html_writer.h"

#include <map>
#include <stdexcept>

#include "context_hash.h"

namespace hlpgen {
namespace {

// The page is read on every Windows the program runs on, down to Internet Explorer 5 of
// Windows 2000: the http-equiv form of the charset declaration is the one every browser
// honours, and plain HTML with a small style sheet renders alike everywhere.
constexpr const char* kPageStart = R"(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">
<title>)";
constexpr const char* kStyle = R"(</title>
<style>
body { font-family: Tahoma, Verdana, Arial, sans-serif; font-size: 10pt; max-width: 44em;
       margin: 1em 2em; line-height: 1.4; }
h1 { font-size: 14pt; margin: 0.5em 0; }
h2 { font-size: 12pt; margin: 2em 0 0.5em; padding-top: 0.5em; border-top: 1px solid #999; }
h3 { font-size: 10pt; margin: 1.2em 0 0.3em; }
p, li { margin: 0.3em 0; }
a { color: #008000; }
.copyright { margin-top: 3em; color: #555; font-size: 8pt; }
</style>
</head>
<body>
)";
constexpr const char* kPageEnd = "</body>\n</html>\n";

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out.push_back(c);
    }
  }
  return out;
}

// Jumps name their target in any case, as the viewer's hash ignores it; a fragment must match
// the anchor exactly, so every jump names the context as its topic spells it.
class Anchors {
public:
  explicit Anchors(const HelpDocument& document) {
    for (const Topic& topic : document.topics) {
      by_hash_.emplace(context_hash(topic.context), topic.context);
    }
  }
  const std::string& of(const std::string& context) const {
    const auto found = by_hash_.find(context_hash(context));
    if (found == by_hash_.end()) {
      throw std::invalid_argument("jump to unknown context '" + context + "'");
    }
    return found->second;
  }

private:
  std::map<std::int32_t, std::string> by_hash_;
};

std::string spans_html(const std::vector<TextSpan>& spans, const Anchors& anchors) {
  std::string out;
  for (const TextSpan& span : spans) {
    std::string text = escaped(span.text);
    if (span.style == SpanStyle::Bold) {
      text = "<b>" + text + "</b>";
    }
    if (!span.jump_target.empty()) {
      text = "<a href=\"#" + escaped(anchors.of(span.jump_target)) + "\">" + text + "</a>";
    }
    out += text;
  }
  return out;
}

// The contents topic heads the page; the others are its sections.
std::string topic_html(const Topic& topic, const Anchors& anchors, bool contents) {
  const std::string level = contents ? "h1" : "h2";
  std::string out = "<" + level + " id=\"" + escaped(topic.context) + "\">" + escaped(topic.title) +
                    "</" + level + ">\n";
  bool in_list = false;
  for (const Paragraph& paragraph : topic.paragraphs) {
    const bool bullet = paragraph.kind == ParagraphKind::Bullet;
    if (bullet != in_list) {
      out += bullet ? "<ul>\n" : "</ul>\n";
      in_list = bullet;
    }
    const std::string text = spans_html(paragraph.spans, anchors);
    switch (paragraph.kind) {
    case ParagraphKind::Heading:
      out += "<h3>" + text + "</h3>\n";
      break;
    case ParagraphKind::Bullet:
      out += "<li>" + text + "</li>\n";
      break;
    case ParagraphKind::Body:
      out += "<p>" + text + "</p>\n";
      break;
    }
  }
  return in_list ? out + "</ul>\n" : out;
}

} // namespace

std::string write_help_page(const HelpDocument& document) {
  const Anchors anchors(document);
  // The viewer opens on the contents topic; on a page that is the top.
  const std::string& contents = document.contents_context.empty()
                                    ? document.topics.at(0).context
                                    : anchors.of(document.contents_context);
  std::string page = kPageStart + escaped(document.title) + kStyle;
  for (const Topic& topic : document.topics) {
    if (topic.context == contents) {
      page += topic_html(topic, anchors, true);
    }
  }
  for (const Topic& topic : document.topics) {
    if (topic.context != contents) {
      page += topic_html(topic, anchors, false);
    }
  }
  if (!document.copyright.empty()) {
    page += "<p class=\"copyright\">" + escaped(document.copyright) + "</p>\n";
  }
  return page + kPageEnd;
}

} // namespace hlpgen
