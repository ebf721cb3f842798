// Reads the plain-text help source (.hlpsrc) into a HelpDocument.
//
// The format, line by line (UTF-8, LF or CRLF):
//   # comment                 ignored (only at the start of a line)
//   .title TEXT               the help file's title (required, before the first topic)
//   .copyright TEXT           optional, before the first topic
//   .contents CONTEXT         the contents topic (default: the first topic)
//   .topic CONTEXT TITLE      starts a topic; CONTEXT uses letters, digits, '.' and '_'
//   .heading TEXT             a bold heading inside the topic
//   - TEXT                    a bulleted item (following non-blank lines continue it)
//   TEXT                      body text; consecutive lines form one paragraph
//   (blank line)              ends the paragraph
// Inline markup in any text: {b bold text}, {jump shown text|CONTEXT}; \{ \} \\ stand for
// themselves.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "help_document.h"

namespace hlpgen {

class HelpSourceError : public std::runtime_error {
public:
  HelpSourceError(std::size_t line, const std::string& message);
  std::size_t line() const { return line_; }
  // The message without the line number.
  const std::string& detail() const { return detail_; }

private:
  std::size_t line_;
  std::string detail_;
};

// Limits that keep every topic record inside one 16 KiB block of the output.
inline constexpr std::size_t kMaxParagraphBytes = 2000;
inline constexpr std::size_t kMaxTitleBytes = 120;
inline constexpr std::size_t kMaxContextBytes = 64;
inline constexpr std::size_t kMaxTopics = 200;

HelpDocument parse_help_source(std::string_view source);

} // namespace hlpgen
