// Turns one paragraph into the two data parts of a WinHelp 3.1 paragraph record (type 0x20):
// LinkData1 holds the paragraph format and the formatting commands, LinkData2 the text pieces.
#pragma once

#include <cstdint>

#include "byte_buffer.h"
#include "font_table.h"
#include "help_document.h"

namespace hlpgen {

struct ParagraphLook {
  FontIndex font = FontIndex::Body;
  FontIndex bold_font = FontIndex::Bold;
  std::int16_t space_above = 0; // half-points
  std::int16_t left_indent = 0; // half-points
  bool bullet = false;
};

struct EncodedParagraph {
  Bytes link_data1;
  Bytes link_data2;
};

EncodedParagraph encode_paragraph(const Paragraph& paragraph, const ParagraphLook& look);

} // namespace hlpgen
