// The in-memory form of a help file's content, shared by the source reader and the writer.
#pragma once

#include <string>
#include <vector>

namespace hlpgen {

enum class SpanStyle { Plain, Bold };

// A run of text with one look. Text is stored in Windows-1252, the code page the viewer uses.
struct TextSpan {
  std::string text;
  SpanStyle style = SpanStyle::Plain;
  std::string jump_target; // context name of the topic this run jumps to; empty: no jump
};

enum class ParagraphKind { Body, Heading, Bullet };

struct Paragraph {
  ParagraphKind kind = ParagraphKind::Body;
  std::vector<TextSpan> spans;
};

struct Topic {
  std::string context;
  std::string title;
  std::vector<Paragraph> paragraphs;
};

struct HelpDocument {
  std::string title;
  std::string copyright;
  std::string contents_context; // empty: the first topic
  std::vector<Topic> topics;
};

} // namespace hlpgen
