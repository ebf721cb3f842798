#include "help_source_parser.h"

#include <map>
#include <optional>
#include <vector>

#include "context_hash.h"
#include "windows1252.h"

namespace hlpgen {

HelpSourceError::HelpSourceError(std::size_t line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line),
      detail_(message) {}

namespace {

constexpr char kTab = '\t';
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

struct PendingJump {
  std::string target;
  std::size_t line;
};

bool is_blank(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

void append_span(std::vector<TextSpan>& spans, TextSpan span) {
  if (span.text.empty()) {
    return;
  }
  // Neighbouring runs with the same look are one run, so the output has no needless commands.
  if (!spans.empty() && spans.back().style == span.style && spans.back().jump_target.empty() &&
      span.jump_target.empty()) {
    spans.back().text += span.text;
    return;
  }
  spans.push_back(std::move(span));
}

class InlineParser {
public:
  InlineParser(std::string_view text, std::size_t line, std::vector<PendingJump>& jumps)
      : text_(text), line_(line), jumps_(jumps) {}

  std::vector<TextSpan> parse() {
    std::vector<TextSpan> spans;
    std::string plain;
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '{') {
        append_span(spans, {plain, SpanStyle::Plain, {}});
        plain.clear();
        append_span(spans, parse_markup());
      } else if (c == '}') {
        fail("'}' without a matching '{' (write \\} for a brace)");
      } else {
        plain.push_back(read_literal());
      }
    }
    append_span(spans, {plain, SpanStyle::Plain, {}});
    return spans;
  }

private:
  [[noreturn]] void fail(const std::string& message) const {
    throw HelpSourceError(line_, message);
  }

  char read_literal() {
    const char c = text_[at_++];
    if (c != '\\') {
      return c;
    }
    if (at_ >= text_.size()) {
      fail("'\\' at the end of a line (write \\\\ for a backslash)");
    }
    const char escaped = text_[at_++];
    if (escaped != '\\' && escaped != '{' && escaped != '}') {
      fail(std::string("unknown escape '\\") + escaped + "'");
    }
    return escaped;
  }

  // Reads text up to (not including) one of the stop characters; nested braces are not allowed.
  std::string read_until(std::string_view stops, std::string_view what) {
    std::string result;
    while (true) {
      if (at_ >= text_.size()) {
        fail("unterminated " + std::string(what) + ": missing '}'");
      }
      const char c = text_[at_];
      if (stops.find(c) != std::string_view::npos) {
        return result;
      }
      if (c == '{') {
        fail("'{' inside " + std::string(what) + " (markup cannot be nested)");
      }
      result.push_back(read_literal());
    }
  }

  TextSpan parse_markup() {
    ++at_; // '{'
    const std::size_t name_end = text_.find_first_of(" }", at_);
    const std::string_view name = text_.substr(
        at_, name_end == std::string_view::npos ? std::string_view::npos : name_end - at_);
    if (name == "b") {
      at_ += name.size() + 1;
      if (name_end == std::string_view::npos || text_[name_end] != ' ') {
        fail("'{b' needs text: {b bold text}");
      }
      std::string bold = read_until("}", "bold text");
      ++at_;
      if (is_blank(bold)) {
        fail("empty bold text");
      }
      return {bold, SpanStyle::Bold, {}};
    }
    if (name == "jump") {
      at_ += name.size() + 1;
      if (name_end == std::string_view::npos || text_[name_end] != ' ') {
        fail("'{jump' needs text and a target: {jump shown text|context}");
      }
      std::string shown = read_until("|}", "jump");
      if (text_[at_] != '|') {
        fail("jump without a target: write {jump shown text|context}");
      }
      ++at_;
      const std::string target(trim(read_until("}", "jump")));
      ++at_;
      if (is_blank(shown)) {
        fail("empty jump text");
      }
      if (target.empty()) {
        fail("jump without a target context");
      }
      if (target.size() > kMaxContextBytes || !is_valid_context_name(target)) {
        fail("bad jump target '" + target + "': use letters, digits, '.' and '_'");
      }
      jumps_.push_back({target, line_});
      return {shown, SpanStyle::Plain, target};
    }
    fail("unknown markup '{" + std::string(name) + "' (known: {b ...}, {jump ...|...})");
  }

  std::string_view text_;
  std::size_t line_;
  std::vector<PendingJump>& jumps_;
  std::size_t at_ = 0;
};

class SourceParser {
public:
  explicit SourceParser(std::string_view source) : source_(source) {}

  HelpDocument parse() {
    std::size_t start = 0;
    while (start <= source_.size()) {
      const std::size_t end = source_.find('\n', start);
      std::string_view raw = source_.substr(
          start, end == std::string_view::npos ? std::string_view::npos : end - start);
      ++line_;
      if (!raw.empty() && raw.back() == '\r') {
        raw.remove_suffix(1);
      }
      handle_line(to_text(raw));
      if (end == std::string_view::npos) {
        break;
      }
      start = end + 1;
    }
    finish_paragraph();
    check_document();
    return std::move(document_);
  }

private:
  [[noreturn]] void fail(const std::string& message) const {
    throw HelpSourceError(line_, message);
  }

  std::string to_text(std::string_view raw) const {
    for (char c : raw) {
      const auto byte = static_cast<unsigned char>(c);
      if ((byte < kFirstPrintable && c != kTab) || byte == kDelete) {
        fail("control character (byte " + std::to_string(byte) + ") in the source");
      }
    }
    Windows1252Result converted = utf8_to_windows1252(raw);
    if (!converted.error.empty()) {
      fail(converted.error);
    }
    for (char& c : converted.text) {
      if (c == kTab) {
        c = ' ';
      }
    }
    return converted.text;
  }

  void handle_line(const std::string& text) {
    if (!text.empty() && text.front() == '#') {
      return;
    }
    if (is_blank(text)) {
      finish_paragraph();
      return;
    }
    if (text.front() == '.') {
      finish_paragraph();
      handle_directive(text);
      return;
    }
    if (current_topic() == nullptr) {
      fail("text before the first .topic");
    }
    if (text.size() >= 2 && text[0] == '-' && text[1] == ' ') {
      finish_paragraph();
      start_paragraph(ParagraphKind::Bullet);
      add_text(text.substr(2));
      return;
    }
    if (!in_paragraph_) {
      start_paragraph(ParagraphKind::Body);
    }
    add_text(text);
  }

  void handle_directive(const std::string& text) {
    const std::size_t name_end = text.find(' ');
    const std::string name = text.substr(0, name_end);
    const std::string argument(name_end == std::string::npos
                                   ? std::string_view{}
                                   : trim(std::string_view(text).substr(name_end)));
    if (name == ".title" || name == ".copyright" || name == ".contents") {
      if (!document_.topics.empty()) {
        fail(name + " must come before the first .topic");
      }
      if (argument.empty()) {
        fail(name + " needs a value");
      }
      if (name == ".title") {
        set_once(document_.title, argument, name);
      } else if (name == ".copyright") {
        set_once(document_.copyright, argument, name);
      } else {
        check_context(argument);
        set_once(document_.contents_context, argument, name);
        contents_line_ = line_;
      }
      if (argument.size() > kMaxTitleBytes) {
        fail(name + " is longer than " + std::to_string(kMaxTitleBytes) + " bytes");
      }
      return;
    }
    if (name == ".topic") {
      start_topic(argument);
      return;
    }
    if (name == ".heading") {
      if (current_topic() == nullptr) {
        fail(".heading before the first .topic");
      }
      if (argument.empty()) {
        fail(".heading needs text");
      }
      start_paragraph(ParagraphKind::Heading);
      add_text(argument);
      finish_paragraph();
      return;
    }
    fail("unknown directive '" + name + "' (known: .title .copyright .contents .topic .heading)");
  }

  void set_once(std::string& field, const std::string& value, const std::string& name) {
    if (!field.empty()) {
      fail(name + " given twice");
    }
    field = value;
  }

  void check_context(const std::string& context) {
    if (context.size() > kMaxContextBytes) {
      fail("context name longer than " + std::to_string(kMaxContextBytes) + " bytes");
    }
    if (!is_valid_context_name(context)) {
      fail("bad context name '" + context + "': use letters, digits, '.' and '_'");
    }
  }

  void start_topic(const std::string& argument) {
    const std::size_t context_end = argument.find(' ');
    if (argument.empty() || context_end == std::string::npos) {
      fail(".topic needs a context name and a title: .topic CONTEXT Title");
    }
    const std::string context = argument.substr(0, context_end);
    const std::string title(trim(std::string_view(argument).substr(context_end)));
    check_context(context);
    if (title.size() > kMaxTitleBytes) {
      fail("topic title longer than " + std::to_string(kMaxTitleBytes) + " bytes");
    }
    if (document_.topics.size() >= kMaxTopics) {
      fail("more than " + std::to_string(kMaxTopics) + " topics");
    }
    // The viewer finds topics by hash alone, so names must not share one.
    const std::int32_t hash = context_hash(context);
    const auto existing = topic_by_hash_.find(hash);
    if (existing != topic_by_hash_.end()) {
      const Topic& other = document_.topics[existing->second];
      fail("context '" + context + "' clashes with '" + other.context + "' (line " +
           std::to_string(topic_lines_[existing->second]) + ")");
    }
    topic_by_hash_.emplace(hash, document_.topics.size());
    topic_lines_.push_back(line_);
    document_.topics.push_back({context, title, {}});
  }

  Topic* current_topic() { return document_.topics.empty() ? nullptr : &document_.topics.back(); }

  void start_paragraph(ParagraphKind kind) {
    paragraph_ = Paragraph{kind, {}};
    in_paragraph_ = true;
    paragraph_bytes_ = 0;
  }

  void add_text(std::string_view text) {
    const std::string_view trimmed = trim(text);
    std::vector<TextSpan> spans = InlineParser(trimmed, line_, jumps_).parse();
    if (!paragraph_.spans.empty() && !spans.empty()) {
      append_span(paragraph_.spans, {" ", SpanStyle::Plain, {}});
      ++paragraph_bytes_;
    }
    for (TextSpan& span : spans) {
      paragraph_bytes_ += span.text.size();
      append_span(paragraph_.spans, std::move(span));
    }
    if (paragraph_bytes_ > kMaxParagraphBytes) {
      fail("paragraph longer than " + std::to_string(kMaxParagraphBytes) +
           " bytes; split it with a blank line");
    }
  }

  void finish_paragraph() {
    if (in_paragraph_) {
      current_topic()->paragraphs.push_back(std::move(paragraph_));
      paragraph_ = Paragraph{};
      in_paragraph_ = false;
    }
  }

  void check_document() {
    if (document_.title.empty()) {
      fail("no .title given");
    }
    if (document_.topics.empty()) {
      fail("no .topic given");
    }
    for (const PendingJump& jump : jumps_) {
      if (!topic_by_hash_.contains(context_hash(jump.target))) {
        throw HelpSourceError(jump.line, "jump to unknown context '" + jump.target + "'");
      }
    }
    if (!document_.contents_context.empty()) {
      const auto found = topic_by_hash_.find(context_hash(document_.contents_context));
      if (found == topic_by_hash_.end()) {
        throw HelpSourceError(contents_line_,
                              "contents topic '" + document_.contents_context + "' is not defined");
      }
    }
  }

  std::string_view source_;
  std::size_t line_ = 0;
  std::size_t contents_line_ = 0;
  HelpDocument document_;
  // A plain member and a flag: GCC 12 misreports std::optional<Paragraph> as uninitialised.
  Paragraph paragraph_;
  bool in_paragraph_ = false;
  std::size_t paragraph_bytes_ = 0;
  std::vector<PendingJump> jumps_;
  std::map<std::int32_t, std::size_t> topic_by_hash_;
  std::vector<std::size_t> topic_lines_;
};

} // namespace

HelpDocument parse_help_source(std::string_view source) {
  return SourceParser(source).parse();
}

} // namespace hlpgen
