// Reads a WinHelp 3.1 file back into titles, text and jumps. Written apart from the writer so
// that tests compare the writer against a second, independent understanding of the format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hlp_format_error.h"

namespace hlpreader {

struct ReadSpan {
  std::string text;
  std::uint16_t font = 0;
  std::optional<std::int32_t> jump_hash; // set for the text of a jump hotspot
};

struct ReadParagraph {
  std::vector<ReadSpan> spans;
  std::int16_t space_above = 0;
  std::int16_t left_indent = 0;
  std::string text() const;
};

struct ReadTopic {
  std::string title;
  std::uint32_t offset = 0; // what |CONTEXT and |SYSTEM refer to
  std::uint32_t number = 0;
  std::vector<ReadParagraph> paragraphs;
};

struct ReadFont {
  std::uint8_t attributes = 0;
  std::uint8_t half_points = 0;
  std::uint8_t family = 0;
  std::string face;
  bool bold() const { return (attributes & 1) != 0; }
};

struct ReadHelpFile {
  std::vector<std::string> directory; // internal file names in stored order
  std::uint16_t system_minor = 0;
  std::uint16_t system_flags = 0;
  std::uint32_t generation_date = 0;
  std::string title;
  std::string copyright;
  std::optional<std::uint32_t> contents_offset;
  std::string main_window_caption; // from a window record named "main", if any
  std::vector<std::pair<std::int32_t, std::uint32_t>> context; // hash, offset; stored order
  std::vector<ReadFont> fonts;
  std::vector<ReadTopic> topics;

  // The topic a context hash leads to, as the viewer resolves it; nullptr when none does.
  const ReadTopic* topic_for_hash(std::int32_t hash) const;
  const ReadTopic* topic_at_offset(std::uint32_t offset) const;
};

ReadHelpFile read_help_file(const std::vector<std::uint8_t>& file);

} // namespace hlpreader
